#include "interlace/slot_job.h"

#include "interlace/frame.h"

namespace lenti {

Rect SlotCropInSource(const SlotState& photos, int slot) {
  const size_t i = static_cast<size_t>(slot - 1);
  return photos.CropSources[i] ? *photos.CropSources[i] : MapCropToSource(photos.CropRects[i], photos.CropScales[i]);
}

bool SlotInUse(const SlotState& photos, int slot) { return slot <= 2 || photos.FrameCount >= slot; }

std::vector<JobFrame> SlotFrames(const SlotState& photos) {
  std::vector<JobFrame> frames;
  for (int slot = 1; slot <= kSlotCount; ++slot) {
    const size_t i = static_cast<size_t>(slot - 1);
    if (!SlotInUse(photos, slot) || photos.SlotFiles[i].empty()) continue;
    const SlotSource& source = photos.Sources[i];
    JobFrame frame;
    frame.slot = slot;
    // A slot filled without its source recorded names its working file.
    frame.path = source.path.empty() ? photos.SlotFiles[i] : source.path;
    frame.hash = source.hash;
    frame.pixels = source.pixels;
    frame.crop = SlotCropInSource(photos, slot);
    frame.placement = photos.Placements[i];
    frames.push_back(std::move(frame));
  }
  return frames;
}

namespace {

// A picture made from other frames, Mode or lens is not this job's rendering.
bool RendersJob(const MergedPicture& merged, const Job& job) {
  const Job& made_from = merged.MadeFrom;
  return merged.MergedBitmap && made_from.merged && made_from.frames == job.frames && made_from.mode == job.mode &&
         made_from.lens == job.lens;
}

}  // namespace

bool MergedPictureOutOfDate(const MakerState& state) {
  // A picture whose job is not known (none recorded) cannot be compared.
  if (!state.merged.MergedBitmap || !state.merged.MadeFrom.merged) return false;
  Job current;
  current.frames = SlotFrames(state.photos);
  current.mode = state.mode;
  current.lens = state.lens;
  return !RendersJob(state.merged, current);
}

Job JobOfState(const MakerState& state) {
  const Mode mode = state.mode;
  Job job;
  job.frames = SlotFrames(state.photos);
  job.mode = mode;
  job.lens = state.lens;
  const Job& made_from = state.merged.MadeFrom;
  if (RendersJob(state.merged, job)) {
    job.merged = true;
    job.finishing = made_from.finishing;
  }
  const OverlayState& overlay = state.overlay;
  if (!overlay.OverlayText.empty()) {
    job.pending_text = JobText{overlay.OverlayText, overlay.OverlayFont ? *overlay.OverlayFont : Font{},
                               Point{overlay.TextX, overlay.TextY}};
  }
  job.output = state.output;
  job.printer.dpi = state.printer.PrinterDpi;
  return job;
}

MergeRequest RequestForJob(const Job& job, const LensGeometry& geometry,
                           const std::function<std::string(const JobFrame&)>& file_of) {
  MergeRequest request = RequestForLens(geometry, job.mode, job.lens.sampling);
  for (const JobFrame& frame : job.frames) {
    request.frames.push_back(PipelineFrame{frame.slot, file_of(frame), frame.crop, "", frame.placement});
  }
  return request;
}

}  // namespace lenti
