// The crops follow the picture's shape: when its size or the Mode changes,
// every framed photo's crop takes the new ratio, so that a merge never
// stretches a frame drawn for another shape.
#pragma once

#include "core/geometry.h"
#include "core/maker_state.h"
#include "core/views.h"
#include "intake/crop_frame.h"

namespace lenti {

// `crop` (source pixels) at `ratio`, around the same centre: as large
// against the largest crop of `ratio` in `photo` as it was against the
// largest of its own shape, then moved inside the photo (a photo of unknown
// size: the same area). A crop already of the ratio (within a pixel) comes
// back as it is.
Rect ReshapeCrop(const Rect& crop, CropRatio ratio, Size photo);

// Every filled slot's crop at the ratio of state.lens and state.mode, kept in
// source pixels for the merge and in view pixels for the rectangle; the
// current slot's rectangle is drawn again where it is shown.
void ReframeCrops(MakerState& state, MainView& view);

}  // namespace lenti
