// `vexaro align`: where the reference photo's content lies in each photo,
// one line per photo ("frame 2: dx 10.25 dy -3.5", with "angle A scale S"
// for the similarity model), the reference's own line all zero. A photo
// that cannot be aligned is named on the error stream instead.
#pragma once

#include <ostream>
#include <string>

#include "align/frame_alignment.h"
#include "app/cli_args.h"

namespace lenti::cli {

// The line of one photo.
std::string AlignmentLine(int slot, const FrameAlignment& alignment, AlignModel model);

// Prints the lines on `out`, the problems on `err` ("vexaro: Photo 3 ...");
// true when every photo was aligned.
bool RunAlign(const AlignArgs& args, std::ostream& out, std::ostream& err);

}  // namespace lenti::cli
