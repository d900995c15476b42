// The test chart window: the settings column, the four buttons and the preview panel.
// Every handler only turns the click into a call of the chart commands.
#include "ui/test_chart_window.h"

#include <algorithm>
#include <cmath>

#include <QComboBox>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QResizeEvent>
#include <QSpinBox>

#include "core/error.h"
#include "core/numerics.h"
#include "ui/background_work.h"
#include "ui/guard.h"
#include "ui/picture_view.h"
#include "ui/qt_main_view.h"
#include "ui/qt_printer.h"
#include "ui/texts.h"
#include "ui/widget_helpers.h"
#include "ui/window_fit.h"

namespace lenti::ui {
namespace {

constexpr int kLabelLeft = 48;
constexpr int kBoxLeft = 112;
constexpr int kBoxWidth = 105;
constexpr int kBoxHeight = 21;
constexpr int kUpDownWidth = 17;
constexpr int kButtonHeight = 25;
// preview_panel is 409 x 505 in a 694 x 578 window; it keeps these margins when the
// window is resized, so the preview fills the right side.
constexpr QRect kPanelAtStart(256, 16, 409, 505);
constexpr int kPanelRightMargin = 694 - 256 - 409;
constexpr int kPanelBottomMargin = 578 - 16 - 505;

QLabel* Label(QWidget* parent, const char* name, const QString& caption, int top) {
  auto* label = Named(new QLabel(caption, parent), name);
  label->move(kLabelLeft, top + 3);
  label->adjustSize();
  return label;
}

QComboBox* DropDown(QWidget* parent, const char* name, const QStringList& entries, int selected,
                    int top) {
  auto* box = Named(new QComboBox(parent), name);
  box->setEditable(true);
  box->setInsertPolicy(QComboBox::NoInsert);  // typing never adds an entry
  box->addItems(entries);
  box->setCurrentIndex(selected);
  box->setGeometry(kBoxLeft, top, kBoxWidth, kBoxHeight);
  return box;
}

QLineEdit* Edit(QWidget* parent, const char* name, const char* text, int top) {
  auto* edit = Named(new QLineEdit(QString::fromLatin1(text), parent), name);
  edit->setGeometry(kBoxLeft, top, kBoxWidth - kUpDownWidth, kBoxHeight);
  return edit;
}

QPushButton* Button(QWidget* parent, const char* name, const QString& caption, int top) {
  return PlacedButton(parent, name, caption, QRect(kBoxLeft, top, kBoxWidth, kButtonHeight));
}

// Up-down buttons bound to an edit: the arrows move the edit's number by
// whole steps within the range; what is typed in the edit (decimals too)
// stays as typed and sets the position the arrows start from.
class UpDown : public QSpinBox {
 public:
  UpDown(QWidget* parent, const char* name, QLineEdit* buddy, int position) : QSpinBox(parent) {
    setObjectName(QString::fromLatin1(name));
    setRange(0, 100);
    setSingleStep(1);
    setValue(position);
    setFocusPolicy(Qt::NoFocus);
    lineEdit()->setVisible(false);  // only the arrows show; the buddy holds the text
    setGeometry(buddy->geometry().right() + 1, buddy->y(), kUpDownWidth, buddy->height());
    connect(this, &QSpinBox::valueChanged, buddy,
            [buddy](int value) { buddy->setText(QString::number(value)); });
    connect(buddy, &QLineEdit::textChanged, this, [this](const QString& text) { Follow(text); });
  }

