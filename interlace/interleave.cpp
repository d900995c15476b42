// The strip interleave and the view's preview of its result.
//
// Frame i (0-based here) puts its j-th strip, slice rows (columns) j*s to
// j*s + s - 1, at output position i*s + j*n*s. The loop runs while that
// position is at most the output's length, so the last strip of a frame may
// reach past the output (clipped) or past its slice (those pixels stay white).
#include <algorithm>
#include <cstring>

#include "core/error.h"
#include "core/numerics.h"
#include "interlace/interleave.h"

namespace lenti {

namespace {

constexpr size_t kPixelBytes = 3;

void CheckSlices(const std::vector<const Raster*>& slices, const OutputGeometry& geometry,
                 int32_t frame_count) {
  if (frame_count < 1 || slices.size() != static_cast<size_t>(frame_count)) {
    throw Error(Format("The merge needs %d prepared frames, %zu were given", frame_count,
                       slices.size()));
  }
  if (geometry.StripWidth < 1) throw Error("The strip width must be at least 1 pixel");
  for (size_t i = 0; i < slices.size(); ++i) {
    if (slices[i] == nullptr || slices[i]->Format() != PixelFormat::pf24bit) {
      throw Error(Format("Prepared frame %zu is not a 24-bit picture", i + 1));
    }
  }
}

// One strip under every lens for frame `frame`: calls visit(source, dest)
// with the strip's first slice row (column) and output row (column), in the
// documented repeat-until order.
template <typename Visit>
void ForEachStrip(int32_t frame, int32_t frame_count, int32_t strip, int32_t bound, Visit visit) {
  const int64_t pitch = int64_t{frame_count} * strip;
  int64_t dest = int64_t{frame} * strip;
  int64_t source = 0;
  do {
    visit(source, dest);
    dest += pitch;
    source += strip;
  } while (dest <= bound);
}

// Rows [source, source + s) of the slice onto rows [dest, dest + s) of the
// output, clipped to both, one memcpy per row.
void CopyRowStrip(const Raster& slice, int64_t source, Raster& out, int64_t dest, int32_t strip) {
  const int64_t rows = std::min<int64_t>({strip, slice.Height() - source, out.Height() - dest});
  const size_t bytes = static_cast<size_t>(std::min(slice.Width(), out.Width())) * kPixelBytes;
  for (int64_t r = 0; r < rows; ++r) {
    std::memcpy(out.Row(static_cast<int>(dest + r)), slice.Row(static_cast<int>(source + r)), bytes);
  }
}

// Where one frame's column strips go, worked out once for all rows: `full`
// runs of s pixels that lie wholly inside slice and output (a prefix, since
// both positions grow), then at most a few clipped ones.
struct ColumnRuns {
  struct Run {
    size_t source_byte;
    size_t dest_byte;
    size_t bytes;
  };
  size_t full = 0;
  std::vector<Run> clipped;
};

ColumnRuns PlanColumnRuns(const Raster& slice, const Raster& out, int32_t frame, int32_t frame_count,
                          int32_t strip) {
  ColumnRuns plan;
  ForEachStrip(frame, frame_count, strip, out.Width(), [&](int64_t source, int64_t dest) {
    const int64_t length = std::min<int64_t>({strip, slice.Width() - source, out.Width() - dest});
    if (length == strip && plan.clipped.empty()) {
      ++plan.full;
    } else if (length > 0) {
      plan.clipped.push_back({static_cast<size_t>(source) * kPixelBytes,
                              static_cast<size_t>(dest) * kPixelBytes,
                              static_cast<size_t>(length) * kPixelBytes});
    }
  });
  return plan;
}

// The full runs of one row: a fixed-size copy per run lets the compiler
// turn each into a few moves instead of a library call. With `wide`, all
// runs but the last copy one byte more (a whole word for 1-pixel strips):
// that byte lands on the next frame's strip, which is written after this
// one, and is read from the next run of the same slice row.
template <size_t kBytes>
void GatherFixed(uint8_t* dest, const uint8_t* source, size_t count, size_t dest_step,
                 size_t source_step, bool wide) {
  size_t j = 0;
  if (wide) {
    for (; j + 1 < count; ++j) {
      std::memcpy(dest, source, kBytes + 1);
      dest += dest_step;
      source += source_step;
    }
  }
  for (; j < count; ++j) {
    std::memcpy(dest, source, kBytes);
    dest += dest_step;
    source += source_step;
  }
}

void GatherAny(uint8_t* dest, const uint8_t* source, size_t count, size_t dest_step,
               size_t source_step, size_t bytes) {
  for (size_t j = 0; j < count; ++j) {
    std::memcpy(dest, source, bytes);
    dest += dest_step;
    source += source_step;
  }
}

using GatherFunction = void (*)(uint8_t*, const uint8_t*, size_t, size_t, size_t, bool);

GatherFunction FixedGather(int32_t strip) {
  switch (strip) {
    case 1: return GatherFixed<1 * kPixelBytes>;
    case 2: return GatherFixed<2 * kPixelBytes>;
    case 3: return GatherFixed<3 * kPixelBytes>;
    case 4: return GatherFixed<4 * kPixelBytes>;
    case 5: return GatherFixed<5 * kPixelBytes>;
    case 6: return GatherFixed<6 * kPixelBytes>;
    case 7: return GatherFixed<7 * kPixelBytes>;
    case 8: return GatherFixed<8 * kPixelBytes>;
    default: return nullptr;
  }
}

void GatherRow(uint8_t* out_row, const uint8_t* slice_row, const ColumnRuns& plan, int32_t frame,
               int32_t frame_count, int32_t strip, GatherFunction fixed, bool uniform) {
  const size_t strip_bytes = static_cast<size_t>(strip) * kPixelBytes;
  const size_t pitch_bytes = strip_bytes * static_cast<size_t>(frame_count);
  uint8_t* dest = out_row + static_cast<size_t>(frame) * strip_bytes;
  if (fixed != nullptr) {
    // Only when every slice has the same size is the next frame sure to
    // overwrite the extra byte; the last frame's would fall on frame 1's
    // next strip, which is already in place.
    fixed(dest, slice_row, plan.full, pitch_bytes, strip_bytes, uniform && frame + 1 < frame_count);
  } else {
    GatherAny(dest, slice_row, plan.full, pitch_bytes, strip_bytes, strip_bytes);
  }
  for (const ColumnRuns::Run& run : plan.clipped) {
    std::memcpy(out_row + run.dest_byte, slice_row + run.source_byte, run.bytes);
  }
}

void InterleaveRows(const std::vector<const Raster*>& slices, Raster& out, int32_t strip,
                    const std::function<void()>& on_strip) {
  const auto n = static_cast<int32_t>(slices.size());
  for (int32_t i = 0; i < n; ++i) {
    ForEachStrip(i, n, strip, out.Height(), [&](int64_t source, int64_t dest) {
      CopyRowStrip(*slices[i], source, out, dest, strip);
      if (on_strip) on_strip();
    });
  }
}

// Row by row over all frames, so every output row is finished while it is
// in the cache instead of being revisited once per frame.
void InterleaveColumns(const std::vector<const Raster*>& slices, Raster& out, int32_t strip,
                       const std::function<void()>& on_strip) {
  const auto n = static_cast<int32_t>(slices.size());
  std::vector<ColumnRuns> plans;
  plans.reserve(slices.size());
  for (int32_t i = 0; i < n; ++i) plans.push_back(PlanColumnRuns(*slices[i], out, i, n, strip));
  const GatherFunction fixed = FixedGather(strip);
  const bool uniform = std::all_of(slices.begin(), slices.end(), [&](const Raster* s) {
    return s->Width() == slices[0]->Width() && s->Height() == slices[0]->Height();
  });
  for (int y = 0; y < out.Height(); ++y) {
    uint8_t* out_row = out.Row(y);
    for (int32_t i = 0; i < n; ++i) {
      if (y < slices[i]->Height()) GatherRow(out_row, slices[i]->Row(y), plans[i], i, n, strip, fixed, uniform);
    }
  }
  if (on_strip) {
    for (int32_t i = 0; i < n; ++i) on_strip();
  }
}

}  // namespace

Raster InterleaveSlices(const std::vector<const Raster*>& slices, const OutputGeometry& geometry,
                        int32_t frame_count, Mode mode, const std::function<void()>& on_strip) {
  CheckSlices(slices, geometry, frame_count);
  Raster out(geometry.OutputWidth, geometry.OutputHeight, PixelFormat::pf24bit);
  if (mode == Mode::PortraitRows) {
    InterleaveRows(slices, out, geometry.StripWidth, on_strip);
  } else {
    InterleaveColumns(slices, out, geometry.StripWidth, on_strip);
  }
  return out;
}

Raster MergePreview(const Raster& merged) {
  if (merged.Width() < 500) return merged;
  const auto width = static_cast<int>(Round(static_cast<Extended>(merged.Width()) / 3.5L));
  const auto height = static_cast<int>(Round(static_cast<Extended>(merged.Height()) / 3.5L));
  Raster preview(width, height, PixelFormat::pf24bit);
  preview.StretchDraw(preview.ClipRect(), merged);
  return preview;
}

}  // namespace lenti
