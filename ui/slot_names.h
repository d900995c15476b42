// The documented control names of the sixteen slots' import buttons and
// thumbnails, slot k at index k - 1 (the numbering is not in order).
#pragma once

#include "core/maker_state.h"

namespace lenti::ui {

struct SlotControlNames {
  const char* button;
  const char* thumbnail;
};

inline constexpr SlotControlNames kSlotControlNames[kSlotCount] = {
    {"Button1", "Image3"},   {"Button2", "Image4"},   {"Button3", "Image5"},
    {"Button6", "Image6"},   {"Button7", "Image7"},   {"Button8", "Image8"},
    {"Button10", "Image9"},  {"Button11", "Image10"}, {"Button18", "Image11"},
    {"Button19", "Image12"}, {"Button20", "Image13"}, {"Button21", "Image14"},
    {"Button13", "Image18"}, {"Button15", "Image17"}, {"Button16", "Image16"},
    {"Button17", "Image15"},
};

}  // namespace lenti::ui
