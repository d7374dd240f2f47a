// Plendra's menu 検査 against cadsim, for what a scenario file cannot see:
// the sheet's bytes beside the drawing, and the menu's state during a run.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "app/plendra.h"
#include "app/report.h"
#include "platform/ansi_codec.h"
#include "scenario.h"
#include "support/scenario_fixture.h"

namespace {

class KensaForm : public plendra_test::ScenarioTest {
 protected:
  static std::filesystem::path Source(const char* file) {
    const char* root = std::getenv("PLENDRA_SOURCE_DIR");
    return (root ? std::filesystem::path(root) : std::filesystem::current_path()) / file;
  }
};

// The sheet Plendra writes from AutoCAD's export holds what plendra-report
// writes from the file AutoCAD opened: the export loses nothing it needs.
TEST_F(KensaForm, WritesTheSheetOfTheDrawingBesideIt) {
  Lines({"drawing " + Source("tests/report/seeded.dxf").string(), "start", "takeoff"});
  std::ifstream in(runner.TheHost()->drawing_folder / u"seeded_集計表.csv", std::ios::binary);
  ASSERT_TRUE(in) << log.str();
  const std::string written{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};

  auto codec = platform::MakeAnsiCodec(932);
  plendra::ReportReadFailure failure;
  const auto original = plendra::ReadReportFile(Source("tests/report/seeded.dxf"), *codec, failure);
  ASSERT_TRUE(original.has_value());
  EXPECT_EQ(written, codec->ToAnsi(plendra::CsvText(plendra::TakeoffRows(*original))));
}

TEST_F(KensaForm, ADrawingWithoutEntriesHasNothingToFind) {
  Lines({"drawing " + Source("data/Plendra1.dxf").string(), "start", "check",
         "expect message \"番号の検査: 問題は見つかりませんでした。\"",
         "expect status \"番号の検査: 0 件見つかりました\""});
}

// A dimension that prints another value than its entry holds is a row of the
// findings list that says both values.
TEST_F(KensaForm, ListsADimensionThatPrintsAnotherValue) {
  Lines({"drawing " + Source("tests/scenarios/drawings/printed_value.dxf").string(),
         "keitou " + Source("tests/scenarios/keitou_lookup.txt").string(), "start", "setting Renzoku 0",
         "user pick 45", "press", "user pick 31", "press", "check"});
  const std::vector<plendra::KensaRow>& rows = runner.TheHost()->kensa.rows;
  ASSERT_EQ(rows.size(), 1u) << log.str();
  EXPECT_EQ(rows[0].kind, u"表示値違い");
  EXPECT_EQ(rows[0].system, u"給水");
  EXPECT_EQ(rows[0].number, u"2");
  EXPECT_EQ(rows[0].detail, u"寸法の表示 1500、測定値 1234mm (部品表は測定値)");
}

// The menu is off while a run waits for a pick, and choosing it then (a click
// handled by the wait's message pump) exports nothing.
TEST_F(KensaForm, IsOffDuringARun) {
  Lines({"drawing " + Source("tests/report/seeded.dxf").string(), "start", "user esc 3000"});
  scenario::SimHost& host = *runner.TheHost();
  bool enabled_in_run = true;
  std::size_t exports_in_run = 0;
  runner.TheDesktop().UserEvent(1000, [&] {
    enabled_in_run = host.form.kensa_menu.Enabled();
    const std::size_t before = log.str().size();
    runner.App()->MainForm().Mnu_Bangou_Kensa_Click();
    exports_in_run = log.str().size() - before;
  });
  Lines({"press"});
  EXPECT_FALSE(enabled_in_run);
  EXPECT_EQ(exports_in_run, 0u) << log.str();
  EXPECT_TRUE(host.form.kensa_menu.Enabled());
}

}  // namespace
