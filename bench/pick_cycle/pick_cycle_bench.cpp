// pick_cycle_bench: the draughtsman's working cycle, from a pick to the
// written entry, as Plendra runs it on the simulated desktop against cadsim.
//
//   pick_cycle_bench [--picks=N] [--command-ms=MS[,MS...]]
//
// It writes a drawing of N horizontal dimensions (copies of one of the
// sample's) and runs one continuous run of N picks over it, the user picking
// each dimension as soon as AutoCAD asks, the entries going onto the
// system's layer; then Esc. For each command time (every command AutoCAD runs
// takes that long) it prints, per entry: the virtual milliseconds of the
// cycle (the run's time over N), the part of it from the pick to the status
// "…を書き込みました", the part beyond the commands' own time (the commands
// AutoCAD finished times the command time), the command lines handed over,
// the commands finished, the prompt reads, and the CPU time the process spent.
// The virtual clock is the simulated desktop's: the figures do not depend on
// the machine, except the CPU time.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <system_error>
#include <variant>
#include <vector>

#include "cadsim/dxf.h"
#include "platform/sim/desktop.h"
#include "scenario.h"
#include "scenario_data.h"

namespace {

struct Options {
  int picks = 100;
  std::vector<std::uint32_t> command_ms = {0, 10, 50, 200};
};

bool Parse(int argc, char** argv, Options* o) {
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    const auto value = [&](const char* name) -> const char* {
      const std::string prefix = std::string(name) + "=";
      return a.rfind(prefix, 0) == 0 ? argv[i] + prefix.size() : nullptr;
    };
    if (const char* v = value("--picks")) {
      o->picks = std::atoi(v);
      if (o->picks < 1 || o->picks > 10000) return false;
    } else if (const char* v = value("--command-ms")) {
      o->command_ms.clear();
      std::stringstream list(v);
      std::string item;
      while (std::getline(list, item, ',')) {
        if (item.empty() || item.find_first_not_of("0123456789") != std::string::npos) return false;
        o->command_ms.push_back(static_cast<std::uint32_t>(std::stoul(item)));
      }
      if (o->command_ms.empty()) return false;
    } else {
      return false;
    }
  }
  return true;
}

// The sample with n copies of one of its horizontal dimensions, one below
// the other; their handles, in order.
std::vector<cadsim::Handle> WriteDrawing(const std::filesystem::path& sample,
                                         const std::filesystem::path& out, int n,
                                         platform::TextCodec& codec) {
  cadsim::Drawing d = cadsim::ReadDxfFile(sample, codec);
  const cadsim::Dimension* model = nullptr;
  for (const cadsim::Entity& e : d.entities)
    if (const auto* dim = std::get_if<cadsim::Dimension>(&e); dim && dim->Kind() == 0 && dim->angle == 0) {
      model = dim;
      break;
    }
  if (model == nullptr) throw std::runtime_error("the sample holds no horizontal dimension");
  const cadsim::Dimension original = *model;
  std::vector<cadsim::Handle> handles;
  for (int i = 0; i < n; ++i) {
    cadsim::Dimension copy = original;
    copy.handle = d.NewHandle();
    copy.kept = {};
    copy.block.clear();  // drawn anew, as a dimension read without its block
    const double dy = -3000.0 * (i + 1);
    for (cadsim::Point* p : {&copy.definition, &copy.text_mid, &copy.p13, &copy.p14, &copy.p15, &copy.p16})
      p->y += dy;
    handles.push_back(copy.handle);
    d.entities.push_back(copy);
  }
  d.Complete();
  if (!cadsim::WriteDxfFile(out, d, codec)) throw std::runtime_error("cannot write " + out.string());
  return handles;
}

std::string Hex(cadsim::Handle h) {
  char text[32];
  std::snprintf(text, sizeof text, "%llX", static_cast<unsigned long long>(h));
  return text;
}

double CpuMs() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return t.tv_sec * 1000.0 + t.tv_nsec / 1e6;
}

struct Figures {
  double cycle_ms = 0, pick_to_status_ms = 0, commands = 0, finished = 0, reads = 0, cpu_ms = 0;
  bool ok = false;
};

// The figures from the transcript's timing lines of the entries.
void AddEntryTimings(const std::string& transcript, Figures* f, int* entries) {
  std::istringstream lines(transcript);
  std::string line;
  while (std::getline(lines, line)) {
    const auto at = line.find("を書き込みました: ");
    if (line.find("timing: entry") == std::string::npos || at == std::string::npos) continue;
    unsigned long ms = 0, commands = 0, reads = 0;
    if (std::sscanf(line.c_str() + at + std::string("を書き込みました: ").size(),
                    "%lu ms, %lu commands, %lu prompt reads", &ms, &commands, &reads) == 3) {
      f->pick_to_status_ms += static_cast<double>(ms);
      ++*entries;
    }
  }
}

