#include "app/cli_chart.h"

#include <optional>

#include "delivery/picture_file.h"
#include "delivery/press_profile.h"
#include "delivery/press_save.h"
#include "core/error.h"
#include "testchart/test_chart.h"

namespace lenti::cli {

std::string RunChart(const ChartArgs& args) {
  const Paper paper = ChartPaper(args.printer);
  const int32_t dpi = args.printer.dpi;
  const int64_t lx = args.lpi.X10000();
  // A bad profile is refused before the chart is drawn.
  const std::optional<PressProfile> profile =
      args.cmyk ? std::optional<PressProfile>(PressProfile::Load(*args.cmyk)) : std::nullopt;
  const Raster chart = GenerateTestChart(dpi, paper.Wcm, paper.Hcm, lx, kChartStep, kChartLines);
  if (profile) {
    SaveChartCmyk(chart, static_cast<double>(dpi), *profile, args.output);
  } else {
    SavePictureFile(chart, args.output, static_cast<double>(dpi));
  }
  const ChartQuantities q = ComputeChartQuantities(dpi, paper.Wcm, paper.Hcm, lx, kChartStep, kChartLines);
  const std::string first = RowLabel(q, RowSourceWidth(q, 1, kChartStep), dpi);
  const std::string last = RowLabel(q, RowSourceWidth(q, kChartLines, kChartStep), dpi);
  return Format("chart %d x %d px, %d dpi, LPI %s to %s -> %s", chart.Width(), chart.Height(), dpi,
                first.c_str(), last.c_str(), args.output.c_str());
}

std::vector<std::string> ChartRowLines(const ChartArgs& args) {
  const Paper paper = ChartPaper(args.printer);
  const std::vector<std::string> labels = ChartRowLabels(args.printer.dpi, paper.Wcm, paper.Hcm,
                                                         args.lpi.X10000(), kChartStep, kChartLines);
  std::vector<std::string> lines;
  for (size_t i = 0; i < labels.size(); ++i) lines.push_back(Format("row %zu: %s lpi", i + 1, labels[i].c_str()));
  return lines;
}

}  // namespace lenti::cli
