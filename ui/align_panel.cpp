#include "ui/align_panel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>

#include "ui/texts.h"
#include "ui/widget_helpers.h"

namespace lenti::ui {

AlignPanel::AlignPanel(QWidget* parent) : QGroupBox(Texts::tr("Align"), parent) {
  setObjectName(QStringLiteral("AlignGroup"));
  onion_box_ = Named(new QCheckBox(Texts::tr("Onion skin"), this), "OnionSkinBox");
  onion_box_->setGeometry(8, 20, 104, 20);
  onion_box_->setToolTip(Texts::tr("Lay the reference frame over the current one inside the crop"));
  difference_box_ = Named(new QCheckBox(Texts::tr("Difference"), this), "OnionDifferenceBox");
  difference_box_->setGeometry(8, 42, 104, 20);
  opacity_slider_ = Named(new QSlider(Qt::Horizontal, this), "OnionOpacitySlider");
  opacity_slider_->setRange(0, 100);
  opacity_slider_->setValue(50);
  opacity_slider_->setGeometry(8, 64, 100, 20);
  opacity_slider_->setToolTip(Texts::tr("How much of the reference frame shows"));
  model_box_ = Named(new QComboBox(this), "AlignModelBox");
  model_box_->setAccessibleName(Texts::tr("Alignment model"));
  model_box_->addItems({Texts::tr("Rail (shift)"), Texts::tr("Handheld (turn, scale)")});
  model_box_->setGeometry(8, 88, 104, 24);
  align_button_ =
      PlacedButton(this, "AlignFramesButton", Texts::tr("Align frames"), QRect(8, 116, 104, 26));
  align_button_->setToolTip(Texts::tr("Register every frame to the reference over its crop"));
  align_current_button_ = PlacedButton(this, "AlignCurrentButton", Texts::tr("Align this frame"),
                                       QRect(8, 146, 104, 26));
  align_current_button_->setToolTip(Texts::tr("Register the current frame alone to the reference"));
  subject_button_ =
      PlacedButton(this, "PickSubjectButton", Texts::tr("Pick subject"), QRect(8, 176, 104, 26));
  subject_button_->setCheckable(true);
  subject_button_->setToolTip(
      Texts::tr("Click the key subject in the current photo: every frame lines up on it"));
  reset_button_ =
      PlacedButton(this, "ResetFrameButton", Texts::tr("Reset frame"), QRect(8, 206, 104, 26));
  reset_button_->setToolTip(Texts::tr("The current frame back as framed (arrow keys nudge it)"));
  connect(onion_box_, &QCheckBox::clicked, this, &AlignPanel::OnionChanged);
  connect(difference_box_, &QCheckBox::clicked, this, &AlignPanel::OnionChanged);
  connect(opacity_slider_, &QSlider::valueChanged, this, &AlignPanel::OnionChanged);
  connect(align_button_, &QPushButton::clicked, this, &AlignPanel::AlignRequested);
  connect(align_current_button_, &QPushButton::clicked, this, &AlignPanel::AlignCurrentRequested);
  connect(reset_button_, &QPushButton::clicked, this, &AlignPanel::ResetRequested);
}

void AlignPanel::Show(const OnionSkin& skin) {
  const QSignalBlocker quiet(opacity_slider_);
  onion_box_->setChecked(skin.view != OnionView::Off);
  difference_box_->setChecked(skin.view == OnionView::Difference);
  opacity_slider_->setValue(skin.opacity);
  opacity_slider_->setEnabled(skin.view == OnionView::Blend);
}

OnionView AlignPanel::ChosenView() const {
  if (!onion_box_->isChecked()) return OnionView::Off;
  return difference_box_->isChecked() ? OnionView::Difference : OnionView::Blend;
}

int AlignPanel::ChosenOpacity() const { return opacity_slider_->value(); }
bool AlignPanel::HandheldChosen() const { return model_box_->currentIndex() == 1; }
bool AlignPanel::PickingSubject() const { return subject_button_->isChecked(); }
void AlignPanel::StopPickingSubject() { subject_button_->setChecked(false); }

}  // namespace lenti::ui
