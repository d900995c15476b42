// JPEG decoding through libjpeg (6.2 API).
//
// Full-size decode: colour photos become 24-bit rasters, greyscale photos
// 8-bit rasters with a grey palette; CMYK/YCCK photos are converted to RGB.
// Every libjpeg error (damaged, truncated, unsupported) raises an Error with
// libjpeg's message and the file name; libjpeg never ends the process.
// Declared sizes are checked against kMaxRasterBytes before decoding.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/raster.h"
#include "core/stored_photo.h"

namespace lenti {

struct JpegInfo {
  int width = 0;
  int height = 0;
  int components = 0;  // 1 grey, 3 colour, 4 CMYK
};

// Header only: size and components.
JpegInfo ReadJpegInfo(const uint8_t* data, size_t size, const std::string& name);

// Raises "JPEG image is too large: <name>: ..." when the decoded photo would
// exceed kMaxRasterBytes (checked before any pixel memory is taken).
void CheckJpegSize(const JpegInfo& info, const std::string& name);

// Decodes the whole photo.
Raster DecodeJpeg(const uint8_t* data, size_t size, const std::string& name);

// Decodes only the rows [rows.top, rows.bottom) and columns [rows.left,
// rows.right) of the photo (clipped to it), with the same pixels a full
// decode would give there. The raster returned is the clipped region.
Raster DecodeJpegRegion(const uint8_t* data, size_t size, const std::string& name,
                        const Rect& region);

Raster LoadJpegFile(const std::string& path);

// What the photo's markers say about how it is shown: the orientation of
// its EXIF block (APP1, read by ExifOrientation) and its colour profile (the
// APP2 "ICC_PROFILE" chunks joined in order; a set with a chunk missing,
// doubled or out of range counts as no profile).
struct JpegMarkers {
  int orientation = 1;
  std::vector<uint8_t> icc_profile;
};
JpegMarkers ReadJpegMarkers(const uint8_t* data, size_t size, const std::string& name);

// The whole photo with its orientation and profile, for ViewedPhoto.
StoredPhoto DecodeJpegPhoto(const uint8_t* data, size_t size, const std::string& name);

// True when the bytes start with the JPEG SOI marker FF D8 FF.
bool LooksLikeJpeg(const uint8_t* data, size_t size);

// Encodes a 24-bit or 8-bit grey raster (for tests, samples and seeds).
std::vector<uint8_t> EncodeJpeg(const Raster& raster, int quality, bool progressive = false);

}  // namespace lenti
