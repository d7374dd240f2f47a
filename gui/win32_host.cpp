#include "win32_host.h"

#include "app/app_error.h"
#include "com_link.h"
#include "platform/platform.h"
#include "plendra_version.h"
#include "wide_text.h"

namespace plendra_gui {

Win32Host::Win32Host(HINSTANCE instance, std::shared_ptr<korvel::_PwAcad> first_acad, bool another_instance)
    : first_acad_(std::move(first_acad)),
      another_instance_(another_instance),
      form1_(instance, link_, platform::Current().Codec()),
      settei_(instance, link_, [this] { return form1_.Handle(); }),
      about_(instance, [this] { return form1_.Handle(); }),
      kensa_(instance, link_, [this] { return form1_.Handle(); }),
      renumber_(instance, [this] { return form1_.Handle(); }) {
  form1_.SetFocusSources([this](HWND window) {
    if (window != nullptr && window == about_.Existing()) return plendra::FocusFrom::kAboutBox;
    if (window != nullptr && window == settei_.Existing()) return plendra::FocusFrom::kSettingsDialog;
    return plendra::FocusFrom::kElsewhere;
  });
}

Win32Host::~Win32Host() = default;

std::shared_ptr<korvel::_PwAcad> Win32Host::CreatePwAcad() {
  if (first_acad_) return std::move(first_acad_);
  HRESULT failure = S_OK;
  std::shared_ptr<korvel::_PwAcad> acad = CreateComPwAcad(&failure);
  if (!acad) throw plendra::AppError(ErrorNumberOf(failure), u"PwAcadCtrl.PwAcad を作成できません。");
  return acad;
}

std::u16string Win32Host::AppFolder() {
  std::u16string folder = platform::Current().Folders().ProgramFolder();
  while (!folder.empty() && (folder.back() == u'\\' || folder.back() == u'/')) folder.pop_back();
  return folder;
}

std::filesystem::path Win32Host::AppFile(std::u16string_view name) {
  return std::filesystem::path(AppFolder() + u"\\" + std::u16string(name));
}

platform::TextCodec& Win32Host::Codec() { return platform::Current().Codec(); }

std::u16string Win32Host::VersionText() {
  const std::string text = PLENDRA_VERSION_TEXT;
  return std::u16string(text.begin(), text.end());
}

// "End": every window goes at once and no further event runs, even when
// this is called from a handler deep inside a wait of the link library; the
// waits still on the stack return without the logic doing anything more.
void Win32Host::EndProgram() {
  if (link_.ended) return;
  link_.ended = true;
  for (HWND window : {kensa_.Existing(), about_.Existing(), settei_.Existing(), form1_.Existing()})
    if (window != nullptr) ShowWindow(window, SW_HIDE);
  PostQuitMessage(0);
}

void Win32Host::Run() {
  MSG message;
  while (!link_.ended) {
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got <= 0) break;
    if (form1_.Existing() != nullptr && IsDialogMessageW(form1_.Existing(), &message)) continue;
    if (about_.TakesMessage(message) || kensa_.TakesMessage(message) || settei_.TakesMessage(message))
      continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

}  // namespace plendra_gui
