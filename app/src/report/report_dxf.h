// The group pairs of an ASCII DXF file, for the reports: the shared group
// reader, with its errors in the words the reports show.
//
// The reports do not use the link library's scanner: on Windows Plendra
// reaches korvel only through COM, so the application reads the file itself.
// The reader holds the file's bytes and hands out values undecoded; the caller
// decodes only the values it keeps.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "dxf/grammar.h"

namespace plendra {

using DxfGroup = dxf_grammar::Group;

// A damaged file: the line concerned and what is wrong with it.
struct DxfGroupError {
  std::int64_t line;
  std::u16string description;
};

class DxfGroupReader {
 public:
  explicit DxfGroupReader(std::string_view bytes) : reader_(bytes) {}

  // The next group that is no 999 comment; false at the end of the bytes.
  // Throws DxfGroupError for a code line that is no whole number and for a
  // file that ends after a group code.
  bool Next(DxfGroup& group);

  // The number of lines read so far.
  std::int64_t LinesRead() const { return reader_.LinesRead(); }

 private:
  dxf_grammar::GroupReader reader_;
};

// The decimal text of a line number, for messages.
std::u16string LineText(std::int64_t line);

}  // namespace plendra
