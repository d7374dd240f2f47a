// A whole-drawing export as AutoCAD 2000 writes it for a building-services
// drawing: code page 932, group codes right-aligned, CRLF line ends.
#pragma once

#include <cstdint>
#include <filesystem>

namespace bench {

struct DrawingSize {
  std::uint32_t dimensions = 100000;     // each with its anonymous block of lines, arrows and text
  std::uint32_t parts_entries = 100000;  // inserts of the parts-table block, four attributes each
};

// Writes the drawing; returns its size in bytes.
std::uint64_t WriteDrawing(const std::filesystem::path& path, const DrawingSize& size);

}  // namespace bench
