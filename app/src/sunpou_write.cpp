// Sunpou_Write: one picked dimension becomes one parts-table entry beside its
// text. Everything known about the dimension comes from the single-object
// export and three scans of it; everything done to the drawing is typed.
#include <cmath>
#include <filesystem>
#include <numbers>

#include "app/app_error.h"
#include "app/block_script.h"
#include "app/file_bytes.h"
#include "app/number_text.h"
#include "app/placement.h"
#include "app/plendra.h"
#include "app/report.h"
#include "texts.h"

namespace plendra {
namespace {

// A system name that is exactly one blank or one asterisk was not chosen but
// left over from the list's editing; an empty one was never given.
bool SystemNameRefused(std::u16string_view name) { return name.empty() || name == u" " || name == u"*"; }

// A value the scan left empty: the record does not carry that group.
bool Omitted(const std::u16string& value) { return value.empty(); }

// What AutoCAD means by a dimension-style value that its record leaves out:
// the DXF reference's default, which is the imperial one even in a metric
// drawing (whose styles carry their 2.5 and 0.625 written out).
struct StyleDefaults {
  float K = 1, H = 0.18f, R = 0, G = 0.09f;
  std::int32_t D = 4, Z = 0, TM = 0;
};

float SingleOr(const std::u16string& value, float fallback) {
  return Omitted(value) ? fallback : DoubleToSingle(LeadingNumber(value));
}

std::int32_t LongOr(const std::u16string& value, std::int32_t fallback) {
  return Omitted(value) ? fallback : RoundToLong(LeadingNumber(value));
}

// "^C", "^M" and "^J" in a typed file name would reach AutoCAD as control
// keys; Windows file names ignore case, so the lower-case letter names the
// same folder and is typed as it is.
std::u16string Typeable(std::u16string_view folder) {
  std::u16string text(folder);
  for (std::size_t i = 0; i + 1 < text.size(); ++i)
    if (text[i] == u'^' && (text[i + 1] == u'C' || text[i + 1] == u'M' || text[i + 1] == u'J'))
      text[i + 1] = static_cast<char16_t>(text[i + 1] - u'A' + u'a');
  return text;
}

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
  if (channel.ShowMessage(texts::kBlockMissing, kYesNoQuestion, kAppTitle) != kAnswerYes) {
    channel.ShowMessage(texts::kBlockDeclined, kExclamation, kAppTitle);
    return false;
  }
  const std::optional<std::string> script = ReadFileBytes(host_.AppFile(texts::kBlockScriptName));
  if (!script) {
    channel.ShowMessage(texts::kBlockScriptMissing, kExclamation, kAppTitle);
    return false;
  }
  // The script writes the block where this Plendra inserts it from, and the
  // wait ends at the command prompt or at the channel's own time-out.
  const std::u16string keys = BlockScriptKeys(
      host_.Codec().FromAnsi(*script), Typeable(host_.AppFolder()) + std::u16string(texts::kBlockFile));
  const auto saved = ReadScriptVariables(channel);
  if (ended_) return false;
  const std::int32_t sent = channel.SendCommand(std::u16string(texts::kCancel) + keys, Prompt());
  RestoreScriptVariables(channel, saved);
  // 停止 pressed or the window closed meanwhile: the pick ends as asked.
  if (ended_ || sent == korvel::CancelByUser) return false;
  if (!std::filesystem::is_regular_file(block, ignored)) {
    channel.ShowMessage(texts::kBlockNotMade, kExclamation, kAppTitle);
    return false;
  }
  view_.SetStatus(texts::kBlockMade);
  return block_found_ = true;
}

std::int32_t Form1::Sunpou_Write() {
  const std::shared_ptr<korvel::_PwAcad> acad = g_.Acad_Obj;
  const auto channel = Channel();
  ComboBox& systems = view_.Keitou_Combo();
  ComboBox& numbers = view_.Bangou_Combo();

  // No pick without a system and a number to write.
  if (systems.Text().empty()) {
    channel->ShowMessage(texts::kNoSystemName, kExclamation, kAppTitle);
    systems.SetText(u"");
    focus_system_after_run_ = true;
    return 0;
  }
  if (numbers.Text().empty()) {
    channel->ShowMessage(texts::kNoNumber, kExclamation, kAppTitle);
    numbers.SetFocus();
    return 0;
  }
  if (!EnsureBlock(*channel)) return 0;
  if (stop_requested_) return 0;

  channel->Active();
  pick_pending_ = true;
  const std::int32_t exported = DxfOutKeepingName(*channel, acad.get(), u"sgl");
  pick_pending_ = false;
  if (ended_) return 0;
  if (exported == 0) {
    channel->PostCommand(texts::kCancel);
    return 0;
  }
  if (exported == korvel::CancelByUser) {
    view_.MessageBox(texts::kCancelledByUser, host_.VersionComments(), kInformation);
    return 0;
  }
  if (exported != -1) return 0;
  // 停止 pressed once the pick was made: nothing of the entry is typed yet.
  if (stop_requested_) return 0;

  korvel::DxfTable dim;
  if (channel->DxfScan(u"ENTITIES", u"DIMENSION", u"11|21|31|42|70|50|3|1070", dim) != -1) return 0;
  if (LeadingNumber(dim.At(0, 0)) == 0) {
    channel->ShowMessage(texts::kPickADimension, kExclamation, kAppTitle);
    return 1;
  }

  const std::u16string system = systems.Text();
  if (SystemNameRefused(system)) {
    channel->ShowMessage(texts::kNoSystemName, kExclamation, kAppTitle);
    systems.SetText(u"");
    // The run has the box disabled now; it takes the focus when enabled.
    focus_system_after_run_ = true;
    return 0;
  }

  const float P0 = TextToSingle(dim.At(0, 1));
  const float P1 = TextToSingle(dim.At(1, 1));
  const float P2 = TextToSingle(dim.At(2, 1));
  float M = 0;
  if (!Omitted(dim.At(3, 1))) {
    M = TextToSingle(dim.At(3, 1));
  } else {
    // A program other than AutoCAD may leave the measurement out; AutoCAD
    // measures a rotated dimension between its extension lines' origins
    // along the dimension line's direction.
    korvel::DxfTable points;
    if (channel->DxfScan(u"ENTITIES", u"DIMENSION", u"13|23|14|24|50", points) != -1) return 0;
    const double angle = LeadingNumber(points.At(4, 1)) * std::numbers::pi / 180;
    const double dx = TextToDouble(points.At(2, 1)) - TextToDouble(points.At(0, 1));
    const double dy = TextToDouble(points.At(3, 1)) - TextToDouble(points.At(1, 1));
    M = DoubleToSingle(std::fabs(dx * std::cos(angle) + dy * std::sin(angle)));
  }
  const std::int32_t type = RoundToLong(LeadingNumber(dim.At(4, 1)));
  const std::int32_t angle = RoundToLong(LeadingNumber(dim.At(5, 1)));
  const std::u16string style_name = dim.At(6, 1);
  const std::int32_t ov = dim.At(7, 1).empty() ? -1 : RoundToLong(LeadingNumber(dim.At(7, 1)));

  // The dimension's style: the last record of that name counts.
  float K = 0, H = 0, R = 0, G = 0;
  std::int32_t D = 0, Z = 0, TM = 0;
  std::u16string text_style_handle;
  bool style_found = false;
  korvel::DxfTable styles;
  channel->DxfScan(u"TABLES", u"DIMSTYLE", u"2|40|140|271|340|45|78|147|279", styles);
  const StyleDefaults defaults;
  const std::int32_t style_count = styles.IsEmpty() ? 0 : RoundToLong(LeadingNumber(styles.At(0, 0)));
  for (std::int32_t r = 1; r <= style_count; ++r) {
    if (styles.At(0, r) != style_name) continue;
    style_found = true;
    K = SingleOr(styles.At(1, r), defaults.K);
    if (K == 0) K = 1;
    H = SingleOr(styles.At(2, r), defaults.H);
    D = LongOr(styles.At(3, r), defaults.D);
    text_style_handle = styles.At(4, r);
    R = SingleOr(styles.At(5, r), defaults.R);
    Z = LongOr(styles.At(6, r), defaults.Z);
    G = SingleOr(styles.At(7, r), defaults.G);
    TM = LongOr(styles.At(8, r), defaults.TM);
  }

  // The text style of the dimension style, by handle.
  std::u16string text_style_name;
  float WF = 0;
  korvel::DxfTable text_styles;
  channel->DxfScan(u"TABLES", u"STYLE", u"5|2|41", text_styles);
  const std::int32_t text_style_count =
      text_styles.IsEmpty() ? 0 : RoundToLong(LeadingNumber(text_styles.At(0, 0)));
  for (std::int32_t r = 1; r <= text_style_count; ++r) {
    if (text_styles.At(0, r) != text_style_handle) continue;
    text_style_name = text_styles.At(1, r);
    WF = SingleOr(text_styles.At(2, r), 1);
  }

  settei_.EnsureLoaded();
  const float L = Nagasa_Marume(M, TextToLong(g_.settings.Marume));
  float TW = 0;
  Mojihaba_Get(M, K, H, D, WF, R, Z, TW);

  switch (type) {
    case 0:
    case 32:
    case 128:
    case 160:
      break;
    case 1:
    case 33:
      channel->ShowMessage(texts::kAligned, kExclamation, kAppTitle);
      return 1;
    default:
      channel->ShowMessage(texts::kNotLinear, kExclamation, kAppTitle);
      return 1;
  }

  const std::int32_t p = Iti_Get(TextToBoolean(g_.settings.Ue), TextToBoolean(g_.settings.Sita),
                                 TextToBoolean(g_.settings.Mae), TextToBoolean(g_.settings.Usiro));
  const Placement at = PlaceEntry({.p = p,
                                   .P0 = P0,
                                   .P1 = P1,
                                   .angle = angle,
                                   .type = type,
                                   .ov = ov,
                                   .K = K,
                                   .H = H,
                                   .G = G,
                                   .TM = TM,
                                   .TW = TW,
                                   .okisa = TextToDouble(g_.settings.Okisa),
                                   .hanare = TextToDouble(g_.settings.Hanare)});
  // An entry at scale 0 or at the drawing's origin would be lost in the
  // drawing; the user is told what is missing instead.
  if (!style_found || !(at.s > 0)) {
    channel->ShowMessage(texts::kNoDimensionStyle, kExclamation, kAppTitle);
    return 0;
  }
  if (p == 0) {
    channel->ShowMessage(texts::kNoPosition, kExclamation, kAppTitle);
    return 0;
  }

  // A stop asked for during a message box above: nothing is typed yet.
  if (stop_requested_) return 0;
  const std::u16string rotation = angle == 90 ? u"^M90^M" : u"^M0^M";
  const std::u16string number = numbers.Text();
  const std::u16string entry = system + u"-" + number;
  // From here the entry is typed as a whole: a press of 停止 or the close box
  // meanwhile waits for its end. A command AutoCAD does not confirm leaves
  // the entry in doubt, and that is said rather than counted as written.
  if (channel->PostCommand(u"^C^C-insert^M" + Typeable(host_.AppFolder()) +
                           std::u16string(texts::kBlockFile) + u"^Ms^M" + SingleText(at.s) + u"^M" +
                           SingleText(at.X) + u"," + SingleText(at.Y) + rotation) != -1) {
    EntryUnconfirmed(entry, *acad);
    return 0;
  }
  if (channel->SendCommand(SingleText(P0) + u"^M" + SingleText(P1) + u"^M" + SingleText(P2) + u"^M" +
                               SingleText(L) + u"^M^M^M" + system + u"^M" + number + u"^M",
                           Prompt()) != -1) {
    EntryUnconfirmed(entry, *acad);
    return 0;
  }
  view_.SetStatus(entry + u">" + SingleText(L) + std::u16string(texts::kWritten) +
                  PrintedValueNote(*channel, M, TextToLong(g_.settings.Marume)));
  NoteWritten(system, number);
  if (channel->SendCommand(u"-attedit^My^M^M^M^Ml^M^Ms^M" + text_style_name + u"^M^M", Prompt()) != -1) {
    EntryUnconfirmed(entry, *acad);
    return 0;
  }
  return -1;
}

void Form1::EntryUnconfirmed(const std::u16string& entry, const korvel::_PwAcad& acad) {
  const std::u16string reason = acad.get_ErrDescription();
  view_.SetStatus(entry + std::u16string(texts::kEntryUnconfirmed));
  // The link's own description says why (a time-out, a lost window).
  view_.MessageBox(entry + std::u16string(texts::kEntryUnconfirmed) + reason +
                       std::u16string(texts::kEntryUnconfirmedAdvice),
                   kAppTitle, kExclamation);
}

}  // namespace plendra
