// The window's press output: the soft proof shows the picture through the
// press profile (and marks what the press cannot print), Save's "TIFF, CMYK
// for press" writes the press's file, and the Press menu's bleed shows in
// the Lens readout with the trim size.
#include <tiffio.h>

#include <cstdlib>

#include <QAction>
#include <QFileDialog>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "core/bmp_writer.h"
#include "core/raster.h"
#include "delivery/cmyk_transform.h"
#include "ui/main_window.h"

using namespace lenti;
using namespace lenti::ui;

class PressWindowTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir temp_;
  QStringList errors_;
  QList<QStringList> open_answers_;
  QString save_answer_;
  QString save_filter_;

  std::unique_ptr<MainWindow> MergedWindow() {
    auto form = std::make_unique<MainWindow>((temp_.path() + "/work").toStdString());
    QtDialogs::Hooks& hooks = form->Dialogs().hooks;
    hooks.show_error = [this](const QString& text) { errors_ << text; };
    hooks.show_message = [](const QString&) {};
    hooks.ask_yes_no = [](const QString&) { return true; };
    hooks.run_open_dialog = [this](QFileDialog&) {
      return open_answers_.isEmpty() ? QStringList() : open_answers_.takeFirst();
    };
    hooks.run_file_dialog = [this](QFileDialog& dialog) {
      for (const QString& filter : dialog.nameFilters()) {
        if (!save_filter_.isEmpty() && filter.startsWith(save_filter_)) dialog.selectNameFilter(filter);
      }
      return save_answer_;
    };
    form->show();
    open_answers_ << QStringList{Photo(1), Photo(2)};
    QTest::mouseClick(form->findChild<QPushButton*>(QStringLiteral("Button1")), Qt::LeftButton);
    [&] { QVERIFY(Settle(*form)); }();
    QTest::mouseClick(form->findChild<QPushButton*>(QStringLiteral("BitBtn1")), Qt::LeftButton);  // Merge
    [&] { QVERIFY(Settle(*form)); }();
    return form;
  }

  // Saturated blue and violet bands (beyond a press's gamut) and grey ones.
  QString Photo(int n) {
    Raster photo(600, 700);
    for (int y = 0; y < photo.Height(); y += 20) {
      const Color band = (y / 20) % 3 == 0 ? Color{0, 0, 255} : (y / 20) % 3 == 1 ? Color{120, 0, 255} : Color{128, 128, 128};
      photo.FillRect(Rect{0, y, photo.Width(), y + 20}, band);
    }
    photo.FillRect(Rect{0, 0, 40 * n, 40}, Color{200, 60, 60});
    const QString path = temp_.path() + QString::asprintf("/photo%d.bmp", n);
    SaveBmpFile(photo, path.toStdString());
    return path;
  }

  static bool Settle(MainWindow& form) {
    return QTest::qWaitFor([&form] { return !form.Busy() && !form.Restoring(); }, 20000);
  }
  static QAction* Action(MainWindow& form, const char* name) {
    return form.findChild<QAction*>(QString::fromLatin1(name));
  }
  static int CountOf(const Raster& shown, Color colour) {
    int count = 0;
    for (int y = 0; y < shown.Height(); ++y) {
      for (int x = 0; x < shown.Width(); ++x) count += shown.PixelColor(x, y) == colour;
    }
    return count;
  }

 private slots:
  void init() {
    errors_.clear();
    save_answer_.clear();
    save_filter_.clear();
  }

  void theSoftProofShowsThePictureAsThePressPrintsIt() {
    std::unique_ptr<MainWindow> form = MergedWindow();
    const Raster plain = form->View().ViewPicture().Graphic();
    QVERIFY(!plain.Empty());
    Action(*form, "SoftProofAction")->trigger();
    const Raster proof = form->View().ViewPicture().Graphic();
    // sRGB blue is beyond the press: the proof shows it duller.
    QVERIFY(CountOf(plain, Color{0, 0, 255}) > 0);
    QCOMPARE(CountOf(proof, Color{0, 0, 255}), 0);
    if (const char* shots = std::getenv("LENTI_PROOF_SCREENSHOT")) {
      form->grab().save(QString::fromLocal8Bit(shots) + "/proof.png");
    }
    QVERIFY(Action(*form, "GamutWarningAction")->isEnabled());
    Action(*form, "GamutWarningAction")->trigger();
    const Raster marked = form->View().ViewPicture().Graphic();
    QVERIFY(CountOf(marked, kGamutAlarm) > marked.Width());
    // Pictures of the window for the notes: LENTI_PROOF_SCREENSHOT names the
    // folder to write them to.
    if (const char* shots = std::getenv("LENTI_PROOF_SCREENSHOT")) {
      form->grab().save(QString::fromLocal8Bit(shots) + "/proof-gamut.png");
    }
    Action(*form, "SoftProofAction")->trigger();
    QCOMPARE(CountOf(form->View().ViewPicture().Graphic(), kGamutAlarm), 0);
    QVERIFY2(errors_.isEmpty(), qPrintable(errors_.join("\n")));
  }

  void saveAsCmykForPressWritesThePressFile() {
    std::unique_ptr<MainWindow> form = MergedWindow();
    save_answer_ = temp_.path() + "/press";  // the type's suffix is added
    save_filter_ = QStringLiteral("TIFF, CMYK for press");
    QTest::mouseClick(form->findChild<QPushButton*>(QStringLiteral("Button4")), Qt::LeftButton);  // Save
    QVERIFY2(errors_.isEmpty(), qPrintable(errors_.join("\n")));
    TIFF* tif = TIFFOpen((temp_.path() + "/press.tif").toLocal8Bit().constData(), "r");
    QVERIFY(tif != nullptr);
    uint16_t photometric = 0;
    TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &photometric);
    TIFFClose(tif);
    QCOMPARE(photometric, uint16_t{PHOTOMETRIC_SEPARATED});
    QVERIFY(form->State().output.press.cmyk);
  }

  void theBleedShowsInTheReadoutWithTheTrimSize() {
    std::unique_ptr<MainWindow> form = MergedWindow();
    QAction* five = Action(*form, "Bleed5Action");
    QVERIFY(five != nullptr);
    five->trigger();
    QCOMPARE(form->State().output.press.bleed_mm, 5.0);
    QVERIFY(five->isChecked());
    const QString readout = form->findChild<QLabel*>(QStringLiteral("LensReadout"))->text();
    QVERIFY2(readout.contains(QStringLiteral("trim 14.5 x 17.5 cm, with 5 mm bleed 15.5 x 18.5 cm")), qPrintable(readout));
    Action(*form, "Bleed0Action")->trigger();
    QVERIFY(!form->findChild<QLabel*>(QStringLiteral("LensReadout"))->text().contains(QStringLiteral("bleed")));
  }
};

QTEST_MAIN(PressWindowTest)
#include "press_window_test.moc"
