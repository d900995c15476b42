// A scripted stand-in for the windows in tests: dialogs answer from queues,
// messages, errors, cursors and progress are recorded, the views are plain
// fields. One object plays every role (dialogs, main view, chart view,
// progress bar), so a test passes the same fake wherever one is asked for.
#pragma once

#include <deque>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/dialogs.h"
#include "core/progress.h"
#include "core/views.h"

namespace lenti::testing {

class FakeFrontend : public Dialogs, public MainView, public ChartView, public ProgressSink {
 public:
  // ---- script ----
  // AskOpenPictures answers from open_many_answers while it holds any, then
  // pops one file from open_answers ("" = cancel).
  std::deque<std::vector<std::string>> open_many_answers;
  std::deque<std::string> open_answers;
  std::deque<std::string> save_answers;  // AskSavePicture pops the front
  std::deque<bool> press_answers;        // AskSavePictureOrPress: "TIFF, CMYK for press" chosen; none left = no
  std::deque<std::string> profile_answers;  // AskOpenProfile pops the front ("" = cancel)
  std::deque<std::string> project_answers;  // AskOpenProject and AskSaveProject pop the front
  std::deque<Font> font_answers;         // AskFont: a value = confirmed, none left = cancel
  std::deque<Color> colour_answers;      // AskColour: a value = confirmed, none left = cancel
  std::deque<bool> yes_no_answers;       // AskYesNo pops the front; none left = No
  Size scroll_box_outer{593, 595};  // view box 591 x 593
  Size view_image{589, 591};

  // ---- record ----
  std::vector<std::string> messages;
  std::vector<std::string> errors;
  std::vector<std::string> questions;
  std::vector<Cursor> screen_cursors;
  std::map<Command, Cursor> button_cursors;
  int printer_setup_shown = 0;
  bool printer_setup_confirmed = true;  // what the set-up dialog answers
  int open_dialogs_shown = 0;
  int save_dialogs_shown = 0;
  Picture view;
  std::map<int, Raster> thumbnails;
  Mode shown_mode = Mode::PortraitRows;  // what the Mode buttons show
  std::string shown_text;                // what the text box shows
  Rect shown_crop{};  // the rectangle as the view draws it
  bool crop_visible = false;
  Cursor crop_cursor = Cursor::SizeAll;
  int progress_min = 0, progress_max = 100, progress = 0;
  std::vector<int> progress_history;
  std::optional<Raster> chart_preview;

  // What a command made for the view, shown as the window shows it.
  void Show(std::optional<Raster> picture) {
    if (picture) view = Picture(std::move(*picture));
  }

  Cursor ScreenCursor() const { return screen_cursors.empty() ? Cursor::Default : screen_cursors.back(); }

  // ---- Dialogs ----
  std::vector<std::string> AskOpenPictures() override {
    ++open_dialogs_shown;
    if (!open_many_answers.empty()) {
      std::vector<std::string> files = std::move(open_many_answers.front());
      open_many_answers.pop_front();
      return files;
    }
    const std::string file = Pop(open_answers);
    if (file.empty()) return {};
    return {file};
  }
  std::string AskSavePicture() override {
    ++save_dialogs_shown;
    return Pop(save_answers);
  }
  SaveChoice AskSavePictureOrPress() override {
    SaveChoice choice{AskSavePicture(), false};
    if (!press_answers.empty()) {
      choice.cmyk_for_press = press_answers.front();
      press_answers.pop_front();
    }
    return choice;
  }
  std::string AskOpenProfile() override { return Pop(profile_answers); }
  std::string AskOpenProject() override { return Pop(project_answers); }
  std::string AskSaveProject(const std::string&) override { return Pop(project_answers); }
  void AskFont(Font& font) override {
    if (font_answers.empty()) return;
    font = font_answers.front();
    font_answers.pop_front();
  }
  void AskColour(Color& colour) override {
    if (colour_answers.empty()) return;
    colour = colour_answers.front();
    colour_answers.pop_front();
  }
  bool AskYesNo(const std::string& question) override {
    questions.push_back(question);
    if (yes_no_answers.empty()) return false;
    const bool yes = yes_no_answers.front();
    yes_no_answers.pop_front();
    return yes;
  }
  bool ShowPrinterSetup() override {
    ++printer_setup_shown;
    return printer_setup_confirmed;
  }
  void ShowMessage(const std::string& text) override { messages.push_back(text); }
  void ShowError(const std::string& text) override { errors.push_back(text); }

  // ---- MainView, ChartView ----
  void SetScreenCursor(Cursor cursor) override { screen_cursors.push_back(cursor); }
  Size ViewBoxOuterSize() const override { return scroll_box_outer; }
  Size ViewImageSize() const override { return view_image; }
  const Picture& ViewPicture() const override { return view; }
  void SetViewPicture(const Picture& picture) override { view = picture; }
  void SetThumbnail(int slot, const Raster& thumbnail) override { thumbnails[slot] = thumbnail; }
  void ClearThumbnail(int slot) override { thumbnails.erase(slot); }
  void SetCropBounds(const Rect& bounds) override { shown_crop = bounds; }
  void SetCropVisible(bool visible) override { crop_visible = visible; }
  void SetCropCursor(Cursor cursor) override { crop_cursor = cursor; }
  void SetMode(Mode m) override { shown_mode = m; }
  void SetOverlayEditText(const std::string& text) override { shown_text = text; }
  void SetCommandCursor(Command command, Cursor cursor) override { button_cursors[command] = cursor; }
  void SetChartPreview(const Raster& preview) override { chart_preview = preview; }

  // ---- ProgressSink ----
  void SetProgressRange(int minimum, int maximum) override {
    progress_min = minimum;
    progress_max = maximum;
  }
  void SetProgress(int position) override {
    progress = position;
    progress_history.push_back(position);
  }
  int Progress() const override { return progress; }

 private:
  static std::string Pop(std::deque<std::string>& queue) {
    if (queue.empty()) return "";
    std::string front = queue.front();
    queue.pop_front();
    return front;
  }
};

}  // namespace lenti::testing
