// libFuzzer target for the DXF scanner.
//
// The first input byte chooses the block size and the second the query; the
// rest is the file. Each input is scanned with that block size and with the
// default one, and by a plain reading of the whole file line by line: all
// three must agree on the outcome (the failure's number, or the table), so a
// slip at a block edge or in a fast path, or a step away from the shared group
// grammar, shows up even when nothing crashes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "dxf/grammar.h"
#include "link/dxf_scanner.h"
#include "platform/ansi_codec.h"

namespace {

struct Query {
  std::u16string_view section, type, codes;
};

constexpr Query kQueries[] = {
    {u"ENTITIES", u"DIMENSION", u"11|21|31|42|70|50|3|1070"},
    {u"ENTITIES", u"ATTRIB", u"2|1"},
    {u"TABLES", u"STYLE", u"2|3|1"},
    {u"BLOCKS", u"TEXT", u"1|1|10"},
    {u"ENTITIES", u"TEXT", u""},
    {u"ENTITIES", u"TEXT", u"1||x"},
    {u"表", u"配管", u" 1 |-5|5000"},
    {u"A", u"B", u"0|999"},
};

struct Outcome {
  bool ok = false;
  std::int32_t number = 0;
  korvel::DxfTable table;
  bool operator==(const Outcome&) const = default;
};

// The reading written as plainly as possible: the whole file split into lines
// and each code line parsed by the shared grammar, which the scanner's fast
// paths must agree with.
Outcome Reference(std::string_view file, const Query& q, platform::TextCodec& codec) {
  std::vector<std::string_view> lines;
  const std::string_view body = dxf_grammar::WithoutByteOrderMark(file);
  std::string_view line;
  for (std::size_t from = 0; dxf_grammar::NextLine(body, &from, &line);) lines.push_back(line);
  std::vector<std::optional<std::int32_t>> codes;
  for (std::size_t from = 0; !q.codes.empty();) {
    const std::size_t bar = q.codes.find(u'|', from);
    codes.push_back(dxf_grammar::ParseCode(q.codes.substr(from, bar - from)));
    if (bar == std::u16string_view::npos) break;
    from = bar + 1;
  }
  const std::size_t n = codes.empty() ? 1 : codes.size();
  std::vector<std::vector<std::u16string>> records(1, std::vector<std::u16string>(n + 1));
  std::size_t at = 0;
  bool inside = false, wanted = false;
  auto fail = [](std::int32_t number) { return Outcome{false, number, {}}; };
  while (at < lines.size()) {
    const auto code = dxf_grammar::ParseCode(lines[at++]);
    if (!code) {
      if (at == lines.size() && dxf_grammar::IsBlankLine(lines[at - 1])) break;  // a blank last line
      return fail(13);
    }
    if (at >= lines.size()) return fail(62);
    const std::u16string value = codec.FromAnsi(lines[at++]);
    if (*code == 0) {
      wanted = false;
      if (value == u"SECTION") {
        if (at + 2 > lines.size()) return fail(62);
        if (codec.FromAnsi(lines[at + 1]) == q.section) inside = true;
        at += 2;
      } else if (value == u"ENDSEC") {
        if (inside) break;
      } else if (inside && value == q.type) {
        wanted = true;
        records.emplace_back(n + 1);
      }
    } else if (wanted) {
      if (codes.empty()) return fail(9);
      for (const auto& c : codes)
        if (!c) return fail(13);
      for (std::size_t k = 0; k < codes.size(); ++k)
        if (*codes[k] == *code) records.back()[k] = value;
    }
  }
  records.emplace_back(n + 1);
  Outcome o{true, 0,
            korvel::DxfTable(static_cast<std::int32_t>(n), static_cast<std::int32_t>(records.size() - 1))};
  for (std::size_t r = 0; r < records.size(); ++r)
    for (std::size_t k = 0; k <= n; ++k)
      o.table.At(static_cast<std::int32_t>(k), static_cast<std::int32_t>(r)) = records[r][k];
  const std::string count = std::to_string(records.size() - 2);
  o.table.At(0, 0) = std::u16string(count.begin(), count.end());
  return o;
}

// Scanners are kept from one input to the next, as a caller may keep one: old
// bytes left in a block must never be taken for the new file's.
Outcome Scanned(std::string_view file, const Query& q, platform::TextCodec& codec, std::size_t block,
                std::u16string* description) {
  static std::map<std::size_t, std::unique_ptr<korvel::DxfScanner>> scanners;
  auto& scanner = scanners[block];
  if (!scanner) scanner = std::make_unique<korvel::DxfScanner>(codec, block);
  korvel::DxfMemorySource source(file);
  Outcome o;
  korvel::DxfScanFailure failure;
  o.ok = scanner->Scan(source, q.section, q.type, q.codes, o.table, failure);
  o.number = failure.number;
  *description = failure.description;
  return o;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::unique_ptr<platform::TextCodec> codec = platform::MakeAnsiCodec(932);
  if (size < 2) return 0;
  const std::size_t block = 16 + data[0] % 80;
  const Query& q = kQueries[data[1] % (sizeof kQueries / sizeof kQueries[0])];
  const std::string_view file(reinterpret_cast<const char*>(data) + 2, size - 2);

  std::u16string small_text, large_text;
  const Outcome small = Scanned(file, q, *codec, block, &small_text);
  const Outcome large = Scanned(file, q, *codec, korvel::DxfScanner::kDefaultBlockBytes, &large_text);
  if (!(small == large) || small_text != large_text) std::abort();
  if (!(small == Reference(file, q, *codec))) std::abort();
  return 0;
}
