// TForm1: the main window. It owns the working state, the working folder's
// name, the font dialog's font object, the printer and the hidden test
// chart window; each handler only turns an event into a call of the
// operation (intake/, interlace/, finishing/, delivery/) and runs it
// through Guarded(), the one place that shows errors.
#pragma once

#include <array>
#include <memory>
#include <string>

#include <QMainWindow>

#include "core/maker_state.h"
#include "ui/qt_frontend.h"
#include "ui/qt_printer.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QSlider;

namespace lenti::ui {

class CropShape;
class PictureView;
class TTestform;

class TForm1 : public QMainWindow {
  Q_OBJECT
 public:
  // `work_dir` is made if missing (a failure is shown and the window still opens).
  explicit TForm1(std::string work_dir, QWidget* parent = nullptr);
  ~TForm1() override;

  MakerState& State() { return state_; }
  QtFrontend& Frontend() { return *frontend_; }
  TTestform& TestChartWindow() { return *testform_; }
  const std::string& WorkDir() const { return work_dir_; }

 signals:
  // The window was closed and its working files deleted: the program ends.
  void Closed();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private slots:
  void SlotButtonClick(int slot);  // Button1Click ... Button17Click
  void ThumbnailClick(int slot);   // Image3Click ... Image15Click
  void Button22Click();            // "裁切": fit and frame
  void Shape7MouseDown(QPoint pos);
  void Shape7MouseMove(QPoint pos);
  void Shape7MouseUp(QPoint pos);
  void BitBtn1Click();  // "&Merge"
  void CheckBox1Click();
  void RadioButtonClick();  // RadioButton1Click and RadioButton2Click
  void Edit1Change();
  void Button25Click();  // "&Font"
  void Button26Click();  // "&Apply"
  void Image1MouseUp(QPoint pos);
  void Button5Click();   // "&Rotate"
  void Button4Click();   // "&Save"
  void Button14Click();  // "&Print"
  void Button9Click();   // "&About"
  void Button12Click();  // "&Exit"
  void Label3Click();
  void ShowTestChartWindow();

 private:
  // The controls, in the bands of the window (liti2_controls.cpp).
  void BuildControls();
  QGroupBox* BuildPreferencesBand();
  QGroupBox* BuildPhotoSourceBand();
  QGroupBox* BuildCommandBand();
  QWidget* BuildView();
  void BuildHiddenControls(QGroupBox* preferences, QGroupBox* command);
  void BuildMenu();
  void ConnectHandlers();
  MainWidgets Widgets() const;

  void FormCreate();
  void FormClose();
  void FillWorkArea();

  MakerState state_;
  std::string work_dir_;
  std::shared_ptr<Font> dialog_font_ = std::make_shared<Font>();
  QtPrinterPort printer_;
  std::unique_ptr<QtFrontend> frontend_;
  TTestform* testform_ = nullptr;
  bool filled_work_area_ = false;

  // Preferences
  QGroupBox* GroupBox2 = nullptr;
  QGroupBox* GroupBox8 = nullptr;
  QRadioButton* RadioButton3 = nullptr;
  QRadioButton* RadioButton4 = nullptr;
  QLabel* Image19 = nullptr;
  // Photo Source
  QGroupBox* GroupBox1 = nullptr;
  std::array<QPushButton*, kSlotCount> slot_buttons_{};
  std::array<PictureView*, kSlotCount> thumbnails_{};
  QGroupBox* GroupBox7 = nullptr;
  QLineEdit* Edit1 = nullptr;
  QPushButton* Button25 = nullptr;
  QPushButton* Button26 = nullptr;
  // Command
  QGroupBox* GroupBox3 = nullptr;
  QPushButton* Button9 = nullptr;
  QPushButton* BitBtn1 = nullptr;
  QPushButton* Button4 = nullptr;
  QPushButton* Button5 = nullptr;
  QPushButton* Button12 = nullptr;
  QPushButton* Button14 = nullptr;
  QCheckBox* CheckBox1 = nullptr;
  // The view
  QWidget* ScrollBox1 = nullptr;
  PictureView* Image1 = nullptr;
  PictureView* Image2 = nullptr;
  CropShape* Shape7 = nullptr;
  QProgressBar* ProgressBar1 = nullptr;
  // Never visible
  QGroupBox* GroupBox4 = nullptr;
  QComboBox* ComboBox1 = nullptr;
  QGroupBox* GroupBox5 = nullptr;
  QRadioButton* RadioButton1 = nullptr;
  QRadioButton* RadioButton2 = nullptr;
  QGroupBox* GroupBox6 = nullptr;
  QSlider* TrackBar1 = nullptr;
  QPushButton* Button22 = nullptr;
  QPushButton* Button23 = nullptr;
  QLabel* Label3 = nullptr;
};

}  // namespace lenti::ui
