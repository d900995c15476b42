#include "ui/qt_main_view.h"

#include <algorithm>

#include <QApplication>
#include <QLineEdit>
#include <QProgressBar>
#include <QRadioButton>

#include "ui/crop_shape.h"
#include "ui/picture_view.h"

namespace lenti::ui {

void SetApplicationCursor(Cursor cursor) {
  if (cursor != Cursor::Default) {
    QApplication::setOverrideCursor(QCursor(CursorShape(cursor)));
  } else if (QApplication::overrideCursor() != nullptr) {
    QApplication::restoreOverrideCursor();
  }
}

void QtMainView::SetScreenCursor(Cursor cursor) { SetApplicationCursor(cursor); }

Mode QtMainView::CurrentMode() const {
  return w_.portrait_button->isChecked() ? Mode::PortraitRows : Mode::LandscapeColumns;
}

Size QtMainView::ViewBoxOuterSize() const {
  return Size{w_.view_box->width(), w_.view_box->height()};
}

Size QtMainView::ViewImageSize() const {
  return Size{w_.photo_view->width(), w_.photo_view->height()};
}

const Picture& QtMainView::ViewPicture() const { return w_.photo_view->GetPicture(); }

void QtMainView::SetViewPicture(const Picture& picture) { w_.photo_view->SetPicture(picture); }

void QtMainView::SetThumbnail(int slot, const Raster& thumbnail) {
  if (slot < 1 || slot > kSlotCount) return;
  w_.thumbnails[slot - 1]->SetPicture(Picture(thumbnail));
}

Raster QtMainView::Thumbnail(int slot) const {
  if (slot < 1 || slot > kSlotCount) return Raster();
  return w_.thumbnails[slot - 1]->GetPicture().Graphic();
}

void QtMainView::ClearThumbnail(int slot) {
  if (slot < 1 || slot > kSlotCount) return;
  w_.thumbnails[slot - 1]->SetPicture(Picture());
}

Rect QtMainView::CropBounds() const { return w_.crop_shape->Bounds(); }

void QtMainView::SetCropBounds(const Rect& bounds) { w_.crop_shape->SetBounds(bounds); }

void QtMainView::SetCropVisible(bool visible) {
  w_.crop_shape->setVisible(visible);
  if (visible) w_.crop_shape->raise();
}

void QtMainView::SetCropCursor(Cursor cursor) { w_.crop_shape->SetCursor(cursor); }

std::string QtMainView::OverlayEditText() const {
  return w_.overlay_text_edit->text().toStdString();
}

void QtMainView::SetMode(Mode mode) {
  if (mode == Mode::PortraitRows) {
    w_.portrait_button->setChecked(true);
  } else if (w_.landscape_button != nullptr) {
    w_.landscape_button->setChecked(true);
  }
}

void QtMainView::SetOverlayEditText(const std::string& text) {
  w_.overlay_text_edit->setText(QString::fromStdString(text));
}

void QtMainView::SetCommandCursor(Command command, Cursor cursor) {
  // Only Rotate shows a cursor of its own while it works.
  if (command != Command::Rotate) return;
  if (cursor == Cursor::Default) w_.rotate_button->unsetCursor();
  else w_.rotate_button->setCursor(CursorShape(cursor));
}

void QtProgressBar::SetProgressRange(int minimum, int maximum) { bar_->setRange(minimum, maximum); }

void QtProgressBar::SetProgress(int position) {
  // QProgressBar ignores values outside its range; the bar stops at its ends.
  bar_->setValue(std::clamp(position, bar_->minimum(), std::max(bar_->minimum(), bar_->maximum())));
  bar_->repaint();
}

int QtProgressBar::Progress() const { return bar_->value(); }

}  // namespace lenti::ui
