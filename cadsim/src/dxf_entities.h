// Entity records of the DXF writer.
#pragma once

#include "cadsim/drawing.h"
#include "dxf_emitter.h"

namespace cadsim::dxf {

// Writes one entity owned by the block record `owner` (an INSERT with its
// ATTRIB records and SEQEND, a POLYLINE with its VERTEX records), with the
// groups it kept where they came from.
void WriteEntity(Emitter& out, const Entity& entity, Handle owner, bool paper = false);

}  // namespace cadsim::dxf
