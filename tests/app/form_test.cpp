// Plendra's windows against cadsim on the simulated desktop, for what a
// scenario file cannot reach: the settings dialog's controls, a close or a
// lost link in the middle of a wait, the window's display state.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>
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
    // The file in the application's folder is overwritten with lines that
    // are none of the values checked below: only a save can put them there.
    {
      std::ofstream out(r.TheHost()->AppFile(u"plendra.ini"), std::ios::binary | std::ios::trunc);
      for (int line = 1; line <= 14; ++line) out << "x\r\n";
    }
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
  EXPECT_EQ(Host().form.topmost, std::optional<bool>(true));
  EXPECT_EQ(Host().form.alpha, 200);
  Lines({"setting Temae_Hyouji 0", "setting Toumei 255"});
  EXPECT_EQ(Host().form.topmost, std::optional<bool>(false));
  EXPECT_EQ(Host().form.alpha, 255);
  App().State().settings.Temae_Hyouji = u"2";
  Host().form.topmost.reset();
  App().MainForm().Temae_Set();
  EXPECT_EQ(Host().form.topmost, std::nullopt);
}

// 停止 pressed while AutoCAD is still busy with the entry's insertion: until
// the entry is whole, the run keeps the state of a run (writing flag, menus
// and system box off, button 停止), so neither the close box nor a menu can
// reach AutoCAD in the middle of the entry. Afterwards it is the idle state.
TEST_F(FormTest, StopDuringAnEntryKeepsTheRunStateUntilTheEntryIsWhole) {
  Lines({"busy INSERT 3000", "start", "user pick C8", "user stop during -insert"});
  struct Seen {
    std::int16_t writing;
    bool settei, help, kensa, keitou;
    std::u16string caption;
  };
  std::vector<Seen> during_entry;
  // Looks at every pass of the message pump while the attributes are the
  // last thing AutoCAD was handed (the insertion is still running).
  std::function<void()> look = [&] {
    runner.TheDesktop().UserEvent(0, look);
    const auto& lines = runner.TheTranscript().Lines();
    for (auto it = lines.rbegin(); it != lines.rend(); ++it) {
      if (it->rfind("  cad: ", 0) != 0) continue;
      if (it->find("給水^M3^M") != std::string::npos) {
        const scenario::FakeForm1& f = Host().form;
        during_entry.push_back({App().State().Kakikomi_Tyuu, f.settei_menu.Enabled(), f.help_menu.Enabled(),
                                f.kensa_menu.Enabled(), f.keitou.Enabled(), f.button.Caption()});
      }
      break;
    }
  };
  runner.TheDesktop().UserEvent(0, look);
  Lines({"press"});
  ASSERT_GT(during_entry.size(), 1u) << "the stop did not come while the entry was written";
  for (const Seen& seen : during_entry) {
    EXPECT_EQ(seen.writing, -1);
    EXPECT_FALSE(seen.settei || seen.help || seen.kensa || seen.keitou);
    EXPECT_EQ(seen.caption, u"停止");
  }
  EXPECT_EQ(App().State().Kakikomi_Tyuu, 0);
  EXPECT_TRUE(Host().form.keitou.Enabled());
  Lines({"expect menus enabled", "expect button 開始", "expect entries 4", "expect number 4"});
}

// The settings dialog is shown with the main window made not-topmost first
// (a topmost window would hide the dialog); coming back puts it on top again.
TEST_F(FormTest, SettingsDialogOpensOverANotTopmostWindow) {
  Lines({"start"});
  ASSERT_EQ(Host().form.topmost, std::optional<bool>(true));
  std::optional<bool> topmost_when_shown;
  Host().settei.on_modal = [&] {
    topmost_when_shown = Host().form.topmost;
    App().Settings().Cancel_Button_Click();
  };
  App().MainForm().Mnu_Settei_Click();
  EXPECT_EQ(topmost_when_shown, std::optional<bool>(false));
  EXPECT_EQ(Host().form.topmost, std::optional<bool>(true));
}

// ヘルプ → 使い方 opens the help file of the application's folder, as AutoCAD
// and the user know the folder; バージョン情報 shows the about box.
TEST_F(FormTest, HelpMenusOpenTheHelpFileAndTheAboutBox) {
  Lines({"start", "menu help", "menu about"});
  ASSERT_EQ(Host().form.help_opened.size(), 1u);
  EXPECT_EQ(scenario::Utf8(Host().form.help_opened.back()), "C:\\Program Files\\Plendra\\Plendra_Help.chm");
  const auto& lines = runner.TheTranscript().Lines();
  EXPECT_NE(std::find(lines.begin(), lines.end(), "  window: about Plendra ﾊﾞｰｼﾞｮﾝ 1.0.0"), lines.end());
}

