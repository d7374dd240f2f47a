#include "app/dimension_style.h"

#include "app/number_text.h"

namespace plendra {
namespace {

// A value the scan left empty: the record does not carry that group.
bool Omitted(const std::u16string& value) { return value.empty(); }

float SingleOr(const std::u16string& value, float fallback) {
  return Omitted(value) ? fallback : DoubleToSingle(LeadingNumber(value));
}

std::int32_t LongOr(const std::u16string& value, std::int32_t fallback) {
  return Omitted(value) ? fallback : RoundToLong(LeadingNumber(value));
}

// The number of records a scan found, from its (0, 0).
std::int32_t RecordCount(const korvel::DxfTable& table) {
  return table.IsEmpty() ? 0 : RoundToLong(LeadingNumber(table.At(0, 0)));
}

}  // namespace

DimensionStyle DimensionStyleOf(const korvel::DxfTable& styles, std::u16string_view name) {
  // The DXF reference's defaults for the groups a record may leave out.
  constexpr float kK = 1, kH = 0.18f, kR = 0, kG = 0.09f;
  constexpr std::int32_t kD = 4, kZ = 0, kTM = 0;
  DimensionStyle style;
  const std::int32_t count = RecordCount(styles);
  for (std::int32_t r = 1; r <= count; ++r) {
    if (styles.At(0, r) != name) continue;
    style.found = true;
    style.K = SingleOr(styles.At(1, r), kK);
    if (style.K == 0) style.K = 1;
    style.H = SingleOr(styles.At(2, r), kH);
    style.D = LongOr(styles.At(3, r), kD);
    style.text_style_handle = styles.At(4, r);
    style.R = SingleOr(styles.At(5, r), kR);
    style.Z = LongOr(styles.At(6, r), kZ);
    style.G = SingleOr(styles.At(7, r), kG);
    style.TM = LongOr(styles.At(8, r), kTM);
  }
  return style;
}

TextStyle TextStyleOf(const korvel::DxfTable& styles, std::u16string_view handle) {
  TextStyle style;
  const std::int32_t count = RecordCount(styles);
  for (std::int32_t r = 1; r <= count; ++r) {
    if (styles.At(0, r) != handle) continue;
    style.name = styles.At(1, r);
    style.WF = SingleOr(styles.At(2, r), 1);
  }
  return style;
}

}  // namespace plendra
