#include "twips.h"

#include <cmath>

namespace plendra_gui {
namespace {

constexpr double kTwipsPerInch = 1440;

}  // namespace

int TwipsToPixels(int twips, int pixels_per_inch) {
  if (pixels_per_inch <= 0) return 0;
  return static_cast<int>(std::lround(twips * static_cast<double>(pixels_per_inch) / kTwipsPerInch));
}

float PixelsToTwips(int pixels, int pixels_per_inch) {
  if (pixels_per_inch <= 0) return 0;
  return static_cast<float>(pixels * kTwipsPerInch / pixels_per_inch);
}

}  // namespace plendra_gui
