// The fault suite: one table of what can go wrong between the link library
// and AutoCAD, each case run against cadsim on the virtual clock. Every case
// must end with its documented error within one check interval of its bound,
// and leave the caller's table and variables as they were. One summary line a
// case (case, result, error number, elapsed virtual ms) is printed for the
// record.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "cadsim_fixture.h"
#include "link/dxf_table.h"

namespace cadsim_test {
namespace {

constexpr std::int32_t kTimeOut = 60000;
constexpr std::int32_t kInterval = 100;

class FaultSuite : public CadsimTest {
 public:
  // The cases of the table below set faults up through these.
  using CadsimTest::acad;
  using CadsimTest::Cad;
  using CadsimTest::desktop;
  using CadsimTest::Scratch;
  using CadsimTest::Send;

  // The caller's table before a scan: a sentinel that a failure must leave.
  static korvel::DxfTable Sentinel() {
    korvel::DxfTable t(1, 1);
    t.At(0, 0) = u"sentinel";
    return t;
  }
  void WriteScratch(std::string_view bytes) { std::ofstream(Scratch(), std::ios::binary) << bytes; }
  std::int32_t Export() { return control->DxfOut(u"all", u"2000", &link); }
  std::int32_t Scan(korvel::DxfTable& table) {
    return control->DxfScan(u"ENTITIES", u"ATTRIB", u"2|1", table);
  }
  // An export that went well, so that the scan cases start from a real file.
  void GoodExport() { ASSERT_EQ(Export(), -1); }
  void HideCommandLine() { acad->HideCommandLine(true); }
};

struct Case {
  const char* name;
  // Sets the fault up (after Start) and runs the operation; returns its result.
  std::function<std::int32_t(FaultSuite&)> run;
  std::int32_t error;  // -1: no error
  std::u16string_view description;
  std::uint64_t bound_ms;  // when it should end, from the operation's start
};

constexpr std::u16string_view kIncomplete = u"DXFファイルの書き出しが完了していません。";
constexpr std::u16string_view kNotRunning = u"AutoCADが起動していないか、応答がありません。";
constexpr std::u16string_view kTimedOut = u"待機時間内に指定した応答がありませんでした。";
constexpr std::u16string_view kClosed = u"AutoCADが応答しないか、コマンドウィンドウが表示されていません。";

const Case kCases[] = {
    {"window vanishes during a wait",
     [](FaultSuite& t) {
       t.Cad().TheFaults().prompt_never_returns = true;
       t.Cad().TheFaults().vanish_after_ms = 2000;
       return t.Send(u"select^M");
     },
     korvel::LinkFailed, kNotRunning, 2000},
    {"window vanishes during DxfOut",
     [](FaultSuite& t) {
       t.Cad().TheFaults().only_command = u"SAVEAS";
       t.Cad().TheFaults().busy_for_ms = 9000;
       t.Cad().TheFaults().vanish_after_ms = 1500;
       return t.Export();
     },
     korvel::LinkFailed, kIncomplete, 1500},
    {"prompt never returns",
     [](FaultSuite& t) {
       t.Cad().TheFaults().prompt_never_returns = true;
       return t.Send(u"select^M");
     },
     korvel::CommandFailed, kTimedOut, kTimeOut},
    {"prompt never returns during DxfOut",
     [](FaultSuite& t) {
       t.Cad().TheFaults().only_command = u"SAVEAS";
       t.Cad().TheFaults().prompt_never_returns = true;
       return t.Export();
     },
     korvel::CommandFailed, kIncomplete, kTimeOut},
    {"copy-data refused",
     [](FaultSuite& t) {
       t.Cad().TheFaults().refuse_copy_data = true;
       return t.Export();
     },
     korvel::CommandFailed, kIncomplete, 0},
    {"command line hidden",
     [](FaultSuite& t) {
       t.HideCommandLine();
       return t.Send(u"select^M");
     },
     korvel::WindowClosed, kClosed, 0},
    {"AutoCAD busy past the time-out",
     [](FaultSuite& t) {
       t.Cad().TheFaults().only_command = u"SAVEAS";
       t.Cad().TheFaults().busy_for_ms = kTimeOut + 10000;
       return t.Export();
     },
     korvel::CommandFailed, kIncomplete, kTimeOut},
    {"AutoCAD busy within the time-out",
     [](FaultSuite& t) {
       t.Cad().TheFaults().only_command = u"SAVEAS";
       t.Cad().TheFaults().busy_for_ms = 8000;
       const std::int32_t r = t.Export();
       if (r != -1) return r;
       korvel::DxfTable table = FaultSuite::Sentinel();
       const std::int32_t scanned = t.Scan(table);
       EXPECT_NE(table.At(0, 0), u"0") << "the complete export holds the drawing's attributes";
       return scanned;
     },
     -1, u"", 8000},
    {"temporary folder not writable",
     [](FaultSuite& t) {
       t.desktop.SetTempPathAnsi((t.desktop.TempFolder() / "gone" / "").string());
       return t.Export();
     },
     korvel::CommandFailed, kIncomplete, 0},
    {"export file missing",
     [](FaultSuite& t) {
       t.GoodExport();
       std::filesystem::remove(t.Scratch());
       korvel::DxfTable table = FaultSuite::Sentinel();
       const std::int32_t r = t.Scan(table);
       EXPECT_EQ(table.At(0, 0), u"sentinel");
       return r;
     },
     53, u"", 0},
    {"export file truncated",
     [](FaultSuite& t) {
       t.GoodExport();
       t.WriteScratch("  0\r\nSECTION\r\n  2\r\nENTITIES\r\n  0\r\nATTRIB\r\n  2\r\n");
       korvel::DxfTable table = FaultSuite::Sentinel();
       const std::int32_t r = t.Scan(table);
       EXPECT_EQ(table.At(0, 0), u"sentinel");
       return r;
     },
     62, u"", 0},
    {"export file locked (not readable as a file)",
     [](FaultSuite& t) {
       t.GoodExport();
       std::filesystem::remove(t.Scratch());
       std::filesystem::create_directory(t.Scratch());
       korvel::DxfTable table = FaultSuite::Sentinel();
       const std::int32_t r = t.Scan(table);
       EXPECT_EQ(table.At(0, 0), u"sentinel");
       std::filesystem::remove(t.Scratch());
       return r;
     },
     53, u"", 0},
    {"export file replaced by a binary one",
     [](FaultSuite& t) {
       t.GoodExport();
       t.WriteScratch(std::string("AutoCAD Binary DXF\r\n\x1a\0", 22) + "\x00\x00SECTION");
       korvel::DxfTable table = FaultSuite::Sentinel();
       const std::int32_t r = t.Scan(table);
       EXPECT_EQ(table.At(0, 0), u"sentinel");
       return r;
     },
     13, u"", 0},
};

TEST_F(FaultSuite, EachFaultEndsAtItsBoundWithItsDocumentedError) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    Start(8);
    control->put_CommandTimeOut(kTimeOut);
    control->put_CheckInterval(kInterval);
    const std::uint64_t start = desktop.Queue().Elapsed();
    const std::int32_t r = c.run(*this);
    const std::uint64_t elapsed = desktop.Queue().Elapsed() - start;
    std::printf("fault case | %-45s | %-7s | %11d | %6llu ms\n", c.name, r == -1 ? "ok" : "error", r,
                static_cast<unsigned long long>(elapsed));
    EXPECT_EQ(r, c.error);
    if (c.error != -1) {
      EXPECT_EQ(link.get_ErrNumber(), c.error);
    }
    if (!c.description.empty()) {
      EXPECT_EQ(link.get_ErrDescription(), c.description);
    }
    if (c.bound_ms > 0) {
      EXPECT_GE(elapsed, c.bound_ms);
      EXPECT_LE(elapsed, c.bound_ms + kInterval);
    }
    // Nothing of this case may reach the next one.
    desktop.Queue().Sleep(2 * kTimeOut);
    acad.reset();
    desktop.SetTempPathAnsi(std::nullopt);
    std::error_code ec;
    std::filesystem::remove_all(Scratch(), ec);
  }
}

}  // namespace
}  // namespace cadsim_test
