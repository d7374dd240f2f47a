// Scripts and pwscript command lines a careless or hostile user writes:
// broken patterns, overlong commands, values that grow past memory, waits
// that never end, and options that name nothing. Each is refused with an
// error that says what and where, or runs in bounded time and memory.
#include <sys/wait.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <regex>

#include "link/control_codes.h"
#include "platform/utf8.h"
#include "script_fixture.h"
#include "support/shell_run.h"

namespace plendra_test {
namespace {

using korvel::CancelByUser;
using korvel::CommandFailed;
using korvel::ScriptFailed;

using ScriptBadInput = ScriptTest;

const std::u16string kPatternError = u"パターン文字列が不正です。";

struct PatternCase {
  const char* what;
  std::u16string_view script;
  int line;
  std::u16string_view source;
};

// A pattern Like refuses fails its line with error 93; before, "[z-a]" was
// read as "[a-z]" and an unclosed "[" as itself, so these matched.
TEST_F(ScriptBadInput, BrokenPatternsAreRefusedAtTheirLine) {
  const PatternCase cases[] = {
      {"a downward range", u"%USER1%=b\n?%USER1%==[z-a]>%USER0%=matched\n", 2, u"PwAcadCtrl"},
      {"an unclosed list", u"%USER1%=[b\n\n?%USER1%==[b>%USER0%=matched\n", 3, u"PwAcadCtrl"},
      {"a downward range after a good one", u"?xb==[a-c][9-0]>%USER0%=matched\n", 1, u"PwAcadCtrl"},
      {"!= as well", u"?b!=[z-a>%USER0%=matched\n", 1, u"PwAcadCtrl"},
      {"a prompt waited for", u"WAIT_PROMPT\t[z-a]*\n", 1, u"PwAcadCtrl"},
      {"a prompt after a command", u"SEND_COMMAND\tfiledia^M\t*[\n", 1, u"PwAcadCtrl"},
  };
  for (const PatternCase& c : cases) {
    SCOPED_TRACE(c.what);
    vars[0].clear();
    EXPECT_TRUE(FailedAtLine(Run(c.script), 93, c.source, c.line, kPatternError));
    EXPECT_EQ(vars[0], u"");
  }
  // Nothing was typed for the refused SEND_COMMAND.
  for (const std::u16string& typed : Typed()) EXPECT_EQ(typed.find(u"filedia"), std::u16string::npos);
}

TEST_F(ScriptBadInput, ValidPatternsKeepTheirMeaningAndExactComparisonTakesAnyText) {
  EXPECT_TRUE(
      Succeeded(Run(u"?b==[a-c]>%USER0%=range\n"
                    u"?b==[!x-z]>%USER1%=negated\n"
                    u"?-==[-a]>%USER2%=dash\n"
                    u"?x==x[]>%USER3%=empty list\n"
                    u"%PATTERN_MATCH%=False\n"
                    u"?[z-a==[z-a>%USER4%=exact\n")));
  EXPECT_EQ(vars[0], u"range");
  EXPECT_EQ(vars[1], u"negated");
  EXPECT_EQ(vars[2], u"dash");
  EXPECT_EQ(vars[3], u"empty list");
  EXPECT_EQ(vars[4], u"exact");
}

// One input (between Enters) longer than AutoCAD's command line takes is
// refused before it is typed, with the line; the limit itself is typed.
TEST_F(ScriptBadInput, AnOverlongCommandIsRefusedBeforeItIsTyped) {
  const std::u16string limit(korvel::kLongestTypedInput, u'a');
  EXPECT_TRUE(Succeeded(Run(u"SEND_COMMAND\t" + limit + u"^M\n")));
  EXPECT_TRUE(HistoryHas(u"\"" + limit + u"\" は不明なコマンドです。"));
  const std::size_t typed = Typed().size();
  const std::u16string message = u"入力が長すぎます(1024文字まで)。";
  struct Case {
    const char* what;
    std::u16string script;
  };
  const Case cases[] = {
      {"one over", u"\nSEND_COMMAND\t" + limit + u"a^M\n"},
      {"posted", u"\nPOST_COMMAND\t^C^C" + limit + u"a\n"},
      {"ten megabytes", u"\nSEND_COMMAND\t" + std::u16string(10'000'000, u'b') + u"\n"},
      {"made by a variable", u"\n%USER1%=" + limit + u"\nSEND_COMMAND\tx%USER1%^M\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_TRUE(FailedAtLine(Run(c.script), ScriptFailed, kSourceCommand,
                             c.script.starts_with(u"\n%") ? 3 : 2, message));
  }
  EXPECT_EQ(Typed().size(), typed);
  // Inputs of the limit each, separated by Enter, are several inputs.
  EXPECT_TRUE(Succeeded(Run(u"SEND_COMMAND\t" + limit + u"^M" + limit + u"^M\n")));
}

// Doubling a variable line by line runs out of memory at some line; that
// line is reported like every other failure. The process gets a small
// address space so that the limit comes soon.
TEST(PwscriptMemory, AVariableGrownPastMemoryFailsWithItsLine) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the sanitizer's shadow memory needs an unlimited address space";
#else
  platform::sim::Desktop desktop;
  std::u16string script = u"%USER0%=0123456789abcdef\n";
  for (int i = 0; i < 40; ++i) script += u"%USER0%=%USER0%%USER0%\n";
  const std::u16string path = WriteScript(desktop, script, u"grow.scr");
  const std::string command = "ulimit -v 500000; exec " + std::string(PWSCRIPT_PROGRAM) + " '" +
                              platform::ToUtf8(path) + "' >/dev/null 2>'" + platform::ToUtf8(path) + ".err'";
  const int status = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 7);
  std::ifstream in(platform::ToUtf8(path) + ".err", std::ios::binary);
  const std::string err((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  // A line from the doubling ones (2 to 41) names itself before the message.
  std::smatch m;
  ASSERT_TRUE(std::regex_search(err, m, std::regex("\n([0-9]+)行目: メモリが不足しています。"))) << err;
  const int line = std::stoi(m[1]);
  EXPECT_GE(line, 2);
  EXPECT_LE(line, 41);
#endif
}

// A wait without a time-out for a prompt that never comes, or for a pick
// nobody makes, for an hour of virtual time: the desktop's record of messages
// stays bounded (two reads a cycle, 36,000 cycles, used to be 72,000 records
// and growing), and the wait still ends on Terminate.
struct Wait {
  std::u16string_view line;
  std::int32_t ended;  // a terminated pick finds no point in the history
};

class HourLongWait : public ScriptTest, public ::testing::WithParamInterface<Wait> {};

TEST_P(HourLongWait, RunsInBoundedMemory) {
  const std::uint64_t hour = 60 * 60 * 1000;
  std::size_t largest = 0;
  for (std::uint64_t at = 60'000; at < hour; at += 60'000)
    desktop.After(at, [&] { largest = std::max(largest, desktop.Log().size()); });
  desktop.After(hour, [&] { control->Terminate(); });
  EXPECT_EQ(Run(u"%COMMAND_TIMEOUT% = -1\n" + std::u16string(GetParam().line) + u"\n"), GetParam().ended);
  EXPECT_GE(desktop.Queue().Elapsed(), hour);
  EXPECT_GT(largest, 0u);
  EXPECT_LE(largest, platform::sim::Desktop::kLogLimit);
  EXPECT_LE(desktop.Log().size(), platform::sim::Desktop::kLogLimit);
}

INSTANTIATE_TEST_SUITE_P(Waits, HourLongWait,
                         ::testing::Values(Wait{u"WAIT_PROMPT\tnever", CancelByUser},
                                           Wait{u"GET_POSITION\t%USER0%\t%USER1%\t%USER2%", CommandFailed}));

// ------------------------------------------------------------ pwscript

using Ran = test_support::ShellRun;

class PwscriptCli : public ::testing::Test {
 protected:
  Ran Pwscript(const std::string& arguments, const std::string& stdout_to = "") {
    return test_support::RunInShell(std::string(PWSCRIPT_PROGRAM) + " " + arguments, desktop.TempFolder(),
                                    stdout_to);
  }
  std::string Script(std::u16string_view text, std::u16string_view name = u"test.scr") {
    return platform::ToUtf8(WriteScript(desktop, text, name));
  }

  platform::sim::Desktop desktop;
};

struct CliCase {
  const char* what;
  std::string arguments;
  int status;
  const char* says;  // on standard error
};

TEST_F(PwscriptCli, RefusesOptionsThatNameNothing) {
  const std::string script = Script(u"GET_VARIABLE\tDIMSCALE\t%USER0%\n");
  const std::string folder = desktop.TempFolder().string();
  std::ofstream(folder + "/nan.dxf", std::ios::binary)
      << "  0\r\nSECTION\r\n  2\r\nENTITIES\r\n  0\r\nLINE\r\n  8\r\n0\r\n 10\r\nnan\r\n 20\r\n0.0\r\n"
         "  0\r\nENDSEC\r\n  0\r\nEOF\r\n";
  const CliCase cases[] = {
      {"a release with a fraction", "--release 8.0 " + script, 2,
       "--release は 0 から 8 の数字一つです: 8.0"},
      {"a release as an exponent", "--release 1e0 " + script, 2, "--release は 0 から 8 の数字一つです: 1e0"},
      {"a variable cadsim does not know", "--set NOSUCHVAR=1 " + script, 2,
       "--set NOSUCHVAR: 値を設定できるシステム変数ではありません (\"NOSUCHVAR\" は不明なコマンドです。"},
      {"a read-only variable", "--set DWGNAME=x.dwg " + script, 2, "(読み込み専用))"},
      {"a value that is not a number", "--set DIMSCALE=nan " + script, 2,
       "--set DIMSCALE=nan: 値を受け付けられません (数値が必要です。)"},
      {"a value out of range", "--set FILEDIA=7 " + script, 2,
       "--set FILEDIA=7: 値を受け付けられません (値が範囲外です。)"},
      {"a damaged drawing", "--drawing " + folder + "/nan.dxf " + script, 2,
       "nan.dxf: line 10: finite number expected, found \"nan\""},
      {"a drawing that is a folder", "--drawing " + folder + " " + script, 2, "is a folder, not a DXF file"},
  };
  for (const CliCase& c : cases) {
    SCOPED_TRACE(c.what);
    const Ran r = Pwscript(c.arguments);
    EXPECT_EQ(r.status, c.status) << r.err;
    EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "") << "nothing ran";
  }
  // A variable cadsim takes is set before the run.
  const Ran r = Pwscript("--set DIMSCALE=50 " + script);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(r.out.starts_with("%USER0%=50.0000\n")) << r.out;
}

