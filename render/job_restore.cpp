#include "render/job_restore.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "core/content_hash.h"
#include "core/error.h"
#include "core/numerics.h"
#include "finishing/text_overlay.h"
#include "intake/crop_frame.h"
#include "intake/import_work.h"
#include "intake/slot_order.h"

namespace lenti {

namespace {

// The question for a photo that is not as the job saved it; empty when it is.
std::string PhotoProblem(const JobFrame& frame) {
  std::error_code error;
  const std::string name = FileNameOf(frame.path);
  if (!std::filesystem::is_regular_file(frame.path, error)) {
    return Format("Photo %d, \"%s\", is missing:\n%s\n\nLocate it?", frame.slot, name.c_str(), frame.path.c_str());
  }
  if (!frame.hash.empty() && FileContentHash(frame.path) != frame.hash) {
    return Format("Photo %d, \"%s\", has changed since the project was saved:\n%s\n\nLocate the photo it was?",
                  frame.slot, name.c_str(), frame.path.c_str());
  }
  return "";
}

// The view coordinate that maps back to source coordinate `s`:
// Round(s x 10000 / scale) + offset (the crop frame maps the other way).
int32_t ViewCoordinate(int32_t s, int32_t offset, int64_t scale) {
  return static_cast<int32_t>(Round(static_cast<Extended>(int64_t{s} * 10000) / static_cast<Extended>(scale))) + offset;
}

// The slot's crop record for a crop given in source pixels, in the view
// box as the crop frame fits the photo there.
void SetSourceCrop(MakerState& state, const MainView& view, int slot, const Rect& crop, Size pixels) {
  const size_t i = static_cast<size_t>(slot - 1);
  state.photos.CropSources[i] = crop;
  if (pixels.width <= 0 || pixels.height <= 0) return;
  const Fit fit = ComputeFit(pixels, ViewBox(view));
  if (fit.scale <= 0) return;
  CropRecord& record = state.photos.CropRects[i];
  record = CropRecord{ViewCoordinate(crop.left, fit.offset_x, fit.scale),
                      ViewCoordinate(crop.top, fit.offset_y, fit.scale),
                      ViewCoordinate(crop.right, fit.offset_x, fit.scale),
                      ViewCoordinate(crop.bottom, fit.offset_y, fit.scale),
                      fit.offset_x,
                      fit.offset_y,
                      true};
  state.photos.CropScales[i] = fit.scale;
}

}  // namespace

void ApplyJobText(MakerState& state, MainView& view, const Job& job, const std::shared_ptr<Font>& dialog_font) {
  OverlayState& overlay = state.overlay;
  if (!job.pending_text) {
    overlay.OverlayText.clear();
    return;
  }
  const JobText& text = *job.pending_text;
  *dialog_font = text.font;
  overlay.OverlayFont = dialog_font;
  overlay.OverlayText = text.text;
  overlay.TextX = text.at.x;
  overlay.TextY = text.at.y;
  overlay.ApplyEnabled = false;
  overlay.EditText = text.text;
  view.SetOverlayEditText(text.text);
}

namespace {

// Imports the photos that are not in the window, then moves and sets the rest.
class RestoreWork : public LongWork {
 public:
  RestoreWork(MakerState& state, MainView& view, Job job, RestorePlan plan, std::unique_ptr<LongWork> imports,
              std::string work_dir, std::shared_ptr<Font> dialog_font, bool photo_shown)
      : state_(state),
        view_(view),
        job_(std::move(job)),
        plan_(std::move(plan)),
        imports_(std::move(imports)),
        work_dir_(std::move(work_dir)),
        dialog_font_(std::move(dialog_font)),
        photo_shown_(photo_shown) {}

  void Run(ProgressSink& progress, const CancelToken& cancel) override {
    if (imports_) imports_->Run(progress, cancel);
  }

  void Finish(ProgressSink& bar) override {
    // The moves first: an import may fill a slot a moved photo left.
    if (plan_.moves_anything) MoveSlotPhotos(state_, view_, work_dir_, plan_.moves);
    if (imports_) imports_->Finish(bar);
    ApplyJobSettings(state_, view_, job_, dialog_font_, photo_shown_ || imports_ != nullptr);
  }

