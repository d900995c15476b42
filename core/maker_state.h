// The working state shared by all commands of the main window: one record,
// owned by the main window for the whole run, with the start values below.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "core/color.h"
#include "core/raster.h"

namespace lenti {

inline constexpr int kSlotCount = 16;

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

enum class Mode { PortraitRows, LandscapeColumns };

// The geometry of the merge that made the current MergedBitmap. Saving and
// the alignment bars use it, not a StripWidth changed by a later import.
struct MergeGeometry {
  int32_t FrameCount = 0;
  int64_t LensLpiX = 0;
  int32_t StripWidth = 0;
  int64_t OutputDpiX = 0;
  int32_t OutputWidth = 0;
  int32_t OutputHeight = 0;
  Mode mode = Mode::PortraitRows;
};

struct MakerState {
  // Slot k (1..16) is SlotFiles[k - 1]; empty means not filled.
  std::array<std::string, kSlotCount> SlotFiles{};
  int32_t FrameCount = 2;
  int64_t LensLpiX = 212500;  // 21.25 lines per inch x 10000
  int32_t StripWidth = 1;
  int64_t OutputDpiX = 0;     // dots per inch x 10000
  int32_t OutputWidth = 0;
  int32_t OutputHeight = 0;
  int32_t SliceWidth = 0;
  int32_t SliceHeight = 0;
  uint8_t CurrentSlot = 0;    // 0-based
  std::array<CropRecord, kSlotCount> CropRects{};
  std::array<int64_t, kSlotCount> CropScales{};  // source px per view px x 10000
  bool Dragging = false;
  int32_t DragStartX = 0;
  int32_t DragStartY = 0;

  std::optional<Raster> MergedBitmap;  // none until the first merge
  // Geometry of the merge that made MergedBitmap, and the band the
  // alignment bars added (so clearing removes exactly that band).
  MergeGeometry MergedGeometry;
  // The band's size and side: AlignBandWidth > 0 columns at the right,
  // < 0 at the left; AlignBandHeight > 0 rows at the bottom, < 0 at the top
  // (a band turns with the picture). 0 = no band.
  int32_t AlignBandWidth = 0;
  int32_t AlignBandHeight = 0;

  std::string OverlayText;
  // The font dialog's own font object, shared: later changes in the dialog
  // apply to the pending text at once.
  std::shared_ptr<Font> OverlayFont;
  int32_t TextX = 100;
  int32_t TextY = 100;

  bool FlipMode = false;
  int32_t PrinterDpi = 0;

  std::optional<Raster> TestChart;  // none until the first chart
  int32_t TestDpi = 0;
};

}  // namespace lenti
