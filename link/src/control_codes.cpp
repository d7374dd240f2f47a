#include "link/control_codes.h"

namespace korvel {
namespace {

std::u16string ReplaceAll(std::u16string_view text, char16_t letter, char16_t code) {
  std::u16string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'^' && i + 1 < text.size() && text[i + 1] == letter) {
      out.push_back(code);
      ++i;
    } else {
      out.push_back(text[i]);
    }
  }
  return out;
}

}  // namespace

std::u16string ExpandControlCodes(std::u16string_view text) {
  // Separate passes, so "^^CM" becomes "^", 3, "M" and not a second code.
  return ReplaceAll(ReplaceAll(ReplaceAll(text, u'C', u'\x03'), u'M', u'\r'), u'J', u'\n');
}

}  // namespace korvel
