#include "platform/dxf_code_page.h"

#include <string>

#include "platform/ansi_codec.h"

namespace platform {
namespace {

std::string_view Trimmed(std::string_view line) {
  while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
    line.remove_suffix(1);
  while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
  return line;
}

}  // namespace

std::optional<unsigned> DxfHeaderCodePage(std::string_view front) {
  std::string_view version, code_page;
  std::string_view variable;  // the $NAME whose value comes next
  bool in_header = false;
  for (;;) {
    const std::size_t code_end = front.find('\n');
    if (code_end == std::string_view::npos) break;
    const std::size_t value_end = front.find('\n', code_end + 1);
    // A value cut off at the end of the front is not read.
    if (value_end == std::string_view::npos) break;
    const std::string_view code = Trimmed(front.substr(0, code_end));
    const std::string_view value = Trimmed(front.substr(code_end + 1, value_end - code_end - 1));
    front.remove_prefix(value_end + 1);
    if (code == "0") {
      if (in_header) break;  // HEADER's ENDSEC: the variables are over
    } else if (code == "2" && value == "HEADER") {
      in_header = true;
    } else if (code == "9") {
      variable = value;
    } else if (in_header && variable == "$ACADVER" && code == "1") {
      version = value;
    } else if (in_header && variable == "$DWGCODEPAGE" && code == "3") {
      code_page = value;
    }
  }
  // Release names are "AC" and four digits, so they compare as text.
  if (version.size() == 6 && version.starts_with("AC") && version >= "AC1021") return 65001;
  if (code_page.size() > 3 && (code_page.starts_with("DOS") || code_page.starts_with("dos")))
    code_page.remove_prefix(3);
  if (code_page.empty()) return std::nullopt;
  return CodePageByName(code_page);
}

}  // namespace platform
