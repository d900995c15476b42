// The view through a lens sheet: what a merged picture shows at one viewing
// angle, before anything is printed.
//
// A sheet of L' lines per inch over a picture of D dots per inch puts one
// lens over q = D / L' pixel lines along the strip axis (rows in portrait
// mode, columns in landscape). Lens j starts at (j + phase) x q; a line
// belongs to the lens its centre lies under. Seen at angle a (0 <= a < 1,
// across one lens), lens j shows over its whole width the picture's line
// floor((j + phase + a) x q). Where that line lies beyond the picture the
// lens shows white (nothing printed there).
//
// At the merge's own pitch (21.25 lpi over 297.5 dpi: 14 px per lens, two
// 7 px strips) angle (k + 0.5) / n shows frame k of n everywhere. A sheet
// off by dL lines per inch drifts against the strips by one whole lens every
// 1 / |dL| inches, so the picture shows about extent x |dL| bands in which
// the frame changes, and they move as the angle does.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/geometry.h"
#include "core/maker_state.h"
#include "core/raster.h"

namespace lenti {

// The limits every caller checks against (window, command line).
inline constexpr double kMaxViewLpi = 1000;
inline constexpr double kMaxViewDpi = 100000;
inline constexpr double kMaxViewPhase = 0.5;

struct LensSheet {
  double lpi = 21.25;   // L', lines per inch of the sheet
  double dpi = 297.5;   // D, dots per inch of the picture under it
  double phase = 0;     // where lens 0 starts, in lenses (-0.5 .. 0.5)
};

// Pixels per lens, D / L'.
double LensPixels(const LensSheet& sheet);

// What is wrong with a sheet, empty when nothing: a pitch or resolution
// that is not a number, not positive or too large, a lens narrower than one
// pixel, a phase outside -0.5 .. 0.5.
std::string LensSheetFault(const LensSheet& sheet);
// Raises an Error with that text when there is one.
void CheckLensSheet(const LensSheet& sheet);
// Raises an Error unless 0 <= angle < 1.
void CheckViewAngle(double angle);

// The angle at which frame k (0-based) of n is seen cleanly: (k + 0.5) / n.
double FrameAngle(int k, int n);

// For each of `extent` lines along the strip axis, the picture line the
// sheet shows there at `angle`; -1 where the lens looks beyond the picture.
std::vector<int32_t> LensViewLines(int32_t extent, const LensSheet& sheet, double angle);

// The strip axis of a picture as it stands: the merge's mode, the other one
// once the picture has been turned a quarter (its sides exchanged against
// the merge's output size; an alignment band is left out of the compare).
Mode StripAxisOf(const MergedPicture& merged);

// What the lens view starts from for the current merged picture: the strip
// axis as the picture stands, the sheet of the merge's own pitch and phase
// over the merge's resolution, and the merge's frame count.
struct LensViewStart {
  Mode axis = Mode::PortraitRows;
  LensSheet sheet;
  int frame_count = 2;
};
// The state must hold a merged picture.
LensViewStart LensViewDefaults(const MakerState& state);

// One step of Play, tilting the card back and forth: the angle moves by
// `step` in `direction` (+1 or -1) and turns back at 0 and at 1 - step,
// so every angle of a sweep is a valid one and every step the same size.
struct PlayStep {
  double angle;
  int direction;
};
PlayStep NextPlayAngle(double angle, int direction, double step);

// "Angle 0.25: frame 1 of 2": the frame a sheet of the merge's pitch shows,
// laid `phase_offset` lenses further along than the merge's phase.
std::string ViewAngleCaption(double angle, int frame_count, double phase_offset = 0);

// The view at `angle`, the picture's size, 24-bit (a 1- or 8-bit picture is
// viewed in its colours).
Raster RenderLensView(const Raster& picture, Mode mode, const LensSheet& sheet, double angle);

// The same view sampled to `size` (nearest pixel), for a screen: as fast as
// the screen's pixels, whatever the picture's size.
Raster RenderLensViewScaled(const Raster& picture, Mode mode, const LensSheet& sheet, double angle,
                            Size size);

}  // namespace lenti
