// dxf_scan_bench: how fast the DXF scanner reads a whole-drawing export, next
// to a plain newline count of the same file in the same run.
//
//   dxf_scan_bench [--file=DXF] [--keep=PATH] [--dimensions=N] [--entries=N] [--runs=N]
//                  [--dxfscan=PATH] [--highest-number=N] [--plendra-block] [--write-only]
//
// Without --file it writes a drawing of N dimensions and N parts-table entries
// (four attributes each) into a temporary folder and removes it afterwards.
// --keep=PATH writes it there and keeps it; with --write-only it then stops,
// for another bench that needs a drawing (bench/wine_lookup). --highest-number
// lets each system's numbers go round from 1 to about N, --plendra-block gives
// the parts-table entries the attributes of Plendra's own block
// (dxf_generator.h).
// Every figure is the best of --runs runs, read from the page cache.
//
// It also times whole processes as a user runs them, start to exit with the
// output thrown away, with their peak memory: dxfscan (the one beside this program unless --dxfscan
// says otherwise) for the number lookup's and the dimension query, next to
// `wc -l` on the same file.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#ifndef _WIN32
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "dxf_generator.h"
#include "link/dxf_file.h"
#include "link/dxf_scanner.h"
#include "link/pw_control.h"
#include "platform/ansi_codec.h"

namespace {

using Clock = std::chrono::steady_clock;

// Counts what the scanner really reads: a scan stops at the end of its section.
class CountingSource final : public korvel::DxfSource {
 public:
  explicit CountingSource(korvel::DxfSource& inner) : inner_(inner) {}
  std::size_t Read(char* buffer, std::size_t size) override {
    const std::size_t n = inner_.Read(buffer, size);
    bytes_ += n;
    return n;
  }
  bool Failed() const override { return inner_.Failed(); }
  std::uint64_t Bytes() const { return bytes_; }

 private:
  korvel::DxfSource& inner_;
  std::uint64_t bytes_ = 0;
};

double Seconds(Clock::time_point from) { return std::chrono::duration<double>(Clock::now() - from).count(); }

// Processor time of the whole process, user and system: on a shared machine
// it says more about the code than the wall clock does.
double CpuSeconds() { return static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }

struct Figure {
  double mb_per_s = 0;      // by the wall clock
  double cpu_mb_per_s = 0;  // by processor time
  std::uint64_t bytes = 0;
  std::uint64_t count = 0;
};

// The line feeds in a block, sixteen bytes at a time: byte-wise counters
// summed every 255 steps, as fast newline counters (wc -l among them) do.
std::uint64_t LineFeeds(const char* p, std::size_t n) {
  std::uint64_t count = 0;
  std::size_t i = 0;
#if defined(__SSE2__)
  const __m128i lf = _mm_set1_epi8('\n');
  while (i + 16 <= n) {
    __m128i counters = _mm_setzero_si128();
    for (int step = 0; step < 255 && i + 16 <= n; ++step, i += 16)
      counters = _mm_sub_epi8(counters,
                              _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i)), lf));
    const __m128i sums = _mm_sad_epu8(counters, _mm_setzero_si128());
    count += static_cast<std::uint64_t>(_mm_cvtsi128_si64(sums)) +
             static_cast<std::uint64_t>(_mm_cvtsi128_si64(_mm_unpackhi_epi64(sums, sums)));
  }
#endif
  for (; i < n; ++i) count += p[i] == '\n';
  return count;
}

Figure CountNewlines(const std::filesystem::path& path, int runs, std::size_t block_bytes) {
  Figure best;
  std::vector<char> block(block_bytes);
  for (int run = 0; run < runs; ++run) {
    const auto start = Clock::now();
    const double cpu_start = CpuSeconds();
    std::FILE* f = std::fopen(path.string().c_str(), "rb");
    if (f == nullptr) std::exit(1);
    std::setvbuf(f, nullptr, _IONBF, 0);
    std::uint64_t lines = 0, bytes = 0;
    for (std::size_t n; (n = std::fread(block.data(), 1, block.size(), f)) > 0;) {
      lines += LineFeeds(block.data(), n);
      bytes += n;
    }
    std::fclose(f);
    const double mbs = bytes / 1e6 / Seconds(start);
    const double cpu = bytes / 1e6 / std::max(CpuSeconds() - cpu_start, 1e-6);
    if (mbs > best.mb_per_s) best = Figure{mbs, best.cpu_mb_per_s, bytes, lines};
    best.cpu_mb_per_s = std::max(best.cpu_mb_per_s, cpu);
  }
  return best;
}

