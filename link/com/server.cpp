// The four entry points of the in-process server: the class factory for
// PwAcad, and registration of the classes and the type library.
#include <string>

#include "objects.h"
// after windows.h (through objects.h), which they need
#include <olectl.h>
#include <shlwapi.h>

namespace korvel::com {
namespace {

constexpr wchar_t kAcadProgId[] = L"PwAcadCtrl.PwAcad";
constexpr wchar_t kControlProgId[] = L"PwAcadCtrl.PwControl";

class AcadFactory final : public IClassFactory {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (out == nullptr) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory)) {
      *out = static_cast<IClassFactory*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  // The factory is a static object; its references only keep the module.
  ULONG STDMETHODCALLTYPE AddRef() override {
    LockModule();
    return 2;
  }
  ULONG STDMETHODCALLTYPE Release() override {
    UnlockModule();
    return 1;
  }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    return Fenced([&] {
      auto* object = new AcadObject();
      const HRESULT hr = object->QueryInterface(riid, out);
      object->Release();  // the caller's reference is the one QueryInterface added
      return hr;
    });
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
    if (lock)
      LockModule();
    else
      UnlockModule();
    return S_OK;
  }
};

AcadFactory acad_factory;

std::wstring GuidText(REFGUID guid) {
  wchar_t text[64];
  StringFromGUID2(guid, text, 64);
  return text;
}

bool SetValue(HKEY root, const std::wstring& key, const wchar_t* name, const std::wstring& value) {
  HKEY handle = nullptr;
  if (RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &handle, nullptr) !=
      ERROR_SUCCESS)
    return false;
  const LONG r = RegSetValueExW(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(handle);
  return r == ERROR_SUCCESS;
}

// Registers one class: its CLSID with the server's path and apartment model,
// its ProgID, and its type library.
bool RegisterClass(REFCLSID clsid, const wchar_t* prog_id, const wchar_t* name, const std::wstring& path) {
  const std::wstring key = L"CLSID\\" + GuidText(clsid);
  return SetValue(HKEY_CLASSES_ROOT, key, nullptr, name) &&
         SetValue(HKEY_CLASSES_ROOT, key + L"\\InprocServer32", nullptr, path) &&
         SetValue(HKEY_CLASSES_ROOT, key + L"\\InprocServer32", L"ThreadingModel", L"Apartment") &&
         SetValue(HKEY_CLASSES_ROOT, key + L"\\ProgID", nullptr, prog_id) &&
         SetValue(HKEY_CLASSES_ROOT, key + L"\\TypeLib", nullptr, GuidText(LIBID_PwAcadCtrl)) &&
         SetValue(HKEY_CLASSES_ROOT, prog_id, nullptr, name) &&
         SetValue(HKEY_CLASSES_ROOT, std::wstring(prog_id) + L"\\CLSID", nullptr, GuidText(clsid));
}

// SHDeleteKeyW rather than RegDeleteTreeW, which Windows XP lacks.
void UnregisterClass(REFCLSID clsid, const wchar_t* prog_id) {
  SHDeleteKeyW(HKEY_CLASSES_ROOT, (L"CLSID\\" + GuidText(clsid)).c_str());
  SHDeleteKeyW(HKEY_CLASSES_ROOT, prog_id);
}

// The type library inside this DLL (its TYPELIB resource); nothing is
// registered by loading it.
HRESULT LoadOwnTypeLib(const wchar_t* path, ITypeLib** library) {
  return LoadTypeLibEx(path, REGKIND_NONE, library);
}

// Whether RegisterTypeLib's key for this library, version, locale and system
// kind is there: TypeLib\{libid}\1.0\0\win64, for example.
bool TypeLibRegistered(const TLIBATTR& library) {
  const wchar_t* system = library.syskind == SYS_WIN64   ? L"win64"
                          : library.syskind == SYS_WIN32 ? L"win32"
                                                         : L"win16";
  wchar_t version[64];
  wsprintfW(version, L"\\%x.%x\\%lx\\", library.wMajorVerNum, library.wMinorVerNum, library.lcid);
  const std::wstring key = L"TypeLib\\" + GuidText(library.guid) + version + system;
  HKEY handle = nullptr;
  if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) return false;
  RegCloseKey(handle);
  return true;
}

bool ModulePath(wchar_t (&path)[MAX_PATH]) {
  const DWORD n = GetModuleFileNameW(module_instance, path, MAX_PATH);
  return n != 0 && n < MAX_PATH;
}

}  // namespace
}  // namespace korvel::com

using namespace korvel::com;

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID riid, void** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  // PwControl is not creatable: only a search makes one.
  if (!IsEqualCLSID(clsid, CLSID_PwAcad)) return CLASS_E_CLASSNOTAVAILABLE;
  return acad_factory.QueryInterface(riid, out);
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() { return ModuleLocks() == 0 ? S_OK : S_FALSE; }

extern "C" HRESULT STDAPICALLTYPE DllRegisterServer() {
  return Fenced([] {
    wchar_t path[MAX_PATH];
    if (!ModulePath(path)) return SELFREG_E_CLASS;
    if (!RegisterClass(CLSID_PwAcad, kAcadProgId, L"PwAcad", path) ||
        !RegisterClass(CLSID_PwControl, kControlProgId, L"PwControl", path))
      return SELFREG_E_CLASS;
    ITypeLib* library = nullptr;
    HRESULT hr = LoadOwnTypeLib(path, &library);
    if (SUCCEEDED(hr)) {
      // Registers the library and its interfaces, so that oleaut32 can marshal
      // them between apartments.
      hr = RegisterTypeLib(library, path, nullptr);
      library->Release();
    }
    return FAILED(hr) ? SELFREG_E_TYPELIB : S_OK;
  });
}

extern "C" HRESULT STDAPICALLTYPE DllUnregisterServer() {
  return Fenced([] {
    UnregisterClass(CLSID_PwAcad, kAcadProgId);
    UnregisterClass(CLSID_PwControl, kControlProgId);
    // RegisterTypeLib filed the library under the system kind it was built
    // for (win32 or win64), so it is removed from there, with its version.
    wchar_t path[MAX_PATH];
    ITypeLib* library = nullptr;
    if (!ModulePath(path) || FAILED(LoadOwnTypeLib(path, &library))) return SELFREG_E_TYPELIB;
    TLIBATTR* attributes = nullptr;
    HRESULT hr = library->GetLibAttr(&attributes);
    // Unregistering what is not registered is no failure (regsvr32 /u twice),
    // and leaves the other bitness's registration alone.
    if (SUCCEEDED(hr) && TypeLibRegistered(*attributes))
      hr = UnRegisterTypeLib(attributes->guid, attributes->wMajorVerNum, attributes->wMinorVerNum,
                             attributes->lcid, attributes->syskind);
    if (attributes != nullptr) library->ReleaseTLibAttr(attributes);
    library->Release();
    return SUCCEEDED(hr) ? S_OK : SELFREG_E_TYPELIB;
  });
}
