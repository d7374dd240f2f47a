// Where a parts-table entry goes and how long the written length is: pure
// functions of the numbers read from the picked dimension and of the settings.
// Formulas are evaluated in double precision and each result is stored as a
// single-precision value; a result beyond the float range, or a quotient that
// does not round to a 32-bit integer, raises AppError 6.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace plendra {

// The rounding steps of the settings dialog's list, by index: 1, 5, 10, 50 and
// 0 (no rounding). AppError 9 for an index outside 0..4.
std::int32_t MarumeStep(std::int32_t index);
// The list's item texts in the same order: "1mm" ... "丸め無し".
const std::array<std::u16string_view, 5>& MarumeItems();

// The written length: M rounded to a multiple of the step of `marume_index`,
// halves to the even multiple (1225 gives 1220 and 1235 gives 1240 with 10mm);
// M itself for "no rounding".
float Nagasa_Marume(float M, std::int32_t marume_index);

// Estimates the width of the dimension text as AutoCAD shows it, from the
// measured value M, DIMSCALE K, DIMTXT H, DIMDEC D, the text style's width
// factor WF, DIMRND R and DIMZIN Z: every character one text height times the
// width factor, the decimal point half. Returns -1 and writes TW; returns 0 and
// leaves TW untouched when M is 0. A negative D counts as 0.
std::int32_t Mojihaba_Get(float M, float K, float H, std::int32_t D, float WF, float R, std::int32_t Z,
                          float& TW);

// Which position setting is on: 4 after (Usiro), else 3 before (Mae), else 2
// below (Sita), else 1 above (Ue), else 0.
std::int32_t Iti_Get(bool Ue, bool Sita, bool Mae, bool Usiro);

struct PlacementInput {
  std::int32_t p;        // position code of Iti_Get
  float P0, P1;          // the middle point of the dimension text
  std::int32_t angle;    // rotation in whole degrees; 90 means text running upwards
  std::int32_t type;     // DXF group 70; 128 and 160 get the text-move correction
  std::int32_t ov;       // the dimension's own DIMTMOVE override (last group 1070), -1 if none
  float K, H, G;         // DIMSCALE, DIMTXT, DIMGAP
  std::int32_t TM;       // DIMTMOVE of the style
  float TW;              // the text width of Mojihaba_Get (0 when not computed)
  double okisa, hanare;  // the Okisa and Hanare settings
};

struct Placement {
  float s;     // block scale
  float X, Y;  // insertion point; (0, 0) when no position setting is on
};

// The block scale and the insertion point beside the dimension text for the
// position code p. Text the user moved (type 128 or 160) shifts the point by
// the text-move rule: the dimension's override when it has one, else the
// style's DIMTMOVE. The scale is computed even when p is 0.
Placement PlaceEntry(const PlacementInput& in);

}  // namespace plendra
