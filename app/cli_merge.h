// `vexaro merge`: the job of the command line's options rendered exactly as
// the desktop program renders the same crops (merged, then text, alignment
// bars and quarter turns in the window's order) and written with its
// resolution recorded, printed to a PDF file on request, and kept as a
// project file with --save-job. `vexaro run` renders project files.
#pragma once

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "app/cli_args.h"
#include "core/job.h"
#include "core/maker_state.h"

namespace lenti::cli {

// Progress of a long run: `done` of `total` steps.
using ProgressFunction = std::function<void(int done, int total)>;

// The job the options describe: photo k is frame k (the last first with
// --reverse), each with its --crop or the window's default; the finishing
// in the window's order (bars, the text burned in, the turns).
Job JobOfArgs(const MergeArgs& args);

// The job with every photo's fingerprint, pixel size and crop filled in
// (the default crop made explicit), as --save-job writes it.
Job ResolvedJob(Job job);

// The merge alone: slices prepared on `threads` threads, interleaved, and
// adopted into a fresh state as a successful merge leaves it.
MakerState MergePhotos(const MergeArgs& args, unsigned threads, const ProgressFunction& progress = {});

// Text, bars and quarter turns on the merged picture, as the options ask.
void ApplyFinishing(MakerState& state, const MergeArgs& args);

// The job with every frame aligned as --align asks (crops made explicit
// first); a frame that cannot be aligned keeps its crop, its problem added
// to `notes`.
Job AlignedJobOfArgs(Job job, const AlignChoice& align, std::vector<std::string>& notes);

// The whole command; returns the summary line
// ("merged 2 frames: 1698 x 2049 px, 297.5 dpi, strip 7 px -> out.bmp").
// What the person should know besides (a frame left unaligned) goes to `notes`.
std::string RunMerge(const MergeArgs& args, const ProgressFunction& progress = {},
                     std::vector<std::string>* notes = nullptr);

// "vexaro: warning: Too few pixels: ..." and a newline when a lens of the
// job's settings gets fewer pixels than it has frames; "" otherwise (and for
// settings the merge refuses, which it names itself).
std::string FrameFitWarning(const Job& job);

// `vexaro run`: each job rendered to its output (`args.output` instead for
// a single job), one line each on `out` ("vexaro: JOB: <error>" on `err`
// for one that failed, the others still made). True when all succeeded.
bool RunJobs(const RunArgs& args, std::ostream& out, std::ostream& err, const ProgressFunction& progress = {});

}  // namespace lenti::cli
