// DxfAttributesAfter over the scratch file: the values a reading of DxfScan's
// table of every ATTRIB gives for one tag and value, found without the table.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "link/dxf_table.h"
#include "link/mdl_common.h"
#include "support/link_fixture.h"

namespace plendra_test {
namespace {

// Code page 932: (1)系統, 給水, 排水, ソケット表 (trail byte 0x5C).
const std::string kTag = "(1)\x8C\x6E\x93\x9D";
const std::string kKyusui = "\x8B\x8B\x90\x85";
const std::string kHaisui = "\x94\x72\x90\x85";
const std::string kSocket = "\x83\x5C\x83\x50\x83\x62\x83\x67\x95\x5C";

struct Attrib {
  std::string tag, value;
};

// A drawing whose parts-table entries are the ATTRIB records given, in
// ENTITIES, and a block definition with attributes that must not count.
std::string Drawing(const std::vector<Attrib>& attribs) {
  std::string text;
  const auto g = [&](std::string_view code, std::string_view value) {
    text.append(code).append("\r\n").append(value).append("\r\n");
  };
  g("  0", "SECTION");
  g("  2", "BLOCKS");
  g("  0", "BLOCK");
  g("  0", "ATTRIB");
  g("  2", kTag);
  g("  1", kKyusui);
  g("  0", "ATTRIB");
  g("  2", "(2)NUMBER");
  g("  1", "999");
  g("  0", "ENDBLK");
  g("  0", "ENDSEC");
  g("  0", "SECTION");
  g("  2", "ENTITIES");
  for (const Attrib& a : attribs) {
    g("  0", "ATTRIB");
    g("  5", "2F");
    g("  8", "0");
    g(" 10", "1.0");
    g("  1", a.value);
    g("  7", "Standard");
    g("  2", a.tag);
    g(" 70", "     0");
    if (&a == &attribs.front()) g("  0", "LINE");  // records of other types are no attributes
  }
  g("  0", "ENDSEC");
  g("  0", "SECTION");
  g("  2", "OBJECTS");
  g("  0", "ATTRIB");
  g("  2", kTag);
  g("  1", kKyusui);
  g("  0", "ATTRIB");
  g("  1", "998");
  g("  0", "ENDSEC");
  g("  0", "EOF");
  return text;
}

class DxfAttributesAfterTest : public LinkTest {
 protected:
  DxfAttributesAfterTest() : control(korvel::PwControl::Create()) {}

  void WriteScratch(const std::string& bytes) {
    std::ofstream(desktop.TempFolder() / "Wexa.dxf", std::ios::binary) << bytes;
  }

  // What the lookup read from DxfScan's table: after each record whose tag
  // and value match, the value of the next record.
  std::vector<std::u16string> FromTheTable(std::u16string_view tag, std::u16string_view value) {
    korvel::DxfTable table;
    EXPECT_EQ(control->DxfScan(u"ENTITIES", u"ATTRIB", u"2|1", table), -1);
    std::vector<std::u16string> values;
    const int n = std::stoi(std::string(table.At(0, 0).begin(), table.At(0, 0).end()));
    for (int r = 1; r < n; ++r)
      if (table.At(0, r) == tag && table.At(1, r) == value) values.push_back(table.At(1, r + 1));
    return values;
  }

  std::vector<std::u16string> Found(std::u16string_view tag, std::u16string_view value) {
    std::vector<std::u16string> values = {u"caller's own"};
    EXPECT_EQ(control->DxfAttributesAfter(tag, value, values), -1);
    return values;
  }

