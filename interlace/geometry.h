// Output geometry: how the frame count n, the lens pitch and the Mode give
// the strip width, the effective resolution and the pixel sizes.
//
// At 21.25 lpi with 2 frames the strip width is 7 px and the output
// 1698 x 2049 px at 297.5 dpi (portrait); landscape exchanges the sides.
#pragma once

#include <cstdint>

#include "core/geometry.h"
#include "core/maker_state.h"
#include "core/strip_width.h"

namespace lenti {

// Inches in 14.5 cm and in 17.5 cm, as 80-bit constants.
inline constexpr long double kInches145 = 5.708661417322834646L;
inline constexpr long double kInches175 = 6.8897637795275590553L;

struct OutputGeometry {
  int32_t StripWidth = 0;  // whole strips only: a periodic layout has none
  int64_t OutputDpiX = 0;  // dpi x 10000
  int32_t OutputWidth = 0;
  int32_t OutputHeight = 0;
  friend bool operator==(const OutputGeometry&, const OutputGeometry&) = default;
};

// Steps 1-3 of the merge: strip width, OutputDpiX = n x lpi x strip, sizes.
OutputGeometry ComputeOutputGeometry(int32_t frame_count, int64_t lens_lpi_x, Mode mode);

// One prepared frame: the output squeezed by n across the strips.
Size SliceSize(int32_t output_width, int32_t output_height, int32_t frame_count, Mode mode);

}  // namespace lenti
