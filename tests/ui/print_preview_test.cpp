// The print preview as the person finds it (caption, size, page picture,
// warning, buttons), its "&Print" printing MergedBitmap as it stands when
// pressed, and the desktop printer port falling back to a PDF file on a
// machine without printers.
#include <QApplication>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "core/error.h"
#include "delivery/print.h"
#include "finishing/rotation.h"
#include "fake_frontend.h"
#include "ui/picture_view.h"
#include "ui/qt_printer.h"
#include "ui/print_preview.h"

using namespace lenti;
using namespace lenti::ui;

namespace {

class FakePrinter : public PrinterPort {
 public:
  bool fail_begin = false;
  std::vector<Rect> rects;
  std::vector<Size> sizes;
  void SelectDefaultPrinter() override {}
  int PageWidth() const override { return 4800; }
  int PageHeight() const override { return 6600; }
  int DpiX() const override { return 600; }
  bool WritesFile() const override { return false; }
  void UseFileResolution(int) override {}
  bool BeginDoc() override {
    if (fail_begin) throw Error("The printer is offline");
    return true;
  }
  void StretchDraw(const Rect& dest, const Raster& raster) override {
    rects.push_back(dest);
    sizes.push_back(Size{raster.Width(), raster.Height()});
  }
  void EndDoc() override {}
  void Abort() override {}
  std::string WrittenFile() const override { return written; }
  std::string written;  // as a file output, the file each job writes
};

// The layout of a 1698 x 2049 output at 297.5 dpi on an 8 x 11 inch area at 600 dpi.
PrintPreviewLayout LetterLayout(bool size_over) {
  PrintPreviewLayout layout;
  layout.image_width = 200;
  layout.image_height = 275;
  layout.image_left = 142;
  layout.image_top = 108;
  layout.outline = {29, 52, 171, 224};
  layout.diagonals = {{29, 52}, {171, 224}, {29, 224}, {171, 52}};
  layout.size_over = size_over;
  return layout;
}

// A 24-bit raster of one colour.
Raster Solid(int width, int height, Color color) {
  Raster r(width, height);
  r.FillRect(Rect{0, 0, width, height}, color);
  return r;
}

}  // namespace

class PrintPreviewTest : public QObject {
  Q_OBJECT

 private:
  MakerState state_;
  FakePrinter printer_;
  testing::FakeFrontend dialogs_;  // errors reach the dialogs
  QTemporaryDir home_;

  template <typename W = QWidget>
  static W* Find(const QWidget& form, const char* name) {
    W* widget = form.findChild<W*>(QString::fromLatin1(name));
    if (widget == nullptr) qWarning("no control %s", name);
    return widget;
  }

