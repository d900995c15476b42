// The onion skin and the nudge: comparing the current frame with the
// reference frame inside the crop, and moving the current crop by whole
// source pixels from the keyboard. The picture laid over the crop
// rectangle is made by the merge's own frame preparation (crop and
// placement, at the rectangle's size in the view), so what lines up here
// lines up in the merged picture.
#pragma once

#include <optional>
#include <string>

#include "core/geometry.h"
#include "core/job.h"
#include "core/maker_state.h"
#include "core/raster.h"

namespace lenti {

void SetOnionView(MakerState& state, OnionView view);
// Percent of the reference in the blend, held to 0..100.
void SetOnionOpacity(MakerState& state, int percent);
// The frame compared with and aligned to (1..16; others are ignored).
void SetReferenceSlot(MakerState& state, int slot);

// What the overlay depends on: when it is unchanged, so is the overlay.
struct OnionInputs {
  OnionSkin skin;
  int current = 0;  // 1-based slots
  std::string current_file;
  std::string reference_file;
  Rect current_crop;  // source pixels
  Rect reference_crop;
  FramePlacement current_placement;
  FramePlacement reference_placement;
  Rect bounds;  // the rectangle in the view
  friend bool operator==(const OnionInputs&, const OnionInputs&) = default;
};

// Absent when the onion skin is off, the rectangle hidden, the current
// slot is the reference, or either slot is empty.
std::optional<OnionInputs> OnionInputsOf(const MakerState& state);

// The picture laid over the crop rectangle (its size): the current frame's
// crop with the reference's blended in, or their difference per channel.
Raster OnionOverlay(const OnionInputs& inputs);

// The current slot's crop moved on its photo by (dx, dy) source pixels,
// the rest of its placement kept.
void NudgeCurrentFrame(MakerState& state, int dx, int dy);

// The slot's crop back as framed (1..16).
void ResetPlacement(MakerState& state, int slot);

}  // namespace lenti
