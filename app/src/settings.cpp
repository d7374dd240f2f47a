#include "app/settings.h"

#include <cmath>
#include <optional>

#include "app/app_error.h"
#include "app/file_bytes.h"
#include "app/number_text.h"

namespace plendra {
namespace {

constexpr int kLines = 14;

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

// Stores the value of line `line` (1-based) into `s`; false when it is not
// valid there, leaving the default.
bool Apply(Settings& s, int line, std::u16string_view value) {
  std::optional<std::u16string> text;
  std::u16string* target = nullptr;
  switch (line) {
    case 1:
      text = WholeNumber(value, -6, 0);
      target = &s.Okisa;
      break;
    case 2:
      text = WholeNumber(value, 0, 6);
      target = &s.Hanare;
      break;
    case 3:
    case 4:
    case 5:
    case 6: {
      std::u16string* options[] = {&s.Mae, &s.Usiro, &s.Ue, &s.Sita};
      text = BooleanText(value);
      target = options[line - 3];
      break;
    }
    case 7:
      text = WholeNumber(value, 0, 1);
      target = &s.Renzoku;
      break;
    case 8:
      text = WholeNumber(value, 0, 4);
      target = &s.Marume;
      break;
    case 9:
      text = WholeNumber(value, 0, 1);
      target = &s.Temae_Hyouji;
      break;
    case 10:
      text = WholeNumber(value, 55, 255);
      target = &s.Toumei;
      break;
    case 11:
    case 12: {
      const std::optional<std::int32_t> position = Position(value);
      if (position) (line == 11 ? s.Form_Top : s.Form_Left) = *position;
      return position.has_value();
    }
    case 13:
      text = WholeNumber(value, 0, 1);
      target = &s.Keitou_Layer;
      break;
    case 14:
      text = WholeNumber(value, 0, 1);
      target = &s.Keitou_Check;
      break;
  }
  if (!text || target == nullptr) return false;
  *target = std::move(*text);
  return true;
}

}  // namespace

SettingsRead ParseSettings(std::u16string_view text) {
  SettingsRead read;
  read.file_found = true;
  const std::vector<std::u16string_view> lines = SplitLines(text);
  for (int line = 1; line <= kLines; ++line) {
    const bool present = static_cast<std::size_t>(line) <= lines.size();
    if (!present || !Apply(read.settings, line, lines[static_cast<std::size_t>(line) - 1]))
      read.fallen_back.push_back(line);
  }
  return read;
}

std::u16string FormatSettings(const Settings& s, float top_twips, float left_twips) {
  const std::u16string lines[kLines] = {s.Okisa,
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
    for (int line = 1; line <= kLines; ++line) read.fallen_back.push_back(line);
    return read;
  }
  return ParseSettings(codec.FromAnsi(*bytes));
}

bool Settei_Save(const std::filesystem::path& file, const Settings& s, float top_twips, float left_twips,
                 platform::TextCodec& codec, int* error) {
  return ReplaceFileBytes(file, codec.ToAnsi(FormatSettings(s, top_twips, left_twips)), error);
}

}  // namespace plendra