 private:
  void Follow(const QString& text) {
    // The program's one number rule: "." or the locale's separator.
    double typed = 0;
    try {
      typed = static_cast<double>(StrToFloat(text.toStdString()));
    } catch (const Error&) {
      return;
    }
    if (!std::isfinite(typed)) return;
    const QSignalBlocker quiet(this);  // the buddy keeps exactly what was typed
    setValue(static_cast<int>(std::clamp(std::trunc(typed), 0.0, 100.0)));
  }
};

}  // namespace

struct TestChartWindow::Controls {
  QComboBox* paper_box = nullptr;  // Size
  QComboBox* dpi_box = nullptr;  // DPI
  QLineEdit* lpi_edit = nullptr;      // LPI
  QLineEdit* lines_edit = nullptr;      // lines (hidden)
  QLineEdit* step_edit = nullptr;      // step (hidden)
  QFrame* preview_panel = nullptr;
  PictureView* preview = nullptr;
  QComboBox* row_box = nullptr;  // the chart's rows, by their labels
  QProgressBar* progress_bar = nullptr;  // shown while a Create runs
  QPushButton* cancel_button = nullptr;  // likewise
};

TestChartWindow::TestChartWindow(MakerState& state, Dialogs& dialogs, PrinterPort& printer,
                                 QWidget* parent)
    : QWidget(parent), state_(state), dialogs_(dialogs), printer_(printer) {
  setObjectName(QStringLiteral("Testform"));
  // Its own sizeable window, above the main window.
  setWindowFlags(SideWindowFlags(Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint));
  setWindowTitle(Texts::tr("Test LPI"));
  setFont(QFont(QStringLiteral("MS Sans Serif")));
  move(203, 104);
  // 694 x 578 outside, the window manager's frame included.
  OuterFit::StartOuterSize(*this, QSize(694, 578));
  BuildControls();
  bar_sink_ = std::make_unique<QtProgressBar>(controls_->progress_bar);
  own_work_ = std::make_unique<BackgroundWork>(dialogs_, *bar_sink_);
  FollowWork(*own_work_);
}

TestChartWindow::~TestChartWindow() {
  // A Create still running stops before the controls it reports to go.
  if (own_work_ != nullptr) {
    QObject::disconnect(own_work_.get(), nullptr, this, nullptr);
    own_work_->CancelAndWait();
  }
}

void TestChartWindow::ShareBackgroundWork(BackgroundWork& work) {
  if (Busy()) return;  // the work of the moment keeps its worker
  own_work_.reset();
  FollowWork(work);
}

void TestChartWindow::FollowWork(BackgroundWork& work) {
  work_ = &work;
  connect(work_, &BackgroundWork::BusyChanged, this, &TestChartWindow::ShowBusy);
}

bool TestChartWindow::Busy() const { return work_->Busy(); }

void TestChartWindow::ShowBusy(bool busy) {
  Controls& c = *controls_;
  if (!busy) creating_ = false;
  for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    if (child != c.progress_bar && child != c.cancel_button) child->setEnabled(!busy);
  }
  c.progress_bar->setVisible(busy && creating_);
  c.cancel_button->setVisible(busy && creating_);
  if (busy && creating_) c.cancel_button->setFocus();
}

void TestChartWindow::SetScreenCursor(Cursor cursor) { SetApplicationCursor(cursor); }

