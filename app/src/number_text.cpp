#include "app/number_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>

#include "app/app_error.h"
#include "platform/text_rules.h"

namespace plendra {
namespace {

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

std::u16string Widen(const char* text) {
  std::u16string out;
  for (; *text != '\0'; ++text) out += static_cast<char16_t>(*text);
  return out;
}

// A number read from the front of a text: where it ends and its value.
struct Scanned {
  std::size_t end = 0;  // index after the number; 0 when there is none
  double value = 0;
};

// The decimal exponent of the first significant digit of a number written as
// `integer` "." `fraction` "E" `exponent`, to tell an overflow from an
// underflow when from_chars reports the value out of range.
long Magnitude(const std::string& integer, const std::string& fraction, long exponent) {
  const std::size_t first = integer.find_first_not_of('0');
  if (first != std::string::npos) return static_cast<long>(integer.size() - first) - 1 + exponent;
  const std::size_t in_fraction = fraction.find_first_not_of('0');
  return -static_cast<long>(in_fraction) - 1 + exponent;
}

Scanned ScanNumber(std::u16string_view text, std::size_t i) {
  while (i < text.size() && platform::IsNumberBlank(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
  std::string integer, fraction;
  while (i < text.size() && IsDigit(text[i])) integer += static_cast<char>(text[i++]);
  if (i < text.size() && text[i] == u'.') {
    std::size_t j = i + 1;
    while (j < text.size() && IsDigit(text[j])) fraction += static_cast<char>(text[j++]);
    // "5." is 5; a lone "." is no number.
    if (!integer.empty() || !fraction.empty()) i = j;
  }
  if (integer.empty() && fraction.empty()) return {};
  // An exponent counts only when digits follow it: "2E" is 2 followed by "E".
  long exponent = 0;
  if (i < text.size() && (text[i] == u'E' || text[i] == u'e')) {
    std::size_t j = i + 1;
    bool exponent_negative = false;
    if (j < text.size() && (text[j] == u'+' || text[j] == u'-')) exponent_negative = text[j++] == u'-';
    if (j < text.size() && IsDigit(text[j])) {
      while (j < text.size() && IsDigit(text[j])) {
        // Saturates far beyond any double's range instead of overflowing.
        if (exponent < 100'000'000) exponent = exponent * 10 + (text[j] - u'0');
        ++j;
      }
      if (exponent_negative) exponent = -exponent;
      i = j;
    }
  }
  std::string ascii = integer.empty() ? "0" : integer;
  if (!fraction.empty()) ascii += "." + fraction;
  ascii += "e" + std::to_string(exponent);
  double value = 0;
  const auto [end, ec] = std::from_chars(ascii.data(), ascii.data() + ascii.size(), value);
  if (ec == std::errc::result_out_of_range)
    value = Magnitude(integer, fraction, exponent) > 0 ? std::numeric_limits<double>::infinity() : 0.0;
  else if (ec != std::errc() || end != ascii.data() + ascii.size())
    return {};  // cannot happen for the digits collected above
  return {i, negative ? -value : value};
}

[[noreturn]] void RaiseTypeMismatch() { RaiseAppError(13); }

template <typename Int>
Int RoundTo(double v) {
  const double rounded = platform::RoundHalfEven(v);
  if (!(rounded >= std::numeric_limits<Int>::min() && rounded <= std::numeric_limits<Int>::max()))
    RaiseAppError(6);  // NaN fails both comparisons
  return static_cast<Int>(rounded);
}

}  // namespace

std::u16string SingleText(float v) {
  if (v == 0) return u"0";  // negative zero too
  // %G with seven digits is exactly the desktop's text of a Single: seven
  // significant digits, trailing zeros dropped, and exponent form when the
  // rounded exponent is below -4 or above 6, written "E+07" or "E-05".
  char text[32];
  std::snprintf(text, sizeof text, "%.7G", static_cast<double>(v));
  return Widen(text);
}

std::u16string FixedText(float v, std::int32_t decimals) {
  if (!std::isfinite(v)) return SingleText(v);  // no Single the conversions give is infinite
  decimals = std::clamp(decimals, 0, kMaxDecimals);
  // The seven significant digits of v and the power of ten of the first one:
  // the decimal value a Single stands for is what gets rounded, not the binary
  // fraction behind it (1234.4 is 1234.40, not 1234.400024).
  char text[32];
  std::snprintf(text, sizeof text, "%.6E", std::fabs(static_cast<double>(v)));
  const std::string digits = std::string(1, text[0]) + std::string(text + 2, 6);
  const long exponent = std::strtol(text + 9, nullptr, 10);
  // One character per place value, from the highest integer place (at least
  // the units) down to the last decimal shown.
  std::string fixed;
  for (long place = std::max(exponent, 0L); place >= -decimals; --place) {
    const long k = exponent - place;
    fixed += k >= 0 && k < 7 ? digits[static_cast<std::size_t>(k)] : '0';
  }
  // Halves go away from zero: a first dropped digit of 5 or more carries.
  const long cut = exponent + decimals + 1;
  bool carry = cut >= 0 && cut < 7 && digits[static_cast<std::size_t>(cut)] >= '5';
  for (std::size_t k = fixed.size(); carry && k-- > 0;) {
    carry = fixed[k] == '9';
    fixed[k] = carry ? '0' : static_cast<char>(fixed[k] + 1);
  }
  if (carry) fixed.insert(0, 1, '1');
  if (decimals > 0) fixed.insert(fixed.size() - static_cast<std::size_t>(decimals), 1, '.');
  if (v < 0 && fixed.find_first_not_of("0.") != std::string::npos) fixed.insert(0, 1, '-');
  return Widen(fixed.c_str());
}

double LeadingNumber(std::u16string_view text) { return ScanNumber(text, 0).value; }

std::optional<double> ReadDecimal(std::u16string_view text) {
  const Scanned number = ScanNumber(text, 0);
  if (number.end == 0) return std::nullopt;
  std::size_t i = number.end;
  while (i < text.size() && platform::IsNumberBlank(text[i])) ++i;
  if (i != text.size()) return std::nullopt;
  return number.value;
}

std::int32_t RoundToLong(double v) { return RoundTo<std::int32_t>(v); }
std::int16_t RoundToInteger(double v) { return RoundTo<std::int16_t>(v); }

float DoubleToSingle(double v) {
  if (!(std::fabs(v) <= std::numeric_limits<float>::max())) RaiseAppError(6);
  return static_cast<float>(v);
}

double TextToDouble(std::u16string_view text) {
  const std::optional<double> value = ReadDecimal(text);
  if (!value) RaiseTypeMismatch();
  if (std::isinf(*value)) RaiseAppError(6);
  return *value;
}

float TextToSingle(std::u16string_view text) { return DoubleToSingle(TextToDouble(text)); }
std::int32_t TextToLong(std::u16string_view text) { return RoundToLong(TextToDouble(text)); }
std::int16_t TextToInteger(std::u16string_view text) { return RoundToInteger(TextToDouble(text)); }

bool TextToBoolean(std::u16string_view text) {
  std::u16string_view word = text;
  while (!word.empty() && platform::IsNumberBlank(word.front())) word.remove_prefix(1);
  while (!word.empty() && platform::IsNumberBlank(word.back())) word.remove_suffix(1);
  std::u16string upper(word);
  for (char16_t& c : upper)
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
  if (upper == u"TRUE") return true;
  if (upper == u"FALSE") return false;
  return TextToDouble(text) != 0;
}

std::u16string IntegerText(std::int64_t v) { return Widen(std::to_string(v).c_str()); }

}  // namespace plendra
