// A job rendered: its photos merged at its lens, its finishing steps
// replayed in order, and the picture delivered to its output. `vexaro merge`
// and `vexaro run` render through here; the window's merge uses the same
// request (interlace/slot_job.h) on its working files and records the same
// steps as the person applies them, so a job saved by the window renders
// here to the window's picture.
#pragma once

#include <functional>

#include "core/job.h"
#include "core/long_work.h"
#include "core/maker_state.h"

namespace lenti {

struct RenderOptions {
  unsigned threads = 0;                 // 0: the machine's cores
  const CancelToken* cancel = nullptr;  // polled between frames and strips
  std::function<void()> frame_done;     // once per frame, then once for the interleave
};

// The job's merged picture with every finishing step applied and the
// pending text in the overlay, as the window leaves them. Bad settings and
// a picture beyond memory are refused before any photo is read; a photo
// that fails raises its error naming its number.
MakerState RenderJob(const Job& job, const RenderOptions& options = {});

// One finishing step on a state that holds a merged picture.
void ApplyFinishingStep(MakerState& state, const FinishingStep& step);

// The rendering written to `path` (its type by the extension) with the
// pending text drawn in, stamped with the merge's resolution; printed to
// job.output.pdf too when that is set.
void DeliverRendering(MakerState& state, const Job& job, const std::string& path);

}  // namespace lenti
