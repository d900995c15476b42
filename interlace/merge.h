// The merge: checks the slots, computes the geometry, prepares every frame
// and interleaves the strips of all frames into MergedBitmap.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "core/dialogs.h"
#include "core/maker_state.h"
#include "core/progress.h"
#include "core/views.h"
#include "core/raster.h"
#include "interlace/geometry.h"

namespace lenti {

// The crop rectangle of a slot in source pixels (view coordinate v maps to
// Round((v - offset) x scale / 10000), product first).
Rect MapCropToSource(const CropRecord& record, int64_t scale);

// Cuts `source_rect` out of the photo (pixels outside the photo stay white)
// and draws it scaled onto a 24-bit slice of `slice` size. Raises a clear
// error for an empty or inverted rectangle.
Raster MakeSlice(const Raster& photo, const Rect& source_rect, Size slice);

// The second half of MakeSlice: a crop raster drawn scaled onto a new
// 24-bit slice (StretchDraw, proportions not kept).
Raster ScaleCropToSlice(const Raster& crop, Size slice);

// MakeSlice naming the photo (slot 1..16) in its error texts:
// "The crop rectangle of photo 3 is empty".
Raster MakeSlice(const Raster& photo, const Rect& source_rect, Size slice, int slot);

// Reads the slot's file as BMP and makes its slice for a geometry computed
// aside (the merge replaces the state's geometry only once everything has
// succeeded): the slot's crop record and scale are read from `state`,
// nothing in it is written. The slice is
// written through a temporary file renamed over `work_file`, so a failure
// never leaves a half-written working file.
Raster PrepareFrame(const MakerState& state, const OutputGeometry& geometry, Mode mode,
                    const std::string& slot_file, const std::string& work_file, int index);

// Writes `slice` to `work_file` through a temporary file beside it.
void WriteWorkFileAtomically(const Raster& slice, const std::string& work_file);

// Interleaves the slices (frame i supplies the i-th strip under every lens)
// into a new white raster of the output size, last partial strip included.
// Output pixels whose slice row (column) lies beyond the slice stay white.
// `on_strip` is the progress bar's step: called after every strip copy in
// PortraitRows mode and once after every frame in LandscapeColumns mode.
// Slices of another size are clipped like the last strip. Raises a clear
// error unless there are `frame_count` 24-bit slices.
Raster InterleaveSlices(const std::vector<const Raster*>& slices, const OutputGeometry& geometry,
                        int32_t frame_count, Mode mode, const std::function<void()>& on_strip = {});

// The view's preview of a merged image: Round(w / 3.5) x Round(h / 3.5)
// scaled when at least 500 px wide, else an exact copy.
Raster MergePreview(const Raster& merged);

// The "Photo3 not select!" check; empty when every slot in use is filled.
std::string CheckSlots(const MakerState& state);

// A finished merge, built aside before it replaces anything in the state.
struct MergeResult {
  Raster merged;
  OutputGeometry geometry;
  Size slice;
  int32_t frame_count = 0;
  int64_t lens_lpi_x = 0;
  Mode mode = Mode::PortraitRows;
};

// Makes `result` the current picture: MergedBitmap and its geometry; the
// alignment band of the previous picture is forgotten and the Align-Bar box
// cleared. Cannot fail.
void AdoptMergeResult(MakerState& state, MergeResult&& result);

struct MergeOutcome {
  bool merged = false;                 // false: a slot message was shown
  bool align_bar_was_checked = false;  // the caller runs the alignment-bar handler
};

// "&Merge". Builds the new image and geometry aside and replaces the merged
// picture only on success; a failure raises with the previous result and
// the cursor as they were. On success: the preview in the view, "Merged!",
// the Align-Bar box cleared (when it was ticked the caller runs its
// handler, see MergeOutcome). The output commands follow from the state.
MergeOutcome Merge(MakerState& state, Dialogs& dialogs, MainView& view, ProgressSink& progress,
                   const std::string& work_dir);

}  // namespace lenti
