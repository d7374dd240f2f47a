// plendra-scenario as a user types it: the built program run by a shell on
// small scenario files written to a fresh folder, with its exit status,
// standard output and standard error checked. Every case is input that once
// crashed the program, cost the user a file, or passed for what was not done.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/shell_run.h"

namespace {

namespace fs = std::filesystem;

using Result = test_support::ShellRun;

std::string ReadAll(const fs::path& file) { return test_support::FileBytes(file); }

void WriteAll(const fs::path& file, const std::string& bytes) {
  std::ofstream out(file, std::ios::binary);
  out << bytes;
}

std::string Quoted(const fs::path& p) { return "'" + p.string() + "'"; }

class ScenarioCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "scenario-cli-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir = pattern;
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(dir, ignored);
  }

  // Runs the program from dir with args (shell words). env is put before the
  // program ("PLENDRA_SOURCE_DIR=x", or "env -u PLENDRA_SOURCE_DIR"); stdout
  // goes to a file, or where stdout_to says.
  Result Run(const std::string& args, const std::string& env = "", const std::string& stdout_to = "") {
    return test_support::RunInShell(
        "cd " + Quoted(dir) + " && " + env + " " + Quoted(PLENDRA_SCENARIO_PROGRAM) + " " + args, dir,
        stdout_to);
  }

  // Writes a scenario file in dir and runs it by its full path.
  Result RunScenario(const std::string& text, const std::string& env = "") {
    WriteAll(dir / "s.scn", text);
    return Run(Quoted(dir / "s.scn"), env);
  }

  fs::path dir;
};

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// A failed line: status 1, the line and its cause on standard error, the
// transcript (the line itself) on standard output and no failure there.
struct FailedLine {
  const char* name;
  std::string scenario;
  std::string error;  // what standard error must hold
};

void ExpectFailedLine(const FailedLine& c, const Result& r) {
  EXPECT_EQ(r.status, 1) << c.name << "\n" << r.out << r.err;
  EXPECT_TRUE(Contains(r.err, c.error)) << c.name << ": stderr was\n" << r.err << "\nstdout was\n" << r.out;
  EXPECT_FALSE(Contains(r.out, "失敗")) << c.name << ": a failure on stdout\n" << r.out;
  EXPECT_FALSE(Contains(r.out, "成功")) << c.name;
}

TEST_F(ScenarioCommand, RefusesEveryNumberNotReadWholeAndInRangeNamingItsLine) {
  const std::vector<FailedLine> cases = {
      {"release with a tail", "release 3x\nstart\n",
       "失敗 1 行目: release は 0～8 の整数で書いてください: \"3x\""},
      {"release out of range", "release 9\n", "失敗 1 行目: release は 0～8"},
      {"busy past 32 bits", "busy SAVEAS 4294967296\nstart\n", "失敗 1 行目: busy の MS は 0～86400000"},
      {"busy past 64 bits", "busy SAVEAS 99999999999999999999\nstart\n", "失敗 1 行目: busy の MS は"},
      {"busy with a sign", "busy SAVEAS +5\n", "失敗 1 行目: busy の MS は"},
      {"command time with a tail", "commandtime 50ms\nstart\n",
       "失敗 1 行目: commandtime の MS は 0～86400000"},
      {"command time past a day", "commandtime 86400001\n", "失敗 1 行目: commandtime の MS は"},
      {"command time after start", "start\ncommandtime 50\n", "失敗 2 行目: commandtime は準備の行です"},
      {"pick of no hex handle", "start\nuser pick ZZZ\npress\n", "失敗 2 行目: user pick の HANDLE は 1～"},
      {"pick of handle 0", "start\nuser pick 0\npress\n", "失敗 2 行目: user pick の HANDLE は 1～"},
      {"negative delay", "start\nuser miss -1\npress\n", "失敗 2 行目: user miss の MS は 0～86400000"},
      {"delay with a tail", "start\nuser pick C8 10ms\npress\n", "失敗 2 行目: user pick の MS は"},
      {"ini line 0", "start\nexpect ini 0 -2\n", "失敗 2 行目: expect ini の LINE は 1～"},
      {"entries with a tail", "start\nexpect entries 3x\n", "失敗 2 行目: expect entries の N は"},
      {"entry point not a number", "start\nexpect entry 給水 1 1800 10x 900\n",
       "失敗 2 行目: expect entry の X は数で書いてください: \"10x\""},
      {"move with a tail", "start\nmove 100 2x\n", "失敗 2 行目: move の LEFT は"},
      {"scroll out of its range", "start\nsetting Okisa 5\n", "失敗 2 行目: setting Okisa は -6～0 の整数"},
      {"check box not 0 or 1", "start\nsetting Renzoku 2\n", "失敗 2 行目: setting Renzoku は 0～1 の整数"},
      {"zoom row with a tail", "start\ncheck\nzoom 1x\n", "失敗 3 行目: zoom の ROW は"},
  };
  for (const FailedLine& c : cases) ExpectFailedLine(c, RunScenario(c.scenario));
}

