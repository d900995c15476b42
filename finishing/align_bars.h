// Alignment bars: a band of four black bars at the pitch of one lens beside
// the picture (right edge for "3D", bottom edge for "Up-Down").
#pragma once

#include <cstdint>

#include "core/frontend.h"
#include "core/maker_state.h"

namespace lenti {

int32_t LensPitchPx(int32_t frame_count, int32_t strip_width);
// Trunc(n / 2 x s): the half is taken before the multiply.
int32_t BarThickness(int32_t frame_count, int32_t strip_width);

// Adds the band to `picture` as it stands (after any rotation) and returns
// nothing; records the band in the state so RemoveAlignBand cuts exactly it.
void AddAlignBand(MakerState& state);
void RemoveAlignBand(MakerState& state);

// CheckBox1Click: adds or removes the band by the box's state, then shows a
// quarter-size preview. Uses the geometry of the merge that made the picture.
void ToggleAlignBars(MakerState& state, Frontend& frontend);

// RadioButton1Click / RadioButton2Click: FlipMode is true unless "3D" is selected.
void SetInterlaceType(MakerState& state, bool three_d_selected);

}  // namespace lenti
