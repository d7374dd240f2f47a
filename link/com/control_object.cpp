#include <vector>

#include "link/dxf_table.h"
#include "objects.h"

namespace korvel::com {
namespace {

// A one-dimensional array of strings, as a script's user variables arrive.
HRESULT ReadStrings(SAFEARRAY* array, std::vector<std::u16string>& out) {
  if (SafeArrayGetDim(array) != 1) return DISP_E_TYPEMISMATCH;
  VARTYPE type = VT_EMPTY;
  if (FAILED(SafeArrayGetVartype(array, &type)) || type != VT_BSTR) return DISP_E_TYPEMISMATCH;
  LONG lower = 0, upper = -1;
  SafeArrayGetLBound(array, 1, &lower);
  SafeArrayGetUBound(array, 1, &upper);
  for (LONG i = lower; i <= upper; ++i) {
    BSTR item = nullptr;
    const HRESULT hr = SafeArrayGetElement(array, &i, &item);
    if (FAILED(hr)) return hr;
    out.push_back(FromBstr(item));
    SysFreeString(item);
  }
  return S_OK;
}

HRESULT WriteStrings(SAFEARRAY* array, const std::vector<std::u16string>& values) {
  LONG lower = 0;
  SafeArrayGetLBound(array, 1, &lower);
  for (std::size_t k = 0; k < values.size(); ++k) {
    LONG i = lower + static_cast<LONG>(k);
    BSTR item = ToBstr(values[k]);
    if (item == nullptr) return E_OUTOFMEMORY;
    const HRESULT hr = SafeArrayPutElement(array, &i, item);  // copies the string
    SysFreeString(item);
    if (FAILED(hr)) return hr;
  }
  return S_OK;
}

// The scan's table as a two-dimensional SAFEARRAY(BSTR), bounds (0..n, 0..m).
// Both store the first index fastest, so the cells copy over in order.
HRESULT MakeArray(const DxfTable& table, SAFEARRAY** out) {
  SAFEARRAYBOUND bounds[2] = {{static_cast<ULONG>(table.UBound(1) + 1), 0},
                              {static_cast<ULONG>(table.UBound(2) + 1), 0}};
  SAFEARRAY* array = SafeArrayCreate(VT_BSTR, 2, bounds);
  if (array == nullptr) return E_OUTOFMEMORY;
  BSTR* data = nullptr;
  HRESULT hr = SafeArrayAccessData(array, reinterpret_cast<void**>(&data));
  if (SUCCEEDED(hr)) {
    const auto& cells = table.Cells();
    for (std::size_t i = 0; i < cells.size() && SUCCEEDED(hr); ++i) {
      data[i] = ToBstr(cells[i]);
      if (data[i] == nullptr) hr = E_OUTOFMEMORY;
    }
    SafeArrayUnaccessData(array);
  }
  if (FAILED(hr)) {
    SafeArrayDestroy(array);
    return hr;
  }
  *out = array;
  return S_OK;
}

// Strings as a one-dimensional SAFEARRAY(BSTR) from index 0; no strings give
// an array of no elements.
HRESULT MakeStrings(const std::vector<std::u16string>& values, SAFEARRAY** out) {
  SAFEARRAYBOUND bounds{static_cast<ULONG>(values.size()), 0};
  SAFEARRAY* array = SafeArrayCreate(VT_BSTR, 1, &bounds);
  if (array == nullptr) return E_OUTOFMEMORY;
  const HRESULT hr = WriteStrings(array, values);
  if (FAILED(hr)) {
    SafeArrayDestroy(array);
    return hr;
  }
  *out = array;
  return S_OK;
}

}  // namespace

ControlObject::ControlObject(std::shared_ptr<korvel::PwControl> control)
    : DispatchObject(IID__PwControl), control_(std::move(control)) {}

HRESULT ControlObject::get_CommandTimeOut(LONG* value) {
  return Put(value, LONG{control_->get_CommandTimeOut()});
}
HRESULT ControlObject::put_CommandTimeOut(LONG value) {
  control_->put_CommandTimeOut(value);
  return S_OK;
}
HRESULT ControlObject::get_CheckInterval(LONG* value) {
  return Put(value, LONG{control_->get_CheckInterval()});
}
HRESULT ControlObject::put_CheckInterval(LONG value) {
  control_->put_CheckInterval(value);
  return S_OK;
}
HRESULT ControlObject::get_PostNullChar(VARIANT_BOOL* value) {
  return Put(value, ToVariantBool(control_->get_PostNullChar()));
}
HRESULT ControlObject::put_PostNullChar(VARIANT_BOOL value) {
  control_->put_PostNullChar(value != VARIANT_FALSE);
  return S_OK;
}
HRESULT ControlObject::get_PatternMatch(VARIANT_BOOL* value) {
  return Put(value, ToVariantBool(control_->get_PatternMatch()));
}
HRESULT ControlObject::put_PatternMatch(VARIANT_BOOL value) {
  control_->put_PatternMatch(value != VARIANT_FALSE);
  return S_OK;
}

HRESULT ControlObject::Active(LONG* result) {
  return Run(result, [&] { return control_->Active(); });
}

HRESULT ControlObject::PostCommand(BSTR AcadCommand, LONG* result) {
  return Run(result, [&] { return control_->PostCommand(FromBstr(AcadCommand)); });
}

HRESULT ControlObject::SendCommand(BSTR AcadCommand, BSTR CommandPrompt, LONG* result) {
  return Run(result, [&] { return control_->SendCommand(FromBstr(AcadCommand), FromBstr(CommandPrompt)); });
}

HRESULT ControlObject::GetPrompt(BSTR* CommandPrompt, LONG* result) {
  if (CommandPrompt == nullptr || result == nullptr) return E_POINTER;
  return Fenced([&] {
    std::u16string prompt = FromBstr(*CommandPrompt);
    *result = control_->GetPrompt(prompt);
    return *result == -1 ? Replace(CommandPrompt, prompt) : S_OK;
  });
}

HRESULT ControlObject::WaitPrompt(BSTR CommandPrompt, LONG* result) {
  return Run(result, [&] { return control_->WaitPrompt(FromBstr(CommandPrompt)); });
}

HRESULT ControlObject::GetHistory(BSTR* HistoryText, BSTR MatchString, LONG* result) {
  if (HistoryText == nullptr || result == nullptr) return E_POINTER;
  return Fenced([&] {
    std::u16string text = FromBstr(*HistoryText);
    *result = control_->GetHistory(text, FromBstr(MatchString));
    return *result == -1 ? Replace(HistoryText, text) : S_OK;
  });
}

HRESULT ControlObject::GetVariable(BSTR SystemVariable, BSTR* Value, LONG* result) {
  if (Value == nullptr || result == nullptr) return E_POINTER;
  return Fenced([&] {
    const std::u16string before = FromBstr(*Value);
    std::u16string value = before;
    *result = control_->GetVariable(FromBstr(SystemVariable), value);
    return value != before ? Replace(Value, value) : S_OK;
  });
}

HRESULT ControlObject::SetVariable(BSTR SystemVariable, BSTR Value, LONG* result) {
  return Run(result, [&] { return control_->SetVariable(FromBstr(SystemVariable), FromBstr(Value)); });
}

HRESULT ControlObject::GetPosition(double* X, double* Y, double* Z, LONG* result) {
  if (X == nullptr || Y == nullptr || Z == nullptr) return E_POINTER;
  return Run(result, [&] { return control_->GetPosition(*X, *Y, *Z); });
}

HRESULT ControlObject::RunScript(BSTR PathName, SAFEARRAY** UserVariable, LONG* result) {
  if (UserVariable == nullptr || result == nullptr) return E_POINTER;
  return Fenced([&] {
    if (*UserVariable == nullptr) {
      *result = control_->RunScript(FromBstr(PathName), nullptr);
      return S_OK;
    }
    std::vector<std::u16string> values;
    HRESULT hr = ReadStrings(*UserVariable, values);
    if (FAILED(hr)) return hr;
    const std::size_t size = values.size();
    *result = control_->RunScript(FromBstr(PathName), &values);
    // The script writes the caller's variables in place; it never grows the array.
    values.resize(size);
    return WriteStrings(*UserVariable, values);
  });
}

HRESULT ControlObject::ShowMessage(BSTR Message, LONG Button, BSTR Title, LONG* result) {
  return Run(result, [&] { return control_->ShowMessage(FromBstr(Message), Button, FromBstr(Title)); });
}

HRESULT ControlObject::Terminate() {
  control_->Terminate();
  return S_OK;
}

HRESULT ControlObject::DxfOut(BSTR SelectOp, BSTR VerOp, ::_PwAcad** hnd, LONG* result) {
  if (result == nullptr) return E_POINTER;
  return Fenced([&] {
    // Only our own PwAcad objects can drive an export; anything else arrives
    // as no object, which the library reports as a lost link. The reference
    // the query takes keeps the object for the whole call, even when a
    // handler run by a wait releases the client's own (or clears its ByRef
    // variable).
    AcadObject* acad = nullptr;
    if (hnd != nullptr && *hnd != nullptr &&
        SUCCEEDED((*hnd)->QueryInterface(kIidAcadObject, reinterpret_cast<void**>(&acad)))) {
      *result = control_->DxfOut(FromBstr(SelectOp), FromBstr(VerOp), &acad->Inner());
      acad->Release();
    } else {
      *result = control_->DxfOut(FromBstr(SelectOp), FromBstr(VerOp), nullptr);
    }
    return S_OK;
  });
}

HRESULT ControlObject::DxfScan(BSTR Sec_Str, BSTR Obj_Str, BSTR Fom_Str, SAFEARRAY** Hairetu, LONG* result) {
  if (Hairetu == nullptr || result == nullptr) return E_POINTER;
  return Fenced([&] {
    DxfTable table;
    *result = control_->DxfScan(FromBstr(Sec_Str), FromBstr(Obj_Str), FromBstr(Fom_Str), table);
    if (*result != -1) return S_OK;  // the caller's array stays as it was
    SAFEARRAY* fresh = nullptr;
    const HRESULT hr = MakeArray(table, &fresh);
    if (FAILED(hr)) return hr;
    if (*Hairetu != nullptr) SafeArrayDestroy(*Hairetu);
    *Hairetu = fresh;
    return S_OK;
  });
}

HRESULT ControlObject::DxfAttributesAfter(BSTR Tag_Str, BSTR Value_Str, SAFEARRAY** Values, LONG* result) {
  if (Values == nullptr || result == nullptr) return E_POINTER;
  return Fenced([&] {
    std::vector<std::u16string> values;
    *result = control_->DxfAttributesAfter(FromBstr(Tag_Str), FromBstr(Value_Str), values);
    if (*result != -1) return S_OK;  // the caller's array stays as it was
    SAFEARRAY* fresh = nullptr;
    const HRESULT hr = MakeStrings(values, &fresh);
    if (FAILED(hr)) return hr;
    if (*Values != nullptr) SafeArrayDestroy(*Values);
    *Values = fresh;
    return S_OK;
  });
}

}  // namespace korvel::com
