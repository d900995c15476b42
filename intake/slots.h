// The sixteen photo slots: import and selection.
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

// The import commands below run the import work of intake/import_work.h to
// its end on the calling thread (the command line's tests, benchmarks); the
// window runs the same work off its thread.
//
// The slot command of slot k (the import button "01".."16"): asks for a
// photo, fills the slot, draws its 65 x 57 thumbnail, raises FrameCount and
// recomputes StripWidth (slots 3..16), forgets the slot's rectangle and
// selects the slot. A cancelled dialog, a refused or a failed import change
// nothing at all. Several files chosen fill the slots from k on (ImportFiles).
void ImportIntoSlot(MakerState& state, Dialogs& dialogs, MainView& view, const std::string& work_dir,
                    int slot);

// Several photos into the slots from `first_slot` on, in the natural order of
// their names (IMG_2 before IMG_10), each imported as by its slot command.
// More files than slots from there to 16: one message names those left
// over and nothing is imported. A file that is no photo or cannot be read
// takes no slot (the next photo goes there) and one message at the end
// names every such file with its reason.
void ImportFiles(MakerState& state, Dialogs& dialogs, MainView& view, const std::string& work_dir,
                 int first_slot, const std::vector<std::string>& files);

// Files dropped on slot k (1..16) fill from k on; dropped elsewhere on the
// window (`slot` 0) from the first empty slot on.
void ImportDroppedFiles(MakerState& state, Dialogs& dialogs, MainView& view,
                        const std::string& work_dir, int slot, const std::vector<std::string>& files);

// The slot Ctrl+O imports into: the current slot when it holds a photo,
// else the first empty one (0 when there is none).
int OpenCommandSlot(const SlotState& photos);

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
