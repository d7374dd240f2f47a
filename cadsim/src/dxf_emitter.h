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
  void Int(int code, long value);
  void Hex(int code, Handle handle);
  void At(int code, const Point& p);  // code, code + 10, code + 20

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
