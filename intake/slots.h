// The sixteen photo slots: selection and framing (the import is
// intake/import_work.h).
//
// Slot numbers run 1..16; a photo is recognised by its content (JPEG or BMP
// signature) whatever its extension. A JPEG photo is decoded and written as
// the slot's working file "tNN.bmp"; a BMP photo is used where it lies.
#pragma once

#include <string>
#include <vector>

#include "core/dialogs.h"
#include "core/maker_state.h"
#include "core/views.h"

namespace lenti {

// The slot Import photos (Ctrl+I) fills: the first empty one, so that a
// framed photo is never replaced unasked; with every slot filled the current
// one once the person agrees (0: nothing to import into).
int OpenCommandSlot(const SlotState& photos, Dialogs& dialogs);

// Thumbnail click: makes slot k current, shows its photo and frames it.
// Does nothing for a slot that was never filled.
void SelectSlot(MakerState& state, MainView& view, int slot);

// "裁切": the current slot's photo back in the view (also after a merge
// showed the merged picture there) and framed again. A saved rectangle
// dragged out of reach (CropWithinReach) gives way to the default one; any
// other comes back as it was. Nothing for an empty slot; a photo that no
// longer loads raises its error and changes nothing.
void FrameCurrentSlot(MakerState& state, MainView& view);

// The thumbnail of a photo: the whole photo drawn scaled onto 65 x 57.
Raster MakeThumbnail(const Raster& photo);

inline constexpr int kThumbnailWidth = 65;
inline constexpr int kThumbnailHeight = 57;

}  // namespace lenti
