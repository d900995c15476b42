// The interleave for any lens period and phase: one plan along the strip
// axis, then whole-row copies (upright) or a per-pixel gather along each row
// (across).
#include "interlace/native_interleave.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "core/error.h"

namespace lenti {
namespace {

constexpr size_t kPixelBytes = 3;

void CheckSlices(const std::vector<const Raster*>& slices, const LensGeometry& geometry,
                 int32_t frame_count) {
  if (frame_count < 1 || slices.size() != static_cast<size_t>(frame_count)) {
    throw Error(Format("The merge needs %d prepared frames, %zu were given", frame_count, slices.size()));
  }
  if (!(geometry.period >= 1)) throw Error("The lens period must be at least 1 pixel");
  for (size_t i = 0; i < slices.size(); ++i) {
    const Raster* slice = slices[i];
    if (slice == nullptr || slice->Format() != PixelFormat::pf24bit) {
      throw Error(Format("Prepared frame %zu is not a 24-bit picture", i + 1));
    }
    if (slice->Width() != geometry.slice.width || slice->Height() != geometry.slice.height) {
      throw Error(Format("Prepared frame %zu is %d x %d px, not %d x %d", i + 1, slice->Width(),
                         slice->Height(), geometry.slice.width, geometry.slice.height));
    }
  }
}

// Calls `on_step` n times while `done` goes from 0 to `total`.
class Steps {
 public:
  Steps(int32_t count, int64_t total, const std::function<void()>& on_step)
      : count_(count), total_(std::max<int64_t>(total, 1)), on_step_(on_step) {}
  void Advance(int64_t done) {
    while (taken_ < count_ && (taken_ + 1) * total_ <= done * count_) {
      ++taken_;
      if (on_step_) on_step_();
    }
  }

 private:
  int32_t count_;
  int64_t total_;
  const std::function<void()>& on_step_;
  int32_t taken_ = 0;
};

}  // namespace

StripPlan PlanNativeStrips(int32_t length, int32_t slice_length, int32_t frame_count, Extended period,
                           Extended phase) {
  if (length < 0 || slice_length < 1 || frame_count < 1 || !(period >= 1)) {
    throw Error("The strip plan needs a slice, frames and a period of at least 1 pixel");
  }
  StripPlan plan;
  plan.frame.resize(static_cast<size_t>(length));
  plan.source.resize(static_cast<size_t>(length));
  const Extended n = frame_count;
  // Slice positions per picture position: the frame fills the slice exactly.
  const Extended squeeze = static_cast<Extended>(slice_length) / length;
  for (int32_t position = 0; position < length; ++position) {
    const Extended u = (position + 0.5L) / period - phase;
    const Extended lens = std::floor(u);
    const Extended within = (u - lens) * n;  // 0 .. n: frame and place in its strip
    const auto frame = std::clamp<int32_t>(static_cast<int32_t>(std::floor(within)), 0, frame_count - 1);
    const Extended in_strip = within - frame;
    // The frame under the whole lens, squeezed into the strip.
    const Extended content = (lens + phase + in_strip) * period;
    const Extended source = std::floor(content * squeeze);
    plan.frame[position] = frame;
    plan.source[position] =
        source < 0 ? 0 : source >= slice_length ? slice_length - 1 : static_cast<int32_t>(source);
  }
  return plan;
}

Raster InterleaveNative(const std::vector<const Raster*>& slices, const LensGeometry& geometry,
                        int32_t frame_count, Mode mode, const std::function<void()>& on_step) {
  CheckSlices(slices, geometry, frame_count);
  const int32_t width = geometry.output.OutputWidth;
  const int32_t height = geometry.output.OutputHeight;
  Raster out(width, height, PixelFormat::pf24bit);
  Steps steps(frame_count, height, on_step);
  if (mode == Mode::PortraitRows) {
    const StripPlan plan = PlanNativeStrips(height, geometry.slice.height, frame_count, geometry.period,
                                            geometry.phase);
    const size_t bytes = static_cast<size_t>(width) * kPixelBytes;
    for (int32_t y = 0; y < height; ++y) {
      std::memcpy(out.Row(y), slices[plan.frame[y]]->Row(plan.source[y]), bytes);
      steps.Advance(y + 1);
    }
    return out;
  }
  const StripPlan plan = PlanNativeStrips(width, geometry.slice.width, frame_count, geometry.period,
                                          geometry.phase);
  std::vector<uint32_t> source_byte(plan.source.size());
  for (size_t x = 0; x < plan.source.size(); ++x) source_byte[x] = static_cast<uint32_t>(plan.source[x] * kPixelBytes);
  std::vector<const uint8_t*> rows(slices.size());
  for (int32_t y = 0; y < height; ++y) {
    for (size_t i = 0; i < slices.size(); ++i) rows[i] = slices[i]->Row(y);
    uint8_t* dest = out.Row(y);
    for (int32_t x = 0; x < width; ++x) {
      const uint8_t* from = rows[static_cast<size_t>(plan.frame[x])] + source_byte[x];
      dest[0] = from[0];
      dest[1] = from[1];
      dest[2] = from[2];
      dest += kPixelBytes;
    }
    steps.Advance(y + 1);
  }
  return out;
}

}  // namespace lenti
