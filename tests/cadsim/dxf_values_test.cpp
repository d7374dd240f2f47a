// Values as AutoCAD writes and reads them: dimension-style values left out
// where they are the DXF reference's (imperial) defaults, whatever the
// drawing's measurement system, integers right-aligned, a dimension's
// measurement taken from its points.
#include <gtest/gtest.h>

#include <numbers>

#include "cadsim_fixture.h"
#include "platform/ansi_codec.h"

namespace cadsim_test {
namespace {

std::unique_ptr<platform::TextCodec> Codec() { return platform::MakeAnsiCodec(932); }

// A file whose only dimension style carries its name and nothing else.
std::string BareStyle(const char* measurement) {
  std::string header = "  0\nSECTION\n  2\nHEADER\n";
  if (measurement) header += "  9\n$MEASUREMENT\n 70\n" + std::string(measurement) + "\n";
  return header +
         "  0\nENDSEC\n  0\nSECTION\n  2\nTABLES\n  0\nTABLE\n  2\nDIMSTYLE\n  0\nDIMSTYLE\n105\n40\n"
         "  2\nBARE\n 70\n0\n  0\nENDTAB\n  0\nENDSEC\n  0\nEOF\n";
}

struct StyleDefaults {
  const char* measurement;  // nullptr: no $MEASUREMENT
  double dimtxt, dimasz;
  int dimdec, dimzin;
  const char* dimtad;  // 77
};

class OmittedStyleValue : public ::testing::TestWithParam<StyleDefaults> {};

TEST_P(OmittedStyleValue, IsTheReferenceDefaultWhateverTheMeasurementSystem) {
  const StyleDefaults& p = GetParam();
  cadsim::Drawing d = cadsim::ReadDxf(BareStyle(p.measurement), *Codec());
  const cadsim::DimStyle* s = d.FindDimStyle(u"BARE");
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->dimtxt, p.dimtxt);
  EXPECT_EQ(s->dimasz, p.dimasz);
  EXPECT_EQ(s->dimdec, p.dimdec);
  EXPECT_EQ(s->dimzin, p.dimzin);
  EXPECT_EQ(cadsim::DimStyleValue(*s, 77), std::u16string(p.dimtad, p.dimtad + 1));
  // Written back, it carries none of them: they are the defaults still.
  const std::string out = cadsim::WriteDxf(d, *Codec());
  const std::size_t at = out.find("BARE\r\n");
  const std::string record = out.substr(at, out.find("\r\n  0\r\n", at) + 2 - at);
  EXPECT_EQ(record,
            "BARE\r\n 70\r\n     0\r\n340\r\n" + std::string(record.substr(record.rfind("340\r\n") + 5)));
}

INSTANTIATE_TEST_SUITE_P(Measurements, OmittedStyleValue,
                         ::testing::Values(StyleDefaults{"0", 0.18, 0.18, 4, 0, "0"},
                                           // A metric drawing writes its 2.5 out; one left
                                           // out is the reference's value all the same.
                                           StyleDefaults{"1", 0.18, 0.18, 4, 0, "0"},
                                           StyleDefaults{nullptr, 0.18, 0.18, 4, 0, "0"}));

// A metric style (as ISO-25 in a drawing AutoCAD 2013 wrote) carries the
// values that differ from the reference's, though they are the metric
// defaults; written back, it carries them still.
TEST(DimStyleWriting, MetricValuesAreWrittenOutInAMetricDrawing) {
  const std::string in =
      "  0\nSECTION\n  2\nHEADER\n  9\n$MEASUREMENT\n 70\n1\n  0\nENDSEC\n"
      "  0\nSECTION\n  2\nTABLES\n  0\nTABLE\n  2\nDIMSTYLE\n  0\nDIMSTYLE\n105\n40\n"
      "  2\nISO-25\n 70\n0\n 41\n2.5\n 42\n0.625\n140\n2.5\n147\n0.625\n 78\n8\n271\n2\n"
      "  0\nENDTAB\n  0\nENDSEC\n  0\nEOF\n";
  auto codec = Codec();
  const cadsim::Drawing d = cadsim::ReadDxf(in, *codec);
  const std::string out = cadsim::WriteDxf(d, *codec);
  const std::size_t at = out.find("ISO-25\r\n");
  ASSERT_NE(at, std::string::npos);
  const std::string record = out.substr(at, out.find("\r\n  0\r\n", at) + 2 - at);
  for (const char* carried : {" 41\r\n2.5\r\n", " 42\r\n0.625\r\n", "140\r\n2.5\r\n", "147\r\n0.625\r\n",
                              " 78\r\n     8\r\n", "271\r\n     2\r\n"})
    EXPECT_NE(record.find(carried), std::string::npos) << carried << " in\n" << record;
  // What it left out is still the reference's default, and stays out.
  EXPECT_EQ(record.find(" 40\r\n"), std::string::npos) << record;
  EXPECT_EQ(record.find(" 77\r\n"), std::string::npos) << record;
}

TEST(DimStyleWriting, SampleStylesCarryWhatDiffersFromTheReferenceDefaults) {
  auto codec = Codec();
  const std::string out = cadsim::WriteDxf(cadsim::ReadDxfFile(DataDir() / "sample.dxf", *codec), *codec);
  const std::string name = codec->ToAnsi(u"配管100") + "\r\n";
  const std::size_t at = out.find(name);
  ASSERT_NE(at, std::string::npos);
  const std::string record = out.substr(at, out.find("\r\n  0\r\n", at) + 2 - at);
  EXPECT_NE(record.find(" 40\r\n100.0\r\n"), std::string::npos) << record;   // DIMSCALE
  EXPECT_NE(record.find(" 41\r\n2.0\r\n"), std::string::npos) << record;     // DIMASZ
  EXPECT_NE(record.find("279\r\n     1\r\n"), std::string::npos) << record;  // DIMTMOVE
  EXPECT_NE(record.find("271\r\n     0\r\n"), std::string::npos) << record;  // DIMDEC 0, not 2
  // Metric values differ from the reference's: written out.
  EXPECT_NE(record.find("140\r\n2.5\r\n"), std::string::npos) << record;     // DIMTXT
  EXPECT_NE(record.find("147\r\n0.625\r\n"), std::string::npos) << record;   // DIMGAP
  EXPECT_NE(record.find(" 78\r\n     8\r\n"), std::string::npos) << record;  // DIMZIN
  EXPECT_EQ(record.find("144\r\n"), std::string::npos) << "DIMLFAC 1 is the default";
  EXPECT_EQ(record.find(" 45\r\n"), std::string::npos) << "DIMRND 0 is the default";
}

// Integers of each width, from a file that wrote them without blanks.
TEST(NumberWriting, IntegersAreRightAlignedAsAutoCadWritesThem) {
  const std::string in =
      "  0\nSECTION\n  2\nENTITIES\n  0\nLWPOLYLINE\n  5\n40\n100\nAcDbEntity\n  8\n0\n100\nAcDbPolyline\n"
      " 90\n2\n 70\n1\n 10\n0\n 20\n0\n 10\n5\n 20\n0\n1001\nACAD\n1071\n123456\n1070\n-7\n"
      "  0\nENDSEC\n  0\nEOF\n";
  auto codec = Codec();
  const std::string out = cadsim::WriteDxf(cadsim::ReadDxf(in, *codec), *codec);
  for (const char* expected : {" 90\r\n        2\r\n", " 70\r\n     1\r\n", "1071\r\n   123456\r\n",
                               "1070\r\n    -7\r\n", "  0\r\nLWPOLYLINE\r\n", " 10\r\n5\r\n"})
    EXPECT_NE(out.find(expected), std::string::npos) << expected;
}

struct Measured {
  const char* name;
  cadsim::Dimension dimension;
  double expected;
};

cadsim::Dimension Dim(int kind, cadsim::Point p10, cadsim::Point p13, cadsim::Point p14,
                      cadsim::Point p15 = {}, cadsim::Point p16 = {}, double angle = 0) {
  cadsim::Dimension d;
  d.type = 32 | kind;
  d.definition = p10;
  d.p13 = p13;
  d.p14 = p14;
  d.p15 = p15;
  d.p16 = p16;
  d.angle = angle;
  return d;
}

class Measurement : public ::testing::TestWithParam<Measured> {};

TEST_P(Measurement, ComesFromTheDefinitionPoints) {
  cadsim::Drawing d;
  d.entities.push_back(GetParam().dimension);
  d.Complete();
  EXPECT_NEAR(std::get<cadsim::Dimension>(d.entities[0]).measurement, GetParam().expected, 1e-9);
}

constexpr double kPi = std::numbers::pi;

INSTANTIATE_TEST_SUITE_P(
    Kinds, Measurement,
    ::testing::Values(Measured{"RotatedAlongX", Dim(0, {0, 50, 0}, {0, 0, 0}, {30, 40, 0}), 30},
                      Measured{"RotatedVertical", Dim(0, {50, 0, 0}, {0, 0, 0}, {30, 40, 0}, {}, {}, 90), 40},
                      Measured{"Aligned", Dim(1, {0, 50, 0}, {0, 0, 0}, {30, 40, 0}), 50},
                      // Lines along x and along the diagonal; the arc point picks the sector.
                      Measured{"TwoLinesNarrowSide",
                               Dim(2, {0, 0, 0}, {-10, 0, 0}, {10, 0, 0}, {10, 10, 0}, {10, 3, 0}), kPi / 4},
                      Measured{"TwoLinesWideSide",
                               Dim(2, {0, 0, 0}, {-10, 0, 0}, {10, 0, 0}, {10, 10, 0}, {-3, 10, 0}),
                               3 * kPi / 4},
                      Measured{"ThreePointsOverHalfATurn",
                               Dim(5, {-5, -5, 0}, {10, 0, 0}, {0, 10, 0}, {0, 0, 0}), 3 * kPi / 2},
                      Measured{"ThreePoints", Dim(5, {5, 5, 0}, {10, 0, 0}, {0, 10, 0}, {0, 0, 0}), kPi / 2},
                      Measured{"Diameter", Dim(3, {-5, 0, 0}, {}, {}, {5, 0, 0}), 10},
                      Measured{"Radius", Dim(4, {0, 0, 0}, {}, {}, {3, 4, 0}), 5}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace cadsim_test
