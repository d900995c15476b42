// The main window's view and progress bar for the operations: the widgets
// they show pictures, thumbnails and the crop rectangle on, and read the
// Mode and the overlay text from.
#pragma once

#include <array>

#include "core/progress.h"
#include "core/views.h"

class QLineEdit;
class QProgressBar;
class QRadioButton;
class QWidget;

namespace lenti::ui {

class CropShape;
class PictureView;

// The widgets of the main window the operations read and change.
struct MainWidgets {
  QRadioButton* portrait_button = nullptr;  // checked = PortraitRows
  QRadioButton* landscape_button = nullptr;
  QWidget* view_box = nullptr;
  PictureView* photo_view = nullptr;
  std::array<PictureView*, kSlotCount> thumbnails{};  // slot 1..16 at 0..15
  CropShape* crop_shape = nullptr;
  QLineEdit* overlay_text_edit = nullptr;
  QWidget* rotate_button = nullptr;
};

class QtMainView : public MainView {
 public:
  explicit QtMainView(const MainWidgets& widgets) : w_(widgets) {}

  void SetScreenCursor(Cursor cursor) override;
  Size ViewBoxOuterSize() const override;
  Size ViewImageSize() const override;
  const Picture& ViewPicture() const override;
  void SetViewPicture(const Picture& picture) override;
  void SetThumbnail(int slot, const Raster& thumbnail) override;
  void ClearThumbnail(int slot) override;
  void SetCropBounds(const Rect& bounds) override;
  void SetCropVisible(bool visible) override;
  void SetCropCursor(Cursor cursor) override;
  void SetMode(Mode mode) override;
  void SetOverlayEditText(const std::string& text) override;
  void SetCommandCursor(Command command, Cursor cursor) override;

  // What the widgets now show, for the wiring tests: the operations read
  // the state, never these.
  Mode CurrentMode() const;
  Raster Thumbnail(int slot) const;
  Rect CropBounds() const;
  std::string OverlayEditText() const;

 private:
  MainWidgets w_;
};

// The application-wide hourglass (an override cursor, restored in turn).
void SetApplicationCursor(Cursor cursor);

// A QProgressBar as a progress sink. Each position set is painted at once
// (the merge does not return to the event loop until it ends), so the
// window wraps it in a ThrottledProgress.
class QtProgressBar : public ProgressSink {
 public:
  explicit QtProgressBar(QProgressBar* bar) : bar_(bar) {}
  void SetProgressRange(int minimum, int maximum) override;
  void SetProgress(int position) override;
  int Progress() const override;

 private:
  QProgressBar* bar_;
};

}  // namespace lenti::ui
