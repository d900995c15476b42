// The window's commands against a scripted frontend and printer: Create
// replaces the chart only when it succeeds, Save writes the stamped 1-bit
// file, Print checks the printer against the DPI box and centres the chart.
#include <gtest/gtest.h>
#include <tiffio.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <ostream>
#include <string>
#include <vector>

#include "core/error.h"
#include "cancel_after_steps.h"
#include "comma_locale.h"
#include "chart_to_end.h"
#include "fake_frontend.h"
#include "delivery/print.h"
#include "testchart/test_chart.h"

#include "temp_dir.h"
#include "error_of.h"

namespace lenti {
namespace {

namespace fs = std::filesystem;
using testing::FakeFrontend;

// Records every call; the page and resolution are set by the test. As a
// file output (`file` not empty) it takes the resolution it is given and
// names the file it wrote.
class FakePrinter : public PrinterPort {
 public:
  int page_width = 4800, page_height = 6600, dpi = 600;
  std::string file;          // "" for a printer
  bool decline_file = false; // the person cancels the file's save dialog
  bool fail_end = false;     // the job fails once started
  std::vector<std::string> calls;
  Rect drawn_at{};
  Size drawn_size{};
  std::string job_title;
  void SetJobTitle(const std::string& title) override { job_title = title; }
  std::string written;

