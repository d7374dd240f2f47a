// The takeoff sheet against a hand count of the seeded drawing, CSV as Excel
// reads it, and plendra-report's files, output and exit statuses.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/report.h"
#include "app_test_support.h"
#include "platform/ansi_codec.h"
#include "report_command.h"
#include "report_test_support.h"

namespace plendra {
namespace {

using Row = std::vector<std::string>;

std::vector<Row> Utf8Rows(const std::vector<std::vector<std::u16string>>& rows) {
  std::vector<Row> out;
  for (const auto& row : rows) {
    Row r;
    for (const auto& field : row) r.push_back(platform::ToUtf8(field));
    out.push_back(r);
  }
  return out;
}

std::filesystem::path Seeded() { return SourceDir() / "tests/report/seeded.dxf"; }

TEST(Takeoff, SumsTheSeededDrawingAsCountedByHand) {
  auto codec = platform::MakeAnsiCodec(932);
  ReportReadFailure failure;
  const std::optional<ReportDrawing> d = ReadReportFile(Seeded(), *codec, failure);
  ASSERT_TRUE(d.has_value());
  const std::vector<Row> rows = Utf8Rows(TakeoffRows(*d));
  // 給水: 1230 + 2450 + 1320 + 1230 + 1800 + 1450 + 750 + 500 + 900, of which
  // SGP 20A 1230 + 2450 + 1450 + 750 + 500 + 900, SGP 25A 1320 + 1230, VP 20A 1800.
  const std::vector<Row> totals = {
      {"小計", "SA", "1", "1230"},
      {"合計", "SA", "SGP", "20A", "1", "1230"},
      {"小計", "sa", "1", "1320"},
      {"合計", "sa", "SGP", "20A", "1", "1320"},
      {"小計", "冷却水,\"A\"", "1", "600"},
      {"合計", "冷却水,\"A\"", "STPG,\"Sch40\"", "25A", "1", "600"},
      {"小計", "排水", "2", "3600"},
      {"合計", "排水", "VP", "50A", "2", "3600"},
      {"小計", "給水", "9", "11630"},
      {"合計", "給水", "SGP", "20A", "6", "7280"},
      {"合計", "給水", "SGP", "25A", "2", "2550"},
      {"合計", "給水", "VP", "20A", "1", "1800"},
      {"小計", "給水 ", "1", "3100"},
      {"合計", "給水 ", "SUS", "20A", "1", "3100"},
      {"小計", "ＳＡ", "1", "2450"},
      {"合計", "ＳＡ", "SGP", "20A", "1", "2450"},
  };
  ASSERT_EQ(rows.size(), 1 + 16 + totals.size());
  EXPECT_EQ(rows[0], (Row{"系統", "番号", "長さ(mm)", "材質", "呼び径", "X", "Y", "画層"}));
  EXPECT_EQ(rows[1], (Row{"SA", "1", "1230", "SGP", "20A", "615", "-400", "SA"}));
  // 給水 in number order, the entry without a number last; "7.0" shown as read.
  const std::vector<std::string> water = {"1", "2", "3", "3", "5", "6", "7", "9", "A1"};
  for (std::size_t i = 0; i < water.size(); ++i) EXPECT_EQ(rows[6 + i][1], water[i]) << i;
  EXPECT_EQ(rows[12], (Row{"給水", "7", "750", "SGP", "20A", "10000.12", "1400.988", "給水"}));
  EXPECT_EQ(std::vector<Row>(rows.end() - totals.size(), rows.end()), totals);
}

TEST(Takeoff, AddsDecimalLengthsAndPassesOverLengthsThatAreNoNumbers) {
  auto codec = platform::MakeAnsiCodec(932);
  ReportReadFailure failure;
  const std::string text = DxfText()
                               .Begin()
                               .Entry("A", "1", "0", "0", "1234.4")
                               .Entry("A", "2", "0", "0", " 0.25 ")
                               .Entry("A", "3", "0", "0", "-")
                               .End()
                               .Text();
  const std::optional<ReportDrawing> d =
      ReadReportDrawing(codec->ToAnsi(platform::FromUtf8(text)), *codec, failure);
  ASSERT_TRUE(d.has_value());
  const std::vector<Row> rows = Utf8Rows(TakeoffRows(*d));
  ASSERT_EQ(rows.size(), 6u);
  EXPECT_EQ(rows[2][2], "0.25");
  EXPECT_EQ(rows[4], (Row{"小計", "A", "3", "1234.65"}));
  EXPECT_EQ(EntriesWithoutLength(*d), (std::vector<std::size_t>{2}));
}

TEST(Takeoff, NeverAddsALengthThatIsNotAFiniteSingle) {
  auto codec = platform::MakeAnsiCodec(932);
  ReportReadFailure failure;
  // Each row: the lengths of one system's three entries, its subtotal, and
  // which entries the command warns about.
  struct Case {
    const char* lengths[3];
    const char* total;
    std::vector<std::size_t> without;
  } cases[] = {
      {{"100", "1e999", "-1e999"}, "100", {1, 2}},
      {{"1e39", "100", "nan"}, "100", {0, 2}},
      {{"-0", "2.5", "百"}, "2.5", {2}},
      {{"1E+05", "-50", "inf"}, "99950", {2}},
  };
  for (const Case& c : cases) {
    DxfText text = DxfText().Begin();
    for (const char* length : c.lengths) text.Entry("A", "1", "0", "0", length);
    const std::optional<ReportDrawing> d =
        ReadReportDrawing(codec->ToAnsi(platform::FromUtf8(text.End().Text())), *codec, failure);
    ASSERT_TRUE(d.has_value());
    const std::vector<Row> rows = Utf8Rows(TakeoffRows(*d));
    ASSERT_EQ(rows.size(), 6u);
    EXPECT_EQ(rows[4], (Row{"小計", "A", "3", c.total})) << c.lengths[1];
    EXPECT_EQ(rows[5], (Row{"合計", "A", "SGP", "20A", "3", c.total})) << c.lengths[1];
    EXPECT_EQ(EntriesWithoutLength(*d), c.without) << c.lengths[1];
  }
}

TEST(Takeoff, WritesAFieldThatWouldOpenAsAFormulaAsText) {
  struct Case {
    std::u16string field, written;
  } cases[] = {
      // Every lead character a spreadsheet takes for a formula.
      {u"=cmd|'/c calc'!A1", u"\"'=cmd|'/c calc'!A1\""},
      {u"=1+1", u"\"'=1+1\""},
      {u"+1+1", u"\"'+1+1\""},
      {u"-2+3", u"\"'-2+3\""},
      {u"@SUM(A1:A9)", u"\"'@SUM(A1:A9)\""},
      {u"\t=1+1", u"\"'\t=1+1\""},
      {u"\r=1+1", u"\"'\r=1+1\""},
      {u"-", u"\"'-\""},
      {u"+", u"\"'+\""},
      {u"-A", u"\"'-A\""},
      {u"-1e", u"\"'-1e\""},
      {u"-.", u"\"'-.\""},
      // Quotes inside are doubled as in any quoted field.
      {u"=HYPERLINK(\"x\")", u"\"'=HYPERLINK(\"\"x\"\")\""},
      // Numbers stay numbers, whatever their sign or form.
      {u"-400", u"-400"},
      {u"+20", u"+20"},
      {u"-3212.5", u"-3212.5"},
      {u"-1.5E+07", u"-1.5E+07"},
      {u"-.5", u"-.5"},
      {u"-1e-5", u"-1e-5"},
      // Not at the front, or not a lead character: as it is.
      {u"SGP=", u"SGP="},
      {u" =1", u" =1"},
      {u"＝1+1", u"＝1+1"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(CsvText({{u"x", c.field}}), u"x," + c.written + u"\r\n") << platform::ToUtf8(c.field);
}

TEST(Takeoff, QuotesFieldsAsCsvRequires) {
  struct Case {
    std::u16string field, written;
  } cases[] = {
      {u"SGP", u"SGP"},
      {u"a,b", u"\"a,b\""},
      {u"say \"A\"", u"\"say \"\"A\"\"\""},
      {u"two\r\nlines", u"\"two\r\nlines\""},
      {u"", u""},
      {u" 給水 ", u" 給水 "},
  };
  for (const Case& c : cases)
    EXPECT_EQ(CsvText({{c.field, u"x"}}), c.written + u",x\r\n") << platform::ToUtf8(c.field);
}

class ReportCommand : public ::testing::Test {
 protected:
  int Run(std::vector<std::string> words) {
    std::vector<plendra_report::Argument> args;
    for (const std::string& w : words) args.push_back({platform::FromUtf8(w), std::filesystem::path(w)});
    out.str("");
    err.str("");
    return plendra_report::RunReportCommand(args, out, err);
  }
  std::string Read(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  std::ostringstream out, err;
  std::filesystem::path folder =
      std::filesystem::temp_directory_path() /
      ("plendra-report-test-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
  std::filesystem::path csv = folder / "sheet.csv";
  void SetUp() override { std::filesystem::create_directories(folder); }
  void TearDown() override { std::filesystem::remove_all(folder); }
};

TEST_F(ReportCommand, ExitsByWhatItFound) {
  const std::string clean_text =
      DxfText().Begin().Dimension("1", "2", "300").Entry("A", "1", "1", "2", "300").End().Text();
  std::ofstream(folder / "clean.dxf") << platform::MakeAnsiCodec(932)->ToAnsi(platform::FromUtf8(clean_text));
  std::ofstream(folder / "damaged.dxf") << "  0\nSECTION\n  2\nENTITIES\nINSERT\n";
  const std::string seeded = Seeded().string();
  const std::string clean = (folder / "clean.dxf").string();
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string err_has;
  } cases[] = {
      {{"check", clean}, 0, ""},
      {{"check", seeded, "--marume", "2"}, 1, ""},
      {{"check", seeded, "--marume=2", "--encoding", "cp932"}, 1, ""},
      {{"takeoff", seeded}, 0, "3 件の部品表は長さが寸法と合わないか"},
      {{"check"}, 2, "図面を一つ以上指定してください"},
      {{"count", seeded}, 2, "知らないコマンドです: count"},
      {{"check", seeded, "--marume", "5"}, 2, "--marume は 0 から 4"},
      {{"check", seeded, "--marume"}, 2, "--marume の後に値がありません"},
      {{"check", seeded, "--out", csv.string()}, 2, "takeoff のオプション"},
      {{"check", seeded, "--encoding", "59999"}, 2, "コード ページ 59999 はここでは使えません"},
      {{"check", (folder / "none.dxf").string()}, 2, "ファイルが見つからないか、読めません"},
      {{"check", (folder / "damaged.dxf").string()}, 2, "5 行目がグループ コードではありません"},
      {{"takeoff", seeded, "--out", (folder / "no" / "x.csv").string()}, 2, "集計表を書き込めません"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Run(c.args), c.status) << c.args[0] << " " << c.args.size();
    EXPECT_NE(err.str().find(c.err_has), std::string::npos) << err.str();
  }
  Run({"check", seeded, "--marume", "2"});
  EXPECT_TRUE(out.str().ends_with("\n7 findings in 16 entries\n")) << out.str();
  Run({"check", clean});
  EXPECT_EQ(out.str(), "0 findings in 1 entries\n");
}

TEST_F(ReportCommand, FailsWhenItsOutputDoesNotArrive) {
  const std::string seeded = Seeded().string();
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"check", seeded}, std::vector<std::string>{"takeoff", seeded},
        std::vector<std::string>{"--help"}}) {
    out.str("");
    err.str("");
    std::vector<plendra_report::Argument> words;
    for (const std::string& w : args) words.push_back({platform::FromUtf8(w), std::filesystem::path(w)});
    std::ostringstream broken;
    broken.setstate(std::ios::badbit);  // as a stream over a full disk ends up
    EXPECT_EQ(plendra_report::RunReportCommand(words, broken, err), 2) << args[0];
    EXPECT_NE(err.str().find("標準出力に書き込めません"), std::string::npos) << err.str();
  }
}

TEST_F(ReportCommand, WritesTheSheetInCodePage932OrUtf8WithAByteOrderMark) {
  ASSERT_EQ(Run({"takeoff", Seeded().string(), "--out", csv.string()}), 0);
  const std::string sheet = Read(csv);
  EXPECT_TRUE(sheet.starts_with("\x8C\x6E\x93\x9D,\x94\xD4\x8D\x86,")) << sheet.substr(0, 16);  // 系統,番号,
  EXPECT_TRUE(sheet.ends_with("\r\n"));
  EXPECT_EQ(out.str(), "");

  ASSERT_EQ(Run({"takeoff", Seeded().string(), "--utf8"}), 0);
  EXPECT_TRUE(out.str().starts_with("\xEF\xBB\xBF系統,番号,長さ(mm),"));
  auto codec = platform::MakeAnsiCodec(932);
  EXPECT_EQ(out.str().substr(3), platform::ToUtf8(codec->FromAnsi(sheet)));
}

}  // namespace
}  // namespace plendra
