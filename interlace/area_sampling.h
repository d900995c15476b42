// Area sampling: a crop scaled to its slice with each slice pixel the
// average of the source pixels it covers, those at its edges by the part
// they cover. A 12 MP photo squeezed into thin strips then shows no aliasing
// (moiré, jagged edges) that nearest neighbour, which keeps one source pixel
// in many, leaves. Enlarging blends the one or two source pixels a slice
// pixel lies over.
#pragma once

#include "core/geometry.h"
#include "core/lens_settings.h"
#include "core/raster.h"

namespace lenti {

// A new 24-bit raster of `slice` from `crop` (any format; 1- and 8-bit ones
// are read through their palette). Raises a clear error for an empty slice
// or crop.
Raster AreaScale(const Raster& crop, Size slice);

// The crop onto its slice by the chosen sampling: nearest neighbour is the
// classic StretchDraw (ScaleCropToSlice), area is AreaScale.
Raster ScaleCropBySampling(const Raster& crop, Size slice, Sampling sampling);

}  // namespace lenti
