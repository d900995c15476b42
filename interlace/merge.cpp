// "&Merge": the slot check, the geometry, every frame prepared, the strips
// interleaved into a new picture that replaces the previous one only when
// all of it has succeeded.
#include <algorithm>
#include <utility>

#include "core/error.h"
#include "core/work_dir.h"
#include "interlace/interleave.h"
#include "interlace/lens_input.h"
#include "interlace/merge.h"
#include "interlace/merge_pipeline.h"
#include "interlace/native_geometry.h"
#include "interlace/slot_job.h"

namespace lenti {

namespace {

constexpr int kProgressMaximum = 200;
constexpr int kProgressStep = 10;

// The progress bar: +10 per step from wherever it stands, never past 200.
void StepProgress(ProgressSink& progress) {
  progress.SetProgress(std::min(kProgressMaximum, progress.Progress() + kProgressStep));
}

// The request of a merge, copied from the state on the window's thread so
// that the work reads nothing a command may change: the window's job, each
// frame read from its slot's working file and written as its slice's.
MergeRequest BuildRequest(const MakerState& state, const Job& job, const LensGeometry& geometry,
                          const std::string& work_dir) {
  MergeRequest request = RequestForJob(job, geometry, [&state](const JobFrame& frame) {
    return state.photos.SlotFiles[static_cast<size_t>(frame.slot - 1)];
  });
  for (PipelineFrame& frame : request.frames) frame.work_file = FrameWorkFile(work_dir, frame.slot);
  return request;
}

// The job a merge renders: the window's frames, Mode and lens, nothing applied yet.
Job MergedJob(const MakerState& state) {
  Job job = JobOfState(state);
  job.merged = true;
  job.finishing.clear();
  job.pending_text.reset();
  job.output = JobOutput{};
  job.printer = PrinterProfile{};
  return job;
}

// Every frame sliced on the worker threads, each reading only the rows of
// its crop and writing its working file, then the strips interleaved.
Raster RunRequest(const MergeRequest& request, ProgressSink& progress) {
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
  return RunMergePipeline(request, steps);
}

class MergeJob : public MergeWork {
 public:
  MergeJob(MakerState& state, Dialogs& dialogs, MainView& view, const LensGeometry& geometry,
           const std::string& work_dir, bool announce, bool crop_was_visible)
      : state_(state),
        dialogs_(dialogs),
        view_(view),
        announce_(announce),
        crop_was_visible_(crop_was_visible) {
    outcome_.align_bar_was_checked = state.merged.AlignBarsTicked;
    Job job = MergedJob(state);
    result_ = ResultFor(job, state.photos.FrameCount, geometry);
    result_.source = std::move(job);
    request_ = BuildRequest(state, result_.source, geometry, work_dir);
  }

  const MergeOutcome& Outcome() const override { return outcome_; }

  void Run(ProgressSink& progress, const CancelToken& cancel) override {
    request_.cancel = &cancel;
    progress.SetProgressRange(0, kProgressMaximum);
    result_.merged = RunRequest(request_, progress);
    cancel.ThrowIfRequested();
    preview_ = MergePreview(result_.merged);
  }

  void Finish(ProgressSink& bar) override {
    AdoptMergeResult(state_, std::move(result_));
    view_.SetViewPicture(Picture(std::move(preview_)));
    if (announce_) dialogs_.ShowMessage("Merged!");
    outcome_.merged = true;
    bar.SetProgress(0);
  }

  // The rectangle was hidden when the merge started; a failed merge keeps
  // it hidden, a cancelled one shows it again.
  void Cancelled() override {
    state_.photos.CropVisible = crop_was_visible_;
    view_.SetCropVisible(crop_was_visible_);
  }

