// "&Merge": the slot check, the geometry, every frame prepared, the strips
// interleaved into a new picture that replaces the previous one only when
// all of it has succeeded.
#include <algorithm>
#include <utility>

#include "core/error.h"
#include "core/work_dir.h"
#include "interlace/interleave.h"
#include "interlace/merge.h"
#include "interlace/merge_pipeline.h"

namespace lenti {

namespace {

constexpr int kProgressMaximum = 200;
constexpr int kProgressStep = 10;

// The progress bar: +10 per step from wherever it stands, never past 200.
void StepProgress(ProgressSink& progress) {
  progress.SetProgress(std::min(kProgressMaximum, progress.Progress() + kProgressStep));
}

// Slots 1 and 2 always take part; slot k >= 3 when FrameCount >= k.
bool SlotInUse(const MakerState& state, int slot) { return slot <= 2 || state.photos.FrameCount >= slot; }

// Every frame sliced on the worker threads, each reading only the rows of
// its crop and writing its working file, then the strips interleaved; the
// progress steps on this thread; nothing in `state` is written.
MergeResult BuildMerge(const MakerState& state, ProgressSink& progress, const std::string& work_dir,
                       Mode mode) {
  MergeResult result;
  result.frame_count = state.photos.FrameCount;
  result.lens_lpi_x = state.lens.LensLpiX;
  result.mode = mode;
  result.geometry = ComputeOutputGeometry(state.photos.FrameCount, state.lens.LensLpiX, mode);
  result.slice = SliceSize(result.geometry.OutputWidth, result.geometry.OutputHeight,
                           state.photos.FrameCount, mode);

  MergeRequest request;
  request.geometry = result.geometry;
  request.slice = result.slice;
  request.mode = mode;
  for (int slot = 1; slot <= kSlotCount; ++slot) {
    if (!SlotInUse(state, slot)) continue;
    request.frames.push_back(PipelineFrame{
        slot, state.photos.SlotFiles[slot - 1],
        MapCropToSource(state.photos.CropRects[slot - 1], state.photos.CropScales[slot - 1]),
        FrameWorkFile(work_dir, slot)});
  }
  // One step per slot, all sixteen: the frames as they finish, then the
  // slots not in use.
  size_t reported = 0;
  MergeProgress steps;
  steps.frame_done = [&](int) {
    StepProgress(progress);
    if (++reported == request.frames.size()) {
      for (size_t rest = reported; rest < static_cast<size_t>(kSlotCount); ++rest) StepProgress(progress);
    }
  };
  steps.strip_done = [&progress] { StepProgress(progress); };
  result.merged = RunMergePipeline(request, steps);
  return result;
}

}  // namespace

std::string CheckSlots(const MakerState& state) {
  for (int slot = 1; slot <= kSlotCount; ++slot) {
    if (SlotInUse(state, slot) && state.photos.SlotFiles[slot - 1].empty()) {
      return Format("Photo%d not select!", slot);
    }
  }
  return "";
}

void AdoptMergeResult(MakerState& state, MergeResult&& result) {
  const OutputGeometry& g = result.geometry;
  MergedPicture& merged = state.merged;
  merged.Geometry = MergeGeometry{result.frame_count, result.lens_lpi_x, g.StripWidth,
                                  g.OutputDpiX,       g.OutputWidth,      g.OutputHeight,
                                  result.mode};
  merged.AlignBandWidth = 0;
  merged.AlignBandHeight = 0;
  merged.AlignBarsTicked = false;
  merged.MergedBitmap = std::move(result.merged);
}

MergeOutcome Merge(MakerState& state, Dialogs& dialogs, MainView& view, ProgressSink& progress,
                   const std::string& work_dir) {
  const std::string missing = CheckSlots(state);
  if (!missing.empty()) {
    dialogs.ShowMessage(missing);
    return MergeOutcome{};
  }
  view.SetCropVisible(false);
  const Mode mode = view.CurrentMode();
  MergeOutcome outcome;
  outcome.align_bar_was_checked = state.merged.AlignBarsTicked;
  {
    BusyCursor busy(view);
    progress.SetProgressRange(0, kProgressMaximum);
    MergeResult result = BuildMerge(state, progress, work_dir, mode);
    Raster preview = MergePreview(result.merged);
    AdoptMergeResult(state, std::move(result));
    view.SetViewPicture(Picture(std::move(preview)));
  }
  dialogs.ShowMessage("Merged!");
  outcome.merged = true;
  progress.SetProgress(0);
  return outcome;
}

}  // namespace lenti
