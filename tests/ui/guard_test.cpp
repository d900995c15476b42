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
#include "ui/error_box.h"
#include "ui/guard.h"

using namespace lenti;
using namespace lenti::ui;

class GuardTest : public QObject {
  Q_OBJECT

 private:
  QStringList shown_;
  QList<QWidget*> owners_;

 private slots:
  void init() {
    shown_.clear();
    owners_.clear();
    SetErrorBoxHook([this](QWidget* owner, const QString& text) {
      owners_ << owner;
      shown_ << text;
    });
  }
  void cleanup() {
    SetErrorBoxHook({});
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
    QWidget owner;
    Guarded(&owner, [kind] {
      switch (kind) {
        case 0: throw InvalidFloatOperation();
        case 1: throw std::runtime_error("disk on fire");
        case 2: throw std::bad_alloc();
        default: throw std::logic_error("bad slot (17)");
      }
    });
    QCOMPARE(shown_, QStringList{shown});
    QCOMPARE(owners_, QList<QWidget*>{&owner});
  }

  void workThatSucceedsShowsNothing() {
    bool ran = false;
    Guarded(nullptr, [&] { ran = true; });
    QVERIFY(ran);
    QVERIFY(shown_.isEmpty());
  }

  void aFailedCommandLeavesNoHourglassBehind() {
    // One busy cursor of the command itself and one the error skipped past.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    Guarded(nullptr, [] {
      QApplication::setOverrideCursor(Qt::WaitCursor);
      throw Error("Scan line index out of range");
    });
    QVERIFY(QApplication::overrideCursor() == nullptr);
    QCOMPARE(shown_, QStringList{"Scan line index out of range."});
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
    Guarded(nullptr, [&] {
      BusyCursor busy(frontend);
      was_busy = QApplication::overrideCursor() != nullptr;
      throw Error("Out of memory");
    });
    QVERIFY(was_busy);
    QVERIFY(QApplication::overrideCursor() == nullptr);
  }

  void theProgramGoesOnAfterAnError() {
    Guarded(nullptr, [] { throw Error("first"); });
    bool later = false;
    QTimer::singleShot(0, [&] { later = true; });
    QTRY_VERIFY(later);  // the event loop still runs
    Guarded(nullptr, [] { throw Error("second"); });
    QCOMPARE(shown_, (QStringList{"first.", "second."}));
  }

  void withoutAHookTheRealBoxIsCriticalWithAnEmptyTitle() {
    SetErrorBoxHook({});
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
    Guarded(nullptr, [] { throw Error("File format error!"); });
    QCOMPARE(text, QStringLiteral("File format error!"));
    QCOMPARE(title, QString());
    QCOMPARE(icon, QMessageBox::Critical);
  }
};

QTEST_MAIN(GuardTest)
#include "guard_test.moc"
