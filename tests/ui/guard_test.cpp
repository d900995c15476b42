// The one default error handler: the text of the box and its full-stop
// rule, every kind of failure caught, the program running on afterwards and
// no hourglass left behind by a failed command.
#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <new>
#include <stdexcept>

#include "core/error.h"
#include "core/views.h"
#include "fake_frontend.h"
#include "ui/guard.h"
#include "ui/qt_dialogs.h"
#include "ui/qt_printer.h"

using namespace lenti;
using namespace lenti::ui;

class GuardTest : public QObject {
  Q_OBJECT

 private:
  // The errors arrive through the dialogs, like every other box.
  testing::FakeFrontend dialogs_;
  QStringList Shown() const {
    QStringList shown;
    for (const std::string& text : dialogs_.errors) shown << QString::fromStdString(text);
    return shown;
  }

 private slots:
  void init() { dialogs_.errors.clear(); }
  void cleanup() {
    while (QApplication::overrideCursor() != nullptr) QApplication::restoreOverrideCursor();
  }

  void theBoxAddsAFullStopOnlyAfterCharactersThatSortAfterIt_data() {
    QTest::addColumn<QString>("what");
    QTest::addColumn<QString>("shown");
    QTest::newRow("letter") << "ends with a letter" << "ends with a letter.";
    QTest::newRow("digit") << "Photo3" << "Photo3.";
    QTest::newRow("quote") << "Cannot open \"a\"" << "Cannot open \"a\"";  // '"' < '.'
    QTest::newRow("bracket") << "Unknown picture file extension (.png)"
                             << "Unknown picture file extension (.png)";  // ')' < '.'
    QTest::newRow("exclamation") << "ends with !" << "ends with !";
    QTest::newRow("full stop") << "ends with ." << "ends with .";
    QTest::newRow("slash") << "path/" << "path/.";  // '/' sorts right after '.'
    QTest::newRow("minus") << "a-" << "a-";         // '-' sorts right before '.'
    QTest::newRow("Chinese") << "打印机DPI设置不对" << "打印机DPI设置不对.";
    QTest::newRow("empty") << "" << "";
  }

  void theBoxAddsAFullStopOnlyAfterCharactersThatSortAfterIt() {
    QFETCH(QString, what);
    QFETCH(QString, shown);
    QCOMPARE(ErrorBoxText(what.toStdString()), shown);
  }

  void everyKindOfFailureReachesTheBoxWithItsText_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("shown");
    QTest::newRow("lenti::Error") << 0 << "Invalid floating point operation.";
    QTest::newRow("std::runtime_error") << 1 << "disk on fire.";
    QTest::newRow("std::bad_alloc") << 2 << "Out of memory.";
    QTest::newRow("std::logic_error") << 3 << "bad slot (17)";
  }

  void everyKindOfFailureReachesTheBoxWithItsText() {
    QFETCH(int, kind);
    QFETCH(QString, shown);
    Guarded(dialogs_, [kind] {
      switch (kind) {
        case 0: throw InvalidFloatOperation();
        case 1: throw std::runtime_error("disk on fire");
        case 2: throw std::bad_alloc();
        default: throw std::logic_error("bad slot (17)");
      }
    });
    QCOMPARE(Shown(), QStringList{shown});
  }

  void workThatSucceedsShowsNothing() {
    bool ran = false;
    Guarded(dialogs_, [&] { ran = true; });
    QVERIFY(ran);
    QVERIFY(Shown().isEmpty());
  }

  void aFailedCommandLeavesNoHourglassBehind() {
    // One busy cursor of the command itself and one the error skipped past.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    Guarded(dialogs_, [] {
      QApplication::setOverrideCursor(Qt::WaitCursor);
      throw Error("Scan line index out of range");
    });
    QVERIFY(QApplication::overrideCursor() == nullptr);
    QCOMPARE(Shown(), QStringList{"Scan line index out of range."});
  }

  void theBusyCursorOfTheOperationsIsRestoredOnTheWayOut() {
    // The scripted fake, with the screen cursor of the real one.
    struct QtScreenCursor : testing::FakeFrontend {
      void SetScreenCursor(Cursor cursor) override {
        if (cursor == Cursor::Hourglass) QApplication::setOverrideCursor(Qt::WaitCursor);
        else QApplication::restoreOverrideCursor();
      }
    } frontend;
    bool was_busy = false;
    Guarded(dialogs_, [&] {
      BusyCursor busy(frontend);
      was_busy = QApplication::overrideCursor() != nullptr;
      throw Error("Out of memory");
    });
    QVERIFY(was_busy);
    QVERIFY(QApplication::overrideCursor() == nullptr);
  }

  void theProgramGoesOnAfterAnError() {
    Guarded(dialogs_, [] { throw Error("first"); });
    bool later = false;
    QTimer::singleShot(0, [&] { later = true; });
    QTRY_VERIFY(later);  // the event loop still runs
    Guarded(dialogs_, [] { throw Error("second"); });
    QCOMPARE(Shown(), (QStringList{"first.", "second."}));
  }

  void withoutAHookTheRealBoxIsCriticalWithAnEmptyTitle() {
    QWidget window;
    QtPrinterPort printer;
    QtDialogs dialogs(&window, printer);
    QString title = QStringLiteral("unset");
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    // Answer the modal box as soon as it is up.
    QTimer::singleShot(0, [&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (box == nullptr) return;
      title = box->windowTitle();
      text = box->text();
      icon = box->icon();
      box->accept();
    });
    Guarded(dialogs, [] { throw Error("File format error!"); });
    QCOMPARE(text, QStringLiteral("File format error!"));
    QCOMPARE(title, QString());
    QCOMPARE(icon, QMessageBox::Critical);
  }
};

QTEST_MAIN(GuardTest)
#include "guard_test.moc"
