// DxfScan over the scratch file in the simulated temporary folder: the shape
// of the table, which records count, how values are kept, and the failures
// that leave the caller's table alone.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "link/dxf_table.h"
#include "link/messages.h"
#include "support/link_fixture.h"

namespace plendra_test {
namespace {

using korvel::DxfTable;

// DXF lines joined by CRLF, as AutoCAD writes them.
std::string Dxf(const std::vector<std::string>& lines, std::string_view eol = "\r\n", bool final_eol = true) {
  std::string text;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    text += lines[i];
    if (i + 1 < lines.size() || final_eol) text += eol;
  }
  return text;
}

// Two rotated dimensions in ENTITIES (the second without group 3) and one in
// a block definition, which the scan of ENTITIES must not count.
const std::vector<std::string> kDimensions = {
    "  0", "SECTION",   "  2",  "HEADER",   "  9",  "$ACADVER",  "  1", "AC1015",  "  0", "ENDSEC",
    "  0", "SECTION",   "  2",  "BLOCKS",   "  0",  "BLOCK",     "  2", "*D9",     "  0", "DIMENSION",
    " 11", "9.0",       " 42",  "99.0",     "  3",  "Inner",     "  0", "ENDBLK",  "  0", "ENDSEC",
    "  0", "SECTION",   "  2",  "ENTITIES", "  0",  "DIMENSION", "  5", "2A",      " 11", "1500.0",
    " 21", "200.0",     " 31",  "0.0",      " 42",  "1500.0",    " 70", "    32",  " 50", "0.0",
    "  3", "Standard",  "1001", "ACAD",     "1070", "   271",    "  0", "LINE",    " 11", "5.0",
    "  0", "DIMENSION", " 11",  "30.5",     " 21",  "40.0",      " 31", "0.0",     " 42", "750.25",
    " 70", "    33",    " 50",  "90.0",     "  0",  "ENDSEC",    "  0", "SECTION", "  2", "OBJECTS",
    "  0", "DIMENSION", " 11",  "7.0",      "  0",  "ENDSEC",    "  0", "EOF"};

constexpr std::u16string_view kDimensionCodes = u"11|21|31|42|70|50|3|1070";

class DxfScanTest : public LinkTest {
 protected:
  DxfScanTest() : control(korvel::PwControl::Create()) {}

  void WriteScratch(const std::string& bytes) { WriteFile(desktop.TempFolder() / "Wexa.dxf", bytes); }
  static void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
  }
  // A table a caller already holds, to show it survives a failed scan.
  static DxfTable Sentinel() {
    DxfTable t(1, 1);
    t.At(0, 0) = u"sentinel";
    return t;
  }
  std::int32_t Scan(std::u16string_view section, std::u16string_view type, std::u16string_view codes) {
    return control->DxfScan(section, type, codes, table);
  }

  std::shared_ptr<korvel::PwControl> control;
  DxfTable table;
};

// ------------------------------------------------------------ the table

TEST_F(DxfScanTest, TableHoldsTheWantedSectionsRecordsWithSparePositions) {
  WriteScratch(Dxf(kDimensions));
  ASSERT_TRUE(Succeeded(Scan(u"ENTITIES", u"DIMENSION", kDimensionCodes)));
  ASSERT_EQ(table.UBound(1), 8);
  ASSERT_EQ(table.UBound(2), 3);
  EXPECT_EQ(table.At(0, 0), u"2");
  const std::vector<std::u16string> first = {u"1500.0", u"200.0", u"0.0",      u"1500.0",
                                             u"    32", u"0.0",   u"Standard", u"   271"};
  const std::vector<std::u16string> second = {u"30.5",   u"40.0", u"0.0", u"750.25",
                                              u"    33", u"90.0", u"",    u""};
  for (int k = 0; k < 8; ++k) {
    EXPECT_EQ(table.At(k, 1), first[k]) << "k=" << k;
    EXPECT_EQ(table.At(k, 2), second[k]) << "k=" << k;  // no group 3: (6, 2) stays empty
  }
  for (int k = 1; k <= 8; ++k) EXPECT_EQ(table.At(k, 0), u"");
  for (int r = 0; r <= 3; ++r) EXPECT_EQ(table.At(8, r), u"");
  for (int k = 0; k <= 8; ++k) EXPECT_EQ(table.At(k, 3), u"");
}

