// A drawing another program wrote (ezdxf, with entities, objects and
// values cadsim does not model) goes through cadsim and comes back whole;
// what other writers add around it (comments, a preview image, data
// sections) is read and kept.
#include <gtest/gtest.h>

#include <numbers>

#include "cadsim_fixture.h"

namespace cadsim_test {
namespace {

class EzdxfRoundTrip : public CadsimTest {
 protected:
  void SetUp() override {
    if (!HaveEzdxf()) GTEST_SKIP() << "python3-ezdxf is not installed (scripts/deps/cadsim.txt)";
    Python(Script() + " make " + In().string());
    ASSERT_TRUE(std::filesystem::exists(In()));
  }
  static std::string Script() { return (SourceDir() / "tests" / "cadsim" / "ezdxf_drawing.py").string(); }
  std::filesystem::path In() { return desktop.TempFolder() / "ezdxf-in.dxf"; }
  std::filesystem::path Out() { return desktop.TempFolder() / "ezdxf-out.dxf"; }
};

TEST_F(EzdxfRoundTrip, EveryEntityObjectAndStyleValueComesBackAndPassesTheAudit) {
  ASSERT_TRUE(cadsim::WriteDxfFile(Out(), cadsim::ReadDxfFile(In(), desktop.Codec()), desktop.Codec()));
  const std::string report = Python(Script() + " compare " + In().string() + " " + Out().string());
  EXPECT_NE(report.find("lost 0\n"), std::string::npos) << report;
  EXPECT_NE(report.find("errors 0 fixes 0"), std::string::npos) << report;
}

TEST_F(EzdxfRoundTrip, DimensionsWithoutAMeasuredValueAreMeasuredFromTheirPoints) {
  // ezdxf leaves group 42 out (cadsim/tools/make_data.py sets it by hand
  // for that reason).
  const cadsim::Drawing d = cadsim::ReadDxfFile(In(), desktop.Codec());
  std::map<int, double> measured;
  for (const cadsim::Dimension* dim : All<cadsim::Dimension>(d)) measured[dim->Kind()] = dim->measurement;
  EXPECT_DOUBLE_EQ(measured.at(0), 30) << "from (0,0) to (30,0), horizontal";
  EXPECT_DOUBLE_EQ(measured.at(5), std::numbers::pi / 2) << "legs along x and y";
}

// What other writers put around a drawing, spliced into ezdxf's file.
struct Addition {
  const char* name;
  std::string text;  // inserted before "0 EOF", or at the start for a comment
  bool at_start;
  std::string kept;  // found in cadsim's output; empty: nothing to keep
};

class OtherWriters : public EzdxfRoundTrip, public ::testing::WithParamInterface<Addition> {};

TEST_P(OtherWriters, AreReadAndWhatTheyHoldIsWrittenBack) {
  const std::string plain = ReadBytes(In());
  std::string bytes = plain;
  if (GetParam().at_start) {
    bytes.insert(0, GetParam().text);
  } else {
    const std::size_t eof = bytes.rfind("EOF");
    ASSERT_NE(eof, std::string::npos);
    bytes.insert(bytes.rfind('\n', eof - 2) + 1, GetParam().text);
  }
  const cadsim::Drawing expected = cadsim::ReadDxf(plain, desktop.Codec());
  cadsim::Drawing d;
  ASSERT_NO_THROW(d = cadsim::ReadDxf(bytes, desktop.Codec()));
  EXPECT_EQ(d.entities.size(), expected.entities.size());
  const std::string out = cadsim::WriteDxf(d, desktop.Codec());
  EXPECT_TRUE(GetParam().kept.empty() || out.find(GetParam().kept) != std::string::npos) << GetParam().name;
  EXPECT_NO_THROW(cadsim::ReadDxf(out, desktop.Codec()));
}

INSTANTIATE_TEST_SUITE_P(
    Additions, OtherWriters,
    ::testing::Values(
        Addition{"LibreCAD", "999\ndxfrw 0.6.3\n", true, ""},
        Addition{"QCAD", "999\r\nQCAD / 図面\r\n", true, ""},
        Addition{
            "Thumbnail",
            "  0\nSECTION\n  2\nTHUMBNAILIMAGE\n 90\n8\n310\n28000000280000000E0000002800\n  0\nENDSEC\n",
            false, "THUMBNAILIMAGE\r\n 90\r\n        8\r\n310\r\n28000000280000000E0000002800\r\n"},
        Addition{"AcdsData",
                 "  0\nSECTION\n  2\nACDSDATA\n 70\n2\n 71\n6\n  0\nACDSSCHEMA\n 90\n0\n  "
                 "1\nAcDb_Thumbnail_Schema\n"
                 "  2\nAcDbDs::ID\n280\n10\n 91\n8\n  0\nENDSEC\n",
                 false, "ACDSSCHEMA\r\n 90\r\n        0\r\n  1\r\nAcDb_Thumbnail_Schema\r\n"},
        Addition{"CommentInsideARecord", "999\nwritten by hand\n", false, ""}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace cadsim_test
