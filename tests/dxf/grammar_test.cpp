// The forms a group-code line and a file's frame may take, read by every DXF
// reader of the tree: the shared group reader, the link library's scanner (at
// a small block, so that lines cross block edges, and at its default one), the
// reports' reader and cadsim's. They must all read one grammar: the same code,
// or a refusal naming the same line.
#include "dxf/grammar.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/report.h"
#include "cadsim/dxf.h"
#include "link/dxf_scanner.h"
#include "platform/ansi_codec.h"
#include "platform/utf8.h"

namespace {

// What a reader made of a file: read, or refused at a line.
struct Outcome {
  bool read = false;
  std::int64_t line = 0;  // of the refusal
  bool operator==(const Outcome&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Outcome& o) {
  return o.read ? out << "read" : out << "refused at line " << o.line;
}

Outcome Read() { return {true, 0}; }
Outcome RefusedAt(std::int64_t line) { return {false, line}; }

class DxfGrammar : public ::testing::Test {
 protected:
  Outcome Shared(std::string_view bytes, std::vector<dxf_grammar::Group>* groups = nullptr) {
    dxf_grammar::GroupReader reader(bytes);
    dxf_grammar::Group g;
    try {
      while (reader.Next(g))
        if (groups != nullptr) groups->push_back(g);
      return Read();
    } catch (const dxf_grammar::GroupError& e) {
      return RefusedAt(e.line);
    }
  }

  // The scanner reads the whole file: the section asked for is never found.
  // The line comes from its message, which the user sees.
  Outcome Scanner(std::string_view bytes, std::size_t block, std::u16string_view codes = u"1",
                  korvel::DxfTable* table = nullptr, std::u16string_view section = u"NONE") {
    korvel::DxfScanner scanner(*codec, block);
    korvel::DxfMemorySource source(bytes);
    korvel::DxfTable result;
    korvel::DxfScanFailure failure;
    if (scanner.Scan(source, section, u"POINT", codes, result, failure)) {
      if (table != nullptr) *table = result;
      return Read();
    }
    const std::string text = platform::ToUtf8(failure.description);
    const std::size_t at = text.find(" 行目");
    std::size_t from = at;
    while (from > 0 && text[from - 1] >= '0' && text[from - 1] <= '9') --from;
    if (at == std::string::npos || from == at) return RefusedAt(-failure.number);
    return RefusedAt(std::stoll(text.substr(from, at - from)));
  }

  Outcome Report(std::string_view bytes) {
    plendra::ReportReadFailure failure;
    if (plendra::ReadReportDrawing(bytes, *codec, failure)) return Read();
    return RefusedAt(failure.line);
  }

  Outcome Cadsim(std::string_view bytes) {
    try {
      cadsim::ReadDxf(bytes, *codec);
      return Read();
    } catch (const cadsim::DxfError& e) {
      return RefusedAt(static_cast<std::int64_t>(e.Line()));
    }
  }

  // Every reader, the scanner at two block sizes. The reports stop reading
  // after the entities: damage behind them is no concern of theirs.
  void ExpectEveryReader(std::string_view bytes, const Outcome& expected, const std::string& what,
                         bool behind_the_entities = false) {
    SCOPED_TRACE(what);
    EXPECT_EQ(Shared(bytes), expected) << "shared reader";
    EXPECT_EQ(Scanner(bytes, 16), expected) << "scanner, small blocks";
    EXPECT_EQ(Scanner(bytes, korvel::DxfScanner::kDefaultBlockBytes), expected) << "scanner";
    EXPECT_EQ(Report(bytes), behind_the_entities ? Read() : expected) << "report";
    EXPECT_EQ(Cadsim(bytes), expected) << "cadsim";
  }

