// The about window: the splash ends at a click on the picture or after its
// timer, the hot spot opens the web address and closes the window, and the
// "&About" window keeps its border and stays open after its timer.
#include <QApplication>
#include <QContextMenuEvent>
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include "ui/about_window.h"
#include "ui/web_address.h"

using namespace lenti::ui;

// Stands in for the browser: records what the desktop was asked to open.
class UrlCatcher : public QObject {
  Q_OBJECT
 public:
  QList<QUrl> opened;
 public slots:
  void Open(const QUrl& url) { opened << url; }
};

class AboutTest : public QObject {
  Q_OBJECT

 private:
  UrlCatcher catcher_;

 private slots:
  void initTestCase() { QDesktopServices::setUrlHandler("https", &catcher_, "Open"); }
  void cleanupTestCase() { QDesktopServices::unsetUrlHandler("https"); }
  void init() { catcher_.opened.clear(); }

  void theSplashIsFramelessOnTopCentredAndShowsTheWholePicture() {
    AboutWindow splash(AboutMode::Splash, nullptr, 60000);
    QVERIFY(splash.windowFlags() & Qt::FramelessWindowHint);
    QVERIFY(splash.windowFlags() & Qt::WindowStaysOnTopHint);
    QCOMPARE(splash.size(), QSize(800, 600));
    QWidget* picture = splash.findChild<QWidget*>("Image1");
    QVERIFY(picture != nullptr);
    QCOMPARE(picture->geometry(), QRect(0, 0, 800, 600));
    const QRect desktop = QGuiApplication::primaryScreen()->availableGeometry();
    QVERIFY(qAbs(splash.frameGeometry().center().x() - desktop.center().x()) <= 1);
    QVERIFY(qAbs(splash.frameGeometry().center().y() - desktop.center().y()) <= 1);
    QWidget* hot_spot = splash.findChild<QWidget*>("Shape1");
    QVERIFY(hot_spot != nullptr);
    QCOMPARE(hot_spot->geometry(), QRect(24, 322, 273, 25));
  }

  void theSplashEndsAfterItsTimer() {
    AboutWindow splash(AboutMode::Splash, nullptr, 50);
    QVERIFY(splash.TimerActive());
    QElapsedTimer clock;
    clock.start();
    RunSplash(splash);
    QVERIFY(!splash.TimerActive());
    QVERIFY(clock.elapsed() >= 40);
    QVERIFY(clock.elapsed() < 5000);
  }

  void aClickOnThePictureEndsTheSplashAtOnce() {
    AboutWindow splash(AboutMode::Splash, nullptr, 60000);
    QTimer::singleShot(0, &splash, [&] {
      QTest::mouseClick(splash.findChild<QWidget*>("Image1"), Qt::LeftButton, {}, QPoint(400, 100));
    });
    QElapsedTimer clock;
    clock.start();
    RunSplash(splash);
    QVERIFY(!splash.TimerActive());
    QVERIFY(clock.elapsed() < 5000);
  }

  void theHotSpotOpensTheAddressAndClosesTheWindow_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("contextMenu");
    QTest::newRow("splash, press") << int(AboutMode::Splash) << false;
    QTest::newRow("splash, context menu") << int(AboutMode::Splash) << true;
    QTest::newRow("about, right press") << int(AboutMode::About) << false;
    QTest::newRow("about, context menu") << int(AboutMode::About) << true;
  }

  void theHotSpotOpensTheAddressAndClosesTheWindow() {
    QFETCH(int, mode);
    QFETCH(bool, contextMenu);
    AboutWindow about(static_cast<AboutMode>(mode), nullptr, 60000);
    about.show();
    QVERIFY(QTest::qWaitForWindowExposed(&about));
    QWidget* hot_spot = about.findChild<QWidget*>("Shape1");
    if (contextMenu) {
      QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5), hot_spot->mapToGlobal(QPoint(5, 5)));
      QApplication::sendEvent(hot_spot, &event);
    } else {
      QTest::mousePress(hot_spot, Qt::RightButton, {}, QPoint(5, 5));
    }
    QCOMPARE(catcher_.opened, QList<QUrl>{QUrl(QString::fromLatin1(kWebAddress))});
    QVERIFY(!about.isVisible());
  }

  void theAboutWindowKeepsABorderAndStaysOpenAfterItsTimer() {
    AboutWindow about(AboutMode::About, nullptr, 20);
    QVERIFY(!(about.windowFlags() & Qt::FramelessWindowHint));
    QVERIFY(about.windowFlags() & Qt::WindowCloseButtonHint);
    QVERIFY(!(about.windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(!(about.windowFlags() & Qt::WindowMinimizeButtonHint));
    QCOMPARE(about.minimumSize(), about.maximumSize());
    QSignalSpy stopped(&about, &AboutWindow::TimerStopped);
    about.show();
    QVERIFY(stopped.wait(5000));
    QTest::qWait(20);
    QVERIFY(about.isVisible());
    QVERIFY(catcher_.opened.isEmpty());
  }
};

QTEST_MAIN(AboutTest)
#include "about_test.moc"
