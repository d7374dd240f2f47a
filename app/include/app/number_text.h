// The number texts Plendra owns: how it writes single-precision values for
// AutoCAD and the user, and how it reads the numbers of DXF values and of its
// settings. Conversions that can fail raise AppError (13 for a text that is no
// number, 6 for a value out of range), as the desktop's own conversions do.
//
// Blanks, wherever they are skipped below, are space, tab, carriage return and
// line feed.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace plendra {

// The standard text of a single-precision value: at most seven significant
// digits, "." as the separator, no grouping, no trailing zeros and no separator
// for whole values (975, -37.5, 1000.5, 1234.4). A value that has eight or more
// integer digits once rounded to seven significant digits, or whose first
// significant digit lies beyond the fourth decimal place, is written in
// exponent form with a signed two-digit exponent: "1.234568E+07", "1E-05".
// Negative zero is "0".
std::u16string SingleText(float v);

// v with exactly `decimals` decimals ("0" for none, "0.00" for two), as the
// format "0.00" writes it: from the value's seven significant digits, halves
// rounded away from zero (2.5 gives "3", 0.125 gives "0.13"), unlike the
// integer conversions below. `decimals` is taken between 0 and kMaxDecimals
// (a negative count is 0). A value that rounds to zero has no sign.
inline constexpr std::int32_t kMaxDecimals = 99;
std::u16string FixedText(float v, std::int32_t decimals);

// The value of the longest leading part of `text` that reads as a decimal
// number: leading blanks skipped, an optional sign, digits with an optional "."
// and fraction, and an exponent ("E" or "e", optional sign) only when digits
// follow it. Blanks inside the number end it ("1 2" is 1). 0 when no number
// begins the text. Never fails: a value too large for a double is an infinity
// (which every conversion below refuses), one too small is 0.
double LeadingNumber(std::u16string_view text);

// The value of the whole text as a decimal number (the form above, blanks
// allowed around it), or nothing when any other character is left over or no
// digit is there.
std::optional<double> ReadDecimal(std::u16string_view text);

// The nearest integer, halves to the even neighbour (89.5 and 90.5 give 90).
// AppError 6 outside the 32-bit or 16-bit range, or for NaN.
std::int32_t RoundToLong(double v);
std::int16_t RoundToInteger(double v);

// v stored as single precision (rounded to the nearest float). AppError 6 when
// it lies beyond the largest float, is infinite or NaN.
float DoubleToSingle(double v);

// Whole-text conversions, blanks allowed around the number. AppError 13 when
// the text is no number; AppError 6 when its value does not fit the type.
// The integer forms round halves to even ("2.5" gives 2).
double TextToDouble(std::u16string_view text);
float TextToSingle(std::u16string_view text);
std::int32_t TextToLong(std::u16string_view text);
std::int16_t TextToInteger(std::u16string_view text);

// "True" or "False" in any letter case (blanks around allowed), or numeric
// text, true when not zero. AppError 13 otherwise.
bool TextToBoolean(std::u16string_view text);

// Decimal text of an integer ("-2", "200").
std::u16string IntegerText(std::int64_t v);

}  // namespace plendra
