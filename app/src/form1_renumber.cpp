// 検査 → 番号の振り直し: a system's entries numbered 1, 2, 3, ... in the open
// drawing, through AutoCAD's command line only (no LISP, no dialogs), as one
// undo group, and checked against the plan by reading the drawing back.
#include <algorithm>
#include <cmath>
#include <string>

#include "app/app_error.h"
#include "app/box_style.h"
#include "app/form1.h"
#include "app/number_text.h"
#include "texts.h"

namespace plendra {
namespace {

// The selection window around an entry's insertion point, as a part of the
// block's scale: the balloon is one unit in radius and holds the system and
// the number, so 0.9 reaches both whichever way the entry is turned and
// stays inside the balloon's own circle.
constexpr double kWindowHalf = 0.9;
// The zoom shows the window with room around it, since a selection only
// reaches what is shown.
constexpr double kZoomHalf = 2.0;
// Another entry whose insertion point lies nearer than this (in its own
// scale, added to the window) may have its number inside the window.
constexpr double kReach = 2.0;

double ScaleOf(const ReportEntry& e) { return std::max(std::fabs(e.scale), 1.0); }

std::u16string Coordinate(double v) { return SingleText(DoubleToSingle(v)); }

std::u16string Corner(double x, double y) { return Coordinate(x) + u"," + Coordinate(y); }

// The lower left and upper right corners of a square of half-size `half`
// around the entry.
std::u16string Low(const ReportEntry& e, double half) { return Corner(e.insert_x - half, e.insert_y - half); }
std::u16string High(const ReportEntry& e, double half) {
  return Corner(e.insert_x + half, e.insert_y + half);
}

std::u16string Point(const ReportEntry& e) { return e.Attribute(1) + u"," + e.Attribute(2); }

// "給水 3→4 (長さ 1200, 位置 600,-3400)", for the messages.
std::u16string ChangeText(const ReportDrawing& drawing, const RenumberChange& c) {
  const ReportEntry& e = drawing.entries[c.entry];
  return e.system + u" " + c.old_text + u"→" + IntegerText(c.new_number) + u" (長さ " + e.Attribute(4) +
         u", 位置 " + Point(e) + u")";
}

// An entry that the command line cannot reach alone: a value or block name
// with a blank (a blank ends an answer), or another entry of the same block
// and value whose number may lie inside its selection window.
bool Unreachable(const ReportDrawing& drawing, const RenumberChange& c) {
  const ReportEntry& e = drawing.entries[c.entry];
  if (c.old_text.empty() || c.old_text.find(u' ') != std::u16string::npos || e.block.empty() ||
      e.block.find(u' ') != std::u16string::npos)
    return true;
  const double half = kWindowHalf * ScaleOf(e);
  for (std::size_t i = 0; i < drawing.entries.size(); ++i) {
    const ReportEntry& o = drawing.entries[i];
    if (i == c.entry || o.block != e.block || o.number_text != c.old_text) continue;
    const double reach = half + kReach * ScaleOf(o);
    if (std::fabs(o.insert_x - e.insert_x) < reach && std::fabs(o.insert_y - e.insert_y) < reach) return true;
  }
  return false;
}

RenumberShown Shown(const ReportDrawing& drawing, std::u16string_view system) {
  const RenumberPlan plan = PlanRenumber(drawing, system);
  RenumberShown shown;
  for (const RenumberChange& c : plan.changes) {
    const ReportEntry& e = drawing.entries[c.entry];
    shown.rows.push_back({c.old_text, IntegerText(c.new_number), e.Attribute(4), Point(e)});
  }
  const std::u16string name(system);
  if (plan.Numbered() + plan.unnumbered.size() == 0) {
    // Headed as the feature's other words about a system are.
    shown.summary = std::u16string(texts::kRenumberTitle) + u": " + MissingSystemText(drawing, system);
    return shown;
  }
  if (plan.changes.empty())
    shown.summary =
        std::u16string(texts::kRenumberNothing) + name + std::u16string(texts::kRenumberNothingEnd);
  else
    shown.summary = std::u16string(texts::kRenumberKept) + IntegerText(static_cast<std::int64_t>(plan.kept)) +
                    std::u16string(texts::kRenumberKeptCount);
  if (!plan.unnumbered.empty()) {
    shown.summary += u"\r\n" + std::u16string(texts::kRenumberUnnumbered);
    for (const std::size_t i : plan.unnumbered)
      shown.summary += u"「" + drawing.entries[i].number_text + u"」";
  }
  return shown;
}

}  // namespace

void Form1::Mnu_Renumber_Click() {
  if (ended_ || kensa_running_ || g_.Kakikomi_Tyuu == -1) return;
  kensa_running_ = true;
  Menu_Set(0);
  try {
    // The export step (cancel, export everything, the count AutoCAD
    // recognised, an empty drawing read as empty): the one 番号の検査 uses.
    std::optional<ReportDrawing> drawing = ExportForReport();
    if (drawing && !ended_) Renumber(*drawing);
  } catch (const AppError& error) {
    ReportError(error);
  }
  kensa_running_ = false;
  if (!ended_ && g_.Kakikomi_Tyuu != -1) Menu_Set(-1);
  if (close_after_renumber_ && !ended_) {
    close_after_renumber_ = false;
    CloseRequest();
  }
}

void Form1::Renumber(const ReportDrawing& drawing) {
  std::vector<std::u16string> systems;
  for (const ReportEntry& e : drawing.entries) systems.push_back(e.system);
  std::sort(systems.begin(), systems.end());
  systems.erase(std::unique(systems.begin(), systems.end()), systems.end());
  const std::optional<std::u16string> chosen =
      host_.RenumberWidgets().Ask(systems, view_.Keitou_Combo().Text(),
                                  [&](std::u16string_view system) { return Shown(drawing, system); });
  if (!chosen || ended_) return;
  const std::shared_ptr<korvel::_PwAcad> acad = g_.Acad_Obj;
  const auto control = Channel();
  const RenumberPlan plan = PlanRenumber(drawing, *chosen);
  if (plan.changes.empty()) {
    control->ShowMessage(Shown(drawing, *chosen).summary, kInformationBox, kAppTitle);
    return;
  }
  std::u16string unreachable;
  for (const RenumberChange& c : plan.changes)
    if (Unreachable(drawing, c)) unreachable += u"\r\n" + ChangeText(drawing, c);
  if (!unreachable.empty()) {
    control->ShowMessage(std::u16string(texts::kRenumberAmbiguous) + unreachable, kWarningBox, kAppTitle);
    return;
  }

  // From here on 停止 and the close box are taken between two entries.
  renumbering_ = true;
  renumber_stop_ = false;
  Button& button = view_.Kaisi_Button();
  button.SetCaption(texts::kStop);
  view_.Keitou_Combo().SetEnabled(false);
  bool failed = false;
  std::vector<std::size_t> done;
  std::optional<ReportDrawing> after;
  // The change being typed when AutoCAD stopped answering: it may have been
  // made all the same.
  std::optional<std::size_t> unconfirmed;
  // The change whose selection found nothing (its layer off, say): it was
  // not made, and nothing more was typed for it.
  bool not_found = false;
  std::optional<std::size_t> missed;
  try {
    // Everything typed from here to the group's end is one undo step: the
    // dialog variables, the edits, and the export that reads the result
    // back, so that one U (here or the user's) takes back exactly this and
    // leaves nothing of it behind.
    if (control->SendCommand(texts::kUndoBegin, Prompt()) != -1) {
      failed = true;
    } else {
      const auto dialogs = DialogVariablesOff(*control);
      done = TypeRenumbering(drawing, plan, failed, not_found);
      if ((failed || not_found) && done.size() < plan.changes.size())
        (failed ? unconfirmed : missed) = RenumberTypingOrder(plan)[done.size()];
      for (const auto& [name, value] : dialogs) control->SetVariable(name, value);
      if (!failed && done.size() == plan.changes.size() && !ended_) after = ExportForReport();
    }
    // Ended whatever happened, so that nothing the user does later joins it.
    control->SendCommand(texts::kUndoEnd, Prompt());
  } catch (const AppError&) {
    // The link is gone: nothing more can be typed, not even the group's end.
    failed = true;
  }
  renumbering_ = false;
  if (!ended_) {
    button.SetCaption(texts::kStart);
    view_.Keitou_Combo().SetEnabled(true);
  }
  if (ended_) return;

  std::u16string changed;
  for (const std::size_t k : done) changed += u"\r\n" + ChangeText(drawing, plan.changes[k]);
  if (changed.empty()) changed = texts::kRenumberNoneChanged;
  if (failed || not_found) {
    // AutoCAD's windows gone: it has closed (or crashed), and whatever it
    // did to the drawing is there only if it was saved; no U can be typed.
    const bool present = g_.Acad_Obj && g_.Acad_Obj->ControlExists();
    const auto now = present ? g_.Acad_Obj->get_Control() : nullptr;
    std::u16string text;
    if (!now) {
      std::u16string touched;
      for (const std::size_t k : done) touched += u"\r\n" + ChangeText(drawing, plan.changes[k]);
      if (unconfirmed) touched += u"\r\n" + ChangeText(drawing, plan.changes[*unconfirmed]);
      if (touched.empty()) touched = texts::kRenumberNoneChanged;
      text =
          std::u16string(texts::kRenumberAcadClosed) + touched + std::u16string(texts::kRenumberCheckAgain);
      view_.MessageBox(text, kAppTitle, BoxKind::kWarning);
      return;
    }
    text = std::u16string(texts::kRenumberFailed) + changed;
    if (unconfirmed)
      text += u"\r\n" + std::u16string(texts::kRenumberUnconfirmed) +
              ChangeText(drawing, plan.changes[*unconfirmed]);
    if (missed)
      text += u"\r\n" + std::u16string(texts::kRenumberNotFound) + ChangeText(drawing, plan.changes[*missed]);
    if (!done.empty() || unconfirmed) text += texts::kRenumberUndoHint;
    now->ShowMessage(text, kWarningBox, kAppTitle);
    return;
  }
  if (done.size() != plan.changes.size()) {
    // Stopped (or closing) before the last entry: the group is taken back
    // whole, so the drawing keeps its old numbering rather than a mix.
    control->SendCommand(texts::kUndoOnce, Prompt());
    if (!close_after_renumber_ && !ended_)
      control->ShowMessage(texts::kRenumberStopped, kInformationBox, kAppTitle);
    return;
  }
  // Read back, not assumed: the drawing must now be the plan.
  if (!after || close_after_renumber_) return;
  const std::vector<std::u16string> differences = RenumberDifferences(drawing, plan, *after);
  if (!differences.empty()) {
    std::u16string text(texts::kRenumberDiffers);
    for (const std::u16string& d : differences) text += u"\r\n" + d;
    text += texts::kRenumberOfferUndo;
    if (control->ShowMessage(text, kYesNoQuestionBox, kAppTitle) == kAnswerYes && !ended_) {
      control->SendCommand(texts::kUndoOnce, Prompt());
      if (!ended_) control->ShowMessage(texts::kRenumberUndone, kInformationBox, kAppTitle);
    }
    return;
  }
  // The number box follows the new numbering; the status then says what
  // was done.
  NextNumberAfterRenumbering(*chosen, *after);
  view_.SetStatus(std::u16string(texts::kRenumberDone) + *chosen + u"」 " +
                  IntegerText(static_cast<std::int64_t>(plan.changes.size())) +
                  std::u16string(texts::kRenumberDoneEnd));
}

std::vector<std::pair<std::u16string, std::u16string>> Form1::DialogVariablesOff(
    korvel::_PwControl& control) {
  std::vector<std::pair<std::u16string, std::u16string>> values;
  for (const std::u16string_view name : texts::kDialogVariables) {
    std::u16string value;
    if (control.GetVariable(name, value) != -1 || ended_ || value == u"0") continue;
    values.emplace_back(name, value);
    control.SetVariable(name, u"0");
  }
  return values;
}

std::vector<std::size_t> Form1::TypeRenumbering(const ReportDrawing& drawing, const RenumberPlan& plan,
                                                bool& failed, bool& not_found) {
  const auto control = Channel();
  std::vector<std::size_t> done;
  for (const std::size_t k : RenumberTypingOrder(plan)) {
    if (renumber_stop_ || ended_) break;
    const RenumberChange& c = plan.changes[k];
    const ReportEntry& e = drawing.entries[c.entry];
    const double scale = ScaleOf(e);
    const double zoom = kZoomHalf * scale, window = kWindowHalf * scale;
    if (control->SendCommand(texts::ZoomWindowKeys(Low(e, zoom), High(e, zoom)), Prompt()) != -1) {
      failed = true;
      break;
    }
    // The selection first, and the new value only once AutoCAD offers to
    // change the attribute it found: a selection that found nothing ends
    // the command, and whatever followed it would land at the command prompt.
    const std::u16string select =
        texts::RenumberSelectKeys(e.block, c.old_text, Low(e, window), High(e, window));
    std::u16string prompt;
    if (control->SendCommand(select, texts::kAnyPrompt) != -1 || control->GetPrompt(prompt) != -1) {
      failed = true;
      break;
    }
    if (prompt.find(texts::kAttEditOptionPart) == std::u16string::npos) {
      not_found = true;
      break;
    }
    if (control->SendCommand(texts::RenumberValueKeys(IntegerText(c.new_number)), Prompt()) != -1) {
      failed = true;
      break;
    }
    done.push_back(k);
  }
  return done;
}

// The lookup's next number, from the drawing read back (a lookup of its own
// would type an export after the undo group, and the user's U would then
// take back that instead of the renumbering).
void Form1::NextNumberAfterRenumbering(const std::u16string& system, const ReportDrawing& after) {
  if (g_.Kidou_Flag != 1 || LeadingNumber(g_.settings.Keitou_Check) != 1) return;
  if (view_.Keitou_Combo().Text() != system) return;
  ComboBox& numbers = view_.Bangou_Combo();
  if (numbers.ListCount() == 0) return;
  DrawingNumbers found{system, {}};
  std::int32_t highest = 0;
  for (const ReportEntry& e : after.entries) {
    if (e.system != system) continue;
    found.numbers.push_back(e.number_text);
    if (e.number && *e.number > highest) highest = *e.number;
  }
  drawing_numbers_ = std::move(found);
  if (highest < numbers.ListCount()) {
    numbers.SetListIndex(highest);
    view_.SetStatus(IntegerText(static_cast<std::int64_t>(highest) + 1) + std::u16string(texts::kFromNumber));
  } else {
    Channel()->ShowMessage(texts::kLastNumberReached, kWarningBox, kAppTitle);
  }
}

std::vector<std::u16string> Form1::RenumberDifferences(const ReportDrawing& before, const RenumberPlan& plan,
                                                       const ReportDrawing& after) const {
  // The system's entries in the file's order, before and after: editing an
  // attribute moves no entity, so the n-th is the same entry.
  std::vector<std::size_t> was, is;
  for (std::size_t i = 0; i < before.entries.size(); ++i)
    if (before.entries[i].system == plan.system) was.push_back(i);
  for (std::size_t i = 0; i < after.entries.size(); ++i)
    if (after.entries[i].system == plan.system) is.push_back(i);
  std::vector<std::u16string> differences;
  if (was.size() != is.size()) {
    differences.push_back(u"部品表の数が " + IntegerText(static_cast<std::int64_t>(was.size())) + u" から " +
                          IntegerText(static_cast<std::int64_t>(is.size())) + u" に変わりました");
    return differences;
  }
  for (std::size_t n = 0; n < was.size(); ++n) {
    const ReportEntry& b = before.entries[was[n]];
    const ReportEntry& a = after.entries[is[n]];
    std::u16string expected = b.number_text;
    for (const RenumberChange& c : plan.changes)
      if (c.entry == was[n]) expected = IntegerText(c.new_number);
    const bool same = a.number_text == expected && a.Attribute(4) == b.Attribute(4) &&
                      a.Attribute(1) == b.Attribute(1) && a.Attribute(2) == b.Attribute(2);
    if (same) continue;
    differences.push_back(plan.system + u" " + b.number_text + u"→" + expected + u" (長さ " + b.Attribute(4) +
                          u", 位置 " + Point(b) + u"): 図面では " + a.number_text + u" (長さ " +
                          a.Attribute(4) + u", 位置 " + Point(a) + u")");
  }
  return differences;
}

}  // namespace plendra