  void SelectDefaultPrinter() override { calls.push_back("default"); }
  int PageWidth() const override { return page_width; }
  int PageHeight() const override { return page_height; }
  int DpiX() const override { return dpi; }
  bool WritesFile() const override { return !file.empty(); }
  void UseFileResolution(int file_dpi) override {
    calls.push_back("file dpi");
    if (WritesFile()) dpi = file_dpi;
  }
  bool BeginDoc() override {
    calls.push_back("begin");
    written.clear();
    return !(WritesFile() && decline_file);
  }
  void StretchDraw(const Rect& dest, const Raster& raster) override {
    calls.push_back("draw");
    drawn_at = dest;
    drawn_size = Size{raster.Width(), raster.Height()};
  }
  void EndDoc() override {
    calls.push_back("end");
    if (fail_end) throw Error("The printer ran out of paper");
    written = file;
  }
  void Abort() override { calls.push_back("abort"); }
  std::string WrittenFile() const override { return written; }
  bool Printed() const { return !calls.empty() && calls.back() == "end"; }
};

ChartSettings Settings(const std::string& dpi, const std::string& lpi = "40", int paper = 0) {
  ChartSettings settings;
  settings.paper_index = paper;
  settings.dpi_text = dpi;
  settings.lpi_text = lpi;
  return settings;
}

using lenti::testing::TempDir;

std::vector<uint8_t> ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

uint32_t U32(const std::vector<uint8_t>& b, size_t at) {
  return b[at] | (uint32_t{b[at + 1]} << 8) | (uint32_t{b[at + 2]} << 16) |
         (uint32_t{b[at + 3]} << 24);
}
uint16_t U16(const std::vector<uint8_t>& b, size_t at) {
  return static_cast<uint16_t>(b[at] | (b[at + 1] << 8));
}

const auto ErrorText = lenti::testing::ErrorOf;

// ------------------------------------------------------------------ Create

TEST(CreateChart, MakesTheChartAndItsPreview) {
  MakerState state;
  FakeFrontend frontend;
  CreateChartToEnd(state, frontend, Settings("1200"));
  ASSERT_TRUE(state.chart.TestChart.has_value());
  EXPECT_EQ(state.chart.TestChart->Width(), 6142);
  EXPECT_EQ(state.chart.TestChart->Height(), 10866);
  EXPECT_EQ(state.chart.TestDpi, 1200);
  ASSERT_TRUE(frontend.chart_preview.has_value());
  EXPECT_EQ(frontend.chart_preview->Width(), 511);
  EXPECT_EQ(frontend.chart_preview->Height(), 905);
}

TEST(CreateChart, ReadsPaperAndTypedDpiFromTheSettings) {
  const struct {
    ChartSettings settings;
    int width, height, dpi;
  } cases[] = {
      {Settings("1200", "40", 1), 9921, 17008, 1200},  // A3
      {Settings("600", "40", 2), 3543, 4488, 600},     // 8' x 10'
      {Settings(" 250"), 1280, 2264, 250},             // any typed integer
      {ResetChartSettings(MakerState{}), 1843, 3260, 360},
  };
  for (const auto& c : cases) {
    MakerState state;
    FakeFrontend frontend;
    CreateChartToEnd(state, frontend, c.settings);
    ASSERT_TRUE(state.chart.TestChart.has_value());
    EXPECT_EQ(state.chart.TestChart->Width(), c.width) << c.settings.dpi_text;
    EXPECT_EQ(state.chart.TestChart->Height(), c.height) << c.settings.dpi_text;
    EXPECT_EQ(state.chart.TestDpi, c.dpi);
  }
}

struct FailedCreate {
  const char* name;
  ChartSettings settings;
  const char* text;
};
void PrintTo(const FailedCreate& c, std::ostream* os) { *os << c.name; }

ChartSettings WithLines(const std::string& lines) {
  ChartSettings s = Settings("600");
  s.lines_text = lines;
  return s;
}
ChartSettings WithStep(const std::string& step) {
  ChartSettings s = Settings("600");
  s.step_text = step;
  return s;
}

const FailedCreate kFailedCreates[] = {
    {"dpi_not_a_number", Settings("abc"), "'abc' is not a valid integer value"},
    {"dpi_empty", Settings(""), "'' is not a valid integer value"},
    {"lpi_not_a_number", Settings("600", "4o"), "'4o' is not a valid floating point value"},
    {"lines_not_a_number", WithLines("eleven"), "'eleven' is not a valid integer value"},
    {"step_not_a_number", WithStep("1.5"), "'1.5' is not a valid integer value"},
    {"lpi_zero", Settings("600", "0"), "Floating point division by zero"},
    {"lpi_negative", Settings("600", "-40"), "The LPI must be greater than 0 (it is -40)."},
    {"lpi_too_high", Settings("600", "1200"),
     "The LPI is too high for 600 dpi: it must be below 1200 (twice the DPI), or the bars would "
     "be less than a pixel apart."},
    {"dpi_zero", Settings("0"), "The DPI must be at least 1 (it is 0)."},
    {"lines_zero", WithLines("0"), "The number of lines must be at least 1 (it is 0)."},
    {"step_zero", WithStep("0"), "The step must be at least 1 pixel (it is 0)."},
    {"empty_size_entry", Settings("600", "40", 3),
     "The paper is too narrow for the chart: it must be wider than 12 cm (it is 11 cm)."},
};

class FailedCreateTest : public ::testing::TestWithParam<FailedCreate> {};

// A failed Create leaves the previous chart, its dpi and its preview exactly
// as they were (so a later Save still stamps the chart's own resolution), and
// the cursor comes back.
TEST_P(FailedCreateTest, KeepsThePreviousChartAndRestoresTheCursor) {
  MakerState state;
  FakeFrontend frontend;
  CreateChartToEnd(state, frontend, Settings("300"));
  const Raster before = *state.chart.TestChart;
  frontend.chart_preview.reset();
  frontend.screen_cursors.clear();

  EXPECT_EQ(ErrorText([&] { CreateChartToEnd(state, frontend, GetParam().settings); }),
            GetParam().text);
  ASSERT_TRUE(state.chart.TestChart.has_value());
  EXPECT_EQ(state.chart.TestChart->Width(), before.Width());
  EXPECT_EQ(state.chart.TestChart->Height(), before.Height());
  EXPECT_EQ(0, std::memcmp(state.chart.TestChart->Bits(), before.Bits(),
                           before.Stride() * static_cast<size_t>(before.Height())));
  EXPECT_EQ(state.chart.TestDpi, 300);
  EXPECT_FALSE(frontend.chart_preview.has_value());
  EXPECT_EQ(frontend.ScreenCursor(), Cursor::Default);
}

INSTANTIATE_TEST_SUITE_P(Settings, FailedCreateTest, ::testing::ValuesIn(kFailedCreates),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CreateChart, FailedFirstCreateLeavesNoChart) {
  MakerState state;
  FakeFrontend frontend;
  EXPECT_EQ(ErrorText([&] { CreateChartToEnd(state, frontend, Settings("1200", "x")); }),
            "'x' is not a valid floating point value");
  EXPECT_FALSE(state.chart.TestChart.has_value());
  EXPECT_EQ(frontend.ScreenCursor(), Cursor::Default);
}

// A Create cancelled at any moment, before its first piece, between two
// rows or after its preview, keeps the previous chart, its dpi, its rows
// and its preview; run to its end it reports every piece.
TEST(CreateChartWork, ACancelAtAnyMomentKeepsThePreviousChart) {
  MakerState state;
  FakeFrontend frontend;
  CreateChartToEnd(state, frontend, Settings("300"));
  const TestChartState before = state.chart;
  const Raster preview = *frontend.chart_preview;
  const ChartSettings other = Settings("600", "45", 1);
  // The first position, each piece of the chart, the preview.
  const int reports = 1 + static_cast<int>(ChartPieces(11)) + 1;
  for (int moment = 0; moment <= reports; ++moment) {
    std::unique_ptr<LongWork> work = StartCreateChart(state, frontend, other);
    CancelToken token;
    testing::CancelAfterSteps progress(token, moment);
    EXPECT_THROW(work->Run(progress, token), Cancelled) << "moment " << moment;
    ASSERT_TRUE(state.chart.TestChart.has_value());
    EXPECT_EQ(state.chart.TestChart->Width(), before.TestChart->Width());
    EXPECT_EQ(0, std::memcmp(state.chart.TestChart->Bits(), before.TestChart->Bits(),
                             before.TestChart->Stride() * static_cast<size_t>(before.TestChart->Height())));
    EXPECT_EQ(state.chart.TestDpi, 300);
    EXPECT_EQ(state.chart.RowLabels, before.RowLabels);
    EXPECT_EQ(state.chart.RowHeight, before.RowHeight);
    EXPECT_EQ(frontend.chart_preview->Width(), preview.Width()) << "moment " << moment;
    EXPECT_EQ(frontend.chart_preview->Height(), preview.Height());
  }

  std::unique_ptr<LongWork> work = StartCreateChart(state, frontend, other);
  CancelToken never;
  testing::CancelAfterSteps progress(never, 1000);
  work->Run(progress, never);
  EXPECT_EQ(progress.Maximum(), reports - 1);
  EXPECT_EQ(progress.Progress(), reports - 1) << "the bar reaches its end";
  work->Finish(progress);
  // The chart the command line draws for the same settings (A3, 600 dpi, 45 lpi).
  const Paper a3 = PaperTable(1);
  const Raster expected = GenerateTestChart(600, a3.Wcm, a3.Hcm, 450000, 10, 11);
  ASSERT_EQ(state.chart.TestChart->Width(), expected.Width());
  ASSERT_EQ(state.chart.TestChart->Height(), expected.Height());
  EXPECT_EQ(0, std::memcmp(state.chart.TestChart->Bits(), expected.Bits(),
                           expected.Stride() * static_cast<size_t>(expected.Height())));
  EXPECT_EQ(state.chart.TestDpi, 600);
  EXPECT_EQ(state.chart.RowLabels, ChartRowLabels(600, a3.Wcm, a3.Hcm, 450000, 10, 11));
  EXPECT_EQ(frontend.chart_preview->Width(), expected.Width() * 100 / 600);
}

// Settings that do not convert are refused on the window's thread, before
// any work; a chart the checks refuse fails in the work with the state kept.
TEST(CreateChartWork, ConversionErrorsComeBeforeTheWork) {
  MakerState state;
  FakeFrontend frontend;
  EXPECT_EQ(ErrorText([&] { StartCreateChart(state, frontend, Settings("abc")); }),
            "'abc' is not a valid integer value");
  std::unique_ptr<LongWork> work = StartCreateChart(state, frontend, Settings("600", "1200"));
  EXPECT_THROW(RunToEnd(*work), Error);
  EXPECT_FALSE(state.chart.TestChart.has_value());
  EXPECT_FALSE(frontend.chart_preview.has_value());
}

// -------------------------------------------------------------------- Save

TEST(SaveChart, WritesTheStampedOneBitLayout) {
  const struct {
    const char* dpi;
    int32_t ppm;
  } cases[] = {{"1200", 47233}, {"300", 11808}, {"360", 14170}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.dpi);
    TempDir dir;
    MakerState state;
    FakeFrontend frontend;
    CreateChartToEnd(state, frontend, Settings(c.dpi));
    frontend.save_answers = {dir.File("chart.bmp")};
    SaveChart(state, frontend);
    EXPECT_EQ(frontend.messages, std::vector<std::string>{"Saved to \"" + dir.File("chart.bmp") + "\"."});

    const Raster& chart = *state.chart.TestChart;
    const std::vector<uint8_t> file = ReadAll(dir.File("chart.bmp"));
    const size_t row = (static_cast<size_t>(chart.Width()) + 31) / 32 * 4;
    const size_t pixels = row * static_cast<size_t>(chart.Height());
    ASSERT_EQ(file.size(), 62 + pixels);
    EXPECT_EQ(file[0], 'B');
    EXPECT_EQ(file[1], 'M');
    EXPECT_EQ(U32(file, 2), 62 + pixels);
    EXPECT_EQ(U32(file, 10), 62u);  // bfOffBits
    EXPECT_EQ(U32(file, 14), 40u);
    EXPECT_EQ(U32(file, 18), static_cast<uint32_t>(chart.Width()));
    EXPECT_EQ(U32(file, 22), static_cast<uint32_t>(chart.Height()));
    EXPECT_EQ(U16(file, 28), 1);    // bits per pixel
    EXPECT_EQ(U32(file, 34), pixels);
    EXPECT_EQ(U32(file, 38), static_cast<uint32_t>(c.ppm));
    EXPECT_EQ(U32(file, 42), static_cast<uint32_t>(c.ppm));
    EXPECT_EQ(U32(file, 46), 2u);   // biClrUsed
    const std::vector<uint8_t> table(file.begin() + 54, file.begin() + 62);
    EXPECT_EQ(table, (std::vector<uint8_t>{0, 0, 0, 0, 255, 255, 255, 0}));
    // Bottom row first, the chart's bits unchanged.
    for (int y : {0, chart.Height() / 2, chart.Height() - 1}) {
      const size_t at = 62 + row * static_cast<size_t>(chart.Height() - 1 - y);
      EXPECT_EQ(0, std::memcmp(file.data() + at, chart.Row(y), row)) << "row " << y;
    }
    EXPECT_EQ(dir.Count(), 1u);  // no temporary file left beside it
  }
}

// "TIFF, CMYK for press": the chart from the black plate alone, every bar
// C = M = Y = 0 and K full, every gap no ink.
TEST(SaveChart, ForThePressEveryPixelIsPureK) {
  TempDir dir;
  MakerState state;
  FakeFrontend frontend;
  CreateChartToEnd(state, frontend, Settings("300"));
  frontend.save_answers = {dir.File("chart.tif")};
  frontend.press_answers = {true};
  SaveChart(state, frontend);
  TIFF* tif = TIFFOpen(dir.File("chart.tif").c_str(), "r");
  ASSERT_NE(tif, nullptr);
  uint16_t photometric = 0;
  TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &photometric);
  EXPECT_EQ(photometric, PHOTOMETRIC_SEPARATED);
  const Raster& chart = *state.chart.TestChart;
  std::vector<uint8_t> row(static_cast<size_t>(TIFFScanlineSize(tif)));
  ASSERT_EQ(row.size(), static_cast<size_t>(chart.Width()) * 4);
  // A compressed file is read row after row.
  for (int y = 0; y < chart.Height(); ++y) {
    ASSERT_EQ(TIFFReadScanline(tif, row.data(), static_cast<uint32_t>(y)), 1);
    for (int x = 0; x < chart.Width(); ++x) {
      const uint8_t k = chart.PixelColor(x, y) == kBlack ? 255 : 0;
      ASSERT_TRUE(row[4 * x] == 0 && row[4 * x + 1] == 0 && row[4 * x + 2] == 0 && row[4 * x + 3] == k)
          << x << ", " << y;
    }
  }
  TIFFClose(tif);
}

