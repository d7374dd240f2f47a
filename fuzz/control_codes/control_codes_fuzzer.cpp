// libFuzzer target for the control codes that scripts and commands type
// ("^C", "^M", "^J").
//
// The input is the text as UTF-16, two bytes a character. Whatever it holds,
// the expansion leaves a text without "^" alone, leaves no "^C", "^M" or "^J"
// behind, and shortens the text by exactly one character for every code it
// put in.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "link/control_codes.h"

namespace {

std::ptrdiff_t Count(std::u16string_view text, char16_t c) { return std::count(text.begin(), text.end(), c); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::u16string text(size / 2, u'\0');
  for (std::size_t i = 0; i < text.size(); ++i)
    text[i] = static_cast<char16_t>(data[2 * i] | (data[2 * i + 1] << 8));
  const std::u16string out = korvel::ExpandControlCodes(text);
  if (text.find(u'^') == std::u16string::npos && out != text) std::abort();
  for (std::u16string_view code : {u"^C", u"^M", u"^J"})
    if (out.find(code) != std::u16string::npos) std::abort();
  std::ptrdiff_t added = 0;
  for (char16_t code : {u'\x03', u'\r', u'\n'}) {
    added += Count(out, code) - Count(text, code);
    if (Count(out, code) < Count(text, code)) std::abort();
  }
  if (static_cast<std::ptrdiff_t>(text.size()) - static_cast<std::ptrdiff_t>(out.size()) != added)
    std::abort();
  return 0;
}
