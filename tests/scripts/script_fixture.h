// A channel to cadsim (AutoCAD LT 2002, half-width prompt) on the simulated
// desktop, and helpers to run a script text.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "cadsim/sim_cad.h"
#include "support/link_fixture.h"

namespace plendra_test {

// Writes text as a script file in code page 932 with CR LF line ends (lines
// given with "\n") into the desktop's temporary folder; returns its path.
inline std::u16string WriteScript(platform::sim::Desktop& desktop, std::u16string_view text,
                                  std::u16string_view name = u"test.scr") {
  std::u16string crlf;
  for (char16_t c : text) {
    if (c == u'\n') crlf += u'\r';
    crlf += c;
  }
  const std::filesystem::path path = desktop.TempFolder() / std::filesystem::path(name);
  std::ofstream(path, std::ios::binary) << desktop.Codec().ToAnsi(crlf);
  return path.u16string();
}

inline cadsim::Drawing EmptyDrawing() {
  cadsim::Drawing d;
  d.Complete();
  return d;
}

class ScriptTest : public LinkTest {
 protected:
  ScriptTest() { control = Connect(acad); }

  // Runs the script text (lines separated by "\n") with the variables.
  std::int32_t Run(std::u16string_view text) { return control->RunScript(WriteScript(desktop, text), &vars); }

  // What AutoCAD was handed, one entry per copy-data message.
  std::vector<std::u16string> Typed() const {
    std::vector<std::u16string> typed;
    for (const platform::sim::LoggedMessage& m : desktop.Log())
      if (m.message == platform::sim::kWmCopyData)
        typed.push_back(const_cast<platform::sim::Desktop&>(desktop).Codec().FromAnsi(m.buffer.c_str()));
    return typed;
  }
  bool HistoryHas(std::u16string_view text) { return cad.Cad().History().find(text) != std::u16string::npos; }

  cadsim::SimCad cad{desktop, EmptyDrawing()};
  korvel::PwAcad acad;
  std::shared_ptr<korvel::PwControl> control;
  std::vector<std::u16string> vars = std::vector<std::u16string>(10);
};

// A failure while the lines ran: the number returned equals ErrNumber, the
// source is the failure's own, and the text carries the line number.
inline ::testing::AssertionResult FailedAtLine(std::int32_t result, std::int32_t number,
                                               std::u16string_view source, int line,
                                               std::u16string_view description) {
  const std::string digits = std::to_string(line);
  const std::u16string text = u"スクリプト実行中にエラーが発生しました。\r\n" +
                              std::u16string(digits.begin(), digits.end()) + u"行目: " +
                              std::u16string(description);
  return Failed(result, number, source, text);
}

inline constexpr std::u16string_view kSourceRun = u"PwAcadCtrl.PwControl.RunScript";
inline constexpr std::u16string_view kSourceCommand = u"PwAcadCtrl.PwControl.lExecuteCommand";

}  // namespace plendra_test
