// The lens settings as a person types them (the Lens group, the command
// line): reading the texts, refusing what the merge cannot make with a clear
// message, and the readout of what a setting gives.
// Numbers are read as core/fixed_point.h reads them, the pitch as
// core/lens_pitch.h does.
#pragma once

#include <cstdint>
#include <string>

#include "core/fixed_point.h"
#include "core/lens_pitch.h"
#include "core/lens_settings.h"
#include "core/maker_state.h"

namespace lenti {

// The text the resolution list shows for the classic rule.
inline constexpr const char* kNearest300Text = "nearest to 300 dpi";

// kNearest300Text (or an empty text) -> kNearest300Dpi; a whole number of
// dots per inch from 72 to 4800, a trailing "dpi" allowed.
int32_t ParseOutputDpi(const std::string& text);
// A fraction of a lens from -0.5 to 0.5 -> x 10000.
int32_t ParsePhase(const std::string& text);
// One side of the picture in cm ("14.5") -> cm x 100, above 0.
int32_t ParseCentimetres(const std::string& text, const char* side);
struct PictureSizeCm {
  int32_t width = kClassicWidthCmX100;   // cm x 100
  int32_t height = kClassicHeightCmX100;
};
// "14.5x17.5" (also "14.5 x 17.5", "X" or "×") -> both sides, width first.
PictureSizeCm ParsePictureSize(const std::string& text);
// "nearest" or "area" ("area average" too).
Sampling ParseSampling(const std::string& text);

// The Lens group's fields, each shown and typed as a text.
enum class LensField { Pitch, OutputDpi, Phase, Width, Height, Sampling };

// The text a field shows: "21.25", kNearest300Text or "720", "0", "14.5",
// "nearest" or "area average".
std::string LensFieldText(const LensSettings& lens, LensField field);

// Reads `text` into the field. A text that is not a valid setting raises
// its message and leaves `lens` exactly as it was.
void SetLensField(LensSettings& lens, LensField field, const std::string& text);

// Each setting against its range, with the message the person sees; the
// picture's own limits (a pitch finer than a pixel, the memory limit) are
// checked with the geometry (ComputeLensGeometry).
void CheckLensSettings(const LensSettings& lens);

// The texts of the readout: "14 px per lens, strip 7 px" or
// "17.78 px per lens"; "297.5 dpi, 1698 x 2049 px"; and when a lens gets
// fewer pixels than there are frames a warning, else "".
struct LensReadout {
  std::string lens;
  std::string picture;
  std::string warning;
};
// What a merge of `frame_count` frames would make with these settings; an
// error text in `warning` (and empty lens and picture texts) when it would
// be refused.
LensReadout DescribeLens(const LensSettings& lens, int32_t frame_count, Mode mode);

// "Too few pixels: 4 px per lens for 16 frames; at most 4 frames fit" when a
// lens of `period` pixels has fewer pixels than there are frames, else "".
std::string TooFewPixelsText(Extended period, int32_t frame_count);

// "18", "17.78", "9.98": a period in pixels to two decimals, no trailing zeros.
std::string PixelsText(Extended pixels);

}  // namespace lenti
