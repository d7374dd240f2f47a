// DxfScan: reading the scratch file that DxfOut had AutoCAD write.
#include <algorithm>
#include <string>
#include <vector>

#include "guarded.h"
#include "link/dxf_file.h"
#include "link/dxf_scanner.h"
#include "link/pw_control.h"

namespace korvel {

namespace {

// Scans the scratch file in folder into out (a table, or a sink of records);
// raises error 53 when the file cannot be opened and the scan's own error
// when it fails.
template <typename Out>
void ScanScratch(const std::u16string& folder, platform::TextCodec& codec, std::u16string_view section,
                 std::u16string_view type, std::u16string_view codes, Out& out) {
  const std::u16string path = folder + u"Wexa.dxf";
  // Closed on every way out, a failed scan included.
  const std::unique_ptr<DxfFile> file = DxfFile::Open(path);
  if (!file) Raise(kErrFileNotFound, kSourceLibrary, RuntimeErrorText(kErrFileNotFound) + u"(" + path + u")");
  DxfScanner scanner(codec);
  DxfScanFailure failure;
  if (!scanner.Scan(*file, section, type, codes, out, failure))
    Raise(failure.number, kSourceLibrary, failure.description);
}

}  // namespace

std::int32_t PwControl::DxfScan(std::u16string_view Sec_Str, std::u16string_view Obj_Str,
                                std::u16string_view Fom_Str, DxfTable& Hairetu) {
  const std::u16string section(Sec_Str), type(Obj_Str), codes(Fom_Str);
  return Guarded([&] {
    ScanScratch(GetTempFolder(), Os().Codec(), section, type, codes, Hairetu);
    return -1;
  });
}

namespace {

bool IsAscii(std::string_view bytes) {
  return std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// A text that a value's bytes are compared with, decoding only the values
// that could decode to it.
class Wanted {
 public:
  Wanted(std::u16string_view text, platform::TextCodec& codec) : text_(text), codec_(codec) {
    ascii_ = std::all_of(text.begin(), text.end(), [](char16_t c) { return c < 0x80; });
    if (ascii_) narrow_.assign(text.begin(), text.end());
  }
  bool Is(std::string_view bytes) const {
    // Every ANSI code page keeps the ASCII bytes as they are.
    if (IsAscii(bytes)) return ascii_ && bytes == narrow_;
    // No code page needs more than four bytes for one UTF-16 unit.
    if (bytes.size() > 4 * text_.size() + 4) return false;
    return codec_.FromAnsi(bytes) == text_;
  }

 private:
  std::u16string text_;
  platform::TextCodec& codec_;
  bool ascii_ = false;
  std::string narrow_;
};

// Takes the records of the scan of ATTRIB's "2|1" one by one and keeps the
// value of each record after a match.
class FollowingValues final : public DxfRecordSink {
 public:
  FollowingValues(std::u16string_view tag, std::u16string_view value, platform::TextCodec& codec)
      : tag_(tag, codec), value_(value, codec), codec_(codec) {}

  void Record(const std::vector<std::string_view>& values) override {
    if (after_match_) {
      const std::string_view bytes = values[1];
      values_.push_back(IsAscii(bytes) ? std::u16string(bytes.begin(), bytes.end()) : codec_.FromAnsi(bytes));
    }
    after_match_ = tag_.Is(values[0]) && value_.Is(values[1]);
  }

  std::vector<std::u16string>& Values() { return values_; }

 private:
  Wanted tag_, value_;
  platform::TextCodec& codec_;
  bool after_match_ = false;
  std::vector<std::u16string> values_;
};

}  // namespace

std::int32_t PwControl::DxfAttributesAfter(std::u16string_view Tag_Str, std::u16string_view Value_Str,
                                           std::vector<std::u16string>& Values) {
  const std::u16string tag(Tag_Str), value(Value_Str);
  return Guarded([&] {
    FollowingValues following(tag, value, Os().Codec());
    ScanScratch(GetTempFolder(), Os().Codec(), u"ENTITIES", u"ATTRIB", u"2|1", following);
    Values = std::move(following.Values());
    return -1;
  });
}

}  // namespace korvel
