#include "dxf_emitter.h"

#include <charconv>
#include <cstdio>

#include "dxf_tags.h"

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

namespace {

int IntegerWidth(int code) {
  if ((code >= 90 && code <= 99) || (code >= 420 && code <= 429) || (code >= 440 && code <= 459) ||
      code == 1071)
    return 9;
  return IsIntegerCode(code) ? 6 : 0;
}

std::string Trimmed(std::string s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.erase(0, 1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.pop_back();
  return s;
}

}  // namespace

void Emitter::Int(int code, long value) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%*ld", IntegerWidth(code), value);
  Raw(code, buf);
}

void Emitter::Pass(const cadsim::Group& g) {
  if (IsIntegerCode(g.code) || IsRealCode(g.code)) {
    std::string digits;
    for (char16_t c : g.value) digits += c < 0x80 ? static_cast<char>(c) : '?';
    digits = Trimmed(digits);
    long value = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (IsIntegerCode(g.code) && ec == std::errc() && end == digits.data() + digits.size())
      Int(g.code, value);
    else
      Raw(g.code, digits);
    return;
  }
  Str(g.code, g.value);
}

void Emitter::Pass(const std::vector<cadsim::Group>& groups) {
  for (const cadsim::Group& g : groups) Pass(g);
}

void Emitter::KeptIn(const cadsim::Kept& kept, std::string_view subclass) {
  std::u16string current;
  const std::u16string wanted(subclass.begin(), subclass.end());
  for (const cadsim::Group& g : kept.groups) {
    if (g.code == 100)
      current = g.value;
    else if (current == wanted)
      Pass(g);
  }
}

void Emitter::KeptRest(const cadsim::Kept& kept, std::initializer_list<std::string_view> written,
                       bool empty_markers) {
  bool skip = false;
  for (std::size_t k = 0; k < kept.groups.size(); ++k) {
    const cadsim::Group& g = kept.groups[k];
    if (g.code == 100) {
      skip = false;
      for (std::string_view w : written) skip = skip || std::u16string(w.begin(), w.end()) == g.value;
      // A marker the model emptied (an aligned dimension that came as a
      // rotated one) is no longer true of the entity.
      const bool empty = k + 1 == kept.groups.size() || kept.groups[k + 1].code == 100;
      if (skip || (empty && !empty_markers)) continue;
    }
    if (!skip) Pass(g);
  }
}

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
