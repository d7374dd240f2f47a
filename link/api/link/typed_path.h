// A file or folder name as it can be put into a command text. The text gives
// "^C", "^M" and "^J" their control meaning (cancel, Enter, line feed) and
// has no escape, so a folder such as "C:\Users\^Max\" would reach AutoCAD
// with an Enter in its name. Windows file names ignore case, so the letter
// is lowered: "^max" names the same folder and is typed as it is. The
// library types its scratch file's folder this way, and so does the
// application its own folder.
#pragma once

#include <string>
#include <string_view>

namespace korvel {

inline std::u16string TypeablePath(std::u16string_view path) {
  std::u16string text(path);
  for (std::size_t i = 0; i + 1 < text.size(); ++i)
    if (text[i] == u'^' && (text[i + 1] == u'C' || text[i + 1] == u'M' || text[i + 1] == u'J'))
      text[i + 1] = static_cast<char16_t>(text[i + 1] - u'A' + u'a');
  return text;
}

}  // namespace korvel
