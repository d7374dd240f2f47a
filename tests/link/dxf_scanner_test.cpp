// The scanner's reading of lines across block edges and of line ends, on
// bytes in memory (the forms of a group-code line: tests/dxf/grammar_test.cpp).
#include "link/dxf_scanner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "link/dxf_file.h"
#include "platform/ansi_codec.h"

namespace korvel {
namespace {

struct Outcome {
  bool ok = false;
  DxfTable table;
  DxfScanFailure failure;

  bool operator==(const Outcome& o) const {
    return ok == o.ok && table == o.table && failure.number == o.failure.number &&
           failure.description == o.failure.description;
  }
};

class DxfScannerTest : public ::testing::Test {
 protected:
  Outcome Scan(std::string_view bytes, std::u16string_view section, std::u16string_view type,
               std::u16string_view codes, std::size_t block = DxfScanner::kDefaultBlockBytes) {
    DxfScanner scanner(*codec, block);
    DxfMemorySource source(bytes);
    Outcome o;
    o.ok = scanner.Scan(source, section, type, codes, o.table, o.failure);
    return o;
  }

  std::unique_ptr<platform::TextCodec> codec = platform::MakeAnsiCodec(932);
};

std::u16string Decimal16(std::size_t value) {
  const std::string text = std::to_string(value);
  return std::u16string(text.begin(), text.end());
}

std::string Lines(const std::vector<std::string>& lines, std::string_view eol = "\r\n") {
  std::string text;
  for (const auto& line : lines) text += line + std::string(eol);
  return text;
}

// A drawing with lines of every kind: long kept values, a long record type,
// CP932 text, a lone CR inside a value, LF-only and CRLF line ends mixed.
std::string MixedDrawing() {
  const std::string long_value(300, 'v');
  std::string text =
      Lines({"  0", "SECTION", "  2", "HEADER",    "  9", "$DWGCODEPAGE", "  3", "ANSI_932",
             "  0", "ENDSEC",  "  0", "SECTION",   "  2", "ENTITIES",     "  0", std::string(200, 'X'),
             "  1", "skipped", "  0", "TEXT",      "  1", long_value,     "  7", "\x95\x5C\x83\x5C",
             "  0", "TEXT",    "999", "a comment", "  1", "a\rb",         " 10", "1.0"});
  text += "  1\nshort\n  0\nTEXT\n  1\n\n  0\nENDSEC\n  0\nEOF\n";
  return text;
}

TEST_F(DxfScannerTest, EveryBlockSizeAndEveryCutOfTheFileGivesTheSameOutcome) {
  const std::string file = MixedDrawing();
  for (std::size_t cut = 0; cut <= file.size(); ++cut) {
    const std::string_view bytes(file.data(), cut);
    const Outcome whole = Scan(bytes, u"ENTITIES", u"TEXT", u"1|7|10|1");
    for (std::size_t block : {16, 17, 23, 64, 301}) {
      ASSERT_EQ(Scan(bytes, u"ENTITIES", u"TEXT", u"1|7|10|1", block), whole)
          << "cut at " << cut << ", block of " << block;
    }
  }
  const Outcome o = Scan(file, u"ENTITIES", u"TEXT", u"1|7|10|1", 16);
  ASSERT_TRUE(o.ok);
  EXPECT_EQ(o.table.At(0, 0), u"3");
  EXPECT_EQ(o.table.At(0, 1), std::u16string(300, u'v'));  // longer than the block, kept whole
  EXPECT_EQ(o.table.At(1, 1), u"表ソ");
  EXPECT_EQ(o.table.At(0, 2), u"short");
  EXPECT_EQ(o.table.At(3, 2), u"short");
  EXPECT_EQ(o.table.At(2, 2), u"1.0");
  EXPECT_EQ(o.table.At(0, 3), u"");
}

// What dxfscan writes comes from the records handed over one by one; decoded,
// they must be the table's records, for every query and every block size.
class Records final : public DxfRecordSink {
 public:
  explicit Records(platform::TextCodec& codec) : codec_(codec) {}
  void Record(const std::vector<std::string_view>& values) override {
    std::vector<std::u16string> record;
    for (std::string_view v : values) record.push_back(codec_.FromAnsi(v));
    records.push_back(record);
  }
  void SectionBegun() override { marks += "begun "; }
  void SectionEnded() override { marks += "ended "; }
  std::vector<std::vector<std::u16string>> records;
  std::string marks;  // the section's marks as the scan reported them, in order

