// The strip plans of both layouts and the one interleave that copies them:
// whole-row copies upright, runs of pixels along each row across.
#include "interlace/strip_plan.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "core/error.h"

namespace lenti {
namespace {

constexpr size_t kPixelBytes = 3;

// Whole strips clip a slice of another size like the last strip; a periodic
// plan is worked out for the slice size and takes no other.
void CheckSlices(const std::vector<const Raster*>& slices, const LensGeometry& geometry, int32_t frame_count) {
  if (frame_count < 1 || slices.size() != static_cast<size_t>(frame_count)) {
    throw Error(Format("The merge needs %d prepared frames, %zu were given", frame_count, slices.size()));
  }
  for (size_t i = 0; i < slices.size(); ++i) {
    const Raster* slice = slices[i];
    if (slice == nullptr || slice->Format() != PixelFormat::pf24bit) {
      throw Error(Format("Prepared frame %zu is not a 24-bit picture", i + 1));
    }
    if (geometry.layout == LensLayout::Periodic &&
        (slice->Width() != geometry.slice.width || slice->Height() != geometry.slice.height)) {
      throw Error(Format("Prepared frame %zu is %d x %d px, not %d x %d", i + 1, slice->Width(),
                         slice->Height(), geometry.slice.width, geometry.slice.height));
    }
  }
}

// Calls `on_step` `count` times while `done` goes from 0 to `total`.
class Steps {
 public:
  Steps(int64_t count, int64_t total, const std::function<void()>& on_step)
      : count_(count), total_(std::max<int64_t>(total, 1)), on_step_(on_step) {}
  void Advance(int64_t done) {
    while (taken_ < count_ && (taken_ + 1) * total_ <= done * count_) {
      ++taken_;
      if (on_step_) on_step_();
    }
  }

