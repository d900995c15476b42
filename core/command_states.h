// Every enabled and checked state of the main window's commands, derived
// from the state alone. The window applies it after each command; no
// operation switches a widget itself.
#pragma once

#include <array>

#include "core/maker_state.h"

namespace lenti {

struct CommandStates {
  bool save = false;
  bool rotate = false;
  bool print = false;
  bool align_bars = false;
  bool align_bars_checked = false;
  bool apply_text = false;
  bool place_text = false;  // clicks on the view place the text
  bool view_through_lens = false;
};

inline CommandStates DeriveCommandStates(const MakerState& state) {
  const bool merged = state.merged.MergedBitmap.has_value();
  CommandStates s;
  // The output commands come with the first merge and stay.
  s.save = s.rotate = s.print = s.align_bars = s.place_text = s.view_through_lens = merged;
  s.align_bars_checked = state.merged.AlignBarsTicked;
  s.apply_text = state.overlay.ApplyEnabled && merged;
  return s;
}

// The commands on the slots as a whole.
struct SlotCommandStates {
  std::array<bool, kSlotCount> remove_photo{};  // slot k at k - 1: it holds a photo
  bool reverse_order = false;                   // two photos or more to turn around
  // The current slot when it holds a photo (1..16), else 0: the slot the
  // window marks, and whose crop frame "裁切" puts back.
  int current_photo = 0;
  bool fit_and_frame = false;
};

inline SlotCommandStates DeriveSlotCommandStates(const MakerState& state) {
  SlotCommandStates s;
  int filled = 0;
  for (int i = 0; i < kSlotCount; ++i) {
    s.remove_photo[i] = !state.photos.SlotFiles[i].empty();
    filled += s.remove_photo[i] ? 1 : 0;
  }
  s.reverse_order = filled >= 2;
  const int current = state.photos.CurrentSlot;
  if (current < kSlotCount && s.remove_photo[current]) s.current_photo = current + 1;
  s.fit_and_frame = s.current_photo != 0;
  return s;
}

}  // namespace lenti
