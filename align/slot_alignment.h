// The window's alignment commands on its slots: "Align frames" registers
// every other filled slot to the reference slot over the reference's crop;
// a click on the subject in the current slot makes it the reference and
// moves every other slot's crop so that the subject lies at the same place
// of each crop. Each slot's placement is kept in the state (and so in the
// job); a slot that cannot be aligned keeps its placement and is named.
//
// The work reads every slot's working file and searches it: long work,
// started on the window's thread (which copies what it needs), run off it
// and finished back on it, where the placements are written.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "align/frame_alignment.h"
#include "core/geometry.h"
#include "core/long_work.h"
#include "core/maker_state.h"

namespace lenti {

// The problems of the slots that stayed as they were, when the work finished.
using AlignReport = std::function<void(const std::vector<std::string>& problems)>;

// Every slot in use but the reference, or `only_slot` alone.
std::unique_ptr<LongWork> StartAlignSlots(MakerState& state, AlignModel model, AlignReport report,
                                          std::optional<int> only_slot = {});

// The subject clicked at view point (x, y) in the current slot.
std::unique_ptr<LongWork> StartAlignSlotsOnSubject(MakerState& state, int x, int y,
                                                   AlignReport report);

// The same run to their end on the calling thread; the problems.
std::vector<std::string> AlignSlots(MakerState& state, AlignModel model,
                                    std::optional<int> only_slot = {});
std::vector<std::string> AlignSlotsOnSubject(MakerState& state, int x, int y);

// The point of the current slot's photo under the view point (x, y), in
// its pixels (pixel k spans k..k+1).
AlignPoint PhotoPointAtView(const MakerState& state, int x, int y);

}  // namespace lenti