TEST(SaveChart, CancelledDialogWritesNothing) {
  TempDir dir;
  MakerState state;
  FakeFrontend frontend;
  CreateChartToEnd(state, frontend, Settings("300"));
  frontend.save_answers = {""};
  SaveChart(state, frontend);
  EXPECT_EQ(frontend.save_dialogs_shown, 1);
  EXPECT_EQ(dir.Count(), 0u);
}

// Save stamps the dpi the chart was made with, whatever the box shows now.
TEST(SaveChart, StampsTheChartsDpiAfterTheBoxChanged) {
  TempDir dir;
  MakerState state;
  FakeFrontend frontend;
  CreateChartToEnd(state, frontend, Settings("300"));
  // A later Create that fails after a valid DPI does not change it either.
  EXPECT_NE(ErrorText([&] { CreateChartToEnd(state, frontend, Settings("600", "abc")); }), "<no error>");
  frontend.save_answers = {dir.File("chart.bmp")};
  SaveChart(state, frontend);
  const std::vector<uint8_t> file = ReadAll(dir.File("chart.bmp"));
  ASSERT_GE(file.size(), 46u);
  EXPECT_EQ(U32(file, 38), 11808u);
}

TEST(SaveChart, FailedWriteLeavesAnExistingFileUntouched) {
  TempDir dir;
  MakerState state;
  FakeFrontend frontend;
  CreateChartToEnd(state, frontend, Settings("300"));
  frontend.save_answers = {dir.File("missing/chart.bmp")};
  EXPECT_NE(ErrorText([&] { SaveChart(state, frontend); }), "<no error>");
  EXPECT_EQ(dir.Count(), 0u);
}

