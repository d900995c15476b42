// The PrinterPort of the desktop: a QPrinter on the system's default
// printer; the set-up dialog is QPrintDialog (with no printer installed it
// offers printing to a PDF file).
#pragma once

#include <memory>

#include "delivery/printer_port.h"

class QPrinter;
class QWidget;

namespace lenti::ui {

class QtPrinterPort : public PrinterPort {
 public:
  QtPrinterPort();
  ~QtPrinterPort() override;
  void SelectDefaultPrinter() override;
  int PageWidth() const override;
  int PageHeight() const override;
  int DpiX() const override;
  void BeginDoc() override;
  void StretchDraw(const Rect& dest, const Raster& raster) override;
  void EndDoc() override;

  // The set-up dialog on this printer; its outcome is not consulted.
  void ShowSetupDialog(QWidget* parent);
  QPrinter& Printer();

 private:
  struct Job;
  std::unique_ptr<QPrinter> printer_;
  std::unique_ptr<Job> job_;
};

}  // namespace lenti::ui