// The shipped system list with room for every number the run writes.
void WriteSystemList(const std::filesystem::path& shipped, const std::filesystem::path& out, int numbers) {
  std::ifstream in(shipped, std::ios::binary);
  std::ofstream list(out, std::ios::binary);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line == "!!") break;
    list << line << "\r\n";
  }
  list << "!!\r\n";
  for (int i = 1; i <= numbers; ++i) list << i << "\r\n";
  if (!list) throw std::runtime_error("cannot write " + out.string());
}

Figures RunOnce(const std::filesystem::path& folder, const std::filesystem::path& drawing,
                const std::vector<cadsim::Handle>& handles, std::uint32_t command_ms) {
  std::ostringstream out, err;
  Figures f;
  int line = 0;
  {
    scenario::Runner runner(folder, out, &err);
    runner.EnableTiming();
    const auto run = [&](std::vector<std::string> fields) { return runner.Run(++line, fields); };
    bool ok = run({"release", "8"}) && run({"drawing", drawing.string()}) &&
              run({"keitou", (folder / "Keitou.txt").string()}) &&
              run({"commandtime", std::to_string(command_ms)}) && run({"start"}) && run({"system", "給水"}) &&
              run({"setting", "Keitou_Layer", "1"});
    for (cadsim::Handle h : handles) ok = ok && run({"user", "pick", Hex(h), "0"});
    ok = ok && run({"user", "esc", "0"});
    auto& desktop = runner.TheDesktop();
    const std::uint64_t start_ms = desktop.Queue().Elapsed();
    const std::uint64_t start_reads = runner.PromptReads();
    const std::size_t start_commands = runner.Commands();
    const std::uint64_t start_finished = runner.Cad()->Cad().CommandsFinished();
    const double start_cpu = CpuMs();
    ok = ok && run({"press"});
    f.cpu_ms = CpuMs() - start_cpu;
    f.cycle_ms = static_cast<double>(desktop.Queue().Elapsed() - start_ms);
    f.reads = static_cast<double>(runner.PromptReads() - start_reads);
    f.commands = static_cast<double>(runner.Commands() - start_commands);
    f.finished = static_cast<double>(runner.Cad()->Cad().CommandsFinished() - start_finished);
    ok = ok && run({"close"});
    f.ok = ok;
  }
  int entries = 0;
  AddEntryTimings(out.str(), &f, &entries);
  if (!f.ok || entries != static_cast<int>(handles.size())) {
    std::fprintf(stderr, "pick_cycle_bench: the run failed (%d entries timed)\n%s\n", entries,
                 err.str().c_str());
    f.ok = false;
    return f;
  }
  const double n = static_cast<double>(handles.size());
  f.cycle_ms /= n;
  f.pick_to_status_ms /= n;
  f.reads /= n;
  f.commands /= n;
  f.finished /= n;
  f.cpu_ms /= n;
  return f;
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  if (!Parse(argc, argv, &o)) {
    std::fprintf(stderr, "usage: pick_cycle_bench [--picks=N] [--command-ms=MS[,MS...]]\n");
    return 2;
  }
  try {
    const scenario::DataSearch data = scenario::FindDataFolder(std::filesystem::current_path());
    if (!data.folder) throw std::runtime_error("the source tree's data/ folder is not found");
    std::error_code e;
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("pick_cycle_bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    platform::sim::Desktop codec_owner;
    const std::filesystem::path drawing = folder / "picks.dxf";
    const auto handles = WriteDrawing(*data.folder / "sample.dxf", drawing, o.picks, codec_owner.Codec());
    WriteSystemList(*data.folder / "Keitou.txt", folder / "Keitou.txt", o.picks + 1000);
    std::printf("pick_cycle_bench: %d picks in one continuous run, the user picking at once; per entry:\n",
                o.picks);
    std::printf("%10s %9s %14s %11s %8s %9s %12s %8s\n", "command ms", "cycle ms", "pick>status ms",
                "beyond cmd", "lines", "commands", "prompt reads", "CPU ms");
    bool all_ok = true;
    for (std::uint32_t ms : o.command_ms) {
      const Figures f = RunOnce(folder, drawing, handles, ms);
      if (!f.ok) {
        all_ok = false;
        continue;
      }
      // AutoCAD's share is the time of the commands it finished; the rest is
      // what Plendra and korvel add.
      const double beyond = f.cycle_ms - f.finished * ms;
      std::printf("%10u %9.1f %14.1f %11.1f %8.2f %9.2f %12.2f %8.3f\n", ms, f.cycle_ms, f.pick_to_status_ms,
                  beyond, f.commands, f.finished, f.reads, f.cpu_ms);
    }
    std::filesystem::remove_all(folder, e);
    return all_ok ? 0 : 1;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "pick_cycle_bench: %s\n", error.what());
    return 1;
  }
}
