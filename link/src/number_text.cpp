#include "number_text.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <string>

#include "guarded.h"
#include "platform/text_rules.h"

namespace korvel {
namespace {

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

[[noreturn]] void RaiseRuntime(std::int32_t number) {
  Raise(number, kSourceLibrary, RuntimeErrorText(number));
}

std::u16string TrimBlanks(std::u16string_view text) {
  while (!text.empty() && platform::IsNumberBlankOrWideSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && platform::IsNumberBlankOrWideSpace(text.back())) text.remove_suffix(1);
  return std::u16string(text);
}

}  // namespace

std::optional<double> ParseNumber(std::u16string_view text, bool leading_only) {
  std::size_t i = 0;
  while (i < text.size() && platform::IsNumberBlankOrWideSpace(text[i])) ++i;
  // The number is copied as ASCII without its grouping commas, for from_chars.
  std::string ascii;
  if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
    if (text[i] == u'-') ascii += '-';
    ++i;
  }
  bool digits = false;
  while (i < text.size() && (IsDigit(text[i]) || (digits && text[i] == u','))) {
    if (text[i] != u',') ascii += static_cast<char>(text[i]);
    digits = true;
    ++i;
  }
  if (i < text.size() && text[i] == u'.') {
    ascii += '.';
    ++i;
    while (i < text.size() && IsDigit(text[i])) {
      ascii += static_cast<char>(text[i++]);
      digits = true;
    }
  }
  if (!digits) return std::nullopt;
  // An exponent counts only when digits follow it; "2E" is 2 and a text "E".
  if (i < text.size() && (text[i] == u'E' || text[i] == u'e')) {
    std::size_t j = i + 1;
    std::string exponent = "e";
    if (j < text.size() && (text[j] == u'+' || text[j] == u'-')) exponent += static_cast<char>(text[j++]);
    if (j < text.size() && IsDigit(text[j])) {
      while (j < text.size() && IsDigit(text[j])) exponent += static_cast<char>(text[j++]);
      ascii += exponent;
      i = j;
    }
  }
  if (!leading_only) {
    while (i < text.size() && platform::IsNumberBlankOrWideSpace(text[i])) ++i;
    if (i != text.size()) return std::nullopt;
  }
  double value = 0;
  const auto [end, ec] = std::from_chars(ascii.data(), ascii.data() + ascii.size(), value);
  // Too small to represent is zero; too large is no number this library can use.
  if (ec == std::errc::result_out_of_range) {
    if (ascii.find("e-") == std::string::npos) return std::nullopt;
    return 0.0;
  }
  if (ec != std::errc() || end != ascii.data() + ascii.size()) return std::nullopt;
  return value;
}

std::int32_t ScriptTextToLong(std::u16string_view text) {
  const std::optional<double> value = ParseNumber(text);
  if (!value) RaiseRuntime(kErrTypeMismatch);
  // Banker's rounding, as the conversion of the desktop's scripting languages.
  const double rounded = platform::RoundHalfEven(*value);
  if (!(rounded >= -2147483648.0 && rounded <= 2147483647.0)) RaiseRuntime(6);
  return static_cast<std::int32_t>(rounded);
}

bool TextToBoolean(std::u16string_view text) {
  std::u16string word = TrimBlanks(text);
  for (char16_t& c : word)
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
  if (word == u"TRUE") return true;
  if (word == u"FALSE") return false;
  const std::optional<double> value = ParseNumber(text);
  if (!value) RaiseRuntime(kErrTypeMismatch);
  return *value != 0;
}

std::u16string DecimalText(std::int64_t value) {
  const std::string digits = std::to_string(value);
  return std::u16string(digits.begin(), digits.end());
}

std::u16string DoubleText(double value) {
  if (value == 0) value = 0;  // negative zero is written "0"
  char text[40];
  std::snprintf(text, sizeof text, "%.15G", value);
  return std::u16string(text, text + std::char_traits<char>::length(text));
}

}  // namespace korvel
