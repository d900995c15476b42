// Photos of one generated scene taken with known placements: a smooth
// multi-scale texture (value noise, defined everywhere, so every shot samples
// the same scene exactly and the truth carries no resampling error), each
// shot moved, turned and scaled about an anchor, with noise and JPEG
// compression as a camera leaves them.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <random>
#include <vector>

#include "core/geometry.h"
#include "core/jpeg.h"
#include "core/raster.h"

namespace lenti::testing {

// The truth of one shot: the scene's point p (the reference's pixels) lies
// in the shot at anchor + (dx, dy) + scale * R(angle) * (p - anchor), R
// counter-clockwise as seen (y down).
struct ShotPlacement {
  double dx = 0;
  double dy = 0;
  double angle = 0;  // degrees
  double scale = 1;
};

class NoiseScene {
 public:
  explicit NoiseScene(uint32_t seed) : seed_(seed) {}

  // 0..255 at the scene point (x, y).
  double Value(double x, double y) const {
    double sum = 128;
    double amplitude = 70;
    for (int octave = 0; octave < 4; ++octave) {
      const double wavelength = 40.0 / (1 << octave);
      sum += amplitude * (Lattice(x / wavelength, y / wavelength, octave) - 0.5) * 2;
      amplitude *= 0.6;
    }
    return std::clamp(sum, 0.0, 255.0);
  }

 private:
  double Hash(int64_t ix, int64_t iy, int octave) const {
    uint64_t h = static_cast<uint64_t>(ix) * 0x9E3779B97F4A7C15ull ^
                 static_cast<uint64_t>(iy) * 0xC2B2AE3D27D4EB4Full ^
                 (static_cast<uint64_t>(octave) << 32) ^ seed_;
    h ^= h >> 29;
    h *= 0xBF58476D1CE4E5B9ull;
    h ^= h >> 32;
    return static_cast<double>(h >> 11) / static_cast<double>(1ull << 53);
  }
  static double Smooth(double t) { return t * t * t * (t * (t * 6 - 15) + 10); }
  double Lattice(double x, double y, int octave) const {
    const double fx = std::floor(x);
    const double fy = std::floor(y);
    const auto ix = static_cast<int64_t>(fx);
    const auto iy = static_cast<int64_t>(fy);
    const double tx = Smooth(x - fx);
    const double ty = Smooth(y - fy);
    const double top =
        Hash(ix, iy, octave) + (Hash(ix + 1, iy, octave) - Hash(ix, iy, octave)) * tx;
    const double bottom =
        Hash(ix, iy + 1, octave) + (Hash(ix + 1, iy + 1, octave) - Hash(ix, iy + 1, octave)) * tx;
    return top + (bottom - top) * ty;
  }
  uint32_t seed_;
};

// Where the shot's pixel centre (x + 0.5, y + 0.5) looks in the scene.
inline void SceneOfShot(const ShotPlacement& placement, double ax, double ay, double x, double y,
                        double& sx, double& sy) {
  const double turn = placement.angle * std::numbers::pi / 180;
  const double c = std::cos(turn) / placement.scale;
  const double s = std::sin(turn) / placement.scale;
  const double ux = x + 0.5 - ax - placement.dx;
  const double uy = y + 0.5 - ay - placement.dy;
  // The inverse turn of R(angle) = [[c, s], [-s, c]].
  sx = ax + c * ux - s * uy;
  sy = ay + s * ux + c * uy;
}

// A 24-bit shot of `scene` (`background` for every point outside the
// rectangle `subject`, the scene `subject_scene` moved by the subject's own
// shift inside it, when given).
inline Raster Shot(const NoiseScene& scene, int width, int height, const ShotPlacement& placement,
                   double noise = 0, uint32_t noise_seed = 1) {
  Raster photo(width, height, PixelFormat::pf24bit);
  std::mt19937 random(noise_seed);
  std::normal_distribution<double> grain(0, noise > 0 ? noise : 1);
  const double ax = width / 2.0;
  const double ay = height / 2.0;
  for (int y = 0; y < height; ++y) {
    uint8_t* row = photo.Row(y);
    for (int x = 0; x < width; ++x) {
      double sx;
      double sy;
      SceneOfShot(placement, ax, ay, x, y, sx, sy);
      const double v = scene.Value(sx, sy);
      for (int c = 0; c < 3; ++c) {
        const double tint = v * (0.8 + 0.1 * c) + 10 * c + (noise > 0 ? grain(random) : 0);
        row[3 * x + c] = static_cast<uint8_t>(std::clamp(std::lround(tint), 0L, 255L));
      }
    }
  }
  return photo;
}

// A shot of a textured subject (`subject`'s texture over the rectangle
// `where` of the reference, 0..1 coordinates aside) standing before a
// textured background: the background moves by `background_shift`, the
// subject by `subject_shift`, as a rail shot's nearer plane moves further.
inline Raster ParallaxShot(const NoiseScene& background, const NoiseScene& subject, int width,
                           int height, const Rect& where, const ShotPlacement& background_shift,
                           const ShotPlacement& subject_shift) {
  Raster photo(width, height, PixelFormat::pf24bit);
  for (int y = 0; y < height; ++y) {
    uint8_t* row = photo.Row(y);
    for (int x = 0; x < width; ++x) {
      const double sx = x + 0.5 - subject_shift.dx;
      const double sy = y + 0.5 - subject_shift.dy;
      const bool on_subject =
          sx >= where.left && sx < where.right && sy >= where.top && sy < where.bottom;
      const double v = on_subject ? subject.Value(sx, sy)
                                  : background.Value(x + 0.5 - background_shift.dx,
                                                     y + 0.5 - background_shift.dy);
      for (int c = 0; c < 3; ++c)
        row[3 * x + c] = static_cast<uint8_t>(std::lround(v * (0.8 + 0.1 * c) + 10 * c));
    }
  }
  return photo;
}

// The photo as a camera's JPEG at `quality` leaves it.
inline Raster ThroughJpeg(const Raster& photo, int quality) {
  const std::vector<uint8_t> bytes = EncodeJpeg(photo, quality);
  return DecodeJpeg(bytes.data(), bytes.size(), "shot.jpg");
}

}  // namespace lenti::testing
