// The orientation a camera records (EXIF tag 0x0112, the TIFF Orientation
// tag): how the stored pixels must be turned or mirrored to stand as the
// photo was taken.
//
//   1 as stored          2 mirrored left-right   3 turned 180 degrees
//   4 mirrored top-bottom 5 mirrored along the top-left to bottom-right diagonal
//   6 turned 90 degrees clockwise 7 mirrored along the other diagonal
//   8 turned 90 degrees anticlockwise
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/raster.h"

namespace lenti {

// The orientation in an EXIF block (a JPEG APP1 payload, "Exif\0\0" and the
// TIFF structure after it), read with libexif. A block that is damaged, has
// no orientation or holds a value outside 1..8 gives 1: the photo is then
// taken as stored.
int ExifOrientation(const uint8_t* exif, size_t size);

// The photo turned or mirrored as `orientation` says (anything outside 2..8
// returns it unchanged). Works on 8- and 24-bit rasters; the palette is kept.
Raster ApplyOrientation(Raster photo, int orientation);

}  // namespace lenti
