#include "sim_world.h"

#include <exception>
#include <filesystem>

#include "cadsim/dxf.h"
#include "cadsim/sim_cad.h"
#include "cadsim/user_script.h"
#include "platform/ansi_codec.h"
#include "platform/sim/desktop.h"

namespace pwscript {
namespace {

class CadsimWorld final : public SimWorld {
 public:
  CadsimWorld(const Arguments& a, cadsim::Drawing drawing, const std::vector<cadsim::UserAction>& user)
      : cad_(desktop_, std::move(drawing), Options(a)), bind_(desktop_) {
    // A variable set before the run is typed as a user would type it.
    for (const auto& [name, value] : a.set) cad_.Cad().Type(name + u"\r" + value + u"\r");
    for (const cadsim::UserAction& action : user) cad_.Cad().Script(action);
    for (int answer : a.answers) desktop_.AnswerNextBox(answer);
  }

 private:
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
    } catch (const std::exception&) {
      *error = u"図面を読めませんでした: " + arguments.drawing;
      return nullptr;
    }
  }
  return std::make_unique<CadsimWorld>(arguments, std::move(drawing), *user);
}

}  // namespace pwscript
