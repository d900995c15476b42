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
// copy per run and row instead of one per pixel. Runs are kept frame by
// frame, so each slice row is read front to back.
struct Run {
  uint32_t dest_byte;
  uint32_t source_byte;
  uint32_t frame;
  uint32_t bytes;
};

std::vector<Run> ColumnRuns(const std::vector<const Raster*>& slices, const StripPlan& plan, int32_t width) {
  std::vector<Run> runs;
  int32_t last_x = -2, last_source = -2;
  for (int32_t x = 0; x < width; ++x) {
    const int32_t frame = plan.frame[x];
    const int32_t source = plan.source[x];
    if (source >= slices[static_cast<size_t>(frame)]->Width()) continue;
    if (!runs.empty() && runs.back().frame == static_cast<uint32_t>(frame) && last_x + 1 == x &&
        last_source + 1 == source) {
      runs.back().bytes += kPixelBytes;
    } else {
      runs.push_back(Run{static_cast<uint32_t>(x * kPixelBytes), static_cast<uint32_t>(source * kPixelBytes),
                         static_cast<uint32_t>(frame), kPixelBytes});
    }
    last_x = x;
    last_source = source;
  }
  std::stable_sort(runs.begin(), runs.end(), [](const Run& a, const Run& b) { return a.frame < b.frame; });
  return runs;
}

// A frame's runs of one length at even steps (all of a frame's whole strips
// but a clipped last one): one loop with fixed strides per group.
struct RunGroup {
  uint32_t dest_byte;
  uint32_t source_byte;
  uint32_t frame;
  uint32_t bytes;
  uint32_t count;
  uint32_t dest_step;
  uint32_t source_step;
};

std::vector<RunGroup> GroupRuns(const std::vector<Run>& runs) {
  std::vector<RunGroup> groups;
  for (const Run& run : runs) {
    if (!groups.empty()) {
      RunGroup& g = groups.back();
      const uint32_t last_dest = g.dest_byte + (g.count - 1) * g.dest_step;
      const uint32_t last_source = g.source_byte + (g.count - 1) * g.source_step;
      // Steps only forward: a group's strides are unsigned.
      const bool same_kind = g.frame == run.frame && g.bytes == run.bytes && run.dest_byte > last_dest &&
                             run.source_byte >= last_source;
      if (same_kind && g.count == 1) {
        g.dest_step = run.dest_byte - last_dest;
        g.source_step = run.source_byte - last_source;
        ++g.count;
        continue;
      }
      if (same_kind && run.dest_byte - last_dest == g.dest_step && run.source_byte - last_source == g.source_step) {
        ++g.count;
        continue;
      }
    }
    groups.push_back(RunGroup{run.dest_byte, run.source_byte, run.frame, run.bytes, 1, 0, 0});
  }
  return groups;
}

// One row's groups. With every run `kBytes` long (whole strips of up to
// 8 px) each copy is a fixed-size one, which the compiler turns into a few
// moves instead of a library call; kBytes 0 copies each group's own length.
template <size_t kBytes>
void CopyGroups(uint8_t* row, const uint8_t* const* sources, const std::vector<RunGroup>& groups) {
  for (const RunGroup& g : groups) {
    const uint8_t* source = sources[g.frame];
    if (source == nullptr) continue;
    source += g.source_byte;
    uint8_t* dest = row + g.dest_byte;
    const size_t bytes = kBytes == 0 ? g.bytes : kBytes;
    for (uint32_t k = 0; k < g.count; ++k) {
      std::memcpy(dest, source, bytes);
      dest += g.dest_step;
      source += g.source_step;
    }
  }
}

using GroupCopier = void (*)(uint8_t*, const uint8_t* const*, const std::vector<RunGroup>&);

GroupCopier CopierFor(const std::vector<RunGroup>& groups) {
  const uint32_t bytes = groups.empty() ? 0 : groups.front().bytes;
  const bool uniform = std::all_of(groups.begin(), groups.end(), [&](const RunGroup& g) { return g.bytes == bytes; });
  if (!uniform) return CopyGroups<0>;
  switch (bytes / kPixelBytes) {
    case 1: return CopyGroups<1 * kPixelBytes>;
    case 2: return CopyGroups<2 * kPixelBytes>;
    case 3: return CopyGroups<3 * kPixelBytes>;
    case 4: return CopyGroups<4 * kPixelBytes>;
    case 5: return CopyGroups<5 * kPixelBytes>;
    case 6: return CopyGroups<6 * kPixelBytes>;
    case 7: return CopyGroups<7 * kPixelBytes>;
    case 8: return CopyGroups<8 * kPixelBytes>;
    default: return CopyGroups<0>;
  }
}

// Row by row over all runs, so every output row is finished while it is in
// the cache.
void InterleaveColumns(const std::vector<const Raster*>& slices, const StripPlan& plan, Raster& out,
                       Steps& steps) {
  const std::vector<RunGroup> groups = GroupRuns(ColumnRuns(slices, plan, out.Width()));
  const GroupCopier copy = CopierFor(groups);
  std::vector<const uint8_t*> sources(slices.size());
  for (int32_t y = 0; y < out.Height(); ++y) {
    // A slice shorter than the picture leaves its columns white below it.
    for (size_t i = 0; i < slices.size(); ++i) sources[i] = y < slices[i]->Height() ? slices[i]->Row(y) : nullptr;
    copy(out.Row(y), sources.data(), groups);
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
