// A test stand-in for Plendra.exe, installed by the setup program under test
// in Plendra.exe's place until the setup test switches to the real program.
// It does what Plendra does first from its folder: it finds its files there
// and creates korvel's PwAcadCtrl.PwAcad through the registry. The exit code
// says how far it came: 0 all there, 2 a file missing beside it, 3 korvel
// not creatable. With the argument /korvel-only it only creates the object:
// the setup test's COM client, which must not load korvel.dll into the test's
// own process (a loaded DLL cannot be deleted, so the uninstaller would fail).
#include <objbase.h>
#include <windows.h>

#include <string>

namespace {

std::wstring ProgramFolder() {
  wchar_t path[MAX_PATH] = {};
  const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  const std::wstring full(path, n);
  return full.substr(0, full.find_last_of(L'\\') + 1);
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR arguments, int) {
  const std::wstring folder = ProgramFolder();
  if (std::wstring(arguments) != L"/korvel-only") {
    for (const wchar_t* name : {L"Keitou.txt", L"plendra.ini", L"Plendra_Help.chm"})
      if (!Exists(folder + name)) return 2;
  }
  if (FAILED(CoInitialize(nullptr))) return 3;
  CLSID clsid{};
  IDispatch* acad = nullptr;
  const bool created = SUCCEEDED(CLSIDFromProgID(L"PwAcadCtrl.PwAcad", &clsid)) &&
                       SUCCEEDED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                                                  reinterpret_cast<void**>(&acad)));
  if (acad != nullptr) acad->Release();
  CoUninitialize();
  return created ? 0 : 3;
}
