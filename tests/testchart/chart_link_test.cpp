// From the test chart to the merge: the chart keeps its rows' labels, a row
// picked by its place or from the list becomes the lens pitch and the
// chart's DPI the output resolution, and the merge then lays its lenses at
// exactly the period that row shows on paper.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "error_of.h"
#include "chart_to_end.h"
#include "fake_frontend.h"
#include "interlace/native_geometry.h"
#include "testchart/test_chart.h"

namespace lenti {
namespace {

using testing::ErrorOf;
using testing::FakeFrontend;

ChartSettings Settings(const std::string& dpi, const std::string& lpi) {
  ChartSettings settings;
  settings.dpi_text = dpi;
  settings.lpi_text = lpi;
  return settings;
}

// The mean distance between bar starts along the middle of row `row`, in
// chart pixels, measured on the chart itself.
double MeasuredRowPeriod(const Raster& chart, const ChartQuantities& q, int row) {
  const int y = static_cast<int>((row - 1) * q.RH + q.RH / 2);
  std::vector<int> starts;
  for (int64_t x = q.LM + 1; x < q.LM + q.GB; ++x) {
    const bool black = chart.PixelColor(static_cast<int>(x), y) == kBlack;
    const bool was_black = chart.PixelColor(static_cast<int>(x - 1), y) == kBlack;
    if (black && !was_black) starts.push_back(static_cast<int>(x));
  }
  if (starts.size() < 2) return 0;
  return static_cast<double>(starts.back() - starts.front()) / static_cast<double>(starts.size() - 1);
}

TEST(ChartRows, TheChartKeepsItsRowsLabelsAndHeight) {
  MakerState state;
  FakeFrontend ui;
  CreateChartToEnd(state, ui, Settings("1200", "40"));
  const std::vector<std::string> labels = {"39.5296", "39.6237", "39.7178", "39.8119", "39.9059", "40",
                                           "40.0941", "40.1881", "40.2822", "40.3763", "40.4704"};
  EXPECT_EQ(state.chart.RowLabels, labels);
  EXPECT_EQ(state.chart.RowHeight, 988);
  EXPECT_EQ(ChartRowLabels(1200, 21, 29, 400000, 10, 11), labels);
  // Rows from the top, by chart pixel row.
  EXPECT_EQ(ChartRowAt(state.chart, 0), 1);
  EXPECT_EQ(ChartRowAt(state.chart, 987), 1);
  EXPECT_EQ(ChartRowAt(state.chart, 988), 2);
  EXPECT_EQ(ChartRowAt(state.chart, 11 * 988 - 1), 11);
  EXPECT_EQ(ChartRowAt(state.chart, 11 * 988), 0);  // below the rows
  EXPECT_EQ(ChartRowAt(state.chart, -1), 0);
  EXPECT_EQ(ChartRowAt(TestChartState{}, 5), 0);
}

TEST(ChartRows, AFailedCreateKeepsTheRowsOfTheChartBefore) {
  MakerState state;
  FakeFrontend ui;
  CreateChartToEnd(state, ui, Settings("300", "40"));
  const std::vector<std::string> before = state.chart.RowLabels;
  EXPECT_NE(ErrorOf([&] { CreateChartToEnd(state, ui, Settings("600", "x")); }), "<no error>");
  EXPECT_EQ(state.chart.RowLabels, before);
  EXPECT_EQ(state.chart.TestDpi, 300);
}

struct LinkCase {
  const char* dpi;
  const char* lpi;
  int row;
};

class ChartToMerge : public ::testing::TestWithParam<LinkCase> {};

TEST_P(ChartToMerge, TheMergesLensPeriodIsTheRowsPeriod) {
  const LinkCase& c = GetParam();
  MakerState state;
  FakeFrontend ui;
  CreateChartToEnd(state, ui, Settings(c.dpi, c.lpi));
  UseChartPitch(state, ui, c.row);
  const int32_t dpi = std::stoi(c.dpi);
  EXPECT_EQ(state.lens.OutputDpi, dpi);
  EXPECT_EQ(state.lens.LensLpiX, LpiTextToLx(state.chart.RowLabels[c.row - 1]));
  EXPECT_TRUE(ui.messages.empty());

  const LensGeometry merge = ComputeLensGeometry(8, state.lens, Mode::LandscapeColumns);
  const ChartQuantities q = ComputeChartQuantities(dpi, 21, 29, LpiTextToLx(c.lpi), 10, 11);
  // The row shows P x GB / E pixels per bar; the label carries it to 4 decimals.
  const double row_period =
      static_cast<double>(q.P * q.GB) / static_cast<double>(RowSourceWidth(q, c.row, 10));
  const double label = std::stod(state.chart.RowLabels[c.row - 1]);
  EXPECT_NEAR(static_cast<double>(merge.period), row_period, row_period * 0.00005 / label + 1e-9);
  // And on the chart itself, over the whole band (each bar start within a
  // pixel: the mean over the band within a few hundredths).
  EXPECT_NEAR(static_cast<double>(merge.period), MeasuredRowPeriod(*state.chart.TestChart, q, c.row), 0.04);
}

INSTANTIATE_TEST_SUITE_P(Rows, ChartToMerge,
                         ::testing::Values(LinkCase{"600", "40", 1}, LinkCase{"600", "40", 11},
                                           LinkCase{"300", "40", 3}, LinkCase{"720", "60", 6},
                                           LinkCase{"1200", "21.25", 9}));

TEST(UseChartPitch, RefusesWhatItCannotUseAndChangesNothing) {
  MakerState state;
  FakeFrontend ui;
  UseChartPitch(state, ui, 1);
  EXPECT_EQ(ui.messages, std::vector<std::string>{kNoChartYet});
  EXPECT_EQ(state.lens, LensSettings{});

  CreateChartToEnd(state, ui, Settings("300", "40"));
  EXPECT_EQ(ErrorOf([&] { UseChartPitch(state, ui, 0); }), "Pick one of the chart's rows 1 to 11");
  EXPECT_EQ(ErrorOf([&] { UseChartPitch(state, ui, 12); }), "Pick one of the chart's rows 1 to 11");
  EXPECT_EQ(state.lens, LensSettings{});

  // A chart for a pitch the Lens group does not take.
  CreateChartToEnd(state, ui, Settings("300", "3"));
  EXPECT_EQ(ErrorOf([&] { UseChartPitch(state, ui, 1); }),
            "Row 1's " + state.chart.RowLabels[0] + " lpi cannot be used: the lens pitch must lie between 5 and 300 lpi");
  EXPECT_EQ(state.lens, LensSettings{});

  // A chart at a resolution beyond any printer the Lens group takes.
  CreateChartToEnd(state, ui, Settings("60", "10"));
  EXPECT_EQ(ErrorOf([&] { UseChartPitch(state, ui, 6); }),
            "A chart made at 60 dpi cannot be used: the output resolution must lie between 72 and 4800 dpi");
  EXPECT_EQ(state.lens, LensSettings{});
}

}  // namespace
}  // namespace lenti
