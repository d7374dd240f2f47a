// Writes DXF group codes and values, and hands out the handles of the
// objects that only exist in the file (table heads, layouts, dictionaries).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "cadsim/drawing.h"
#include "platform/text_codec.h"

namespace cadsim::dxf {

class Emitter {
 public:
  Emitter(platform::TextCodec& codec, Handle first_free) : codec_(codec), next_(first_free) {}

  void Raw(int code, std::string_view value);
  void Str(int code, std::u16string_view text);
  void Real(int code, double value);
  // Right-aligned as AutoCAD writes integers: six columns for 16-bit codes,
  // nine for 32-bit ones.
  void Int(int code, long value);
  void Hex(int code, Handle handle);
  void At(int code, const Point& p);  // code, code + 10, code + 20
  // A kept group: integers right-aligned again, reals and text as read.
  void Pass(const cadsim::Group& group);
  void Pass(const std::vector<cadsim::Group>& groups);
  // The kept groups that came under subclass marker `subclass`, without the
  // marker: the writer has just written it.
  void KeptIn(const cadsim::Kept& kept, std::string_view subclass);
  // The kept groups under every other marker (with the marker) and those
  // before any marker, for subclasses the writer does not write itself.
  // Markers with no kept group after them are left out unless empty_markers.
  void KeptRest(const cadsim::Kept& kept, std::initializer_list<std::string_view> written,
                bool empty_markers = false);

  Handle NewHandle() { return next_++; }
  Handle NextFree() const { return next_; }
  std::string& Out() { return out_; }

 private:
  platform::TextCodec& codec_;
  Handle next_;
  std::string out_;
};

// The shortest text that reads back as the same double, in the style AutoCAD
// writes ("1000.0", "0.5").
std::string FormatReal(double value);

}  // namespace cadsim::dxf
