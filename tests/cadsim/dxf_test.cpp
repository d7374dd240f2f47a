// The DXF reader and writer: what the system scans must survive a round trip,
// and the file must be AutoCAD 2000 DXF with handles, owners and subclasses.
#include "cadsim/dxf.h"

#include <gtest/gtest.h>

#include <set>

#include "cadsim_fixture.h"
#include "platform/ansi_codec.h"

namespace cadsim_test {
namespace {

using cadsim::Dimension;
using cadsim::Drawing;

class Dxf : public ::testing::Test {
 protected:
  std::unique_ptr<platform::TextCodec> codec = platform::MakeAnsiCodec(932);
  Drawing Sample() { return cadsim::ReadDxfFile(DataDir() / "sample.dxf", *codec); }
  Drawing RoundTrip(const Drawing& d) { return cadsim::ReadDxf(cadsim::WriteDxf(d, *codec), *codec); }
};

const Dimension* Measuring(const Drawing& d, double value) {
  for (const Dimension* dim : All<Dimension>(d))
    if (std::abs(dim->measurement - value) < 1e-6) return dim;
  return nullptr;
}

TEST_F(Dxf, SampleHoldsTheDimensionsAndStylesTheSystemReads) {
  Drawing d = Sample();
  EXPECT_EQ(All<Dimension>(d).size(), 12u);
  std::set<int> types;
  for (const Dimension* dim : All<Dimension>(d)) types.insert(dim->type);
  EXPECT_EQ(types, (std::set<int>{32, 33, 34, 160}));

  const cadsim::DimStyle* style = d.FindDimStyle(u"配管100");
  ASSERT_NE(style, nullptr);
  EXPECT_EQ(style->dimscale, 100);
  EXPECT_EQ(style->dimtxt, 2.5);
  EXPECT_EQ(style->dimtmove, 1);
  const cadsim::TextStyle* text = d.FindTextStyle(style->dimtxsty);
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(text->name, u"ゴシック");
  EXPECT_DOUBLE_EQ(text->width_factor, 0.85);

  const Dimension* overridden = Measuring(d, 3000);
  ASSERT_NE(overridden, nullptr);
  EXPECT_EQ(overridden->type, 160);
  ASSERT_EQ(overridden->overrides.size(), 1u);
  EXPECT_EQ(overridden->overrides[0].variable, 279);
  EXPECT_EQ(overridden->overrides[0].value, u"2");
}

TEST_F(Dxf, SampleEntriesCarryTheirAttributesInDefinitionOrder) {
  Drawing d = Sample();
  const auto inserts = All<cadsim::Insert>(d);
  ASSERT_EQ(inserts.size(), 3u);
  std::vector<std::u16string> tags;
  for (const cadsim::Attribute& a : inserts[0]->attributes) tags.push_back(a.tag);
  EXPECT_EQ(tags, (std::vector<std::u16string>{u"X", u"Y", u"Z", u"長さ", u"材質", u"呼び径", u"(1)系統",
                                               u"(2)番号"}));
  EXPECT_EQ(inserts[0]->attributes[6].value, u"給水");
  EXPECT_EQ(inserts[2]->attributes[6].value, u"給湯");
  EXPECT_EQ(inserts[2]->attributes[7].value, u"1");
}

TEST_F(Dxf, RoundTripKeepsEverythingTheSystemScans) {
  const Drawing before = Sample();
  const Drawing after = RoundTrip(before);
  ASSERT_EQ(All<Dimension>(after).size(), All<Dimension>(before).size());
  for (std::size_t k = 0; k < All<Dimension>(before).size(); ++k) {
    const Dimension& a = *All<Dimension>(before)[k];
    const Dimension& b = *All<Dimension>(after)[k];
    EXPECT_EQ(a.handle, b.handle);
    EXPECT_EQ(a.type, b.type);
    EXPECT_EQ(a.text_mid.x, b.text_mid.x);
    EXPECT_EQ(a.text_mid.y, b.text_mid.y);
    EXPECT_EQ(a.measurement, b.measurement);
    if (a.Kind() == 0) {
      EXPECT_EQ(a.angle, b.angle);
    }
    EXPECT_EQ(a.style, b.style);
    EXPECT_EQ(a.overrides.size(), b.overrides.size());
  }
  for (const cadsim::DimStyle& s : before.dim_styles) {
    const cadsim::DimStyle* t = const_cast<Drawing&>(after).FindDimStyle(s.name);
    ASSERT_NE(t, nullptr) << "dimension style lost";
    EXPECT_EQ(t->handle, s.handle);
    EXPECT_EQ(t->dimtxsty, s.dimtxsty);
    EXPECT_EQ(t->dimdec, s.dimdec);
    EXPECT_EQ(t->dimrnd, s.dimrnd);
    EXPECT_EQ(t->dimzin, s.dimzin);
    EXPECT_EQ(t->dimgap, s.dimgap);
  }
  EXPECT_EQ(All<cadsim::Insert>(after)[1]->attributes[7].value, u"2");
  EXPECT_GE(after.next_handle, before.next_handle);
}

TEST_F(Dxf, WrittenEntitiesHaveUniqueHandlesOwnersAndSubclassMarkers) {
  const std::string text = cadsim::WriteDxf(Sample(), *codec);
  EXPECT_NE(text.find("AC1015"), std::string::npos);
  EXPECT_NE(text.find("ANSI_932"), std::string::npos);
  std::set<std::string> handles;
  std::istringstream in(text);
  std::string code, value;
  int duplicates = 0;
  while (std::getline(in, code) && std::getline(in, value)) {
    if (!value.empty() && value.back() == '\r') value.pop_back();
    const int c = std::stoi(code);
    if ((c == 5 || c == 105) && !handles.insert(value).second) ++duplicates;
  }
  EXPECT_EQ(duplicates, 0);
  EXPECT_NE(text.find("AcDbRotatedDimension"), std::string::npos);
  EXPECT_NE(text.find("AcDbAlignedDimension"), std::string::npos);
  EXPECT_NE(text.find("AcDb2LineAngularDimension"), std::string::npos);
  EXPECT_NE(text.find("AcDbAttribute\r\n"), std::string::npos);
}

TEST_F(Dxf, OnlyTheChosenEntitiesAreWritten) {
  Drawing d = Sample();
  const cadsim::Handle h = Measuring(d, 1230)->handle;
  cadsim::WriteOptions only;
  only.only = std::vector<cadsim::Handle>{h};
  const Drawing out = cadsim::ReadDxf(cadsim::WriteDxf(d, *codec, only), *codec);
  ASSERT_EQ(out.entities.size(), 1u);
  EXPECT_EQ(cadsim::CommonOf(out.entities[0]).handle, h);
  EXPECT_EQ(out.blocks.size(), d.blocks.size()) << "blocks are written whatever is selected";
}

TEST_F(Dxf, ReadsCodePage932AndAFileWithoutFinalLineEnd) {
  const std::string layer = codec->ToAnsi(u"配管-給水");
  const std::string bytes = "  0\nSECTION\n  2\nENTITIES\n  0\nLINE\n  5\n2A\n  8\n" + layer +
                            "\n 10\n1.5\n 20\n2\n 11\n3\n 21\n4\n  0\nENDSEC\n  0\nEOF";
  const Drawing d = cadsim::ReadDxf(bytes, *codec);
  ASSERT_EQ(d.entities.size(), 1u);
  const auto& line = std::get<cadsim::Line>(d.entities[0]);
  EXPECT_EQ(line.layer, u"配管-給水");
  EXPECT_EQ(line.handle, 0x2Au);
  EXPECT_EQ(line.start.x, 1.5);
  EXPECT_GT(d.next_handle, 0x2Au) << "new handles must not reuse 2A";
}

TEST_F(Dxf, FilesOfAutoCad2007AndLaterAreReadAsUtf8) {
  // The same layer name in both encodings; only the version tells them apart.
  const std::string name_utf8 = "\xE9\x85\x8D\xE7\xAE\xA1";  // 配管
  for (const char* version : {"AC1015", "AC1021", "AC1032"}) {
    const bool utf8 = std::string_view(version) != "AC1015";
    const std::string name = utf8 ? name_utf8 : codec->ToAnsi(u"配管");
    const std::string bytes = "  0\nSECTION\n  2\nHEADER\n  9\n$ACADVER\n  1\n" + std::string(version) +
                              "\n  0\nENDSEC\n  0\nSECTION\n  2\nENTITIES\n  0\nLINE\n  8\n" + name +
                              "\n  0\nENDSEC\n  0\nEOF\n";
    EXPECT_EQ(cadsim::CommonOf(cadsim::ReadDxf(bytes, *codec).entities.at(0)).layer, u"配管") << version;
  }
}

TEST_F(Dxf, DimensionWithoutItsBlockGetsOneThatDrawsIt) {
  const Drawing d = cadsim::ReadDxf(DimensionWithoutBlock(), *codec);
  const cadsim::Block* b = const_cast<Drawing&>(d).FindBlock(u"*D7");
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->flags & 1, 1) << "anonymous";
  int lines = 0;
  for (const cadsim::Entity& e : b->entities) lines += std::holds_alternative<cadsim::Line>(e);
  EXPECT_EQ(lines, 3) << "two extension lines and the dimension line";
  const auto& line = std::get<cadsim::Line>(b->entities[2]);
  EXPECT_EQ(line.start.y, 100);
  EXPECT_EQ(line.end.x, 1000);
}

TEST_F(Dxf, LayersAndStylesNamedButNotDefinedAreAddedWithFreshHandles) {
  const std::string bytes =
      "  0\nSECTION\n  2\nENTITIES\n  0\nTEXT\n  5\n30\n  8\nNOTES\n  6\nDASHED\n  7\nROMANS\n"
      " 10\n0\n 20\n0\n 40\n2.5\n  1\nA\n  0\nENDSEC\n  0\nEOF\n";
  Drawing d = cadsim::ReadDxf(bytes, *codec);
  ASSERT_NE(d.FindLayer(u"NOTES"), nullptr);
  ASSERT_NE(d.FindTextStyle(u"ROMANS"), nullptr);
  EXPECT_EQ(d.linetypes, std::vector<std::u16string>{u"DASHED"});
  EXPECT_NE(d.FindLayer(u"NOTES")->handle, 0x30u) << "the text already has handle 30";
  EXPECT_NE(d.FindTextStyle(u"ROMANS")->handle, 0x30u);
}

TEST_F(Dxf, CharactersOutsideTheCodePageAreEscapedAndReadBack) {
  Drawing d;
  cadsim::Text t;
  t.value = u"\u00e4 20A";
  d.entities.push_back(t);
  d.Complete();
  const std::string text = cadsim::WriteDxf(d, *codec);
  EXPECT_NE(text.find("\\U+00E4 20A"), std::string::npos);
  EXPECT_EQ(std::get<cadsim::Text>(cadsim::ReadDxf(text, *codec).entities[0]).value, u"\u00e4 20A");
}

}  // namespace
}  // namespace cadsim_test
