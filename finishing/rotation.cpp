#include "finishing/rotation.h"

#include <algorithm>
#include <cstring>

#include "core/picture.h"
#include "finishing/align_bars.h"
#include "finishing/text_overlay.h"

namespace lenti {

namespace {

// Tiles of 256 destination rows by 128 source rows: the source rows of a
// tile (128 x 768 bytes) and its destination rows (256 x 384 bytes) stay in
// the second-level cache while it is turned, and each destination row gets
// long runs of stores. A column walk per pixel would miss the cache on every
// read; measured, smaller tiles (64 x 64) were a third slower.
constexpr int kTileRows = 256;     // destination rows = source columns
constexpr int kTileColumns = 128;  // destination columns = source rows

uint32_t Load4(const uint8_t* p) {
  uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}

void Store4(uint8_t* p, uint32_t v) { std::memcpy(p, &v, 4); }

// Four pixels of one destination row from four source rows: four 4-byte
// reads (the fourth byte of each is the next pixel's, dropped) and three
// 4-byte stores of the 12 bytes. Only for a source column whose 4-byte read
// stays inside its row.
void TurnFour(const uint8_t* const* rows, size_t column, uint8_t* out) {
  const uint32_t p0 = Load4(rows[0] + column);
  const uint32_t p1 = Load4(rows[1] + column);
  const uint32_t p2 = Load4(rows[2] + column);
  const uint32_t p3 = Load4(rows[3] + column);
  Store4(out, (p0 & 0xFFFFFFu) | (p1 << 24));
  Store4(out + 4, ((p1 >> 8) & 0xFFFFu) | (p2 << 16));
  Store4(out + 8, ((p2 >> 16) & 0xFFu) | (p3 << 8));
}

// Destination rows i0..i1-1, columns a0..a1-1 of the turn of a 24-bit raster.
void TurnTile(const Raster& source, Raster& turned, int i0, int i1, int a0, int a1) {
  const int last_column = source.Width() - 1;
  const uint8_t* rows[kTileColumns];
  for (int a = a0; a < a1; ++a) rows[a - a0] = source.Row(a);
  for (int i = i0; i < i1; ++i) {
    uint8_t* out = turned.Row(i) + static_cast<size_t>(a0) * 3;
    const size_t column = static_cast<size_t>(last_column - i) * 3;
    // The rightmost column's 4-byte read would pass the end of a row
    // without padding (the last row's is the end of the buffer).
    const bool wide = column + 4 <= source.Stride();
    int a = a0;
    if (wide) {
      for (; a + 4 <= a1; a += 4, out += 12) TurnFour(rows + (a - a0), column, out);
    }
    for (; a < a1; ++a, out += 3) std::memcpy(out, rows[a - a0] + column, 3);
  }
}

void TurnBlocked24(const Raster& source, Raster& turned) {
  const int w = source.Width();
  const int h = source.Height();
  for (int i0 = 0; i0 < w; i0 += kTileRows) {
    const int i1 = std::min(i0 + kTileRows, w);
    for (int a0 = 0; a0 < h; a0 += kTileColumns) {
      TurnTile(source, turned, i0, i1, a0, std::min(a0 + kTileColumns, h));
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

void BurnPendingText(MakerState& state) {
  if (!state.merged.MergedBitmap || state.overlay.OverlayText.empty()) return;
  BurnOverlayText(state, *state.merged.MergedBitmap);
  FinishingStep step;
  step.kind = FinishingStep::Kind::BurnText;
  step.text = PendingText(state);
  state.merged.MadeFrom.finishing.push_back(std::move(step));
  state.overlay.OverlayText.clear();
}

void TurnMerged(MakerState& state) {
  if (!state.merged.MergedBitmap) return;
  // The pending text becomes pixels first, so that it turns with the picture
  // and is not drawn a second time by a later Save.
  BurnPendingText(state);
  Raster& picture = *state.merged.MergedBitmap;
  Raster turned = RotateQuarterCounterClockwise(picture);
  picture = std::move(turned);
  TurnAlignBandCounterClockwise(state);
  state.merged.MadeFrom.finishing.push_back(FinishingStep{FinishingStep::Kind::Turn, {}});
}

}  // namespace lenti
