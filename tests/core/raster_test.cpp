// Rasters and their canvas: start colours, rectangles, resizing, and every
// rectangle copy (plain and scaled, all formats, clipped anywhere) checked
// pixel for pixel against a small per-pixel reference.
#include "core/raster.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "core/error.h"

namespace lenti {
namespace {

__extension__ typedef __int128 Int128;

const PixelFormat kFormats[] = {PixelFormat::pf1bit, PixelFormat::pf8bit, PixelFormat::pf24bit};

const char* FormatName(PixelFormat f) {
  return f == PixelFormat::pf1bit ? "1bit" : f == PixelFormat::pf8bit ? "8bit" : "24bit";
}

// ---------------------------------------------------------------- reference

// The raw value of a pixel: the bit, the index, or b | g << 8 | r << 16.
uint32_t RawValue(const Raster& r, int x, int y) {
  const uint8_t* row = r.ScanLine(y);
  switch (r.Format()) {
    case PixelFormat::pf1bit:
      return (row[x / 8] >> (7 - x % 8)) & 1;
    case PixelFormat::pf8bit:
      return row[x];
    case PixelFormat::pf24bit:
      return row[3 * x] | (uint32_t{row[3 * x + 1]} << 8) | (uint32_t{row[3 * x + 2]} << 16);
  }
  return 0;
}

Color ValueColor(const Raster& r, uint32_t v) {
  if (r.Format() == PixelFormat::pf24bit) {
    return Color{static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v)};
  }
  return v < r.Palette().size() ? r.Palette()[v] : kBlack;
}

// Source span [first, end) of destination index j of an axis, before clipping.
void ReferenceSpan(int64_t j, int64_t sw, int64_t dw, StretchRule rule, int64_t& first,
                   int64_t& end) {
  if (rule == StretchRule::NearestNeighbour) {
    first = static_cast<int64_t>(Int128(2 * j + 1) * sw / (2 * Int128(dw)));
    end = first + 1;
    return;
  }
  first = static_cast<int64_t>(Int128(j) * sw / dw);
  end = std::max<int64_t>(static_cast<int64_t>(Int128(j + 1) * sw / dw), first + 1);
}

// One destination pixel at a time: the AND of the raw source values of its
// span, converted with SetPixelColor.
void ReferenceCopy(Raster& dest, const Rect& to, const Raster& source, const Rect& from,
                   StretchRule rule) {
  const int64_t dw = int64_t{to.right} - to.left, dh = int64_t{to.bottom} - to.top;
  const int64_t sw = int64_t{from.right} - from.left, sh = int64_t{from.bottom} - from.top;
  if (dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0) return;
  for (int y = 0; y < dest.Height(); ++y) {
    const int64_t i = int64_t{y} - to.top;
    if (i < 0 || i >= dh) continue;
    int64_t r0, r1;
    ReferenceSpan(i, sh, dh, rule, r0, r1);
    r0 = std::max<int64_t>(r0 + from.top, 0);
    r1 = std::min<int64_t>(r1 + from.top, source.Height());
    if (r0 >= r1) continue;
    for (int x = 0; x < dest.Width(); ++x) {
      const int64_t j = int64_t{x} - to.left;
      if (j < 0 || j >= dw) continue;
      int64_t c0, c1;
      ReferenceSpan(j, sw, dw, rule, c0, c1);
      c0 = std::max<int64_t>(c0 + from.left, 0);
      c1 = std::min<int64_t>(c1 + from.left, source.Width());
      if (c0 >= c1) continue;
      uint32_t v = 0xFFFFFFFFu;
      for (int64_t sy = r0; sy < r1; ++sy) {
        for (int64_t sx = c0; sx < c1; ++sx) v &= RawValue(source, int(sx), int(sy));
      }
      dest.SetPixelColor(x, y, ValueColor(source, v));
    }
  }
}

// ---------------------------------------------------------------- helpers

// Fills every stored byte (row padding included) from the generator.
void FillRandom(Raster& r, std::mt19937& rng) {
  for (int y = 0; y < r.Height(); ++y) {
    uint8_t* row = r.ScanLine(y);
    for (size_t i = 0; i < r.Stride(); ++i) row[i] = static_cast<uint8_t>(rng());
  }
}

// Fills with a few distinct values, so that ANDs and nearest entries vary
// without washing out to black.
void FillPatches(Raster& r, std::mt19937& rng) {
  const uint8_t choices[] = {0x00, 0xFF, 0xF0, 0x0F, 0xAA, 0x55, 0xC3, 0x7E};
  for (int y = 0; y < r.Height(); ++y) {
    uint8_t* row = r.ScanLine(y);
    for (size_t i = 0; i < r.Stride(); ++i) row[i] = choices[rng() % 8];
  }
}

std::vector<Color> RandomPalette(std::mt19937& rng, size_t n) {
  std::vector<Color> p(n);
  for (auto& c : p) c = Color{uint8_t(rng()), uint8_t(rng()), uint8_t(rng())};
  return p;
}

bool SameBytes(const Raster& a, const Raster& b) {
  if (a.Width() != b.Width() || a.Height() != b.Height() || a.Stride() != b.Stride()) return false;
  for (int y = 0; y < a.Height(); ++y) {
    if (std::memcmp(a.ScanLine(y), b.ScanLine(y), a.Stride()) != 0) return false;
  }
  return true;
}

std::string FirstDifference(const Raster& a, const Raster& b) {
  for (int y = 0; y < a.Height(); ++y) {
    for (int x = 0; x < a.Width(); ++x) {
      if (RawValue(a, x, y) != RawValue(b, x, y)) {
        std::ostringstream s;
        s << "first difference at (" << x << ", " << y << "): got " << RawValue(a, x, y)
          << ", reference " << RawValue(b, x, y);
        return s.str();
      }
    }
  }
  return "difference in row padding";
}

void SwitchToNearest(Raster& r) {
  const Raster colour(1, 1, PixelFormat::pf24bit);
  r.StretchDraw(Rect{0, 0, 0, 0}, colour);
}

std::string RectText(const Rect& r) {
  std::ostringstream s;
  s << "(" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << ")";
  return s.str();
}

// ---------------------------------------------------------------- canvas basics

class EachFormat : public ::testing::TestWithParam<PixelFormat> {};

TEST_P(EachFormat, NewRasterIsWhiteEverywhere) {
  const Raster r(10, 10, GetParam());
  for (int y = 0; y < 10; ++y) {
    for (int x = 0; x < 10; ++x) ASSERT_EQ(r.PixelColor(x, y), kWhite) << x << "," << y;
  }
}

TEST_P(EachFormat, RectangleWithBlackBrushAndPenFillsExactlyTheArea) {
  Raster r(6, 6, GetParam());
  r.SetBrushColor(kBlack);
  r.Rectangle(0, 0, 3, 3);
  for (int y = 0; y < 6; ++y) {
    for (int x = 0; x < 6; ++x) {
      EXPECT_EQ(r.PixelColor(x, y), x < 3 && y < 3 ? kBlack : kWhite) << x << "," << y;
    }
  }
}

TEST_P(EachFormat, RectangleWithWhiteBrushDrawsOnlyTheOutline) {
  Raster r(8, 8, GetParam());
  r.SetBrushColor(kBlack);
  r.FillRect(r.ClipRect(), kBlack);
  r.SetBrushColor(kWhite);
  r.Rectangle(1, 1, 6, 5);
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) {
      const bool inside = x >= 2 && x <= 4 && y >= 2 && y <= 3;
      EXPECT_EQ(r.PixelColor(x, y), inside ? kWhite : kBlack) << x << "," << y;
    }
  }
}

