// The window's merge run to its end on the test's thread: StartMerge, then
// Run and Finish as the worker runs them, never cancelled.
#pragma once

#include <memory>
#include <string>

#include "core/long_work.h"
#include "interlace/merge.h"

namespace lenti {

// No work (a slot message was shown): nothing merged.
inline MergeOutcome MergeToEnd(MakerState& state, Dialogs& dialogs, MainView& view, ProgressSink& progress,
                               const std::string& work_dir) {
  std::unique_ptr<MergeWork> work = StartMerge(state, dialogs, view, work_dir);
  if (work == nullptr) return MergeOutcome{};
  RunToEnd(*work, progress);
  return work->Outcome();
}

}  // namespace lenti