void TestChartWindow::BuildControls() {
  controls_ = std::make_unique<Controls>();
  Controls& c = *controls_;
  Label(this, "Label1", Texts::tr("Size:"), 28);
  c.paper_box = DropDown(this, "ComboBox1", {"A4", "A3", "8' x 10'", ""}, 0, 28);
  Label(this, "Label3", Texts::tr("DPI:"), 68);
  c.dpi_box = DropDown(this, "ComboBox2",
                         {"300", "360", "600", "720", "1200", "1440", "2400", "3600"}, 4, 68);
  Label(this, "Label6", Texts::tr("LPI:"), 108);
  c.lpi_edit = Edit(this, "Edit1", "40", 108);
  new UpDown(this, "UpDown1", c.lpi_edit, 40);

  // Lines and step: fixed for the person, hidden as they always were.
  const QList<QWidget*> hidden = {Label(this, "Label4", Texts::tr("Lines:"), 148),
                                  c.lines_edit = Edit(this, "Edit2", "11", 148),
                                  new UpDown(this, "UpDown2", c.lines_edit, 11),
                                  Label(this, "Label5", Texts::tr("Step:"), 188),
                                  c.step_edit = Edit(this, "Edit3", "10", 188),
                                  new UpDown(this, "UpDown3", c.step_edit, 10)};
  for (QWidget* widget : hidden) widget->setVisible(false);

  connect(Button(this, "Button5", Texts::tr("&Create"), 236), &QPushButton::clicked, this,
          &TestChartWindow::OnCreate);
  connect(Button(this, "Button1", Texts::tr("&Save"), 276), &QPushButton::clicked, this,
          &TestChartWindow::OnSave);
  connect(Button(this, "Button2", Texts::tr("&Print"), 316), &QPushButton::clicked, this,
          &TestChartWindow::OnPrint);
  connect(Button(this, "Button4", Texts::tr("&Close"), 356), &QPushButton::clicked, this,
          &TestChartWindow::OnClose);
  QPushButton* reset = Button(this, "Button3", Texts::tr("&Reset"), 396);
  reset->setVisible(false);
  connect(reset, &QPushButton::clicked, this, &TestChartWindow::OnReset);

  // The row that looked even through the sheet, picked from the list or
  // by a click on it in the preview, gives the main window's lens.
  Label(this, "RowLabel", Texts::tr("Row:"), 436);
  c.row_box = Named(new QComboBox(this), "RowBox");
  c.row_box->setGeometry(kBoxLeft, 436, kBoxWidth, kBoxHeight);
  c.row_box->setToolTip(Texts::tr("The row that looks even through the lens sheet"));
  QPushButton* use = Button(this, "UseRowButton", Texts::tr("Use this pitch"), 466);
  use->setToolTip(
      Texts::tr("The main window's lens pitch becomes this row's and its output "
                "resolution the chart's DPI"));
  connect(use, &QPushButton::clicked, this, &TestChartWindow::OnUseRow);

  // A Create of a large chart takes seconds: its progress and a way out.
  c.progress_bar = Named(new QProgressBar(this), "ChartProgressBar");
  c.progress_bar->setGeometry(kLabelLeft, 506, kBoxLeft + kBoxWidth - kLabelLeft, 17);
  c.progress_bar->setTextVisible(false);
  c.progress_bar->hide();
  c.cancel_button = Button(this, "ChartCancelButton", Texts::tr("Cancel"), 530);
  c.cancel_button->setToolTip(Texts::tr("Stop the chart (Esc); the previous chart stays"));
  c.cancel_button->hide();
  connect(c.cancel_button, &QPushButton::clicked, this, &TestChartWindow::OnCancelCreate);

  c.preview_panel = Named(new QFrame(this), "Panel2");
  c.preview_panel->setFrameStyle(QFrame::Box | QFrame::Plain);
  c.preview_panel->setLineWidth(1);
  c.preview_panel->setAutoFillBackground(true);
  QPalette white = c.preview_panel->palette();
  white.setColor(QPalette::Window, Qt::white);
  c.preview_panel->setPalette(white);
  c.preview_panel->setGeometry(kPanelAtStart);
  c.preview = Named(new PictureView(c.preview_panel), "Image1");
  c.preview->SetBackground(Qt::white);
  connect(c.preview, &PictureView::MouseReleased, this, &TestChartWindow::OnPreviewReleased);
  PlacePreview();
}

void TestChartWindow::PlacePreview() {
  Controls& c = *controls_;
  const int width = std::max(kPanelAtStart.width(), this->width() - kPanelAtStart.left() -
                                                        kPanelRightMargin);
  const int height = std::max(kPanelAtStart.height(), this->height() - kPanelAtStart.top() -
                                                          kPanelBottomMargin);
  c.preview_panel->setGeometry(kPanelAtStart.left(), kPanelAtStart.top(), width, height);
  // preview fills the panel inside its one-pixel border.
  c.preview->setGeometry(c.preview_panel->contentsRect());
}

void TestChartWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (controls_ != nullptr) PlacePreview();
}

void TestChartWindow::ShowPreview(const Raster& preview) { controls_->preview->SetPicture(Picture(preview)); }

