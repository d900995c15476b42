// One language per run: the language chosen from the system's, the built-in
// translations changing the window's texts, the documented texts with no
// translation loaded, the logic's messages translated at display, and a
// screen reader's name on every control of the main window.
#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTranslator>

#include <memory>

#include "temp_dir.h"
#include "ui/language.h"
#include "ui/logic_text.h"
#include "ui/main_window.h"

using namespace lenti;
using namespace lenti::ui;

namespace {

QStringList MenuTitles(const MainWindow& window) {
  QStringList titles;
  for (QAction* menu : window.menuBar()->actions()) titles << menu->text();
  return titles;
}

QString MergeText(const MainWindow& window) {
  return window.findChild<QPushButton*>(QStringLiteral("BitBtn1"))->text();
}

}  // namespace

class LanguageTest : public QObject {
  Q_OBJECT

 private:
  testing::TempDir dir_;
  std::unique_ptr<QTranslator> translator_;

  void Load(Language language) {
    translator_ = std::make_unique<QTranslator>();
    QVERIFY(translator_->load(TranslationFile(language)));
    QVERIFY(QCoreApplication::installTranslator(translator_.get()));
  }

 private slots:
  void cleanup() { translator_.reset(); }  // a destroyed translator uninstalls itself

  void ChoosesChineseForEveryChineseLocaleOnly_data() {
    QTest::addColumn<QStringList>("ui_languages");
    QTest::addColumn<bool>("chinese");
    QTest::newRow("zh-CN") << QStringList{"zh-CN", "en-US"} << true;
    QTest::newRow("zh-Hant-TW") << QStringList{"zh-Hant-TW"} << true;
    QTest::newRow("German") << QStringList{"de-DE", "zh-CN"} << false;
    QTest::newRow("English") << QStringList{"en-US"} << false;
    QTest::newRow("C locale") << QStringList{"C"} << false;
    QTest::newRow("none") << QStringList{} << false;
  }
  void ChoosesChineseForEveryChineseLocaleOnly() {
    QFETCH(QStringList, ui_languages);
    QFETCH(bool, chinese);
    QCOMPARE(LanguageFor(ui_languages) == Language::Chinese, chinese);
  }

  void WithoutTranslationTheTextsAreTheDocumentedOnes() {
    MainWindow window(dir_ / "plain", {});
    QCOMPARE(MergeText(window), QStringLiteral("&Merge"));
    QCOMPARE(window.findChild<QPushButton*>(QStringLiteral("Button22"))->text(),
             QString::fromUtf8("裁切"));
    QCOMPARE(MenuTitles(window), (QStringList{"&File", "&Photos", "&Edit", "&Tools", "&Press"}));
  }

  void ChineseTranslatesTheButtonsAndMenus() {
    Load(Language::Chinese);
    MainWindow window(dir_ / "zh", {});
    QCOMPARE(MergeText(window), QString::fromUtf8("合成(&M)"));
    const QStringList menus = MenuTitles(window);
    QCOMPARE(menus.size(), 5);
    for (const QString& title : menus)
      QVERIFY2(!title.contains(QRegularExpression("[a-z]{2}")), qPrintable(title));
  }

  void EnglishGivesTheChineseTextsInEnglish() {
    Load(Language::English);
    MainWindow window(dir_ / "en", {});
    QCOMPARE(MergeText(window), QStringLiteral("&Merge"));
    QCOMPARE(window.findChild<QPushButton*>(QStringLiteral("Button22"))->text(),
             QStringLiteral("Frame"));
  }

  void LogicMessagesTranslateTheirFixedPart_data() {
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("chinese");
    QTest::newRow("whole") << "Merged!" << QString::fromUtf8("合成完毕！");
    QTest::newRow("error box's full stop") << "Out of memory." << QString::fromUtf8("内存不足。");
    QTest::newRow("details kept")
        << QString::fromUtf8("打印机DPI设置不对! (printer 600 dpi, chart 1200 dpi)")
        << QString::fromUtf8("打印机DPI设置不对！ (printer 600 dpi, chart 1200 dpi)");
    QTest::newRow("formatted stays") << "Every photo slot is filled. Replace the photo in slot 3?"
                                     << "Every photo slot is filled. Replace the photo in slot 3?";
    QTest::newRow("empty") << ""
                           << "";
  }
  void LogicMessagesTranslateTheirFixedPart() {
    QFETCH(QString, message);
    QFETCH(QString, chinese);
    QCOMPARE(LogicText(message.toStdString()), message);
    Load(Language::Chinese);
    QCOMPARE(LogicText(message.toStdString()), chinese);
  }

  void EveryControlOfTheMainWindowHasAnAccessibleName() {
    Load(Language::Chinese);  // the names follow the language as well
    MainWindow window(dir_ / "names", {});
    int checked = 0;
    for (QWidget* control : window.findChildren<QWidget*>()) {
      const bool named_kind = qobject_cast<QAbstractButton*>(control) ||
                              qobject_cast<QLineEdit*>(control) ||
                              qobject_cast<QComboBox*>(control);
      // Controls of the side windows and dialogs, Qt's own (the menu bar's
      // overflow arrow) and the edit inside a spin box are theirs.
      if (!named_kind || control->window() != &window ||
          control->objectName().startsWith(QLatin1String("qt_")) ||
          qobject_cast<QAbstractSpinBox*>(control->parent()))
        continue;
      ++checked;
      QVERIFY2(!control->accessibleName().isEmpty(), qPrintable(control->objectName()));
    }
    QVERIFY(checked > 40);
    QCOMPARE(window.findChild<QWidget*>(QStringLiteral("RadioButton4"))->accessibleName(),
             QString::fromUtf8("纵向条纹（横幅）"));
    QCOMPARE(window.findChild<QWidget*>(QStringLiteral("GroupBox1"))
                 ->findChild<QWidget*>(QStringLiteral("Button1"))
                 ->accessibleName(),
             QString::fromUtf8("照片位置 1"));
  }
};

QTEST_MAIN(LanguageTest)
#include "language_test.moc"
