// The main window's alignment controls reach their operations: the onion
// skin lies over the crop rectangle, "Align frames" and a click on the
// subject place every frame, the arrow keys nudge the current one and
// "Reset frame" puts it back.
#include <QCheckBox>
#include <QFileDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include "aligned_scene.h"
#include "core/bmp_writer.h"
#include "ui/crop_shape.h"
#include "ui/main_window.h"
#include "ui/picture_view.h"
#include "ui/slot_names.h"

using namespace lenti;
using namespace lenti::ui;

namespace {

const testing::ShotPlacement kSecondShot{12.5, -6.25};

QString WriteShot(const QTemporaryDir& dir, const QString& name,
                  const testing::ShotPlacement& placement) {
  const Raster photo = testing::Shot(testing::NoiseScene(71), 480, 360, placement, 1.0);
  const QString path = dir.path() + "/" + name;
  SaveBmpFile(photo, path.toStdString());
  return path;
}

}  // namespace

class AlignWindowTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir temp_;
  QStringList answers_;
  QStringList messages_;
  QStringList errors_;
  std::unique_ptr<MainWindow> form_;

  template <typename W = QWidget>
  W* Find(const char* name) const {
    return form_->findChild<W*>(QString::fromLatin1(name));
  }
  void Import(int slot, const QString& path) {
    answers_ << path;
    QTest::mouseClick(Find(kSlotControlNames[slot - 1].button), Qt::LeftButton);
    QTRY_VERIFY(!form_->Busy());
  }
  const FramePlacement& Placement(int slot) const {
    return form_->State().photos.Placements[slot - 1];
  }

 private slots:
  void init() {
    answers_.clear();
    messages_.clear();
    errors_.clear();
    form_ = std::make_unique<MainWindow>((temp_.path() + "/work").toStdString());
    QtDialogs::Hooks& hooks = form_->Dialogs().hooks;
    hooks.show_error = [this](const QString& text) { errors_ << text; };
    hooks.show_message = [this](const QString& text) { messages_ << text; };
    hooks.run_file_dialog = [this](QFileDialog&) {
      return answers_.isEmpty() ? QString() : answers_.takeFirst();
    };
    form_->show();
    QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
    Import(1, WriteShot(temp_, "a.bmp", {}));
    Import(2, WriteShot(temp_, "b.bmp", kSecondShot));
  }
  void cleanup() { form_.reset(); }

  void theOnionSkinLiesOverTheCropRectangle() {
    auto* onion = Find<PictureView>("OnionSkinView");
    QVERIFY(!onion->isVisible());
    QTest::mouseClick(Find<QCheckBox>("OnionSkinBox"), Qt::LeftButton);
    QCOMPARE(form_->State().photos.Onion.view, OnionView::Blend);
    QVERIFY(onion->isVisible());
    QCOMPARE(onion->geometry(), Find<CropShape>("Shape7")->geometry());
    QTest::mouseClick(Find<QCheckBox>("OnionDifferenceBox"), Qt::LeftButton);
    QCOMPARE(form_->State().photos.Onion.view, OnionView::Difference);
    // Over the reference itself there is nothing to lay.
    QTest::mouseClick(Find(kSlotControlNames[0].thumbnail), Qt::LeftButton);
    QVERIFY(!onion->isVisible());
    QVERIFY(errors_.isEmpty());
  }

  void alignFramesPlacesEveryFrameOnTheReference() {
    QTest::mouseClick(Find<QPushButton>("AlignFramesButton"), Qt::LeftButton);
    QTRY_VERIFY(!form_->Busy());  // the frames are searched off the window's thread
    QVERIFY2(messages_.isEmpty(), qPrintable(messages_.join("\n")));
    QVERIFY(std::abs(Placement(2).shift_x - kSecondShot.dx) < 0.5);
    QVERIFY(std::abs(Placement(2).shift_y - kSecondShot.dy) < 0.5);
    QCOMPARE(form_->CurrentJob().frames[1].placement, Placement(2));
  }

  void aFrameIsAlignedAgainOnItsOwn() {
    Import(3, WriteShot(temp_, "c.bmp", {-5, 4}));
    QTest::mouseClick(Find<QPushButton>("AlignCurrentButton"), Qt::LeftButton);
    QTRY_VERIFY(!form_->Busy());
    QVERIFY(std::abs(Placement(3).shift_x + 5) < 0.5);
    QCOMPARE(Placement(2), FramePlacement{});  // the others stay as they were
  }

  void aClickOnTheSubjectLinesTheFramesUpOnIt() {
    QTest::mouseClick(Find<QPushButton>("PickSubjectButton"), Qt::LeftButton);
    auto* shape = Find<CropShape>("Shape7");
    QTest::mouseClick(shape, Qt::LeftButton, {}, shape->rect().center());
    QTRY_VERIFY(!form_->Busy());
    QVERIFY2(messages_.isEmpty(), qPrintable(messages_.join("\n")));
    QCOMPARE(form_->State().photos.Onion.reference_slot, 2);
    QVERIFY(std::abs(Placement(1).shift_x + kSecondShot.dx) < 0.5);
    QVERIFY(!Find<QPushButton>("PickSubjectButton")->isChecked());
  }

  void arrowKeysNudgeTheCurrentFrameAndResetPutsItBack() {
    QWidget* photo = Find("Image1");
    QTest::keyClick(photo, Qt::Key_Right);
    QTest::keyClick(photo, Qt::Key_Up, Qt::ShiftModifier);
    QCOMPARE(Placement(2), (FramePlacement{1, -10, 0, 1}));
    QTest::mouseClick(Find<QPushButton>("ResetFrameButton"), Qt::LeftButton);
    QCOMPARE(Placement(2), FramePlacement{});
  }
};

QTEST_MAIN(AlignWindowTest)
#include "align_window_test.moc"