Figure Scan(const std::filesystem::path& path, platform::TextCodec& codec, std::u16string_view section,
            std::u16string_view type, std::u16string_view codes, int runs, std::size_t block_bytes) {
  Figure best;
  for (int run = 0; run < runs; ++run) {
    const auto start = Clock::now();
    const double cpu_start = CpuSeconds();
    auto file = korvel::DxfFile::OpenPath(path);
    if (!file) std::exit(1);
    CountingSource source(*file);
    korvel::DxfScanner scanner(codec, block_bytes);
    korvel::DxfTable table;
    korvel::DxfScanFailure failure;
    if (!scanner.Scan(source, section, type, codes, table, failure)) {
      std::fprintf(stderr, "scan failed: %d\n", failure.number);
      std::exit(1);
    }
    const double mbs = source.Bytes() / 1e6 / Seconds(start);
    const double cpu = source.Bytes() / 1e6 / std::max(CpuSeconds() - cpu_start, 1e-6);
    if (mbs > best.mb_per_s)
      best = Figure{mbs, best.cpu_mb_per_s, source.Bytes(), static_cast<std::uint64_t>(table.UBound(2) - 1)};
    best.cpu_mb_per_s = std::max(best.cpu_mb_per_s, cpu);
  }
  return best;
}

std::string Narrow(std::u16string_view text) { return std::string(text.begin(), text.end()); }

#ifdef _WIN32
std::string Quoted(const std::string& text) {
  std::string out = "'";
  for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}
#endif

struct ProcessFigure {
  double seconds = 1e300;      // the best wall-clock time of the runs
  double cpu_seconds = 1e300;  // the least processor time (user and system) of the runs
  long peak_kilobytes = 0;     // the largest resident set of the runs; 0 when unknown
};

// A whole process as a user runs it, start to exit, its output thrown away.
// Where the platform allows, the program is started directly (no shell) and
// its own peak memory is read from the kernel's account of it.
ProcessFigure BestProcess(const std::vector<std::string>& argv, int runs) {
  ProcessFigure best;
  for (int run = 0; run < runs; ++run) {
#ifdef _WIN32
    std::string command;
    for (const std::string& arg : argv) command += (command.empty() ? "" : " ") + Quoted(arg);
    const auto start = Clock::now();
    if (std::system((command + " >NUL").c_str()) != 0) {
      std::fprintf(stderr, "failed: %s\n", command.c_str());
      std::exit(1);
    }
    best.seconds = std::min(best.seconds, Seconds(start));
#else
    std::vector<char*> args;
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    const auto start = Clock::now();
    // fork, not posix_spawn: a child that shares this program's memory until
    // its exec is charged with this program's peak as its own.
    const pid_t child = fork();
    if (child == 0) {
      const int null = open("/dev/null", O_WRONLY);
      if (null < 0 || dup2(null, 1) < 0) _exit(127);
      execvp(args[0], args.data());
      _exit(127);
    }
    const int spawned = child > 0 ? 0 : -1;
    int status = 0;
    struct rusage usage {};
    if (spawned != 0 || wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0) {
      std::fprintf(stderr, "failed: %s\n", argv[0].c_str());
      std::exit(1);
    }
    best.seconds = std::min(best.seconds, Seconds(start));
    best.peak_kilobytes = std::max(best.peak_kilobytes, static_cast<long>(usage.ru_maxrss));
    const auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    best.cpu_seconds = std::min(best.cpu_seconds, seconds(usage.ru_utime) + seconds(usage.ru_stime));
#endif
  }
  return best;
}

