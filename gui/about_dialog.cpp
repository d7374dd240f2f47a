#include "about_dialog.h"

#include <shellapi.h>

#include <string>

#include "resource.h"
#include "wide_text.h"

namespace plendra_gui {
namespace {

// A text value of the machine's registry; empty when there is none.
std::wstring MachineText(const wchar_t* key, const wchar_t* name) {
  HKEY opened = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key, 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS) return {};
  wchar_t buffer[MAX_PATH] = {};
  DWORD size = sizeof buffer - sizeof(wchar_t);  // room for the terminator a value may lack
  DWORD type = 0;
  const LONG read = RegQueryValueExW(opened, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
  RegCloseKey(opened);
  return read == ERROR_SUCCESS && type == REG_SZ ? std::wstring(buffer) : std::wstring();
}

// Where msinfo32.exe lies: its own key first, then the folder of the shared tools.
std::wstring SysInfoPath() {
  std::wstring path = MachineText(L"SOFTWARE\\Microsoft\\Shared Tools\\MSInfo", L"Path");
  if (!path.empty()) return path;
  path = MachineText(L"SOFTWARE\\Microsoft\\Shared Tools Location", L"MSInfo");
  if (!path.empty()) return path + L"\\MSINFO32.EXE";
  return L"msinfo32.exe";
}

}  // namespace

AboutDialog::~AboutDialog() { Destroy(); }

void StartSysInfo(HWND owner) {
  const std::wstring path = SysInfoPath();
  const auto result =
      reinterpret_cast<INT_PTR>(ShellExecuteW(owner, L"open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
  // ShellExecute reports success with a value above 32.
  if (result > 32) return;
  const std::wstring text = ResourceString(GetModuleHandleW(nullptr), IDS_SYSINFO_UNAVAILABLE);
  MessageBoxW(owner, text.c_str(), L"Plendra", MB_OK);
}

void AboutDialog::Show(std::u16string_view title, std::u16string_view version_text) {
  if (window_ == nullptr) Create(instance_, IDD_ABOUT, owner_());
  if (window_ == nullptr) return;
  const std::wstring caption = Wide(title) + ResourceString(instance_, IDS_ABOUT_CAPTION);
  SetWindowTextW(window_, caption.c_str());
  SetDlgItemTextW(window_, IDC_ABOUT_TITLE, Wide(title).c_str());
  SetDlgItemTextW(window_, IDC_ABOUT_VERSION, Wide(version_text).c_str());
  ShowWindow(window_, SW_SHOW);
  SetForegroundWindow(window_);
}

INT_PTR AboutDialog::OnMessage(UINT message, WPARAM wparam, LPARAM) {
  const HWND window = window_;
  switch (message) {
    case WM_COMMAND:
      if (LOWORD(wparam) == IDOK || LOWORD(wparam) == IDCANCEL) {
        ShowWindow(window, SW_HIDE);
      } else if (LOWORD(wparam) == IDC_ABOUT_SYSINFO) {
        StartSysInfo(window);
      }
      return TRUE;
    case WM_CLOSE:
      ShowWindow(window, SW_HIDE);
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace plendra_gui
