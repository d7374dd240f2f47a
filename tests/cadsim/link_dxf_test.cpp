// The link library's own DxfOut and DxfScan against cadsim: the export and
// the three scans of a dimension pick, and the attribute scan of the whole
// drawing, read exactly what the drawing holds.
#include <gtest/gtest.h>

#include "cadsim_fixture.h"
#include "link/dxf_table.h"

namespace cadsim_test {
namespace {

class LinkDxf : public CadsimTest {};

TEST_F(LinkDxf, PickedDimensionItsStyleAndItsTextStyleScanBack) {
  Start(3);
  const cadsim::Handle dim = DimensionMeasuring(3000);
  Cad().Script(cadsim::UserAction::Pick(dim, 2500));
  ASSERT_EQ(control->DxfOut(u"sgl", u"2000", &link), -1);

  korvel::DxfTable d;
  ASSERT_EQ(control->DxfScan(u"ENTITIES", u"DIMENSION", u"11|21|31|42|70|50|3|1070", d), -1);
  ASSERT_EQ(d.At(0, 0), u"1");
  EXPECT_EQ(d.At(0, 1), u"2200.0");
  EXPECT_EQ(d.At(1, 1), u"-1650.0");
  EXPECT_EQ(d.At(3, 1), u"3000.0");
  // Integers come right-aligned, as in AutoCAD's files.
  EXPECT_EQ(d.At(4, 1), u"   160");
  EXPECT_EQ(d.At(6, 1), u"配管100");
  EXPECT_EQ(d.At(7, 1), u"     2") << "the DSTYLE override's value";

  korvel::DxfTable s;
  ASSERT_EQ(control->DxfScan(u"TABLES", u"DIMSTYLE", u"2|40|140|271|340|45|78|147|279", s), -1);
  std::u16string text_style;
  for (int r = 1; r <= std::stoi(std::string(s.At(0, 0).begin(), s.At(0, 0).end())); ++r) {
    if (s.At(0, r) != u"配管100") continue;
    EXPECT_EQ(s.At(1, r), u"100.0");
    EXPECT_EQ(s.At(2, r), u"2.5") << "DIMTXT 2.5 differs from the reference's 0.18: AutoCAD writes it out";
    EXPECT_EQ(s.At(5, r), u"") << "DIMRND 0 is the reference's default, which AutoCAD leaves out";
    EXPECT_EQ(s.At(8, r), u"     1");
    text_style = s.At(4, r);
  }
  ASSERT_FALSE(text_style.empty());
  korvel::DxfTable t;
  ASSERT_EQ(control->DxfScan(u"TABLES", u"STYLE", u"5|2|41", t), -1);
  int found = 0;
  for (int r = 1; r <= std::stoi(std::string(t.At(0, 0).begin(), t.At(0, 0).end())); ++r)
    if (t.At(0, r) == text_style) found = r;
  ASSERT_GT(found, 0) << "DIMTXSTY names a STYLE handle of the same file";
  EXPECT_EQ(t.At(1, found), u"ゴシック");
  EXPECT_EQ(t.At(2, found), u"0.85");
}

TEST_F(LinkDxf, EscAtThePickExportsNothingAndShowsNothing) {
  Start(8);
  Cad().Script(cadsim::UserAction::Escape(800));
  EXPECT_EQ(control->DxfOut(u"sgl", u"2000", &link), 0);
  EXPECT_TRUE(desktop.ShownBoxes().empty());
  EXPECT_FALSE(std::filesystem::exists(Scratch()));
}

TEST_F(LinkDxf, WholeDrawingAttributesScanWithTheSystemFollowedByTheNumber) {
  Start(1);
  ASSERT_EQ(Send(u"^C^C"), -1);
  ASSERT_EQ(control->DxfOut(u"all", u"2000", &link), -1);
  korvel::DxfTable a;
  ASSERT_EQ(control->DxfScan(u"ENTITIES", u"ATTRIB", u"2|1", a), -1);
  ASSERT_EQ(a.At(0, 0), u"24");
  EXPECT_EQ(a.At(0, 15), u"(1)系統");
  EXPECT_EQ(a.At(1, 15), u"給水");
  EXPECT_EQ(a.At(0, 16), u"(2)番号");
  EXPECT_EQ(a.At(1, 16), u"2");
  std::u16string report;
  ASSERT_EQ(control->GetHistory(report, u"認識された数: "), -1);
  EXPECT_EQ(report.substr(8, 2), u"24");
}

TEST_F(LinkDxf, ExportOverAnEarlierOneAnswersTheReplaceQuestion) {
  Start(1);
  ASSERT_EQ(control->DxfOut(u"auto", u"2000", &link), -1);
  std::filesystem::remove(Scratch());
  std::ofstream(Scratch()) << "stale";
  ASSERT_EQ(control->DxfOut(u"auto", u"2000", &link), -1);
  EXPECT_EQ(ReadScratch().entities.size(), TheDrawing().entities.size());
  EXPECT_NE(History().find(u"置き換えますか? [はい(Y)/いいえ(N)] <N>: y"), std::u16string::npos);
}

// One whole entry as the application makes it: the highest number of the
// system from the drawing, the pick and its scan, the insertion with the
// attribute answers, the style, the layer steps; the next lookup sees it.
TEST_F(LinkDxf, AWholeEntryIsSeenByTheNextLookup) {
  Start(5);
  auto highest = [&](std::u16string_view system) {
    EXPECT_EQ(Send(u"^C^C"), -1);
    EXPECT_EQ(control->DxfOut(u"all", u"2000", &link), -1);
    korvel::DxfTable a;
    EXPECT_EQ(control->DxfScan(u"ENTITIES", u"ATTRIB", u"2|1", a), -1);
    const int n = std::stoi(std::string(a.At(0, 0).begin(), a.At(0, 0).end()));
    int h = 0;
    for (int r = 1; r < n; ++r)
      if (a.At(0, r) == u"(1)系統" && a.At(1, r) == system)
        h = std::max(h, std::stoi(std::string(a.At(1, r + 1).begin(), a.At(1, r + 1).end())));
    return h;
  };
  ASSERT_EQ(highest(u"給水"), 2);

  Cad().Script(cadsim::UserAction::PickAt({3912.5, 2250, 0}, 1500));  // the text of the 900 dimension
  ASSERT_EQ(control->DxfOut(u"sgl", u"2000", &link), -1);
  korvel::DxfTable d;
  ASSERT_EQ(control->DxfScan(u"ENTITIES", u"DIMENSION", u"11|21|31|42|70|50|3|1070", d), -1);
  ASSERT_EQ(d.At(3, 1), u"900.0");
  ASSERT_EQ(d.At(5, 1), u"90.0");

  ASSERT_EQ(Post(u"^C^C-insert^MC:\\Plendra\\Plendra1.dwg^Ms^M250^M3437.5,2250^M90^M"), -1);
  ASSERT_EQ(Send(u"3912.5^M2250^M0^M900^M^M^M給水^M3^M"), -1);
  ASSERT_EQ(Send(u"-attedit^My^M^M^M^Ml^M^Ms^Mゴシック^M^M"), -1);
  ASSERT_EQ(Send(u"^C^C-layer^Mn^M給水^Mt^M給水^Mon^M給水^Mu^M給水^M^M"), -1);
  ASSERT_EQ(Send(u"^C^Cchange^Ml^M^Mp^Mla^M給水^Mc^Mbylayer^Mlt^Mbylayer^Mlw^Mbylayer^M^M"), -1);
  EXPECT_EQ(highest(u"給水"), 3);
  EXPECT_EQ(highest(u"給湯"), 1);
}

}  // namespace
}  // namespace cadsim_test
