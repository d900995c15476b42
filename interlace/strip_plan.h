// The strip plan: for every position along the strip axis (rows upright,
// columns across) the frame it shows and the slice row (column) it is read
// from. Both lens layouts are such a plan, and one interleave copies any plan.
//
// Whole strips (the classic layout): strip k of s pixels shows frame k mod n
// and reads slice lines from (k div n) x s on. At 21.25 lpi with 2 frames the
// strips are 7 px: rows 0-6 show frame 1's slice rows 0-6, rows 7-13 frame 2's
// rows 0-6, rows 14-20 frame 1's rows 7-13. A line past the end of its
// slice stays white.
//
// Periodic (a printer's resolution, or a phase): each position takes its frame
// from where its centre lies under its lens. With the period p in pixels and
// the phase φ as a fraction of a lens, u = (position + 0.5) / p − φ, lens
// j = floor(u), and the frame is floor((u − j) x n), frames in order 1..n from
// the lens's start. Lens j thus starts within half a pixel of (j + φ) x p over
// the whole picture and nothing drifts: at 40 lpi and 720 dpi every lens is
// exactly 18 pixels. What a strip shows of its frame is the frame over the
// whole lens it lies under, squeezed into the strip (as whole strips do): the
// slice is read at the lens's position plus the pixel's place in its strip.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "core/maker_state.h"
#include "core/numerics.h"
#include "core/raster.h"
#include "interlace/native_geometry.h"

namespace lenti {

struct StripPlan {
  std::vector<int32_t> frame;   // 0-based
  std::vector<int32_t> source;  // the slice line (past the slice: stays white)
  // Progress steps the interleave reports, evenly over the picture.
  int64_t steps = 0;
};

// `length` positions of whole strips `strip_width` px wide. Its steps are the classic ones: one per
// strip copied (each frame's strips up to and including one that starts at
// the very end), as `step_per_strip` asks (upright); else one per frame.
StripPlan PlanWholeStrips(int32_t length, int32_t frame_count, int32_t strip_width, bool step_per_strip);

// `length` positions of a periodic layout from slices `slice_length` long
// along the axis; one step per frame.
StripPlan PlanPeriodicStrips(int32_t length, int32_t slice_length, int32_t frame_count, Extended period,
                             Extended phase);

// The plan of `geometry` along the strip axis of `mode`.
StripPlan PlanStrips(const LensGeometry& geometry, int32_t frame_count, Mode mode);

// The picture of `geometry` from `frame_count` 24-bit slices: each output
// line copied from its frame's slice by the plan, clipped to both; what no
// slice covers stays white. A periodic layout refuses slices of another size
// than its own. `on_step` is called plan.steps times, evenly over
// the work (a throw from it stops the interleave). Raises a clear error
// unless there are `frame_count` 24-bit slices.
Raster Interleave(const std::vector<const Raster*>& slices, const LensGeometry& geometry, int32_t frame_count,
                  Mode mode, const std::function<void()>& on_step = {});

}  // namespace lenti
