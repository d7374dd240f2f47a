// Sunpou_Write: one picked dimension becomes one parts-table entry beside its
// text. Everything known about the dimension comes from the single-object
// export and three scans of it; everything done to the drawing is typed.
#include <cmath>
#include <filesystem>
#include <numbers>

#include "app/app_error.h"
#include "app/block_script.h"
#include "app/box_style.h"
#include "app/dimension_style.h"
#include "app/file_bytes.h"
#include "app/form1.h"
#include "app/number_text.h"
#include "app/placement.h"
#include "app/report.h"
#include "app/settei_form.h"
#include "link/typed_path.h"
#include "texts.h"

namespace plendra {
namespace {

// A system name that is exactly one blank or one asterisk was not chosen but
// left over from the list's editing; an empty one was never given.
bool SystemNameRefused(std::u16string_view name) { return name.empty() || name == u" " || name == u"*"; }

// What the status line adds when the picked dimension prints another number
// than its measurement (its text typed over by the draughtsman): the entry is
// written with the measurement all the same, and the user learns that the
// drawing shows something else. Empty when it prints its measurement.
std::u16string PrintedValueNote(korvel::_PwControl& channel, float measured, std::int32_t marume_index) {
  korvel::DxfTable text;
  if (channel.DxfScan(u"ENTITIES", u"DIMENSION", u"1", text) != -1 || text.IsEmpty()) return {};
  const std::optional<std::u16string> printed = PrintedValueDiffers(text.At(0, 1), measured, marume_index);
  if (!printed) return {};
  return std::u16string(texts::kPrintedDiffers) + *printed + std::u16string(texts::kPrintedDiffersEnd);
}

}  // namespace

// Every entry inserts Plendra1.dwg from the application's folder. Were it
// missing, AutoCAD would refuse the insertion and take the attribute values
// typed after it for commands; so it is looked for before the first pick,
// and when it is missing the user may have the running AutoCAD make it from
// Plendra1.scr. Nothing of an entry is typed unless the file is there. Once
// found it is not looked for again in this run.
bool Form1::EnsureBlock(korvel::_PwControl& channel) {
  if (block_found_) return true;
  const std::filesystem::path block = host_.AppFile(texts::kBlockFileName);
  std::error_code ignored;
  if (std::filesystem::is_regular_file(block, ignored)) return block_found_ = true;
  if (channel.ShowMessage(texts::kBlockMissing, kYesNoQuestionBox, kAppTitle) != kAnswerYes) {
    channel.ShowMessage(texts::kBlockDeclined, kWarningBox, kAppTitle);
    return false;
  }
  const std::optional<std::string> script = ReadFileBytes(host_.AppFile(texts::kBlockScriptName));
  if (!script) {
    channel.ShowMessage(texts::kBlockScriptMissing, kWarningBox, kAppTitle);
    return false;
  }
  // The script writes the block where this Plendra inserts it from, and the
  // wait ends at the command prompt or at the channel's own time-out.
  const std::u16string keys =
      BlockScriptKeys(host_.Codec().FromAnsi(*script),
                      korvel::TypeablePath(host_.AppFolder()) + std::u16string(texts::kBlockFile));
  const auto saved = ReadScriptVariables(channel);
  if (ended_) return false;
  const std::int32_t sent = channel.SendCommand(std::u16string(texts::kCancel) + keys, Prompt());
  RestoreScriptVariables(channel, saved);
  // 停止 pressed or the window closed meanwhile: the pick ends as asked.
  if (ended_ || sent == korvel::CancelByUser) return false;
  if (!std::filesystem::is_regular_file(block, ignored)) {
    channel.ShowMessage(texts::kBlockNotMade, kWarningBox, kAppTitle);
    return false;
  }
  view_.SetStatus(texts::kBlockMade);
  return block_found_ = true;
}

// --- One pick, step by step ------------------------------------------------

// What the picked dimension says, read from the single-object export.
struct Form1::PickedDimension {
  std::u16string system;         // the system name the entry is for, as it was then
  float P0 = 0, P1 = 0, P2 = 0;  // the text's position
  float M = 0;                   // the measurement
  std::int32_t type = 0, angle = 0;
  std::u16string style_name;
  std::int32_t ov = -1;  // the text movement override (1070); -1 when none
};

// Where and how large the entry is written.
struct Form1::EntryPlace {
  Placement at;
  float L = 0;  // the length written, rounded as the settings say
};

// No pick without a system and a number to write, nor without the block
// the entry is inserted from.
bool Form1::ReadyToPick(korvel::_PwControl& channel) {
  ComboBox& systems = view_.Keitou_Combo();
  ComboBox& numbers = view_.Bangou_Combo();
  if (systems.Text().empty()) {
    channel.ShowMessage(texts::kNoSystemName, kWarningBox, kAppTitle);
    systems.SetText(u"");
    focus_system_after_run_ = true;
    return false;
  }
  if (numbers.Text().empty()) {
    channel.ShowMessage(texts::kNoNumber, kWarningBox, kAppTitle);
    numbers.SetFocus();
    return false;
  }
  if (!EnsureBlock(channel)) return false;
  return !stop_requested_;
}

// The user picks, AutoCAD exports the picked object, and the export is read
// as a dimension. ends: what the pick comes to when there is none.
std::optional<Form1::PickedDimension> Form1::ReadPickedDimension(korvel::_PwControl& channel,
                                                                 korvel::_PwAcad& acad, std::int32_t& ends) {
  ends = 0;
  channel.Active();
  pick_pending_ = true;
  const std::int32_t exported = DxfOutKeepingName(channel, &acad, u"sgl");
  pick_pending_ = false;
  if (ended_) return std::nullopt;
  if (exported == 0) {
    channel.PostCommand(texts::kCancel);
    return std::nullopt;
  }
  if (exported == korvel::CancelByUser) {
    view_.MessageBox(texts::kCancelledByUser, host_.VersionComments(), BoxKind::kInformation);
    return std::nullopt;
  }
  if (exported != -1) return std::nullopt;
  // 停止 pressed once the pick was made: nothing of the entry is typed yet.
  if (stop_requested_) return std::nullopt;

  korvel::DxfTable dim;
  if (channel.DxfScan(u"ENTITIES", u"DIMENSION", u"11|21|31|42|70|50|3|1070", dim) != -1) return std::nullopt;
  if (LeadingNumber(dim.At(0, 0)) == 0) {
    channel.ShowMessage(texts::kPickADimension, kWarningBox, kAppTitle);
    ends = 1;
    return std::nullopt;
  }

  PickedDimension d;
  d.system = view_.Keitou_Combo().Text();
  if (SystemNameRefused(d.system)) {
    channel.ShowMessage(texts::kNoSystemName, kWarningBox, kAppTitle);
    view_.Keitou_Combo().SetText(u"");
    // The run has the box disabled now; it takes the focus when enabled.
    focus_system_after_run_ = true;
    return std::nullopt;
  }

  d.P0 = TextToSingle(dim.At(0, 1));
  d.P1 = TextToSingle(dim.At(1, 1));
  d.P2 = TextToSingle(dim.At(2, 1));
  if (!dim.At(3, 1).empty()) {
    d.M = TextToSingle(dim.At(3, 1));
  } else {
    // A program other than AutoCAD may leave the measurement out; AutoCAD
    // measures a rotated dimension between its extension lines' origins
    // along the dimension line's direction.
    korvel::DxfTable points;
    if (channel.DxfScan(u"ENTITIES", u"DIMENSION", u"13|23|14|24|50", points) != -1) return std::nullopt;
    const double angle = LeadingNumber(points.At(4, 1)) * std::numbers::pi / 180;
    const double dx = TextToDouble(points.At(2, 1)) - TextToDouble(points.At(0, 1));
    const double dy = TextToDouble(points.At(3, 1)) - TextToDouble(points.At(1, 1));
    d.M = DoubleToSingle(std::fabs(dx * std::cos(angle) + dy * std::sin(angle)));
  }
  d.type = RoundToLong(LeadingNumber(dim.At(4, 1)));
  d.angle = RoundToLong(LeadingNumber(dim.At(5, 1)));
  d.style_name = dim.At(6, 1);
  d.ov = dim.At(7, 1).empty() ? -1 : RoundToLong(LeadingNumber(dim.At(7, 1)));
  return d;
}

// A table of the export (DIMSTYLE, STYLE) as the scan gives it; a scan that
// fails leaves it without records, which finds no style.
korvel::DxfTable Form1::ScanTable(korvel::_PwControl& channel, std::u16string_view type,
                                  std::u16string_view groups) {
  korvel::DxfTable table;
  channel.DxfScan(u"TABLES", type, groups, table);
  return table;
}

// The entry's length, size and place, or why it cannot be written: a
// dimension of another kind (pick again), no style to size it by, or no
// position set (both end the run).
std::optional<Form1::EntryPlace> Form1::PlaceEntryFor(korvel::_PwControl& channel, const PickedDimension& d,
                                                      const DimensionStyle& style,
                                                      const TextStyle& text_style, std::int32_t& ends) {
  ends = 0;
  settei_.EnsureLoaded();
  EntryPlace place;
  place.L = Nagasa_Marume(d.M, TextToLong(g_.settings.Marume));
  float TW = 0;
  Mojihaba_Get(d.M, style.K, style.H, style.D, text_style.WF, style.R, style.Z, TW);

  switch (d.type) {
    case 0:
    case 32:
    case 128:
    case 160:
      break;
    case 1:
    case 33:
      channel.ShowMessage(texts::kAligned, kWarningBox, kAppTitle);
      ends = 1;
      return std::nullopt;
    default:
      channel.ShowMessage(texts::kNotLinear, kWarningBox, kAppTitle);
      ends = 1;
      return std::nullopt;
  }

  const std::int32_t p = Iti_Get(TextToBoolean(g_.settings.Ue), TextToBoolean(g_.settings.Sita),
                                 TextToBoolean(g_.settings.Mae), TextToBoolean(g_.settings.Usiro));
  place.at = PlaceEntry({.p = p,
                         .P0 = d.P0,
                         .P1 = d.P1,
                         .angle = d.angle,
                         .type = d.type,
                         .ov = d.ov,
                         .K = style.K,
                         .H = style.H,
                         .G = style.G,
                         .TM = style.TM,
                         .TW = TW,
                         .okisa = TextToDouble(g_.settings.Okisa),
                         .hanare = TextToDouble(g_.settings.Hanare)});
  // An entry at scale 0 or at the drawing's origin would be lost in the
  // drawing; the user is told what is missing instead.
  if (!style.found || !(place.at.s > 0)) {
    channel.ShowMessage(texts::kNoDimensionStyle, kWarningBox, kAppTitle);
    return std::nullopt;
  }
  if (p == 0) {
    channel.ShowMessage(texts::kNoPosition, kWarningBox, kAppTitle);
    return std::nullopt;
  }
  return place;
}

// Types the entry: the block's insertion, its attributes, and its text
// style made the dimension's. -1 when AutoCAD confirmed all of it.
std::int32_t Form1::TypeEntry(korvel::_PwControl& channel, korvel::_PwAcad& acad, const PickedDimension& d,
                              const EntryPlace& place, std::u16string_view text_style_name) {
  // A stop asked for during a message box above: nothing is typed yet.
  if (stop_requested_) return 0;
  const std::u16string number = view_.Bangou_Combo().Text();
  const std::u16string entry = d.system + u"-" + number;
  // From here the entry is typed as a whole: a press of 停止 or the close box
  // meanwhile waits for its end. A command AutoCAD does not confirm leaves
  // the entry in doubt, and that is said rather than counted as written.
  const std::u16string block = korvel::TypeablePath(host_.AppFolder()) + std::u16string(texts::kBlockFile);
  if (channel.PostCommand(texts::InsertKeys(block, SingleText(place.at.s), SingleText(place.at.X),
                                            SingleText(place.at.Y), d.angle == 90)) != -1) {
    EntryUnconfirmed(entry, acad);
    return 0;
  }
  if (channel.SendCommand(texts::AttributeKeys(SingleText(d.P0), SingleText(d.P1), SingleText(d.P2),
                                               SingleText(place.L), d.system, number),
                          Prompt()) != -1) {
    EntryUnconfirmed(entry, acad);
    return 0;
  }
  view_.SetStatus(entry + u">" + SingleText(place.L) + std::u16string(texts::kWritten) +
                  PrintedValueNote(channel, d.M, TextToLong(g_.settings.Marume)));
  NoteWritten(d.system, number);
  if (channel.SendCommand(texts::AtteditKeys(text_style_name), Prompt()) != -1) {
    EntryUnconfirmed(entry, acad);
    return 0;
  }
  return -1;
}

std::int32_t Form1::Sunpou_Write() {
  const std::shared_ptr<korvel::_PwAcad> acad = g_.Acad_Obj;
  const auto channel = Channel();
  if (!ReadyToPick(*channel)) return 0;
  std::int32_t ends = 0;
  const std::optional<PickedDimension> dimension = ReadPickedDimension(*channel, *acad, ends);
  if (!dimension) return ends;
  const DimensionStyle style =
      DimensionStyleOf(ScanTable(*channel, u"DIMSTYLE", kDimensionStyleGroups), dimension->style_name);
  const TextStyle text_style =
      TextStyleOf(ScanTable(*channel, u"STYLE", kTextStyleGroups), style.text_style_handle);
  const std::optional<EntryPlace> place = PlaceEntryFor(*channel, *dimension, style, text_style, ends);
  if (!place) return ends;
  return TypeEntry(*channel, *acad, *dimension, *place, text_style.name);
}

void Form1::EntryUnconfirmed(const std::u16string& entry, const korvel::_PwAcad& acad) {
  const std::u16string reason = acad.get_ErrDescription();
  view_.SetStatus(entry + std::u16string(texts::kEntryUnconfirmed));
  // The link's own description says why (a time-out, a lost window).
  view_.MessageBox(entry + std::u16string(texts::kEntryUnconfirmed) + reason +
                       std::u16string(texts::kEntryUnconfirmedAdvice),
                   kAppTitle, BoxKind::kWarning);
}

}  // namespace plendra
