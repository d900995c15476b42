// The side windows of the main window (the test chart, "&About", the print
// preview, "View through lens") are the main window's transients, which the
// window manager keeps above it; "&About" closes with Esc, the splash does not.
#include <functional>
#include <map>

#include <QAction>
#include <QFileDialog>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>

#include "ui/about_window.h"
#include "ui/lens_view_window.h"
#include "ui/main_window.h"
#include "ui/test_chart_window.h"

using namespace lenti;
using namespace lenti::ui;

class SideWindowsTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir temp_;
  QStringList errors_;
  std::unique_ptr<MainWindow> form_;

  template <typename W = QWidget>
  W* Find(const char* name) const {
    return form_->findChild<W*>(QString::fromLatin1(name));
  }

  // The side window opened by `open`, found by its object name.
  QWidget* Open(const char* name, const std::function<void()>& open) {
    open();
    QWidget* window = Find(name);
    if (window == nullptr || !QTest::qWaitForWindowExposed(window)) return nullptr;
    return window;
  }

 private slots:
  void init() {
    errors_.clear();
    form_ = std::make_unique<MainWindow>((temp_.path() + "/work").toStdString());
    QtDialogs::Hooks& hooks = form_->Dialogs().hooks;
    hooks.show_error = [this](const QString& text) { errors_ << text; };
    hooks.show_message = [](const QString&) {};
    hooks.run_file_dialog = [](QFileDialog&) { return QString(); };
    hooks.show_printer_setup = [] {};
    form_->show();
    QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
    // A merged picture opens the print preview and the lens view.
    form_->State().merged.MergedBitmap = Raster(120, 140);
    form_->State().merged.Geometry.OutputDpiX = 2975000;
    form_->State().merged.Geometry.LensLpiX = 212500;
    form_->State().merged.Geometry.FrameCount = 2;
    form_->State().merged.Geometry.StripWidth = 7;
    Find<QRadioButton>("RadioButton4")->click();  // any command: the commands follow the state
    Find<QRadioButton>("RadioButton3")->click();
  }

  void cleanup() { form_.reset(); }

  void eachSideWindowIsATransientOfTheMainWindow_data() {
    QTest::addColumn<QString>("name");
    QTest::newRow("test chart") << "Testform";
    QTest::newRow("about") << "About";
    QTest::newRow("print preview") << "Printfrom";
    QTest::newRow("view through lens") << "LensViewWindow";
  }

  void eachSideWindowIsATransientOfTheMainWindow() {
    QFETCH(QString, name);
    const std::map<QString, std::function<void()>> openers = {
        {"Testform", [this] { Find<QAction>("PitchTestChartAction")->trigger(); }},
        {"About", [this] { Find<QPushButton>("Button9")->click(); }},
        {"Printfrom", [this] { Find<QPushButton>("Button14")->click(); }},
        {"LensViewWindow", [this] { Find<QAction>("ViewThroughLensAction")->trigger(); }},
    };
    QWidget* window = Open(name.toLatin1().constData(), openers.at(name));
    QVERIFY2(window != nullptr, qPrintable(errors_.join("; ")));
    QVERIFY(window->isWindow());
    QCOMPARE(window->parentWidget(), form_.get());
    // On X11 Qt marks only a window of the dialog type as a transient.
    QCOMPARE(window->windowType(), Qt::Dialog);
    QCOMPARE(window->windowHandle()->transientParent(), form_->windowHandle());
    // Above the main window, not above every program.
    QVERIFY(!window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(window->windowFlags().testFlag(Qt::WindowCloseButtonHint));
    QVERIFY(errors_.isEmpty());
  }

  // The chart window's Save opens the program's one save dialog over the
  // chart window (centred on it, kept above it); afterwards the dialog is
  // the main window's again.
  void theChartsSaveDialogOpensOverTheChartWindow() {
    QWidget* chart = Open("Testform", [this] { Find<QAction>("PitchTestChartAction")->trigger(); });
    QVERIFY(chart != nullptr);
    form_->State().chart.TestChart = Raster(16, 16, PixelFormat::pf1bit);
    chart->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(chart));
    QWidget* owner_while_open = nullptr;
    QFileDialog* asked = nullptr;
    form_->Dialogs().hooks.run_file_dialog = [&](QFileDialog& dialog) {
      asked = &dialog;
      owner_while_open = dialog.parentWidget();
      return QString();
    };
    QTest::mouseClick(chart->findChild<QPushButton*>(QStringLiteral("Button1")), Qt::LeftButton);
    QVERIFY(asked != nullptr);
    QCOMPARE(owner_while_open, chart);
    QCOMPARE(asked->parentWidget(), form_.get());
    QVERIFY(asked->isWindow());
    QVERIFY(errors_.isEmpty());
  }

  // Esc closes "&About" although the main window's Esc (which stops long
  // work) is an application-wide shortcut.
  void escClosesTheAboutWindow() {
    Find<QPushButton>("Button9")->click();
    QPointer<AboutWindow> about(form_->findChild<AboutWindow*>());
    QVERIFY(about != nullptr);
    about->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(about));
    QTest::keyClick(about, Qt::Key_Escape);
    QTRY_VERIFY(about.isNull());  // closed and gone
    QVERIFY(form_->isVisible());
  }

  void escLeavesTheSplashToItsTimer() {
    AboutWindow splash(AboutMode::Splash, nullptr, 60000);
    splash.show();
    splash.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&splash));
    QTest::keyClick(&splash, Qt::Key_Escape);
    QVERIFY(splash.isVisible());
    QVERIFY(splash.TimerActive());
  }
};

QTEST_MAIN(SideWindowsTest)
#include "side_windows_test.moc"
