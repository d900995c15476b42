// The window's alignment commands on its slots: "Align frames" registers
// every other filled slot to the reference slot over the reference's crop;
// a click on the subject in the current slot makes it the reference and
// moves every other slot's crop so that the subject lies at the same place
// of each crop. Each slot's placement is kept in the state (and so in the
// job); a slot that cannot be aligned keeps its placement and is named.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "align/frame_alignment.h"
#include "core/geometry.h"
#include "core/maker_state.h"

namespace lenti {

// Every slot in use but the reference, or `only_slot` alone; the problems,
// one per slot that stayed as it was.
std::vector<std::string> AlignSlots(MakerState& state, AlignModel model, std::optional<int> only_slot = {});

// The point of the current slot's photo under the view point (x, y), in
// its pixels (pixel k spans k..k+1).
AlignPoint PhotoPointAtView(const MakerState& state, int x, int y);

// The subject clicked at view point (x, y) in the current slot.
std::vector<std::string> AlignSlotsOnSubject(MakerState& state, int x, int y);

}  // namespace lenti
