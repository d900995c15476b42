// Test helpers around the merge's frame preparation: a photo held in memory
// as a source, the slice of a decoded photo, and one slot's frame prepared
// through the pipeline exactly as the window's merge prepares it.
#pragma once

#include <memory>
#include <string>
#include <utility>

#include "core/maker_state.h"
#include "interlace/frame.h"
#include "interlace/merge_pipeline.h"

namespace lenti::testing {

// A decoded photo as a source: the same pixels a file source of it gives.
class RasterPhotoSource : public PhotoSource {
 public:
  explicit RasterPhotoSource(const Raster& photo) : photo_(photo) {}
  Size PixelSize() const override { return Size{photo_.Width(), photo_.Height()}; }
  Raster ReadRegion(const Rect& region) override {
    const Rect inside = region.Intersected(photo_.ClipRect());
    if (inside.IsEmpty()) return Raster();
    Raster part(inside.Width(), inside.Height(), photo_.Format());
    if (photo_.Format() == PixelFormat::pf8bit) part.SetPalette(photo_.Palette());
    part.CopyRect(part.ClipRect(), photo_, inside);
    return part;
  }
  uint64_t PeakBytes(const Rect&) const override { return 0; }

 private:
  const Raster& photo_;
};

// The slice of `source_rect` cut from the decoded `photo` (slot 0: no photo
// named in the errors).
inline Raster MakeSlice(const Raster& photo, const Rect& source_rect, Size slice, int slot = 0) {
  RasterPhotoSource source(photo);
  return SliceFromSource(source, source_rect, slice, slot);
}

// Slot index + 1's frame from `slot_file`, framed by the state's crop record
// and scale, for `geometry`, written as `work_file`.
inline Raster PrepareFrame(const MakerState& state, const OutputGeometry& geometry, Mode mode,
                           const std::string& slot_file, const std::string& work_file, int index) {
  MergeRequest request;
  request.geometry = WholeStripGeometry(geometry, state.photos.FrameCount, mode);
  request.mode = mode;
  request.frames.push_back(PipelineFrame{
      index + 1, slot_file,
      MapCropToSource(state.photos.CropRects.at(index), state.photos.CropScales.at(index)), work_file, {}});
  return std::move(PrepareSlices(request).front());
}

}  // namespace lenti::testing
