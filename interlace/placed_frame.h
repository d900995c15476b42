// Frame preparation of an aligned frame: its crop moved, turned and scaled
// on the photo by the frame's placement (core/job.h) and squeezed to the
// slice in the same one sampling, so the photo's pixels are resampled once
// whatever the placement. The slice's pixel (i, j) looks at the crop point
// u = ((i + 1/2) W / w - W / 2, (j + 1/2) H / h - H / 2) from the crop's
// centre (a W x H crop, a w x h slice), which lies on the photo at
//   centre + shift + scale * R(angle) * u,
// R counter-clockwise as seen. What lies outside the photo is white, as for
// a crop reaching past its edges.
#pragma once

#include "core/geometry.h"
#include "core/job.h"
#include "core/lens_settings.h"
#include "core/raster.h"
#include "interlace/frame.h"

namespace lenti {

// A placement that leaves the crop as framed.
bool IsAsFramed(const FramePlacement& placement);

// A placement that only moves the crop by whole pixels: the crop moved is
// then cut and scaled exactly as a framed one.
bool IsWholePixelShift(const FramePlacement& placement);
Rect ShiftedCrop(const Rect& crop, const FramePlacement& placement);

// The photo's pixels the placed crop touches (one pixel of margin for the
// blending), not clipped to the photo.
Rect PlacedCropBounds(const Rect& crop, const FramePlacement& placement);

// The slice of the placed crop: nearest neighbour takes the photo pixel
// under each slice pixel's centre; area averages a grid of blended samples,
// at least one per photo pixel the slice pixel covers. Raises
// EmptyCropText for an empty crop.
// The frame's one scaling whatever its placement: a crop as framed (or
// moved by whole pixels) cut and scaled as SliceFromSource does, any other
// placement sampled with it (PlacedSliceFromSource).
Raster SliceOfPlacedCrop(PhotoSource& source, const Rect& crop, const FramePlacement& placement,
                         Size slice, int slot, Sampling sampling);

// The photo's pixels the frame reads for it.
Rect PlacedReadBounds(const Rect& crop, const FramePlacement& placement);

Raster PlacedSliceFromSource(PhotoSource& source, const Rect& crop, const FramePlacement& placement,
                             Size slice, int slot, Sampling sampling);

}  // namespace lenti
