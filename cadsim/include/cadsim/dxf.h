// Reading and writing the drawing as ASCII DXF.
//
// Files are in the system's ANSI code page (932 on the machines the product
// serves); the codec turns their bytes into text and back. Output is AutoCAD
// 2000 (AC1015) as AutoCAD writes it: handles, owners and subclass markers,
// group codes and integers right-aligned, dimension-style values only where
// they differ from the defaults, so that other DXF readers accept it and a
// reader of it meets what it will meet in AutoCAD's files.
#pragma once

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "cadsim/drawing.h"
#include "platform/text_codec.h"

namespace cadsim {

// A DXF file that cannot be read, with the line where reading stopped.
class DxfError : public std::runtime_error {
 public:
  DxfError(std::size_t line, const std::string& what)
      : std::runtime_error("line " + std::to_string(line) + ": " + what), line_(line) {}
  std::size_t Line() const { return line_; }

 private:
  std::size_t line_;
};

struct ReadReport {
  int foreign_entities = 0;  // entities of types the model keeps without reading (Foreign)
};

// Reads the drawing: LAYER, STYLE, DIMSTYLE, the blocks and the LINE,
// CIRCLE, SOLID, TEXT, ATTDEF, DIMENSION and INSERT/ATTRIB records into the
// model; every other section, record, entity and group is kept as read and
// written back by WriteDxf. Comments (999) are skipped. The result is
// Complete().
Drawing ReadDxf(std::string_view bytes, platform::TextCodec& codec, ReadReport* report = nullptr);
Drawing ReadDxfFile(const std::filesystem::path& path, platform::TextCodec& codec,
                    ReadReport* report = nullptr);

struct WriteOptions {
  // Model-space entities to write (by handle); all of them when unset.
  std::optional<std::vector<Handle>> only;
};

// The drawing must be Complete().
std::string WriteDxf(const Drawing& drawing, platform::TextCodec& codec, const WriteOptions& options = {});
// False when the file cannot be written.
bool WriteDxfFile(const std::filesystem::path& path, const Drawing& drawing, platform::TextCodec& codec,
                  const WriteOptions& options = {});

}  // namespace cadsim
