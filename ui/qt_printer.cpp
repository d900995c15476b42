// The desktop's printer: a QPrinter at high resolution on the system's
// default printer. Without any printer the job goes to a PDF file (Qt's own
// PDF output), named in the set-up dialog or, by default, a new file in the
// user's documents folder; printing then works instead of failing. Nothing
// is created on disk before a job starts.
#include "ui/qt_printer.h"

#include <cerrno>

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QStandardPaths>

#include "core/error.h"
#include "ui/picture_view.h"

namespace lenti::ui {

QString DefaultPdfPath() {
  QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  if (folder.isEmpty()) folder = QDir::homePath();
  // A new name each time: a print never replaces an earlier one unasked.
  QString path = QDir(folder).filePath(QStringLiteral("print.pdf"));
  for (int n = 2; QFileInfo::exists(path); ++n) {
    path = QDir(folder).filePath(QStringLiteral("print-%1.pdf").arg(n));
  }
  return path;
}

struct QtPrinterPort::Job {
  QPainter painter;
};

QtPrinterPort::QtPrinterPort() { SelectDefaultPrinter(); }

QtPrinterPort::~QtPrinterPort() {
  if (job_ && job_->painter.isActive()) job_->painter.end();
}

void QtPrinterPort::SelectDefaultPrinter() {
  job_.reset();
  const QPrinterInfo info = QPrinterInfo::defaultPrinter();
  // A new QPrinter forgets the printer, paper and orientation of an earlier set-up.
  printer_ = info.isNull() ? std::make_unique<QPrinter>(QPrinter::HighResolution)
                           : std::make_unique<QPrinter>(info, QPrinter::HighResolution);
  // No printer installed: Qt's PDF output, the file named when it is needed.
  if (info.isNull()) printer_->setOutputFormat(QPrinter::PdfFormat);
}

void QtPrinterPort::UsePdfOutput() {
  printer_->setOutputFormat(QPrinter::PdfFormat);
  const QString chosen = printer_->outputFileName();
  // Our own default name is renewed once a print has used it; a name the
  // person chose in the dialog is kept as it is.
  if (chosen.isEmpty() || (chosen == default_pdf_path_ && QFileInfo::exists(chosen))) {
    default_pdf_path_ = DefaultPdfPath();
    printer_->setOutputFileName(default_pdf_path_);
  }
}

int QtPrinterPort::PageWidth() const {
  return printer_->pageLayout().paintRectPixels(printer_->resolution()).width();
}

int QtPrinterPort::PageHeight() const {
  return printer_->pageLayout().paintRectPixels(printer_->resolution()).height();
}

int QtPrinterPort::DpiX() const { return printer_->resolution(); }

void QtPrinterPort::BeginDoc() {
  // A job an earlier failure left open is ended first.
  job_.reset();
  if (printer_->outputFormat() == QPrinter::PdfFormat) {
    UsePdfOutput();
    // The documents folder may not exist yet on a fresh account.
    if (printer_->outputFileName() == default_pdf_path_) {
      QDir().mkpath(QFileInfo(default_pdf_path_).absolutePath());
    }
  }
  auto job = std::make_unique<Job>();
  errno = 0;
  if (!job->painter.begin(printer_.get())) {
    if (printer_->outputFormat() == QPrinter::PdfFormat) {
      throw CannotCreateFile(printer_->outputFileName().toStdString(),
                             SystemReason(errno ? errno : EACCES));
    }
    throw Error(PrintFailureText("start"));
  }
  job_ = std::move(job);
}

void QtPrinterPort::StretchDraw(const Rect& dest, const Raster& raster) {
  if (!job_ || !job_->painter.isActive()) throw Error("The printer is not printing");
  QPainter& painter = job_->painter;
  // Nearest neighbour: the strips must reach the paper as they are.
  painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
  painter.drawImage(QRect(dest.left, dest.top, dest.Width(), dest.Height()), RasterImage(raster));
}

void QtPrinterPort::EndDoc() {
  if (!job_ || !job_->painter.isActive()) throw Error("The printer is not printing");
  const bool ended = job_->painter.end();
  job_.reset();
  if (!ended) throw Error(PrintFailureText("finish"));
}

void QtPrinterPort::ShowSetupDialog(QWidget* parent) {
  // With file output the dialog opens on the default name.
  if (printer_->outputFormat() == QPrinter::PdfFormat) UsePdfOutput();
  QPrintDialog dialog(printer_.get(), parent);
  dialog.exec();
}

QPrinter& QtPrinterPort::Printer() { return *printer_; }

std::string QtPrinterPort::PrintFailureText(const char* step) const {
  const QString target = printer_->outputFormat() == QPrinter::PdfFormat
                             ? printer_->outputFileName()
                             : printer_->printerName();
  return Format("Cannot %s the print job on \"%s\"", step, target.toStdString().c_str());
}

}  // namespace lenti::ui
