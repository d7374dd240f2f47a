// The settings file plendra.ini: fourteen values, one a line, in the system's
// ANSI code page, no keys and no comments.
//
// Reading never fails. A line that is missing, or whose value is not valid for
// its setting, gives that setting its default and leaves the others as read,
// so a damaged file costs the user one setting, not all of them. The table
// kSettingLines below gives each line's kind, valid range and default:
// Booleans are text that reads as one ("True", "false", "-1"), kept as written;
// the window's top and left edges are any decimal number, rounded half to even
// to a 32-bit integer ("1000.5" is 1000).
// A whole number is any decimal text whose value is whole (" 3", "+3", "3.0");
// it is kept as its plain decimal text ("3"), which is what the settings
// dialog writes, so that comparisons with "1" and "0" hold for what the dialog
// shows. Lines after the fourteenth are ignored.
#pragma once

#include <cstdint>
#include <filesystem>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "platform/text_codec.h"

namespace plendra {

// How a line of the file is read.
enum class SettingKind {
  kWhole,     // a whole number within [low, high], kept as its plain decimal text
  kBoolean,   // text that reads as a Boolean, kept as written
  kPosition,  // a window edge in twips: any decimal number, rounded to a 32-bit integer
};

// One line of the file: what it holds, which values are valid and what it is
// when it is missing or not valid. The three settings shown as scroll bars
// take their range from low and high, and move by small_step for a click on
// an arrow and large_step for a click beside the thumb; the others have no
// steps. A Boolean's default is -1 (True) or 0 (False).
struct SettingLine {
  int line;
  SettingKind kind;
  std::int32_t low, high;
  std::int32_t small_step, large_step;
  std::int32_t default_value;
};

// The fourteen lines in file order. The parser, the settings dialog and the
// simulated one all read them from here.
inline constexpr SettingLine kSettingLines[] = {
    {1, SettingKind::kWhole, -6, 0, 2, 6, -2},        // Okisa
    {2, SettingKind::kWhole, 0, 6, 1, 1, 3},          // Hanare
    {3, SettingKind::kBoolean, 0, 0, 0, 0, 0},        // Mae
    {4, SettingKind::kBoolean, 0, 0, 0, 0, 0},        // Usiro
    {5, SettingKind::kBoolean, 0, 0, 0, 0, -1},       // Ue
    {6, SettingKind::kBoolean, 0, 0, 0, 0, 0},        // Sita
    {7, SettingKind::kWhole, 0, 1, 0, 0, 1},          // Renzoku
    {8, SettingKind::kWhole, 0, 4, 0, 0, 0},          // Marume
    {9, SettingKind::kWhole, 0, 1, 0, 0, 1},          // Temae_Hyouji
    {10, SettingKind::kWhole, 55, 255, 25, 50, 200},  // Toumei
    {11, SettingKind::kPosition, 0, 0, 0, 0, 1000},   // Form_Top
    {12, SettingKind::kPosition, 0, 0, 0, 0, 1000},   // Form_Left
    {13, SettingKind::kWhole, 0, 1, 0, 0, 0},         // Keitou_Layer
    {14, SettingKind::kWhole, 0, 1, 0, 0, 1},         // Keitou_Check
};
inline constexpr int kSettingLineCount = static_cast<int>(std::size(kSettingLines));
inline constexpr const SettingLine& kOkisaLine = kSettingLines[0];
inline constexpr const SettingLine& kHanareLine = kSettingLines[1];
inline constexpr const SettingLine& kToumeiLine = kSettingLines[9];

// The text a line's setting holds by default ("-2", "True").
std::u16string DefaultText(const SettingLine& line);

struct Settings {  // the fourteen settings, held as text except the window position
  std::u16string Okisa = DefaultText(kSettingLines[0]), Hanare = DefaultText(kSettingLines[1]),
                 Mae = DefaultText(kSettingLines[2]), Usiro = DefaultText(kSettingLines[3]),
                 Ue = DefaultText(kSettingLines[4]), Sita = DefaultText(kSettingLines[5]),
                 Renzoku = DefaultText(kSettingLines[6]), Marume = DefaultText(kSettingLines[7]),
                 Temae_Hyouji = DefaultText(kSettingLines[8]), Toumei = DefaultText(kSettingLines[9]);
  std::int32_t Form_Top = kSettingLines[10].default_value, Form_Left = kSettingLines[11].default_value;
  std::u16string Keitou_Layer = DefaultText(kSettingLines[12]), Keitou_Check = DefaultText(kSettingLines[13]);

  bool operator==(const Settings&) const = default;
};

struct SettingsRead {
  Settings settings;
  std::vector<int> fallen_back;  // 1-based line numbers that took the default, ascending
  bool file_found = false;
};

// The settings of a decoded file's text; lines end at CRLF, LF or CR.
SettingsRead ParseSettings(std::u16string_view text);

// The file's text: the fourteen lines, each ended by CRLF. The window's top
// and left edges are the positions given here, written as the text of a
// single-precision value.
std::u16string FormatSettings(const Settings& s, float top_twips, float left_twips);

// Reads the file. A missing or unreadable file gives the defaults, every line
// listed as fallen back, and file_found false.
SettingsRead Settei_Load(const std::filesystem::path& file, platform::TextCodec& codec);

// Writes the file in the codec's code page as ReplaceFileBytes does. False
// when it could not be written, with the reason (an errno value) in `error`.
bool Settei_Save(const std::filesystem::path& file, const Settings& s, float top_twips, float left_twips,
                 platform::TextCodec& codec, int* error = nullptr);

}  // namespace plendra