  std::shared_ptr<korvel::PwControl> control;
};

TEST_F(DxfAttributesAfterTest, ValuesAfterTheMatchingAttributesInFileOrder) {
  WriteScratch(Drawing({
      {kTag, kKyusui},
      {"(2)NUMBER", "1"},  // an entry of 給水
      {kTag, kHaisui},
      {"(2)NUMBER", "7"},  // another system's
      {kTag, kKyusui},
      {"(2)NUMBER", " 12 "},  // blanks kept
      {kTag, kKyusui},
      {kTag, kKyusui},      // a match right after a match
      {"(2)NUMBER", "3A"},  // no decimal number: still its value
      {kTag, kSocket},
      {"(2)NUMBER", "5"},  // trail byte 0x5C
      {"(1)KEITOU", kKyusui},
      {"(2)NUMBER", "40"},  // another tag
      {kTag, "\x82\x6A"},
      {"x", "41"},      // another value (full-width Ｋ)
      {kTag, kKyusui},  // the last attribute: nothing follows
  }));
  const std::vector<std::u16string> expected = {u"1", u" 12 ", u"給水", u"3A"};
  EXPECT_EQ(Found(u"(1)系統", u"給水"), expected);
  EXPECT_EQ(Found(u"(1)系統", u"給水"), FromTheTable(u"(1)系統", u"給水"));
  EXPECT_EQ(Found(u"(1)系統", u"ソケット表"), (std::vector<std::u16string>{u"5"}));
  EXPECT_EQ(Found(u"(1)系統", u"排水"), (std::vector<std::u16string>{u"7"}));
  EXPECT_EQ(Found(u"(1)系統", u"給湯"), std::vector<std::u16string>{});
  EXPECT_EQ(Found(u"(1)系統", u"Ｋ"), (std::vector<std::u16string>{u"41"}));
  EXPECT_EQ(Found(u"(1)KEITOU", u"給水"), (std::vector<std::u16string>{u"40"}));
}

// Many systems and numbers of every form, shuffled: the values are the ones
// the table gives, for every system.
TEST_F(DxfAttributesAfterTest, SameValuesAsTheTableForManySystems) {
  std::mt19937 random(19);
  const std::vector<std::string> systems = {kKyusui, kHaisui, kSocket, "A", "a", "SYS-10", "", " A"};
  const std::vector<std::string> numbers = {"1", "2",  "10", "007", "3.5",        "1e3",
                                            "",  " 4", "x",  "-2",  "12345678901"};
  std::vector<Attrib> attribs;
  for (int i = 0; i < 3000; ++i) {
    const int kind = static_cast<int>(random() % 10);
    if (kind < 7) {
      attribs.push_back({kTag, systems[random() % systems.size()]});
      attribs.push_back({"(2)NUMBER", numbers[random() % numbers.size()]});
    } else if (kind < 9) {
      attribs.push_back({"(3)NAGASA", std::to_string(random() % 5000)});
    } else {
      attribs.push_back({kTag, systems[random() % systems.size()]});
    }
  }
  WriteScratch(Drawing(attribs));
  for (std::u16string_view system :
       {u"給水", u"排水", u"ソケット表", u"A", u"a", u"SYS-10", u"", u" A", u"無い"}) {
    const std::vector<std::u16string> found = Found(u"(1)系統", system);
    EXPECT_EQ(found, FromTheTable(u"(1)系統", system)) << std::string(system.begin(), system.end());
    if (system != u"無い") {
      EXPECT_GT(found.size(), 100u);
    }
  }
}

TEST_F(DxfAttributesAfterTest, FailuresAreTheScansAndLeaveTheCallersValues) {
  std::vector<std::u16string> values = {u"caller's own"};
  EXPECT_EQ(control->DxfAttributesAfter(u"(1)系統", u"給水", values), 53);  // no scratch file
  EXPECT_EQ(values, std::vector<std::u16string>{u"caller's own"});
  EXPECT_EQ(korvel::Shared().ErrorInfo.Number, 53);
  WriteScratch("  0\r\nSECTION\r\n  2\r\nENTITIES\r\n  0\r\nATTRIB\r\nnot a code\r\nx\r\n");
  EXPECT_EQ(control->DxfAttributesAfter(u"(1)系統", u"給水", values), 13);
  EXPECT_EQ(values, std::vector<std::u16string>{u"caller's own"});
  WriteScratch("");
  EXPECT_EQ(control->DxfAttributesAfter(u"(1)系統", u"給水", values), -1);
  EXPECT_EQ(values, std::vector<std::u16string>{});
}

}  // namespace
}  // namespace plendra_test