TEST_P(EachFormat, ResizeFillsWithWhiteThenWithTheBrushOnceTheCanvasIsUsed) {
  Raster fresh(2, 2, GetParam());
  fresh.SetSize(4, 3);
  EXPECT_EQ(fresh.PixelColor(3, 2), kWhite);

  Raster used(2, 2, GetParam());
  used.FillRect(Rect{0, 0, 2, 2}, kBlack);  // pixels to keep
  used.SetBrushColor(kBlack);
  used.SetBrushColor(kWhite);
  used.SetBrushColor(GetParam() == PixelFormat::pf24bit ? kRed : kBlack);
  used.SetSize(5, 4);
  const Color fill = GetParam() == PixelFormat::pf24bit ? kRed : kBlack;
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 5; ++x) EXPECT_EQ(used.PixelColor(x, y), x < 2 && y < 2 ? kBlack : fill);
  }

  Raster clear(2, 2, GetParam());
  clear.SetBrushColor(kBlack);
  clear.SetBrushStyle(BrushStyle::Clear);
  clear.SetSize(3, 3);
  EXPECT_EQ(clear.PixelColor(2, 2), kWhite);
}

INSTANTIATE_TEST_SUITE_P(Formats, EachFormat, ::testing::ValuesIn(kFormats),
                         [](const auto& info) { return std::string(FormatName(info.param)); });

