// The fit of a photo into the view, the default crop rectangle and the
// mouse drags, checked against hand-computed pixels in a 591 x 593 view box
// (scroll box 593 x 595).
#include "intake/crop_frame.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "core/error.h"
#include "fake_frontend.h"

namespace lenti {
namespace {

using testing::FakeFrontend;

constexpr Size kViewBox{591, 593};

// "X348Y424" or "Xm40" for a negative coordinate, for readable case names.
std::string Coordinate(const char* axis, int v) {
  std::string name = axis;
  if (v < 0) name += 'm';
  name += std::to_string(v < 0 ? -static_cast<long long>(v) : v);
  return name;
}

// ---- ComputeFit ----

struct FitCase {
  const char* name;
  Size photo;
  Size view_box;
  Fit expected;
};

const FitCase kFitCases[] = {
    // Wider than the view box: full width, centred vertically.
    {"Landscape1600x1200", {1600, 1200}, kViewBox, {13333, 591, 443, 0, 75, 27073}},
    // Taller: full height, centred horizontally (146 / 2 = 73).
    {"Portrait1200x1600", {1200, 1600}, kViewBox, {7500, 445, 593, 73, 0, 26981}},
    {"Square1000", {1000, 1000}, kViewBox, {10000, 591, 591, 0, 1, 16920}},
    // Halves go to the even pixel: 5 / 2 -> 2, 7 / 2 -> 4, in both directions.
    {"OddDifference5Across", {100, 100}, {105, 100}, {10000, 100, 100, 2, 0, 10000}},
    {"OddDifference7Across", {100, 100}, {107, 100}, {10000, 100, 100, 4, 0, 10000}},
    {"OddDifference5Down", {100, 100}, {100, 105}, {10000, 100, 100, 0, 2, 10000}},
    {"OddDifference7Down", {100, 100}, {100, 107}, {10000, 100, 100, 0, 4, 10000}},
    // 20001 / 20000 rounds to the aspect 10000, equal to the view box's: equality
    // takes the height branch, whose scale comes from the height (20000 / 100).
    {"EqualAspectUsesHeight", {20001, 20000}, {100, 100}, {10000, 100, 100, 0, 0, 2000000}},
};

class FitTable : public ::testing::TestWithParam<FitCase> {};

TEST_P(FitTable, PlacesThePhotoToThePixel) {
  const FitCase& c = GetParam();
  const Fit fit = ComputeFit(c.photo, c.view_box);
  EXPECT_EQ(fit.aspect, c.expected.aspect);
  EXPECT_EQ(fit.fitted_width, c.expected.fitted_width);
  EXPECT_EQ(fit.fitted_height, c.expected.fitted_height);
  EXPECT_EQ(fit.offset_x, c.expected.offset_x);
  EXPECT_EQ(fit.offset_y, c.expected.offset_y);
  EXPECT_EQ(fit.scale, c.expected.scale);
}

INSTANTIATE_TEST_SUITE_P(Photos, FitTable, ::testing::ValuesIn(kFitCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ComputeFit, EmptyPhotoIsAnInvalidOperation) {
  try {
    ComputeFit(Size{0, 0}, kViewBox);
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), "Invalid floating point operation");
  }
}

// ---- DefaultCropRect: the thresholds ----

// Just at and just below each threshold the rectangle switches from the
// fitted photo's full height to its full width.
struct ThresholdCase {
  Mode mode;
  int64_t aspect;
  bool full_height;
};

const ThresholdCase kThresholdCases[] = {
    {Mode::PortraitRows, 8286, true},
    {Mode::PortraitRows, 8285, false},
    {Mode::LandscapeColumns, 12069, true},
    {Mode::LandscapeColumns, 12068, false},
};

class ThresholdTable : public ::testing::TestWithParam<ThresholdCase> {};

TEST_P(ThresholdTable, SwitchesBetweenFullHeightAndFullWidth) {
  const ThresholdCase& c = GetParam();
  // Only the aspect decides the branch; the fitted size is set by hand.
  Fit fit;
  fit.aspect = c.aspect;
  fit.fitted_width = 600;
  fit.fitted_height = 700;
  const Rect r = DefaultCropRect(fit, Size{1000, 1000}, c.mode);
  if (c.full_height) {
    EXPECT_EQ(r.Height(), 700);
    EXPECT_NE(r.Width(), 600);
  } else {
    EXPECT_EQ(r.Width(), 600);
    EXPECT_NE(r.Height(), 700);
  }
}

INSTANTIATE_TEST_SUITE_P(Boundaries, ThresholdTable, ::testing::ValuesIn(kThresholdCases),
                         [](const auto& info) {
                           const char* mode = info.param.mode == Mode::PortraitRows ? "Portrait" : "Landscape";
                           return mode + std::to_string(info.param.aspect);
                         });

// ---- FitAndFrame through the frontend ----

struct FrameCase {
  const char* name;
  Size photo;
  Mode mode;
  CropRecord record;
  int64_t scale;
};

const FrameCase kFrameCases[] = {
    // 367 x 443: Round(443 x 145 / 175) wide.
    {"WideInPortrait", {1600, 1200}, Mode::PortraitRows, {112, 75, 479, 518, 0, 75, true}, 27073},
    // 535 x 443: Round(443 x 175 / 145) wide.
    {"WideInLandscape", {1600, 1200}, Mode::LandscapeColumns, {28, 75, 563, 518, 0, 75, true}, 27073},
    // 445 x 537: Round(445 x 175 / 145) high.
    {"TallInPortrait", {1200, 1600}, Mode::PortraitRows, {73, 28, 518, 565, 73, 0, true}, 26981},
    // 591 x 490 centred at (593 - 490) / 2 = 51.5 -> 52.
    {"SquareInLandscape", {1000, 1000}, Mode::LandscapeColumns, {0, 52, 591, 542, 0, 1, true}, 16920},
};

class FrameTable : public ::testing::TestWithParam<FrameCase> {};

TEST_P(FrameTable, WritesRecordScaleAndShowsTheRectangle) {
  const FrameCase& c = GetParam();
  FakeFrontend fe;
  MakerState state;
  state.mode = c.mode;
  fe.view = Picture(Raster(c.photo.width, c.photo.height));
  state.photos.CurrentSlot = 4;
  FitAndFrame(state, fe);
  EXPECT_EQ(state.photos.CropRects[4], c.record);
  EXPECT_EQ(state.photos.CropScales[4], c.scale);
  EXPECT_EQ(fe.shown_crop, (Rect{c.record.Left, c.record.Top, c.record.Right, c.record.Bottom}));
  EXPECT_TRUE(fe.crop_visible);
  EXPECT_EQ(state.photos.CropRects[0], CropRecord{}) << "only the current slot is written";
}

INSTANTIATE_TEST_SUITE_P(Photos, FrameTable, ::testing::ValuesIn(kFrameCases),
                         [](const auto& info) { return std::string(info.param.name); });

class CropFrameTest : public ::testing::Test {
 protected:
  void Frame(int w, int h) {
    fe.view = Picture(Raster(w, h));
    FitAndFrame(state, fe);
  }
  // A drag from (x0, y0) to (x1, y1), in the rectangle's own coordinates.
  void Drag(int x0, int y0, int x1, int y1) {
    CropMouseDown(state, fe, x0, y0);
    CropMouseMove(state, fe, x1, y1);
    CropMouseUp(state);
  }
  // A press in the resize corner, then the mouse at (x, y).
  void Resize(int x, int y) {
    const Rect r = fe.shown_crop;
    Drag(r.Width() - 1, r.Height() - 1, x, y);
  }
  Rect RecordRect() const {
    const CropRecord& c = state.photos.CropRects[state.photos.CurrentSlot];
    return Rect{c.Left, c.Top, c.Right, c.Bottom};
  }

