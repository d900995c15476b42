// The working state shared by all commands of the main window: one record,
// owned by the main window for the whole run, with the start values below.
//
// The fields are grouped; each group's row names the folders that write it
// (scripts/check-state-writers holds every folder to its row), and every
// other folder reads it through `const&`.
//
// | group     | what                                        | written by                         | read by                     |
// |-----------|---------------------------------------------|------------------------------------|-----------------------------|
// | `photos`  | photo files, thumbnails, frame count, crops, the rectangle and its drag | intake/ (import, select, crop, nudge, onion skin), interlace/ (a merge hides the rectangle), render/ (a project or an undo restores the crops), align/ (the frames' placements) | interlace/, render/, ui/ |
// | `mode`    | how the strips run                          | ui/ (the Mode buttons), render/ (restore) | intake/, interlace/, render/, ui/ |
// | `lens`    | lens pitch, resolution, phase, size, sampling, interlace type | ui/ (the Lens group), testchart/ (Use this pitch), render/ (restore) | intake/, interlace/, finishing/, testchart/, render/ |
// | `merged`  | the merged picture, its one geometry, band, the job it renders | interlace/ (a merge replaces it whole, DropMergedPicture), finishing/ (turn, bars, text burned in), delivery/ (saved or printed), render/ (a job's finishing steps) | delivery/, render/, ui/ |
// | `overlay` | the text box, the pending text, its font and place | finishing/, render/ (restore) | delivery/, render/, ui/ |
// | `output`  | where the picture was last saved, the press settings | delivery/ (SaveMerged, the press settings), render/ (restore, a job's output) | delivery/, render/, ui/ |
// | `printer` | the resolution of the last print set-up     | delivery/ (RecordPrinterDpi), testchart/ (the chart's printer set-up), render/ (restore) | delivery/ |
// | `chart`   | the test chart and the dpi it was made for  | testchart/                         | testchart/, ui/             |
//
// The views render these groups; nothing is read back from a widget.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/color.h"
#include "core/geometry.h"
#include "core/job.h"
#include "core/lens_settings.h"
#include "core/raster.h"

