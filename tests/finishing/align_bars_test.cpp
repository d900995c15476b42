// Alignment bars: the band's size and bars at the merge size, the exact
// removal of the band after any order of ticks, clears and quarter turns,
// and the geometry of the merge that made the picture.
#include "finishing/align_bars.h"

#include <gtest/gtest.h>

#include <limits>
#include <random>
#include <sstream>
#include <utility>
#include <vector>

#include "core/error.h"
#include "core/numerics.h"
#include "fake_frontend.h"
#include "finishing/rotation.h"
#include "test_pictures.h"

namespace lenti {
namespace {

using testing::FakeFrontend;
using testing::MergedState;
using testing::NoisePicture;
using testing::ReferenceTurns;
using testing::SamePixels;

struct PitchCase {
  int n;
  int strip;
  int pitch;
  int thickness;
};

// Trunc(n / 2 x s): odd n with odd s loses the half pixel.
const PitchCase kPitchCases[] = {
    {2, 7, 14, 7}, {3, 5, 15, 7}, {4, 4, 16, 8}, {5, 3, 15, 7},
    {9, 2, 18, 9}, {15, 1, 15, 7}, {16, 1, 16, 8}, {3, 1, 3, 1},
};

TEST(AlignBarQuantities, PitchAndThickness) {
  for (const PitchCase& c : kPitchCases) {
    SCOPED_TRACE(::testing::Message() << c.n << " frames of " << c.strip << " px");
    EXPECT_EQ(LensPitchPx(c.n, c.strip), c.pitch);
    EXPECT_EQ(BarThickness(c.n, c.strip), c.thickness);
  }
}

// ---- the band at the merge size ------------------------------------------

struct BandCase {
  const char* name;
  int n, strip;
  int width, height;  // the merged picture
  bool flip;
  Size grown;
  std::vector<std::pair<int, int>> black;  // inclusive ranges of band columns (rows when flip)
  Size preview;
};

const BandCase kBandCases[] = {
    {"TwoFramesUpright", 2, 7, 1698, 2049, false, {1754, 2049},
     {{1705, 1711}, {1719, 1725}, {1733, 1739}, {1747, 1753}}, {438, 512}},
    {"TwoFramesLying", 2, 7, 1698, 2049, true, {1698, 2105},
     {{2056, 2062}, {2070, 2076}, {2084, 2090}, {2098, 2104}}, {424, 526}},
    // 3 frames of 5 px: pitch 15, each period 8 white then 7 black.
    {"ThreeFramesUpright", 3, 5, 1819, 2196, false, {1879, 2196},
     {{1827, 1833}, {1842, 1848}, {1857, 1863}, {1872, 1878}}, {470, 549}},
};

bool InRanges(int v, const std::vector<std::pair<int, int>>& ranges) {
  for (const auto& [first, last] : ranges) {
    if (v >= first && v <= last) return true;
  }
  return false;
}

// Every pixel of the band is black in the listed ranges and white elsewhere.
void ExpectBand(const Raster& picture, const BandCase& c) {
  const int first = c.flip ? c.height : c.width;
  const int last = c.flip ? picture.Height() : picture.Width();
  const int across = c.flip ? picture.Width() : picture.Height();
  for (int line = first; line < last; ++line) {
    const Color want = InRanges(line, c.black) ? kBlack : kWhite;
    for (int along = 0; along < across; ++along) {
      const Color got = c.flip ? picture.PixelColor(along, line) : picture.PixelColor(line, along);
      if (got != want) {
        ADD_FAILURE() << "band line " << line << " at " << along;
        return;
      }
    }
  }
}

// The picture's own pixels, at the top left, are untouched.
bool PictureKept(const Raster& grown, const Raster& original) {
  for (int y = 0; y < original.Height(); ++y) {
    if (std::memcmp(grown.Row(y), original.Row(y), static_cast<size_t>(original.Width()) * 3) != 0) {
      return false;
    }
  }
  return true;
}

class BandAtMergeSize : public ::testing::TestWithParam<BandCase> {};

TEST_P(BandAtMergeSize, TickGrowsByFourPitchesThenClearGivesThePictureBack) {
  const BandCase& c = GetParam();
  MakerState state = MergedState(c.width, c.height, c.n, c.strip);
  const Raster original = *state.merged.MergedBitmap;
  SetInterlaceType(state.lens, !c.flip);
  FakeFrontend frontend;

  frontend.Show(ToggleAlignBars(state, true));
  const Raster& grown = *state.merged.MergedBitmap;
  ASSERT_EQ((Size{grown.Width(), grown.Height()}), c.grown);
  ExpectBand(grown, c);
  EXPECT_TRUE(PictureKept(grown, original));
  EXPECT_EQ((Size{frontend.view.Width(), frontend.view.Height()}), c.preview);

  frontend.Show(ToggleAlignBars(state, false));
  EXPECT_TRUE(SamePixels(*state.merged.MergedBitmap, original));
  EXPECT_EQ(AlignBandSide(state), BandSide::None);
  EXPECT_EQ((Size{frontend.view.Width(), frontend.view.Height()}),
            (Size{static_cast<int>(Round(c.width / 4.0L)), static_cast<int>(Round(c.height / 4.0L))}));
}

INSTANTIATE_TEST_SUITE_P(Examples, BandAtMergeSize, ::testing::ValuesIn(kBandCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(AlignBars, PreviewIsTheQuarterSizeStretchOfThePicture) {
  MakerState state = MergedState(40, 28, 2, 1);
  FakeFrontend frontend;
  frontend.Show(ToggleAlignBars(state, true));
  const Raster& preview = frontend.view.Graphic();
  ASSERT_EQ((Size{preview.Width(), preview.Height()}), (Size{12, 7}));  // of 48 x 28
  // A scaled draw of the whole picture, not a blank or cropped one: the
  // top-left pixel comes from the picture's top-left 4 x 4 block, the right
  // column from the band.
  bool from_block = false;
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 4; ++x) from_block |= preview.PixelColor(0, 0) == state.merged.MergedBitmap->PixelColor(x, y);
  }
  EXPECT_TRUE(from_block);
  for (int y = 0; y < preview.Height(); ++y) {
    const Color c = preview.PixelColor(11, y);
    EXPECT_TRUE(c == kBlack || c == kWhite) << "row " << y;
  }
}

TEST(AlignBars, SecondTickAddsNoSecondBand) {
  MakerState state = MergedState(50, 40, 2, 3);
  FakeFrontend frontend;
  frontend.Show(ToggleAlignBars(state, true));
  const Raster once = *state.merged.MergedBitmap;
  frontend.Show(ToggleAlignBars(state, true));
  EXPECT_TRUE(SamePixels(*state.merged.MergedBitmap, once));
  EXPECT_EQ(state.merged.AlignBandWidth, 24);
}

TEST(AlignBars, ClearWithoutBandOnlyRefreshesThePreview) {
  MakerState state = MergedState(50, 40, 2, 3);
  const Raster original = *state.merged.MergedBitmap;
  FakeFrontend frontend;
  frontend.Show(ToggleAlignBars(state, false));
  EXPECT_TRUE(SamePixels(*state.merged.MergedBitmap, original));
  EXPECT_EQ((Size{frontend.view.Width(), frontend.view.Height()}), (Size{12, 10}));
}

TEST(AlignBars, NothingWithoutAMergedPicture) {
  MakerState state;
  FakeFrontend frontend;
  frontend.Show(ToggleAlignBars(state, true));
  EXPECT_FALSE(state.merged.MergedBitmap.has_value());
  EXPECT_TRUE(frontend.view.IsEmpty());
  EXPECT_EQ(AlignBandSide(state), BandSide::None);
}

// A StripWidth changed by a later import must not change the band: it is
// that of the merge which made the picture.
TEST(AlignBars, UsesTheGeometryOfTheMergeThatMadeThePicture) {
  MakerState state = MergedState(60, 70, 2, 7);
  state.photos.FrameCount = 5;
  state.photos.StripWidth = 2;
  FakeFrontend frontend;
  frontend.Show(ToggleAlignBars(state, true));
  EXPECT_EQ(state.merged.MergedBitmap->Width(), 60 + 56);
  EXPECT_EQ(state.merged.MergedBitmap->PixelColor(60 + 6, 0), kWhite);   // first period: 7 white
  EXPECT_EQ(state.merged.MergedBitmap->PixelColor(60 + 7, 69), kBlack);  // then 7 black
  frontend.Show(ToggleAlignBars(state, false));
  EXPECT_EQ(state.merged.MergedBitmap->Width(), 60);
}

// A band record left from the previous picture (a new merge replaced it)
// must not cut the new picture.
TEST(AlignBars, StaleRecordNeverCutsANewPicture) {
  struct Case {
    int width, height, n, strip;
  };
  for (const Case& next : {Case{50, 40, 2, 3}, Case{40, 50, 2, 3}, Case{30, 20, 3, 1}}) {
    MakerState state = MergedState(50, 40, 2, 3);
    FakeFrontend frontend;
    frontend.Show(ToggleAlignBars(state, true));
    ASSERT_NE(state.merged.AlignBandWidth, 0);
    // What a merge leaves, except that the record is still there.
    const MakerState merged = MergedState(next.width, next.height, next.n, next.strip, 7);
    state.merged.MergedBitmap = merged.merged.MergedBitmap;
    state.merged.Geometry = merged.merged.Geometry;
    frontend.Show(ToggleAlignBars(state, false));
    EXPECT_TRUE(SamePixels(*state.merged.MergedBitmap, *merged.merged.MergedBitmap));
    EXPECT_EQ(AlignBandSide(state), BandSide::None);
  }
}

// A band that cannot be allocated leaves the picture its size and records
// nothing.
TEST(AlignBars, FailedGrowthKeepsThePicture) {
  constexpr int kHuge = std::numeric_limits<int32_t>::max() - 10;
  for (const bool flip : {false, true}) {
    MakerState state;
    state.merged.MergedBitmap = flip ? Raster(0, kHuge) : Raster(kHuge, 0);
    state.merged.Geometry = MergeGeometry{2, 212500, 7, 0, flip ? 0 : kHuge, flip ? kHuge : 0};
    state.lens.FlipMode = flip;
    FakeFrontend frontend;
    EXPECT_THROW(frontend.Show(ToggleAlignBars(state, true)), Error);
    EXPECT_EQ(state.merged.MergedBitmap->Width(), flip ? 0 : kHuge);
    EXPECT_EQ(state.merged.MergedBitmap->Height(), flip ? kHuge : 0);
    EXPECT_EQ(AlignBandSide(state), BandSide::None);
  }
}

TEST(AlignBars, InterlaceTypeSetsFlipMode) {
  MakerState state;
  SetInterlaceType(state.lens, false);
  EXPECT_TRUE(state.lens.FlipMode);
  SetInterlaceType(state.lens, true);
  EXPECT_FALSE(state.lens.FlipMode);
}

// ---- any order of ticks, clears, turns and interlace-type changes ----------

// The band appended by hand: `flip` rows at the bottom, else columns at the
// right, four periods of white then black counted outward.
Raster ReferenceWithBand(const Raster& picture, bool flip, int pitch, int thickness) {
  const int band = 4 * pitch;
  Raster out(picture.Width() + (flip ? 0 : band), picture.Height() + (flip ? band : 0));
  for (int y = 0; y < out.Height(); ++y) {
    for (int x = 0; x < out.Width(); ++x) {
      const bool in_picture = x < picture.Width() && y < picture.Height();
      const int offset = (flip ? y - picture.Height() : x - picture.Width()) % pitch;
      out.SetPixelColor(x, y, in_picture ? picture.PixelColor(x, y)
                                         : (offset >= pitch - thickness ? kBlack : kWhite));
    }
  }
  return out;
}

enum class Op { Tick, Clear, Rotate, ThreeD, UpDown };

const char* OpName(Op op) {
  switch (op) {
    case Op::Tick: return "tick";
    case Op::Clear: return "clear";
    case Op::Rotate: return "rotate";
    case Op::ThreeD: return "3D";
    case Op::UpDown: return "up-down";
  }
  return "?";
}

// The expected picture follows an independent model: the original turned
// r times, and, while a band is on, the band appended to the picture as it
// stood at the tick and then turned with it.
struct Model {
  Raster original;
  int pitch, thickness;
  int turns = 0;
  bool flip = false;
  bool band = false;
  int band_turns = 0;  // turns before the tick
  bool band_flip = false;

