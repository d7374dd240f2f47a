// The picked dimension's styles as read from the rows of the scans: which
// record counts, and what a group left out of a record means.
#include "app/dimension_style.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace {

using plendra::DimensionStyleOf;
using plendra::TextStyleOf;

// A scan's table: (0, 0) the count, one row per record from row 1, as wide
// as the widest row.
korvel::DxfTable Table(const std::vector<std::vector<std::u16string>>& rows, int count = -1) {
  std::size_t width = 1;
  for (const auto& row : rows) width = std::max(width, row.size());
  korvel::DxfTable table(static_cast<std::int32_t>(width) - 1, static_cast<std::int32_t>(rows.size()) + 1);
  const std::string n = std::to_string(count >= 0 ? count : static_cast<int>(rows.size()));
  table.At(0, 0) = std::u16string(n.begin(), n.end());
  for (std::size_t r = 0; r < rows.size(); ++r)
    for (std::size_t k = 0; k < rows[r].size(); ++k)
      table.At(static_cast<std::int32_t>(k), static_cast<std::int32_t>(r) + 1) = rows[r][k];
  return table;
}

TEST(DimensionStyleOf, TakesTheLastRecordOfTheNameAndTheDefaultsOfWhatItLeavesOut) {
  // name, DIMSCALE, DIMTXT, DIMDEC, text style, DIMRND, DIMZIN, DIMGAP, DIMTMOVE
  const std::vector<std::u16string> iso = {u"ISO-25", u"100", u"2.5",   u"0", u"11",
                                           u"0.5",    u"8",   u"0.625", u"1"};
  const std::vector<std::u16string> bare = {u"ISO-25", u"", u"", u"", u"", u"", u"", u"", u""};
  const std::vector<std::u16string> other = {u"Standard", u"7", u"3", u"2", u"12", u"1", u"1", u"1", u"2"};
  struct Case {
    const char* what;
    std::vector<std::vector<std::u16string>> rows;
    int count;  // -1: the number of rows
    bool found;
    float K, H, R, G;
    std::int32_t D, Z, TM;
    std::u16string handle;
  };
  const Case cases[] = {
      {"written out", {other, iso}, -1, true, 100, 2.5f, 0.5f, 0.625f, 0, 8, 1, u"11"},
      {"left out: the imperial defaults", {bare}, -1, true, 1, 0.18f, 0, 0.09f, 4, 0, 0, u""},
      {"the last record of the name", {iso, other, bare}, -1, true, 1, 0.18f, 0, 0.09f, 4, 0, 0, u""},
      {"a scale of 0 is 1",
       {{u"ISO-25", u"0", u"2.5", u"", u"", u"", u"", u"", u""}},
       -1,
       true,
       1,
       2.5f,
       0,
       0.09f,
       4,
       0,
       0,
       u""},
      {"another name only", {other}, -1, false, 0, 0, 0, 0, 0, 0, 0, u""},
      {"a row beyond the count", {other, iso}, 1, false, 0, 0, 0, 0, 0, 0, 0, u""},
      {"no records", {}, -1, false, 0, 0, 0, 0, 0, 0, 0, u""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const plendra::DimensionStyle s = DimensionStyleOf(Table(c.rows, c.count), u"ISO-25");
    EXPECT_EQ(s.found, c.found);
    EXPECT_EQ(s.K, c.K);
    EXPECT_EQ(s.H, c.H);
    EXPECT_EQ(s.R, c.R);
    EXPECT_EQ(s.G, c.G);
    EXPECT_EQ(s.D, c.D);
    EXPECT_EQ(s.Z, c.Z);
    EXPECT_EQ(s.TM, c.TM);
    EXPECT_EQ(s.text_style_handle, c.handle);
  }
}

TEST(DimensionStyleOf, NamesAreComparedExactlyAndAScanWithoutBoundsHasNoStyle) {
  EXPECT_FALSE(
      DimensionStyleOf(Table({{u"iso-25", u"100", u"", u"", u"", u"", u"", u"", u""}}), u"ISO-25").found);
  EXPECT_FALSE(DimensionStyleOf(korvel::DxfTable(), u"ISO-25").found);
  // A count naming rows the table does not have is no style read in part.
  EXPECT_THROW(DimensionStyleOf(Table({{u"Standard"}}, 3), u"ISO-25"), std::out_of_range);
}

TEST(TextStyleOf, FindsTheHandleAndTakesAWidthFactorLeftOutAsOne) {
  const korvel::DxfTable styles =
      Table({{u"11", u"Standard", u"0.8"}, {u"12", u"ＭＳ ゴシック", u""}, {u"11", u"Later", u"0.7"}});
  struct Case {
    std::u16string handle, name;
    float WF;
  };
  const Case cases[] = {
      {u"11", u"Later", 0.7f}, {u"12", u"ＭＳ ゴシック", 1}, {u"13", u"", 0}, {u"", u"", 0}};
  for (const Case& c : cases) {
    const plendra::TextStyle s = TextStyleOf(styles, c.handle);
    EXPECT_EQ(s.name, c.name);
    EXPECT_EQ(s.WF, c.WF);
  }
}

}  // namespace
