// Text overlay: the click mapping back onto the merged picture, the Apply
// rule, and that the view shows exactly the pixels a burn gives, glyphs only,
// with the font object shared with the dialog.
#include "finishing/text_overlay.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <utility>

#include "core/command_states.h"
#include "core/error.h"
#include "core/strip_width.h"
#include "core/text.h"
#include "fake_frontend.h"
#include "finishing/rotation.h"
#include "test_pictures.h"

namespace lenti {
namespace {

using testing::FakeFrontend;
using testing::MergedState;
using testing::ReferenceTurn;
using testing::SamePixels;

// ---- the click mapping -----------------------------------------------------

struct ClickCase {
  const char* name;
  Size merged;
  Size view;
  Point click;
  Point want;
};

const ClickCase kClicks[] = {
    // Portrait, 4 frames: the picture fills the view's height.
    {"PortraitInside", {1940, 2342}, {589, 591}, {300, 200}, {992, 793}},
    {"PortraitLeftMargin", {1940, 2342}, {589, 591}, {49, 0}, {-3, 0}},
    // Landscape: the picture fills the view's width.
    {"LandscapeInside", {2342, 1940}, {589, 591}, {300, 200}, {1193, 590}},
    {"LandscapeTopMargin", {2342, 1940}, {589, 591}, {0, 0}, {0, -205}},
    // The view's own proportions: no margin, a plain scale by 2.
    {"SameProportions", {1178, 1182}, {589, 591}, {100, 50}, {200, 100}},
    // Ties go to the even neighbour: 2.5 -> 2 and 7.5 -> 8; margin 4.8 gives -12.
    {"TieDown", {5, 1}, {2, 10}, {1, 0}, {2, -12}},
    {"TieUp", {5, 1}, {2, 10}, {3, 0}, {8, -12}},
    // Beyond the view's edge: beyond the picture's edge.
    {"PastTheRightEdge", {1940, 2342}, {589, 591}, {588, 590}, {2133, 2338}},
};

class ClickMapping : public ::testing::TestWithParam<ClickCase> {};

TEST_P(ClickMapping, MapsTheReleasePointToPicturePixels) {
  const ClickCase& c = GetParam();
  EXPECT_EQ(MapViewClickToImage(c.merged, c.view, c.click.x, c.click.y), c.want);
}

INSTANTIATE_TEST_SUITE_P(Cases, ClickMapping, ::testing::ValuesIn(kClicks),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ClickMappingFaults, ViewWithoutHeightIsAFloatingPointError) {
  try {
    MapViewClickToImage({1940, 2342}, {589, 0}, 10, 10);
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), "Floating point division by zero");
  }
}

const Font kTestFontFace{"DejaVu Sans", 12, true};

// ---- the Apply rule and the font --------------------------------------------

TEST(ApplyRule, EnabledOnlyWithTextAndAMergedPicture) {
  struct Case {
    const char* text;
    bool merged;
    bool enabled;
  };
  for (const Case& c : {Case{"", false, false}, Case{"x", false, false}, Case{"", true, false},
                        Case{"x", true, true}}) {
    SCOPED_TRACE(::testing::Message() << '"' << c.text << "\" merged " << c.merged);
    MakerState state;
    if (c.merged) state.merged.MergedBitmap = Raster(4, 4);
    FakeFrontend frontend;
    state.overlay.EditText = c.text;
    state.overlay.ApplyEnabled = !c.enabled;
    UpdateApplyEnabled(state);
    EXPECT_EQ(DeriveCommandStates(state).apply_text, c.enabled);
  }
}

TEST(ChooseFont, ChangesTheDialogFontInPlaceThenRunsTheApplyRule) {
  MakerState state = MergedState(40, 30, 2, 7);
  FakeFrontend frontend;
  state.overlay.EditText = "abc";
  const Font chosen{"DejaVu Serif", 20, false, true};
  frontend.font_answers.push_back(chosen);
  auto dialog_font = std::make_shared<Font>();
  const Font* object = dialog_font.get();
  ChooseFont(state, frontend, dialog_font);
  EXPECT_EQ(dialog_font.get(), object);
  EXPECT_EQ(*dialog_font, chosen);
  EXPECT_TRUE(DeriveCommandStates(state).apply_text);
  // A cancelled dialog leaves the font as it was.
  ChooseFont(state, frontend, dialog_font);
  EXPECT_EQ(*dialog_font, chosen);
}

// ---- the text colour -----------------------------------------------------------

