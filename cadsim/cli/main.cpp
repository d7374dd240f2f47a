// cadsim [--drawing IN.dxf] [--release 0..8] [--name C:\図面\x.dwg] [--blocks FOLDER]...
//        [--folder "C:\Program Files\Plendra=/some/folder"]...
//        [--picks SCRIPT] [--type TEXT]... [--script FILE.scr]... [--write OUT.dxf] [--svg OUT.svg]
//
// Loads a drawing, types what --type and --script give (in the order given)
// while the scripted user of --picks picks, prints the command line's
// history, and writes the drawing back (and, if asked, as a picture). Anyone
// can so replay what happened with a drawing, or check the reader, the
// writer and the rendering on their own files.
//
// --type takes the control-code notation of the link library: "^C" cancels,
// "^M" is Enter, "^J" a line feed. --script reads an AutoCAD script file (code
// page 932): each line typed and ended with Enter.
//
// Exit codes: 0 done, 1 a drawing that cannot be read or an output that
// cannot be written (standard output included), 2 a command line refused.
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <new>
#include <string>

#include "cadsim/dxf.h"
#include "cadsim/session.h"
#include "cadsim/svg.h"
#include "cadsim/user_script.h"
#include "link/control_codes.h"
#include "platform/ansi_codec.h"
#include "platform/utf8.h"

namespace {

const char kUsage[] =
    "使い方: cadsim [--drawing 図面.dxf] [--release 0～8] [--name C:\\図面\\x.dwg] [--blocks フォルダ]...\n"
    "               [--folder WINDOWSのフォルダ=フォルダ]...\n"
    "               [--picks 利用者の操作] [--type 入力]... [--script ファイル.scr]... [--write 出力.dxf]\n"
    "               [--svg 出力.svg] [--saveas renames|keeps]\n"
    "  図面を読み、--type と --script の入力を与えた順に打ち込み (--picks の利用者が指示し)、\n"
    "  コマンドラインの履歴を表示して、図面とその絵を書き出します。\n"
    "  --type は ^C (キャンセル)、^M (Enter)、^J (改行) を打ち込みます。--script は AutoCAD の\n"
    "  スクリプトファイル (シフト JIS) の各行を打ち込み、Enter で終えます。\n"
    "  --saveas は SAVEAS が書いたファイルを現在の図面にするか (renames、既定) しないか (keeps) です。\n"
    "  一つの入力は 1024 文字まで、座標は絶対値 1e12 までの数です。\n"
    "  -h, --help    この説明を表示します。\n";

int WriteFailed(const std::string& where) {
  std::fprintf(stderr, "cadsim: 書き込めません: %s\n", where.c_str());
  return 1;
}

int Usage(const std::string& problem) {
  std::fprintf(stderr, "cadsim: %s\n%s", problem.c_str(), kUsage);
  return 2;
}

// Reads a whole file; a folder, a missing file or a read error is a message.
bool ReadFile(const std::string& path, std::string& bytes, std::string& problem) {
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) {
    problem = "フォルダはスクリプトファイルとして読めません: " + path;
    return false;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    problem = "ファイルを開けません: " + path;
    return false;
  }
  // The stream library reports a read error (a disk error, a folder that
  // slipped through) by throwing from inside the iterator.
  try {
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  } catch (const std::exception&) {
    in.setstate(std::ios::badbit);
  }
  if (in.bad()) {
    problem = "ファイルを読めません: " + path;
    return false;
  }
  return true;
}

// Writes the whole text and closes the file; false when any of it did not
// reach the disk (a full disk, a folder in its place).
bool WriteWhole(const std::string& path, const std::string& text) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  if (!file) return false;
  file.write(text.data(), static_cast<std::streamsize>(text.size()));
  file.close();
  return !file.fail();
}

