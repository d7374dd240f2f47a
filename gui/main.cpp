// Plendra.exe: the parts-table numbering program as Windows runs it. The
// logic (app/) decides everything; this file only sets up what it runs on.
#include <windows.h>
// after windows.h
#include <commctrl.h>
#include <objbase.h>

#include "app/plendra.h"
#include "com_link.h"
#include "resource.h"
#include "wide_text.h"
#include "win32_host.h"

namespace {

// Held for the program's whole run: a second Plendra finds it taken.
constexpr wchar_t kInstanceMutex[] = L"Plendra.SingleInstance";

void InitCommonControls6() {
  INITCOMMONCONTROLSEX controls{sizeof controls,
                                ICC_BAR_CLASSES | ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&controls);
}

// korvel.dll must be registered for PwAcadCtrl.PwAcad to be created; without
// it Plendra can do nothing, and says why.
void ShowNotRegistered(HINSTANCE instance, HRESULT failure) {
  wchar_t code[16];
  wsprintfW(code, L"%08X", static_cast<unsigned>(failure));
  const std::wstring text =
      plendra_gui::ResourceString(instance, IDS_NOT_REGISTERED) + L"\n\n(0x" + code + L")";
  MessageBoxW(nullptr, text.c_str(), L"Plendra", MB_OK | MB_ICONEXCLAMATION);
}

int RunPlendra(HINSTANCE instance, bool another_instance) {
  HRESULT failure = S_OK;
  std::shared_ptr<korvel::_PwAcad> acad = plendra_gui::CreateComPwAcad(&failure);
  if (!acad) {
    ShowNotRegistered(instance, failure);
    return 1;
  }
  plendra_gui::Win32Host host(instance, std::move(acad), another_instance);
  plendra::Plendra app(host);
  host.Attach(app);
  bool running = false;
  plendra_gui::AppLink start{&app, false};
  plendra_gui::RunEvent(start, nullptr, [&](plendra::Plendra& a) { running = a.Main(); });
  if (running && !host.Ended()) host.Run();
  return 0;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  InitCommonControls6();
  // korvel's objects live in this thread's apartment; its waits pump this
  // thread's messages, so Plendra's windows keep answering during a pick.
  const HRESULT com = CoInitialize(nullptr);
  const HANDLE mutex = CreateMutexW(nullptr, FALSE, kInstanceMutex);
  const bool another_instance = mutex != nullptr && GetLastError() == ERROR_ALREADY_EXISTS;
  const int exit_code = RunPlendra(instance, another_instance);
  if (mutex != nullptr) CloseHandle(mutex);
  if (SUCCEEDED(com)) CoUninitialize();
  return exit_code;
}
