// Numbers read from and written as text, the way the library's callers
// (scripts, AutoCAD's history) write them. Locale-independent: "." is the
// decimal separator and "," groups thousands, as on the Japanese desktop.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace korvel {

// A decimal number with optional blanks around it, sign, thousands commas,
// fraction and exponent. With leading_only, whatever follows the number is
// ignored (AutoCAD's history goes on after the last coordinate). Nothing when
// there is no number.
std::optional<double> ParseNumber(std::u16string_view text, bool leading_only = false);

// A 32-bit integer from a script's text (ParseNumber's forms: thousands
// commas, the full-width space), rounded half to even. Raises runtime error
// 13 when the text is no number and 6 when it does not fit. The application's
// settings are read by stricter rules (plendra::TextToLong).
std::int32_t ScriptTextToLong(std::u16string_view text);

// True/False in any letter case, or a number (0 is false). Raises 13 otherwise.
bool TextToBoolean(std::u16string_view text);

// Decimal digits with a leading "-" when negative.
std::u16string DecimalText(std::int64_t value);

// The standard text of a double: up to 15 significant digits, no trailing
// zeros, an exponent ("1E+20", "1.5E-07") only for very large or small values.
std::u16string DoubleText(double value);

}  // namespace korvel
