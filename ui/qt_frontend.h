// The Frontend on the real widgets of the main window. Every modal dialog
// and message box goes through a replaceable hook, so that Qt Tests drive
// the window without ever blocking on a box.
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <optional>

#include <QFont>
#include <QString>

#include "core/frontend.h"

class QCheckBox;
class QFileDialog;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QWidget;

namespace lenti::ui {

class CropShape;
class PictureView;
class QtPrinterPort;
class TTestform;

// The controls of TForm1 the operations read and change.
struct MainWidgets {
  QWidget* window = nullptr;
  QRadioButton* RadioButton3 = nullptr;  // checked = PortraitRows
  QWidget* ScrollBox1 = nullptr;
  PictureView* Image1 = nullptr;
  std::array<PictureView*, kSlotCount> thumbnails{};  // slot 1..16 at 0..15
  CropShape* Shape7 = nullptr;
  QPushButton* Button4 = nullptr;   // "&Save"
  QPushButton* Button5 = nullptr;   // "&Rotate"
  QPushButton* Button14 = nullptr;  // "&Print"
  QCheckBox* CheckBox1 = nullptr;   // "Align-Bar"
  QPushButton* Button26 = nullptr;  // "&Apply"
  QLineEdit* Edit1 = nullptr;
  QProgressBar* ProgressBar1 = nullptr;
};

// Font <-> QFont: family, point size, bold, italic, underline, strikeout
// (the colour is not a QFont property and stays with the Font).
QFont ToQFont(const Font& font);
Font FromQFont(const QFont& qfont, const Font& keep_colour_of);

class QtFrontend : public Frontend {
 public:
  // Empty hooks show the real dialogs.
  struct Hooks {
    // Runs a prepared file dialog; returns the chosen name, "" when cancelled.
    std::function<QString(QFileDialog& dialog)> run_file_dialog;
    // The font dialog: the chosen font, or none when cancelled.
    std::function<std::optional<QFont>(const QFont& initial)> run_font_dialog;
    std::function<void(const QString& text)> show_message;
    std::function<void()> show_printer_setup;
  };

  QtFrontend(const MainWidgets& widgets, QtPrinterPort& printer);
  ~QtFrontend() override;

  Hooks hooks;
  void SetTestChartWindow(TTestform* window) { test_chart_ = window; }
  QFileDialog& OpenPictureDialog1() { return *open_dialog_; }
  QFileDialog& SavePictureDialog1() { return *save_dialog_; }

  std::string AskOpenPicture() override;
  std::string AskSavePicture() override;
  void AskFont(Font& font) override;
  void ShowPrinterSetup() override;
  void ShowMessage(const std::string& text) override;

  Mode CurrentMode() const override;
  Size ScrollBoxOuterSize() const override;
  Size ViewImageSize() const override;
  const Picture& ViewPicture() const override;
  void SetViewPicture(const Picture& picture) override;
  void SetThumbnail(int slot, const Raster& thumbnail) override;

  Rect CropBounds() const override;
  void SetCropBounds(const Rect& bounds) override;
  void SetCropVisible(bool visible) override;
  Cursor CropCursor() const override;
  void SetCropCursor(Cursor cursor) override;

  void SetEnabled(Control control, bool enabled) override;
  bool IsEnabled(Control control) const override;
  bool IsAlignBarChecked() const override;
  void SetAlignBarChecked(bool checked) override;
  std::string OverlayEditText() const override;

  void SetProgressRange(int minimum, int maximum) override;
  void SetProgress(int position) override;
  int Progress() const override;

  void SetScreenCursor(Cursor cursor) override;
  void SetButtonCursor(Control button, Cursor cursor) override;
  void SetChartPreview(const Raster& preview) override;

 private:
  QWidget* ControlWidget(Control control) const;
  // Dialogs belong to the window the person is working in.
  QWidget* DialogParent() const;
  QString RunFileDialog(QFileDialog& dialog);

  MainWidgets w_;
  QtPrinterPort& printer_;
  TTestform* test_chart_ = nullptr;
  // Owned by the main window (Qt parent), like its other secondary windows.
  QFileDialog* open_dialog_;
  QFileDialog* save_dialog_;  // one for the run, shared by both windows
  QString last_save_name_;
};

}  // namespace lenti::ui
