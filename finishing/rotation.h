// A quarter turn counter-clockwise, pixel for pixel: R(x, y) = M(W - 1 - y, x).
#pragma once

#include "core/maker_state.h"
#include "core/raster.h"
#include "core/views.h"

namespace lenti {

// The turned copy of a 24-bit raster (blocked for the cache).
Raster RotateQuarterCounterClockwise(const Raster& source);

// The pending text drawn into MergedBitmap for good and cleared; recorded
// as a finishing step of the picture's job.
void BurnPendingText(MakerState& state);

// The turn without a view: the pending text burned in, MergedBitmap and its
// band turned, the step recorded.
void TurnMerged(MakerState& state);

// "&Rotate": burns a pending text in and clears it, turns MergedBitmap and
// shows it at full resolution. The alignment band, if any, turns with it.
void RotateMerged(MakerState& state, MainView& view);

}  // namespace lenti
