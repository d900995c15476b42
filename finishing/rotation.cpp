#include "finishing/rotation.h"

#include <algorithm>
#include <cstring>

#include "core/picture.h"
#include "finishing/align_bars.h"
#include "finishing/text_overlay.h"

namespace lenti {

namespace {

// A 64 x 64 tile touches 64 source rows of 192 bytes and 64 destination rows
// of 192 bytes: 24 KiB, which stays in the first-level cache while the tile
// is turned, instead of a cache miss per pixel of a whole-column walk.
constexpr int kTile = 64;

// Destination rows i0..i1-1, columns a0..a1-1 of the turn of a 24-bit raster.
void TurnTile(const Raster& source, Raster& turned, int i0, int i1, int a0, int a1) {
  const int last_column = source.Width() - 1;
  const uint8_t* rows[kTile];
  for (int a = a0; a < a1; ++a) rows[a - a0] = source.Row(a);
  for (int i = i0; i < i1; ++i) {
    uint8_t* out = turned.Row(i) + static_cast<size_t>(a0) * 3;
    const size_t column = static_cast<size_t>(last_column - i) * 3;
    for (int a = a0; a < a1; ++a, out += 3) {
      std::memcpy(out, rows[a - a0] + column, 3);
    }
  }
}

void TurnBlocked24(const Raster& source, Raster& turned) {
  const int w = source.Width();
  const int h = source.Height();
  for (int i0 = 0; i0 < w; i0 += kTile) {
    const int i1 = std::min(i0 + kTile, w);
    for (int a0 = 0; a0 < h; a0 += kTile) {
      TurnTile(source, turned, i0, i1, a0, std::min(a0 + kTile, h));
    }
  }
}

// A source of another depth (never the merged picture) read through its
// palette; the turn is 24-bit whatever it was made from.
void TurnByColor(const Raster& source, Raster& turned) {
  const int w = source.Width();
  for (int y = 0; y < turned.Height(); ++y) {
    for (int x = 0; x < turned.Width(); ++x) turned.SetPixelColor(x, y, source.PixelColor(w - 1 - y, x));
  }
}

}  // namespace

Raster RotateQuarterCounterClockwise(const Raster& source) {
  Raster turned(source.Height(), source.Width(), PixelFormat::pf24bit);
  if (source.Empty()) return turned;
  if (source.Format() == PixelFormat::pf24bit) {
    TurnBlocked24(source, turned);
  } else {
    TurnByColor(source, turned);
  }
  return turned;
}

void RotateMerged(MakerState& state, Frontend& frontend) {
  if (!state.MergedBitmap) return;
  BusyButtonCursor busy(frontend, Control::Button5);
  Raster& picture = *state.MergedBitmap;
  // The pending text becomes pixels first, so that it turns with the picture
  // and is not drawn a second time by a later Save.
  if (!state.OverlayText.empty()) {
    BurnOverlayText(state, picture);
    state.OverlayText.clear();
  }
  Raster turned = RotateQuarterCounterClockwise(picture);
  picture = std::move(turned);
  TurnAlignBandCounterClockwise(state);
  frontend.SetViewPicture(Picture(picture));
}

}  // namespace lenti
