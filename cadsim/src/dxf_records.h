// Entity records of the DXF reader: one record's tags to a model entity.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "cadsim/drawing.h"
#include "dxf_tags.h"

namespace cadsim::dxf {

// Reads the point of group codes base, base + 10, base + 20 into p; false
// for any other code.
bool Coord(Point& p, const Tag& t, int base);

class RecordParser {
 public:
  explicit RecordParser(platform::TextCodec& codec) : codec_(codec) {}

  // LINE, CIRCLE, SOLID, TEXT, MTEXT (as one line of TEXT), ATTDEF, INSERT
  // (without its attributes) and DIMENSION; nothing for other types.
  std::optional<Entity> Parse(std::string_view type, std::span<const Tag> tags);
  Attribute ParseAttribute(std::span<const Tag> tags);

 private:
  std::u16string Str(const Tag& t) { return Text(t, codec_); }
  void FillCommon(Common& c, std::span<const Tag> tags);
  // TEXT keeps its vertical alignment in 73; ATTDEF and ATTRIB in 74 (their
  // 73 is the field length).
  void FillText(cadsim::Text& x, std::span<const Tag> tags, bool attribute);
  // Multi-line text is kept as one line of TEXT: dimension blocks hold their
  // text as MTEXT, and the model has no other use for it.
  cadsim::Text ParseMText(std::span<const Tag> tags);
  static std::u16string PlainMText(const std::u16string& s);
  Dimension ParseDimension(std::span<const Tag> tags);

  platform::TextCodec& codec_;
};

}  // namespace cadsim::dxf
