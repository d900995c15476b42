// The window's slots as a job: the photos they were filled from, each
// frame's crop in source pixels, the Mode and lens, the pending text and,
// while the merged picture is still the rendering of those, its finishing
// steps. The window's merge, its project file, its recovery copy and its
// undo history all take the job from here.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "core/job.h"
#include "core/maker_state.h"
#include "interlace/merge_pipeline.h"
#include "interlace/native_geometry.h"

namespace lenti {

// The crop of a slot in source pixels: the one a project or an undo gave
// while the rectangle was not moved since, else the view rectangle mapped.
Rect SlotCropInSource(const SlotState& photos, int slot);

// Slots 1 and 2 always take part in a merge; slot k >= 3 when FrameCount >= k.
bool SlotInUse(const SlotState& photos, int slot);

// One frame for every filled slot in use, in slot order.
std::vector<JobFrame> SlotFrames(const SlotState& photos);

// The window's current job.
Job JobOfState(const MakerState& state);

// There is a merged picture, but the photos, their order or crops, the Mode
// or the lens changed since it was made: it no longer shows the slots.
bool MergedPictureOutOfDate(const MakerState& state);

// The pipeline request for the frames of `job` at `geometry`: each frame
// reads `file_of(frame)` (the photo itself, or the window's working file).
MergeRequest RequestForJob(const Job& job, const LensGeometry& geometry,
                           const std::function<std::string(const JobFrame&)>& file_of);

}  // namespace lenti