TEST_F(ScenarioCommand, NamesWhatIsWrongWithTheLineAsWritten) {
  const std::vector<FailedLine> cases = {
      {"unknown action before start", "frobnicate\nstart\n", "失敗 1 行目: 知らない動作です: \"frobnicate\""},
      {"unknown action after start", "start\nfrobnicate\n", "失敗 2 行目: 知らない動作です: \"frobnicate\""},
      {"byte-order mark inside the file",
       "start\n\xEF\xBB\xBF"
       "expect button 開始\n",
       "失敗 2 行目: 知らない動作です: \"<BOM>expect\" (バイト順マーク"},
      {"action before start", "press\n", "失敗 1 行目: press の前にプログラムを起動してください"},
      {"action with a field too many", "start\npress now\n", "失敗 2 行目: 書き方が違います。正しくは press"},
      {"expectation with too few fields", "start\nexpect entry 給水\n",
       "失敗 2 行目: 書き方が違います。正しくは expect entry SYSTEM NUMBER LENGTH X Y"},
      {"unknown expectation", "start\nexpect colour red\n",
       "失敗 2 行目: 知らない確かめ方です: expect colour"},
      {"answer no question took", "start\nanswer yes\nexpect button 開始\n",
       "失敗 2 行目: この answer で答える質問がありませんでした"},
      {"user action no selection took", "start\nuser pick C8\nexpect button 開始\n",
       "失敗 2 行目: この user の操作を待つ選択がありませんでした"},
      {"quote that does not close", "start\nexpect status \"3番\n",
       "失敗 2 行目: 引用符 (\") が閉じていません"},
      {"failed expectation", "start\nexpect button 停止\n",
       "失敗 2 行目: button は \"停止\" のはずが \"開始\" でした"},
      {"rounding index past the list", "start\nsetting Marume 7\n",
       "失敗 2 行目: setting Marume は丸めの項目 ("},
      {"rounding index just past the list", "start\nsetting Marume 5\n",
       "失敗 2 行目: setting Marume は丸めの項目 ("},
      {"rounding item unknown", "start\nsetting Marume 3mm\n", "失敗 2 行目: setting Marume は丸めの項目 ("},
      {"folder that is a file", "folder s.scn\nstart\n",
       "失敗 1 行目: folder に書いたものはフォルダではありません"},
      {"folder that cannot be made", "folder s.scn/sub\nstart\n",
       "失敗 2 行目: folder のフォルダを作れません"},
  };
  for (const FailedLine& c : cases) ExpectFailedLine(c, RunScenario(c.scenario));
}

