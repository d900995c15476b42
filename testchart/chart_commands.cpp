// The commands of the test chart window: Create, Save, Print and the hidden
// Reset, each reading the window's settings and the shared state.
#include <algorithm>
#include <cstdint>
#include <optional>

#include "delivery/picture_file.h"
#include "delivery/press_profile.h"
#include "delivery/press_save.h"
#include "delivery/print.h"
#include "delivery/save.h"
#include "core/error.h"
#include "core/lens_pitch.h"
#include "core/numerics.h"
#include "testchart/test_chart.h"

namespace lenti {
namespace {

constexpr const char* kPrinterDpiMismatch = "打印机DPI设置不对!";

// The preview shows 100 pixels per inch of chart.
int32_t PreviewLength(int chart_length, int32_t dpi) {
  return static_cast<int32_t>(Trunc(Divide(chart_length, dpi) * 100));
}

// Half of a sum or difference of pixel counts, in floating point, ties to even.
int32_t RoundHalf(int64_t twice) { return static_cast<int32_t>(Round(Extended(twice) / 2)); }

// The settings of one Create, read and converted on the window's thread.
struct ChartRequest {
  PrinterProfile printer;
  Paper paper;
  int64_t lx = 0;
  int32_t lines = 0;
  int32_t step = 0;
};

// The chart, its preview, labels and row height, made aside; the state
// changes in Finish only.
class CreateChartJob : public LongWork {
 public:
  CreateChartJob(MakerState& state, ChartView& view, const ChartRequest& request)
      : state_(state), view_(view), request_(request) {}

  void Run(ProgressSink& progress, const CancelToken& cancel) override {
    const ChartRequest& r = request_;
    // The chart's pieces, then its preview; a count refused below is never drawn.
    const int64_t pieces = ChartPieces(r.lines) + 1;
    progress.SetProgressRange(0, static_cast<int>(std::clamp<int64_t>(pieces, 1, INT32_MAX)));
    progress.SetProgress(0);
    ChartSteps steps;
    steps.piece_done = [&progress] { progress.SetProgress(progress.Progress() + 1); };
    steps.cancel = &cancel;
    const int32_t dpi = r.printer.dpi;
    chart_ = GenerateTestChart(dpi, r.paper.Wcm, r.paper.Hcm, r.lx, r.step, r.lines, steps);
    preview_ = ChartPreview(chart_, dpi);
    labels_ = ChartRowLabels(dpi, r.paper.Wcm, r.paper.Hcm, r.lx, r.step, r.lines);
    row_height_ = ComputeChartQuantities(dpi, r.paper.Wcm, r.paper.Hcm, r.lx, r.step, r.lines).RH;
    progress.SetProgress(progress.Progress() + 1);
    cancel.ThrowIfRequested();
  }

  void Finish(ProgressSink& bar) override {
    // The chart and the resolution it was made for change together: a failed
    // Create must not leave the previous chart to be saved under a new dpi.
    state_.chart.TestChart = std::move(chart_);
    state_.chart.TestDpi = request_.printer.dpi;
    state_.chart.RowLabels = std::move(labels_);
    state_.chart.RowHeight = static_cast<int32_t>(row_height_);
    view_.SetChartPreview(preview_);
    bar.SetProgress(0);
  }

