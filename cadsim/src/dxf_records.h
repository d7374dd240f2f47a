// Entity records of the DXF reader: one record's tags to a model entity,
// with whatever the model does not read kept beside it.
#pragma once

#include <functional>
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

  // Files of AutoCAD 2007 and later are UTF-8 whatever the code page.
  void SetUtf8(bool utf8) { utf8_ = utf8; }

  // LINE, CIRCLE, SOLID, TEXT, ATTDEF, INSERT (without its attributes) and
  // DIMENSION become model entities; any other type a Foreign. *paper is set
  // when the record lies in paper space (67).
  Entity Parse(std::string_view type, std::span<const Tag> tags, bool* paper = nullptr);
  Attribute ParseAttribute(std::span<const Tag> tags);
  // A record that belongs to the entity before it (VERTEX, SEQEND): its
  // handle, and the rest without its owner.
  Foreign::Record ParseFollowing(std::string_view type, std::span<const Tag> tags, Handle* handle);

  // Splits a record: take receives each group with the subclass it came
  // under and says whether the model read it; the others, the 102 groups
  // and the extended data are kept. The owner (the 330 before the first
  // subclass marker) is dropped: the writer knows it.
  Kept Split(std::span<const Tag> tags, const std::function<bool(const Tag&, std::string_view)>& take);
  Group ToGroup(const Tag& t) { return Group{t.code, Str(t)}; }
  std::u16string Str(const Tag& t) { return Text(t, codec_, utf8_); }

 private:
  // The groups of AcDbEntity the model reads; true when t is one of them.
  bool TakeCommon(Common& c, const Tag& t, std::string_view subclass, bool* paper);
  // TEXT keeps its vertical alignment in 73; ATTDEF and ATTRIB in 74 (their
  // 73 is the field length).
  bool TakeText(cadsim::Text& x, const Tag& t, bool attribute);
  bool TakeDimension(Dimension& d, const Tag& t, std::string_view subclass);
  bool TakeInsert(Insert& n, const Tag& t);

  platform::TextCodec& codec_;
  bool utf8_ = false;
};

}  // namespace cadsim::dxf
