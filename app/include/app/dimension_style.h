// What an entry's size and place take from the picked dimension's styles: its
// dimension style and that style's text style, each read from the rows of a
// scan of the drawing's table (DxfScan over TABLES).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "link/dxf_table.h"

namespace plendra {

// The groups of a DIMSTYLE scan, in the columns DimensionStyleOf reads:
// the name, DIMSCALE, DIMTXT, DIMDEC, the text style's handle, DIMRND,
// DIMZIN, DIMGAP and DIMTMOVE.
inline constexpr std::u16string_view kDimensionStyleGroups = u"2|40|140|271|340|45|78|147|279";
// The groups of a STYLE scan: the handle, the name and the width factor.
inline constexpr std::u16string_view kTextStyleGroups = u"5|2|41";

// The quantities of the placement (docs/glossary.md): K the overall scale,
// H the text height, D the decimal places, R the rounding, Z the zero
// suppression, G the gap around the text, TM the text movement rule.
struct DimensionStyle {
  bool found = false;  // a record of the name was there; all else 0 when not
  float K = 0, H = 0, R = 0, G = 0;
  std::int32_t D = 0, Z = 0, TM = 0;
  std::u16string text_style_handle;
};

// The style named `name` in a DIMSTYLE scan; the last record of that name
// counts. A value the record leaves out is what AutoCAD then means: the DXF
// reference's default, which is the imperial one even in a metric drawing
// (whose styles carry their 2.5 and 0.625 written out). A scale of 0 is 1.
// A table whose count names rows it does not have throws std::out_of_range.
DimensionStyle DimensionStyleOf(const korvel::DxfTable& styles, std::u16string_view name);

struct TextStyle {
  std::u16string name;  // empty when no record has the handle
  float WF = 0;         // the width factor, 1 when left out
};

// The text style with this handle in a STYLE scan; the last record counts.
TextStyle TextStyleOf(const korvel::DxfTable& styles, std::u16string_view handle);

}  // namespace plendra