  std::unique_ptr<platform::TextCodec> codec = platform::MakeAnsiCodec(932);
};

std::string Lines(const std::vector<std::string>& lines, std::string_view eol) {
  std::string text;
  for (const std::string& line : lines) text += line + std::string(eol);
  return text;
}

// A whole drawing with one point, whose group on line 7 has the code line
// given: any code is welcome there.
std::string PointWith(const std::string& code_line, std::string_view eol) {
  return Lines(
      {"  0", "SECTION", "  2", "ENTITIES", "  0", "POINT", code_line, "5.0", "  0", "ENDSEC", "  0", "EOF"},
      eol);
}

TEST_F(DxfGrammar, CodeLineForms) {
  struct Case {
    std::string line;
    std::optional<std::int32_t> code;
  } cases[] = {
      {"  0", 0},
      {" 10", 10},
      {"10", 10},
      {"0010", 10},
      {"+10", 10},
      {" -3", -3},
      {"\t10\t", 10},
      {"10  ", 10},
      {"1071", 1071},
      {"   2147483647", 2147483647},
      {"-2147483647", -2147483647},
      {"", std::nullopt},
      {"   ", std::nullopt},
      {"\t", std::nullopt},
      {"+", std::nullopt},
      {"1 0", std::nullopt},
      {"1e1", std::nullopt},
      {"0x0A", std::nullopt},
      {"10.0", std::nullopt},
      {"- 10", std::nullopt},
      {"+-1", std::nullopt},
      {"10-", std::nullopt},
      {"\x82\x50\x82\x4F", std::nullopt},  // full-width digits
      {"10\r\r", std::nullopt},            // a CR before the line end's is none
      {"\r10", std::nullopt},
      {"2147483648", std::nullopt},
      {"-2147483648", std::nullopt},
      {"99999999999", std::nullopt},
  };
  for (const Case& c : cases) {
    for (std::string_view eol : {"\n", "\r\n"}) {
      const std::string what = "\"" + c.line + "\" with " + (eol.size() == 1 ? "LF" : "CRLF");
      EXPECT_EQ(dxf_grammar::ParseCode(c.line), c.code) << what;
      const std::string file = PointWith(c.line, eol);
      ExpectEveryReader(file, c.code ? Read() : RefusedAt(7), what);
      // A group 0 begins a record of the type its value names: there is no
      // point whose value to look up.
      if (!c.code || *c.code == 0) continue;
      // The code read is the one written: the shared reader hands it out, and
      // the scanner finds the value under it.
      std::vector<dxf_grammar::Group> groups;
      Shared(file, &groups);
      ASSERT_EQ(groups.size(), 6u) << what;
      EXPECT_EQ(groups[3].code, *c.code) << what;
      EXPECT_EQ(groups[3].line, 7) << what;
      EXPECT_EQ(groups[3].value, "5.0") << what;
      const std::string code_text = std::to_string(*c.code);
      for (std::size_t block : {std::size_t{16}, korvel::DxfScanner::kDefaultBlockBytes}) {
        korvel::DxfTable table;
        EXPECT_EQ(
            Scanner(file, block, std::u16string(code_text.begin(), code_text.end()), &table, u"ENTITIES"),
            Read())
            << what;
        EXPECT_EQ(table.At(0, 0), u"1") << what;
        EXPECT_EQ(table.At(0, 1), u"5.0") << what;
      }
    }
  }
}

// Three-column codes have a short way through the scanner of their own: every
// line of three bytes from blanks, digits, signs and a few others must read
// as the grammar says, the code included.
TEST_F(DxfGrammar, EveryThreeByteCodeLineReadsAsTheGrammarSays) {
  const std::string alphabet = " \t0159+-x\r\x82";
  int codes = 0;
  for (char a : alphabet) {
    for (char b : alphabet) {
      for (char c : alphabet) {
        const std::string line{a, b, c};
        // A carriage return before the line feed belongs to the line end.
        const std::string_view as_read =
            c == '\r' ? std::string_view(line).substr(0, 2) : std::string_view(line);
        const std::optional<std::int32_t> code = dxf_grammar::ParseCode(as_read);
        const std::string file = PointWith(line, "\n");
        const std::string what = "\"" + line + "\"";
        if (!code || *code == 0) {
          if (!code) {
            EXPECT_EQ(Scanner(file, korvel::DxfScanner::kDefaultBlockBytes), RefusedAt(7)) << what;
          }
          continue;
        }
        ++codes;
        const std::string code_text = std::to_string(*code);
        korvel::DxfTable table;
        ASSERT_EQ(Scanner(file, korvel::DxfScanner::kDefaultBlockBytes,
                          std::u16string(code_text.begin(), code_text.end()), &table, u"ENTITIES"),
                  Read())
            << what;
        EXPECT_EQ(table.At(0, 1), u"5.0") << what;
      }
    }
  }
  EXPECT_GT(codes, 30);  // the table is not empty of codes
}

TEST_F(DxfGrammar, FileForms) {
  const std::string drawing = PointWith(" 10", "\r\n");
  const std::string bom = std::string(dxf_grammar::kByteOrderMark);
  struct Case {
    const char* what;
    std::string bytes;
    Outcome outcome;
    bool behind_the_entities = false;
  } cases[] = {
      {"CRLF", drawing, Read()},
      {"LF", PointWith(" 10", "\n"), Read()},
      {"no line end after the last line", drawing.substr(0, drawing.size() - 2), Read()},
      {"a CR without LF after the last line", drawing.substr(0, drawing.size() - 1), Read()},
      {"a byte-order mark in front", bom + drawing, Read()},
      {"a byte-order mark further on", PointWith(bom + " 10", "\r\n"), RefusedAt(7)},
      {"two byte-order marks", bom + bom + drawing, RefusedAt(1)},
      {"a comment first", "999\r\nwritten by hand\r\n" + drawing, Read()},
      {"a comment inside a record",
       Lines({"  0", "SECTION", "  2", "ENTITIES", "  0", "POINT", "999", "a note", " 10", "5.0", "  0",
              "ENDSEC", "  0", "EOF"},
             "\r\n"),
       Read()},
      {"a blank last line", drawing + "\r\n", Read()},
      {"a last line of blanks", drawing + " \t", Read()},
      {"a last line of blanks with its line end", drawing + "  \n", Read()},
      {"two blank last lines", drawing + "\r\n\r\n", RefusedAt(13), true},
      {"a blank line before the last", drawing + "\r\n  0\r\n", RefusedAt(13), true},
      {"a code without its value", drawing + "  0", RefusedAt(13), true},
      {"a code without its value, a line end after it", drawing + "  0\r\n", RefusedAt(13), true},
  };
  for (const Case& c : cases) ExpectEveryReader(c.bytes, c.outcome, c.what, c.behind_the_entities);
}

}  // namespace
