#include "app/placement.h"

#include <string>

#include "app/app_error.h"
#include "app/number_text.h"

namespace plendra {
namespace {

constexpr std::int32_t kSteps[] = {1, 5, 10, 50, 0};

// A text-move rule of AutoCAD's DIMTMOVE: 0 moves the dimension line with the
// text, 1 adds a leader, 2 moves the text freely.
constexpr std::int32_t kMoveWithLine = 0;
constexpr std::int32_t kMoveWithLeader = 1;
constexpr std::int32_t kMoveFreely = 2;

}  // namespace

std::int32_t MarumeStep(std::int32_t index) {
  if (index < 0 || index > 4) RaiseAppError(9);
  return kSteps[index];
}

const std::array<std::u16string_view, 5>& MarumeItems() {
  static constexpr std::array<std::u16string_view, 5> kItems = {u"1mm", u"5mm", u"10mm", u"50mm",
                                                                u"丸め無し"};
  return kItems;
}

float Nagasa_Marume(float M, std::int32_t marume_index) {
  const std::int32_t unit = MarumeStep(marume_index);
  if (unit == 0) return M;
  const double q = RoundToLong(static_cast<double>(M) / unit);
  return DoubleToSingle(unit * q);
}

std::int32_t Mojihaba_Get(float M, float K, float H, std::int32_t D, float WF, float R, std::int32_t Z,
                          float& TW) {
  if (M == 0) return 0;
  // The value AutoCAD shows is the measurement rounded by DIMRND first.
  const float v =
      R != 0 ? DoubleToSingle(R * static_cast<double>(RoundToLong(static_cast<double>(M) / R))) : M;
  std::u16string t = FixedText(v, D);
  // DIMZIN 8 (and 12, which adds leading-zero suppression) drops trailing
  // zeros of the decimals, and the point when nothing is left after it.
  if ((Z == 8 || Z == 12) && t.find(u'.') != std::u16string::npos) {
    while (t.back() == u'0') t.pop_back();
    if (t.back() == u'.') t.pop_back();
  }
  const double character = static_cast<double>(H) * K * WF;
  const double length = static_cast<double>(t.size());
  TW = DoubleToSingle(t.find(u'.') != std::u16string::npos ? character * (length - 1) + character / 2
                                                           : character * length);
  return -1;
}

std::int32_t Iti_Get(bool Ue, bool Sita, bool Mae, bool Usiro) {
  if (Usiro) return 4;
  if (Mae) return 3;
  if (Sita) return 2;
  if (Ue) return 1;
  return 0;
}

Placement PlaceEntry(const PlacementInput& in) {
  const double K = in.K;
  const double H = in.H;
  const double u = in.okisa * (K / 3) / 2;
  const double g = in.hanare * (K / 2);
  const double h = H * K / 2;
  const double gp = static_cast<double>(in.G) * K;
  const double half_text = static_cast<double>(in.TW) / 2;

  Placement out{DoubleToSingle(u + H * K), 0, 0};
  const double s = out.s;
  const double P0 = in.P0;
  const double P1 = in.P1;
  // A dimension at 90 degrees has its text running upwards: its offsets are
  // those of a horizontal one turned a quarter turn counter-clockwise.
  const bool upright = in.angle == 90;
  double X = 0;
  double Y = 0;
  switch (in.p) {
    case 1:  // above
      X = upright ? P0 - h - g - s : P0;
      Y = upright ? P1 : P1 + h + g + s;
      break;
    case 2:  // below
      X = upright ? P0 + h + g + s + gp : P0;
      Y = upright ? P1 : P1 - h - g - s - gp;
      break;
    case 3:  // before
      X = upright ? P0 - u - gp : P0 - half_text - g - s;
      Y = upright ? P1 - half_text - g - s : P1 + u + gp;
      break;
    case 4:  // after
      X = upright ? P0 - u - gp : P0 + half_text + g + s;
      Y = upright ? P1 + half_text + g + s : P1 + u + gp;
      break;
    default:
      return out;  // no position setting on: the point stays (0, 0)
  }
  out.X = DoubleToSingle(X);
  out.Y = DoubleToSingle(Y);

  // Text the user moved away from its default place (type 128 or 160) sits
  // where the dimension's own override, or else its style's DIMTMOVE, put it.
  if (in.type != 128 && in.type != 160) return out;
  const std::int32_t e = in.ov != -1 ? in.ov : in.TM;
  if (e == kMoveWithLine) {
    if (upright)
      out.X = DoubleToSingle(out.X - h - gp);
    else
      out.Y = DoubleToSingle(out.Y + h + gp);
  } else if (e == kMoveWithLeader) {
    out.X = DoubleToSingle(out.X - h - gp);
    out.Y = DoubleToSingle(upright ? out.Y + half_text : out.Y + h + gp);
  } else if (e == kMoveFreely && in.p == 2) {
    if (upright)
      out.X = DoubleToSingle(out.X - gp);
    else
      out.Y = DoubleToSingle(out.Y + gp);
  }
  return out;
}

}  // namespace plendra