 private:
  platform::TextCodec& codec_;
};

// The scan succeeds on a section that never ends (it reads to the end of the
// file); only the marks tell such a file from a whole one.
TEST_F(DxfScannerTest, ReportsWhetherTheSectionBeganAndEnded) {
  const std::string head = "  0\nSECTION\n  2\nENTITIES\n  0\nTEXT\n  1\nabc\n";
  const struct {
    std::string file;
    std::u16string_view section;
    std::string marks;
  } cases[] = {
      {head + "  0\nENDSEC\n  0\nEOF\n", u"ENTITIES", "begun ended "},
      {head, u"ENTITIES", "begun "},
      {head.substr(0, head.size() - 2), u"ENTITIES", "begun "},
      {head + "  0\nENDSEC\n", u"BLOCKS", ""},
      {"", u"ENTITIES", ""},
      // A second ENTITIES section after the first is not read.
      {head + "  0\nENDSEC\n" + head + "  0\nENDSEC\n", u"ENTITIES", "begun ended "},
      // An ENDSEC of another section before it ends nothing.
      {"  0\nSECTION\n  2\nHEADER\n  0\nENDSEC\n" + head, u"ENTITIES", "begun "},
  };
  for (const auto& c : cases) {
    for (std::size_t block : {std::size_t{16}, DxfScanner::kDefaultBlockBytes}) {
      DxfScanner scanner(*codec, block);
      DxfMemorySource source(c.file);
      Records sink(*codec);
      DxfScanFailure failure;
      ASSERT_TRUE(scanner.Scan(source, c.section, u"TEXT", u"1", sink, failure)) << c.file;
      EXPECT_EQ(sink.marks, c.marks) << c.file << " block of " << block;
    }
  }
}

TEST_F(DxfScannerTest, RecordsHandedOverAreTheTablesRecords) {
  const std::string file = MixedDrawing();
  const struct {
    std::u16string_view section, type, codes;
  } queries[] = {{u"ENTITIES", u"TEXT", u"1|7|10|1"}, {u"ENTITIES", u"TEXT", u"1"},
                 {u"HEADER", u"ENDSEC", u"9"},        {u"ENTITIES", u"XXXX", u"1"},
                 {u"ENTITIES", u"TEXT", u""},         {u"ENTITIES", u"TEXT", u"1||7"}};
  for (const auto& q : queries) {
    const Outcome table = Scan(file, q.section, q.type, q.codes);
    for (std::size_t block : {std::size_t{16}, std::size_t{37}, DxfScanner::kDefaultBlockBytes}) {
      DxfScanner scanner(*codec, block);
      DxfMemorySource source(file);
      Records sink(*codec);
      DxfScanFailure failure;
      const bool ok = scanner.Scan(source, q.section, q.type, q.codes, sink, failure);
      ASSERT_EQ(ok, table.ok);
      if (!ok) {
        EXPECT_EQ(failure.number, table.failure.number);
        EXPECT_EQ(failure.description, table.failure.description);
        continue;
      }
      ASSERT_EQ(sink.records.size() + 2, static_cast<std::size_t>(table.table.UBound(2)) + 1);
      for (std::size_t r = 0; r < sink.records.size(); ++r) {
        ASSERT_EQ(sink.records[r].size(), static_cast<std::size_t>(table.table.UBound(1)));
        for (std::size_t k = 0; k < sink.records[r].size(); ++k)
          EXPECT_EQ(sink.records[r][k],
                    table.table.At(static_cast<std::int32_t>(k), static_cast<std::int32_t>(r + 1)))
              << "record " << r + 1 << ", position " << k << ", block of " << block;
      }
    }
  }
}

TEST_F(DxfScannerTest, LongRecordTypeIsComparedWhole) {
  const std::string type(100, 'T');
  const std::string file = Lines({"  0", "SECTION", "  2", "ENTITIES", "  0", type + "x", "  1", "no", "  0",
                                  type, "  1", "yes", "  0", "ENDSEC"});
  const Outcome o = Scan(file, u"ENTITIES", std::u16string(100, u'T'), u"1", 16);
  ASSERT_TRUE(o.ok);
  EXPECT_EQ(o.table.At(0, 0), u"1");
  EXPECT_EQ(o.table.At(0, 1), u"yes");
}

TEST_F(DxfScannerTest, NegativeAndLargeCodesAreOrdinaryCodes) {
  const std::string file = Lines({"  0", "SECTION", "  2", "ENTITIES", "  0", "POINT", " -3", "minus", "5000",
                                  "large", "  0", "ENDSEC"});
  const Outcome o = Scan(file, u"ENTITIES", u"POINT", u"-3|5000");
  ASSERT_TRUE(o.ok);
  EXPECT_EQ(o.table.At(0, 1), u"minus");
  EXPECT_EQ(o.table.At(1, 1), u"large");
}

TEST_F(DxfScannerTest, OnlyOneCarriageReturnBelongsToTheLineEnd) {
  const std::string file = "  0\nSECTION\n  2\nENTITIES\n  0\nTEXT\n  1\nab\r\r\n  0\nENDSEC\n";
  const Outcome o = Scan(file, u"ENTITIES", u"TEXT", u"1");
  ASSERT_TRUE(o.ok);
  EXPECT_EQ(o.table.At(0, 1), u"ab\r");
}

TEST_F(DxfScannerTest, ManyRepeatedCodesInARecordKeepTheirLastValues) {
  // A polyline's vertices repeat 10 and 20; the replaced values are dropped
  // on the way, which must not disturb the kept ones or other records.
  std::vector<std::string> lines = {"  0", "SECTION", "  2", "ENTITIES", "  0", "LWPOLYLINE", " 10", "first"};
  lines.insert(lines.end(), {"  0", "LWPOLYLINE", " 42", "bulge"});
  for (int i = 0; i < 3000; ++i) {
    lines.push_back(" 10");
    lines.push_back("x" + std::to_string(i) + std::string(20, '.'));
    lines.push_back(" 20");
    lines.push_back("y" + std::to_string(i));
  }
  lines.insert(lines.end(), {"  0", "LWPOLYLINE", " 20", "last", "  0", "ENDSEC"});
  const Outcome o = Scan(Lines(lines), u"ENTITIES", u"LWPOLYLINE", u"10|42|20|10");
  ASSERT_TRUE(o.ok);
  ASSERT_EQ(o.table.At(0, 0), u"3");
  EXPECT_EQ(o.table.At(0, 1), u"first");
  const std::u16string x = u"x2999" + std::u16string(20, u'.');
  EXPECT_EQ(o.table.At(0, 2), x);
  EXPECT_EQ(o.table.At(1, 2), u"bulge");
  EXPECT_EQ(o.table.At(2, 2), u"y2999");
  EXPECT_EQ(o.table.At(3, 2), x);
  EXPECT_EQ(o.table.At(2, 3), u"last");
  EXPECT_EQ(o.table.At(0, 3), u"");
}

TEST_F(DxfScannerTest, FailureNamesTheLine) {
  const std::string file =
      Lines({"  0", "SECTION", "  2", "ENTITIES", "  0", "TEXT", "  1", "a", "oops", "b"});
  for (std::size_t block : {std::size_t{16}, DxfScanner::kDefaultBlockBytes}) {
    const Outcome o = Scan(file, u"ENTITIES", u"TEXT", u"1", block);
    ASSERT_FALSE(o.ok);
    EXPECT_EQ(o.failure.number, 13);
    EXPECT_NE(o.failure.description.find(u"9 行目"), std::u16string::npos);
  }
}

// A source that offers its bytes whole, as a mapped file does: the scanner
// reads them in place and may write into them. Too few of them to be worth it
// are read as from any other source.
class InPlace final : public DxfSource {
 public:
  explicit InPlace(std::string_view bytes) : bytes_(bytes), rest_(bytes_) {}
  std::size_t Read(char* buffer, std::size_t size) override {
    ++reads;
    return rest_.Read(buffer, size);
  }
  bool Failed() const override { return false; }
  std::string_view Whole() override { return bytes_; }
  // Bytes given back must never be read again: they are spoilt here.
  void Passed(std::size_t bytes) override {
    EXPECT_GE(bytes, passed);
    EXPECT_LE(bytes, bytes_.size());
    std::fill(bytes_.begin(), bytes_.begin() + static_cast<std::ptrdiff_t>(std::min(bytes, bytes_.size())),
              '#');
    passed = bytes;
  }
  int reads = 0;
  std::size_t passed = 0;