#ifndef _WIN32
// The number lookup as Plendra makes it, over the drawing as the scratch
// file: DxfScan's table of every attribute, read for one system, against
// DxfAttributesAfter, which keeps only that system's numbers.
struct LookupFigure {
  double seconds = 1e300;   // best of the runs, wall clock
  double cpu = 1e300;       // best of the runs, processor
  long peak_kilobytes = 0;  // of a child that made one lookup
  long highest = 0;
  std::size_t numbers = 0;
};

long HighestOf(const std::vector<std::u16string>& numbers) {
  long highest = 0;
  for (const std::u16string& n : numbers) {
    const std::string text(n.begin(), n.end());
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (end != text.c_str() && *end == '\0' && value > static_cast<double>(highest))
      highest = std::lround(value);
  }
  return highest;
}

std::vector<std::u16string> ByTable(korvel::PwControl& control, std::u16string_view tag,
                                    std::u16string_view system) {
  korvel::DxfTable table;
  if (control.DxfScan(u"ENTITIES", u"ATTRIB", u"2|1", table) != -1) std::exit(1);
  const std::string count(table.At(0, 0).begin(), table.At(0, 0).end());
  const long n = std::stol(count);
  std::vector<std::u16string> numbers;
  for (long r = 1; r < n; ++r)
    if (table.At(0, r) == tag && table.At(1, r) == system) numbers.push_back(table.At(1, r + 1));
  return numbers;
}

std::vector<std::u16string> ByQuery(korvel::PwControl& control, std::u16string_view tag,
                                    std::u16string_view system) {
  std::vector<std::u16string> numbers;
  if (control.DxfAttributesAfter(tag, system, numbers) != -1) std::exit(1);
  return numbers;
}

// Its memory in a child of its own, started while this program is still
// small (a child starts with a copy of it).
template <typename Lookup>
long LookupPeakKilobytes(Lookup lookup) {
  const pid_t child = fork();
  if (child == 0) {
    auto own = korvel::PwControl::Create();
    lookup(*own);
    _exit(0);
  }
  int status = 0;
  struct rusage usage {};
  if (child > 0 && wait4(child, &status, 0, &usage) == child) return usage.ru_maxrss;
  return 0;
}

template <typename Lookup>
LookupFigure TimeLookup(Lookup lookup, int runs) {
  LookupFigure f;
  auto control = korvel::PwControl::Create();
  for (int run = 0; run < runs; ++run) {
    const auto start = Clock::now();
    const double cpu_start = CpuSeconds();
    const std::vector<std::u16string> numbers = lookup(*control);
    f.highest = HighestOf(numbers);
    f.numbers = numbers.size();
    f.seconds = std::min(f.seconds, Seconds(start));
    f.cpu = std::min(f.cpu, CpuSeconds() - cpu_start);
  }
  return f;
}

