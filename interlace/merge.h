// The merge: checks the slots, computes the geometry, prepares every frame
// and interleaves the strips of all frames into MergedBitmap.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "core/frontend.h"
#include "core/maker_state.h"
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

// Reads the slot's file as BMP, makes its slice for the current geometry and
// writes it to `work_file`; sets SliceWidth/SliceHeight.
Raster PrepareFrame(MakerState& state, Mode mode, const std::string& slot_file,
                    const std::string& work_file, int index);

// Interleaves the slices (frame i supplies the i-th strip under every lens)
// into a new white raster of the output size, last partial strip included.
// `on_strip` is called after every strip copy (for the progress bar).
Raster InterleaveSlices(const std::vector<const Raster*>& slices, const OutputGeometry& geometry,
                        int32_t frame_count, Mode mode, const std::function<void()>& on_strip = {});

// The view's preview of a merged image: Round(w / 3.5) x Round(h / 3.5)
// scaled when at least 500 px wide, else an exact copy.
Raster MergePreview(const Raster& merged);

// The "Photo3 not select!" check; empty when every slot in use is filled.
std::string CheckSlots(const MakerState& state);

struct MergeOutcome {
  bool merged = false;               // false: a slot message was shown
  bool align_bar_was_checked = false;  // the caller runs the alignment-bar handler
};

// "&Merge". Builds the new image and geometry aside and replaces
// MergedBitmap, the geometry fields and MergedGeometry only on success; a
// failure raises with the previous result, its commands and the cursor as
// they were. On success: the preview in the view, "Merged!", the output
// commands enabled, the Align-Bar box cleared (when it was ticked the caller
// runs its handler, see MergeOutcome).
MergeOutcome Merge(MakerState& state, Frontend& frontend, const std::string& work_dir);

}  // namespace lenti
