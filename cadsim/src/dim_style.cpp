// The dimension variables of a DIMSTYLE record and AutoCAD's defaults for
// them.
//
// A drawing begun from acad.dwt (imperial) and one begun from acadiso.dwt
// (metric) differ in the twenty values below whose two columns differ. The
// values are those AutoCAD's system variable reference gives as "initial
// value (imperial) or (metric)". A DIMSTYLE record leaves out only the
// values equal to the DXF reference's defaults, which are the imperial
// column whatever $MEASUREMENT says: a metric drawing's ISO-25 carries its
// DIMTXT 2.5 and DIMGAP 0.625, an imperial drawing's Standard carries none.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>

#include "cadsim/drawing.h"
#include "dxf_emitter.h"

namespace cadsim {
namespace {

enum class Kind { kReal, kInt, kText, kHandle };

struct Variable {
  int code;
  Kind kind;
  const char* imperial;
  const char* metric;
};

// In the order AutoCAD writes them in a DIMSTYLE record.
constexpr Variable kVariables[] = {
    {3, Kind::kText, "", ""},                        // DIMPOST
    {4, Kind::kText, "", ""},                        // DIMAPOST
    {40, Kind::kReal, "1", "1"},                     // DIMSCALE
    {41, Kind::kReal, "0.18", "2.5"},                // DIMASZ
    {42, Kind::kReal, "0.0625", "0.625"},            // DIMEXO
    {43, Kind::kReal, "0.38", "3.75"},               // DIMDLI
    {44, Kind::kReal, "0.18", "1.25"},               // DIMEXE
    {45, Kind::kReal, "0", "0"},                     // DIMRND
    {46, Kind::kReal, "0", "0"},                     // DIMDLE
    {47, Kind::kReal, "0", "0"},                     // DIMTP
    {48, Kind::kReal, "0", "0"},                     // DIMTM
    {140, Kind::kReal, "0.18", "2.5"},               // DIMTXT
    {141, Kind::kReal, "0.09", "2.5"},               // DIMCEN
    {142, Kind::kReal, "0", "0"},                    // DIMTSZ
    {143, Kind::kReal, "25.4", "0.03937007874016"},  // DIMALTF
    {144, Kind::kReal, "1", "1"},                    // DIMLFAC
    {145, Kind::kReal, "0", "0"},                    // DIMTVP
    {146, Kind::kReal, "1", "1"},                    // DIMTFAC
    {147, Kind::kReal, "0.09", "0.625"},             // DIMGAP
    {148, Kind::kReal, "0", "0"},                    // DIMALTRND
    {71, Kind::kInt, "0", "0"},                      // DIMTOL
    {72, Kind::kInt, "0", "0"},                      // DIMLIM
    {73, Kind::kInt, "1", "0"},                      // DIMTIH
    {74, Kind::kInt, "1", "0"},                      // DIMTOH
    {75, Kind::kInt, "0", "0"},                      // DIMSE1
    {76, Kind::kInt, "0", "0"},                      // DIMSE2
    {77, Kind::kInt, "0", "1"},                      // DIMTAD
    {78, Kind::kInt, "0", "8"},                      // DIMZIN
    {79, Kind::kInt, "0", "0"},                      // DIMAZIN
    {170, Kind::kInt, "0", "0"},                     // DIMALT
    {171, Kind::kInt, "2", "3"},                     // DIMALTD
    {172, Kind::kInt, "0", "1"},                     // DIMTOFL
    {173, Kind::kInt, "0", "0"},                     // DIMSAH
    {174, Kind::kInt, "0", "0"},                     // DIMTIX
    {175, Kind::kInt, "0", "0"},                     // DIMSOXD
    {176, Kind::kInt, "0", "0"},                     // DIMCLRD
    {177, Kind::kInt, "0", "0"},                     // DIMCLRE
    {178, Kind::kInt, "0", "0"},                     // DIMCLRT
    {179, Kind::kInt, "0", "0"},                     // DIMADEC
    {271, Kind::kInt, "4", "2"},                     // DIMDEC
    {272, Kind::kInt, "4", "2"},                     // DIMTDEC
    {273, Kind::kInt, "2", "2"},                     // DIMALTU
    {274, Kind::kInt, "2", "3"},                     // DIMALTTD
    {275, Kind::kInt, "0", "0"},                     // DIMAUNIT
    {276, Kind::kInt, "0", "0"},                     // DIMFRAC
    {277, Kind::kInt, "2", "2"},                     // DIMLUNIT
    {278, Kind::kInt, "46", "44"},                   // DIMDSEP: "." or ","
    {279, Kind::kInt, "0", "0"},                     // DIMTMOVE
    {280, Kind::kInt, "0", "0"},                     // DIMJUST
    {281, Kind::kInt, "0", "0"},                     // DIMSD1
    {282, Kind::kInt, "0", "0"},                     // DIMSD2
    {283, Kind::kInt, "1", "0"},                     // DIMTOLJ
    {284, Kind::kInt, "0", "8"},                     // DIMTZIN
    {285, Kind::kInt, "0", "0"},                     // DIMALTZ
    {286, Kind::kInt, "0", "0"},                     // DIMALTTZ
    {288, Kind::kInt, "0", "0"},                     // DIMUPT
    {289, Kind::kInt, "3", "3"},                     // DIMATFIT
    {340, Kind::kHandle, "", ""},                    // DIMTXSTY
    {341, Kind::kHandle, "", ""},                    // DIMLDRBLK
    {342, Kind::kHandle, "", ""},                    // DIMBLK
    {343, Kind::kHandle, "", ""},                    // DIMBLK1
    {344, Kind::kHandle, "", ""},                    // DIMBLK2
    {371, Kind::kInt, "-2", "-2"},                   // DIMLWD
    {372, Kind::kInt, "-2", "-2"},                   // DIMLWE
};

const Variable* Find(int code) {
  for (const Variable& v : kVariables)
    if (v.code == code) return &v;
  return nullptr;
}

std::u16string Widen(std::string_view s) { return std::u16string(s.begin(), s.end()); }

std::string Narrow(std::u16string_view s) {
  std::string out;
  for (char16_t c : s) out += c < 0x80 ? static_cast<char>(c) : '?';
  return out;
}

std::optional<double> Number(std::u16string_view text) {
  const std::string s = Narrow(text);
  char* end = nullptr;
  const double v = std::strtod(s.c_str(), &end);
  if (s.empty() || end == s.c_str()) return std::nullopt;
  while (*end == ' ') ++end;
  if (*end != '\0') return std::nullopt;
  return v;
}

std::u16string HexText(Handle h) {
  char buf[24];
  std::snprintf(buf, sizeof buf, "%llX", static_cast<unsigned long long>(h));
  return Widen(buf);
}

// The fields of the variables the system reads.
double* RealField(DimStyle& s, int code) {
  switch (code) {
    case 40:
      return &s.dimscale;
    case 41:
      return &s.dimasz;
    case 42:
      return &s.dimexo;
    case 44:
      return &s.dimexe;
    case 45:
      return &s.dimrnd;
    case 140:
      return &s.dimtxt;
    case 147:
      return &s.dimgap;
  }
  return nullptr;
}

int* IntField(DimStyle& s, int code) {
  switch (code) {
    case 271:
      return &s.dimdec;
    case 78:
      return &s.dimzin;
    case 279:
      return &s.dimtmove;
  }
  return nullptr;
}

bool Same(const Variable& v, std::u16string_view a, std::u16string_view b) {
  if (v.kind == Kind::kText) return a == b;
  if (v.kind == Kind::kHandle) {
    auto zero = [](std::u16string_view h) { return h.empty() || h == u"0"; };
    return (zero(a) && zero(b)) || a == b;
  }
  const auto x = Number(a), y = Number(b);
  if (!x || !y) return a == b;
  // Writers round the metric DIMALTF (1/25.4) to different digits.
  return std::abs(*x - *y) <= 1e-9 * std::max(1.0, std::abs(*y));
}

}  // namespace

DimStyle DimStyleDefaults(Measurement measurement) {
  DimStyle s;
  for (const Variable& v : kVariables)
    if (v.kind != Kind::kHandle)
      SetDimStyleValue(s, v.code, Widen(measurement == Measurement::kMetric ? v.metric : v.imperial));
  return s;
}

std::u16string DimStyleValue(const DimStyle& style, int code) {
  DimStyle& s = const_cast<DimStyle&>(style);
  if (const double* r = RealField(s, code)) return Widen(dxf::FormatReal(*r));
  if (const int* i = IntField(s, code)) return Widen(std::to_string(*i));
  if (code == 340) return HexText(style.dimtxsty);
  if (auto it = style.values.find(code); it != style.values.end()) return it->second;
  // A style made without a measurement system holds the metric defaults.
  const Variable* v = Find(code);
  return v ? Widen(v->metric) : u"";
}

void SetDimStyleValue(DimStyle& style, int code, std::u16string_view value) {
  if (double* r = RealField(style, code)) {
    *r = Number(value).value_or(*r);
  } else if (int* i = IntField(style, code)) {
    *i = static_cast<int>(Number(value).value_or(*i));
  } else if (code == 340) {
    style.dimtxsty = std::strtoull(Narrow(value).c_str(), nullptr, 16);
  } else {
    style.values[code] = value;
  }
}

const std::vector<int>& DimStyleCodes() {
  static const std::vector<int> codes = [] {
    std::vector<int> c;
    for (const Variable& v : kVariables) c.push_back(v.code);
    return c;
  }();
  return codes;
}

bool IsDimStyleDefault(const DimStyle& style, int code, Measurement measurement) {
  const Variable* v = Find(code);
  if (!v) return false;
  return Same(*v, DimStyleValue(style, code),
              Widen(measurement == Measurement::kMetric ? v->metric : v->imperial));
}

}  // namespace cadsim
