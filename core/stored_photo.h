// A photo as its reader decoded it, before it is shown the way a viewer
// shows it: the pixels in the order the file stores them, the colour profile
// the file carries and its orientation tag.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/raster.h"

namespace lenti {

struct StoredPhoto {
  Raster pixels;                      // 24-bit BGR, or 8-bit with a grey palette
  std::vector<uint8_t> icc_profile;   // empty: the photo is taken as sRGB
  int orientation = 1;                // EXIF / TIFF orientation, 1 (as stored) to 8
};

// The photo in sRGB (its profile converted, see icc_to_srgb.h) and turned or
// mirrored as its orientation says (see exif_orientation.h).
Raster ViewedPhoto(StoredPhoto photo);

// "<kind> image is too large: <name>: W x H pixels need more than 1024 MB"
// when a raster of that size would pass kMaxRasterBytes; checked by every
// reader before it takes any pixel memory.
void CheckPhotoSize(const char* kind, int64_t width, int64_t height, PixelFormat format,
                    const std::string& name);
[[noreturn]] void PhotoTooLarge(const char* kind, int64_t width, int64_t height, const std::string& name);

}  // namespace lenti
