// What printing needs of a printer: the printable area in device pixels,
// the horizontal resolution, one job with scaled raster draws, and whether
// the job becomes a file (the PDF output) rather than paper.
#pragma once

#include <string>
#include <vector>

#include "core/geometry.h"
#include "core/raster.h"

namespace lenti {

// Crop and registration marks and the job line, in device pixels from the
// printable area's top left, as a print for a print shop carries them.
struct PageMarks {
  struct Line {
    double x1, y1, x2, y2;
  };
  struct Circle {
    double x, y, radius;
  };
  std::vector<Line> lines;
  std::vector<Circle> circles;
  double line_width = 1;
  std::string text;        // the job line; empty: none
  double text_x = 0;       // its baseline's start
  double text_y = 0;
  double text_height = 0;  // the font's size in device pixels
};

class PrinterPort {
 public:
  virtual ~PrinterPort() = default;
  // Back to the system's default printer with its default settings.
  virtual void SelectDefaultPrinter() = 0;
  virtual int PageWidth() const = 0;   // printable area, device pixels
  virtual int PageHeight() const = 0;
  virtual int DpiX() const = 0;        // LOGPIXELSX: the printer's own resolution
  // The job is written into a file (a PDF) instead of going to a printer.
  virtual bool WritesFile() const = 0;
  // A file output takes `dpi` as its resolution; a printer keeps its own.
  virtual void UseFileResolution(int dpi) = 0;
  // Starts a job and its page. False when the person declined to name the
  // file a file output writes: then nothing has started.
  virtual bool BeginDoc() = 0;
  // Draws the whole raster scaled into `dest` (origin: printable area's top left).
  virtual void StretchDraw(const Rect& dest, const Raster& raster) = 0;
  // Draws the marks on the page. A port that cannot draw lines refuses
  // with a clear error (the job is then aborted), never prints without them.
  virtual void DrawMarks(const PageMarks& marks);
  virtual void EndDoc() = 0;
  // Ends a started job without printing it (a failure after BeginDoc): the
  // printer drops it, a file output leaves no file behind.
  virtual void Abort() = 0;
  // The file the last finished job wrote; "" when it went to a printer.
  virtual std::string WrittenFile() const = 0;
  // The title the printer's queue shows for the jobs from now on.
  virtual void SetJobTitle(const std::string& title) { (void)title; }
};

// One page with `raster` drawn into `dest`; a failure once the job has
// started aborts the job before it is raised. False when BeginDoc was declined.
bool PrintOnePage(PrinterPort& printer, const Rect& dest, const Raster& raster);

}  // namespace lenti
