// Damaged drawings given to cadsim: each is refused with a message naming the
// line where the damage shows, and the command-line program exits non-zero
// with that message instead of crashing or reading a smaller drawing.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include "cadsim_fixture.h"

namespace cadsim_test {
namespace {

struct BadInput {
  const char* what;
  std::string bytes;  // code page 932, CR LF
  std::size_t line;   // where the message points
  const char* says;
};

// A whole file, cut or changed below.
const std::string kHead = "  0\r\nSECTION\r\n  2\r\nBLOCKS\r\n";                         // lines 1-4
const std::string kBlockA = "  0\r\nBLOCK\r\n  2\r\nA\r\n 10\r\n0.0\r\n 20\r\n0.0\r\n";  // 5-12
const std::string kEndblk = "  0\r\nENDBLK\r\n";                                         // 2 lines
const std::string kLine =
    "  0\r\nLINE\r\n  8\r\n\x8B\x8B\x90\x85\r\n 10\r\n1.0\r\n 20\r\n2.0\r\n"  // 8 lines
    " 11\r\n3.0\r\n 21\r\n4.0\r\n";                                           // +4
const std::string kEndsec = "  0\r\nENDSEC\r\n";
const std::string kEof = "  0\r\nEOF\r\n";
const std::string kEntities = "  0\r\nSECTION\r\n  2\r\nENTITIES\r\n";

const BadInput kCases[] = {
    {"an empty file", "", 1, "empty file"},
    {"a file cut off inside BLOCKS", kHead + kBlockA + "  0\r\nLINE\r\n  8\r\n", 15, "no value"},
    {"ENTITIES without ENDSEC", kEntities + kLine + kEof, 17, "section ENTITIES has no ENDSEC"},
    {"ENTITIES running to the end of the file", kEntities + kLine, 17, "section ENTITIES has no ENDSEC"},
    {"no EOF", kEntities + kLine + kEndsec, 19, "ends without EOF"},
    {"a missing ENDBLK merges two blocks",
     kHead + kBlockA + kLine + "  0\r\nBLOCK\r\n  2\r\nB\r\n 10\r\n0.0\r\n 20\r\n0.0\r\n" + kEndblk +
         kEndsec + kEof,
     5, "has no ENDBLK"},
    {"\"nan\" as a coordinate",
     kEntities + "  0\r\nLINE\r\n  8\r\n0\r\n 10\r\nnan\r\n 20\r\n0.0\r\n" + kEndsec + kEof, 10,
     "finite number expected, found \"nan\""},
    // Types 0 to 6 are all there are: a 7 has no measurement, and one made
    // up would be written as "nan" that no reader takes back.
    {"a dimension of type 7",
     kEntities + "  0\r\nDIMENSION\r\n  8\r\n0\r\n 70\r\n   263\r\n" + kEndsec + kEof, 10,
     "dimension type 0 to 6 expected, found 263"},
};

TEST(BadDxfInput, IsRefusedWithTheLineOfTheDamage) {
  platform::sim::Desktop desktop;
  for (const BadInput& c : kCases) {
    SCOPED_TRACE(c.what);
    try {
      cadsim::ReadDxf(c.bytes, desktop.Codec());
      ADD_FAILURE() << "read without complaint";
    } catch (const cadsim::DxfError& e) {
      EXPECT_EQ(e.Line(), c.line) << e.what();
      EXPECT_NE(std::string(e.what()).find(c.says), std::string::npos) << e.what();
    }
  }
}

TEST(BadDxfInput, TheSameFileWhole) {
  // The cases above are damaged copies of this: it must read.
  platform::sim::Desktop desktop;
  cadsim::Drawing d = cadsim::ReadDxf(
      kHead + kBlockA + kLine + kEndblk + kEndsec + kEntities + kLine + kEndsec + kEof, desktop.Codec());
  EXPECT_EQ(d.entities.size(), 1u);
  ASSERT_NE(d.FindBlock(u"A"), nullptr);
  EXPECT_EQ(d.FindBlock(u"A")->entities.size(), 1u);
}

int RunCadsim(const std::string& arguments, std::string* err) {
  const std::string command = std::string(CADSIM_PROGRAM) + " " + arguments + " 2>&1 >/dev/null";
  int status = -1;
  if (FILE* p = popen(command.c_str(), "r")) {
    char buf[512];
    while (std::fgets(buf, sizeof buf, p)) *err += buf;
    status = pclose(p);
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(BadDxfInput, TheProgramExitsNonZeroWithTheMessage) {
  platform::sim::Desktop desktop;
  const std::filesystem::path nan_file = desktop.TempFolder() / "nan.dxf";
  std::ofstream(nan_file, std::ios::binary) << kCases[6].bytes;
  struct Run {
    std::string drawing;
    const char* says;
  };
  for (const Run& run : {Run{nan_file.string(), "line 10: finite number expected"},
                         Run{desktop.TempFolder().string(), "is a folder, not a DXF file"}}) {
    std::string err;
    EXPECT_EQ(RunCadsim("--drawing " + run.drawing, &err), 1) << err;
    EXPECT_NE(err.find(run.says), std::string::npos) << err;
  }
}

}  // namespace
}  // namespace cadsim_test
