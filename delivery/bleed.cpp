#include "delivery/bleed.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "core/error.h"

namespace lenti {
namespace {

constexpr Extended kMmPerInch = 25.4L;

// The picture line at the same place under its lens as `position`, the
// fewest whole lenses away inside the picture.
int32_t SameLensPlace(int32_t position, int32_t length, Extended period) {
  if (position < 0) {
    const Extended lenses = std::ceil(static_cast<Extended>(-position) / period);
    return static_cast<int32_t>(Round(position + lenses * period));
  }
  const Extended lenses = std::ceil(static_cast<Extended>(position - (length - 1)) / period);
  return static_cast<int32_t>(Round(position - lenses * period));
}

}  // namespace

void CheckBleedMm(double bleed_mm) {
  if (!(bleed_mm >= 0 && bleed_mm <= kMaxBleedMm)) {
    throw Error(Format("The bleed must lie between 0 and 20 mm, not %s mm", FloatToStr(bleed_mm).c_str()));
  }
}

int32_t BleedPixels(double bleed_mm, double dpi) {
  CheckBleedMm(bleed_mm);
  return static_cast<int32_t>(Round(static_cast<Extended>(bleed_mm) / kMmPerInch * static_cast<Extended>(dpi)));
}

std::vector<int32_t> BleedLines(int32_t length, int32_t bleed, Extended period) {
  std::vector<int32_t> lines;
  lines.reserve(static_cast<size_t>(length) + 2 * static_cast<size_t>(bleed));
  for (int32_t p = -bleed; p < length + bleed; ++p) {
    int32_t source = p;
    if ((p < 0 || p >= length) && period > 0) source = SameLensPlace(p, length, period);
    lines.push_back(std::clamp(source, 0, std::max(length - 1, 0)));
  }
  return lines;
}

BleedMap MapBleed(int32_t width, int32_t height, int32_t bleed, const LensGrid& grid) {
  BleedMap map;
  map.bleed = bleed;
  // The grid runs across the strips: down the picture when strips are rows.
  const bool down = grid.axis == StripAxis::Rows;
  map.source_x = BleedLines(width, bleed, down ? 0 : grid.period_px);
  map.source_y = BleedLines(height, bleed, down ? grid.period_px : 0);
  return map;
}

void ColourRow(const Raster& raster, int y, uint8_t* out) {
  const int width = raster.Width();
  if (raster.Format() == PixelFormat::pf24bit) {
    std::memcpy(out, raster.Row(y), static_cast<size_t>(width) * 3);
    return;
  }
  for (int x = 0; x < width; ++x, out += 3) {
    const Color c = raster.PixelColor(x, y);
    out[0] = c.b;
    out[1] = c.g;
    out[2] = c.r;
  }
}

Raster WithBleed(const Raster& picture, const BleedMap& map) {
  Raster grown = Raster::ForFilling(map.Width(), map.Height(), PixelFormat::pf24bit);
  std::vector<uint8_t> row(static_cast<size_t>(picture.Width()) * 3);
  int32_t last = -1;
  for (int32_t y = 0; y < map.Height(); ++y) {
    const int32_t sy = map.source_y[static_cast<size_t>(y)];
    if (sy != last) ColourRow(picture, sy, row.data());
    last = sy;
    uint8_t* out = grown.Row(y);
    for (int32_t x = 0; x < map.Width(); ++x) {
      std::memcpy(out + static_cast<size_t>(x) * 3, row.data() + static_cast<size_t>(map.source_x[static_cast<size_t>(x)]) * 3, 3);
    }
  }
  return grown;
}

}  // namespace lenti
