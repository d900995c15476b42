// A quarter turn counter-clockwise, pixel for pixel: R(x, y) = M(W - 1 - y, x).
#pragma once

#include "core/maker_state.h"
#include "core/raster.h"
#include "core/views.h"

namespace lenti {

// The turned copy of a 24-bit raster (blocked for the cache).
Raster RotateQuarterCounterClockwise(const Raster& source);

// "&Rotate": burns a pending text in and clears it, turns MergedBitmap and
// shows it at full resolution. The alignment band, if any, turns with it.
void RotateMerged(MakerState& state, MainView& view);

}  // namespace lenti
