// Small generated photos for the merge tests, and a pixel-for-pixel compare.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "core/file_io.h"
#include "core/jpeg.h"
#include "core/raster.h"

namespace lenti::testing {

// A photo with structure in both directions, so any shift or swap shows.
inline Raster Pattern(int width, int height, int seed) {
  Raster photo(width, height, PixelFormat::pf24bit);
  for (int y = 0; y < height; ++y) {
    uint8_t* row = photo.Row(y);
    for (int x = 0; x < width; ++x) {
      row[3 * x] = static_cast<uint8_t>(x * 3 + seed * 40);
      row[3 * x + 1] = static_cast<uint8_t>(y * 5 + seed);
      row[3 * x + 2] = static_cast<uint8_t>((x / 16 + y / 16) % 2 ? 200 : 30 + seed);
    }
  }
  return photo;
}

inline Raster Grey(int width, int height) {
  Raster photo(width, height, PixelFormat::pf8bit);
  photo.SetPalette(GreyPalette());
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) photo.Row(y)[x] = static_cast<uint8_t>((x * 7) ^ y);
  }
  return photo;
}

inline void WriteJpeg(const Raster& raster, const std::string& path) {
  const std::vector<uint8_t> bytes = EncodeJpeg(raster, 90);
  WriteWholeFile(path, bytes.data(), bytes.size());
}

inline bool SamePixels(const Raster& a, const Raster& b) {
  if (a.Width() != b.Width() || a.Height() != b.Height() || a.Format() != b.Format()) return false;
  return std::memcmp(a.Bits(), b.Bits(), a.Stride() * static_cast<size_t>(a.Height())) == 0;
}

}  // namespace lenti::testing
