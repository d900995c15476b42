// The window brought to a job: a project opened, a recovery copy restored,
// an undo or redo. Photos already in some slot move there without being
// read again; the others are imported off the window's thread; then the
// crops, Mode, lens and text are set. The merged picture is the caller's
// (the window re-merges and replays the finishing when the job has one).
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/dialogs.h"
#include "core/job.h"
#include "core/long_work.h"
#include "core/maker_state.h"
#include "core/views.h"

namespace lenti {

// Every photo of `job` where the job says, with the content it had: a
// photo that is missing or changed is named in a question offering to
// locate it ("Locate..." opens the photo dialog). The job as found or
// located; none when the person declines (nothing is to change).
std::optional<Job> LocateJobPhotos(Job job, Dialogs& dialogs);

// What the slots need: photos to import (slot, file), and the moves that
// bring photos already in the window to their slots (the rest leave).
struct RestorePlan {
  std::vector<std::pair<int, std::string>> imports;
  std::array<std::optional<int>, kSlotCount> moves{};
  bool moves_anything = false;
};
RestorePlan PlanRestore(const SlotState& photos, const Job& job);

// The settings of `job` after its photos are in their slots: crops (in
// source pixels, exactly), Mode, lens, FrameCount, pending text (the font
// dialog's object takes its font), output and printer. The current slot's
// rectangle is shown again when the view shows its photo.
void ApplyJobSettings(MakerState& state, MainView& view, const Job& job,
                      const std::shared_ptr<Font>& dialog_font, bool photo_shown);

// The pending text of `job` (none: no text pending) in the overlay and the
// text box; the font dialog's object takes its font.
void ApplyJobText(MakerState& state, MainView& view, const Job& job, const std::shared_ptr<Font>& dialog_font);

// The whole restore of the slots as long work (Run imports; Finish moves,
// fills and applies the settings); null when no photo has to be read, in
// which case the restore is already done.
std::unique_ptr<LongWork> StartRestoreJob(MakerState& state, Dialogs& dialogs, MainView& view,
                                          const std::string& work_dir, const Job& job,
                                          const std::shared_ptr<Font>& dialog_font, bool photo_shown);

// The merged picture is the rendering of `job` as it stands: the same
// frames, Mode and lens, and the same finishing steps applied.
bool PictureRendersJob(const MakerState& state, const Job& job);

}  // namespace lenti
