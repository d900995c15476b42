// MainWindow's alignment commands: the onion skin laid over the crop
// rectangle, "Align frames", the subject click, the arrow keys' nudge and
// "Reset frame". The work is below ui/ (intake/onion_skin.h,
// align/slot_alignment.h); this only turns events into those calls.
#include <QKeyEvent>

#include "align/slot_alignment.h"
#include "core/error.h"
#include "intake/onion_skin.h"
#include "ui/align_panel.h"
#include "ui/background_work.h"
#include "ui/crop_shape.h"
#include "ui/guard.h"
#include "ui/main_window.h"
#include "ui/picture_view.h"
#include "ui/widget_helpers.h"

namespace lenti::ui {

namespace {

// The problems of the frames that stayed as they were, in one message.
void ReportProblems(Dialogs& dialogs, const std::vector<std::string>& problems) {
  if (problems.empty()) return;
  std::string text = "Not aligned:";
  for (const std::string& problem : problems) text += "\n" + problem;
  dialogs.ShowMessage(text);
}

}  // namespace

void MainWindow::BuildAlignCommands() {
  align_panel_ = new AlignPanel(command_band_);
  align_panel_->setGeometry(8, 388, 120, 240);
  command_band_->setMinimumHeight(630);
  onion_view_ = Named(new PictureView(crop_shape_->parentWidget()), "OnionSkinView");
  onion_view_->setAttribute(Qt::WA_TransparentForMouseEvents);
  onion_view_->hide();
  crop_shape_->raise();
  // A click on the photo takes the focus there, so the arrow keys nudge.
  photo_view_->setFocusPolicy(Qt::ClickFocus);
  crop_shape_->setFocusPolicy(Qt::ClickFocus);
  connect(align_panel_, &AlignPanel::OnionChanged, this, &MainWindow::OnOnionChanged);
  connect(align_panel_, &AlignPanel::AlignRequested, this, &MainWindow::OnAlignFrames);
  connect(align_panel_, &AlignPanel::AlignCurrentRequested, this, &MainWindow::OnAlignCurrentFrame);
  connect(align_panel_, &AlignPanel::ResetRequested, this, &MainWindow::OnResetFrame);
}

void MainWindow::OnOnionChanged() {
  Run([&] {
    SetOnionView(state_, align_panel_->ChosenView());
    SetOnionOpacity(state_, align_panel_->ChosenOpacity());
  });
}

void MainWindow::OnAlignFrames() { AlignFrames(std::nullopt); }

void MainWindow::OnAlignCurrentFrame() { AlignFrames(state_.photos.CurrentSlot + 1); }

void MainWindow::AlignFrames(std::optional<int> only_slot) {
  if (Busy()) return;
  Run([&] {
    const AlignModel model =
        align_panel_->HandheldChosen() ? AlignModel::Similarity : AlignModel::Translation;
    const AlignReport report = [this](const std::vector<std::string>& problems) {
      ReportProblems(*dialogs_, problems);
    };
    background_->Start(StartAlignSlots(state_, model, report, only_slot));
  });
}

void MainWindow::OnResetFrame() {
  Run([&] { ResetPlacement(state_, state_.photos.CurrentSlot + 1); });
}

bool MainWindow::PickSubject(QPoint view_point) {
  if (!align_panel_->PickingSubject() || Busy()) return false;
  align_panel_->StopPickingSubject();
  Run([&] {
    const AlignReport report = [this](const std::vector<std::string>& problems) {
      ReportProblems(*dialogs_, problems);
    };
    background_->Start(StartAlignSlotsOnSubject(state_, view_point.x(), view_point.y(), report));
  });
  return true;
}

bool MainWindow::Nudge(const QKeyEvent& event) {
  const int step = event.modifiers() & Qt::ShiftModifier ? 10 : 1;
  int dx = 0;
  int dy = 0;
  switch (event.key()) {
    case Qt::Key_Left:
      dx = -step;
      break;
    case Qt::Key_Right:
      dx = step;
      break;
    case Qt::Key_Up:
      dy = -step;
      break;
    case Qt::Key_Down:
      dy = step;
      break;
    default:
      return false;
  }
  if (Busy() || state_.photos.SlotFiles[state_.photos.CurrentSlot].empty()) return false;
  Run([&] { NudgeCurrentFrame(state_, dx, dy); });
  return true;
}

void MainWindow::RefreshOnion() {
  align_panel_->Show(state_.photos.Onion);
  std::optional<OnionInputs> inputs;
  Guarded(*dialogs_, [&] { inputs = OnionInputsOf(state_); });
  if (!inputs || state_.photos.Dragging) {
    onion_view_->hide();
    onion_shown_.reset();
    return;
  }
  if (onion_shown_ == nullptr || *inputs != *onion_shown_) {
    bool made = false;
    Guarded(*dialogs_, [&] {
      onion_view_->SetPicture(Picture(OnionOverlay(*inputs)));
      made = true;
    });
    if (!made) {
      onion_view_->hide();
      onion_shown_.reset();
      return;
    }
    onion_shown_ = std::make_unique<OnionInputs>(*inputs);
  }
  const Rect& b = inputs->bounds;
  onion_view_->setGeometry(b.left, b.top, b.Width(), b.Height());
  onion_view_->show();
  crop_shape_->raise();
}

}  // namespace lenti::ui
