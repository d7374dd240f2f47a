#include "dxf_emitter.h"

#include <charconv>
#include <cstdio>

namespace cadsim::dxf {

void Emitter::Raw(int code, std::string_view value) {
  // Group codes right-aligned in three columns, CR LF line ends: as AutoCAD
  // writes them on Windows.
  char buf[16];
  std::snprintf(buf, sizeof buf, "%3d\r\n", code);
  out_ += buf;
  out_ += value;
  out_ += "\r\n";
}

void Emitter::Str(int code, std::u16string_view text) {
  std::string bytes = codec_.ToAnsi(text);
  if (bytes.find('?') != std::string::npos && text.find(u'?') == std::u16string_view::npos) {
    // Characters outside the code page are spelt \U+XXXX, as AutoCAD does.
    bytes.clear();
    for (char16_t c : text) {
      const std::string one = codec_.ToAnsi(std::u16string_view(&c, 1));
      if (one == "?") {
        char esc[8];
        std::snprintf(esc, sizeof esc, "\\U+%04X", static_cast<unsigned>(c));
        bytes += esc;
      } else {
        bytes += one;
      }
    }
  }
  Raw(code, bytes);
}

void Emitter::Real(int code, double value) { Raw(code, FormatReal(value)); }

void Emitter::Int(int code, long value) { Raw(code, std::to_string(value)); }

void Emitter::Hex(int code, Handle handle) {
  char buf[24];
  std::snprintf(buf, sizeof buf, "%llX", static_cast<unsigned long long>(handle));
  Raw(code, buf);
}

void Emitter::At(int code, const Point& p) {
  Real(code, p.x);
  Real(code + 10, p.y);
  Real(code + 20, p.z);
}

std::string FormatReal(double value) {
  if (value == 0) value = 0;  // no "-0.0"
  char buf[64];
  const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value);
  std::string s(buf, ec == std::errc() ? end : buf);
  if (s.find_first_of(".en") == std::string::npos) s += ".0";
  return s;
}

}  // namespace cadsim::dxf
