// Small DXF files for the report's tests, written group by group as AutoCAD
// writes them (codes right-aligned in three columns, LF line ends), and the
// findings as the lines the command prints.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "app/report.h"
#include "platform/utf8.h"

namespace plendra {

class DxfText {
 public:
  DxfText& Group(int code, std::string_view value) {
    char head[16];
    std::snprintf(head, sizeof head, "%3d\n", code);
    text_ += head;
    text_ += value;
    text_ += '\n';
    return *this;
  }
  DxfText& Begin() { return Group(0, "SECTION").Group(2, "ENTITIES"); }
  DxfText& End() { return Group(0, "ENDSEC").Group(0, "EOF"); }
  // A dimension whose text point is (x, y) and that measures `measured`
  // (no group 42 when empty), printing `text` (no group 1 when empty).
  DxfText& Dimension(std::string_view x, std::string_view y, std::string_view measured,
                     std::string_view text = {}) {
    Group(0, "DIMENSION").Group(8, "寸法");
    if (!text.empty()) Group(1, text);
    Group(11, x).Group(21, y);
    if (!measured.empty()) Group(42, measured);
    return Group(70, "32");
  }
  // A parts-table entry: an INSERT of Plendra1 at (insert_x, insert_y) with
  // its eight attributes.
  DxfText& Entry(std::string_view system, std::string_view number, std::string_view x, std::string_view y,
                 std::string_view length, std::string_view material = "SGP", std::string_view size = "20A",
                 std::string_view insert_x = "0", std::string_view insert_y = "0") {
    Group(0, "INSERT").Group(8, "給水").Group(66, "1").Group(2, "Plendra1");
    Group(10, insert_x).Group(20, insert_y);
    const std::string_view tags[] = {"X", "Y", "Z", "長さ", "材質", "呼び径", "(1)系統", "(2)番号"};
    const std::string_view values[] = {x, y, "0", length, material, size, system, number};
    for (int i = 0; i < 8; ++i) Group(0, "ATTRIB").Group(8, "0").Group(1, values[i]).Group(2, tags[i]);
    return Group(0, "SEQEND");
  }
  const std::string& Text() const { return text_; }

 private:
  std::string text_;
};

inline std::vector<std::string> Lines(const std::vector<Finding>& findings,
                                      const std::vector<std::u16string>& sheet_names = {}) {
  std::vector<std::string> lines;
  for (const Finding& f : findings)
    FindingLines(
        f, [&](std::u16string_view line) { lines.push_back(platform::ToUtf8(line)); }, sheet_names);
  return lines;
}

}  // namespace plendra
