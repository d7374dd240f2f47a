// A scripted AutoCAD on the simulated desktop, for tests of the link library
// that need only its windows and a command line whose prompt and history a
// test sets directly. (The substitute CAD program emulates real commands.)
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/sim/desktop.h"

namespace plendra_test {

struct ScriptedAcadOptions {
  std::u16string main_title = u"AutoCAD LT 2002 - [Drawing1.dwg]";
  std::u16string text_title = u"AutoCAD LT ﾃｷｽﾄ ｳｨﾝﾄﾞｳ - Drawing1.dwg";
  std::u16string main_class = u"Afx:400000:8:10011:0:fe0b2d";
  std::u16string text_class = u"Afx:400000:0:10011:10:0";
  std::u16string prompt = u"ｺﾏﾝﾄﾞ: ";
  bool main_command = true;  // the command line docked in the main window
};

class ScriptedAcad {
 public:
  explicit ScriptedAcad(platform::sim::Desktop& desktop, ScriptedAcadOptions options = {});

  platform::sim::Desktop& desktop;
  std::uint32_t process = 0;
  std::uint32_t thread = 0;
  platform::Hwnd main = 0, text = 0, command = 0, history = 0, main_command = 0;

  std::u16string prompt;  // the command-line window's text
  std::u16string history_text;
  // Each copy-data message's text (up to its NUL), decoded.
  std::vector<std::u16string> received;
  int nulls_received = 0;
  // PromptAfter announces each new prompt as a changed window text, as a
  // command line whose text is set does; without it a client sees a change
  // only by reading.
  bool announces = false;
  // Refuse copy-data messages (SendMessage returns 0).
  bool refuse = false;
  // Called after each accepted message with what it carried.
  std::function<void(const std::u16string&)> on_input;

  // The typed input so far: all messages joined.
  std::u16string Typed() const;
  // Sets the prompt after delay_ms on the virtual clock.
  void PromptAfter(std::uint64_t delay_ms, std::u16string new_prompt);
  // Closes all of its windows (AutoCAD quit).
  void Quit();
};

}  // namespace plendra_test
