// "&Print": the page picture of the preview (25 px per inch) and the print
// at true size. Every quantity is computed in 80-bit Extended with Round
// (ties to even) and Trunc (toward zero), in the order written, so the
// outline and the print rectangle land on the same pixels every time.
#include "delivery/print.h"

#include <filesystem>
#include <optional>

#include "core/error.h"
#include "core/numerics.h"
#include "delivery/press_print.h"
#include "finishing/text_overlay.h"

namespace lenti {
namespace {

// The preview window's outer size: the page picture is centred on it.
constexpr int kPreviewWidth = 485;
constexpr int kPreviewHeight = 492;
// The preview shows the page at 25 pixels per inch.
constexpr Extended kPreviewPixelsPerInch = 25;
// The fixed-point scale of OutputDpiX.
constexpr Extended kDpiScale = 10000;

int32_t RoundToInt(Extended value) { return static_cast<int32_t>(Round(value)); }
int32_t TruncToInt(Extended value) { return static_cast<int32_t>(Trunc(value)); }

// Inches the picture covers: pixels / OutputDpiX x 10000.
Extended PictureInches(int pixels, int64_t output_dpi_x) {
  return Divide(pixels, static_cast<Extended>(output_dpi_x)) * kDpiScale;
}

// The output's outline, centred on the page picture, and its diagonals.
void PlaceOutline(PrintPreviewLayout& layout, const Raster& picture, int64_t output_dpi_x) {
  const Extended w = Trunc(Divide(picture.Width(), static_cast<Extended>(output_dpi_x)) *
                           kPreviewPixelsPerInch * kDpiScale);
  const Extended h = Trunc(Divide(picture.Height(), static_cast<Extended>(output_dpi_x)) *
                           kPreviewPixelsPerInch * kDpiScale);
  const Extended half_w = static_cast<Extended>(layout.image_width) / 2;
  const Extended half_h = static_cast<Extended>(layout.image_height) / 2;
  const Rect outline{RoundToInt(half_w - w / 2), RoundToInt(half_h - h / 2),
                     RoundToInt(half_w + w / 2), RoundToInt(half_h + h / 2)};
  layout.outline = outline;
  layout.diagonals = {{outline.left, outline.top},
                      {outline.right, outline.bottom},
                      {outline.left, outline.bottom},
                      {outline.right, outline.top}};
}

// More than one inch beyond the printable area in either direction; equal
// sizes are no warning.
bool SizeOver(const Raster& picture, int64_t output_dpi_x, const PrinterPort& printer,
              int printer_dpi) {
  const Extended page_w = Divide(printer.PageWidth(), static_cast<Extended>(printer_dpi));
  const Extended page_h = Divide(printer.PageHeight(), static_cast<Extended>(printer_dpi));
  if (PictureInches(picture.Width(), output_dpi_x) - 1 > page_w) return true;
  return PictureInches(picture.Height(), output_dpi_x) - 1 > page_h;
}

}  // namespace

std::optional<PrintPreviewLayout> PreparePrint(MakerState& state, Dialogs& dialogs,
                                               PrinterPort& printer) {
  printer.SelectDefaultPrinter();
  // A printer prints whatever the set-up's outcome (a cancel keeps the
  // default printer); a file is written only after a confirmed set-up.
  if (!dialogs.ShowPrinterSetup() && printer.WritesFile()) return std::nullopt;
  state.printer.PrinterDpi = printer.DpiX();
  const Extended dpi = state.printer.PrinterDpi;

  PrintPreviewLayout layout;
  layout.image_width = RoundToInt(Divide(printer.PageWidth(), dpi) * kPreviewPixelsPerInch);
  layout.image_height = RoundToInt(Divide(printer.PageHeight(), dpi) * kPreviewPixelsPerInch);
  layout.image_left = TruncToInt(static_cast<Extended>(kPreviewWidth - layout.image_width) / 2);
  layout.image_top = TruncToInt(static_cast<Extended>(kPreviewHeight - layout.image_height) / 2);
  // Without a picture the page is shown empty (the command is disabled
  // until the first merge).
  if (!state.merged.MergedBitmap) return layout;
  const int64_t output_dpi_x = state.merged.Geometry.OutputDpiX;
  PlaceOutline(layout, *state.merged.MergedBitmap, output_dpi_x);
  layout.size_over = SizeOver(*state.merged.MergedBitmap, output_dpi_x, printer, state.printer.PrinterDpi);
  // A PDF file keeps the picture's own pixels, whatever its page resolution:
  // only a printer resamples.
  if (!printer.WritesFile()) layout.resample_note = ResampleNote(output_dpi_x, state.printer.PrinterDpi);
  return layout;
}

std::string ResampleNote(int64_t output_dpi_x, int printer_dpi) {
  if (printer_dpi <= 0 || output_dpi_x == int64_t{printer_dpi} * 10000) return "";
  const std::string picture = FloatToStr(static_cast<Extended>(output_dpi_x) / 10000);
  std::string note = Format("The printer will resample: it prints at %d dpi, the picture is %s dpi. "
                            "An output resolution of %d dpi in the Lens group avoids it",
                            printer_dpi, picture.c_str(), printer_dpi);
  if (output_dpi_x % 10000 == 0) note += Format(", or a printer set to %s dpi", picture.c_str());
  return note + ".";
}

Raster DrawPreviewPage(const PrintPreviewLayout& layout) {
  // A fresh raster is white with the default black pen and white brush.
  Raster page(layout.image_width, layout.image_height);
  if (page.Empty() || layout.diagonals.empty()) return page;
  const Rect& o = layout.outline;
  page.Rectangle(o.left, o.top, o.right, o.bottom);
  page.Polyline(layout.diagonals);
  return page;
}

Rect PrintRectangle(int picture_width, int picture_height, int64_t output_dpi_x, int printer_dpi,
                    int page_width, int page_height) {
  const Extended dpi_x = static_cast<Extended>(output_dpi_x);
  // Printer pixels the picture covers at true size, not rounded.
  const Extended wp = Divide(picture_width, dpi_x) * printer_dpi * kDpiScale;
  const Extended hp = Divide(picture_height, dpi_x) * printer_dpi * kDpiScale;
  const Extended pw = page_width;
  const Extended ph = page_height;
  const Rect centred{RoundToInt((pw - wp) / 2), RoundToInt((ph - hp) / 2), RoundToInt((wp + pw) / 2),
                     RoundToInt((hp + ph) / 2)};
  // Rounding both edges of an odd size would draw the picture a device pixel
  // narrower or wider, and the printer would resample it after all: at the
  // printer's own resolution each picture pixel is one device pixel.
  if (output_dpi_x != int64_t{printer_dpi} * 10000) return centred;
  return Rect{centred.left, centred.top, centred.left + picture_width, centred.top + picture_height};
}

std::string MergedPrintTitle(const MakerState& state) {
  if (!state.merged.Delivered || state.output.path.empty()) return kMergedPrintTitle;
  return std::filesystem::path(state.output.path).filename().string();
}

bool PrintMergedBitmap(const MakerState& state, PrinterPort& printer) {
  if (!state.merged.MergedBitmap) return false;
  printer.SetJobTitle(MergedPrintTitle(state));
  if (NeedsPressPage(state.output.press)) return PrintForPress(state, printer);
  const Raster& merged = *state.merged.MergedBitmap;
  const int page_width = printer.PageWidth();
  const int page_height = printer.PageHeight();
  const Rect dest = PrintRectangle(merged.Width(), merged.Height(),
                                   state.merged.Geometry.OutputDpiX, state.printer.PrinterDpi, page_width,
                                   page_height);
  // The paper gets the picture Save would write.
  std::optional<Raster> with_text;
  const Raster& picture = PictureWithText(state, with_text);
  return PrintOnePage(printer, dest, picture);
}

bool PrintOnePage(PrinterPort& printer, const Rect& dest, const Raster& raster) {
  if (!printer.BeginDoc()) return false;
  try {
    printer.StretchDraw(dest, raster);
    printer.EndDoc();
  } catch (...) {
    // Neither a half page on the printer nor a half-written file.
    printer.Abort();
    throw;
  }
  return true;
}

std::string WrittenFileMessage(const std::string& path) {
  return Format("Printed to \"%s\".", path.c_str());
}

}  // namespace lenti
