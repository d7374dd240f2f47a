// PwclsShellEx: the launcher behind PwAcad::Execute. It starts a program
// through the shell and follows the process as the wait mode says; it does not
// use the error record, it only returns -1 or an error number.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "link/errors.h"
#include "platform/types.h"

namespace korvel {

class PwclsShellEx {
 public:
  PwclsShellEx() = default;
  // Ends a WaitExit wait that is still running (the only way it ends early),
  // and lets go of a process still followed after a WaitPrompt launch.
  ~PwclsShellEx();
  PwclsShellEx(const PwclsShellEx&) = delete;
  PwclsShellEx& operator=(const PwclsShellEx&) = delete;

  std::u16string get_WorkFolder() const { return work_folder_; }
  void put_WorkFolder(std::u16string_view folder) { work_folder_ = folder; }
  std::int32_t get_ExecuteTimeOut() const { return execute_time_out_; }
  // Stored unchanged: -1 (any negative value) waits for input-idle without limit.
  void put_ExecuteTimeOut(std::int32_t ms) { execute_time_out_ = ms; }

  // -1, FileNotFound, ExecuteFailed or WaitFailed. lngWindowStyle and the work
  // folder describe the start to the shell; PwAcad always asks for a normal
  // window and the program's own folder.
  std::int32_t Execute(std::u16string_view strPathName, std::u16string_view strParameter,
                       std::int32_t lngWindowStyle, std::int32_t lnghWnd, acExecuteMode acExecMode);

  // After a successful WaitPrompt launch the process is still followed, so that
  // a search for its windows can stop once it has ended. True while it runs,
  // and when the shell gave no process to follow.
  bool ProgramRunning();

 private:
  bool FileExists(std::u16string_view path) const;

  std::u16string work_folder_;
  std::int32_t execute_time_out_ = -1;
  bool cancel_requested_ = false;
  platform::ProcessHandle process_ = 0;  // kept only after a WaitPrompt launch
};

}  // namespace korvel
