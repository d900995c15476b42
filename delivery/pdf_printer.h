// A PrinterPort that writes a one-page PDF file: page size and dpi chosen by
// the caller, the printable area the whole page.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "delivery/press_marks.h"
#include "delivery/printer_port.h"

namespace lenti {

struct PageSize {
  double width_mm = 210;
  double height_mm = 297;
};
// "A4", "A3", "Letter"; raises a clear error for anything else.
PageSize PageSizeByName(const std::string& name);

class PdfPrinter : public PrinterPort {
 public:
  PdfPrinter(std::string path, PageSize page, int dpi);
  void SelectDefaultPrinter() override {}
  int PageWidth() const override;
  int PageHeight() const override;
  int DpiX() const override { return dpi_; }
  bool WritesFile() const override { return true; }
  void UseFileResolution(int dpi) override;
  bool BeginDoc() override;  // always true: the file is named already
  void StretchDraw(const Rect& dest, const Raster& raster) override;
  void EndDoc() override;  // writes the file atomically
  void Abort() override { placed_.clear(); }  // nothing is on disk before EndDoc
  std::string WrittenFile() const override { return written_; }

  // The page a print shop trims: its MediaBox, BleedBox and TrimBox from
  // `layout`, the one picture drawn over the bleed box at its exact size
  // (whatever rectangle StretchDraw names), and the marks over it.
  void UsePressPage(PressPageLayout layout) { press_ = std::move(layout); }

 private:
  struct Placed {
    Rect dest;
    Raster raster;
  };
  std::string path_;
  PageSize page_;
  int dpi_;
  std::vector<Placed> placed_;
  std::string written_;
  std::optional<PressPageLayout> press_;
};

}  // namespace lenti
