// libFuzzer target for the shared DXF group grammar.
//
// The input is a file. Whatever it holds, the group reader either hands out
// groups or refuses it naming a line of the file, and:
// - every code it hands out is what a plain reading of the code line gives
//   (blanks trimmed, a sign, digits, 32 bits), with no comment among them;
// - groups come in file order, two lines each, comments between them;
// - the groups it read, written out again, read back as the same groups;
// - a code line fed to the parser one character at a time gives the same
//   answer as the whole line.
#include <algorithm>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "dxf/grammar.h"

namespace {

// The code a line holds, by other means than the grammar's own.
std::optional<std::int32_t> PlainCode(std::string_view line) {
  const std::size_t first = line.find_first_not_of(" \t");
  if (first == std::string_view::npos) return std::nullopt;
  line = line.substr(first, line.find_last_not_of(" \t") + 1 - first);
  if (line.starts_with('+') && line.size() > 1 && line[1] != '-') line.remove_prefix(1);
  if (line.empty() || line.find_first_not_of("-0123456789") != std::string_view::npos) return std::nullopt;
  long long value = 0;
  const auto [end, ec] = std::from_chars(line.data(), line.data() + line.size(), value);
  if (ec != std::errc() || end != line.data() + line.size()) return std::nullopt;
  // Codes are 32-bit; the most negative one has no positive twin and is none.
  if (value > INT32_MAX || value < -INT32_MAX) return std::nullopt;
  return static_cast<std::int32_t>(value);
}

struct Read {
  std::vector<dxf_grammar::Group> groups;
  std::optional<dxf_grammar::GroupError> error;
};

Read ReadAll(std::string_view bytes) {
  Read r;
  dxf_grammar::GroupReader reader(bytes);
  dxf_grammar::Group g;
  try {
    while (reader.Next(g)) r.groups.push_back(g);
  } catch (const dxf_grammar::GroupError& e) {
    r.error = e;
  }
  return r;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const auto lines = static_cast<std::int64_t>(std::count(bytes.begin(), bytes.end(), '\n')) + 1;

  // Each line of the file as a code line, whole and piece by piece.
  std::string_view line;
  for (std::size_t at = 0; dxf_grammar::NextLine(bytes, &at, &line);) {
    const std::optional<std::int32_t> code = dxf_grammar::ParseCode(line);
    if (code != PlainCode(line)) std::abort();
    dxf_grammar::CodeLineParser<char> parser;
    bool going = true;
    for (char c : line) going = going && parser.Add(c);
    if ((going ? parser.Code() : std::nullopt) != code) std::abort();
  }

  const Read first = ReadAll(bytes);
  if (first.error) {
    const dxf_grammar::GroupError& e = *first.error;
    if (e.line < 1 || e.line > lines) std::abort();
    if (e.kind == dxf_grammar::GroupErrorKind::kNotACode && dxf_grammar::ParseCode(e.code_line)) std::abort();
  }
  std::int64_t last_line = -1;
  std::string again;
  for (const dxf_grammar::Group& g : first.groups) {
    if (g.code == dxf_grammar::kCommentCode || g.line < last_line + 2 || g.line + 1 > lines) std::abort();
    last_line = g.line;
    if (g.value.find('\n') != std::string_view::npos) std::abort();
    again += std::to_string(g.code) + "\r\n" + std::string(g.value) + "\r\n";
  }
  const Read second = ReadAll(again);
  if (second.error || second.groups.size() != first.groups.size()) std::abort();
  for (std::size_t i = 0; i < first.groups.size(); ++i) {
    if (second.groups[i].code != first.groups[i].code || second.groups[i].value != first.groups[i].value ||
        second.groups[i].line != static_cast<std::int64_t>(2 * i + 1))
      std::abort();
  }
  return 0;
}
