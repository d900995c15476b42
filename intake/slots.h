// The sixteen photo slots: import and selection.
//
// Slot numbers run 1..16; a photo is recognised by its content (JPEG or BMP
// signature) whatever its extension. A JPEG photo is decoded and written as
// the slot's working file "tNN.bmp"; a BMP photo is used where it lies.
#pragma once

#include <string>

#include "core/dialogs.h"
#include "core/maker_state.h"
#include "core/views.h"

namespace lenti {

// The slot command of slot k (the import button "01".."16"): asks for a
// photo, fills the slot, draws its 65 x 57 thumbnail, raises FrameCount and
// recomputes StripWidth (slots 3..16), forgets the slot's rectangle and
// selects the slot. A cancelled dialog, a refused or a failed import change
// nothing at all.
void ImportIntoSlot(MakerState& state, Dialogs& dialogs, MainView& view, const std::string& work_dir,
                    int slot);

// Thumbnail click: makes slot k current, shows its photo and frames it.
// Does nothing for a slot that was never filled.
void SelectSlot(MakerState& state, MainView& view, int slot);

// The thumbnail of a photo: the whole photo drawn scaled onto 65 x 57.
Raster MakeThumbnail(const Raster& photo);

inline constexpr int kThumbnailWidth = 65;
inline constexpr int kThumbnailHeight = 57;

}  // namespace lenti
