// `vexaro merge`: the photos of the command line merged exactly as the
// desktop program merges the same crops, finished (text, alignment bars,
// quarter turns, in that order) and written as a stamped BMP, and printed
// to a PDF file on request.
#pragma once

#include <functional>
#include <string>

#include "app/cli_args.h"
#include "core/maker_state.h"

namespace lenti::cli {

// Progress of a long run: `done` of `total` steps.
using ProgressFunction = std::function<void(int done, int total)>;

// The merge alone: slices prepared on `threads` threads, interleaved, and
// adopted into a fresh state as a successful merge leaves it.
MakerState MergePhotos(const MergeArgs& args, unsigned threads, const ProgressFunction& progress = {});

// Text, bars and quarter turns on the merged picture, as the options ask.
void ApplyFinishing(MakerState& state, const MergeArgs& args);

// The whole command; returns the summary line
// ("merged 2 frames: 1698 x 2049 px, 297.5 dpi, strip 7 px -> out.bmp").
std::string RunMerge(const MergeArgs& args, const ProgressFunction& progress = {});

}  // namespace lenti::cli
