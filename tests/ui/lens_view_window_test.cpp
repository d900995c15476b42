// The "View through lens" window: the Tools menu entry comes with the first
// merge and opens the window on the merged picture; the angle slider shows
// each frame at its angle, a mistuned pitch shows bands, a bad pitch is
// named without a box, Play tilts the card, and a new merge brings its own
// sheet while a changed text keeps the one being tried.
#include <cmath>

#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>

#include "fake_frontend.h"
#include "interlace/geometry.h"
#include "interlace/interleave.h"
#include "ui/lens_view_window.h"
#include "ui/main_window.h"

using namespace lenti;
using namespace lenti::ui;

namespace {

Color FrameColour(int k) { return Color{static_cast<uint8_t>(40 + 60 * k), 90, static_cast<uint8_t>(200 - 50 * k)}; }

// The merge of n solid frames at 21.25 lpi, recorded in the state as a merge leaves it.
void MergeSolidFrames(MakerState& state, int n, Mode mode) {
  const OutputGeometry g = ComputeOutputGeometry(n, 212500, mode);
  const Size slice = SliceSize(g.OutputWidth, g.OutputHeight, n, mode);
  std::vector<Raster> slices;
  std::vector<const Raster*> pointers;
  for (int k = 0; k < n; ++k) {
    slices.emplace_back(slice.width, slice.height, PixelFormat::pf24bit);
    slices.back().FillRect(slices.back().ClipRect(), FrameColour(k));
  }
  for (const Raster& s : slices) pointers.push_back(&s);
  state.merged.MergedBitmap = InterleaveSlices(pointers, g, n, mode);
  state.merged.Geometry = MergeGeometry{n, 212500, g.StripWidth, g.OutputDpiX, g.OutputWidth, g.OutputHeight, mode};
}

// The colours of the view, sampled along its strip axis through its middle,
// leaving out the lenses at the ends (cut by the picture's edges).
QSet<QString> ShownColours(const Raster& view, Mode mode) {
  QSet<QString> colours;
  const bool rows = mode == Mode::PortraitRows;
  const int extent = rows ? view.Height() : view.Width();
  for (int line = extent * 3 / 100; line < extent * 97 / 100; ++line) {
    const Color c = rows ? view.PixelColor(view.Width() / 2, line) : view.PixelColor(line, view.Height() / 2);
    colours << QStringLiteral("%1,%2,%3").arg(c.r).arg(c.g).arg(c.b);
  }
  return colours;
}

QString Name(Color c) { return QStringLiteral("%1,%2,%3").arg(c.r).arg(c.g).arg(c.b); }

}  // namespace

class LensViewWindowTest : public QObject {
  Q_OBJECT

 private:
  MakerState state_;
  lenti::testing::FakeFrontend frontend_;
  std::unique_ptr<LensViewWindow> window_;

  template <typename W = QWidget>
  W* Find(const char* name) const {
    W* widget = window_->findChild<W*>(QString::fromLatin1(name));
    if (widget == nullptr) qWarning("no control %s", name);
    return widget;
  }
  void SetAngle(double angle) {
    Find<QSlider>("AngleSlider")->setValue(static_cast<int>(std::lround(angle * LensViewWindow::kAngleSteps)));
  }
  void TypePitch(const QString& text) {
    QLineEdit* edit = Find<QLineEdit>("SheetPitchEdit");
    edit->selectAll();
    QTest::keyClicks(edit, text);
  }

 private slots:
  void init() {
    state_ = MakerState{};
    frontend_ = lenti::testing::FakeFrontend{};
    MergeSolidFrames(state_, 3, Mode::LandscapeColumns);
    window_ = std::make_unique<LensViewWindow>(state_, frontend_);
    window_->resize(900, 800);
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    window_->Follow();
  }
  void cleanup() { window_.reset(); }

  void startsFromTheMergesSheet() {
    QCOMPARE(window_->windowTitle(), QStringLiteral("View through lens"));
    QCOMPARE(Find<QLineEdit>("SheetPitchEdit")->text(), QStringLiteral("21.25"));
    QCOMPARE(window_->Sheet().dpi, 318.75);
    QCOMPARE(window_->Axis(), Mode::LandscapeColumns);
    QVERIFY(Find<QLabel>("LensCaption")->text().contains(QStringLiteral("15 px per lens")));
    QVERIFY(frontend_.errors.empty());
  }

  void eachFrameAtItsAngleFillsTheView() {
    for (int k = 0; k < 3; ++k) {
      SetAngle(FrameAngle(k, 3));
      const Raster& view = window_->ShownView();
      QVERIFY(view.Width() > 400);
      QVERIFY(view.Width() <= Find<QWidget>("LensView")->width());
      QCOMPARE(ShownColours(view, Mode::LandscapeColumns), QSet<QString>{Name(FrameColour(k))});
      QCOMPARE(Find<QLabel>("AngleCaption")->text(), QStringLiteral("Angle %1: frame %2 of 3")
                                                          .arg(window_->Angle(), 0, 'f', 3)
                                                          .arg(k + 1));
    }
  }

