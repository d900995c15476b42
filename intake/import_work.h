// Photo import as long work: the slot command, several files from the
// dialog and files dropped on the window.
//
// Start (on the window's thread) asks for the photos and shows what refuses
// them before any work (the file format message of a single file, too many
// files, a full window). Run (on a worker) reads and decodes each photo,
// draws its thumbnail and writes its working file under a temporary name;
// it touches no state. Finish (back on the window's thread) renames the
// working files into place and fills the slots.
//
// A cancel keeps none of the photos, also of a multi-file import: before
// Finish no working file has been replaced and no slot has changed, so the
// slots, thumbnails, working files, FrameCount, crops and selection stay
// exactly as they were, and the temporary files go with the work.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/dialogs.h"
#include "core/long_work.h"
#include "core/maker_state.h"
#include "core/views.h"

namespace lenti {

// The slot command of slot k: the open dialog, then one photo (a file that
// is no photo: "File format error!" and no work) or several files
// (StartImportFiles). Null when there is nothing to do.
std::unique_ptr<LongWork> StartImportIntoSlot(MakerState& state, Dialogs& dialogs, MainView& view,
                                              const std::string& work_dir, int slot);

// Several files into the slots from `first_slot` on, in the natural order of
// their names. More files than slots: the message naming those left over,
// and null. A file that is no photo or cannot be read takes no slot; Finish
// names each such file with its reason in one message.
std::unique_ptr<LongWork> StartImportFiles(MakerState& state, Dialogs& dialogs, MainView& view,
                                           const std::string& work_dir, int first_slot,
                                           const std::vector<std::string>& files);

// Each photo into its own slot (a project opened, an undo): any photo that
// is no photo or cannot be read raises, and nothing changes. Null for none.
std::unique_ptr<LongWork> StartImportIntoSlots(MakerState& state, Dialogs& dialogs, MainView& view,
                                               const std::string& work_dir,
                                               const std::vector<std::pair<int, std::string>>& photos);

// Files dropped on slot k (1..16) fill from k on; dropped elsewhere on the
// window (`slot` 0) from the first empty slot on (none empty: a message and
// null).
std::unique_ptr<LongWork> StartImportDroppedFiles(MakerState& state, Dialogs& dialogs, MainView& view,
                                                  const std::string& work_dir, int slot,
                                                  const std::vector<std::string>& files);

}  // namespace lenti
