// Moving and resizing the crop rectangle with the mouse.
//
// The press decides the whole drag: one in the bottom-right 19 x 19 pixels
// resizes (the diagonal cursor shows it), any other moves (the size-all
// cursor). A resize keeps the Mode's ratio, read at every step, and never
// leaves the rectangle smaller than 8 x 8 or inverted. Every step writes the
// rectangle into the current slot's record at once.
#include <algorithm>
#include <cstdint>

#include "core/numerics.h"
#include "intake/crop_frame.h"

namespace lenti {
namespace {

// Keeps every edge and size far inside 32 bits, so that no sum of mouse
// steps can overflow; no screen comes near 16 million pixels.
constexpr int64_t kMaxViewCoordinate = int64_t{1} << 24;

int32_t ClampCoordinate(int64_t v) {
  return static_cast<int32_t>(std::clamp(v, -kMaxViewCoordinate, kMaxViewCoordinate));
}

bool InResizeZone(const Rect& bounds, int x, int y) {
  return x > bounds.Width() - kResizeZone && y > bounds.Height() - kResizeZone;
}

Cursor CursorAt(const Rect& bounds, int x, int y) {
  return InResizeZone(bounds, x, y) ? Cursor::SizeNWSE : Cursor::SizeAll;
}

// The height that goes with `width` at the picture's ratio: division
// first, then multiplication (290 -> 350 upright, 290 -> 240 across).
int32_t HeightForWidth(int32_t width, CropRatio ratio) {
  const Extended w = width;
  return static_cast<int32_t>(Round(w / ratio.wide * ratio.high));
}

// The smallest width not below `x` whose height is also at least the floor
// (across, a width of 8 would give a height of 7: it takes 10).
int32_t ResizeWidth(int x, CropRatio ratio) {
  int32_t width = std::clamp<int32_t>(x, kMinCropSide, static_cast<int32_t>(kMaxViewCoordinate));
  while (HeightForWidth(width, ratio) < kMinCropSide) ++width;
  return width;
}

Rect Moved(const Rect& bounds, int64_t dx, int64_t dy) {
  const int32_t left = ClampCoordinate(bounds.left + dx);
  const int32_t top = ClampCoordinate(bounds.top + dy);
  return Rect{left, top, left + bounds.Width(), top + bounds.Height()};
}

Rect Resized(const Rect& bounds, int x, CropRatio ratio) {
  const int32_t width = ResizeWidth(x, ratio);
  return Rect{bounds.left, bounds.top, bounds.left + width,
              bounds.top + HeightForWidth(width, ratio)};
}

void WriteRecord(CropRecord& record, const Rect& bounds) {
  // Offsets and scale belong to the fit and stay as they are.
  record.Left = bounds.left;
  record.Top = bounds.top;
  record.Right = bounds.right;
  record.Bottom = bounds.bottom;
  record.Saved = true;
}

}  // namespace

void CropMouseDown(MakerState& state, MainView& view, int x, int y) {
  const Rect bounds = state.photos.CropBounds;
  state.photos.Dragging = true;
  state.photos.DragMode = InResizeZone(bounds, x, y) ? CropDrag::Resize : CropDrag::Move;
  view.SetCropCursor(CursorAt(bounds, x, y));
  state.photos.DragStartX = x;
  state.photos.DragStartY = y;
}

void CropMouseMove(MakerState& state, MainView& view, int x, int y) {
  const Rect bounds = state.photos.CropBounds;
  if (!state.photos.Dragging) {
    view.SetCropCursor(CursorAt(bounds, x, y));
    return;
  }
  // x and y are relative to the rectangle as it stands, so adding the
  // distance from the press point keeps the grabbed point under the mouse.
  const Rect next = state.photos.DragMode == CropDrag::Resize
                        ? Resized(bounds, x, CropRatioFor(state.lens, state.mode))
                        : Moved(bounds, int64_t{x} - state.photos.DragStartX, int64_t{y} - state.photos.DragStartY);
  state.photos.CropBounds = next;
  view.SetCropBounds(next);
  WriteRecord(state.photos.CropRects[state.photos.CurrentSlot], next);
  state.photos.CropSources[state.photos.CurrentSlot].reset();  // the person's own rectangle from now on
}

void CropMouseUp(MakerState& state) { state.photos.Dragging = false; }

}  // namespace lenti
