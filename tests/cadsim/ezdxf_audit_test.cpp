// cadsim's DXF must load in another reader and pass its audit: ezdxf, as
// Debian ships it (python3-ezdxf).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "cadsim_fixture.h"

namespace cadsim_test {
namespace {

// Runs ezdxf's audit; the output's last line is "errors N fixes M".
std::string Audit(const std::filesystem::path& file) {
  const std::filesystem::path script = file.parent_path() / "audit.py";
  std::ofstream(script) << "import sys, ezdxf\n"
                           "d = ezdxf.readfile(sys.argv[1])\n"
                           "a = d.audit()\n"
                           "for e in a.errors: print('error', e.code, e.message)\n"
                           "print('errors %d fixes %d' % (len(a.errors), len(a.fixes)))\n";
  return Python(script.string() + " " + file.string());
}

class EzdxfAudit : public CadsimTest {
 protected:
  void SetUp() override {
    if (!HaveEzdxf()) GTEST_SKIP() << "python3-ezdxf is not installed (scripts/deps/cadsim.txt)";
  }
};

TEST_F(EzdxfAudit, SampleWrittenBackPassesWithNoErrorsOrFixes) {
  const std::filesystem::path out = desktop.TempFolder() / "sample-out.dxf";
  ASSERT_TRUE(cadsim::WriteDxfFile(out, Sample(), desktop.Codec()));
  EXPECT_NE(Audit(out).find("errors 0 fixes 0"), std::string::npos) << Audit(out);
}

TEST_F(EzdxfAudit, DimensionsReadWithoutTheirBlocksAreKept) {
  const std::filesystem::path out = desktop.TempFolder() / "no-blocks-out.dxf";
  ASSERT_TRUE(
      cadsim::WriteDxfFile(out, cadsim::ReadDxf(DimensionWithoutBlock(), desktop.Codec()), desktop.Codec()));
  EXPECT_NE(Audit(out).find("errors 0 fixes 0"), std::string::npos) << Audit(out);
}

TEST_F(EzdxfAudit, ExportsAfterNewEntriesPass) {
  Start(8);
  ASSERT_EQ(Post(u"^C^C-insert^M" + DataDir().u16string() + u"\\Plendra1.dwg^Ms^M250^M1000,975^M0^M"), -1);
  ASSERT_EQ(Send(u"1000^M500^M0^M1230^M^M^M給水^M3^M"), -1);
  ASSERT_EQ(Send(u"^C^C-layer^Mn^M給水^Mt^M給水^Mon^M給水^Mu^M給水^M^M"), -1);
  ASSERT_EQ(Send(u"^C^Cchange^Ml^M^Mp^Mla^M給水^Mc^Mbylayer^Mlt^Mbylayer^Mlw^Mbylayer^M^M"), -1);
  ASSERT_EQ(Post(AutoExport()), -1);
  FinishExport();
  EXPECT_NE(Audit(Scratch()).find("errors 0 fixes 0"), std::string::npos) << Audit(Scratch());
}

}  // namespace
}  // namespace cadsim_test