// Areas reaching the ends of the coordinate range: brush and outline are
// clipped, nothing overflows.
TEST(RectangleEdges, ExtremeCoordinatesAreClipped) {
  Raster r(6, 6, PixelFormat::pf24bit);
  r.SetBrushColor(kRed);
  r.Rectangle(INT_MIN, INT_MIN, INT_MAX, INT_MAX);  // outline far outside
  for (int y = 0; y < 6; ++y) {
    for (int x = 0; x < 6; ++x) ASSERT_EQ(r.PixelColor(x, y), kRed);
  }
  r.Rectangle(-5, -5, INT_MAX, 3);  // bottom edge at row 2
  for (int x = 0; x < 6; ++x) {
    EXPECT_EQ(r.PixelColor(x, 1), kRed);
    EXPECT_EQ(r.PixelColor(x, 2), kBlack);
  }
  r.Rectangle(INT_MAX - 1, INT_MAX - 1, INT_MAX, INT_MAX);
  r.Rectangle(INT_MIN, 0, INT_MIN + 1, 1);
  EXPECT_EQ(r.PixelColor(5, 5), kRed);
}

struct LineCase {
  const char* name;
  std::vector<Point> points;
  std::vector<Point> black;  // every pixel the pen sets
};

const LineCase kLines[] = {
    {"ShortLastPointNotSet", {{1, 1}, {4, 1}}, {{1, 1}, {2, 1}, {3, 1}}},
    {"Vertical", {{2, 3}, {2, 0}}, {{2, 3}, {2, 2}, {2, 1}}},
    {"Diagonal", {{0, 0}, {3, 3}, {0, 6}}, {{0, 0}, {1, 1}, {2, 2}, {3, 3}, {2, 4}, {1, 5}}},
    {"FarHorizontal", {{-2000000000, 5}, {2000000000, 5}},
     {{0, 5}, {1, 5}, {2, 5}, {3, 5}, {4, 5}, {5, 5}, {6, 5}, {7, 5}}},
    {"FarDiagonal", {{INT_MIN + 1, INT_MIN + 1}, {INT_MAX, INT_MAX}},
     {{0, 0}, {1, 1}, {2, 2}, {3, 3}, {4, 4}, {5, 5}, {6, 6}, {7, 7}}},
    {"FarAwayEntirely", {{-100000, -100000}, {-100000, 2000000000}, {INT_MAX, INT_MIN}}, {}},
    {"SinglePoint", {{3, 3}}, {}},
};

class Lines : public ::testing::TestWithParam<LineCase> {};

TEST_P(Lines, SetExactlyTheirPixels) {
  const LineCase& c = GetParam();
  Raster r(8, 8, PixelFormat::pf1bit);
  r.Polyline(c.points);
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) {
      const bool expected = std::find(c.black.begin(), c.black.end(), Point{x, y}) != c.black.end();
      EXPECT_EQ(r.PixelColor(x, y), expected ? kBlack : kWhite) << x << "," << y;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Polyline, Lines, ::testing::ValuesIn(kLines),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Brush, ClearStyleTurnsWhiteAndAColourMakesItSolidAgain) {
  Raster r(1, 1);
  r.SetBrushColor(kRed);
  r.SetBrushStyle(BrushStyle::Clear);
  EXPECT_EQ(r.GetBrush().style, BrushStyle::Clear);
  EXPECT_EQ(r.GetBrush().color, kWhite);
  r.SetBrushColor(kBlack);
  EXPECT_EQ(r.GetBrush().style, BrushStyle::Solid);
  EXPECT_EQ(r.GetBrush().color, kBlack);
}