// ----------------------------------------------------- before the first chart

TEST(ChartCommands, SaveAndPrintBeforeCreateOnlySayThereIsNoChart) {
  MakerState state;
  FakeFrontend frontend;
  FakePrinter printer;
  frontend.save_answers = {"/tmp/never_written.bmp"};
  SaveChart(state, frontend);
  PrintTestChart(state, frontend, printer, "600");
  EXPECT_EQ(frontend.messages, (std::vector<std::string>{kNoChartYet, kNoChartYet}));
  EXPECT_EQ(frontend.save_dialogs_shown, 0);
  EXPECT_EQ(frontend.printer_setup_shown, 0);
  EXPECT_TRUE(printer.calls.empty());
  EXPECT_EQ(state.printer.PrinterDpi, 0);
}

// Reset writes the lens pitch into the LPI box and Create reads it back,
// under a comma locale too; "39.5" and "39,5" both mean 39.5 lines there.
TEST(ResetChartSettings, WhatResetWritesCreateReadsUnderACommaLocale) {
  testing::CommaLocale comma;
  if (!comma.available()) GTEST_SKIP() << "localedef is not installed";
  ASSERT_TRUE(comma.active());
  MakerState state;
  state.lens.LensLpiX = 212500;
  const ChartSettings reset = ResetChartSettings(state);
  EXPECT_EQ(reset.lpi_text, "21.25");
  EXPECT_EQ(LpiTextToLx(reset.lpi_text), 212500);
  EXPECT_EQ(LpiTextToLx("39.5"), 395000);
  EXPECT_EQ(LpiTextToLx("39,5"), 395000);
}

