// The simulated desktop itself: virtual time, the pump, windows and texts.
#include "platform/sim/desktop.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace platform::sim {
namespace {

TEST(VirtualClock, EventsFireInDueTimeThenInsertionOrder) {
  Desktop d;
  std::vector<std::string> fired;
  d.After(200, [&] { fired.push_back("b200"); });
  d.After(100, [&] { fired.push_back("a100"); });
  d.After(200, [&] { fired.push_back("c200"); });
  d.After(100, [&] {
    fired.push_back("d100");
    // An event scheduled by an event fires within the same sleep when due.
    d.After(50, [&] { fired.push_back("e150"); });
  });
  d.Time().Sleep(150);
  EXPECT_EQ(fired, (std::vector<std::string>{"a100", "d100", "e150"}));
  EXPECT_EQ(d.Queue().Elapsed(), 150u);
  d.Time().Sleep(50);
  EXPECT_EQ(fired.size(), 5u);
  EXPECT_EQ(fired[3], "b200");
  EXPECT_EQ(fired[4], "c200");
}

TEST(VirtualClock, TickCountWrapsLikeGetTickCount) {
  Desktop d(0xFFFFFF00u);
  const std::uint32_t before = d.Time().TickCount();
  d.Time().Sleep(0x200);
  EXPECT_EQ(d.Time().TickCount(), 0x100u);
  EXPECT_EQ(static_cast<std::uint32_t>(d.Time().TickCount() - before), 0x200u);
  d.Time().Sleep(-5);  // a negative sleep is no sleep
  EXPECT_EQ(d.Time().TickCount(), 0x100u);
}

TEST(MessagePump, UserEventsWaitForAPumpPass) {
  Desktop d;
  int clicks = 0;
  d.UserEvent(100, [&] { ++clicks; });
  d.Time().Sleep(500);
  EXPECT_EQ(clicks, 0);  // due, but the thread has not pumped
  d.Windows().PumpMessages();
  EXPECT_EQ(clicks, 1);
  d.Windows().PumpMessages();
  EXPECT_EQ(clicks, 1);
}

TEST(MessagePump, NestedPumpTakesTheRemainingEvents) {
  Desktop d;
  std::vector<int> order;
  d.UserEvent(0, [&] {
    order.push_back(1);
    d.Windows().PumpMessages();  // a handler that waits, and so pumps
    order.push_back(3);
  });
  d.UserEvent(0, [&] { order.push_back(2); });
  d.Windows().PumpMessages();
  EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
}

TEST(SimWindows, TextsAreReadThroughTheCodePageWithUser32Truncation) {
  Desktop d;
  const Hwnd w = d.CreateWindow({.class_name = u"Afx", .title = u"AutoCAD LT ﾃｷｽﾄ ｳｨﾝﾄﾞｳ"});
  auto& os = d.Windows();
  // Half-width katakana are one byte each in code page 932.
  EXPECT_EQ(os.TitleLength(w), 22);
  EXPECT_EQ(os.Title(w, 23), u"AutoCAD LT ﾃｷｽﾄ ｳｨﾝﾄﾞｳ");
  EXPECT_EQ(os.Title(w, 11), u"AutoCAD LT");  // ten bytes and the NUL
  EXPECT_EQ(os.ClassName(w, 260), u"Afx");
  const Hwnd j = d.CreateWindow({.class_name = u"Edit", .title = u"コマンド: "});
  EXPECT_EQ(os.TitleLength(j), 10);
  std::intptr_t copied = 0;
  EXPECT_EQ(os.SendGetText(j, 11, &copied), u"コマンド: ");
  EXPECT_EQ(copied, 10);
}

TEST(SimWindows, VisibilityAndLifeFollowTheParents) {
  Desktop d;
  const Hwnd top = d.CreateWindow({.class_name = u"A", .title = u"top"});
  const Hwnd child = d.CreateWindow({.class_name = u"B", .title = u"child", .parent = top});
  const Hwnd grandchild = d.CreateWindow({.class_name = u"C", .title = u"gc", .parent = child});
  auto& os = d.Windows();
  EXPECT_TRUE(os.IsWindowVisible(grandchild));
  d.SetVisible(top, false);
  EXPECT_FALSE(os.IsWindowVisible(grandchild));
  EXPECT_TRUE(os.IsWindow(grandchild));
  std::vector<Hwnd> seen;
  EXPECT_TRUE(os.EnumChildWindows(top, [&](Hwnd h) {
    seen.push_back(h);
    return true;
  }));
  EXPECT_EQ(seen, (std::vector<Hwnd>{child, grandchild}));
  d.DestroyWindow(top);
  EXPECT_FALSE(os.IsWindow(grandchild));
  EXPECT_FALSE(os.EnumChildWindows(top, [](Hwnd) { return true; }));
}

TEST(SimWindows, EnumerationStopsAndFailsWhenTheCallbackSaysSo) {
  Desktop d;
  d.CreateWindow({.title = u"one"});
  d.CreateWindow({.title = u"two"});
  int visits = 0;
  EXPECT_FALSE(d.Windows().EnumWindows([&](Hwnd) { return ++visits < 1; }));
  EXPECT_EQ(visits, 1);
}

TEST(SimBoxes, RecordTheRequestAndAnswerAsScripted) {
  Desktop d;
  EXPECT_EQ(d.Boxes().ShowBox(0, u"保存しますか?", u"Plendra", kMbYesNoCancel | kMbIconQuestion), kIdYes);
  d.AnswerNextBox(kIdCancel);
  EXPECT_EQ(d.Boxes().ShowBox(7, u"x", u"y", kMbOkCancel), kIdCancel);
  ASSERT_EQ(d.ShownBoxes().size(), 2u);
  EXPECT_EQ(d.ShownBoxes()[0].style, 35u);
  EXPECT_EQ(d.ShownBoxes()[1].owner, 7);
}

TEST(SimFiles, TempFolderIsARealFolderThatTheDesktopRemoves) {
  std::filesystem::path folder;
  {
    Desktop d;
    folder = d.TempFolder();
    EXPECT_TRUE(std::filesystem::is_directory(folder));
    const std::string reported = d.Folders().TempPathAnsi(255);
    EXPECT_EQ(reported, folder.string() + "/");
    EXPECT_EQ(d.Folders().TempPathAnsi(static_cast<int>(reported.size())), "");  // no room for the NUL
  }
  EXPECT_FALSE(std::filesystem::exists(folder));
}

}  // namespace
}  // namespace platform::sim
