// DxfOut against a scripted AutoCAD: what is typed for each export, when the
// overwrite question is answered, and how a pick that does not end in a
// selection is reported.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "link/dxf_table.h"
#include "link/messages.h"
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
  }

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
  acad.on_input = [&](const std::u16string& text) {
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
  ASSERT_EQ(control->DxfOut(u"auto", u"2000", &pw), -1);
  ASSERT_EQ(Typed().size(), 2u);
  EXPECT_EQ(Typed()[1], Expanded(u"filedia^M1^M"));
}

TEST_F(DxfOutTest, UnreadablePromptIsTakenForTheQuestion) {
  acad.on_input = [&](const std::u16string& text) {
    if (text.find(u"Wexa.dxf") != std::u16string::npos) acad.prompt.clear();
    if (text == u"y\r") acad.prompt = u"ｺﾏﾝﾄﾞ: ";
  };
  control->DxfOut(u"auto", u"2000", &pw);
  ASSERT_EQ(Typed().size(), 3u);
  EXPECT_EQ(Typed()[1], u"y\r");
}

TEST_F(DxfOutTest, ReturnsOnlyWhenTheRestoreIsDone) {
  // AutoCAD writes the file for two seconds; the prompt is back after that.
  acad.on_input = [&](const std::u16string& text) {
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
  acad.on_input = [&](const std::u16string& text) {
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

TEST_F(DxfOutTest, FailedExportStepsStillGiveMinusOne) {
  // AutoCAD refuses every typed line: the export, and the restore after it.
  acad.refuse = true;
  EXPECT_EQ(control->DxfOut(u"all", u"2000", &pw), -1);
  // The record keeps what the last step left.
  EXPECT_EQ(pw.get_ErrNumber(), korvel::CommandFailed);
  EXPECT_EQ(pw.get_ErrSource(), u"PwAcadCtrl.PwControl.PostCommand");
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
  acad.on_input = [&](const std::u16string&) { acad.prompt = u"オブジェクトを選択: "; };
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
  acad.on_input = [&](const std::u16string&) { acad.prompt = u"オブジェクトを選択: "; };
  EXPECT_EQ(control->DxfOut(u"sgl", u"2000", &pw), 0);
  EXPECT_EQ(Typed().size(), 1u);
  ASSERT_EQ(desktop.ShownBoxes().size(), 1u);
  const auto& box = desktop.ShownBoxes()[0];
  EXPECT_EQ(box.text, korvel::kMsgPromptTimeOut);
  EXPECT_EQ(box.style, static_cast<std::uint32_t>(platform::kMbIconExclamation) | 0x10000u);
  EXPECT_EQ(pw.get_ErrNumber(), 0);
  EXPECT_EQ(pw.get_ErrSource(), u"");
  EXPECT_EQ(pw.get_ErrDescription(), u"");
}

TEST_F(DxfOutTest, LostAutoCadDuringThePickIsShown) {
  acad.on_input = [&](const std::u16string&) {
    acad.prompt = u"オブジェクトを選択: ";
    desktop.After(500, [&] { acad.Quit(); });
  };
  EXPECT_EQ(control->DxfOut(u"sgl", u"2000", &pw), 0);
  ASSERT_EQ(desktop.ShownBoxes().size(), 1u);
  EXPECT_EQ(desktop.ShownBoxes()[0].text, korvel::kMsgNotRunning);
  EXPECT_EQ(pw.get_ErrNumber(), 0);
}

TEST_F(DxfOutTest, WithoutAChannelItFailsWithLinkFailed) {
  PwAcad fresh;  // never searched: no Control
  EXPECT_TRUE(Failed(control->DxfOut(u"all", u"2000", &fresh), korvel::LinkFailed,
                     u"PwAcadCtrl.PwControl.DxfOut", korvel::kMsgNotRunning));
  EXPECT_TRUE(Failed(control->DxfOut(u"sgl", u"2000", nullptr), korvel::LinkFailed,
                     u"PwAcadCtrl.PwControl.DxfOut", korvel::kMsgNotRunning));
  EXPECT_TRUE(acad.received.empty());
}

}  // namespace
}  // namespace plendra_test
