// The drawing's name across an export. Plendra has AutoCAD write the drawing
// (or the picked object) as DXF with SAVEAS, and an AutoCAD that makes the
// file it saved the current drawing then shows the scratch file Wexa.dxf in
// the temporary folder as the user's drawing: the user's next QSAVE would
// write there and leave the real drawing without the entries. Plendra reads
// the drawing's name on each side of an export and, when it changed, tells
// the user which file AutoCAD now has open and what to do. Saving back under
// the old name through the command line would save a drawing the user may
// not want saved, so that is left to the user.
#include "app/box_style.h"
#include "app/form1.h"
#include "texts.h"

namespace plendra {

std::optional<std::u16string> Form1::ReadOnlyVariable(korvel::_PwControl& channel, std::u16string_view name) {
  // A read-only variable typed at the command prompt is printed into the
  // history as NAME = "value" (読み込み専用); it asks for nothing.
  if (channel.SendCommand(texts::VariableKeys(name), Prompt()) != -1) return std::nullopt;
  const std::u16string match = std::u16string(name) + u" = \"";
  std::u16string history;
  if (channel.GetHistory(history, match) != -1 || !history.starts_with(match)) return std::nullopt;
  const std::size_t end = history.find(u'"', match.size());
  if (end == std::u16string::npos) return std::nullopt;
  return history.substr(match.size(), end - match.size());
}

std::int32_t Form1::DxfOutKeepingName(korvel::_PwControl& channel, korvel::_PwAcad* acad,
                                      std::u16string_view selection, bool closing) {
  const std::optional<std::u16string> before = ReadOnlyVariable(channel, u"DWGNAME");
  if (ended_ && !closing) return 0;
  const std::int32_t exported = channel.DxfOut(selection, u"2000", acad);
  // Only a finished export can have renamed the drawing; a stop or a close
  // meanwhile ends the caller's work first.
  if (exported != -1 || !before || (ended_ && !closing)) return exported;
  const std::optional<std::u16string> after = ReadOnlyVariable(channel, u"DWGNAME");
  if (!after || *after == *before || (ended_ && !closing)) return exported;
  const std::u16string folder = ReadOnlyVariable(channel, u"DWGPREFIX").value_or(u"");
  channel.ShowMessage(std::u16string(texts::kDrawingRenamed1) + folder + *after +
                          std::u16string(texts::kDrawingRenamed2) + *before +
                          std::u16string(texts::kDrawingRenamed3) + *before +
                          std::u16string(texts::kDrawingRenamed4),
                      kWarningBox, kAppTitle);
  return exported;
}

}  // namespace plendra
