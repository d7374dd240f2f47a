// The renumbering plan: which entry of a system gets which number, on small
// drawings that each show one rule and on the seeded drawing written by ezdxf.
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/report.h"
#include "app_test_support.h"
#include "platform/ansi_codec.h"
#include "report_test_support.h"

namespace plendra {
namespace {

struct At {
  const char* system;
  const char* number;
  const char* x;  // the insertion point
  const char* y;
};

// A change as "OLD>NEW@X,Y" (the insertion point), so that a table shows
// which of two duplicates got which number.
std::vector<std::string> Changes(const ReportDrawing& d, const RenumberPlan& plan) {
  std::vector<std::string> out;
  for (const RenumberChange& c : plan.changes) {
    const ReportEntry& e = d.entries[c.entry];
    out.push_back(platform::ToUtf8(c.old_text) + ">" + std::to_string(c.new_number) + "@" +
                  std::to_string(static_cast<int>(e.insert_x)) + "," +
                  std::to_string(static_cast<int>(e.insert_y)));
    EXPECT_EQ(c.old_text, e.number_text);
    EXPECT_EQ(c.old_number, e.number.value_or(-999));
  }
  return out;
}

class ReportRenumber : public ::testing::Test {
 protected:
  ReportDrawing Read(const std::vector<At>& entries) {
    DxfText text;
    text.Begin();
    for (const At& a : entries) text.Entry(a.system, a.number, "1", "2", "100", "SGP", "20A", a.x, a.y);
    text.End();
    ReportReadFailure failure;
    const std::optional<ReportDrawing> d =
        ReadReportDrawing(codec->ToAnsi(platform::FromUtf8(text.Text())), *codec, failure);
    EXPECT_TRUE(d.has_value()) << platform::ToUtf8(failure.description);
    return d ? *d : ReportDrawing{};
  }
  std::unique_ptr<platform::TextCodec> codec = platform::MakeAnsiCodec(932);
};

TEST_F(ReportRenumber, NumbersInTheOrderOfTheCurrentNumbersWithoutGaps) {
  struct Case {
    const char* name;
    std::vector<At> entries;
    std::vector<std::string> changes;
    std::size_t kept;
    std::size_t unnumbered;
  } cases[] = {
      {"already 1..n, in any file order",
       {{"A", "2", "0", "0"}, {"A", "1", "0", "0"}, {"A", "3", "0", "0"}},
       {},
       3,
       0},
      {"a gap closes: everything above it moves down",
       {{"A", "1", "0", "0"}, {"A", "5", "0", "0"}, {"A", "2", "0", "0"}, {"A", "9", "0", "0"}},
       {"5>3@0,0", "9>4@0,0"},
       2,
       0},
      {"a duplicate: the higher one keeps the number, the lower one the next",
       {{"A", "1", "0", "0"}, {"A", "2", "0", "-100"}, {"A", "2", "0", "100"}, {"A", "3", "0", "0"}},
       {"2>3@0,-100", "3>4@0,0"},
       2,
       0},
      {"a duplicate on one height: the left one first",
       {{"A", "1", "500", "7"}, {"A", "1", "-500", "7"}, {"A", "1", "0", "7"}},
       {"1>2@0,7", "1>3@500,7"},
       1,
       0},
      {"the same point: the file's order",
       {{"A", "4", "10", "10"}, {"A", "4", "10", "10"}},
       {"4>1@10,10", "4>2@10,10"},
       0,
       0},
      {"numbers below one take the first places",
       {{"A", "1", "0", "0"}, {"A", "0", "0", "0"}, {"A", "-3", "0", "0"}},
       {"-3>1@0,0", "0>2@0,0", "1>3@0,0"},
       0,
       0},
      {"a number read as the lookup reads it: 7.0 in seventh place stays, 2.0 in first does not",
       {{"A", "2.0", "0", "0"},
        {"A", "2", "0", "-1"},
        {"A", "3", "0", "0"},
        {"A", "4", "0", "0"},
        {"A", "5", "0", "0"},
        {"A", "6", "0", "0"},
        {"A", "7.0", "0", "0"}},
       {"2.0>1@0,0"},
       6,
       0},
      {"non-decimal numbers stay as written and take no place",
       {{"A", "A1", "0", "0"}, {"A", "3", "0", "0"}, {"A", "", "0", "0"}, {"A", "99999999999", "0", "0"}},
       {"3>1@0,0"},
       0,
       3},
      {"other systems are left alone, including ones that differ by a blank or a case",
       {{"A ", "5", "0", "0"}, {"a", "5", "0", "0"}, {"A", "5", "0", "0"}, {"Ａ", "5", "0", "0"}},
       {"5>1@0,0"},
       0,
       0},
      {"a system the drawing lacks: nothing", {{"B", "5", "0", "0"}}, {}, 0, 0},
      {"a duplicate above a gap: the higher one fills the gap, the lower one keeps the number",
       {{"A", "3", "0", "0"}, {"A", "3", "0", "50"}, {"A", "1", "0", "0"}},
       {"3>2@0,50"},
       2,
       0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const ReportDrawing d = Read(c.entries);
    const RenumberPlan plan = PlanRenumber(d, u"A");
    EXPECT_EQ(plan.system, u"A");
    EXPECT_EQ(Changes(d, plan), c.changes);
    EXPECT_EQ(plan.kept, c.kept);
    EXPECT_EQ(plan.unnumbered.size(), c.unnumbered);
    EXPECT_EQ(plan.Numbered() + plan.unnumbered.size(),
              static_cast<std::size_t>(std::count_if(d.entries.begin(), d.entries.end(),
                                                     [](const ReportEntry& e) { return e.system == u"A"; })));
  }
}

TEST_F(ReportRenumber, TheResultReadsOneToNWhateverTheStart) {
  // Applying the plan to the numbers leaves exactly 1..n, each once.
  const std::vector<std::vector<const char*>> starts = {
      {"9", "9", "9", "1"}, {"100", "-4", "3", "3", "2"}, {"2147483647", "-2147483648", "0"}, {"1"}};
  for (const auto& numbers : starts) {
    std::vector<At> entries;
    for (std::size_t i = 0; i < numbers.size(); ++i)
      entries.push_back({"A", numbers[i], "0", i % 2 ? "1" : "-1"});
    const ReportDrawing d = Read(entries);
    const RenumberPlan plan = PlanRenumber(d, u"A");
    std::vector<std::int32_t> after;
    for (const ReportEntry& e : d.entries) after.push_back(*e.number);
    for (const RenumberChange& c : plan.changes) after[c.entry] = c.new_number;
    std::sort(after.begin(), after.end());
    for (std::size_t i = 0; i < after.size(); ++i) EXPECT_EQ(after[i], static_cast<std::int32_t>(i + 1));
  }
}

TEST_F(ReportRenumber, TypedOneAtATimeNoStepMeetsANumberStillHeld) {
  // Each step gives an entry its new number; at that moment no other entry
  // of the system may hold it, or the next step's filter could take the
  // wrong one. Shifts down, shifts up, both, and duplicates among them.
  struct Case {
    std::vector<const char*> numbers;
    std::vector<std::string> typed;  // "OLD>NEW" in the order typed
  } cases[] = {
      {{"2", "3", "4"}, {"2>1", "3>2", "4>3"}},
      {{"1", "1", "2", "3"}, {"3>4", "2>3", "1>2"}},
      {{"2", "2", "2", "9", "10"}, {"2>1", "9>4", "10>5", "2>3"}},
      {{"0", "1", "1", "5", "-2"}, {"1>4", "1>3", "0>2", "-2>1"}},
  };
  for (const Case& c : cases) {
    std::vector<At> entries;
    for (std::size_t i = 0; i < c.numbers.size(); ++i)
      entries.push_back({"A", c.numbers[i], "0", i % 2 ? "1" : "-1"});
    const ReportDrawing d = Read(entries);
    const RenumberPlan plan = PlanRenumber(d, u"A");
    std::vector<std::int32_t> now;
    for (const ReportEntry& e : d.entries) now.push_back(*e.number);
    std::vector<std::string> typed;
    const std::vector<std::size_t> order = RenumberTypingOrder(plan);
    ASSERT_EQ(order.size(), plan.changes.size());
    for (const std::size_t k : order) {
      const RenumberChange& change = plan.changes[k];
      typed.push_back(platform::ToUtf8(change.old_text) + ">" + std::to_string(change.new_number));
      for (std::size_t i = 0; i < now.size(); ++i) {
        if (i == change.entry) continue;
        EXPECT_NE(now[i], change.new_number) << typed.back() << " meets a number still held";
      }
      now[change.entry] = change.new_number;
    }
    EXPECT_EQ(typed, c.typed);
  }
}

TEST_F(ReportRenumber, SeededDrawing) {
  // 給水 reads 1 2 3 3 5 6 7.0 9 A1. Of the two 3s the one whose balloon
  // stands higher keeps 3 although it lies further right and later in the
  // file; the other takes 4, which was missing. 5, 6 and 7.0 are in place,
  // and 9 closes the gap at 8.
  ReportReadFailure failure;
  const std::optional<ReportDrawing> d =
      ReadReportFile(SourceDir() / "tests/report/seeded.dxf", *codec, failure);
  ASSERT_TRUE(d.has_value());
  const RenumberPlan plan = PlanRenumber(*d, u"給水");
  EXPECT_EQ(Changes(*d, plan), (std::vector<std::string>{"3>4@4340,75", "9>8@7777,8252"}));
  EXPECT_EQ(plan.kept, 6u);
  ASSERT_EQ(plan.unnumbered.size(), 1u);
  EXPECT_EQ(d->entries[plan.unnumbered[0]].number_text, u"A1");
  // 給水 with a trailing blank is another system: its lone 2 becomes 1.
  EXPECT_EQ(Changes(*d, PlanRenumber(*d, u"給水 ")), (std::vector<std::string>{"2>1@1550,5875"}));
}

// A system the drawing lacks: named, then the systems the drawing holds,
// each once and in the reports' order, at most twenty of them.
TEST_F(ReportRenumber, MissingSystemNamesTheSystemsTheDrawingHolds) {
  std::vector<At> many;
  std::vector<std::string> names;
  for (int i = 21; i >= 1; --i) names.push_back((i < 10 ? "S0" : "S") + std::to_string(i));
  for (const std::string& name : names) many.push_back({name.c_str(), "1", "0", "0"});
  struct Case {
    const char* name;
    std::vector<At> entries;
    std::string text;
  };
  const std::vector<Case> cases = {
      {"two systems, one twice",
       {{"給水", "1", "0", "0"}, {"排水", "1", "0", "0"}, {"給水", "2", "0", "0"}},
       "系統「冷却水」の部品表はこの図面にありません。図面にある系統: 「排水」「給水」"},
      {"no entries at all", {}, "系統「冷却水」の部品表はこの図面にありません。"},
      {"more than twenty", many,
       "系統「冷却水」の部品表はこの図面にありません。図面にある系統: "
       "「S01」「S02」「S03」「S04」「S05」「S06」「S07」「S08」「S09」「S10」「S11」「S12」「S13」「S14」"
       "「S15」「S16」「S17」「S18」「S19」「S20」 ほか"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(platform::ToUtf8(MissingSystemText(Read(c.entries), u"冷却水")), c.text) << c.name;
}

}  // namespace
}  // namespace plendra
