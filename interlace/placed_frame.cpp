#include "interlace/placed_frame.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "core/error.h"

namespace lenti {

namespace {

constexpr int kWhite = 255;
// Samples per slice pixel and direction at most: beyond this a slice pixel
// covers so many photo pixels that more samples change nothing visible.
constexpr int kMaxSamples = 32;

// The crop's frame on the photo: its centre and the steps one crop pixel
// to the right (ex) and one down (ey) take on the photo.
struct CropFrame {
  double cx = 0;
  double cy = 0;
  double ex_x = 1;
  double ex_y = 0;
  double ey_x = 0;
  double ey_y = 1;
};

CropFrame FrameOf(const Rect& crop, const FramePlacement& placement) {
  const double turn = placement.angle * std::numbers::pi / 180;
  const double c = placement.scale * std::cos(turn);
  const double s = placement.scale * std::sin(turn);
  // R = [[c, s], [-s, c]]: its columns are the images of the crop's axes.
  return CropFrame{(crop.left + crop.right) / 2.0 + placement.shift_x,
                   (crop.top + crop.bottom) / 2.0 + placement.shift_y,
                   c,
                   -s,
                   s,
                   c};
}

// The photo region read, 24-bit, with the photo's extent to tell white.
struct Region {
  Raster pixels;
  Rect at;  // on the photo
};

Region ReadPlaced(PhotoSource& source, const Rect& bounds) {
  const Size size = source.PixelSize();
  Region region{Raster(), bounds.Intersected(Rect{0, 0, size.width, size.height})};
  if (region.at.IsEmpty()) return region;
  region.pixels = source.ReadRegion(region.at);
  if (region.pixels.Format() != PixelFormat::pf24bit)
    region.pixels.SetPixelFormat(PixelFormat::pf24bit);
  return region;
}

// Channel `c` of the region's pixel (x, y) in region coordinates; white outside.
inline int Channel(const Region& region, int x, int y, int c) {
  if (x < 0 || y < 0 || x >= region.at.Width() || y >= region.at.Height()) return kWhite;
  return region.pixels.Row(y)[3 * x + c];
}

// The blend of the four pixels around the photo point (px, py) (pixel
// edges at whole numbers), added to sum[0..2].
inline void AddBlended(const Region& region, double px, double py, double* sum) {
  const double x = px - 0.5 - region.at.left;
  const double y = py - 0.5 - region.at.top;
  const double fx = std::floor(x);
  const double fy = std::floor(y);
  const int x0 = static_cast<int>(fx);
  const int y0 = static_cast<int>(fy);
  const double tx = x - fx;
  const double ty = y - fy;
  for (int c = 0; c < 3; ++c) {
    const double top = Channel(region, x0, y0, c) * (1 - tx) + Channel(region, x0 + 1, y0, c) * tx;
    const double bottom =
        Channel(region, x0, y0 + 1, c) * (1 - tx) + Channel(region, x0 + 1, y0 + 1, c) * tx;
    sum[c] += top * (1 - ty) + bottom * ty;
  }
}

uint8_t ToByte(double value) {
  return static_cast<uint8_t>(std::clamp(std::lround(value), 0L, 255L));
}

void SampleNearest(const Region& region, const CropFrame& frame, const Rect& crop, Size slice,
                   Raster& out) {
  const double step_x = static_cast<double>(crop.Width()) / slice.width;
  const double step_y = static_cast<double>(crop.Height()) / slice.height;
  for (int j = 0; j < slice.height; ++j) {
    uint8_t* row = out.Row(j);
    const double uy = (j + 0.5) * step_y - crop.Height() / 2.0;
    for (int i = 0; i < slice.width; ++i) {
      const double ux = (i + 0.5) * step_x - crop.Width() / 2.0;
      const double px = frame.cx + frame.ex_x * ux + frame.ey_x * uy;
      const double py = frame.cy + frame.ex_y * ux + frame.ey_y * uy;
      const int x = static_cast<int>(std::floor(px)) - region.at.left;
      const int y = static_cast<int>(std::floor(py)) - region.at.top;
      for (int c = 0; c < 3; ++c) row[3 * i + c] = static_cast<uint8_t>(Channel(region, x, y, c));
    }
  }
}

void SampleArea(const Region& region, const CropFrame& frame, const Rect& crop, Size slice,
                double scale, Raster& out) {
  const double step_x = static_cast<double>(crop.Width()) / slice.width;
  const double step_y = static_cast<double>(crop.Height()) / slice.height;
  const int nx = std::clamp(static_cast<int>(std::ceil(step_x * scale)), 1, kMaxSamples);
  const int ny = std::clamp(static_cast<int>(std::ceil(step_y * scale)), 1, kMaxSamples);
  const double weight = 1.0 / (nx * ny);
  std::vector<double> sums(static_cast<size_t>(slice.width) * 3);
  for (int j = 0; j < slice.height; ++j) {
    std::fill(sums.begin(), sums.end(), 0.0);
    for (int b = 0; b < ny; ++b) {
      const double uy = (j + (b + 0.5) / ny) * step_y - crop.Height() / 2.0;
      for (int i = 0; i < slice.width; ++i) {
        double* sum = &sums[static_cast<size_t>(i) * 3];
        for (int a = 0; a < nx; ++a) {
          const double ux = (i + (a + 0.5) / nx) * step_x - crop.Width() / 2.0;
          AddBlended(region, frame.cx + frame.ex_x * ux + frame.ey_x * uy,
                     frame.cy + frame.ex_y * ux + frame.ey_y * uy, sum);
        }
      }
    }
    uint8_t* row = out.Row(j);
    for (size_t k = 0; k < sums.size(); ++k) row[k] = ToByte(sums[k] * weight);
  }
}

}  // namespace

bool IsAsFramed(const FramePlacement& placement) { return placement == FramePlacement{}; }

bool IsWholePixelShift(const FramePlacement& placement) {
  return placement.angle == 0 && placement.scale == 1 &&
         placement.shift_x == std::trunc(placement.shift_x) &&
         placement.shift_y == std::trunc(placement.shift_y);
}

Rect ShiftedCrop(const Rect& crop, const FramePlacement& placement) {
  const auto dx = static_cast<int32_t>(placement.shift_x);
  const auto dy = static_cast<int32_t>(placement.shift_y);
  return Rect{crop.left + dx, crop.top + dy, crop.right + dx, crop.bottom + dy};
}

Rect PlacedCropBounds(const Rect& crop, const FramePlacement& placement) {
  const CropFrame frame = FrameOf(crop, placement);
  const double hw = crop.Width() / 2.0;
  const double hh = crop.Height() / 2.0;
  double left = frame.cx;
  double top = frame.cy;
  double right = frame.cx;
  double bottom = frame.cy;
  for (const double sx : {-hw, hw}) {
    for (const double sy : {-hh, hh}) {
      const double x = frame.cx + frame.ex_x * sx + frame.ey_x * sy;
      const double y = frame.cy + frame.ex_y * sx + frame.ey_y * sy;
      left = std::min(left, x);
      right = std::max(right, x);
      top = std::min(top, y);
      bottom = std::max(bottom, y);
    }
  }
  return Rect{static_cast<int32_t>(std::floor(left)) - 1, static_cast<int32_t>(std::floor(top)) - 1,
              static_cast<int32_t>(std::ceil(right)) + 1,
              static_cast<int32_t>(std::ceil(bottom)) + 1};
}

Raster SliceOfPlacedCrop(PhotoSource& source, const Rect& crop, const FramePlacement& placement,
                         Size slice, int slot, Sampling sampling) {
  if (IsAsFramed(placement)) return SliceFromSource(source, crop, slice, slot, sampling);
  if (IsWholePixelShift(placement))
    return SliceFromSource(source, ShiftedCrop(crop, placement), slice, slot, sampling);
  return PlacedSliceFromSource(source, crop, placement, slice, slot, sampling);
}

Rect PlacedReadBounds(const Rect& crop, const FramePlacement& placement) {
  if (IsAsFramed(placement)) return crop;
  if (IsWholePixelShift(placement)) return ShiftedCrop(crop, placement);
  return PlacedCropBounds(crop, placement);
}

Raster PlacedSliceFromSource(PhotoSource& source, const Rect& crop, const FramePlacement& placement,
                             Size slice, int slot, Sampling sampling) {
  if (crop.IsEmpty()) throw Error(EmptyCropText(slot));
  if (slice.width <= 0 || slice.height <= 0) {
    throw Error(Format("The slice size %d x %d is empty", slice.width, slice.height));
  }
  const Rect bounds = PlacedCropBounds(crop, placement);
  CheckRasterSize(bounds.Width(), bounds.Height(), PixelFormat::pf24bit);
  const Region region = ReadPlaced(source, bounds);
  const CropFrame frame = FrameOf(crop, placement);
  Raster out(slice.width, slice.height, PixelFormat::pf24bit);
  if (sampling == Sampling::Area) {
    SampleArea(region, frame, crop, slice, placement.scale, out);
  } else {
    SampleNearest(region, frame, crop, slice, out);
  }
  return out;
}

}  // namespace lenti
