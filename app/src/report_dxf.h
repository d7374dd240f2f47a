// A small reader of the group pairs of an ASCII DXF file, for the reports.
//
// The reports do not use the link library's scanner: on Windows Plendra
// reaches korvel only through COM, so the application carries its own reader.
// It holds the file's bytes and hands out values undecoded; the caller decodes
// only the values it keeps.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace plendra {

struct DxfGroup {
  std::int32_t code = 0;
  std::string_view value;  // the value line's bytes without its line end
  std::int64_t line = 0;   // the line of the group code, counted from 1
};

// A damaged file: the line concerned and what is wrong with it.
struct DxfGroupError {
  std::int64_t line;
  std::u16string description;
};

class DxfGroupReader {
 public:
  explicit DxfGroupReader(std::string_view bytes);

  // The next group that is no 999 comment; false at the end of the bytes.
  // Throws DxfGroupError for a code line that is no whole number and for a
  // file that ends after a group code.
  bool Next(DxfGroup& group);

  // The number of lines read so far.
  std::int64_t LinesRead() const { return line_; }

 private:
  // The next line without its line end (LF or CRLF); false when none is left.
  bool ReadLine(std::string_view& line);

  std::string_view bytes_;
  std::size_t at_ = 0;
  std::int64_t line_ = 0;
};

// The decimal text of a line number, for messages.
std::u16string LineText(std::int64_t line);

}  // namespace plendra
