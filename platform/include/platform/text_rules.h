// Rules for reading text that the library and the application share. Each
// rule has its own name: the blanks a system list allows between its fields
// are not those a script allows around a number.
#pragma once

#include <cmath>

namespace platform {

// A blank between the fields of a line: space or tab.
constexpr bool IsFieldBlank(char16_t c) { return c == u' ' || c == u'\t'; }

// A blank around a number the application reads (its settings, a drawing's
// values): also the carriage return and line feed a line may end with.
constexpr bool IsNumberBlank(char16_t c) { return IsFieldBlank(c) || c == u'\r' || c == u'\n'; }

// A blank around a number in a script or in AutoCAD's history, where text
// typed with the Japanese input method may carry the full-width space.
constexpr bool IsNumberBlankOrWideSpace(char16_t c) { return IsNumberBlank(c) || c == u'\u3000'; }

// v rounded to a whole number, halves to the even one (2.5 gives 2, 3.5
// gives 4), as the desktop's scripting languages convert. Unlike nearbyint,
// it does not depend on the floating-point rounding mode, which a host
// program or a driver may have changed.
inline double RoundHalfEven(double v) {
  const double floor = std::floor(v);
  const double diff = v - floor;  // exact: v and floor are within a factor of 2 or diff is v
  if (diff > 0.5) return floor + 1;
  if (diff < 0.5) return floor;
  return std::fmod(floor, 2.0) == 0 ? floor : floor + 1;
}

}  // namespace platform
