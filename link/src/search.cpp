// PwAcad::Search: finding AutoCAD's windows among the desktop's windows.
//
// AutoCAD shows a main window and a separate text window; the text window
// holds the command line ("Headlands") and the history ("MountTam"), and the
// main window a docked command line. All are recognised by title prefix, and
// the main and text windows must belong to one process, so that with two
// AutoCADs running the records never mix their windows.
#include <vector>

#include "guarded.h"
#include "link/pw_acad.h"
#include "link/pw_control.h"

namespace korvel {
namespace {

constexpr std::u16string_view kOperation = u"PwAcadCtrl.Acad.Search";
constexpr int kClassBufferBytes = 260;

bool BeginsWith(std::u16string_view title, std::u16string_view prefix) {
  return title.size() >= prefix.size() && title.substr(0, prefix.size()) == prefix;
}

// The title as the callbacks read it: GetWindowTextLength, then GetWindowText
// into a buffer one byte longer. Empty means the window is skipped.
std::u16string ReadTitle(platform::WindowSystem& os, std::int32_t window) {
  const int n = os.TitleLength(window);
  if (n <= 0) return {};
  return os.Title(window, n + 1);
}

// Fills a record from the window's class, thread and process; false when the
// class cannot be read.
bool Describe(platform::WindowSystem& os, std::int32_t window, std::u16string title, WindowInfo& info) {
  std::u16string cls = os.ClassName(window, kClassBufferBytes);
  if (cls.empty()) return false;
  std::uint32_t process = 0;
  const std::uint32_t thread = os.GetWindowThreadProcessId(window, &process);
  info = WindowInfo{window, std::move(cls), std::move(title), static_cast<std::int32_t>(thread),
                    static_cast<std::int32_t>(process)};
  return true;
}

bool IsMainCandidate(std::u16string_view title, const SharedState& s) {
  if (BeginsWith(title, s.TextCompareTitle)) return false;
  const std::u16string_view compare = s.MainCompareTitle;
  const std::size_t bar = compare.find(u'|');
  if (bar == std::u16string_view::npos) return BeginsWith(title, compare);
  return BeginsWith(title, compare.substr(0, bar)) || BeginsWith(title, compare.substr(bar + 1));
}

// One top-level window. A later qualifying window overwrites an earlier one.
void FindTopWindowProc(platform::WindowSystem& os, std::int32_t window, SharedState& s) {
  std::u16string title = ReadTitle(os, window);
  if (title.empty()) return;
  if (IsMainCandidate(title, s)) {
    WindowInfo info;
    if (!Describe(os, window, title, info)) return;
    if (s.Text.Handle == 0 || s.Text.ProcessID == info.ProcessID) s.Main = std::move(info);
  }
  if (BeginsWith(title, s.TextCompareTitle)) {
    WindowInfo info;
    if (!Describe(os, window, title, info) || info.ThreadID == 0) return;
    if (s.Main.Handle == 0 || s.Main.ProcessID == info.ProcessID) s.Text = std::move(info);
  }
}

// One descendant of the text or main window: records it when its title begins
// with prefix and it belongs to the main window's process.
void FindChild(platform::WindowSystem& os, std::int32_t window, const std::u16string& title,
               std::u16string_view prefix, const SharedState& s, WindowInfo& record) {
  if (!BeginsWith(title, prefix)) return;
  WindowInfo info;
  if (!Describe(os, window, title, info) || info.ThreadID == 0) return;
  if (info.ProcessID == s.Main.ProcessID) record = std::move(info);
}

void FindTextChildProc(platform::WindowSystem& os, std::int32_t window, SharedState& s) {
  const std::u16string title = ReadTitle(os, window);
  if (title.empty()) return;
  FindChild(os, window, title, s.CommandCompareTitle, s, s.Command);
  FindChild(os, window, title, s.HistoryCompareTitle, s, s.History);
}

void FindMainChildProc(platform::WindowSystem& os, std::int32_t window, SharedState& s) {
  const std::u16string title = ReadTitle(os, window);
  if (title.empty()) return;
  FindChild(os, window, title, s.CommandCompareTitle, s, s.MainCommand);
}

// Enumerates with a callback that only collects handles, then inspects them in
// order: a failure while inspecting counts as a failed enumeration, as a
// callback returning zero would.
template <typename Enumerate, typename Proc>
bool Visit(Enumerate enumerate, Proc proc) {
  std::vector<std::int32_t> handles;
  if (!enumerate([&](std::int32_t h) noexcept {
        try {
          handles.push_back(h);
          return true;
        } catch (...) {
          return false;
        }
      }))
    return false;
  try {
    for (std::int32_t h : handles) proc(h);
  } catch (...) {
    return false;
  }
  return true;
}

}  // namespace

std::int32_t PwAcad::Search() {
  return Guarded(
      [&] {
        ClearWindowInfo();
        control_.reset();
        SharedState& s = Shared();
        auto& os = Os().Windows();

        if (!Visit([&](auto cb) { return os.EnumWindows(cb); },
                   [&](std::int32_t h) { FindTopWindowProc(os, h, s); }))
          Raise(SearchFailed, kOperation, kMsgSearchError);
        if (s.Main.Handle == 0 || s.Text.Handle == 0)
          Raise(SearchFailed, kOperation, kMsgNotFoundCheckVersion);

        if (!Visit([&](auto cb) { return os.EnumChildWindows(s.Text.Handle, cb); },
                   [&](std::int32_t h) { FindTextChildProc(os, h, s); }))
          Raise(SearchFailed, kOperation, kMsgSearchError);
        if (s.Command.Handle == 0 || s.History.Handle == 0) Raise(SearchFailed, kOperation, kMsgSearchError);

        if (s.CheckMainCmdWindow) {
          if (!Visit([&](auto cb) { return os.EnumChildWindows(s.Main.Handle, cb); },
                     [&](std::int32_t h) { FindMainChildProc(os, h, s); }) ||
              s.MainCommand.Handle == 0)
            Raise(SearchFailed, kOperation, kMsgSearchError);
        }

        if (!CheckAcadWindows()) Raise(LinkFailed, kOperation, kMsgNotFoundCheckVersion);
        control_ = PwControl::Create();
        return -1;
      },
      [&] {
        ClearWindowInfo();
        control_.reset();
      });
}

}  // namespace korvel
