// The handlers of the main window reach their operations: a slot button
// imports into its own slot, a thumbnail selects its slot, the crop
// rectangle follows presses, moves and releases (also outside itself while
// the button is held), and the merge, the Align-Bar box, the text commands,
// Rotate and Save run on the real widgets.
#include <QAction>
#include <QCheckBox>
#include <QDialog>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <optional>

#include "core/bmp_writer.h"
#include "core/raster.h"
#include "finishing/text_overlay.h"
#include "interlace/slot_job.h"
#include "ui/crop_shape.h"
#include "ui/main_window.h"
#include "ui/picture_view.h"
#include "ui/slot_mark.h"
#include "ui/slot_names.h"
#include "ui/slot_strip.h"
#include "ui/test_chart_window.h"

using namespace lenti;
using namespace lenti::ui;

namespace {

// The import button and the thumbnail of slot k at index k - 1.

// A photo of one colour, so each slot's thumbnail can be told apart.
QString WritePhoto(const QTemporaryDir& dir, const QString& name, int width, int height,
                   Color color) {
  Raster photo(width, height);
  photo.FillRect(Rect{0, 0, width, height}, color);
  const QString path = dir.path() + "/" + name;
  SaveBmpFile(photo, path.toStdString());
  return path;
}

}  // namespace

class SlotAndCropTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir temp_;
  QStringList errors_;
  QStringList messages_;
  QStringList answers_;       // the open/save dialog's next names ("" = cancel)
  QStringList dialogs_seen_;  // objectName of each file dialog shown
  std::optional<QFont> font_answer_;
  std::unique_ptr<MainWindow> form_;

  template <typename W = QWidget>
  W* Find(const char* name) const {
    return form_->findChild<W*>(QString::fromLatin1(name));
  }
  CropShape* Shape7() const { return Find<CropShape>("Shape7"); }
  QRect ShapeRect() const { return Shape7()->geometry(); }
  QRect RecordRect(int slot) const {
    const CropRecord& r = form_->State().photos.CropRects[slot - 1];
    return QRect(QPoint(r.Left, r.Top), QSize(r.Right - r.Left, r.Bottom - r.Top));
  }
  void Import(int slot, const QString& path) {
    answers_ << path;
    QTest::mouseClick(Find(kSlotControlNames[slot - 1].button), Qt::LeftButton);
    QTRY_VERIFY(!form_->Busy());  // the photo is read off the window's thread
  }
  // The ring stands around slot `slot`'s thumbnail and only its button is
  // bold; 0: no slot is marked.
  void ExpectMarkOn(int slot) const {
    const SlotMark* mark = Find<SlotMark>("CurrentSlotMark");
    QTRY_COMPARE(mark->MarkedSlot(), slot);
    QCOMPARE(mark->isVisible(), slot != 0);
    for (int k = 1; k <= kSlotCount; ++k)
      QCOMPARE(Find(kSlotControlNames[k - 1].button)->font().bold(), k == slot);
    if (slot == 0) return;
    const QWidget* thumbnail = Find(kSlotControlNames[slot - 1].thumbnail);
    const int ring = SlotMark::kRingWidth;
    QCOMPARE(mark->geometry(), thumbnail->geometry().adjusted(-ring, -ring, ring, ring));
    QCOMPARE(mark->parentWidget(), thumbnail->parentWidget());
    // Beneath the thumbnail, which the ring must not cover.
    const QObjectList& siblings = thumbnail->parentWidget()->children();
    QVERIFY(siblings.indexOf(const_cast<SlotMark*>(mark)) < siblings.indexOf(const_cast<QWidget*>(thumbnail)));
  }
  QString CurrentFile() const {
    const SlotState& photos = form_->State().photos;
    return QString::fromStdString(photos.SlotFiles[photos.CurrentSlot]);
  }

 private slots:
  void init() {
    errors_.clear();
    messages_.clear();
    answers_.clear();
    dialogs_seen_.clear();
    font_answer_.reset();
    form_ = std::make_unique<MainWindow>((temp_.path() + "/work").toStdString());
    QtDialogs::Hooks& hooks = form_->Dialogs().hooks;
    hooks.show_error = [this](const QString& text) { errors_ << text; };
    hooks.run_file_dialog = [this](QFileDialog& dialog) {
      dialogs_seen_ << dialog.objectName();
      return answers_.isEmpty() ? QString() : answers_.takeFirst();
    };
    hooks.run_font_dialog = [this](const QFont&) { return font_answer_; };
    hooks.show_message = [this](const QString& text) { messages_ << text; };
    hooks.show_printer_setup = [] {};
    form_->show();
    QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
  }

  void cleanup() { form_.reset(); }

  void aCancelledImportShowsTheDialogAndLeavesTheSlotEmpty_data() {
    QTest::addColumn<int>("slot");
    for (int slot = 1; slot <= 16; ++slot) QTest::newRow(kSlotControlNames[slot - 1].button) << slot;
  }

  void aCancelledImportShowsTheDialogAndLeavesTheSlotEmpty() {
    QFETCH(int, slot);
    Import(slot, QString());
    QCOMPARE(dialogs_seen_, QStringList{"OpenPictureDialog1"});
    for (const std::string& file : form_->State().photos.SlotFiles) QVERIFY(file.empty());
    QCOMPARE(form_->State().photos.FrameCount, 2);
    QVERIFY(!Shape7()->isVisible());
    QVERIFY(errors_.isEmpty());
  }

  void eachSlotButtonImportsIntoItsOwnSlot_data() {
    QTest::addColumn<int>("slot");
    for (int slot = 1; slot <= 16; ++slot) QTest::newRow(kSlotControlNames[slot - 1].button) << slot;
  }

  void eachSlotButtonImportsIntoItsOwnSlot() {
    QFETCH(int, slot);
    const QString photo = WritePhoto(temp_, QString::asprintf("p%02d.bmp", slot), 160, 120,
                                     Color{uint8_t(slot * 15), 40, 200});
    Import(slot, photo);
    QVERIFY2(errors_.isEmpty(), qPrintable(errors_.join("; ")));
    const MakerState& state = form_->State();
    for (int k = 1; k <= 16; ++k)
      QCOMPARE(QString::fromStdString(state.photos.SlotFiles[k - 1]), k == slot ? photo : QString());
    QCOMPARE(state.photos.CurrentSlot, uint8_t(slot - 1));
    QCOMPARE(state.photos.FrameCount, std::max(2, slot));

    // Its thumbnail (and no other) shows the photo; the view shows it framed.
    for (int k = 1; k <= 16; ++k) {
      const Picture& thumbnail = form_->findChild<PictureView*>(kSlotControlNames[k - 1].thumbnail)->GetPicture();
      QCOMPARE(thumbnail.IsEmpty(), k != slot);
    }
    const Raster& shown = form_->findChild<PictureView*>(kSlotControlNames[slot - 1].thumbnail)->GetPicture().Graphic();
    QCOMPARE(QSize(shown.Width(), shown.Height()), QSize(65, 57));
    QCOMPARE(shown.PixelColor(30, 30), (Color{uint8_t(slot * 15), 40, 200}));
    QCOMPARE(Find<PictureView>("Image1")->GetPicture().Width(), 160);
    QVERIFY(Shape7()->isVisible());
    QCOMPARE(ShapeRect(), RecordRect(slot));
  }

  void eachThumbnailSelectsItsSlot() {
    for (int slot = 1; slot <= 16; ++slot)
      Import(slot, WritePhoto(temp_, QString::asprintf("s%02d.bmp", slot), 100 + slot * 10, 100,
                              kWhite));
    for (int slot = 16; slot >= 1; --slot) {
      QTest::mouseClick(Find(kSlotControlNames[slot - 1].thumbnail), Qt::LeftButton);
      QCOMPARE(form_->State().photos.CurrentSlot, uint8_t(slot - 1));
      QCOMPARE(Find<PictureView>("Image1")->GetPicture().Width(), 100 + slot * 10);
      QCOMPARE(ShapeRect(), RecordRect(slot));
    }
    QVERIFY(errors_.isEmpty());
  }

  void theThumbnailOfAnEmptySlotDoesNothing() {
    Import(1, WritePhoto(temp_, "one.bmp", 200, 100, kWhite));
    QTest::mouseClick(Find("Image5"), Qt::LeftButton);
    QCOMPARE(form_->State().photos.CurrentSlot, uint8_t(0));
    QVERIFY(errors_.isEmpty());
  }

  void aFileThatIsNoPhotoIsRefusedWithTheMessage() {
    const QString text = temp_.path() + "/notes.jpg";
    QFile file(text);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("just words");
    file.close();
    Import(3, text);
    // The documented text first; the file and the formats taken below it.
    QCOMPARE(messages_, QStringList{"File format error!\n\"notes.jpg\" is not a photo the program "
                                    "takes: JPEG (.jpg, .jpeg), PNG (.png), TIFF (.tif, .tiff) or BMP (.bmp)."});
    QVERIFY(form_->State().photos.SlotFiles[2].empty());
    QCOMPARE(form_->State().photos.FrameCount, 2);
  }

  void dragging_data() {
    QTest::addColumn<int>("mode");  // 0 portrait, 1 landscape
    QTest::newRow("portrait") << 0;
    QTest::newRow("landscape") << 1;
  }

  // Press inside, move, release: the rectangle follows and the record too.
  void dragging() {
    QFETCH(int, mode);
    if (mode == 1) QTest::mouseClick(Find("RadioButton4"), Qt::LeftButton);
    Import(1, WritePhoto(temp_, "drag.bmp", 1600, 1200, kWhite));
    CropShape* shape = Shape7();
    const QRect start = ShapeRect();
    QVERIFY(start.width() > 60);

    QTest::mousePress(shape, Qt::LeftButton, {}, QPoint(30, 30));
    QVERIFY(form_->State().photos.Dragging);
    QCOMPARE(shape->cursor().shape(), Qt::SizeAllCursor);
    QTest::mouseMove(shape, QPoint(45, 22));  // relative to the rectangle where it stands
    QCOMPARE(ShapeRect(), start.translated(15, -8));
    QTest::mouseMove(shape, QPoint(35, 32));
    QCOMPARE(ShapeRect(), start.translated(20, -6));
    QTest::mouseRelease(shape, Qt::LeftButton, {}, QPoint(35, 32));
    QVERIFY(!form_->State().photos.Dragging);
    QCOMPARE(RecordRect(1), ShapeRect());

    // A press in the bottom-right corner resizes; the height follows the width.
    const QRect moved = ShapeRect();
    const QPoint corner(moved.width() - 5, moved.height() - 5);
    QTest::mousePress(shape, Qt::LeftButton, {}, corner);
    QCOMPARE(shape->cursor().shape(), Qt::SizeFDiagCursor);
    QTest::mouseMove(shape, QPoint(290, 5));
    QTest::mouseRelease(shape, Qt::LeftButton, {}, QPoint(290, 5));
    const QSize resized = mode == 0 ? QSize(290, 350) : QSize(290, 240);
    QCOMPARE(ShapeRect(), QRect(moved.topLeft(), resized));
    QCOMPARE(RecordRect(1), ShapeRect());
    QVERIFY(errors_.isEmpty());
  }

  void hoveringShowsWhatAPressWouldDo() {
    Import(1, WritePhoto(temp_, "hover.bmp", 400, 300, kWhite));
    CropShape* shape = Shape7();
    const QSize size = ShapeRect().size();
    QMouseEvent corner(QEvent::MouseMove, QPointF(size.width() - 3, size.height() - 3),
                       QPointF(), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(shape, &corner);
    QCOMPARE(shape->cursor().shape(), Qt::SizeFDiagCursor);
    QMouseEvent middle(QEvent::MouseMove, QPointF(size.width() / 2, size.height() / 2), QPointF(),
                       Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(shape, &middle);
    QCOMPARE(shape->cursor().shape(), Qt::SizeAllCursor);
    QVERIFY(!form_->State().photos.Dragging);
  }

  // Through the window, as the system delivers them: once pressed, moves far
  // outside the rectangle and the release still reach it.
  void theDragKeepsTheMouseOutsideTheRectangle() {
    Import(1, WritePhoto(temp_, "grab.bmp", 1600, 1200, kWhite));
    const QRect start = ShapeRect();
    QWindow* window = form_->windowHandle();
    const QPoint grip = Shape7()->mapTo(form_.get(), QPoint(10, 10));
    const QPoint outside = grip + QPoint(start.width() + 40, 0);  // right of the rectangle
    QTest::mousePress(window, Qt::LeftButton, {}, grip);
    QTest::mouseMove(window, outside);
    QCOMPARE(ShapeRect(), start.translated(start.width() + 40, 0));
    QTest::mouseRelease(window, Qt::LeftButton, {}, outside);
    QVERIFY(!form_->State().photos.Dragging);
    QCOMPARE(RecordRect(1), ShapeRect());
  }

  // The mark follows the current slot through every command that moves it.
  void theCurrentSlotIsMarkedWhereverItGoes() {
    ExpectMarkOn(0);  // nothing in the view yet
    const QString a = WritePhoto(temp_, "a.bmp", 160, 120, Color{255, 0, 0});
    const QString b = WritePhoto(temp_, "b.bmp", 160, 120, Color{0, 0, 255});
    Import(3, a);
    ExpectMarkOn(3);
    Import(1, b);
    ExpectMarkOn(1);
    QTest::mouseClick(Find(kSlotControlNames[2].thumbnail), Qt::LeftButton);
    ExpectMarkOn(3);
    QCOMPARE(CurrentFile(), a);

    // The photo carries the mark when the slots are reordered.
    Find<QAction>("ReverseOrderAction")->trigger();
    ExpectMarkOn(1);
    QCOMPARE(CurrentFile(), a);
    emit form_->findChild<SlotStrip*>()->SlotDropped(1, 7);
    ExpectMarkOn(7);
    QCOMPARE(CurrentFile(), a);

    // Removed: the view is empty and no slot is marked.
    Find<QAction>("RemoveCurrentPhotoAction")->trigger();
    ExpectMarkOn(0);
    QVERIFY(errors_.isEmpty());
  }

  // "裁切" shows with the commands; it can act only on a current photo.
  void theFitButtonIsVisibleAndNeedsACurrentPhoto() {
    auto* fit = Find<QPushButton>("Button22");
    QVERIFY(fit->isVisibleTo(form_.get()));
    QCOMPARE(fit->parentWidget(), Find("GroupBox3"));
    QVERIFY(!fit->isEnabled());
    Import(2, WritePhoto(temp_, "fit.bmp", 160, 120, kWhite));
    QTRY_VERIFY(fit->isEnabled());
    Find<QAction>("RemoveCurrentPhotoAction")->trigger();
    QTRY_VERIFY(!fit->isEnabled());
  }

  // Turning the Mode gives the shown rectangle the new shape at once.
  void theModeButtonsReshapeTheRectangle() {
    Import(1, WritePhoto(temp_, "wide.bmp", 1600, 1200, kWhite));
    const QRect upright = ShapeRect();
    QVERIFY(upright.width() < upright.height());
    QTest::mouseClick(Find("RadioButton4"), Qt::LeftButton);
    const QRect across = ShapeRect();
    QVERIFY2(across.width() > across.height(), qPrintable(QString("%1 x %2").arg(across.width()).arg(across.height())));
    QCOMPARE(across, RecordRect(1));
    QVERIFY(qAbs(across.center().x() - upright.center().x()) <= 1);
  }

  // A rectangle dragged out of the view comes back as the default one.
  void theFitButtonBringsBackARectangleDraggedOutOfSight() {
    Import(1, WritePhoto(temp_, "far.bmp", 1600, 1200, kWhite));
    const QRect placed = ShapeRect();
    QTest::mousePress(Shape7(), Qt::LeftButton, {}, QPoint(20, 20));
    QTest::mouseMove(Shape7(), QPoint(20 - placed.right() - 50, 20));
    QTest::mouseRelease(Shape7(), Qt::LeftButton, {}, QPoint(20 - placed.right() - 50, 20));
    QVERIFY(ShapeRect().right() < 0);
    QTest::mouseClick(Find("Button22"), Qt::LeftButton);
    QCOMPARE(ShapeRect(), placed);
    QCOMPARE(RecordRect(1), placed);
    QVERIFY(Shape7()->isVisible());
  }

  void theHiddenFitButtonFramesTheCurrentPhotoAgain() {
    Import(1, WritePhoto(temp_, "fit.bmp", 1600, 1200, kWhite));
    const QRect placed = ShapeRect();
    QTest::mousePress(Shape7(), Qt::LeftButton, {}, QPoint(20, 20));
    QTest::mouseMove(Shape7(), QPoint(60, 20));
    QTest::mouseRelease(Shape7(), Qt::LeftButton, {}, QPoint(60, 20));
    Find<QPushButton>("Button22")->click();  // a saved rectangle is restored as it is
    QCOMPARE(ShapeRect(), placed.translated(40, 0));
  }

  // While a merge runs every command waits and Cancel shows; a cancel
  // leaves no picture, the output commands disabled and the crop rectangle
  // shown as before.
  void aMergeRunsOffTheWindowThreadAndACancelKeepsTheState() {
    Import(1, WritePhoto(temp_, "a.bmp", 400, 300, Color{255, 0, 0}));
    Import(2, WritePhoto(temp_, "b.bmp", 400, 300, Color{0, 0, 255}));
    QVERIFY(Shape7()->isVisible());
    QTest::mouseClick(Find("BitBtn1"), Qt::LeftButton);
    QVERIFY(!Shape7()->isVisible());
    QVERIFY(form_->Busy());
    for (const char* name : {"GroupBox1", "GroupBox2", "GroupBox3", "ScrollBox1", "BitBtn1", "Button1"})
      QVERIFY2(!Find(name)->isEnabled(), name);
    QVERIFY(Find("CancelButton")->isVisible());
    QVERIFY(Find("CancelButton")->isEnabled());
    QTest::mouseClick(Find("BitBtn1"), Qt::LeftButton);  // a second merge is refused
    QTest::mouseClick(Find("CancelButton"), Qt::LeftButton);
    QTRY_VERIFY(!form_->Busy());
    QVERIFY(!form_->State().merged.MergedBitmap.has_value());
    QVERIFY(messages_.isEmpty());
    QVERIFY(errors_.isEmpty());
    QVERIFY(!Find("Button4")->isEnabled());
    QVERIFY(Find("GroupBox3")->isEnabled());
    QVERIFY(!Find("CancelButton")->isVisible());
    QVERIFY(QApplication::overrideCursor() == nullptr);
    QVERIFY(Shape7()->isVisible());
    QVERIFY(form_->State().photos.CropVisible);
  }

  // Once the slots change, Save says the picture is out of date: no saves
  // the old picture as it is, yes merges again and then saves the new one.
  void saveOffersToMergeAnOutOfDatePictureAgain() {
    Import(1, WritePhoto(temp_, "a.bmp", 400, 300, Color{255, 0, 0}));
    Import(2, WritePhoto(temp_, "b.bmp", 400, 300, Color{0, 0, 255}));
    QTest::mouseClick(Find("BitBtn1"), Qt::LeftButton);
    QTRY_VERIFY(!form_->Busy());
    const MakerState& state = form_->State();
    const Color first_frame = state.merged.MergedBitmap->PixelColor(0, 0);
    QStringList asked;
    QList<bool> replies{false, true};
    form_->Dialogs().hooks.ask_yes_no = [&](const QString& question) {
      asked << question;
      return replies.takeFirst();
    };
    Find<QAction>("ReverseOrderAction")->trigger();
    QVERIFY(MergedPictureOutOfDate(state));

    answers_ << temp_.path() + "/old.bmp";
    QTest::mouseClick(Find("Button4"), Qt::LeftButton);
    QCOMPARE(asked.size(), 1);
    QVERIFY(asked[0].startsWith("The merged picture is out of date"));
    QVERIFY(QFile::exists(temp_.path() + "/old.bmp"));
    QCOMPARE(state.merged.MergedBitmap->PixelColor(0, 0), first_frame);

    answers_ << temp_.path() + "/new.bmp";
    QTest::mouseClick(Find("Button4"), Qt::LeftButton);
    QTRY_VERIFY(QFile::exists(temp_.path() + "/new.bmp"));
    QVERIFY(!MergedPictureOutOfDate(state));
    QVERIFY(state.merged.MergedBitmap->PixelColor(0, 0) != first_frame);  // the frames in their new order
    QVERIFY2(errors_.isEmpty(), qPrintable(errors_.join("; ")));
  }

  // The chart window's Create and the main window's commands share one
  // worker: while either runs, the other window's commands wait, and the
  // main window's Cancel reaches the chart too.
  void theChartWindowAndTheMainWindowNeverRunTwoCommandsAtOnce() {
    TestChartWindow& chart = form_->TestChart();
    chart.show();
    auto* create = chart.findChild<QPushButton*>(QStringLiteral("Button5"));
    auto* chart_cancel = chart.findChild<QPushButton*>(QStringLiteral("ChartCancelButton"));
    QTest::mouseClick(create, Qt::LeftButton);
    QVERIFY(chart.Busy());
    QVERIFY(form_->Busy());
    for (const char* name : {"GroupBox1", "GroupBox2", "GroupBox3", "ScrollBox1", "BitBtn1"})
      QVERIFY2(!Find(name)->isEnabled(), name);
    QVERIFY(!create->isEnabled());
    QVERIFY(chart_cancel->isVisible());
    QVERIFY(chart_cancel->isEnabled());
    QTest::mouseClick(Find("CancelButton"), Qt::LeftButton);
    QTRY_VERIFY(!form_->Busy());
    QVERIFY(!form_->State().chart.TestChart.has_value());
    QVERIFY(create->isEnabled());
    QVERIFY(!chart_cancel->isVisible());

    // An import in the main window: the chart's commands wait, its Cancel stays hidden.
    answers_ << WritePhoto(temp_, "a.bmp", 400, 300, Color{255, 0, 0});
    QTest::mouseClick(Find(kSlotControlNames[0].button), Qt::LeftButton);
    QVERIFY(form_->Busy());
    QVERIFY(!create->isEnabled());
    QVERIFY(!chart_cancel->isVisible());
    QTRY_VERIFY(!form_->Busy());
    QVERIFY(create->isEnabled());
    QVERIFY(!form_->State().photos.SlotFiles[0].empty());
    QVERIFY2(errors_.isEmpty(), qPrintable(errors_.join("; ")));
  }

  void mergeThenTheCommandsOnTheResult() {
    Import(1, WritePhoto(temp_, "a.bmp", 400, 300, Color{255, 0, 0}));
    Import(2, WritePhoto(temp_, "b.bmp", 400, 300, Color{0, 0, 255}));
    bool cancel_shown_with_message = true;
    form_->Dialogs().hooks.show_message = [&](const QString& text) {
      messages_ << text;
      cancel_shown_with_message = Find("CancelButton")->isVisible();
    };
    QTest::mouseClick(Find("BitBtn1"), Qt::LeftButton);
    QTRY_VERIFY(!form_->Busy());
    QVERIFY2(!cancel_shown_with_message, "\"Merged!\" shows once the Cancel button is gone");
    QVERIFY2(errors_.isEmpty(), qPrintable(errors_.join("; ")));
    QCOMPARE(messages_, QStringList{"Merged!"});
    MakerState& state = form_->State();
    QVERIFY(state.merged.MergedBitmap.has_value());
    const int width = state.merged.MergedBitmap->Width();
    const int height = state.merged.MergedBitmap->Height();
    for (const char* name : {"Button4", "Button5", "Button14", "CheckBox1", "Image1"})
      QVERIFY2(Find(name)->isEnabled(), name);
    QVERIFY(!Shape7()->isVisible());
    QVERIFY(QApplication::overrideCursor() == nullptr);

    // Setting the box from the code is no click: no band.
    Find<QCheckBox>("CheckBox1")->setChecked(true);
    QCOMPARE(state.merged.MergedBitmap->Width(), width);
    Find<QCheckBox>("CheckBox1")->setChecked(false);

    // Align-Bar: a click adds the band, a second one removes it.
    QTest::mouseClick(Find("CheckBox1"), Qt::LeftButton);
    QVERIFY(state.merged.MergedBitmap->Width() > width);
    QTest::mouseClick(Find("CheckBox1"), Qt::LeftButton);
    QCOMPARE(state.merged.MergedBitmap->Width(), width);

    // A merge with the box ticked clears it and runs its handler: no band.
    QTest::mouseClick(Find("CheckBox1"), Qt::LeftButton);
    QTest::mouseClick(Find("BitBtn1"), Qt::LeftButton);
    QTRY_VERIFY(!form_->Busy());
    QVERIFY(!Find<QCheckBox>("CheckBox1")->isChecked());
    QCOMPARE(state.merged.MergedBitmap->Width(), width);
    // ... and shows the quarter-size preview that clearing the box shows, not the merge's own.
    const Picture& quarter = Find<PictureView>("Image1")->GetPicture();
    QCOMPARE(quarter.Width(), static_cast<int>(std::nearbyint(width / 4.0)));  // halves to even
    QCOMPARE(quarter.Height(), static_cast<int>(std::nearbyint(height / 4.0)));

    // Text: typing enables Apply, the font comes from the dialog, a click places it.
    QTest::keyClicks(Find("Edit1"), "Hello");
    QVERIFY(Find("Button26")->isEnabled());
    font_answer_ = QFont(QStringLiteral("DejaVu Serif"), 20);
    font_answer_->setBold(true);
    QTest::mouseClick(Find("Button25"), Qt::LeftButton);
    QTest::mouseClick(Find("Button26"), Qt::LeftButton);
    QCOMPARE(QString::fromStdString(state.overlay.OverlayText), QStringLiteral("Hello"));
    QVERIFY(state.overlay.OverlayFont != nullptr);
    QCOMPARE(QString::fromStdString(state.overlay.OverlayFont->family), QStringLiteral("DejaVu Serif"));
    QCOMPARE(state.overlay.OverlayFont->size, 20);
    QVERIFY(state.overlay.OverlayFont->bold);
    QVERIFY(!Find("Button26")->isEnabled());

    // Colour: the dialog's choice becomes the pending text's colour and
    // opens Apply, which shows it; a cancel keeps it.
    const Color ink{200, 30, 90};
    QtDialogs::Hooks& hooks = form_->Dialogs().hooks;
    hooks.run_colour_dialog = [](const QColor&) { return std::optional<QColor>(QColor(200, 30, 90)); };
    QTest::mouseClick(Find("TextColourButton"), Qt::LeftButton);
    QCOMPARE(state.overlay.OverlayFont->color, ink);
    QVERIFY(Find("Button26")->isEnabled());
    QTest::mouseClick(Find("Button26"), Qt::LeftButton);
    hooks.run_colour_dialog = [](const QColor&) { return std::optional<QColor>(); };
    QTest::mouseClick(Find("TextColourButton"), Qt::LeftButton);
    QCOMPARE(state.overlay.OverlayFont->color, ink);
    QVERIFY(!Find("Button26")->isEnabled());
    const Raster& shown = Find<PictureView>("Image1")->GetPicture().Graphic();
    int inked = 0;
    for (int y = 0; y < shown.Height(); ++y)
      for (int x = 0; x < shown.Width(); ++x) inked += shown.PixelColor(x, y) == ink ? 1 : 0;
    QVERIFY2(inked > 10, "the view shows the text in the chosen colour");

    const QWidget* view = Find("Image1");
    const QPoint click(view->width() / 2, view->height() / 3);
    QTest::mouseClick(Find("Image1"), Qt::LeftButton, {}, click);
    const Point expected = MapViewClickToImage(Size{width, height},
                                               Size{view->width(), view->height()}, click.x(),
                                               click.y());
    QCOMPARE(QPoint(state.overlay.TextX, state.overlay.TextY), QPoint(expected.x, expected.y));

    // Print: the set-up dialog, then a new modeless preview at each press.
    int setups = 0;
    form_->Dialogs().hooks.show_printer_setup = [&setups] { ++setups; };
    QTest::mouseClick(Find("Button14"), Qt::LeftButton);
    QTest::mouseClick(Find("Button14"), Qt::LeftButton);
    QVERIFY2(errors_.isEmpty(), qPrintable(errors_.join("; ")));
    QCOMPARE(setups, 2);
    const QList<QDialog*> previews = form_->findChildren<QDialog*>("Printfrom");
    QCOMPARE(previews.size(), 2);
    for (const QDialog* preview : previews) {
      QVERIFY(preview->isVisible());
      QVERIFY(!preview->isModal());
    }

    // Rotate turns the picture; Save writes the file the dialog named.
    QTest::mouseClick(Find("Button5"), Qt::LeftButton);
    QCOMPARE(QSize(state.merged.MergedBitmap->Width(), state.merged.MergedBitmap->Height()), QSize(height, width));
    const QString saved = temp_.path() + "/out.bmp";
    dialogs_seen_.clear();
    answers_ << saved;
    QTest::mouseClick(Find("Button4"), Qt::LeftButton);
    QCOMPARE(dialogs_seen_, QStringList{"SavePictureDialog1"});
    QVERIFY(QFile::exists(saved));
    QVERIFY2(errors_.isEmpty(), qPrintable(errors_.join("; ")));

    // "裁切" after the merge: the current photo and its frame come back.
    QTest::mouseClick(Find("Button22"), Qt::LeftButton);
    QCOMPARE(Find<PictureView>("Image1")->GetPicture().Width(), 400);
    QVERIFY(Shape7()->isVisible());
    QVERIFY2(errors_.isEmpty(), qPrintable(errors_.join("; ")));
  }

  void typingBeforeAnyMergeLeavesApplyDisabled() {
    QTest::keyClicks(Find("Edit1"), "early");
    QVERIFY(!Find("Button26")->isEnabled());
    QVERIFY(!Find("Image1")->isEnabled());
    // The disabled view takes no clicks: the text position stays.
    QTest::mouseClick(Find("Image1"), Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(QPoint(form_->State().overlay.TextX, form_->State().overlay.TextY), QPoint(100, 100));
  }
};

QTEST_MAIN(SlotAndCropTest)
#include "slot_and_crop_test.moc"
