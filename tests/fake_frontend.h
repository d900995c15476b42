// A scripted Frontend for tests: dialogs answer from queues, messages and
// cursor changes are recorded, controls are plain fields.
#pragma once

#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/frontend.h"

namespace lenti::testing {

class FakeFrontend : public Frontend {
 public:
  // ---- script ----
  std::deque<std::string> open_answers;  // AskOpenPicture pops the front ("" = cancel)
  std::deque<std::string> save_answers;  // AskSavePicture pops the front
  std::deque<Font> font_answers;         // AskFont: a value = confirmed, none left = cancel
  Mode mode = Mode::PortraitRows;
  Size scroll_box_outer{593, 595};  // view box 591 x 593
  Size view_image{589, 591};
  std::string edit_text;

  // ---- record ----
  std::vector<std::string> messages;
  std::vector<Cursor> screen_cursors;
  std::map<Control, Cursor> button_cursors;
  int printer_setup_shown = 0;
  int open_dialogs_shown = 0;
  int save_dialogs_shown = 0;
  Picture view;
  std::map<int, Raster> thumbnails;
  Rect crop{};
  bool crop_visible = false;
  Cursor crop_cursor = Cursor::SizeAll;
  std::map<Control, bool> enabled{{Control::Button4, false}, {Control::Button5, false},
                                  {Control::Button14, false}, {Control::CheckBox1, false},
                                  {Control::Button26, false}, {Control::Image1, false}};
  bool align_bar_checked = false;
  int progress_min = 0, progress_max = 100, progress = 0;
  std::vector<int> progress_history;
  std::optional<Raster> chart_preview;

  Cursor ScreenCursor() const { return screen_cursors.empty() ? Cursor::Default : screen_cursors.back(); }

  // ---- Frontend ----
  std::string AskOpenPicture() override {
    ++open_dialogs_shown;
    return Pop(open_answers);
  }
  std::string AskSavePicture() override {
    ++save_dialogs_shown;
    return Pop(save_answers);
  }
  void AskFont(Font& font) override {
    if (font_answers.empty()) return;
    font = font_answers.front();
    font_answers.pop_front();
  }
  void ShowPrinterSetup() override { ++printer_setup_shown; }
  void ShowMessage(const std::string& text) override { messages.push_back(text); }
  Mode CurrentMode() const override { return mode; }
  Size ScrollBoxOuterSize() const override { return scroll_box_outer; }
  Size ViewImageSize() const override { return view_image; }
  const Picture& ViewPicture() const override { return view; }
  void SetViewPicture(const Picture& picture) override { view = picture; }
  void SetThumbnail(int slot, const Raster& thumbnail) override { thumbnails[slot] = thumbnail; }
  Rect CropBounds() const override { return crop; }
  void SetCropBounds(const Rect& bounds) override { crop = bounds; }
  void SetCropVisible(bool visible) override { crop_visible = visible; }
  Cursor CropCursor() const override { return crop_cursor; }
  void SetCropCursor(Cursor cursor) override { crop_cursor = cursor; }
  void SetEnabled(Control control, bool on) override { enabled[control] = on; }
  bool IsEnabled(Control control) const override { return enabled.at(control); }
  bool IsAlignBarChecked() const override { return align_bar_checked; }
  void SetAlignBarChecked(bool checked) override { align_bar_checked = checked; }
  std::string OverlayEditText() const override { return edit_text; }
  void SetProgressRange(int minimum, int maximum) override {
    progress_min = minimum;
    progress_max = maximum;
  }
  void SetProgress(int position) override {
    progress = position;
    progress_history.push_back(position);
  }
  int Progress() const override { return progress; }
  void SetScreenCursor(Cursor cursor) override { screen_cursors.push_back(cursor); }
  void SetButtonCursor(Control button, Cursor cursor) override { button_cursors[button] = cursor; }
  void SetChartPreview(const Raster& preview) override { chart_preview = preview; }

 private:
  static std::string Pop(std::deque<std::string>& queue) {
    if (queue.empty()) return "";
    std::string front = queue.front();
    queue.pop_front();
    return front;
  }
};

}  // namespace lenti::testing
