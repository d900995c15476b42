// The Lens group of the main window: lens pitch, output resolution, phase,
// picture size and sampling, each read as the person types or picks it
// (SetLensField), with a live readout of what a merge would make and a
// warning when a lens gets fewer pixels than there are frames. A bad text
// is refused with its message and the field shows the setting again.
// The settings are remembered between runs once RememberIn() has a store.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include <QGroupBox>

#include "core/dialogs.h"
#include "core/lens_settings.h"
#include "core/maker_state.h"

class QComboBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QSettings;

namespace lenti::ui {

class LensGroup : public QGroupBox {
  Q_OBJECT
 public:
  // `lens` is the state's lens group; `dialogs` show a refusal.
  LensGroup(LensSettings& lens, Dialogs& dialogs, QWidget* parent = nullptr);
  ~LensGroup() override;

  // The readout for a merge of `frame_count` frames in `mode`; with a
  // bleed it names the trim size and the size with the bleed.
  void Refresh(int32_t frame_count, Mode mode, double bleed_mm = 0);
  // Every field shows the settings again (after they changed elsewhere),
  // the readout follows, and the store (if any) remembers them.
  void ShowSettings();
  // The same after the settings were chosen in another window: the fields
  // whose text changed are marked (property "chosen") until the next edit.
  void ShowChosenSettings();
  // Takes the remembered settings from `store` (a value that is no longer
  // valid is skipped) and remembers every change in it from now on.
  void RememberIn(std::unique_ptr<QSettings> store);

 signals:
  // A setting was taken.
  void Changed();

 protected:
  // Enter in a field takes its text and goes no further (it must not run
  // the window's default button, "&Merge").
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void Build();
  void Take(int field, const QString& text);
  void Remember();
  std::vector<QWidget*> Fields() const;
  void ClearChosenMarks();

  LensSettings& lens_;
  Dialogs& dialogs_;
  std::unique_ptr<QSettings> store_;
  int32_t frame_count_ = 2;
  Mode mode_ = Mode::PortraitRows;
  double bleed_mm_ = 0;

  QComboBox* pitch_box_ = nullptr;
  QComboBox* dpi_box_ = nullptr;
  QLineEdit* phase_edit_ = nullptr;
  QLineEdit* width_edit_ = nullptr;
  QLineEdit* height_edit_ = nullptr;
  QComboBox* sampling_box_ = nullptr;
  QLabel* readout_ = nullptr;
  QLabel* warning_ = nullptr;
};

}  // namespace lenti::ui
