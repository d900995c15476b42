// The pitch test chart: rows of a black-and-white bar grating, each fitted
// to a slightly different pitch and labelled with its LPI, and a reference
// stripe at the unfitted pitch. All rasters 1 bit per pixel.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/dialogs.h"
#include "core/geometry.h"
#include "core/long_work.h"
#include "core/printer_profile.h"
#include "core/raster.h"
#include "core/views.h"
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
// The paper of a profile's page (core/printer_profile.h names them); A4 for
// a page the chart has no paper for.
Paper ChartPaper(const PrinterProfile& printer);

// Every derived quantity of a chart, each with its own rounding.
struct ChartQuantities {
  int64_t GW, RH, P, W, CW, CH, GB, LM, FS, TX, TY, K, C;
};
ChartQuantities ComputeChartQuantities(int32_t dpi, int32_t wcm, int32_t hcm, int64_t lx,
                                       int32_t step, int32_t lines);

// Row i (1-based): its source width E and its label.
int64_t RowSourceWidth(const ChartQuantities& q, int i, int32_t step);
std::string RowLabel(const ChartQuantities& q, int64_t e, int32_t dpi);

// The GW x RH grating at the integer pitch: bars W wide every P pixels from
// column 0, rows 0 .. RH - 2 black, the bottom row white.
Raster BuildGrating(const ChartQuantities& q);

// Refuses (with a clear message) a pitch below one pixel, a dpi, step or
// line count below 1, a paper narrower than 12 cm, rows under one pixel high,
// a step that takes a row's source width outside the grating and a chart
// beyond memory (an LPI of 0 raises the division-by-zero error); then
// builds the chart. Nothing is allocated before every check has passed.
//
// `steps` hears of each piece drawn (the grating, each row, the reference
// stripe: ChartPieces(lines) in all) and may stop the drawing between two
// of them (Cancelled).
struct ChartSteps {
  std::function<void()> piece_done;
  const CancelToken* cancel = nullptr;
};
Raster GenerateTestChart(int32_t dpi, int32_t wcm, int32_t hcm, int64_t lx, int32_t step,
                         int32_t lines, const ChartSteps& steps = {});
// How many pieces GenerateTestChart reports for `lines` rows.
int64_t ChartPieces(int32_t lines);

// The controls of the test chart window as "&Create" reads them.
struct ChartSettings {
  int paper_index = 0;
  std::string dpi_text = "1200";
  std::string lpi_text = "40";
  std::string lines_text = "11";
  std::string step_text = "10";
};

// The LPI text as the chart takes it: read as every pitch is
// (ReadLensPitch), so 40.5 gives 405000, but not held to the lens range
// ("'%s' is not a valid floating point value" for a text that is no number).
int64_t LpiTextToLx(const std::string& lpi_text);

// What Save and Print say before the first chart.
inline constexpr const char* kNoChartYet = "There is no test chart yet: press Create first.";

// "&Create" as long work: the settings read in order (conversion errors
// raised as they come), the chart and its preview built; TestChart and
// TestDpi are replaced together, and only when everything succeeded. Start (on the window's thread) reads the settings
// and raises their conversion errors; Run draws the chart and its preview
// aside (the checks of GenerateTestChart raise there), cancellable between
// its rows; Finish replaces the chart, its dpi, rows and preview together.
// A cancelled or failed Create keeps the previous chart, dpi, rows and
// preview.
std::unique_ptr<LongWork> StartCreateChart(MakerState& state, ChartView& view,
                                           const ChartSettings& settings);
// The preview at 100 pixels per inch (black kept).
Raster ChartPreview(const Raster& chart, int32_t dpi);
// "&Save": the 1-bit BMP stamped with TestDpi, atomically; before the first
// chart it only shows kNoChartYet, and a cancelled dialog writes nothing.
void SaveChart(const MakerState& state, Dialogs& dialogs);
// "&Print": default printer, set-up dialog, the DPI check against the box's
// current text, then the chart centred at one chart pixel per printer pixel;
// before the first chart it only shows kNoChartYet. A file output (PDF)
// takes the box's dpi, is written only after a confirmed set-up, and the
// message names the file written.
void PrintTestChart(MakerState& state, Dialogs& dialogs, PrinterPort& printer,
                    const std::string& dpi_box_text);
// Each edge Round((page -/+ chart) / 2), ties to even.
Rect ChartPrintRectangle(int page_width, int page_height, int chart_width, int chart_height);
// Every row's label from the top, as the chart prints them.
std::vector<std::string> ChartRowLabels(int32_t dpi, int32_t wcm, int32_t hcm, int64_t lx, int32_t step,
                                        int32_t lines);

// The row (1-based) that chart pixel row `y` lies in, or 0 outside the rows
// or before the first chart.
int ChartRowAt(const TestChartState& chart, int64_t y);

// "Use this pitch": the lens pitch becomes row `row`'s label (1-based, as
// the chart shows it) and the output resolution the chart's DPI, so that
// printed at that DPI each lens lies over exactly the strips made for it.
// Before the first chart only kNoChartYet is shown. A row that is not on
// the chart, or a label or DPI the Lens group cannot take, raises a clear
// error and changes nothing.
void UseChartPitch(MakerState& state, Dialogs& dialogs, int row);

// The job of "&Print" once the printer is chosen and checked: one page with
// the chart centred at one chart pixel per printer pixel.
// False when the person declined to name the file of a file output.
bool PrintChartOnPage(const Raster& chart, PrinterPort& printer);
// "打印机DPI设置不对!" with both resolutions, e.g.
// "打印机DPI设置不对! (printer 600 dpi, chart 1200 dpi)".
std::string PrinterDpiMismatchText(int32_t printer_dpi, int32_t chart_dpi);
// The hidden "&Reset": A4, 360 dpi, the lens pitch, 11 lines, step 15.
ChartSettings ResetChartSettings(const MakerState& state);

}  // namespace lenti
