// The window's imports run to their end on the test's thread: the command's
// Start, then Run and Finish as the worker runs them, never cancelled.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/long_work.h"
#include "intake/import_work.h"

namespace lenti {

inline void RunWorkToEnd(std::unique_ptr<LongWork> work) {
  if (work != nullptr) RunToEnd(*work);
}

inline void ImportIntoSlotToEnd(MakerState& state, Dialogs& dialogs, MainView& view, const std::string& work_dir,
                                int slot) {
  RunWorkToEnd(StartImportIntoSlot(state, dialogs, view, work_dir, slot));
}

inline void ImportFilesToEnd(MakerState& state, Dialogs& dialogs, MainView& view, const std::string& work_dir,
                             int first_slot, const std::vector<std::string>& files) {
  RunWorkToEnd(StartImportFiles(state, dialogs, view, work_dir, first_slot, files));
}

inline void ImportDroppedToEnd(MakerState& state, Dialogs& dialogs, MainView& view, const std::string& work_dir,
                               int slot, const std::vector<std::string>& files) {
  RunWorkToEnd(StartImportDroppedFiles(state, dialogs, view, work_dir, slot, files));
}

}  // namespace lenti
