// The read of a building's set of drawings by plendra-report: writes a set of
// sheets (20 of 10 MB by default), each a whole-drawing export whose parts
// tables carry numbers that run on from the sheet before, every fourth sheet
// a UTF-8 AutoCAD 2007 file among code page 932 AutoCAD 2000 ones, then runs
// the check on the folder as the command does, and on each sheet alone one
// after another, and prints the figures --stats gives.
//
//   report_set_bench [SHEETS [MB_PER_SHEET [FOLDER]]]
//
// FOLDER keeps the sheets (written when missing); without it they are
// written to a temporary folder and removed at the end.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/ansi_codec.h"
#include "platform/utf8.h"
#include "report_command.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// The processor time of the whole process, all its threads: on a machine
// that others share, the wall clock says more about them than about the read.
double CpuSeconds() { return static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }

struct Timing {
  double wall = 0, cpu = 0;
};

class Writer {
 public:
  void G(int code, const std::string& value) {
    char head[16];
    std::snprintf(head, sizeof head, "%3d\r\n", code);
    text_ += head;
    text_ += value;
    text_ += "\r\n";
  }
  std::size_t Size() const { return text_.size(); }
  const std::string& Text() const { return text_; }

 private:
  std::string text_;
};

// One sheet: a header naming its release and code page, then dimensions and
// the entries written on them, until the sheet holds `bytes`.
std::uint64_t WriteSheet(const std::filesystem::path& file, std::uint64_t bytes, bool utf8, int& number) {
  Writer w;
  w.G(0, "SECTION");
  w.G(2, "HEADER");
  w.G(9, "$ACADVER");
  w.G(1, utf8 ? "AC1021" : "AC1015");
  w.G(9, "$DWGCODEPAGE");
  w.G(3, "ANSI_932");
  w.G(0, "ENDSEC");
  w.G(0, "SECTION");
  w.G(2, "ENTITIES");
  const char* tags[] = {"X", "Y", "Z", "長さ", "材質", "呼び径", "(1)系統", "(2)番号"};
  int handle = 0x100;
  const auto hex = [&] {
    char text[16];
    std::snprintf(text, sizeof text, "%X", handle++);
    return std::string(text);
  };
  for (int k = 0; w.Size() < bytes; ++k, ++number) {
    const std::string x = std::to_string(1000 * (k % 500)), y = std::to_string(-400 * (k / 500));
    w.G(0, "DIMENSION");
    w.G(5, hex());
    w.G(8, "寸法");
    w.G(2, "*D" + std::to_string(k));
    w.G(10, x);
    w.G(20, y);
    w.G(11, x);
    w.G(21, y);
    w.G(70, "32");
    w.G(42, "1230");
    w.G(3, "配管100");
    w.G(0, "INSERT");
    w.G(5, hex());
    w.G(8, "給水");
    w.G(66, "1");
    w.G(2, "Plendra1");
    w.G(10, x);
    w.G(20, y);
    w.G(41, "250");
    const std::string values[] = {x, y, "0", "1230", "SGP", "20A", "給水", std::to_string(number)};
    for (int a = 0; a < 8; ++a) {
      w.G(0, "ATTRIB");
      w.G(5, hex());
      w.G(8, "0");
      w.G(10, x);
      w.G(20, y);
      w.G(40, "2.5");
      w.G(1, values[a]);
      w.G(2, tags[a]);
      w.G(70, "0");
    }
    w.G(0, "SEQEND");
    w.G(5, hex());
    w.G(8, "給水");
  }
  w.G(0, "ENDSEC");
  w.G(0, "EOF");
  // The texts above are UTF-8; an AutoCAD 2000 sheet is written in 932.
  const std::string out =
      utf8 ? w.Text() : platform::MakeAnsiCodec(932)->ToAnsi(platform::FromUtf8(w.Text()));
  std::ofstream(file, std::ios::binary) << out;
  return out.size();
}

Timing Run(const std::vector<std::string>& words, std::string& err_text) {
  std::vector<plendra_report::Argument> args;
  for (const std::string& w : words) args.push_back({platform::FromUtf8(w), std::filesystem::path(w)});
  std::ostringstream out, err;
  const auto start = Clock::now();
  const double cpu_start = CpuSeconds();
  const int status = plendra_report::RunReportCommand(args, out, err);
  const Timing seconds{Seconds(start), CpuSeconds() - cpu_start};
  err_text = err.str();
  if (status > 1) {
    std::fprintf(stderr, "plendra-report exited %d:\n%s", status, err_text.c_str());
    std::exit(1);
  }
  return seconds;
}

}  // namespace

int main(int argc, char** argv) {
  const int sheets = argc > 1 ? std::atoi(argv[1]) : 20;
  const double mb = argc > 2 ? std::atof(argv[2]) : 10;
  std::filesystem::path folder;
  const bool keep = argc > 3;
  if (keep)
    folder = argv[3];
  else
    folder = std::filesystem::temp_directory_path() /
             ("report-set-bench-" + std::to_string(Clock::now().time_since_epoch().count()));
  if (sheets < 1 || !(mb > 0)) {
    std::fprintf(stderr, "usage: report_set_bench [SHEETS [MB_PER_SHEET [FOLDER]]]\n");
    return 2;
  }
  std::vector<std::string> files;
  if (!std::filesystem::exists(folder)) {
    std::filesystem::create_directories(folder);
    const auto start = Clock::now();
    std::uint64_t bytes = 0;
    int number = 1;
    for (int s = 0; s < sheets; ++s) {
      char name[32];
      std::snprintf(name, sizeof name, "%02dF.dxf", s + 1);
      bytes += WriteSheet(folder / name, static_cast<std::uint64_t>(mb * 1e6), s % 4 == 3, number);
    }
    std::printf("wrote %d sheets, %.1f MB, %d entries, in %s (%.1f s)\n", sheets, bytes / 1e6, number - 1,
                folder.string().c_str(), Seconds(start));
  }
  for (const auto& e : std::filesystem::directory_iterator(folder)) files.push_back(e.path().string());
  std::sort(files.begin(), files.end());

  std::string err;
  std::uint64_t bytes = 0;
  for (const std::string& f : files) bytes += std::filesystem::file_size(f);
  const Timing whole = Run({"check", folder.string(), "--stats"}, err);
  std::printf(
      "the set at once (check FOLDER --stats): %.3f s, processor %.3f s (%.1f MB/s of processor time)\n%s",
      whole.wall, whole.cpu, bytes / 1e6 / whole.cpu, err.c_str());
  Timing alone;
  for (const std::string& f : files) {
    const Timing t = Run({"check", f}, err);
    alone.wall += t.wall;
    alone.cpu += t.cpu;
  }
  std::printf("each sheet alone, one after another: %.3f s (%.2f times the set's), processor %.3f s\n",
              alone.wall, alone.wall / whole.wall, alone.cpu);
  if (!keep) std::filesystem::remove_all(folder);
  return 0;
}
