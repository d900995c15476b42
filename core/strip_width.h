// The strip width rule: Round(base / n / lpi x 10000), 0 becoming 1. The
// merge uses base 300, an import into slots 3..16 base 250; at 21.25 lpi
// with 2 frames the merge's strip is 7 px.
#pragma once

#include <cstdint>

#include "core/numerics.h"

namespace lenti {

inline int32_t StripWidthRule(int base, int32_t frame_count, int64_t lens_lpi_x) {
  const Extended per_frame = Divide(static_cast<Extended>(base), frame_count);
  const auto width = static_cast<int32_t>(Round(Divide(per_frame, lens_lpi_x) * 10000));
  return width == 0 ? 1 : width;
}
inline int32_t MergeStripWidth(int32_t n, int64_t lpi) { return StripWidthRule(300, n, lpi); }
inline int32_t ImportStripWidth(int32_t n, int64_t lpi) { return StripWidthRule(250, n, lpi); }

}  // namespace lenti
