#include "delivery/bleed.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "core/error.h"

namespace lenti {
namespace {

constexpr Extended kMmPerInch = 25.4L;

// The picture line at the same place under its lens as `position`, the
// fewest whole lenses away inside the picture that is not blank (the first
// one when all are).
int32_t SameLensPlace(int32_t position, int32_t length, Extended period, const std::vector<bool>& blank) {
  const bool before = position < 0;
  const Extended distance = before ? -position : position - (length - 1);
  const Extended step = before ? period : -period;
  Extended lenses = std::ceil(distance / period);
  const auto at = [&](Extended n) { return static_cast<int32_t>(Round(position + n * step)); };
  const int32_t first = at(lenses);
  for (int32_t line = first; line >= 0 && line < length; line = at(++lenses)) {
    if (blank.empty() || !blank[static_cast<size_t>(line)]) return line;
  }
  return first;
}

// The lines across the lens axis that are white from end to end.
std::vector<bool> BlankLines(const Raster& picture, bool rows, const std::vector<Rect>& beside) {
  const int32_t count = rows ? picture.Height() : picture.Width();
  std::vector<bool> blank(static_cast<size_t>(count), true);
  std::vector<uint8_t> row(static_cast<size_t>(picture.Width()) * 3);
  for (int32_t y = 0; y < picture.Height(); ++y) {
    ColourRow(picture, y, row.data());
    for (int32_t x = 0; x < picture.Width(); ++x) {
      const uint8_t* p = &row[static_cast<size_t>(x) * 3];
      if ((p[0] & p[1] & p[2]) == 255) continue;
      const auto inside = [&](const Rect& r) { return x >= r.left && x < r.right && y >= r.top && y < r.bottom; };
      if (std::any_of(beside.begin(), beside.end(), inside)) continue;
      blank[static_cast<size_t>(rows ? y : x)] = false;
      if (rows) break;
    }
  }
  return blank;
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

std::vector<int32_t> BleedLines(int32_t length, int32_t bleed, Extended period, const std::vector<bool>& blank) {
  std::vector<int32_t> lines;
  lines.reserve(static_cast<size_t>(length) + 2 * static_cast<size_t>(bleed));
  for (int32_t p = -bleed; p < length + bleed; ++p) {
    int32_t source = p;
    if ((p < 0 || p >= length) && period > 0) source = SameLensPlace(p, length, period, blank);
    lines.push_back(std::clamp(source, 0, std::max(length - 1, 0)));
  }
  return lines;
}

BleedMap MapBleed(const Raster& picture, int32_t bleed, const LensGrid& grid, const std::vector<Rect>& beside) {
  BleedMap map;
  map.bleed = bleed;
  // The grid runs across the strips: down the picture when strips are rows.
  const bool down = grid.axis == StripAxis::Rows;
  const std::vector<bool> blank = bleed > 0 && grid.period_px > 0 ? BlankLines(picture, down, beside) : std::vector<bool>{};
  map.source_x = BleedLines(picture.Width(), bleed, down ? 0 : grid.period_px, down ? std::vector<bool>{} : blank);
  map.source_y = BleedLines(picture.Height(), bleed, down ? grid.period_px : 0, down ? blank : std::vector<bool>{});
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
