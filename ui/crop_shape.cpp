#include "ui/crop_shape.h"

#include <QMouseEvent>
#include <QPainter>

namespace lenti::ui {
namespace {

constexpr int kPenWidth = 2;

}  // namespace

Qt::CursorShape CursorShape(Cursor cursor) {
  switch (cursor) {
    case Cursor::Hourglass: return Qt::WaitCursor;
    case Cursor::Cross: return Qt::CrossCursor;
    case Cursor::SizeAll: return Qt::SizeAllCursor;
    case Cursor::SizeNWSE: return Qt::SizeFDiagCursor;
    case Cursor::Default: break;
  }
  return Qt::ArrowCursor;
}

CropShape::CropShape(QWidget* parent) : QWidget(parent) {
  setMouseTracking(true);  // hover moves choose the cursor
  setCursor(CursorShape(cursor_));
}

void CropShape::SetBounds(const Rect& bounds) {
  bounds_ = bounds;
  setGeometry(bounds.left, bounds.top, qMax(0, bounds.Width()), qMax(0, bounds.Height()));
}

void CropShape::SetCursor(Cursor cursor) {
  cursor_ = cursor;
  setCursor(CursorShape(cursor));
}

void CropShape::paintEvent(QPaintEvent*) {
  // Only the outline: the photo shows through the interior.
  QPainter painter(this);
  const QColor red(255, 0, 0);
  const int w = width(), h = height();
  painter.fillRect(0, 0, w, kPenWidth, red);
  painter.fillRect(0, h - kPenWidth, w, kPenWidth, red);
  painter.fillRect(0, 0, kPenWidth, h, red);
  painter.fillRect(w - kPenWidth, 0, kPenWidth, h, red);
}

void CropShape::mousePressEvent(QMouseEvent* event) {
  event->accept();
  emit Pressed(event->position().toPoint());
}

void CropShape::mouseMoveEvent(QMouseEvent* event) {
  event->accept();
  emit Moved(event->position().toPoint());
}

void CropShape::mouseReleaseEvent(QMouseEvent* event) {
  event->accept();
  emit Released(event->position().toPoint());
}

}  // namespace lenti::ui
