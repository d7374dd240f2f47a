// PwAcad::Execute: starting AutoCAD and, in mode WaitPrompt, leaving a ready
// channel behind.
#include <memory>

#include "guarded.h"
#include "held_acad.h"
#include "link/pw_acad.h"
#include "link/pw_control.h"
#include "pwcls_shell_ex.h"

namespace korvel {
namespace {

constexpr std::u16string_view kSource = u"PwAcadCtrl.Acad.Execute";
constexpr std::int32_t kNormalWindow = 1;  // SW_SHOWNORMAL

std::u16string_view LaunchFailureText(std::int32_t r) {
  switch (r) {
    case FileNotFound:
      return kMsgFileNotFound;
    case WaitFailed:
      return kMsgWaitFailed;
    case ExecuteFailed:
      return kMsgExecuteFailed;
    default:
      return kMsgExecuteError;
  }
}

}  // namespace

std::int32_t PwAcad::Execute(std::u16string_view PathName, std::u16string_view Parameter, std::int32_t hWnd,
                             acExecuteMode ExecuteMode) {
  const std::u16string path = StripQuotes(PathName), parameter(Parameter);
  std::unique_ptr<PwclsShellEx> launcher;
  // The wait for the prompt pumps the client's messages, and a handler may
  // release the client's last reference to this object meanwhile.
  const HeldAcad self(this);
  return Guarded(
      [&] {
        ClearWindowInfo();
        control_.reset();
        // Any other mode would start the program and then neither wait nor
        // report anything; it is refused while nothing has happened yet.
        if (ExecuteMode < WaitNone || ExecuteMode > WaitPrompt)
          Raise(kErrInvalidCall, kSource, kMsgExecuteModeWrong);
        launcher = std::make_unique<PwclsShellEx>();
        launcher->put_ExecuteTimeOut(execute_time_out_);
        const std::int32_t r = launcher->Execute(path, parameter, kNormalWindow, hWnd, ExecuteMode);
        if (r != -1) Raise(r, kSource, LaunchFailureText(r));
        launcher.reset();
        if (ExecuteMode != WaitPrompt) return -1;

        // One search, right after the idle wait: a program that has not made
        // its windows by then is not waited for.
        if (Search() != -1) RaiseRecorded();
        const std::shared_ptr<PwControl> control = control_;
        const std::int32_t w = control->WaitPrompt(Shared().CommandPrompt);
        // Released and destroyed during the wait: nobody holds the channel any
        // more, and nothing of this object may be touched.
        if (self.Get() == nullptr) Raise(LinkFailed, kSource, kMsgNotRunning);
        // A Terminate on the new channel (from a handler run by the wait) is
        // returned like WaitPrompt returns it, unrecorded; the channel is not
        // known to be ready, so it goes as after a failure.
        if (w == CancelByUser) {
          ClearWindowInfo();
          control_.reset();
          return w;
        }
        if (w != -1) RaiseRecorded();
        return -1;
      },
      [&] {
        ClearWindowInfo();
        if (self.Get() != nullptr) control_.reset();
        launcher.reset();
      });
}

}  // namespace korvel
