// The test chart window as the person finds it: every control under its
// name with its caption, visibility and default, the up-down arrows bound to
// their edits, and the buttons driving Create (the preview appears), Save,
// Print, Close and the hidden Reset.
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include "fake_frontend.h"
#include "ui/picture_view.h"
#include "ui/test_chart_window.h"

using namespace lenti;
using namespace lenti::ui;

namespace {

class FakePrinter : public PrinterPort {
 public:
  int dpi = 1200;
  int pages = 0;
  void SelectDefaultPrinter() override {}
  int PageWidth() const override { return 9600; }
  int PageHeight() const override { return 13200; }
  int DpiX() const override { return dpi; }
  bool WritesFile() const override { return false; }
  void UseFileResolution(int) override {}
  bool BeginDoc() override { return true; }
  void StretchDraw(const Rect&, const Raster&) override {}
  void EndDoc() override { ++pages; }
  void Abort() override {}
  std::string WrittenFile() const override { return {}; }
};

QString Caption(const QWidget* widget) { return widget->property("text").toString(); }

}  // namespace

class TestChartWindowTest : public QObject {
  Q_OBJECT

 private:
  MakerState state_;
  lenti::testing::FakeFrontend frontend_;  // the main window's dialogs
  FakePrinter printer_;
  QStringList Errors() const {
    QStringList errors;
    for (const std::string& text : frontend_.errors) errors << QString::fromStdString(text);
    return errors;
  }
  std::unique_ptr<TestChartWindow> form_;

  template <typename W = QWidget>
  W* Find(const char* name) const {
    W* widget = form_->findChild<W*>(QString::fromLatin1(name));
    if (widget == nullptr) qWarning("no control %s", name);
    return widget;
  }
  QString DpiBox() const { return Find<QComboBox>("ComboBox2")->currentText(); }
  // "&Create", waited for: the chart is drawn off the window's thread.
  void Create() {
    QTest::mouseClick(Find<QPushButton>("Button5"), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!form_->Busy(), 20000);
  }

 private slots:
  void init() {
    state_ = MakerState{};
    frontend_ = lenti::testing::FakeFrontend{};
    printer_ = FakePrinter{};
    form_ = std::make_unique<TestChartWindow>(state_, frontend_, printer_);
    form_->show();
    QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
  }

  void cleanup() { form_.reset(); }

  void windowIsTestLpiAtItsPlace() {
    QVERIFY(form_->isWindow());
    QCOMPARE(form_->windowTitle(), QStringLiteral("Test LPI"));
    // 694 x 578 outside: the frame (offscreen, 2 pixels a side) comes off the client.
    QTRY_COMPARE(form_->frameGeometry(), QRect(203, 104, 694, 578));
    QVERIFY(form_->frameGeometry().height() > form_->height());
    QCOMPARE(form_->pos(), QPoint(203, 104));
    QCOMPARE(form_->font().family(), QStringLiteral("MS Sans Serif"));
    QVERIFY(form_->maximumSize() != form_->minimumSize());  // sizeable
  }

