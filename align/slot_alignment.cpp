#include "align/slot_alignment.h"

#include <memory>

#include "align/align_job.h"
#include "core/error.h"
#include "interlace/frame.h"
#include "interlace/slot_job.h"

namespace lenti {

namespace {

// The slot's working file, whole (the merge reads the same file).
AlignImage SlotImage(const SlotState& photos, int slot) {
  const std::unique_ptr<PhotoSource> source = OpenBmpPhotoSource(photos.SlotFiles[static_cast<size_t>(slot - 1)]);
  const Size size = source->PixelSize();
  return AlignImage(source->ReadRegion(Rect{0, 0, size.width, size.height}));
}

std::vector<std::string> AlignWith(MakerState& state, const AlignSettings& settings, std::optional<int> only_slot) {
  SlotState& photos = state.photos;
  const int reference = settings.reference_slot;
  if (photos.SlotFiles[static_cast<size_t>(reference - 1)].empty()) {
    throw Error(Format("Slot %d, the reference, holds no photo to align the others to", reference));
  }
  std::vector<int> slots{reference};
  for (int slot = 1; slot <= kSlotCount; ++slot) {
    if (slot == reference || !SlotInUse(photos, slot) || photos.SlotFiles[static_cast<size_t>(slot - 1)].empty()) continue;
    if (only_slot && slot != *only_slot) continue;
    slots.push_back(slot);
  }
  const Rect reference_crop = SlotCropInSource(photos, reference);
  const std::vector<FrameOutcome> outcomes = AlignPhotos(
      slots, [&](size_t i) { return SlotImage(photos, slots[i]); }, reference_crop, settings);
  std::vector<std::string> problems;
  const FramePlacement& reference_placement = photos.Placements[static_cast<size_t>(reference - 1)];
  for (const FrameOutcome& outcome : outcomes) {
    if (outcome.slot == reference) continue;
    if (!outcome.alignment) {
      problems.push_back(outcome.problem);
      continue;
    }
    // The others follow the reference where it was moved itself (a nudge);
    // its own turn, should an earlier alignment have given it one, is not followed.
    AlignPoint centre = CentreOf(reference_crop);
    centre.x += reference_placement.shift_x;
    centre.y += reference_placement.shift_y;
    photos.Placements[static_cast<size_t>(outcome.slot - 1)] =
        PlacementFor(*outcome.alignment, centre, SlotCropInSource(photos, outcome.slot));
  }
  return problems;
}

}  // namespace

std::vector<std::string> AlignSlots(MakerState& state, AlignModel model, std::optional<int> only_slot) {
  AlignSettings settings;
  settings.model = model;
  settings.reference_slot = state.photos.Onion.reference_slot;
  return AlignWith(state, settings, only_slot);
}

AlignPoint PhotoPointAtView(const MakerState& state, int x, int y) {
  const size_t i = state.photos.CurrentSlot;
  const CropRecord& record = state.photos.CropRects[i];
  const double scale = static_cast<double>(state.photos.CropScales[i]) / 10000;
  // The middle of the view pixel, as the crop frame maps view to source.
  return AlignPoint{(x + 0.5 - record.OffsetX) * scale, (y + 0.5 - record.OffsetY) * scale};
}

std::vector<std::string> AlignSlotsOnSubject(MakerState& state, int x, int y) {
  const int current = state.photos.CurrentSlot + 1;
  if (state.photos.SlotFiles[static_cast<size_t>(current - 1)].empty()) {
    throw Error(Format("Slot %d holds no photo to pick the subject in", current));
  }
  AlignSettings settings;
  settings.reference_slot = current;
  settings.subject = PhotoPointAtView(state, x, y);
  state.photos.Onion.reference_slot = current;
  return AlignWith(state, settings, std::nullopt);
}

}  // namespace lenti
