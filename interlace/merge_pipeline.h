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
#include "core/maker_state.h"
#include "core/raster.h"
#include "interlace/geometry.h"

namespace lenti {

// A photo that can deliver parts of itself.
class PhotoSource {
 public:
  virtual ~PhotoSource() = default;
  virtual Size PixelSize() const = 0;
  // The pixels of `region` clipped to the photo, exactly as a full decode
  // has them there; an empty Raster when nothing of it lies inside.
  virtual Raster ReadRegion(const Rect& region) = 0;
  // Bytes of memory held while `region` is delivered (an upper bound: the
  // source's own buffers and the region's pixels).
  virtual uint64_t PeakBytes(const Rect& region) const = 0;
};

// Opens the photo at `path` (raises the reader's error for a bad file).
using PhotoOpener = std::function<std::unique_ptr<PhotoSource>(const std::string& path)>;

// A BMP file read by rows: only the rows (and columns) a region covers.
// The window's working files are BMP files by content, whatever their name.
std::unique_ptr<PhotoSource> OpenBmpPhotoSource(const std::string& path);

// Cuts `crop` (source pixels) out of the photo, pixels outside it white, and
// draws it scaled onto a 24-bit slice: the pixels MakeSlice gives for the
// fully decoded photo. "The crop rectangle of photo 3 is empty" before
// anything is read for an empty or inverted rectangle.
Raster SliceFromSource(PhotoSource& source, const Rect& crop, Size slice, int slot);

struct PipelineFrame {
  int slot = 1;                     // 1..16, named in error texts
  std::string path;                 // the photo
  std::optional<Rect> source_rect;  // the crop in source pixels; absent: default_rect
  std::string work_file;            // written with the slice when not empty
};

struct MergeRequest {
  std::vector<PipelineFrame> frames;  // the frame count is their number
  OutputGeometry geometry;
  Size slice;
  Mode mode = Mode::PortraitRows;
  PhotoOpener open = OpenBmpPhotoSource;
  // The crop of a frame without one, from the photo's pixel size.
  std::function<Rect(Size photo)> default_rect;
  unsigned threads = 0;  // 0: the machine's cores
  uint64_t memory_budget = uint64_t{256} << 20;
};

// Called on the thread that runs the pipeline, never on a worker.
struct MergeProgress {
  std::function<void(int slot)> frame_done;  // once per frame, as each is sliced
  std::function<void()> strip_done;          // InterleaveSlices' step
};

// Threads for slicing: the machine's cores, at least 1.
unsigned MachineThreads();

// Every frame's slice, in frame order. Workers take frames in order while
// no frame has failed; at most about `memory_budget` bytes of pixels are
// held at a time (a photo larger than the budget runs alone). When photos
// fail, the error of the lowest slot is raised once every worker stopped.
std::vector<Raster> PrepareSlices(const MergeRequest& request,
                                  const std::function<void(int slot)>& frame_done = {});

// PrepareSlices, then InterleaveSlices into the merged picture.
Raster RunMergePipeline(const MergeRequest& request, const MergeProgress& progress = {});

}  // namespace lenti
