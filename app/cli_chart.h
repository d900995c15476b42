// `vexaro chart`: the pitch test chart written as a 1-bit BMP stamped with
// its resolution.
#pragma once

#include <string>
#include <vector>

#include "app/cli_args.h"

namespace lenti::cli {

// Every chart of the command line has the window's 11 rows, 10 px apart.
inline constexpr int kChartLines = 11;
inline constexpr int kChartStep = 10;

// Returns the summary line
// ("chart 6142 x 10866 px, 1200 dpi, LPI 39.5296 to 40.4704 -> chart.bmp").
std::string RunChart(const ChartArgs& args);

// The chart's rows from the top, one line each ("row 1: 39.5296 lpi"), so
// that a script can pick a row's pitch for `vexaro merge --lpi`.
std::vector<std::string> ChartRowLines(const ChartArgs& args);

}  // namespace lenti::cli
