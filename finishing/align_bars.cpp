#include "finishing/align_bars.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <limits>

#include "core/error.h"
#include "core/numerics.h"
#include "core/picture.h"

namespace lenti {

namespace {

// Four lens periods, each white for its first pitch - thickness pixels and
// black for the last thickness pixels, counted outward from the picture.
constexpr int kBarCount = 4;

int32_t BandSize(const MakerState& state) {
  return std::abs(state.merged.AlignBandWidth) + std::abs(state.merged.AlignBandHeight);
}

void ForgetBand(MakerState& state) {
  state.merged.AlignBandWidth = 0;
  state.merged.AlignBandHeight = 0;
}

// True while MergedBitmap is the merge's picture, upright or turned, plus the
// recorded band. A merge replaces the picture without a band; a record that
// survived it must not be cut from the new picture.
bool BandBelongsToPicture(const MakerState& state) {
  if (!state.merged.MergedBitmap || BandSize(state) == 0) return false;
  const int64_t w = int64_t{state.merged.MergedBitmap->Width()} - std::abs(state.merged.AlignBandWidth);
  const int64_t h = int64_t{state.merged.MergedBitmap->Height()} - std::abs(state.merged.AlignBandHeight);
  const MergeGeometry& g = state.merged.Geometry;
  return (w == g.OutputWidth && h == g.OutputHeight) ||
         (w == g.OutputHeight && h == g.OutputWidth);
}

// A white solid brush (so grown area is white, even after a clear text
// brush) and a one-pixel black pen.
void PrepareBandCanvas(Raster& picture) {
  picture.SetBrushColor(kWhite);
  picture.SetPen(Pen{kBlack, 0});
}

int GrownSize(int size, int64_t band) {
  const int64_t grown = int64_t{size} + band;
  if (grown > std::numeric_limits<int32_t>::max()) throw OutOfMemory();
  return static_cast<int>(grown);
}

// Where the bars lie, counted from the band's outer edge: bar k from
// offset[k] to offset[k] + thickness, the band `band` pixels deep.
struct BarLayout {
  int32_t band = 0;
  std::array<int32_t, kBarCount> offset{};
  int32_t thickness = 0;
};

// Whole lens pitches: bar k at k x pitch.
BarLayout WholePitchBars(int32_t pitch, int32_t thickness) {
  BarLayout bars;
  bars.band = kBarCount * pitch;
  for (int k = 0; k < kBarCount; ++k) bars.offset[k] = k * pitch;
  bars.thickness = thickness;
  return bars;
}

// A native picture's true, fractional pitch p: bar k at Round(k x p), half a
// lens thick, the band Round(4 x p) deep.
BarLayout TruePitchBars(Extended period) {
  if (period * kBarCount > std::numeric_limits<int32_t>::max() / 2) throw OutOfMemory();
  BarLayout bars;
  bars.band = static_cast<int32_t>(Round(period * kBarCount));
  for (int k = 0; k < kBarCount; ++k) bars.offset[k] = static_cast<int32_t>(Round(period * k));
  bars.thickness = std::max<int32_t>(1, static_cast<int32_t>(Trunc(period / 2)));
  return bars;
}

// Upright bars in the columns added at the right edge.
void AddColumnsAtRight(MakerState& state, const BarLayout& bars) {
  Raster& picture = *state.merged.MergedBitmap;
  const int width = GrownSize(picture.Width(), bars.band);
  picture.SetWidth(width);
  picture.SetBrushColor(kBlack);
  for (int k = 0; k < kBarCount; ++k) {
    picture.Rectangle(width - bars.offset[k] - bars.thickness, 0, width - bars.offset[k], picture.Height());
  }
  state.merged.AlignBandWidth = bars.band;
}

// Lying bars in the rows added at the bottom edge.
void AddRowsAtBottom(MakerState& state, const BarLayout& bars) {
  Raster& picture = *state.merged.MergedBitmap;
  const int height = GrownSize(picture.Height(), bars.band);
  picture.SetHeight(height);
  picture.SetBrushColor(kBlack);
  for (int k = 0; k < kBarCount; ++k) {
    picture.Rectangle(0, height - bars.offset[k] - bars.thickness, picture.Width(), height - bars.offset[k]);
  }
  state.merged.AlignBandHeight = bars.band;
}

// The part of `picture` inside `keep`, as a new raster of the same format.
Raster Cut(const Raster& picture, const Rect& keep) {
  Raster cut(keep.Width(), keep.Height(), picture.Format());
  cut.SetPalette(picture.Palette());
  cut.CopyRect(cut.ClipRect(), picture, keep);
  return cut;
}

}  // namespace

int32_t LensPitchPx(int32_t frame_count, int32_t strip_width) {
  const int64_t pitch = int64_t{frame_count} * strip_width;
  if (pitch > std::numeric_limits<int32_t>::max() / kBarCount) throw OutOfMemory();
  return static_cast<int32_t>(pitch);
}

int32_t BarThickness(int32_t frame_count, int32_t strip_width) {
  return static_cast<int32_t>(Trunc(static_cast<Extended>(frame_count) / 2 * strip_width));
}

BandSide AlignBandSide(const MakerState& state) {
  if (state.merged.AlignBandWidth > 0) return BandSide::Right;
  if (state.merged.AlignBandWidth < 0) return BandSide::Left;
  if (state.merged.AlignBandHeight > 0) return BandSide::Bottom;
  if (state.merged.AlignBandHeight < 0) return BandSide::Top;
  return BandSide::None;
}

void TurnAlignBandCounterClockwise(MakerState& state) {
  const int32_t size = BandSize(state);
  switch (AlignBandSide(state)) {
    case BandSide::None:
      return;
    case BandSide::Right:  // the rightmost column becomes the top row
      ForgetBand(state);
      state.merged.AlignBandHeight = -size;
      return;
    case BandSide::Top:  // the top row becomes the left column
      ForgetBand(state);
      state.merged.AlignBandWidth = -size;
      return;
    case BandSide::Left:  // the left column becomes the bottom row
      ForgetBand(state);
      state.merged.AlignBandHeight = size;
      return;
    case BandSide::Bottom:  // the bottom row becomes the right column
      ForgetBand(state);
      state.merged.AlignBandWidth = size;
      return;
  }
}

void AddAlignBand(MakerState& state) {
  if (!state.merged.MergedBitmap) return;
  if (BandBelongsToPicture(state)) return;  // ticked twice: no second band
  ForgetBand(state);
  const MergeGeometry& g = state.merged.Geometry;
  BarLayout bars;
  if (g.layout == LensLayout::Periodic) {
    bars = TruePitchBars(LensPeriodPx(g));
  } else {
    const int32_t pitch = LensPitchPx(g.FrameCount, g.StripWidth);
    if (pitch <= 0) return;
    bars = WholePitchBars(pitch, BarThickness(g.FrameCount, g.StripWidth));
  }
  if (bars.band <= 0) return;
  PrepareBandCanvas(*state.merged.MergedBitmap);
  if (state.lens.FlipMode) {
    AddRowsAtBottom(state, bars);
  } else {
    AddColumnsAtRight(state, bars);
  }
}

void RemoveAlignBand(MakerState& state) {
  if (!state.merged.MergedBitmap) return;
  if (!BandBelongsToPicture(state)) {
    ForgetBand(state);
    return;
  }
  Raster& picture = *state.merged.MergedBitmap;
  PrepareBandCanvas(picture);
  const int w = picture.Width();
  const int h = picture.Height();
  const int32_t size = BandSize(state);
  switch (AlignBandSide(state)) {
    case BandSide::None:
      break;
    case BandSide::Right:
      picture.SetWidth(w - size);
      break;
    case BandSide::Bottom:
      picture.SetHeight(h - size);
      break;
    case BandSide::Left:
      picture = Cut(picture, Rect{size, 0, w, h});
      PrepareBandCanvas(picture);
      break;
    case BandSide::Top:
      picture = Cut(picture, Rect{0, size, w, h});
      PrepareBandCanvas(picture);
      break;
  }
  ForgetBand(state);
}

Raster AlignBarPreview(const Raster& merged) {
  const auto quarter = [](int size) { return static_cast<int>(Round(static_cast<Extended>(size) / 4)); };
  Raster preview(quarter(merged.Width()), quarter(merged.Height()));
  preview.StretchDraw(preview.ClipRect(), merged);
  return preview;
}

void SetAlignBars(MakerState& state, bool ticked) {
  state.merged.AlignBarsTicked = ticked;
  if (!state.merged.MergedBitmap) return;
  if (ticked) {
    AddAlignBand(state);
  } else {
    RemoveAlignBand(state);
  }
  FinishingStep step;
  step.kind = ticked ? FinishingStep::Kind::BarsOn : FinishingStep::Kind::BarsOff;
  state.merged.MadeFrom.finishing.push_back(step);
}

std::optional<Raster> ToggleAlignBars(MakerState& state, bool ticked) {
  SetAlignBars(state, ticked);
  if (!state.merged.MergedBitmap) return std::nullopt;
  return AlignBarPreview(*state.merged.MergedBitmap);
}

void SetInterlaceType(LensSettings& lens, bool three_d_selected) { lens.FlipMode = !three_d_selected; }

}  // namespace lenti
