#include "app_link.h"

#include <exception>

#include "app/app_error.h"
#include "app/plendra.h"
#include "resource.h"
#include "wide_text.h"

namespace plendra_gui {
namespace {

void ShowRunTimeError(HWND owner, std::int32_t number, const std::u16string& description) {
  const std::wstring text = ResourceString(GetModuleHandleW(nullptr), IDS_RUNTIME_ERROR) +
                            std::to_wstring(number) + L"':\r\n\r\n" + Wide(description);
  MessageBoxW(owner, text.c_str(), L"Plendra", MB_OK | MB_ICONEXCLAMATION);
}

}  // namespace

void RunEvent(AppLink& link, HWND owner, const std::function<void(plendra::Plendra&)>& event) noexcept {
  if (!link.Live()) return;
  try {
    event(*link.app);
  } catch (const plendra::AppError& error) {
    ShowRunTimeError(owner, error.number, error.description);
  } catch (...) {
    ShowRunTimeError(owner, 5, plendra::AppErrorText(5));
  }
}

}  // namespace plendra_gui
