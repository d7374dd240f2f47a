#include "sim_world.h"

#include <exception>
#include <filesystem>

#include "cadsim/dxf.h"
#include "cadsim/sim_cad.h"
#include "cadsim/user_script.h"
#include "platform/ansi_codec.h"
#include "platform/sim/desktop.h"
#include "platform/utf8.h"

namespace pwscript {
namespace {

class CadsimWorld final : public SimWorld {
 public:
  CadsimWorld(const Arguments& a, cadsim::Drawing drawing, const std::vector<cadsim::UserAction>& user)
      : cad_(desktop_, std::move(drawing), Options(a)), bind_(desktop_) {
    for (const cadsim::UserAction& action : user) cad_.Cad().Script(action);
    for (int answer : a.answers) desktop_.AnswerNextBox(answer);
  }

  // A variable set before the run is typed as a user would type it. A name
  // cadsim does not ask a value for (not a system variable, or a read-only
  // one), or a value it does not take, is refused with what cadsim said: a
  // run against a world other than the one asked for proves nothing.
  bool Set(const std::u16string& name, const std::u16string& value, std::u16string* error) {
    cadsim::Cad& cad = cad_.Cad();
    const std::u16string command_prompt(cad.Release().command_prompt);
    cad.Type(name + u"\r");
    if (cad.Prompt() == command_prompt) {
      *error = u"--set " + name + u": 値を設定できるシステム変数ではありません (" + LastSaid() + u")";
      return false;
    }
    cad.Type(value + u"\r");
    if (cad.Prompt() != command_prompt) {
      const std::u16string said = LastSaid();
      cad.Type(u"\x03");
      *error = u"--set " + name + u"=" + value + u": 値を受け付けられません (" + said + u")";
      return false;
    }
    return true;
  }

 private:
  std::u16string LastSaid() {
    const auto& lines = cad_.Cad().HistoryLines();
    return lines.empty() ? std::u16string() : lines.back();
  }

  static cadsim::SimCadOptions Options(const Arguments& a) {
    cadsim::SimCadOptions options;
    options.release = a.release;
    return options;
  }

  platform::sim::Desktop desktop_;
  cadsim::SimCad cad_;
  platform::ScopedPlatform bind_;
};

}  // namespace

std::unique_ptr<SimWorld> SimWorld::Make(const Arguments& arguments, std::u16string* error) {
  const auto user = cadsim::ParseUserScript(arguments.picks);
  if (!user) {
    *error = u"--picks を読めませんでした: " + arguments.picks;
    return nullptr;
  }
  const auto codec = platform::MakeAnsiCodec(932);
  cadsim::Drawing drawing;
  if (arguments.drawing.empty()) {
    drawing.Complete();
  } else {
    try {
      drawing = cadsim::ReadDxfFile(std::filesystem::path(arguments.drawing), *codec);
    } catch (const std::exception& e) {
      // cadsim's reason names the line where the drawing goes wrong.
      *error = u"図面を読めませんでした: " + arguments.drawing + u": " + platform::FromUtf8(e.what());
      return nullptr;
    }
  }
  auto world = std::make_unique<CadsimWorld>(arguments, std::move(drawing), *user);
  for (const auto& [name, value] : arguments.set)
    if (!world->Set(name, value, error)) return nullptr;
  return world;
}

}  // namespace pwscript
