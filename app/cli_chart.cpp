#include "app/cli_chart.h"

#include "delivery/picture_file.h"
#include "core/error.h"
#include "testchart/test_chart.h"

namespace lenti::cli {

std::string RunChart(const ChartArgs& args) {
  const Paper paper = PaperTable(args.paper_index);
  const Raster chart =
      GenerateTestChart(args.dpi, paper.Wcm, paper.Hcm, args.lens_lpi_x, kChartStep, kChartLines);
  SavePictureFile(chart, args.output, static_cast<double>(args.dpi));
  const ChartQuantities q =
      ComputeChartQuantities(args.dpi, paper.Wcm, paper.Hcm, args.lens_lpi_x, kChartStep, kChartLines);
  const std::string first = RowLabel(q, RowSourceWidth(q, 1, kChartStep), args.dpi);
  const std::string last = RowLabel(q, RowSourceWidth(q, kChartLines, kChartStep), args.dpi);
  return Format("chart %d x %d px, %d dpi, LPI %s to %s -> %s", chart.Width(), chart.Height(),
                args.dpi, first.c_str(), last.c_str(), args.output.c_str());
}

std::vector<std::string> ChartRowLines(const ChartArgs& args) {
  const Paper paper = PaperTable(args.paper_index);
  const std::vector<std::string> labels =
      ChartRowLabels(args.dpi, paper.Wcm, paper.Hcm, args.lens_lpi_x, kChartStep, kChartLines);
  std::vector<std::string> lines;
  for (size_t i = 0; i < labels.size(); ++i) lines.push_back(Format("row %zu: %s lpi", i + 1, labels[i].c_str()));
  return lines;
}

}  // namespace lenti::cli
