#include "objects.h"

namespace korvel::com {

AcadObject::AcadObject() : DispatchObject(IID__PwAcad) {}

AcadObject::~AcadObject() {
  if (control_object_ != nullptr) control_object_->Release();
}

bool AcadObject::QueryOwn(REFIID riid, void** out) {
  if (!IsEqualIID(riid, kIidAcadObject)) return false;
  *out = this;
  return true;
}

HRESULT AcadObject::get_Title(BSTR* value) {
  return Fenced([&] { return Put(value, acad_->get_Title()); });
}
HRESULT AcadObject::get_Version(BSTR* value) {
  return Fenced([&] { return Put(value, acad_->get_Version()); });
}
HRESULT AcadObject::get_ExecuteTimeOut(LONG* value) { return Put(value, LONG{acad_->get_ExecuteTimeOut()}); }
HRESULT AcadObject::put_ExecuteTimeOut(LONG value) {
  acad_->put_ExecuteTimeOut(value);
  return S_OK;
}
HRESULT AcadObject::get_CheckMainCmdWindow(VARIANT_BOOL* value) {
  return Put(value, ToVariantBool(acad_->get_CheckMainCmdWindow()));
}
HRESULT AcadObject::put_CheckMainCmdWindow(VARIANT_BOOL value) {
  acad_->put_CheckMainCmdWindow(value != VARIANT_FALSE);
  return S_OK;
}
HRESULT AcadObject::get_CommandPrompt(BSTR* value) {
  return Fenced([&] { return Put(value, acad_->get_CommandPrompt()); });
}
HRESULT AcadObject::put_CommandPrompt(BSTR value) {
  return Fenced([&] {
    acad_->put_CommandPrompt(FromBstr(value));
    return S_OK;
  });
}

#define KORVEL_WINDOW_PROPERTIES(Name)                                     \
  HRESULT AcadObject::get_##Name##Handle(LONG* value) {                    \
    return Put(value, LONG{acad_->get_##Name##Handle()});                  \
  }                                                                        \
  HRESULT AcadObject::get_##Name##ThreadID(LONG* value) {                  \
    return Put(value, LONG{acad_->get_##Name##ThreadID()});                \
  }                                                                        \
  HRESULT AcadObject::get_##Name##ProcessID(LONG* value) {                 \
    return Put(value, LONG{acad_->get_##Name##ProcessID()});               \
  }                                                                        \
  HRESULT AcadObject::get_##Name##Class(BSTR* value) {                     \
    return Fenced([&] { return Put(value, acad_->get_##Name##Class()); }); \
  }                                                                        \
  HRESULT AcadObject::get_##Name##Title(BSTR* value) {                     \
    return Fenced([&] { return Put(value, acad_->get_##Name##Title()); }); \
  }
KORVEL_WINDOW_PROPERTIES(MainWindow)
KORVEL_WINDOW_PROPERTIES(TextWindow)
KORVEL_WINDOW_PROPERTIES(CommandWindow)
KORVEL_WINDOW_PROPERTIES(HistoryWindow)
#undef KORVEL_WINDOW_PROPERTIES

#define KORVEL_COMPARE_TITLE(Name)                                  \
  HRESULT AcadObject::get_##Name(BSTR* value) {                     \
    return Fenced([&] { return Put(value, acad_->get_##Name()); }); \
  }                                                                 \
  HRESULT AcadObject::put_##Name(BSTR value) {                      \
    return Fenced([&] {                                             \
      acad_->put_##Name(FromBstr(value));                           \
      return S_OK;                                                  \
    });                                                             \
  }
KORVEL_COMPARE_TITLE(MainCompareTitle)
KORVEL_COMPARE_TITLE(TextCompareTitle)
KORVEL_COMPARE_TITLE(CommandCompareTitle)
KORVEL_COMPARE_TITLE(HistoryCompareTitle)
#undef KORVEL_COMPARE_TITLE

HRESULT AcadObject::get_ErrDescription(BSTR* value) {
  return Fenced([&] { return Put(value, acad_->get_ErrDescription()); });
}
HRESULT AcadObject::get_ErrSource(BSTR* value) {
  return Fenced([&] { return Put(value, acad_->get_ErrSource()); });
}
HRESULT AcadObject::get_ErrNumber(LONG* value) { return Put(value, LONG{acad_->get_ErrNumber()}); }

HRESULT AcadObject::Execute(BSTR PathName, BSTR Parameter, LONG hWnd, ::acExecuteMode ExecuteMode,
                            LONG* result) {
  return Run(result, [&] {
    return acad_->Execute(FromBstr(PathName), FromBstr(Parameter), hWnd,
                          static_cast<korvel::acExecuteMode>(ExecuteMode));
  });
}

HRESULT AcadObject::Search(LONG* result) {
  return Run(result, [&] { return acad_->Search(); });
}

HRESULT AcadObject::get_Control(::_PwControl** value) {
  if (value == nullptr) return E_POINTER;
  return Fenced([&] {
    *value = nullptr;
    const auto control = acad_->Control();
    if (!control) return S_OK;
    if (control_object_ == nullptr || control_object_->Inner() != control) {
      if (control_object_ != nullptr) control_object_->Release();
      control_object_ = new ControlObject(control);
    }
    control_object_->AddRef();
    *value = control_object_;
    return S_OK;
  });
}

HRESULT AcadObject::ControlExists(VARIANT_BOOL* result) {
  // Checked first: finding the windows gone releases the channel.
  if (result == nullptr) return E_POINTER;
  return Fenced([&] { return Put(result, ToVariantBool(acad_->ControlExists())); });
}

HRESULT AcadObject::RemoveControl() {
  return Fenced([&] {
    acad_->RemoveControl();
    return S_OK;
  });
}

}  // namespace korvel::com
