// libFuzzer target for the scenario runner's line reader.
//
// The input is a scenario file's bytes. Whatever they hold: the lines put
// back together are the file (less a leading byte-order mark and the CR of a
// line end or of the file's end); the fields of a line, written back quoted,
// read back as the same fields; a field is read as a whole number exactly when it is one in range;
// and the runner takes every line up to the first it refuses (all but start,
// which would start a program against the disk) without an exception or a
// fault.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <ostream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "scenario.h"
#include "scenario_reader.h"

namespace {

void Check(bool holds) {
  if (!holds) std::abort();
}

void CheckLines(std::string_view bytes, const std::vector<std::string_view>& lines) {
  if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
  std::string joined;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    Check(lines[i].find('\n') == std::string_view::npos);
    joined += lines[i];
    // A CR before the LF of a line, or at the very end, was dropped.
    const std::size_t at = joined.size();
    if (at < bytes.size() && bytes[at] == '\r' && (at + 1 == bytes.size() || bytes[at + 1] == '\n'))
      joined += '\r';
    if (joined.size() < bytes.size()) joined += '\n';
  }
  Check(joined == bytes);
}

// Quoted unless the field holds a quote, which only an unquoted field can:
// such a field has no blank and starts with neither a quote nor "#".
std::string WriteBack(const std::vector<std::string>& fields) {
  std::string line;
  for (const std::string& field : fields) {
    line += field.find('"') == std::string::npos ? "\"" + field + "\"" : field;
    line += ' ';
  }
  return line;
}

// -?[0-9]{1,18}: a whole number that fits 64 bits whatever its digits.
bool ShortWholeNumber(std::string_view field) {
  const std::string_view digits = field.starts_with('-') ? field.substr(1) : field;
  return !digits.empty() && digits.size() <= 18 &&
         digits.find_first_not_of("0123456789") == std::string_view::npos;
}

void CheckNumber(const std::string& field) {
  constexpr std::int64_t kRanges[][2] = {
      {0, 8}, {-6, 0}, {1, std::numeric_limits<std::int64_t>::max()}, {0, 86400000}};
  for (const auto& range : kRanges) {
    const std::optional<std::int64_t> value = scenario::WholeNumber(field, range[0], range[1]);
    if (value) {
      Check(*value >= range[0] && *value <= range[1]);
      Check(field.find_first_not_of("-0123456789") == std::string::npos);
    }
    if (ShortWholeNumber(field)) {
      const long long v = std::strtoll(field.c_str(), nullptr, 10);
      Check(value.has_value() == (v >= range[0] && v <= range[1]));
      if (value) Check(*value == v);
    }
  }
  if (const auto handle = scenario::WholeNumber(field, 1, std::numeric_limits<std::int64_t>::max(), 16))
    Check(*handle >= 1 && field.find_first_not_of("0123456789abcdefABCDEF") == std::string::npos);
  if (const auto decimal = scenario::DecimalNumber(field)) Check(*decimal == *decimal);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::vector<std::string_view> lines = scenario::ScenarioLines(bytes);
  CheckLines(bytes, lines);

  std::ostringstream sink;
  scenario::Runner runner(std::filesystem::path("/nonexistent-scenario-folder"), sink);
  bool running = true;
  std::size_t number = 0;
  for (const std::string_view line : lines) {
    ++number;
    std::string error;
    const auto fields = scenario::SplitLine(line, &error);
    if (!fields) {
      Check(line.find('"') != std::string_view::npos && !error.empty());
      running = false;
      continue;
    }
    std::string again_error;
    const auto again = scenario::SplitLine(WriteBack(*fields), &again_error);
    Check(again && *again == *fields);
    for (const std::string& field : *fields) CheckNumber(field);
    if (running && !fields->empty() && (*fields)[0] != "start") running = runner.Run(number, *fields);
  }
  // Before start no line reaches Plendra: a line that raised an exception is
  // a fault of the runner itself. (The cause follows the line number; the
  // line's own text, echoed before it, may hold anything.)
  for (const std::string& line : runner.TheTranscript().Lines()) {
    if (!line.starts_with("失敗 ")) continue;
    const std::size_t cause = line.find(" 行目: ");
    Check(cause != std::string::npos);
    const std::string_view why = std::string_view(line).substr(cause + std::string_view(" 行目: ").size());
    Check(!why.starts_with("この行を実行できませんでした") &&
          !why.starts_with("ファイルを扱えませんでした") && !why.starts_with("Plendra に実行時エラー"));
  }
  return 0;
}
