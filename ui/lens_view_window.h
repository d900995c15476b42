// The "View through lens" window: the merged picture as a lens sheet shows
// it at one viewing angle, drawn at the size of the window. The angle
// slider and Play tilt the card; the sheet's pitch (the merge's to start
// with) and phase can be changed to see what a mistuned sheet does. The
// view is worked out at screen size for every change (interlace/lens_view),
// so dragging the slider stays smooth.
#pragma once

#include <optional>
#include <string>

#include <QWidget>

#include "core/dialogs.h"
#include "core/maker_state.h"
#include "core/raster.h"
#include "interlace/lens_view.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;
class QTimer;

namespace lenti::ui {

class LensViewPanel;

class LensViewWindow : public QWidget {
  Q_OBJECT
 public:
  // Angle slider positions: the angle is position / kAngleSteps.
  static constexpr int kAngleSteps = 1000;
  static constexpr int kPhaseSteps = 1000;  // phase = position / kPhaseSteps
  static constexpr int kPlayIntervalMs = 33;

  // Reads the main window's state and shows failures through its dialogs;
  // both must outlive the window.
  LensViewWindow(const MakerState& state, Dialogs& dialogs, QWidget* parent = nullptr);
  ~LensViewWindow() override;

  // Takes the picture again when the merged picture (or its pending text)
  // changed since it was last taken, with the sheet of its merge; does
  // nothing otherwise. The main window calls it after every command.
  void Follow();

  double Angle() const;
  const LensSheet& Sheet() const { return sheet_; }
  Mode Axis() const { return start_.axis; }
  // The view as last drawn (screen size), for tests.
  const Raster& ShownView() const { return view_; }
  // The last fault of the typed pitch (empty when it is valid).
  QString SheetFault() const;

 protected:
  void hideEvent(QHideEvent* event) override;

 private slots:
  void OnAngleChanged();
  void OnPlay(bool playing);
  void OnPlayStep();
  void OnPitchEdited();
  void OnPhaseChanged();
  void OnReset();

 private:
  struct Taken {
    const uint8_t* bits = nullptr;
    int width = 0;
    int height = 0;
    MergeGeometry geometry;
    std::string text;
    int32_t text_x = 0;
    int32_t text_y = 0;
    std::optional<Font> font;
    bool operator==(const Taken&) const;
  };
  Taken Identify() const;
  void BuildControls();
  // The sheet from the controls, the captions, then a new view.
  void Redraw();

  const MakerState& state_;
  Dialogs& dialogs_;
  std::optional<Taken> taken_;
  Raster picture_;
  LensViewStart start_;
  LensSheet sheet_;
  int play_direction_ = +1;
  Raster view_;
  QString fault_;

  LensViewPanel* panel_ = nullptr;
  QSlider* angle_slider_ = nullptr;
  QLabel* angle_caption_ = nullptr;
  QPushButton* play_button_ = nullptr;
  QLineEdit* pitch_edit_ = nullptr;
  QLabel* pitch_error_ = nullptr;
  QSlider* phase_slider_ = nullptr;
  QLabel* phase_caption_ = nullptr;
  QLabel* lens_caption_ = nullptr;
  QLabel* fault_caption_ = nullptr;
  QTimer* play_timer_ = nullptr;
};

}  // namespace lenti::ui
