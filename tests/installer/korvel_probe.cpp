// The setup test's COM client: creates korvel's PwAcadCtrl.PwAcad through the
// registry, in a process of its own, and says by its exit code whether it
// could (0) or not (3). The test must not load korvel.dll into its own
// process: a loaded DLL cannot be deleted, so the uninstaller would fail.
//
// With "--hold NAME" it keeps the object (and so korvel.dll) until the
// test sets the event NAME.release, after setting NAME.loaded once it has
// it: another program using korvel.dll while the user uninstalls.
#include <objbase.h>
#include <windows.h>

#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR command_line, int) {
  if (FAILED(CoInitialize(nullptr))) return 3;
  CLSID clsid{};
  IDispatch* acad = nullptr;
  const bool created = SUCCEEDED(CLSIDFromProgID(L"PwAcadCtrl.PwAcad", &clsid)) &&
                       SUCCEEDED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                                                  reinterpret_cast<void**>(&acad)));
  const std::wstring arguments = command_line != nullptr ? command_line : L"";
  const std::wstring hold = L"--hold ";
  if (created && arguments.rfind(hold, 0) == 0) {
    const std::wstring name = arguments.substr(hold.size());
    const HANDLE loaded = OpenEventW(EVENT_MODIFY_STATE, FALSE, (name + L".loaded").c_str());
    const HANDLE release = OpenEventW(SYNCHRONIZE, FALSE, (name + L".release").c_str());
    if (loaded != nullptr) SetEvent(loaded);
    // Bounded by the setup test's own limit for any program it runs.
    if (release != nullptr) WaitForSingleObject(release, 120000);
    if (loaded != nullptr) CloseHandle(loaded);
    if (release != nullptr) CloseHandle(release);
  }
  if (acad != nullptr) acad->Release();
  CoUninitialize();
  return created ? 0 : 3;
}
