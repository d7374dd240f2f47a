// A channel to the fake command line and helpers to run a script text.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_command_line.h"
#include "support/link_fixture.h"

namespace plendra_test {

class ScriptTest : public LinkTest {
 protected:
  ScriptTest() { control = Connect(acad); }

  // Runs the script text (lines separated by "\n") with the variables.
  std::int32_t Run(std::u16string_view text) { return control->RunScript(WriteScript(desktop, text), &vars); }

  FakeCommandLine fake{desktop};
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
