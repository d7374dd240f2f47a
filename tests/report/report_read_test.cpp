// Reading the entries and dimensions of a drawing from DXF as other programs
// write it, and refusing damaged files with the line at fault.
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>

#include "app/report.h"
#include "platform/ansi_codec.h"
#include "report_test_support.h"

namespace plendra {
namespace {

std::string Replace(std::string text, std::string_view from, std::string_view to) {
  for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  return text;
}

class ReportRead : public ::testing::Test {
 protected:
  std::optional<ReportDrawing> Read(std::string_view bytes) {
    return ReadReportDrawing(bytes, *codec, failure);
  }

  std::unique_ptr<platform::TextCodec> codec = platform::MakeAnsiCodec(932);
  ReportReadFailure failure;
};

TEST_F(ReportRead, ReadsTheSameEntriesWhateverTheLayoutOfTheLines) {
  const std::string plain = codec->ToAnsi(platform::FromUtf8(DxfText()
                                                                 .Begin()
                                                                 .Dimension("615", "-212.5", "1230")
                                                                 .Entry("給水", "1", "615", "-212.5", "1230")
                                                                 .End()
                                                                 .Text()));
  struct Case {
    const char* name;
    std::string bytes;
  } cases[] = {
      {"LF", plain},
      {"CRLF", Replace(plain, "\n", "\r\n")},
      {"999 comments", Replace(plain, "  0\nATTRIB", "999\nwritten by hand\n  0\nATTRIB")},
      {"no final line end", plain.substr(0, plain.size() - 1)},
      {"blanks after names", Replace(Replace(plain, "ENTITIES\n", "ENTITIES  \n"), "INSERT\n", "INSERT \n")},
  };
  for (const Case& c : cases) {
    const std::optional<ReportDrawing> d = Read(c.bytes);
    ASSERT_TRUE(d.has_value()) << c.name << ": " << platform::ToUtf8(failure.description);
    ASSERT_EQ(d->entries.size(), 1u) << c.name;
    EXPECT_EQ(d->entries[0].system, u"給水") << c.name;
    EXPECT_EQ(d->entries[0].number, 1) << c.name;
    EXPECT_EQ(d->entries[0].Attribute(4), u"1230") << c.name;
    EXPECT_EQ(d->entries[0].layer, u"給水") << c.name;
    ASSERT_EQ(d->dimensions.size(), 1u) << c.name;
    EXPECT_EQ(d->dimensions[0].measured, u"1230") << c.name;
  }
}

TEST_F(ReportRead, FindsEntriesAsTheLookupFindsThem) {
  const std::string text = DxfText()
                               .Begin()
                               .Entry("給水 ", "2.0", "1", "2", "300")  // the value's trailing blank stays
                               .Group(0, "INSERT")
                               .Group(2, "図枠")
                               .Group(0, "ATTRIB")
                               .Group(1, "給水")
                               .Group(2, "(1)系統 ")  // not the tag exactly: no entry
                               .Group(0, "ATTRIB")
                               .Group(1, "排水")
                               .Group(2, "(1)系統")  // its number is the next ATTRIB, of the next INSERT
                               .Group(0, "SEQEND")
                               .Entry("給水", "x", "3", "4", "500")
                               .End()
                               .Text();
  const std::optional<ReportDrawing> d = Read(codec->ToAnsi(platform::FromUtf8(text)));
  ASSERT_TRUE(d.has_value()) << platform::ToUtf8(failure.description);
  ASSERT_EQ(d->entries.size(), 3u);
  EXPECT_EQ(d->entries[0].system, u"給水 ");
  EXPECT_EQ(d->entries[0].number, 2);
  EXPECT_EQ(d->entries[0].NumberShown(), u"2");
  EXPECT_EQ(d->entries[1].system, u"排水");
  EXPECT_EQ(d->entries[1].number_text, u"3");  // the X of the following entry
  EXPECT_EQ(d->entries[1].Attribute(1), u"給水");
  EXPECT_EQ(d->entries[2].number, std::nullopt);
  EXPECT_EQ(d->entries[2].NumberShown(), u"x");
}

TEST_F(ReportRead, RefusesDamagedFilesNamingTheLine) {
  const std::string good = DxfText().Begin().Entry("給水", "1", "1", "2", "300").End().Text();
  struct Case {
    const char* name;
    std::string bytes;
    std::int64_t line;
    std::u16string description;
  } cases[] = {
      {"a code that is no number", Replace(good, " 66\n", " 6x\n"), 9,
       u"9 行目がグループ コードではありません"},
      {"a code without its value", good.substr(0, good.find("ATTRIB") - 1), 17,
       u"ファイルが 17 行目のグループ コードの後で終わっています"},
      {"entities cut off", good.substr(0, good.find("  0\nENDSEC")), 82,
       u"ENTITIES セクションが 82 行目で終わらずに切れています"},
      {"no entities", "  0\nSECTION\n  2\nHEADER\n  0\nENDSEC\n  0\nEOF\n", 0,
       u"ENTITIES セクションがありません (DXF ファイルではないか、壊れています)"},
      {"binary", std::string("AutoCAD Binary DXF\r\n\x1a\0", 22), 0,
       u"バイナリ形式の DXF は読めません。ASCII 形式で書き出してください"},
  };
  for (const Case& c : cases) {
    failure = {};
    EXPECT_FALSE(Read(c.bytes).has_value()) << c.name;
    EXPECT_EQ(failure.line, c.line) << c.name;
    EXPECT_EQ(platform::ToUtf8(failure.description), platform::ToUtf8(c.description)) << c.name;
  }
}

}  // namespace
}  // namespace plendra
