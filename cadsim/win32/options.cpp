#include "options.h"

#include <cstdlib>

#include "cadsim/user_script.h"

namespace cadsim_win {
namespace {

std::optional<long> Number(const std::u16string& text) {
  std::string s(text.begin(), text.end());
  char* end = nullptr;
  const long v = std::strtol(s.c_str(), &end, 10);
  if (s.empty() || *end != '\0' || v < 0) return std::nullopt;
  return v;
}

}  // namespace

std::optional<Options> ParseOptions(const std::vector<std::u16string>& args, std::u16string* error) {
  Options o;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::u16string& a = args[i];
    const bool has_value = i + 1 < args.size();
    auto value = [&]() -> const std::u16string& { return args[++i]; };
    if (a == u"--never-return") {
      o.faults.prompt_never_returns = true;
    } else if (a == u"--refuse") {
      o.faults.refuse_copy_data = true;
    } else if (a == u"--hide-command-line") {
      o.hide_command_line = true;
    } else if (!has_value) {
      *error = u"unknown option or missing value: " + a;
      return std::nullopt;
    } else if (a == u"--drawing") {
      o.drawing = value();
    } else if (a == u"--name") {
      o.name = value();
    } else if (a == u"--blocks") {
      o.block_folders.push_back(value());
    } else if (a == u"--out") {
      o.out = value();
    } else if (a == u"--svg") {
      o.svg = value();
    } else if (a == u"--log") {
      o.log = value();
    } else if (a == u"--snapshot") {
      o.snapshot = value();
    } else if (a == u"--only") {
      o.faults.only_command = value();
    } else if (a == u"--picks") {
      const auto picks = cadsim::ParseUserScript(value());
      if (!picks) {
        *error = u"cannot read --picks " + args[i];
        return std::nullopt;
      }
      o.picks = *picks;
    } else if (a == u"--release" || a == u"--finish-after" || a == u"--vanish-after" || a == u"--busy-for" ||
               a == u"--splash" || a == u"--command-ms") {
      const auto n = Number(value());
      if (!n || (a == u"--release" && *n > 8)) {
        *error = u"bad number for " + a;
        return std::nullopt;
      }
      if (a == u"--release") o.release = static_cast<int>(*n);
      if (a == u"--finish-after") o.faults.finish_after_ms = static_cast<std::uint32_t>(*n);
      if (a == u"--vanish-after") o.faults.vanish_after_ms = static_cast<std::uint32_t>(*n);
      if (a == u"--busy-for") o.faults.busy_for_ms = static_cast<std::uint32_t>(*n);
      if (a == u"--command-ms") o.command_ms = static_cast<std::uint32_t>(*n);
      if (a == u"--splash") o.splash_ms = static_cast<std::uint32_t>(*n);
    } else {
      *error = u"unknown option " + a;
      return std::nullopt;
    }
  }
  if (o.name.empty()) o.name = o.drawing.empty() ? u"C:\\図面\\Drawing1.dwg" : o.drawing;
  return o;
}

}  // namespace cadsim_win
