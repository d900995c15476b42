#include "ui/liti2.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTimer>

#include "core/work_dir.h"
#include "delivery/print.h"
#include "delivery/save.h"
#include "finishing/align_bars.h"
#include "finishing/rotation.h"
#include "finishing/text_overlay.h"
#include "interlace/merge.h"
#include "intake/crop_frame.h"
#include "intake/slots.h"
#include "ui/crop_shape.h"
#include "ui/guard.h"
#include "ui/picture_view.h"
#include "ui/unit4.h"
#include "ui/unit5.h"
#include "ui/unit7.h"
#include "ui/web_address.h"

namespace lenti::ui {

TForm1::TForm1(std::string work_dir, QWidget* parent)
    : QMainWindow(parent), work_dir_(std::move(work_dir)) {
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(QStringLiteral("Vexaro Photo Maker V1.10"));
  // A single border: the size follows the desktop, not the person.
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
  BuildControls();
  frontend_ = std::make_unique<QtFrontend>(Widgets(), printer_);
  ConnectHandlers();
  FillWorkArea();
  FormCreate();

  testform_ = new TTestform(state_, *frontend_, printer_, this);
  testform_->setWindowFlag(Qt::Window, true);  // its own window, hidden until asked for
  testform_->hide();
  frontend_->SetTestChartWindow(testform_);
}

TForm1::~TForm1() {
  // The secondary windows refer to the state and the printer: they go first.
  for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
    if (child->isWindow()) delete child;
}

void TForm1::FormCreate() {
  Guarded(this, [&] { EnsureWorkDir(work_dir_); });
}

void TForm1::FillWorkArea() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  const QRect area = screen->availableGeometry();
  setFixedSize(area.size());
  move(area.topLeft());
}

void TForm1::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (filled_work_area_) return;
  filled_work_area_ = true;
  // The frame is known only once the window is shown: shrink the client so
  // that the whole window, frame included, fills the work area.
  QTimer::singleShot(0, this, [this] {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) return;
    const QRect area = screen->availableGeometry();
    const QSize frame = frameGeometry().size() - size();
    setFixedSize(area.size() - frame);
    move(area.topLeft());
  });
}

void TForm1::ConnectHandlers() {
  for (int index = 0; index < kSlotCount; ++index) {
    const int slot = index + 1;
    connect(slot_buttons_[index], &QPushButton::clicked, this, [this, slot] { SlotButtonClick(slot); });
    connect(thumbnails_[index], &PictureView::Clicked, this, [this, slot] { ThumbnailClick(slot); });
  }
  connect(Button22, &QPushButton::clicked, this, &TForm1::Button22Click);
  connect(Shape7, &CropShape::Pressed, this, &TForm1::Shape7MouseDown);
  connect(Shape7, &CropShape::Moved, this, &TForm1::Shape7MouseMove);
  connect(Shape7, &CropShape::Released, this, &TForm1::Shape7MouseUp);
  connect(BitBtn1, &QPushButton::clicked, this, &TForm1::BitBtn1Click);
  // clicked, never toggled: setting the box from the code must not run it.
  connect(CheckBox1, &QCheckBox::clicked, this, &TForm1::CheckBox1Click);
  connect(RadioButton1, &QRadioButton::clicked, this, &TForm1::RadioButtonClick);
  connect(RadioButton2, &QRadioButton::clicked, this, &TForm1::RadioButtonClick);
  connect(Edit1, &QLineEdit::textChanged, this, &TForm1::Edit1Change);
  connect(Button25, &QPushButton::clicked, this, &TForm1::Button25Click);
  connect(Button26, &QPushButton::clicked, this, &TForm1::Button26Click);
  connect(Image1, &PictureView::MouseReleased, this, &TForm1::Image1MouseUp);
  connect(Button5, &QPushButton::clicked, this, &TForm1::Button5Click);
  connect(Button4, &QPushButton::clicked, this, &TForm1::Button4Click);
  connect(Button14, &QPushButton::clicked, this, &TForm1::Button14Click);
  connect(Button9, &QPushButton::clicked, this, &TForm1::Button9Click);
  connect(Button12, &QPushButton::clicked, this, &TForm1::Button12Click);
  connect(Label3, &QLabel::linkActivated, this, &TForm1::Label3Click);
}

