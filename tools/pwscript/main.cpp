// pwscript: runs a korvel script against the running AutoCAD.
//
//   pwscript [options] SCRIPT [VALUE0 ... VALUE9]
//
// Built for Windows it attaches to the AutoCAD on the desktop; built for Linux
// it runs on the simulated desktop against cadsim (see docs/scripts.md).
#include <exception>
#include <iostream>
#include <new>
#include <string>
#include <vector>

#include "arguments.h"
#include "runner.h"

#ifndef _WIN32
#include "sim_world.h"
#endif

namespace {

// Says so; a script error already being reported keeps its exit code.
int StdoutFailed(int result) {
  std::cerr << pwscript::OutputText(u"標準出力に書き込めません。") << "\n";
  return result != 0 ? result : 1;
}

int Main(const std::vector<std::u16string>& args) {
  std::u16string error;
  const std::optional<pwscript::Arguments> a = pwscript::ParseArguments(args, &error);
  if (!a) {
    std::cerr << pwscript::OutputText(error) << "\n" << pwscript::OutputText(pwscript::kUsage);
    return 2;
  }
  if (a->help) {
    std::cout << pwscript::OutputText(pwscript::kUsage) << std::flush;
    return std::cout ? 0 : StdoutFailed(0);
  }
#ifdef _WIN32
  if (a->simulated_options) {
    std::cerr << pwscript::OutputText(u"シミュレーションのオプションは Linux 版だけのものです。") << "\n";
    return 2;
  }
#else
  const auto world = pwscript::SimWorld::Make(*a, &error);
  if (!world) {
    std::cerr << pwscript::OutputText(error) << "\n";
    return 2;
  }
#endif
  const int result = pwscript::RunAgainstAcad(a->script, a->values, std::cout, std::cerr);
  // The variables are the run's answer: when they did not reach standard
  // output (a full disk, a closed pipe), the run did not succeed.
  std::cout.flush();
  return std::cout ? result : StdoutFailed(result);
}

// Nothing a user gives may end the program by an uncaught exception.
int Guarded(const std::vector<std::u16string>& args) {
  try {
    return Main(args);
  } catch (const std::bad_alloc&) {
    std::cerr << pwscript::OutputText(u"メモリが不足しています。") << "\n";
  } catch (const std::exception& e) {
    std::cerr << pwscript::OutputText(u"処理を続けられません: ") << e.what() << "\n";
  }
  return 2;
}

#ifndef _WIN32
// Command-line arguments arrive as UTF-8.
std::u16string FromUtf8(std::string_view s) {
  std::u16string out;
  for (std::size_t i = 0; i < s.size();) {
    const auto b = static_cast<unsigned char>(s[i]);
    const int n = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
    std::uint32_t c = n == 1 ? b : b & (0x3F >> (n - 1));
    for (int k = 1; k < n && i + k < s.size(); ++k)
      c = (c << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
    i += n;
    if (c >= 0x10000) {
      out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
      out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      out += static_cast<char16_t>(c);
    }
  }
  return out;
}
#endif

}  // namespace

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
  std::vector<std::u16string> args;
  for (int i = 1; i < argc; ++i) args.emplace_back(reinterpret_cast<const char16_t*>(argv[i]));
  return Guarded(args);
}
#else
int main(int argc, char** argv) {
  std::vector<std::u16string> args;
  for (int i = 1; i < argc; ++i) args.push_back(FromUtf8(argv[i]));
  return Guarded(args);
}
#endif
