#include "app/block_script.h"

#include <gtest/gtest.h>

#include <string>

namespace plendra {
namespace {

constexpr std::u16string_view kPath = u"C:\\Program Files\\Plendra\\Plendra1.dwg";

TEST(BlockScriptKeys, TypesEachLineAndPutsTheBlockWherePlendraInsertsIt) {
  struct Case {
    std::u16string_view script, keys;
  } cases[] = {
      // Each line ends with Enter; an empty line is Enter alone.
      {u"circle\r\n0,0\r\n1\r\n", u"circle^M0,0^M1^M"},
      {u"line\n-1,0\n1,0\n\n", u"line^M-1,0^M1,0^M^M"},
      // Comments are not typed, even between a command and its answers.
      {u"; the frame\r\nline\r\n; from\r\n0,0\r\n", u"line^M0,0^M"},
      // A last line without a line end is typed without Enter.
      {u"filedia\r\n0", u"filedia^M0"},
      // The output file's name after -WBLOCK, whatever the script names.
      {u"-wblock\r\n\"C:\\elsewhere\\x.dwg\"\r\n\r\n0,0\r\np\r\n\r\n",
       u"-wblock^M\"C:\\Program Files\\Plendra\\Plendra1.dwg\"^M^M0,0^Mp^M^M"},
      {u"_-WBLOCK \r\nPlendra1\r\n*\r\n", u"_-WBLOCK ^M\"C:\\Program Files\\Plendra\\Plendra1.dwg\"^M*^M"},
      {u".wblock\r\n; the name\r\nx\r\n", u".wblock^M\"C:\\Program Files\\Plendra\\Plendra1.dwg\"^M"},
      // Only the line right after it: a later line stays as written.
      {u"-wblock\r\na\r\nb\r\n", u"-wblock^M\"C:\\Program Files\\Plendra\\Plendra1.dwg\"^Mb^M"},
      // Another command merely named like it is typed as it is.
      {u"-wblocks\r\na\r\n", u"-wblocks^Ma^M"},
      {u"", u""},
  };
  for (const Case& c : cases) EXPECT_EQ(BlockScriptKeys(c.script, kPath), c.keys);
}

}  // namespace
}  // namespace plendra
