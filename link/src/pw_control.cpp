#include "link/pw_control.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "guarded.h"
#include "link/control_codes.h"
#include "link/errors.h"

namespace korvel {
namespace {

constexpr std::uintptr_t kCopyDataTag = 1;
// AutoCAD takes command-line input in copy-data buffers of 256 bytes, and the
// record's cbData counts two bytes a character plus the NUL. 127 characters
// (254 bytes at most in code page 932) is the most one buffer can carry.
constexpr std::size_t kCopyDataBufferBytes = 256;
constexpr std::size_t kMaxCharsPerMessage = 127;

// Splits the command into pieces of at most kMaxCharsPerMessage characters,
// never between the halves of a surrogate pair. AutoCAD reads consecutive
// messages as one stream of typed input, so a long folder path arrives whole.
std::vector<std::u16string_view> Pieces(std::u16string_view text) {
  std::vector<std::u16string_view> pieces;
  while (text.size() > kMaxCharsPerMessage) {
    std::size_t n = kMaxCharsPerMessage;
    if (text[n - 1] >= 0xD800 && text[n - 1] < 0xDC00) --n;
    pieces.push_back(text.substr(0, n));
    text.remove_prefix(n);
  }
  pieces.push_back(text);
  return pieces;
}

}  // namespace

std::shared_ptr<PwControl> PwControl::Create() { return std::shared_ptr<PwControl>(new PwControl()); }

PwControl::PwControl() { ClearError(); }

PwControl::~PwControl() { cancel_requested_ = true; }

void PwControl::CheckLink(std::u16string_view operation) const {
  if (!CheckAcadWindows()) Raise(LinkFailed, ControlSource(operation), kMsgNotRunning);
}

void PwControl::CheckCommandLine(std::u16string_view operation) const {
  const SharedState& s = Shared();
  if (s.CheckMainCmdWindow && !IsWindowShown(s.MainCommand.Handle))
    Raise(WindowClosed, ControlSource(operation), kMsgWindowClosed);
}

std::int32_t PwControl::Active() {
  return Guarded([&] {
    CheckLink(u"Active");
    auto& os = Os().Windows();
    const std::int32_t popup = os.GetLastActivePopup(Shared().Main.Handle);
    if (!os.SetForegroundWindow(popup)) Raise(CommandFailed, ControlSource(u"Active"), kMsgNotRunning);
    return -1;
  });
}

std::int32_t PwControl::PostCommand(std::u16string_view AcadCommand) {
  // The argument is copied first: a caller may pass a view of state that a
  // handler run during the call changes.
  const std::u16string command(AcadCommand);
  return Guarded([&] {
    CheckLink(u"PostCommand");
    CheckCommandLine(u"PostCommand");
    auto& os = Os().Windows();
    auto& codec = Os().Codec();
    const std::u16string text = ExpandControlCodes(command);
    const std::int32_t main = Shared().Main.Handle;
    for (std::u16string_view piece : Pieces(text)) {
      std::array<std::byte, kCopyDataBufferBytes> buffer{};
      const std::string bytes = codec.ToAnsi(piece);
      // The code page needs at most two bytes a character, so this holds; the
      // check keeps a future codec from writing past the buffer.
      const std::size_t n = std::min(bytes.size(), buffer.size() - 1);
      std::memcpy(buffer.data(), bytes.data(), n);
      const auto cb_data = static_cast<std::uint32_t>(2 * piece.size() + 1);
      // A busy AutoCAD (writing a large drawing) may take long to take the
      // text; it has until the operation's time-out, never a shorter bound.
      if (os.SendCopyData(main, kCopyDataTag, buffer, cb_data, {.ms = command_time_out_}) == 0)
        Raise(CommandFailed, ControlSource(u"PostCommand"), kMsgNotRunning);
    }
    if (post_null_char_) os.PostNull(main);
    return -1;
  });
}

std::u16string PwControl::ReadWindowText(std::int32_t window, std::u16string_view operation) const {
  auto& os = Os().Windows();
  const platform::SendLimit limit{.ms = SendBoundMs()};
  const std::intptr_t n = os.SendGetTextLength(window, limit);
  if (n <= 0) Raise(CommandFailed, ControlSource(operation), kMsgNotRunning);
  std::intptr_t copied = 0;
  std::u16string text = os.SendGetText(window, static_cast<int>(n + 1), &copied, limit);
  if (copied == 0) Raise(CommandFailed, ControlSource(operation), kMsgNotRunning);
  return text;
}

std::int32_t PwControl::GetPrompt(std::u16string& CommandPrompt) {
  return Guarded([&] {
    CheckLink(u"GetPrompt");
    CheckCommandLine(u"GetPrompt");
    CommandPrompt = ReadWindowText(Shared().Command.Handle, u"GetPrompt");
    return -1;
  });
}

std::int32_t PwControl::GetHistory(std::u16string& HistoryText, std::u16string_view MatchString) {
  const std::u16string match(MatchString);
  return Guarded([&] {
    CheckLink(u"GetHistory");
    CheckCommandLine(u"GetHistory");
    std::u16string text = ReadWindowText(Shared().History.Handle, u"GetHistory");
    if (!match.empty()) {
      const std::size_t at = text.rfind(match);
      text = at == std::u16string::npos ? std::u16string() : text.substr(at);
    }
    HistoryText = std::move(text);
    return -1;
  });
}

std::int32_t PwControl::ShowMessage(std::u16string_view Message, std::int32_t Button,
                                    std::u16string_view Title) {
  // Not a status: the box's answer, with the error record left as it was.
  try {
    return Os().Boxes().ShowBox(Shared().Main.Handle, Message, Title, static_cast<std::uint32_t>(Button));
  } catch (...) {
    return 0;  // as MessageBox reports a box it could not show
  }
}

}  // namespace korvel
