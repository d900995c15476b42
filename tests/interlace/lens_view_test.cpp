// The lens view: merges of solid-colour frames seen through a sheet of the
// merge's own pitch show one frame everywhere at that frame's angle; a
// mistuned sheet shows the bands the pitch error predicts.
#include <gtest/gtest.h>

#include <cmath>
#include <algorithm>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "core/error.h"
#include "error_of.h"
#include "interlace/geometry.h"
#include "interlace/interleave.h"
#include "interlace/lens_view.h"
#include "interlace/native_geometry.h"
#include "interlace/strip_plan.h"

namespace lenti {
namespace {

using testing::ErrorOf;

constexpr int64_t kLpi2125 = 212500;

// Frame k's solid colour: distinct for every k, never white.
Color FrameColour(int k) {
  return Color{static_cast<uint8_t>(20 + 13 * k), static_cast<uint8_t>(200 - 11 * k),
               static_cast<uint8_t>(k * 37 % 251)};
}

Color At(const Raster& raster, int x, int y) {
  const uint8_t* p = raster.Row(y) + 3 * x;
  return Color{p[2], p[1], p[0]};
}

// The merge of n solid frames at 21.25 lpi, and the sheet that matches it.
struct SolidMerge {
  OutputGeometry geometry;
  Raster picture;
  LensSheet sheet;
};

SolidMerge MergeSolidFrames(int n, Mode mode) {
  SolidMerge m;
  m.geometry = ComputeOutputGeometry(n, kLpi2125, mode);
  const Size slice = SliceSize(m.geometry.OutputWidth, m.geometry.OutputHeight, n, mode);
  std::vector<Raster> slices;
  for (int k = 0; k < n; ++k) {
    slices.emplace_back(slice.width, slice.height, PixelFormat::pf24bit);
    slices.back().FillRect(slices.back().ClipRect(), FrameColour(k));
  }
  std::vector<const Raster*> pointers;
  for (const Raster& s : slices) pointers.push_back(&s);
  m.picture = InterleaveSlices(pointers, m.geometry, n, mode);
  m.sheet = LensSheet{21.25, static_cast<double>(m.geometry.OutputDpiX) / 10000, 0};
  return m;
}

// The frame each line along the strip axis shows (-1: white or anything else).
std::vector<int> ShownFrames(const Raster& view, Mode mode, int n) {
  const bool rows = mode == Mode::PortraitRows;
  const int extent = rows ? view.Height() : view.Width();
  std::vector<int> frames(static_cast<size_t>(extent), -1);
  for (int line = 0; line < extent; ++line) {
    const Color c = rows ? At(view, view.Width() / 2, line) : At(view, line, view.Height() / 2);
    for (int k = 0; k < n; ++k) {
      if (c == FrameColour(k)) frames[line] = k;
    }
  }
  return frames;
}

// Whether every pixel of `view` within its first `lines` lines along the
// strip axis has colour `c`; the first pixel that does not, named.
::testing::AssertionResult AllOfColour(const Raster& view, Mode mode, int lines, Color c) {
  for (int y = 0; y < view.Height(); ++y) {
    for (int x = 0; x < view.Width(); ++x) {
      if ((mode == Mode::PortraitRows ? y : x) >= lines) continue;
      if (!(At(view, x, y) == c)) {
        return ::testing::AssertionFailure() << "pixel (" << x << ", " << y << ") differs";
      }
    }
  }
  return ::testing::AssertionSuccess();
}

struct CleanCase {
  int n;
  Mode mode;
};

class CleanFrames : public ::testing::TestWithParam<CleanCase> {};

// Only the last lens, cut by the picture's edge, may lack some frames: the
// merge has no room there for all its strips.
TEST_P(CleanFrames, EachAngleShowsItsFrameEverywhereAtTheMergePitch) {
  const auto [n, mode] = GetParam();
  const SolidMerge m = MergeSolidFrames(n, mode);
  const bool rows = mode == Mode::PortraitRows;
  const int extent = rows ? m.picture.Height() : m.picture.Width();
  const int lens = n * m.geometry.StripWidth;
  ASSERT_DOUBLE_EQ(LensPixels(m.sheet), lens);
  const int whole_lenses = extent / lens * lens;
  for (int k = 0; k < n; ++k) {
    const Raster view = RenderLensView(m.picture, mode, m.sheet, FrameAngle(k, n));
    ASSERT_EQ(view.Width(), m.picture.Width());
    ASSERT_EQ(view.Height(), m.picture.Height());
    EXPECT_TRUE(AllOfColour(view, mode, whole_lenses, FrameColour(k))) << "frame " << k;

    // The screen's view: the same frame at any size.
    const Size screen{m.picture.Width() / 3, m.picture.Height() / 3};
    const Raster small = RenderLensViewScaled(m.picture, mode, m.sheet, FrameAngle(k, n), screen);
    ASSERT_EQ(small.Width(), screen.width);
    ASSERT_EQ(small.Height(), screen.height);
    EXPECT_TRUE(AllOfColour(small, mode, whole_lenses / 3 - 1, FrameColour(k))) << "frame " << k;
  }
}

INSTANTIATE_TEST_SUITE_P(BothModes, CleanFrames,
                         ::testing::Values(CleanCase{2, Mode::PortraitRows},
                                           CleanCase{2, Mode::LandscapeColumns},
                                           CleanCase{4, Mode::PortraitRows},
                                           CleanCase{5, Mode::LandscapeColumns},
                                           CleanCase{12, Mode::PortraitRows}));

struct NativeCase {
  int n;
  Mode mode;
  int64_t lpi_x;
  int32_t dpi;
  int32_t phase_x10000;
};

class NativeCleanFrames : public ::testing::TestWithParam<NativeCase> {};

// A merge at a printer's resolution has a fractional lens period and may
// start its lenses at a phase: a sheet of its pitch and phase still shows
// each frame everywhere (the lenses cut by the picture's edges left out).
TEST_P(NativeCleanFrames, EachAngleShowsItsFrameAtTheMergesPitchAndPhase) {
  const auto [n, mode, lpi_x, dpi, phase_x10000] = GetParam();
  LensSettings lens;
  lens.LensLpiX = lpi_x;
  lens.OutputDpi = dpi;
  lens.PhaseX10000 = phase_x10000;
  lens.WidthCmX100 = 500;  // a small picture: 5 x 6 cm
  lens.HeightCmX100 = 600;
  const LensGeometry g = ComputeLensGeometry(n, lens, mode);
  ASSERT_EQ(g.layout, LensLayout::Periodic);
  std::vector<Raster> slices;
  std::vector<const Raster*> pointers;
  for (int k = 0; k < n; ++k) {
    slices.emplace_back(g.slice.width, g.slice.height, PixelFormat::pf24bit);
    slices.back().FillRect(slices.back().ClipRect(), FrameColour(k));
  }
  for (const Raster& s : slices) pointers.push_back(&s);
  const Raster picture = Interleave(pointers, g, n, mode);
  const LensSheet sheet{lpi_x / 10000.0, static_cast<double>(dpi), phase_x10000 / 10000.0};
  const int edge = static_cast<int>(std::ceil(2 * LensPixels(sheet)));
  for (int k = 0; k < n; ++k) {
    const std::vector<int> frames = ShownFrames(RenderLensView(picture, mode, sheet, FrameAngle(k, n)), mode, n);
    int wrong = 0;
    for (size_t line = edge; line + edge < frames.size(); ++line) wrong += frames[line] != k;
    EXPECT_EQ(wrong, 0) << "frame " << k;
  }
}

INSTANTIATE_TEST_SUITE_P(
    FractionalLenses, NativeCleanFrames,
    ::testing::Values(NativeCase{4, Mode::PortraitRows, 400000, 300, 0},          // 7.5 px per lens
                      NativeCase{3, Mode::LandscapeColumns, 601200, 600, 3000},   // 9.98 px, phase 0.3
                      NativeCase{5, Mode::PortraitRows, 400000, 720, -5000}));    // 18 px, phase -0.5

TEST(LensView, AFrameIsSeenOverTheMiddleOfItsShareOfTheAngle) {
  // Two frames of 7 px under a 14 px lens: angles 0 to 0.5 see frame 0,
  // 0.5 to 1 frame 1, wherever in the strip the line falls.
  const SolidMerge m = MergeSolidFrames(2, Mode::PortraitRows);
  for (const double angle : {0.0, 0.2, 0.45, 0.5, 0.75, 0.99}) {
    const std::vector<int> frames =
        ShownFrames(RenderLensView(m.picture, Mode::PortraitRows, m.sheet, angle),
                    Mode::PortraitRows, 2);
    EXPECT_EQ(frames[0], angle < 0.5 ? 0 : 1) << angle;
    EXPECT_EQ(frames[1000], angle < 0.5 ? 0 : 1) << angle;
  }
}

struct BandCase {
  int n;
  Mode mode;
  double lpi;  // the sheet's, against the merge's 21.25
};

class Bands : public ::testing::TestWithParam<BandCase> {};

// A band is one pass through all frames: count the runs of lines that show
// frame 0 along the strip axis.
TEST_P(Bands, AMistunedSheetShowsExtentTimesPitchErrorBands) {
  const auto [n, mode, lpi] = GetParam();
  SolidMerge m = MergeSolidFrames(n, mode);
  const bool rows = mode == Mode::PortraitRows;
  const int extent = rows ? m.picture.Height() : m.picture.Width();
  const double expected = extent / m.sheet.dpi * std::fabs(lpi - 21.25);
  m.sheet.lpi = lpi;
  for (const double angle : {FrameAngle(0, n), 0.0, 0.9}) {
    const std::vector<int> frames = ShownFrames(RenderLensView(m.picture, mode, m.sheet, angle), mode, n);
    int runs = 0;
    for (size_t line = 0; line < frames.size(); ++line) {
      if (frames[line] == 0 && (line == 0 || frames[line - 1] != 0)) ++runs;
    }
    EXPECT_NEAR(runs, expected, 1.0) << "angle " << angle;
  }
}

INSTANTIATE_TEST_SUITE_P(PitchErrors, Bands,
                         ::testing::Values(BandCase{2, Mode::PortraitRows, 21.25 + 0.3},
                                           BandCase{2, Mode::LandscapeColumns, 21.25 - 0.3},
                                           BandCase{4, Mode::LandscapeColumns, 21.25 + 0.6},
                                           BandCase{3, Mode::PortraitRows, 21.25 * 0.997},
                                           BandCase{8, Mode::PortraitRows, 21.25 - 1.1}));

TEST(LensView, BandsMoveWithTheAngle) {
  SolidMerge m = MergeSolidFrames(2, Mode::LandscapeColumns);
  m.sheet.lpi = 21.25 + 0.3;
  const std::vector<int> a = ShownFrames(
      RenderLensView(m.picture, Mode::LandscapeColumns, m.sheet, 0.25), Mode::LandscapeColumns, 2);
  const std::vector<int> b = ShownFrames(
      RenderLensView(m.picture, Mode::LandscapeColumns, m.sheet, 0.35), Mode::LandscapeColumns, 2);
  // Where frame 0 first gives way to frame 1: later at the larger angle
  // wherever the sheet runs ahead of the strips... not at the same place.
  auto first_change = [](const std::vector<int>& f) {
    for (size_t i = 1; i < f.size(); ++i) {
      if (f[i] != f[0] && f[i] >= 0) return static_cast<int>(i);
    }
    return -1;
  };
  ASSERT_GT(first_change(a), 0);
  ASSERT_GT(first_change(b), 0);
  EXPECT_GT(std::abs(first_change(a) - first_change(b)), 50);
}

TEST(LensView, LinesFollowTheLensStartAndPhase) {
  // 14 px lenses: at angle 0.25 lens j shows line 14 j + 3.5 -> 14 j + 3.
  std::vector<int32_t> lines = LensViewLines(30, LensSheet{21.25, 297.5, 0}, 0.25);
  EXPECT_EQ(lines[0], 3);
  EXPECT_EQ(lines[13], 3);
  EXPECT_EQ(lines[14], 17);
  EXPECT_EQ(lines[27], 17);
  EXPECT_EQ(lines[28], -1);  // lens 2 looks at line 31, beyond the picture
  // A phase of half a lens moves every lens start 7 lines on; lines 0-6 lie
  // under lens -1, which looks at line -3.5: nothing printed.
  lines = LensViewLines(30, LensSheet{21.25, 297.5, 0.5}, 0.25);
  EXPECT_EQ(lines[0], -1);
  EXPECT_EQ(lines[6], -1);
  EXPECT_EQ(lines[7], 10);
  EXPECT_EQ(lines[20], 10);
  EXPECT_EQ(lines[21], 24);
  // Fractional lenses (40 lpi over 300 dpi: 7.5 px) start within a line of
  // 7.5 j and never drift.
  lines = LensViewLines(3000, LensSheet{40, 300, 0}, 0);
  for (int j = 0; j < 399; ++j) EXPECT_EQ(lines[static_cast<size_t>(std::ceil(7.5 * j))], static_cast<int>(7.5 * j)) << j;
}

TEST(LensView, PicturesOfOtherDepthsAreViewedInTheirColours) {
  Raster chart(40, 28, PixelFormat::pf1bit);  // white
  chart.FillRect(Rect{0, 0, 40, 7}, kBlack);
  chart.FillRect(Rect{0, 14, 40, 21}, kBlack);
  const Raster view = RenderLensView(chart, Mode::PortraitRows, LensSheet{21.25, 297.5, 0}, 0.25);
  ASSERT_EQ(view.Format(), PixelFormat::pf24bit);
  for (int y = 0; y < 28; ++y) EXPECT_EQ(At(view, 5, y), kBlack) << y;
  const Raster other = RenderLensView(chart, Mode::PortraitRows, LensSheet{21.25, 297.5, 0}, 0.75);
  for (int y = 0; y < 28; ++y) EXPECT_EQ(At(other, 5, y), kWhite) << y;
}

TEST(LensView, AStripAxisTurnsWithThePicture) {
  MergedPicture merged;
  merged.Geometry.mode = Mode::PortraitRows;
  merged.Geometry.OutputWidth = 1698;
  merged.Geometry.OutputHeight = 2049;
  merged.MergedBitmap = Raster(1698, 2049);
  EXPECT_EQ(StripAxisOf(merged), Mode::PortraitRows);
  merged.MergedBitmap = Raster(2049, 1698);
  EXPECT_EQ(StripAxisOf(merged), Mode::LandscapeColumns);
  merged.AlignBandHeight = -60;  // a band on top of the turned picture
  merged.MergedBitmap = Raster(2049, 1758);
  EXPECT_EQ(StripAxisOf(merged), Mode::LandscapeColumns);
  merged.Geometry.mode = Mode::LandscapeColumns;
  EXPECT_EQ(StripAxisOf(merged), Mode::PortraitRows);
}

TEST(LensView, TheWindowStartsFromTheMergesOwnSheet) {
  MakerState state;
  const SolidMerge m = MergeSolidFrames(4, Mode::LandscapeColumns);
  state.merged.MergedBitmap = m.picture;
  state.merged.Geometry = MergeGeometry{4, kLpi2125, m.geometry.StripWidth, m.geometry.OutputDpiX,
                                        m.geometry.OutputWidth, m.geometry.OutputHeight,
                                        Mode::LandscapeColumns};
  state.merged.Geometry.PhaseX10000 = -2500;
  const LensViewStart start = LensViewDefaults(state);
  EXPECT_EQ(start.axis, Mode::LandscapeColumns);
  EXPECT_EQ(start.sheet.lpi, 21.25);
  EXPECT_EQ(start.sheet.dpi, 340);
  EXPECT_EQ(start.sheet.phase, -0.25);
  EXPECT_EQ(start.frame_count, 4);
  EXPECT_EQ(ViewAngleCaption(FrameAngle(2, 4), 4), "Angle 0.625: frame 3 of 4");
  EXPECT_EQ(ViewAngleCaption(0.999, 4), "Angle 0.999: frame 4 of 4");
  EXPECT_EQ(ViewAngleCaption(0, 4), "Angle 0.000: frame 1 of 4");
}

// The caption names the frame the view shows, also with the sheet laid at
// another phase than the merge's.
TEST(LensView, TheCaptionNamesTheFrameShownAtAnyPhase) {
  const SolidMerge m = MergeSolidFrames(16, Mode::PortraitRows);
  for (const auto& [phase, angle] : {std::pair{0.0, FrameAngle(2, 16)}, std::pair{0.4375, FrameAngle(2, 16)},
                                     std::pair{-0.25, FrameAngle(1, 16)}, std::pair{0.3, 0.9}}) {
    LensSheet sheet = m.sheet;
    sheet.phase = phase;
    const Raster view = RenderLensView(m.picture, Mode::PortraitRows, sheet, angle);
    const int shown = ShownFrames(view, Mode::PortraitRows, 16)[static_cast<size_t>(view.Height() / 2)];
    EXPECT_EQ(ViewAngleCaption(angle, 16, phase), Format("Angle %.3f: frame %d of 16", angle, shown + 1))
        << "phase " << phase;
  }
}

TEST(LensView, PlayTiltsBackAndForthWithinTheAngles) {
  PlayStep step{0.5, +1};
  double lowest = 1, highest = 0;
  int turns = 0;
  for (int i = 0; i < 400; ++i) {
    const PlayStep next = NextPlayAngle(step.angle, step.direction, 0.01);
    if (next.direction != step.direction) ++turns;
    EXPECT_NO_THROW(CheckViewAngle(next.angle));
    EXPECT_NEAR(std::fabs(next.angle - step.angle), 0.01, 1e-9);
    lowest = std::min(lowest, next.angle);
    highest = std::max(highest, next.angle);
    step = next;
  }
  EXPECT_NEAR(lowest, 0, 1e-9);
  EXPECT_NEAR(highest, 0.99, 1e-9);
  EXPECT_EQ(turns, 4);  // 400 steps of 0.01 over a swing of 0.99
}

TEST(LensView, BadSheetsAndAnglesAreRefused) {
  const double nan = std::nan("");
  const struct {
    LensSheet sheet;
    double angle;
    const char* fault;
  } cases[] = {
      {{0, 297.5, 0}, 0.25, "lens pitch must be more than 0"},
      {{-21.25, 297.5, 0}, 0.25, "lens pitch must be more than 0"},
      {{nan, 297.5, 0}, 0.25, "lens pitch"},
      {{INFINITY, 297.5, 0}, 0.25, "lens pitch"},
      {{1001, 100000, 0}, 0.25, "at most 1000 lines per inch"},
      {{21.25, 0, 0}, 0.25, "resolution must be more than 0"},
      {{21.25, nan, 0}, 0.25, "resolution"},
      {{21.25, 1e6, 0}, 0.25, "at most 100000 dpi"},
      {{400, 300, 0}, 0.25, "narrower than one pixel"},
      {{21.25, 297.5, 0.51}, 0.25, "phase must lie between -0.5 and 0.5"},
      {{21.25, 297.5, -0.6}, 0.25, "phase"},
      {{21.25, 297.5, nan}, 0.25, "phase"},
      {{21.25, 297.5, 0}, -0.01, "viewing angle must lie from 0"},
      {{21.25, 297.5, 0}, 1.0, "viewing angle"},
      {{21.25, 297.5, 0}, nan, "viewing angle"},
  };
  const Raster picture(20, 20);
  for (const auto& c : cases) {
    const std::string text = ErrorOf([&] { RenderLensView(picture, Mode::PortraitRows, c.sheet, c.angle); });
    EXPECT_NE(text.find(c.fault), std::string::npos) << text;
    EXPECT_EQ(ErrorOf([&] { RenderLensViewScaled(picture, Mode::LandscapeColumns, c.sheet, c.angle, Size{5, 5}); }),
              text);
  }
  EXPECT_EQ(ErrorOf([&] { RenderLensView(picture, Mode::PortraitRows, LensSheet{}, 0.999); }), "<no error>");
  EXPECT_NE(ErrorOf([&] { RenderLensViewScaled(picture, Mode::PortraitRows, LensSheet{}, 0.5, Size{-1, 5}); }),
            "<no error>");
  // An empty picture gives a white view of the size asked for.
  const Raster white = RenderLensViewScaled(Raster(), Mode::PortraitRows, LensSheet{}, 0.5, Size{4, 3});
  EXPECT_EQ(At(white, 3, 2), kWhite);
}

}  // namespace
}  // namespace lenti
