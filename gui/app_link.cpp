#include "app_link.h"

#include <exception>

#include "app/app_error.h"
#include "app/plendra.h"
#include "wide_text.h"

namespace plendra_gui {
namespace {

void ShowRunTimeError(HWND owner, const plendra::AppError& error) {
  const std::wstring text = Wide(plendra::RunTimeErrorMessage(error));
  MessageBoxW(owner, text.c_str(), Wide(plendra::kAppTitle).c_str(), MB_OK | MB_ICONEXCLAMATION);
}

}  // namespace

void RunEvent(AppLink& link, HWND owner, const std::function<void(plendra::Plendra&)>& event) noexcept {
  if (!link.Live()) return;
  try {
    event(*link.app);
  } catch (const plendra::AppError& error) {
    ShowRunTimeError(owner, error);
  } catch (...) {
    ShowRunTimeError(owner, plendra::AppError(5));
  }
}

}  // namespace plendra_gui
