// How the scanner reads a DXF file.
//
// A DXF file is pairs of lines: a group code (a number, right-aligned in
// AutoCAD's files) and its value. Almost every line of a whole-drawing export
// is skipped, so the cost of a skipped line decides the speed: the line feeds
// of 64 bytes are found at once, the group code is parsed where it lies in
// the block, and one tight loop passes over every group that does not matter,
// copying and converting nothing. The bytes of record types and section names
// are compared with the wanted ones in the file's code page. Kept values are
// appended to one byte store as they are and decoded only when the table is
// built (or never, for a caller that takes the bytes record by record, which
// keeps one record at a time): a record then costs no allocation, and a value
// that a later one of the same code replaces is never decoded.
//
// Every ANSI code page Windows uses, and UTF-8, keeps the ASCII bytes as they
// are, so ASCII lines are compared and widened directly, and only lines with
// other bytes go through the codec.
#include "link/dxf_scanner.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>

#include "dxf_line_reader.h"
#include "link/errors.h"
#include "link/messages.h"

namespace korvel {
namespace {

using dxf_reading::Abort;
using dxf_reading::Decimal;
using dxf_reading::kListedCodes;
using dxf_reading::kMinBlockBytes;
using dxf_reading::kPadding;
using dxf_reading::LineReader;
using dxf_reading::ParseCodeLine;
using dxf_reading::ScanAbort;

// Replaced values of one record are dropped once they pass this many
// characters and half of the record's.
constexpr std::size_t kCompactAfter = 4096;

bool IsAscii(std::string_view bytes) {
  unsigned char any = 0;
  for (char c : bytes) any |= static_cast<unsigned char>(c);
  return any < 0x80;
}

bool IsAscii(std::u16string_view text) {
  return std::all_of(text.begin(), text.end(), [](char16_t c) { return c < 0x80; });
}

// A text the scan compares lines with (a section name, a record type).
struct Target {
  std::u16string text;
  bool ascii = false;
  std::string narrow;  // the text's bytes when it is ASCII
  // No line longer than this decodes to the text: every code page needs at
  // most four bytes for one UTF-16 unit.
  std::size_t longest_line = 0;

  explicit Target(std::u16string_view t) : text(t), ascii(IsAscii(t)) {
    if (ascii) narrow.assign(t.begin(), t.end());
    longest_line = 4 * t.size() + 4;
  }
};

// One scan: the query, the table being filled and the states of the reading.
class ScanRun {
  // Where each element of the table lies in values_, first index fastest;
  // length 0 for an empty element.
  struct Slot {
    std::size_t offset = 0;
    std::size_t length = 0;
  };

 public:
  // With a sink, each record goes to it when it ends and only the current
  // one is kept; without, every record is kept for Fill.
  ScanRun(platform::TextCodec& codec, std::u16string_view section, std::u16string_view type,
          std::u16string_view codes, DxfRecordSink* sink = nullptr)
      : codec_(codec),
        sink_(sink),
        section_(section),
        type_(type),
        section_mark_(u"SECTION"),
        end_mark_(u"ENDSEC") {
    // An empty list has no elements, yet the table keeps one position for it.
    if (!codes.empty()) {
      std::size_t from = 0;
      for (;;) {
        const std::size_t bar = codes.find(u'|', from);
        const std::u16string_view element = codes.substr(from, bar - from);
        const std::optional<std::int32_t> number = dxf_grammar::ParseCode(element);
        if (!number && !bad_element_) bad_element_ = std::u16string(element);
        elements_.push_back(number.value_or(0));
        if (bar == std::u16string_view::npos) break;
        from = bar + 1;
      }
    }
    columns_ = std::max<std::size_t>(elements_.size(), 1) + 1;
    for (std::int32_t code : elements_)
      if (code >= 0 && static_cast<std::size_t>(code) < listed_.size()) listed_[code] = true;
    list_usable_ = !elements_.empty() && !bad_element_;
    old_offsets_.resize(elements_.size());
    views_.resize(columns_ - 1);
    longest_compared_ = std::max({section_.longest_line, type_.longest_line, std::size_t{64}});
  }

