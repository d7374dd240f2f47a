// Window positions in twips (1/1440 inch), as the settings file keeps them,
// and in the screen's pixels, as Windows places windows.
#pragma once

namespace plendra_gui {

// The nearest pixel to a position in twips on a screen of this many pixels
// per inch; halves away from zero, as MulDiv rounds.
int TwipsToPixels(int twips, int pixels_per_inch);

// A pixel position in twips: whole at 96 (15 twips a pixel) and 120 (12)
// pixels per inch, the two settings Windows XP offers.
float PixelsToTwips(int pixels, int pixels_per_inch);

// Where the window was placed in twips, and the pixel it landed on: while it
// stays there, its position reads back as placed (1000 twips stay 1000
// instead of becoming the 1005 of pixel 67), so that saving the settings
// file does not move the window a little on every run.
class TwipsPosition {
 public:
  void Placed(int twips, int pixels) {
    twips_ = twips;
    pixels_ = pixels;
    placed_ = true;
  }
  float Read(int pixels, int pixels_per_inch) const {
    return placed_ && pixels == pixels_ ? static_cast<float>(twips_) : PixelsToTwips(pixels, pixels_per_inch);
  }

 private:
  bool placed_ = false;
  int twips_ = 0;
  int pixels_ = 0;
};

}  // namespace plendra_gui
