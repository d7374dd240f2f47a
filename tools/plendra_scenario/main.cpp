// plendra-scenario: runs Plendra on the simulated desktop against cadsim from
// a scenario file and prints what the user would have seen.
//
//   plendra-scenario [--out DIR] [--timing] FILE
//
// Exit status: 0 when every expectation held, 1 when one failed (standard
// error names the line), 2 for a usage error, a file that cannot be read or
// holds no action, an output that cannot be written, or any other fault.
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <system_error>

#include "scenario.h"

namespace {

constexpr const char* kUsage =
    "使い方: plendra-scenario [--out DIR] [--timing] FILE\n"
    "  シナリオ FILE のとおりに Plendra を模擬デスクトップ上で cadsim に対して動かし、\n"
    "  利用者に見えたことを標準出力に書きます。失敗は標準エラーに書きます。\n"
    "  --out DIR   終わった後の図面 (drawing.dxf, drawing.svg)、plendra.ini と\n"
    "              記録 (transcript.txt) を DIR に書きます\n"
    "  --timing    記入ごとに選択から「…を書き込みました」まで、検索ごとに系統の選択から終わりまでの\n"
    "              仮想時間 (ms)、AutoCAD に渡したコマンド行の数とプロンプトを読んだ回数を記録に書きます\n"
    "  -h, --help  この説明を書きます\n"
    "終了状態: 0 すべて成功、1 シナリオの行が失敗、2 使い方の誤り・読めないファイル・書けない出力\n";

// The folder --out names, made before the run so that a long run does not
// end in an error it could have found at once. Empty when it can be used.
std::string OutFolderProblem(const std::filesystem::path& dir) {
  std::error_code e;
  if (std::filesystem::exists(dir, e)) {
    if (!std::filesystem::is_directory(dir, e)) return "フォルダではありません";
    return std::string();
  }
  std::filesystem::create_directories(dir, e);
  return e ? "フォルダを作れません (" + e.message() + ")" : std::string();
}

int Run(int argc, char** argv) {
  std::optional<std::filesystem::path> out_dir;
  std::optional<std::filesystem::path> file;
  bool timing = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
      std::cout << kUsage;
      std::cout.flush();
      return std::cout ? 0 : 2;
    }
  }
  std::string problem;
  for (int i = 1; i < argc && problem.empty(); ++i) {
    if (std::strcmp(argv[i], "--out") == 0) {
      if (i + 1 >= argc || argv[i + 1][0] == '\0')
        problem = "--out にフォルダがありません";
      else if (out_dir)
        problem = "--out が二つあります";
      else
        out_dir = argv[++i];
    } else if (std::strcmp(argv[i], "--timing") == 0) {
      timing = true;
    } else if (argv[i][0] == '-' && argv[i][1] != '\0') {
      problem = std::string("知らないオプションです: ") + argv[i];
    } else if (file) {
      problem = std::string("シナリオは一つだけ指定してください: ") + argv[i];
    } else if (argv[i][0] == '\0') {
      problem = "シナリオのファイル名が空です";
    } else {
      file = argv[i];
    }
  }
  if (problem.empty() && !file) problem = "シナリオのファイルを指定してください";
  if (!problem.empty()) {
    std::cerr << "plendra-scenario: " << problem << "\n" << kUsage;
    return 2;
  }
  if (out_dir) {
    const std::string why = OutFolderProblem(*out_dir);
    if (!why.empty()) {
      std::cerr << "plendra-scenario: --out " << out_dir->string() << " に書き込めません: " << why << "\n";
      return 2;
    }
  }
  const int status = scenario::RunFile(*file, out_dir, std::cout, std::cerr, timing);
  // The transcript is the program's output: a full disk or a closed pipe
  // must not pass for a run that printed everything.
  std::cout.flush();
  if (!std::cout || std::fflush(stdout) != 0 || std::ferror(stdout)) {
    std::cerr << "plendra-scenario: 標準出力に書き込めません\n";
    return 2;
  }
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  // No input may end the program by an uncaught exception: what went wrong
  // is said, and the status is that of an error.
  try {
    return Run(argc, argv);
  } catch (const std::exception& error) {
    std::cerr << "plendra-scenario: 予期しないエラーで止まりました: " << error.what() << "\n";
  } catch (...) {
    std::cerr << "plendra-scenario: 予期しないエラーで止まりました\n";
  }
  return 2;
}
