// The strip interleave traces every output row (column) back to one frame
// and one slice row (column): each slice is coded so that slice row r of
// frame i has the colour (i, r & 255, r >> 8), and the expected source of
// every output position is worked out from the lens layout alone.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "core/error.h"
#include "interlace/geometry.h"
#include "interlace/interleave.h"
#include "interlace/merge.h"

namespace lenti {
namespace {

constexpr int64_t kLpi2125 = 212500;

// The colour that codes slice position p of frame i (1-based).
Color Code(int frame, int position) {
  return Color{static_cast<uint8_t>(frame), static_cast<uint8_t>(position & 255),
               static_cast<uint8_t>(position >> 8)};
}

// A slice whose rows (portrait) or columns (landscape) carry Code(frame, p).
Raster CodedSlice(Size size, int frame, Mode mode) {
  Raster slice(size.width, size.height, PixelFormat::pf24bit);
  for (int y = 0; y < size.height; ++y) {
    uint8_t* row = slice.Row(y);
    for (int x = 0; x < size.width; ++x) {
      const Color c = Code(frame, mode == Mode::PortraitRows ? y : x);
      row[3 * x] = c.b;
      row[3 * x + 1] = c.g;
      row[3 * x + 2] = c.r;
    }
  }
  return slice;
}

Color At(const Raster& raster, int x, int y) {
  const uint8_t* p = raster.Row(y) + 3 * x;
  return Color{p[2], p[1], p[0]};
}

// Where output position `pos` (row or column across the strips) comes
// from: lens pos / (n s), frame by the place under the lens.
struct Source {
  int frame;  // 1-based
  int position;
};
Source ExpectedSource(int pos, int n, int s) {
  const int lens = pos / (n * s);
  const int within = pos % (n * s);
  return Source{within / s + 1, lens * s + within % s};
}

struct Layout {
  int frames;
  Mode mode;
  int strip;
  Size output;
  Size slice;
};

std::string Name(const ::testing::TestParamInfo<Layout>& info) {
  return std::to_string(info.param.frames) + "_frames_" +
         (info.param.mode == Mode::PortraitRows ? "portrait" : "landscape");
}

class InterleaveLayout : public ::testing::TestWithParam<Layout> {
 protected:
  void SetUp() override {
    const Layout& p = GetParam();
    geometry_ = ComputeOutputGeometry(p.frames, kLpi2125, p.mode);
    const Size slice = SliceSize(geometry_.OutputWidth, geometry_.OutputHeight, p.frames, p.mode);
    ASSERT_EQ(geometry_.StripWidth, p.strip);
    ASSERT_EQ((Size{geometry_.OutputWidth, geometry_.OutputHeight}), p.output);
    ASSERT_EQ(slice, p.slice);
    for (int i = 1; i <= p.frames; ++i) slices_.push_back(CodedSlice(slice, i, p.mode));
    for (const Raster& r : slices_) pointers_.push_back(&r);
    merged_ = InterleaveSlices(pointers_, geometry_, p.frames, p.mode, [this] { ++ticks_; });
  }

  // Colour of output position `pos` along the strips' cross direction,
  // sampled at `along` in the other direction.
  Color OutputAt(int pos, int along) const {
    return GetParam().mode == Mode::PortraitRows ? At(*merged_, along, pos) : At(*merged_, pos, along);
  }
  int CrossLength() const {
    return GetParam().mode == Mode::PortraitRows ? merged_->Height() : merged_->Width();
  }
  int AlongLength() const {
    return GetParam().mode == Mode::PortraitRows ? merged_->Width() : merged_->Height();
  }

