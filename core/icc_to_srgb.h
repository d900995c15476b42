// Embedded colour profiles converted to sRGB with LittleCMS (lcms2).
//
// A 24-bit photo with an RGB profile has its pixels converted (perceptual
// intent, the usual one for photos; a matrix profile such as Display P3 or
// Adobe RGB maps colorimetrically); an 8-bit grey photo with a grey profile
// has its grey palette converted, so it stays an 8-bit raster. A profile
// that lcms2 cannot read or build a transform from, or whose colour space
// does not fit the pixels (a CMYK profile on a photo already turned to RGB),
// leaves the photo as it is: it is then taken as sRGB, as a photo without a
// profile is.
#pragma once

#include <cstdint>
#include <vector>

#include "core/raster.h"

namespace lenti {

// True when the pixels were converted.
bool ConvertToSrgb(Raster& photo, const std::vector<uint8_t>& icc_profile);

}  // namespace lenti
