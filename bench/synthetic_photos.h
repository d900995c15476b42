// Photos made by the program itself, for the samples and the benchmarks: a
// landscape scene (sky, sun, hills, a tree and a post) seen from a camera
// that moves a little to the side from one frame to the next, so that the
// near objects shift more than the far ones, as in a real lenticular set.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "core/jpeg.h"
#include "core/raster.h"

namespace lenti::synthetic {

inline uint8_t Clamp255(double v) { return static_cast<uint8_t>(std::clamp(v, 0.0, 255.0)); }

// Frame `index` of `count` views, `width` x `height` pixels, 24-bit.
inline Raster ScenePhoto(int width, int height, int index, int count) {
  Raster photo(width, height, PixelFormat::pf24bit);
  // Camera offset from -1 to 1 across the set.
  const double view = count > 1 ? 2.0 * index / (count - 1) - 1.0 : 0.0;
  const double w = width, h = height;
  const double sun_x = w * (0.72 - 0.01 * view), sun_y = h * 0.22, sun_r = h * 0.07;
  const double tree_x = w * (0.35 + 0.06 * view), tree_top = 0.38, trunk = w * 0.025;
  const double crown_r = h * 0.13;
  const double post_x = w * (0.78 + 0.12 * view), post_w = w * 0.03;
  for (int y = 0; y < height; ++y) {
    uint8_t* row = photo.Row(y);
    const double fy = y / h;
    for (int x = 0; x < width; ++x) {
      const double fx = x / w;
      // Sky: deep blue at the top to pale at the horizon.
      double r = 90 + 120 * fy, g = 140 + 90 * fy, b = 230 - 10 * fy;
      const double sun = std::hypot(x - sun_x, y - sun_y);
      if (sun < sun_r) {
        r = 255, g = 230, b = 120;
      } else if (sun < 2.2 * sun_r) {
        const double glow = 1 - (sun - sun_r) / (1.2 * sun_r);
        r += (255 - r) * 0.5 * glow, g += (235 - g) * 0.5 * glow, b += (180 - b) * 0.3 * glow;
      }
      // Far hills (barely move) and near meadow (moves more).
      const double far = 0.55 + 0.06 * std::sin(fx * 7.0 + 1.3 + 0.05 * view);
      const double near = 0.70 + 0.04 * std::sin(fx * 4.0 + 0.4 * view) + 0.01 * std::sin(fx * 31.0);
      if (fy > far) r = 70 + 40 * fy, g = 110 + 30 * fy, b = 90;
      if (fy > near) {
        const double grass = 0.5 + 0.5 * std::sin(x * 0.9 + y * 0.3);
        r = 60 + 30 * grass, g = 150 + 40 * grass - 40 * fy, b = 50 + 10 * grass;
      }
      // The tree: a trunk and a round crown.
      if (std::abs(x - tree_x) < trunk && fy > tree_top && fy < near + 0.02) r = 110, g = 75, b = 40;
      if (std::hypot(x - tree_x, y - tree_top * h) < crown_r) {
        const double leaf = 0.5 + 0.5 * std::sin(x * 0.35) * std::cos(y * 0.41);
        r = 40 + 30 * leaf, g = 120 + 50 * leaf, b = 40;
      }
      // The post in front: red and white bands.
      if (std::abs(x - post_x) < post_w && fy > 0.5) {
        const bool band = static_cast<int>(y / (h * 0.04)) % 2 == 0;
        r = band ? 220 : 245, g = band ? 40 : 245, b = band ? 40 : 245;
      }
      row[3 * x] = Clamp255(b);
      row[3 * x + 1] = Clamp255(g);
      row[3 * x + 2] = Clamp255(r);
    }
  }
  return photo;
}

inline std::vector<uint8_t> ScenePhotoJpeg(int width, int height, int index, int count,
                                           int quality = 85) {
  return EncodeJpeg(ScenePhoto(width, height, index, count), quality);
}

}  // namespace lenti::synthetic