TEST(ScanLine, RowsOutsideTheRasterRaiseTheToolkitError) {
  Raster r(3, 2, PixelFormat::pf1bit);
  EXPECT_EQ(r.Stride(), 4u);
  for (int row : {-1, 2, INT_MIN, INT_MAX}) {
    try {
      r.ScanLine(row);
      ADD_FAILURE() << row;
    } catch (const Error& e) {
      EXPECT_STREQ(e.what(), "Scan line index out of range");
    }
  }
}

// ---------------------------------------------------------------- stretch rule

TEST(StretchRule, ColourStretchSwitchesToNearestUntilResize) {
  Raster dest(4, 4, PixelFormat::pf1bit);
  EXPECT_EQ(dest.GetStretchRule(), StretchRule::AndCombine);
  const Raster mono(8, 8, PixelFormat::pf1bit);
  dest.StretchDraw(dest.ClipRect(), mono);
  EXPECT_EQ(dest.GetStretchRule(), StretchRule::AndCombine) << "a 1-bit source keeps the rule";
  const Raster colour(8, 8, PixelFormat::pf24bit);
  dest.StretchDraw(dest.ClipRect(), colour);
  EXPECT_EQ(dest.GetStretchRule(), StretchRule::NearestNeighbour);
  dest.SetSize(4, 4);
  EXPECT_EQ(dest.GetStretchRule(), StretchRule::NearestNeighbour) << "same size is no resize";
  dest.SetSize(5, 4);
  EXPECT_EQ(dest.GetStretchRule(), StretchRule::AndCombine);
}

// After a colour StretchDraw a 1-bit shrink samples instead of keeping black.
TEST(StretchRule, OneBitSourceFollowsTheCurrentRule) {
  Raster source(4, 1, PixelFormat::pf1bit);
  source.SetPixelColor(0, 0, kBlack);  // columns 0..1 -> 0 (AND black), 2..3 -> 1
  Raster and_dest(2, 1, PixelFormat::pf1bit);
  and_dest.StretchDraw(and_dest.ClipRect(), source);
  EXPECT_EQ(and_dest.PixelColor(0, 0), kBlack);
  Raster nearest_dest(2, 1, PixelFormat::pf1bit);
  SwitchToNearest(nearest_dest);
  nearest_dest.StretchDraw(nearest_dest.ClipRect(), source);
  EXPECT_EQ(nearest_dest.PixelColor(0, 0), kWhite) << "nearest samples column 1";
}

// ---------------------------------------------------------------- documented copies

// A 1-bit source 20 px wide with one black column, copied onto 10 px: the
// AND keeps the column wherever it is.
class BlackColumn : public ::testing::TestWithParam<std::tuple<int, PixelFormat>> {};

