// One picked object, all objects, the whole drawing: the selection and export
// strings the link library types, and the DXF they leave in the temporary
// folder.
#include <gtest/gtest.h>

#include "cadsim_fixture.h"

namespace cadsim_test {
namespace {

class SelectionExport : public CadsimTest {};

TEST_F(SelectionExport, PickedDimensionIsExportedAlone) {
  Start(1);
  const cadsim::Handle dim = DimensionMeasuring(1230);
  Cad().Script(cadsim::UserAction::Pick(dim, 2000));
  const std::uint64_t before = desktop.Queue().Elapsed();
  ASSERT_EQ(Send(u"^C^Cselect^Msingle^M"), -1);
  EXPECT_GE(desktop.Queue().Elapsed() - before, 2000u) << "returns when the user has picked";
  const std::u16string h = History();
  EXPECT_FALSE(EndsWith(h, u"*ｷｬﾝｾﾙ*"));
  EXPECT_TRUE(EndsWith(h, u"認識された数: 1"));

  ASSERT_EQ(Post(SglExport()), -1);
  EXPECT_EQ(CurrentPrompt(), Prompt()) << "no file yet, so no replace question";
  FinishExport();
  const cadsim::Drawing out = ReadScratch();
  ASSERT_EQ(out.entities.size(), 1u);
  const auto& d = std::get<cadsim::Dimension>(out.entities[0]);
  EXPECT_EQ(d.handle, dim);
  EXPECT_EQ(d.type, 32);
  EXPECT_EQ(d.measurement, 1230);
  EXPECT_NE(History().find(u"オブジェクトを選択: p"), std::u16string::npos);
}

TEST_F(SelectionExport, SecondExportAsksToReplaceAndYesRewritesTheFile) {
  Start(1);
  Cad().Script(cadsim::UserAction::Pick(DimensionMeasuring(1230), 500));
  ASSERT_EQ(Send(u"^C^Cselect^Msingle^M"), -1);
  ASSERT_EQ(Post(SglExport()), -1);
  FinishExport();

  const cadsim::Handle second = DimensionMeasuring(2450);
  Cad().Script(cadsim::UserAction::Pick(second, 500));
  ASSERT_EQ(Send(u"^C^Cselect^Msingle^M"), -1);
  ASSERT_EQ(Post(SglExport()), -1);
  EXPECT_EQ(CurrentPrompt(), u"図面ファイルは既に存在します。置き換えますか? [はい(Y)/いいえ(N)] <N>: ");
  ASSERT_EQ(Send(u"y^M"), -1);
  ASSERT_EQ(Send(u"filedia^M1^M"), -1);
  EXPECT_EQ(cadsim::CommonOf(ReadScratch().entities.at(0)).handle, second);
}

TEST_F(SelectionExport, EscAtTheSelectionEndsTheHistoryWithTheCancelMarker) {
  Start(1);
  Cad().Script(cadsim::UserAction::Escape(1500));
  ASSERT_EQ(Send(u"^C^Cselect^Msingle^M"), -1);
  EXPECT_TRUE(EndsWith(History(), u"オブジェクトを選択: *ｷｬﾝｾﾙ*"));
}

TEST_F(SelectionExport, EscFrom2004OnEndsWithTheFullWidthMarker) {
  Start(8);
  Cad().Script(cadsim::UserAction::Escape(1500));
  ASSERT_EQ(Send(u"^C^Cselect^Msingle^M"), -1);
  EXPECT_TRUE(EndsWith(History(), u"*キャンセル*"));
}

TEST_F(SelectionExport, PickInEmptySpaceKeepsSelectingUntilTheNextAction) {
  Start(1);
  Cad().Script(cadsim::UserAction::Nothing(300));
  Cad().Script(cadsim::UserAction::PickAt({615, -212.5, 0}, 700));
  ASSERT_EQ(Send(u"^C^Cselect^Msingle^M"), -1);
  ASSERT_EQ(Cad().PreviousSelection().size(), 1u);
  EXPECT_EQ(Cad().PreviousSelection()[0], DimensionMeasuring(1230));
}

TEST_F(SelectionExport, AllObjectsAreExportedAndCounted) {
  Start(1);
  const std::size_t count = TheDrawing().entities.size();
  ASSERT_EQ(Send(u"^C^C"), -1);
  ASSERT_EQ(Post(AllExport()), -1);
  FinishExport();
  std::u16string report;
  ASSERT_EQ(control->GetHistory(report, u"認識された数: "), -1);
  EXPECT_TRUE(report.starts_with(u"認識された数: " + cadsim_test::Decimal(count) + u"\r\n"));
  const cadsim::Drawing out = ReadScratch();
  EXPECT_EQ(out.entities.size(), count);
  std::vector<std::u16string> tags;
  for (const cadsim::Insert* n : All<cadsim::Insert>(out))
    for (const cadsim::Attribute& a : n->attributes) tags.push_back(a.tag);
  ASSERT_EQ(tags.size(), 24u);
  EXPECT_EQ(tags[6], u"(1)系統");
  EXPECT_EQ(tags[7], u"(2)番号");
}

TEST_F(SelectionExport, AllOnAnEmptyDrawingReportsZero) {
  Start(1, cadsim::Drawing{});
  ASSERT_EQ(Post(AllExport()), -1);
  FinishExport();
  std::u16string report;
  ASSERT_EQ(control->GetHistory(report, u"認識された数: "), -1);
  EXPECT_TRUE(report.starts_with(u"認識された数: 0\r\n"));
  EXPECT_TRUE(ReadScratch().entities.empty());
}

// SAVEAS makes the file it wrote the current drawing, as AutoCAD does, unless
// cadsim is told to model a release that keeps the drawing's own name.
TEST_F(SelectionExport, SaveAsRenamesTheDrawingUnlessToldNotTo) {
  for (const bool renames : {true, false}) {
    Start(4);
    Cad().saveas_renames = renames;
    ASSERT_EQ(Post(AllExport()), -1);
    FinishExport();
    const std::u16string name = renames ? Folder() + u"Wexa.dxf" : u"C:\\図面\\sample.dwg";
    EXPECT_EQ(Cad().MainTitle(), u"AutoCAD 2004 - [" + name + u"]") << renames;
    ASSERT_EQ(Send(u"^C^Cdwgname^M"), -1);
    const std::u16string dwgname = renames ? u"Wexa.dxf" : u"sample.dwg";
    EXPECT_NE(History().find(u"DWGNAME = \"" + dwgname + u"\" (読み込み専用)"), std::u16string::npos)
        << renames;
  }
}

TEST_F(SelectionExport, DxfOutWritesTheWholeDrawingWithTheFileNameFirst) {
  Start(4);
  ASSERT_EQ(Post(AutoExport()), -1);
  FinishExport();
  EXPECT_EQ(ReadScratch().entities.size(), TheDrawing().entities.size());
  EXPECT_NE(History().find(u"ファイル名を入力 <C:\\図面\\sample.dxf>: " + Folder() + u"Wexa.dxf"),
            std::u16string::npos);
  EXPECT_EQ(Cad().MainTitle(), u"AutoCAD 2004 - [C:\\図面\\sample.dwg]") << "DXFOUT keeps the drawing's name";
}

TEST_F(SelectionExport, SaveAsRefusesDwgFormatsAndAsksAgain) {
  Start(6);
  ASSERT_EQ(Post(u"filedia^M0^Msaveas^M2004^M"), -1);
  EXPECT_TRUE(CurrentPrompt().starts_with(
      u"ファイル形式を入力 [R14(LT98&LT97)/2000(LT2000)/2004(LT2004)/Dxf/Template]"));
  EXPECT_NE(History().find(u"DWG 形式"), std::u16string::npos);
}

TEST_F(SelectionExport, ExportRestoresFileDia) {
  Start(1);
  ASSERT_EQ(Post(AutoExport()), -1);
  FinishExport();
  std::u16string value;
  ASSERT_EQ(control->GetVariable(u"FILEDIA", value), -1);
  EXPECT_EQ(value, u"1");
}

}  // namespace
}  // namespace cadsim_test
