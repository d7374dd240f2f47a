// GetPosition: one point picked by the user through AutoCAD's ID command and
// read back from the command history, where ID reports it as
// "点を指定:  X = 10.0000     Y = 20.0000     Z = 0.0000".
#include "guarded.h"
#include "link/pw_control.h"
#include "number_text.h"
#include "prompt_wait.h"

namespace korvel {
namespace {

constexpr std::u16string_view kOperation = u"GetPosition";
constexpr std::u16string_view kPointReport = u"点を指定: ";

double Coordinate(std::u16string_view text, bool leading_only) {
  const std::optional<double> value = ParseNumber(text, leading_only);
  if (!value) Raise(kErrTypeMismatch, kSourceLibrary, RuntimeErrorText(kErrTypeMismatch));
  return *value;
}

}  // namespace

std::int32_t PwControl::GetPosition(double& X, double& Y, double& Z) {
  return Guarded([&] {
    cancel_requested_ = false;
    if (PostCommand(u"^C^C_id^M") != -1) RaiseRecorded();
    // Exact comparison: the command prompt returns once ID has printed the point.
    const std::u16string command_prompt = Shared().CommandPrompt;
    const auto is_command_prompt = [&](const std::u16string& p) { return p == command_prompt; };
    const std::int32_t result = WaitForPrompt({.done = is_command_prompt, .operation = kOperation});

    // Also after a Terminate: an earlier report in the history still answers.
    std::u16string h;
    if (GetHistory(h, kPointReport) != -1) RaiseRecorded();
    const std::size_t px = h.find(u"X ="), py = h.find(u"Y ="), pz = h.find(u"Z =");
    // ID writes X, Y and Z in this order; in any other order the texts between
    // the markers are not the coordinates.
    if (px == std::u16string::npos || py == std::u16string::npos || pz == std::u16string::npos ||
        py < px + 3 || pz < py + 3)
      Raise(CommandFailed, ControlSource(kOperation), kMsgPositionFailed);
    std::u16string_view report(h);
    X = Coordinate(report.substr(px + 3, py - px - 3), false);
    Y = Coordinate(report.substr(py + 3, pz - py - 3), false);
    // The history goes on after the Z value (a line break, the next prompt):
    // the leading number is the coordinate.
    Z = Coordinate(report.substr(pz + 3), true);
    return result;
  });
}

}  // namespace korvel