TEST_F(ScenarioCommand, ValuesInRangeAndAByteOrderMarkAtTheStartAreAccepted) {
  // The other side of the refusals above: the same fields written right.
  const Result r = RunScenario(
      "\xEF\xBB\xBF# a file saved with a byte-order mark\r\n"
      "release 0\r\nbusy SAVEAS 0\r\nstart\r\nsetting Marume 4\r\nsetting Okisa -6\r\nsetting Renzoku 1\r\n"
      "move -100 200\r\nexpect entries 3\r\nexpect ini 1 -6\r\n");
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_TRUE(r.out.ends_with("成功: s.scn\n")) << r.out;
}

// The figures of one "timing:" line: virtual ms, command lines, prompt reads.
struct TimingLine {
  std::string what;
  long ms = 0, commands = 0, reads = 0;
};

std::vector<TimingLine> TimingLines(const std::string& out) {
  std::vector<TimingLine> lines;
  std::istringstream in(out);
  std::string line;
  const std::string mark = "  timing: ";
  while (std::getline(in, line)) {
    if (line.rfind(mark, 0) != 0) continue;
    const std::size_t colon = line.rfind(": ");
    TimingLine t;
    t.what = line.substr(mark.size(), colon - mark.size());
    EXPECT_EQ(std::sscanf(line.c_str() + colon + 2, "%ld ms, %ld commands, %ld prompt reads", &t.ms,
                          &t.commands, &t.reads),
              3)
        << line;
    lines.push_back(t);
  }
  return lines;
}

TEST_F(ScenarioCommand, TimingGivesEachEntryAndLookupOnTheVirtualClock) {
  // Every command AutoCAD runs takes 200 ms: an entry's five commands from
  // the pick to its status (the selection, FILEDIA, SAVEAS, FILEDIA, the
  // insertion with its attributes) take at least 1000 ms of it, and each of
  // the six command lines is waited for by one prompt read at least.
  const std::string scenario =
      "commandtime 200\nstart\nsystem 給水\nuser pick 125 0\nuser pick 115 0\nuser esc 0\npress\n"
      "expect entries 5\n";
  const Result timed = [&] {
    WriteAll(dir / "s.scn", scenario);
    return Run("--timing " + Quoted(dir / "s.scn"));
  }();
  ASSERT_EQ(timed.status, 0) << timed.err;
  const std::vector<TimingLine> lines = TimingLines(timed.out);
  ASSERT_EQ(lines.size(), 3u) << timed.out;
  EXPECT_EQ(lines[0].what, "lookup 給水");
  EXPECT_EQ(lines[1].what, "entry 給水-3>3680mmを書き込みました");
  EXPECT_EQ(lines[2].what, "entry 給水-4>1234mmを書き込みました");
  for (const TimingLine& t : {lines[1], lines[2]}) {
    EXPECT_GE(t.ms, 1000) << t.what;
    EXPECT_LT(t.ms, 60000) << t.what;
    EXPECT_EQ(t.commands, 6) << t.what;
    EXPECT_GE(t.reads, t.commands) << t.what;
  }
  // The lookup exports the whole drawing: FILEDIA, SAVEAS, FILEDIA at least.
  EXPECT_GE(lines[0].ms, 600);
  EXPECT_GE(lines[0].commands, 3);
  // Without the option the transcript is as it always was.
  const Result plain = RunScenario(scenario);
  ASSERT_EQ(plain.status, 0) << plain.err;
  EXPECT_TRUE(TimingLines(plain.out).empty()) << plain.out;
}

