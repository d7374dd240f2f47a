#include "link/pw_acad.h"

#include <cstdio>

#include "guarded.h"
#include "korvel_version.h"
#include "link/pw_control.h"

namespace korvel {

std::shared_ptr<PwAcad> PwAcad::Create() { return std::make_shared<PwAcad>(); }

PwAcad::PwAcad() {
  ClearError();
  ClearWindowInfo();
  SharedState& s = Shared();
  s.MainCompareTitle = kDefaultMainTitle;
  s.TextCompareTitle = kDefaultTextTitle;
  s.CommandCompareTitle = kDefaultCommandTitle;
  s.HistoryCompareTitle = kDefaultHistoryTitle;
  s.CheckMainCmdWindow = true;
  s.CommandPrompt = kDefaultPrompt;
}

// Releasing the channel does not reset the shared state: a client may still
// hold the PwControl, and other objects of the thread share the records.
PwAcad::~PwAcad() = default;

std::u16string PwAcad::get_Title() const { return std::u16string(kTitle); }

std::u16string PwAcad::get_Version() const {
  char text[32];
  std::snprintf(text, sizeof text, "%d.%02d.%02d", KORVEL_VERSION_MAJOR, KORVEL_VERSION_MINOR,
                KORVEL_VERSION_REVISION);
  return std::u16string(text, text + std::char_traits<char>::length(text));
}

std::shared_ptr<_PwControl> PwAcad::get_Control() const { return control_; }

bool PwAcad::ControlExists() {
  if (!control_) return false;
  if (CheckAcadWindows()) return true;
  ClearWindowInfo();
  control_.reset();
  return false;
}

void PwAcad::RemoveControl() {
  ClearWindowInfo();
  control_.reset();
}

}  // namespace korvel
