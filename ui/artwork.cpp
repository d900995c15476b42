#include "ui/artwork.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>

#include "ui/web_address.h"

namespace lenti::ui {
namespace {

const QColor kDeepBlue(24, 54, 110);
const QColor kSkyBlue(88, 150, 220);
const QColor kStripeRed(214, 64, 52);
const QColor kStripeTeal(40, 160, 150);

QImage NewImage(int width, int height, QColor fill) {
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(fill);
  return image;
}

// A small lens sheet: alternating strips of two frames, the way a merged
// picture is built.
void DrawStrips(QPainter& painter, const QRect& area, int strip, Qt::Orientation along) {
  const int extent = along == Qt::Horizontal ? area.height() : area.width();
  for (int k = 0; k * strip < extent; ++k) {
    const QColor color = k % 2 == 0 ? kStripeRed : kStripeTeal;
    if (along == Qt::Horizontal)
      painter.fillRect(area.left(), area.top() + k * strip, area.width(),
                       qMin(strip, extent - k * strip), color);
    else
      painter.fillRect(area.left() + k * strip, area.top(), qMin(strip, extent - k * strip),
                       area.height(), color);
  }
  painter.setPen(QPen(Qt::black, 1));
  painter.drawRect(area.adjusted(0, 0, -1, -1));
}

QImage DrawPictogram(QSize size, Qt::Orientation strips) {
  QImage image = NewImage(size.width(), size.height(), Qt::white);
  QPainter painter(&image);
  DrawStrips(painter, image.rect(), 4, strips);
  return image;
}

void DrawTitle(QPainter& painter, const QRect& area, int pixel_size, const QString& text,
               QColor color) {
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setPixelSize(pixel_size);
  font.setBold(true);
  painter.setFont(font);
  painter.setPen(color);
  painter.drawText(area, Qt::AlignLeft | Qt::AlignVCenter, text);
}

}  // namespace

QImage DrawPortraitPictogram() { return DrawPictogram(QSize(34, 42), Qt::Horizontal); }

QImage DrawLandscapePictogram() { return DrawPictogram(QSize(42, 34), Qt::Vertical); }

QImage DrawLogo() {
  QImage image = NewImage(kLogoWidth, kLogoHeight, Qt::white);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  QLinearGradient sky(0, 0, kLogoWidth, 0);
  sky.setColorAt(0, kDeepBlue);
  sky.setColorAt(1, kSkyBlue);
  painter.fillRect(image.rect(), sky);
  DrawStrips(painter, QRect(10, 10, 30, 41), 3, Qt::Vertical);
  DrawTitle(painter, QRect(52, 4, 220, 34), 28, QStringLiteral("VEXARO"), Qt::white);
  DrawTitle(painter, QRect(54, 36, 220, 20), 14, QStringLiteral("Photo Maker"),
            QColor(230, 240, 255));
  return image;
}

QImage DrawSplashPicture() {
  QImage image = NewImage(kSplashWidth, kSplashHeight, kDeepBlue);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  QLinearGradient sky(0, 0, 0, kSplashHeight);
  sky.setColorAt(0, kDeepBlue);
  sky.setColorAt(1, kSkyBlue);
  painter.fillRect(image.rect(), sky);

  DrawStrips(painter, QRect(470, 90, 260, 320), 10, Qt::Vertical);
  DrawStrips(painter, QRect(560, 200, 200, 260), 8, Qt::Horizontal);

  DrawTitle(painter, QRect(24, 120, 440, 70), 56, QStringLiteral("Vexaro"), Qt::white);
  DrawTitle(painter, QRect(26, 190, 440, 50), 36, QStringLiteral("Photo Maker"),
            QColor(230, 240, 255));
  DrawTitle(painter, QRect(28, 250, 440, 30), 18, QStringLiteral("Version 1.10"),
            QColor(200, 220, 250));

  // The hot spot (24, 322, 273 x 25) of the about window lies on this line.
  QFont link(QStringLiteral("DejaVu Sans"));
  link.setPixelSize(17);
  link.setUnderline(true);
  painter.setFont(link);
  painter.setPen(QColor(255, 240, 160));
  painter.drawText(QRect(24, 322, 273, 25), Qt::AlignLeft | Qt::AlignVCenter,
                   QString::fromLatin1(kWebAddress));

  DrawTitle(painter, QRect(24, 540, 700, 30), 14,
            QStringLiteral("Lenticular prints at 21.25 lines per inch"), QColor(230, 240, 255));
  return image;
}

}  // namespace lenti::ui
