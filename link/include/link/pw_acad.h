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

namespace korvel {

class PwControl;

class PwAcad {
 public:
  // Resets the thread's shared state: clears the error and the window records
  // and restores the default titles, prompt and CheckMainCmdWindow. A second
  // PwAcad therefore forgets what an earlier one had found.
  PwAcad();
  ~PwAcad();
  PwAcad(const PwAcad&) = delete;
  PwAcad& operator=(const PwAcad&) = delete;

  std::u16string get_Title() const;
  std::u16string get_Version() const;  // "1.00.00"
  std::int32_t get_ExecuteTimeOut() const { return execute_time_out_; }
  void put_ExecuteTimeOut(std::int32_t ms) { execute_time_out_ = ms < 0 ? -1 : ms; }
  bool get_CheckMainCmdWindow() const { return Shared().CheckMainCmdWindow; }
  void put_CheckMainCmdWindow(bool check) { Shared().CheckMainCmdWindow = check; }
  std::u16string get_CommandPrompt() const { return Shared().CommandPrompt; }
  void put_CommandPrompt(std::u16string_view prompt) { Shared().CommandPrompt = prompt; }

  std::int32_t get_MainWindowHandle() const { return Shared().Main.Handle; }
  std::int32_t get_MainWindowThreadID() const { return Shared().Main.ThreadID; }
  std::int32_t get_MainWindowProcessID() const { return Shared().Main.ProcessID; }
  std::u16string get_MainWindowClass() const { return Shared().Main.Class; }
  std::u16string get_MainWindowTitle() const { return Shared().Main.Title; }
  std::int32_t get_TextWindowHandle() const { return Shared().Text.Handle; }
  std::int32_t get_TextWindowThreadID() const { return Shared().Text.ThreadID; }
  std::int32_t get_TextWindowProcessID() const { return Shared().Text.ProcessID; }
  std::u16string get_TextWindowClass() const { return Shared().Text.Class; }
  std::u16string get_TextWindowTitle() const { return Shared().Text.Title; }
  std::int32_t get_CommandWindowHandle() const { return Shared().Command.Handle; }
  std::int32_t get_CommandWindowThreadID() const { return Shared().Command.ThreadID; }
  std::int32_t get_CommandWindowProcessID() const { return Shared().Command.ProcessID; }
  std::u16string get_CommandWindowClass() const { return Shared().Command.Class; }
  std::u16string get_CommandWindowTitle() const { return Shared().Command.Title; }
  std::int32_t get_HistoryWindowHandle() const { return Shared().History.Handle; }
  std::int32_t get_HistoryWindowThreadID() const { return Shared().History.ThreadID; }
  std::int32_t get_HistoryWindowProcessID() const { return Shared().History.ProcessID; }
  std::u16string get_HistoryWindowClass() const { return Shared().History.Class; }
  std::u16string get_HistoryWindowTitle() const { return Shared().History.Title; }

  std::u16string get_MainCompareTitle() const { return Shared().MainCompareTitle; }
  void put_MainCompareTitle(std::u16string_view t) { Shared().MainCompareTitle = t; }
  std::u16string get_TextCompareTitle() const { return Shared().TextCompareTitle; }
  void put_TextCompareTitle(std::u16string_view t) { Shared().TextCompareTitle = t; }
  std::u16string get_CommandCompareTitle() const { return Shared().CommandCompareTitle; }
  void put_CommandCompareTitle(std::u16string_view t) { Shared().CommandCompareTitle = t; }
  std::u16string get_HistoryCompareTitle() const { return Shared().HistoryCompareTitle; }
  void put_HistoryCompareTitle(std::u16string_view t) { Shared().HistoryCompareTitle = t; }

  std::u16string get_ErrDescription() const { return Shared().ErrorInfo.Description; }
  std::u16string get_ErrSource() const { return Shared().ErrorInfo.Source; }
  std::int32_t get_ErrNumber() const { return Shared().ErrorInfo.Number; }

  // Starts a program (AutoCAD) through the shell and waits as ExecuteMode says:
  // not at all, until it ends, until it is idle for input, or (WaitPrompt)
  // until idle, then Search and the shared CommandPrompt. Any other mode is
  // refused before anything is started. Only a successful WaitPrompt leaves
  // window records and a Control behind. hWnd owns the shell's windows.
  std::int32_t Execute(std::u16string_view PathName, std::u16string_view Parameter, std::int32_t hWnd,
                       acExecuteMode ExecuteMode);
  // Finds one running AutoCAD and records its windows; -1 or the error number.
  // A failed search leaves no records and no Control behind.
  std::int32_t Search();
  // The channel made by the last successful Search, or null.
  std::shared_ptr<PwControl> get_Control() const { return control_; }
  // False (and the records and Control dropped) once a recorded window is gone.
  bool ControlExists();
  void RemoveControl();

 private:
  std::int32_t execute_time_out_ = 300000;
  std::shared_ptr<PwControl> control_;
};

}  // namespace korvel
