// Message boxes owned by AutoCAD's main window.
#include <gtest/gtest.h>

#include "support/link_fixture.h"

namespace plendra_test {
namespace {

using korvel::PwAcad;

class ShowMessage : public LinkTest {};

TEST_F(ShowMessage, BoxIsOwnedByAutoCADsMainWindow) {
  ScriptedAcad acad(desktop);
  PwAcad pw;
  auto control = Connect(pw);
  EXPECT_EQ(control->ShowMessage(u"系統を選択して下さい。", 48, u"Plendra"), 1);
  ASSERT_EQ(desktop.ShownBoxes().size(), 1u);
  const auto& box = desktop.ShownBoxes()[0];
  EXPECT_EQ(box.owner, acad.main);
  EXPECT_EQ(box.text, u"系統を選択して下さい。");
  EXPECT_EQ(box.caption, u"Plendra");
  EXPECT_EQ(box.style, 48u);
}

TEST_F(ShowMessage, DefaultsAreAnOkButtonAndTheLibrarysCaption) {
  ScriptedAcad acad(desktop);
  PwAcad pw;
  auto control = Connect(pw);
  desktop.AnswerNextBox(platform::kIdNo);
  EXPECT_EQ(control->ShowMessage(u"続けますか?", 32 + 4), platform::kIdNo);  // the answer, unchanged
  EXPECT_EQ(control->ShowMessage(u"完了"), platform::kIdOk);
  const auto& box = desktop.ShownBoxes().back();
  EXPECT_EQ(box.style, 0u);
  EXPECT_EQ(box.caption, u"PwAcadCtrl");
}

TEST_F(ShowMessage, LeavesTheErrorRecordAndNeedsNoLink) {
  ScriptedAcad acad(desktop);
  PwAcad pw;
  auto control = Connect(pw);
  acad.refuse = true;
  ASSERT_EQ(control->PostCommand(u"x"), korvel::CommandFailed);
  acad.Quit();
  EXPECT_EQ(control->ShowMessage(u"AutoCADが見つかりません。", 48, u"Plendra"), 1);
  EXPECT_EQ(pw.get_ErrNumber(), korvel::CommandFailed);
  EXPECT_EQ(pw.get_ErrSource(), u"PwAcadCtrl.PwControl.PostCommand");
  // With the records cleared the box has no owner.
  pw.RemoveControl();
  control->ShowMessage(u"x");
  EXPECT_EQ(desktop.ShownBoxes().back().owner, 0);
}

}  // namespace
}  // namespace plendra_test