// Both lookups for the system of the bench drawing's first entries (給水),
// with the scratch file a link to the drawing in a folder of its own.
void Lookups(const std::filesystem::path& drawing, int runs, bool plendra_block) {
  const std::filesystem::path folder = std::filesystem::temp_directory_path() /
                                       ("dxf-scan-bench-lookup-" + std::to_string(std::random_device()()));
  std::filesystem::create_directory(folder);
  std::filesystem::create_symlink(std::filesystem::absolute(drawing), folder / "Wexa.dxf");
  const std::string old_tmpdir = std::getenv("TMPDIR") != nullptr ? std::getenv("TMPDIR") : "";
  setenv("TMPDIR", folder.c_str(), 1);  // the temporary folder the library asks for
  const std::u16string tag = plendra_block ? u"(1)系統" : u"KEITOU", system = u"給水";
  const auto by_table = [&](korvel::PwControl& c) { return ByTable(c, tag, system); };
  const auto by_query = [&](korvel::PwControl& c) { return ByQuery(c, tag, system); };
  LookupFigure empty;
  empty.peak_kilobytes = LookupPeakKilobytes([](korvel::PwControl&) { return 0; });
  const long table_peak = LookupPeakKilobytes(by_table);
  const long query_peak = LookupPeakKilobytes(by_query);
  LookupFigure table = TimeLookup(by_table, runs);
  LookupFigure query = TimeLookup(by_query, runs);
  table.peak_kilobytes = table_peak;
  query.peak_kilobytes = query_peak;
  if (old_tmpdir.empty())
    unsetenv("TMPDIR");
  else
    setenv("TMPDIR", old_tmpdir.c_str(), 1);
  std::filesystem::remove_all(folder);
  std::printf(
      "number lookup (one system), best of the runs          seconds processor   peak MB  numbers highest\n");
  const auto row = [&](const char* name, const LookupFigure& f) {
    std::printf("%-50s %9.3f %9.3f %9.1f %8zu %7ld\n", name, f.seconds, f.cpu,
                (f.peak_kilobytes - empty.peak_kilobytes) / 1024.0, f.numbers, f.highest);
  };
  row("DxfScan ENTITIES ATTRIB 2|1, read for the system", table);
  row(plendra_block ? "DxfAttributesAfter (1)系統 給水" : "DxfAttributesAfter KEITOU 給水", query);
  std::printf("(peak MB: beyond a child that looks nothing up, %.1f MB)\n\n", empty.peak_kilobytes / 1024.0);
}
#endif

}  // namespace

int main(int argc, char** argv) {
  bench::DrawingSize size;
  std::filesystem::path file, keep;
  std::filesystem::path dxfscan = std::filesystem::absolute(argv[0]).parent_path() / "dxfscan";
  int runs = 5;
  bool write_only = false;
  std::size_t block = korvel::DxfScanner::kDefaultBlockBytes;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const auto value = [&](const char* name) { return arg.substr(std::string(name).size()); };
    if (arg.starts_with("--file="))
      file = value("--file=");
    else if (arg.starts_with("--keep="))
      keep = value("--keep=");
    else if (arg.starts_with("--dimensions="))
      size.dimensions = static_cast<std::uint32_t>(std::stoul(value("--dimensions=")));
    else if (arg.starts_with("--entries="))
      size.parts_entries = static_cast<std::uint32_t>(std::stoul(value("--entries=")));
    else if (arg.starts_with("--block="))
      block = std::stoul(value("--block="));
    else if (arg.starts_with("--dxfscan="))
      dxfscan = value("--dxfscan=");
    else if (arg.starts_with("--runs="))
      runs = std::max(1, std::stoi(value("--runs=")));
    else if (arg.starts_with("--highest-number="))
      size.highest_number = static_cast<std::uint32_t>(std::stoul(value("--highest-number=")));
    else if (arg == "--plendra-block")
      size.plendra_block = true;
    else if (arg == "--write-only")
      write_only = true;
    else {
      std::fprintf(stderr,
                   "usage: dxf_scan_bench [--file=DXF] [--keep=PATH] [--dimensions=N] [--entries=N] "
                   "[--runs=N] [--block=BYTES] [--dxfscan=PATH] [--highest-number=N] [--plendra-block] "
                   "[--write-only]\n");
      return 2;
    }
  }
  if (write_only && (keep.empty() || !file.empty())) {
    std::fprintf(stderr, "dxf_scan_bench: --write-only writes the drawing to --keep=PATH\n");
    return 2;
  }
  if (size.highest_number != 0 && size.highest_number < 4) {
    std::fprintf(stderr,
                 "dxf_scan_bench: --highest-number must leave each of the four systems one: 4 or more\n");
    return 2;
  }

  std::filesystem::path folder;
  if (file.empty()) {
    if (keep.empty()) {
      folder = std::filesystem::temp_directory_path() /
               ("dxf-scan-bench-" + std::to_string(std::random_device()()));
      if (!std::filesystem::create_directory(folder)) return 1;
      file = folder / "drawing.dxf";
    } else {
      file = keep;
    }
    const auto start = Clock::now();
    const std::uint64_t bytes = bench::WriteDrawing(file, size);
    std::printf("wrote %s: %.1f MB, %u dimensions, %u attributes (%.1f s)\n", file.string().c_str(),
                bytes / 1e6, size.dimensions, (size.plendra_block ? 8 : 4) * size.parts_entries,
                Seconds(start));
    if (write_only) return 0;
  }

  // The whole processes first, while this program is still small: a child
  // starts with a copy of it.
  if (std::filesystem::exists(dxfscan)) {
    // Both sides in the same run, so that the ratio compares like with like
    // on whatever machine runs it.
    const double bytes = static_cast<double>(std::filesystem::file_size(file));
    const ProcessFigure wc = BestProcess({"wc", "-l", file.string()}, runs);
    std::printf(
        "whole process, best of the runs                       seconds      MB/s  times wc -l  peak MB"
        "  processor s  times wc -l\n");
    const auto row = [&](const std::string& name, const ProcessFigure& f) {
      std::printf("%-50s %9.3f %9.0f %9.2f %9.1f %9.3f %9.2f\n", name.c_str(), f.seconds,
                  bytes / 1e6 / f.seconds, f.seconds / wc.seconds, f.peak_kilobytes / 1024.0, f.cpu_seconds,
                  f.cpu_seconds / wc.cpu_seconds);
    };
    row("wc -l", wc);
    const std::vector<std::string> queries[] = {{"ENTITIES", "ATTRIB", "2|1"},
                                                {"ENTITIES", "DIMENSION", "11|21|31|42|70|50|3|1070"}};
    for (const std::vector<std::string>& query : queries) {
      std::vector<std::string> argv = {dxfscan.string(), file.string()};
      argv.insert(argv.end(), query.begin(), query.end());
      row("dxfscan " + query[0] + " " + query[1] + " " + query[2], BestProcess(argv, runs));
    }
  } else {
    std::printf("(no whole-process figures: %s is missing)\n", dxfscan.string().c_str());
  }
  std::printf("\n");
