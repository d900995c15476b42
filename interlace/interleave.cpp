// The whole-strip interleave of a classic output geometry and the view's
// preview of a merged picture.
#include "interlace/interleave.h"

#include "core/numerics.h"
#include "interlace/native_geometry.h"
#include "interlace/strip_plan.h"

namespace lenti {

Raster InterleaveSlices(const std::vector<const Raster*>& slices, const OutputGeometry& geometry,
                        int32_t frame_count, Mode mode, const std::function<void()>& on_strip) {
  return Interleave(slices, WholeStripGeometry(geometry, frame_count, mode), frame_count, mode, on_strip);
}

Raster MergePreview(const Raster& merged) {
  if (merged.Width() < 500) return merged;
  const auto width = static_cast<int>(Round(static_cast<Extended>(merged.Width()) / 3.5L));
  const auto height = static_cast<int>(Round(static_cast<Extended>(merged.Height()) / 3.5L));
  Raster preview(width, height, PixelFormat::pf24bit);
  preview.StretchDraw(preview.ClipRect(), merged);
  return preview;
}

}  // namespace lenti
