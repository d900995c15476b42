// "&Print": the page preview at 25 px per inch and the true-size print.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/dialogs.h"
#include "core/geometry.h"
#include "core/raster.h"
#include "core/maker_state.h"
#include "delivery/printer_port.h"

namespace lenti {

struct PrintPreviewLayout {
  int image_width = 0;   // page picture W x H (25 px per inch)
  int image_height = 0;
  int image_left = 0;    // its place in the 485 x 492 window
  int image_top = 0;
  Rect outline;          // the output's outline on the page picture
  std::vector<Point> diagonals;  // (L,T) (R,B) (L,B) (R,T)
  bool size_over = false;        // "Print size over!"
  // Empty when each picture pixel is one printer pixel or the job goes into
  // a PDF file; else that the printer will resample and which resolution
  // would avoid it.
  std::string resample_note;
};

// The note for a picture of `output_dpi_x` (dpi x 10000) on a printer of
// `printer_dpi`: empty when they are equal.
std::string ResampleNote(int64_t output_dpi_x, int printer_dpi);

// The page picture the preview window shows: white, outline and diagonals.
Raster DrawPreviewPage(const PrintPreviewLayout& layout);

// Steps of "&Print" before the preview opens: default printer, the set-up
// dialog, PrinterDpi, and the preview's layout. Nothing (no preview) when
// the job would go into a file and the set-up was cancelled: a cancelled
// set-up never writes a file.
std::optional<PrintPreviewLayout> PreparePrint(MakerState& state, Dialogs& dialogs,
                                               PrinterPort& printer);

inline constexpr const char* kMergedPrintTitle = "Vexaro Photo Maker - merged picture";
inline constexpr const char* kChartPrintTitle = "Vexaro Photo Maker - pitch test chart";

// The print job's title: the file name the picture was saved under, or
// kMergedPrintTitle for a picture not saved since its merge.
std::string MergedPrintTitle(const MakerState& state);

// Where the picture lands on the page, centred at true size; at the printer's
// own resolution exactly the picture's size in device pixels.
Rect PrintRectangle(int picture_width, int picture_height, int64_t output_dpi_x, int printer_dpi,
                    int page_width, int page_height);

// One page with the picture (pending text included) centred at true size.
// False when the person declined to name the file of a file output.
bool PrintMergedBitmap(const MakerState& state, PrinterPort& printer);

// The picture went to paper: closing the window need not ask about it.
inline void RecordPrinted(MakerState& state) { state.merged.Delivered = true; }

// What a finished job says when it went into a file: where the file is.
std::string WrittenFileMessage(const std::string& path);

}  // namespace lenti