  // Reads the file; the kept values are in values_ and slots_ afterwards
  // (count_ records), still in the file's code page.
  void Run(LineReader& in) {
    slots_.assign(2 * columns_, Slot{});
    std::uint64_t count = 0;
    bool inside = false;
    bool wanted = false;
    std::string_view code_line, value;
    bool whole = true;
    while (!in.AtEnd()) {
      std::int32_t code = 0;
      bool read = false;
      whole = true;
      if (!wanted || list_usable_) {
        // Only group 0 and, inside a wanted record, the listed codes matter
        // (and that every code is a number).
        const LineReader::Skipped skipped = in.SkipUntil(wanted ? listed_.data() : nullptr, &code, &value);
        if (skipped == LineReader::Skipped::kNotACode) NotACode(in.LinesRead());
        if (skipped == LineReader::Skipped::kAcrossBlock && in.AtEnd()) break;
        read = skipped == LineReader::Skipped::kStopped;
      }
      if (read) {
        // a group to look at, read whole
      } else if (in.NextPair(&code_line, &value)) [[likely]] {
        if (!ParseCodeLine(code_line, &code)) NotACode(in.LinesRead() - 1);
      } else {
        // A group across the end of the block.
        const LineReader::CodeLine code_line_read = in.ReadCode(&code);
        if (code_line_read == LineReader::CodeLine::kBlankLast) break;
        if (code_line_read == LineReader::CodeLine::kNotACode) NotACode(in.LinesRead());
        const bool needed = code == 0 || (wanted && IsListed(code));
        if (needed ? !in.ReadLine(&value, code == 0 ? longest_compared_ : std::string_view::npos, &whole)
                   : !in.SkipLine())
          PastEnd(in);
      }
      if (code == 0) {
        if (wanted && sink_ != nullptr) Hand();
        wanted = false;
        const bool ascii = IsAscii(value);
        if (whole && Equals(value, ascii, section_mark_)) {
          if (!in.SkipLine()) PastEnd(in);
          if (!in.ReadLine(&value, longest_compared_, &whole)) PastEnd(in);
          if (whole && Equals(value, IsAscii(value), section_) && !inside) {
            inside = true;
            if (sink_ != nullptr) sink_->SectionBegun();
          }
        } else if (whole && Equals(value, ascii, end_mark_)) {
          if (inside) {
            if (sink_ != nullptr) sink_->SectionEnded();
            break;  // the wanted section is finished; the rest is not read
          }
        } else if (inside && whole && Equals(value, ascii, type_)) {
          wanted = true;
          ++count;
          record_garbage_ = 0;
          if (sink_ != nullptr) {
            // One row, used again by every record.
            values_.clear();
            std::fill(slots_.begin() + static_cast<std::ptrdiff_t>(columns_), slots_.end(), Slot{});
          } else {
            slots_.resize(slots_.size() + columns_);
          }
          record_start_ = values_.size();
        }
      } else if (wanted) {
        if (elements_.empty())
          Abort(kErrSubscript, Decimal(in.LinesRead() - 1) + u" 行目: グループ コードの一覧が空です");
        if (bad_element_)
          Abort(kErrTypeMismatch, u"グループ コードの一覧の「" + *bad_element_ + u"」が数値ではありません");
        if (IsListed(code)) Keep(code, value, &slots_[sink_ != nullptr ? columns_ : count * columns_]);
      }
    }
    if (wanted && sink_ != nullptr) Hand();
    count_ = count;
  }

  // The result table: bounds (0..n, 0..count+1), (0,0) the count. Built once
  // at the end, each string in its final place.
  void Fill(std::vector<std::u16string>& cells) const {
    cells.assign(slots_.size(), std::u16string());
    for (std::size_t i = 0; i < slots_.size(); ++i) {
      if (slots_[i].length == 0) continue;
      const std::string_view bytes = std::string_view(values_).substr(slots_[i].offset, slots_[i].length);
      if (IsAscii(bytes))
        cells[i].assign(bytes.begin(), bytes.end());
      else
        cells[i] = codec_.FromAnsi(bytes);
    }
    cells[0] = Decimal(count_);
  }

  std::size_t Columns() const { return columns_; }

 private:
  [[noreturn]] static void NotACode(std::uint64_t line) {
    Abort(kErrTypeMismatch, Decimal(line) + u" 行目がグループ コードではありません");
  }

  [[noreturn]] static void PastEnd(const LineReader& in) {
    Abort(kErrPastEndOfFile, u"ファイルが " + Decimal(in.LinesRead() - 1) + u" 行目の後で終わっています");
  }

  // Gives the current record (the one row) to the sink.
  void Hand() {
    for (std::size_t k = 0; k < views_.size(); ++k) {
      const Slot& slot = slots_[columns_ + k];
      views_[k] = std::string_view(values_).substr(slot.offset, slot.length);
    }
    sink_->Record(views_);
  }

  bool IsListed(std::int32_t code) const {
    if (code >= 0 && static_cast<std::size_t>(code) < listed_.size()) return listed_[code];
    return std::find(elements_.begin(), elements_.end(), code) != elements_.end();
  }

