// The layout of a merge for any lens, resolution, phase and picture size.
//
// With the classic settings it is exactly the classic geometry (strip width,
// nearest-to-300 resolution, Trunc of the sizes). At a printer's native
// resolution D the picture is exactly D dpi and Round(cm / 2.54 x D) pixels on
// each side, and the lens period p = D / lpi pixels is fractional in general:
// 40 lpi at 720 dpi gives 18 px per lens, 14.5 x 17.5 cm 4110 x 4961 px.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/geometry.h"
#include "core/lens_settings.h"
#include "core/maker_state.h"
#include "interlace/geometry.h"

namespace lenti {

struct LensGeometry {
  // StripWidth (whole strips only), OutputDpiX (dpi x 10000), OutputWidth,
  // OutputHeight.
  OutputGeometry output;
  Size slice;  // one prepared frame
  LensLayout layout = LensLayout::WholeStrips;
  Extended period = 0;  // pixels per lens along the strip axis
  Extended phase = 0;   // where lens 0 starts, as a fraction of a lens
  friend bool operator==(const LensGeometry&, const LensGeometry&) = default;
};

// The whole-strip layout of a classic output geometry (its slice, a period of
// n strips), for a caller that has only the output.
LensGeometry WholeStripGeometry(const OutputGeometry& output, int32_t frame_count, Mode mode);

// The width of every frame's strip when each lens of `period` pixels splits
// into `frame_count` whole strips of one width (40 lpi at 720 dpi, 2 frames:
// 18 px per lens, strip 9 px); none when it does not.
std::optional<int32_t> WholeStripWidth(int64_t output_dpi_x, int64_t lens_lpi_x, int32_t frame_count);

// The whole layout, every setting checked first (CheckLensSettings), then a
// pitch finer than a pixel, a picture or slice under one pixel and a picture
// beyond the memory limit refused with a clear message: all before any
// photo is read.
LensGeometry ComputeLensGeometry(int32_t frame_count, const LensSettings& lens, Mode mode);

// Inches of the picture's upright width and height: the classic 80-bit
// constants for 14.5 x 17.5 cm, else cm / 2.54.
Extended PictureInchesWide(const LensSettings& lens);
Extended PictureInchesHigh(const LensSettings& lens);

// The text refusing a picture beyond the memory limit.
std::string PictureTooLargeText(int64_t width, int64_t height);

}  // namespace lenti
