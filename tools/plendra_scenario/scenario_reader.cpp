#include "scenario_reader.h"

#include <charconv>
#include <cmath>
#include <system_error>

namespace scenario {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool Blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

}  // namespace

std::vector<std::string_view> ScenarioLines(std::string_view bytes) {
  if (bytes.starts_with(kByteOrderMark)) bytes.remove_prefix(kByteOrderMark.size());
  std::vector<std::string_view> lines;
  while (!bytes.empty()) {
    const std::size_t end = bytes.find('\n');
    std::string_view line = bytes.substr(0, end);
    if (line.ends_with('\r')) line.remove_suffix(1);
    lines.push_back(line);
    if (end == std::string_view::npos) break;
    bytes.remove_prefix(end + 1);
  }
  return lines;
}

std::optional<std::vector<std::string>> SplitLine(std::string_view line, std::string* error) {
  std::vector<std::string> fields;
  std::size_t i = 0;
  while (i < line.size()) {
    const char c = line[i];
    if (Blank(c)) {
      ++i;
    } else if (c == '#') {
      break;
    } else if (c == '"') {
      const std::size_t end = line.find('"', i + 1);
      if (end == std::string_view::npos) {
        *error = "引用符 (\") が閉じていません";
        return std::nullopt;
      }
      fields.emplace_back(line.substr(i + 1, end - i - 1));
      i = end + 1;
    } else {
      std::size_t end = i;
      while (end < line.size() && !Blank(line[end])) ++end;
      fields.emplace_back(line.substr(i, end - i));
      i = end;
    }
  }
  return fields;
}

std::optional<std::int64_t> WholeNumber(std::string_view field, std::int64_t min, std::int64_t max,
                                        int base) {
  // from_chars takes no "+", no blank and no "0x", and says when the digits
  // overflow, so that a number is either read whole or not at all.
  std::int64_t value = 0;
  const char* end = field.data() + field.size();
  const auto [stop, error] = std::from_chars(field.data(), end, value, base);
  if (field.empty() || error != std::errc() || stop != end || value < min || value > max) return std::nullopt;
  return value;
}

std::optional<double> DecimalNumber(std::string_view field) {
  double value = 0;
  const char* end = field.data() + field.size();
  const auto [stop, error] = std::from_chars(field.data(), end, value, std::chars_format::general);
  if (field.empty() || error != std::errc() || stop != end || !std::isfinite(value)) return std::nullopt;
  return value;
}

}  // namespace scenario
