// Pictures and reference operations shared by the finishing tests: noisy
// 24-bit pictures (so a pixel moved or lost shows), a byte comparison, and a
// plain per-pixel quarter turn to check the blocked one against.
#pragma once

#include <cstdint>
#include <cstring>
#include <random>

#include "core/maker_state.h"
#include "core/raster.h"

namespace lenti::testing {

inline Raster NoisePicture(int width, int height, uint32_t seed) {
  Raster picture(width, height);
  std::mt19937 random(seed);
  for (int y = 0; y < height; ++y) {
    uint8_t* row = picture.Row(y);
    for (int x = 0; x < width * 3; ++x) row[x] = static_cast<uint8_t>(random());
  }
  return picture;
}

// Same size, format and pixel bytes (row padding aside).
inline bool SamePixels(const Raster& a, const Raster& b) {
  if (a.Width() != b.Width() || a.Height() != b.Height() || a.Format() != b.Format()) return false;
  const size_t bytes = static_cast<size_t>(a.Width()) * BitsPerPixel(a.Format()) / 8;
  for (int y = 0; y < a.Height(); ++y) {
    if (std::memcmp(a.Row(y), b.Row(y), bytes) != 0) return false;
  }
  return true;
}

// R(x, y) = M(W - 1 - y, x), one pixel at a time.
inline Raster ReferenceTurn(const Raster& m) {
  Raster r(m.Height(), m.Width());
  for (int y = 0; y < r.Height(); ++y) {
    for (int x = 0; x < r.Width(); ++x) r.SetPixelColor(x, y, m.PixelColor(m.Width() - 1 - y, x));
  }
  return r;
}

inline Raster ReferenceTurns(Raster m, int quarter_turns) {
  for (int i = 0; i < quarter_turns % 4; ++i) m = ReferenceTurn(m);
  return m;
}

// A state as a merge of `frame_count` frames of `strip` px leaves it, with a
// noisy picture of width x height.
inline MakerState MergedState(int width, int height, int frame_count, int strip, uint32_t seed = 1) {
  MakerState state;
  state.photos.FrameCount = frame_count;
  state.photos.StripWidth = strip;
  state.merged.MergedBitmap = NoisePicture(width, height, seed);
  state.merged.Geometry.FrameCount = frame_count;
  state.merged.Geometry.StripWidth = strip;
  state.merged.Geometry.OutputWidth = width;
  state.merged.Geometry.OutputHeight = height;
  return state;
}

}  // namespace lenti::testing
