// DXF group-code/value pairs, as the reader sees them.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "cadsim/dxf.h"
#include "platform/text_codec.h"

namespace cadsim::dxf {

struct Tag {
  int code = 0;
  std::string_view raw;  // the value line without its line end
  std::size_t line = 0;  // of the group code, 1-based
};

// Splits the file into tags, as the shared group grammar reads a file (line
// ends, byte-order mark, comments, a blank last line). Throws DxfError naming
// the line for a group code that is not a number or a code without a value.
std::vector<Tag> Tokenize(std::string_view bytes);

double Real(const Tag& tag);
int Int(const Tag& tag);
std::uint64_t Hex(const Tag& tag);
// The value as text: code-page bytes (or UTF-8, which AutoCAD 2007 and later
// write) decoded, "\U+XXXX" escapes resolved.
std::u16string Text(const Tag& tag, platform::TextCodec& codec, bool utf8 = false);
// Real codes (points, distances, angles) and integer codes of DXF; every
// other code holds text (names, handles, hex data).
bool IsRealCode(int code);
bool IsIntegerCode(int code);

}  // namespace cadsim::dxf
