// The scripted user as cadsim.exe takes it on its command line.
#include "cadsim/user_script.h"

#include <gtest/gtest.h>

namespace {

using cadsim::ParseUserScript;
using cadsim::UserAction;

TEST(UserScript, ReadsEachKindOfAction) {
  const auto actions = ParseUserScript(u"2000:pick:2F,1500:at:615;-212.5,800:miss,1200:ESC");
  ASSERT_TRUE(actions);
  ASSERT_EQ(actions->size(), 4u);
  EXPECT_EQ((*actions)[0].kind, UserAction::kPickEntity);
  EXPECT_EQ((*actions)[0].handle, 0x2Fu);
  EXPECT_EQ((*actions)[0].delay_ms, 2000u);
  EXPECT_EQ((*actions)[1].kind, UserAction::kPickPoint);
  EXPECT_EQ((*actions)[1].point.x, 615);
  EXPECT_EQ((*actions)[1].point.y, -212.5);
  EXPECT_EQ((*actions)[2].kind, UserAction::kMiss);
  EXPECT_EQ((*actions)[3].kind, UserAction::kEscape);
  EXPECT_EQ((*actions)[3].delay_ms, 1200u);
}

TEST(UserScript, EmptyTextIsNoActions) { EXPECT_EQ(ParseUserScript(u"")->size(), 0u); }

TEST(UserScript, RefusesWhatItCannotRead) {
  for (std::u16string_view bad : {u"pick:2F", u"100:pick", u"100:pick:XYZ", u"100:at:1", u"-5:esc",
                                  u"100:jump", u"100:esc:1", u"2000:pick:2F,"})
    EXPECT_FALSE(ParseUserScript(bad)) << std::string(bad.begin(), bad.end());
}

}  // namespace
