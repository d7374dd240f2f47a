#include "link/control_codes.h"

#include <gtest/gtest.h>

#include "link/typed_path.h"

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

// A path typed into a command text: only the letters that would make a
// control key are lowered, so the same file is named without one.
TEST(TypeablePath, LowersOnlyTheLettersThatWouldMakeAControlKey) {
  const struct {
    std::u16string_view path, typed;
  } cases[] = {
      {u"C:\\Users\\^Max\\", u"C:\\Users\\^max\\"},
      {u"^C^M^J", u"^c^m^j"},
      {u"^^M", u"^^m"},
      {u"^X^c^m ^Z", u"^X^c^m ^Z"},
      {u"C:\\Program Files\\Plendra^", u"C:\\Program Files\\Plendra^"},
      {u"C:\\図面\\^Mです", u"C:\\図面\\^mです"},
      {u"", u""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(korvel::TypeablePath(c.path), c.typed);
    // Typed, the result holds no control character at all.
    const std::u16string keys = korvel::ExpandControlCodes(korvel::TypeablePath(c.path));
    EXPECT_EQ(keys.find_first_of(u"\x03\r\n"), std::u16string::npos);
  }
}
