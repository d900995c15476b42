#include "ui/about_window.h"

#include <algorithm>

#include <QContextMenuEvent>
#include <QEventLoop>
#include <QKeyEvent>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QTimer>

#include "ui/artwork.h"
#include "ui/picture_view.h"
#include "ui/texts.h"
#include "ui/web_address.h"
#include "ui/widget_helpers.h"

namespace lenti::ui {
namespace {

// web_hot_spot_: a transparent hot spot without outline; a press with any button,
// or asking for its context menu, reports it.
class HotSpot : public QWidget {
  Q_OBJECT
 public:
  using QWidget::QWidget;

 signals:
  void Activated();

 protected:
  void mousePressEvent(QMouseEvent* event) override {
    event->accept();
    emit Activated();
  }
  void contextMenuEvent(QContextMenuEvent* event) override {
    event->accept();
    emit Activated();
  }
};

Qt::WindowFlags AboutFlags(AboutMode mode) {
  if (mode == AboutMode::Splash)
    return Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint;
  return SideWindowFlags(Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
}

// The picture as a raster for the image control (which shows it 1:1 here).
Picture SplashPicture() {
  const QImage image = DrawSplashPicture().convertToFormat(QImage::Format_BGR888);
  Raster raster(image.width(), image.height());
  for (int row = 0; row < image.height(); ++row)
    std::copy_n(image.constScanLine(row), image.width() * 3, raster.Row(row));
  return Picture(std::move(raster));
}

void CentreOnDesktop(QWidget& window) {
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  QRect frame = window.frameGeometry();
  frame.moveCenter(screen->availableGeometry().center());
  window.move(frame.topLeft());
}

}  // namespace

AboutWindow::AboutWindow(AboutMode mode, QWidget* parent, int timer_ms)
    : QWidget(parent, AboutFlags(mode)), mode_(mode) {
  setObjectName(QStringLiteral("About"));
  setWindowTitle(Texts::tr("About"));
  // "&About" makes a new window each time; it goes when closed. The
  // splash lives on the stack of the start-up.
  setAttribute(Qt::WA_DeleteOnClose, mode == AboutMode::About);
  setFixedSize(kSplashWidth, kSplashHeight);
  setFocusPolicy(Qt::StrongFocus);  // the keys (Esc) come to the window itself

  picture_ = new PictureView(this);
  picture_->setObjectName(QStringLiteral("Image1"));
  picture_->setGeometry(0, 0, kSplashWidth, kSplashHeight);
  picture_->SetPicture(SplashPicture());
  connect(picture_, &PictureView::Clicked, this, &AboutWindow::OnPictureClicked);

  auto* hot_spot = new HotSpot(picture_);
  web_hot_spot_ = hot_spot;
  web_hot_spot_->setObjectName(QStringLiteral("Shape1"));
  web_hot_spot_->setGeometry(24, 322, 273, 25);
  web_hot_spot_->setCursor(Qt::PointingHandCursor);
  connect(hot_spot, &HotSpot::Activated, this, &AboutWindow::OnWebHotSpot);

  timer_ = new QTimer(this);
  timer_->setObjectName(QStringLiteral("Timer1"));
  timer_->setSingleShot(true);
  timer_->setInterval(timer_ms);
  connect(timer_, &QTimer::timeout, this, &AboutWindow::OnTimer);
  timer_->start();

  CentreOnDesktop(*this);
}

bool AboutWindow::event(QEvent* event) {
  const bool escape = (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress) &&
                      static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape;
  if (mode_ != AboutMode::About || !escape) return QWidget::event(event);
  // Taken before the main window's Esc shortcut (which stops long work) sees it.
  event->accept();
  if (event->type() == QEvent::KeyPress) close();
  return true;
}

bool AboutWindow::TimerActive() const { return timer_->isActive(); }

void AboutWindow::StopTimer() {
  const bool was_active = timer_->isActive();
  timer_->stop();
  if (was_active) emit TimerStopped();
}

void AboutWindow::OnTimer() { emit TimerStopped(); }

void AboutWindow::OnPictureClicked() { StopTimer(); }

void AboutWindow::OnWebHotSpot() {
  close();
  OpenWebAddress();
}

void RunSplash(AboutWindow& splash) {
  splash.show();
  splash.repaint();
  if (!splash.TimerActive()) return;
  // Quits on the timer or the click; the splash keeps the events flowing.
  QEventLoop loop;
  QObject::connect(&splash, &AboutWindow::TimerStopped, &loop, &QEventLoop::quit);
  loop.exec();
}

}  // namespace lenti::ui

#include "about_window.moc"
