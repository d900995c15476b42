// The centre band of MainWindow: the view box, and along its bottom the
// progress bar with the Cancel button that long work shows; what the window
// disables while that work runs.
#include <initializer_list>

#include <QGroupBox>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

#include "ui/main_window.h"
#include "ui/test_chart_window.h"
#include "ui/texts.h"
#include "ui/widget_helpers.h"

namespace lenti::ui {

QWidget* MainWindow::BuildCentreBand() {
  auto* band = Named(new QWidget, "CentreBand");
  auto* column = new QVBoxLayout(band);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);
  column->addWidget(BuildView(), 1);

  auto* bottom = new QHBoxLayout;
  bottom->setSpacing(4);
  progress_bar_ = Named(new QProgressBar(band), "ProgressBar1");
  progress_bar_->setRange(0, 100);
  progress_bar_->setValue(0);
  progress_bar_->setTextVisible(false);
  progress_bar_->setFixedHeight(17);
  bottom->addWidget(progress_bar_, 1);
  cancel_button_ = Named(new QPushButton(Texts::tr("Cancel"), band), "CancelButton");
  cancel_button_->setFixedHeight(17);
  cancel_button_->setToolTip(Texts::tr("Stop the work (Esc); everything stays as it was"));
  cancel_button_->hide();
  connect(cancel_button_, &QPushButton::clicked, this, &MainWindow::OnCancelWork);
  bottom->addWidget(cancel_button_);
  column->addLayout(bottom);

  // Esc stops the work whichever of the program's windows has the focus.
  auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
  escape->setContext(Qt::ApplicationShortcut);
  connect(escape, &QShortcut::activated, this, [this] {
    if (Busy()) OnCancelWork();
  });
  return band;
}

void MainWindow::ShowBusy(bool busy) {
  for (QWidget* commands : std::initializer_list<QWidget*>{preferences_band_, photo_source_band_,
                                                           command_band_, view_box_, menuBar()}) {
    commands->setEnabled(!busy);
  }
  // The other windows' commands (print preview...) wait too; the test chart
  // window follows the work itself, its Cancel stays usable.
  for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
    if (child->isWindow() && child != test_chart_) child->setEnabled(!busy);
  cancel_button_->setVisible(busy);
  if (busy) {
    cancel_button_->setFocus();
  } else {
    UpdateCommands();
  }
}

}  // namespace lenti::ui
