// The chart arithmetic: every derived quantity with its own rounding rule,
// the rows' source widths and their LPI labels, for the charts people make.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "core/error.h"
#include "testchart/test_chart.h"

namespace lenti {
namespace {

struct QuantityCase {
  const char* name;
  int32_t dpi, wcm, hcm;
  int64_t lx;
  int32_t step, lines;
  ChartQuantities expected;
  std::vector<std::string> labels;  // top row first
};

void PrintTo(const QuantityCase& c, std::ostream* os) { *os << c.name; }

// Field order: GW, RH, P, W, CW, CH, GB, LM, FS, TX, TY, K, C.
const QuantityCase kQuantityCases[] = {
    {"A4_1200dpi_40lpi", 1200, 21, 29, 400000, 10, 11,
     {9921, 988, 30, 15, 6142, 10866, 4252, 1417, 192, 200, 372, 0, 6},
     {"39.5296", "39.6237", "39.7178", "39.8119", "39.9059", "40", "40.0941", "40.1881", "40.2822",
      "40.3763", "40.4704"}},
    // 7.5 px rounds to 8 and 73.5 to 74 (ties to even); the excess is -7 steps.
    {"A4_300dpi_40lpi", 300, 21, 29, 400000, 10, 11,
     {2480, 247, 8, 3, 1535, 2717, 1063, 354, 48, 50, 74, -7, 6},
     {"38.2056", "38.5583", "38.9111", "39.2639", "39.6167", "39.9694", "40.3222", "40.675",
      "41.0278", "41.3805", "41.7333"}},
    {"Reset_A4_360dpi_21_25lpi_step15", 360, 21, 29, 212500, 15, 11,
     {2976, 296, 17, 8, 1843, 3260, 1276, 425, 58, 60, 93, 0, 6},
     {"19.9318", "20.1807", "20.4297", "20.6786", "20.9275", "21.1765", "21.4254", "21.6743",
      "21.9233", "22.1722", "22.4212"}},
    {"A3_1200dpi_40lpi", 1200, 29, 42, 400000, 10, 11,
     {13701, 1546, 30, 15, 9921, 17008, 8031, 1417, 192, 200, 651, 0, 6},
     {"39.751", "39.8008", "39.8506", "39.9004", "39.9502", "40", "40.0498", "40.0996", "40.1494",
      "40.1992", "40.249"}},
    {"A3_3600dpi_40lpi", 3600, 29, 42, 400000, 10, 11,
     {41102, 4639, 90, 45, 29764, 51024, 24094, 4252, 576, 600, 2006, 0, 6},
     {"39.917", "39.9336", "39.9502", "39.9668", "39.9834", "40", "40.0166", "40.0332", "40.0498",
      "40.0664", "40.083"}},
    // The empty Size entry: the band is negative and the labels run downwards.
    {"Empty_entry_1200dpi", 1200, 11, 14, 400000, 10, 11,
     {5197, 344, 30, 15, 1417, 3780, -472, 1417, 192, 200, 50, 0, 6},
     {"44.2373", "43.3898", "42.5424", "41.6949", "40.8475", "40", "39.1525", "38.3051", "37.4576",
      "36.6102", "35.7627"}},
};

class ChartQuantitiesTest : public ::testing::TestWithParam<QuantityCase> {};

TEST_P(ChartQuantitiesTest, EveryQuantityHasItsOwnRounding) {
  const QuantityCase& c = GetParam();
  const ChartQuantities q = ComputeChartQuantities(c.dpi, c.wcm, c.hcm, c.lx, c.step, c.lines);
  const ChartQuantities& e = c.expected;
  EXPECT_EQ(q.GW, e.GW);
  EXPECT_EQ(q.RH, e.RH);
  EXPECT_EQ(q.P, e.P);
  EXPECT_EQ(q.W, e.W);
  EXPECT_EQ(q.CW, e.CW);
  EXPECT_EQ(q.CH, e.CH);
  EXPECT_EQ(q.GB, e.GB);
  EXPECT_EQ(q.LM, e.LM);
  EXPECT_EQ(q.FS, e.FS);
  EXPECT_EQ(q.TX, e.TX);
  EXPECT_EQ(q.TY, e.TY);
  EXPECT_EQ(q.K, e.K);
  EXPECT_EQ(q.C, e.C);
}

TEST_P(ChartQuantitiesTest, RowsStepThroughSourceWidthsAndLabels) {
  const QuantityCase& c = GetParam();
  const ChartQuantities q = ComputeChartQuantities(c.dpi, c.wcm, c.hcm, c.lx, c.step, c.lines);
  ASSERT_EQ(c.labels.size(), static_cast<size_t>(c.lines));
  for (int i = 1; i <= c.lines; ++i) {
    const int64_t e = RowSourceWidth(q, i, c.step);
    // The centre row sits K steps from the band width; each row one step on.
    EXPECT_EQ(e, q.GB + (i - 6 - q.K) * c.step) << "row " << i;
    EXPECT_EQ(RowLabel(q, e, c.dpi), c.labels[i - 1]) << "row " << i;
  }
}

INSTANTIATE_TEST_SUITE_P(Charts, ChartQuantitiesTest, ::testing::ValuesIn(kQuantityCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ChartQuantities, DefaultRowsUseSourceWidths4202To4302) {
  const ChartQuantities q = ComputeChartQuantities(1200, 21, 29, 400000, 10, 11);
  std::vector<int64_t> widths;
  for (int i = 1; i <= 11; ++i) widths.push_back(RowSourceWidth(q, i, 10));
  const std::vector<int64_t> expected = {4202, 4212, 4222, 4232, 4242, 4252,
                                         4262, 4272, 4282, 4292, 4302};
  EXPECT_EQ(widths, expected);
}

TEST(ChartQuantities, CentreRowRoundsHalvesToEven) {
  const struct {
    int32_t lines;
    int64_t centre;
  } cases[] = {{1, 0}, {2, 1}, {3, 2}, {5, 2}, {7, 4}, {9, 4}, {11, 6}, {13, 6}};
  for (const auto& c : cases) {
    EXPECT_EQ(ComputeChartQuantities(1200, 21, 29, 400000, 10, c.lines).C, c.centre)
        << c.lines << " lines";
  }
}

TEST(ChartQuantities, PitchRoundsToEvenAndBarWidthTruncates) {
  const struct {
    int32_t dpi;
    int64_t lx;
    int64_t pitch, bar;
  } cases[] = {
      {1200, 400000, 30, 15},  // exact
      {300, 400000, 8, 3},     // 7.5 -> 8, 3.75 -> 3
      {600, 400000, 15, 7},    // 15 exactly, 7.5 -> 7
      {1200, 405000, 30, 14},  // 29.63 -> 30, 14.81 -> 14
      {360, 212500, 17, 8},    // 16.94 -> 17, 8.47 -> 8
      {1200, 24000000, 0, 0},  // 0.5 -> 0: refused by the generator
      {1200, -400000, -30, -15},
  };
  for (const auto& c : cases) {
    const ChartQuantities q = ComputeChartQuantities(c.dpi, 21, 29, c.lx, 10, 11);
    EXPECT_EQ(q.P, c.pitch) << c.dpi << " dpi, lx " << c.lx;
    EXPECT_EQ(q.W, c.bar) << c.dpi << " dpi, lx " << c.lx;
  }
}

TEST(ChartQuantities, ZeroDivisorsRaiseTheFloatingPointErrors) {
  const struct {
    int64_t lx;
    int32_t step, lines;
    const char* text;
  } cases[] = {
      {0, 10, 11, "Floating point division by zero"},       // an LPI of 0
      {400000, 10, 0, "Floating point division by zero"},   // no lines: the row height
      {400000, 0, 11, "Floating point division by zero"},   // no step: the centring offset
  };
  for (const auto& c : cases) {
    try {
      ComputeChartQuantities(1200, 21, 29, c.lx, c.step, c.lines);
      ADD_FAILURE() << "no error for lx " << c.lx << " step " << c.step << " lines " << c.lines;
    } catch (const Error& e) {
      EXPECT_STREQ(e.what(), c.text);
    }
  }
}

TEST(PaperTable, ByEntryPositionWithA4ForAnythingElse) {
  const struct {
    int index;
    int32_t wcm, hcm;
  } cases[] = {{0, 21, 29}, {1, 29, 42}, {2, 23, 25}, {3, 11, 14},
               {-1, 21, 29}, {4, 21, 29}, {1000, 21, 29}};
  for (const auto& c : cases) {
    const Paper paper = PaperTable(c.index);
    EXPECT_EQ(paper.Wcm, c.wcm) << c.index;
    EXPECT_EQ(paper.Hcm, c.hcm) << c.index;
    // The same paper through the page a printer profile names.
    const Paper named = ChartPaper(PrinterProfile{300, ChartPageAt(c.index)});
    EXPECT_EQ(named.Wcm, c.wcm) << c.index;
    EXPECT_EQ(named.Hcm, c.hcm) << c.index;
  }
}

TEST(LpiTextToLx, KeepsFourDecimals) {
  const struct {
    const char* text;
    int64_t lx;
  } cases[] = {{"40", 400000}, {"40.5", 405000}, {"21.25", 212500}, {" 40.00004 ", 400000},
               {"0", 0},       {"-40", -400000},
               {"400", 4000000}, {"39,5 lpi", 395000}};  // the chart is not held to the lens range
  for (const auto& c : cases) EXPECT_EQ(LpiTextToLx(c.text), c.lx) << c.text;
  try {
    LpiTextToLx("4O");
    ADD_FAILURE() << "no error";
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), "'4O' is not a valid floating point value");
  }
}

}  // namespace
}  // namespace lenti
