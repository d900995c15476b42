// "&Merge": checks the slots, computes the geometry, has the merge pipeline
// prepare every frame and interleave the strips, and makes the result the
// merged picture.
#pragma once

#include <memory>
#include <string>

#include "core/dialogs.h"
#include "core/long_work.h"
#include "core/maker_state.h"
#include "core/progress.h"
#include "core/views.h"
#include "core/raster.h"
#include "interlace/geometry.h"
#include "interlace/native_geometry.h"

namespace lenti {

// The view's preview of a merged image: Round(w / 3.5) x Round(h / 3.5)
// scaled when at least 500 px wide, else an exact copy.
Raster MergePreview(const Raster& merged);

// The "Photo3 not select!" check; empty when every slot in use is filled.
std::string CheckSlots(const MakerState& state);
// What the merge then shows: that line, and a second one saying which slot
// is empty and what to do (with fewer than two photos, that a merge needs two).
std::string MissingSlotMessage(const MakerState& state);

// A finished merge, built aside before it replaces anything in the state.
struct MergeResult {
  Raster merged;
  OutputGeometry geometry;
  Size slice;
  int32_t frame_count = 0;
  int64_t lens_lpi_x = 0;
  Mode mode = Mode::PortraitRows;
  LensLayout layout = LensLayout::WholeStrips;
  int32_t phase_x10000 = 0;
  // The job it renders (merged, no finishing yet): the picture's MadeFrom.
  Job source;
};

// The result of merging `frame_count` frames of `job` (its Mode and lens) at
// `geometry`, its picture and source still to be filled in.
MergeResult ResultFor(const Job& job, int32_t frame_count, const LensGeometry& geometry);

// Makes `result` the current picture: MergedBitmap and its geometry; the
// alignment band of the previous picture is forgotten and the Align-Bar box
// cleared. Cannot fail.
void AdoptMergeResult(MakerState& state, MergeResult&& result);

// No merged picture any more (an undo back before the merge, the window closing).
inline void DropMergedPicture(MakerState& state) { state.merged = MergedPicture{}; }

struct MergeOutcome {
  bool merged = false;                 // false: a slot message was shown
  bool align_bar_was_checked = false;  // the caller runs the alignment-bar handler
};

// "&Merge" as long work: Run builds the picture aside from copies of the
// slots and crops, Finish adopts it, shows the preview and "Merged!" and
// clears the Align-Bar box (when it was ticked the caller runs its handler,
// see MergeOutcome). A failure raises with the previous picture as it was.
class MergeWork : public LongWork {
 public:
  virtual const MergeOutcome& Outcome() const = 0;
};

// Asked before "saving" or "printing" (`delivery`) a merged picture that no
// longer shows the slots (MergedPictureOutOfDate): yes merges again first.
std::string OutOfDateQuestion(const std::string& delivery);

// When a lens gets fewer pixels than there are frames, asks whether to merge
// all the same; true when there is nothing to ask.
bool ConfirmFrameFit(const MakerState& state, Dialogs& dialogs);

// The slot check (a message and no work when a slot is missing), the lens
// settings and the picture they give checked (a clear error and no change
// otherwise), the crop rectangle hidden, the state's Mode taken; the work refers to `state`, `dialogs`
// and `view` for Finish only.
// `announce`: "Merged!" at the end (not when a project or an undo re-makes
// the picture).
std::unique_ptr<MergeWork> StartMerge(MakerState& state, Dialogs& dialogs, MainView& view,
                                      const std::string& work_dir, bool announce = true);

}  // namespace lenti
