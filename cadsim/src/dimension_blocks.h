// Geometry blocks for dimensions that have none (see the .cpp).
#pragma once

#include "cadsim/drawing.h"

namespace cadsim {

// Gives every model-space dimension whose block is missing an anonymous block
// that draws it. Handles are left to Drawing::Complete.
void AddMissingDimensionBlocks(Drawing& drawing);

}  // namespace cadsim