TEST_F(DxfScanTest, NothingFoundIsASuccessWithCountZero) {
  WriteScratch(Dxf(kDimensions));
  // Section names compare exactly: small letters find nothing.
  ASSERT_TRUE(Succeeded(Scan(u"entities", u"DIMENSION", u"11|21")));
  EXPECT_EQ(table.UBound(1), 2);
  EXPECT_EQ(table.UBound(2), 1);
  EXPECT_EQ(table.At(0, 0), u"0");
  ASSERT_TRUE(Succeeded(Scan(u"ENTITIES", u"dimension", u"11")));
  EXPECT_EQ(table.At(0, 0), u"0");
}

TEST_F(DxfScanTest, RecordsOfOtherSectionsAreNotCounted) {
  WriteScratch(Dxf(kDimensions));
  ASSERT_TRUE(Succeeded(Scan(u"BLOCKS", u"DIMENSION", u"11|3")));
  ASSERT_EQ(table.At(0, 0), u"1");
  EXPECT_EQ(table.At(0, 1), u"9.0");
  EXPECT_EQ(table.At(1, 1), u"Inner");
}

TEST_F(DxfScanTest, LaterValueOfACodeReplacesTheEarlierAndACodeListedTwiceFillsBoth) {
  WriteScratch(Dxf({"  0", "SECTION", "  2", "ENTITIES", "  0", "LWPOLYLINE", " 10", "1.0", " 10", "2.0",
                    " 10", "3.0", "  0", "ENDSEC", "  0", "EOF"}));
  ASSERT_TRUE(Succeeded(Scan(u"ENTITIES", u"LWPOLYLINE", u"10")));
  EXPECT_EQ(table.At(0, 1), u"3.0");
  ASSERT_TRUE(Succeeded(Scan(u"ENTITIES", u"LWPOLYLINE", u"10|10")));
  EXPECT_EQ(table.At(0, 1), u"3.0");
  EXPECT_EQ(table.At(1, 1), u"3.0");
}

TEST_F(DxfScanTest, ValuesKeepTheirBlanks) {
  WriteScratch(Dxf({"  0", "SECTION", "  2", "ENTITIES", "  0", "ATTRIB", "  2", "TAG", "  1", "   12  ",
                    "  0", "ENDSEC"}));
  ASSERT_TRUE(Succeeded(Scan(u"ENTITIES", u"ATTRIB", u"2|1")));
  EXPECT_EQ(table.At(1, 1), u"   12  ");
}

TEST_F(DxfScanTest, CodeListElementsMayCarryBlanks) {
  WriteScratch(Dxf(kDimensions));
  ASSERT_TRUE(Succeeded(Scan(u"ENTITIES", u"DIMENSION", u" 42 |\t3")));
  EXPECT_EQ(table.At(0, 1), u"1500.0");
  EXPECT_EQ(table.At(1, 1), u"Standard");
}

// ------------------------------------------------------------ the file

TEST_F(DxfScanTest, LineFeedOnlyAndNoFinalNewlineReadTheSame) {
  WriteScratch(Dxf(kDimensions));
  ASSERT_TRUE(Succeeded(Scan(u"OBJECTS", u"DIMENSION", u"11")));
  const DxfTable crlf = table;
  WriteScratch(Dxf(kDimensions, "\n"));
  ASSERT_TRUE(Succeeded(Scan(u"OBJECTS", u"DIMENSION", u"11")));
  EXPECT_EQ(table, crlf);
  WriteScratch(Dxf(kDimensions, "\r\n", false));
  ASSERT_TRUE(Succeeded(Scan(u"OBJECTS", u"DIMENSION", u"11")));
  EXPECT_EQ(table, crlf);
  EXPECT_EQ(table.At(0, 1), u"7.0");
}

TEST_F(DxfScanTest, ValueOnTheLastLineWithoutNewlineIsKeptWhole) {
  WriteScratch(Dxf({"  0", "SECTION", "  2", "ENTITIES", "  0", "TEXT", "  1", "end"}, "\r\n", false));
  ASSERT_TRUE(Succeeded(Scan(u"ENTITIES", u"TEXT", u"1")));
  EXPECT_EQ(table.At(0, 1), u"end");
}

