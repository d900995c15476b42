// What printing needs of a printer: the printable area in device pixels,
// the horizontal resolution, one job with scaled raster draws.
#pragma once

#include "core/geometry.h"
#include "core/raster.h"

namespace lenti {

class PrinterPort {
 public:
  virtual ~PrinterPort() = default;
  // Back to the system's default printer with its default settings.
  virtual void SelectDefaultPrinter() = 0;
  virtual int PageWidth() const = 0;   // printable area, device pixels
  virtual int PageHeight() const = 0;
  virtual int DpiX() const = 0;        // LOGPIXELSX
  virtual void BeginDoc() = 0;
  // Draws the whole raster scaled into `dest` (origin: printable area's top left).
  virtual void StretchDraw(const Rect& dest, const Raster& raster) = 0;
  virtual void EndDoc() = 0;
};

}  // namespace lenti