TEST_F(ScenarioCommand, ReportsSuccessOnlyForAScenarioThatRan) {
  struct Case {
    const char* name;
    std::string args;
    std::string error;
  };
  fs::create_directory(dir / "folder");
  WriteAll(dir / "empty.scn", "# nothing but a comment\n\n   \n");
  WriteAll(dir / "nothing.scn", "");
  // Comments only, but more than a scenario can be: refused before reading
  // further, as a device that never ends would be.
  std::string large;
  while (large.size() <= 4 << 20) large += "# a scenario does not run to megabytes\n";
  WriteAll(dir / "large.scn", large);
  const std::vector<Case> cases = {
      {"a folder", "folder", "plendra-scenario: シナリオを読めません (フォルダです): folder"},
      {"a comment and blank lines", "empty.scn", "シナリオに動作が一つもありません: empty.scn"},
      {"an empty file", "nothing.scn", "シナリオに動作が一つもありません: nothing.scn"},
      {"no such file", "missing.scn", "plendra-scenario: シナリオを読めません (ありません): missing.scn"},
      {"a file too large", "large.scn",
       "plendra-scenario: シナリオを読めません (シナリオとしては大きすぎます。4 MB までです): large.scn"},
      {"a device that never ends", "/dev/zero",
       "plendra-scenario: シナリオを読めません (シナリオとしては大きすぎます"},
  };
  for (const Case& c : cases) {
    const Result r = Run(c.args);
    EXPECT_EQ(r.status, 2) << c.name;
    EXPECT_TRUE(Contains(r.err, c.error)) << c.name << ": " << r.err;
    EXPECT_FALSE(Contains(r.out, "成功")) << c.name << ": " << r.out;
  }
}

TEST_F(ScenarioCommand, RunsAScenarioNamedByItsBareFileNameFromItsFolder) {
  // The drawing is named relative to the scenario: its folder must be known
  // when the file is named without one.
  fs::copy_file(fs::path(PLENDRA_SOURCE_TREE) / "data" / "sample.dxf", dir / "mine.dxf");
  WriteAll(dir / "s.scn", "drawing mine.dxf\nstart\nexpect status 3番から書き込みます\n");
  const Result r = Run("s.scn");
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_TRUE(r.out.ends_with("成功: s.scn\n")) << r.out;
}

TEST_F(ScenarioCommand, FindsTheShippedDataWithoutBeingToldAndNamesWhereItLookedWhenTold) {
  const std::string scenario = "start\nexpect status 3番から書き込みます\n";
  Result r = RunScenario(scenario, "env -u PLENDRA_SOURCE_DIR");
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_EQ(r.err, "");

  r = RunScenario(scenario, "PLENDRA_SOURCE_DIR=" + Quoted(dir / "no-tree"));
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(Contains(r.err, "失敗 1 行目: 同梱のデータ (Keitou.txt) が見つかりません。探したフォルダ: " +
                                  (dir / "no-tree" / "data").string()))
      << r.err;
  EXPECT_TRUE(Contains(r.err, "PLENDRA_SOURCE_DIR")) << r.err;
}

TEST_F(ScenarioCommand, LeavesAFolderOfTheUsersAsItWas) {
  // The user's own application folder, with a system list and settings that
  // differ from the shipped ones.
  const fs::path mine = dir / "Plendra";
  fs::create_directory(mine);
  const std::string keitou = "\x8b\x8b\x90\x85\r\n!!\r\n1\r\n";  // 給水 in code page 932
  const std::string ini = "-3\r\n3\r\nFalse\r\n";
  WriteAll(mine / "Keitou.txt", keitou);
  WriteAll(mine / "plendra.ini", ini);
  const Result r = RunScenario("folder Plendra\nkeitou -\nstart\nsetting Okisa -6\nexpect ini 1 -6\n");
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  std::vector<std::string> names;
  for (const fs::directory_entry& e : fs::directory_iterator(mine))
    names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"Keitou.txt", "plendra.ini"}));
  EXPECT_EQ(ReadAll(mine / "Keitou.txt"), keitou);
  EXPECT_EQ(ReadAll(mine / "plendra.ini"), ini);
}

TEST_F(ScenarioCommand, MakesAFolderThatIsNotThereAndWorksInIt) {
  const Result r = RunScenario("folder new/app\nstart\nsetting Okisa -6\nexpect ini 1 -6\n");
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_TRUE(fs::is_regular_file(dir / "new" / "app" / "Keitou.txt"));
  EXPECT_TRUE(ReadAll(dir / "new" / "app" / "plendra.ini").starts_with("-6\r\n"));
}

