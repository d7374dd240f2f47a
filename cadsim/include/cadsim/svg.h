// An SVG picture of the drawing, so a person can see where entries landed:
// lines, texts, dimensions (through their geometry blocks, or drawn from
// their points when the block is missing), inserted blocks with their visible
// attribute texts, each layer in its colour.
#pragma once

#include <string>

#include "cadsim/drawing.h"

namespace cadsim {

// UTF-8 SVG text.
std::string RenderSvg(const Drawing& drawing);

}  // namespace cadsim