ChartSettings TestChartWindow::CurrentSettings() const {
  const Controls& c = *controls_;
  ChartSettings settings;
  // A typed size that names no entry selects none (A4 by the paper table).
  settings.paper_index = c.paper_box->findText(c.paper_box->currentText(), Qt::MatchExactly);
  settings.dpi_text = c.dpi_box->currentText().toStdString();
  settings.lpi_text = c.lpi_edit->text().toStdString();
  settings.lines_text = c.lines_edit->text().toStdString();
  settings.step_text = c.step_edit->text().toStdString();
  return settings;
}

void TestChartWindow::ApplySettings(const ChartSettings& settings) {
  const Controls& c = *controls_;
  c.paper_box->setCurrentIndex(settings.paper_index);
  const QString dpi = QString::fromStdString(settings.dpi_text);
  const int listed = c.dpi_box->findText(dpi, Qt::MatchExactly);
  if (listed >= 0) c.dpi_box->setCurrentIndex(listed);
  c.dpi_box->setCurrentText(dpi);
  c.lpi_edit->setText(QString::fromStdString(settings.lpi_text));
  c.lines_edit->setText(QString::fromStdString(settings.lines_text));
  c.step_edit->setText(QString::fromStdString(settings.step_text));
}

void TestChartWindow::OnCreate() {
  if (Busy()) return;
  // The settings are read here; the chart is drawn off the window's thread.
  creating_ = true;
  bool started = false;
  Guarded(dialogs_, [&] {
    started = work_->Start(StartCreateChart(state_, *this, CurrentSettings()), [this] { ShowRows(); },
                           bar_sink_.get());
  });
  creating_ = started;
}

void TestChartWindow::OnCancelCreate() { work_->Cancel(); }

void TestChartWindow::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape && Busy()) {
    work_->Cancel();
    return;
  }
  QWidget::keyPressEvent(event);
}

void TestChartWindow::ShowRows() {
  QComboBox* box = controls_->row_box;
  box->clear();
  for (const std::string& label : state_.chart.RowLabels) box->addItem(QString::fromStdString(label));
  // The centre row carries the nominal pitch.
  if (!state_.chart.RowLabels.empty()) box->setCurrentIndex(static_cast<int>(state_.chart.RowLabels.size()) / 2);
}

void TestChartWindow::OnUseRow() {
  bool used = false;
  Guarded(dialogs_, [&] {
    const bool had_chart = state_.chart.TestChart.has_value();
    UseChartPitch(state_, dialogs_, controls_->row_box->currentIndex() + 1);
    used = had_chart;
  });
  if (used) emit LensChosen();
}

void TestChartWindow::OnPreviewReleased(QPoint pos) {
  const PictureView* preview = controls_->preview;
  const QRect shown = preview->DisplayRect();
  if (!state_.chart.TestChart || shown.isEmpty() || !shown.contains(pos)) return;
  // The preview shows the whole chart: back to chart pixel rows.
  const int64_t y = int64_t{pos.y() - shown.top()} * state_.chart.TestChart->Height() / shown.height();
  const int row = ChartRowAt(state_.chart, y);
  if (row > 0) controls_->row_box->setCurrentIndex(row - 1);
}

void TestChartWindow::OnSave() {
  Guarded(dialogs_, [&] { SaveChart(state_, dialogs_); });
}

void TestChartWindow::OnPrint() {
  // No preview follows the chart's set-up: its button says Print.
  auto* port = dynamic_cast<QtPrinterPort*>(&printer_);
  if (port != nullptr) port->SetSetupPrintsAtOnce(true);
  Guarded(dialogs_, [&] {
    PrintTestChart(state_, dialogs_, printer_, controls_->dpi_box->currentText().toStdString());
  });
  if (port != nullptr) port->SetSetupPrintsAtOnce(false);
}

// Closing only hides: the chart, the preview and the settings stay.
void TestChartWindow::OnClose() { hide(); }

void TestChartWindow::OnReset() {
  Guarded(dialogs_, [&] { ApplySettings(ResetChartSettings(state_)); });
}

}  // namespace lenti::ui
