// TTestform: the settings column, the four buttons and the preview panel.
// Every handler only turns the click into a call of the chart commands.
#include "ui/unit7.h"

#include <algorithm>
#include <cmath>

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QResizeEvent>
#include <QSpinBox>

#include "ui/guard.h"
#include "ui/picture_view.h"

namespace lenti::ui {
namespace {

constexpr int kLabelLeft = 48;
constexpr int kBoxLeft = 112;
constexpr int kBoxWidth = 105;
constexpr int kBoxHeight = 21;
constexpr int kUpDownWidth = 17;
constexpr int kButtonHeight = 25;
// Panel2 is 409 x 505 in a 694 x 578 window; it keeps these margins when the
// window is resized, so the preview fills the right side.
constexpr QRect kPanelAtStart(256, 16, 409, 505);
constexpr int kPanelRightMargin = 694 - 256 - 409;
constexpr int kPanelBottomMargin = 578 - 16 - 505;

template <typename W>
W* Named(W* widget, const char* name) {
  widget->setObjectName(QString::fromLatin1(name));
  return widget;
}

QLabel* Label(QWidget* parent, const char* name, const char* caption, int top) {
  auto* label = Named(new QLabel(QString::fromUtf8(caption), parent), name);
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

QPushButton* Button(QWidget* parent, const char* name, const char* caption, int top) {
  auto* button = Named(new QPushButton(QString::fromLatin1(caption), parent), name);
  button->setGeometry(kBoxLeft, top, kBoxWidth, kButtonHeight);
  return button;
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
    bool ok = false;
    const double typed = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(typed)) return;
    const QSignalBlocker quiet(this);  // the buddy keeps exactly what was typed
    setValue(static_cast<int>(std::clamp(std::trunc(typed), 0.0, 100.0)));
  }
};

}  // namespace

struct TTestform::Controls {
  QComboBox* ComboBox1 = nullptr;  // Size
  QComboBox* ComboBox2 = nullptr;  // DPI
  QLineEdit* Edit1 = nullptr;      // LPI
  QLineEdit* Edit2 = nullptr;      // lines (hidden)
  QLineEdit* Edit3 = nullptr;      // step (hidden)
  QFrame* Panel2 = nullptr;
  PictureView* Image1 = nullptr;
};

TTestform::TTestform(MakerState& state, Frontend& frontend, PrinterPort& printer, QWidget* parent)
    : QWidget(parent), state_(state), frontend_(frontend), printer_(printer), controls_(nullptr) {
  setObjectName(QStringLiteral("Testform"));
  setWindowFlags(Qt::Window);  // its own sizeable window, also with a parent
  setWindowTitle(QStringLiteral("Test LPI"));
  setFont(QFont(QStringLiteral("MS Sans Serif")));
  move(203, 104);
  resize(694, 578);
  BuildControls();
}

TTestform::~TTestform() { delete controls_; }