// ------------------------------------------------------------------- Print

struct PrintCase {
  const char* name;
  int printer_dpi;
  const char* box;
  bool printed;
  const char* message;  // "" for none
  const char* error;    // "" for none
};
void PrintTo(const PrintCase& c, std::ostream* os) { *os << c.name; }

// The chart was made at 600 dpi; the box is read at the time of printing.
const PrintCase kPrintCases[] = {
    {"printer_matches", 600, "600", true, "", ""},
    {"printer_below_the_box", 600, "1200", false, "打印机DPI设置不对! (printer 600 dpi, chart 1200 dpi)", ""},
    {"printer_above_the_box", 1200, "600", false, "打印机DPI设置不对! (printer 1200 dpi, chart 600 dpi)", ""},
    {"box_changed_to_the_printer", 1200, "1200", true, "", ""},
    {"box_not_a_number", 600, "6OO", false, "", "'6OO' is not a valid integer value"},
};

class PrintTest : public ::testing::TestWithParam<PrintCase> {};

TEST_P(PrintTest, ChecksThePrinterAgainstTheBoxNow) {
  const PrintCase& c = GetParam();
  MakerState state;
  FakeFrontend frontend;
  FakePrinter printer;
  printer.dpi = c.printer_dpi;
  CreateChartToEnd(state, frontend, Settings("600"));
  const std::string error = ErrorText([&] { PrintTestChart(state, frontend, printer, c.box); });
  EXPECT_EQ(error, *c.error ? c.error : "<no error>");
  EXPECT_EQ(printer.Printed(), c.printed);
  EXPECT_EQ(frontend.messages,
            *c.message ? std::vector<std::string>{c.message} : std::vector<std::string>{});
  // The default printer is chosen and the set-up shown before the check.
  ASSERT_FALSE(printer.calls.empty());
  EXPECT_EQ(printer.calls.front(), "default");
  EXPECT_EQ(frontend.printer_setup_shown, 1);
  EXPECT_EQ(state.printer.PrinterDpi, c.printer_dpi);
  if (c.printed) {
    EXPECT_EQ(printer.calls, (std::vector<std::string>{"default", "begin", "draw", "end"}));
    EXPECT_EQ(printer.drawn_size, (Size{3071, 5433}));
  }
}

