// The desktop's printer: a QPrinter on the system's default printer, at the
// resolution its queue is set to (or the one chosen in the set-up dialog),
// not Qt's fixed 1200 dpi. Without any printer the job goes to a PDF file
// (Qt's own PDF output), named in the set-up dialog (which asks before
// replacing a file) or, when a job starts without one, by a save dialog in a
// folder that exists; the file is written beside its name and renamed into
// place when the job has ended, so an aborted job leaves nothing.
#include "ui/qt_printer.h"

#include <algorithm>
#include <cerrno>
#include <utility>
#include <vector>

#include <cups/cups.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QPen>
#include <QPrintDialog>
#include <QPrintEngine>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QStandardPaths>
#include <QThread>

#include "core/error.h"
#include "core/file_io.h"
#include "delivery/printer_resolution.h"
#include "delivery/queued_job.h"
#include "ui/picture_view.h"
#include "ui/texts.h"

namespace lenti::ui {
namespace {

// The options Qt's CUPS engine sends with the job (what the set-up
// dialog's printer properties chose), as key, value pairs. Qt's own CUPS
// support keeps them under this engine property.
const auto kCupsOptionsProperty = QPrintEngine::PrintEnginePropertyKey(0xfe00);

std::vector<std::pair<std::string, std::string>> JobOptions(QPrinter& printer) {
  const QStringList list = printer.printEngine()->property(kCupsOptionsProperty).toStringList();
  std::vector<std::pair<std::string, std::string>> options;
  for (qsizetype i = 0; i + 1 < list.size(); i += 2) {
    options.emplace_back(list[i].toStdString(), list[i + 1].toStdString());
  }
  return options;
}

QString ProgramName() { return QStringLiteral("Vexaro Photo Maker"); }

}  // namespace

QString DefaultPdfPath() {
  QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  if (folder.isEmpty() || !QFileInfo(folder).isDir()) folder = QDir::homePath();
  // A new name each time: a print never replaces an earlier one unasked.
  QString path = QDir(folder).filePath(QStringLiteral("print.pdf"));
  for (int n = 2; QFileInfo::exists(path); ++n) {
    path = QDir(folder).filePath(QStringLiteral("print-%1.pdf").arg(n));
  }
  return path;
}

int QueueResolution(const QString& printer_name) {
  const QByteArray name = printer_name.toUtf8();
  cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, name.constData(), nullptr);
  if (dest == nullptr) return 0;
  // The person's own default (lpoptions) before the queue's.
  std::vector<std::pair<std::string, std::string>> options;
  for (int i = 0; i < dest->num_options; ++i) {
    options.emplace_back(dest->options[i].name, dest->options[i].value);
  }
  int dpi = ResolutionFromOptions(options);
  if (dpi == 0) {
    if (cups_dinfo_t* info = cupsCopyDestInfo(CUPS_HTTP_DEFAULT, dest)) {
      ipp_attribute_t* attr =
          cupsFindDestDefault(CUPS_HTTP_DEFAULT, dest, info, "printer-resolution");
      if (attr != nullptr && ippGetValueTag(attr) == IPP_TAG_RESOLUTION) {
        int vertical = 0;
        ipp_res_t units = IPP_RES_PER_INCH;
        const int horizontal = ippGetResolution(attr, 0, &vertical, &units);
        dpi = ParseResolutionChoice(std::to_string(horizontal) +
                                    (units == IPP_RES_PER_CM ? "dpcm" : "dpi"));
      }
      cupsFreeDestInfo(info);
    }
  }
  cupsFreeDests(1, dest);
  return dpi;
}

QueuedJobState StateOf(ipp_jstate_t state) {
  switch (state) {
    case IPP_JSTATE_PENDING:
      return QueuedJobState::Pending;
    case IPP_JSTATE_HELD:
      return QueuedJobState::Held;
    case IPP_JSTATE_PROCESSING:
      return QueuedJobState::Printing;
    case IPP_JSTATE_STOPPED:
      return QueuedJobState::Stopped;
    case IPP_JSTATE_CANCELED:
      return QueuedJobState::Cancelled;
    case IPP_JSTATE_ABORTED:
      return QueuedJobState::Aborted;
    case IPP_JSTATE_COMPLETED:
      return QueuedJobState::Done;
  }
  return QueuedJobState::Unknown;
}

// The state of this user's newest job titled `title` on `queue`.
QueuedJobState NewestJobState(const QByteArray& queue, const QByteArray& title) {
  cups_job_t* jobs = nullptr;
  const int count = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, queue.constData(), 1, CUPS_WHICHJOBS_ALL);
  int newest = 0;
  QueuedJobState state = QueuedJobState::Unknown;
  for (int i = 0; i < count; ++i) {
    if (jobs[i].id <= newest || jobs[i].title == nullptr || title != jobs[i].title) continue;
    newest = jobs[i].id;
    state = StateOf(jobs[i].state);
  }
  cupsFreeJobs(count, jobs);
  return state;
}

