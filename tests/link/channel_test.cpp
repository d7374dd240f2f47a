// Handing commands to AutoCAD and reading its prompt and history: the copy-data
// record, long commands, the link and command-line checks.
#include <gtest/gtest.h>

#include "link/control_codes.h"
#include "link/mdl_common.h"
#include "support/link_fixture.h"

namespace plendra_test {
namespace {

using korvel::PwAcad;
using platform::sim::kWmCopyData;
using platform::sim::kWmNull;

class Channel : public LinkTest {
 protected:
  Channel() : acad(desktop) { control = Connect(pw); }

  std::vector<platform::sim::LoggedMessage> Sent(std::uint32_t message) const {
    std::vector<platform::sim::LoggedMessage> out;
    for (const auto& m : desktop.Log())
      if (m.message == message) out.push_back(m);
    return out;
  }

  ScriptedAcad acad;
  PwAcad pw;
  std::shared_ptr<korvel::PwControl> control;
};

TEST_F(Channel, CommandGoesOverAsOneCopyDataRecordThenANullMessage) {
  ASSERT_TRUE(Succeeded(control->PostCommand(u"^C^Cselect^Msingle^M")));
  const auto copies = Sent(kWmCopyData);
  ASSERT_EQ(copies.size(), 1u);
  EXPECT_EQ(copies[0].window, acad.main);
  EXPECT_EQ(copies[0].wparam, 1u);            // dwData
  EXPECT_EQ(copies[0].cb_data, 2u * 16 + 1);  // two bytes a character plus the NUL
  ASSERT_EQ(copies[0].buffer.size(), 256u);
  const std::string expected("\x03\x03select\rsingle\r", 16);
  EXPECT_EQ(copies[0].buffer.substr(0, 17), expected + '\0');
  EXPECT_EQ(copies[0].buffer.find_first_not_of('\0', 17), std::string::npos);
  const auto nulls = Sent(kWmNull);
  ASSERT_EQ(nulls.size(), 1u);
  EXPECT_TRUE(nulls[0].posted);
  EXPECT_EQ(acad.Typed(), u"\x03\x03select\rsingle\r");
}

TEST_F(Channel, JapaneseTextIsHandedOverInCodePage932) {
  ASSERT_TRUE(Succeeded(control->PostCommand(u"給水^M")));
  const auto copies = Sent(kWmCopyData);
  ASSERT_EQ(copies.size(), 1u);
  EXPECT_EQ(copies[0].buffer.substr(0, 6), std::string("\x8b\x8b\x90\x85\r\0", 6));
  EXPECT_EQ(copies[0].cb_data, 7u);
  EXPECT_EQ(acad.Typed(), u"給水\r");
}

TEST_F(Channel, CommandOf127CharactersFillsOneRecord) {
  ASSERT_TRUE(Succeeded(control->PostCommand(std::u16string(127, u'x'))));
  const auto copies = Sent(kWmCopyData);
  ASSERT_EQ(copies.size(), 1u);
  EXPECT_EQ(copies[0].cb_data, 255u);
}

TEST_F(Channel, LongCommandIsSplitIntoRecordsOfAtMost127Characters) {
  // A folder path of 300 double-byte characters would be 600 bytes: far past
  // the 256-byte buffer if handed over in one record.
  std::u16string path = u"-insert \"";
  for (int i = 0; i < 300; ++i) path += u"配";
  path += u"\\Plendra1.dwg\"^M";
  ASSERT_TRUE(Succeeded(control->PostCommand(path)));
  const auto copies = Sent(kWmCopyData);
  ASSERT_EQ(copies.size(), 3u);
  for (const auto& m : copies) {
    ASSERT_EQ(m.buffer.size(), 256u);
    EXPECT_LE(m.cb_data, 255u);
    EXPECT_EQ(m.buffer.back(), '\0');
  }
  EXPECT_EQ(copies[0].cb_data, 255u);
  EXPECT_EQ(acad.received[0].size(), 127u);
  EXPECT_EQ(acad.Typed(), korvel::ExpandControlCodes(path));
  EXPECT_EQ(Sent(kWmNull).size(), 1u);  // one command, one null message
}

TEST_F(Channel, SplitNeverSeparatesASurrogatePair) {
  // A character outside the code page arrives as "?"; the pair must not be cut
  // into two halves that would each become a "?".
  std::u16string text(126, u'a');
  text += u"\U0002000B";  // 𠀋, two UTF-16 units at positions 126 and 127
  text += u"b";
  ASSERT_TRUE(Succeeded(control->PostCommand(text)));
  ASSERT_EQ(acad.received.size(), 2u);
  EXPECT_EQ(acad.received[0], std::u16string(126, u'a'));
  EXPECT_EQ(acad.received[1], u"?b");
}

TEST_F(Channel, WithoutPostNullCharOnlyTheCopyDataIsSent) {
  control->put_PostNullChar(false);
  ASSERT_TRUE(Succeeded(control->PostCommand(u"line^M")));
  EXPECT_EQ(Sent(kWmCopyData).size(), 1u);
  EXPECT_TRUE(Sent(kWmNull).empty());
}

TEST_F(Channel, RefusedOrUnansweredCopyDataIsCommandFailed) {
  acad.refuse = true;
  EXPECT_TRUE(Failed(control->PostCommand(u"line^M"), korvel::CommandFailed,
                     u"PwAcadCtrl.PwControl.PostCommand", u"AutoCADが起動していないか、応答がありません。"));
  acad.refuse = false;
  desktop.Get(acad.main).hung = true;  // a send that times out counts as refused
  EXPECT_TRUE(Failed(control->PostCommand(u"line^M"), korvel::CommandFailed,
                     u"PwAcadCtrl.PwControl.PostCommand", u"AutoCADが起動していないか、応答がありません。"));
  EXPECT_TRUE(Sent(kWmNull).empty());
}

TEST_F(Channel, HiddenCommandLineIsWindowClosedExceptForActive) {
  desktop.SetVisible(acad.main_command, false);
  const std::u16string_view closed = u"AutoCADが応答しないか、コマンドウィンドウが表示されていません。";
  EXPECT_TRUE(Failed(control->PostCommand(u"line"), korvel::WindowClosed, u"PwAcadCtrl.PwControl.PostCommand",
                     closed));
  std::u16string text = u"unchanged";
  EXPECT_TRUE(
      Failed(control->GetPrompt(text), korvel::WindowClosed, u"PwAcadCtrl.PwControl.GetPrompt", closed));
  EXPECT_EQ(text, u"unchanged");
  EXPECT_TRUE(
      Failed(control->GetHistory(text), korvel::WindowClosed, u"PwAcadCtrl.PwControl.GetHistory", closed));
  EXPECT_TRUE(Succeeded(control->Active()));
  // With the check off the hidden command line does not matter.
  pw.put_CheckMainCmdWindow(false);
  EXPECT_TRUE(Succeeded(control->PostCommand(u"line")));
}

TEST_F(Channel, CheckSwitchedOnAfterASearchWithoutItFailsUntilTheNextSearch) {
  pw.put_CheckMainCmdWindow(false);
  ASSERT_TRUE(Succeeded(pw.Search()));
  control = pw.Control();
  pw.put_CheckMainCmdWindow(true);  // MainCommand was not searched, so it is empty
  EXPECT_TRUE(Failed(control->PostCommand(u"line"), korvel::WindowClosed, u"PwAcadCtrl.PwControl.PostCommand",
                     u"AutoCADが応答しないか、コマンドウィンドウが表示されていません。"));
  ASSERT_TRUE(Succeeded(pw.Search()));
  EXPECT_TRUE(Succeeded(pw.Control()->PostCommand(u"line")));
}

TEST_F(Channel, LostWindowIsLinkFailedForEveryOperation) {
  desktop.DestroyWindow(acad.history);
  std::u16string text;
  const std::u16string_view lost = u"AutoCADが起動していないか、応答がありません。";
  EXPECT_TRUE(Failed(control->Active(), korvel::LinkFailed, u"PwAcadCtrl.PwControl.Active", lost));
  EXPECT_TRUE(
      Failed(control->PostCommand(u"x"), korvel::LinkFailed, u"PwAcadCtrl.PwControl.PostCommand", lost));
  EXPECT_TRUE(Failed(control->GetPrompt(text), korvel::LinkFailed, u"PwAcadCtrl.PwControl.GetPrompt", lost));
  EXPECT_TRUE(
      Failed(control->GetHistory(text), korvel::LinkFailed, u"PwAcadCtrl.PwControl.GetHistory", lost));
  EXPECT_TRUE(
      Failed(control->SendCommand(u"x"), korvel::LinkFailed, u"PwAcadCtrl.PwControl.PostCommand", lost));
  EXPECT_TRUE(Failed(control->WaitPrompt(), korvel::LinkFailed, u"PwAcadCtrl.PwControl.GetPrompt", lost));
  EXPECT_TRUE(desktop.Log().empty() || desktop.Log().back().message != kWmCopyData);
  EXPECT_EQ(pw.get_HistoryWindowHandle(), acad.history);  // failures never touch the records
}

TEST_F(Channel, ActiveBringsTheLastActivePopupToTheFront) {
  const auto dialog = desktop.CreateWindow(
      {.class_name = u"#32770", .title = u"図面を保存", .thread = acad.thread, .process = acad.process});
  desktop.Get(acad.main).last_active_popup = dialog;
  ASSERT_TRUE(Succeeded(control->Active()));
  EXPECT_EQ(desktop.Foreground(), dialog);
  desktop.Get(dialog).foreground_fails = true;
  EXPECT_TRUE(Failed(control->Active(), korvel::CommandFailed, u"PwAcadCtrl.PwControl.Active",
                     u"AutoCADが起動していないか、応答がありません。"));
}

TEST_F(Channel, GetPromptReadsTheWholeCommandLineAndFailsWhenEmpty) {
  acad.prompt = u"選択オプションを入力 [全て(A)/窓(W)] <終了>: ";
  std::u16string prompt;
  ASSERT_TRUE(Succeeded(control->GetPrompt(prompt)));
  EXPECT_EQ(prompt, acad.prompt);
  acad.prompt.clear();
  prompt = u"kept";
  EXPECT_TRUE(Failed(control->GetPrompt(prompt), korvel::CommandFailed, u"PwAcadCtrl.PwControl.GetPrompt",
                     u"AutoCADが起動していないか、応答がありません。"));
  EXPECT_EQ(prompt, u"kept");
}

TEST_F(Channel, GetHistoryCutsAtTheLastOccurrenceOfTheMatch) {
  acad.history_text =
      u"ｺﾏﾝﾄﾞ: id\r\n点を指定: X = 1.0 Y = 2.0 Z = 0.0\r\nｺﾏﾝﾄﾞ: id\r\n点を指定: X = 3.5 Y = 4.0 Z = "
      u"0.0\r\nｺﾏﾝﾄﾞ: ";
  std::u16string text;
  ASSERT_TRUE(Succeeded(control->GetHistory(text)));
  EXPECT_EQ(text, acad.history_text);
  ASSERT_TRUE(Succeeded(control->GetHistory(text, u"点を指定: ")));
  EXPECT_EQ(text, u"点を指定: X = 3.5 Y = 4.0 Z = 0.0\r\nｺﾏﾝﾄﾞ: ");
  text = u"old";
  ASSERT_TRUE(Succeeded(control->GetHistory(text, u"認識された数: ")));
  EXPECT_EQ(text, u"");
  acad.history_text.clear();
  EXPECT_TRUE(Failed(control->GetHistory(text), korvel::CommandFailed, u"PwAcadCtrl.PwControl.GetHistory",
                     u"AutoCADが起動していないか、応答がありません。"));
}

TEST_F(Channel, TextLongerThanAnyFixedBufferIsReadWhole) {
  // A long session's history runs to many kilobytes; it is read by its length.
  std::u16string history;
  for (int i = 0; i < 2000; ++i) history += u"ｺﾏﾝﾄﾞ: line\r\n";
  acad.history_text = history;
  std::u16string text;
  ASSERT_TRUE(Succeeded(control->GetHistory(text)));
  EXPECT_EQ(text, history);
}

}  // namespace
}  // namespace plendra_test
