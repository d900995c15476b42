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

}  // namespace lenti