 private:
  MakerState& state_;
  ChartView& view_;
  const ChartRequest request_;
  Raster chart_;
  Raster preview_;
  std::vector<std::string> labels_;
  int64_t row_height_ = 0;
};

}  // namespace

Paper ChartPaper(const PrinterProfile& printer) { return PaperTable(ChartEntryOf(printer.page)); }

int64_t LpiTextToLx(const std::string& lpi_text) {
  // The chart draws any pitch its grating allows; only a lens setting is
  // held to the lens range.
  const std::optional<LensPitch> pitch = ReadLensPitch(lpi_text);
  if (!pitch) throw InvalidFloat(lpi_text);
  return pitch->X10000();
}

std::unique_ptr<LongWork> StartCreateChart(MakerState& state, ChartView& view,
                                           const ChartSettings& settings) {
  ChartRequest request;
  request.printer.page = ChartPageAt(settings.paper_index);
  request.paper = ChartPaper(request.printer);
  request.printer.dpi = StrToInt(settings.dpi_text);
  request.lx = LpiTextToLx(settings.lpi_text);
  request.lines = StrToInt(settings.lines_text);
  request.step = StrToInt(settings.step_text);
  return std::make_unique<CreateChartJob>(state, view, request);
}

Raster ChartPreview(const Raster& chart, int32_t dpi) {
  Raster preview(PreviewLength(chart.Width(), dpi), PreviewLength(chart.Height(), dpi),
                 PixelFormat::pf1bit);
  // 1-bit onto a fresh 1-bit canvas: the AND rule keeps thin black lines.
  preview.StretchDraw(preview.ClipRect(), chart);
  return preview;
}

void SaveChart(const MakerState& state, Dialogs& dialogs) {
  if (!state.chart.TestChart) {
    dialogs.ShowMessage(kNoChartYet);
    return;
  }
  const SaveChoice choice = dialogs.AskSavePictureOrPress();
  if (choice.path.empty()) return;
  const auto dpi = static_cast<double>(state.chart.TestDpi);
  if (choice.cmyk_for_press) {
    // Black ink only, with the window's press profile embedded.
    SaveChartCmyk(*state.chart.TestChart, dpi, PressProfile::Load(state.output.press.profile), choice.path);
  } else {
    SavePictureFile(*state.chart.TestChart, choice.path, dpi);
  }
  dialogs.ShowMessage(SavedMessage(choice.path));
}

void PrintTestChart(MakerState& state, Dialogs& dialogs, PrinterPort& printer,
                    const std::string& dpi_box_text) {
  if (!state.chart.TestChart) {
    dialogs.ShowMessage(kNoChartYet);
    return;
  }
  printer.SelectDefaultPrinter();
  const bool confirmed = dialogs.ShowPrinterSetup();
  if (printer.WritesFile()) {
    // A cancelled set-up writes no file. A file has no resolution of its
    // own: it takes the chart's, one chart pixel per file pixel.
    if (!confirmed) return;
    const int32_t chart_dpi = StrToInt(dpi_box_text);
    if (IsPrinterDpi(chart_dpi)) printer.UseFileResolution(chart_dpi);
  }
  state.printer.PrinterDpi = printer.DpiX();
  // What the DPI box shows now, not the dpi the chart was made with.
  const int32_t box_dpi = StrToInt(dpi_box_text);
  if (box_dpi != state.printer.PrinterDpi) {
    dialogs.ShowMessage(PrinterDpiMismatchText(state.printer.PrinterDpi, box_dpi));
    return;
  }
  if (!PrintChartOnPage(*state.chart.TestChart, printer)) return;
  const std::string written = printer.WrittenFile();
  if (!written.empty()) dialogs.ShowMessage(WrittenFileMessage(written));
}

std::string PrinterDpiMismatchText(int32_t printer_dpi, int32_t chart_dpi) {
  return Format("%s (printer %d dpi, chart %d dpi)", kPrinterDpiMismatch, printer_dpi, chart_dpi);
}

bool PrintChartOnPage(const Raster& chart, PrinterPort& printer) {
  printer.SetJobTitle(kChartPrintTitle);
  const Rect dest =
      ChartPrintRectangle(printer.PageWidth(), printer.PageHeight(), chart.Width(), chart.Height());
  return PrintOnePage(printer, dest, chart);
}

Rect ChartPrintRectangle(int page_width, int page_height, int chart_width, int chart_height) {
  const int64_t pw = page_width, ph = page_height, cw = chart_width, ch = chart_height;
  // The chart is drawn at the printer's resolution: one chart pixel per
  // device pixel, so the rectangle is the chart's size from its rounded corner.
  const int32_t left = RoundHalf(pw - cw);
  const int32_t top = RoundHalf(ph - ch);
  return Rect{left, top, left + chart_width, top + chart_height};
}

std::vector<std::string> ChartRowLabels(int32_t dpi, int32_t wcm, int32_t hcm, int64_t lx, int32_t step,
                                        int32_t lines) {
  const ChartQuantities q = ComputeChartQuantities(dpi, wcm, hcm, lx, step, lines);
  std::vector<std::string> labels;
  for (int i = 1; i <= lines; ++i) labels.push_back(RowLabel(q, RowSourceWidth(q, i, step), dpi));
  return labels;
}

int ChartRowAt(const TestChartState& chart, int64_t y) {
  if (!chart.TestChart || chart.RowHeight < 1 || y < 0) return 0;
  const int64_t row = y / chart.RowHeight + 1;
  return row <= static_cast<int64_t>(chart.RowLabels.size()) ? static_cast<int>(row) : 0;
}

void UseChartPitch(MakerState& state, Dialogs& dialogs, int row) {
  if (!state.chart.TestChart) {
    dialogs.ShowMessage(kNoChartYet);
    return;
  }
  const auto rows = static_cast<int>(state.chart.RowLabels.size());
  if (row < 1 || row > rows) throw Error(Format("Pick one of the chart's rows 1 to %d", rows));
  const std::string& label = state.chart.RowLabels[static_cast<size_t>(row - 1)];
  const LensPitch pitch = LensPitch::FromX10000(LpiTextToLx(label));
  if (!InLensPitchRange(pitch)) {
    throw Error(Format("Row %d's %s lpi cannot be used: the lens pitch must lie between %s lpi", row,
                       label.c_str(), LensPitchRangeText().c_str()));
  }
  const int32_t dpi = state.chart.TestDpi;
  if (dpi < kMinNativeDpi || dpi > kMaxNativeDpi) {
    throw Error(Format("A chart made at %d dpi cannot be used: the output resolution must lie between "
                       "%d and %d dpi",
                       dpi, kMinNativeDpi, kMaxNativeDpi));
  }
  state.lens.LensLpiX = pitch.X10000();
  state.lens.OutputDpi = dpi;
}

ChartSettings ResetChartSettings(const MakerState& state) {
  ChartSettings settings;
  settings.paper_index = 0;
  settings.dpi_text = "360";
  settings.lpi_text = LensPitch::FromX10000(state.lens.LensLpiX).Text();
  settings.lines_text = "11";
  settings.step_text = "15";
  return settings;
}

}  // namespace lenti
