// The crop rectangle over the view: a red outline 2 pixels wide,
// transparent inside (its interior still takes the mouse), size-all cursor.
// It reports presses, moves (hover included) and releases in its own
// coordinates; Qt's implicit grab keeps sending them to it during a drag,
// also outside its bounds.
#pragma once

#include <QWidget>

#include "core/views.h"
#include "core/geometry.h"

namespace lenti::ui {

Qt::CursorShape CursorShape(Cursor cursor);

class CropShape : public QWidget {
  Q_OBJECT
 public:
  explicit CropShape(QWidget* parent = nullptr);

  // The bounds exactly as set (a degenerate width or height included; the
  // widget itself cannot be smaller than 0 x 0).
  Rect Bounds() const { return bounds_; }
  void SetBounds(const Rect& bounds);
  Cursor GetCursor() const { return cursor_; }
  void SetCursor(Cursor cursor);

 signals:
  void Pressed(QPoint pos);
  void Moved(QPoint pos);
  void Released(QPoint pos);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  Rect bounds_{};
  Cursor cursor_ = Cursor::SizeAll;
};

}  // namespace lenti::ui