 private:
  MakerState& state_;
  Dialogs& dialogs_;
  MainView& view_;
  const bool announce_;
  const bool crop_was_visible_;
  MergeRequest request_;
  MergeResult result_;
  Raster preview_;
  MergeOutcome outcome_;
};

}  // namespace

namespace {

int FirstMissingSlot(const SlotState& photos) {
  for (int slot = 1; slot <= kSlotCount; ++slot) {
    if (SlotInUse(photos, slot) && photos.SlotFiles[slot - 1].empty()) return slot;
  }
  return 0;
}

int FilledSlots(const SlotState& photos) {
  int filled = 0;
  for (const std::string& file : photos.SlotFiles) filled += file.empty() ? 0 : 1;
  return filled;
}

}  // namespace

std::string CheckSlots(const MakerState& state) {
  const int slot = FirstMissingSlot(state.photos);
  return slot == 0 ? "" : Format("Photo%d not select!", slot);
}

std::string MissingSlotMessage(const MakerState& state) {
  const int slot = FirstMissingSlot(state.photos);
  if (slot == 0) return "";
  const std::string first = Format("Photo%d not select!\n", slot);
  if (FilledSlots(state.photos) < 2) {
    return first + Format("Slot %d is empty, and a merge needs at least two photos: import one into slot %d "
                          "with its button, or drop one on it.", slot, slot);
  }
  return first + Format("Slot %d is empty, but the merge takes every slot from 1 to %d: import a photo into "
                        "slot %d with its button, or drag a photo there from a later slot.",
                        slot, state.photos.FrameCount, slot);
}

std::string OutOfDateQuestion(const std::string& delivery) {
  return "The merged picture is out of date: the photos or settings changed after the merge. Merge again before " +
         delivery + "?";
}

bool ConfirmFrameFit(const MakerState& state, Dialogs& dialogs) {
  const LensReadout readout = DescribeLens(state.lens, state.photos.FrameCount, state.mode);
  // Settings a merge refuses are named by the merge itself.
  if (readout.lens.empty() || readout.warning.empty()) return true;
  return dialogs.AskYesNo(readout.warning + ". Merge all the same?");
}

MergeResult ResultFor(const Job& job, int32_t frame_count, const LensGeometry& geometry) {
  MergeResult result;
  result.frame_count = frame_count;
  result.lens_lpi_x = job.lens.LensLpiX;
  result.mode = job.mode;
  result.geometry = geometry.output;
  result.slice = geometry.slice;
  result.layout = geometry.layout;
  result.phase_x10000 = job.lens.PhaseX10000;
  return result;
}

void AdoptMergeResult(MakerState& state, MergeResult&& result) {
  const OutputGeometry& g = result.geometry;
  MergedPicture& merged = state.merged;
  merged.Geometry = MergeGeometry{result.frame_count, result.lens_lpi_x, g.StripWidth,
                                  g.OutputDpiX,       g.OutputWidth,      g.OutputHeight,
                                  result.mode,        result.layout,      result.phase_x10000};
  merged.AlignBandWidth = 0;
  merged.AlignBandHeight = 0;
  merged.AlignBarsTicked = false;
  merged.Delivered = false;
  merged.MadeFrom = std::move(result.source);
  merged.MergedBitmap = std::move(result.merged);
}

std::unique_ptr<MergeWork> StartMerge(MakerState& state, Dialogs& dialogs, MainView& view,
                                      const std::string& work_dir, bool announce) {
  const std::string missing = MissingSlotMessage(state);
  if (!missing.empty()) {
    dialogs.ShowMessage(missing);
    return nullptr;
  }
  // Bad settings are refused before anything changes, the rectangle included.
  const LensGeometry geometry = ComputeLensGeometry(state.photos.FrameCount, state.lens, state.mode);
  const bool crop_was_visible = state.photos.CropVisible;
  state.photos.CropVisible = false;
  view.SetCropVisible(false);
  return std::make_unique<MergeJob>(state, dialogs, view, geometry, work_dir, announce,
                                    crop_was_visible);
}

}  // namespace lenti