  void aMistunedPitchShowsBandsAndABadOneIsNamed() {
    SetAngle(0.5);
    TypePitch(QStringLiteral("21,85"));  // the comma locales' way, 2.8 % off
    QCOMPARE(window_->Sheet().lpi, 21.85);
    QVERIFY(Find<QLabel>("PitchErrorCaption")->text().startsWith(QStringLiteral("+2.82 %")));
    QCOMPARE(ShownColours(window_->ShownView(), Mode::LandscapeColumns).size(), 3);
    TypePitch(QStringLiteral("fine"));
    QVERIFY(!window_->SheetFault().isEmpty());
    QCOMPARE(Find<QLabel>("SheetFaultCaption")->text(), window_->SheetFault());
    QCOMPARE(window_->Sheet().lpi, 21.85);  // the last good pitch stays
    TypePitch(QStringLiteral("400"));  // beyond every lens pitch, before any pixel count
    QCOMPARE(window_->SheetFault(), QStringLiteral("The sheet pitch must lie between 5 and 300 lpi"));
    QVERIFY(frontend_.errors.empty());  // no box while typing
    QTest::mouseClick(Find<QPushButton>("ResetSheetButton"), Qt::LeftButton);
    QCOMPARE(window_->Sheet().lpi, 21.25);
    QVERIFY(window_->SheetFault().isEmpty());
    QCOMPARE(ShownColours(window_->ShownView(), Mode::LandscapeColumns).size(), 1);
  }

  void phaseMovesTheLensesAgainstTheStrips() {
    SetAngle(FrameAngle(0, 3));
    Find<QSlider>("PhaseSlider")->setValue(LensViewWindow::kPhaseSteps / 3);  // a third of a lens on
    QCOMPARE(window_->Sheet().phase, 0.333);
    // Each lens now looks a third further on: the next frame, everywhere.
    QCOMPARE(ShownColours(window_->ShownView(), Mode::LandscapeColumns).size(), 1);
    QVERIFY(!ShownColours(window_->ShownView(), Mode::LandscapeColumns).contains(Name(FrameColour(0))));
  }

  void playTiltsTheCardAndStopsWhenHidden() {
    SetAngle(0);
    QPushButton* play = Find<QPushButton>("PlayButton");
    QTest::mouseClick(play, Qt::LeftButton);
    QVERIFY(play->isChecked());
    QTRY_VERIFY_WITH_TIMEOUT(window_->Angle() >= 0.05, 5000);
    window_->hide();
    QVERIFY(!play->isChecked());
    const double stopped = window_->Angle();
    QTest::qWait(4 * LensViewWindow::kPlayIntervalMs);
    QCOMPARE(window_->Angle(), stopped);
  }

  void aNewMergeBringsItsSheetAChangedTextKeepsTheTriedOne() {
    TypePitch(QStringLiteral("21.3"));
    state_.overlay.OverlayText = "Hello";
    state_.overlay.OverlayFont = std::make_shared<Font>();
    window_->Follow();
    QCOMPARE(window_->Sheet().lpi, 21.3);
    MergeSolidFrames(state_, 2, Mode::PortraitRows);
    window_->Follow();
    QCOMPARE(window_->Sheet().lpi, 21.25);
    QCOMPARE(window_->Sheet().dpi, 297.5);
    QCOMPARE(window_->Axis(), Mode::PortraitRows);
    SetAngle(FrameAngle(1, 2));
    QVERIFY(ShownColours(window_->ShownView(), Mode::PortraitRows).contains(Name(FrameColour(1))));
  }

  void theToolsMenuOpensItAfterAMerge() {
    QTemporaryDir temp;
    MainWindow main((temp.path() + "/lentmp1").toStdString());
    QAction* action = main.findChild<QAction*>(QStringLiteral("ViewThroughLensAction"));
    QVERIFY(action != nullptr);
    QCOMPARE(action->text(), QStringLiteral("View through lens..."));
    QVERIFY(!action->isEnabled());
    MergeSolidFrames(main.State(), 2, Mode::PortraitRows);
    main.findChild<QRadioButton*>(QStringLiteral("RadioButton2"))->click();  // any command
    QVERIFY(action->isEnabled());
    action->trigger();
    QVERIFY(main.LensView() != nullptr);
    QVERIFY(main.LensView()->isVisible());
    QCOMPARE(main.LensView()->Sheet().dpi, 297.5);
    QVERIFY(!main.LensView()->ShownView().Empty());
  }
};

QTEST_MAIN(LensViewWindowTest)
#include "lens_view_window_test.moc"