// Every answer of the colour dialog: a new colour is taken into the dialog's
// font object (the pending text's, once applied) and opens Apply; a cancel,
// or the colour it already has, changes nothing at all.
TEST(ChooseTextColour, TakesOnlyANewColourIntoTheSharedFont) {
  struct Case {
    const char* name;
    std::optional<Color> answer;  // none: cancelled
    Color font_colour;
    bool apply_enabled;
  };
  const Color kTeal{0, 128, 128};
  for (const Case& c : {Case{"confirmed", kTeal, kTeal, true}, Case{"cancelled", std::nullopt, kBlack, false},
                        Case{"same colour", kBlack, kBlack, false}}) {
    SCOPED_TRACE(c.name);
    MakerState state = MergedState(40, 30, 2, 7);
    FakeFrontend frontend;
    state.overlay.EditText = "abc";
    if (c.answer) frontend.colour_answers.push_back(*c.answer);
    auto dialog_font = std::make_shared<Font>(kTestFontFace);
    state.overlay.OverlayFont = dialog_font;
    ChooseTextColour(state, frontend, dialog_font);
    EXPECT_EQ(state.overlay.OverlayFont.get(), dialog_font.get());
    EXPECT_EQ(dialog_font->color, c.font_colour);
    Font rest = *dialog_font;
    rest.color = kBlack;
    EXPECT_EQ(rest, kTestFontFace) << "only the colour may change";
    EXPECT_EQ(DeriveCommandStates(state).apply_text, c.apply_enabled);
    EXPECT_TRUE(frontend.colour_answers.empty());
  }
}

TEST(ChooseTextColour, WithoutAFontObjectAsksNothing) {
  MakerState state;
  FakeFrontend frontend;
  frontend.colour_answers.push_back(kRed);
  ChooseTextColour(state, frontend, nullptr);
  EXPECT_EQ(frontend.colour_answers.size(), 1u);
}

// ---- what the view and a burn show -------------------------------------------

const Font kTestFont{"DejaVu Sans", 20};

// The bounding box of the pixels in which two equal-sized pictures differ;
// an empty rectangle when none does.
Rect ChangedArea(const Raster& a, const Raster& b) {
  Rect area{a.Width(), a.Height(), 0, 0};
  for (int y = 0; y < a.Height(); ++y) {
    for (int x = 0; x < a.Width(); ++x) {
      if (a.PixelColor(x, y) == b.PixelColor(x, y)) continue;
      area.left = std::min(area.left, x);
      area.top = std::min(area.top, y);
      area.right = std::max(area.right, x + 1);
      area.bottom = std::max(area.bottom, y + 1);
    }
  }
  return area.right == 0 ? Rect{} : area;
}

bool Inside(const Rect& inner, const Rect& outer) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

// The text's cell at (x, y), widened by a few pixels for glyph overhang.
Rect CellAround(int x, int y, const std::string& text, const Font& font) {
  const Size cell = MeasureText(font, text);
  constexpr int kOverhang = 3;
  return Rect{x - kOverhang, y - kOverhang, x + cell.width + kOverhang, y + cell.height + kOverhang};
}

struct Scene {
  MakerState state = MergedState(300, 200, 2, 7);
  FakeFrontend frontend;
  std::shared_ptr<Font> dialog_font = std::make_shared<Font>(kTestFont);
  Scene() {
    frontend.view_image = {300, 200};  // one view pixel per picture pixel
    state.overlay.EditText = "Hello";
  }
  const Raster& View() const { return frontend.view.Graphic(); }
};

TEST(ApplyText, ShowsTheTextAtTheDefaultPlaceOnACopyOnly) {
  Scene s;
  const Raster merged = *s.state.merged.MergedBitmap;
  s.state.overlay.ApplyEnabled = true;
  s.frontend.Show(ApplyText(s.state, s.dialog_font));
  EXPECT_EQ(s.state.overlay.OverlayText, "Hello");
  EXPECT_EQ(s.state.overlay.OverlayFont.get(), s.dialog_font.get());
  EXPECT_FALSE(DeriveCommandStates(s.state).apply_text);
  EXPECT_TRUE(SamePixels(*s.state.merged.MergedBitmap, merged));  // pending, not burned

  ASSERT_EQ((Size{s.View().Width(), s.View().Height()}), (Size{300, 200}));
  const Rect changed = ChangedArea(s.View(), merged);
  EXPECT_GT(changed.Width(), 0);
  EXPECT_TRUE(Inside(changed, CellAround(100, 100, "Hello", kTestFont)));
}

