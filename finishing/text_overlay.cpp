#include "finishing/text_overlay.h"

#include <algorithm>
#include <limits>

#include "core/numerics.h"
#include "core/picture.h"
#include "core/strip_width.h"

namespace lenti {

namespace {

// A click far outside a tiny picture can map beyond 32 bits; the text then
// simply lies off the picture.
int32_t ToCoordinate(int64_t value) {
  constexpr int64_t lowest = std::numeric_limits<int32_t>::min();
  constexpr int64_t highest = std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(std::clamp(value, lowest, highest));
}

// A fresh full-size copy of MergedBitmap with the pending text, so that the
// view never keeps an earlier placement and shows exactly the pixels a burn
// into the picture itself would give.
Raster TextOnCopy(const MakerState& state) {
  std::optional<Raster> with_text;
  const Raster& shown = PictureWithText(state, with_text);
  return with_text ? std::move(*with_text) : Raster(shown);
}

}  // namespace

void UpdateApplyEnabled(MakerState& state) {
  state.overlay.ApplyEnabled = !state.overlay.EditText.empty() && state.merged.MergedBitmap.has_value();
}

void TypeOverlayText(MakerState& state, const std::string& text) {
  state.overlay.EditText = text;
  UpdateApplyEnabled(state);
}

void ChooseFont(MakerState& state, Dialogs& dialogs, const std::shared_ptr<Font>& dialog_font) {
  if (dialog_font) dialogs.AskFont(*dialog_font);
  UpdateApplyEnabled(state);
}

void ChooseTextColour(MakerState& state, Dialogs& dialogs, const std::shared_ptr<Font>& dialog_font) {
  if (!dialog_font) return;
  Color colour = dialog_font->color;
  dialogs.AskColour(colour);
  if (colour == dialog_font->color) return;
  dialog_font->color = colour;
  UpdateApplyEnabled(state);
}

std::optional<Raster> ApplyText(MakerState& state, const std::shared_ptr<Font>& dialog_font) {
  state.overlay.OverlayText = state.overlay.EditText;
  state.overlay.OverlayFont = dialog_font;  // the dialog's object itself, not a copy
  state.overlay.ApplyEnabled = false;
  if (!state.merged.MergedBitmap) return std::nullopt;
  return TextOnCopy(state);
}

Point MapViewClickToImage(Size merged, Size view, int x, int y) {
  const Extended bw = merged.width;
  const Extended bh = merged.height;
  const Extended iw = view.width;
  const Extended ih = view.height;
  // Both products of two 32-bit integers, exact in 64 bits.
  const Extended bh_y = static_cast<Extended>(int64_t{merged.height} * y);
  const Extended bw_x = static_cast<Extended>(int64_t{merged.width} * x);
  if (Divide(iw, ih) >= Divide(bw, bh)) {
    // The picture fills the view's height; margins left and right.
    const Extended ih_bw = static_cast<Extended>(int64_t{view.height} * merged.width);
    const Extended margin = (iw - Divide(ih_bw, bh)) / 2;
    return Point{ToCoordinate(Round(Divide((x - margin) * bh, ih))),
                 ToCoordinate(Round(Divide(bh_y, ih)))};
  }
  // The picture fills the view's width; margins above and below.
  const Extended iw_bh = static_cast<Extended>(int64_t{view.width} * merged.height);
  const Extended margin = (ih - Divide(iw_bh, bw)) / 2;
  return Point{ToCoordinate(Round(Divide(bw_x, iw))),
               ToCoordinate(Round(Divide((y - margin) * bw, iw)))};
}

std::optional<Raster> PlaceText(MakerState& state, Size view_image, int x, int y) {
  if (!state.merged.MergedBitmap) return std::nullopt;
  const Size merged{state.merged.MergedBitmap->Width(), state.merged.MergedBitmap->Height()};
  const Point at = MapViewClickToImage(merged, view_image, x, y);
  state.overlay.TextX = at.x;
  state.overlay.TextY = at.y;
  if (state.overlay.OverlayText.empty()) return std::nullopt;  // only remembered for a later Apply
  return TextOnCopy(state);
}

const Raster& PictureWithText(const MakerState& state, std::optional<Raster>& scratch) {
  const Raster& merged = *state.merged.MergedBitmap;
  if (state.overlay.OverlayText.empty()) return merged;
  scratch.emplace(merged);
  BurnOverlayText(state, *scratch);
  return *scratch;
}

JobText PendingText(const MakerState& state) {
  const OverlayState& overlay = state.overlay;
  return JobText{overlay.OverlayText, overlay.OverlayFont ? *overlay.OverlayFont : Font{},
                 Point{overlay.TextX, overlay.TextY}};
}

void SetPendingText(MakerState& state, const JobText& text) {
  state.overlay.OverlayText = text.text;
  state.overlay.OverlayFont = std::make_shared<Font>(text.font);
  state.overlay.TextX = text.at.x;
  state.overlay.TextY = text.at.y;
}

double TextScale(const MergeGeometry& g) {
  if (g.FrameCount < 1 || g.LensLpiX <= 0 || g.OutputDpiX <= 0) return 1;
  const int64_t classic = int64_t{g.FrameCount} * g.LensLpiX * MergeStripWidth(g.FrameCount, g.LensLpiX);
  if (classic <= 0 || classic == g.OutputDpiX) return 1;
  return static_cast<double>(g.OutputDpiX) / static_cast<double>(classic);
}

void BurnOverlayText(const MakerState& state, Raster& target) {
  if (state.overlay.OverlayText.empty()) return;
  Font font = state.overlay.OverlayFont ? *state.overlay.OverlayFont : Font{};
  font.scale = TextScale(state.merged.Geometry);
  target.SetFont(font);
  target.SetBrushStyle(BrushStyle::Clear);
  target.TextOut(state.overlay.TextX, state.overlay.TextY, state.overlay.OverlayText);
}

}  // namespace lenti