 private slots:
  void initTestCase() {
    // The PDF fallback writes into the documents folder of this HOME.
    QVERIFY(home_.isValid());
    qputenv("HOME", home_.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", (home_.path() + "/.config").toUtf8());
  }

  void init() {
    state_ = MakerState{};
    state_.merged.MergedBitmap = Raster(1698, 2049);
    state_.merged.Geometry.OutputDpiX = 2975000;
    state_.printer.PrinterDpi = 600;
    printer_ = FakePrinter{};
    dialogs_.errors.clear();
  }

  void windowAndControls_data() {
    QTest::addColumn<bool>("size_over");
    QTest::addColumn<QString>("warning");
    QTest::newRow("fits") << false << QString();
    QTest::newRow("too large") << true << QStringLiteral("Print size over!");
  }

  void windowAndControls() {
    QFETCH(bool, size_over);
    QFETCH(QString, warning);
    PrintPreview form(state_, dialogs_, printer_, LetterLayout(size_over), nullptr);
    QCOMPARE(form.windowTitle(), QStringLiteral("Print Preview"));
    // 485 x 492 outside: the frame (offscreen, 2 pixels a side) comes off the client.
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QTRY_COMPARE(form.frameGeometry().size(), QSize(485, 492));
    QVERIFY(form.frameGeometry().height() > form.height());
    // Above the main window as its transient, not above every program.
    QVERIFY(!form.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(!form.isModal());

    auto* image = Find<QLabel>(form, "Image1");
    QVERIFY(image != nullptr);
    QCOMPARE(image->geometry(), QRect(142, 108, 200, 275));
    QVERIFY(!image->hasScaledContents());
    const QImage shown = image->pixmap().toImage();
    QCOMPARE(shown.size(), QSize(200, 275));
    QCOMPARE(QColor(shown.pixel(29, 52)), QColor(Qt::black));  // outline corner
    QCOMPARE(QColor(shown.pixel(100, 60)), QColor(Qt::white));  // inside, off the diagonals
    QCOMPARE(QColor(shown.pixel(5, 5)), QColor(Qt::white));     // the page

    auto* label = Find<QLabel>(form, "Label1");
    QVERIFY(label != nullptr);
    QCOMPARE(label->text(), warning);
    QCOMPARE(label->pos(), QPoint(160, 80));
    QVERIFY(label->font().bold());
    QCOMPARE(label->font().pixelSize(), 16);
    QCOMPARE(label->palette().color(QPalette::WindowText), QColor(Qt::red));
    // Label1 lies over Image1.
    const QObjectList& children = form.children();
    QVERIFY(children.indexOf(label) > children.indexOf(image));

    const struct {
      const char* name;
      const char* caption;
      QRect geometry;
    } buttons[] = {{"Button1", "&Print", QRect(224, 432, 75, 25)},
                   {"Button2", "&Cancel", QRect(344, 432, 75, 25)}};
    for (const auto& b : buttons) {
      auto* button = Find<QPushButton>(form, b.name);
      QVERIFY(button != nullptr);
      QCOMPARE(button->text(), QString::fromLatin1(b.caption));
      QCOMPARE(button->geometry(), b.geometry);
    }
  }

  // On a Legal page the page picture reaches down to the buttons: the note
  // goes below them, wraps, shows all of its text and covers nothing.
  void theResamplingNoteFitsBelowTheButtons() {
    PrintPreviewLayout legal = LetterLayout(false);
    legal.image_width = 213;
    legal.image_height = 350;
    legal.image_top = 71;
    legal.resample_note = ResampleNote(2975000, 600);
    PrintPreview form(state_, dialogs_, printer_, legal, nullptr);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    auto* note = Find<QLabel>(form, "ResampleNote");
    QVERIFY(note != nullptr);
    QTRY_VERIFY(form.rect().contains(note->geometry()));
    QVERIFY(note->isVisible());
    QVERIFY(note->height() >= note->heightForWidth(note->width()));
    QVERIFY(note->height() > note->fontMetrics().height());  // more than one line
    for (const char* covered : {"Image1", "Button1", "Button2"})
      QVERIFY2(!note->geometry().intersects(Find(form, covered)->geometry()), covered);
  }

  void cancelClosesAndDeletesTheWindow() {
    QWidget owner;
    auto* form = new PrintPreview(state_, dialogs_, printer_, LetterLayout(false), &owner);
    QPointer<PrintPreview> alive(form);
    form->show();
    QTest::mouseClick(Find<QPushButton>(*form, "Button2"), Qt::LeftButton);
    QVERIFY(!form->isVisible());
    QTRY_VERIFY(alive.isNull());  // each Print makes a new preview: a closed one goes
    QVERIFY(printer_.rects.empty());
  }

  void printPrintsTheCurrentPictureAndCloses() {
    // Deleted when it closes, so not on the stack.
    QPointer<PrintPreview> alive(new PrintPreview(state_, dialogs_, printer_, LetterLayout(false), nullptr));
    PrintPreview& older = *alive;
    older.show();
    // A quarter turn after the preview opened: the older preview prints it.
    state_.merged.MergedBitmap = RotateQuarterCounterClockwise(*state_.merged.MergedBitmap);
    QTest::mouseClick(Find<QPushButton>(older, "Button1"), Qt::LeftButton);
    QVERIFY(dialogs_.errors.empty());
    QCOMPARE(printer_.sizes.size(), size_t{1});
    QCOMPARE(printer_.sizes[0], (Size{2049, 1698}));
    QCOMPARE(printer_.rects[0], (Rect{334, 1588, 4466, 5012}));
    QVERIFY(!older.isVisible());
    QTRY_VERIFY(alive.isNull());
  }

  // A print into a file closes the preview, then says where the file went.
  void printIntoAFileSaysWhereItWent() {
    printer_.written = "/home/someone/print.pdf";
    QPointer<PrintPreview> alive(new PrintPreview(state_, dialogs_, printer_, LetterLayout(false), nullptr));
    alive->show();
    dialogs_.messages.clear();
    QTest::mouseClick(Find<QPushButton>(*alive, "Button1"), Qt::LeftButton);
    QCOMPARE(dialogs_.messages, std::vector<std::string>{"Printed to \"/home/someone/print.pdf\"."});
    QTRY_VERIFY(alive.isNull());
  }

  void failedPrintShowsTheErrorAndStaysOpen() {
    printer_.fail_begin = true;
    PrintPreview form(state_, dialogs_, printer_, LetterLayout(false), nullptr);
    form.show();
    QTest::mouseClick(Find<QPushButton>(form, "Button1"), Qt::LeftButton);
    QCOMPARE(dialogs_.errors, std::vector<std::string>{"The printer is offline."});
    QVERIFY(form.isVisible());
  }

  // Without a printer the port prints into a PDF file instead of failing,
  // the picture's colours intact (BGR rows). The save dialog proposes a new
  // name in a folder that exists: the home folder when there is no
  // documents folder, which is not created.
  void withoutPrinterTheJobBecomesAPdfFile() {
    if (!QPrinterInfo::availablePrinters().isEmpty()) {
      QSKIP("a printer is installed here: the test would print on paper");
    }
    QtPrinterPort port;
    QStringList suggested;
    port.hooks.ask_pdf_file = [&](const QString& name) {
      suggested << name;
      return name;
    };
    port.SelectDefaultPrinter();
    QCOMPARE(port.Printer().outputFormat(), QPrinter::PdfFormat);
    QCOMPARE(port.DpiX(), port.Printer().resolution());
    QVERIFY(port.DpiX() >= 300);
    QVERIFY(port.PageWidth() > 0 && port.PageHeight() > port.PageWidth());

    MakerState state;
    state.merged.MergedBitmap = Solid(400, 300, Color{230, 20, 30});
    state.merged.Geometry.OutputDpiX = 2000000;  // 200 dpi: 2 x 1.5 inches
    state.printer.PrinterDpi = port.DpiX();
    PrintMergedBitmap(state, port);

    const QString pdf = home_.path() + "/print.pdf";
    QCOMPARE(suggested, QStringList{pdf});
    QCOMPARE(QString::fromStdString(port.WrittenFile()), pdf);
    QVERIFY(!QFileInfo::exists(home_.path() + "/Documents"));
    QFile file(pdf);
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(pdf));
    QCOMPARE(file.read(5), QByteArray("%PDF-"));
    file.close();

    // A second print after a new set-up proposes a new name; a cancelled
    // save dialog writes nothing and reports nothing written.
    port.SelectDefaultPrinter();
    port.hooks.ask_pdf_file = [&](const QString& name) {
      suggested << name;
      return QString();
    };
    QVERIFY(!PrintMergedBitmap(state, port));
    QCOMPARE(suggested.value(1), home_.path() + "/print-2.pdf");
    QVERIFY(port.WrittenFile().empty());
    QVERIFY(!QFile::exists(home_.path() + "/print-2.pdf"));

    // The page centre lies on the picture: it must be red, not blue.
    const QString stem = home_.path() + "/centre";
    const int status = QProcess::execute(
        "pdftoppm", {"-r", "20", "-singlefile", "-png", pdf, stem});
    if (status != 0) QSKIP("pdftoppm (poppler-utils) is not installed");
    const QImage page(stem + ".png");
    QVERIFY(!page.isNull());
    const QColor centre = page.pixelColor(page.width() / 2, page.height() / 2);
    QVERIFY2(centre.red() > 180 && centre.blue() < 90 && centre.green() < 90,
             qPrintable(centre.name()));
  }

  // The file a confirmed set-up names is the one written: no save dialog
  // asks a second time. The next print, without a set-up, asks again.
  void theSetupsFileNeedsNoSecondQuestion() {
    if (!QPrinterInfo::availablePrinters().isEmpty()) QSKIP("a printer is installed here");
    QtPrinterPort port;
    int asked = 0;
    port.hooks.ask_pdf_file = [&](const QString&) {
      ++asked;
      return QString();
    };
    const QString chosen = home_.path() + "/chosen-in-setup.pdf";
    port.hooks.run_setup_dialog = [&](QPrintDialog&) {
      port.Printer().setOutputFileName(chosen);
      return true;
    };
    port.SelectDefaultPrinter();
    QVERIFY(port.ShowSetupDialog(nullptr));
    MakerState state;
    state.merged.MergedBitmap = Solid(40, 30, Color{230, 20, 30});
    state.merged.Geometry.OutputDpiX = 2000000;
    state.printer.PrinterDpi = port.DpiX();
    QVERIFY(PrintMergedBitmap(state, port));
    QCOMPARE(asked, 0);
    QCOMPARE(QString::fromStdString(port.WrittenFile()), chosen);
    QVERIFY(QFileInfo(chosen).size() > 0);

    QVERIFY(!PrintMergedBitmap(state, port));
    QCOMPARE(asked, 1);
  }

  // The set-up dialog's button says what follows it (the preview, or for
  // the chart the job itself); closed, the dialog counts as cancelled.
  void setupDialogOffersTheDefaultPdfName() {
    if (!QPrinterInfo::availablePrinters().isEmpty()) QSKIP("a printer is installed here");
    QtPrinterPort port;
    port.SelectDefaultPrinter();
    const auto button_of_setup = [&port] {
      QString button;
      // The dialog is modal: close it as soon as it is up.
      QTimer::singleShot(0, [&] {
        if (QWidget* dialog = QApplication::activeModalWidget()) {
          if (auto* box = dialog->findChild<QDialogButtonBox*>()) button = box->button(QDialogButtonBox::Ok)->text();
          dialog->close();
        }
      });
      const bool confirmed = port.ShowSetupDialog(nullptr);
      return confirmed ? QString("confirmed") : button;
    };
    QCOMPARE(button_of_setup(), QStringLiteral("Pre&view..."));
    QCOMPARE(port.Printer().outputFormat(), QPrinter::PdfFormat);
    QCOMPARE(port.Printer().outputFileName(), DefaultPdfPath());
    QVERIFY(port.Printer().outputFileName().startsWith(home_.path() + "/print"));
    port.SetSetupPrintsAtOnce(true);
    QCOMPARE(button_of_setup(), QStringLiteral("&Print"));
  }

  void wrapRasterKeepsEveryFormat() {
    Raster rgb = Solid(3, 2, Color{10, 20, 30});
    QCOMPARE(RasterImage(rgb).pixelColor(2, 1), QColor(10, 20, 30));
    Raster mono(9, 2, PixelFormat::pf1bit);
    mono.SetPixelColor(8, 1, kBlack);
    QCOMPARE(RasterImage(mono).pixelColor(8, 1), QColor(Qt::black));
    QCOMPARE(RasterImage(mono).pixelColor(7, 1), QColor(Qt::white));
    Raster grey(5, 1, PixelFormat::pf8bit);
    grey.SetPalette(GreyPalette());
    grey.Row(0)[4] = 77;
    QCOMPARE(RasterImage(grey).pixelColor(4, 0), QColor(77, 77, 77));
  }
};

QTEST_MAIN(PrintPreviewTest)
#include "print_preview_test.moc"
