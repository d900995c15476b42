// The image control: where a picture is drawn (scaled by one factor, up or
// down, truncated, centred), the pixels it shows for every raster format,
// and that the screen copy is scaled once per picture and size, never per
// repaint or per move of the crop rectangle over it.
#include <QTest>

#include "core/raster.h"
#include "ui/crop_shape.h"
#include "ui/picture_view.h"

using namespace lenti;
using namespace lenti::ui;

namespace {

Raster Gradient(int width, int height) {
  Raster raster(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      raster.SetPixelColor(x, y, Color{uint8_t(x * 7), uint8_t(y * 5), uint8_t(x + y)});
  return raster;
}

}  // namespace

class PictureViewTest : public QObject {
  Q_OBJECT

 private slots:
  void thePictureIsScaledToFitAndCentred_data() {
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<QSize>("view");
    QTest::addColumn<QRect>("drawn");
    // Wider than the view: full width, height 589 x 1200 / 1600 = 441.75 -> 441,
    // top margin (591 - 441) / 2 = 75.
    QTest::newRow("landscape photo") << QSize(1600, 1200) << QSize(589, 591) << QRect(0, 75, 589, 441);
    // Taller: full height, width 591 x 3 / 4 = 443.25 -> 443, left (589 - 443) / 2 = 73.
    QTest::newRow("portrait photo") << QSize(1200, 1600) << QSize(589, 591) << QRect(73, 0, 443, 591);
    // Small pictures are scaled up as well.
    QTest::newRow("small, scaled up") << QSize(100, 50) << QSize(400, 400) << QRect(0, 100, 400, 200);
    // An odd margin is truncated: (101 - 50) / 2 = 25.5 -> 25.
    QTest::newRow("odd margin") << QSize(50, 100) << QSize(101, 100) << QRect(25, 0, 50, 100);
    QTest::newRow("same aspect") << QSize(30, 20) << QSize(300, 200) << QRect(0, 0, 300, 200);
    // A merged output previewed: 1940 x 2342 in 589 x 591 -> 489.55 -> 489 wide.
    QTest::newRow("merged preview") << QSize(1940, 2342) << QSize(589, 591) << QRect(50, 0, 489, 591);
    QTest::newRow("empty picture") << QSize(0, 0) << QSize(589, 591) << QRect();
    QTest::newRow("empty view") << QSize(10, 10) << QSize(0, 591) << QRect();
  }

  void thePictureIsScaledToFitAndCentred() {
    QFETCH(QSize, picture);
    QFETCH(QSize, view);
    QFETCH(QRect, drawn);
    QCOMPARE(FitDisplayRect(picture, view), drawn);
  }

  void everyRasterFormatShowsItsColours() {
    Raster colour(3, 2);
    colour.SetPixelColor(0, 0, Color{200, 10, 20});
    colour.SetPixelColor(2, 1, Color{1, 2, 3});
    QImage image = RasterImage(colour);
    QCOMPARE(image.size(), QSize(3, 2));
    QCOMPARE(image.pixel(0, 0), qRgb(200, 10, 20));
    QCOMPARE(image.pixel(2, 1), qRgb(1, 2, 3));
    QCOMPARE(image.pixel(1, 0), qRgb(255, 255, 255));  // a new raster is white
    QCOMPARE(image.bytesPerLine(), qsizetype(colour.Stride()));

    Raster grey(5, 3, PixelFormat::pf8bit);
    grey.SetPalette(GreyPalette());
    grey.SetPixelColor(4, 2, Color{77, 77, 77});
    image = RasterImage(grey);
    QCOMPARE(image.pixel(4, 2), qRgb(77, 77, 77));

    Raster mono(33, 2, PixelFormat::pf1bit);  // 33 columns: the last bit lies in a second word
    mono.SetPixelColor(32, 1, kBlack);
    image = RasterImage(mono);
    QCOMPARE(image.pixel(32, 1), qRgb(0, 0, 0));
    QCOMPARE(image.pixel(31, 1), qRgb(255, 255, 255));

    QVERIFY(RasterImage(Raster()).isNull());
  }

  void theScreenCopyIsScaledOncePerPictureAndSize() {
    PictureView view;
    view.resize(400, 300);
    view.SetPicture(Picture(Gradient(1200, 800)));
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    view.repaint();
    QCOMPARE(view.ScaleCount(), 1);

    // A rectangle dragged over it: many repaints, no new scaling.
    CropShape shape(&view);
    shape.show();
    for (int step = 0; step < 50; ++step) {
      shape.SetBounds(Rect{step, step, step + 100, step + 120});
      view.repaint();
    }
    QCOMPARE(view.ScaleCount(), 1);

    view.resize(500, 300);
    view.repaint();
    QCOMPARE(view.ScaleCount(), 2);
    view.SetPicture(Picture(Gradient(60, 40)));
    view.repaint();
    QCOMPARE(view.ScaleCount(), 3);
    QCOMPARE(view.DisplayRect(), QRect(25, 0, 450, 300));
  }

  void theViewShowsThePictureWhereItSaysItDrawsIt() {
    PictureView view;
    view.resize(100, 100);
    view.SetBackground(QColor(128, 128, 128));
    Raster red(40, 20);
    red.FillRect(Rect{0, 0, 40, 20}, kRed);
    view.SetPicture(Picture(red));
    const QImage shot = view.grab().toImage();
    QCOMPARE(view.DisplayRect(), QRect(0, 25, 100, 50));
    QCOMPARE(shot.pixel(50, 50), qRgb(255, 0, 0));
    QCOMPARE(shot.pixel(50, 10), qRgb(128, 128, 128));  // the margin
    QCOMPARE(shot.pixel(50, 90), qRgb(128, 128, 128));
  }

  void aDisabledViewStillShowsItsPicture() {
    PictureView view;
    view.resize(20, 20);
    Raster blue(20, 20);
    blue.FillRect(Rect{0, 0, 20, 20}, Color{0, 0, 255});
    view.SetPicture(Picture(blue));
    view.setEnabled(false);
    QCOMPARE(view.grab().toImage().pixel(10, 10), qRgb(0, 0, 255));
  }

  void theCropRectangleIsARedOutlineTwoPixelsWideAndClearInside() {
    QWidget backdrop;
    backdrop.resize(60, 60);
    backdrop.setAutoFillBackground(true);
    QPalette white = backdrop.palette();
    white.setColor(QPalette::Window, Qt::white);
    backdrop.setPalette(white);
    CropShape shape(&backdrop);
    shape.SetBounds(Rect{10, 10, 50, 40});
    const QImage shot = backdrop.grab().toImage();
    for (const QPoint red : {QPoint(10, 10), QPoint(11, 11), QPoint(49, 39), QPoint(48, 25)})
      QCOMPARE(shot.pixel(red), qRgb(255, 0, 0));
    for (const QPoint clear : {QPoint(12, 12), QPoint(30, 25), QPoint(47, 37), QPoint(50, 25)})
      QCOMPARE(shot.pixel(clear), qRgb(255, 255, 255));
  }

  void degenerateBoundsAreKeptAsSetWhileTheWidgetStaysValid() {
    CropShape shape;
    shape.SetBounds(Rect{30, 40, 20, 35});  // inverted: width -10, height -5
    QCOMPARE(shape.Bounds(), (Rect{30, 40, 20, 35}));
    QCOMPARE(shape.geometry(), QRect(30, 40, 0, 0));
  }
};

QTEST_MAIN(PictureViewTest)
#include "picture_view_test.moc"
