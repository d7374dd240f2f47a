#include "cadsim/session.h"

#include "cadsim/sim_cad.h"
#include "platform/sim/desktop.h"

namespace cadsim {
namespace {

// A session that still has something due after this much virtual time (a
// scripted user who keeps picking empty space) is stopped.
constexpr std::uint64_t kLongestWaitMs = 24ull * 60 * 60 * 1000;

void RunUntilIdle(platform::sim::Desktop& desktop) {
  const std::uint64_t start = desktop.Queue().Elapsed();
  while (!desktop.Queue().Idle() && desktop.Queue().Elapsed() - start < kLongestWaitMs)
    desktop.Queue().Sleep(100);
}

}  // namespace

SessionResult RunSession(Drawing drawing, const Session& session) {
  platform::sim::Desktop desktop;
  SimCadOptions options;
  options.release = session.release;
  options.drawing_path = session.drawing_path;
  options.block_folders = session.block_folders;
  options.folders = session.folders;
  options.saveas_renames = session.saveas_renames;
  SimCad acad(desktop, std::move(drawing), options);
  for (const UserAction& action : session.picks) acad.Cad().Script(action);
  RunUntilIdle(desktop);
  for (const std::u16string& keys : session.inputs) {
    acad.Cad().Type(keys);
    RunUntilIdle(desktop);
  }
  return SessionResult{acad.TheDrawing(), acad.Cad().HistoryLines(), acad.Cad().Prompt()};
}

std::u16string ScriptKeys(std::u16string_view script) {
  std::u16string keys;
  while (!script.empty()) {
    const std::size_t end = script.find(u'\n');
    std::u16string_view line = script.substr(0, end);
    if (!line.empty() && line.back() == u'\r') line.remove_suffix(1);
    // A last line without a line end is typed without Enter, as AutoCAD
    // reads a script (its last command then waits for one).
    if (!line.starts_with(u';')) {
      keys += line;
      if (end != std::u16string_view::npos) keys += u'\r';
    }
    if (end == std::u16string_view::npos) break;
    script.remove_prefix(end + 1);
  }
  return keys;
}

}  // namespace cadsim