void TForm1::SlotButtonClick(int slot) {
  Guarded(this, [&] { ImportIntoSlot(state_, *frontend_, work_dir_, slot); });
}

void TForm1::ThumbnailClick(int slot) {
  Guarded(this, [&] { SelectSlot(state_, *frontend_, slot); });
}

void TForm1::Button22Click() {
  Guarded(this, [&] { FitAndFrame(state_, *frontend_); });
}

void TForm1::Shape7MouseDown(QPoint pos) {
  Guarded(this, [&] { CropMouseDown(state_, *frontend_, pos.x(), pos.y()); });
}

void TForm1::Shape7MouseMove(QPoint pos) {
  Guarded(this, [&] { CropMouseMove(state_, *frontend_, pos.x(), pos.y()); });
}

void TForm1::Shape7MouseUp(QPoint) {
  Guarded(this, [&] { CropMouseUp(state_, *frontend_); });
}

void TForm1::BitBtn1Click() {
  Guarded(this, [&] {
    // The merge clears a ticked Align-Bar box; clearing it runs the box's handler.
    const MergeOutcome outcome = Merge(state_, *frontend_, work_dir_);
    if (outcome.align_bar_was_checked) ToggleAlignBars(state_, *frontend_);
  });
}

void TForm1::CheckBox1Click() {
  Guarded(this, [&] { ToggleAlignBars(state_, *frontend_); });
}

void TForm1::RadioButtonClick() {
  Guarded(this, [&] { SetInterlaceType(state_, RadioButton1->isChecked()); });
}

void TForm1::Edit1Change() {
  Guarded(this, [&] { UpdateApplyEnabled(state_, *frontend_); });
}

void TForm1::Button25Click() {
  Guarded(this, [&] { ChooseFont(state_, *frontend_, dialog_font_); });
}

void TForm1::Button26Click() {
  Guarded(this, [&] { ApplyText(state_, *frontend_, dialog_font_); });
}

void TForm1::Image1MouseUp(QPoint pos) {
  Guarded(this, [&] { PlaceText(state_, *frontend_, pos.x(), pos.y()); });
}

void TForm1::Button5Click() {
  Guarded(this, [&] { RotateMerged(state_, *frontend_); });
}

void TForm1::Button4Click() {
  Guarded(this, [&] { SaveMerged(state_, *frontend_); });
}

void TForm1::Button14Click() {
  Guarded(this, [&] {
    const PrintPreviewLayout layout = PreparePrint(state_, *frontend_, printer_);
    auto* preview = new TPrintfrom(state_, printer_, layout, this);
    preview->show();  // modeless: the main window stays usable
  });
}

void TForm1::Button9Click() {
  Guarded(this, [&] {
    auto* about = new TAbout(AboutMode::About, this);
    about->show();
  });
}

void TForm1::Button12Click() { close(); }

void TForm1::Label3Click() { OpenWebAddress(); }

void TForm1::ShowTestChartWindow() {
  testform_->show();
  testform_->raise();
  testform_->activateWindow();
}

void TForm1::keyPressEvent(QKeyEvent* event) {
  // "&Merge" is the default button: Enter runs it unless a control used the key.
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    event->accept();
    BitBtn1->click();
    return;
  }
  QMainWindow::keyPressEvent(event);
}

void TForm1::FormClose() {
  state_.merged.MergedBitmap.reset();
  DeleteWorkFiles(work_dir_);  // all sixteen slots; the folder stays
}

void TForm1::closeEvent(QCloseEvent* event) {
  Guarded(this, [&] { FormClose(); });
  event->accept();
  emit Closed();
}

}  // namespace lenti::ui
