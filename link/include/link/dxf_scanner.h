// The DXF scanner behind PwControl::DxfScan and tools/dxfscan: for every
// record of one type within one section of an ASCII DXF file, the values of
// a chosen list of group codes.
//
// Built for whole-drawing exports of hundreds of megabytes: the file is read
// front to back in blocks of a fixed size and never held whole; lines that
// are skipped are neither copied nor converted, and only the values kept in
// the table are converted from the file's code page. Memory is the table plus
// one block, whatever the size of the file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "link/dxf_table.h"
#include "platform/text_codec.h"

namespace korvel {

// The bytes of one DXF file, read from the front in blocks.
class DxfSource {
 public:
  virtual ~DxfSource() = default;
  // Fills up to size bytes of buffer; the count read, 0 at the end or on a
  // read error.
  virtual std::size_t Read(char* buffer, std::size_t size) = 0;
  // True once a read has failed (and returned 0 for it).
  virtual bool Failed() const = 0;
  // All the bytes at once, when the source holds them in memory that may be
  // written to (a file mapped privately): the scanner then reads them where
  // they lie, without copying them into its block, and may change bytes
  // there. Empty otherwise; the bytes then come through Read.
  virtual std::string_view Whole() { return {}; }
  // The scanner is done with the first `bytes` of Whole(): a mapped file
  // gives their memory back, so that the reading program does not come to
  // hold the whole file.
  virtual void Passed(std::size_t /*bytes*/) {}
};

// A DxfSource over bytes in memory (tests, the fuzzer).
class DxfMemorySource final : public DxfSource {
 public:
  explicit DxfMemorySource(std::string_view bytes) : bytes_(bytes) {}
  std::size_t Read(char* buffer, std::size_t size) override;
  bool Failed() const override { return false; }

 private:
  std::string_view bytes_;
};

// Why a scan failed: a runtime-style error number (9, 13, 53, 62) and a
// Japanese description that names the line of the file where it happened.
struct DxfScanFailure {
  std::int32_t number = 0;
  std::u16string description;
};

// Takes the records of a scan one by one as the scanner finishes each, with
// the values as the file's bytes, before any decoding: for a program that
// writes the values out again, so that it needs no string per value, can copy
// ASCII values as they are, and holds nothing of the file between records.
class DxfRecordSink {
 public:
  virtual ~DxfRecordSink() = default;
  // One record: the values of the listed codes in list order (one empty value
  // when the list is empty), "" for a code the record lacks. The views last
  // until the call returns.
  virtual void Record(const std::vector<std::string_view>& values) = 0;
  // The wanted section's SECTION was read, and later its ENDSEC. A scan
  // whose section never ends still reads to the end of the file and
  // succeeds; a caller that wants to tell a cut file from a whole one
  // watches these.
  virtual void SectionBegun() {}
  virtual void SectionEnded() {}
};

class DxfScanner {
 public:
  static constexpr std::size_t kDefaultBlockBytes = std::size_t{1} << 20;

  // codec decodes the file's bytes (code page 932 for the product). Small
  // blocks exist for tests that cross block edges everywhere.
  explicit DxfScanner(platform::TextCodec& codec, std::size_t block_bytes = kDefaultBlockBytes);

  // Scans the source for records of type `type` (group 0) inside the section
  // named `section`, keeping the groups listed in `codes` (group codes joined
  // by "|"). On success fills `table` and returns true: bounds (0..n, 0..count+1)
  // with n the number of listed codes (1 when `codes` is empty), (0,0) the
  // record count as text, (k, r) the value of listed code k in record r.
  // On failure returns false with `failure` set and `table` untouched.
  bool Scan(DxfSource& source, std::u16string_view section, std::u16string_view type,
            std::u16string_view codes, DxfTable& table, DxfScanFailure& failure);
  // The same scan, handing each record to `sink` undecoded; the same
  // failures. A scan that fails may have handed records over before it
  // found the fault.
  bool Scan(DxfSource& source, std::u16string_view section, std::u16string_view type,
            std::u16string_view codes, DxfRecordSink& sink, DxfScanFailure& failure);

 private:
  platform::TextCodec& codec_;
  std::size_t block_bytes_;
  std::vector<char> buffer_;  // one block and room for the end marker
};

}  // namespace korvel
