#include "script_text.h"

namespace korvel {

std::u16string TrimSpaces(std::u16string_view text) {
  const std::size_t first = text.find_first_not_of(u' ');
  if (first == std::u16string_view::npos) return {};
  return std::u16string(text.substr(first, text.find_last_not_of(u' ') - first + 1));
}

std::u16string ReduceTabs(std::u16string_view text) {
  std::u16string out(text);
  for (std::size_t run = 10; run >= 2; --run) out = ReplaceAll(out, std::u16string(run, u'\t'), u"\t");
  return out;
}

std::vector<std::u16string> SplitFields(std::u16string_view text) {
  const std::u16string reduced = ReduceTabs(text);
  std::vector<std::u16string> fields;
  std::u16string_view rest(reduced);
  for (;;) {
    const std::size_t tab = rest.find(u'\t');
    std::u16string field = TrimSpaces(rest.substr(0, tab));
    if (!field.empty() && field.front() == u'"') field.erase(0, 1);
    if (!field.empty() && field.back() == u'"') field.pop_back();
    fields.push_back(std::move(field));
    if (tab == std::u16string_view::npos) break;
    rest.remove_prefix(tab + 1);
  }
  return fields;
}

std::u16string ReplaceAll(std::u16string_view text, std::u16string_view from, std::u16string_view to) {
  if (from.empty()) return std::u16string(text);
  std::u16string out;
  std::size_t at = 0;
  for (std::size_t hit; (hit = text.find(from, at)) != std::u16string_view::npos; at = hit + from.size()) {
    out.append(text.substr(at, hit - at));
    out.append(to);
  }
  out.append(text.substr(at));
  return out;
}

bool StartsWith(std::u16string_view text, std::u16string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

std::optional<int> UserToken(std::u16string_view text) {
  if (text.size() != 7 || !StartsWith(text, u"%USER") || text[6] != u'%') return std::nullopt;
  if (text[5] < u'0' || text[5] > u'9') return std::nullopt;
  return text[5] - u'0';
}

}  // namespace korvel
