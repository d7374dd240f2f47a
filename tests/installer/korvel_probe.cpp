// The setup test's COM client: creates korvel's PwAcadCtrl.PwAcad through the
// registry, in a process of its own, and says by its exit code whether it
// could (0) or not (3). The test must not load korvel.dll into its own
// process: a loaded DLL cannot be deleted, so the uninstaller would fail.
#include <objbase.h>
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
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
