// The COM classes PwAcad and PwControl over the library's own classes.
#pragma once

#include <memory>

#include "com_support.h"
#include "link/pw_acad.h"
#include "link/pw_control.h"

namespace korvel::com {

// The channel object. Wraps the library's PwControl by shared ownership, so a
// client may keep it after its PwAcad released it (it then reports LinkFailed).
class ControlObject final : public DispatchObject<::_PwControl> {
 public:
  explicit ControlObject(std::shared_ptr<korvel::PwControl> control);
  const std::shared_ptr<korvel::PwControl>& Inner() const { return control_; }

  HRESULT STDMETHODCALLTYPE get_CommandTimeOut(LONG* value) override;
  HRESULT STDMETHODCALLTYPE put_CommandTimeOut(LONG value) override;
  HRESULT STDMETHODCALLTYPE get_CheckInterval(LONG* value) override;
  HRESULT STDMETHODCALLTYPE put_CheckInterval(LONG value) override;
  HRESULT STDMETHODCALLTYPE get_PostNullChar(VARIANT_BOOL* value) override;
  HRESULT STDMETHODCALLTYPE put_PostNullChar(VARIANT_BOOL value) override;
  HRESULT STDMETHODCALLTYPE get_PatternMatch(VARIANT_BOOL* value) override;
  HRESULT STDMETHODCALLTYPE put_PatternMatch(VARIANT_BOOL value) override;
  HRESULT STDMETHODCALLTYPE Active(LONG* result) override;
  HRESULT STDMETHODCALLTYPE PostCommand(BSTR AcadCommand, LONG* result) override;
  HRESULT STDMETHODCALLTYPE SendCommand(BSTR AcadCommand, BSTR CommandPrompt, LONG* result) override;
  HRESULT STDMETHODCALLTYPE GetPrompt(BSTR* CommandPrompt, LONG* result) override;
  HRESULT STDMETHODCALLTYPE WaitPrompt(BSTR CommandPrompt, LONG* result) override;
  HRESULT STDMETHODCALLTYPE GetHistory(BSTR* HistoryText, BSTR MatchString, LONG* result) override;
  HRESULT STDMETHODCALLTYPE GetVariable(BSTR SystemVariable, BSTR* Value, LONG* result) override;
  HRESULT STDMETHODCALLTYPE SetVariable(BSTR SystemVariable, BSTR Value, LONG* result) override;
  HRESULT STDMETHODCALLTYPE GetPosition(double* X, double* Y, double* Z, LONG* result) override;
  HRESULT STDMETHODCALLTYPE RunScript(BSTR PathName, SAFEARRAY** UserVariable, LONG* result) override;
  HRESULT STDMETHODCALLTYPE ShowMessage(BSTR Message, LONG Button, BSTR Title, LONG* result) override;
  HRESULT STDMETHODCALLTYPE Terminate() override;
  HRESULT STDMETHODCALLTYPE DxfOut(BSTR SelectOp, BSTR VerOp, ::_PwAcad** hnd, LONG* result) override;
  HRESULT STDMETHODCALLTYPE DxfScan(BSTR Sec_Str, BSTR Obj_Str, BSTR Fom_Str, SAFEARRAY** Hairetu,
                                    LONG* result) override;
  HRESULT STDMETHODCALLTYPE DxfAttributesAfter(BSTR Tag_Str, BSTR Value_Str, SAFEARRAY** Values,
                                               LONG* result) override;

 private:
  std::shared_ptr<korvel::PwControl> control_;
};

// Identifies our own PwAcad objects behind an interface pointer a client hands
// back (DxfOut's hnd): querying it gives the object itself.
// {6d1e6a52-3b8c-4f0e-9a57-0c4b5f1e2a31}
inline constexpr IID kIidAcadObject = {
    0x6d1e6a52, 0x3b8c, 0x4f0e, {0x9a, 0x57, 0x0c, 0x4b, 0x5f, 0x1e, 0x2a, 0x31}};

class AcadObject final : public DispatchObject<::_PwAcad> {
 public:
  AcadObject();
  ~AcadObject() override;
  korvel::PwAcad& Inner() { return *acad_; }