std::string QueueMessage(const QByteArray& queue) {
  cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, queue.constData(), nullptr);
  if (dest == nullptr) return "";
  const char* message = cupsGetOption("printer-state-message", dest->num_options, dest->options);
  std::string text = message != nullptr ? message : "";
  cupsFreeDests(1, dest);
  return text;
}

// A queue that takes a job and stops it at once (a filter missing) does so
// within a second or two; a job still printing then is left to the printer.
constexpr int kWatchMilliseconds = 2500;
constexpr int kWatchStepMilliseconds = 150;

struct QtPrinterPort::Job {
  QPainter painter;
  std::unique_ptr<AtomicFile> file;  // a PDF job's file, renamed into place at the end
  QString file_name;                 // the name the person chose
};

QString QtPrinterPort::SetupButtonText(bool prints_at_once) {
  return prints_at_once ? Texts::tr("&Print") : Texts::tr("Pre&view...");
}

QtPrinterPort::QtPrinterPort() : title_(ProgramName()) { SelectDefaultPrinter(); }

QtPrinterPort::~QtPrinterPort() {
  if (job_) Abort();
}

void QtPrinterPort::SelectDefaultPrinter() {
  if (job_) Abort();
  setup_file_.clear();
  const QPrinterInfo info = QPrinterInfo::defaultPrinter();
  // A new QPrinter forgets the printer, paper and orientation of an earlier set-up.
  printer_ = info.isNull() ? std::make_unique<QPrinter>(QPrinter::HighResolution)
                           : std::make_unique<QPrinter>(info, QPrinter::HighResolution);
  // No printer installed: Qt's PDF output, the file named when the job starts.
  if (info.isNull()) printer_->setOutputFormat(QPrinter::PdfFormat);
  UseQueueResolution();
}

void QtPrinterPort::UseQueueResolution() {
  if (WritesFile()) return;
  // The set-up dialog's choice, else the queue's own setting; Qt's
  // HighResolution (1200) only when CUPS says neither.
  int dpi = ResolutionFromOptions(JobOptions(*printer_));
  if (dpi == 0) dpi = QueueResolution(printer_->printerName());
  if (dpi > 0) printer_->setResolution(dpi);
}

int QtPrinterPort::PageWidth() const {
  return printer_->pageLayout().paintRectPixels(printer_->resolution()).width();
}

int QtPrinterPort::PageHeight() const {
  return printer_->pageLayout().paintRectPixels(printer_->resolution()).height();
}

int QtPrinterPort::DpiX() const { return printer_->resolution(); }

bool QtPrinterPort::WritesFile() const { return printer_->outputFormat() == QPrinter::PdfFormat; }

void QtPrinterPort::UseFileResolution(int dpi) {
  if (WritesFile() && dpi > 0) printer_->setResolution(dpi);
}

QString QtPrinterPort::AskPdfFile(const QString& suggested) {
  if (hooks.ask_pdf_file) return hooks.ask_pdf_file(suggested);
  // Above the window the print was started from (the preview stays on top).
  QWidget* active = QApplication::activeWindow();
  QFileDialog dialog(active != nullptr ? active : dialog_parent_, Texts::tr("Print to PDF file"));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setNameFilter(Texts::tr("PDF files (*.pdf)"));
  dialog.setDefaultSuffix(QStringLiteral("pdf"));
  dialog.setDirectory(QFileInfo(suggested).absolutePath());
  dialog.selectFile(QFileInfo(suggested).fileName());
  if (dialog.exec() != QDialog::Accepted) return QString();
  return dialog.selectedFiles().value(0);
}

bool QtPrinterPort::BeginDoc() {
  // A job an earlier failure left open is dropped first.
  if (job_) Abort();
  written_file_.clear();
  auto job = std::make_unique<Job>();
  if (WritesFile()) {
    QString suggested = printer_->outputFileName();
    if (suggested.isEmpty() || !QFileInfo(suggested).absoluteDir().exists()) {
      suggested = DefaultPdfPath();
    }
    // A confirmed set-up has named the file already: asking again would
    // only repeat that dialog's question.
    job->file_name = setup_file_.isEmpty() ? AskPdfFile(suggested) : setup_file_;
    setup_file_.clear();
    if (job->file_name.isEmpty()) return false;
    // Raises "Cannot create file" naming the chosen file when its folder is
    // missing or not writable.
    job->file = std::make_unique<AtomicFile>(job->file_name.toStdString());
    printer_->setOutputFileName(QString::fromStdString(job->file->TempPath()));
  }
  printer_->setDocName(title_);
  errno = 0;
  const bool begun = job->painter.begin(printer_.get());
  if (!begun) {
    if (job->file) {
      printer_->setOutputFileName(job->file_name);
      throw CannotCreateFile(job->file_name.toStdString(), SystemReason(errno ? errno : EACCES));
    }
    throw Error(PrintFailureText("start"));
  }
  job_ = std::move(job);
  return true;
}

