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

}  // namespace
}  // namespace plendra
