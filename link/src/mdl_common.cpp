#include "link/mdl_common.h"

namespace korvel {

SharedState& Shared() {
  thread_local SharedState state;
  return state;
}

bool CheckAcadWindows() {
  auto& os = Os().Windows();
  const SharedState& s = Shared();
  return os.IsWindow(s.Main.Handle) && os.IsWindow(s.Text.Handle) && os.IsWindow(s.Command.Handle) &&
         os.IsWindow(s.History.Handle);
}

bool IsWindowShown(std::int32_t handle) { return Os().Windows().IsWindowVisible(handle); }

void ClearWindowInfo() {
  SharedState& s = Shared();
  s.Main = s.Text = s.Command = s.History = s.MainCommand = WindowInfo{};
}

std::u16string StripQuotes(std::u16string_view text) {
  if (!text.empty() && text.front() == u'"') text.remove_prefix(1);
  if (!text.empty() && text.back() == u'"') text.remove_suffix(1);
  return std::u16string(text);
}

void ClearError() { Shared().ErrorInfo = ErrorRecord{}; }

}  // namespace korvel
