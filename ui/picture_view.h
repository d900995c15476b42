// An image control: shows a Picture scaled by one factor to fit its client
// area (up as well as down) and centred. The screen copy is scaled once per
// picture and size and kept as a QPixmap, so repaints (a crop rectangle
// dragged over the photo) only blit it.
#pragma once

#include <QColor>
#include <QPixmap>
#include <QWidget>

#include "core/picture.h"

namespace lenti::ui {

// Where a picture of `picture` size is drawn in a view of `view` size: the
// scaled size truncated toward zero, each margin half the remaining space
// truncated. Empty for an empty picture or view.
QRect FitDisplayRect(QSize picture, QSize view);

// A QImage on the raster's pixels (24-bit rows are blue, green, red; 1- and
// 8-bit through the palette). The raster must outlive the image.
QImage RasterImage(const Raster& raster);

class PictureView : public QWidget {
  Q_OBJECT
 public:
  explicit PictureView(QWidget* parent = nullptr);

  void SetPicture(const Picture& picture);
  const Picture& GetPicture() const { return picture_; }
  // Paints this colour around the picture (an opaque control); invalid =
  // transparent around it.
  void SetBackground(QColor color);
  // Draws a thin frame while the picture is empty (an empty thumbnail).
  void SetEmptyFrame(bool on);

  QRect DisplayRect() const { return FitDisplayRect(PictureSize(), size()); }
  // How often the screen copy was scaled since construction.
  int ScaleCount() const { return scale_count_; }

 signals:
  // Any button released after a press on the control; `pos` in its own
  // coordinates (it may lie outside when the mouse was dragged off).
  void MouseReleased(QPoint pos);
  // A left-button press and release inside the control.
  void Clicked();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  QSize PictureSize() const;
  void UpdateScreenCopy();

  Picture picture_;
  QPixmap screen_copy_;
  QSize screen_copy_size_;
  bool screen_copy_stale_ = true;
  int scale_count_ = 0;
  QColor background_;
  bool empty_frame_ = false;
};

}  // namespace lenti::ui
