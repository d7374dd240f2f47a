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
// How often the windows of a program that is idle but has not made them yet
// are looked for again.
constexpr std::int32_t kSearchAgainMs = 250;

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
        auto& clock = Os().Time();
        const std::uint32_t start = clock.TickCount();
        const std::int32_t r = launcher->Execute(path, parameter, kNormalWindow, hWnd, ExecuteMode);
        if (r != -1) Raise(r, kSource, LaunchFailureText(r));
        if (ExecuteMode != WaitPrompt) {
          launcher.reset();
          return -1;
        }

        // Being idle for input does not mean the windows are made: AutoCAD is
        // idle while its splash screen shows, and makes its text window later.
        // The search is repeated until the launch's own time-out has passed
        // or the program has ended; only a failure to find the windows is
        // retried.
        while (Search() != -1) {
          const bool out_of_time = execute_time_out_ >= 0 &&
                                   clock.TickCount() - start >= static_cast<std::uint32_t>(execute_time_out_);
          if (get_ErrNumber() != SearchFailed || out_of_time || !launcher->ProgramRunning()) RaiseRecorded();
          clock.Sleep(kSearchAgainMs);
        }
        launcher.reset();
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
