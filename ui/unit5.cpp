#include "ui/unit5.h"

#include <algorithm>

#include <QContextMenuEvent>
#include <QEventLoop>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QTimer>

#include "ui/artwork.h"
#include "ui/picture_view.h"
#include "ui/web_address.h"

namespace lenti::ui {
namespace {

// Shape1: a transparent hot spot without outline; a press with any button,
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
  return Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
         Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint;
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

TAbout::TAbout(AboutMode mode, QWidget* parent, int timer_ms)
    : QWidget(parent, AboutFlags(mode)), mode_(mode) {
  setObjectName(QStringLiteral("About"));
  setWindowTitle(QStringLiteral("About"));
  setAttribute(Qt::WA_DeleteOnClose, false);
  setFixedSize(kSplashWidth, kSplashHeight);

  Image1 = new PictureView(this);
  Image1->setObjectName(QStringLiteral("Image1"));
  Image1->setGeometry(0, 0, kSplashWidth, kSplashHeight);
  Image1->SetPicture(SplashPicture());
  connect(Image1, &PictureView::Clicked, this, &TAbout::Image1Click);

  auto* hot_spot = new HotSpot(Image1);
  Shape1 = hot_spot;
  Shape1->setObjectName(QStringLiteral("Shape1"));
  Shape1->setGeometry(24, 322, 273, 25);
  Shape1->setCursor(Qt::PointingHandCursor);
  connect(hot_spot, &HotSpot::Activated, this, &TAbout::Shape1MouseDown);

  Timer1 = new QTimer(this);
  Timer1->setObjectName(QStringLiteral("Timer1"));
  Timer1->setSingleShot(true);
  Timer1->setInterval(timer_ms);
  connect(Timer1, &QTimer::timeout, this, &TAbout::Timer1Timer);
  Timer1->start();

  CentreOnDesktop(*this);
}

bool TAbout::TimerActive() const { return Timer1->isActive(); }

void TAbout::StopTimer() {
  const bool was_active = Timer1->isActive();
  Timer1->stop();
  if (was_active) emit TimerStopped();
}

void TAbout::Timer1Timer() { emit TimerStopped(); }

void TAbout::Image1Click() { StopTimer(); }

void TAbout::Shape1MouseDown() {
  close();
  OpenWebAddress();
}

void RunSplash(TAbout& splash) {
  splash.show();
  splash.repaint();
  if (!splash.TimerActive()) return;
  // Quits on the timer or the click; the splash keeps the events flowing.
  QEventLoop loop;
  QObject::connect(&splash, &TAbout::TimerStopped, &loop, &QEventLoop::quit);
  loop.exec();
}

}  // namespace lenti::ui

#include "unit5.moc"
