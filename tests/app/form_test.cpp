// Plendra's windows against cadsim on the simulated desktop, for what a
// scenario file cannot reach: the settings dialog's controls, a close or a
// lost link in the middle of a wait, the window's display state.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "app/plendra.h"
#include "scenario.h"
#include "support/scenario_fixture.h"

namespace {

using scenario::Runner;

class FormTest : public plendra_test::ScenarioTest {
 protected:
  scenario::SimHost& Host() { return *runner.TheHost(); }
  plendra::Plendra& App() { return *runner.App(); }
};

// The dialog is filled once; options are one group; Cancel keeps what the
// user left on display but neither the settings nor the file.
TEST_F(FormTest, SettingsDialogShowsTheFileAndKeepsUnconfirmedEdits) {
  struct Case {
    const char* options;  // Mae Usiro Ue Sita as written in the file
    const char* shown;    // which option the dialog selects
    const char* saved;    // the four lines OK writes
  };
  const Case cases[] = {
      {"False False False False", "----", "False False False False"},
      {"True False False True", "---S", "False False False True"},
      {"true 0 1 False", "--U-", "False False True False"},
  };
  for (const Case& c : cases) {
    std::istringstream words(c.options);
    std::string mae, usiro, ue, sita;
    words >> mae >> usiro >> ue >> sita;
    const auto dir = std::filesystem::temp_directory_path() / "plendra-form-test";
    std::filesystem::create_directories(dir);
    const auto ini = dir / "plendra.ini";
    {
      std::ofstream out(ini, std::ios::binary);
      out << "-2\r\n3\r\n"
          << mae << "\r\n"
          << usiro << "\r\n"
          << ue << "\r\n"
          << sita << "\r\n0\r\n4\r\n1\r\n200\r\n1000\r\n1000\r\n0\r\n0\r\n";
    }
    Runner r(dir, log);
    std::size_t n = 0;
    auto run = [&](const std::string& line) {
      std::string error;
      ASSERT_TRUE(r.Run(++n, *scenario::SplitLine(line, &error))) << log.str();
    };
    run("ini plendra.ini");
    run("start");
    plendra::Settei_Form& dialog = r.App()->Settings();
    scenario::FakeSettei& view = r.TheHost()->settei;
    dialog.EnsureLoaded();
    std::string shown;
    shown += view.mae.Value() ? "M" : "-";
    shown += view.usiro.Value() ? "B" : "-";
    shown += view.ue.Value() ? "U" : "-";
    shown += view.sita.Value() ? "S" : "-";
    EXPECT_EQ(shown, c.shown) << c.options;
    EXPECT_EQ(scenario::Utf8(view.marume.Text()), "丸め無し");
    EXPECT_EQ(view.marume.ItemData(4), 0);

    // Cancel after moving the size: nothing saved, the move still shown.
    view.on_modal = [&] {
      view.okisa.SetValue(-6);
      dialog.Okisa_Scroll_Change();
      dialog.Cancel_Button_Click();
    };
    r.App()->MainForm().Mnu_Settei_Click();
    EXPECT_EQ(scenario::Utf8(r.App()->State().settings.Okisa), "-2");
    bool shown_again = false;
    view.on_modal = [&] {
      shown_again = view.okisa.Value() == -6 && view.okisa_label.Caption() == u"-6";
      dialog.OK_Button_Click();
    };
    r.App()->MainForm().Mnu_Settei_Click();
    EXPECT_TRUE(shown_again);
    run("expect ini 1 -6");
    std::istringstream saved(c.saved);
    for (int line = 3; line <= 6; ++line) {
      std::string word;
      saved >> word;
      run("expect ini " + std::to_string(line) + " " + word);
    }
    run("expect ini 8 4");
  }
}

// Closing Plendra while a lookup exports the drawing: the close goes through
// (restore, export, save, end) inside the lookup's wait, and the lookup
// comes back to nothing it may still use.
TEST_F(FormTest, CloseDuringALookupEndsCleanly) {
  Lines({"start"});
  cadsim::Faults& faults = runner.Cad()->Cad().TheFaults();
  faults.only_command = u"SAVEAS";
  faults.finish_after_ms = 5000;
  runner.TheDesktop().UserEvent(1000, [&] { App().MainForm().CloseRequest(); });
  Lines({"system 給湯", "expect ended", "expect sent ^C^C_ucs^Mp^M^C"});
  EXPECT_EQ(App().State().Acad_Obj, nullptr);
  EXPECT_EQ(Host().form.Status(), u"3番から書き込みます");  // from start-up, not from the cut-off lookup
}

// A link that is lost during a run ends the pick with the link's warning; a
// press without a link is reported with the error's number and text. Either
// way the run ends with the closing steps and the window can be closed.
TEST_F(FormTest, LostLinkEndsTheRunAndLeavesTheWindowClosable) {
  Lines({"start", "setting Keitou_Layer 1"});
  // The link's records go away while the pick waits (AutoCAD restarted).
  runner.TheDesktop().UserEvent(500, [&] { App().State().Acad_Obj->RemoveControl(); });
  Lines({"press", "expect button 開始", "expect message AutoCADが起動していないか、応答がありません。",
         "press", "expect button 開始"});
  const auto& boxes = runner.TheDesktop().ShownBoxes();
  ASSERT_FALSE(boxes.empty());
  EXPECT_EQ(scenario::Utf8(boxes.back().text).find("実行時エラー '-2147220880'"), 0u)
      << scenario::Utf8(boxes.back().text);
  EXPECT_EQ(App().State().Kakikomi_Tyuu, 0);
  EXPECT_TRUE(Host().form.keitou.Enabled());
  Lines({"close", "expect ended", "expect ini 14 1"});
}

// A press during a single pick does not start a second pick inside it.
TEST_F(FormTest, PressDuringASinglePickIsIgnored) {
  Lines({"start", "setting Renzoku 0", "user pick C8"});
  runner.TheDesktop().UserEvent(200, [&] { App().MainForm().Kaisi_Button_Click(); });
  Lines({"press", "expect entries 4", "expect number 4"});
  int selections = 0;
  for (const std::string& line : runner.TheTranscript().Lines())
    if (line.find("select^Msingle") != std::string::npos) ++selections;
  EXPECT_EQ(selections, 1);
}

// Topmost state and opacity follow the settings at every activation; a
// topmost value other than 0 or 1 leaves the window as it is.
TEST_F(FormTest, ActivationAppliesTopmostAndOpacity) {
  Lines({"start"});
  EXPECT_EQ(Host().form.topmost, plendra::kHwndTopmost);
  EXPECT_EQ(Host().form.ex_style & plendra::kWsExLayered, plendra::kWsExLayered);
  EXPECT_EQ(Host().form.alpha, 200);
  Lines({"setting Temae_Hyouji 0", "setting Toumei 255"});
  EXPECT_EQ(Host().form.topmost, plendra::kHwndNotopmost);
  EXPECT_EQ(Host().form.alpha, 255);
  App().State().settings.Temae_Hyouji = u"2";
  Host().form.topmost = 0;
  App().MainForm().Temae_Set();
  EXPECT_EQ(Host().form.topmost, 0);
}

}  // namespace