  HRESULT STDMETHODCALLTYPE get_Title(BSTR* value) override;
  HRESULT STDMETHODCALLTYPE get_Version(BSTR* value) override;
  HRESULT STDMETHODCALLTYPE get_ExecuteTimeOut(LONG* value) override;
  HRESULT STDMETHODCALLTYPE put_ExecuteTimeOut(LONG value) override;
  HRESULT STDMETHODCALLTYPE get_CheckMainCmdWindow(VARIANT_BOOL* value) override;
  HRESULT STDMETHODCALLTYPE put_CheckMainCmdWindow(VARIANT_BOOL value) override;
  HRESULT STDMETHODCALLTYPE get_CommandPrompt(BSTR* value) override;
  HRESULT STDMETHODCALLTYPE put_CommandPrompt(BSTR value) override;
#define KORVEL_WINDOW_PROPERTIES(Name)                                   \
  HRESULT STDMETHODCALLTYPE get_##Name##Handle(LONG* value) override;    \
  HRESULT STDMETHODCALLTYPE get_##Name##ThreadID(LONG* value) override;  \
  HRESULT STDMETHODCALLTYPE get_##Name##ProcessID(LONG* value) override; \
  HRESULT STDMETHODCALLTYPE get_##Name##Class(BSTR* value) override;     \
  HRESULT STDMETHODCALLTYPE get_##Name##Title(BSTR* value) override;
  KORVEL_WINDOW_PROPERTIES(MainWindow)
  KORVEL_WINDOW_PROPERTIES(TextWindow)
  KORVEL_WINDOW_PROPERTIES(CommandWindow)
  KORVEL_WINDOW_PROPERTIES(HistoryWindow)
#undef KORVEL_WINDOW_PROPERTIES
  HRESULT STDMETHODCALLTYPE get_MainCompareTitle(BSTR* value) override;
  HRESULT STDMETHODCALLTYPE put_MainCompareTitle(BSTR value) override;
  HRESULT STDMETHODCALLTYPE get_TextCompareTitle(BSTR* value) override;
  HRESULT STDMETHODCALLTYPE put_TextCompareTitle(BSTR value) override;
  HRESULT STDMETHODCALLTYPE get_CommandCompareTitle(BSTR* value) override;
  HRESULT STDMETHODCALLTYPE put_CommandCompareTitle(BSTR value) override;
  HRESULT STDMETHODCALLTYPE get_HistoryCompareTitle(BSTR* value) override;
  HRESULT STDMETHODCALLTYPE put_HistoryCompareTitle(BSTR value) override;
  HRESULT STDMETHODCALLTYPE get_ErrDescription(BSTR* value) override;
  HRESULT STDMETHODCALLTYPE get_ErrSource(BSTR* value) override;
  HRESULT STDMETHODCALLTYPE get_ErrNumber(LONG* value) override;
  HRESULT STDMETHODCALLTYPE Execute(BSTR PathName, BSTR Parameter, LONG hWnd, ::acExecuteMode ExecuteMode,
                                    LONG* result) override;
  HRESULT STDMETHODCALLTYPE Search(LONG* result) override;
  HRESULT STDMETHODCALLTYPE get_Control(::_PwControl** value) override;
  HRESULT STDMETHODCALLTYPE ControlExists(VARIANT_BOOL* result) override;
  HRESULT STDMETHODCALLTYPE RemoveControl() override;

 protected:
  bool QueryOwn(REFIID riid, void** out) override;

 private:
  // Shared, so that a call that waits keeps the library's object alive even
  // if a handler run by the wait releases this COM object (Execute), and
  // DxfOut keeps the object its hnd maps to.
  const std::shared_ptr<korvel::PwAcad> acad_ = korvel::PwAcad::Create();
  // The wrapper handed out for the current channel, so that reading Control
  // twice gives the same object.
  ControlObject* control_object_ = nullptr;
};

}  // namespace korvel::com
