// Typed input: the stream of copy-data messages, Ctrl+C, Enter, blanks.
#include <gtest/gtest.h>

#include <cstring>

#include "cadsim_fixture.h"

namespace cadsim_test {
namespace {

class CommandLine : public CadsimTest {
 protected:
  bool Receive(const std::string& bytes, std::uintptr_t tag = 1) {
    std::vector<std::byte> buffer(256);
    std::memcpy(buffer.data(), bytes.data(), std::min(bytes.size(), buffer.size()));
    return Cad().Receive(tag, buffer);
  }
  std::string Ansi(std::u16string_view text) { return desktop.Codec().ToAnsi(text); }
};

TEST_F(CommandLine, ConsecutiveMessagesAreOneStreamOfTypedInput) {
  Start(1);
  ASSERT_TRUE(Receive("-la"));
  ASSERT_TRUE(Receive("yer\rn\r"));
  EXPECT_EQ(Cad().Prompt(), u"新規画層の名前を入力 (複数可): ");
}

TEST_F(CommandLine, ReadsUpToTheFirstNulOfALongerBuffer) {
  Start(1);
  ASSERT_TRUE(Receive(std::string("ucs\rw\r\0select\r", 15)));
  EXPECT_EQ(Cad().Prompt(), u"ｺﾏﾝﾄﾞ: ");
}

TEST_F(CommandLine, DoubleByteCharacterSplitBetweenMessagesStaysWhole) {
  Start(1);
  const std::string name = Ansi(u"給水管");
  ASSERT_TRUE(Receive("-layer\rn\r" + name.substr(0, 1)));
  ASSERT_TRUE(Receive(name.substr(1) + "\r\r"));
  EXPECT_NE(TheDrawing().FindLayer(u"給水管"), nullptr);
}

TEST_F(CommandLine, OnlyDataTagOneIsInput) {
  Start(1);
  EXPECT_FALSE(Receive("ucs\r", 2));
  EXPECT_EQ(Cad().Prompt(), u"ｺﾏﾝﾄﾞ: ");
}

TEST_F(CommandLine, CtrlCAtTheCommandPromptWritesTheHalfWidthMarkerUpTo2002) {
  Start(3);
  ASSERT_EQ(Send(u"^C"), -1);
  EXPECT_TRUE(EndsWith(History(), u"ｺﾏﾝﾄﾞ: *ｷｬﾝｾﾙ*"));
}

TEST_F(CommandLine, CtrlCWritesTheFullWidthMarkerFrom2004) {
  Start(6);
  ASSERT_EQ(Post(u"select^M"), -1);
  ASSERT_EQ(Send(u"^C"), -1);
  EXPECT_TRUE(EndsWith(History(), u"オブジェクトを選択: *キャンセル*"));
  EXPECT_EQ(CurrentPrompt(), u"コマンド: ");
}

TEST_F(CommandLine, CtrlCDropsWhatWasTypedAfterThePrompt) {
  Start(1);
  Cad().Type(u"-lay");
  EXPECT_EQ(Cad().Prompt(), u"ｺﾏﾝﾄﾞ: -lay");
  Cad().Type(u"\x03");
  EXPECT_EQ(Cad().HistoryLines().back(), u"ｺﾏﾝﾄﾞ: -lay*ｷｬﾝｾﾙ*");
  EXPECT_EQ(Cad().Prompt(), u"ｺﾏﾝﾄﾞ: ");
}

TEST_F(CommandLine, BlankEndsAnInputLikeEnter) {
  Start(1);
  ASSERT_EQ(Send(u"-layer n 配管-冷媒 ^M"), -1);
  EXPECT_NE(TheDrawing().FindLayer(u"配管-冷媒"), nullptr);
}

TEST_F(CommandLine, LineFeedEndsAnInputLikeEnter) {
  Start(1);
  ASSERT_EQ(Send(u"ucs^Jw^J"), -1);
}

TEST_F(CommandLine, EnterAtAnEmptyCommandPromptRepeatsTheLastCommand) {
  Start(1);
  ASSERT_EQ(Send(u"ucs^Mw^M"), -1);
  Cad().Type(u"\r");
  EXPECT_TRUE(Cad().Prompt().starts_with(u"UCS のオプションを入力"));
}

TEST_F(CommandLine, UnknownCommandIsReportedAndThePromptComesBack) {
  Start(1);
  ASSERT_EQ(Send(u"frobnicate^M"), -1);
  EXPECT_NE(History().find(u"\"frobnicate\" は不明なコマンドです。"), std::u16string::npos);
}

TEST_F(CommandLine, HistoryEndsWithTheNewestLineAndNoLineEnd) {
  Start(1);
  ASSERT_EQ(Send(u"ucs^Mw^M"), -1);
  const std::u16string h = History();
  EXPECT_TRUE(EndsWith(h, u"<ワールド(W)>: w")) << std::string(h.begin(), h.end()).size();
  EXPECT_NE(h.find(u"ｺﾏﾝﾄﾞ: ucs\r\n現在の UCS 名:  *ワールド*\r\n"), std::u16string::npos);
}

TEST_F(CommandLine, UcsPreviousRestoresTheStateBeforeWorld) {
  Start(1);
  ASSERT_EQ(Send(u"ucs^Mw^M"), -1);
  ASSERT_EQ(Send(u"^C^C_ucs^Mp^M^C"), -1);
  EXPECT_TRUE(Cad().UcsIsWorld());
  EXPECT_EQ(History().find(u"前の UCS は保存されていません"), std::u16string::npos);
  ASSERT_EQ(Send(u"_ucs^Mp^M"), -1);
  EXPECT_NE(History().find(u"前の UCS は保存されていません"), std::u16string::npos);
}

}  // namespace
}  // namespace cadsim_test
