// The files in data/ that the product and the demo read: in code page 932,
// in the shapes their readers expect.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "cadsim_fixture.h"
#include "platform/ansi_codec.h"

namespace cadsim_test {
namespace {

class Data : public ::testing::Test {
 protected:
  std::unique_ptr<platform::TextCodec> codec = platform::MakeAnsiCodec(932);

  // The file's lines, decoded from code page 932; every line must end in CR LF.
  std::vector<std::u16string> Lines(const char* name) {
    std::ifstream in(DataDir() / name, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<std::u16string> lines;
    std::size_t start = 0, end;
    while ((end = bytes.find("\r\n", start)) != std::string::npos) {
      lines.push_back(codec->FromAnsi(bytes.substr(start, end - start)));
      start = end + 2;
    }
    EXPECT_EQ(start, bytes.size()) << name << " has text after its last CR LF";
    return lines;
  }
};

TEST_F(Data, SystemListNamesSystemsThenNumbersOneTo99) {
  const auto lines = Lines("Keitou.txt");
  const auto bang = std::find(lines.begin(), lines.end(), u"!!");
  ASSERT_NE(bang, lines.end());
  const std::vector<std::u16string> systems(lines.begin(), bang);
  for (std::u16string_view s : {u"給水", u"給湯", u"排水", u"通気", u"消火", u"冷媒"})
    EXPECT_NE(std::find(systems.begin(), systems.end(), s), systems.end()) << "missing a system";
  ASSERT_EQ(lines.end() - bang - 1, 99);
  for (int n = 1; n <= 99; ++n) EXPECT_EQ(*(bang + n), Decimal(static_cast<std::size_t>(n)));
}

TEST_F(Data, SettingsFileHoldsTheFourteenDefaultValues) {
  EXPECT_EQ(Lines("plendra.ini"),
            (std::vector<std::u16string>{u"-2", u"3", u"False", u"False", u"True", u"False", u"1", u"0", u"1",
                                         u"200", u"1000", u"1000", u"0", u"1"}));
}

TEST_F(Data, BlockFileAsksForItsEightAttributesInOrder) {
  const cadsim::Drawing d = cadsim::ReadDxfFile(DataDir() / "Plendra1.dxf", *codec);
  std::vector<const cadsim::AttributeDef*> defs;
  for (const cadsim::Entity& e : d.entities)
    if (const auto* a = std::get_if<cadsim::AttributeDef>(&e)) defs.push_back(a);
  ASSERT_EQ(defs.size(), 8u);
  EXPECT_EQ(defs[0]->tag, u"X");
  EXPECT_EQ(defs[1]->tag, u"Y");
  EXPECT_EQ(defs[2]->tag, u"Z");
  EXPECT_FALSE(defs[4]->value.empty()) << "the fifth prompt keeps a default";
  EXPECT_FALSE(defs[5]->value.empty()) << "the sixth prompt keeps a default";
  EXPECT_EQ(defs[6]->tag, u"(1)系統");
  EXPECT_FALSE(defs[6]->flags & 1) << "the system is shown";
  EXPECT_FALSE(defs[7]->flags & 1) << "the number is shown";
  for (const cadsim::AttributeDef* a : defs)
    EXPECT_EQ(a->flags & (2 | 8), 0) << "every attribute is asked for";
}

}  // namespace
}  // namespace cadsim_test
