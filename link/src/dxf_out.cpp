// DxfOut: having AutoCAD write the drawing, or one picked object, as DXF into
// the scratch file, by typing its own commands on its command line.
#include <algorithm>

#include "guarded.h"
#include "held_acad.h"
#include "link/pw_acad.h"
#include "link/pw_control.h"

namespace korvel {
namespace {

constexpr std::u16string_view kScratchFile = u"Wexa.dxf";
// What AutoCAD's history ends with when the user pressed Esc at the pick:
// full-width in releases from 2004, half-width before.
constexpr std::u16string_view kCancelMarkers[] = {u"*キャンセル*", u"*ｷｬﾝｾﾙ*"};
// The library's version information has an empty comment, and the boxes of
// DxfOut carry that comment as their title.
constexpr std::u16string_view kBoxTitle = u"";
constexpr std::uint32_t kMbSetForeground = 0x00010000;
constexpr int kTempPathBufferBytes = 255;

std::u16string Source(std::u16string_view operation) {
  return std::u16string(kSourceControl) + std::u16string(operation);
}

// hnd for the next step. A handler run during a wait may have destroyed it
// (see held_acad.h); no PwAcad is then as good as none: LinkFailed.
_PwAcad& Acad(const HeldAcad& hnd) {
  _PwAcad* acad = hnd.Get();
  if (acad == nullptr) Raise(LinkFailed, Source(u"DxfOut"), kMsgNotRunning);
  return *acad;
}

// Each step asks hnd for its channel afresh: a handler run during a wait may
// have searched again or released it.
std::shared_ptr<_PwControl> Channel(const HeldAcad& hnd) {
  std::shared_ptr<_PwControl> channel = hnd.Get() != nullptr ? hnd.Get()->get_Control() : nullptr;
  if (!channel) Raise(LinkFailed, Source(u"DxfOut"), kMsgNotRunning);
  return channel;
}

std::u16string Prompt(const HeldAcad& hnd) { return Acad(hnd).get_CommandPrompt(); }

// The folder as it can be typed. The command text gives "^C", "^M" and "^J"
// their control meaning and has no escape, so a folder such as
// "C:\Users\^Max\" would reach AutoCAD with an Enter in its name. Windows
// file names ignore case, so "^max" names the same folder and is typed as is.
std::u16string Typeable(std::u16string_view folder) {
  std::u16string text(folder);
  for (std::size_t i = 0; i + 1 < text.size(); ++i)
    if (text[i] == u'^' && (text[i + 1] == u'C' || text[i + 1] == u'M' || text[i + 1] == u'J'))
      text[i + 1] = static_cast<char16_t>(text[i + 1] - u'A' + u'a');
  return text;
}

char16_t FoldCase(char16_t c) {
  if (c >= u'A' && c <= u'Z') return static_cast<char16_t>(c - u'A' + u'a');
  if (c >= u'Ａ' && c <= u'Ｚ') return static_cast<char16_t>(c - u'Ａ' + u'ａ');
  return c;
}

bool SameTextIgnoringCase(std::u16string_view a, std::u16string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char16_t x, char16_t y) {
           return FoldCase(x) == FoldCase(y);
         });
}

bool EndsWithCancelMarker(std::u16string_view history) {
  const std::u16string_view last7 = history.substr(history.size() - std::min<std::size_t>(history.size(), 7));
  return std::any_of(std::begin(kCancelMarkers), std::end(kCancelMarkers),
                     [&](std::u16string_view marker) { return last7 == marker; });
}

}  // namespace

std::u16string PwControl::GetTempFolder() const {
  // The bytes are kept whole and only then decoded: cutting them by characters
  // first would split a double-byte character of the folder's name.
  const std::string bytes = Os().Folders().TempPathAnsi(kTempPathBufferBytes);
  if (bytes.empty())
    Raise(kErrFileNotFound, kSourceLibrary,
          RuntimeErrorText(kErrFileNotFound) + u"(一時フォルダのパスを取得できませんでした)");
  return Os().Codec().FromAnsi(bytes);
}

std::int32_t PwControl::DxfOut(std::u16string_view SelectOp, std::u16string_view VerOp, _PwAcad* hnd) {
  const std::u16string select(SelectOp), version(VerOp);
  // The channel may be another PwControl whose waits run handlers that drop
  // the client's last reference to this one, or to hnd.
  const auto keep_alive = weak_from_this().lock();
  const HeldAcad held(hnd);
  return Guarded([&] {
    const std::u16string file = Typeable(GetTempFolder()) + std::u16string(kScratchFile);
    std::u16string export_text;
    if (select == u"sgl") {
      const std::int32_t r = Channel(held)->SendCommand(u"^C^Cselect^Msingle^M", Prompt(held));
      if (r == CancelByUser) {
        Os().Boxes().ShowBox(0, kMsgCancelledByUser, kBoxTitle, platform::kMbIconInformation);
        return 0;
      }
      if (r != -1) {
        Os().Boxes().ShowBox(0, Acad(held).get_ErrDescription(), kBoxTitle,
                             platform::kMbIconExclamation | kMbSetForeground);
        ClearError();
        return 0;
      }
      std::u16string history;
      Channel(held)->GetHistory(history, u"");
      if (EndsWithCancelMarker(history)) return 0;  // Esc at the pick: nothing is exported
      export_text = u"filedia^M0^Msaveas^Mdxf^Mv^M" + version + u"^Mo^Mp^M^M^M" + file + u"^M";
    } else if (select == u"all") {
      export_text = u"filedia^M0^Msaveas^Mdxf^Mv^M" + version + u"^Mo^Mall^M^M^M" + file + u"^M";
    } else if (select == u"auto") {
      export_text = u"filedia^M0^Mdxfout^M" + file + u"^Mv^M" + version + u"^M^M";
    } else {
      return -1;
    }
    Channel(held)->PostCommand(export_text);
    // Read once, without waiting: a prompt other than the command prompt
    // right after posting is AutoCAD asking whether to replace the file.
    std::u16string prompt;
    if (Channel(held)->GetPrompt(prompt) != -1 || !SameTextIgnoringCase(prompt, Prompt(held)))
      Channel(held)->SendCommand(u"y^M", Prompt(held));
    // The command prompt after FILEDIA is back to 1 is the only sign that
    // AutoCAD has finished writing the file.
    Channel(held)->SendCommand(u"filedia^M1^M", Prompt(held));
    // The steps after the pick report nothing of their own: the result is -1,
    // and the record keeps what the last of them left (empty when all went well).
    return -1;
  });
}

}  // namespace korvel
