// What the parts of the scenario runner share among themselves; users of the
// runner include scenario.h only.
#pragma once

#include <string>
#include <string_view>

#include "platform/utf8.h"

namespace scenario {

inline std::u16string U16(const std::string& utf8) { return platform::FromUtf8(utf8); }

// Marks a change of the status bar among the commands AutoCAD was handed.
inline constexpr std::u16string_view kStatusMark = u"status:";

// What the user types at AutoCAD's command line, from the "^M" notation
// ("^M" Enter, "^C" Esc).
inline std::u16string TypedKeys(const std::string& notation) {
  std::u16string keys;
  const std::u16string typed = U16(notation);
  for (std::size_t i = 0; i < typed.size(); ++i) {
    if (typed[i] == u'^' && i + 1 < typed.size() && (typed[i + 1] == u'M' || typed[i + 1] == u'C'))
      keys += typed[++i] == u'M' ? u'\r' : u'\x03';
    else
      keys += typed[i];
  }
  return keys;
}

// Where Plendra is installed, as it types its folder into AutoCAD.
inline constexpr std::u16string_view kAppFolderText = u"C:\\Program Files\\Plendra";

}  // namespace scenario
