// "&Save": the merged picture with its pending text written as a BMP (or a
// TIFF or PNG, by the name's extension) that records the resolution of the
// merge that made it.
#pragma once

#include "core/dialogs.h"
#include "core/maker_state.h"

namespace lenti {

// The dpi a save stamps: that of the merge that made MergedBitmap.
double MergedDpi(const MakerState& state);

// Asks for a name (nothing happens on cancel), draws the pending text into a
// copy of MergedBitmap and writes it atomically, stamped with MergedDpi.
// MergedBitmap itself stays unchanged.
void SaveMerged(const MakerState& state, Dialogs& dialogs);

}  // namespace lenti
