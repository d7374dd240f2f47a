// Every operation that waits for a prompt waits the same way: the time-out
// counts across the tick counter's wrap, is reported with the operation's own
// source, and the prompt is read once per CheckInterval meanwhile.
#include <gtest/gtest.h>

#include <functional>

#include "support/link_fixture.h"

namespace plendra_test {
namespace {

struct Waiting {
  const char* operation;
  std::function<std::int32_t(korvel::PwControl&)> call;
};

// The tick counter wraps to 0 about two seconds into each wait.
class EveryWait : public LinkTest {
 protected:
  EveryWait() : LinkTest(0xFFFFFFFFu - 2000), acad(desktop) { control = Connect(pw); }

  ScriptedAcad acad;
  korvel::PwAcad pw;
  std::shared_ptr<korvel::PwControl> control;
};

TEST_F(EveryWait, TimesOutAcrossTheWrapWithItsOwnSource) {
  std::u16string value = u"unchanged";
  double x = 0, y = 0, z = 0;
  const Waiting waits[] = {
      {"SendCommand", [](korvel::PwControl& c) { return c.SendCommand(u"line^M"); }},
      {"WaitPrompt", [](korvel::PwControl& c) { return c.WaitPrompt(); }},
      {"GetVariable", [&](korvel::PwControl& c) { return c.GetVariable(u"FILEDIA", value); }},
      {"SetVariable", [](korvel::PwControl& c) { return c.SetVariable(u"FILEDIA", u"1"); }},
      {"GetPosition", [&](korvel::PwControl& c) { return c.GetPosition(x, y, z); }},
  };
  control->put_CommandTimeOut(5000);
  // AutoCAD is stuck in a prompt that neither the command prompt nor a value
  // prompt fits.
  acad.prompt = u"x";
  acad.history_text = u"点を指定:  X = 1.0000     Y = 2.0000     Z = 0.0000";
  for (const Waiting& w : waits) {
    SCOPED_TRACE(w.operation);
    const std::uint64_t start = desktop.Queue().Elapsed();
    const std::uint64_t reads = desktop.Log().size();
    const std::int32_t result = w.call(*control);
    const std::uint64_t waited = desktop.Queue().Elapsed() - start;
    const std::u16string op(w.operation, w.operation + std::char_traits<char>::length(w.operation));
    EXPECT_TRUE(Failed(result, korvel::CommandFailed, u"PwAcadCtrl.PwControl." + op,
                       u"待機時間内に指定した応答がありませんでした。"));
    EXPECT_GE(waited, 5000u);
    EXPECT_LT(waited, 5200u);
    // Two messages (length and text) per read, one read per 100 ms.
    EXPECT_GE(desktop.Log().size() - reads, 2u * 50);
    EXPECT_LT(desktop.Log().size() - reads, 2u * 60);
  }
  EXPECT_EQ(value, u"unchanged");
}

}  // namespace
}  // namespace plendra_test
