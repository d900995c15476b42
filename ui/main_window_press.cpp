// The Press menu: what a print shop takes. The CMYK type is chosen in the
// save dialog; here are its profile and intent, the bleed, black text, the
// soft proof of the picture through the press profile, and the marks of
// the press PDF. Each action calls the setting in delivery/ and the checked
// states follow from the state.
#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>

#include "delivery/press_settings.h"
#include "finishing/text_overlay.h"
#include "ui/guard.h"
#include "ui/lens_group.h"
#include "ui/main_window.h"
#include "ui/texts.h"

namespace lenti::ui {
namespace {

// The bleeds the menu offers; the command line takes any from 0 to 20 mm.
constexpr double kBleedChoicesMm[] = {0, 3, 5, 10};

QAction* Checkable(QMenu* menu, const char* name, const QString& text) {
  QAction* action = menu->addAction(text);
  action->setObjectName(QString::fromLatin1(name));
  action->setCheckable(true);
  return action;
}

}  // namespace

void MainWindow::BuildPressMenu() {
  QMenu* press = menuBar()->addMenu(Texts::tr("&Press"));
  press->setObjectName(QStringLiteral("PressMenu"));
  soft_proof_action_ = Checkable(press, "SoftProofAction", Texts::tr("Soft proof"));
  gamut_action_ =
      Checkable(press, "GamutWarningAction", Texts::tr("Mark colours the press cannot print"));
  connect(soft_proof_action_, &QAction::toggled, this, [this] { OnSoftProofChanged(); });
  connect(gamut_action_, &QAction::toggled, this, [this] { OnSoftProofChanged(); });
  press->addSeparator();
  QAction* profile = press->addAction(Texts::tr("Press profile..."));
  profile->setObjectName(QStringLiteral("PressProfileAction"));
  connect(profile, &QAction::triggered, this, [this] { Run([&] { ChoosePressProfile(state_, *dialogs_); }); });
  default_profile_action_ =
      Checkable(press, "DefaultPressProfileAction", Texts::tr("Default press profile"));
  connect(default_profile_action_, &QAction::triggered, this, [this] { Run([&] { SetPressProfile(state_, ""); }); });
  auto* intents = new QActionGroup(this);
  perceptual_action_ = Checkable(press, "PerceptualIntentAction", Texts::tr("Perceptual"));
  relative_action_ = Checkable(press, "RelativeIntentAction", Texts::tr("Relative colorimetric"));
  for (QAction* action : {perceptual_action_, relative_action_}) intents->addAction(action);
  connect(perceptual_action_, &QAction::triggered, this,
          [this] { Run([&] { SetPressIntent(state_, PressIntent::Perceptual); }); });
  connect(relative_action_, &QAction::triggered, this,
          [this] { Run([&] { SetPressIntent(state_, PressIntent::RelativeColorimetric); }); });
  press->addSeparator();
  QMenu* bleed = press->addMenu(Texts::tr("Bleed"));
  bleed->setObjectName(QStringLiteral("BleedMenu"));
  auto* bleeds = new QActionGroup(this);
  for (const double mm : kBleedChoicesMm) {
    QAction* action = bleed->addAction(mm == 0 ? Texts::tr("None") : Texts::tr("%1 mm").arg(mm));
    action->setObjectName(QStringLiteral("Bleed%1Action").arg(mm));
    action->setCheckable(true);
    action->setData(mm);
    bleeds->addAction(action);
    connect(action, &QAction::triggered, this, [this, mm] { Run([&] { SetPressBleed(state_, mm); }); });
    bleed_actions_.push_back(action);
  }
  black_text_action_ = Checkable(press, "BlackTextAction", Texts::tr("Text in black ink only"));
  connect(black_text_action_, &QAction::triggered, this,
          [this](bool on) { Run([&] { SetBlackText(state_, on); }); });
  marks_action_ =
      Checkable(press, "PrintMarksAction", Texts::tr("Print with crop and registration marks"));
  connect(marks_action_, &QAction::triggered, this, [this](bool on) { Run([&] { SetPrintMarks(state_, on); }); });
}

void MainWindow::UpdatePressCommands() {
  const PressOutput& press = state_.output.press;
  default_profile_action_->setChecked(press.profile.empty());
  default_profile_action_->setToolTip(QString::fromStdString(PressProfileName(state_)));
  perceptual_action_->setChecked(press.intent == PressIntent::Perceptual);
  relative_action_->setChecked(press.intent == PressIntent::RelativeColorimetric);
  for (QAction* action : bleed_actions_) action->setChecked(action->data().toDouble() == press.bleed_mm);
  black_text_action_->setChecked(press.black_text);
  marks_action_->setChecked(press.marks);
  gamut_action_->setEnabled(soft_proof_action_->isChecked());
}

void MainWindow::OnSoftProofChanged() {
  Run([&] { ShowMergedWithText(); });
}

Raster MainWindow::ProofIfAsked(Raster picture) const {
  if (soft_proof_action_ == nullptr || !soft_proof_action_->isChecked()) return picture;
  return PressProof(state_, picture, gamut_action_->isChecked());
}

}  // namespace lenti::ui