void QtPrinterPort::StretchDraw(const Rect& dest, const Raster& raster) {
  if (!job_ || !job_->painter.isActive()) throw Error("The printer is not printing");
  QPainter& painter = job_->painter;
  // Nearest neighbour: the strips must reach the paper as they are. Qt's PDF
  // engine, which also makes the job a CUPS queue gets, stores a colour
  // picture as a JPEG unless told to keep it lossless (Flate): a JPEG blends
  // strips of 1 to 7 pixels into their neighbours.
  painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
  painter.setRenderHint(QPainter::LosslessImageRendering, true);
  painter.drawImage(QRect(dest.left, dest.top, dest.Width(), dest.Height()), RasterImage(raster));
}

void QtPrinterPort::DrawMarks(const PageMarks& marks) {
  if (!job_ || !job_->painter.isActive()) throw Error("The printer is not printing");
  QPainter& painter = job_->painter;
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.setPen(QPen(Qt::black, marks.line_width));
  painter.setBrush(Qt::NoBrush);
  for (const PageMarks::Line& l : marks.lines) painter.drawLine(QLineF(l.x1, l.y1, l.x2, l.y2));
  for (const PageMarks::Circle& c : marks.circles) painter.drawEllipse(QPointF(c.x, c.y), c.radius, c.radius);
  if (!marks.text.empty()) {
    QFont font(QStringLiteral("Sans"));
    font.setPixelSize(std::max(1, static_cast<int>(marks.text_height)));
    painter.setFont(font);
    painter.drawText(QPointF(marks.text_x, marks.text_y), QString::fromStdString(marks.text));
  }
  painter.restore();
}

void QtPrinterPort::EndDoc() {
  if (!job_ || !job_->painter.isActive()) throw Error("The printer is not printing");
  std::unique_ptr<Job> job = std::move(job_);
  const bool ended = job->painter.end();
  // The next set-up dialog shows the chosen name, not the temporary.
  if (job->file) printer_->setOutputFileName(job->file_name);
  if (!ended) throw Error(PrintFailureText("finish"));
  // Qt hands a printer's job to CUPS at the end and drops CUPS's answer; a
  // refused job (no filter for the format, a stopped queue) would pass for
  // printed. The hand-over is the last CUPS request on this thread.
  if (!job->file && cupsLastError() > IPP_STATUS_OK_EVENTS_COMPLETE) {
    throw Error(PrintFailureText("finish") + ". " + cupsLastErrorString());
  }
  if (!job->file) WatchQueuedJob();
  if (job->file) {
    job->file->Commit();
    written_file_ = job->file_name;
  }
}

void QtPrinterPort::Abort() {
  std::unique_ptr<Job> job = std::move(job_);
  if (!job) return;
  // The printer drops the job; a PDF's temporary goes with the Job.
  if (job->painter.isActive()) {
    printer_->abort();
    job->painter.end();
  }
  if (job->file) printer_->setOutputFileName(job->file_name);
}

std::string QtPrinterPort::WrittenFile() const { return written_file_.toStdString(); }

bool QtPrinterPort::ShowSetupDialog(QWidget* parent) {
  dialog_parent_ = parent;
  // With file output the dialog opens on a name in a folder that exists.
  if (WritesFile() && (printer_->outputFileName().isEmpty() ||
                       !QFileInfo(printer_->outputFileName()).absoluteDir().exists())) {
    printer_->setOutputFileName(DefaultPdfPath());
  }
  QPrintDialog dialog(printer_.get(), parent);
  // The main window's set-up opens the preview, whose own button prints;
  // the chart's prints at once.
  if (auto* buttons = dialog.findChild<QDialogButtonBox*>()) {
    if (QPushButton* ok = buttons->button(QDialogButtonBox::Ok)) ok->setText(SetupButtonText(setup_prints_at_once_));
  }
  const bool confirmed =
      hooks.run_setup_dialog ? hooks.run_setup_dialog(dialog) : dialog.exec() == QDialog::Accepted;
  // The dialog may have chosen another printer or a resolution.
  if (confirmed) UseQueueResolution();
  setup_file_ = confirmed && WritesFile() ? printer_->outputFileName() : QString();
  return confirmed;
}

void QtPrinterPort::SetJobTitle(const std::string& title) {
  title_ = title.empty() ? ProgramName() : QString::fromStdString(title);
}

QPrinter& QtPrinterPort::Printer() { return *printer_; }

void QtPrinterPort::WatchQueuedJob() const {
  const QByteArray queue = printer_->printerName().toUtf8();
  const QByteArray title = title_.toUtf8();
  QueuedJobState state = QueuedJobState::Unknown;
  QElapsedTimer watch;
  watch.start();
  while (true) {
    state = NewestJobState(queue, title);
    if (QueuedJobSettled(state) || watch.elapsed() >= kWatchMilliseconds) break;
    QThread::msleep(kWatchStepMilliseconds);
  }
  const std::string fault = QueuedJobFault(state, queue.toStdString(), QueueMessage(queue));
  if (!fault.empty()) throw Error(fault);
}

std::string QtPrinterPort::PrintFailureText(const char* step) const {
  const QString target = WritesFile() ? printer_->outputFileName() : printer_->printerName();
  return Format("Cannot %s the print job on \"%s\"", step, target.toStdString().c_str());
}

}  // namespace lenti::ui