  OutputGeometry geometry_;
  std::vector<Raster> slices_;
  std::vector<const Raster*> pointers_;
  std::optional<Raster> merged_;
  int ticks_ = 0;
};

TEST_P(InterleaveLayout, EveryOutputLineTracesToItsFrameAndSliceLine) {
  const Layout& p = GetParam();
  ASSERT_EQ(merged_->Width(), p.output.width);
  ASSERT_EQ(merged_->Height(), p.output.height);
  const int slice_cross = p.mode == Mode::PortraitRows ? p.slice.height : p.slice.width;
  int mismatches = 0;
  for (int pos = 0; pos < CrossLength(); ++pos) {
    const Source src = ExpectedSource(pos, p.frames, p.strip);
    const Color want = src.position < slice_cross ? Code(src.frame, src.position) : kWhite;
    for (int along = 0; along < AlongLength(); ++along) {
      if (OutputAt(pos, along) != want && ++mismatches <= 5) {
        ADD_FAILURE() << "position " << pos << " at " << along << ": expected frame " << src.frame
                      << " line " << src.position;
      }
    }
  }
  EXPECT_EQ(mismatches, 0);
}

TEST_P(InterleaveLayout, LensPitchIsFramesTimesStripAndEveryFrameSpansTheOutput) {
  const Layout& p = GetParam();
  const int pitch = p.frames * p.strip;
  for (int frame = 1; frame <= p.frames; ++frame) {
    // The frame's first strip lies at (frame - 1) x s and repeats every lens.
    const int first = (frame - 1) * p.strip;
    EXPECT_EQ(OutputAt(first, 0), Code(frame, 0)) << "frame " << frame;
    EXPECT_EQ(OutputAt(first + pitch, 0), Code(frame, p.strip)) << "frame " << frame;
    // Its slice lines appear as one unbroken run from the first on, missing
    // at most part of the last strip: the frame keeps its full extent.
    const int slice_cross = p.mode == Mode::PortraitRows ? p.slice.height : p.slice.width;
    std::vector<bool> seen(slice_cross, false);
    for (int pos = 0; pos < CrossLength(); ++pos) {
      const Color c = OutputAt(pos, 0);
      if (c.r == frame) seen.at(c.g + 256 * c.b) = true;
    }
    const auto first_missing = std::find(seen.begin(), seen.end(), false) - seen.begin();
    EXPECT_GE(first_missing, slice_cross - p.strip) << "frame " << frame;
    EXPECT_EQ(std::find(seen.begin() + first_missing, seen.end(), true), seen.end())
        << "frame " << frame;
  }
}

TEST_P(InterleaveLayout, ProgressStepsPerStripInPortraitAndPerFrameInLandscape) {
  const Layout& p = GetParam();
  int strips = 0;
  for (int i = 0; i < p.frames; ++i) {
    // Strips run while their position is at most the output's length.
    for (int pos = i * p.strip; pos <= CrossLength(); pos += p.frames * p.strip) ++strips;
    if (i * p.strip > CrossLength()) ++strips;
  }
  EXPECT_EQ(ticks_, p.mode == Mode::PortraitRows ? strips : p.frames);
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, InterleaveLayout,
    ::testing::Values(Layout{2, Mode::PortraitRows, 7, {1698, 2049}, {1698, 1024}},
                      Layout{2, Mode::LandscapeColumns, 7, {2049, 1698}, {1024, 1698}},
                      Layout{3, Mode::PortraitRows, 5, {1819, 2196}, {1819, 732}},
                      Layout{3, Mode::LandscapeColumns, 5, {2196, 1819}, {732, 1819}},
                      Layout{16, Mode::PortraitRows, 1, {1940, 2342}, {1940, 146}},
                      Layout{16, Mode::LandscapeColumns, 1, {2342, 1940}, {146, 1940}}),
    Name);

// The documented two-frame case, line by line.
TEST(InterleaveTwoFrames, LastStripOfFrameOneKeepsOnlyTheSliceRowsThatExist) {
  const OutputGeometry g = ComputeOutputGeometry(2, kLpi2125, Mode::PortraitRows);
  const Size size = SliceSize(g.OutputWidth, g.OutputHeight, 2, Mode::PortraitRows);
  const Raster one = CodedSlice(size, 1, Mode::PortraitRows);
  const Raster two = CodedSlice(size, 2, Mode::PortraitRows);
  int strips = 0;
  const Raster out = InterleaveSlices({&one, &two}, g, 2, Mode::PortraitRows, [&] { ++strips; });
  EXPECT_EQ(strips, 147 + 146);
  for (int y = 0; y <= 6; ++y) EXPECT_EQ(At(out, 100, y), Code(1, y));
  for (int y = 7; y <= 13; ++y) EXPECT_EQ(At(out, 100, y), Code(2, y - 7));
  for (int y = 14; y <= 20; ++y) EXPECT_EQ(At(out, 100, y), Code(1, y - 7));
  EXPECT_EQ(At(out, 1697, 2043), Code(2, 1021));  // frame 2's last strip
  EXPECT_EQ(At(out, 0, 2044), Code(1, 1022));
  EXPECT_EQ(At(out, 1697, 2045), Code(1, 1023));
  for (int y = 2046; y <= 2048; ++y) EXPECT_EQ(At(out, 0, y), kWhite) << "row " << y;
}

// Slices of another size than the geometry's are clipped, never overrun.
TEST(InterleaveClipping, SmallerAndLargerSlicesAreClippedAndTheRestStaysWhite) {
  const OutputGeometry g{7, 2975000, 40, 30};
  const Raster small = CodedSlice({20, 5}, 1, Mode::PortraitRows);
  const Raster large = CodedSlice({90, 80}, 2, Mode::PortraitRows);
  const Raster out = InterleaveSlices({&small, &large}, g, 2, Mode::PortraitRows);
  EXPECT_EQ(At(out, 19, 0), Code(1, 0));
  EXPECT_EQ(At(out, 20, 0), kWhite);       // beyond the small slice's width
  EXPECT_EQ(At(out, 0, 5), kWhite);        // beyond its height (rows 5, 6 of strip 0)
  EXPECT_EQ(At(out, 39, 7), Code(2, 0));   // the large slice cut at the output's width
  EXPECT_EQ(At(out, 0, 27), Code(2, 13));
  EXPECT_EQ(At(out, 0, 29), kWhite);       // frame 1's third strip: slice rows 14.. missing
  const Raster cols = InterleaveSlices({&small, &large}, g, 2, Mode::LandscapeColumns);
  EXPECT_EQ(At(cols, 0, 4), Code(1, 4));
  EXPECT_EQ(At(cols, 0, 5), kWhite);
  EXPECT_EQ(At(cols, 33, 4), Code(1, 4));  // slice column 19 at output column 28 + 5
  EXPECT_EQ(At(cols, 34, 0), kWhite);      // slice column 20 does not exist
  EXPECT_EQ(At(cols, 39, 29), Code(2, 29));  // frame 2's last strip cut at column 40
  // One-pixel strips with a narrow second frame: beyond its 5 columns its
  // strips stay white, untouched by the wide first frame's copies.
  const OutputGeometry thin{1, 2975000, 40, 30};
  const Raster wide = CodedSlice({90, 80}, 1, Mode::LandscapeColumns);
  const Raster narrow = CodedSlice({5, 30}, 2, Mode::LandscapeColumns);
  const Raster mixed = InterleaveSlices({&wide, &narrow}, thin, 2, Mode::LandscapeColumns);
  for (int x = 0; x < 40; ++x) {
    const int column = x / 2;
    const Color want = x % 2 == 0 ? Code(1, column) : (column < 5 ? Code(2, column) : kWhite);
    EXPECT_EQ(At(mixed, x, 17), want) << "column " << x;
  }
}

struct BadInput {
  const char* name;
  int frame_count;
  int strip;
  bool null_slice;
  bool paletted;
};

class InterleaveRefuses : public ::testing::TestWithParam<BadInput> {};

TEST_P(InterleaveRefuses, WithAClearErrorInsteadOfAHangOrOverrun) {
  const BadInput& p = GetParam();
  const Raster good(10, 10, PixelFormat::pf24bit);
  const Raster grey(10, 10, PixelFormat::pf8bit);
  std::vector<const Raster*> slices{&good, p.null_slice ? nullptr : (p.paletted ? &grey : &good)};
  const OutputGeometry g{p.strip, 2975000, 20, 20};
  EXPECT_THROW(InterleaveSlices(slices, g, p.frame_count, Mode::PortraitRows), Error);
}

INSTANTIATE_TEST_SUITE_P(Cases, InterleaveRefuses,
                         ::testing::Values(BadInput{"count", 3, 7, false, false},
                                           BadInput{"zero_strip", 2, 0, false, false},
                                           BadInput{"null", 2, 7, true, false},
                                           BadInput{"paletted", 2, 7, false, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(MergePreview, ReducesByThreeAndAHalfFromFiveHundredPixelsOn) {
  struct Case {
    Size merged;
    Size preview;
  };
  for (const Case& c : {Case{{1698, 2049}, {485, 585}}, Case{{2049, 1698}, {585, 485}},
                        Case{{500, 700}, {143, 200}}, Case{{1940, 2342}, {554, 669}}}) {
    Raster merged(c.merged.width, c.merged.height, PixelFormat::pf24bit);
    merged.FillRect(merged.ClipRect(), Color{9, 99, 199});
    const Raster preview = MergePreview(merged);
    EXPECT_EQ((Size{preview.Width(), preview.Height()}), c.preview);
    EXPECT_EQ(At(preview, preview.Width() - 1, preview.Height() - 1), (Color{9, 99, 199}));
  }
}

TEST(MergePreview, NarrowerOutputIsShownAtFullSizePixelForPixel) {
  const Raster merged = CodedSlice({499, 600}, 5, Mode::PortraitRows);
  const Raster preview = MergePreview(merged);
  ASSERT_EQ(preview.Width(), 499);
  ASSERT_EQ(preview.Height(), 600);
  for (int y = 0; y < 600; ++y) {
    ASSERT_EQ(std::memcmp(preview.Row(y), merged.Row(y), 499 * 3), 0) << "row " << y;
  }
}

}  // namespace
}  // namespace lenti
