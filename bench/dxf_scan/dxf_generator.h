// A whole-drawing export as AutoCAD 2000 writes it for a building-services
// drawing: code page 932, group codes right-aligned, CRLF line ends.
#pragma once

#include <cstdint>
#include <filesystem>

namespace bench {

struct DrawingSize {
  std::uint32_t dimensions = 100000;     // each with its anonymous block of lines, arrows and text
  std::uint32_t parts_entries = 100000;  // inserts of the parts-table block, four attributes each
  // 0: every entry has a number of its own (up to a quarter of the entries).
  // Otherwise each system's numbers go round from 1 to this number less the
  // system's place in the drawing's list (給水 first, then 給湯 ...), as in a
  // drawing whose numbers fit a system list's: each system has its own
  // highest number, so that a lookup of one is told from a lookup of another.
  std::uint32_t highest_number = 0;
  // The parts-table block as Plendra's Plendra1.dwg defines it (eight
  // attributes: six hidden ones, then "(1)系統" and "(2)番号"), so that
  // Plendra's lookup finds the numbers; otherwise the bench's own four
  // (KEITOU, BANGOU, NAGASA, ITI).
  bool plendra_block = false;
};

// Writes the drawing; returns its size in bytes.
std::uint64_t WriteDrawing(const std::filesystem::path& path, const DrawingSize& size);

}  // namespace bench
