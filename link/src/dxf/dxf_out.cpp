// DxfOut: having AutoCAD write the drawing, or one picked object, as DXF into
// the scratch file, by typing its own commands on its command line.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "guarded.h"
#include "held_acad.h"
#include "link/pw_acad.h"
#include "link/pw_control.h"
#include "link/typed_path.h"
#include "prompt_wait.h"

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

// hnd for the next step. A handler run during a wait may have destroyed it
// (see held_acad.h); no PwAcad is then as good as none: LinkFailed.
_PwAcad& Acad(const HeldAcad& hnd) {
  _PwAcad* acad = hnd.Get();
  if (acad == nullptr) Raise(LinkFailed, ControlSource(u"DxfOut"), kMsgNotRunning);
  return *acad;
}

// Each step asks hnd for its channel afresh: a handler run during a wait may
// have searched again or released it.
std::shared_ptr<_PwControl> Channel(const HeldAcad& hnd) {
  std::shared_ptr<_PwControl> channel = hnd.Get() != nullptr ? hnd.Get()->get_Control() : nullptr;
  if (!channel) Raise(LinkFailed, ControlSource(u"DxfOut"), kMsgNotRunning);
  return channel;
}

std::u16string Prompt(const HeldAcad& hnd) { return Acad(hnd).get_CommandPrompt(); }

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

// Japanese AutoCAD asks "図面ファイルは既に存在します。置き換えますか?", an
// English one "... already exists. Do you want to replace it?".
bool IsReplaceQuestion(std::u16string_view prompt) {
  if (prompt.find(u"置き換えますか") != std::u16string_view::npos) return true;
  std::u16string folded(prompt);
  std::transform(folded.begin(), folded.end(), folded.begin(), FoldCase);
  return folded.find(u"replace") != std::u16string::npos;
}

std::filesystem::path NativePath(const std::u16string& path) {
  try {
    return std::filesystem::path(path);
  } catch (const std::exception&) {
    Raise(kErrFileNotFound, ControlSource(u"DxfOut"), kMsgScratchNotWritable);
  }
}

// Empties a scratch file that an earlier export left, so that whatever the
// file holds afterwards was written by this export. It stays in place: AutoCAD
// still asks whether to replace it, and the answer below depends on that.
// True when it was there.
bool EmptyScratch(const std::filesystem::path& file) {
  std::error_code ec;
  if (!std::filesystem::exists(file, ec)) return false;
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  if (!out) Raise(CommandFailed, ControlSource(u"DxfOut"), kMsgScratchNotWritable);
  return true;
}

// A DXF file is complete when its last group is "0 / EOF" (code and value on
// lines of their own, blanks around them allowed, CR LF or LF).
bool EndsWithEof(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return false;
  in.seekg(0, std::ios::end);
  const std::streamoff size = in.tellg();
  if (size <= 0) return false;
  const std::streamoff tail = std::min<std::streamoff>(size, 64);
  in.seekg(size - tail);
  std::string bytes(static_cast<std::size_t>(tail), '\0');
  if (!in.read(bytes.data(), tail)) return false;
  std::vector<std::string> lines;
  std::string line;
  for (char c : bytes) {
    if (c == '\n') {
      lines.push_back(line);
      line.clear();
    } else if (c != '\r') {
      line += c;
    }
  }
  if (!line.empty()) lines.push_back(line);
  const auto trimmed = [](std::string t) {
    const std::size_t a = t.find_first_not_of(" \t");
    const std::size_t b = t.find_last_not_of(" \t");
    return a == std::string::npos ? std::string() : t.substr(a, b - a + 1);
  };
  return lines.size() >= 2 && trimmed(lines[lines.size() - 2]) == "0" && trimmed(lines.back()) == "EOF";
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
    const std::u16string folder = GetTempFolder();
    const std::u16string file = TypeablePath(folder) + std::u16string(kScratchFile);
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
    const std::filesystem::path scratch = NativePath(folder + std::u16string(kScratchFile));
    const bool existed = EmptyScratch(scratch);
    // From here a step that fails ends the export: nothing is typed on the
    // strength of an answer AutoCAD did not give, and the caller learns that
    // the scratch file is not to be scanned.
    const auto incomplete = [&](std::int32_t step) {
      const std::int32_t number = step == LinkFailed || step == WindowClosed ? step : CommandFailed;
      Raise(number, ControlSource(u"DxfOut"), kMsgExportIncomplete);
    };
    if (const std::int32_t r = Channel(held)->PostCommand(export_text); r != -1) incomplete(r);
    // AutoCAD asks whether to replace the file only when it was there. A busy
    // AutoCAD (writing a large drawing) may not answer for a while: the prompt
    // is awaited until it reads as the command prompt or as that question,
    // and "y" is typed only for the question itself.
    bool asked = false;
    const std::shared_ptr<_PwControl> channel = Channel(held);
    const std::u16string command_prompt = Prompt(held);
    if (auto* own = dynamic_cast<PwControl*>(channel.get()); own != nullptr) {
      const std::int32_t r = Guarded([&] {
        own->cancel_requested_ = false;
        return own->WaitForPrompt({.done =
                                       [&](const std::u16string& p) {
                                         asked = existed && !SameTextIgnoringCase(p, command_prompt) &&
                                                 IsReplaceQuestion(p);
                                         return asked || SameTextIgnoringCase(p, command_prompt);
                                       },
                                   .operation = u"DxfOut"});
      });
      if (r != -1) incomplete(r);
    } else {
      std::u16string p;
      if (const std::int32_t r = channel->GetPrompt(p); r != -1) incomplete(r);
      asked = existed && IsReplaceQuestion(p);
    }
    if (asked) {
      if (const std::int32_t r = Channel(held)->SendCommand(u"y^M", Prompt(held)); r != -1) incomplete(r);
    }
    // The command prompt after FILEDIA is back to 1 is the sign that AutoCAD
    // has finished; the file itself says whether it was written whole.
    if (const std::int32_t r = Channel(held)->SendCommand(u"filedia^M1^M", Prompt(held)); r != -1)
      incomplete(r);
    if (!EndsWithEof(scratch)) incomplete(CommandFailed);
    return -1;
  });
}

}  // namespace korvel
