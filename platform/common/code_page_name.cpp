// The names people give code pages, mapped to Windows' code-page numbers. Each
// codec then takes the number in its own terms: kernel32 as it is, iconv
// through its own names.
#include <optional>
#include <string>
#include <string_view>

#include "platform/ansi_codec.h"

namespace platform {
namespace {

std::optional<unsigned> Digits(std::string_view text) {
  if (text.empty() || text.size() > 5) return std::nullopt;
  unsigned number = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    number = number * 10 + static_cast<unsigned>(c - '0');
  }
  if (number == 0) return std::nullopt;
  return number;
}

}  // namespace

std::optional<unsigned> CodePageByName(std::string_view name) {
  std::string lower(name);
  for (char& c : lower)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  // Shift_JIS as Windows extends it is code page 932; the plain standard has
  // no code page of its own there, and a user who names it means 932.
  static constexpr struct {
    std::string_view name;
    unsigned code_page;
  } kNames[] = {{"utf-8", 65001}, {"utf8", 65001}, {"shift_jis", 932},  {"shift-jis", 932},
                {"sjis", 932},    {"ms932", 932},  {"windows-31j", 932}};
  for (const auto& n : kNames)
    if (lower == n.name) return n.code_page;
  std::string_view rest = lower;
  for (std::string_view prefix : {"cp", "windows-", "ansi_"})
    if (rest.starts_with(prefix)) {
      rest.remove_prefix(prefix.size());
      break;
    }
  return Digits(rest);
}

}  // namespace platform