TEST_F(PwscriptCli, ASetVariableWithNanFailsAtItsLine) {
  const std::string script =
      Script(u"%COMMAND_TIMEOUT% = 5000\nSET_VARIABLE\tDIMSCALE\tnan\nGET_VARIABLE\tDIMSCALE\t%USER0%\n");
  const Ran r = Pwscript(script);
  EXPECT_EQ(r.status, static_cast<int>(static_cast<std::uint32_t>(CommandFailed) & 0xFF));
  EXPECT_NE(r.err.find("PwAcadCtrl.PwControl.SetVariable\n"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("2行目: 待機時間内に指定した応答がありませんでした。"), std::string::npos) << r.err;
  EXPECT_TRUE(r.out.starts_with("%USER0%=\n")) << r.out;
}

TEST_F(PwscriptCli, HelpIsTheUsageOnStandardOutput) {
  for (const char* option : {"--help", "-h"}) {
    SCOPED_TRACE(option);
    const Ran r = Pwscript(option);
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(r.out.starts_with("使い方: pwscript [オプション] スクリプト")) << r.out;
    EXPECT_EQ(r.err, "");
  }
}

TEST_F(PwscriptCli, VariablesThatDoNotReachStandardOutputFail) {
  const Ran ok = Pwscript(Script(u"%USER0%=1\n"), "/dev/full");
  EXPECT_EQ(ok.status, 1);
  EXPECT_NE(ok.err.find("標準出力に書き込めません。"), std::string::npos) << ok.err;
  // A script error keeps its number.
  const Ran failed = Pwscript(Script(u"NO_SUCH_COMMAND\n"), "/dev/full");
  EXPECT_EQ(failed.status, static_cast<int>(static_cast<std::uint32_t>(ScriptFailed) & 0xFF));
  EXPECT_NE(failed.err.find("標準出力に書き込めません。"), std::string::npos) << failed.err;
}

}  // namespace
}  // namespace plendra_test
