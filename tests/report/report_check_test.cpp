// The check's findings: on the drawing written by ezdxf with its seeded
// faults, and on small drawings that each show one rule.
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/app_error.h"
#include "app/report.h"
#include "app_test_support.h"
#include "platform/ansi_codec.h"
#include "report_test_support.h"

namespace plendra {
namespace {

using LineList = std::vector<std::string>;

class ReportCheck : public ::testing::Test {
 protected:
  ReportDrawing Seeded() {
    std::optional<ReportDrawing> d = ReadReportFile(SourceDir() / "tests/report/seeded.dxf", *codec, failure);
    EXPECT_TRUE(d.has_value()) << platform::ToUtf8(failure.description);
    return d ? *d : ReportDrawing{};
  }
  LineList Check(const DxfText& text, std::int32_t marume = 2) {
    const std::optional<ReportDrawing> d =
        ReadReportDrawing(codec->ToAnsi(platform::FromUtf8(text.Text())), *codec, failure);
    EXPECT_TRUE(d.has_value()) << platform::ToUtf8(failure.description);
    return d ? Lines(CheckDrawing(*d, marume)) : LineList{};
  }

  std::unique_ptr<platform::TextCodec> codec = platform::MakeAnsiCodec(932);
  ReportReadFailure failure;
};

TEST_F(ReportCheck, NamesExactlyTheSeededFaultsWithEachRounding) {
  // The entries were written with 10 mm; the second 給水 3 stands on a
  // dimension of 1234.4, which other roundings give otherwise.
  const LineList with_10mm = {
      "duplicate\t給水\t3\t2", "gap\t給水\t4",    "stale\t給水\t6\t1450\t1500",
      "gap\t給水\t8",          "orphan\t給水\t9", "unnumbered\t給水\tA1",
      "gap\t給水 \t1",
  };
  struct Case {
    std::int32_t marume;
    LineList lines;
  } cases[] = {
      {2, with_10mm},
      {0,
       {with_10mm[0], "stale\t給水\t3\t1230\t1234", with_10mm[1], with_10mm[2], with_10mm[3], with_10mm[4],
        with_10mm[5], with_10mm[6]}},
      {3,
       {"stale\tSA\t1\t1230\t1250", "stale\tsa\t1\t1320\t1300", "stale\t給水\t1\t1230\t1250", with_10mm[0],
        "stale\t給水\t3\t1320\t1300", "stale\t給水\t3\t1230\t1250", with_10mm[1], with_10mm[2], with_10mm[3],
        with_10mm[4], with_10mm[5], with_10mm[6]}},
      {4,
       {with_10mm[0], "stale\t給水\t3\t1230\t1234.4", with_10mm[1], with_10mm[2], with_10mm[3], with_10mm[4],
        with_10mm[5], with_10mm[6]}},
  };
  const ReportDrawing drawing = Seeded();
  ASSERT_EQ(drawing.entries.size(), 16u);
  for (const Case& c : cases) EXPECT_EQ(Lines(CheckDrawing(drawing, c.marume)), c.lines) << c.marume;
}

TEST_F(ReportCheck, FollowsEachRuleOnSmallDrawings) {
  struct Case {
    const char* name;
    DxfText text;
    LineList lines;
  } cases[] = {
      {"a run of missing numbers is one line; no gaps below 1",
       DxfText()
           .Begin()
           .Dimension("1", "1", "100")
           .Entry("A", "1", "1", "1", "100")
           .Entry("A", "5", "1", "1", "100")
           .Entry("A", "0", "1", "1", "100")
           .Entry("A", "-1", "1", "1", "100")
           .End(),
       {"gap\tA\t2\t4"}},
      {"text points compare as the single-precision values the entry kept",
       DxfText()
           .Begin()
           .Dimension("1234.56789", "-0.0", "100")
           .Entry("A", "1", "1234.568", "0", "100")
           .Entry("A", "2", "1234.567", "0", "100")
           .End(),
       {"orphan\tA\t2"}},
      {"a length that is no number is stale",
       DxfText().Begin().Dimension("1", "2", "100").Entry("A", "1", "1", "2", "百").End(),
       {"stale\tA\t1\t百\t100"}},
      {"a dimension without a measured value judges no length",
       DxfText().Begin().Dimension("1", "2", "").Entry("A", "1", "1", "2", "300").End(),
       {}},
      {"one of two dimensions at the point agrees",
       DxfText()
           .Begin()
           .Dimension("1", "2", "200")
           .Dimension("1", "2", "300")
           .Entry("A", "1", "1", "2", "300")
           .End(),
       {}},
      {"a system without a following attribute has no number",
       DxfText().Begin().Group(0, "INSERT").Group(0, "ATTRIB").Group(1, "A").Group(2, "(1)系統").End(),
       {"orphan\tA\t", "unnumbered\tA\t"}},
  };
  for (const Case& c : cases) EXPECT_EQ(Check(c.text), c.lines) << c.name;
}

TEST_F(ReportCheck, ShowsAGapRunAsOneLineWhateverItsLength) {
  struct Case {
    const char* numbers[3];
    LineList lines;
  } cases[] = {
      {{"1", "3", "5"}, {"gap\tA\t2", "gap\tA\t4"}},
      {{"2", "3", "7"}, {"gap\tA\t1", "gap\tA\t4\t6"}},
      {{"1", "2", "2147483647"}, {"gap\tA\t3\t2147483646"}},
      {{"2147483646", "1", "2147483647"}, {"gap\tA\t2\t2147483645"}},
  };
  for (const Case& c : cases) {
    DxfText text = DxfText().Begin().Dimension("1", "1", "100");
    for (const char* n : c.numbers) text.Entry("A", n, "1", "1", "100");
    const std::optional<ReportDrawing> d =
        ReadReportDrawing(codec->ToAnsi(platform::FromUtf8(text.End().Text())), *codec, failure);
    ASSERT_TRUE(d.has_value());
    const std::vector<Finding> findings = CheckDrawing(*d, 2);
    EXPECT_EQ(Lines(findings), c.lines) << c.numbers[2];
  }
}

TEST_F(ReportCheck, RefusesARoundingIndexTheSettingsCannotHold) {
  EXPECT_EQ(ErrorOf([] { CheckDrawing({}, 5); }), 9);
  EXPECT_EQ(ErrorOf([] { CheckDrawing({}, -1); }), 9);
}

// The printed value against the measurement as the entry holds it: only a
// number other than the rounded measurement is a finding, shown as typed.
TEST_F(ReportCheck, NamesADimensionThatPrintsAnotherNumber) {
  struct Case {
    std::string text, measured;
    std::int32_t marume;
    LineList lines;
  } cases[] = {
      {"", "1234.4", 0, {}},                                  // the measurement
      {"<>", "1234.4", 0, {}},                                // the measurement, said so
      {"<> 既設", "1234.4", 0, {}},                           // the measurement and a note
      {"既設管", "1234.4", 0, {}},                            // no length at all
      {"1234", "1234.4", 0, {}},                              // what the entry holds
      {"1234.0", "1234.4", 0, {}},                            // the same number
      {"1500", "1234.4", 0, {"override\tA\t1\t1500\t1234"}},  // another one
      {" 1500 ", "1234.4", 0, {"override\tA\t1\t 1500 \t1234"}},
      // What 10 mm makes of it: no override (the entry, written to the
      // millimetre, is stale then).
      {"1230", "1234.4", 2, {"stale\tA\t1\t1234\t1230"}},
      {"1230", "1234.4", 3, {"stale\tA\t1\t1234\t1250", "override\tA\t1\t1230\t1250"}},
      {"1234", "1234.4", 4, {"stale\tA\t1\t1234\t1234.4", "override\tA\t1\t1234\t1234.4"}},
      {"1500", "", 0, {}},  // nothing measured to compare with
  };
  for (const Case& c : cases) {
    const LineList lines = Check(
        DxfText().Begin().Dimension("1", "2", c.measured, c.text).Entry("A", "1", "1", "2", "1234").End(),
        c.marume);
    EXPECT_EQ(lines, c.lines) << c.text << " " << c.marume;
  }
}

// A set of sheets is one numbering, but a dimension belongs to its own sheet.
TEST_F(ReportCheck, ChecksASetOfSheetsAsOneNumbering) {
  const auto read = [&](const DxfText& text) {
    std::optional<ReportDrawing> d =
        ReadReportDrawing(codec->ToAnsi(platform::FromUtf8(text.Text())), *codec, failure);
    EXPECT_TRUE(d.has_value());
    return d ? *d : ReportDrawing{};
  };
  std::vector<ReportDrawing> sheets;
  // 1F: A 1, 2 and 3; B 1 whose dimension is on 1F only.
  sheets.push_back(read(DxfText()
                            .Begin()
                            .Dimension("1", "2", "300")
                            .Dimension("5", "6", "400")
                            .Entry("A", "1", "1", "2", "300")
                            .Entry("A", "2", "1", "2", "300")
                            .Entry("A", "3", "1", "2", "300")
                            .Entry("B", "1", "5", "6", "400")
                            .End()));
  // 2F: A 4, 6 and 3 again; B 2 at 1F's dimension, none here.
  sheets.push_back(read(DxfText()
                            .Begin()
                            .Dimension("1", "2", "300")
                            .Entry("A", "4", "1", "2", "300")
                            .Entry("A", "6", "1", "2", "300")
                            .Entry("A", "3", "1", "2", "300")
                            .Entry("B", "2", "5", "6", "400")
                            .End()));
  // 3F: A 3 a third time, and A 9.
  sheets.push_back(read(DxfText()
                            .Begin()
                            .Dimension("1", "2", "300")
                            .Entry("A", "9", "1", "2", "300")
                            .Entry("A", "3", "1", "2", "300")
                            .End()));
  const ReportDrawing set = JoinDrawings(sheets);
  EXPECT_EQ(Lines(CheckDrawing(set, 0), {u"1F", u"2F", u"3F"}),
            (LineList{"duplicate\tA\t3\t3\t1F, 2F, 3F", "gap\tA\t5\t2F", "gap\tA\t7\t8\t2F, 3F",
                      "orphan\tB\t2\t2F"}));
  // Without names (or with one) the lines are those of a single drawing.
  EXPECT_EQ(Lines(CheckDrawing(set, 0)),
            (LineList{"duplicate\tA\t3\t3", "gap\tA\t5", "gap\tA\t7\t8", "orphan\tB\t2"}));
}

}  // namespace
}  // namespace plendra
