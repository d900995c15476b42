#include "interlace/geometry.h"

#include "core/numerics.h"

namespace lenti {

OutputGeometry ComputeOutputGeometry(int32_t frame_count, int64_t lens_lpi_x, Mode mode) {
  OutputGeometry g;
  g.StripWidth = MergeStripWidth(frame_count, lens_lpi_x);
  g.OutputDpiX = int64_t{frame_count} * lens_lpi_x * g.StripWidth;
  const Extended across = mode == Mode::PortraitRows ? kInches145 : kInches175;
  const Extended along = mode == Mode::PortraitRows ? kInches175 : kInches145;
  g.OutputWidth = static_cast<int32_t>(Trunc(g.OutputDpiX * across / 10000));
  g.OutputHeight = static_cast<int32_t>(Trunc(g.OutputDpiX * along / 10000));
  return g;
}

Size SliceSize(int32_t output_width, int32_t output_height, int32_t frame_count, Mode mode) {
  if (mode == Mode::PortraitRows) {
    return Size{output_width, static_cast<int32_t>(Trunc(Divide(output_height, frame_count)))};
  }
  return Size{static_cast<int32_t>(Trunc(Divide(output_width, frame_count))), output_height};
}

}  // namespace lenti
