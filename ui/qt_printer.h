// The PrinterPort of the desktop: a QPrinter on the system's default
// printer; the set-up dialog is QPrintDialog (with no printer installed it
// offers printing to a PDF file).
#pragma once

#include <memory>
#include <string>

#include <QImage>
#include <QString>

#include "delivery/printer_port.h"

class QPrinter;
class QWidget;

namespace lenti::ui {


// A PDF file name in the user's documents folder that no file has yet
// ("print.pdf", "print-2.pdf", ...).
QString DefaultPdfPath();

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
  // The current printer; replaced by SelectDefaultPrinter().
  QPrinter& Printer();

 private:
  struct Job;
  // Qt's PDF output, to a default file unless one was chosen.
  void UsePdfOutput();
  std::string PrintFailureText(const char* step) const;
  std::unique_ptr<QPrinter> printer_;
  std::unique_ptr<Job> job_;
  QString default_pdf_path_;  // the file name this port chose itself
};

}  // namespace lenti::ui
