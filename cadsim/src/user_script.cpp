#include "cadsim/user_script.h"

#include <charconv>
#include <string>

#include "commands/commands.h"

namespace cadsim {
namespace {

std::vector<std::u16string_view> Split(std::u16string_view text, char16_t separator) {
  std::vector<std::u16string_view> parts;
  while (true) {
    const std::size_t at = text.find(separator);
    parts.push_back(text.substr(0, at));
    if (at == std::u16string_view::npos) return parts;
    text.remove_prefix(at + 1);
  }
}

std::optional<std::uint64_t> Unsigned(std::u16string_view text, int base) {
  std::string s;
  for (char16_t c : text) {
    if (c > 0x7F) return std::nullopt;
    s += static_cast<char>(c);
  }
  std::uint64_t v = 0;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v, base);
  if (s.empty() || ec != std::errc() || end != s.data() + s.size()) return std::nullopt;
  return v;
}

}  // namespace

std::optional<std::vector<UserAction>> ParseUserScript(std::u16string_view text) {
  std::vector<UserAction> actions;
  if (text.empty()) return actions;
  for (std::u16string_view item : Split(text, u',')) {
    const auto parts = Split(item, u':');
    if (parts.size() < 2) return std::nullopt;
    const auto delay = Unsigned(parts[0], 10);
    if (!delay || *delay > 0xFFFFFFFFu) return std::nullopt;
    const auto ms = static_cast<std::uint32_t>(*delay);
    const std::u16string kind = commands::Upper(parts[1]);
    if (kind == u"ESC" && parts.size() == 2) {
      actions.push_back(UserAction::Escape(ms));
    } else if (kind == u"MISS" && parts.size() == 2) {
      actions.push_back(UserAction::Nothing(ms));
    } else if (kind == u"PICK" && parts.size() == 3) {
      const auto handle = Unsigned(parts[2], 16);
      if (!handle) return std::nullopt;
      actions.push_back(UserAction::Pick(*handle, ms));
    } else if (kind == u"AT" && parts.size() == 3) {
      std::u16string commas(parts[2]);
      for (char16_t& c : commas)
        if (c == u';') c = u',';
      const auto point = commands::ParsePoint(commas);
      if (!point) return std::nullopt;
      actions.push_back(UserAction::PickAt(*point, ms));
    } else {
      return std::nullopt;
    }
  }
  return actions;
}

}  // namespace cadsim
