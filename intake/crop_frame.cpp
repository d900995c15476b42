// Fitting the photo into the view and placing the default crop rectangle.
//
// Every formula is evaluated in 80-bit extended precision in the order it is
// written, products of two integers formed exactly in 64 bits before they are
// divided, so that the rectangles come out to the very pixel: a 1600 x 1200
// photo in a 591 x 593 view box is fitted at 591 x 443, offset (0, 75), and
// gets the portrait rectangle (112, 75)-(479, 518).
#include "intake/crop_frame.h"

#include <algorithm>

#include "core/numerics.h"
#include "interlace/frame.h"

namespace lenti {
namespace {

// 145 / 175 x 10000 and 175 / 145 x 10000: a photo at least this wide
// (aspect x 10000) gets a rectangle as high as the fitted photo.
constexpr Extended kPortraitThreshold = 8285.714285714285714L;
constexpr Extended kLandscapeThreshold = 12068.96551724137931L;

int32_t RoundToInt32(Extended value) { return static_cast<int32_t>(Round(value)); }

// Round(a x b / c) with a x b formed exactly.
int32_t RoundProductOver(int64_t a, int64_t b, int64_t c) {
  return RoundToInt32(static_cast<Extended>(a * b) / c);
}

// Round(difference / 2): centring, halves going to the even pixel.
int32_t HalfOf(int32_t difference) { return RoundToInt32(static_cast<Extended>(difference) / 2); }

}  // namespace

Size ViewBox(const MainView& view) {
  const Size outer = view.ViewBoxOuterSize();
  return Size{outer.width - 2, outer.height - 2};
}

Fit ComputeFit(Size photo, Size view_box) {
  const Extended w = photo.width, h = photo.height;
  const Extended W = view_box.width, H = view_box.height;
  Fit fit;
  // An empty picture makes this 0 / 0: "Invalid floating point operation".
  fit.aspect = Round(Divide(w, h) * 10000);
  if (static_cast<Extended>(fit.aspect) > Divide(W, H) * 10000) {
    // Relatively wider than the view box: full width, centred vertically.
    fit.fitted_width = view_box.width;
    fit.fitted_height = RoundToInt32(Divide(W, fit.aspect) * 10000);
    fit.offset_x = 0;
    fit.offset_y = HalfOf(view_box.height - fit.fitted_height);
    fit.scale = Round(Divide(w, W) * 10000);
  } else {
    fit.fitted_height = view_box.height;
    fit.fitted_width = RoundProductOver(view_box.height, fit.aspect, 10000);
    fit.offset_x = HalfOf(view_box.width - fit.fitted_width);
    fit.offset_y = 0;
    fit.scale = Round(Divide(h, H) * 10000);
  }
  return fit;
}

CropRatio CropRatioFor(const LensSettings& lens, Mode mode) {
  const bool portrait = mode == Mode::PortraitRows;
  if (HasClassicSize(lens)) return portrait ? CropRatio{145, 175} : CropRatio{175, 145};
  return portrait ? CropRatio{lens.WidthCmX100, lens.HeightCmX100}
                  : CropRatio{lens.HeightCmX100, lens.WidthCmX100};
}

Rect DefaultCropRect(const Fit& fit, Size view_box, Mode mode) {
  // Ratio of the printed picture: 145 wide to 175 high upright, the other
  // way round across.
  return DefaultCropRect(fit, view_box, CropRatioFor(LensSettings{}, mode));
}

Rect DefaultCropRect(const Fit& fit, Size view_box, CropRatio ratio) {
  const int64_t across = ratio.wide;
  const int64_t along = ratio.high;
  // The classic ratios keep their constants; any other is wide / high x 10000.
  const Extended threshold = across == 145 && along == 175   ? kPortraitThreshold
                             : across == 175 && along == 145 ? kLandscapeThreshold
                                                             : Divide(across, along) * 10000;

  int32_t width, height;
  if (static_cast<Extended>(fit.aspect) >= threshold) {
    height = fit.fitted_height;
    width = RoundProductOver(fit.fitted_height, across, along);
  } else {
    width = fit.fitted_width;
    height = RoundProductOver(fit.fitted_width, along, across);
  }
  const int32_t left = HalfOf(view_box.width - width);
  const int32_t top = HalfOf(view_box.height - height);
  return Rect{left, top, left + width, top + height};
}

Rect DefaultSourceRect(Size photo, Mode mode) { return DefaultSourceRect(photo, CropRatioFor(LensSettings{}, mode)); }

Rect DefaultSourceRect(Size photo, CropRatio ratio) {
  const Fit fit = ComputeFit(photo, photo);
  const Rect view = DefaultCropRect(fit, photo, ratio);
  const CropRecord record{view.left, view.top, view.right, view.bottom, fit.offset_x, fit.offset_y, true};
  return MapCropToSource(record, fit.scale);
}

bool CropWithinReach(const CropRecord& record, const MainView& view) {
  const Size box = ViewBox(view);
  // In 64 bits: a record's edges may lie anywhere a drag took them.
  const int64_t visible_width = std::min<int64_t>(record.Right, box.width) - std::max<int64_t>(record.Left, 0);
  const int64_t visible_height = std::min<int64_t>(record.Bottom, box.height) - std::max<int64_t>(record.Top, 0);
  return visible_width >= kMinCropSide && visible_height >= kMinCropSide;
}

void FitAndFrame(MakerState& state, MainView& view) {
  const Picture& picture = view.ViewPicture();
  FitAndFrame(state, view, Size{picture.Width(), picture.Height()});
}

void FitAndFrame(MakerState& state, MainView& view, Size picture) {
  const Size view_box = ViewBox(view);
  // Everything is computed before anything is written, so an arithmetic
  // error (an empty picture) leaves the record and the rectangle as they were.
  const Fit fit = ComputeFit(picture, view_box);
  CropRecord& record = state.photos.CropRects[state.photos.CurrentSlot];
  const Rect bounds = record.Saved ? Rect{record.Left, record.Top, record.Right, record.Bottom}
                                   : DefaultCropRect(fit, view_box, CropRatioFor(state.lens, state.mode));

  record.OffsetX = fit.offset_x;
  record.OffsetY = fit.offset_y;
  state.photos.CropScales[state.photos.CurrentSlot] = fit.scale;
  // A saved rectangle comes back unchanged, its ratio included, even when
  // the Mode was switched since it was drawn.
  if (!record.Saved) {
    record.Left = bounds.left;
    record.Top = bounds.top;
    record.Right = bounds.right;
    record.Bottom = bounds.bottom;
    record.Saved = true;
    state.photos.CropSources[state.photos.CurrentSlot].reset();
  }
  ShowCrop(state, view, bounds);
}

void ShowCrop(MakerState& state, MainView& view, const Rect& bounds) {
  state.photos.CropBounds = bounds;
  state.photos.CropVisible = true;
  view.SetCropBounds(bounds);
  view.SetCropVisible(true);
}

void HideCrop(MakerState& state, MainView& view) {
  state.photos.CropVisible = false;
  view.SetCropVisible(false);
}

}  // namespace lenti
