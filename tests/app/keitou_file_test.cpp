#include "app/keitou_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app_test_support.h"
#include "platform/sim/desktop.h"

namespace plendra {
namespace {

using Fields = std::vector<std::u16string>;

std::string Shown(std::u16string_view text) {
  std::string out;
  for (char16_t c : text) out += c < 0x80 ? static_cast<char>(c) : '?';
  return out;
}

TEST(ReadFields, SplitsAtCommasAndLineEndsAndUnquotes) {
  struct Case {
    std::u16string_view text;
    Fields fields;
  } cases[] = {
      {u"a\r\nb", {u"a", u"b"}},
      {u"a\rb\nc\r\nd", {u"a", u"b", u"c", u"d"}},
      {u"a,b\r\nc", {u"a", u"b", u"c"}},
      {u"\"a,b\",c", {u"a,b", u"c"}},
      {u"  a  ,\tb\t", {u"a", u"b"}},
      {u" a b ", {u"a b"}},
      {u"\"  a  \"", {u"  a  "}},
      {u"\"a\" junk, b", {u"a", u"b"}},
      {u"\"a\" junk", {u"a"}},
      {u"\"a, b", {u"a, b"}},           // no closing quote: the rest of the line
      {u"\"a\r\nb\"", {u"a", u"b\""}},  // a quote does not span lines
      {u"ab\"c", {u"ab\"c"}},
      {u"\"\"", {u""}},
      {u"a,,b", {u"a", u"", u"b"}},
      {u",a", {u"", u"a"}},
      {u"a,", {u"a"}},
      {u"a, \t\r\nb", {u"a", u"b"}},
      {u"\r\n\r\n  \r\n\ta\r\n\r\n", {u"a"}},
      {u"", {}},
      {u"給水 , 排水\u3000", {u"給水", u"排水\u3000"}},  // a full-width space is no blank
  };
  for (const Case& c : cases) EXPECT_EQ(ReadFields(c.text), c.fields) << Shown(c.text);
}

TEST(ParseKeitou, SeparatesSystemsFromNumbersAtTheFirstDoubleExclamation) {
  struct Case {
    std::u16string_view text;
    Fields systems, numbers;
    bool separator;
  } cases[] = {
      {u"給水\r\n排水\r\n!!\r\n1\r\n2\r\n3\r\n", {u"給水", u"排水"}, {u"1", u"2", u"3"}, true},
      {u"a\r\n!!\r\n1\r\n!!\r\n2", {u"a"}, {u"1", u"!!", u"2"}, true},
      {u"a,b,!!,1,2", {u"a", u"b"}, {u"1", u"2"}, true},
      {u"\"給水, 系統A\"\r\n!!\r\n1", {u"給水, 系統A"}, {u"1"}, true},
      {u"a\r\n !! \r\n1", {u"a"}, {u"1"}, true},
      {u"a\r\n\"!!\"\r\n1", {u"a"}, {u"1"}, true},
      {u"a\r\n\"!! \"\r\n1", {u"a", u"!! ", u"1"}, {}, false},
      {u"a\r\n!!!\r\n!! x\r\n!\r\n", {u"a", u"!!!", u"!! x", u"!"}, {}, false},
      {u"a\r\n\r\nb\r\n", {u"a", u"b"}, {}, false},
      {u"!!", {}, {}, true},
      {u"!!\r\n1", {}, {u"1"}, true},
      {u"", {}, {}, false},
  };
  for (const Case& c : cases) {
    const KeitouList list = ParseKeitou(c.text);
    EXPECT_EQ(list.systems, c.systems) << Shown(c.text);
    EXPECT_EQ(list.numbers, c.numbers) << Shown(c.text);
    EXPECT_EQ(list.separator_found, c.separator) << Shown(c.text);
  }
}

class KeitouFile : public ::testing::Test {
 protected:
  platform::sim::Desktop desktop;
  platform::TextCodec& codec = desktop.Codec();
};

TEST_F(KeitouFile, ReadsHalfWidthKatakanaInCodePage932) {
  const std::optional<KeitouList> list =
      Keitou_Read(SourceDir() / "tests" / "data" / "app" / "Keitou.txt", codec);
  ASSERT_TRUE(list.has_value());
  EXPECT_EQ(list->systems, (Fields{u"ｷｭｳｽｲ", u"ﾊｲｽｲ, ｻﾞｯﾖｳ", u"冷温水"}));
  EXPECT_EQ(list->numbers, (Fields{u"1", u"2"}));
}

TEST_F(KeitouFile, TheShippedListNumbersFromOneUpwards) {
  const std::optional<KeitouList> list = Keitou_Read(SourceDir() / "data" / "Keitou.txt", codec);
  ASSERT_TRUE(list.has_value());
  ASSERT_TRUE(list->separator_found);
  ASSERT_GE(list->systems.size(), 2u);
  EXPECT_EQ(list->systems.front(), u"給水");
  EXPECT_EQ(list->systems[8], u"スプリンクラー");
  ASSERT_FALSE(list->numbers.empty());
  // The lookup selects list position k for the number k + 1.
  for (std::size_t k = 0; k < list->numbers.size(); ++k) {
    const std::string expected = std::to_string(k + 1);
    EXPECT_EQ(list->numbers[k], std::u16string(expected.begin(), expected.end()));
  }
}

TEST_F(KeitouFile, AMissingFileReadsAsNothing) {
  EXPECT_FALSE(Keitou_Read(desktop.TempFolder() / "Keitou.txt", codec).has_value());
  EXPECT_FALSE(Keitou_Read(desktop.TempFolder(), codec).has_value());
}

}  // namespace
}  // namespace plendra
