// A quarter turn counter-clockwise, pixel for pixel: R(x, y) = M(W - 1 - y, x).
#pragma once

#include "core/maker_state.h"
#include "core/raster.h"

namespace lenti {

// The turned copy of a 24-bit raster (blocked for the cache).
Raster RotateQuarterCounterClockwise(const Raster& source);

// The pending text drawn into MergedBitmap for good and cleared; recorded
// as a finishing step of the picture's job.
void BurnPendingText(MakerState& state);

// "&Rotate": the pending text burned in and cleared, MergedBitmap and its
// alignment band turned, the step recorded (the view then shows the turned
// picture at full resolution).
void TurnMerged(MakerState& state);

}  // namespace lenti
