// DxfOut against a scripted AutoCAD: what is typed for each export, when the
// overwrite question is answered, and how a pick that does not end in a
// selection is reported.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "link/dxf_table.h"
#include "platform/dialogs.h"
#include "support/link_fixture.h"

namespace plendra_test {
namespace {

using korvel::PwAcad;

constexpr std::u16string_view kOverwriteQuestion = u"既存のファイルを置き換えますか? <N>: ";

class DxfOutTest : public LinkTest {
 protected:
  DxfOutTest() : acad(desktop) {
    control = Connect(pw);
    folder = desktop.Codec().FromAnsi(desktop.TempFolder().string() + "/");
    // AutoCAD writes the whole file as the export is typed, unless a test
    // says otherwise; step is what a test adds to it.
    acad.on_input = [this](const std::u16string& text) {
      if (writes && text.find(u"Wexa.dxf") != std::u16string::npos) Write(kComplete);
      if (step) step(text);
    };
  }

  void Write(std::string_view bytes) {
    std::ofstream(desktop.TempFolder() / "Wexa.dxf", std::ios::binary) << bytes;
  }

  static constexpr std::string_view kComplete =
      "  0\r\nSECTION\r\n  2\r\nENTITIES\r\n  0\r\nENDSEC\r\n  0\r\nEOF\r\n";
  bool writes = true;
  std::function<void(const std::u16string&)> step;

  // AutoCAD as the exports meet it: each command is done at once and the
  // command prompt is back, unless a test says otherwise.
  std::vector<std::u16string> Typed() const { return acad.received; }