// The window system's activations: only the focus coming back from the about
// box is Plendra's activation (topmost state and opacity applied again, the
// current system looked up); the settings dialog's return runs its own after
// the dialog, and a switch from another program changes nothing.
TEST_F(FormTest, OnlyComingBackFromTheAboutBoxIsAnActivation) {
  struct Case {
    plendra::FocusFrom from;
    bool activation;  // looked up again, topmost state and opacity set again
  };
  const Case cases[] = {
      {plendra::FocusFrom::kElsewhere, false},
      {plendra::FocusFrom::kSettingsDialog, false},
      {plendra::FocusFrom::kAboutBox, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.from));
    Runner r(std::filesystem::current_path(), log);
    std::size_t n = 0;
    for (const std::string line : {"saveas keeps", "start"}) {
      std::string error;
      ASSERT_TRUE(r.Run(++n, *scenario::SplitLine(line, &error))) << log.str();
    }
    scenario::FakeForm1& form = r.TheHost()->form;
    const std::u16string looked_up = form.bangou.Text();
    // The user chooses another number; the window is then neither on top
    // nor opaque as the settings have it.
    form.bangou.SetListIndex(form.bangou.ListIndex() + 1);
    const std::u16string chosen = form.bangou.Text();
    ASSERT_NE(chosen, looked_up);
    form.topmost.reset();
    form.alpha = 0;
    r.App()->MainForm().Window_Activated(c.from);
    EXPECT_EQ(form.bangou.Text(), c.activation ? looked_up : chosen);
    EXPECT_EQ(form.topmost.has_value(), c.activation);
    EXPECT_EQ(form.alpha, c.activation ? 200 : 0);
  }
}

// The refusals before anything is typed: each says why, leaves the drawing
// and the number as they were, and ends the run in the idle state.
TEST_F(FormTest, RefusalsSayWhyAndTypeNothing) {
  struct Case {
    std::string setup;  // a scenario line before the press
    bool picks;         // the refusal comes after the pick
    const char* message;
    const char* number;  // the number box afterwards: as it was
  };
  const Case cases[] = {
      {"number \"\"", false, "番号が入力されていません", ""},
      {"system \"\"", false, "系統名が入力されていません", "3"},
      {"setting Ue False", true,
       "名称位置(上・下・前・後)が設定されていません。設定で名称位置を選んでください。", "3"},
  };
  for (const Case& c : cases) {
    std::ostringstream case_log;
    Runner r(std::filesystem::current_path(), case_log);
    std::size_t n = 0;
    const auto run = [&](const std::string& line) {
      std::string error;
      ASSERT_TRUE(r.Run(++n, *scenario::SplitLine(line, &error))) << c.message << "\n" << case_log.str();
    };
    run("start");
    run("setting Renzoku 1");
    run(c.setup);
    if (c.picks) run("user pick C8");
    run("press");
    run(std::string("expect message \"") + c.message + "\"");
    run("expect entries 3");
    run(std::string("expect number \"") + c.number + "\"");
    run("expect button 開始");
    run("expect menus enabled");
    const auto& lines = r.TheTranscript().Lines();
    const bool typed_entry = std::any_of(lines.begin(), lines.end(), [](const std::string& line) {
      return line.find("-insert") != std::string::npos;
    });
    EXPECT_FALSE(typed_entry) << c.message;
  }
}

// A settings file that cannot be written is reported when the window closes,
// and the program still ends.
TEST_F(FormTest, UnwritableSettingsFileIsReported) {
  Lines({"start"});
  const auto ini = Host().AppFile(u"plendra.ini");
  std::filesystem::remove(ini);
  std::filesystem::create_directory(ini);  // a folder of that name cannot be written as a file
  // The box says where Plendra tried and why it could not.
  Lines({"close", "expect ended", "expect message-part \"設定ファイル plendra.ini を書き込めませんでした。\"",
         "expect message-part \"場所: C:\\Program Files\\Plendra\\plendra.ini\"",
         "expect message-part \"理由: 同じ名前のフォルダがあります。\""});
  std::filesystem::remove(ini);
}

// "expect next" holds only for the commands in the order they were typed,
// each once, with the status bar's change in its place among them.
TEST_F(FormTest, ExpectNextFailsOnAWrongOrderOrARepeatedCommand) {
  Lines({"start", "setting Renzoku 0", "user pick C8", "press", "expect next ... ^C^Cselect^Msingle^M"});
  const std::string insert =
      "\"^C^C-insert^MC:\\Program Files\\Plendra\\Plendra1.dwg^Ms^M216.6667^M3608.333,900^M90^M\"";
  const std::string attributes = "4100^M900^M0^M1800^M^M^M給水^M3^M";
  const std::string status = "status:給水-3>1800mmを書き込みました";
  const std::string style = "-attedit^My^M^M^M^Ml^M^Ms^Mゴシック^M^M";
  const std::string wrong[] = {
      "expect next * y^M filedia^M1^M ^C^CDWGNAME^M " + attributes + " " + insert,                 // swapped
      "expect next * y^M filedia^M1^M ^C^CDWGNAME^M " + insert + " " + insert + " " + attributes,  // twice
      "expect next * y^M filedia^M1^M ^C^CDWGNAME^M " + insert + " " + attributes + " " + style + " " +
          status,
      "expect next * y^M " + insert,  // a command left out
      "expect next -",
  };
  for (const std::string& line : wrong) {
    std::string error;
    EXPECT_FALSE(runner.Run(++line_number, *scenario::SplitLine(line, &error))) << line;
  }
  Lines({"expect next * y^M filedia^M1^M ^C^CDWGNAME^M " + insert + " " + attributes + " " + status + " " +
             style,
         "expect next -"});
}

}  // namespace
