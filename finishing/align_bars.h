// Alignment bars: a band of four black bars at the pitch of one lens beside
// the picture (right edge for "3D", bottom edge for "Up-Down").
//
// The band is added to the picture as it stands (after any rotation) and a
// rotation turns it with the picture, so it can lie on any side. The state
// records its size and side in two signed fields, kept here and nowhere else:
//   AlignBandWidth  > 0: columns at the right,  < 0: columns at the left;
//   AlignBandHeight > 0: rows at the bottom,    < 0: rows at the top.
// A record counts only while MergedBitmap is the merge's size (either way
// round) plus that band, so a record left over from an earlier picture never
// cuts a new one.
#pragma once

#include <cstdint>
#include <optional>

#include "core/maker_state.h"
#include "core/raster.h"

namespace lenti {

int32_t LensPitchPx(int32_t frame_count, int32_t strip_width);
// Trunc(n / 2 x s): the half is taken before the multiply.
int32_t BarThickness(int32_t frame_count, int32_t strip_width);

// Adds the band to `picture` as it stands (after any rotation) and returns
// nothing; records the band in the state so RemoveAlignBand cuts exactly it.
// A picture that already carries its band gets no second one.
void AddAlignBand(MakerState& state);
// Cuts exactly the recorded band off, on whichever side it now lies.
void RemoveAlignBand(MakerState& state);

// The box ticked or cleared without a view: the band added or removed as
// below, and the step recorded in the picture's job (MadeFrom).
void SetAlignBars(MakerState& state, bool ticked);

// A click on the "Align-Bar" box, `ticked` as it now stands: adds or removes
// the band, then returns the quarter-size preview the view shows. Uses the
// geometry of the merge that made the picture.
std::optional<Raster> ToggleAlignBars(MakerState& state, bool ticked);

// The interlace type's choice: FlipMode is true unless "3D" is selected.
void SetInterlaceType(LensSettings& lens, bool three_d_selected);

enum class BandSide { None, Right, Top, Left, Bottom };

// The side the recorded band lies on (None when no band is recorded).
BandSide AlignBandSide(const MakerState& state);

// The rotation's share of the bookkeeping: after a quarter turn counter-
// clockwise the band lies one side further round (right -> top -> left ->
// bottom -> right), its width becoming its height.
void TurnAlignBandCounterClockwise(MakerState& state);

// The view's preview after a tick or clear: Round(w / 4) x Round(h / 4).
Raster AlignBarPreview(const Raster& merged);

}  // namespace lenti
