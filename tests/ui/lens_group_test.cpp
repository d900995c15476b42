// The Lens group in the main window: visible with the classic settings, a
// typed or picked setting reaches the state and the readout, a bad text is
// refused and shows the setting again, the settings are remembered in the
// store, and the test chart's "Use this pitch" reaches the group.
#include <optional>

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include "ui/lens_group.h"
#include "ui/main_window.h"
#include "ui/picture_view.h"
#include "ui/test_chart_window.h"

using namespace lenti;
using namespace lenti::ui;

namespace {

void RefuseDialogs(QtDialogs& dialogs, QStringList& messages, QStringList& errors) {
  dialogs.hooks.run_file_dialog = [](QFileDialog&) { return QString(); };
  dialogs.hooks.run_font_dialog = [](const QFont&) { return std::optional<QFont>(); };
  dialogs.hooks.show_message = [&messages](const QString& text) { messages << text; };
  dialogs.hooks.show_printer_setup = [] {};
  dialogs.hooks.show_error = [&errors](const QString& text) { errors << text; };
}

// Types `text` into an edit (or an editable box's edit) and leaves it with Enter.
void Type(QLineEdit* edit, const QString& text) {
  edit->setFocus();
  edit->selectAll();
  edit->setText(text);
  QTest::keyClick(edit, Qt::Key_Return);
}

}  // namespace

class LensGroupTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir temp_;
  QStringList errors_;
  QStringList messages_;
  std::unique_ptr<MainWindow> form_;

  template <typename W = QWidget>
  W* Find(const char* name) const {
    return form_->findChild<W*>(QString::fromLatin1(name));
  }
  QString Readout() const { return Find<QLabel>("LensReadout")->text(); }
  QString Warning() const { return Find<QLabel>("LensWarning")->text(); }
  QString Ini() const { return temp_.path() + "/lens.ini"; }

  void Open() {
    form_ = std::make_unique<MainWindow>((temp_.path() + "/cache/lentmp1").toStdString());
    RefuseDialogs(form_->Dialogs(), messages_, errors_);
    form_->show();
    QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
  }

 private slots:
  void init() {
    errors_.clear();
    messages_.clear();
    QFile::remove(Ini());
    Open();
  }
  void cleanup() { form_.reset(); }

  void startsVisibleWithTheClassicSettings() {
    auto* group = Find<QGroupBox>("LensGroup");
    QVERIFY(group != nullptr);
    QVERIFY(group->isVisibleTo(form_.get()));
    QCOMPARE(group->title(), QStringLiteral("Lens"));
    auto* pitch = Find<QComboBox>("LensPitchBox");
    QStringList entries;
    for (int i = 0; i < pitch->count(); ++i) entries << pitch->itemText(i);
    QCOMPARE(entries, QStringList({"42.275", "21.25", "75.15", "61.53", "20", "30", "40", "50", "60", "62",
                                   "75", "100"}));
    QCOMPARE(pitch->currentText(), QStringLiteral("21.25"));
    QCOMPARE(Find<QComboBox>("LensDpiBox")->currentText(), QStringLiteral("nearest to 300 dpi"));
    QCOMPARE(Find<QLineEdit>("LensPhaseEdit")->text(), QStringLiteral("0"));
    QCOMPARE(Find<QLineEdit>("LensWidthEdit")->text(), QStringLiteral("14.5"));
    QCOMPARE(Find<QLineEdit>("LensHeightEdit")->text(), QStringLiteral("17.5"));
    QCOMPARE(Find<QComboBox>("LensSamplingBox")->currentText(), QStringLiteral("nearest"));
    QCOMPARE(Readout(), QString::fromUtf8("14 px per lens, strip 7 px  \u00b7  297.5 dpi, 1698 x 2049 px"));
    QCOMPARE(Warning(), QString());
    QVERIFY(form_->State().lens == LensSettings{});
  }

  void typedAndPickedSettingsReachTheStateAndTheReadout() {
    Type(Find<QComboBox>("LensPitchBox")->lineEdit(), QStringLiteral("40"));
    auto* dpi = Find<QComboBox>("LensDpiBox");
    dpi->setCurrentIndex(dpi->findText(QStringLiteral("720")));
    emit dpi->activated(dpi->currentIndex());
    QCOMPARE(form_->State().lens.LensLpiX, int64_t{400000});
    QCOMPARE(form_->State().lens.OutputDpi, 720);
    QCOMPARE(Readout(), QString::fromUtf8("18 px per lens, strip 9 px  \u00b7  720 dpi, 4110 x 4961 px"));
    // The Mode turns the picture.
    Find<QRadioButton>("RadioButton4")->click();
    QCOMPARE(Readout(), QString::fromUtf8("18 px per lens, strip 9 px  \u00b7  720 dpi, 4961 x 4110 px"));
    Type(Find<QLineEdit>("LensPhaseEdit"), QStringLiteral("-0,25"));
    QCOMPARE(form_->State().lens.PhaseX10000, -2500);
    QCOMPARE(Find<QLineEdit>("LensPhaseEdit")->text(), QStringLiteral("-0.25"));
    auto* sampling = Find<QComboBox>("LensSamplingBox");
    sampling->setCurrentIndex(1);
    emit sampling->activated(1);
    QCOMPARE(form_->State().lens.sampling, Sampling::Area);
    // 60.12 lpi at 600 dpi for 16 frames: a fractional period and too few pixels.
    Type(Find<QComboBox>("LensPitchBox")->lineEdit(), QStringLiteral("60.12"));
    Type(dpi->lineEdit(), QStringLiteral("600"));
    form_->State().photos.FrameCount = 16;
    Find<QRadioButton>("RadioButton3")->click();
    QCOMPARE(Readout(), QString::fromUtf8("9.98 px per lens  \u00b7  600 dpi, 3425 x 4134 px"));
    QCOMPARE(Warning(), QStringLiteral("Too few pixels: 9.98 px per lens for 16 frames; at most 9 frames fit"));
    QVERIFY(errors_.isEmpty());
    QVERIFY2(messages_.isEmpty(), "Enter in a Lens field must not run Merge");
  }

  void aBadTextIsRefusedAndChangesNothing() {
    const LensSettings before = form_->State().lens;
    Type(Find<QComboBox>("LensPitchBox")->lineEdit(), QStringLiteral("0"));
    QCOMPARE(errors_, QStringList({"The lens pitch must lie between 5 and 300 lpi, not 0."}));
    QCOMPARE(Find<QComboBox>("LensPitchBox")->currentText(), QStringLiteral("21.25"));
    Type(Find<QLineEdit>("LensWidthEdit"), QStringLiteral("-3"));
    Type(Find<QLineEdit>("LensPhaseEdit"), QStringLiteral("0.7"));
    Type(Find<QComboBox>("LensDpiBox")->lineEdit(), QStringLiteral("many"));
    QCOMPARE(errors_.size(), 4);
    QCOMPARE(Find<QLineEdit>("LensWidthEdit")->text(), QStringLiteral("14.5"));
    QCOMPARE(Find<QLineEdit>("LensPhaseEdit")->text(), QStringLiteral("0"));
    QCOMPARE(Find<QComboBox>("LensDpiBox")->currentText(), QStringLiteral("nearest to 300 dpi"));
    QVERIFY(form_->State().lens == before);
    // A setting no picture can have is shown as the warning, and Merge refuses it.
    Type(Find<QComboBox>("LensPitchBox")->lineEdit(), QStringLiteral("300"));
    Type(Find<QComboBox>("LensDpiBox")->lineEdit(), QStringLiteral("200"));
    QCOMPARE(Readout(), QString());
    QVERIFY(Warning().contains(QStringLiteral("finer than a pixel")));
  }

  void useThisPitchInTheChartWindowSetsTheLens() {
    form_->RememberLensSettings(std::make_unique<QSettings>(Ini(), QSettings::IniFormat));
    TestChartWindow& chart = form_->TestChart();
    chart.show();
    auto* rows = chart.findChild<QComboBox*>(QStringLiteral("RowBox"));
    auto* use = chart.findChild<QPushButton*>(QStringLiteral("UseRowButton"));
    QVERIFY(rows != nullptr && use != nullptr);
    QCOMPARE(rows->count(), 0);
    use->click();  // no chart yet: only the message
    QCOMPARE(messages_, QStringList({QString::fromLatin1(kNoChartYet)}));
    QVERIFY(form_->State().lens == LensSettings{});

    auto* dpi = chart.findChild<QComboBox*>(QStringLiteral("ComboBox2"));
    dpi->setCurrentText(QStringLiteral("600"));
    chart.findChild<QPushButton*>(QStringLiteral("Button5"))->click();  // Create
    QTRY_VERIFY(!chart.Busy());
    QCOMPARE(rows->count(), 11);
    QCOMPARE(rows->currentText(), QStringLiteral("40"));  // the centre row
    // A click on the second row of the preview picks it.
    auto* preview = chart.findChild<PictureView*>(QStringLiteral("Image1"));
    const QRect shown = preview->DisplayRect();
    const int row_height = shown.height() * form_->State().chart.RowHeight / form_->State().chart.TestChart->Height();
    QTest::mouseClick(preview, Qt::LeftButton, {}, QPoint(shown.center().x(), shown.top() + row_height * 3 / 2));
    QCOMPARE(rows->currentIndex(), 1);
    const QString label = rows->currentText();
    use->click();
    QCOMPARE(form_->State().lens.LensLpiX, int64_t(label.toDouble() * 10000 + 0.5));
    QCOMPARE(form_->State().lens.OutputDpi, 600);
    // The main window comes forward with the changed fields marked, until the next edit.
    QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget*>(form_.get()));
    QVERIFY(Find<QComboBox>("LensPitchBox")->property("chosen").toBool());
    QVERIFY(Find<QComboBox>("LensDpiBox")->property("chosen").toBool());
    QVERIFY(!Find<QLineEdit>("LensPhaseEdit")->property("chosen").toBool());
    Type(Find<QLineEdit>("LensPhaseEdit"), QStringLiteral("0.1"));
    QVERIFY(!Find<QComboBox>("LensPitchBox")->property("chosen").toBool());
    QCOMPARE(Find<QComboBox>("LensPitchBox")->currentText(), label);
    QCOMPARE(Find<QComboBox>("LensDpiBox")->currentText(), QStringLiteral("600"));
    QVERIFY(Readout().contains(QStringLiteral("600 dpi, 3425 x 4134 px")));
    QCOMPARE(QSettings(Ini(), QSettings::IniFormat).value("lens/pitch").toString(), label);
    QVERIFY(errors_.isEmpty());
  }

  void theSettingsAreRememberedBetweenRuns() {
    form_->RememberLensSettings(std::make_unique<QSettings>(Ini(), QSettings::IniFormat));
    Type(Find<QComboBox>("LensPitchBox")->lineEdit(), QStringLiteral("60.12"));
    Type(Find<QComboBox>("LensDpiBox")->lineEdit(), QStringLiteral("1440"));
    Type(Find<QLineEdit>("LensHeightEdit"), QStringLiteral("20"));
    form_.reset();
    {
      QSettings written(Ini(), QSettings::IniFormat);
      QCOMPARE(written.value("lens/pitch").toString(), QStringLiteral("60.12"));
      written.setValue("lens/phase", "nonsense");  // no longer valid: skipped
    }
    Open();
    QVERIFY(form_->State().lens == LensSettings{});  // nothing before the store is given
    form_->RememberLensSettings(std::make_unique<QSettings>(Ini(), QSettings::IniFormat));
    QCOMPARE(form_->State().lens.LensLpiX, int64_t{601200});
    QCOMPARE(form_->State().lens.OutputDpi, 1440);
    QCOMPARE(form_->State().lens.HeightCmX100, 2000);
    QCOMPARE(form_->State().lens.PhaseX10000, 0);
    QCOMPARE(Find<QComboBox>("LensPitchBox")->currentText(), QStringLiteral("60.12"));
    QCOMPARE(Find<QLineEdit>("LensHeightEdit")->text(), QStringLiteral("20"));
    QVERIFY(errors_.isEmpty());
  }
};

QTEST_MAIN(LensGroupTest)
#include "lens_group_test.moc"
