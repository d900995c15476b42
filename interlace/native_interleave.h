// The interleave for any lens period, whole or fractional, and any phase.
//
// Along the strip axis (rows upright, columns across) each output pixel takes
// its frame from where its centre lies under its lens: with the period p in
// pixels and the phase φ as a fraction of a lens, u = (position + 0.5) / p − φ,
// lens j = floor(u), and the frame is floor((u − j) x n), frames in order
// 1..n from the lens's start. Lens j thus starts within half a pixel of
// (j + φ) x p over the whole picture and nothing drifts: at 40 lpi and 720 dpi
// every lens is exactly 18 pixels.
//
// What a strip shows of its frame is the frame over the whole lens it lies
// under, squeezed into the strip (as the classic interleave does): the slice,
// the frame scaled once to the picture and squeezed by n along the axis, is
// read at the lens's position plus the pixel's place within its strip.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "core/maker_state.h"
#include "core/numerics.h"
#include "core/raster.h"
#include "interlace/native_geometry.h"

namespace lenti {

// For every position along the strip axis: its frame (0-based) and the slice
// row (column) it is read from.
struct StripPlan {
  std::vector<int32_t> frame;
  std::vector<int32_t> source;
};

// `length` output positions, a slice `slice_length` long along the axis.
StripPlan PlanNativeStrips(int32_t length, int32_t slice_length, int32_t frame_count, Extended period,
                           Extended phase);

// The picture of `geometry` from slices of geometry.slice. `on_step` is
// called n times, evenly over the work (the progress bar's steps; a throw
// from it stops the interleave). Raises a clear error unless there are
// `frame_count` 24-bit slices of the slice size.
Raster InterleaveNative(const std::vector<const Raster*>& slices, const LensGeometry& geometry,
                        int32_t frame_count, Mode mode, const std::function<void()>& on_step = {});

}  // namespace lenti
