// The "Align" group of the command band: the onion skin (on, its opacity,
// the difference view), the model and "Align frames", picking the key
// subject with a click, and the current frame aligned again on its own or
// put back as framed.
// It only shows the state and reports the person's choices.
#pragma once

#include <QGroupBox>

#include "core/maker_state.h"

class QCheckBox;
class QComboBox;
class QPushButton;
class QSlider;

namespace lenti::ui {

class AlignPanel : public QGroupBox {
  Q_OBJECT
 public:
  explicit AlignPanel(QWidget* parent = nullptr);

  // The onion skin's boxes and slider as the state has them.
  void Show(const OnionSkin& skin);
  OnionView ChosenView() const;
  int ChosenOpacity() const;
  // 0: translation (rail shots), 1: translation, turn and scale (handheld).
  bool HandheldChosen() const;
  bool PickingSubject() const;
  void StopPickingSubject();

 signals:
  void OnionChanged();
  void AlignRequested();
  void AlignCurrentRequested();
  void ResetRequested();

 private:
  QCheckBox* onion_box_;
  QCheckBox* difference_box_;
  QSlider* opacity_slider_;
  QComboBox* model_box_;
  QPushButton* align_button_;
  QPushButton* align_current_button_;
  QPushButton* subject_button_;
  QPushButton* reset_button_;
};

}  // namespace lenti::ui
