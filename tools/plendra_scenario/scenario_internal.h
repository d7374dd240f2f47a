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

// Where Plendra is installed, as it types its folder into AutoCAD.
inline constexpr std::u16string_view kAppFolderText = u"C:\\Program Files\\Plendra";

}  // namespace scenario
