#include "delivery/press_print.h"

#include <optional>

#include "core/error.h"
#include "core/file_io.h"
#include "delivery/bleed.h"
#include "delivery/press_save.h"
#include "delivery/print.h"
#include "delivery/save.h"
#include "finishing/text_overlay.h"

namespace lenti {

PressSheet PressSheetOf(const MakerState& state, const PressOutput& press, const std::string& job_name) {
  if (!state.merged.MergedBitmap) throw Error("There is no merged picture to print");
  const Raster& merged = *state.merged.MergedBitmap;
  PressSheet sheet;
  sheet.width_px = merged.Width();
  sheet.height_px = merged.Height();
  sheet.dpi = MergedDpi(state);
  sheet.bleed_px = MergedBleedPixels(state, press);
  const Extended lpi = static_cast<Extended>(state.merged.Geometry.LensLpiX) / 10000;
  sheet.job_line = JobLine(job_name, lpi, static_cast<Extended>(sheet.dpi), TodayUtc());
  return sheet;
}

bool NeedsPressPage(const PressOutput& press) { return press.marks || press.bleed_mm != 0; }

void PrintPressPage(const MakerState& state, const PressOutput& press, const std::string& job_name,
                    PdfPrinter& printer, const PageSize& page) {
  const PressSheet sheet = PressSheetOf(state, press, job_name);
  printer.UsePressPage(LayOutPressPage(sheet, page.width_mm, page.height_mm, press.marks));
  std::optional<Raster> with_text;
  const Raster& picture = PictureWithText(state, with_text);
  const BleedMap map = MapBleed(picture, sheet.bleed_px, LensGridOf(state), AlignBandAreas(state));
  const Raster grown = sheet.bleed_px == 0 ? picture : WithBleed(picture, map);
  // The rectangle is the press page's own: any non-empty one places it.
  PrintOnePage(printer, Rect{0, 0, grown.Width(), grown.Height()}, grown);
}

void PrinterPort::DrawMarks(const PageMarks&) { throw Error("This printer cannot draw crop marks"); }

PageMarks DeviceMarks(const MarkShapes& shapes, int dpi, int page_height_px) {
  const Extended scale = static_cast<Extended>(dpi) / 72;
  const auto x = [&](Extended points) { return static_cast<double>(points * scale); };
  const auto y = [&](Extended points) { return static_cast<double>(page_height_px - points * scale); };
  PageMarks marks;
  for (const MarkShapes::Line& l : shapes.lines) marks.lines.push_back({x(l.x1), y(l.y1), x(l.x2), y(l.y2)});
  for (const MarkShapes::Circle& c : shapes.circles) {
    marks.circles.push_back({x(c.x), y(c.y), static_cast<double>(c.radius * scale)});
  }
  marks.line_width = static_cast<double>(shapes.line_width * scale);
  // The PDF string's escapes are not part of the text.
  for (size_t i = 0; i < shapes.job_line.size(); ++i) {
    if (shapes.job_line[i] == '\\' && i + 1 < shapes.job_line.size()) ++i;
    marks.text += shapes.job_line[i];
  }
  marks.text_x = x(shapes.job_x);
  marks.text_y = y(shapes.job_y);
  marks.text_height = static_cast<double>(shapes.font_size * scale);
  return marks;
}

bool PrintForPress(const MakerState& state, PrinterPort& printer) {
  const PressOutput& press = state.output.press;
  const int dpi = state.printer.PrinterDpi;
  if (dpi < 1) throw Error("The printer's resolution is not known");
  const std::string name = state.output.path.empty() ? std::string("untitled")
                                                     : state.output.path.substr(state.output.path.find_last_of('/') + 1);
  const PressSheet sheet = PressSheetOf(state, press, name);
  const Extended mm_per_pixel = 25.4L / dpi;
  const PressPageLayout page = LayOutPressPage(sheet, static_cast<double>(printer.PageWidth() * mm_per_pixel),
                                               static_cast<double>(printer.PageHeight() * mm_per_pixel), press.marks);
  std::optional<Raster> with_text;
  const Raster& picture = PictureWithText(state, with_text);
  const Raster grown = sheet.bleed_px == 0
                           ? picture
                           : WithBleed(picture, MapBleed(picture, sheet.bleed_px, LensGridOf(state), AlignBandAreas(state)));
  const Rect dest = PrintRectangle(grown.Width(), grown.Height(), state.merged.Geometry.OutputDpiX, dpi,
                                   printer.PageWidth(), printer.PageHeight());
  if (!printer.BeginDoc()) return false;
  try {
    printer.StretchDraw(dest, grown);
    if (press.marks) printer.DrawMarks(DeviceMarks(page.shapes, dpi, printer.PageHeight()));
    printer.EndDoc();
  } catch (...) {
    printer.Abort();
    throw;
  }
  return true;
}

}  // namespace lenti