TEST(ApplyText, GlyphsOnlyThePictureShowsThroughBetweenThem) {
  Scene s;
  s.frontend.Show(ApplyText(s.state, s.dialog_font));
  const Size cell = MeasureText(kTestFont, "Hello");
  int kept = 0, changed = 0;
  for (int y = 100; y < 100 + cell.height; ++y) {
    for (int x = 100; x < 100 + cell.width; ++x) {
      (s.View().PixelColor(x, y) == s.state.merged.MergedBitmap->PixelColor(x, y) ? kept : changed) += 1;
    }
  }
  EXPECT_GT(changed, 0);
  EXPECT_GT(kept, changed);  // most of a text's cell lies between the glyphs
}

// What the view showed is what Rotate burns in: the same pixels, turned.
TEST(ApplyText, BurnedPixelsAreExactlyTheOnesTheViewShowed) {
  Scene s;
  s.frontend.Show(ApplyText(s.state, s.dialog_font));
  s.frontend.Show(PlaceText(s.state, s.frontend.view_image, 37, 151));
  const Raster shown = s.View();
  TurnMerged(s.state);
  s.frontend.Show(*s.state.merged.MergedBitmap);
  EXPECT_TRUE(SamePixels(*s.state.merged.MergedBitmap, ReferenceTurn(shown)));
}

TEST(ApplyText, FontChangedAfterApplyIsTheOneBurnedIn) {
  Scene s;
  s.frontend.Show(ApplyText(s.state, s.dialog_font));
  const Raster shown = s.View();
  const Font larger{"DejaVu Sans", 30, true};
  s.frontend.font_answers.push_back(larger);
  ChooseFont(s.state, s.frontend, s.dialog_font);
  EXPECT_TRUE(SamePixels(s.View(), shown));  // the view keeps the old font

  Raster expected = *s.state.merged.MergedBitmap;
  expected.SetFont(larger);
  expected.SetBrushStyle(BrushStyle::Clear);
  expected.TextOut(100, 100, "Hello");
  TurnMerged(s.state);
  s.frontend.Show(*s.state.merged.MergedBitmap);
  EXPECT_TRUE(SamePixels(*s.state.merged.MergedBitmap, ReferenceTurn(expected)));
  EXPECT_FALSE(SamePixels(*s.state.merged.MergedBitmap, ReferenceTurn(shown)));
}

TEST(ApplyText, WithoutAFontObjectTheDefaultFontDraws) {
  Scene s;
  s.frontend.Show(ApplyText(s.state, nullptr));
  Raster expected = *s.state.merged.MergedBitmap;
  expected.SetBrushStyle(BrushStyle::Clear);
  expected.TextOut(100, 100, "Hello");
  EXPECT_TRUE(SamePixels(s.View(), expected));
}

// ---- placing the text ----------------------------------------------------------

TEST(PlaceText, WithoutPendingTextOnlyMovesThePosition) {
  Scene s;
  s.frontend.Show(PlaceText(s.state, s.frontend.view_image, 40, 60));
  EXPECT_EQ((Point{s.state.overlay.TextX, s.state.overlay.TextY}), (Point{40, 60}));
  EXPECT_TRUE(s.frontend.view.IsEmpty());
  // A later Apply draws the text there.
  s.frontend.Show(ApplyText(s.state, s.dialog_font));
  const Rect changed = ChangedArea(s.View(), *s.state.merged.MergedBitmap);
  EXPECT_GT(changed.Width(), 0);
  EXPECT_TRUE(Inside(changed, CellAround(40, 60, "Hello", kTestFont)));
}

TEST(PlaceText, WithPendingTextTheTextMovesAndLeavesNothingBehind) {
  Scene s;
  s.frontend.Show(ApplyText(s.state, s.dialog_font));
  const Raster merged = *s.state.merged.MergedBitmap;
  s.frontend.Show(PlaceText(s.state, s.frontend.view_image, 180, 150));
  const Rect changed = ChangedArea(s.View(), merged);
  EXPECT_GT(changed.Width(), 0);
  EXPECT_TRUE(Inside(changed, CellAround(180, 150, "Hello", kTestFont)));  // nothing left at 100, 100
  EXPECT_TRUE(SamePixels(*s.state.merged.MergedBitmap, merged));
}

// The view shows another photo: the click still maps onto MergedBitmap.
TEST(PlaceText, MapsOntoTheMergedPictureWhateverTheViewShows) {
  Scene s;
  s.frontend.view = Picture(Raster(40, 900));
  s.frontend.view_image = {589, 591};
  s.state.merged.MergedBitmap = Raster(1940, 2342);
  s.frontend.Show(PlaceText(s.state, s.frontend.view_image, 300, 200));
  EXPECT_EQ((Point{s.state.overlay.TextX, s.state.overlay.TextY}), (Point{992, 793}));
}

