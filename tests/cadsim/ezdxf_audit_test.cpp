// cadsim's DXF must load in another reader and pass its audit: ezdxf, as
// Debian ships it (python3-ezdxf).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "app/block_script.h"
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

// The parts-table block as data/Plendra1.scr makes it through cadsim, in an
// empty drawing (so that -INSERT takes the file, not a block of that name).
class EzdxfScriptedBlock : public EzdxfAudit {
 protected:
  void SetUp() override {
    EzdxfAudit::SetUp();
    if (IsSkipped()) return;
    app = desktop.TempFolder() / "Plendra";
    std::filesystem::create_directories(app);
    folders = {{u"C:\\Program Files\\Plendra", app.u16string()}};
    Start(8, cadsim::Drawing{});
    Cad().BlockFolders().clear();
    const std::string script = ReadBytes(DataDir() / "Plendra1.scr");
    ASSERT_EQ(Send(u"^C^C" + plendra::BlockScriptKeys(desktop.Codec().FromAnsi(script), BlockPath())), -1);
    ASSERT_TRUE(std::filesystem::is_regular_file(app / "Plendra1.dwg"));
  }
  static std::u16string BlockPath() { return u"C:\\Program Files\\Plendra\\Plendra1.dwg"; }
  std::filesystem::path app;
};

TEST_F(EzdxfScriptedBlock, BlockFilePasses) {
  // ezdxf goes by the content; the copy only gives it the usual name.
  const std::filesystem::path copy = app / "Plendra1-block.dxf";
  std::filesystem::copy_file(app / "Plendra1.dwg", copy);
  EXPECT_NE(Audit(copy).find("errors 0 fixes 0"), std::string::npos) << Audit(copy);
}

TEST_F(EzdxfScriptedBlock, AnEntryOfItReadsBackWithItsAttributesInOrder) {
  ASSERT_EQ(Post(u"^C^C-insert^M" + BlockPath() + u"^Ms^M250^M1000,975^M0^M"), -1);
  ASSERT_EQ(Send(u"1000^M500^M0^M1230^M^M^M給水^M3^M"), -1);
  ASSERT_EQ(Post(AutoExport()), -1);
  FinishExport();
  EXPECT_NE(Audit(Scratch()).find("errors 0 fixes 0"), std::string::npos) << Audit(Scratch());
  const std::filesystem::path script = desktop.TempFolder() / "attribs.py";
  std::ofstream(script) << "import sys, ezdxf\n"
                           "d = ezdxf.readfile(sys.argv[1])\n"
                           "for i in d.modelspace().query('INSERT'):\n"
                           "    print(i.dxf.name, '|'.join(a.dxf.tag + '=' + a.dxf.text for a in i.attribs))\n";
  const cadsim::Drawing shipped = cadsim::ReadDxfFile(DataDir() / "Plendra1.dxf", desktop.Codec());
  const std::u16string values[] = {u"1000", u"500", u"0", u"1230", u"", u"", u"給水", u"3"};
  std::u16string want = u"Plendra1 ";
  std::size_t k = 0;
  for (const cadsim::AttributeDef* def : All<cadsim::AttributeDef>(shipped)) {
    want += (k ? u"|" : u"") + def->tag + u"=" + (values[k].empty() ? def->value : values[k]);
    ++k;
  }
  EXPECT_EQ(Python(script.string() + " " + Scratch().string()), platform::ToUtf8(want) + "\n");
}

}  // namespace
}  // namespace cadsim_test