int Run(int argc, char** argv) {
  auto codec = platform::MakeAnsiCodec(932);
  std::string in, out, svg;
  cadsim::Session session;
  std::u16string name;
  for (int i = 1; i < argc; ++i) {
    const std::string option = argv[i];
    if (option == "--help" || option == "-h") {
      std::fputs(kUsage, stdout);
      return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : WriteFailed("標準出力");
    }
    if (i + 1 >= argc) return Usage(option + " に値がありません。");
    const std::string value = argv[++i];
    const std::u16string text = platform::FromUtf8(value);
    if (option == "--drawing") {
      in = value;
    } else if (option == "--write") {
      out = value;
    } else if (option == "--svg") {
      svg = value;
    } else if (option == "--name") {
      name = text;
    } else if (option == "--blocks") {
      session.block_folders.push_back(text);
    } else if (option == "--folder") {
      // A Windows folder typed at file-name prompts and the folder here that
      // stands for it.
      const std::size_t eq = text.find(u'=');
      if (eq == std::u16string::npos) return Usage("--folder は WINDOWSのフォルダ=フォルダ です: " + value);
      session.folders.emplace_back(text.substr(0, eq), text.substr(eq + 1));
    } else if (option == "--saveas") {
      // Whether SAVEAS makes the file it wrote the current drawing.
      if (value != "renames" && value != "keeps") return Usage("--saveas は renames か keeps です: " + value);
      session.saveas_renames = value == "renames";
    } else if (option == "--release") {
      if (value.size() != 1 || value[0] < '0' || value[0] > '8') return Usage("--release は 0 から 8 です。");
      session.release = value[0] - '0';
    } else if (option == "--picks") {
      const auto picks = cadsim::ParseUserScript(text);
      if (!picks) return Usage("--picks を読めません: " + value);
      session.picks.insert(session.picks.end(), picks->begin(), picks->end());
    } else if (option == "--type") {
      session.inputs.push_back(korvel::ExpandControlCodes(text));
    } else if (option == "--script") {
      std::string bytes, problem;
      if (!ReadFile(value, bytes, problem)) return Usage(problem);
      session.inputs.push_back(cadsim::ScriptKeys(codec->FromAnsi(bytes)));
    } else {
      return Usage("不明なオプションです: " + option);
    }
  }

  cadsim::Drawing drawing;
  if (!in.empty()) {
    cadsim::ReadReport report;
    try {
      drawing = cadsim::ReadDxfFile(in, *codec, &report);
    } catch (const std::exception& e) {  // a DxfError with its line, or a read error
      std::fprintf(stderr, "cadsim: 図面を読めません: %s: %s\n", in.c_str(), e.what());
      return 1;
    }
    std::fprintf(stderr, "cadsim: %s: 図形 %zu 個、ブロック %zu 個、読まずに保持した図形 %d 個\n", in.c_str(),
                 drawing.entities.size(), drawing.blocks.size(), report.foreign_entities);
  }
  session.drawing_path = !name.empty() ? name : in.empty() ? session.drawing_path : platform::FromUtf8(in);

  const cadsim::SessionResult result = cadsim::RunSession(std::move(drawing), session);
  for (const std::u16string& line : result.history) std::printf("%s\n", platform::ToUtf8(line).c_str());
  std::printf("%s\n", platform::ToUtf8(result.prompt).c_str());
  // The history is what the user came for: a full disk or a closed pipe
  // under it is a failure, not a run that printed nothing.
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) return WriteFailed("標準出力");

  if (!out.empty() && !cadsim::WriteDxfFile(out, result.drawing, *codec)) return WriteFailed(out);
  if (!svg.empty() && !WriteWhole(svg, cadsim::RenderSvg(result.drawing))) return WriteFailed(svg);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  // Nothing a user gives may end the program by an uncaught exception: what
  // went wrong is said, and the exit code is that of a refused command line.
  try {
    return Run(argc, argv);
  } catch (const std::bad_alloc&) {
    std::fputs("cadsim: メモリが不足しています。\n", stderr);
  } catch (const std::filesystem::filesystem_error& e) {
    std::fprintf(stderr, "cadsim: ファイルを扱えません: %s: %s\n", e.path1().string().c_str(), e.what());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "cadsim: 処理を続けられません: %s\n", e.what());
  }
  return 2;
}
