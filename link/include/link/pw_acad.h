// PwAcad: finds a running AutoCAD by its window titles, describes its windows
// and holds the thread's last error. Members follow the COM interface's slot
// order; properties are get_/put_ pairs as in the COM shape.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "link/errors.h"
#include "link/mdl_common.h"
#include "link/pw_interfaces.h"

namespace korvel {

class PwControl;

class PwAcad final : public _PwAcad {
 public:
  // A PwAcad held by shared ownership, as clients should make it: a call that
  // waits (Execute, and DxfOut with it as hnd) then keeps it alive until it
  // returns even if a handler run by the wait releases the client's last
  // reference. A PwAcad made any other way cannot be kept; such a call notices
  // that it was destroyed and fails its remaining steps with LinkFailed.
  static std::shared_ptr<PwAcad> Create();
  // Resets the thread's shared state: clears the error and the window records
  // and restores the default titles, prompt and CheckMainCmdWindow. A second
  // PwAcad therefore forgets what an earlier one had found.
  PwAcad();
  ~PwAcad() override;
  PwAcad(const PwAcad&) = delete;
  PwAcad& operator=(const PwAcad&) = delete;

  std::u16string get_Title() const override;
  std::u16string get_Version() const override;  // "1.00.00"
  std::int32_t get_ExecuteTimeOut() const override { return execute_time_out_; }
  void put_ExecuteTimeOut(std::int32_t ms) override { execute_time_out_ = ms < 0 ? -1 : ms; }
  bool get_CheckMainCmdWindow() const override { return Shared().CheckMainCmdWindow; }
  void put_CheckMainCmdWindow(bool check) override { Shared().CheckMainCmdWindow = check; }
  std::u16string get_CommandPrompt() const override { return Shared().CommandPrompt; }
  void put_CommandPrompt(std::u16string_view prompt) override { Shared().CommandPrompt = prompt; }

  std::int32_t get_MainWindowHandle() const override { return Shared().Main.Handle; }
  std::int32_t get_MainWindowThreadID() const override { return Shared().Main.ThreadID; }
  std::int32_t get_MainWindowProcessID() const override { return Shared().Main.ProcessID; }
  std::u16string get_MainWindowClass() const override { return Shared().Main.Class; }
  std::u16string get_MainWindowTitle() const override { return Shared().Main.Title; }
  std::int32_t get_TextWindowHandle() const override { return Shared().Text.Handle; }
  std::int32_t get_TextWindowThreadID() const override { return Shared().Text.ThreadID; }
  std::int32_t get_TextWindowProcessID() const override { return Shared().Text.ProcessID; }
  std::u16string get_TextWindowClass() const override { return Shared().Text.Class; }
  std::u16string get_TextWindowTitle() const override { return Shared().Text.Title; }
  std::int32_t get_CommandWindowHandle() const override { return Shared().Command.Handle; }
  std::int32_t get_CommandWindowThreadID() const override { return Shared().Command.ThreadID; }
  std::int32_t get_CommandWindowProcessID() const override { return Shared().Command.ProcessID; }
  std::u16string get_CommandWindowClass() const override { return Shared().Command.Class; }
  std::u16string get_CommandWindowTitle() const override { return Shared().Command.Title; }
  std::int32_t get_HistoryWindowHandle() const override { return Shared().History.Handle; }
  std::int32_t get_HistoryWindowThreadID() const override { return Shared().History.ThreadID; }
  std::int32_t get_HistoryWindowProcessID() const override { return Shared().History.ProcessID; }
  std::u16string get_HistoryWindowClass() const override { return Shared().History.Class; }
  std::u16string get_HistoryWindowTitle() const override { return Shared().History.Title; }

  std::u16string get_MainCompareTitle() const override { return Shared().MainCompareTitle; }
  void put_MainCompareTitle(std::u16string_view t) override { Shared().MainCompareTitle = t; }
  std::u16string get_TextCompareTitle() const override { return Shared().TextCompareTitle; }
  void put_TextCompareTitle(std::u16string_view t) override { Shared().TextCompareTitle = t; }
  std::u16string get_CommandCompareTitle() const override { return Shared().CommandCompareTitle; }
  void put_CommandCompareTitle(std::u16string_view t) override { Shared().CommandCompareTitle = t; }
  std::u16string get_HistoryCompareTitle() const override { return Shared().HistoryCompareTitle; }
  void put_HistoryCompareTitle(std::u16string_view t) override { Shared().HistoryCompareTitle = t; }

  std::u16string get_ErrDescription() const override { return Shared().ErrorInfo.Description; }
  std::u16string get_ErrSource() const override { return Shared().ErrorInfo.Source; }
  std::int32_t get_ErrNumber() const override { return Shared().ErrorInfo.Number; }

  // Starts a program (AutoCAD) through the shell and waits as ExecuteMode says:
  // not at all, until it ends, until it is idle for input, or (WaitPrompt)
  // until idle, then Search and the shared CommandPrompt. Any other mode is
  // refused before anything is started. Only a successful WaitPrompt leaves
  // window records and a Control behind. hWnd owns the shell's windows.
  std::int32_t Execute(std::u16string_view PathName, std::u16string_view Parameter, std::int32_t hWnd,
                       acExecuteMode ExecuteMode) override;
  // Finds one running AutoCAD and records its windows; -1 or the error number.
  // A failed search leaves no records and no Control behind.
  std::int32_t Search() override;
  // The channel made by the last successful Search, or null.
  std::shared_ptr<_PwControl> get_Control() const override;
  // The same channel as the library's own class.
  std::shared_ptr<PwControl> Control() const { return control_; }
  // False (and the records and Control dropped) once a recorded window is gone.
  bool ControlExists() override;
  void RemoveControl() override;

  // Expires when this object is destroyed: a call that waits for a PwAcad it
  // cannot keep alive watches it, so that it never touches a freed object.
  std::weak_ptr<const void> Lifetime() const { return lifetime_; }

 private:
  std::shared_ptr<const bool> lifetime_ = std::make_shared<const bool>(true);
  std::int32_t execute_time_out_ = 300000;
  std::shared_ptr<PwControl> control_;
};

}  // namespace korvel
