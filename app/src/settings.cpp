#include "app/settings.h"

#include <cmath>
#include <optional>

#include "app/app_error.h"
#include "app/file_bytes.h"
#include "app/number_text.h"

namespace plendra {
namespace {

// A whole number within [low, high] as its plain decimal text, or nothing.
std::optional<std::u16string> WholeNumber(std::u16string_view text, int low, int high) {
  const std::optional<double> value = ReadDecimal(text);
  if (!value || *value != std::floor(*value) || *value < low || *value > high) return std::nullopt;
  return IntegerText(static_cast<std::int64_t>(*value));
}

std::optional<std::u16string> BooleanText(std::u16string_view text) {
  try {
    TextToBoolean(text);
  } catch (const AppError&) {
    return std::nullopt;
  }
  return std::u16string(text);
}

std::optional<std::int32_t> Position(std::u16string_view text) {
  try {
    return TextToLong(text);
  } catch (const AppError&) {
    return std::nullopt;
  }
}

// The setting a line is stored in, in file order; the window position has
// no text of its own.
std::u16string* TextOf(Settings& s, int line) {
  std::u16string* texts[] = {&s.Okisa, &s.Hanare,  &s.Mae,          &s.Usiro,        &s.Ue,
                             &s.Sita,  &s.Renzoku, &s.Marume,       &s.Temae_Hyouji, &s.Toumei,
                             nullptr,  nullptr,    &s.Keitou_Layer, &s.Keitou_Check};
  return texts[line - 1];
}

// Stores the value of line `line` (1-based) into `s`; false when it is not
// valid there, leaving the default.
bool Apply(Settings& s, const SettingLine& line, std::u16string_view value) {
  std::optional<std::u16string> text;
  switch (line.kind) {
    case SettingKind::kWhole:
      text = WholeNumber(value, line.low, line.high);
      break;
    case SettingKind::kBoolean:
      text = BooleanText(value);
      break;
    case SettingKind::kPosition: {
      const std::optional<std::int32_t> position = Position(value);
      if (position) (line.line == 11 ? s.Form_Top : s.Form_Left) = *position;
      return position.has_value();
    }
  }
  if (!text) return false;
  *TextOf(s, line.line) = std::move(*text);
  return true;
}

}  // namespace

std::u16string DefaultText(const SettingLine& line) {
  if (line.kind == SettingKind::kBoolean) return line.default_value != 0 ? u"True" : u"False";
  return IntegerText(line.default_value);
}

SettingsRead ParseSettings(std::u16string_view text) {
  SettingsRead read;
  read.file_found = true;
  const std::vector<std::u16string_view> lines = SplitLines(text);
  for (const SettingLine& line : kSettingLines) {
    const bool present = static_cast<std::size_t>(line.line) <= lines.size();
    if (!present || !Apply(read.settings, line, lines[static_cast<std::size_t>(line.line) - 1]))
      read.fallen_back.push_back(line.line);
  }
  return read;
}

std::u16string FormatSettings(const Settings& s, float top_twips, float left_twips) {
  const std::u16string lines[kSettingLineCount] = {s.Okisa,
                                                   s.Hanare,
                                                   s.Mae,
                                                   s.Usiro,
                                                   s.Ue,
                                                   s.Sita,
                                                   s.Renzoku,
                                                   s.Marume,
                                                   s.Temae_Hyouji,
                                                   s.Toumei,
                                                   SingleText(top_twips),
                                                   SingleText(left_twips),
                                                   s.Keitou_Layer,
                                                   s.Keitou_Check};
  std::u16string text;
  for (const std::u16string& line : lines) text += line + u"\r\n";
  return text;
}

SettingsRead Settei_Load(const std::filesystem::path& file, platform::TextCodec& codec) {
  const std::optional<std::string> bytes = ReadFileBytes(file);
  if (!bytes) {
    SettingsRead read;
    for (const SettingLine& line : kSettingLines) read.fallen_back.push_back(line.line);
    return read;
  }
  return ParseSettings(codec.FromAnsi(*bytes));
}

bool Settei_Save(const std::filesystem::path& file, const Settings& s, float top_twips, float left_twips,
                 platform::TextCodec& codec, int* error) {
  return ReplaceFileBytes(file, codec.ToAnsi(FormatSettings(s, top_twips, left_twips)), error);
}

}  // namespace plendra