TEST(PlaceText, NothingWithoutAMergedPicture) {
  MakerState state;
  FakeFrontend frontend;
  state.overlay.OverlayText = "pending";
  frontend.Show(PlaceText(state, frontend.view_image, 5, 5));
  EXPECT_EQ((Point{state.overlay.TextX, state.overlay.TextY}), (Point{100, 100}));
  EXPECT_TRUE(frontend.view.IsEmpty());
}

// ---- a text partly or wholly off the picture ---------------------------------

struct ClipCase {
  const char* name;
  int x, y;
  bool visible;  // some part falls on the 300 x 200 picture
};

const ClipCase kClips[] = {
    {"TopLeftCorner", -20, -8, true},     {"BottomRightCorner", 285, 185, true},
    {"LeftEdge", -30, 90, true},          {"FarLeft", -1000, 50, false},
    {"PastTheRight", 300, 10, false},     {"Below", 10, 200, false},
    {"FarAway", 1000000000, -1000000000, false},
};

class ClippedText : public ::testing::TestWithParam<ClipCase> {};

TEST_P(ClippedText, OnlyThePartOnThePictureIsDrawn) {
  const ClipCase& c = GetParam();
  Scene s;
  s.state.overlay.OverlayText = "Hello";
  s.state.overlay.OverlayFont = s.dialog_font;
  s.state.overlay.TextX = c.x;
  s.state.overlay.TextY = c.y;
  Raster target = *s.state.merged.MergedBitmap;
  BurnOverlayText(s.state, target);
  ASSERT_EQ((Size{target.Width(), target.Height()}), (Size{300, 200}));
  const Rect changed = ChangedArea(target, *s.state.merged.MergedBitmap);
  EXPECT_EQ(changed.Width() > 0, c.visible);
  if (c.visible) {
    EXPECT_TRUE(Inside(changed, CellAround(c.x, c.y, "Hello", kTestFont)));
  }
}

INSTANTIATE_TEST_SUITE_P(Positions, ClippedText, ::testing::ValuesIn(kClips),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(BurnOverlayText, NoPendingTextDrawsNothing) {
  Scene s;
  Raster target = *s.state.merged.MergedBitmap;
  BurnOverlayText(s.state, target);
  EXPECT_TRUE(SamePixels(target, *s.state.merged.MergedBitmap));
  EXPECT_FALSE(target.CanvasUsed());
}

// ---- the text's printed size -------------------------------------------------

// Text keeps its pixels at the classic resolution of any frames and pitch.
TEST(TextScale, OneAtTheClassicResolutionOfAnyFramesAndPitch) {
  for (const auto& [frames, lpi] : {std::pair{2, 212500}, std::pair{16, 212500}, std::pair{3, 400000},
                                    std::pair{7, 600000}}) {
    MergeGeometry g;
    g.FrameCount = frames;
    g.LensLpiX = lpi;
    g.OutputDpiX = int64_t{frames} * lpi * MergeStripWidth(frames, lpi);
    EXPECT_EQ(TextScale(g), 1.0) << frames << " frames at " << lpi;
  }
  EXPECT_EQ(TextScale(MergeGeometry{}), 1.0) << "before a merge";
}

// A 72 pt "H" of two frames at 21.25 lpi: at 600, 720 and 1200 dpi its ink is
// as many times taller than at 297.5 dpi as the resolution is higher, so
// that it prints at the same height (within 2 %).
TEST(BurnOverlayText, PrintsAtTheSameHeightAtEveryResolution) {
  const auto ink_height = [](int64_t dpi_x10000) {
    MakerState state = MergedState(520, 520, 2, 7);
    state.merged.Geometry.LensLpiX = 212500;
    state.merged.Geometry.OutputDpiX = dpi_x10000;
    state.overlay.OverlayText = "H";
    state.overlay.OverlayFont = std::make_shared<Font>(Font{"DejaVu Sans", 72});
    state.overlay.TextX = 4;
    state.overlay.TextY = 4;
    Raster burned = *state.merged.MergedBitmap;
    BurnOverlayText(state, burned);
    return ChangedArea(burned, *state.merged.MergedBitmap).Height();
  };
  const int classic = ink_height(2975000);
  ASSERT_GT(classic, 40);
  for (const int64_t dpi : {6000000, 7200000, 12000000}) {
    const double expected = classic * static_cast<double>(dpi) / 2975000;
    EXPECT_NEAR(ink_height(dpi) / expected, 1.0, 0.02) << dpi / 10000 << " dpi";
  }
}

}  // namespace
}  // namespace lenti
