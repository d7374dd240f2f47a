// What the block script changes in AutoCAD, read before Plendra types it and
// set back afterwards: the script turns FILEDIA and AFLAGS off, makes layer
// 0 current and a text style of its own (height 0) current, and none of that
// is the user's choice.
#include "app/form1.h"

namespace plendra {
namespace {

constexpr std::u16string_view kScriptVariables[] = {u"FILEDIA", u"AFLAGS", u"CLAYER", u"TEXTSTYLE"};

}  // namespace

std::vector<std::pair<std::u16string, std::u16string>> Form1::ReadScriptVariables(
    korvel::_PwControl& channel) {
  std::vector<std::pair<std::u16string, std::u16string>> values;
  for (const std::u16string_view name : kScriptVariables) {
    std::u16string value;
    if (channel.GetVariable(name, value) != -1 || ended_) continue;
    // AutoCAD shows a text value in quotes: <"0">.
    if (value.size() >= 2 && value.front() == u'"' && value.back() == u'"')
      value = value.substr(1, value.size() - 2);
    values.emplace_back(name, value);
  }
  return values;
}

void Form1::RestoreScriptVariables(korvel::_PwControl& channel,
                                   const std::vector<std::pair<std::u16string, std::u16string>>& values) {
  for (const auto& [name, value] : values) {
    if (ended_) return;
    channel.SetVariable(name, value);
  }
}

}  // namespace plendra
