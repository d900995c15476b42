// The desktop printer port on Qt's PDF output (what a CUPS queue receives
// too): every picture reaches the page with its pixels exactly, read back
// from the file with poppler's pdfimages.
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include "core/maker_state.h"
#include "delivery/print.h"
#include "testchart/test_chart.h"
#include "ui/picture_view.h"
#include "ui/qt_printer.h"

using namespace lenti;
using namespace lenti::ui;

namespace {

// Pixels no lossy codec keeps: every byte from a small linear congruential
// generator.
Raster Noise(int width, int height, PixelFormat format) {
  Raster r(width, height, format);
  if (format == PixelFormat::pf8bit) r.SetPalette(GreyPalette());
  uint32_t seed = 12345;
  for (int y = 0; y < height; ++y) {
    uint8_t* row = r.Row(y);
    for (size_t i = 0; i < r.Stride(); ++i) {
      seed = seed * 1664525u + 1013904223u;
      row[i] = static_cast<uint8_t>(seed >> 24);
    }
  }
  return r;
}

struct Embedded {
  QString encoding;  // pdfimages -list's "enc" column
  QImage image;
};

// The one image of `pdf`, as pdfimages lists and extracts it (PNG, lossless).
Embedded ExtractOnlyImage(const QString& pdf, const QString& stem) {
  Embedded found;
  QProcess list;
  list.start("pdfimages", {"-list", pdf});
  if (!list.waitForFinished(60000) || list.exitCode() != 0) {
    qWarning("pdfimages (poppler-utils, see scripts/install-deps) failed or is missing");
    return found;
  }
  // Two header lines, then one line per image: page num type width height
  // color comp bpc enc ...
  const QStringList lines = QString::fromUtf8(list.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
  if (lines.size() != 3) {
    qWarning("expected one image, pdfimages lists:\n%s", qPrintable(lines.join('\n')));
    return found;
  }
  found.encoding = lines[2].simplified().split(' ').value(8);
  if (QProcess::execute("pdfimages", {"-png", pdf, stem}) != 0) return found;
  found.image = QImage(stem + "-000.png");
  return found;
}

}  // namespace

class QtPrinterTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir dir_;

 private slots:
  void initTestCase() {
    QVERIFY(dir_.isValid());
    qputenv("HOME", dir_.path().toUtf8());
  }

  // The merged picture (24-bit or grey) and the test chart (1-bit) printed
  // through the port into a PDF file: the file holds the raster itself,
  // Flate-compressed, pixel for pixel.
  void everyPrintCarriesThePicturesPixels_data() {
    QTest::addColumn<int>("format");
    QTest::addColumn<bool>("chart");
    QTest::newRow("colour picture") << int(PixelFormat::pf24bit) << false;
    QTest::newRow("grey picture") << int(PixelFormat::pf8bit) << false;
    QTest::newRow("1-bit chart") << int(PixelFormat::pf1bit) << true;
  }

  void everyPrintCarriesThePicturesPixels() {
    QFETCH(int, format);
    QFETCH(bool, chart);
    const Raster picture = Noise(301, 203, static_cast<PixelFormat>(format));
    const QString name = QString::fromLatin1(QTest::currentDataTag()).replace(' ', '-');
    const QString pdf = dir_.filePath(name + ".pdf");

    QtPrinterPort port;
    port.hooks.ask_pdf_file = [&](const QString&) { return pdf; };
    port.SelectDefaultPrinter();
    port.Printer().setOutputFormat(QPrinter::PdfFormat);
    MakerState state;
    if (chart) {
      state.chart.TestChart = picture;
      state.chart.TestDpi = port.DpiX();
      PrintChartOnPage(*state.chart.TestChart, port);
    } else {
      state.merged.MergedBitmap = picture;
      state.merged.Geometry.OutputDpiX = 1500000;  // 150 dpi: a 2 x 1.35 inch print
      state.printer.PrinterDpi = port.DpiX();
      PrintMergedBitmap(state, port);
    }

    const Embedded embedded = ExtractOnlyImage(pdf, dir_.filePath(name));
    QVERIFY2(!embedded.image.isNull(), qPrintable(pdf));
    QVERIFY2(embedded.encoding != "jpeg", qPrintable(embedded.encoding));
    QCOMPARE(embedded.image.size(), QSize(picture.Width(), picture.Height()));
    const QImage expected = RasterImage(picture).convertToFormat(QImage::Format_RGB32);
    const QImage got = embedded.image.convertToFormat(QImage::Format_RGB32);
    int wrong = 0;
    for (int y = 0; y < got.height(); ++y) {
      for (int x = 0; x < got.width(); ++x) wrong += got.pixel(x, y) != expected.pixel(x, y);
    }
    QCOMPARE(wrong, 0);
  }
};

QTEST_MAIN(QtPrinterTest)
#include "qt_printer_test.moc"