TEST_F(DxfScanTest, Cp932ValuesAreDecodedWithTrailBackslashesIntact) {
  // 表 is 95 5C and ソ 83 5C: their second byte is "\" in ASCII. ｷｬﾝｾﾙ is
  // half-width katakana, one byte each.
  WriteScratch(Dxf({"  0", "SECTION", "  2", "ENTITIES", "  0", "ATTRIB", "  2", "\x8C\x6E\x93\x9D", "  1",
                    "\x83\x5C\x83\x50\x83\x62\x83\x67\x95\x5C", "  0", "ATTRIB", "  2", "KEITOU", "  1",
                    "\xB7\xAC\xDD\xBE\xD9\\", "  0", "ENDSEC"}));
  ASSERT_TRUE(Succeeded(Scan(u"ENTITIES", u"ATTRIB", u"2|1")));
  ASSERT_EQ(table.At(0, 0), u"2");
  EXPECT_EQ(table.At(0, 1), u"系統");
  EXPECT_EQ(table.At(1, 1), u"ソケット表");
  EXPECT_EQ(table.At(1, 2), u"ｷｬﾝｾﾙ\\");
}

TEST_F(DxfScanTest, JapaneseSectionAndTypeNamesAreComparedAsText) {
  WriteScratch(Dxf({"  0", "SECTION", "  2", "\x95\x5C", "  0", "\x94\x7A\x8A\xC7", "  1", "x", "  0",
                    "\x94\x7A\x8A\xC7\x20", "  1", "y", "  0", "ENDSEC"}));
  ASSERT_TRUE(Succeeded(Scan(u"表", u"配管", u"1")));
  ASSERT_EQ(table.At(0, 0), u"1");
  EXPECT_EQ(table.At(0, 1), u"x");
}

TEST_F(DxfScanTest, ReadingStopsAtTheEndOfTheWantedSection) {
  // What follows the section is not read: a broken OBJECTS section is no failure.
  WriteScratch(Dxf({"  0", "SECTION", "  2", "ENTITIES", "  0", "TEXT", "  1", "a", "  0", "ENDSEC", "  0",
                    "SECTION", "  2", "OBJECTS", "not a code", "x"}));
  ASSERT_TRUE(Succeeded(Scan(u"ENTITIES", u"TEXT", u"1")));
  EXPECT_EQ(table.At(0, 0), u"1");
}

TEST_F(DxfScanTest, FindsTheFileInAFolderWithDoubleByteName) {
  // GetTempPath reports the folder in code page 932; 表 ends in 0x5C, which a
  // conversion of cut bytes or a byte-wise separator search would break.
  const std::filesystem::path folder = desktop.TempFolder() / u8"作業表";
  std::filesystem::create_directory(folder);
  desktop.SetTempPathAnsi(desktop.TempFolder().string() + "/\x8D\xEC\x8B\xC6\x95\x5C/");
  WriteFile(folder / "Wexa.dxf", Dxf({"  0", "SECTION", "  2", "ENTITIES", "  0", "TEXT", "  1", "here"}));
  ASSERT_TRUE(Succeeded(Scan(u"ENTITIES", u"TEXT", u"1")));
  EXPECT_EQ(table.At(0, 1), u"here");
}

// ------------------------------------------------------------ failures

class DxfScanFailure : public DxfScanTest {
 protected:
  // The scan fails with the number, leaves the caller's table as it was and
  // describes the fault in Japanese after the standard text of the number.
  ::testing::AssertionResult FailsWith(std::int32_t number, std::u16string_view section,
                                       std::u16string_view type, std::u16string_view codes) {
    table = Sentinel();
    const std::int32_t r = Scan(section, type, codes);
    const korvel::ErrorRecord& e = korvel::Shared().ErrorInfo;
    if (r != number || e.Number != number) return ::testing::AssertionFailure() << "result " << r;
    if (e.Source != u"PwAcadCtrl") return ::testing::AssertionFailure() << "source";
    if (!e.Description.starts_with(korvel::RuntimeErrorText(number)))
      return ::testing::AssertionFailure() << "description";
    if (table != Sentinel()) return ::testing::AssertionFailure() << "the caller's table changed";
    return ::testing::AssertionSuccess();
  }
};

