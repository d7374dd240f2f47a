// The link library as its clients see it: the two COM interfaces _PwAcad and
// _PwControl as abstract C++ classes, members in the interfaces' slot order.
//
// A program that drives AutoCAD through korvel talks only to these. Natively
// the library's own PwAcad and PwControl implement them; on Windows a client
// implements them over the COM objects it created, so the same client code
// runs in both worlds. Nothing here needs the library's code: this folder is
// headers only.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "link/dxf_table.h"
#include "link/errors.h"

namespace korvel {

// The defaults of the optional arguments, as the type library gives them.
inline constexpr std::u16string_view kDefaultPromptArgument = u"ｺﾏﾝﾄﾞ: ";
inline constexpr std::u16string_view kDefaultTitleArgument = u"PwAcadCtrl";

class _PwAcad;

class _PwControl : public std::enable_shared_from_this<_PwControl> {
 public:
  virtual ~_PwControl() = default;

  virtual std::int32_t get_CommandTimeOut() const = 0;
  virtual void put_CommandTimeOut(std::int32_t ms) = 0;
  virtual std::int32_t get_CheckInterval() const = 0;
  virtual void put_CheckInterval(std::int32_t ms) = 0;
  virtual bool get_PostNullChar() const = 0;
  virtual void put_PostNullChar(bool post) = 0;
  virtual bool get_PatternMatch() const = 0;
  virtual void put_PatternMatch(bool match) = 0;
  virtual std::int32_t Active() = 0;
  virtual std::int32_t PostCommand(std::u16string_view AcadCommand) = 0;
  virtual std::int32_t SendCommand(std::u16string_view AcadCommand,
                                   std::u16string_view CommandPrompt = kDefaultPromptArgument) = 0;
  virtual std::int32_t GetPrompt(std::u16string& CommandPrompt) = 0;
  virtual std::int32_t WaitPrompt(std::u16string_view CommandPrompt = kDefaultPromptArgument) = 0;
  virtual std::int32_t GetHistory(std::u16string& HistoryText, std::u16string_view MatchString = u"") = 0;
  virtual std::int32_t GetVariable(std::u16string_view SystemVariable, std::u16string& Value) = 0;
  virtual std::int32_t SetVariable(std::u16string_view SystemVariable, std::u16string_view Value) = 0;
  virtual std::int32_t GetPosition(double& X, double& Y, double& Z) = 0;
  // A null UserVariable stands for a caller that passed no array at all.
  virtual std::int32_t RunScript(std::u16string_view PathName, std::vector<std::u16string>* UserVariable) = 0;
  virtual std::int32_t ShowMessage(std::u16string_view Message, std::int32_t Button = 0,
                                   std::u16string_view Title = kDefaultTitleArgument) = 0;
  virtual void Terminate() = 0;
  virtual std::int32_t DxfOut(std::u16string_view SelectOp, std::u16string_view VerOp, _PwAcad* hnd) = 0;
  virtual std::int32_t DxfScan(std::u16string_view Sec_Str, std::u16string_view Obj_Str,
                               std::u16string_view Fom_Str, DxfTable& Hairetu) = 0;
  virtual std::int32_t DxfAttributesAfter(std::u16string_view Tag_Str, std::u16string_view Value_Str,
                                          std::vector<std::u16string>& Values) = 0;
};

class _PwAcad : public std::enable_shared_from_this<_PwAcad> {
 public:
  virtual ~_PwAcad() = default;

  virtual std::u16string get_Title() const = 0;
  virtual std::u16string get_Version() const = 0;
  virtual std::int32_t get_ExecuteTimeOut() const = 0;
  virtual void put_ExecuteTimeOut(std::int32_t ms) = 0;
  virtual bool get_CheckMainCmdWindow() const = 0;
  virtual void put_CheckMainCmdWindow(bool check) = 0;
  virtual std::u16string get_CommandPrompt() const = 0;
  virtual void put_CommandPrompt(std::u16string_view prompt) = 0;

  virtual std::int32_t get_MainWindowHandle() const = 0;
  virtual std::int32_t get_MainWindowThreadID() const = 0;
  virtual std::int32_t get_MainWindowProcessID() const = 0;
  virtual std::u16string get_MainWindowClass() const = 0;
  virtual std::u16string get_MainWindowTitle() const = 0;
  virtual std::int32_t get_TextWindowHandle() const = 0;
  virtual std::int32_t get_TextWindowThreadID() const = 0;
  virtual std::int32_t get_TextWindowProcessID() const = 0;
  virtual std::u16string get_TextWindowClass() const = 0;
  virtual std::u16string get_TextWindowTitle() const = 0;
  virtual std::int32_t get_CommandWindowHandle() const = 0;
  virtual std::int32_t get_CommandWindowThreadID() const = 0;
  virtual std::int32_t get_CommandWindowProcessID() const = 0;
  virtual std::u16string get_CommandWindowClass() const = 0;
  virtual std::u16string get_CommandWindowTitle() const = 0;
  virtual std::int32_t get_HistoryWindowHandle() const = 0;
  virtual std::int32_t get_HistoryWindowThreadID() const = 0;
  virtual std::int32_t get_HistoryWindowProcessID() const = 0;
  virtual std::u16string get_HistoryWindowClass() const = 0;
  virtual std::u16string get_HistoryWindowTitle() const = 0;

  virtual std::u16string get_MainCompareTitle() const = 0;
  virtual void put_MainCompareTitle(std::u16string_view t) = 0;
  virtual std::u16string get_TextCompareTitle() const = 0;
  virtual void put_TextCompareTitle(std::u16string_view t) = 0;
  virtual std::u16string get_CommandCompareTitle() const = 0;
  virtual void put_CommandCompareTitle(std::u16string_view t) = 0;
  virtual std::u16string get_HistoryCompareTitle() const = 0;
  virtual void put_HistoryCompareTitle(std::u16string_view t) = 0;

  virtual std::u16string get_ErrDescription() const = 0;
  virtual std::u16string get_ErrSource() const = 0;
  virtual std::int32_t get_ErrNumber() const = 0;

  virtual std::int32_t Execute(std::u16string_view PathName, std::u16string_view Parameter, std::int32_t hWnd,
                               acExecuteMode ExecuteMode) = 0;
  virtual std::int32_t Search() = 0;
  // The channel of the last successful search, or null.
  virtual std::shared_ptr<_PwControl> get_Control() const = 0;
  virtual bool ControlExists() = 0;
  virtual void RemoveControl() = 0;
};

}  // namespace korvel