  // True when the line decodes to the target's text. An ASCII line decodes to
  // itself.
  bool Equals(std::string_view line, bool line_is_ascii, const Target& target) const {
    if (line_is_ascii) return target.ascii && line == target.narrow;
    return codec_.FromAnsi(line) == target.text;
  }

  // A later value of the same code in the record replaces the earlier one; a
  // code listed twice fills both positions.
  void Keep(std::int32_t code, std::string_view bytes, Slot* row) {
    const std::size_t offset = values_.size();
    values_.append(bytes);
    const Slot slot{offset, bytes.size()};
    bool replaced = false;
    for (std::size_t k = 0; k < elements_.size(); ++k) {
      if (elements_[k] != code) continue;
      if (!replaced) record_garbage_ += row[k].length;  // a code listed twice shares one value
      replaced = true;
      row[k] = slot;
    }
    // A record may repeat a code many times (the vertices of a polyline):
    // memory must follow the table, not the file.
    if (record_garbage_ > kCompactAfter && 2 * record_garbage_ > values_.size() - record_start_) Compact(row);
  }

  // Drops the replaced values of the current record from the end of values_.
  void Compact(Slot* row) {
    const std::string tail = values_.substr(record_start_);
    values_.resize(record_start_);
    for (std::size_t k = 0; k < elements_.size(); ++k) {
      if (row[k].length == 0) continue;
      const std::size_t old_offset = row[k].offset;
      bool shared = false;
      for (std::size_t j = 0; j < k && !shared; ++j) {
        if (row[j].length != 0 && old_offsets_[j] == old_offset) {
          row[k].offset = row[j].offset;
          shared = true;
        }
      }
      old_offsets_[k] = old_offset;
      if (shared) continue;
      row[k].offset = values_.size();
      values_.append(tail, old_offset - record_start_, row[k].length);
    }
    record_garbage_ = 0;
  }

  platform::TextCodec& codec_;
  DxfRecordSink* sink_;
  std::vector<std::string_view> views_;  // Hand's, one per position
  Target section_, type_, section_mark_, end_mark_;
  std::vector<std::int32_t> elements_;
  std::optional<std::u16string> bad_element_;  // the first element that is not a number
  std::array<bool, kListedCodes> listed_{};    // the listed codes below kListedCodes, for a quick no
  bool list_usable_ = false;                   // every element a number, and at least one
  std::size_t columns_ = 2;
  std::size_t longest_compared_ = 0;
  std::vector<Slot> slots_;
  std::string values_;  // the kept values' bytes, one after another
  std::uint64_t count_ = 0;
  // The current record's values start at record_start_ in values_, and
  // record_garbage_ of the bytes since then were replaced.
  std::size_t record_start_ = 0;
  std::size_t record_garbage_ = 0;
  std::vector<std::size_t> old_offsets_;  // Compact's scratch, one per element
};

// The block is allocated on the first scan and kept for the next.
void RunOver(DxfSource& source, ScanRun& scan, std::vector<char>& buffer, std::size_t block_bytes) {
  if (buffer.empty()) buffer.assign(block_bytes + kPadding, '\0');
  LineReader in(source, buffer.data(), block_bytes);
  in.SkipByteOrderMark();
  scan.Run(in);
}

}  // namespace

std::size_t DxfMemorySource::Read(char* buffer, std::size_t size) {
  const std::size_t n = std::min(size, bytes_.size());
  std::memcpy(buffer, bytes_.data(), n);
  bytes_.remove_prefix(n);
  return n;
}

DxfScanner::DxfScanner(platform::TextCodec& codec, std::size_t block_bytes)
    : codec_(codec), block_bytes_(std::max(block_bytes, kMinBlockBytes)) {}

bool DxfScanner::Scan(DxfSource& source, std::u16string_view section, std::u16string_view type,
                      std::u16string_view codes, DxfTable& table, DxfScanFailure& failure) {
  try {
    ScanRun scan(codec_, section, type, codes);
    RunOver(source, scan, buffer_, block_bytes_);
    DxfTable result;
    scan.Fill(result.cells_);
    result.columns_ = scan.Columns();
    table = std::move(result);
    return true;
  } catch (const ScanAbort& abort) {
    failure = DxfScanFailure{abort.number, abort.description};
    return false;
  }
}

bool DxfScanner::Scan(DxfSource& source, std::u16string_view section, std::u16string_view type,
                      std::u16string_view codes, DxfRecordSink& sink, DxfScanFailure& failure) {
  try {
    ScanRun scan(codec_, section, type, codes, &sink);
    RunOver(source, scan, buffer_, block_bytes_);
    return true;
  } catch (const ScanAbort& abort) {
    failure = DxfScanFailure{abort.number, abort.description};
    return false;
  }
}

}  // namespace korvel