 private:
  std::string bytes_;
  DxfMemorySource rest_;
};

// MixedDrawing's ENTITIES between other records: enough after them that the
// in-place reading moves its last byte across each of their lines before it
// hands the file's last bytes to the block. `mixed` tells where they are.
std::string LongMixedDrawing(std::size_t* mixed_from = nullptr, std::size_t* mixed_to = nullptr) {
  std::string text = Lines({"  0", "SECTION", "  2", "BLOCKS"});
  for (int i = 0; i < 100; ++i) text += Lines({"  0", "TEXT", "  1", "block text " + std::to_string(i)});
  text += Lines({"  0", "ENDSEC"});
  std::string mixed = MixedDrawing();
  mixed.resize(mixed.find("  0\nENDSEC\n"));
  if (mixed_from != nullptr) *mixed_from = text.size();
  text += mixed;
  if (mixed_to != nullptr) *mixed_to = text.size();
  for (int i = 0; i < 300; ++i) text += Lines({"  0", "TEXT", "  1", "after " + std::to_string(i)});
  return text + Lines({"  0", "ENDSEC", "  0", "EOF"});
}

TEST_F(DxfScannerTest, BytesReadInPlaceGiveWhatTheirCopyGivesForEveryCutAndBlock) {
  std::size_t mixed_from = 0, mixed_to = 0;
  const std::string file = LongMixedDrawing(&mixed_from, &mixed_to);
  constexpr std::size_t kThroughBlock = 4096;  // the last bytes, read through the block
  ASSERT_GT(file.size(), mixed_to + kThroughBlock + 100);
  std::vector<std::size_t> cuts;
  for (std::size_t cut = mixed_from + kThroughBlock - 20; cut <= mixed_to + kThroughBlock + 20; ++cut)
    cuts.push_back(cut);
  for (std::size_t cut = file.size() - 200; cut <= file.size(); ++cut) cuts.push_back(cut);
  for (std::size_t cut = 0; cut < file.size(); cut += 97) cuts.push_back(cut);
  for (std::size_t cut : cuts) {
    const std::string_view bytes(file.data(), cut);
    for (std::size_t block : {std::size_t{16}, std::size_t{301}, DxfScanner::kDefaultBlockBytes}) {
      const Outcome copied = Scan(bytes, u"ENTITIES", u"TEXT", u"1|7|10|1", block);
      DxfScanner scanner(*codec, block);
      InPlace source(bytes);
      Outcome in_place;
      in_place.ok = scanner.Scan(source, u"ENTITIES", u"TEXT", u"1|7|10|1", in_place.table, in_place.failure);
      ASSERT_EQ(in_place, copied) << "cut at " << cut << ", block of " << block;
      if (cut > kThroughBlock) {
        ASSERT_EQ(source.reads, 0) << "cut at " << cut;
      }
      if (block == 16 && cut > mixed_to + kThroughBlock) {
        ASSERT_GT(source.passed, mixed_from) << "cut at " << cut;
      }
    }
  }
  const Outcome o = Scan(file, u"ENTITIES", u"TEXT", u"1|7|10|1");
  ASSERT_TRUE(o.ok);
  EXPECT_EQ(o.table.At(0, 0), u"303");
  EXPECT_EQ(o.table.At(0, 1), std::u16string(300, u'v'));
}

TEST_F(DxfScannerTest, FaultNearTheEndOfBytesReadInPlaceNamesItsLine) {
  std::string file = LongMixedDrawing();
  file.resize(file.size() - std::string("  0\r\nENDSEC\r\n  0\r\nEOF\r\n").size());
  file += "  0\nENDSEC\n  0\nEOF\n";
  const std::size_t lines = static_cast<std::size_t>(std::count(file.begin(), file.end(), '\n'));
  file += "oops\nvalue\n";  // after ENDSEC: never read
  const std::size_t end = file.find("  0\nENDSEC\n  0\nEOF");
  ASSERT_NE(end, std::string::npos);
  file.insert(end, " 1x\nvalue\n");
  InPlace source(file);
  DxfScanner scanner(*codec);
  Outcome o;
  o.ok = scanner.Scan(source, u"ENTITIES", u"TEXT", u"1", o.table, o.failure);
  ASSERT_FALSE(o.ok);
  EXPECT_EQ(o.failure.number, 13);
  // The bad code line comes four lines before the file's last (ENDSEC, EOF).
  EXPECT_NE(o.failure.description.find(std::u16string(u"") + Decimal16(lines - 3) + u" 行目"),
            std::u16string::npos)
      << std::string(o.failure.description.begin(), o.failure.description.end());
}

// dxfscan maps a large file; what it reads must be the file's bytes as read.
TEST_F(DxfScannerTest, MappedFileScansAsTheFileRead) {
  const std::filesystem::path path = std::filesystem::temp_directory_path() /
                                     ("dxf-scanner-test-" + std::to_string(std::random_device()()) + ".dxf");
  std::string file = Lines({"  0", "SECTION", "  2", "ENTITIES"});
  for (int i = 0; file.size() < (std::size_t{3} << 20); ++i)
    file += Lines({"  0", i % 3 == 0 ? "TEXT" : "LINE", "  1", "\x95\x5C" + std::to_string(i), " 10", "2.5"});
  file += Lines({"  0", "ENDSEC", "  0", "EOF"});
  {
    std::ofstream out(path, std::ios::binary);
    out.write(file.data(), static_cast<std::streamsize>(file.size()));
    ASSERT_TRUE(out.good());
  }
  const auto scan = [&](std::unique_ptr<DxfFile> source) {
    Outcome o;
    DxfScanner scanner(*codec);
    o.ok = scanner.Scan(*source, u"ENTITIES", u"TEXT", u"1|10", o.table, o.failure);
    return o;
  };
  std::unique_ptr<DxfFile> mapped = DxfFile::MapPath(path);
  ASSERT_NE(mapped, nullptr);
#ifndef _WIN32
  EXPECT_EQ(mapped->Whole().size(), file.size());
#endif
  const Outcome from_map = scan(std::move(mapped));
  const Outcome read = scan(DxfFile::OpenPath(path));
  std::filesystem::remove(path);
  ASSERT_TRUE(read.ok);
  EXPECT_EQ(from_map, read);
  EXPECT_EQ(read.table.At(0, 1), u"表0");
  EXPECT_GT(read.table.UBound(2), 10000);
}

}  // namespace
}  // namespace korvel
