// The one merge pipeline of the window and the command line: every frame's
// photo opened as a source, its crop cut out (only the pixels the crop
// covers are read) and squeezed to a slice on worker threads under a memory
// budget, the slices optionally written as working files, then the strips
// interleaved. Progress is reported on the calling thread only, so a caller
// may hand it straight to a widget.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/geometry.h"
#include "core/job.h"
#include "core/long_work.h"
#include "core/maker_state.h"
#include "core/raster.h"
#include "interlace/frame.h"
#include "interlace/geometry.h"
#include "interlace/native_geometry.h"

namespace lenti {

struct PipelineFrame {
  int slot = 1;                     // 1..16, named in error texts
  std::string path;                 // the photo
  std::optional<Rect> source_rect;  // the crop in source pixels; absent: default_rect
  std::string work_file;            // written with the slice when not empty
  // The crop moved, turned and scaled by alignment (interlace/placed_frame.h).
  FramePlacement placement;
};

struct MergeRequest {
  std::vector<PipelineFrame> frames;  // the frame count is their number
  // The picture, its slice and its lens layout (whole strips or periodic).
  LensGeometry geometry;
  Mode mode = Mode::PortraitRows;
  // How each frame is scaled to its slice.
  Sampling sampling = Sampling::Nearest;
  PhotoOpener open = OpenBmpPhotoSource;
  // The crop of a frame without one, from the photo's pixel size.
  std::function<Rect(Size photo)> default_rect;
  unsigned threads = 0;  // 0: the machine's cores
  uint64_t memory_budget = uint64_t{256} << 20;
  // Polled between frames and strips; a request raises Cancelled once
  // every worker stopped. No working file is written after the request.
  const CancelToken* cancel = nullptr;
};

// Called on the thread that runs the pipeline, never on a worker.
struct MergeProgress {
  std::function<void(int slot)> frame_done;  // once per frame, as each is sliced
  std::function<void()> strip_done;          // the interleave's step
};

// Threads for slicing: the machine's cores, at least 1.
unsigned MachineThreads();

// Every frame's slice, in frame order. Workers take frames in order while
// no frame has failed; at most about `memory_budget` bytes of pixels are
// held at a time (a photo larger than the budget runs alone). When photos
// fail, the error of the lowest slot is raised once every worker stopped.
std::vector<Raster> PrepareSlices(const MergeRequest& request,
                                  const std::function<void(int slot)>& frame_done = {});

// The request for a merge of `geometry` in `mode` with `sampling`. Frames,
// opener and the rest are left to the caller.
MergeRequest RequestForLens(const LensGeometry& geometry, Mode mode, Sampling sampling);

// PrepareSlices, then the interleave of the geometry's strip plan into the merged picture.
Raster RunMergePipeline(const MergeRequest& request, const MergeProgress& progress = {});

}  // namespace lenti
