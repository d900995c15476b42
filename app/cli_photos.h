// The command line's photos: read, recognised by their content (JPEG or
// BMP), framed by the given or the default crop and squeezed to slices, on
// several threads. A JPEG photo is decoded only where its crop lies; the
// slice is the one the desktop program's frame preparation makes.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/geometry.h"
#include "core/maker_state.h"
#include "core/raster.h"

namespace lenti::cli {

// The crop the crop frame places on a new photo, in the photo's own pixels:
// a view box the size of the photo, scale 1.
Rect DefaultSourceRect(Size photo, Mode mode);

struct SliceJob {
  int slot = 1;              // 1..16, for error texts
  std::string path;
  std::optional<Rect> crop;  // source pixels; the default crop when absent
};

// Reads, decodes and slices one photo. "File format error! ..." for a file
// that is neither JPEG nor BMP.
Raster PreparePhotoSlice(const SliceJob& job, Size slice, Mode mode);

// Every job on up to `threads` threads, holding at most about
// `memory_budget` bytes of pixels at a time (a photo larger than the budget
// runs alone). Slices come back in job order; when photos fail, the error
// of the lowest slot is raised after all threads have stopped. `on_done`
// runs once per finished photo, never on two threads at once.
std::vector<Raster> PrepareSlicesInParallel(const std::vector<SliceJob>& jobs, Size slice, Mode mode,
                                            unsigned threads, uint64_t memory_budget,
                                            const std::function<void()>& on_done = {});

// Threads for decoding: the machine's cores, at least 1.
unsigned DecodeThreads();

inline constexpr uint64_t kDefaultPhotoMemoryBudget = uint64_t{256} << 20;

}  // namespace lenti::cli
