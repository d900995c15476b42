// Output geometry at 21.25 lpi for every frame count, in both Modes.
#include "interlace/geometry.h"

#include <gtest/gtest.h>

namespace lenti {
namespace {

struct GeometryRow {
  int n;
  int strip;
  int64_t dpi_x;  // dpi x 10000
  int width;      // portrait
  int height;
  int slice_across;
};

// n, strip width, OutputDpiX, portrait width x height, slice size across the strips.
const GeometryRow kRows[] = {
    {2, 7, 2975000, 1698, 2049, 1024}, {3, 5, 3187500, 1819, 2196, 732},
    {4, 4, 3400000, 1940, 2342, 585},  {5, 3, 3187500, 1819, 2196, 439},
    {6, 2, 2550000, 1455, 1756, 292},  {7, 2, 2975000, 1698, 2049, 292},
    {8, 2, 3400000, 1940, 2342, 292},  {9, 2, 3825000, 2183, 2635, 292},
    {10, 1, 2125000, 1213, 1464, 146}, {11, 1, 2337500, 1334, 1610, 146},
    {12, 1, 2550000, 1455, 1756, 146}, {13, 1, 2762500, 1577, 1903, 146},
    {14, 1, 2975000, 1698, 2049, 146}, {15, 1, 3187500, 1819, 2196, 146},
    {16, 1, 3400000, 1940, 2342, 146},
};

class GeometryTable : public ::testing::TestWithParam<GeometryRow> {};

TEST_P(GeometryTable, PortraitAndLandscape) {
  const GeometryRow& row = GetParam();
  const OutputGeometry portrait = ComputeOutputGeometry(row.n, 212500, Mode::PortraitRows);
  EXPECT_EQ(portrait.StripWidth, row.strip);
  EXPECT_EQ(portrait.OutputDpiX, row.dpi_x);
  EXPECT_EQ(portrait.OutputWidth, row.width);
  EXPECT_EQ(portrait.OutputHeight, row.height);
  EXPECT_EQ(SliceSize(portrait.OutputWidth, portrait.OutputHeight, row.n, Mode::PortraitRows),
            (Size{row.width, row.slice_across}));

  const OutputGeometry landscape = ComputeOutputGeometry(row.n, 212500, Mode::LandscapeColumns);
  EXPECT_EQ(landscape.StripWidth, row.strip);
  EXPECT_EQ(landscape.OutputWidth, row.height);
  EXPECT_EQ(landscape.OutputHeight, row.width);
  EXPECT_EQ(SliceSize(landscape.OutputWidth, landscape.OutputHeight, row.n, Mode::LandscapeColumns),
            (Size{row.slice_across, row.width}));
}

INSTANTIATE_TEST_SUITE_P(At2125Lpi, GeometryTable, ::testing::ValuesIn(kRows));

TEST(StripWidth, ImportRuleUses250) {
  const int expected[] = {0, 0, 0, 4, 3, 2, 2, 2, 1, 1, 1, 1, 1, 1, 1, 1, 1};
  for (int n = 3; n <= 16; ++n) EXPECT_EQ(ImportStripWidth(n, 212500), expected[n]) << n;
}

TEST(StripWidth, ZeroBecomesOne) {
  // A very fine lens sheet gives a strip of less than half a pixel.
  EXPECT_EQ(MergeStripWidth(16, 2000000), 1);
}

}  // namespace
}  // namespace lenti
