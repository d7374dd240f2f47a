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
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "cadsim/dxf.h"
#include "cadsim/session.h"
#include "cadsim/svg.h"
#include "cadsim/user_script.h"
#include "link/control_codes.h"
#include "platform/ansi_codec.h"
#include "platform/utf8.h"

namespace {

int Usage(const char* problem) {
  std::fprintf(stderr,
               "cadsim: %s\n"
               "usage: cadsim [--drawing IN.dxf] [--release 0..8] [--name C:\\x.dwg] [--blocks FOLDER]...\n"
               "              [--folder WINDOWS-FOLDER=FOLDER]...\n"
               "              [--picks SCRIPT] [--type TEXT]... [--script FILE.scr]... [--write OUT.dxf]\n"
               "              [--svg OUT.svg] [--saveas renames|keeps]\n",
               problem);
  return 2;
}

bool ReadFile(const std::string& path, std::string& bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  auto codec = platform::MakeAnsiCodec(932);
  std::string in, out, svg;
  cadsim::Session session;
  std::u16string name;
  for (int i = 1; i < argc; ++i) {
    const std::string option = argv[i];
    if (i + 1 >= argc) return Usage(("missing value for " + option).c_str());
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
      if (eq == std::u16string::npos) return Usage("--folder takes WINDOWS-FOLDER=FOLDER");
      session.folders.emplace_back(text.substr(0, eq), text.substr(eq + 1));
    } else if (option == "--saveas") {
      // Whether SAVEAS makes the file it wrote the current drawing.
      if (value != "renames" && value != "keeps") return Usage("--saveas takes renames or keeps");
      session.saveas_renames = value == "renames";
    } else if (option == "--release") {
      if (value.size() != 1 || value[0] < '0' || value[0] > '8') return Usage("--release takes 0 to 8");
      session.release = value[0] - '0';
    } else if (option == "--picks") {
      const auto picks = cadsim::ParseUserScript(text);
      if (!picks) return Usage(("cannot read --picks " + value).c_str());
      session.picks.insert(session.picks.end(), picks->begin(), picks->end());
    } else if (option == "--type") {
      session.inputs.push_back(korvel::ExpandControlCodes(text));
    } else if (option == "--script") {
      std::string bytes;
      if (!ReadFile(value, bytes)) return Usage(("cannot read " + value).c_str());
      session.inputs.push_back(cadsim::ScriptKeys(codec->FromAnsi(bytes)));
    } else {
      return Usage(("unknown option " + option).c_str());
    }
  }

  cadsim::Drawing drawing;
  if (!in.empty()) {
    cadsim::ReadReport report;
    try {
      drawing = cadsim::ReadDxfFile(in, *codec, &report);
    } catch (const cadsim::DxfError& e) {
      std::fprintf(stderr, "cadsim: %s: %s\n", in.c_str(), e.what());
      return 1;
    }
    std::fprintf(stderr, "cadsim: %s: %zu entities, %zu blocks, %d kept unread\n", in.c_str(),
                 drawing.entities.size(), drawing.blocks.size(), report.foreign_entities);
  }
  session.drawing_path = !name.empty() ? name : in.empty() ? session.drawing_path : platform::FromUtf8(in);

  const cadsim::SessionResult result = cadsim::RunSession(std::move(drawing), session);
  for (const std::u16string& line : result.history) std::printf("%s\n", platform::ToUtf8(line).c_str());
  std::printf("%s\n", platform::ToUtf8(result.prompt).c_str());

  if (!out.empty() && !cadsim::WriteDxfFile(out, result.drawing, *codec)) {
    std::fprintf(stderr, "cadsim: cannot write %s\n", out.c_str());
    return 1;
  }
  if (!svg.empty()) {
    std::ofstream file(svg, std::ios::binary);
    file << cadsim::RenderSvg(result.drawing);
    if (!file) {
      std::fprintf(stderr, "cadsim: cannot write %s\n", svg.c_str());
      return 1;
    }
  }
  return 0;
}
