// "&Print": the preview's page picture and outline, the fit warning and the
// true-size print rectangle, checked against hand-worked pages, and the job
// a printer receives.
#include "delivery/print.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "core/bmp_writer.h"
#include "core/error.h"
#include "fake_frontend.h"
#include "fake_printer.h"
#include "finishing/text_overlay.h"

namespace lenti {
namespace {

using testing::FakePrinter;

// A frontend whose printer set-up dialog runs `on_setup` (a confirmed choice).
class SetupFrontend : public testing::FakeFrontend {
 public:
  std::function<void()> on_setup;
  std::vector<std::string>* calls = nullptr;
  bool ShowPrinterSetup() override {
    const bool confirmed = FakeFrontend::ShowPrinterSetup();
    if (calls) calls->push_back("setup");
    if (on_setup) on_setup();
    return confirmed;
  }
};

MakerState StateWithPicture(int width, int height, int64_t output_dpi_x) {
  MakerState state;
  state.merged.MergedBitmap = Raster(width, height);
  state.merged.Geometry.OutputDpiX = output_dpi_x;
  return state;
}

struct PageCase {
  const char* name;
  int printer_dpi, page_width, page_height;
  int picture_width, picture_height;
  int64_t output_dpi_x;
  // expected
  int image_width, image_height, image_left, image_top;
  Rect outline;
  bool size_over;
  Rect print_rect;
};

void PrintTo(const PageCase& c, std::ostream* os) { *os << c.name; }

// 297.5 dpi output of two frames (1698 x 2049) unless stated.
const PageCase kPages[] = {
    {"letter_at_600", 600, 4800, 6600, 1698, 2049, 2975000,
     200, 275, 142, 108, {29, 52, 171, 224}, false, {688, 1234, 4112, 5366}},
    // 5.71 - 1 inch is more than the 4 inch wide area.
    {"small_card_at_300", 300, 1200, 1800, 1698, 2049, 2975000,
     100, 150, 192, 171, {-21, -11, 121, 161}, true, {-256, -133, 1456, 1933}},
    // 0.71 inch too wide is inside the allowance; the halves 62.5 - 71 and
    // 62.5 + 71 round to even (-8, 134).
    {"five_by_six_at_300", 300, 1500, 1800, 1698, 2049, 2975000,
     125, 150, 180, 171, {-8, -11, 134, 161}, false, {-106, -133, 1606, 1933}},
    // A page picture wider than the window: Trunc(-107.5) = -107.
    {"wide_page_picture", 100, 2800, 1000, 1698, 2049, 2975000,
     700, 250, -107, 121, {279, 39, 421, 211}, false, {1115, 156, 1685, 844}},
    // The rotated picture (2049 x 1698) on the 600 dpi page; 208.5 rounds to 208.
    {"rotated_at_600", 600, 4800, 6600, 2049, 1698, 2975000,
     200, 275, 142, 108, {14, 66, 186, 208}, false, {334, 1588, 4466, 5012}},
    // At the printer's own 600 dpi the odd picture keeps its 3425 x 4001
    // device pixels from the rounded corner (687.5 and 1299.5 round to even).
    {"odd_picture_at_its_own_600", 600, 4800, 6600, 3425, 4001, 6000000,
     200, 275, 142, 108, {29, 54, 171, 220}, false, {688, 1300, 4113, 5301}},
};

class PrintPage : public ::testing::TestWithParam<PageCase> {};

TEST_P(PrintPage, LayoutWarningAndPrintRectangle) {
  const PageCase& c = GetParam();
  FakePrinter printer;
  printer.defaults = {c.printer_dpi, c.page_width, c.page_height};
  MakerState state = StateWithPicture(c.picture_width, c.picture_height, c.output_dpi_x);
  testing::FakeFrontend frontend;

  const PrintPreviewLayout layout = PreparePrint(state, frontend, printer).value();

  EXPECT_EQ(state.printer.PrinterDpi, c.printer_dpi);
  EXPECT_EQ(layout.image_width, c.image_width);
  EXPECT_EQ(layout.image_height, c.image_height);
  EXPECT_EQ(layout.image_left, c.image_left);
  EXPECT_EQ(layout.image_top, c.image_top);
  EXPECT_EQ(layout.outline, c.outline);
  const Rect& o = c.outline;
  EXPECT_EQ(layout.diagonals, (std::vector<Point>{{o.left, o.top}, {o.right, o.bottom},
                                                  {o.left, o.bottom}, {o.right, o.top}}));
  EXPECT_EQ(layout.size_over, c.size_over);

  EXPECT_EQ(PrintRectangle(c.picture_width, c.picture_height, c.output_dpi_x, c.printer_dpi,
                           c.page_width, c.page_height),
            c.print_rect);
  PrintMergedBitmap(state, printer);
  ASSERT_EQ(printer.drawn_rects.size(), 1u);
  EXPECT_EQ(printer.drawn_rects[0], c.print_rect);
}

INSTANTIATE_TEST_SUITE_P(Pages, PrintPage, ::testing::ValuesIn(kPages),
                         [](const auto& info) { return std::string(info.param.name); });

// The fit test allows exactly one inch: 78125 px at 250 dpi is 312.5 inches
// (exact in binary), on pages of 311.5 and 311 inches at 2 dpi.
TEST(PreparePrint, OneInchBeyondThePageIsNoWarningAndMoreIs) {
  const struct {
    int page_width, page_height, picture_height;
    bool size_over;
  } cases[] = {
      {623, 100, 1, false},       // 312.5 - 1 = 311.5: equal
      {622, 100, 1, true},        // 311.5 > 311
      {1000, 623, 78125, false},  // the same along the height
      {1000, 622, 78125, true},
  };
  for (const auto& c : cases) {
    FakePrinter printer;
    printer.defaults = {2, c.page_width, c.page_height};
    const int picture_width = c.picture_height == 1 ? 78125 : 1;
    MakerState state = StateWithPicture(picture_width, c.picture_height, 2500000);
    testing::FakeFrontend frontend;
    EXPECT_EQ(PreparePrint(state, frontend, printer)->size_over, c.size_over)
        << c.page_width << " x " << c.page_height;
  }
}

TEST(PreparePrint, DefaultPrinterFirstThenSetupThenItsResolution) {
  FakePrinter printer;
  printer.defaults = {600, 4800, 6600};
  printer.current = {150, 100, 100};  // an earlier set-up, forgotten
  MakerState state = StateWithPicture(1698, 2049, 2975000);
  SetupFrontend frontend;
  frontend.calls = &printer.calls;
  // The person picks a 300 dpi printer with a 1500 x 1800 area.
  frontend.on_setup = [&] { printer.current = {300, 1500, 1800}; };

  const PrintPreviewLayout layout = PreparePrint(state, frontend, printer).value();

  EXPECT_EQ(printer.calls, (std::vector<std::string>{"select", "setup"}));
  EXPECT_EQ(state.printer.PrinterDpi, 300);
  EXPECT_EQ(layout.image_width, 125);
  EXPECT_EQ(layout.image_height, 150);
}

TEST(PreparePrint, CancelledSetupStillGivesTheDefaultPrintersLayout) {
  FakePrinter printer;
  printer.current = {150, 100, 100};
  MakerState state = StateWithPicture(1698, 2049, 2975000);
  testing::FakeFrontend frontend;  // the dialog changes nothing
  const PrintPreviewLayout layout = PreparePrint(state, frontend, printer).value();
  EXPECT_EQ(frontend.printer_setup_shown, 1);
  EXPECT_EQ(state.printer.PrinterDpi, 600);
  EXPECT_EQ(layout.outline, (Rect{29, 52, 171, 224}));
}

// A file output (no printer installed) is written only after a confirmed
// set-up: a cancel opens no preview and asks nothing more.
TEST(PreparePrint, CancelledSetupOfAFileOutputStopsTheCommand) {
  for (const bool confirmed : {true, false}) {
    FakePrinter printer;
    printer.writes_file = true;
    MakerState state = StateWithPicture(1698, 2049, 2975000);
    testing::FakeFrontend frontend;
    frontend.printer_setup_confirmed = confirmed;
    EXPECT_EQ(PreparePrint(state, frontend, printer).has_value(), confirmed);
    EXPECT_EQ(state.printer.PrinterDpi, confirmed ? 600 : 0);
  }
}

// The preview's resample note comes only with a printer: a PDF file holds
// the picture's own pixels.
TEST(PreparePrint, TheResampleNoteIsForAPrinterOnly) {
  for (const bool file : {false, true}) {
    FakePrinter printer;
    printer.writes_file = file;
    MakerState state = StateWithPicture(1698, 2049, 2975000);
    testing::FakeFrontend frontend;
    const PrintPreviewLayout layout = PreparePrint(state, frontend, printer).value();
    EXPECT_EQ(layout.resample_note.empty(), file) << (file ? "PDF file" : "printer");
    EXPECT_EQ(layout.outline, (Rect{29, 52, 171, 224})) << "the rest of the layout is the same";
  }
}

// A job is titled after the picture it prints: its file once saved since
// its merge, else the program's merged picture.
TEST(PrintMergedBitmap, TheJobIsTitledAfterThePicture) {
  const struct {
    bool delivered;
    const char* saved_as;
    std::string title;
  } cases[] = {
      {false, "", kMergedPrintTitle},
      {true, "/photos/out/flip.tif", "flip.tif"},
      {false, "/photos/out/earlier.bmp", kMergedPrintTitle},  // saved before the last merge
  };
  for (const auto& c : cases) {
    FakePrinter printer;
    MakerState state = StateWithPicture(1698, 2049, 2975000);
    state.merged.Delivered = c.delivered;
    state.output.path = c.saved_as;
    ASSERT_TRUE(PrintMergedBitmap(state, printer));
    EXPECT_EQ(printer.job_title, c.title) << c.saved_as;
  }
}

TEST(PreparePrint, PrinterReportingNoResolutionRaisesInsteadOfDividingByZero) {
  FakePrinter printer;
  printer.defaults = {0, 4800, 6600};
  MakerState state = StateWithPicture(1698, 2049, 2975000);
  testing::FakeFrontend frontend;
  EXPECT_THROW(PreparePrint(state, frontend, printer), Error);
}

TEST(DrawPreviewPage, WhitePageWithBlackOutlineAndDiagonals) {
  PrintPreviewLayout layout;
  layout.image_width = 200;
  layout.image_height = 275;
  layout.outline = {29, 52, 171, 224};
  layout.diagonals = {{29, 52}, {171, 224}, {29, 224}, {171, 52}};
  const Raster page = DrawPreviewPage(layout);
  ASSERT_EQ(page.Width(), 200);
  ASSERT_EQ(page.Height(), 275);
  const struct {
    int x, y;
    Color color;
  } probes[] = {
      {0, 0, kWhite},      {199, 274, kWhite},  // the page around the outline
      {29, 52, kBlack},    {170, 52, kBlack},   // top edge, right edge exclusive
      {29, 223, kBlack},   {170, 223, kBlack},  // bottom edge
      {171, 100, kWhite},  {100, 225, kWhite},  // just outside
      {100, 224, kBlack},                       // the polyline's join along the bottom
      {100, 60, kWhite},   {40, 138, kWhite},   // inside, off the diagonals
      {100, 138, kBlack},                       // where the diagonals cross
  };
  for (const auto& p : probes) {
    EXPECT_EQ(page.PixelColor(p.x, p.y), p.color) << p.x << ", " << p.y;
  }
  // Both diagonals are drawn: the row through the middle of the left half
  // holds ink at the two diagonals, one on each side of the centre.
  int ink_left = 0, ink_right = 0;
  for (int x = 31; x < 169; ++x) {
    if (page.PixelColor(x, 95) == kBlack) (x < 100 ? ink_left : ink_right)++;
  }
  EXPECT_GT(ink_left, 0);
  EXPECT_GT(ink_right, 0);
}

TEST(PrintMergedBitmap, OneJobWithThePictureAndItsPendingText) {
  FakePrinter printer;
  MakerState state = StateWithPicture(300, 120, 2975000);
  state.printer.PrinterDpi = 600;
  state.overlay.OverlayText = "Hi";
  auto font = std::make_shared<Font>();
  font->family = "DejaVu Sans";
  font->size = 24;
  state.overlay.OverlayFont = font;
  state.overlay.TextX = 20;
  state.overlay.TextY = 20;
  const std::vector<uint8_t> before = EncodeBmp(*state.merged.MergedBitmap);

  PrintMergedBitmap(state, printer);

  EXPECT_EQ(printer.calls, (std::vector<std::string>{"begin", "draw", "end"}));
  ASSERT_EQ(printer.drawn.size(), 1u);
  Raster expected = *state.merged.MergedBitmap;
  BurnOverlayText(state, expected);
  EXPECT_NE(EncodeBmp(expected), before) << "the text drew nothing; the test proves nothing";
  EXPECT_EQ(EncodeBmp(printer.drawn[0]), EncodeBmp(expected)) << "the paper lacks the text";
  EXPECT_EQ(EncodeBmp(*state.merged.MergedBitmap), before) << "printing changed MergedBitmap";
}

TEST(PrintMergedBitmap, WithoutPendingTextThePictureItself) {
  FakePrinter printer;
  MakerState state = StateWithPicture(16, 8, 2975000);
  state.merged.MergedBitmap->SetPixelColor(3, 2, kRed);
  state.printer.PrinterDpi = 600;
  PrintMergedBitmap(state, printer);
  ASSERT_EQ(printer.drawn.size(), 1u);
  EXPECT_EQ(EncodeBmp(printer.drawn[0]), EncodeBmp(*state.merged.MergedBitmap));
}

TEST(PrintMergedBitmap, PrinterErrorsReachTheCaller) {
  FakePrinter printer;
  printer.fail_begin = true;
  MakerState state = StateWithPicture(16, 8, 2975000);
  state.printer.PrinterDpi = 600;
  try {
    PrintMergedBitmap(state, printer);
    FAIL() << "a failed job reported success";
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), "The printer is out of paper");
  }
  EXPECT_TRUE(printer.drawn.empty());
}

// A job that failed before it started is not aborted; one that failed
// after is, so that the printer drops the half page.
TEST(PrintMergedBitmap, AFailureAfterTheJobStartedAbortsIt) {
  FakePrinter printer;
  printer.fail_draw = true;
  MakerState state = StateWithPicture(16, 8, 2975000);
  state.printer.PrinterDpi = 600;
  EXPECT_THROW(PrintMergedBitmap(state, printer), Error);
  EXPECT_EQ(printer.calls, (std::vector<std::string>{"begin", "draw", "abort"}));
  printer = FakePrinter{};
  printer.fail_begin = true;
  EXPECT_THROW(PrintMergedBitmap(state, printer), Error);
  EXPECT_EQ(printer.calls, (std::vector<std::string>{"begin"}));
}

TEST(PrintMergedBitmap, NoPictureNoJob) {
  FakePrinter printer;
  MakerState state;
  PrintMergedBitmap(state, printer);
  EXPECT_TRUE(printer.calls.empty());
}

}  // namespace
}  // namespace lenti
