// The PrinterPort of the desktop: a QPrinter on the system's default
// printer at the queue's own resolution; the set-up dialog is QPrintDialog
// (with no printer installed it offers printing to a PDF file and names it;
// a job started without a confirmed set-up asks the name with a save dialog).
#pragma once

#include <functional>
#include <memory>
#include <string>

#include <QImage>
#include <QString>

#include "delivery/printer_port.h"

class QPrintDialog;
class QPrinter;
class QWidget;

namespace lenti::ui {

// A PDF file name no file has yet ("print.pdf", "print-2.pdf", ...) in the
// user's documents folder, or the home folder when there is none: always
// in a folder that exists, so that nothing is created unasked.
QString DefaultPdfPath();

// The queue's current resolution setting in dpi (the person's own default
// first, then the queue's); 0 when CUPS does not say.
int QueueResolution(const QString& printer_name);

class QtPrinterPort : public PrinterPort {
 public:
  // Empty hooks show the real dialogs.
  struct Hooks {
    // Where a PDF job goes: the chosen file name, "" when cancelled.
    std::function<QString(const QString& suggested)> ask_pdf_file;
    // Runs the prepared set-up dialog; true when confirmed.
    std::function<bool(QPrintDialog& dialog)> run_setup_dialog;
  };
  // What the set-up dialog's confirming button says: it opens the preview.
  // The set-up dialog's confirming button says what follows it: the
  // preview ("Pre&view..."), or the job itself ("&Print").
  static QString SetupButtonText(bool prints_at_once = false);
  // Whether the set-ups from now on start the job at once (the chart's
  // Print) rather than open the preview.
  void SetSetupPrintsAtOnce(bool at_once) { setup_prints_at_once_ = at_once; }

  QtPrinterPort();
  ~QtPrinterPort() override;
  void SelectDefaultPrinter() override;
  int PageWidth() const override;
  int PageHeight() const override;
  int DpiX() const override;
  bool WritesFile() const override;
  void UseFileResolution(int dpi) override;
  bool BeginDoc() override;
  void StretchDraw(const Rect& dest, const Raster& raster) override;
  void DrawMarks(const PageMarks& marks) override;
  void EndDoc() override;
  void Abort() override;
  std::string WrittenFile() const override;

  // The set-up dialog on this printer; true when confirmed. A confirmed
  // choice of printer or resolution applies.
  bool ShowSetupDialog(QWidget* parent);
  // The title of the jobs from now on; the program's name while none is set.
  void SetJobTitle(const std::string& title) override;
  QString JobTitle() const { return title_; }
  // The current printer; replaced by SelectDefaultPrinter().
  QPrinter& Printer();

  Hooks hooks;

 private:
  struct Job;
  // The resolution of the queue the printer is on, once chosen.
  void UseQueueResolution();
  QString AskPdfFile(const QString& suggested);
  std::string PrintFailureText(const char* step) const;
  // Waits a moment for the job just handed to the queue: a job the queue
  // stops or gives up on raises its error.
  void WatchQueuedJob() const;
  std::unique_ptr<QPrinter> printer_;
  std::unique_ptr<Job> job_;
  QWidget* dialog_parent_ = nullptr;
  bool setup_prints_at_once_ = false;
  QString title_;
  QString written_file_;
  QString setup_file_;  // the PDF file a confirmed set-up named, for the next job
};

}  // namespace lenti::ui
