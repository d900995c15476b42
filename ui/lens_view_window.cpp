#include "ui/lens_view_window.h"

#include <cmath>
#include <string>

#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHideEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QTimer>
#include <QVBoxLayout>

#include "core/lens_pitch.h"
#include "core/numerics.h"
#include "finishing/text_overlay.h"
#include "ui/guard.h"
#include "ui/picture_view.h"
#include "ui/texts.h"
#include "ui/widget_helpers.h"

namespace lenti::ui {

// The view, centred on a dark surround; it asks for a new view when its
// size changes.
class LensViewPanel : public QWidget {
 public:
  explicit LensViewPanel(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(240, 180);
  }
  std::function<void()> resized;
  QImage image;

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.fillRect(rect(), QColor(48, 48, 48));
    if (!image.isNull()) {
      painter.drawImage(QPoint((width() - image.width()) / 2, (height() - image.height()) / 2), image);
    }
  }
  void resizeEvent(QResizeEvent*) override {
    if (resized) resized();
  }
};

namespace {

constexpr int kPlayStep = 10;  // slider positions per Play tick: 0.01 of a lens


QString Text(const std::string& utf8) { return QString::fromStdString(utf8); }

}  // namespace

bool LensViewWindow::Taken::operator==(const Taken& other) const {
  return bits == other.bits && width == other.width && height == other.height && geometry == other.geometry &&
         text == other.text && text_x == other.text_x && text_y == other.text_y && font == other.font;
}

LensViewWindow::LensViewWindow(const MakerState& state, Dialogs& dialogs, QWidget* parent)
    : QWidget(parent), state_(state), dialogs_(dialogs) {
  setObjectName(QStringLiteral("LensViewWindow"));
  setWindowFlags(SideWindowFlags(Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint));
  setWindowTitle(Texts::tr("View through lens"));
  BuildControls();
  // Most of the screen: the view is the point of the window.
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->availableGeometry();
    resize(area.width() * 3 / 4, area.height() * 7 / 8);
    move(area.left() + area.width() / 8, area.top() + area.height() / 32);
  }
}

LensViewWindow::~LensViewWindow() = default;

void LensViewWindow::BuildControls() {
  panel_ = Named(new LensViewPanel(this), "LensView");
  panel_->resized = [this] { Redraw(); };

  angle_slider_ = Named(new QSlider(Qt::Horizontal, this), "AngleSlider");
  angle_slider_->setRange(0, kAngleSteps - 1);
  angle_slider_->setPageStep(kAngleSteps / 20);
  angle_caption_ = Named(new QLabel(this), "AngleCaption");
  angle_caption_->setMinimumWidth(angle_caption_->fontMetrics().horizontalAdvance(
      QStringLiteral("Angle 0.000: frame 16 of 16  ")));
  play_button_ = Named(new QPushButton(Texts::tr("&Play"), this), "PlayButton");
  play_button_->setCheckable(true);

  pitch_edit_ = Named(new QLineEdit(this), "SheetPitchEdit");
  pitch_edit_->setMaximumWidth(pitch_edit_->fontMetrics().horizontalAdvance(QStringLiteral("0000.00000")));
  pitch_error_ = Named(new QLabel(this), "PitchErrorCaption");
  phase_slider_ = Named(new QSlider(Qt::Horizontal, this), "PhaseSlider");
  phase_slider_->setRange(-kPhaseSteps / 2, kPhaseSteps / 2);
  phase_slider_->setPageStep(kPhaseSteps / 20);
  phase_caption_ = Named(new QLabel(this), "PhaseCaption");
  auto* reset = Named(new QPushButton(Texts::tr("&Reset"), this), "ResetSheetButton");
  lens_caption_ = Named(new QLabel(this), "LensCaption");
  fault_caption_ = Named(new QLabel(this), "SheetFaultCaption");
  fault_caption_->setStyleSheet(QStringLiteral("color: #b00000"));

  auto* angle_row = new QHBoxLayout;
  angle_row->addWidget(new QLabel(Texts::tr("Angle:"), this));
  angle_row->addWidget(angle_slider_, 1);
  angle_row->addWidget(angle_caption_);
  angle_row->addWidget(play_button_);

  auto* sheet_row = new QHBoxLayout;
  sheet_row->addWidget(new QLabel(Texts::tr("Sheet pitch (LPI):"), this));
  sheet_row->addWidget(pitch_edit_);
  sheet_row->addWidget(pitch_error_);
  sheet_row->addSpacing(16);
  sheet_row->addWidget(new QLabel(Texts::tr("Phase:"), this));
  sheet_row->addWidget(phase_slider_, 1);
  sheet_row->addWidget(phase_caption_);
  sheet_row->addWidget(reset);

  auto* info_row = new QHBoxLayout;
  info_row->addWidget(lens_caption_);
  info_row->addStretch(1);
  info_row->addWidget(fault_caption_);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(panel_, 1);
  layout->addLayout(angle_row);
  layout->addLayout(sheet_row);
  layout->addLayout(info_row);

  play_timer_ = new QTimer(this);
  play_timer_->setInterval(kPlayIntervalMs);
  connect(play_timer_, &QTimer::timeout, this, &LensViewWindow::OnPlayStep);
  connect(angle_slider_, &QSlider::valueChanged, this, &LensViewWindow::OnAngleChanged);
  connect(play_button_, &QPushButton::toggled, this, &LensViewWindow::OnPlay);
  connect(pitch_edit_, &QLineEdit::textEdited, this, &LensViewWindow::OnPitchEdited);
  connect(phase_slider_, &QSlider::valueChanged, this, &LensViewWindow::OnPhaseChanged);
  connect(reset, &QPushButton::clicked, this, &LensViewWindow::OnReset);
}