  FakeFrontend fe;
  MakerState state;
};

TEST_F(CropFrameTest, EmptyPictureRaisesBeforeAnythingIsWritten) {
  Frame(1600, 1200);
  const CropRecord record = state.photos.CropRects[0];
  const Rect bounds = fe.shown_crop;
  fe.crop_visible = false;
  fe.view = Picture();
  try {
    FitAndFrame(state, fe);
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), "Invalid floating point operation");
  }
  EXPECT_EQ(state.photos.CropRects[0], record);
  EXPECT_EQ(state.photos.CropScales[0], 27073);
  EXPECT_EQ(fe.shown_crop, bounds);
  EXPECT_FALSE(fe.crop_visible);
}

TEST_F(CropFrameTest, ViewBoxIsReadAtEveryFit) {
  Frame(1600, 1200);
  fe.scroll_box_outer = Size{1002, 802};  // view box 1000 x 800
  state.photos.CropRects[0] = CropRecord{};      // forget the rectangle
  FitAndFrame(state, fe);
  // 1000 / 1.3333 = 750 high, centred at 25; rectangle Round(750 x 145 / 175) = 621 wide.
  EXPECT_EQ(state.photos.CropRects[0], (CropRecord{190, 25, 811, 775, 0, 25, true}));
  EXPECT_EQ(state.photos.CropScales[0], 16000);
}

