// The settings file plendra.ini: fourteen values, one a line, in the system's
// ANSI code page, no keys and no comments.
//
// Reading never fails. A line that is missing, or whose value is not valid for
// its setting, gives that setting its default and leaves the others as read,
// so a damaged file costs the user one setting, not all of them. Valid values:
//   1 Okisa       a whole number -6..0        7 Renzoku       0 or 1
//   2 Hanare      a whole number 0..6         8 Marume        a whole number 0..4
//   3-6 Mae, Usiro, Ue, Sita: text that reads as a Boolean ("True", "false",
//                 "-1"), kept as written
//   9 Temae_Hyouji, 13 Keitou_Layer, 14 Keitou_Check: 0 or 1
//   10 Toumei     a whole number 55..255
//   11-12 Form_Top, Form_Left: any decimal number, rounded half to even to a
//                 32-bit integer ("1000.5" is 1000)
// A whole number is any decimal text whose value is whole (" 3", "+3", "3.0");
// it is kept as its plain decimal text ("3"), which is what the settings
// dialog writes, so that comparisons with "1" and "0" hold for what the dialog
// shows. Lines after the fourteenth are ignored.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "platform/text_codec.h"

namespace plendra {

struct Settings {  // the fourteen settings, held as text except the window position
  std::u16string Okisa = u"-2", Hanare = u"3", Mae = u"False", Usiro = u"False", Ue = u"True",
                 Sita = u"False", Renzoku = u"1", Marume = u"0", Temae_Hyouji = u"1", Toumei = u"200";
  std::int32_t Form_Top = 1000, Form_Left = 1000;
  std::u16string Keitou_Layer = u"0", Keitou_Check = u"1";

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
