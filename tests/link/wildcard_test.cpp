#include "link/wildcard.h"

#include <gtest/gtest.h>

namespace korvel {
namespace {

TEST(Wildcard, MatchesTheWholeTextCaseSensitively) {
  struct Case {
    std::u16string_view text, pattern;
    bool match;
  } cases[] = {
      {u"ｺﾏﾝﾄﾞ: ", u"ｺﾏﾝﾄﾞ: ", true},
      {u"ｺﾏﾝﾄﾞ: line", u"ｺﾏﾝﾄﾞ: ", false},  // whole text, not a prefix
      {u"ｺﾏﾝﾄﾞ: line", u"ｺﾏﾝﾄﾞ*", true},
      {u"ｺﾏﾝﾄﾞ", u"ｺﾏﾝﾄﾞ*", true},  // * matches nothing too
      {u"Command: ", u"command: ", false},
      {u"abc", u"a?c", true},
      {u"ac", u"a?c", false},
      {u"ﾃｷｽﾄ", u"ﾃ??ﾄ", true},  // ? is one character, not one byte
      {u"R15", u"R##", true},
      {u"R1a", u"R##", false},
      {u"b", u"[abc]", true},
      {u"d", u"[abc]", false},
      {u"d", u"[!abc]", true},
      {u"a", u"[!abc]", false},
      {u"Q", u"[A-Z]", true},
      {u"q", u"[A-Z]", false},
      {u"-", u"[a-]", true},  // a "-" last in the list is itself
      {u"x", u"[a-]", false},
      {u"5", u"[!0-9]", false},
      {u"*", u"[*]", true},  // brackets quote a wildcard
      {u"a*", u"a[*]", true},
      {u"ab", u"a[*]", false},
      {u"[x", u"[x", true},    // an unclosed "[" is itself
      {u"ab", u"a[]b", true},  // an empty list takes up nothing
      {u"", u"", true},
      {u"", u"*", true},
      {u"", u"?", false},
      {u"x = 1.5 y", u"*= #.#*", true},
      {u"aaaaaaaaaaaaaaaaaaaaaaaaaaaaab", u"*a*a*a*a*a*a*a*a*c", false},  // no blow-up
  };
  for (const Case& c : cases)
    EXPECT_EQ(WildcardMatch(c.text, c.pattern), c.match)
        << "pattern #" << (&c - cases) << " expected " << c.match;
}

}  // namespace
}  // namespace korvel
