// What the COM classes share: the module's lock count, the type library, BSTR
// conversions, and IDispatch over the embedded type library.
//
// The classes here are thin: they convert COM types to the library's and call
// it. The library never throws across a public operation; the fence around each
// method is only a last guard, since nothing may unwind through a COM frame.
#pragma once

#include <windows.h>
// after windows.h, which they need
#include <oleauto.h>

#include <new>
#include <string>
#include <string_view>

#include "byref_arguments.h"
#include "korvel.h"

namespace korvel::com {

extern HINSTANCE module_instance;
void LockModule();
void UnlockModule();
LONG ModuleLocks();

// The type information of a dual interface (its vtable half), loaded from the
// type library inside this DLL; works before registration.
HRESULT TypeInfoFor(REFIID iid, ITypeInfo** info);

inline std::u16string FromBstr(BSTR text) {
  return text == nullptr ? std::u16string()
                         : std::u16string(reinterpret_cast<const char16_t*>(text), SysStringLen(text));
}

inline BSTR ToBstr(std::u16string_view text) {
  return SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()), static_cast<UINT>(text.size()));
}

// Stores text into an [out, retval] BSTR.
inline HRESULT Put(BSTR* out, std::u16string_view text) {
  if (out == nullptr) return E_POINTER;
  *out = ToBstr(text);
  return *out == nullptr ? E_OUTOFMEMORY : S_OK;
}

// Replaces an [in, out] BSTR.
inline HRESULT Replace(BSTR* inout, std::u16string_view text) {
  BSTR fresh = ToBstr(text);
  if (fresh == nullptr) return E_OUTOFMEMORY;
  SysFreeString(*inout);
  *inout = fresh;
  return S_OK;
}

template <typename T>
HRESULT Put(T* out, T value) {
  if (out == nullptr) return E_POINTER;
  *out = value;
  return S_OK;
}

inline VARIANT_BOOL ToVariantBool(bool value) { return value ? VARIANT_TRUE : VARIANT_FALSE; }

template <typename Body>
HRESULT Fenced(Body&& body) noexcept {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_UNEXPECTED;
  }
}

// Runs an operation whose Long goes to an [out, retval] pointer. The pointer
// is checked first: a caller that could not receive the result must not have
// the command sent or the box shown.
template <typename Operation>
HRESULT Run(LONG* result, Operation&& operation) noexcept {
  if (result == nullptr) return E_POINTER;
  return Fenced([&] {
    *result = operation();
    return S_OK;
  });
}

// IUnknown and IDispatch for one dual interface. Objects start with one
// reference, which the creator hands to its caller.
template <typename Interface>
class DispatchObject : public Interface {
 public:
  explicit DispatchObject(const IID& iid) : iid_(iid) { LockModule(); }
  virtual ~DispatchObject() { UnlockModule(); }
  DispatchObject(const DispatchObject&) = delete;
  DispatchObject& operator=(const DispatchObject&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) || IsEqualIID(riid, iid_)) {
      *out = static_cast<Interface*>(this);
    } else if (!QueryOwn(riid, out)) {
      return E_NOINTERFACE;
    }
    this->AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG left = InterlockedDecrement(&refs_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }

  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override { return Put(count, 1u); }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID, ITypeInfo** info) override {
    if (info == nullptr) return E_POINTER;
    if (index != 0) return DISP_E_BADINDEX;
    return TypeInfoFor(iid_, info);
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
    ITypeInfo* info = nullptr;
    const HRESULT hr = TypeInfoFor(iid_, &info);
    if (FAILED(hr)) return hr;
    const HRESULT result = DispGetIDsOfNames(info, names, count, ids);
    info->Release();
    return result;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                   EXCEPINFO* exception, UINT* arg_error) override {
    ITypeInfo* info = nullptr;
    const HRESULT hr = TypeInfoFor(iid_, &info);
    if (FAILED(hr)) return hr;
    const HRESULT r = Fenced([&] {
      // Late-bound callers pass their variables as references to VARIANT.
      ByRefArguments arguments;
      HRESULT invoked = arguments.Prepare(info, id, flags, params, arg_error);
      if (FAILED(invoked)) return invoked;
      invoked = DispInvoke(static_cast<Interface*>(this), info, id, flags, arguments.Params(), result,
                           exception, arg_error);
      const HRESULT written = arguments.WriteBack();
      return SUCCEEDED(invoked) && FAILED(written) ? written : invoked;
    });
    info->Release();
    return r;
  }

 protected:
  // Further interfaces of the concrete class; *out set without AddRef.
  virtual bool QueryOwn(REFIID, void**) { return false; }

 private:
  const IID& iid_;
  LONG refs_ = 1;
};

}  // namespace korvel::com
