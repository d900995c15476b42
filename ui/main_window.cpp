#include "ui/main_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSettings>

#include "core/command_states.h"
#include "core/work_dir.h"
#include "delivery/print.h"
#include "delivery/save.h"
#include "render/recovery.h"
#include "finishing/align_bars.h"
#include "finishing/rotation.h"
#include "finishing/text_overlay.h"
#include "interlace/merge.h"
#include "interlace/slot_job.h"
#include "intake/crop_frame.h"
#include "intake/crop_reframe.h"
#include "intake/import_work.h"
#include "intake/onion_skin.h"
#include "intake/slots.h"
#include "ui/about_window.h"
#include "ui/accessible_names.h"
#include "ui/background_work.h"
#include "ui/crop_shape.h"
#include "ui/guard.h"
#include "ui/lens_group.h"
#include "ui/lens_view_window.h"
#include "ui/picture_view.h"
#include "ui/preferences_layout.h"
#include "ui/print_preview.h"
#include "ui/test_chart_window.h"
#include "ui/texts.h"
#include "ui/web_address.h"
#include "ui/window_fit.h"

namespace lenti::ui {

MainWindow::MainWindow(std::string work_dir, QtDialogs::Hooks hooks, QWidget* parent)
    : QMainWindow(parent), work_dir_(std::move(work_dir)) {
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(Texts::tr("Vexaro Photo Maker V1.10"));
  // A single border: the size follows the desktop, not the person.
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
  BuildControls();
  dialogs_ = std::make_unique<QtDialogs>(this, printer_);
  dialogs_->hooks = std::move(hooks);
  view_ = std::make_unique<QtMainView>(Widgets());
  progress_bar_sink_ = std::make_unique<QtProgressBar>(progress_bar_);
  // A merge reports every strip; the bar repaints about 30 times a second.
  progress_ = std::make_unique<ThrottledProgress>(*progress_bar_sink_);
  background_ = std::make_unique<BackgroundWork>(*dialogs_, *progress_bar_sink_);
  connect(background_.get(), &BackgroundWork::BusyChanged, this, &MainWindow::ShowBusy);
  lens_panel_ = new LensGroup(state_.lens, *dialogs_, preferences_band_);
  new PreferencesLayout(preferences_band_, lens_panel_, logo_,
                        preferences_band_->findChild<QLabel*>(QStringLiteral("VersionLabel")));
  connect(portrait_button_, &QRadioButton::toggled, this, &MainWindow::OnModeToggled);
  connect(lens_panel_, &LensGroup::Changed, this, &MainWindow::OnShapeChanged);
  ConnectHandlers();
  BuildSlotCommands();
  BuildAlignCommands();
  FillWorkArea();
  connect(background_.get(), &BackgroundWork::WorkerDone, cancel_button_, &QWidget::hide);
  CreateWorkDir();

  test_chart_ = new TestChartWindow(state_, *dialogs_, printer_, this);
  test_chart_->setWindowFlag(Qt::Window, true);  // its own window, hidden until asked for
  NameControlsForAccessibility(*this);
  test_chart_->hide();
  // Never two commands at once across both windows: one worker for both.
  test_chart_->ShareBackgroundWork(*background_);
  // "Use this pitch" in the chart window sets the lens.
  // The chosen pitch shows in the main window, brought forward, its changed
  // fields marked.
  connect(test_chart_, &TestChartWindow::LensChosen, this, [this] {
    lens_panel_->ShowChosenSettings();
    OnShapeChanged();
    raise();
    activateWindow();
  });
  UpdateCommands();
}

MainWindow::~MainWindow() {
  // Running work stops (and is dropped) while everything it refers to lives.
  QObject::disconnect(background_.get(), nullptr, this, nullptr);
  background_->CancelAndWait();
  // The secondary windows refer to the state, the dialogs and the printer,
  // which go before Qt deletes the children: they go first.
  for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
    if (child->isWindow()) delete child;
}

void MainWindow::CreateWorkDir() {
  Guarded(*dialogs_, [&] { EnsureWorkDir(work_dir_); });
}

void MainWindow::FillWorkArea() {
  // The whole window, frame included, fills the work area; the centre band
  // gives up the height the frame takes.
  OuterFit* fit = OuterFit::KeepOuterRect(*this, [this] {
    const QScreen* on = screen() != nullptr ? screen() : QGuiApplication::primaryScreen();
    return on != nullptr ? on->availableGeometry() : QRect();
  });
  // A panel that appears or goes changes the work area.
  if (QScreen* on = QGuiApplication::primaryScreen())
    connect(on, &QScreen::availableGeometryChanged, fit, &OuterFit::Fit);
}

void MainWindow::ConnectHandlers() {
  for (int index = 0; index < kSlotCount; ++index) {
    const int slot = index + 1;
    connect(slot_buttons_[index], &QPushButton::clicked, this, [this, slot] { OnImportSlot(slot); });
    connect(thumbnails_[index], &PictureView::Clicked, this, [this, slot] { OnSelectSlot(slot); });
  }
  connect(fit_and_frame_button_, &QPushButton::clicked, this, &MainWindow::OnFitAndFrame);
  connect(crop_shape_, &CropShape::Pressed, this, &MainWindow::OnCropPressed);
  connect(crop_shape_, &CropShape::Moved, this, &MainWindow::OnCropMoved);
  connect(crop_shape_, &CropShape::Released, this, &MainWindow::OnCropReleased);
  connect(merge_button_, &QPushButton::clicked, this, &MainWindow::OnMerge);
  // clicked, never toggled: setting the box from the state must not run it.
  connect(align_bars_box_, &QCheckBox::clicked, this, &MainWindow::OnAlignBarsClicked);
  connect(three_d_button_, &QRadioButton::clicked, this, &MainWindow::OnInterlaceTypeClicked);
  connect(up_down_button_, &QRadioButton::clicked, this, &MainWindow::OnInterlaceTypeClicked);
  connect(overlay_text_edit_, &QLineEdit::textChanged, this, &MainWindow::OnOverlayTextChanged);
  connect(font_button_, &QPushButton::clicked, this, &MainWindow::OnChooseFont);
  connect(colour_button_, &QPushButton::clicked, this, &MainWindow::OnChooseTextColour);
  connect(apply_text_button_, &QPushButton::clicked, this, &MainWindow::OnApplyText);
  connect(photo_view_, &PictureView::MouseReleased, this, &MainWindow::OnViewClicked);
  connect(rotate_button_, &QPushButton::clicked, this, &MainWindow::OnRotate);
  connect(save_button_, &QPushButton::clicked, this, &MainWindow::OnSave);
  connect(print_button_, &QPushButton::clicked, this, &MainWindow::OnPrint);
  connect(about_button_, &QPushButton::clicked, this, &MainWindow::OnAbout);
  connect(exit_button_, &QPushButton::clicked, this, &MainWindow::OnExit);
  connect(web_link_, &QLabel::linkActivated, this, &MainWindow::OnWebLink);
}

void MainWindow::Run(const std::function<void()>& command) {
  Guarded(*dialogs_, command);
  UpdateCommands();
}

void MainWindow::UpdateCommands() {
  const CommandStates s = DeriveCommandStates(state_);
  save_button_->setEnabled(s.save);
  rotate_button_->setEnabled(s.rotate);
  print_button_->setEnabled(s.print);
  align_bars_box_->setEnabled(s.align_bars);
  align_bars_box_->setChecked(s.align_bars_checked);  // emits toggled, never clicked
  apply_text_button_->setEnabled(s.apply_text);
  photo_view_->setEnabled(s.place_text);
  UpdateSlotCommands();
  lens_view_action_->setEnabled(s.view_through_lens);
  if (lens_view_ != nullptr && lens_view_->isVisible()) lens_view_->Follow();
  lens_panel_->Refresh(state_.photos.FrameCount, state_.mode, state_.output.press.bleed_mm);
  UpdatePressCommands();
  if (align_panel_ != nullptr) RefreshOnion();
  RecordJob();
}

void MainWindow::RememberLensSettings(std::unique_ptr<QSettings> store) {
  lens_panel_->RememberIn(std::move(store));
  // The remembered lens is where the work starts, not a change to it.
  StartAfresh();
}

void MainWindow::OnImportSlot(int slot) {
  if (Busy()) return;
  // The dialogs on this thread; the decode and the working file off it.
  Run([&] { background_->Start(StartImportIntoSlot(state_, *dialogs_, *view_, work_dir_, slot)); });
}

void MainWindow::OnSelectSlot(int slot) {
  Run([&] { SelectSlot(state_, *view_, slot); });
}

void MainWindow::OnFitAndFrame() {
  Run([&] { FrameCurrentSlot(state_, *view_); });
}

// The crop rectangle's drag changes no command state: no UpdateCommands
// per mouse step.
void MainWindow::OnCropPressed(QPoint pos) {
  if (PickSubject(pos + QPoint(crop_shape_->Bounds().left, crop_shape_->Bounds().top))) return;
  onion_view_->hide();  // it follows the rectangle once the drag ends
  Guarded(*dialogs_, [&] { CropMouseDown(state_, *view_, pos.x(), pos.y()); });
}

void MainWindow::OnCropMoved(QPoint pos) {
  Guarded(*dialogs_, [&] { CropMouseMove(state_, *view_, pos.x(), pos.y()); });
}

void MainWindow::OnCropReleased() {
  Guarded(*dialogs_, [&] { CropMouseUp(state_); });
  RefreshOnion();
  RecordJob();  // a whole drag is one undo step
}

bool MainWindow::Busy() const { return background_->Busy(); }

void MainWindow::OnMerge() { MergeThen({}); }

void MainWindow::MergeThen(std::function<void()> next) {
  if (Busy()) return;
  Run([&] {
    if (CheckSlots(state_).empty() && !ConfirmFrameFit(state_, *dialogs_)) return;
    // "Merged!" only for a merge of its own, not one before a Save or Print.
    std::unique_ptr<MergeWork> work = StartMerge(state_, *dialogs_, *view_, work_dir_, !next);
    if (!work) return;
    const MergeWork* merge = work.get();
    background_->Start(std::move(work), [this, merge, next] {
      // The merge clears a ticked Align-Bar box; clearing it runs the box's handler.
      if (merge->Outcome().align_bar_was_checked) {
        Show(ToggleAlignBars(state_, false));
      } else if (soft_proof_action_->isChecked()) {
        ShowMergedWithText();  // the new picture through the press profile too
      }
      if (next) next();
    });
  });
}

void MainWindow::DeliverCurrent(const std::string& delivery, std::function<void()> deliver) {
  bool merge_first = false;
  Guarded(*dialogs_, [&] {
    merge_first = MergedPictureOutOfDate(state_) && dialogs_->AskYesNo(OutOfDateQuestion(delivery));
  });
  if (merge_first) {
    MergeThen(std::move(deliver));
  } else {
    deliver();
  }
}

void MainWindow::OnCancelWork() { background_->Cancel(); }

void MainWindow::OnAlignBarsClicked() {
  const bool ticked = align_bars_box_->isChecked();
  Run([&] { Show(ToggleAlignBars(state_, ticked)); });
}

void MainWindow::OnInterlaceTypeClicked() {
  Run([&] { SetInterlaceType(state_.lens, three_d_button_->isChecked()); });
}

void MainWindow::OnModeToggled() {
  state_.mode = portrait_button_->isChecked() ? Mode::PortraitRows : Mode::LandscapeColumns;
  OnShapeChanged();
}

void MainWindow::OnShapeChanged() {
  Run([&] { ReframeCrops(state_, *view_); });
}

void MainWindow::OnOverlayTextChanged(const QString& text) {
  Run([&] { TypeOverlayText(state_, text.toStdString()); });
}

void MainWindow::OnChooseFont() {
  Run([&] { ChooseFont(state_, *dialogs_, dialog_font_); });
}

void MainWindow::OnChooseTextColour() {
  Run([&] { ChooseTextColour(state_, *dialogs_, dialog_font_); });
}

void MainWindow::OnApplyText() {
  Run([&] { Show(ApplyText(state_, dialog_font_)); });
}

void MainWindow::OnViewClicked(QPoint pos) {
  if (PickSubject(pos)) return;
  Run([&] { Show(PlaceText(state_, view_->ViewImageSize(), pos.x(), pos.y())); });
}

void MainWindow::OnRotate() {
  Run([&] {
    if (!state_.merged.MergedBitmap) return;
    BusyCommandCursor busy(*view_, Command::Rotate);
    TurnMerged(state_);
    Show(*state_.merged.MergedBitmap);
  });
}

// What a finishing command made for the view, shown there.
void MainWindow::Show(std::optional<Raster> picture) {
  if (picture) view_->SetViewPicture(Picture(ProofIfAsked(std::move(*picture))));
}

void MainWindow::OnSave() {
  DeliverCurrent("saving", [this] { Run([&] { SaveMerged(state_, *dialogs_); }); });
}

void MainWindow::OnPrint() {
  DeliverCurrent("printing", [this] {
    Run([&] {
      const std::optional<PrintPreviewLayout> layout = PreparePrint(state_, *dialogs_, printer_);
      if (!layout) return;  // a file output whose set-up was cancelled
      auto* preview = new PrintPreview(state_, *dialogs_, printer_, *layout, this);
      preview->show();  // modeless: the main window stays usable; deleted when closed
    });
  });
}

void MainWindow::OnAbout() {
  Run([&] {
    auto* about = new AboutWindow(AboutMode::About, this);
    about->show();  // deleted when closed
  });
}

void MainWindow::OnExit() { close(); }

void MainWindow::OnWebLink() { OpenWebAddress(); }

void MainWindow::ShowTestChartWindow() {
  test_chart_->show();
  test_chart_->raise();
  test_chart_->activateWindow();
}

void MainWindow::ShowLensViewWindow() {
  if (!state_.merged.MergedBitmap) return;
  if (lens_view_ == nullptr) lens_view_ = new LensViewWindow(state_, *dialogs_, this);
  lens_view_->show();
  lens_view_->Follow();
  lens_view_->raise();
  lens_view_->activateWindow();
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape && Busy()) {
    OnCancelWork();
    return;
  }
  if (Nudge(*event)) {
    event->accept();
    return;
  }
  // "&Merge" is the default button: Enter runs it unless a control used the key.
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    event->accept();
    merge_button_->click();
    return;
  }
  QMainWindow::keyPressEvent(event);
}

void MainWindow::DeleteWorkingFiles() {
  DropMergedPicture(state_);
  DeleteWorkFiles(work_dir_);  // all sixteen slots; the folder stays
}

void MainWindow::closeEvent(QCloseEvent* event) {
  bool may_close = true;
  Guarded(*dialogs_, [&] {
    // One question: the unsaved picture's, else the unsaved project's.
    const bool picture_unsaved = state_.merged.MergedBitmap && !state_.merged.Delivered;
    may_close = picture_unsaved ? MayClose(state_, *dialogs_) : MayDropProject();
  });
  if (!may_close) {
    event->ignore();
    return;
  }
  background_->CancelAndWait();
  Guarded(*dialogs_, [&] { DeleteWorkingFiles(); });
  // A normal end: nothing to recover next time.
  if (!recovery_path_.empty()) RemoveRecoveryCopy(recovery_path_);
  event->accept();
  emit Closed();
}

}  // namespace lenti::ui
