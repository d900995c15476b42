// The main window as the person finds it at start-up: every control under
// its name with its caption, visibility and enabled state, the bands and the
// slot positions, the default button, the menu entry, "&About", "&Exit" and
// what closing does to the working folder.
#include <sys/stat.h>

#include <optional>

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>

#include "delivery/save.h"
#include "ui/crop_shape.h"
#include "ui/main_window.h"
#include "ui/picture_view.h"
#include "ui/preferences_layout.h"
#include "ui/about_window.h"
#include "ui/test_chart_window.h"

using namespace lenti;
using namespace lenti::ui;

namespace {

// The caption a person reads: a group's title, a button's, label's or edit's text.
QString Caption(const QWidget* widget) {
  if (const auto* group = qobject_cast<const QGroupBox*>(widget)) return group->title();
  if (const auto* button = qobject_cast<const QAbstractButton*>(widget)) return button->text();
  if (const auto* label = qobject_cast<const QLabel*>(widget)) return label->text();
  if (const auto* edit = qobject_cast<const QLineEdit*>(widget)) return edit->text();
  return QString();
}

// Fails the test instead of blocking on a dialog nobody answers.
void RefuseDialogs(QtDialogs& dialogs, QStringList& messages, QStringList& errors) {
  dialogs.hooks.run_file_dialog = [](QFileDialog&) { return QString(); };
  dialogs.hooks.run_font_dialog = [](const QFont&) { return std::optional<QFont>(); };
  dialogs.hooks.show_message = [&messages](const QString& text) { messages << text; };
  dialogs.hooks.show_printer_setup = [] {};
  dialogs.hooks.show_error = [&errors](const QString& text) { errors << text; };
}

}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir temp_;
  QStringList errors_;
  QStringList messages_;
  std::unique_ptr<MainWindow> form_;

  std::string WorkDir() const { return (temp_.path() + "/cache/lentmp1").toStdString(); }
  template <typename W = QWidget>
  W* Find(const char* name) const {
    return form_->findChild<W*>(QString::fromLatin1(name));
  }

 private slots:
  void init() {
    errors_.clear();
    messages_.clear();
    if (form_) return;  // left by a test that only looked at it
    form_ = std::make_unique<MainWindow>(WorkDir());
    RefuseDialogs(form_->Dialogs(), messages_, errors_);
    form_->show();
    QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
  }

  // The table tests only look: they share one window, the others get a fresh one.
  void cleanup() {
    const QByteArray test = QTest::currentTestFunction();
    if (!test.startsWith("everyControl") && !test.startsWith("theSlotControls")) form_.reset();
  }
  void cleanupTestCase() { form_.reset(); }

  void everyControlStartsAsDescribed_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("className");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<bool>("visible");
    QTest::addColumn<bool>("enabled");
    const auto row = [](const char* name, const char* cls, const char* caption, bool visible,
                        bool enabled) {
      QTest::newRow(name) << QString::fromLatin1(name) << QString::fromLatin1(cls)
                          << QString::fromUtf8(caption) << visible << enabled;
    };
    row("GroupBox2", "QGroupBox", "Preferences", true, true);
    row("GroupBox8", "QGroupBox", "Mode", true, true);
    row("RadioButton3", "QRadioButton", "", true, true);
    row("RadioButton4", "QRadioButton", "", true, true);
    row("GroupBox1", "QGroupBox", "Photo Source", true, true);
    row("GroupBox7", "QGroupBox", "Input text", true, true);
    row("Edit1", "QLineEdit", "", true, true);
    row("Button25", "QPushButton", "&Font", true, true);
    row("TextColourButton", "QPushButton", "&Colour", true, true);
    row("Button26", "QPushButton", "&Apply", true, false);
    row("GroupBox3", "QGroupBox", "Command", true, true);
    row("Button9", "QPushButton", "&About", true, true);
    row("BitBtn1", "QPushButton", "&Merge", true, true);
    row("Button4", "QPushButton", "&Save", true, false);
    row("Button5", "QPushButton", "&Rotate", true, false);
    row("Button12", "QPushButton", "&Exit", true, true);
    row("Button14", "QPushButton", "&Print", true, false);
    row("CheckBox1", "QCheckBox", "Align-Bar", true, false);
    row("ScrollBox1", "lenti::ui::ViewBox", "", true, true);
    row("Image1", "lenti::ui::PictureView", "", true, false);
    row("Image2", "lenti::ui::PictureView", "", false, true);
    row("Shape7", "lenti::ui::CropShape", "", false, true);
    row("ProgressBar1", "QProgressBar", "", true, true);
    row("GroupBox4", "QGroupBox", "Lens", false, true);
    row("ComboBox1", "QComboBox", "", false, true);
    row("GroupBox5", "QGroupBox", "Interlace Type", false, true);
    row("RadioButton1", "QRadioButton", "3D", false, true);
    row("RadioButton2", "QRadioButton", "Up-Down", false, true);
    row("GroupBox6", "QGroupBox", "输出误差", false, true);
    row("TrackBar1", "QSlider", "", false, true);
    row("Button22", "QPushButton", "裁切", true, false);
    row("Button23", "QPushButton", "&Align", false, true);
    row("Label3", "QLabel", "<a href=\"https://example.com/vexaro\">https://example.com/vexaro</a>",
        false, true);
    const char* buttons[] = {"Button1",  "Button2",  "Button3",  "Button6",  "Button7",  "Button8",
                             "Button10", "Button11", "Button18", "Button19", "Button20", "Button21",
                             "Button13", "Button15", "Button16", "Button17"};
    for (int slot = 1; slot <= 16; ++slot)
      row(buttons[slot - 1], "QPushButton", QString::asprintf("%02d", slot).toLatin1().constData(),
          true, true);
  }

  void everyControlStartsAsDescribed() {
    QFETCH(QString, name);
    QFETCH(QString, className);
    QFETCH(QString, caption);
    QFETCH(bool, visible);
    QFETCH(bool, enabled);
    const QWidget* widget = form_->findChild<QWidget*>(name);
    QVERIFY2(widget != nullptr, qPrintable(name));
    QCOMPARE(QString::fromLatin1(widget->metaObject()->className()), className);
    QCOMPARE(Caption(widget), caption);
    QCOMPARE(widget->isVisibleTo(form_.get()), visible);
    QCOMPARE(widget->isEnabled(), enabled);
  }

  void theWindowAndItsChoicesStartAsDescribed() {
    QCOMPARE(form_->objectName(), QStringLiteral("Form1"));
    QCOMPARE(QString::fromLatin1(form_->metaObject()->className()), QStringLiteral("lenti::ui::MainWindow"));
    QCOMPARE(form_->windowTitle(), QStringLiteral("Vexaro Photo Maker V1.10"));
    QCOMPARE(form_->minimumSize(), form_->maximumSize());  // single border: not sizeable
    QVERIFY(!(form_->windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(Find<QRadioButton>("RadioButton3")->isChecked());
    QVERIFY(!Find<QRadioButton>("RadioButton4")->isChecked());
    QVERIFY(!Find<QRadioButton>("RadioButton1")->isChecked());
    QVERIFY(Find<QRadioButton>("RadioButton2")->isChecked());
    QVERIFY(!Find<QCheckBox>("CheckBox1")->isChecked());
    QCOMPARE(Find<QPushButton>("Button5")->toolTip(), QStringLiteral("Rotate canvas"));

    auto* lens = Find<QComboBox>("ComboBox1");
    QCOMPARE(lens->count(), 4);
    const QStringList pitches = {"42.275", "21.25", "75.15", "61.53"};
    for (int i = 0; i < 4; ++i) QCOMPARE(lens->itemText(i), pitches[i]);
    QCOMPARE(lens->currentText(), QStringLiteral("21.25"));

    auto* track = Find<QSlider>("TrackBar1");
    QCOMPARE(track->minimum(), -4);
    QCOMPARE(track->maximum(), 4);

    QCOMPARE(Find<QLabel>("Image19")->pixmap().size(), QSize(280, 61));
    const QStringList labels = {"Ver 1.10", "DPI:", "422.75", "参考测试图调整"};
    for (const QString& text : labels) {
      bool found = false;
      for (const QLabel* label : form_->findChildren<QLabel*>()) found |= label->text() == text;
      QVERIFY2(found, qPrintable(text));
    }
    QCOMPARE(Find<QProgressBar>("ProgressBar1")->value(), 0);
    QCOMPARE(Find("Image1")->cursor().shape(), Qt::CrossCursor);
    QCOMPARE(Find("Shape7")->cursor().shape(), Qt::SizeAllCursor);
    QCOMPARE(form_->State().overlay.TextX, 100);
    QCOMPARE(form_->State().photos.FrameCount, 2);
    QVERIFY(errors_.isEmpty());
  }

  void theBandsKeepTheirSizes() {
    QCOMPARE(Find("GroupBox2")->height(), 113);
    QCOMPARE(Find("GroupBox1")->width(), 297);
    QCOMPARE(Find("GroupBox3")->width(), 134);
    // Left band, view, right band side by side under the top band (a side
    // band's scroll bar, where the screen is too low, stands beside it).
    const QWidget* client = form_->centralWidget();
    const auto at = [client](const QWidget* widget) { return widget->mapTo(client, QPoint(0, 0)); };
    const QWidget* left = Find("PhotoSourceScroller");
    const QWidget* view = Find("CentreBand");
    const QWidget* right = Find("CommandScroller");
    QCOMPARE(at(left).x(), 0);
    QCOMPARE(at(view).x(), at(left).x() + left->width());
    QCOMPARE(at(right).x(), at(view).x() + view->width());
    QCOMPARE(at(right).x() + right->width(), client->width());
    QCOMPARE(at(Find("GroupBox1")).y(), Find("GroupBox2")->height());
    // The progress bar runs along the bottom of the centre band, under the view.
    const QWidget* bar = Find("ProgressBar1");
    QCOMPARE(at(bar).y() + bar->height(), client->height());
    QCOMPARE(at(bar).x(), at(view).x());
    const QWidget* box = Find("ScrollBox1");
    QCOMPARE(at(box).x(), at(view).x());
    QCOMPARE(bar->width(), box->width());  // Cancel shows only while work runs
  }

  // The whole window, frame included, is the screen's work area: the view's
  // bottom and the progress bar are on the screen.
  void theWholeWindowFitsTheScreensWorkArea() {
    const QRect area = form_->screen()->availableGeometry();
    QTRY_COMPARE(form_->frameGeometry(), area);
    QVERIFY(form_->frameGeometry().height() > form_->height());  // the test has a frame to fit
    const QWidget* bar = Find("ProgressBar1");
    const QRect on_screen(bar->mapToGlobal(QPoint(0, 0)), bar->size());
    QVERIFY(area.contains(on_screen));
  }

  // A screen too low for the photo source band (a window of 500 pixels):
  // the band keeps every control and its width and scrolls, while the centre
  // band stays inside the window.
  void aScreenTooLowScrollsTheSideBandsAndNotTheView() {
    form_->setFixedSize(800, 500);
    QTRY_COMPARE(form_->centralWidget()->height() + form_->menuBar()->height(), 500);
    auto* scroller = Find<QScrollArea>("PhotoSourceScroller");
    const QWidget* band = Find("GroupBox1");
    QCOMPARE(band->width(), 297);
    QVERIFY(band->height() >= Find("GroupBox7")->geometry().bottom());
    QVERIFY(scroller->verticalScrollBar()->maximum() > 0);
    QCOMPARE(scroller->viewport()->width(), 297);  // the scroll bar stands beside the band
    scroller->ensureWidgetVisible(Find("Button26"));
    const QWidget* apply = Find("Button26");
    QVERIFY(scroller->viewport()->rect().contains(
        QRect(apply->mapTo(scroller->viewport(), QPoint(0, 0)), apply->size())));
    const QWidget* centre = Find("CentreBand");
    QCOMPARE(centre->mapTo(form_->centralWidget(), QPoint(0, centre->height())).y(),
             form_->centralWidget()->height());
  }

  // The Preferences band of a 1024, 1280 or 1366 pixel screen (and of the
  // 800 pixel test screen): the Lens group whole, at least its fields' width;
  // the logo, when it fits, beside it, its proportions kept; nothing overlaps.
  void thePreferencesBandShowsTheWholeLensGroup_data() {
    QTest::addColumn<int>("band");
    QTest::addColumn<bool>("logo");
    QTest::addColumn<bool>("fullLogo");
    QTest::newRow("800") << 796 << false << false;
    QTest::newRow("1024") << 1022 << true << false;
    QTest::newRow("1280") << 1278 << true << true;
    QTest::newRow("1366") << 1364 << true << true;
  }

  void thePreferencesBandShowsTheWholeLensGroup() {
    QFETCH(int, band);
    QFETCH(bool, logo);
    QFETCH(bool, fullLogo);
    const int lens_minimum = 500;
    const QSize full(280, 61);
    const QSize version(48, 16);
    const PreferencesPlaces places = PlacePreferences(band, lens_minimum, full, version);
    const QRect inside(0, 0, band, 113);
    QVERIFY(places.lens.left() >= 232);  // right of the Mode group
    QVERIFY(inside.contains(places.lens));
    QVERIFY(places.lens.width() >= lens_minimum);
    QVERIFY(places.lens.width() <= 640);
    QCOMPARE(!places.logo.isEmpty(), logo);
    QCOMPARE(places.logo.size() == full, fullLogo);
    if (logo) {
      QVERIFY(inside.contains(places.logo));
      QVERIFY(places.logo.left() > places.lens.right());
      QVERIFY(qAbs(places.logo.width() * full.height() - places.logo.height() * full.width()) <= full.width());
    }
    if (!places.version.isEmpty()) {
      QVERIFY(inside.contains(places.version));
      QVERIFY(!places.version.intersects(places.lens));
      QVERIFY(!places.version.intersects(places.logo));
      QCOMPARE(places.version.size(), version);
    }
    QVERIFY2(!logo || !places.version.isEmpty(), "the version shows with the logo");
  }

  // The window as it stands on this screen: every field of the Lens group
  // within the group, and the group within the band.
  void theLensGroupIsWholeOnTheScreen() {
    const QWidget* band = Find("GroupBox2");
    const QWidget* lens = Find("LensGroup");
    QVERIFY(band->rect().contains(lens->geometry()));
    QVERIFY(lens->width() >= lens->minimumSizeHint().width());
    for (const QWidget* field : lens->findChildren<QWidget*>()) {
      if (!field->isVisibleTo(lens) || field->objectName() == "LensReadout" || field->objectName() == "LensWarning")
        continue;
      const QRect at(field->mapTo(lens, QPoint(0, 0)), field->size());
      QVERIFY2(lens->rect().contains(at), qPrintable(field->objectName()));
    }
    const QWidget* logo = Find("Image19");
    if (logo->isVisibleTo(band)) QVERIFY(!logo->geometry().intersects(lens->geometry()));
  }

  void theViewImageFillsTheClientAreaInsideTheTwoPixelBorder() {
    const QWidget* box = Find("ScrollBox1");
    const QWidget* image = Find("Image1");
    QCOMPARE(image->size(), box->size() - QSize(4, 4));
    QCOMPARE(image->mapTo(box, QPoint(0, 0)), QPoint(2, 2));
    // Shape7 lives in the same client area: view coordinates start there.
    QCOMPARE(Find("Shape7")->parentWidget(), image->parentWidget());
    const Size outer = form_->View().ViewBoxOuterSize();
    QCOMPARE(QSize(outer.width, outer.height), box->size());
    const Size view = form_->View().ViewImageSize();
    QCOMPARE(QSize(view.width, view.height), image->size());
  }

  void theSlotControlsStandAtTheirPositions_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("thumbnail");
    QTest::addColumn<QRect>("buttonRect");
    QTest::addColumn<QRect>("thumbnailRect");
    struct Row {
      const char* button;
      const char* thumbnail;
      int bx, by, tx, ty;
    };
    const Row rows[] = {
        {"Button1", "Image3", 16, 32, 8, 59},       {"Button2", "Image4", 89, 32, 80, 59},
        {"Button3", "Image5", 160, 32, 152, 59},    {"Button6", "Image6", 233, 32, 224, 59},
        {"Button7", "Image7", 16, 131, 8, 165},     {"Button8", "Image8", 89, 131, 80, 165},
        {"Button10", "Image9", 160, 131, 152, 165}, {"Button11", "Image10", 233, 131, 224, 165},
        {"Button18", "Image11", 16, 230, 8, 264},   {"Button19", "Image12", 89, 230, 80, 264},
        {"Button20", "Image13", 160, 230, 152, 264}, {"Button21", "Image14", 233, 230, 224, 264},
        {"Button13", "Image18", 16, 334, 8, 367},   {"Button15", "Image17", 89, 334, 80, 367},
        {"Button16", "Image16", 160, 334, 152, 367}, {"Button17", "Image15", 233, 334, 224, 367},
    };
    int slot = 1;
    for (const Row& r : rows)
      QTest::newRow(qPrintable(QString::asprintf("slot%02d", slot++)))
          << r.button << r.thumbnail << QRect(r.bx, r.by, 50, 25) << QRect(r.tx, r.ty, 65, 57);
    QTest::newRow("Edit1") << "Edit1" << "GroupBox7" << QRect(16, 24, 249, 24)
                           << QRect(8, 432, 281, 105);
    QTest::newRow("Font/Apply") << "Button25" << "Button26" << QRect(48, 64, 57, 25)
                                << QRect(160, 64, 57, 25);
    // The colour between them, overlapping neither.
    QTest::newRow("Colour/Font") << "TextColourButton" << "Button25" << QRect(107, 64, 51, 25)
                                 << QRect(48, 64, 57, 25);
  }

  void theSlotControlsStandAtTheirPositions() {
    QFETCH(QString, button);
    QFETCH(QString, thumbnail);
    QFETCH(QRect, buttonRect);
    QFETCH(QRect, thumbnailRect);
    QCOMPARE(form_->findChild<QWidget*>(button)->geometry(), buttonRect);
    QCOMPARE(form_->findChild<QWidget*>(thumbnail)->geometry(), thumbnailRect);
  }

  void mergeIsTheDefaultButtonAndEnterRunsIt() {
    QVERIFY(Find<QPushButton>("BitBtn1")->isDefault());
    // From the text box and from another button alike; the empty slot 1 stops it.
    QTest::keyClick(Find("Edit1"), Qt::Key_Return);
    QCOMPARE(messages_.size(), 1);
    QVERIFY(messages_[0].startsWith("Photo1 not select!\nSlot 1 is empty, and a merge needs at least two photos"));
    QTest::keyClick(Find("Button9"), Qt::Key_Enter);
    QCOMPARE(messages_.size(), 2);
  }

  void theModeRadioButtonsDecideTheMode() {
    QCOMPARE(form_->State().mode, Mode::PortraitRows);
    QTest::mouseClick(Find("RadioButton4"), Qt::LeftButton);
    QCOMPARE(form_->State().mode, Mode::LandscapeColumns);
    QCOMPARE(form_->View().CurrentMode(), Mode::LandscapeColumns);
    QTest::mouseClick(Find("RadioButton3"), Qt::LeftButton);
    QCOMPARE(form_->State().mode, Mode::PortraitRows);
    // A project or an undo sets the state's Mode; the buttons follow it.
    form_->View().SetMode(Mode::LandscapeColumns);
    QVERIFY(Find<QRadioButton>("RadioButton4")->isChecked());
    QCOMPARE(form_->State().mode, Mode::LandscapeColumns);
  }

  void theTextBoxIsTheStatesText() {
    QTest::keyClicks(Find("Edit1"), QStringLiteral(" 3D"));
    QCOMPARE(form_->State().overlay.EditText, Find<QLineEdit>("Edit1")->text().toStdString());
  }

  void theInterlaceTypeButtonsSetFlipMode() {
    QVERIFY(!form_->State().lens.FlipMode);
    Find<QRadioButton>("RadioButton2")->click();
    QVERIFY(form_->State().lens.FlipMode);
    Find<QRadioButton>("RadioButton1")->click();
    QVERIFY(!form_->State().lens.FlipMode);
  }

  void theMenuShowsTheHiddenTestChartWindow() {
    TestChartWindow& chart = form_->TestChart();
    QVERIFY(chart.isWindow());
    QVERIFY(!chart.isVisible());
    QAction* entry = nullptr;
    for (QAction* menu : form_->menuBar()->actions())
      for (QAction* action : menu->menu()->actions())
        if (action->text() == QStringLiteral("Pitch test chart...")) entry = action;
    QVERIFY(entry != nullptr);
    entry->trigger();
    QVERIFY(chart.isVisible());
    QVERIFY(chart.isWindow());
  }

  void aboutOpensANewWindowEachTime() {
    QTest::mouseClick(Find("Button9"), Qt::LeftButton);
    QTest::mouseClick(Find("Button9"), Qt::LeftButton);
    const QList<AboutWindow*> windows = form_->findChildren<AboutWindow*>();
    QCOMPARE(windows.size(), 2);
    QVERIFY(windows[0] != windows[1]);
    for (const AboutWindow* about : windows) {
      QVERIFY(about->isVisible());
      QCOMPARE(about->GetMode(), AboutMode::About);
      QVERIFY(!(about->windowFlags() & Qt::FramelessWindowHint));
    }
    // Each press makes a window; a closed one must go, not pile up hidden.
    QPointer<AboutWindow> first(windows[0]);
    first->close();
    QTRY_VERIFY(first.isNull());
    QCOMPARE(form_->findChildren<AboutWindow*>().size(), 1);
  }

  void startingMakesTheWorkingFolderPrivate() {
    struct stat info {};
    QCOMPARE(stat(WorkDir().c_str(), &info), 0);
    QVERIFY(S_ISDIR(info.st_mode));
    QCOMPARE(info.st_mode & 0777, 0700u);
  }

  void aWorkingFolderThatCannotBeUsedIsReportedAndTheWindowStillOpens() {
    const QString file = temp_.path() + "/not-a-folder";
    QFile(file).open(QIODevice::WriteOnly);
    errors_.clear();
    QtDialogs::Hooks hooks;
    hooks.show_error = [this](const QString& text) { errors_ << text; };
    MainWindow second(file.toStdString(), hooks);
    QCOMPARE(errors_.size(), 1);
    QCOMPARE(errors_[0], "Cannot use the working folder \"" + file + "\": it is not a folder.");
    QVERIFY(second.findChild<QWidget*>("BitBtn1") != nullptr);
  }

  void exitClosesTheWindowAndDeletesTheFilesOfAllSixteenSlots() {
    const QString dir = QString::fromStdString(WorkDir());
    const QStringList made = {"t01.bmp", "t12.bmp", "t14.bmp", "t16.bmp",
                              "x01.bmp", "x13.bmp", "x16.bmp", "keep.bmp"};
    for (const QString& name : made) QFile(dir + "/" + name).open(QIODevice::WriteOnly);
    form_->State().merged.MergedBitmap = Raster(4, 4);
    QStringList questions;
    bool answer = false;
    form_->Dialogs().hooks.ask_yes_no = [&](const QString& question) {
      questions << question;
      return answer;
    };
    QSignalSpy closed(form_.get(), &MainWindow::Closed);
    // A merged picture never saved or printed: No keeps the window and its files.
    QTest::mouseClick(Find("Button12"), Qt::LeftButton);
    QCOMPARE(questions, QStringList{QString::fromUtf8(kCloseUnsavedQuestion)});
    QCOMPARE(closed.count(), 0);
    QVERIFY(form_->isVisible());
    QVERIFY(form_->State().merged.MergedBitmap.has_value());
    QVERIFY(QFile::exists(dir + "/t01.bmp"));
    answer = true;
    QTest::mouseClick(Find("Button12"), Qt::LeftButton);
    QCOMPARE(questions.size(), 2);
    QCOMPARE(closed.count(), 1);
    QVERIFY(!form_->isVisible());
    QVERIFY(!form_->State().merged.MergedBitmap.has_value());
    for (const QString& name : made)
      QCOMPARE(QFile::exists(dir + "/" + name), name == "keep.bmp");
    QVERIFY(QFileInfo(dir).isDir());  // the folder stays
    QVERIFY(errors_.isEmpty());
  }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
