// The lens a merge is made for and the picture it makes: the lens pitch, the
// output resolution, where the first lens starts (phase), the picture size
// and how each frame is sampled.
//
// The start values are the program's classic ones and give its pictures
// byte for byte: 21.25 lpi, the resolution nearest to 300 dpi that gives
// whole strips (297.5 dpi for 2 frames), phase 0, 14.5 x 17.5 cm,
// nearest-neighbour sampling. A printer's native resolution D instead makes
// the picture exactly D dpi with a lens period of D / lpi pixels, fractional
// in general (40 lpi at 720 dpi: 18 px per lens; 60.12 lpi at 600 dpi:
// 9.98 px per lens).
#pragma once

#include <cstdint>

#include "core/lens_pitch.h"
#include "core/numerics.h"

namespace lenti {

// How a frame is brought to its slice: nearest neighbour (the classic
// StretchDraw) or the average of the source pixels each slice pixel covers.
enum class Sampling { Nearest, Area };

// OutputDpi value for "nearest to 300 dpi" (the classic rule).
inline constexpr int32_t kNearest300Dpi = 0;

// The ranges a person may choose from (the pitch's: core/lens_pitch.h).
inline constexpr int32_t kMinNativeDpi = 72;
inline constexpr int32_t kMaxNativeDpi = 4800;
inline constexpr int32_t kMaxPhaseX10000 = 5000;  // half a lens either way
// Picture sides in cm x 100: above 0, at most 10 m (the memory limit refuses
// far smaller pictures first at any useful resolution).
inline constexpr int32_t kMaxPictureCmX100 = 100000;
inline constexpr int32_t kClassicWidthCmX100 = 1450;
inline constexpr int32_t kClassicHeightCmX100 = 1750;

struct LensSettings {
  int64_t LensLpiX = 212500;  // 21.25 lines per inch x 10000
  // false ("3D") stands the alignment bars upright at the right edge, true
  // ("Up-Down") lays them across below the picture. The radio group that sets
  // it is never shown, so the bars stand at the right for the whole run,
  // although "Up-Down" is the group's selected button.
  bool FlipMode = false;
  // kNearest300Dpi, or the printer's native resolution in dots per inch.
  int32_t OutputDpi = kNearest300Dpi;
  // Where the first lens starts, in 1/10000 of a lens (-5000 .. 5000).
  int32_t PhaseX10000 = 0;
  // The picture upright, in cm x 100 (the Mode turns it across).
  int32_t WidthCmX100 = kClassicWidthCmX100;
  int32_t HeightCmX100 = kClassicHeightCmX100;
  Sampling sampling = Sampling::Nearest;
  friend bool operator==(const LensSettings&, const LensSettings&) = default;
};

// The classic strip interleave (whole strips of StripWidth pixels, lens j
// starting at j x n x StripWidth) serves the merge: the classic resolution
// rule and no phase. Picture size and sampling only change the slices.
inline bool UsesClassicInterleave(const LensSettings& lens) {
  return lens.OutputDpi == kNearest300Dpi && lens.PhaseX10000 == 0;
}

// The two kinds of lens layout: whole strips of one width (the classic
// interleave above), or a lens every OutputDpiX / LensLpiX pixels from the
// phase, fractional in general (a printer's resolution, or a phase).
enum class LensLayout { WholeStrips, Periodic };

inline LensLayout LayoutFor(const LensSettings& lens) {
  return UsesClassicInterleave(lens) ? LensLayout::WholeStrips : LensLayout::Periodic;
}

inline bool HasClassicSize(const LensSettings& lens) {
  return lens.WidthCmX100 == kClassicWidthCmX100 && lens.HeightCmX100 == kClassicHeightCmX100;
}

inline Extended PhaseFraction(const LensSettings& lens) {
  return static_cast<Extended>(lens.PhaseX10000) / 10000;
}

}  // namespace lenti
