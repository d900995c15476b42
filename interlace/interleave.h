// The whole-strip interleave of a classic output geometry: frame i supplies
// the i-th strip under every lens (the strip plan of interlace/strip_plan.h).
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "core/maker_state.h"
#include "core/raster.h"
#include "interlace/geometry.h"

namespace lenti {

// Interleaves the slices into a new white raster of the output size, last
// partial strip included. Output pixels whose slice row (column) lies beyond
// the slice stay white. `on_strip` is the progress bar's step: called once
// per strip copy in PortraitRows mode and once per frame in LandscapeColumns
// mode, evenly over the work. Slices of another size are clipped like the last
// strip. Raises a clear error unless there are `frame_count` 24-bit slices.
Raster InterleaveSlices(const std::vector<const Raster*>& slices, const OutputGeometry& geometry,
                        int32_t frame_count, Mode mode, const std::function<void()>& on_strip = {});

}  // namespace lenti