void TTestform::BuildControls() {
  controls_ = new Controls;
  Controls& c = *controls_;
  Label(this, "Label1", "Size:", 28);
  c.ComboBox1 = DropDown(this, "ComboBox1", {"A4", "A3", "8' x 10'", ""}, 0, 28);
  Label(this, "Label3", "DPI:", 68);
  c.ComboBox2 = DropDown(this, "ComboBox2",
                         {"300", "360", "600", "720", "1200", "1440", "2400", "3600"}, 4, 68);
  Label(this, "Label6", "LPI:", 108);
  c.Edit1 = Edit(this, "Edit1", "40", 108);
  new UpDown(this, "UpDown1", c.Edit1, 40);

  // Lines and step: fixed for the person, hidden as they always were.
  const QList<QWidget*> hidden = {
      Label(this, "Label4", "Lines:", 148), c.Edit2 = Edit(this, "Edit2", "11", 148),
      new UpDown(this, "UpDown2", c.Edit2, 11), Label(this, "Label5", "Step:", 188),
      c.Edit3 = Edit(this, "Edit3", "10", 188), new UpDown(this, "UpDown3", c.Edit3, 10)};
  for (QWidget* widget : hidden) widget->setVisible(false);

  connect(Button(this, "Button5", "&Create", 236), &QPushButton::clicked, this,
          &TTestform::Button5Click);
  connect(Button(this, "Button1", "&Save", 276), &QPushButton::clicked, this,
          &TTestform::Button1Click);
  connect(Button(this, "Button2", "&Print", 316), &QPushButton::clicked, this,
          &TTestform::Button2Click);
  connect(Button(this, "Button4", "&Close", 356), &QPushButton::clicked, this,
          &TTestform::Button4Click);
  QPushButton* reset = Button(this, "Button3", "&Reset", 396);
  reset->setVisible(false);
  connect(reset, &QPushButton::clicked, this, &TTestform::Button3Click);

  c.Panel2 = Named(new QFrame(this), "Panel2");
  c.Panel2->setFrameStyle(QFrame::Box | QFrame::Plain);
  c.Panel2->setLineWidth(1);
  c.Panel2->setAutoFillBackground(true);
  QPalette white = c.Panel2->palette();
  white.setColor(QPalette::Window, Qt::white);
  c.Panel2->setPalette(white);
  c.Panel2->setGeometry(kPanelAtStart);
  c.Image1 = Named(new PictureView(c.Panel2), "Image1");
  c.Image1->SetBackground(Qt::white);
  PlacePreview();
}

void TTestform::PlacePreview() {
  Controls& c = *controls_;
  const int width = std::max(kPanelAtStart.width(), this->width() - kPanelAtStart.left() -
                                                        kPanelRightMargin);
  const int height = std::max(kPanelAtStart.height(), this->height() - kPanelAtStart.top() -
                                                          kPanelBottomMargin);
  c.Panel2->setGeometry(kPanelAtStart.left(), kPanelAtStart.top(), width, height);
  // Image1 fills the panel inside its one-pixel border.
  c.Image1->setGeometry(c.Panel2->contentsRect());
}

void TTestform::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (controls_ != nullptr) PlacePreview();
}

void TTestform::ShowPreview(const Raster& preview) { controls_->Image1->SetPicture(Picture(preview)); }

ChartSettings TTestform::CurrentSettings() const {
  const Controls& c = *controls_;
  ChartSettings settings;
  // A typed size that names no entry selects none (A4 by the paper table).
  settings.paper_index = c.ComboBox1->findText(c.ComboBox1->currentText(), Qt::MatchExactly);
  settings.dpi_text = c.ComboBox2->currentText().toStdString();
  settings.lpi_text = c.Edit1->text().toStdString();
  settings.lines_text = c.Edit2->text().toStdString();
  settings.step_text = c.Edit3->text().toStdString();
  return settings;
}

void TTestform::ApplySettings(const ChartSettings& settings) {
  const Controls& c = *controls_;
  c.ComboBox1->setCurrentIndex(settings.paper_index);
  const QString dpi = QString::fromStdString(settings.dpi_text);
  const int listed = c.ComboBox2->findText(dpi, Qt::MatchExactly);
  if (listed >= 0) c.ComboBox2->setCurrentIndex(listed);
  c.ComboBox2->setCurrentText(dpi);
  c.Edit1->setText(QString::fromStdString(settings.lpi_text));
  c.Edit2->setText(QString::fromStdString(settings.lines_text));
  c.Edit3->setText(QString::fromStdString(settings.step_text));
}

void TTestform::Button5Click() {
  Guarded(this, [&] { CreateChart(state_, frontend_, CurrentSettings()); });
}

void TTestform::Button1Click() {
  Guarded(this, [&] { SaveChart(state_, frontend_); });
}

void TTestform::Button2Click() {
  Guarded(this, [&] {
    PrintTestChart(state_, frontend_, printer_, controls_->ComboBox2->currentText().toStdString());
  });
}

// Closing only hides: the chart, the preview and the settings stay.
void TTestform::Button4Click() { hide(); }

void TTestform::Button3Click() {
  Guarded(this, [&] { ApplySettings(ResetChartSettings(state_)); });
}

}  // namespace lenti::ui