 private:
  MakerState& state_;
  MainView& view_;
  Job job_;
  RestorePlan plan_;
  std::unique_ptr<LongWork> imports_;
  std::string work_dir_;
  std::shared_ptr<Font> dialog_font_;
  bool photo_shown_;
};

}  // namespace

std::optional<Job> LocateJobPhotos(Job job, Dialogs& dialogs) {
  for (JobFrame& frame : job.frames) {
    for (std::string question = PhotoProblem(frame); !question.empty(); question = PhotoProblem(frame)) {
      if (!dialogs.AskYesNo(question)) return std::nullopt;
      const std::vector<std::string> chosen = dialogs.AskOpenPictures();
      if (chosen.empty()) return std::nullopt;
      frame.path = chosen.front();
      // The photo located is taken as it is now.
      frame.hash.clear();
    }
  }
  return job;
}

RestorePlan PlanRestore(const SlotState& photos, const Job& job) {
  RestorePlan plan;
  std::array<bool, kSlotCount> taken{};
  for (int i = 0; i < kSlotCount; ++i) plan.moves[i] = std::nullopt;
  const auto holds = [&](int i, const JobFrame& frame) {
    const SlotSource& source = photos.Sources[i];
    return !taken[i] && !photos.SlotFiles[i].empty() && source.path == frame.path &&
           (frame.hash.empty() || source.hash == frame.hash);
  };
  for (const JobFrame& frame : job.frames) {
    const int target = frame.slot - 1;
    // The photo where it already is, else in any other slot, else imported.
    int from = holds(target, frame) ? target : -1;
    for (int i = 0; i < kSlotCount && from < 0; ++i) {
      if (holds(i, frame)) from = i;
    }
    if (from < 0) {
      plan.imports.emplace_back(frame.slot, frame.path);
      continue;
    }
    taken[from] = true;
    plan.moves[from] = target;
  }
  for (int i = 0; i < kSlotCount; ++i) {
    const bool filled = !photos.SlotFiles[i].empty();
    if (!filled && !plan.moves[i]) plan.moves[i] = i;  // nothing there to move
    if (plan.moves[i] != std::optional<int>(i)) plan.moves_anything = true;
  }
  return plan;
}

void ApplyJobSettings(MakerState& state, MainView& view, const Job& job, const std::shared_ptr<Font>& dialog_font,
                      bool photo_shown) {
  state.lens = job.lens;
  state.mode = job.mode;
  view.SetMode(job.mode);
  int highest = 2;
  for (const JobFrame& frame : job.frames) {
    highest = std::max(highest, frame.slot);
    const Size pixels = frame.pixels.width > 0 ? frame.pixels : state.photos.Sources[frame.slot - 1].pixels;
    if (frame.crop) SetSourceCrop(state, view, frame.slot, *frame.crop, pixels);
    state.photos.Placements[frame.slot - 1] = frame.placement;
  }
  state.photos.FrameCount = highest;
  ApplyJobText(state, view, job, dialog_font);
  state.output = job.output;
  state.printer.PrinterDpi = job.printer.dpi;
  const size_t current = state.photos.CurrentSlot;
  if (photo_shown && !state.photos.SlotFiles[current].empty() && state.photos.CropRects[current].Saved) {
    FitAndFrame(state, view, state.photos.Sources[current].pixels);
  }
}

std::unique_ptr<LongWork> StartRestoreJob(MakerState& state, Dialogs& dialogs, MainView& view,
                                          const std::string& work_dir, const Job& job,
                                          const std::shared_ptr<Font>& dialog_font, bool photo_shown) {
  RestorePlan plan = PlanRestore(state.photos, job);
  std::unique_ptr<LongWork> imports = StartImportIntoSlots(state, dialogs, view, work_dir, plan.imports);
  if (!imports) {
    // Nothing to read: done at once (an undo of a crop, a swap, a setting).
    if (plan.moves_anything) MoveSlotPhotos(state, view, work_dir, plan.moves);
    ApplyJobSettings(state, view, job, dialog_font, photo_shown);
    return nullptr;
  }
  return std::make_unique<RestoreWork>(state, view, job, std::move(plan), std::move(imports), work_dir,
                                       dialog_font, photo_shown);
}

bool PictureRendersJob(const MakerState& state, const Job& job) {
  const Job& made = state.merged.MadeFrom;
  return state.merged.MergedBitmap && made.merged && job.merged && made.frames == job.frames &&
         made.mode == job.mode && made.lens == job.lens && made.finishing == job.finishing;
}

}  // namespace lenti
