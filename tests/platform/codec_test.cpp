// Code page 932 conversions, as AutoCAD's windows and files hold them.
#include <gtest/gtest.h>

#include "platform/ansi_codec.h"
#include "platform/utf8.h"

namespace platform {
namespace {

TEST(Codepage932, RoundTripsJapaneseText) {
  auto codec = MakeAnsiCodec(932);
  struct Case {
    std::u16string text;
    std::string bytes;
  } cases[] = {
      {u"ｺﾏﾝﾄﾞ: ", "\xba\xcf\xdd\xc4\xde: "}, {u"コマンド: ", "\x83\x52\x83\x7d\x83\x93\x83\x68: "},
      {u"ソ表", "\x83\x5c\x95\x5c"},  // second bytes that are the ASCII backslash
      {u"C:\\Temp\\", "C:\\Temp\\"},          {u"給水-1", "\x8b\x8b\x90\x85-1"},
      {u"①㈱", "\x87\x40\x87\x8a"},  // NEC extensions that Windows' table has
  };
  for (const Case& c : cases) {
    EXPECT_EQ(codec->ToAnsi(c.text), c.bytes);
    EXPECT_EQ(codec->FromAnsi(c.bytes), c.text);
  }
}

TEST(Codepage932, UnmappableAndInvalidInputIsReplacedNotDropped) {
  auto codec = MakeAnsiCodec(932);
  EXPECT_EQ(codec->ToAnsi(u"a\U0002000Bb"), "a?b");  // one "?" for the surrogate pair
  EXPECT_EQ(codec->ToAnsi(u"x\xD800y"), "x?y");      // a lone surrogate
  EXPECT_EQ(codec->FromAnsi("a\x85\x40"
                            "b"),
            u"a\u30FBb");                              // a pair in an unassigned row
  EXPECT_EQ(codec->FromAnsi("a\x81 b"), u"a\u30FBb");  // the lead byte takes the space along
  EXPECT_EQ(codec->FromAnsi("ab\x83"), u"ab\u30FB");   // a lead byte cut off at the end
}

TEST(Codepage932, SingleBytesOnlyWindowsDefinesRoundTrip) {
  // Windows' table, which user32's ANSI calls use, maps these; glibc's does not.
  auto codec = MakeAnsiCodec(932);
  EXPECT_EQ(codec->FromAnsi("\x80\xa0\xfd\xfe\xff"), u"\u0080\uF8F0\uF8F1\uF8F2\uF8F3");
  EXPECT_EQ(codec->ToAnsi(u"\u0080\uF8F0\uF8F1\uF8F2\uF8F3"), "\x80\xa0\xfd\xfe\xff");
}

TEST(Codepage932, LongTextsConvertWhole) {
  auto codec = MakeAnsiCodec(932);
  std::u16string text;
  for (int i = 0; i < 10000; ++i) text += u"配管";
  const std::string bytes = codec->ToAnsi(text);
  EXPECT_EQ(bytes.size(), 40000u);
  EXPECT_EQ(codec->FromAnsi(bytes), text);
}

}  // namespace
}  // namespace platform

namespace platform {
namespace {

TEST(Utf8, ConvertsWholeCodePointsAndReplacesBrokenOnes) {
  EXPECT_EQ(ToUtf8(u"給水 ｺﾏﾝﾄﾞ"), "給水 ｺﾏﾝﾄﾞ");
  EXPECT_EQ(ToUtf8(u"\U0002000B"), "\U0002000B");  // a surrogate pair is one character
  EXPECT_EQ(ToUtf8(u"a\xD800"
                   u"b"),
            "a\uFFFDb");  // a lone surrogate
  EXPECT_EQ(FromUtf8("給水\U0002000B"), u"給水\U0002000B");
  EXPECT_EQ(FromUtf8("a\xE7\xB5"
                     "b"),
            u"a\uFFFDb");                            // cut short
  EXPECT_EQ(FromUtf8("\xC0\xAF"), u"\uFFFD\uFFFD");  // an overlong form is not a "/"
}

}  // namespace
}  // namespace platform
