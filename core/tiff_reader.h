// TIFF photos through libtiff (the first image of the file).
//
// 8- and 16-bit grey and RGB photos in strips (16 bits scaled to 8 with
// rounding) are read strip by strip (uncompressed 8-bit strips straight from
// the file's bytes); every other kind libtiff can turn into RGBA (palette,
// bilevel, CMYK, YCbCr, tiles, planes) goes through its RGBA reader. Transparency (an extra alpha
// sample) is composited on white. Grey photos without transparency read
// by strips become 8-bit rasters with a grey palette, all others 24-bit.
// The Orientation tag and the ICC profile tag are kept for the photo's
// turn and its conversion to sRGB; the pixels stay in the order the file
// stores them.
//
// The declared size is checked against kMaxRasterBytes before any pixel
// memory is taken and libtiff's own allocations are capped as well. Every
// libtiff error (a directory past the end or looping, strips past the end,
// damaged data) raises "TIFF image is not valid: <name>: <libtiff's text>".
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/stored_photo.h"

namespace lenti {

// "II*\0" or "MM\0*" (and BigTIFF's "II+\0", "MM\0+").
bool LooksLikeTiff(const uint8_t* data, size_t size);

StoredPhoto DecodeTiff(const uint8_t* data, size_t size, const std::string& name);

}  // namespace lenti
