#include "ui/picture_view.h"

#include <QMouseEvent>
#include <QPainter>

namespace lenti::ui {

QRect FitDisplayRect(QSize picture, QSize view) {
  const qint64 pw = picture.width(), ph = picture.height();
  const qint64 vw = view.width(), vh = view.height();
  if (pw <= 0 || ph <= 0 || vw <= 0 || vh <= 0) return {};
  qint64 width = vw, height = vh;
  // Compare pw / ph with vw / vh exactly, in integers.
  if (pw * vh > ph * vw) height = vw * ph / pw;
  else width = vh * pw / ph;
  return QRect(static_cast<int>((vw - width) / 2), static_cast<int>((vh - height) / 2),
               static_cast<int>(width), static_cast<int>(height));
}

QImage RasterImage(const Raster& raster) {
  if (raster.Empty()) return {};
  const auto stride = static_cast<qsizetype>(raster.Stride());
  if (raster.Format() == PixelFormat::pf24bit)
    return QImage(raster.Bits(), raster.Width(), raster.Height(), stride, QImage::Format_BGR888);
  const QImage::Format format =
      raster.Format() == PixelFormat::pf1bit ? QImage::Format_Mono : QImage::Format_Indexed8;
  QImage image(raster.Bits(), raster.Width(), raster.Height(), stride, format);
  QList<QRgb> table;
  for (const Color& c : raster.Palette()) table.append(qRgb(c.r, c.g, c.b));
  // Indices beyond a short palette show black rather than reading past it.
  const int entries = format == QImage::Format_Mono ? 2 : 256;
  while (table.size() < entries) table.append(qRgb(0, 0, 0));
  image.setColorTable(table);
  return image;
}

namespace {

// A big photo is first thinned out to twice the target size, then smoothed:
// nearly the quality of a full smooth scale at a fraction of its time.
QImage ScaleForScreen(const QImage& source, QSize target) {
  QImage image = source;
  if (image.width() > 2 * target.width() && image.height() > 2 * target.height())
    image = image.scaled(target * 2, Qt::IgnoreAspectRatio, Qt::FastTransformation);
  return image.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

}  // namespace

PictureView::PictureView(QWidget* parent) : QWidget(parent) {}

void PictureView::SetPicture(const Picture& picture) {
  picture_ = picture;
  screen_copy_stale_ = true;
  update();
}

void PictureView::SetBackground(QColor color) {
  background_ = color;
  setAttribute(Qt::WA_OpaquePaintEvent, color.isValid());
  update();
}

void PictureView::SetEmptyFrame(bool on) {
  empty_frame_ = on;
  update();
}

QSize PictureView::PictureSize() const { return QSize(picture_.Width(), picture_.Height()); }

void PictureView::UpdateScreenCopy() {
  const QRect target = DisplayRect();
  if (!screen_copy_stale_ && screen_copy_size_ == target.size()) return;
  screen_copy_stale_ = false;
  screen_copy_size_ = target.size();
  screen_copy_ = QPixmap();
  if (target.isEmpty()) return;
  // Graphic() decodes a JPEG picture on first use; the image shares its rows.
  const QImage image = RasterImage(picture_.Graphic());
  if (image.isNull()) return;
  screen_copy_ = QPixmap::fromImage(ScaleForScreen(image, target.size()));
  ++scale_count_;
}

void PictureView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (background_.isValid()) painter.fillRect(rect(), background_);
  UpdateScreenCopy();
  if (!screen_copy_.isNull()) {
    painter.drawPixmap(DisplayRect().topLeft(), screen_copy_);
  } else if (empty_frame_ && picture_.IsEmpty()) {
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
  }
}

void PictureView::mousePressEvent(QMouseEvent* event) { event->accept(); }

void PictureView::mouseReleaseEvent(QMouseEvent* event) {
  const QPoint pos = event->position().toPoint();
  emit MouseReleased(pos);
  if (event->button() == Qt::LeftButton && rect().contains(pos)) emit Clicked();
}

}  // namespace lenti::ui
