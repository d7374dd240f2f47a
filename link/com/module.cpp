// The module: its instance handle, lock count and type library.
#include "com_support.h"

namespace korvel::com {

HINSTANCE module_instance = nullptr;

namespace {
LONG locks = 0;
ITypeLib* type_library = nullptr;
}  // namespace

void LockModule() { InterlockedIncrement(&locks); }
void UnlockModule() { InterlockedDecrement(&locks); }
LONG ModuleLocks() { return locks; }

HRESULT TypeInfoFor(REFIID iid, ITypeInfo** info) {
  if (info == nullptr) return E_POINTER;
  *info = nullptr;
  if (type_library == nullptr) {
    wchar_t path[MAX_PATH];
    const DWORD n = GetModuleFileNameW(module_instance, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return E_FAIL;
    // Reads the TYPELIB resource of this DLL; nothing is registered.
    const HRESULT hr = LoadTypeLibEx(path, REGKIND_NONE, &type_library);
    if (FAILED(hr)) return hr;
  }
  ITypeInfo* dispatch_half = nullptr;
  HRESULT hr = type_library->GetTypeInfoOfGuid(iid, &dispatch_half);
  if (FAILED(hr)) return hr;
  // A dual interface's type information describes the dispatch side; DispInvoke
  // calls through the vtable, so it wants the interface side.
  HREFTYPE vtable_ref = 0;
  hr = dispatch_half->GetRefTypeOfImplType(static_cast<UINT>(-1), &vtable_ref);
  if (SUCCEEDED(hr)) hr = dispatch_half->GetRefTypeInfo(vtable_ref, info);
  dispatch_half->Release();
  return hr;
}

}  // namespace korvel::com

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    korvel::com::module_instance = instance;
  }
  return TRUE;
}