namespace lenti {

// The crop rectangle of one slot in view pixels (right and bottom exclusive)
// and where the fitted photo's top-left corner lies in the view box.
struct CropRecord {
  int32_t Left = 0;
  int32_t Top = 0;
  int32_t Right = 0;
  int32_t Bottom = 0;
  int32_t OffsetX = 0;
  int32_t OffsetY = 0;
  // A rectangle has been placed for the slot; a rectangle at x = 0 is
  // remembered like any other (cleared by every import into the slot).
  bool Saved = false;
  friend bool operator==(const CropRecord&, const CropRecord&) = default;
};

// What a press on the crop rectangle started: the whole drag keeps it.
enum class CropDrag { Move, Resize };

// The photo a slot was filled from, as the person chose it: SlotFiles holds
// the working file the merge reads, this the file a project names.
struct SlotSource {
  std::string path;
  std::string hash;  // xxh3-64 of its bytes (core/content_hash.h); empty: not known
  Size pixels;       // as viewed
  friend bool operator==(const SlotSource&, const SlotSource&) = default;
};

// The onion skin over the crop rectangle: the reference frame's crop laid
// over the current one's, blended at `opacity` percent or as the
// difference of the two, so that a misalignment shows at a glance.
enum class OnionView { Off, Blend, Difference };
struct OnionSkin {
  OnionView view = OnionView::Off;
  int32_t opacity = 50;  // percent of the reference in the blend
  int32_t reference_slot = 1;  // also the frame alignment aligns the others to
  friend bool operator==(const OnionSkin&, const OnionSkin&) = default;
};

struct SlotState {
  // Slot k (1..16) is SlotFiles[k - 1]; empty means not filled.
  std::array<std::string, kSlotCount> SlotFiles{};
  std::array<SlotSource, kSlotCount> Sources{};
  int32_t FrameCount = 2;
  // The import's strip width (base 250); the merge keeps its own in its geometry.
  int32_t StripWidth = 1;
  uint8_t CurrentSlot = 0;  // 0-based
  std::array<CropRecord, kSlotCount> CropRects{};
  // A slot's crop in source pixels as a project or an undo gave it: the
  // merge takes it as it stands until the rectangle is moved or placed anew
  // (its CropRecord only approximates it in view pixels).
  std::array<std::optional<Rect>, kSlotCount> CropSources{};
  std::array<int64_t, kSlotCount> CropScales{};  // source px per view px x 10000
  // Where alignment (or a nudge) placed each slot's crop on its photo.
  std::array<FramePlacement, kSlotCount> Placements{};
  OnionSkin Onion;
  // The small picture each slot's button shows (65 x 57; empty: none).
  std::array<Raster, kSlotCount> Thumbnails{};
  // The red rectangle as the view draws it, in view pixels, and whether it
  // is drawn at all: the drag moves this, the view only renders it.
  Rect CropBounds{};
  bool CropVisible = false;
  bool Dragging = false;
  CropDrag DragMode = CropDrag::Move;
  int32_t DragStartX = 0;
  int32_t DragStartY = 0;
};


// The geometry of the merge that made the current MergedBitmap. Saving and
// the alignment bars use it, not a StripWidth changed by a later import.
struct MergeGeometry {
  int32_t FrameCount = 0;
  int64_t LensLpiX = 0;
  int32_t StripWidth = 0;
  int64_t OutputDpiX = 0;  // dots per inch x 10000
  int32_t OutputWidth = 0;
  int32_t OutputHeight = 0;
  Mode mode = Mode::PortraitRows;
  // Whole strips of StripWidth pixels, or a periodic layout: a lens every
  // OutputDpiX / LensLpiX pixels from the phase (StripWidth is then not used).
  LensLayout layout = LensLayout::WholeStrips;
  int32_t PhaseX10000 = 0;  // where the first lens starts, 1/10000 of a lens
  friend bool operator==(const MergeGeometry&, const MergeGeometry&) = default;
};

// Pixels per lens along the strip axis: OutputDpiX / LensLpiX (exactly
// FrameCount x StripWidth for a classic merge). 0 before the first merge.
inline Extended LensPeriodPx(const MergeGeometry& g) {
  return g.LensLpiX == 0 ? 0 : static_cast<Extended>(g.OutputDpiX) / static_cast<Extended>(g.LensLpiX);
}

struct MergedPicture {
  std::optional<Raster> MergedBitmap;  // none until the first merge
  MergeGeometry Geometry;
  // The band the alignment bars added (so clearing removes exactly that
  // band), its size and side: AlignBandWidth > 0 columns at the right,
  // < 0 at the left; AlignBandHeight > 0 rows at the bottom, < 0 at the top
  // (a band turns with the picture). 0 = no band.
  int32_t AlignBandWidth = 0;
  int32_t AlignBandHeight = 0;
  // The "Align-Bar" box as the person left it; a merge clears it.
  bool AlignBarsTicked = false;
  // Saved or printed since the merge that made it (closing asks otherwise).
  bool Delivered = false;
  // The job the picture is the rendering of: the frames, Mode and lens of
  // its merge (merged = true) and every finishing step applied since.
  Job MadeFrom;
};

struct OverlayState {
  // What the text box holds; Apply makes it the pending OverlayText.
  std::string EditText;
  std::string OverlayText;
  // The font dialog's own font object, shared: later changes in the dialog
  // apply to the pending text at once.
  std::shared_ptr<Font> OverlayFont;
  int32_t TextX = 100;
  int32_t TextY = 100;
  // "&Apply" may run: text typed or a font chosen since the last Apply, and
  // a merged picture to put it on.
  bool ApplyEnabled = false;
};

struct PrinterState {
  int32_t PrinterDpi = 0;
};

struct TestChartState {
  std::optional<Raster> TestChart;  // none until the first chart
  int32_t TestDpi = 0;
  // The chart's rows from the top: each one's label ("39.5296") and the
  // rows' height in chart pixels, for picking a row to merge with.
  std::vector<std::string> RowLabels;
  int32_t RowHeight = 0;
};

struct MakerState {
  SlotState photos;
  // The Mode buttons: how the strips run in the next merge.
  Mode mode = Mode::PortraitRows;
  // Where the picture was last saved and the press settings (delivery/),
  // kept in the job.
  JobOutput output;
  LensSettings lens;
  MergedPicture merged;
  OverlayState overlay;
  PrinterState printer;
  TestChartState chart;
};

}  // namespace lenti
