// Every frame of a sequence aligned to its reference frame, and the
// placements that follow: each frame's crop moved (turned and scaled) so
// that it shows what the reference's crop shows, or with a key subject,
// so that the subject lies at the same place of every crop. A frame that
// cannot be aligned keeps its crop as it was and says why.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "align/frame_alignment.h"
#include "core/job.h"
#include "core/raster.h"

namespace lenti {

struct AlignSettings {
  AlignModel model = AlignModel::Translation;
  int reference_slot = 1;  // the frame every other is aligned to
  // The key subject in the reference's pixels; absent: registration over
  // the reference's crop.
  std::optional<AlignPoint> subject;
};

struct FrameOutcome {
  int slot = 1;
  std::optional<FrameAlignment> alignment;  // absent: `problem` says why
  std::string problem;
};

// The photo of frame `index`, as the merge sees it, made ready (a photo
// in memory is read where it lies, never copied whole).
using AlignPhotoLoader = std::function<AlignImage(size_t index)>;

// Frame i (slot slots[i]) aligned to the frame whose slot is the
// reference's, over `area` of the reference (its crop; the whole photo when
// absent), on `threads` workers (0: the machine's cores). The reference's
// own outcome is no move at all. A reference that cannot be read raises
// its error; a frame's own failure is its outcome's problem.
std::vector<FrameOutcome> AlignPhotos(const std::vector<int>& slots, const AlignPhotoLoader& load,
                                      const std::optional<Rect>& area,
                                      const AlignSettings& settings, unsigned threads = 0);

// The placement of a frame cropped to `frame_crop` that makes it show what
// the reference shows about `reference_centre` (its crop's centre, moved by
// its own placement), the crop keeping its size.
FramePlacement PlacementFor(const FrameAlignment& alignment, AlignPoint reference_centre,
                            const Rect& frame_crop);
AlignPoint CentreOf(const Rect& crop);

// The photos at `paths` (photo k is slot k) aligned over the whole
// reference photo, as `vexaro align` prints them.
std::vector<FrameOutcome> AlignPhotoFiles(const std::vector<std::string>& paths,
                                          const AlignSettings& settings, unsigned threads = 0);

struct AlignedJob {
  Job job;                             // with the placements of the frames that aligned
  std::vector<FrameOutcome> outcomes;  // in frame order
};

// The job's frames aligned (each photo read through intake's photo
// sources; a frame without a crop counts as cropped to its whole photo).
// Raises an Error when no frame has the reference's slot.
AlignedJob AlignJob(const Job& job, const AlignSettings& settings, unsigned threads = 0);

}  // namespace lenti
