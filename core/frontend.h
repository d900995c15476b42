// What the operations need of the person and the window: dialogs, messages,
// the view, the crop rectangle, the progress bar, cursors and enabled states.
//
// The Qt main window implements it in ui/; tests use a scripted fake
// (tests/fake_frontend.h). Nothing below ui/ knows a toolkit.
#pragma once

#include <string>

#include "core/color.h"
#include "core/geometry.h"
#include "core/maker_state.h"
#include "core/picture.h"
#include "core/raster.h"

namespace lenti {

enum class Cursor { Default, Hourglass, Cross, SizeAll, SizeNWSE };

// Controls whose enabled (or checked) state the operations change.
enum class Control {
  Button4,    // "&Save"
  Button5,    // "&Rotate"
  Button14,   // "&Print"
  CheckBox1,  // "Align-Bar"
  Button26,   // "&Apply"
  Image1,     // the view
};

class Frontend {
 public:
  virtual ~Frontend() = default;

  // ---- dialogs and messages ----
  // The open-picture dialog, its file name cleared first; "" when cancelled.
  virtual std::string AskOpenPicture() = 0;
  // The one save dialog (shared by the main and the test chart window, so it
  // opens with the last name used); "" when cancelled.
  virtual std::string AskSavePicture() = 0;
  // The font dialog on `font` (the shared font object): a confirmed choice
  // changes it in place, a cancel leaves it.
  virtual void AskFont(Font& font) = 0;
  // The printer set-up dialog; its outcome is not consulted.
  virtual void ShowPrinterSetup() = 0;
  // A plain message box with an OK button.
  virtual void ShowMessage(const std::string& text) = 0;

  // ---- the main window's controls ----
  // Mode radio buttons: RadioButton3 checked = PortraitRows.
  virtual Mode CurrentMode() const = 0;
  // Outer size of the scroll box ScrollBox1 (the view box is 2 px smaller).
  virtual Size ScrollBoxOuterSize() const = 0;
  // Size of the view image Image1 (its own coordinates).
  virtual Size ViewImageSize() const = 0;
  // The picture the view shows, scaled proportionally and centred.
  virtual const Picture& ViewPicture() const = 0;
  virtual void SetViewPicture(const Picture& picture) = 0;
  // Thumbnail of slot (1..16): a 65 x 57 raster.
  virtual void SetThumbnail(int slot, const Raster& thumbnail) = 0;

  // The crop rectangle Shape7, bounds in view pixels.
  virtual Rect CropBounds() const = 0;
  virtual void SetCropBounds(const Rect& bounds) = 0;
  virtual void SetCropVisible(bool visible) = 0;
  virtual Cursor CropCursor() const = 0;
  virtual void SetCropCursor(Cursor cursor) = 0;

  virtual void SetEnabled(Control control, bool enabled) = 0;
  virtual bool IsEnabled(Control control) const = 0;
  // CheckBox1. Setting it here never runs its click handler; the operation
  // that clears it runs the handler itself.
  virtual bool IsAlignBarChecked() const = 0;
  virtual void SetAlignBarChecked(bool checked) = 0;
  // Text of the edit Edit1.
  virtual std::string OverlayEditText() const = 0;

  // ProgressBar1.
  virtual void SetProgressRange(int minimum, int maximum) = 0;
  virtual void SetProgress(int position) = 0;
  virtual int Progress() const = 0;

  virtual void SetScreenCursor(Cursor cursor) = 0;
  virtual void SetButtonCursor(Control button, Cursor cursor) = 0;

  // The test chart window's preview image.
  virtual void SetChartPreview(const Raster& preview) = 0;
};

// Sets the screen cursor to the hourglass and restores the default cursor on
// every exit, failures included.
class BusyCursor {
 public:
  explicit BusyCursor(Frontend& frontend) : frontend_(frontend) {
    frontend_.SetScreenCursor(Cursor::Hourglass);
  }
  ~BusyCursor() { frontend_.SetScreenCursor(Cursor::Default); }
  BusyCursor(const BusyCursor&) = delete;
  BusyCursor& operator=(const BusyCursor&) = delete;

 private:
  Frontend& frontend_;
};

// The same for one button's own cursor (Rotate's hourglass).
class BusyButtonCursor {
 public:
  BusyButtonCursor(Frontend& frontend, Control button) : frontend_(frontend), button_(button) {
    frontend_.SetButtonCursor(button_, Cursor::Hourglass);
  }
  ~BusyButtonCursor() { frontend_.SetButtonCursor(button_, Cursor::Default); }
  BusyButtonCursor(const BusyButtonCursor&) = delete;
  BusyButtonCursor& operator=(const BusyButtonCursor&) = delete;

 private:
  Frontend& frontend_;
  Control button_;
};

}  // namespace lenti
