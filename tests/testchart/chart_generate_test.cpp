// The drawn chart, checked in its pixels: the grating's bars, each row's
// fitted band, label and separator, the reference stripe, the preview, and
// every request the generator refuses before allocating anything.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "core/error.h"
#include "core/text.h"
#include "testchart/test_chart.h"

namespace lenti {
namespace {

using ::testing::HasSubstr;

bool Black(const Raster& r, int x, int y) { return r.PixelColor(x, y) == kBlack; }

struct BlackRun {
  int start, length;
  friend bool operator==(const BlackRun&, const BlackRun&) = default;
};

// The black runs of row y between x0 and x1 (exclusive).
std::vector<BlackRun> BlackRuns(const Raster& r, int y, int x0, int x1) {
  std::vector<BlackRun> runs;
  for (int x = x0; x < x1; ++x) {
    if (!Black(r, x, y)) continue;
    if (!runs.empty() && runs.back().start + runs.back().length == x) {
      ++runs.back().length;
    } else {
      runs.push_back(BlackRun{x, 1});
    }
  }
  return runs;
}

bool AllWhite(const Raster& r, int y, int x0, int x1) { return BlackRuns(r, y, x0, x1).empty(); }
bool AllBlack(const Raster& r, int y, int x0, int x1) {
  const auto runs = BlackRuns(r, y, x0, x1);
  return runs.size() == 1 && runs[0] == BlackRun{x0, x1 - x0};
}

// Bars at 0, P, 2P, ... while the start lies inside `width`, cut at `width`.
std::vector<BlackRun> ExpectedBars(int64_t width, int64_t pitch, int64_t bar) {
  std::vector<BlackRun> runs;
  for (int64_t x = 0; x < width; x += pitch) {
    runs.push_back(BlackRun{static_cast<int>(x), static_cast<int>(std::min(bar, width - x))});
  }
  return runs;
}

// ---------------------------------------------------------------- grating

struct GratingCase {
  int32_t dpi;
  int64_t lx;
  int64_t width, height, pitch, bar;
  size_t bars;
  int last_start;
};

const GratingCase kGratingCases[] = {
    {1200, 400000, 9921, 988, 30, 15, 331, 9900},
    {300, 400000, 2480, 247, 8, 3, 310, 2472},
    {360, 212500, 2976, 296, 17, 8, 176, 2975},  // the last bar is cut to one column
};

TEST(BuildGrating, BarsEveryPitchWithAWhiteBottomRow) {
  for (const GratingCase& c : kGratingCases) {
    SCOPED_TRACE(std::to_string(c.dpi) + " dpi");
    const ChartQuantities q = ComputeChartQuantities(c.dpi, 21, 29, c.lx, 10, 11);
    const Raster grating = BuildGrating(q);
    ASSERT_EQ(grating.Width(), c.width);
    ASSERT_EQ(grating.Height(), c.height);
    EXPECT_EQ(grating.Format(), PixelFormat::pf1bit);
    const std::vector<BlackRun> bars = ExpectedBars(c.width, c.pitch, c.bar);
    ASSERT_EQ(bars.size(), c.bars);
    EXPECT_EQ(bars.back().start, c.last_start);
    for (int y : {0, static_cast<int>(c.height) / 2, static_cast<int>(c.height) - 2}) {
      EXPECT_EQ(BlackRuns(grating, y, 0, grating.Width()), bars) << "row " << y;
    }
    EXPECT_TRUE(AllWhite(grating, grating.Height() - 1, 0, grating.Width()));
  }
}

// ------------------------------------------------------------------ chart

struct ChartCase {
  const char* name;
  int32_t dpi, wcm, hcm;
  int64_t lx;
  int32_t step, lines;
  int width, height;
  int stripe_left, stripe_right, stripe_source;
  int preview_width, preview_height;
};

void PrintTo(const ChartCase& c, std::ostream* os) { *os << c.name; }

const ChartCase kChartCases[] = {
    {"A4_1200dpi", 1200, 21, 29, 400000, 10, 11, 6142, 10866, 5819, 6119, 300, 511, 905},
    // 112.5 rounds to 112: 74 columns for a 75-column source.
    {"A4_300dpi", 300, 21, 29, 400000, 10, 11, 1535, 2717, 1455, 1529, 75, 511, 905},
    {"Reset_360dpi", 360, 21, 29, 212500, 15, 11, 1843, 3260, 1746, 1836, 90, 511, 905},
    {"A3_1200dpi", 1200, 29, 42, 400000, 10, 11, 9921, 17008, 9598, 9898, 300, 826, 1417},
};

class ChartTest : public ::testing::TestWithParam<ChartCase> {
 protected:
  static void TearDownTestSuite() { charts_.clear(); }
  // Each chart is drawn once for all the checks on it.
  const Raster& Chart() {
    const ChartCase& c = GetParam();
    auto found = charts_.find(c.name);
    if (found == charts_.end()) {
      found = charts_.emplace(c.name, GenerateTestChart(c.dpi, c.wcm, c.hcm, c.lx, c.step, c.lines))
                  .first;
    }
    return found->second;
  }
  ChartQuantities Quantities() const {
    const ChartCase& c = GetParam();
    return ComputeChartQuantities(c.dpi, c.wcm, c.hcm, c.lx, c.step, c.lines);
  }
  static std::map<std::string, Raster> charts_;
};
std::map<std::string, Raster> ChartTest::charts_;

TEST_P(ChartTest, IsOneBitAtThePaperLess8By6Cm) {
  const Raster& chart = Chart();
  EXPECT_EQ(chart.Width(), GetParam().width);
  EXPECT_EQ(chart.Height(), GetParam().height);
  EXPECT_EQ(chart.Format(), PixelFormat::pf1bit);
  ASSERT_EQ(chart.Palette().size(), 2u);
  EXPECT_EQ(chart.Palette()[0], kBlack);
  EXPECT_EQ(chart.Palette()[1], kWhite);
}

// Row i shows the grating's first E columns fitted into GB columns: as many
// bars as start inside E, the first at the band's left edge, repeating every
// P x GB / E pixels, and the 40 rows under the band white.
TEST_P(ChartTest, EachBandHoldsTheFittedGrating) {
  const Raster& chart = Chart();
  const ChartCase& c = GetParam();
  const ChartQuantities q = Quantities();
  const int lm = static_cast<int>(q.LM), band_end = static_cast<int>(q.LM + q.GB);
  for (int i = 1; i <= c.lines; ++i) {
    SCOPED_TRACE("row " + std::to_string(i));
    const int y0 = (i - 1) * static_cast<int>(q.RH);
    const int64_t e = RowSourceWidth(q, i, c.step);
    const size_t bars = static_cast<size_t>((e + q.P - 1) / q.P);
    const std::vector<BlackRun> top = BlackRuns(chart, y0, lm, band_end);
    ASSERT_EQ(top.size(), bars);
    EXPECT_EQ(top.front().start, lm);
    const double period = static_cast<double>(top.back().start - top.front().start) /
                          static_cast<double>(bars - 1);
    EXPECT_NEAR(period, static_cast<double>(q.P * q.GB) / static_cast<double>(e), 0.05);
    // Rows are copied one to one: every band row is the same.
    const int band_rows = static_cast<int>(q.RH) - 40;
    EXPECT_EQ(BlackRuns(chart, y0 + band_rows / 2, lm, band_end), top);
    EXPECT_EQ(BlackRuns(chart, y0 + band_rows - 1, lm, band_end), top);
    const int gap_end = std::min(y0 + static_cast<int>(q.RH) - 1, chart.Height());
    for (int y = y0 + band_rows; y < gap_end; ++y) {
      ASSERT_TRUE(AllWhite(chart, y, lm, band_end)) << "gap row " << y;
    }
    // Nothing between the band and the stripe.
    EXPECT_TRUE(AllWhite(chart, y0 + 1, band_end, c.stripe_left));
  }
}

TEST_P(ChartTest, SeparatorsAreTwoRowsFromTheLeftEdgeToGB) {
  const Raster& chart = Chart();
  const ChartCase& c = GetParam();
  const ChartQuantities q = Quantities();
  const int gb = static_cast<int>(q.GB), lm = static_cast<int>(q.LM);
  for (int i = 1; i <= c.lines; ++i) {
    SCOPED_TRACE("row " + std::to_string(i));
    const int lower = i * static_cast<int>(q.RH) - 1;  // the last pixel row of row i
    if (lower >= chart.Height()) continue;           // the last one lies below the chart
    EXPECT_TRUE(AllBlack(chart, lower, 0, gb));
    EXPECT_FALSE(Black(chart, gb, lower));
    if (lower + 1 < chart.Height()) {
      // The next band covers the upper row of row i + 1 from LM on.
      EXPECT_TRUE(AllBlack(chart, lower + 1, 0, lm));
    }
  }
}

TEST(ChartSeparators, LieOnPixelRows987_988And1975_1976ByDefault) {
  const Raster chart = GenerateTestChart(1200, 21, 29, 400000, 10, 11);
  for (int y : {987, 988, 1975, 1976}) EXPECT_TRUE(AllBlack(chart, y, 0, 1417)) << y;
  for (int y : {986, 1974}) EXPECT_TRUE(AllWhite(chart, y, 0, 1417)) << y;
  EXPECT_TRUE(AllBlack(chart, 987, 0, 4252));
  EXPECT_FALSE(Black(chart, 4252, 987));
}

// Each label is exactly the row's LPI written at (TX, Y0 + TY) on white, and
// the label column has no other ink.
TEST_P(ChartTest, LabelsStandInTheirCells) {
  const Raster& chart = Chart();
  const ChartCase& c = GetParam();
  const ChartQuantities q = Quantities();
  const int tx = static_cast<int>(q.TX), lm = static_cast<int>(q.LM);
  Font font = chart.GetFont();
  EXPECT_EQ(font.size, q.FS);
  for (int i = 1; i <= c.lines; ++i) {
    SCOPED_TRACE("row " + std::to_string(i));
    const int y0 = (i - 1) * static_cast<int>(q.RH);
    const std::string label = RowLabel(q, RowSourceWidth(q, i, c.step), c.dpi);
    const Size cell = MeasureText(font, label);
    Raster reference(cell.width, cell.height, PixelFormat::pf1bit);
    reference.SetFont(font);
    reference.TextOut(0, 0, label);
    int ink = 0;
    const int label_rows_end = std::min(y0 + static_cast<int>(q.RH) - 1, chart.Height());
    for (int y = y0 + 1; y < label_rows_end; ++y) {
      for (int x = 0; x < lm; ++x) {
        const int cx = x - tx, cy = y - y0 - static_cast<int>(q.TY);
        const bool in_cell = cx >= 0 && cy >= 0 && cx < cell.width && cy < cell.height;
        const bool expected = in_cell && Black(reference, cx, cy);
        ink += expected;
        ASSERT_EQ(Black(chart, x, y), expected) << "at " << x << ", " << y;
      }
    }
    EXPECT_GT(ink, 0) << label;
  }
}

// A quarter inch of the unfitted grating stretched over the whole height; its
// white bottom row becomes a white foot about CH / RH pixels high.
TEST_P(ChartTest, ReferenceStripeShowsTheIntegerPitch) {
  const Raster& chart = Chart();
  const ChartCase& c = GetParam();
  const ChartQuantities q = Quantities();
  const int left = c.stripe_left, right = c.stripe_right;
  const std::vector<BlackRun> runs = BlackRuns(chart, 0, left, right);
  const std::vector<BlackRun> source = ExpectedBars(c.stripe_source, q.P, q.W);
  ASSERT_EQ(runs.size(), source.size());
  if (right - left == c.stripe_source) {
    std::vector<BlackRun> shifted = source;
    for (BlackRun& run : shifted) run.start += left;
    EXPECT_EQ(runs, shifted);
  }
  EXPECT_EQ(runs.front().start, left);
  EXPECT_FALSE(Black(chart, left - 1, 0));
  EXPECT_TRUE(AllWhite(chart, 0, right, chart.Width()));
  int white_foot = 0;
  for (int y = chart.Height() - 1; y >= 0 && !Black(chart, left, y); --y) ++white_foot;
  EXPECT_GE(white_foot, chart.Height() / q.RH);
  EXPECT_LE(white_foot, chart.Height() / q.RH + 1);
  EXPECT_TRUE(Black(chart, left, chart.Height() - 1 - white_foot));
}

// 100 pixels per inch, shrunk with black winning: the two-pixel separators
// stay continuous lines.
TEST_P(ChartTest, PreviewKeepsTheSeparators) {
  const Raster& chart = Chart();
  const ChartCase& c = GetParam();
  const ChartQuantities q = Quantities();
  const Raster preview = ChartPreview(chart, c.dpi);
  ASSERT_EQ(preview.Width(), c.preview_width);
  ASSERT_EQ(preview.Height(), c.preview_height);
  EXPECT_EQ(preview.Format(), PixelFormat::pf1bit);
  const int y = static_cast<int>((q.RH - 1) * preview.Height() / chart.Height());
  const int x_end = static_cast<int>(q.GB * preview.Width() / chart.Width()) - 1;
  for (int x = 0; x < x_end; ++x) {
    const bool line = Black(preview, x, y - 1) || Black(preview, x, y) || Black(preview, x, y + 1);
    ASSERT_TRUE(line) << "separator broken at preview x " << x;
  }
}

INSTANTIATE_TEST_SUITE_P(Charts, ChartTest, ::testing::ValuesIn(kChartCases),
                         [](const auto& info) { return std::string(info.param.name); });

// An LPI equal to the DPI gives a pitch of one pixel and bars of width 0:
// a white chart, made without delay.
TEST(GenerateTestChart, OnePixelPitchDrawsNoBars) {
  const Raster chart = GenerateTestChart(300, 21, 29, 3000000, 10, 11);
  EXPECT_TRUE(AllWhite(chart, 1, 354, 354 + 1063));
}

// ---------------------------------------------------------------- refusals

struct RefusalCase {
  const char* name;
  int32_t dpi, wcm, hcm;
  int64_t lx;
  int32_t step, lines;
  const char* text;  // the whole message, or its start when it ends in "..."
};

void PrintTo(const RefusalCase& c, std::ostream* os) { *os << c.name; }

const RefusalCase kRefusals[] = {
    {"no_dpi", 0, 21, 29, 400000, 10, 11, "The DPI must be at least 1 (it is 0)."},
    {"negative_dpi", -300, 21, 29, 400000, 10, 11, "The DPI must be at least 1 (it is -300)."},
    {"no_lines", 1200, 21, 29, 400000, 10, 0, "The number of lines must be at least 1 (it is 0)."},
    {"no_step", 1200, 21, 29, 400000, 0, 11, "The step must be at least 1 pixel (it is 0)."},
    {"negative_step", 1200, 21, 29, 400000, -10, 11,
     "The step must be at least 1 pixel (it is -10)."},
    {"zero_lpi", 1200, 21, 29, 0, 10, 11, "Floating point division by zero"},
    {"lpi_twice_the_dpi", 1200, 21, 29, 24000000, 10, 11,
     "The LPI is too high for 1200 dpi: it must be below 2400 (twice the DPI), or the bars would "
     "be less than a pixel apart."},
    {"lpi_beyond_twice_the_dpi", 300, 21, 29, 10000000, 10, 11,
     "The LPI is too high for 300 dpi: it must be below 600 (twice the DPI), or the bars would be "
     "less than a pixel apart."},
    {"negative_lpi", 1200, 21, 29, -400000, 10, 11, "The LPI must be greater than 0 (it is -40)."},
    {"paper_of_11_cm", 1200, 11, 14, 400000, 10, 11,
     "The paper is too narrow for the chart: it must be wider than 12 cm (it is 11 cm)."},
    {"paper_of_12_cm", 1200, 12, 29, 400000, 10, 11,
     "The paper is too narrow for the chart: it must be wider than 12 cm (it is 12 cm)."},
    {"paper_of_6_cm_height", 1200, 21, 6, 400000, 10, 11,
     "The rows would be less than one pixel high: use fewer lines, a taller paper or a higher "
     "DPI."},
    {"rows_below_a_pixel", 1200, 21, 29, 400000, 10, 100000,
     "The rows would be less than one pixel high: use fewer lines, a taller paper or a higher "
     "DPI."},
    {"step_beyond_the_grating", 1200, 21, 29, 400000, 1000, 11,
     "The step of 1000 pixels is too large for this chart: the rows would need -748 to 9252 "
     "grating columns, and the paper gives 1 to 9921."},
    // The integer pitch 1 for an exact 0.5505 px: the nominal lenses alone
    // need more columns than the paper, whatever the step.
    {"pitch_rounded_beyond_the_grating", 300, 29, 42, 5450000, 10, 11,
     "The LPI 545 is too high for 300 dpi on this paper: its pitch of 0.5505 pixels rounds to 1, "
     "and the rows would need 3598 to 3698 grating columns where the paper gives 1 to 3425. "
     "Choose a lower LPI or a higher DPI."},
    {"chart_beyond_memory", 20000, 29, 42, 400000, 10, 11,
     "The chart of 165354 x 283465 pixels is too large for memory: choose a lower DPI or a "
     "smaller paper."},
    {"grating_beyond_memory", 12000, 21, 29, 400000, 10, 1,
     "The grating of 99213 x 108661 pixels is too large for memory: choose a lower DPI or a "
     "smaller paper."},
};

class RefusalTest : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(RefusalTest, RefusesWithAClearMessage) {
  const RefusalCase& c = GetParam();
  try {
    GenerateTestChart(c.dpi, c.wcm, c.hcm, c.lx, c.step, c.lines);
    FAIL() << "the chart was made";
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), c.text);
  }
}

INSTANTIATE_TEST_SUITE_P(Requests, RefusalTest, ::testing::ValuesIn(kRefusals),
                         [](const auto& info) { return std::string(info.param.name); });

// The largest pitch that still rounds to one pixel is accepted.
TEST(GenerateTestChart, AcceptsTheEdgesOfEveryRefusal) {
  const struct {
    int32_t dpi, wcm, hcm;
    int64_t lx;
    int32_t step, lines;
  } accepted[] = {
      {300, 21, 29, 5990000, 10, 11},  // 599 LPI at 300 dpi: P = 1
      {300, 13, 29, 400000, 1, 11},    // 13 cm paper, step 1
      {1, 21, 29, 1, 1, 1},            // one dpi, one line
  };
  for (const auto& c : accepted) {
    EXPECT_NO_THROW(GenerateTestChart(c.dpi, c.wcm, c.hcm, c.lx, c.step, c.lines))
        << c.dpi << " dpi, " << c.wcm << " cm, lx " << c.lx;
  }
}

}  // namespace
}  // namespace lenti
