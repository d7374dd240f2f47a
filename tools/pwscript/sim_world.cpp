#include "sim_world.h"

#include <exception>
#include <filesystem>

#include "cadsim/dxf.h"
#include "cadsim/sim_cad.h"
#include "platform/ansi_codec.h"
#include "platform/sim/desktop.h"

namespace pwscript {
namespace {

// The scripted user takes a second for each pick.
constexpr std::uint32_t kPickDelayMs = 1000;

class CadsimWorld final : public SimWorld {
 public:
  CadsimWorld(const Arguments& a, cadsim::Drawing drawing)
      : cad_(desktop_, std::move(drawing), Options(a)), bind_(desktop_) {
    for (const auto& [name, value] : a.set) cad_.Cad().Type(name + u"\r" + value + u"\r");
    for (const Pick& p : a.picks)
      cad_.Cad().Script(cadsim::UserAction::PickAt({p.x, p.y, p.z}, kPickDelayMs));
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
  return std::make_unique<CadsimWorld>(arguments, std::move(drawing));
}

}  // namespace pwscript
