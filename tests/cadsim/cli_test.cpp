// The native cadsim program: a drawing, typed input, a script file and the
// scripted user's picks replayed, the command line's history printed.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include "cadsim/session.h"
#include "cadsim_fixture.h"

namespace cadsim_test {
namespace {

struct Ran {
  int status = -1;
  std::string out;
};

Ran Cadsim(const std::string& arguments) {
  Ran r;
  const std::string command = std::string(CADSIM_PROGRAM) + " " + arguments + " 2>/dev/null";
  if (FILE* p = popen(command.c_str(), "r")) {
    char buf[512];
    while (std::fgets(buf, sizeof buf, p)) r.out += buf;
    const int status = pclose(p);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  return r;
}

class Cli : public CadsimTest {};

TEST_F(Cli, ReplaysTypingAScriptAndPicksAndPrintsTheHistory) {
  const std::filesystem::path script = desktop.TempFolder() / "layer.scr";
  const std::filesystem::path out = desktop.TempFolder() / "cli-out.dxf";
  // A script file as AutoCAD reads it: code page 932, CR LF, a comment.
  std::ofstream(script, std::ios::binary)
      << desktop.Codec().ToAnsi(u"; 新しい画層\r\n-layer\r\nn\r\n新設\r\n\r\n");
  const Ran r = Cadsim("--drawing " + (DataDir() / "sample.dxf").string() +
                       " --release 8 --picks 500:at:615\\;-212.5 --type 'select^M' --type '^M' --script " +
                       script.string() + " --type 'attdia^M1^M' --write " + out.string());
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("コマンド: select\nオブジェクトを選択: \n認識された数: 1\nオブジェクトを選択: \n"),
            std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("新規画層の名前を入力 (複数可): 新設\n"), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find("新しい画層"), std::string::npos) << "the comment is not typed";
  EXPECT_TRUE(r.out.ends_with("ATTDIA の新しい値を入力 <0>: 1\nコマンド: \n")) << r.out;
  cadsim::Drawing written = cadsim::ReadDxfFile(out, desktop.Codec());
  EXPECT_NE(written.FindLayer(u"新設"), nullptr);
}

TEST_F(Cli, RefusesWhatItCannotRead) {
  for (const char* arguments :
       {"--release 9", "--picks 100:jump", "--type", "--script /nonexistent.scr", "--colour 3"})
    EXPECT_EQ(Cadsim(arguments).status, 2) << arguments;
}

struct ScriptCase {
  std::u16string_view file, keys;
};

TEST(ScriptKeys, TypesEachLineWithEnterAndSkipsComments) {
  const ScriptCase cases[] = {
      {u"filedia\n0\n", u"filedia\r0\r"},
      {u"filedia\r\n0\r\n", u"filedia\r0\r"},
      {u"; comment\r\nid\r\n\r\n", u"id\r\r"},
      {u"-layer\nn\n新設\n\n", u"-layer\rn\r新設\r\r"},
      {u"id\n0,0", u"id\r0,0"},  // the last line waits for its Enter
  };
  for (const ScriptCase& c : cases) EXPECT_EQ(cadsim::ScriptKeys(c.file), c.keys);
}

}  // namespace
}  // namespace cadsim_test