  Raster Expected() const {
    if (!band) return ReferenceTurns(original, turns);
    const Raster at_tick = ReferenceWithBand(ReferenceTurns(original, band_turns), band_flip, pitch, thickness);
    return ReferenceTurns(at_tick, (turns - band_turns) % 4);
  }
  void Apply(Op op) {
    switch (op) {
      case Op::Tick:
        if (!band) {
          band = true;
          band_turns = turns;
          band_flip = flip;
        }
        break;
      case Op::Clear: band = false; break;
      case Op::Rotate: ++turns; break;
      case Op::ThreeD: flip = false; break;
      case Op::UpDown: flip = true; break;
    }
  }
};

void RunOp(MakerState& state, FakeFrontend& frontend, Op op) {
  switch (op) {
    case Op::Tick:
    case Op::Clear:
      frontend.Show(ToggleAlignBars(state, op == Op::Tick));
      break;
    case Op::Rotate:
      TurnMerged(state);
      frontend.Show(*state.merged.MergedBitmap);
      break;
    case Op::ThreeD: SetInterlaceType(state.lens, true); break;
    case Op::UpDown: SetInterlaceType(state.lens, false); break;
  }
}

struct SequenceShape {
  int width, height, n, strip;
};

class BandSequences : public ::testing::TestWithParam<SequenceShape> {};

// Seeded sequences; a failure names the seed and the steps to replay it.
TEST_P(BandSequences, NoPicturePixelIsCutOrAdded) {
  const SequenceShape shape = GetParam();
  constexpr int kSequences = 150;
  constexpr int kSteps = 10;
  const Op kOps[] = {Op::Tick, Op::Tick, Op::Clear, Op::Clear, Op::Rotate, Op::Rotate, Op::ThreeD, Op::UpDown};
  for (uint32_t seed = 1; seed <= kSequences; ++seed) {
    std::mt19937 random(seed);
    MakerState state = MergedState(shape.width, shape.height, shape.n, shape.strip, seed);
    Model model{*state.merged.MergedBitmap, LensPitchPx(shape.n, shape.strip), BarThickness(shape.n, shape.strip)};
    FakeFrontend frontend;
    std::ostringstream steps;
    for (int step = 0; step < kSteps; ++step) {
      const Op op = kOps[random() % std::size(kOps)];
      steps << OpName(op) << ' ';
      RunOp(state, frontend, op);
      model.Apply(op);
      if (!SamePixels(*state.merged.MergedBitmap, model.Expected())) {
        FAIL() << "seed " << seed << ": " << steps.str();
      }
    }
    // Clearing at the end always gives the turned picture, exactly.
    RunOp(state, frontend, Op::Clear);
    model.Apply(Op::Clear);
    ASSERT_TRUE(SamePixels(*state.merged.MergedBitmap, model.Expected())) << "seed " << seed << ": " << steps.str();
  }
}

INSTANTIATE_TEST_SUITE_P(Shapes, BandSequences,
                         ::testing::Values(SequenceShape{23, 31, 2, 3}, SequenceShape{17, 9, 3, 1},
                                           SequenceShape{12, 12, 2, 2}));

TEST(AlignBandBookkeeping, SideFollowsEachQuarterTurn) {
  MakerState state = MergedState(20, 30, 2, 1);
  AddAlignBand(state);
  const BandSide expected[] = {BandSide::Top, BandSide::Left, BandSide::Bottom, BandSide::Right};
  ASSERT_EQ(AlignBandSide(state), BandSide::Right);
  FakeFrontend frontend;
  for (const BandSide side : expected) {
    TurnMerged(state);
    frontend.Show(*state.merged.MergedBitmap);
    EXPECT_EQ(AlignBandSide(state), side);
    EXPECT_EQ(std::abs(state.merged.AlignBandWidth) + std::abs(state.merged.AlignBandHeight), 8);
  }
}

}  // namespace
}  // namespace lenti