TEST_F(DxfScanFailure, MissingFileIs53) { EXPECT_TRUE(FailsWith(53, u"ENTITIES", u"TEXT", u"1")); }

TEST_F(DxfScanFailure, UnreadableTempFolderIs53) {
  desktop.SetTempPathAnsi(std::string());
  EXPECT_TRUE(FailsWith(53, u"ENTITIES", u"TEXT", u"1"));
}

TEST_F(DxfScanFailure, GroupCodeThatIsNoNumberIs13) {
  WriteScratch(Dxf({"  0", "SECTION", "  2", "ENTITIES", "", "TEXT"}));
  EXPECT_TRUE(FailsWith(13, u"ENTITIES", u"TEXT", u"1"));
  EXPECT_NE(korvel::Shared().ErrorInfo.Description.find(u"5 行目"), std::u16string::npos);
  WriteScratch(Dxf({"  0", "SECTION", "  2", "ENTITIES", " 1e2", "TEXT"}));
  EXPECT_TRUE(FailsWith(13, u"ENTITIES", u"TEXT", u"1"));
}

TEST_F(DxfScanFailure, BinaryDxfIs13) {
  std::string binary("AutoCAD Binary DXF\r\n\x1a\0", 22);
  binary += std::string("\0SECTION\0\x02HEADER\0", 17);
  WriteScratch(binary);
  EXPECT_TRUE(FailsWith(13, u"ENTITIES", u"TEXT", u"1"));
}

TEST_F(DxfScanFailure, FileEndingAfterACodeLineOrSectionIs62) {
  WriteScratch(Dxf({"  0", "SECTION", "  2", "ENTITIES", "  0", "TEXT", "  1"}));
  EXPECT_TRUE(FailsWith(62, u"ENTITIES", u"TEXT", u"1"));
  WriteScratch(Dxf({"  0", "SECTION", "  2", "ENTITIES", "  0", "TEXT", "  1"}, "\r\n", false));
  EXPECT_TRUE(FailsWith(62, u"ENTITIES", u"TEXT", u"1"));
  WriteScratch(Dxf({"  0", "SECTION", "  2"}));
  EXPECT_TRUE(FailsWith(62, u"ENTITIES", u"TEXT", u"1"));
  WriteScratch(Dxf({"  0", "SECTION"}));
  EXPECT_TRUE(FailsWith(62, u"ENTITIES", u"TEXT", u"1"));
}

TEST_F(DxfScanFailure, BadCodeListFailsOnlyInsideAWantedRecord) {
  const std::string file =
      Dxf({"  0", "SECTION", "  2", "ENTITIES", "  0", "TEXT", "  1", "a", "  0", "ENDSEC"});
  WriteScratch(file);
  EXPECT_TRUE(FailsWith(13, u"ENTITIES", u"TEXT", u"1||8"));
  EXPECT_TRUE(FailsWith(13, u"ENTITIES", u"TEXT", u"8|x"));  // even when the code met is not listed
  EXPECT_TRUE(FailsWith(9, u"ENTITIES", u"TEXT", u""));
  // No wanted record, no comparison, no failure.
  ASSERT_TRUE(Succeeded(Scan(u"ENTITIES", u"LINE", u"1||x")));
  EXPECT_EQ(table.UBound(1), 3);
  ASSERT_TRUE(Succeeded(Scan(u"ENTITIES", u"LINE", u"")));
  EXPECT_EQ(table.UBound(1), 1);  // an empty list still has one position
}

TEST_F(DxfScanFailure, EmptyFileFindsNothing) {
  WriteScratch("");
  ASSERT_TRUE(Succeeded(Scan(u"ENTITIES", u"TEXT", u"1")));
  EXPECT_EQ(table.At(0, 0), u"0");
}

#ifdef __linux__
TEST_F(DxfScanFailure, FailedScanClosesTheFile) {
  auto open_files = [] {
    return std::distance(std::filesystem::directory_iterator("/proc/self/fd"),
                         std::filesystem::directory_iterator());
  };
  WriteScratch(Dxf({"  0", "SECTION", "  2", "ENTITIES", "x"}));
  const auto before = open_files();
  EXPECT_TRUE(FailsWith(13, u"ENTITIES", u"TEXT", u"1"));
  EXPECT_EQ(open_files(), before);
}
#endif

}  // namespace
}  // namespace plendra_test
