// PNG photos through libpng.
//
// Every colour type and depth: grey and palette photos of 1 to 8 bits, RGB,
// 16 bits per channel (scaled to 8 with rounding), transparency (alpha or a
// tRNS entry) composited on white. Grey photos without transparency become
// 8-bit rasters with a grey palette, all others 24-bit. The iCCP profile is
// kept for the conversion to sRGB. The declared size is checked against
// kMaxRasterBytes before any pixel memory is taken; every libpng error (a
// bad signature, a bad CRC in a critical chunk, truncated or damaged data)
// raises "PNG image is not valid: <name>: <libpng's text>".
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/stored_photo.h"

namespace lenti {

// The eight bytes of the PNG signature.
bool LooksLikePng(const uint8_t* data, size_t size);

StoredPhoto DecodePng(const uint8_t* data, size_t size, const std::string& name);

}  // namespace lenti
