// Form1's menu 検査: the check of the parts tables (番号の検査) and the takeoff
// sheet (集計表の出力), both from an export of the whole drawing that the
// application reads itself (report.h), and the zoom to a listed entry.
#include <algorithm>
#include <cmath>
#include <string>

#include "app/app_error.h"
#include "app/box_style.h"
#include "app/file_bytes.h"
#include "app/form1.h"
#include "app/number_text.h"
#include "texts.h"

namespace plendra {
namespace {

// A listed entry fills a tenth of the view's height: its balloon is two
// units across at the entry's scale, and its dimension lies next to it.
constexpr double kZoomHeightPerScale = 20;

std::u16string KindText(FindingType type) {
  switch (type) {
    case FindingType::kDuplicate:
      return u"重複";
    case FindingType::kGap:
      return u"欠番";
    case FindingType::kStale:
      return u"長さ違い";
    case FindingType::kOrphan:
      return u"寸法なし";
    case FindingType::kUnnumbered:
      return u"番号なし";
    case FindingType::kOverride:
      return u"表示値違い";
  }
  return {};
}

KensaRow RowOf(const Finding& f, const std::vector<ReportEntry>& entries) {
  KensaRow row{KindText(f.type), f.system, f.number, {}};
  switch (f.type) {
    case FindingType::kDuplicate:
      row.detail = IntegerText(f.count) + u" 個の部品表が同じ番号です";
      break;
    case FindingType::kGap:
      if (f.gap_last > f.gap_first) row.number += u"～" + IntegerText(f.gap_last);
      row.detail = u"この番号の部品表がありません";
      break;
    case FindingType::kStale:
      row.detail = u"記入 " + f.written + u"mm、寸法は " + f.now + u"mm";
      break;
    case FindingType::kOrphan: {
      const ReportEntry& e = entries[static_cast<std::size_t>(f.entry)];
      row.detail = u"記録した位置 " + e.Attribute(1) + u"," + e.Attribute(2) + u" に寸法がありません";
      break;
    }
    case FindingType::kUnnumbered:
      row.detail = u"番号が数値ではありません";
      break;
    case FindingType::kOverride:
      row.detail = u"寸法の表示 " + f.written + u"、測定値 " + f.now + u"mm (部品表は測定値)";
      break;
  }
  return row;
}

// A read-only system variable typed at the command line: AutoCAD answers in
// its history with NAME = "value" followed by a note that it is read-only.
// Empty when the history holds no such answer.
std::u16string ReadOnlyVariable(korvel::_PwControl& control, std::u16string_view name,
                                const std::u16string& prompt) {
  control.SendCommand(texts::VariableKeys(name), prompt);
  const std::u16string match = std::u16string(name) + u" = \"";
  std::u16string history;
  if (control.GetHistory(history, match) != -1 || !history.starts_with(match)) return {};
  const std::size_t end = history.find(u'"', match.size());
  if (end == std::u16string::npos) return {};
  return history.substr(match.size(), end - match.size());
}

bool IsScratchName(std::u16string_view name) {
  if (name.size() != 8) return false;
  for (std::size_t i = 0; i < name.size(); ++i) {
    const char16_t c = name[i] >= u'a' && name[i] <= u'z' ? static_cast<char16_t>(name[i] - 32) : name[i];
    if (c != u"WEXA.DXF"[i]) return false;
  }
  return true;
}

// The folder (with its final separator) and the name of the drawing AutoCAD
// has open. Its read-only variables say so, unless an export of ours has
// made the scratch file the current drawing, as SAVEAS does; then the
// main-window title read when Plendra connected ("AutoCAD 2006 -
// [C:\図面\sample.dwg]") still names it. Both empty when neither does.
void DrawingPath(korvel::_PwAcad& acad, korvel::_PwControl& control, std::u16string& folder,
                 std::u16string& name) {
  folder = ReadOnlyVariable(control, u"DWGPREFIX", acad.get_CommandPrompt());
  name = ReadOnlyVariable(control, u"DWGNAME", acad.get_CommandPrompt());
  if (!folder.empty() && !name.empty() && !IsScratchName(name)) return;
  folder.clear();
  name.clear();
  const std::u16string title = acad.get_MainWindowTitle();
  const std::size_t open = title.find(u'[');
  const std::size_t close = title.rfind(u']');
  if (open == std::u16string::npos || close == std::u16string::npos || close < open) return;
  const std::u16string path = title.substr(open + 1, close - open - 1);
  const std::size_t sep = path.find_last_of(u"\\/");
  if (sep == std::u16string::npos || sep + 1 == path.size()) return;
  folder = path.substr(0, sep + 1);
  name = path.substr(sep + 1);
}

}  // namespace

std::optional<Form1::WholeExport> Form1::ExportWholeDrawing(korvel::_PwControl& control,
                                                            korvel::_PwAcad& acad) {
  control.SendCommand(texts::kCancel, acad.get_CommandPrompt());
  if (ended_) return std::nullopt;
  WholeExport result;
  result.exported = DxfOutKeepingName(control, &acad, u"all");
  if (ended_) return std::nullopt;
  if (result.exported != -1) return result;
  // The count AutoCAD reported last: an empty drawing writes no new scratch
  // file, and an older export left there must not be read as this drawing.
  std::u16string history;
  const std::int32_t read = control.GetHistory(history, texts::kCountMatch);
  const std::u16string first_digit =
      history.size() > texts::kCountMatch.size() ? history.substr(texts::kCountMatch.size(), 1) : u"";
  if (read == -1) result.empty = LeadingNumber(first_digit) == 0;
  return result;
}

std::optional<ReportDrawing> Form1::ExportForReport() {
  // Keeps the PwAcad for the whole export: a close handled inside one of its
  // waits releases Acad_Obj.
  const std::shared_ptr<korvel::_PwAcad> acad = g_.Acad_Obj;
  const auto control = Channel();
  const std::optional<WholeExport> exported = ExportWholeDrawing(*control, *acad);
  if (!exported) return std::nullopt;
  if (exported->exported != -1) {
    control->ShowMessage(texts::kExportFailed, kWarningBox, kAppTitle);
    return std::nullopt;
  }
  // Without a count the export is read: it is this drawing's unless AutoCAD
  // said it held nothing.
  if (exported->empty.value_or(false)) return ReportDrawing{};
  ReportReadFailure failure;
  std::optional<ReportDrawing> drawing = ReadReportFile(host_.ScratchDxf(), host_.Codec(), failure);
  if (!drawing)
    control->ShowMessage(std::u16string(texts::kExportUnreadable) + failure.description, kWarningBox,
                         kAppTitle);
  return drawing;
}

void Form1::Mnu_Bangou_Kensa_Click() {
  if (ended_ || kensa_running_ || g_.Kakikomi_Tyuu == -1) return;
  kensa_running_ = true;
  Menu_Set(0);
  try {
    std::optional<ReportDrawing> drawing = ExportForReport();
    if (drawing && !ended_) {
      findings_ = CheckDrawing(*drawing, TextToLong(g_.settings.Marume));
      finding_entries_ = std::move(drawing->entries);
      view_.SetStatus(std::u16string(texts::kKensaFound) +
                      IntegerText(static_cast<std::int64_t>(findings_.size())) +
                      std::u16string(texts::kKensaFoundCount));
      if (findings_.empty()) {
        Channel()->ShowMessage(texts::kKensaNone, kInformationBox, kAppTitle);
      } else {
        std::vector<KensaRow> rows;
        for (const Finding& f : findings_) rows.push_back(RowOf(f, finding_entries_));
        host_.KensaWidgets().Show(rows);
      }
    }
  } catch (const AppError& error) {
    ReportError(error);
  }
  kensa_running_ = false;
  // A run started from a click handled during the export keeps the menus off.
  if (!ended_ && g_.Kakikomi_Tyuu != -1) Menu_Set(-1);
}

void Form1::Kensa_List_DblClick(std::int32_t row) {
  if (ended_ || row < 0 || static_cast<std::size_t>(row) >= findings_.size()) return;
  const Finding& f = findings_[static_cast<std::size_t>(row)];
  const ReportEntry* entry = nullptr;
  if (f.entry >= 0) {
    entry = &finding_entries_[static_cast<std::size_t>(f.entry)];
  } else {
    // A gap has no entry of its own: the entry after it shows where it is.
    for (const ReportEntry& e : finding_entries_)
      if (e.system == f.system && e.number == f.gap_last + 1) {
        entry = &e;
        break;
      }
  }
  if (entry == nullptr) return;
  try {
    const auto control = Channel();
    control->Active();
    const float x = DoubleToSingle(entry->insert_x);
    const float y = DoubleToSingle(entry->insert_y);
    const float height = DoubleToSingle(std::max(std::fabs(entry->scale), 1.0) * kZoomHeightPerScale);
    control->SendCommand(texts::ZoomKeys(SingleText(x), SingleText(y), SingleText(height)), Prompt());
  } catch (const AppError& error) {
    ReportError(error);
  }
}

void Form1::Mnu_Syuukei_Click() {
  if (ended_ || kensa_running_ || g_.Kakikomi_Tyuu == -1) return;
  kensa_running_ = true;
  Menu_Set(0);
  try {
    // Keeps the PwAcad for the whole call, as the export does.
    const std::shared_ptr<korvel::_PwAcad> acad = g_.Acad_Obj;
    const auto control = Channel();
    // Asked before the export, which may rename the drawing AutoCAD holds.
    std::u16string folder, name;
    DrawingPath(*acad, *control, folder, name);
    if (const std::size_t dot = name.find_last_of(u'.'); dot != std::u16string::npos) name.resize(dot);
    std::optional<ReportDrawing> drawing;
    if (!ended_ && (folder.empty() || name.empty()))
      control->ShowMessage(texts::kNoDrawingFolder, kWarningBox, kAppTitle);
    else if (!ended_)
      drawing = ExportForReport();
    if (drawing && !ended_) {
      const std::u16string sheet = folder + name + std::u16string(texts::kSyuukeiSuffix);
      const std::string bytes = host_.Codec().ToAnsi(CsvText(TakeoffRows(*drawing)));
      if (!ReplaceFileBytes(host_.DrawingFile(sheet), bytes)) {
        control->ShowMessage(std::u16string(texts::kSyuukeiNotWritten) + sheet, kWarningBox, kAppTitle);
      } else {
        std::int64_t stale = 0;
        for (const Finding& f : CheckDrawing(*drawing, TextToLong(g_.settings.Marume)))
          if (f.type == FindingType::kStale || f.type == FindingType::kOrphan) ++stale;
        std::u16string text = std::u16string(texts::kSyuukeiWritten) + sheet;
        if (stale > 0)
          text += std::u16string(texts::kSyuukeiStale) + IntegerText(stale) +
                  std::u16string(texts::kSyuukeiStaleEnd);
        control->ShowMessage(text, kInformationBox, kAppTitle);
      }
    }
  } catch (const AppError& error) {
    ReportError(error);
  }
  kensa_running_ = false;
  if (!ended_ && g_.Kakikomi_Tyuu != -1) Menu_Set(-1);
}

}  // namespace plendra