TEST_F(ScenarioCommand, RefusesAnOutputItCannotWriteBeforeTheRun) {
  struct Case {
    const char* name;
    std::string out;
  };
  WriteAll(dir / "file", "the user's");
  const std::vector<Case> cases = {
      {"an existing file", "file"},
      {"a device", "/dev/full"},
      {"under a file", "file/sub"},
  };
  WriteAll(dir / "s.scn", "start\nexpect button 開始\n");
  for (const Case& c : cases) {
    const Result r = Run("--out " + c.out + " s.scn");
    EXPECT_EQ(r.status, 2) << c.name << "\n" << r.err;
    EXPECT_TRUE(Contains(r.err, "plendra-scenario: --out " + c.out + " に書き込めません")) << c.name << r.err;
    // Refused before the run: nothing of it was printed.
    EXPECT_EQ(r.out, "") << c.name;
  }
  EXPECT_EQ(ReadAll(dir / "file"), "the user's");
}

TEST_F(ScenarioCommand, FailsWhenItsOutputDoesNotArrive) {
  WriteAll(dir / "s.scn", "start\nexpect button 開始\n");
  const Result r = Run("s.scn", "", "/dev/full");
  EXPECT_EQ(r.status, 2);
  EXPECT_TRUE(Contains(r.err, "plendra-scenario: 標準出力に書き込めません")) << r.err;
}

TEST_F(ScenarioCommand, FailsWhenAnOutFileCannotBeWrittenAfterTheRun) {
  // The folder is fine, but a folder stands where the drawing is to go.
  fs::create_directories(dir / "result" / "drawing.dxf");
  WriteAll(dir / "s.scn", "start\nexpect button 開始\n");
  const Result r = Run("--out result s.scn");
  EXPECT_EQ(r.status, 2) << r.out << r.err;
  EXPECT_TRUE(Contains(r.err, "plendra-scenario: --out のファイルを書き込めません: result/drawing.dxf"))
      << r.err;
  EXPECT_FALSE(Contains(r.out, "成功")) << r.out;
}

TEST_F(ScenarioCommand, WritesWhatItWasAskedToWithOut) {
  WriteAll(dir / "s.scn", "start\nsetting Okisa -6\n");
  const Result r = Run("--out result s.scn");
  EXPECT_EQ(r.status, 0) << r.err;
  for (const char* name : {"drawing.dxf", "drawing.svg", "plendra.ini", "transcript.txt"})
    EXPECT_TRUE(fs::is_regular_file(dir / "result" / name)) << name;
  EXPECT_TRUE(ReadAll(dir / "result" / "plendra.ini").starts_with("-6\r\n"));
}

TEST_F(ScenarioCommand, AnswersHelpAndRefusesWhatItDoesNotKnow) {
  for (const char* option : {"--help", "-h"}) {
    const Result r = Run(option);
    EXPECT_EQ(r.status, 0) << option;
    EXPECT_TRUE(r.out.starts_with("使い方: plendra-scenario [--out DIR] [--timing] FILE\n"))
        << option << r.out;
    EXPECT_EQ(r.err, "") << option;
  }
  struct Case {
    const char* args;
    const char* error;
  };
  for (const Case& c :
       std::vector<Case>{{"--bogus s.scn", "plendra-scenario: 知らないオプションです: --bogus\n"},
                         {"", "plendra-scenario: シナリオのファイルを指定してください\n"},
                         {"a.scn b.scn", "plendra-scenario: シナリオは一つだけ指定してください: b.scn\n"},
                         {"s.scn --out", "plendra-scenario: --out にフォルダがありません\n"}}) {
    const Result r = Run(c.args);
    EXPECT_EQ(r.status, 2) << c.args;
    EXPECT_TRUE(r.err.starts_with(c.error)) << c.args << ": " << r.err;
    EXPECT_TRUE(Contains(r.err, "使い方: plendra-scenario")) << c.args;
    EXPECT_EQ(r.out, "") << c.args;
  }
}

}  // namespace