#ifndef _WIN32
  Lookups(file, runs, size.plendra_block);
#endif
  auto codec = platform::MakeAnsiCodec(932);
  const Figure lines = CountNewlines(file, runs, block);
  std::printf("%-50s %9s %9s\n", "best of the runs, MB/s", "wall", "processor");
  std::printf("%-50s %9.0f %9.0f   (%.1f MB, %llu lines)\n", "newline count", lines.mb_per_s,
              lines.cpu_mb_per_s, lines.bytes / 1e6, static_cast<unsigned long long>(lines.count));
  struct Query {
    std::u16string_view section, type, codes;
  } queries[] = {
      {u"ENTITIES", u"ATTRIB", u"2|1"},
      {u"ENTITIES", u"DIMENSION", u"11|21|31|42|70|50|3|1070"},
      {u"BLOCKS", u"MTEXT", u"10|20|1"},
      {u"OBJECTS", u"NOTHING", u"5"},
  };
  double slowest = 0, slowest_cpu = 0;
  for (const Query& q : queries) {
    const Figure f = Scan(file, *codec, q.section, q.type, q.codes, runs, block);
    const std::string name = "scan " + Narrow(q.section) + " " + Narrow(q.type) + " " + Narrow(q.codes);
    std::printf("%-50s %9.0f %9.0f   (%.1f MB read, %llu records; newline count / scan %.2f, %.2f)\n",
                name.c_str(), f.mb_per_s, f.cpu_mb_per_s, f.bytes / 1e6,
                static_cast<unsigned long long>(f.count), lines.mb_per_s / f.mb_per_s,
                lines.cpu_mb_per_s / f.cpu_mb_per_s);
    slowest = std::max(slowest, lines.mb_per_s / f.mb_per_s);
    slowest_cpu = std::max(slowest_cpu, lines.cpu_mb_per_s / f.cpu_mb_per_s);
  }
  std::printf("slowest scan: %.2f times the newline count's time (wall), %.2f (processor)\n", slowest,
              slowest_cpu);

  if (!folder.empty()) std::filesystem::remove_all(folder);
  return 0;
}