  void controls_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("caption");  // label or button caption, edit or box text
    QTest::addColumn<bool>("visible");
    QTest::addColumn<int>("left");         // -1: not checked
    auto row = [](const char* name, const char* kind, const char* caption, bool visible,
                  int left) {
      QTest::newRow(name) << QString::fromLatin1(name) << QString::fromLatin1(kind)
                          << QString::fromUtf8(caption) << visible << left;
    };
    row("Label1", "QLabel", "Size:", true, 48);
    row("ComboBox1", "QComboBox", "A4", true, 112);
    row("Label3", "QLabel", "DPI:", true, 48);
    row("ComboBox2", "QComboBox", "1200", true, 112);
    row("Label6", "QLabel", "LPI:", true, 48);
    row("Edit1", "QLineEdit", "40", true, 112);
    row("UpDown1", "QSpinBox", "", true, -1);
    row("Label4", "QLabel", "Lines:", false, 48);
    row("Edit2", "QLineEdit", "11", false, 112);
    row("UpDown2", "QSpinBox", "", false, -1);
    row("Label5", "QLabel", "Step:", false, 48);
    row("Edit3", "QLineEdit", "10", false, 112);
    row("UpDown3", "QSpinBox", "", false, -1);
    row("Button5", "QPushButton", "&Create", true, 112);
    row("Button1", "QPushButton", "&Save", true, 112);
    row("Button2", "QPushButton", "&Print", true, 112);
    row("Button4", "QPushButton", "&Close", true, 112);
    row("Button3", "QPushButton", "&Reset", false, 112);
    row("Panel2", "QFrame", "", true, -1);
    row("Image1", "lenti::ui::PictureView", "", true, -1);
  }

  void controls() {
    QFETCH(QString, name);
    QFETCH(QString, kind);
    QFETCH(QString, caption);
    QFETCH(bool, visible);
    QFETCH(int, left);
    QWidget* widget = Find(name.toLatin1().constData());
    QVERIFY(widget != nullptr);
    QVERIFY2(widget->inherits(kind.toLatin1().constData()), widget->metaObject()->className());
    QCOMPARE(widget->isVisible(), visible);
    QVERIFY(widget->isEnabled());
    if (auto* box = qobject_cast<QComboBox*>(widget)) {
      QCOMPARE(box->currentText(), caption);
      QVERIFY(box->isEditable());
    } else if (!caption.isEmpty()) {
      QCOMPARE(Caption(widget), caption);
    }
    if (left >= 0) QCOMPARE(widget->x(), left);
  }

  void dropDownEntries() {
    auto entries = [](const QComboBox* box) {
      QStringList list;
      for (int i = 0; i < box->count(); ++i) list << box->itemText(i);
      return list;
    };
    QCOMPARE(entries(Find<QComboBox>("ComboBox1")),
             (QStringList{"A4", "A3", "8' x 10'", ""}));
    QCOMPARE(Find<QComboBox>("ComboBox1")->currentIndex(), 0);
    QCOMPARE(entries(Find<QComboBox>("ComboBox2")),
             (QStringList{"300", "360", "600", "720", "1200", "1440", "2400", "3600"}));
    QCOMPARE(Find<QComboBox>("ComboBox2")->currentIndex(), 4);
  }

  void upDownsHoldTheirPositions_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("position");
    QTest::newRow("UpDown1") << QStringLiteral("UpDown1") << 40;
    QTest::newRow("UpDown2") << QStringLiteral("UpDown2") << 11;
    QTest::newRow("UpDown3") << QStringLiteral("UpDown3") << 10;
  }

  void upDownsHoldTheirPositions() {
    QFETCH(QString, name);
    QFETCH(int, position);
    auto* updown = Find<QSpinBox>(name.toLatin1().constData());
    QCOMPARE(updown->value(), position);
    QCOMPARE(updown->minimum(), 0);
    QCOMPARE(updown->maximum(), 100);
    QCOMPARE(updown->singleStep(), 1);
  }

  // The arrows step the edit by whole numbers within 0..100; a typed decimal
  // stays exactly as typed until an arrow is used.
  void upDownArrowsMoveTheLpiEdit() {
    auto* updown = Find<QSpinBox>("UpDown1");
    auto* edit = Find<QLineEdit>("Edit1");
    updown->stepUp();
    QCOMPARE(edit->text(), QStringLiteral("41"));
    edit->setText(QStringLiteral("21.25"));
    QCOMPARE(edit->text(), QStringLiteral("21.25"));
    QCOMPARE(updown->value(), 21);
    updown->stepUp();
    QCOMPARE(edit->text(), QStringLiteral("22"));
    edit->setText(QStringLiteral("100"));
    updown->stepUp();
    QCOMPARE(edit->text(), QStringLiteral("100"));
    edit->setText(QStringLiteral("0"));
    updown->stepDown();
    QCOMPARE(edit->text(), QStringLiteral("0"));
  }

  void previewPanelIsWhiteAndFilledByTheImage() {
    auto* panel = Find<QFrame>("Panel2");
    auto* image = Find<PictureView>("Image1");
    QCOMPARE(panel->size(), QSize(409, 505));
    QCOMPARE(panel->palette().color(QPalette::Window), QColor(Qt::white));
    QCOMPARE(panel->lineWidth(), 1);
    QCOMPARE(image->geometry(), panel->contentsRect());
    QVERIFY(image->GetPicture().IsEmpty());
    // The panel keeps filling the right side when the window grows.
    form_->resize(900, 700);
    QCOMPARE(panel->size(), QSize(409 + 206, 505 + 122));
    QCOMPARE(image->geometry(), panel->contentsRect());
  }

  void createShowsThePreviewScaledToFit() {
    Create();
    QVERIFY2(Errors().isEmpty(), qPrintable(Errors().join('\n')));
    QVERIFY(state_.chart.TestChart.has_value());
    QCOMPARE(state_.chart.TestChart->Width(), 6142);
    QCOMPARE(state_.chart.TestDpi, 1200);
    auto* image = Find<PictureView>("Image1");
    QCOMPARE(image->GetPicture().Width(), 511);
    QCOMPARE(image->GetPicture().Height(), 905);
    // Proportions kept, centred in the image control.
    const QRect shown = image->DisplayRect();
    QVERIFY(image->rect().contains(shown));
    QCOMPARE(shown.height(), image->height());
    QVERIFY(qAbs(shown.width() - image->height() * 511 / 905) <= 1);
    QVERIFY(qAbs(shown.left() - (image->width() - shown.right() - 1)) <= 1);
    QVERIFY(QApplication::overrideCursor() == nullptr);  // the hourglass is gone
  }

  void createReadsTheTypedSettings() {
    Find<QComboBox>("ComboBox1")->setCurrentIndex(1);
    Find<QComboBox>("ComboBox2")->setCurrentText(QStringLiteral("300"));
    Find<QLineEdit>("Edit1")->setText(QStringLiteral("40.5"));
    const ChartSettings settings = form_->CurrentSettings();
    QCOMPARE(settings.paper_index, 1);
    QCOMPARE(settings.dpi_text, std::string("300"));
    QCOMPARE(settings.lpi_text, std::string("40.5"));
    QCOMPARE(settings.lines_text, std::string("11"));
    QCOMPARE(settings.step_text, std::string("10"));
    // A typed size that is no entry selects none: the paper table gives A4.
    Find<QComboBox>("ComboBox1")->setCurrentText(QStringLiteral("A5"));
    QCOMPARE(form_->CurrentSettings().paper_index, -1);
  }

  void createFailureShowsTheErrorAndKeepsThePreview() {
    Create();
    Find<QComboBox>("ComboBox2")->setCurrentText(QStringLiteral("abc"));
    Create();
    QCOMPARE(Errors(), QStringList{QStringLiteral("'abc' is not a valid integer value.")});
    QCOMPARE(Find<PictureView>("Image1")->GetPicture().Width(), 511);
    QCOMPARE(state_.chart.TestDpi, 1200);
  }

  // Create runs off the window's thread: every control waits, the progress
  // bar and Cancel show; Cancel or Esc keeps the previous chart, its dpi,
  // rows and preview.
  void aCancelledCreateKeepsThePreviousChart_data() {
    QTest::addColumn<bool>("by_escape");
    QTest::newRow("Cancel") << false;
    QTest::newRow("Esc") << true;
  }
  void aCancelledCreateKeepsThePreviousChart() {
    QFETCH(bool, by_escape);
    Create();
    const std::vector<std::string> rows = state_.chart.RowLabels;
    auto* row_box = Find<QComboBox>("RowBox");
    QCOMPARE(row_box->count(), 11);
    Find<QComboBox>("ComboBox2")->setCurrentText(QStringLiteral("600"));
    Find<QLineEdit>("Edit1")->setText(QStringLiteral("45"));
    QTest::mouseClick(Find<QPushButton>("Button5"), Qt::LeftButton);
    QVERIFY(form_->Busy());
    for (const char* name : {"Button5", "Button1", "Button2", "Button4", "ComboBox1", "ComboBox2",
                             "Edit1", "RowBox", "UseRowButton", "Panel2"})
      QVERIFY2(!Find(name)->isEnabled(), name);
    QVERIFY(Find("ChartProgressBar")->isVisible());
    auto* cancel = Find<QPushButton>("ChartCancelButton");
    QVERIFY(cancel->isVisible());
    QVERIFY(cancel->isEnabled());
    if (by_escape) {
      QTest::keyClick(form_.get(), Qt::Key_Escape);
    } else {
      QTest::mouseClick(cancel, Qt::LeftButton);
    }
    QTRY_VERIFY(!form_->Busy());
    QCOMPARE(state_.chart.TestDpi, 1200);
    QCOMPARE(state_.chart.TestChart->Width(), 6142);
    QVERIFY(state_.chart.RowLabels == rows);
    QCOMPARE(row_box->count(), 11);
    QCOMPARE(Find<PictureView>("Image1")->GetPicture().Width(), 511);
    QVERIFY(Find("Button5")->isEnabled());
    QVERIFY(!cancel->isVisible());
    QVERIFY(!Find("ChartProgressBar")->isVisible());
    QVERIFY(Errors().isEmpty());
    QVERIFY(QApplication::overrideCursor() == nullptr);
  }

  void saveAndPrintBeforeCreateSayThereIsNoChart() {
    QTest::mouseClick(Find<QPushButton>("Button1"), Qt::LeftButton);
    QTest::mouseClick(Find<QPushButton>("Button2"), Qt::LeftButton);
    QCOMPARE(frontend_.messages, (std::vector<std::string>{kNoChartYet, kNoChartYet}));
    QCOMPARE(printer_.pages, 0);
  }

  // Print checks the printer against what the box shows now; Save stamps
  // the dpi the chart was made with.
  void printChecksTheBoxAndSaveStampsTheChartsDpi() {
    QTemporaryDir dir;
    Create();
    QTest::mouseClick(Find<QPushButton>("Button2"), Qt::LeftButton);
    QCOMPARE(printer_.pages, 1);
    Find<QComboBox>("ComboBox2")->setCurrentText(QStringLiteral("600"));
    QTest::mouseClick(Find<QPushButton>("Button2"), Qt::LeftButton);
    QCOMPARE(printer_.pages, 1);
    QCOMPARE(frontend_.messages,
             std::vector<std::string>{"打印机DPI设置不对! (printer 1200 dpi, chart 600 dpi)"});
    QCOMPARE(state_.printer.PrinterDpi, 1200);

    const QString path = dir.filePath(QStringLiteral("chart.bmp"));
    frontend_.save_answers = {path.toStdString()};
    QTest::mouseClick(Find<QPushButton>("Button1"), Qt::LeftButton);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray header = file.read(46);
    QCOMPARE(header.size(), 46);
    const auto ppm = qFromLittleEndian<qint32>(header.constData() + 38);
    QCOMPARE(ppm, 47233);
    QVERIFY(Errors().isEmpty());
  }

  void closeHidesAndKeepsEverything() {
    Create();
    Find<QLineEdit>("Edit1")->setText(QStringLiteral("39"));
    QTest::mouseClick(Find<QPushButton>("Button4"), Qt::LeftButton);
    QVERIFY(!form_->isVisible());
    QVERIFY(state_.chart.TestChart.has_value());
    form_->show();
    QCOMPARE(Find<QLineEdit>("Edit1")->text(), QStringLiteral("39"));
    QCOMPARE(Find<PictureView>("Image1")->GetPicture().Width(), 511);
  }

  void hiddenResetPutsTheFixedSettingsBack() {
    Find<QComboBox>("ComboBox1")->setCurrentIndex(2);
    Find<QLineEdit>("Edit1")->setText(QStringLiteral("55"));
    Find<QPushButton>("Button3")->click();
    QCOMPARE(Find<QComboBox>("ComboBox1")->currentIndex(), 0);
    QCOMPARE(Find<QComboBox>("ComboBox2")->currentIndex(), 1);
    QCOMPARE(DpiBox(), QStringLiteral("360"));
    QCOMPARE(Find<QLineEdit>("Edit1")->text(), QStringLiteral("21.25"));
    QCOMPARE(Find<QLineEdit>("Edit2")->text(), QStringLiteral("11"));
    QCOMPARE(Find<QLineEdit>("Edit3")->text(), QStringLiteral("15"));
    Create();
    QVERIFY(state_.chart.TestChart.has_value());
    QCOMPARE(state_.chart.TestChart->Width(), 1843);
    QCOMPARE(state_.chart.TestChart->Height(), 3260);
    QCOMPARE(state_.chart.TestDpi, 360);
  }
};

QTEST_MAIN(TestChartWindowTest)
#include "test_chart_window_test.moc"
