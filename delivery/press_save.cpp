#include "delivery/press_save.h"

#include <algorithm>
#include <optional>

#include "core/error.h"
#include "delivery/picture_file.h"
#include "delivery/press_tiff.h"
#include "delivery/save.h"
#include "finishing/align_bars.h"
#include "finishing/text_overlay.h"

namespace lenti {
namespace {

int QuarterTurns(const MakerState& state) {
  const std::vector<FinishingStep>& steps = state.merged.MadeFrom.finishing;
  return static_cast<int>(std::count_if(steps.begin(), steps.end(),
                                        [](const FinishingStep& s) { return s.kind == FinishingStep::Kind::Turn; }));
}

}  // namespace

LensGrid LensGridOf(const MakerState& state) {
  const MergeGeometry& g = state.merged.Geometry;
  const bool rows = (g.mode == Mode::PortraitRows) == (QuarterTurns(state) % 2 == 0);
  return LensGrid{rows ? StripAxis::Rows : StripAxis::Columns, LensPeriodPx(g)};
}

std::vector<Rect> AlignBandAreas(const MakerState& state) {
  if (!state.merged.MergedBitmap) return {};
  const int32_t w = state.merged.MergedBitmap->Width();
  const int32_t h = state.merged.MergedBitmap->Height();
  const int32_t bw = state.merged.AlignBandWidth;
  const int32_t bh = state.merged.AlignBandHeight;
  switch (AlignBandSide(state)) {
    case BandSide::Right: return {Rect{w - bw, 0, w, h}};
    case BandSide::Left: return {Rect{0, 0, -bw, h}};
    case BandSide::Bottom: return {Rect{0, h - bh, w, h}};
    case BandSide::Top: return {Rect{0, 0, w, -bh}};
    case BandSide::None: break;
  }
  return {};
}

std::vector<uint8_t> TextCoverage(const MakerState& state) {
  if (!state.merged.MergedBitmap || state.overlay.OverlayText.empty()) return {};
  // The same text in black on white: its darkness is its coverage.
  MakerState text_only;
  text_only.overlay = state.overlay;
  Font black = state.overlay.OverlayFont ? *state.overlay.OverlayFont : Font{};
  black.color = kBlack;
  text_only.overlay.OverlayFont = std::make_shared<Font>(black);
  const Raster& merged = *state.merged.MergedBitmap;
  Raster sheet(merged.Width(), merged.Height());
  BurnOverlayText(text_only, sheet);
  std::vector<uint8_t> coverage(static_cast<size_t>(sheet.Width()) * static_cast<size_t>(sheet.Height()));
  for (int y = 0; y < sheet.Height(); ++y) {
    const uint8_t* row = sheet.Row(y);
    uint8_t* out = &coverage[static_cast<size_t>(y) * static_cast<size_t>(sheet.Width())];
    for (int x = 0; x < sheet.Width(); ++x) out[x] = static_cast<uint8_t>(255 - std::min({row[3 * x], row[3 * x + 1], row[3 * x + 2]}));
  }
  return coverage;
}

int32_t MergedBleedPixels(const MakerState& state, const PressOutput& press) {
  return BleedPixels(press.bleed_mm, MergedDpi(state));
}

void RequireTiffName(const std::string& path) {
  if (PictureFileTypeOf(path) != PictureFileType::Tiff) {
    throw Error(Format("A CMYK picture is written as a TIFF file: name it .tif, not \"%s\"", path.c_str()));
  }
}

void SavePressPicture(const MakerState& state, const PressOutput& press, const std::string& path) {
  if (!state.merged.MergedBitmap) throw Error("There is no merged picture to write");
  const double dpi = MergedDpi(state);
  const int32_t bleed = MergedBleedPixels(state, press);
  std::optional<Raster> with_text;
  const Raster& picture = PictureWithText(state, with_text);
  if (!press.cmyk) {
    if (bleed == 0) {
      SavePictureFile(picture, path, dpi);
    } else {
      SavePictureFile(WithBleed(picture, MapBleed(picture, bleed, LensGridOf(state), AlignBandAreas(state))),
                      path, dpi);
    }
    return;
  }
  RequireTiffName(path);
  const PressProfile profile = PressProfile::Load(press.profile);
  PressPicture p;
  p.picture = &picture;
  p.dpi = dpi;
  p.black_ink.areas = AlignBandAreas(state);
  if (press.black_text) {
    p.black_ink.text_coverage = TextCoverage(state);
    p.black_ink.under = &*state.merged.MergedBitmap;
  }
  p.bleed = MapBleed(picture, bleed, LensGridOf(state), AlignBandAreas(state));
  SaveCmykTiff(p, profile, press.intent, path);
}

void SaveChartCmyk(const Raster& chart, double dpi, const PressProfile& profile, const std::string& path) {
  RequireTiffName(path);
  PressPicture p;
  p.picture = &chart;
  p.dpi = dpi;
  p.black_ink.whole_picture = true;
  p.bleed = MapBleed(chart, 0, LensGrid{});
  SaveCmykTiff(p, profile, PressIntent::Perceptual, path);
}

}  // namespace lenti
