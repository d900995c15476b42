// Area sampling, separable: the source rows each slice row covers are
// averaged down into one row, which is then averaged across.
// The weights are exact fractions: slice pixel d covers source span
// [d x S / D, (d + 1) x S / D), and source pixel c weighs by the part of
// [c, c + 1) inside it, counted in 1/D steps.
#include "interlace/area_sampling.h"

#include <algorithm>
#include <vector>

#include "core/error.h"
#include "interlace/frame.h"

namespace lenti {
namespace {

constexpr size_t kChannels = 3;

// For each of `dest` pixels: the source pixels it covers and their weights
// (summing to 1).
struct Taps {
  std::vector<int32_t> first;
  std::vector<int32_t> count;
  std::vector<size_t> offset;  // into weights
  std::vector<float> weights;
};

Taps MakeTaps(int32_t source, int32_t dest) {
  Taps taps;
  taps.first.resize(static_cast<size_t>(dest));
  taps.count.resize(static_cast<size_t>(dest));
  taps.offset.resize(static_cast<size_t>(dest));
  const int64_t s = source, n = dest;
  for (int64_t d = 0; d < n; ++d) {
    // The span in units of 1/n source pixels.
    const int64_t begin = d * s, end = (d + 1) * s;
    const int64_t first = begin / n;
    const int64_t last = (end + n - 1) / n;  // exclusive
    taps.first[d] = static_cast<int32_t>(first);
    taps.count[d] = static_cast<int32_t>(last - first);
    taps.offset[d] = taps.weights.size();
    for (int64_t c = first; c < last; ++c) {
      const int64_t covered = std::min(end, (c + 1) * n) - std::max(begin, c * n);
      taps.weights.push_back(static_cast<float>(static_cast<double>(covered) / static_cast<double>(s)));
    }
  }
  return taps;
}

uint8_t ToByte(float value) {
  const float rounded = value + 0.5f;
  return rounded <= 0 ? 0 : rounded >= 255 ? 255 : static_cast<uint8_t>(rounded);
}

// One row of averaged-down source pixels (source width x 3 floats)
// averaged across into slice pixels.
void AverageAcross(const float* row, const Taps& taps, uint8_t* out) {
  const size_t width = taps.first.size();
  for (size_t d = 0; d < width; ++d) {
    const float* p = row + static_cast<size_t>(taps.first[d]) * kChannels;
    const float* w = taps.weights.data() + taps.offset[d];
    float b = 0, g = 0, r = 0;
    for (int32_t k = 0; k < taps.count[d]; ++k, p += kChannels) {
      b += w[k] * p[0];
      g += w[k] * p[1];
      r += w[k] * p[2];
    }
    out[d * kChannels] = ToByte(b);
    out[d * kChannels + 1] = ToByte(g);
    out[d * kChannels + 2] = ToByte(r);
  }
}

// sum[i] += weight x row[i]: the one loop over every source byte, kept
// plain so that the compiler turns it into vector code.
void AddWeighted(float* __restrict sum, const uint8_t* __restrict row, float weight, size_t count) {
  for (size_t i = 0; i < count; ++i) sum[i] += weight * static_cast<float>(row[i]);
}

}  // namespace

Raster AreaScale(const Raster& crop, Size slice) {
  if (slice.width <= 0 || slice.height <= 0) {
    throw Error(Format("The slice size %d x %d is empty", slice.width, slice.height));
  }
  if (crop.Empty()) throw Error("The crop to scale is empty");
  const Raster* source = &crop;
  Raster converted;
  if (crop.Format() != PixelFormat::pf24bit) {
    converted = crop;
    converted.SetPixelFormat(PixelFormat::pf24bit);
    source = &converted;
  }
  Raster out(slice.width, slice.height, PixelFormat::pf24bit);
  const Taps across = MakeTaps(source->Width(), slice.width);
  const Taps down = MakeTaps(source->Height(), slice.height);
  // Down first: every source byte is touched once or twice in a plain
  // vector loop, and the taps across run once per slice row only.
  const size_t row_floats = static_cast<size_t>(source->Width()) * kChannels;
  std::vector<float> sum(row_floats);
  for (int32_t y = 0; y < slice.height; ++y) {
    std::fill(sum.begin(), sum.end(), 0.0f);
    const float* w = down.weights.data() + down.offset[y];
    for (int32_t k = 0; k < down.count[y]; ++k) AddWeighted(sum.data(), source->Row(down.first[y] + k), w[k], row_floats);
    AverageAcross(sum.data(), across, out.Row(y));
  }
  return out;
}

Raster ScaleCropBySampling(const Raster& crop, Size slice, Sampling sampling) {
  return sampling == Sampling::Area ? AreaScale(crop, slice) : ScaleCropToSlice(crop, slice);
}

}  // namespace lenti
