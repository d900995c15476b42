// "&Merge": the slot check, the geometry, every frame prepared, the strips
// interleaved into a new picture that replaces the previous one only when
// all of it has succeeded.
#include <algorithm>
#include <utility>

#include "core/error.h"
#include "core/work_dir.h"
#include "interlace/merge.h"
#include "interlace/merge_pipeline.h"

namespace lenti {

namespace {

constexpr int kProgressMaximum = 200;
constexpr int kProgressStep = 10;

// ProgressBar1: +10 per step from wherever it stands, never past 200.
void StepProgress(Frontend& frontend) {
  frontend.SetProgress(std::min(kProgressMaximum, frontend.Progress() + kProgressStep));
}

// Slots 1 and 2 always take part; slot k >= 3 when FrameCount >= k.
bool SlotInUse(const MakerState& state, int slot) { return slot <= 2 || state.FrameCount >= slot; }

// Every frame sliced on the worker threads, each reading only the rows of
// its crop and writing its working file, then the strips interleaved; the
// progress steps on this thread; nothing in `state` is written.
MergeResult BuildMerge(const MakerState& state, Frontend& frontend, const std::string& work_dir,
                       Mode mode) {
  MergeResult result;
  result.frame_count = state.FrameCount;
  result.lens_lpi_x = state.LensLpiX;
  result.mode = mode;
  result.geometry = ComputeOutputGeometry(state.FrameCount, state.LensLpiX, mode);
  result.slice = SliceSize(result.geometry.OutputWidth, result.geometry.OutputHeight,
                           state.FrameCount, mode);

  MergeRequest request;
  request.geometry = result.geometry;
  request.slice = result.slice;
  request.mode = mode;
  for (int slot = 1; slot <= kSlotCount; ++slot) {
    if (!SlotInUse(state, slot)) continue;
    request.frames.push_back(PipelineFrame{
        slot, state.SlotFiles[slot - 1],
        MapCropToSource(state.CropRects[slot - 1], state.CropScales[slot - 1]),
        FrameWorkFile(work_dir, slot)});
  }
  // One step per slot, all sixteen: the frames as they finish, then the
  // slots not in use.
  size_t reported = 0;
  const std::vector<Raster> slices = PrepareSlices(request, [&](int) {
    StepProgress(frontend);
    if (++reported == request.frames.size()) {
      for (size_t rest = reported; rest < static_cast<size_t>(kSlotCount); ++rest) StepProgress(frontend);
    }
  });

  std::vector<const Raster*> frames;
  for (const Raster& slice : slices) frames.push_back(&slice);
  result.merged = InterleaveSlices(frames, result.geometry, state.FrameCount, mode,
                                   [&frontend] { StepProgress(frontend); });
  return result;
}

void EnableOutputCommands(Frontend& frontend) {
  for (Control control : {Control::Button5, Control::Button4, Control::Button14, Control::CheckBox1}) {
    frontend.SetEnabled(control, true);
  }
}

}  // namespace

std::string CheckSlots(const MakerState& state) {
  for (int slot = 1; slot <= kSlotCount; ++slot) {
    if (SlotInUse(state, slot) && state.SlotFiles[slot - 1].empty()) {
      return Format("Photo%d not select!", slot);
    }
  }
  return "";
}

void AdoptMergeResult(MakerState& state, MergeResult&& result) {
  const OutputGeometry& g = result.geometry;
  state.StripWidth = g.StripWidth;
  state.OutputDpiX = g.OutputDpiX;
  state.OutputWidth = g.OutputWidth;
  state.OutputHeight = g.OutputHeight;
  state.SliceWidth = result.slice.width;
  state.SliceHeight = result.slice.height;
  state.MergedGeometry = MergeGeometry{result.frame_count, result.lens_lpi_x, g.StripWidth,
                                       g.OutputDpiX,       g.OutputWidth,      g.OutputHeight,
                                       result.mode};
  state.AlignBandWidth = 0;
  state.AlignBandHeight = 0;
  state.MergedBitmap = std::move(result.merged);
}

MergeOutcome Merge(MakerState& state, Frontend& frontend, const std::string& work_dir) {
  const std::string missing = CheckSlots(state);
  if (!missing.empty()) {
    frontend.ShowMessage(missing);
    return MergeOutcome{};
  }
  frontend.SetCropVisible(false);
  const Mode mode = frontend.CurrentMode();
  {
    BusyCursor busy(frontend);
    frontend.SetProgressRange(0, kProgressMaximum);
    MergeResult result = BuildMerge(state, frontend, work_dir, mode);
    Raster preview = MergePreview(result.merged);
    AdoptMergeResult(state, std::move(result));
    frontend.SetViewPicture(Picture(std::move(preview)));
    frontend.SetEnabled(Control::Image1, true);
  }
  frontend.ShowMessage("Merged!");
  EnableOutputCommands(frontend);
  MergeOutcome outcome;
  outcome.merged = true;
  outcome.align_bar_was_checked = frontend.IsAlignBarChecked();
  frontend.SetAlignBarChecked(false);
  frontend.SetProgress(0);
  return outcome;
}

}  // namespace lenti