 private:
  int64_t count_;
  int64_t total_;
  const std::function<void()>& on_step_;
  int64_t taken_ = 0;
};

// The classic loop's strip copies: frame i copies strips at i*s + j*n*s
// while that start is at most the length, and always at least one.
int64_t WholeStripCopies(int32_t length, int32_t frame_count, int32_t strip_width) {
  int64_t copies = 0;
  const int64_t lens = int64_t{frame_count} * strip_width;
  for (int32_t i = 0; i < frame_count; ++i) {
    const int64_t first = int64_t{i} * strip_width;
    copies += first > length ? 1 : (length - first) / lens + 1;
  }
  return copies;
}

void InterleaveRows(const std::vector<const Raster*>& slices, const StripPlan& plan, Raster& out,
                    Steps& steps) {
  for (int32_t y = 0; y < out.Height(); ++y) {
    const Raster& slice = *slices[static_cast<size_t>(plan.frame[y])];
    const int32_t source = plan.source[y];
    if (source < slice.Height()) {
      const size_t bytes = static_cast<size_t>(std::min(slice.Width(), out.Width())) * kPixelBytes;
      std::memcpy(out.Row(y), slice.Row(source), bytes);
    }
    steps.Advance(y + 1);
  }
}

// Consecutive columns of one frame reading consecutive slice columns: one
// copy per run and row instead of one per pixel.
struct Run {
  int32_t dest;
  int32_t frame;
  int32_t source;
  int32_t length;
};

std::vector<Run> ColumnRuns(const std::vector<const Raster*>& slices, const StripPlan& plan, int32_t width) {
  std::vector<Run> runs;
  for (int32_t x = 0; x < width; ++x) {
    const int32_t frame = plan.frame[x];
    const int32_t source = plan.source[x];
    if (source >= slices[static_cast<size_t>(frame)]->Width()) continue;
    if (!runs.empty()) {
      Run& last = runs.back();
      if (last.frame == frame && last.dest + last.length == x && last.source + last.length == source) {
        ++last.length;
        continue;
      }
    }
    runs.push_back(Run{x, frame, source, 1});
  }
  return runs;
}

// Short runs (a classic strip is a few pixels) as fixed-size copies, which
// the compiler turns into a few moves instead of a library call.
inline void CopyPixels(uint8_t* dest, const uint8_t* source, int32_t pixels) {
  switch (pixels) {
    case 1: std::memcpy(dest, source, 1 * kPixelBytes); return;
    case 2: std::memcpy(dest, source, 2 * kPixelBytes); return;
    case 3: std::memcpy(dest, source, 3 * kPixelBytes); return;
    case 4: std::memcpy(dest, source, 4 * kPixelBytes); return;
    case 5: std::memcpy(dest, source, 5 * kPixelBytes); return;
    case 6: std::memcpy(dest, source, 6 * kPixelBytes); return;
    case 7: std::memcpy(dest, source, 7 * kPixelBytes); return;
    case 8: std::memcpy(dest, source, 8 * kPixelBytes); return;
    default: std::memcpy(dest, source, static_cast<size_t>(pixels) * kPixelBytes);
  }
}

// Row by row over all runs, so every output row is finished while it is in
// the cache.
void InterleaveColumns(const std::vector<const Raster*>& slices, const StripPlan& plan, Raster& out,
                       Steps& steps) {
  const std::vector<Run> runs = ColumnRuns(slices, plan, out.Width());
  for (int32_t y = 0; y < out.Height(); ++y) {
    uint8_t* row = out.Row(y);
    for (const Run& run : runs) {
      const Raster& slice = *slices[static_cast<size_t>(run.frame)];
      if (y >= slice.Height()) continue;
      CopyPixels(row + static_cast<size_t>(run.dest) * kPixelBytes,
                 slice.Row(y) + static_cast<size_t>(run.source) * kPixelBytes, run.length);
    }
    steps.Advance(y + 1);
  }
}

}  // namespace

StripPlan PlanWholeStrips(int32_t length, int32_t frame_count, int32_t strip_width, bool step_per_strip) {
  if (length < 0 || frame_count < 1) throw Error("The strip plan needs frames");
  if (strip_width < 1) throw Error("The strip width must be at least 1 pixel");
  StripPlan plan;
  plan.frame.resize(static_cast<size_t>(length));
  plan.source.resize(static_cast<size_t>(length));
  for (int32_t position = 0; position < length; ++position) {
    const int32_t strip = position / strip_width;
    plan.frame[position] = strip % frame_count;
    plan.source[position] = strip / frame_count * strip_width + position % strip_width;  // at most `position`
  }
  plan.steps = step_per_strip ? WholeStripCopies(length, frame_count, strip_width) : frame_count;
  return plan;
}

StripPlan PlanPeriodicStrips(int32_t length, int32_t slice_length, int32_t frame_count, Extended period,
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
  plan.steps = frame_count;
  return plan;
}

StripPlan PlanStrips(const LensGeometry& geometry, int32_t frame_count, Mode mode) {
  const bool upright = mode == Mode::PortraitRows;
  const int32_t length = upright ? geometry.output.OutputHeight : geometry.output.OutputWidth;
  if (geometry.layout == LensLayout::WholeStrips) {
    return PlanWholeStrips(length, frame_count, geometry.output.StripWidth, upright);
  }
  const int32_t slice_length = upright ? geometry.slice.height : geometry.slice.width;
  return PlanPeriodicStrips(length, slice_length, frame_count, geometry.period, geometry.phase);
}

Raster Interleave(const std::vector<const Raster*>& slices, const LensGeometry& geometry, int32_t frame_count,
                  Mode mode, const std::function<void()>& on_step) {
  CheckSlices(slices, geometry, frame_count);
  const StripPlan plan = PlanStrips(geometry, frame_count, mode);
  Raster out(geometry.output.OutputWidth, geometry.output.OutputHeight, PixelFormat::pf24bit);
  Steps steps(plan.steps, out.Height(), on_step);
  if (mode == Mode::PortraitRows) {
    InterleaveRows(slices, plan, out, steps);
  } else {
    InterleaveColumns(slices, plan, out, steps);
  }
  return out;
}

}  // namespace lenti
