// The crop frame: fitting the photo into the view and the red rectangle of
// fixed aspect ratio (145:175 portrait, 175:145 landscape) that the person
// moves and resizes. Every change is written into the slot's CropRecord.
#pragma once

#include <cstdint>

#include "core/geometry.h"
#include "core/maker_state.h"
#include "core/views.h"

namespace lenti {

inline constexpr int kResizeZone = 20;
// Smallest rectangle a resize may leave, in view pixels.
inline constexpr int kMinCropSide = 8;

// How a photo of w x h source pixels lies in a view box of W x H.
struct Fit {
  int64_t aspect = 0;   // Round(w / h x 10000)
  int32_t fitted_width = 0;
  int32_t fitted_height = 0;
  int32_t offset_x = 0;
  int32_t offset_y = 0;
  int64_t scale = 0;    // source px per view px x 10000
};
Fit ComputeFit(Size photo, Size view_box);
// The photo area of the view: the view box less its 1-pixel frame.
Size ViewBox(const MainView& view);

// The crop rectangle's ratio, width to height: the picture's, as the Mode
// turns it (145:175 upright and 175:145 across for the classic 14.5 x 17.5 cm;
// another picture size gives its own, in cm x 100).
struct CropRatio {
  int64_t wide = 145;
  int64_t high = 175;
};
CropRatio CropRatioFor(const LensSettings& lens, Mode mode);
// The default rectangle: the largest of the Mode's ratio inside the fitted
// photo, centred in the view box.
Rect DefaultCropRect(const Fit& fit, Size view_box, Mode mode);
Rect DefaultCropRect(const Fit& fit, Size view_box, CropRatio ratio);

// The crop the crop frame places on a new photo, in the photo's own pixels:
// a view box the size of the photo, scale 1 (the command line's default).
Rect DefaultSourceRect(Size photo, Mode mode);
Rect DefaultSourceRect(Size photo, CropRatio ratio);

// FitAndFrame (also what "裁切" ends with): fits the view's picture,
// records offset and scale for the current slot, places the saved or the
// default rectangle and shows it. Raises "Invalid floating point operation"
// for an empty picture, before anything is written.
void FitAndFrame(MakerState& state, MainView& view);
// The same for a picture of `picture` pixels that the view does not show
// (the earlier photos of a multi-file import, whose pixels are gone).
void FitAndFrame(MakerState& state, MainView& view, Size picture);

// The rectangle drawn at `bounds` (kept in the state, shown by the view),
// or hidden.
void ShowCrop(MakerState& state, MainView& view, const Rect& bounds);
void HideCrop(MakerState& state, MainView& view);

// Whether the person can still take hold of the saved rectangle: at least
// kMinCropSide x kMinCropSide view pixels of it lie inside the view box.
bool CropWithinReach(const CropRecord& record, const MainView& view);

// The rectangle's mouse handlers; x and y are relative to its top-left
// corner. The press decides the drag (state.photos.DragMode): in the
// bottom-right corner it resizes, elsewhere it moves.
void CropMouseDown(MakerState& state, MainView& view, int x, int y);
void CropMouseMove(MakerState& state, MainView& view, int x, int y);
void CropMouseUp(MakerState& state);

}  // namespace lenti
