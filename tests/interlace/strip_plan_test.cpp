// The layout for any lens: the classic settings give the classic geometry
// and strips; at a printer's resolution every lens of the whole picture
// starts within a pixel of j x p + phase x p and carries its frames in order.
#include "interlace/strip_plan.h"

#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include "error_of.h"
#include "interlace/geometry.h"
#include "interlace/interleave.h"
#include "interlace/merge_pipeline.h"
#include "interlace/native_geometry.h"

namespace lenti {
namespace {

using testing::ErrorOf;

LensSettings Lens(int64_t lpi_x, int32_t dpi, int32_t phase_x10000 = 0) {
  LensSettings lens;
  lens.LensLpiX = lpi_x;
  lens.OutputDpi = dpi;
  lens.PhaseX10000 = phase_x10000;
  return lens;
}

// ---- the classic settings route to the classic geometry and strips ----

TEST(LensGeometry, DefaultsAreTheClassicGeometryForEveryFrameCount) {
  for (Mode mode : {Mode::PortraitRows, Mode::LandscapeColumns}) {
    for (int32_t n = 2; n <= 16; ++n) {
      const LensGeometry g = ComputeLensGeometry(n, LensSettings{}, mode);
      const OutputGeometry classic = ComputeOutputGeometry(n, 212500, mode);
      EXPECT_EQ(g.output.StripWidth, classic.StripWidth) << n;
      EXPECT_EQ(g.output.OutputDpiX, classic.OutputDpiX) << n;
      EXPECT_EQ(g.output.OutputWidth, classic.OutputWidth) << n;
      EXPECT_EQ(g.output.OutputHeight, classic.OutputHeight) << n;
      EXPECT_EQ(g.slice, SliceSize(classic.OutputWidth, classic.OutputHeight, n, mode)) << n;
      EXPECT_EQ(g.layout, LensLayout::WholeStrips);
      EXPECT_EQ(g.period, n * classic.StripWidth);
      const MergeRequest request = RequestForLens(g, mode, LensSettings{}.sampling);
      EXPECT_EQ(request.geometry, g) << "the defaults must take the classic interleave";
      EXPECT_EQ(request.sampling, Sampling::Nearest);
    }
  }
}

TEST(LensGeometry, ClassicRuleAtOtherSizesTruncatesLikeTheClassicSides) {
  LensSettings lens;
  lens.WidthCmX100 = 1000;  // 10 x 15 cm at 297.5 dpi (2 frames)
  lens.HeightCmX100 = 1500;
  const LensGeometry upright = ComputeLensGeometry(2, lens, Mode::PortraitRows);
  EXPECT_EQ(upright.output.OutputDpiX, 2975000);
  EXPECT_EQ(upright.output.OutputWidth, 1171);   // Trunc(1171.26)
  EXPECT_EQ(upright.output.OutputHeight, 1756);  // Trunc(1756.89)
  EXPECT_EQ(upright.layout, LensLayout::WholeStrips);
  const LensGeometry across = ComputeLensGeometry(2, lens, Mode::LandscapeColumns);
  EXPECT_EQ(across.output.OutputWidth, 1756);
  EXPECT_EQ(across.output.OutputHeight, 1171);
  // A phase alone takes the native interleave at the classic period.
  lens.PhaseX10000 = 2500;
  const LensGeometry phased = ComputeLensGeometry(2, lens, Mode::PortraitRows);
  EXPECT_EQ(phased.layout, LensLayout::Periodic);
  EXPECT_EQ(phased.output.OutputDpiX, upright.output.OutputDpiX) << "a phase keeps the classic resolution";
  EXPECT_EQ(phased.period, 14);
}

struct NativeSize {
  const char* name;
  int64_t lpi_x;
  int32_t dpi;
  int32_t frames;
  int32_t width, height;  // upright
  int32_t strip;          // 0: the period is not n whole strips
};

const NativeSize kNativeSizes[] = {
    {"lpi40_dpi720_n2", 400000, 720, 2, 4110, 4961, 9},
    {"lpi40_dpi720_n16", 400000, 720, 16, 4110, 4961, 0},
    {"lpi60_12_dpi600", 601200, 600, 4, 3425, 4134, 0},
    {"lpi21_25_dpi1200", 212500, 1200, 16, 6850, 8268, 0},
    {"lpi75_dpi300", 750000, 300, 2, 1713, 2067, 2},
};

class NativeSizes : public ::testing::TestWithParam<NativeSize> {};

TEST_P(NativeSizes, ExactlyTheDpiAndRoundedSides) {
  const NativeSize& c = GetParam();
  const LensSettings lens = Lens(c.lpi_x, c.dpi);
  const LensGeometry up = ComputeLensGeometry(c.frames, lens, Mode::PortraitRows);
  EXPECT_EQ(up.layout, LensLayout::Periodic);
  EXPECT_EQ(up.output.OutputDpiX, int64_t{c.dpi} * 10000);
  EXPECT_EQ(up.output.OutputWidth, c.width);
  EXPECT_EQ(up.output.OutputHeight, c.height);
  EXPECT_EQ(WholeStripWidth(up.output.OutputDpiX, c.lpi_x, c.frames).value_or(0), c.strip);
  EXPECT_NEAR(static_cast<double>(up.period), c.dpi * 10000.0 / static_cast<double>(c.lpi_x), 1e-12);
  EXPECT_EQ(up.slice, (Size{c.width, c.height / c.frames}));
  const LensGeometry across = ComputeLensGeometry(c.frames, lens, Mode::LandscapeColumns);
  EXPECT_EQ(across.output.OutputWidth, c.height);
  EXPECT_EQ(across.output.OutputHeight, c.width);
  EXPECT_EQ(across.slice, (Size{c.height / c.frames, c.width}));
}

INSTANTIATE_TEST_SUITE_P(Printers, NativeSizes, ::testing::ValuesIn(kNativeSizes),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- lens starts over whole pictures ----

// Slices whose every pixel names its frame (blue) and its position along
// the strip axis (green low byte, red high byte).
std::vector<Raster> LabelledSlices(int32_t frames, Size slice, Mode mode) {
  std::vector<Raster> slices;
  for (int32_t f = 0; f < frames; ++f) {
    Raster s(slice.width, slice.height, PixelFormat::pf24bit);
    for (int y = 0; y < slice.height; ++y) {
      uint8_t* row = s.Row(y);
      for (int x = 0; x < slice.width; ++x) {
        const int along = mode == Mode::PortraitRows ? y : x;
        row[3 * x] = static_cast<uint8_t>(f);
        row[3 * x + 1] = static_cast<uint8_t>(along & 0xFF);
        row[3 * x + 2] = static_cast<uint8_t>(along >> 8);
      }
    }
    slices.push_back(std::move(s));
  }
  return slices;
}

struct Along {
  std::vector<int> frame;
  std::vector<int> source;
};

// Frame and slice position of every output position along the axis, read
// back from the picture (all rows and columns must agree).
Along ReadAlong(const Raster& out, Mode mode) {
  const bool rows = mode == Mode::PortraitRows;
  const int length = rows ? out.Height() : out.Width();
  const int across = rows ? out.Width() : out.Height();
  Along along;
  for (int p = 0; p < length; ++p) {
    for (int q = 0; q < across; ++q) {
      const int x = rows ? q : p, y = rows ? p : q;
      const uint8_t* px = out.Row(y) + 3 * x;
      const int frame = px[0], source = px[1] | (px[2] << 8);
      if (q == 0) {
        along.frame.push_back(frame);
        along.source.push_back(source);
      } else if (frame != along.frame.back() || source != along.source.back()) {
        ADD_FAILURE() << "position " << p << " differs across the strip at " << q;
        return along;
      }
    }
  }
  return along;
}

struct StartCase {
  const char* name;
  int64_t lpi_x;
  int32_t dpi;
  int32_t frames;
  int32_t phase_x10000;
  Mode mode;
};

const StartCase kStartCases[] = {
    {"lpi40_dpi720_up", 400000, 720, 16, 0, Mode::PortraitRows},
    {"lpi40_dpi720_across", 400000, 720, 16, 0, Mode::LandscapeColumns},
    {"lpi40_dpi720_n2_phase", 400000, 720, 2, 2500, Mode::PortraitRows},
    {"lpi60_12_dpi600_up", 601200, 600, 8, 0, Mode::PortraitRows},
    {"lpi60_12_dpi600_across_phase", 601200, 600, 8, -3300, Mode::LandscapeColumns},
    {"lpi21_25_dpi1200_up_phase", 212500, 1200, 16, 5000, Mode::PortraitRows},
    {"lpi21_25_dpi1200_across", 212500, 1200, 12, -5000, Mode::LandscapeColumns},
};

class LensStarts : public ::testing::TestWithParam<StartCase> {};

TEST_P(LensStarts, EveryLensStartsWithinAPixelAndCarriesAllFrames) {
  const StartCase& c = GetParam();
  LensGeometry g = ComputeLensGeometry(c.frames, Lens(c.lpi_x, c.dpi, c.phase_x10000), c.mode);
  // The whole picture along the strip axis; a few pixels across it.
  if (c.mode == Mode::PortraitRows) {
    g.output.OutputWidth = g.slice.width = 3;
  } else {
    g.output.OutputHeight = g.slice.height = 3;
  }
  const std::vector<Raster> slices = LabelledSlices(c.frames, g.slice, c.mode);
  std::vector<const Raster*> pointers;
  for (const Raster& s : slices) pointers.push_back(&s);
  int steps = 0;
  const Raster out = Interleave(pointers, g, c.frames, c.mode, [&] { ++steps; });
  EXPECT_EQ(steps, c.frames);
  const Along along = ReadAlong(out, c.mode);
  ASSERT_FALSE(along.frame.empty());

  const Extended p = static_cast<Extended>(c.dpi) * 10000 / c.lpi_x;
  const Extended phase = static_cast<Extended>(c.phase_x10000) / 10000;
  const int length = static_cast<int>(along.frame.size());
  const int slice_length = c.mode == Mode::PortraitRows ? g.slice.height : g.slice.width;
  // A lens starts where the frame number falls back.
  // Each strip shows its frame over the whole lens: the content steps back
  // by at most one lens's share of the slice from one strip to the next.
  const int step_back = static_cast<int>(std::ceil(p * slice_length / length)) + 1;
  std::vector<int> starts;
  for (int q = 1; q < length; ++q) {
    if (along.frame[q] < along.frame[q - 1]) starts.push_back(q);
    ASSERT_GE(along.source[q], along.source[q - 1] - step_back) << "content runs backwards at " << q;
  }
  // Lens j starts at (j + phase) x p: number the starts by the lens they begin.
  const int first_lens = static_cast<int>(std::floor(0.5L / p - phase)) + 1;
  ASSERT_EQ(static_cast<int>(starts.size()),
            static_cast<int>(std::floor((length - 0.5L) / p - phase)) - first_lens + 1);
  for (size_t k = 0; k < starts.size(); ++k) {
    const Extended expected = (first_lens + static_cast<Extended>(k) + phase) * p;
    EXPECT_LE(std::fabs(static_cast<double>(starts[k] - expected)), 1.0)
        << "lens " << first_lens + static_cast<int>(k) << " starts at " << starts[k] << ", not near "
        << static_cast<double>(expected);
  }
  // Between two starts every frame in order, each at least once.
  for (size_t k = 0; k + 1 < starts.size(); ++k) {
    int expected_frame = 0;
    for (int q = starts[k]; q < starts[k + 1]; ++q) {
      if (along.frame[q] != expected_frame) {
        ASSERT_EQ(along.frame[q], expected_frame + 1) << "frame skipped at " << q;
        ++expected_frame;
      }
    }
    EXPECT_EQ(expected_frame, c.frames - 1) << "lens " << k;
    const int size = starts[k + 1] - starts[k];
    EXPECT_TRUE(size == std::floor(p) || size == std::ceil(p)) << size;
  }
  // The content fills the slice from its first position to its last.
  EXPECT_LE(along.source.front(), 1);
  EXPECT_GE(along.source.back(), slice_length - step_back);
}

INSTANTIATE_TEST_SUITE_P(WholePictures, LensStarts, ::testing::ValuesIn(kStartCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(LensStarts, FortyLpiAt720DpiIsEighteenPixelsPerLensAllOver) {
  const LensGeometry g = ComputeLensGeometry(2, Lens(400000, 720), Mode::PortraitRows);
  const StripPlan plan = PlanPeriodicStrips(g.output.OutputHeight, g.slice.height, 2, g.period, g.phase);
  for (int y = 0; y < g.output.OutputHeight; ++y) {
    ASSERT_EQ(plan.frame[y], (y % 18) / 9) << y;  // rows 0-8 frame 1, 9-17 frame 2, ...
  }
}

TEST(LensStarts, WholePeriodWithoutPhaseGivesTheClassicFrameOrder) {
  // 2 frames of 7 px at 297.5 dpi: the plan puts the frames where the classic strips do.
  const LensGeometry classic = ComputeLensGeometry(2, LensSettings{}, Mode::PortraitRows);
  const StripPlan plan = PlanPeriodicStrips(2049, classic.slice.height, 2, classic.period, 0);
  for (int y = 0; y < 2049; ++y) ASSERT_EQ(plan.frame[y], (y % 14) / 7) << y;
}

// Across, the interleave copies runs of columns; upright, whole rows. The
// same plan must give the same picture turned: a run cut wrong or a column
// dropped shows as a pixel that differs.
TEST(Interleave, AcrossIsTheUprightPictureTransposedForBothLayouts) {
  struct Case {
    const char* name;
    LensSettings lens;
    int32_t frames;
  };
  LensSettings small;
  small.WidthCmX100 = 300;
  small.HeightCmX100 = 200;
  LensSettings native = Lens(400000, 300);
  native.WidthCmX100 = 300;
  native.HeightCmX100 = 200;
  LensSettings fractional = Lens(601200, 600, -1250);
  fractional.WidthCmX100 = 250;
  fractional.HeightCmX100 = 300;
  for (const Case& c : {Case{"whole strips", small, 3}, Case{"whole period", native, 2},
                        Case{"fractional period and phase", fractional, 5}}) {
    SCOPED_TRACE(c.name);
    const LensGeometry up = ComputeLensGeometry(c.frames, c.lens, Mode::PortraitRows);
    LensGeometry across = up;
    std::swap(across.output.OutputWidth, across.output.OutputHeight);
    across.slice = Size{up.slice.height, up.slice.width};
    std::vector<Raster> upright_slices, across_slices;
    for (int32_t k = 0; k < c.frames; ++k) {
      upright_slices.emplace_back(up.slice.width, up.slice.height, PixelFormat::pf24bit);
      across_slices.emplace_back(up.slice.height, up.slice.width, PixelFormat::pf24bit);
      for (int y = 0; y < up.slice.height; ++y) {
        for (int x = 0; x < up.slice.width; ++x) {
          const Color colour{static_cast<uint8_t>(40 * k), static_cast<uint8_t>(x), static_cast<uint8_t>(y)};
          upright_slices.back().SetPixelColor(x, y, colour);
          across_slices.back().SetPixelColor(y, x, colour);
        }
      }
    }
    std::vector<const Raster*> upright_pointers, across_pointers;
    for (const Raster& r : upright_slices) upright_pointers.push_back(&r);
    for (const Raster& r : across_slices) across_pointers.push_back(&r);
    const Raster upright = Interleave(upright_pointers, up, c.frames, Mode::PortraitRows);
    const Raster turned = Interleave(across_pointers, across, c.frames, Mode::LandscapeColumns);
    ASSERT_EQ(turned.Width(), upright.Height());
    int differ = 0;
    for (int y = 0; y < upright.Height(); ++y) {
      for (int x = 0; x < upright.Width(); ++x) differ += upright.PixelColor(x, y) != turned.PixelColor(y, x);
    }
    EXPECT_EQ(differ, 0);
  }
}

TEST(PeriodicInterleave, RefusesSlicesThatDoNotFit) {
  const LensGeometry g = ComputeLensGeometry(2, Lens(400000, 300), Mode::PortraitRows);
  Raster good(g.slice.width, g.slice.height);
  Raster small(g.slice.width, g.slice.height - 1);
  EXPECT_EQ(ErrorOf([&] { Interleave({&good}, g, 2, Mode::PortraitRows); }),
            "The merge needs 2 prepared frames, 1 were given");
  EXPECT_EQ(ErrorOf([&] { Interleave({&good, &small}, g, 2, Mode::PortraitRows); }),
            "Prepared frame 2 is 1713 x 1032 px, not 1713 x 1033");
  Raster grey(g.slice.width, g.slice.height, PixelFormat::pf8bit);
  EXPECT_EQ(ErrorOf([&] { Interleave({&good, &grey}, g, 2, Mode::PortraitRows); }),
            "Prepared frame 2 is not a 24-bit picture");
}

}  // namespace
}  // namespace lenti
