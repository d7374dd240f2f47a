// A cadsim on the simulated desktop with the sample drawing, and a link
// library connected to it, for tests that type what the system types.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "app/releases.h"
#include "cadsim/dxf.h"
#include "cadsim/sim_cad.h"
#include "link/errors.h"
#include "link/pw_acad.h"
#include "link/pw_control.h"
#include "platform/sim/desktop.h"
#include "platform/utf8.h"

namespace cadsim_test {

inline std::filesystem::path SourceDir() {
  const char* dir = std::getenv("PLENDRA_SOURCE_DIR");
  return dir ? std::filesystem::path(dir) : std::filesystem::current_path();
}

inline std::filesystem::path DataDir() { return SourceDir() / "data"; }

class CadsimTest : public ::testing::Test {
 protected:
  // Starts cadsim (release row, drawing) and connects the link library with
  // that row's titles and prompt, as the application's start-up does.
  void Start(int release = 1, std::optional<cadsim::Drawing> drawing = std::nullopt) {
    cadsim::SimCadOptions options;
    options.release = release;
    options.drawing_path = u"C:\\図面\\sample.dwg";
    options.block_folders = {DataDir().u16string()};
    options.folders = folders;
    acad = std::make_unique<cadsim::SimCad>(desktop, drawing ? std::move(*drawing) : Sample(), options);
    Connect(release);
  }

  void Connect(int row) {
    link.put_CheckMainCmdWindow(true);
    plendra::ApplyRelease(link, static_cast<std::size_t>(row));
    ASSERT_EQ(link.Search(), -1) << "row " << row;
    control = link.Control();
  }

  cadsim::Drawing Sample() { return cadsim::ReadDxfFile(DataDir() / "sample.dxf", desktop.Codec()); }

  std::u16string Prompt() { return link.get_CommandPrompt(); }
  std::int32_t Send(std::u16string_view keys) { return control->SendCommand(keys, Prompt()); }
  std::int32_t Post(std::u16string_view keys) { return control->PostCommand(keys); }
  std::u16string History() {
    std::u16string h;
    control->GetHistory(h);
    return h;
  }
  std::u16string CurrentPrompt() {
    std::u16string p;
    control->GetPrompt(p);
    return p;
  }
  cadsim::Cad& Cad() { return acad->Cad(); }
  // The dimension with this measured value.
  cadsim::Handle DimensionMeasuring(double value) {
    for (const cadsim::Entity& e : TheDrawing().entities)
      if (const auto* d = std::get_if<cadsim::Dimension>(&e); d && std::abs(d->measurement - value) < 1e-6)
        return d->handle;
    ADD_FAILURE() << "no dimension measuring " << value;
    return 0;
  }
  cadsim::Drawing& TheDrawing() { return acad->TheDrawing(); }

  // The folder the link library hands AutoCAD for its scratch file.
  std::u16string Folder() { return desktop.Codec().FromAnsi(desktop.Folders().TempPathAnsi(255)); }
  std::filesystem::path Scratch() { return desktop.TempFolder() / "Wexa.dxf"; }
  cadsim::Drawing ReadScratch() { return cadsim::ReadDxfFile(Scratch(), desktop.Codec()); }

  // The export strings of the three selection options, as the link library
  // types them.
  std::u16string SglExport() {
    return u"filedia^M0^Msaveas^Mdxf^Mv^M2000^Mo^Mp^M^M^M" + Folder() + u"Wexa.dxf^M";
  }
  std::u16string AllExport() {
    return u"filedia^M0^Msaveas^Mdxf^Mv^M2000^Mo^Mall^M^M^M" + Folder() + u"Wexa.dxf^M";
  }
  std::u16string AutoExport() { return u"filedia^M0^Mdxfout^M" + Folder() + u"Wexa.dxf^Mv^M2000^M^M"; }

  // The export after the post, as the link library finishes it: answer the
  // replace question if one is shown, then restore FILEDIA and wait.
  void FinishExport() {
    if (CurrentPrompt() != Prompt()) Send(u"y^M");
    ASSERT_EQ(Send(u"filedia^M1^M"), -1);
  }

  // Windows folders and the folders here that stand for them (set before Start).
  std::vector<std::pair<std::u16string, std::u16string>> folders;
  platform::sim::Desktop desktop;
  platform::ScopedPlatform bind{desktop};
  std::unique_ptr<cadsim::SimCad> acad;
  korvel::PwAcad link;
  std::shared_ptr<korvel::PwControl> control;
};

template <class T>
std::vector<const T*> All(const cadsim::Drawing& d) {
  std::vector<const T*> found;
  for (const cadsim::Entity& e : d.entities)
    if (const auto* x = std::get_if<T>(&e)) found.push_back(x);
  return found;
}

// A DIMENSION record without its anonymous block, as small writers leave it.
inline std::string DimensionWithoutBlock() {
  return "  0\nSECTION\n  2\nENTITIES\n  0\nDIMENSION\n  5\n2A\n  8\n0\n  2\n*D7\n 10\n0\n 20\n100\n"
         " 11\n500\n 21\n110\n 70\n32\n 42\n1000\n  3\nStandard\n 13\n0\n 23\n0\n 14\n1000\n 24\n0\n"
         " 50\n0\n  0\nENDSEC\n  0\nEOF\n";
}

inline std::u16string Decimal(std::size_t n) {
  const std::string s = std::to_string(n);
  return std::u16string(s.begin(), s.end());
}

inline std::u16string Ascii(std::string_view s) { return std::u16string(s.begin(), s.end()); }

// UTF-8 test text as UTF-16.
inline std::u16string Widen(std::string_view utf8) { return platform::FromUtf8(utf8); }

inline bool EndsWith(std::u16string_view text, std::u16string_view end) { return text.ends_with(end); }

// ezdxf, as Debian ships it (python3-ezdxf): another program's reader and
// writer of DXF.
inline bool HaveEzdxf() { return std::system("/usr/bin/python3 -c 'import ezdxf' >/dev/null 2>&1") == 0; }

// Runs /usr/bin/python3 with the arguments; its output, stderr included.
inline std::string Python(const std::string& arguments) {
  const std::string command = "/usr/bin/python3 " + arguments + " 2>&1";
  std::string out;
  if (FILE* p = popen(command.c_str(), "r")) {
    char buf[512];
    while (std::fgets(buf, sizeof buf, p)) out += buf;
    pclose(p);
  }
  return out;
}

inline std::string ReadBytes(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

}  // namespace cadsim_test
