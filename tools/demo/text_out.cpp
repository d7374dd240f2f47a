#include "text_out.h"

#include <cstdio>

#include "platform/utf8.h"

namespace demo {

std::string Utf8(std::u16string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size();) {
    const char32_t c = platform::NextCodePoint(text, i);
    if (c == 3)
      out += "^C";
    else if (c == '\r')
      out += "\\r";
    else if (c == '\n')
      out += "\\n";
    else
      platform::AppendUtf8(out, c);
  }
  return out;
}

std::u16string Number(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.4f", value);
  std::string s = text;
  while (!s.empty() && s.back() == '0') s.pop_back();
  if (!s.empty() && s.back() == '.') s.pop_back();
  if (s == "-0") s = "0";
  return std::u16string(s.begin(), s.end());
}

}  // namespace demo
