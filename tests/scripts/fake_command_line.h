// A small AutoCAD command line on the simulated desktop for script tests:
// system variables typed by name answer with their value prompt, ID asks for
// a point that a scripted user picks, and any other command takes a while and
// brings the command prompt back. Typed input is read character by character,
// so several commands may arrive in one message.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "link/pw_acad.h"
#include "link/pw_control.h"
#include "platform/sim/desktop.h"
#include "support/scripted_acad.h"

namespace plendra_test {

struct Point3 {
  double x = 0, y = 0, z = 0;
};

class FakeCommandLine {
 public:
  explicit FakeCommandLine(platform::sim::Desktop& desktop, std::u16string command_prompt = u"ｺﾏﾝﾄﾞ: ");

  ScriptedAcad cad;
  std::u16string command_prompt;
  std::map<std::u16string, std::u16string> variables;  // by upper-case name
  std::deque<Point3> picks;                            // the user's next picks
  std::uint64_t pick_ms = 1500;                        // how long the user takes to pick
  std::uint64_t command_ms = 200;                      // how long other commands run
  std::vector<std::u16string> commands;                // every command line entered

 private:
  void Type(char16_t c);
  void Enter();
  void Cancel();

  enum class State { kIdle, kValue, kPoint, kBusy } state_ = State::kIdle;
  std::u16string line_;
  std::u16string variable_;
};

// Writes text as a script file in code page 932 with CR LF line ends (lines
// given with "\n") into the desktop's temporary folder; returns its path.
std::u16string WriteScript(platform::sim::Desktop& desktop, std::u16string_view text,
                           std::u16string_view name = u"test.scr");

}  // namespace plendra_test