double LensViewWindow::Angle() const { return static_cast<double>(angle_slider_->value()) / kAngleSteps; }

QString LensViewWindow::SheetFault() const { return fault_; }

LensViewWindow::Taken LensViewWindow::Identify() const {
  Taken t;
  if (state_.merged.MergedBitmap) {
    t.bits = state_.merged.MergedBitmap->Bits();
    t.width = state_.merged.MergedBitmap->Width();
    t.height = state_.merged.MergedBitmap->Height();
  }
  t.geometry = state_.merged.Geometry;
  t.text = state_.overlay.OverlayText;
  t.text_x = state_.overlay.TextX;
  t.text_y = state_.overlay.TextY;
  if (state_.overlay.OverlayFont) t.font = *state_.overlay.OverlayFont;
  return t;
}

void LensViewWindow::Follow() {
  if (!state_.merged.MergedBitmap) return;
  const Taken now = Identify();
  if (taken_ && *taken_ == now) return;
  const LensViewStart before = start_;
  const bool first = !taken_;
  Guarded(dialogs_, [&] {
    // What Save writes and Print prints: the pending text is on the paper too.
    std::optional<Raster> scratch;
    const Raster& picture = PictureWithText(state_, scratch);
    picture_ = scratch ? std::move(*scratch) : picture;
    start_ = LensViewDefaults(state_);
    taken_ = now;
  });
  // A new merge (or a turn) starts from its own sheet; a changed text keeps
  // the sheet being tried.
  const bool same_sheet = before.axis == start_.axis && before.frame_count == start_.frame_count &&
                          before.sheet.lpi == start_.sheet.lpi && before.sheet.dpi == start_.sheet.dpi &&
                          before.sheet.phase == start_.sheet.phase;
  if (first || !same_sheet) {
    OnReset();
  } else {
    Redraw();
  }
}

void LensViewWindow::OnReset() {
  sheet_ = start_.sheet;
  pitch_edit_->setText(Text(FloatToStr(sheet_.lpi)));
  {
    const QSignalBlocker quiet(phase_slider_);
    phase_slider_->setValue(static_cast<int>(std::lround(sheet_.phase * kPhaseSteps)));
  }
  fault_.clear();
  Redraw();
}

void LensViewWindow::OnAngleChanged() { Redraw(); }

void LensViewWindow::OnPitchEdited() {
  // Read and ranged as every pitch is; a fault is shown, never a message box.
  const std::optional<LensPitch> pitch = ReadLensPitch(pitch_edit_->text().toStdString());
  if (!pitch) {
    fault_ = Texts::tr("The sheet pitch must be a number of lines per inch, such as 21.25");
  } else if (!InLensPitchRange(*pitch)) {
    fault_ = Text("The sheet pitch must lie between " + LensPitchRangeText() + " lpi");
  } else {
    LensSheet sheet = sheet_;
    sheet.lpi = pitch->Lpi();
    fault_ = Text(LensSheetFault(sheet));
    if (fault_.isEmpty()) sheet_ = sheet;
  }
  Redraw();
}

void LensViewWindow::OnPhaseChanged() {
  sheet_.phase = static_cast<double>(phase_slider_->value()) / kPhaseSteps;
  Redraw();
}

void LensViewWindow::OnPlay(bool playing) {
  play_button_->setText(playing ? Texts::tr("&Stop") : Texts::tr("&Play"));
  if (playing) {
    play_timer_->start();
  } else {
    play_timer_->stop();
  }
}

void LensViewWindow::OnPlayStep() {
  const double step = static_cast<double>(kPlayStep) / kAngleSteps;
  const PlayStep next = NextPlayAngle(Angle(), play_direction_, step);
  play_direction_ = next.direction;
  angle_slider_->setValue(static_cast<int>(std::lround(next.angle * kAngleSteps)));
}

void LensViewWindow::hideEvent(QHideEvent* event) {
  play_button_->setChecked(false);
  QWidget::hideEvent(event);
}

void LensViewWindow::Redraw() {
  if (fault_caption_ == nullptr) return;  // still being built
  const double angle = Angle();
  angle_caption_->setText(Text(ViewAngleCaption(angle, start_.frame_count, sheet_.phase - start_.sheet.phase)));
  const double merged_lpi = start_.sheet.lpi;
  pitch_error_->setText(merged_lpi > 0 ? QString::asprintf("%+.2f %% against the merge's %s", (sheet_.lpi / merged_lpi - 1) * 100,
                                                           FloatToStr(merged_lpi).c_str())
                                       : QString());
  phase_caption_->setText(QString::asprintf("%+.3f lens", sheet_.phase));
  lens_caption_->setText(
      QString::asprintf("%s lpi over %s dpi: %.4g px per lens, strips %s", FloatToStr(sheet_.lpi).c_str(),
                        FloatToStr(sheet_.dpi).c_str(), LensPixels(sheet_),
                        start_.axis == Mode::PortraitRows ? "across (rows)" : "upright (columns)"));
  fault_caption_->setText(fault_);
  if (picture_.Empty() || !LensSheetFault(sheet_).empty()) return;
  const QRect fit = FitDisplayRect(QSize(picture_.Width(), picture_.Height()), panel_->size());
  Guarded(dialogs_, [&] {
    view_ = RenderLensViewScaled(picture_, start_.axis, sheet_, angle, Size{fit.width(), fit.height()});
    panel_->image = RasterImage(view_);
  });
  panel_->update();
}

}  // namespace lenti::ui
