#include "intake/onion_skin.h"

#include <algorithm>
#include <cstdlib>
#include <memory>

#include "interlace/frame.h"
#include "interlace/placed_frame.h"
#include "interlace/slot_job.h"

namespace lenti {

namespace {

bool IsSlot(int slot) { return slot >= 1 && slot <= kSlotCount; }

Raster SliceOfSlot(const std::string& file, const Rect& crop, const FramePlacement& placement,
                   Size size, int slot) {
  const std::unique_ptr<PhotoSource> source = OpenBmpPhotoSource(file);
  return SliceOfPlacedCrop(*source, crop, placement, size, slot, Sampling::Nearest);
}

}  // namespace

void SetOnionView(MakerState& state, OnionView view) { state.photos.Onion.view = view; }

void SetOnionOpacity(MakerState& state, int percent) {
  state.photos.Onion.opacity = std::clamp(percent, 0, 100);
}

void SetReferenceSlot(MakerState& state, int slot) {
  if (IsSlot(slot)) state.photos.Onion.reference_slot = slot;
}

std::optional<OnionInputs> OnionInputsOf(const MakerState& state) {
  const SlotState& photos = state.photos;
  const int current = photos.CurrentSlot + 1;
  const int reference = photos.Onion.reference_slot;
  if (photos.Onion.view == OnionView::Off || !photos.CropVisible || photos.CropBounds.IsEmpty())
    return std::nullopt;
  if (current == reference || !IsSlot(reference)) return std::nullopt;
  const std::string& current_file = photos.SlotFiles[static_cast<size_t>(current - 1)];
  const std::string& reference_file = photos.SlotFiles[static_cast<size_t>(reference - 1)];
  if (current_file.empty() || reference_file.empty()) return std::nullopt;
  return OnionInputs{photos.Onion,
                     current,
                     current_file,
                     reference_file,
                     SlotCropInSource(photos, current),
                     SlotCropInSource(photos, reference),
                     photos.Placements[static_cast<size_t>(current - 1)],
                     photos.Placements[static_cast<size_t>(reference - 1)],
                     photos.CropBounds};
}

Raster OnionOverlay(const OnionInputs& inputs) {
  const Size size{inputs.bounds.Width(), inputs.bounds.Height()};
  Raster out = SliceOfSlot(inputs.current_file, inputs.current_crop, inputs.current_placement, size,
                           inputs.current);
  const Raster reference =
      SliceOfSlot(inputs.reference_file, inputs.reference_crop, inputs.reference_placement, size,
                  inputs.skin.reference_slot);
  const int share = inputs.skin.opacity;
  const size_t bytes = static_cast<size_t>(size.width) * 3;
  for (int y = 0; y < size.height; ++y) {
    uint8_t* mine = out.Row(y);
    const uint8_t* theirs = reference.Row(y);
    for (size_t k = 0; k < bytes; ++k) {
      mine[k] =
          inputs.skin.view == OnionView::Difference
              ? static_cast<uint8_t>(std::abs(mine[k] - theirs[k]))
              : static_cast<uint8_t>((mine[k] * (100 - share) + theirs[k] * share + 50) / 100);
    }
  }
  return out;
}

void NudgeCurrentFrame(MakerState& state, int dx, int dy) {
  FramePlacement& placement = state.photos.Placements[state.photos.CurrentSlot];
  placement.shift_x += dx;
  placement.shift_y += dy;
}

void ResetPlacement(MakerState& state, int slot) {
  if (IsSlot(slot)) state.photos.Placements[static_cast<size_t>(slot - 1)] = FramePlacement{};
}

}  // namespace lenti