  ScriptedAcad acad;
  PwAcad pw;
  std::shared_ptr<korvel::PwControl> control;
  std::u16string folder;
};

std::u16string Expanded(std::u16string text) {
  for (auto [code, c] : {std::pair{u"^C", u'\x03'}, std::pair{u"^M", u'\r'}, std::pair{u"^J", u'\n'}})
    for (std::size_t at; (at = text.find(code)) != std::u16string::npos;) text.replace(at, 2, 1, c);
  return text;
}

TEST_F(DxfOutTest, SingleSelectionTypesSelectThenSaveAsThenRestoresFiledia) {
  ASSERT_TRUE(Succeeded(control->DxfOut(u"sgl", u"2000", &pw)));
  const std::vector<std::u16string> expected = {
      Expanded(u"^C^Cselect^Msingle^M"),
      Expanded(u"filedia^M0^Msaveas^Mdxf^Mv^M2000^Mo^Mp^M^M^M" + folder + u"Wexa.dxf^M"),
      Expanded(u"filedia^M1^M"),
  };
  EXPECT_EQ(Typed(), expected);
  EXPECT_TRUE(desktop.ShownBoxes().empty());
}

TEST_F(DxfOutTest, AllAndAutoTypeTheirExportsWithoutCancelling) {
  ASSERT_TRUE(Succeeded(control->DxfOut(u"all", u"2000", &pw)));
  ASSERT_TRUE(Succeeded(control->DxfOut(u"auto", u"R12", &pw)));
  const std::vector<std::u16string> expected = {
      Expanded(u"filedia^M0^Msaveas^Mdxf^Mv^M2000^Mo^Mall^M^M^M" + folder + u"Wexa.dxf^M"),
      Expanded(u"filedia^M1^M"),
      Expanded(u"filedia^M0^Mdxfout^M" + folder + u"Wexa.dxf^Mv^MR12^M^M"),
      Expanded(u"filedia^M1^M"),
  };
  EXPECT_EQ(Typed(), expected);
}

TEST_F(DxfOutTest, UnknownSelectionSendsNothing) {
  EXPECT_EQ(control->DxfOut(u"SGL", u"2000", &pw), -1);
  EXPECT_EQ(control->DxfOut(u"", u"2000", &pw), -1);
  EXPECT_TRUE(Typed().empty());
}

TEST_F(DxfOutTest, OverwriteQuestionIsAnsweredYes) {
  Write(kComplete);  // an earlier export's file
  step = [&](const std::u16string& text) {
    if (text.find(u"Wexa.dxf") != std::u16string::npos) acad.prompt = std::u16string(kOverwriteQuestion);
    if (text == u"y\r") acad.prompt = u"ｺﾏﾝﾄﾞ: ";
  };
  ASSERT_TRUE(Succeeded(control->DxfOut(u"all", u"2000", &pw)));
  ASSERT_EQ(Typed().size(), 3u);
  EXPECT_EQ(Typed()[1], u"y\r");
  EXPECT_EQ(Typed()[2], Expanded(u"filedia^M1^M"));
}

TEST_F(DxfOutTest, PromptDifferingOnlyInCaseAsksNothing) {
  pw.put_CommandPrompt(u"Command: ");
  acad.prompt = u"COMMAND: ";
  // The restore's wait matches case-sensitively and times out: the export is
  // reported incomplete, but nothing was typed for the prompt read.
  control->put_CommandTimeOut(1000);
  control->DxfOut(u"auto", u"2000", &pw);
  ASSERT_EQ(Typed().size(), 2u);
  EXPECT_EQ(Typed()[1], Expanded(u"filedia^M1^M"));
}

TEST_F(DxfOutTest, UnreadablePromptIsWaitedForAndOnlyARealQuestionIsAnswered) {
  // AutoCAD busy for eight seconds after the export: no prompt can be read.
  // Once it answers, the prompt decides: here the command prompt, so no "y".
  Write(kComplete);  // an earlier export's file: AutoCAD would ask
  step = [&](const std::u16string& text) {
    if (text.find(u"Wexa.dxf") != std::u16string::npos) {
      acad.prompt.clear();
      acad.PromptAfter(8000, u"ｺﾏﾝﾄﾞ: ");
    }
  };
  const std::uint64_t start = desktop.Queue().Elapsed();
  ASSERT_TRUE(Succeeded(control->DxfOut(u"auto", u"2000", &pw)));
  EXPECT_GE(desktop.Queue().Elapsed() - start, 8000u);
  ASSERT_EQ(Typed().size(), 2u);
  EXPECT_EQ(Typed()[1], Expanded(u"filedia^M1^M"));
}

TEST_F(DxfOutTest, QuestionAfterABusySpellIsAnsweredOnce) {
  Write(kComplete);
  step = [&](const std::u16string& text) {
    if (text.find(u"Wexa.dxf") != std::u16string::npos) {
      for (platform::Hwnd w : {acad.main, acad.text, acad.command, acad.history, acad.main_command})
        desktop.BusyFor(w, 7000);
      acad.prompt = std::u16string(kOverwriteQuestion);
    }
    if (text == u"y\r") acad.prompt = u"ｺﾏﾝﾄﾞ: ";
  };
  ASSERT_TRUE(Succeeded(control->DxfOut(u"all", u"2000", &pw)));
  ASSERT_EQ(Typed().size(), 3u);
  EXPECT_EQ(Typed()[1], u"y\r");
}

TEST_F(DxfOutTest, ReturnsOnlyWhenTheRestoreIsDone) {
  // AutoCAD writes the file for two seconds; the prompt is back after that.
  step = [&](const std::u16string& text) {
    if (text.starts_with(u"filedia\r1")) {
      acad.prompt = u"";
      acad.PromptAfter(2000, u"ｺﾏﾝﾄﾞ: ");
    }
  };
  const std::uint64_t start = desktop.Queue().Elapsed();
  ASSERT_TRUE(Succeeded(control->DxfOut(u"all", u"2000", &pw)));
  EXPECT_GE(desktop.Queue().Elapsed() - start, 2000u);
}

TEST_F(DxfOutTest, ExportedFileIsTheOneTheScanReads) {
  step = [&](const std::u16string& text) {
    if (text.find(u"Wexa.dxf") == std::u16string::npos) return;
    std::ofstream(desktop.TempFolder() / "Wexa.dxf", std::ios::binary)
        << "  0\r\nSECTION\r\n  2\r\nENTITIES\r\n  0\r\nATTRIB\r\n  2\r\nKEITOU\r\n  "
           "1\r\n\x8B\x8B\x90\x85\r\n"
           "  0\r\nENDSEC\r\n  0\r\nEOF\r\n";
  };
  ASSERT_EQ(control->DxfOut(u"all", u"2000", &pw), -1);
  korvel::DxfTable table;
  ASSERT_TRUE(Succeeded(control->DxfScan(u"ENTITIES", u"ATTRIB", u"2|1", table)));
  EXPECT_EQ(table.At(1, 1), u"給水");
}

TEST_F(DxfOutTest, CaretCodesInTheFolderAreTypedInSmallLetters) {
  // A folder named "^Max" would otherwise reach AutoCAD with an Enter in it;
  // Windows file names ignore case, so "^max" is the same folder.
  desktop.SetTempPathAnsi("C:\\Users\\^Max\\^J^C\\");
  control->DxfOut(u"all", u"2000", &pw);
  ASSERT_FALSE(Typed().empty());
  EXPECT_NE(Typed()[0].find(u"C:\\Users\\^max\\^j^c\\Wexa.dxf\r"), std::u16string::npos);
}

// What the scan would read if DxfOut said -1: each case is refused with the
// export's own error, whatever AutoCAD did.
TEST_F(DxfOutTest, ExportThatLeavesNoCompleteFileIsAnError) {
  struct Case {
    const char* what;
    bool refuse;
    bool writes;
    std::string_view written;  // by AutoCAD, when writes is false
    std::uint64_t prompt_back_after;
  };
  const Case cases[] = {
      {"AutoCAD refuses the typed lines", true, true, "", 0},
      {"AutoCAD writes nothing: the earlier export's file is left", false, false, "", 0},
      {"the file ends inside ENTITIES", false, false, "  0\r\nSECTION\r\n  2\r\nENTITIES\r\n  0\r\nLINE\r\n",
       0},
      {"the command prompt never comes back", false, true, "", 120000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Write(kComplete);
    acad.refuse = c.refuse;
    writes = c.writes;
    step = [&](const std::u16string& text) {
      if (text.find(u"Wexa.dxf") == std::u16string::npos) return;
      if (!c.written.empty()) Write(c.written);
      if (c.prompt_back_after > 0) {
        acad.prompt = u"処理中...";
        acad.PromptAfter(c.prompt_back_after, u"ｺﾏﾝﾄﾞ: ");
      }
    };
    EXPECT_TRUE(Failed(control->DxfOut(u"all", u"2000", &pw), korvel::CommandFailed,
                       u"PwAcadCtrl.PwControl.DxfOut", u"DXFファイルの書き出しが完了していません。"));
    desktop.Queue().Sleep(200000);
    acad.prompt = u"ｺﾏﾝﾄﾞ: ";
  }
}

TEST_F(DxfOutTest, VanishedAutoCadDuringTheExportIsLinkFailed) {
  writes = false;
  step = [&](const std::u16string& text) {
    if (text.find(u"Wexa.dxf") == std::u16string::npos) return;
    acad.prompt = u"処理中...";
    desktop.After(3000, [&] { acad.Quit(); });
  };
  EXPECT_TRUE(Failed(control->DxfOut(u"all", u"2000", &pw), korvel::LinkFailed,
                     u"PwAcadCtrl.PwControl.DxfOut", u"DXFファイルの書き出しが完了していません。"));
}

// ------------------------------------------------------------ the pick

TEST_F(DxfOutTest, EscAtThePickExportsNothingAndSaysNothing) {
  for (std::u16string marker : {u"*キャンセル*", u"*ｷｬﾝｾﾙ*"}) {
    acad.received.clear();
    acad.history_text = u"ｺﾏﾝﾄﾞ: select\r\nオブジェクトを選択: " + marker;
    EXPECT_EQ(control->DxfOut(u"sgl", u"2000", &pw), 0);
    EXPECT_EQ(Typed(), std::vector<std::u16string>{Expanded(u"^C^Cselect^Msingle^M")});
  }
  EXPECT_TRUE(desktop.ShownBoxes().empty());
}

TEST_F(DxfOutTest, CancelMarkerCountsOnlyAtTheVeryEnd) {
  acad.history_text = u"*キャンセル*\r\nｺﾏﾝﾄﾞ: ";
  ASSERT_EQ(control->DxfOut(u"sgl", u"2000", &pw), -1);
  EXPECT_EQ(Typed().size(), 3u);
}

TEST_F(DxfOutTest, TerminateDuringThePickIsReportedAsCancelled) {
  step = [&](const std::u16string&) { acad.prompt = u"オブジェクトを選択: "; };
  desktop.UserEvent(1000, [&] { control->Terminate(); });
  EXPECT_EQ(control->DxfOut(u"sgl", u"2000", &pw), 0);
  EXPECT_EQ(Typed(), std::vector<std::u16string>{Expanded(u"^C^Cselect^Msingle^M")});
  ASSERT_EQ(desktop.ShownBoxes().size(), 1u);
  const auto& box = desktop.ShownBoxes()[0];
  EXPECT_EQ(box.text, u"ユーザによってキャンセルされました。");
  EXPECT_EQ(box.caption, u"");
  EXPECT_EQ(box.style, static_cast<std::uint32_t>(platform::kMbIconInformation));
}

TEST_F(DxfOutTest, FailedPickWaitIsShownAndTheRecordCleared) {
  control->put_CommandTimeOut(3000);
  step = [&](const std::u16string&) { acad.prompt = u"オブジェクトを選択: "; };
  EXPECT_EQ(control->DxfOut(u"sgl", u"2000", &pw), 0);
  EXPECT_EQ(Typed().size(), 1u);
  ASSERT_EQ(desktop.ShownBoxes().size(), 1u);
  const auto& box = desktop.ShownBoxes()[0];
  EXPECT_EQ(box.text, u"待機時間内に指定した応答がありませんでした。");
  EXPECT_EQ(box.style, static_cast<std::uint32_t>(platform::kMbIconExclamation) | 0x10000u);
  EXPECT_EQ(pw.get_ErrNumber(), 0);
  EXPECT_EQ(pw.get_ErrSource(), u"");
  EXPECT_EQ(pw.get_ErrDescription(), u"");
}

TEST_F(DxfOutTest, LostAutoCadDuringThePickIsShown) {
  step = [&](const std::u16string&) {
    acad.prompt = u"オブジェクトを選択: ";
    desktop.After(500, [&] { acad.Quit(); });
  };
  EXPECT_EQ(control->DxfOut(u"sgl", u"2000", &pw), 0);
  ASSERT_EQ(desktop.ShownBoxes().size(), 1u);
  EXPECT_EQ(desktop.ShownBoxes()[0].text, u"AutoCADが起動していないか、応答がありません。");
  EXPECT_EQ(pw.get_ErrNumber(), 0);
}

TEST_F(DxfOutTest, WithoutAChannelItFailsWithLinkFailed) {
  PwAcad fresh;  // never searched: no Control
  EXPECT_TRUE(Failed(control->DxfOut(u"all", u"2000", &fresh), korvel::LinkFailed,
                     u"PwAcadCtrl.PwControl.DxfOut", u"AutoCADが起動していないか、応答がありません。"));
  EXPECT_TRUE(Failed(control->DxfOut(u"sgl", u"2000", nullptr), korvel::LinkFailed,
                     u"PwAcadCtrl.PwControl.DxfOut", u"AutoCADが起動していないか、応答がありません。"));
  EXPECT_TRUE(acad.received.empty());
}

}  // namespace
}  // namespace plendra_test