INSTANTIATE_TEST_SUITE_P(Printers, PrintTest, ::testing::ValuesIn(kPrintCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The 3071 x 5433 chart keeps its size in device pixels, from the corner
// whose halves round to even.
TEST(PrintTestChart, CentresTheA4ChartAt600DpiAtItsOwnSize) {
  MakerState state;
  FakeFrontend frontend;
  FakePrinter printer;
  CreateChartToEnd(state, frontend, Settings("600"));
  PrintTestChart(state, frontend, printer, "600");
  EXPECT_EQ(printer.drawn_at, (Rect{864, 584, 3935, 6017}));
  EXPECT_EQ(printer.job_title, kChartPrintTitle) << "never a name saved from the main window";
}

// A PDF file takes the box's dpi, so every chart prints to a file at one
// chart pixel per file pixel; a cancelled set-up or save dialog writes nothing.
struct FilePrintCase {
  const char* name;
  bool setup_confirmed;
  bool decline_file;
  std::vector<std::string> calls;
  std::vector<std::string> messages;
};
void PrintTo(const FilePrintCase& c, std::ostream* os) { *os << c.name; }

class FilePrintTest : public ::testing::TestWithParam<FilePrintCase> {};

TEST_P(FilePrintTest, TakesTheChartsDpiAndSaysWhereTheFileWent) {
  const FilePrintCase& c = GetParam();
  MakerState state;
  FakeFrontend frontend;
  frontend.printer_setup_confirmed = c.setup_confirmed;
  FakePrinter printer;
  printer.file = "/home/someone/chart.pdf";
  printer.dpi = 1200;  // the file output's start value
  printer.decline_file = c.decline_file;
  CreateChartToEnd(state, frontend, Settings("600"));
  PrintTestChart(state, frontend, printer, "600");
  EXPECT_EQ(printer.calls, c.calls);
  EXPECT_EQ(frontend.messages, c.messages);
  if (c.setup_confirmed) {
    EXPECT_EQ(state.printer.PrinterDpi, 600);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Files, FilePrintTest,
    ::testing::Values(
        FilePrintCase{"confirmed", true, false,
                      {"default", "file dpi", "begin", "draw", "end"},
                      {"Printed to \"/home/someone/chart.pdf\"."}},
        FilePrintCase{"setup_cancelled", false, false, {"default"}, {}},
        FilePrintCase{"no_file_named", true, true, {"default", "file dpi", "begin"}, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PrintTestChart, AFailureAfterTheJobStartedAbortsIt) {
  MakerState state;
  FakeFrontend frontend;
  FakePrinter printer;
  printer.fail_end = true;
  CreateChartToEnd(state, frontend, Settings("600"));
  EXPECT_EQ(ErrorText([&] { PrintTestChart(state, frontend, printer, "600"); }),
            "The printer ran out of paper");
  EXPECT_EQ(printer.calls, (std::vector<std::string>{"default", "begin", "draw", "end", "abort"}));
  EXPECT_TRUE(frontend.messages.empty());
}

// The corner's halves round to even; the size is always the chart's own.
TEST(ChartPrintRectangle, TheChartsOwnSizeFromARoundedCorner) {
  const struct {
    int pw, ph, cw, ch;
    Rect expected;
  } cases[] = {
      {4800, 6600, 3071, 5433, {864, 584, 3935, 6017}},  // 864.5 and 583.5 round to even
      {4800, 6600, 3072, 5432, {864, 584, 3936, 6016}},  // even chart
      {4801, 6601, 3071, 5433, {865, 584, 3936, 6017}},  // even free space
      {1000, 1000, 1200, 1000, {-100, 0, 1100, 1000}},   // chart wider than the page
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ChartPrintRectangle(c.pw, c.ph, c.cw, c.ch), c.expected)
        << c.pw << "x" << c.ph << " / " << c.cw << "x" << c.ch;
  }
}

// ------------------------------------------------------------------- Reset

TEST(ResetChartSettings, A4At360DpiWithTheLensPitchAndStep15) {
  MakerState state;
  const ChartSettings reset = ResetChartSettings(state);
  EXPECT_EQ(reset.paper_index, 0);
  EXPECT_EQ(reset.dpi_text, "360");
  EXPECT_EQ(reset.lpi_text, "21.25");
  EXPECT_EQ(reset.lines_text, "11");
  EXPECT_EQ(reset.step_text, "15");
  state.lens.LensLpiX = 400000;
  EXPECT_EQ(ResetChartSettings(state).lpi_text, "40");
  state.lens.LensLpiX = 212345;
  EXPECT_EQ(ResetChartSettings(state).lpi_text, "21.2345");
}

}  // namespace
}  // namespace lenti
