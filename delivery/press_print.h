// The merged picture on a print shop's page: grown by its bleed, the boxes
// a PDF carries for trimming, and with marks the crop and registration
// marks and the job line.
#pragma once

#include <string>

#include "core/job.h"
#include "core/maker_state.h"
#include "delivery/pdf_printer.h"
#include "delivery/press_marks.h"
#include "delivery/printer_port.h"

namespace lenti {

// The sheet of the merged picture (pending text included) for `press`; the
// job line names `job_name`, the lens, the resolution and today's date.
PressSheet PressSheetOf(const MakerState& state, const PressOutput& press, const std::string& job_name);

// A press output that needs the press page: a bleed or marks.
bool NeedsPressPage(const PressOutput& press);

// The picture on one press page of `printer` (the page its own), then the
// file written. The bleed is checked before anything is drawn.
void PrintPressPage(const MakerState& state, const PressOutput& press, const std::string& job_name,
                    PdfPrinter& printer, const PageSize& page);

// The press page's marks on a printer's page of `page_height_px` device
// pixels at `dpi`: points from the bottom left become pixels from the top left.
PageMarks DeviceMarks(const MarkShapes& shapes, int dpi, int page_height_px);

// "&Print" with a bleed or marks: the picture grown by its bleed, centred
// so that the trim lies where the plain print lies, and the marks around it
// (PrinterDpi the printer's). False when BeginDoc was declined.
bool PrintForPress(const MakerState& state, PrinterPort& printer);

}  // namespace lenti
