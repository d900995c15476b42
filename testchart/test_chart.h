// The pitch test chart: rows of a black-and-white bar grating, each fitted
// to a slightly different pitch and labelled with its LPI, and a reference
// stripe at the unfitted pitch. All rasters 1 bit per pixel.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/frontend.h"
#include "core/maker_state.h"
#include "delivery/printer_port.h"

namespace lenti {

struct Paper {
  int32_t Wcm = 21;
  int32_t Hcm = 29;
};
// By the position of the Size list's entry: A4, A3, 8' x 10', the empty
// entry; any other position gives A4.
Paper PaperTable(int index);

// Every derived quantity of a chart, each with its own rounding.
struct ChartQuantities {
  int64_t GW, RH, P, W, CW, CH, GB, LM, FS, TX, TY, K, C;
};
ChartQuantities ComputeChartQuantities(int32_t dpi, int32_t wcm, int32_t hcm, int64_t lx,
                                       int32_t step, int32_t lines);

// Row i (1-based): its source width E and its label.
int64_t RowSourceWidth(const ChartQuantities& q, int i, int32_t step);
std::string RowLabel(const ChartQuantities& q, int64_t e, int32_t dpi);

// Refuses (with a clear message) a pitch below one pixel, a dpi, step or
// line count below 1, a paper narrower than 12 cm and a chart beyond memory;
// then builds the chart.
Raster GenerateTestChart(int32_t dpi, int32_t wcm, int32_t hcm, int64_t lx, int32_t step,
                         int32_t lines);

// The controls of the test chart window as "&Create" reads them.
struct ChartSettings {
  int paper_index = 0;
  std::string dpi_text = "1200";
  std::string lpi_text = "40";
  std::string lines_text = "11";
  std::string step_text = "10";
};

// "&Create": TestDpi stored first, the chart built, the 100 px/inch preview shown.
void CreateChart(MakerState& state, Frontend& frontend, const ChartSettings& settings);
// The preview at 100 pixels per inch (black kept).
Raster ChartPreview(const Raster& chart, int32_t dpi);
// "&Save": the 1-bit BMP stamped with TestDpi, atomically.
void SaveChart(const MakerState& state, Frontend& frontend);
// "&Print": default printer, set-up dialog, the DPI check against the box's
// current text, then the chart centred at one chart pixel per printer pixel.
void PrintTestChart(MakerState& state, Frontend& frontend, PrinterPort& printer,
                    const std::string& dpi_box_text);
Rect ChartPrintRectangle(int page_width, int page_height, int chart_width, int chart_height);
// The hidden "&Reset": A4, 360 dpi, the lens pitch, 11 lines, step 15.
ChartSettings ResetChartSettings(const MakerState& state);

}  // namespace lenti