TEST_F(CropFrameTest, SavedRectangleAtLeftZeroIsRemembered) {
  state.mode = Mode::LandscapeColumns;
  Frame(1000, 1000);
  ASSERT_EQ(fe.shown_crop.left, 0);
  Resize(300, 0);
  const Rect resized{0, 52, 300, 52 + 249};  // Round(300 / 175 x 145) = 249
  ASSERT_EQ(RecordRect(), resized);
  fe.shown_crop = Rect{};
  FitAndFrame(state, fe);
  EXPECT_EQ(fe.shown_crop, resized);
  EXPECT_EQ(RecordRect(), resized);
}

TEST_F(CropFrameTest, RestoreRefreshesOffsetsAndScaleButNotTheRectangle) {
  Frame(1600, 1200);
  Drag(10, 10, 30, 40);  // moved by (20, 30)
  const Rect moved = RecordRect();
  fe.scroll_box_outer = Size{1002, 802};
  FitAndFrame(state, fe);
  EXPECT_EQ(RecordRect(), moved);
  EXPECT_EQ(state.photos.CropRects[0].OffsetY, 25);
  EXPECT_EQ(state.photos.CropScales[0], 16000);
}

TEST_F(CropFrameTest, SavedRectangleKeepsItsRatioAfterModeSwitchUntilResized) {
  Frame(1600, 1200);  // portrait: 367 x 443
  state.mode = Mode::LandscapeColumns;
  FitAndFrame(state, fe);
  EXPECT_EQ(fe.shown_crop, (Rect{112, 75, 479, 518}));
  Resize(290, 0);
  EXPECT_EQ(fe.shown_crop, (Rect{112, 75, 112 + 290, 75 + 240}));
}

// ---- mouse ----

// The resize zone of a 367 x 443 rectangle: X > 347 and Y > 423.
struct PressCase {
  int x, y;
  Cursor cursor;
};

const PressCase kPressCases[] = {
    {348, 424, Cursor::SizeNWSE}, {366, 442, Cursor::SizeNWSE}, {347, 424, Cursor::SizeAll},
    {348, 423, Cursor::SizeAll},  {0, 0, Cursor::SizeAll},      {200, 200, Cursor::SizeAll},
    {366, 0, Cursor::SizeAll},    {0, 442, Cursor::SizeAll},
};

class PressTable : public CropFrameTest, public ::testing::WithParamInterface<PressCase> {};

TEST_P(PressTable, HoverAndPressChooseTheSameAction) {
  const PressCase& c = GetParam();
  Frame(1600, 1200);
  const CropRecord framed = state.photos.CropRects[0];

  fe.crop_cursor = Cursor::Default;
  CropMouseMove(state, fe, c.x, c.y);  // hover: the cursor only
  EXPECT_EQ(fe.crop_cursor, c.cursor);
  EXPECT_EQ(state.photos.CropRects[0], framed);
  EXPECT_FALSE(state.photos.Dragging);

  fe.crop_cursor = Cursor::Default;
  CropMouseDown(state, fe, c.x, c.y);
  EXPECT_EQ(fe.crop_cursor, c.cursor);
  EXPECT_TRUE(state.photos.Dragging);
  EXPECT_EQ(state.photos.DragStartX, c.x);
  EXPECT_EQ(state.photos.DragStartY, c.y);

  // One step 5 px to the right: a move shifts the rectangle, a resize widens it.
  CropMouseMove(state, fe, c.x + 5, c.y);
  const Rect r = RecordRect();
  if (c.cursor == Cursor::SizeAll) {
    EXPECT_EQ(r, (Rect{117, 75, 484, 518}));
  } else {
    EXPECT_EQ(r.left, 112);
    EXPECT_EQ(r.Width(), c.x + 5);
  }
}

INSTANTIATE_TEST_SUITE_P(Points, PressTable, ::testing::ValuesIn(kPressCases), [](const auto& info) {
  return Coordinate("X", info.param.x) + Coordinate("Y", info.param.y);
});

TEST_F(CropFrameTest, MoveKeepsTheGrabbedPointUnderTheMouse) {
  Frame(1600, 1200);
  state.photos.CropScales[0] = 12345;
  CropMouseDown(state, fe, 50, 60);
  CropMouseMove(state, fe, 70, 50);  // mouse 20 right, 10 up
  EXPECT_EQ(fe.shown_crop, (Rect{132, 65, 499, 508}));
  // The rectangle now sits under the mouse: the same point again is no move.
  CropMouseMove(state, fe, 50, 60);
  EXPECT_EQ(fe.shown_crop, (Rect{132, 65, 499, 508}));
  CropMouseMove(state, fe, 40, 60);
  EXPECT_EQ(fe.shown_crop, (Rect{122, 65, 489, 508}));
  EXPECT_EQ(state.photos.CropRects[0], (CropRecord{122, 65, 489, 508, 0, 75, true}));
  EXPECT_EQ(state.photos.CropScales[0], 12345) << "a drag never touches the scale";
}

