#include "link/control_codes.h"

#include <gtest/gtest.h>

namespace korvel {
namespace {

TEST(ControlCodes, ExpandsEachCodeInSeparatePasses) {
  struct Case {
    std::u16string in, out;
  } cases[] = {
      {u"^C^Cselect^Msingle^M", u"\x03\x03select\rsingle\r"},
      {u"line^J", u"line\n"},
      {u"^c^m^j", u"^c^m^j"},  // case-sensitive
      {u"^^CM", u"^\x03M"},    // the cancel pass does not make a new "^M"
      {u"^", u"^"},            // a lone caret at the end
      {u"ｺﾏﾝﾄﾞ^M", u"ｺﾏﾝﾄﾞ\r"},
      {u"", u""},
  };
  for (const Case& c : cases) EXPECT_EQ(ExpandControlCodes(c.in), c.out);
}

}  // namespace
}  // namespace korvel
