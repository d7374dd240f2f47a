// The native cadsim program under a careless or hostile user: each bad
// input is said in Japanese with a non-zero exit, never an abort, and never
// written into a drawing or a picture.
#include <gtest/gtest.h>

#include <regex>

#include "cadsim_fixture.h"
#include "support/shell_run.h"

namespace cadsim_test {
namespace {

using Ran = test_support::ShellRun;
using test_support::FileBytes;

// Runs cadsim as a shell runs it; stdout_to replaces the captured standard
// output ("/dev/full" for a full disk).
Ran RunCadsim(const std::filesystem::path& folder, const std::string& arguments,
              const std::string& stdout_to = "") {
  return test_support::RunInShell(std::string(CADSIM_PROGRAM) + " " + arguments, folder, stdout_to);
}

class CliBadInput : public CadsimTest {
 protected:
  std::filesystem::path Temp(const char* name) { return desktop.TempFolder() / name; }
};

struct Refused {
  const char* what;
  std::string arguments;
  int status;
  const char* says;  // on standard error
};

TEST_F(CliBadInput, RefusesInJapaneseWithoutAborting) {
  const std::filesystem::path folder = desktop.TempFolder();
  std::filesystem::create_directories(Temp("a folder.scr"));
  const Refused cases[] = {
      {"a folder as the script", "--script '" + Temp("a folder.scr").string() + "'", 2,
       "フォルダはスクリプトファイルとして読めません"},
      {"a script that is not there", "--script /nonexistent/x.scr", 2,
       "ファイルを開けません: /nonexistent/x.scr"},
      {"a picked point that is not a number", "--picks '500:at:nan;0'", 2, "--picks を読めません"},
      {"an infinite picked point", "--picks '500:at:0;inf'", 2, "--picks を読めません"},
      {"a picked point beyond any drawing", "--picks '500:at:1e300;0'", 2, "--picks を読めません"},
      {"an option without its value", "--type", 2, "--type に値がありません。"},
      {"an unknown option", "--colour 3", 2, "不明なオプションです: --colour"},
      {"a release out of range", "--release 9", 2, "--release は 0 から 8 です。"},
      {"the picture to a full disk", "--svg /dev/full", 1, "書き込めません: /dev/full"},
      {"the drawing to a full disk", "--write /dev/full", 1, "書き込めません: /dev/full"},
      {"the picture to a folder", "--svg " + folder.string(), 1, "書き込めません: "},
  };
  for (const Refused& c : cases) {
    SCOPED_TRACE(c.what);
    const Ran r = RunCadsim(folder, c.arguments);
    EXPECT_EQ(r.status, c.status) << r.err;
    EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("terminate called"), std::string::npos) << r.err;
  }
}

TEST_F(CliBadInput, AHistoryThatDoesNotReachStandardOutputFails) {
  const Ran r = RunCadsim(desktop.TempFolder(), "--type 'filedia^M0^M'", "/dev/full");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("書き込めません: 標準出力"), std::string::npos) << r.err;
}

TEST_F(CliBadInput, HelpIsTheUsageOnStandardOutput) {
  for (const char* option : {"--help", "-h"}) {
    SCOPED_TRACE(option);
    const Ran r = RunCadsim(desktop.TempFolder(), option);
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(r.out.starts_with("使い方: cadsim [--drawing 図面.dxf]")) << r.out;
    EXPECT_NE(r.out.find("--svg 出力.svg"), std::string::npos) << r.out;
    EXPECT_EQ(r.err, "");
  }
}