TEST_F(CropFrameTest, MoveMayLeaveTheView) {
  Frame(1600, 1200);
  Drag(0, 0, -500, -400);
  EXPECT_EQ(RecordRect(), (Rect{-388, -325, -21, 118}));
}

struct ResizeCase {
  Mode mode;
  int x, y;
  int width, height;
};

const ResizeCase kResizeCases[] = {
    // The height follows the width, whatever the vertical position.
    {Mode::PortraitRows, 290, 0, 290, 350},
    {Mode::PortraitRows, 290, 1000, 290, 350},
    {Mode::PortraitRows, 290, -50, 290, 350},
    {Mode::LandscapeColumns, 290, 0, 290, 240},
    {Mode::LandscapeColumns, 290, 700, 290, 240},
    // Never below 8 x 8 and never inverted, the ratio kept.
    {Mode::PortraitRows, 8, 0, 8, 10},
    {Mode::PortraitRows, 3, 0, 8, 10},
    {Mode::PortraitRows, -40, 0, 8, 10},
    {Mode::LandscapeColumns, 10, 0, 10, 8},
    {Mode::LandscapeColumns, 9, 0, 10, 8},
    {Mode::LandscapeColumns, -40, 0, 10, 8},
    {Mode::LandscapeColumns, 0, 0, 10, 8},
};

class ResizeTable : public CropFrameTest, public ::testing::WithParamInterface<ResizeCase> {};

TEST_P(ResizeTable, KeepsTheRatioAndTheTopLeftCorner) {
  const ResizeCase& c = GetParam();
  Frame(1600, 1200);
  state.photos.CropScales[0] = 12345;
  state.mode = c.mode;
  Resize(c.x, c.y);
  EXPECT_EQ(state.photos.CropRects[0], (CropRecord{112, 75, 112 + c.width, 75 + c.height, 0, 75, true}));
  EXPECT_EQ(fe.shown_crop, (Rect{112, 75, 112 + c.width, 75 + c.height}));
  EXPECT_EQ(state.photos.CropScales[0], 12345);
}

INSTANTIATE_TEST_SUITE_P(Steps, ResizeTable, ::testing::ValuesIn(kResizeCases), [](const auto& info) {
  const char* mode = info.param.mode == Mode::PortraitRows ? "Portrait" : "Landscape";
  return mode + Coordinate("X", info.param.x) + Coordinate("Y", info.param.y);
});

TEST_F(CropFrameTest, ResizeReadsTheModeAtEveryStep) {
  Frame(1600, 1200);
  CropMouseDown(state, fe, 366, 442);
  CropMouseMove(state, fe, 290, 0);
  EXPECT_EQ(fe.shown_crop.Height(), 350);
  state.mode = Mode::LandscapeColumns;
  CropMouseMove(state, fe, 290, 0);
  EXPECT_EQ(fe.shown_crop.Height(), 240);
}

TEST_F(CropFrameTest, PressDecidesTheActionUntilRelease) {
  Frame(1600, 1200);
  CropMouseDown(state, fe, 100, 100);  // a move
  // The mouse passes over the resize corner: still a move.
  CropMouseMove(state, fe, 360, 440);
  EXPECT_EQ(fe.shown_crop, (Rect{372, 415, 739, 858}));
  EXPECT_EQ(fe.crop_cursor, Cursor::SizeAll);
  CropMouseUp(state);
  EXPECT_FALSE(state.photos.Dragging);
  // After the release a move only hovers.
  const Rect released = fe.shown_crop;
  CropMouseMove(state, fe, 10, 10);
  EXPECT_EQ(fe.shown_crop, released);
}

TEST_F(CropFrameTest, DragWritesTheCurrentSlotsRecord) {
  state.photos.CurrentSlot = 6;
  Frame(1600, 1200);
  Drag(10, 10, 11, 12);
  EXPECT_EQ(state.photos.CropRects[6], (CropRecord{113, 77, 480, 520, 0, 75, true}));
  EXPECT_EQ(state.photos.CropRects[0], CropRecord{});
}

TEST_F(CropFrameTest, ExtremeMouseCoordinatesDoNotOverflow) {
  Frame(1600, 1200);
  for (int i = 0; i < 3; ++i) Drag(INT_MIN, INT_MIN, INT_MAX, INT_MAX);
  Rect r = RecordRect();
  EXPECT_EQ(r.Width(), 367);
  EXPECT_EQ(r.Height(), 443);
  EXPECT_GT(r.left, 1000000);
  Resize(INT_MAX, 0);
  r = RecordRect();
  EXPECT_GT(r.Width(), 1000000);
  EXPECT_GT(r.right, r.left);
  EXPECT_GT(r.bottom, r.top);
}

}  // namespace
}  // namespace lenti
