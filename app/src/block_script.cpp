#include "app/block_script.h"

namespace plendra {
namespace {

// "-wblock", "_-WBLOCK", ".wblock": the command whatever its case and prefixes.
bool IsWblock(std::u16string_view line) {
  while (!line.empty() && (line.front() == u' ' || line.front() == u'\t')) line.remove_prefix(1);
  while (!line.empty() && (line.back() == u' ' || line.back() == u'\t')) line.remove_suffix(1);
  while (!line.empty() && (line.front() == u'_' || line.front() == u'.')) line.remove_prefix(1);
  if (!line.empty() && line.front() == u'-') line.remove_prefix(1);
  if (line.size() != 6) return false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    char16_t c = line[i];
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
    if (c != u"WBLOCK"[i]) return false;
  }
  return true;
}

}  // namespace

std::u16string BlockScriptKeys(std::u16string_view script, std::u16string_view block_path) {
  std::u16string keys;
  bool file_name_next = false;
  while (!script.empty()) {
    const std::size_t end = script.find(u'\n');
    std::u16string_view line = script.substr(0, end);
    if (!line.empty() && line.back() == u'\r') line.remove_suffix(1);
    if (!line.starts_with(u';')) {
      if (file_name_next)
        keys += u"\"" + std::u16string(block_path) + u"\"";
      else
        keys += line;
      file_name_next = IsWblock(line);
      if (end != std::u16string_view::npos) keys += u"^M";
    }
    if (end == std::u16string_view::npos) break;
    script.remove_prefix(end + 1);
  }
  return keys;
}

}  // namespace plendra
