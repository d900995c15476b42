#include "align/slot_alignment.h"

#include <atomic>
#include <utility>

#include "align/align_job.h"
#include "core/error.h"
#include "interlace/frame.h"
#include "interlace/slot_job.h"

namespace lenti {

namespace {

// A slot's working file whole (the merge reads the same file).
AlignImage SlotImage(const std::string& file) {
  const std::unique_ptr<PhotoSource> source = OpenBmpPhotoSource(file);
  const Size size = source->PixelSize();
  return AlignImage(source->ReadRegion(Rect{0, 0, size.width, size.height}));
}

// What the work needs from the state, copied when it starts.
struct AlignPlan {
  AlignSettings settings;
  std::vector<int> slots;  // the reference first
  std::vector<std::string> files;
  std::vector<Rect> crops;
  AlignPoint reference_centre;  // the reference crop's centre, as it is placed
};

AlignPlan PlanFor(const SlotState& photos, const AlignSettings& settings,
                  std::optional<int> only_slot) {
  const int reference = settings.reference_slot;
  if (photos.SlotFiles[static_cast<size_t>(reference - 1)].empty()) {
    throw Error(Format("Slot %d, the reference, holds no photo to align the others to", reference));
  }
  AlignPlan plan;
  plan.settings = settings;
  for (int slot = 1; slot <= kSlotCount; ++slot) {
    const std::string& file = photos.SlotFiles[static_cast<size_t>(slot - 1)];
    const bool wanted = slot == reference || (!only_slot || slot == *only_slot);
    if (!wanted || !SlotInUse(photos, slot) || file.empty()) continue;
    const auto at = slot == reference ? plan.slots.begin() : plan.slots.end();
    const auto index = at - plan.slots.begin();
    plan.slots.insert(at, slot);
    plan.files.insert(plan.files.begin() + index, file);
    plan.crops.insert(plan.crops.begin() + index, SlotCropInSource(photos, slot));
  }
  // The others follow the reference where it was moved itself (a nudge);
  // its own turn, should an earlier alignment have given it one, is not followed.
  const FramePlacement& moved = photos.Placements[static_cast<size_t>(reference - 1)];
  plan.reference_centre = CentreOf(plan.crops.front());
  plan.reference_centre.x += moved.shift_x;
  plan.reference_centre.y += moved.shift_y;
  return plan;
}

class AlignSlotsWork : public LongWork {
 public:
  AlignSlotsWork(MakerState& state, AlignPlan plan, AlignReport report)
      : state_(state), plan_(std::move(plan)), report_(std::move(report)) {}

  void Run(ProgressSink& progress, const CancelToken& cancel) override {
    progress.SetProgressRange(0, static_cast<int>(plan_.slots.size()));
    std::atomic<int> loaded{0};
    const AlignPhotoLoader load = [&](size_t i) {
      cancel.ThrowIfRequested();
      AlignImage image = SlotImage(plan_.files[i]);
      progress.SetProgress(++loaded);
      return image;
    };
    outcomes_ = AlignPhotos(plan_.slots, load, plan_.crops.front(), plan_.settings);
    cancel.ThrowIfRequested();
  }

  void Finish(ProgressSink&) override {
    SlotState& photos = state_.photos;
    std::vector<std::string> problems;
    for (size_t i = 0; i < outcomes_.size(); ++i) {
      const FrameOutcome& outcome = outcomes_[i];
      if (outcome.slot == plan_.settings.reference_slot) continue;
      if (!outcome.alignment) {
        problems.push_back(outcome.problem);
        continue;
      }
      photos.Placements[static_cast<size_t>(outcome.slot - 1)] =
          PlacementFor(*outcome.alignment, plan_.reference_centre, plan_.crops[i]);
    }
    // A click on the subject made its slot the one the others follow.
    photos.Onion.reference_slot = plan_.settings.reference_slot;
    if (report_) report_(problems);
  }

 private:
  MakerState& state_;
  AlignPlan plan_;
  AlignReport report_;
  std::vector<FrameOutcome> outcomes_;
};

}  // namespace

std::unique_ptr<LongWork> StartAlignSlots(MakerState& state, AlignModel model, AlignReport report,
                                          std::optional<int> only_slot) {
  AlignSettings settings;
  settings.model = model;
  settings.reference_slot = state.photos.Onion.reference_slot;
  return std::make_unique<AlignSlotsWork>(state, PlanFor(state.photos, settings, only_slot),
                                          std::move(report));
}

std::unique_ptr<LongWork> StartAlignSlotsOnSubject(MakerState& state, int x, int y,
                                                   AlignReport report) {
  const int current = state.photos.CurrentSlot + 1;
  if (state.photos.SlotFiles[static_cast<size_t>(current - 1)].empty()) {
    throw Error(Format("Slot %d holds no photo to pick the subject in", current));
  }
  AlignSettings settings;
  settings.reference_slot = current;
  settings.subject = PhotoPointAtView(state, x, y);
  return std::make_unique<AlignSlotsWork>(state, PlanFor(state.photos, settings, std::nullopt),
                                          std::move(report));
}

std::vector<std::string> AlignSlots(MakerState& state, AlignModel model,
                                    std::optional<int> only_slot) {
  std::vector<std::string> problems;
  RunToEnd(*StartAlignSlots(
      state, model, [&](const std::vector<std::string>& p) { problems = p; }, only_slot));
  return problems;
}

std::vector<std::string> AlignSlotsOnSubject(MakerState& state, int x, int y) {
  std::vector<std::string> problems;
  RunToEnd(*StartAlignSlotsOnSubject(state, x, y,
                                     [&](const std::vector<std::string>& p) { problems = p; }));
  return problems;
}

AlignPoint PhotoPointAtView(const MakerState& state, int x, int y) {
  const size_t i = state.photos.CurrentSlot;
  const CropRecord& record = state.photos.CropRects[i];
  const double scale = static_cast<double>(state.photos.CropScales[i]) / 10000;
  // The middle of the view pixel, as the crop frame maps view to source.
  return AlignPoint{(x + 0.5 - record.OffsetX) * scale, (y + 0.5 - record.OffsetY) * scale};
}

}  // namespace lenti