TEST_P(BlackColumn, SurvivesAHalvingCopy) {
  const auto [column, dest_format] = GetParam();
  Raster source(20, 3, PixelFormat::pf1bit);
  source.FillRect(Rect{column, 0, column + 1, 3}, kBlack);
  Raster dest(10, 3, dest_format);
  dest.CopyRect(dest.ClipRect(), source, source.ClipRect());
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 10; ++x) {
      EXPECT_EQ(dest.PixelColor(x, y), x == column / 2 ? kBlack : kWhite) << x << "," << y;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(EveryColumn, BlackColumn,
                         ::testing::Combine(::testing::Range(0, 20), ::testing::ValuesIn(kFormats)));

TEST(CopyRect, ColourOntoOneBitPicksTheNearestEntry) {
  Raster source(4, 1, PixelFormat::pf24bit);
  const Color colours[] = {kRed, Color{200, 200, 200}, Color{100, 100, 100}, Color{0, 0, 255}};
  for (int x = 0; x < 4; ++x) source.SetPixelColor(x, 0, colours[x]);
  Raster dest(4, 1, PixelFormat::pf1bit);
  dest.CopyRect(dest.ClipRect(), source, source.ClipRect());
  EXPECT_EQ(dest.PixelColor(0, 0), kBlack);
  EXPECT_EQ(dest.PixelColor(1, 0), kWhite);
  EXPECT_EQ(dest.PixelColor(2, 0), kBlack);
  EXPECT_EQ(dest.PixelColor(3, 0), kBlack);
}

TEST(CopyRect, PalettedSourcesResolveThroughTheirPalette) {
  Raster source(3, 1, PixelFormat::pf8bit);
  source.SetPalette({kRed, Color{0, 255, 0}, Color{1, 2, 3}});
  uint8_t* row = source.ScanLine(0);
  row[0] = 2;
  row[1] = 0;
  row[2] = 7;  // beyond the palette: black, as PixelColor reads it
  Raster dest(3, 1, PixelFormat::pf24bit);
  dest.CopyRect(dest.ClipRect(), source, source.ClipRect());
  EXPECT_EQ(dest.PixelColor(0, 0), (Color{1, 2, 3}));
  EXPECT_EQ(dest.PixelColor(1, 0), kRed);
  EXPECT_EQ(dest.PixelColor(2, 0), kBlack);

  Raster mono(2, 1, PixelFormat::pf1bit);
  mono.SetPalette({kRed, Color{0, 0, 255}});
  mono.ScanLine(0)[0] = 0x40;  // pixel 0 index 0, pixel 1 index 1
  dest.CopyRect(Rect{0, 0, 2, 1}, mono, mono.ClipRect());
  EXPECT_EQ(dest.PixelColor(0, 0), kRed);
  EXPECT_EQ(dest.PixelColor(1, 0), (Color{0, 0, 255}));
}

TEST(CopyRect, SelfOverlappingCopyReadsThePixelsAsTheyWere) {
  for (PixelFormat f : kFormats) {
    std::mt19937 rng(7);
    Raster r(70, 9, f);
    FillPatches(r, rng);
    Raster expected(r);
    const Raster before(r);
    ReferenceCopy(expected, Rect{3, 2, 68, 9}, before, Rect{0, 0, 65, 7}, StretchRule::AndCombine);
    r.CopyRect(Rect{3, 2, 68, 9}, r, Rect{0, 0, 65, 7});
    EXPECT_TRUE(SameBytes(r, expected)) << FormatName(f) << ": " << FirstDifference(r, expected);
  }
}

TEST(CopyRect, EmptyNegativeAndFarAwayRectanglesChangeNothing) {
  const Rect rects[] = {{0, 0, 0, 5}, {5, 5, 2, 8}, {0, 0, -3, -3}, {100, 0, 200, 5},
                        {-50, -50, -1, -1}, {INT_MIN, 0, INT_MIN + 4, 4}, {INT_MAX - 3, 0, INT_MAX, 4}};
  for (PixelFormat f : kFormats) {
    std::mt19937 rng(3);
    Raster source(8, 8, f);
    FillPatches(source, rng);
    Raster dest(8, 8, f);
    FillPatches(dest, rng);
    const Raster before(dest);
    for (const Rect& to : rects) {
      dest.CopyRect(to, source, source.ClipRect());
      dest.CopyRect(dest.ClipRect(), source, to);
      EXPECT_TRUE(SameBytes(dest, before)) << FormatName(f) << " " << RectText(to);
    }
  }
}

// Rectangles spanning the whole int32 range: the visible part follows the
// same mapping, and nothing overflows.
TEST(CopyRect, HugeRectanglesFollowTheMappingWithoutOverflow) {
  const std::pair<Rect, Rect> cases[] = {
      {{INT_MIN, INT_MIN, INT_MAX, INT_MAX}, {0, 0, 40, 30}},
      {{0, 0, 40, 30}, {INT_MIN, INT_MIN, INT_MAX, INT_MAX}},
      {{-5, -3, INT_MAX, 20}, {-7, 1, 35, INT_MAX}},
      {{-1000000000, 0, 1000000000, 1}, {0, 0, 2000000000, 1}},
  };
  for (const StretchRule rule : {StretchRule::AndCombine, StretchRule::NearestNeighbour}) {
    for (const auto& [to, from] : cases) {
      for (PixelFormat f : kFormats) {
        std::mt19937 rng(11);
        Raster source(40, 30, f);
        FillPatches(source, rng);
        Raster dest(25, 20, f);
        FillPatches(dest, rng);
        if (rule == StretchRule::NearestNeighbour) SwitchToNearest(dest);
        Raster expected(dest);
        ReferenceCopy(expected, to, source, from, rule);
        dest.CopyRect(to, source, from);
        EXPECT_TRUE(SameBytes(dest, expected))
            << FormatName(f) << " " << RectText(to) << " <- " << RectText(from) << ": "
            << FirstDifference(dest, expected);
      }
    }
  }
}

// ---------------------------------------------------------------- generated copies

struct GeneratedCase {
  PixelFormat source_format, dest_format;
  int sw, sh, dw, dh;
  Rect to, from;
  StretchRule rule;
  bool stretch_draw;
};

int Pick(std::mt19937& rng, int lo, int hi) {  // inclusive
  return lo + static_cast<int>(rng() % static_cast<uint32_t>(hi - lo + 1));
}

// A rectangle edge pair around an extent: mostly inside, sometimes hanging
// over either edge, sometimes empty or inverted.
void PickRange(std::mt19937& rng, int extent, int32_t& lo, int32_t& hi) {
  lo = Pick(rng, -extent / 2 - 2, extent);
  int length = Pick(rng, 0, 3) == 0 ? Pick(rng, 1, 3 * extent + 3) : Pick(rng, 1, extent + 2);
  if (Pick(rng, 0, 30) == 0) length = -Pick(rng, 0, 5);
  hi = lo + length;
}

GeneratedCase MakeCase(uint32_t number, std::mt19937& rng) {
  GeneratedCase c{};
  c.source_format = kFormats[rng() % 3];
  c.dest_format = kFormats[rng() % 3];
  // Every tenth case is wide, so that 1-bit rows span several 64-bit words.
  const int max_width = number % 10 == 0 ? 400 : 48;
  c.sw = Pick(rng, 1, max_width);
  c.sh = Pick(rng, 1, 14);
  c.dw = Pick(rng, 1, max_width);
  c.dh = Pick(rng, 1, 14);
  c.stretch_draw = Pick(rng, 0, 4) == 0;
  c.rule = Pick(rng, 0, 2) == 0 ? StretchRule::NearestNeighbour : StretchRule::AndCombine;
  PickRange(rng, c.dw, c.to.left, c.to.right);
  PickRange(rng, c.dh, c.to.top, c.to.bottom);
  if (Pick(rng, 0, 3) == 0) {  // same size: the plain copy paths
    c.from = Rect{Pick(rng, -3, c.sw), Pick(rng, -3, c.sh), 0, 0};
    c.from.right = c.from.left + c.to.Width();
    c.from.bottom = c.from.top + c.to.Height();
  } else {
    PickRange(rng, c.sw, c.from.left, c.from.right);
    PickRange(rng, c.sh, c.from.top, c.from.bottom);
  }
  return c;
}

void Describe(const GeneratedCase& c, uint32_t number) {
  std::printf("case %u: %s %dx%d -> %s %dx%d, dest %s src %s, %s%s\n", number,
              FormatName(c.source_format), c.sw, c.sh, FormatName(c.dest_format), c.dw, c.dh,
              RectText(c.to).c_str(), RectText(c.from).c_str(),
              c.rule == StretchRule::NearestNeighbour ? "nearest" : "and",
              c.stretch_draw ? " (StretchDraw)" : "");
}

uint64_t Fold(uint64_t hash, const Raster& r) {
  for (int y = 0; y < r.Height(); ++y) {
    const uint8_t* row = r.ScanLine(y);
    for (size_t i = 0; i < r.Stride(); ++i) hash = (hash ^ row[i]) * 1099511628211ull;
  }
  return hash;
}

// Runs one generated case; true when the copy equals the reference.
bool RunCase(uint32_t number, bool verbose, uint64_t& checksum) {
  std::mt19937 rng(number);
  const GeneratedCase c = MakeCase(number, rng);
  Raster source(c.sw, c.sh, c.source_format);
  Raster dest(c.dw, c.dh, c.dest_format);
  if (c.source_format == PixelFormat::pf8bit && Pick(rng, 0, 1) == 0) {
    source.SetPalette(RandomPalette(rng, static_cast<size_t>(Pick(rng, 1, 256))));
  }
  if (c.dest_format == PixelFormat::pf8bit && Pick(rng, 0, 1) == 0) {
    dest.SetPalette(RandomPalette(rng, static_cast<size_t>(Pick(rng, 1, 256))));
  }
  if (c.source_format == PixelFormat::pf1bit && Pick(rng, 0, 2) == 0) {
    source.SetPalette(Pick(rng, 0, 1) ? std::vector<Color>{kWhite, kBlack} : RandomPalette(rng, 2));
  }
  if (c.dest_format == PixelFormat::pf1bit && Pick(rng, 0, 3) == 0) {
    dest.SetPalette({kWhite, kBlack});
  }
  if (Pick(rng, 0, 1) == 0) {
    FillRandom(source, rng);
  } else {
    FillPatches(source, rng);
  }
  FillRandom(dest, rng);
  StretchRule rule = c.rule;
  if (rule == StretchRule::NearestNeighbour) SwitchToNearest(dest);
  Raster expected(dest);
  if (c.stretch_draw) {
    if (c.source_format != PixelFormat::pf1bit) rule = StretchRule::NearestNeighbour;
    ReferenceCopy(expected, c.to, source, source.ClipRect(), rule);
    dest.StretchDraw(c.to, source);
  } else {
    ReferenceCopy(expected, c.to, source, c.from, rule);
    dest.CopyRect(c.to, source, c.from);
  }
  checksum = Fold(checksum, dest);
  const bool same = SameBytes(dest, expected);
  if (verbose || !same) Describe(c, number);
  if (!same) std::printf("  %s\n", FirstDifference(dest, expected).c_str());
  return same;
}

// Set LENTI_SCALE_CASE=<n> to replay one case with its description.
TEST(GeneratedCopies, MatchTheReferenceForEveryCase) {
  if (const char* replay = std::getenv("LENTI_SCALE_CASE")) {
    uint64_t checksum = 14695981039346656037ull;
    EXPECT_TRUE(RunCase(static_cast<uint32_t>(std::strtoul(replay, nullptr, 10)), true, checksum));
    return;
  }
  constexpr uint32_t kCases = 4000;
  uint64_t checksum = 14695981039346656037ull;
  std::vector<uint32_t> failed;
  for (uint32_t n = 0; n < kCases; ++n) {
    if (!RunCase(n, false, checksum)) failed.push_back(n);
  }
  std::printf("%u generated copies, checksum %016llx\n", kCases,
              static_cast<unsigned long long>(checksum));
  EXPECT_TRUE(failed.empty()) << failed.size() << " cases differ, first " << failed.front()
                              << " (replay with LENTI_SCALE_CASE)";
}

// ---------------------------------------------------------------- chart-sized copies

struct ChartCopy {
  const char* name;
  int sw, sh;  // source raster
  Rect to, from;
  int dw, dh;  // destination raster
};

// The test chart's copies at their real widths (few rows, so the reference
// stays quick): a row band shrunk and enlarged by 50 columns, the reference
// stripe stretched over the chart's height at an odd bit offset, the preview.
const ChartCopy kChartCopies[] = {
    {"BandShrink", 24144, 3, {1417, 0, 25511, 3}, {0, 0, 24144, 3}, 29764, 3},
    {"BandEnlarge", 24044, 3, {1417, 0, 25511, 3}, {0, 0, 24044, 3}, 29764, 3},
    {"Stripe", 300, 46, {5819, 0, 6118, 510}, {0, 0, 300, 46}, 6142, 510},
    {"Preview", 614, 1086, {0, 0, 51, 90}, {0, 0, 614, 1086}, 51, 90},
    {"BarsRows", 4302, 4, {1417, 0, 5669, 4}, {0, 0, 4302, 4}, 6142, 4},
};

class ChartCopies : public ::testing::TestWithParam<ChartCopy> {};

TEST_P(ChartCopies, MatchTheReference) {
  const ChartCopy& c = GetParam();
  Raster grating(c.sw, c.sh, PixelFormat::pf1bit);
  grating.SetBrushColor(kBlack);
  for (int x = 0; x < c.sw; x += 30) grating.Rectangle(x, 0, x + 15, c.sh - 1);
  // A few lone black pixels, which only the AND keeps.
  for (int x = 7; x < c.sw; x += 997) grating.SetPixelColor(x, c.sh / 2, kBlack);
  Raster chart(c.dw, c.dh, PixelFormat::pf1bit);
  std::mt19937 rng(5);
  FillPatches(chart, rng);
  Raster expected(chart);
  ReferenceCopy(expected, c.to, grating, c.from, StretchRule::AndCombine);
  chart.CopyRect(c.to, grating, c.from);
  EXPECT_TRUE(SameBytes(chart, expected)) << FirstDifference(chart, expected);
}

INSTANTIATE_TEST_SUITE_P(Chart, ChartCopies, ::testing::ValuesIn(kChartCopies),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace lenti
