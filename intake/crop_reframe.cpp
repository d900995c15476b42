#include "intake/crop_reframe.h"

#include <algorithm>
#include <cmath>

#include "core/numerics.h"
#include "interlace/slot_job.h"

namespace lenti {
namespace {

int32_t RoundToInt32(Extended value) { return static_cast<int32_t>(Round(value)); }

// Where `v` lands when `length` of it must lie within 0 .. `limit`.
int32_t KeepInside(int32_t v, int32_t length, int32_t limit) {
  return std::clamp(v, 0, std::max(0, limit - length));
}

// The view pixel of source coordinate `v`: the inverse of MapCropToSource.
int32_t ViewCoordinate(int32_t v, int32_t offset, int64_t scale) {
  return RoundToInt32(static_cast<Extended>(v) * 10000 / static_cast<Extended>(scale)) + offset;
}

void PlaceRecord(CropRecord& record, const Rect& source, int64_t scale) {
  if (scale <= 0) return;
  record.Left = ViewCoordinate(source.left, record.OffsetX, scale);
  record.Top = ViewCoordinate(source.top, record.OffsetY, scale);
  record.Right = ViewCoordinate(source.right, record.OffsetX, scale);
  record.Bottom = ViewCoordinate(source.bottom, record.OffsetY, scale);
}

}  // namespace

// The largest rectangle of `ratio` (wide / high) inside a photo of w x h.
struct Extent {
  Extended width;
  Extended height;
};
Extent LargestOfRatio(Extended ratio, Extended w, Extended h) {
  return w / h >= ratio ? Extent{h * ratio, h} : Extent{w, w / ratio};
}

Rect ReshapeCrop(const Rect& crop, CropRatio ratio, Size photo) {
  const Extended w = crop.right - crop.left;
  const Extended h = crop.bottom - crop.top;
  if (w <= 0 || h <= 0 || ratio.wide <= 0 || ratio.high <= 0) return crop;
  const Extended r = static_cast<Extended>(ratio.wide) / static_cast<Extended>(ratio.high);
  if (std::fabs(w - h * r) < 1) return crop;

  Extent size{std::sqrt(w * h * r), std::sqrt(w * h / r)};  // the same area
  const bool bounded = photo.width > 0 && photo.height > 0;
  if (bounded) {
    // As large against the largest crop of the new shape as the crop was
    // against the largest of its own: a default crop stays the default one,
    // and a shape changed there and back gives the crop back.
    const Extent before = LargestOfRatio(w / h, photo.width, photo.height);
    const Extent after = LargestOfRatio(r, photo.width, photo.height);
    const Extended zoom = std::min(Extended{1}, std::sqrt(w * h / (before.width * before.height)));
    size = Extent{after.width * zoom, after.height * zoom};
  }
  const int32_t width = std::max(1, RoundToInt32(size.width));
  const int32_t height = std::max(1, RoundToInt32(size.height));

  int32_t left = RoundToInt32((static_cast<Extended>(crop.left) + crop.right - width) / 2);
  int32_t top = RoundToInt32((static_cast<Extended>(crop.top) + crop.bottom - height) / 2);
  if (bounded) {
    left = KeepInside(left, width, photo.width);
    top = KeepInside(top, height, photo.height);
  }
  return Rect{left, top, left + width, top + height};
}

void ReframeCrops(MakerState& state, MainView& view) {
  const CropRatio ratio = CropRatioFor(state.lens, state.mode);
  SlotState& photos = state.photos;
  for (int slot = 1; slot <= kSlotCount; ++slot) {
    const auto i = static_cast<size_t>(slot - 1);
    if (photos.SlotFiles[i].empty() || !photos.CropRects[i].Saved) continue;
    const Rect before = SlotCropInSource(photos, slot);
    const Rect after = ReshapeCrop(before, ratio, photos.Sources[i].pixels);
    if (after == before) continue;
    photos.CropSources[i] = after;
    PlaceRecord(photos.CropRects[i], after, photos.CropScales[i]);
  }
  if (!photos.CropVisible) return;
  const CropRecord& shown = photos.CropRects[photos.CurrentSlot];
  ShowCrop(state, view, Rect{shown.Left, shown.Top, shown.Right, shown.Bottom});
}

}  // namespace lenti
