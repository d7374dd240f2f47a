// Entity records of the DXF writer.
#pragma once

#include "cadsim/drawing.h"
#include "dxf_emitter.h"

namespace cadsim::dxf {

// Writes one entity owned by the block record `owner` (an INSERT with its
// ATTRIB records and SEQEND).
void WriteEntity(Emitter& out, const Entity& entity, Handle owner);

}  // namespace cadsim::dxf