// Typed points that AutoCAD would not take: each is refused at the LINE
// prompt, which asks again, and the point typed next is the line's start.
TEST_F(CliBadInput, PointsThatAreNoPointsAreAskedForAgain) {
  const char* kBad[] = {"nan,0", "0,nan", "inf,0", "0,-inf", "1e308,0", "0,-1e13", "1,2,inf"};
  for (const char* point : kBad) {
    SCOPED_TRACE(point);
    const std::filesystem::path out = Temp("points.dxf");
    std::filesystem::remove(out);
    const Ran r = RunCadsim(desktop.TempFolder(), std::string("--type 'line^M") + point +
                                                      "^M100,200^M300,400^M^M' --write " + out.string());
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find(std::string("1 点目を指定: ") + point + "\n点が必要です。\n1 点目を指定: 100,200\n"),
              std::string::npos)
        << r.out;
    // The drawing written reads back (no "nan" in it) and holds the one line.
    const cadsim::Drawing written = cadsim::ReadDxfFile(out, desktop.Codec());
    ASSERT_EQ(written.entities.size(), 1u);
    const auto* line = std::get_if<cadsim::Line>(&written.entities.front());
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->start.x, 100);
    EXPECT_EQ(line->end.y, 400);
  }
}

TEST_F(CliBadInput, APictureOfADrawingAtTheEdgeOfTheNumbersHasASaneHeight) {
  // A drawing another program wrote with coordinates near the largest double.
  const std::filesystem::path dxf = Temp("far.dxf"), svg = Temp("far.svg");
  std::ofstream(dxf, std::ios::binary) << "  0\r\nSECTION\r\n  2\r\nENTITIES\r\n"
                                          "  0\r\nLINE\r\n  8\r\n0\r\n 10\r\n-1e308\r\n 20\r\n-1e308\r\n"
                                          " 11\r\n1e308\r\n 21\r\n1e308\r\n"
                                          "  0\r\nLINE\r\n  8\r\n0\r\n 10\r\n0\r\n 20\r\n0\r\n"
                                          " 11\r\n1\r\n 21\r\n1e300\r\n"
                                          "  0\r\nENDSEC\r\n  0\r\nEOF\r\n";
  const Ran r = RunCadsim(desktop.TempFolder(), "--drawing " + dxf.string() + " --svg " + svg.string());
  ASSERT_EQ(r.status, 0) << r.err;
  std::smatch m;
  const std::string picture = FileBytes(svg);
  ASSERT_TRUE(std::regex_search(picture, m, std::regex("height=\"(-?[0-9]+)\""))) << picture.substr(0, 300);
  const long height = std::stol(m[1]);
  EXPECT_GT(height, 0);
  EXPECT_LE(height, 120000);
}

// A script line longer than the command line takes is refused whole, with a
// message, and cadsim goes on at the same prompt; one of exactly the limit is
// typed. Two megabytes in one line used to take minutes (each character
// erased from the front of the input).
TEST_F(CliBadInput, AnOverlongScriptLineIsRefusedAndTheNextLineTyped) {
  struct Case {
    std::size_t length;
    bool refused;
  };
  for (const Case c :
       {Case{cadsim::kLongestInput, false}, Case{cadsim::kLongestInput + 1, true}, Case{2'000'000, true}}) {
    SCOPED_TRACE(c.length);
    const std::filesystem::path script = Temp("long.scr");
    std::ofstream(script, std::ios::binary) << "-layer\r\nn\r\n"
                                            << std::string(c.length, 'L') << "\r\nn\r\nB\r\n\r\n";
    const Ran r = RunCadsim(desktop.TempFolder(), "--script " + script.string());
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string refusal = "入力が長すぎます。1024 文字までです。\n";
    EXPECT_EQ(r.out.find(refusal) != std::string::npos, c.refused) << r.out.substr(0, 2000);
    if (c.refused) {
      // The same prompt takes the next line ("n" is then the new layer's
      // name), and the history keeps no megabyte line.
      EXPECT_NE(r.out.find(refusal + "新規画層の名前を入力 (複数可): n\n"), std::string::npos);
      EXPECT_LT(r.out.size(), 20'000u);
    } else {
      EXPECT_NE(r.out.find("新規画層の名前を入力 (複数可): " + std::string(c.length, 'L') + "\n"),
                std::string::npos);
    }
  }
}

}  // namespace
}  // namespace cadsim_test
