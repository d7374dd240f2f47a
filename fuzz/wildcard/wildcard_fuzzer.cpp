// libFuzzer target for the wildcard matcher that compares window titles and
// prompts.
//
// The input is the text and the pattern as UTF-16 (two bytes a character, so
// that characters beyond Latin-1 and lone surrogates come up), split at the
// first U+0000. Whatever they hold, matching ends, and it keeps the rules a
// user relies on: a text matches itself when it has no wildcard character,
// "*" matches everything, a star added at either end never loses a match, and
// a pattern of as many "?" as the text has characters matches it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "link/wildcard.h"

namespace {

bool HasWildcard(std::u16string_view text) {
  return text.find_first_of(u"?*#[") != std::u16string_view::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::u16string all(size / 2, u'\0');
  for (std::size_t i = 0; i < all.size(); ++i)
    all[i] = static_cast<char16_t>(data[2 * i] | (data[2 * i + 1] << 8));
  const std::size_t cut = all.find(u'\0');
  const std::u16string_view whole(all);
  const std::u16string_view text = whole.substr(0, cut);
  const std::u16string_view pattern = cut == std::u16string_view::npos ? u"" : whole.substr(cut + 1);

  const bool matched = korvel::WildcardMatch(text, pattern);
  if (!HasWildcard(text) && !korvel::WildcardMatch(text, text)) std::abort();
  if (!HasWildcard(pattern) && matched != (text == pattern)) std::abort();
  if (!korvel::WildcardMatch(text, u"*")) std::abort();
  if (matched) {
    const std::u16string star = u"*";
    if (!korvel::WildcardMatch(text, star + std::u16string(pattern))) std::abort();
    if (!korvel::WildcardMatch(text, std::u16string(pattern) + star)) std::abort();
  }
  if (!korvel::WildcardMatch(text, std::u16string(text.size(), u'?'))) std::abort();
  return 0;
}
