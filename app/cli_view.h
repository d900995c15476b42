// `vexaro view`: a merged picture seen through a lens sheet, written as a
// picture of the same size and resolution.
#pragma once

#include <string>
#include <vector>

#include "app/cli_args.h"

namespace lenti::cli {

// The files --frames N writes: in a folder (`output` ends with "/" or is
// one) view01.bmp .. viewNN.bmp; otherwise `output` numbered before its
// extension (views/tilt.png -> views/tilt01.png ...).
std::vector<std::string> FrameViewNames(const std::string& output, int frames);

// Returns the summary line, e.g.
// "view 1698 x 2049 px at angle 0.25: 21.25 lpi over 297.5 dpi, 14 px per lens -> view.bmp".
std::string RunView(const ViewArgs& args);

}  // namespace lenti::cli
