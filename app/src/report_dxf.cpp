#include "report_dxf.h"

#include <string>

namespace plendra {
namespace {

constexpr std::int32_t kComment = 999;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// A group-code line: a whole number, blanks allowed around it (AutoCAD and
// ezdxf right-align codes in three columns). Codes beyond 32 bits are none.
bool ParseCode(std::string_view text, std::int32_t& code) {
  std::size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  std::int64_t value = 0;
  std::size_t digits = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i, ++digits) {
    value = value * 10 + (text[i] - '0');
    if (value > INT32_MAX) return false;
  }
  while (i < text.size() && IsBlank(text[i])) ++i;
  if (digits == 0 || i != text.size()) return false;
  code = static_cast<std::int32_t>(negative ? -value : value);
  return true;
}

}  // namespace

std::u16string LineText(std::int64_t line) {
  const std::string text = std::to_string(line);
  return std::u16string(text.begin(), text.end());
}

DxfGroupReader::DxfGroupReader(std::string_view bytes) : bytes_(bytes) {
  // Files written as UTF-8 by some programs begin with a byte-order mark,
  // which belongs to no line.
  if (bytes_.starts_with("\xEF\xBB\xBF")) at_ = 3;
}

bool DxfGroupReader::ReadLine(std::string_view& line) {
  if (at_ >= bytes_.size()) return false;
  const std::size_t end = bytes_.find('\n', at_);
  const std::size_t stop = end == std::string_view::npos ? bytes_.size() : end;
  line = bytes_.substr(at_, stop - at_);
  if (line.ends_with('\r')) line.remove_suffix(1);
  at_ = end == std::string_view::npos ? bytes_.size() : end + 1;
  ++line_;
  return true;
}

bool DxfGroupReader::Next(DxfGroup& group) {
  for (;;) {
    std::string_view code_line;
    if (!ReadLine(code_line)) return false;
    const std::int64_t at = line_;
    // A blank last line (a file ending in two line ends) is no damage.
    if (at_ >= bytes_.size() && code_line.find_first_not_of(" \t") == std::string_view::npos) return false;
    if (!ParseCode(code_line, group.code))
      throw DxfGroupError{at, LineText(at) + u" 行目がグループ コードではありません"};
    if (!ReadLine(group.value))
      throw DxfGroupError{at, u"ファイルが " + LineText(at) + u" 行目のグループ コードの後で終わっています"};
    group.line = at;
    if (group.code != kComment) return true;
  }
}

}  // namespace plendra
