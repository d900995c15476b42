// The bleed: the picture grown by a margin on every side that the trim cuts
// off again, so that a cut a little off the line leaves no white edge.
//
// Nothing is stretched and the trim area keeps the picture's own pixels.
// Along the lens axis (across the strips) the lens grid runs on: a bleed line
// repeats the nearest picture line that lies at the same place under its
// lens (the same frame's edge strip), so a lens sheet laid over the bleed
// still sees every frame. A line the merge left white across the whole
// picture (past the end of its frame) is passed over for the next line of
// the same place, so the bleed shows the frame, not the gap (the alignment
// band beside the picture does not count). Along the strips each line of a frame simply
// continues with its edge pixel. With a lens period the picture's pixels do
// not divide evenly, the nearest whole pixel of the same place is taken.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/geometry.h"
#include "core/numerics.h"
#include "core/raster.h"

namespace lenti {

inline constexpr double kMaxBleedMm = 20;

// Raises "The bleed must lie between 0 and 20 mm, not 25 mm" (NaN too).
void CheckBleedMm(double bleed_mm);
// Whole pixels of `bleed_mm` at `dpi`: Round(mm / 25.4 x dpi).
int32_t BleedPixels(double bleed_mm, double dpi);

// Whether the strips run along the rows (the lens grid runs down the
// picture) or along the columns (it runs across).
enum class StripAxis { Rows, Columns };

struct LensGrid {
  StripAxis axis = StripAxis::Rows;
  Extended period_px = 0;  // pixels per lens; 0: no grid (edge pixels repeat)
};

// For each line of the grown picture the picture line it shows.
struct BleedMap {
  int32_t bleed = 0;
  std::vector<int32_t> source_x;  // width + 2 x bleed entries
  std::vector<int32_t> source_y;  // height + 2 x bleed entries
  int32_t Width() const { return static_cast<int32_t>(source_x.size()); }
  int32_t Height() const { return static_cast<int32_t>(source_y.size()); }
};

// The lines of a `length`-pixel axis grown by `bleed` at both ends; with a
// period > 0 the grid runs on (passing over the lines `blank` names), else
// the end lines repeat.
std::vector<int32_t> BleedLines(int32_t length, int32_t bleed, Extended period,
                                const std::vector<bool>& blank = {});

// `beside` are areas that are not the merged picture (the alignment band),
// left out when a line is looked at for being blank.
BleedMap MapBleed(const Raster& picture, int32_t bleed, const LensGrid& grid, const std::vector<Rect>& beside = {});

// The picture grown by `map`: 24-bit (any other raster taken as its colours).
Raster WithBleed(const Raster& picture, const BleedMap& map);

// The 24-bit (B, G, R) colours of row `y` of any raster: `out` holds Width() x 3 bytes.
void ColourRow(const Raster& raster, int y, uint8_t* out);

}  // namespace lenti
