// What the operations show and read back in the windows: one small view
// interface per window. Enabled and checked states are not here: the window
// derives them all from the state (core/command_states.h).
#pragma once

#include <string>

#include "core/geometry.h"
#include "core/maker_state.h"
#include "core/picture.h"
#include "core/raster.h"

namespace lenti {

enum class Cursor { Default, Hourglass, Cross, SizeAll, SizeNWSE };

// The main window's commands, for their enabled states and cursors.
enum class Command { Save, Rotate, Print, AlignBars, ApplyText, PlaceText };

// Any window that can show the hourglass while it works.
class BusyIndicator {
 public:
  virtual ~BusyIndicator() = default;
  // The cursor of the whole screen (the hourglass while a command works).
  virtual void SetScreenCursor(Cursor cursor) = 0;
};

// The main view renders what the state holds (the Mode, the thumbnails, the
// crop rectangle, the text box); nothing is read back from it but its sizes
// and the picture it shows.
class MainView : public virtual BusyIndicator {
 public:
  // Outer size of the view box (the photo area inside it is 2 px smaller).
  virtual Size ViewBoxOuterSize() const = 0;
  // Size of the view image (its own coordinates).
  virtual Size ViewImageSize() const = 0;
  // The picture the view shows, scaled proportionally and centred.
  virtual const Picture& ViewPicture() const = 0;
  virtual void SetViewPicture(const Picture& picture) = 0;
  // Thumbnail of slot (1..16): a 65 x 57 raster.
  virtual void SetThumbnail(int slot, const Raster& thumbnail) = 0;
  // The slot shows no thumbnail (an emptied slot).
  virtual void ClearThumbnail(int slot) = 0;

  // The red crop rectangle, bounds in view pixels.
  virtual void SetCropBounds(const Rect& bounds) = 0;
  virtual void SetCropVisible(bool visible) = 0;
  virtual void SetCropCursor(Cursor cursor) = 0;

  // A project opened or an undo sets the Mode buttons and the text box.
  virtual void SetMode(Mode mode) = 0;
  virtual void SetOverlayEditText(const std::string& text) = 0;
  // One command button's own cursor (Rotate's hourglass).
  virtual void SetCommandCursor(Command command, Cursor cursor) = 0;
};

class ChartView : public virtual BusyIndicator {
 public:
  // The test chart window's preview image.
  virtual void SetChartPreview(const Raster& preview) = 0;
};

// Sets the screen cursor to the hourglass and restores the default cursor on
// every exit, failures included.
class BusyCursor {
 public:
  explicit BusyCursor(BusyIndicator& view) : view_(view) { view_.SetScreenCursor(Cursor::Hourglass); }
  ~BusyCursor() { view_.SetScreenCursor(Cursor::Default); }
  BusyCursor(const BusyCursor&) = delete;
  BusyCursor& operator=(const BusyCursor&) = delete;

 private:
  BusyIndicator& view_;
};

// The same for one command button's own cursor.
class BusyCommandCursor {
 public:
  BusyCommandCursor(MainView& view, Command command) : view_(view), command_(command) {
    view_.SetCommandCursor(command_, Cursor::Hourglass);
  }
  ~BusyCommandCursor() { view_.SetCommandCursor(command_, Cursor::Default); }
  BusyCommandCursor(const BusyCommandCursor&) = delete;
  BusyCommandCursor& operator=(const BusyCommandCursor&) = delete;

 private:
  MainView& view_;
  Command command_;
};

}  // namespace lenti
