#include "app/keitou_file.h"

#include "app/file_bytes.h"
#include "platform/text_rules.h"

namespace plendra {
namespace {

bool IsBlankLine(std::u16string_view line) {
  for (char16_t c : line)
    if (!platform::IsFieldBlank(c)) return false;
  return true;
}

// Appends the fields of one line that is not blank.
void ReadLineFields(std::u16string_view line, std::vector<std::u16string>& fields) {
  std::size_t i = 0;
  while (true) {
    while (i < line.size() && platform::IsFieldBlank(line[i])) ++i;
    std::size_t comma;
    if (i < line.size() && line[i] == u'"') {
      const std::size_t close = line.find(u'"', i + 1);
      if (close == std::u16string_view::npos) {
        fields.emplace_back(line.substr(i + 1));
        return;
      }
      fields.emplace_back(line.substr(i + 1, close - i - 1));
      comma = line.find(u',', close + 1);
    } else {
      comma = line.find(u',', i);
      std::u16string_view field =
          line.substr(i, comma == std::u16string_view::npos ? line.size() - i : comma - i);
      while (!field.empty() && platform::IsFieldBlank(field.back())) field.remove_suffix(1);
      fields.emplace_back(field);
    }
    if (comma == std::u16string_view::npos || IsBlankLine(line.substr(comma + 1))) return;
    i = comma + 1;
  }
}

}  // namespace

std::vector<std::u16string> ReadFields(std::u16string_view text) {
  std::vector<std::u16string> fields;
  for (std::u16string_view line : SplitLines(text))
    if (!IsBlankLine(line)) ReadLineFields(line, fields);
  return fields;
}

KeitouList ParseKeitou(std::u16string_view text) {
  KeitouList list;
  for (std::u16string& field : ReadFields(text)) {
    if (list.separator_found)
      list.numbers.push_back(std::move(field));
    else if (field == u"!!")
      list.separator_found = true;
    else
      list.systems.push_back(std::move(field));
  }
  return list;
}

std::optional<KeitouList> Keitou_Read(const std::filesystem::path& file, platform::TextCodec& codec) {
  const std::optional<std::string> bytes = ReadFileBytes(file);
  if (!bytes) return std::nullopt;
  return ParseKeitou(codec.FromAnsi(*bytes));
}

}  // namespace plendra
