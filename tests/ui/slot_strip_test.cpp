// The slots' wiring in the window: several files from one open dialog,
// files dropped from a file manager on a slot or elsewhere on the window, a
// thumbnail dropped on another slot, the thumbnails' context menu, and the
// desktop's standard keys for Import, Save, Print and Exit.
#include <QAction>
#include <QFileDialog>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include "core/bmp_writer.h"
#include "core/raster.h"
#include "ui/main_window.h"
#include "ui/picture_view.h"
#include "ui/slot_names.h"
#include "ui/slot_strip.h"

using namespace lenti;
using namespace lenti::ui;

class SlotStripTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir temp_;
  QStringList errors_;
  QStringList messages_;
  QList<QStringList> open_answers_;
  std::unique_ptr<MainWindow> form_;

  QWidget* Button(int slot) const { return form_->findChild<QWidget*>(kSlotControlNames[slot - 1].button); }
  PictureView* Thumbnail(int slot) const {
    return form_->findChild<PictureView*>(kSlotControlNames[slot - 1].thumbnail);
  }
  QAction* Action(const char* name) const { return form_->findChild<QAction*>(QString::fromLatin1(name)); }

  // Photo n is a BMP (10 + n) x 20, so a slot's photo shows which one it is.
  QString Photo(const QString& name, int n) {
    Raster photo(10 + n, 20);
    photo.FillRect(Rect{0, 0, 10 + n, 20}, Color{uint8_t(n * 12), 90, 30});
    const QString path = temp_.path() + "/" + name;
    SaveBmpFile(photo, path.toStdString());
    return path;
  }
  // Which photo each slot holds, 0 for none (from its thumbnail's colour).
  QList<int> Slots() const {
    QList<int> photos;
    for (int slot = 1; slot <= kSlotCount; ++slot) {
      const std::string& file = form_->State().photos.SlotFiles[slot - 1];
      const Picture& thumbnail = Thumbnail(slot)->GetPicture();
      if (file.empty() != thumbnail.IsEmpty()) return {-1};
      photos << (file.empty() ? 0 : thumbnail.Graphic().PixelColor(5, 5).r / 12);
    }
    return photos;
  }
  static QList<int> Expect(std::initializer_list<int> first) {
    QList<int> photos(first);
    while (photos.size() < kSlotCount) photos << 0;
    return photos;
  }
  // What a file manager hands over: the files as URLs.
  static QMimeData* Files(const QStringList& paths) {
    auto* data = new QMimeData;
    QList<QUrl> urls;
    for (const QString& path : paths) urls << QUrl::fromLocalFile(path);
    data->setUrls(urls);
    return data;
  }
  static QMimeData* DraggedThumbnail(int slot) {
    auto* data = new QMimeData;
    data->setData(QString::fromLatin1(kSlotMimeType), QByteArray::number(slot));
    return data;
  }
  // Enters, then drops on `target`; whether the target took the drag and the drop.
  std::pair<bool, bool> Drop(QWidget* target, QMimeData* data) {
    const QPointF at(target->width() / 2.0, target->height() / 2.0);
    QDragEnterEvent enter(at.toPoint(), Qt::CopyAction | Qt::MoveAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    QDropEvent drop(at, Qt::CopyAction | Qt::MoveAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    QCoreApplication::processEvents();  // the drop's command runs queued
    delete data;
    if (!Settle()) return {false, false};
    return {enter.isAccepted(), drop.isAccepted()};
  }
  // The import runs off the window's thread: until it has finished.
  bool Settle() const {
    return QTest::qWaitFor([this] { return !form_->Busy(); }, 10000);
  }
  void Import(int slot, const QStringList& files) {
    open_answers_ << files;
    QTest::mouseClick(Button(slot), Qt::LeftButton);
    QVERIFY(Settle());
  }

 private slots:
  void init() {
    errors_.clear();
    messages_.clear();
    open_answers_.clear();
    form_ = std::make_unique<MainWindow>((temp_.path() + "/work").toStdString());
    QtDialogs::Hooks& hooks = form_->Dialogs().hooks;
    hooks.show_error = [this](const QString& text) { errors_ << text; };
    hooks.show_message = [this](const QString& text) { messages_ << text; };
    hooks.run_open_dialog = [this](QFileDialog&) {
      return open_answers_.isEmpty() ? QStringList() : open_answers_.takeFirst();
    };
    form_->show();
    QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
  }
  void cleanup() { form_.reset(); }

  void sixteenFilesFromOneDialogFillTheSlotsInNaturalOrder() {
    QStringList chosen;
    for (int n = 16; n >= 1; --n) chosen << Photo(QString::asprintf("IMG_%d.bmp", n), n);
    Import(1, chosen);
    QCOMPARE(Slots(), Expect({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}));
    QCOMPARE(form_->State().photos.FrameCount, 16);
    QVERIFY(messages_.isEmpty());
    QVERIFY(errors_.isEmpty());
  }

  void filesDroppedOnASlotFillFromThatSlot_data() {
    QTest::addColumn<bool>("on_button");
    QTest::newRow("thumbnail") << false;
    QTest::newRow("button") << true;
  }
  void filesDroppedOnASlotFillFromThatSlot() {
    QFETCH(bool, on_button);
    const QStringList files = {Photo("b10.bmp", 3), Photo("b9.bmp", 2)};
    QWidget* target = on_button ? Button(5) : static_cast<QWidget*>(Thumbnail(5));
    QCOMPARE(Drop(target, Files(files)), std::make_pair(true, true));
    QCOMPARE(Slots(), Expect({0, 0, 0, 0, 2, 3}));
    QCOMPARE(form_->State().photos.CurrentSlot, uint8_t(5));
  }

  void filesDroppedElsewhereFillFromTheFirstEmptySlot() {
    Import(1, {Photo("a.bmp", 7)});
    QCOMPARE(Drop(form_.get(), Files({Photo("c.bmp", 4)})),
             std::make_pair(true, true));
    QCOMPARE(Slots(), Expect({7, 4}));
  }

  void aMixedDropImportsTheGoodOnesAndNamesTheRest() {
    const QString text = temp_.path() + "/notes.bmp";
    QFile file(text);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("hello");
    file.close();
    Drop(Thumbnail(2), Files({Photo("d2.bmp", 2), text, Photo("d1.bmp", 1)}));
    QCOMPARE(Slots(), Expect({0, 1, 2}));
    QCOMPARE(messages_, QStringList{"Not imported:\nnotes.bmp: File format error!"});
  }

  void aThumbnailDroppedOnAnotherSlotSwapsThem() {
    Import(1, {Photo("e1.bmp", 1), Photo("e2.bmp", 2), Photo("e3.bmp", 3)});
    QCOMPARE(Drop(Thumbnail(3), DraggedThumbnail(1)), std::make_pair(true, true));
    QCOMPARE(Slots(), Expect({3, 2, 1}));
    QCOMPARE(Drop(Button(6), DraggedThumbnail(2)), std::make_pair(true, true));
    QCOMPARE(Slots(), Expect({3, 0, 1, 0, 0, 2}));
    QCOMPARE(form_->State().photos.FrameCount, 6);
    // Onto itself or somewhere that is no slot: refused, nothing moves.
    QCOMPARE(Drop(Thumbnail(3), DraggedThumbnail(3)), std::make_pair(false, false));
    QCOMPARE(Drop(form_.get(), DraggedThumbnail(3)),
             std::make_pair(false, false));
    QCOMPARE(Slots(), Expect({3, 0, 1, 0, 0, 2}));
    QVERIFY(errors_.isEmpty());
  }

  void theThumbnailMenuRemovesAndReverses() {
    Import(1, {Photo("f1.bmp", 1), Photo("f2.bmp", 2), Photo("f3.bmp", 3)});
    PictureView* third = Thumbnail(3);
    QCOMPARE(third->contextMenuPolicy(), Qt::ActionsContextMenu);
    QStringList texts;
    for (QAction* action : third->actions()) texts << action->text();
    QCOMPARE(texts, (QStringList{"Remove photo", "Reverse order"}));
    QVERIFY(!Thumbnail(9)->actions().value(0)->isEnabled());  // an empty slot has nothing to remove
    QVERIFY(Action("ReverseOrderAction")->isEnabled());

    Thumbnail(2)->actions().value(1)->trigger();
    QCOMPARE(Slots(), Expect({3, 2, 1}));
    third->actions().value(0)->trigger();
    QCOMPARE(Slots(), Expect({3, 2}));
    QCOMPARE(form_->State().photos.FrameCount, 2);
    QVERIFY(!third->actions().value(0)->isEnabled());
    Thumbnail(1)->actions().value(0)->trigger();
    QVERIFY2(!Action("ReverseOrderAction")->isEnabled(), "one photo left");
    QVERIFY(errors_.isEmpty());
  }

  // An import, of one photo or of several, runs off the window's thread:
  // every command waits and Cancel shows; Cancel or Esc stops it, and every
  // slot stays as it was (none of the photos is kept).
  void aCancelledImportKeepsEverySlot_data() {
    QTest::addColumn<int>("photos");
    QTest::addColumn<bool>("by_escape");
    QTest::newRow("one photo, Cancel") << 1 << false;
    QTest::newRow("one photo, Esc") << 1 << true;
    QTest::newRow("three photos, Cancel") << 3 << false;
    QTest::newRow("three photos, Esc") << 3 << true;
  }
  void aCancelledImportKeepsEverySlot() {
    QFETCH(int, photos);
    QFETCH(bool, by_escape);
    Import(1, {Photo("h1.bmp", 1), Photo("h2.bmp", 2)});
    QStringList chosen;
    for (int n = 3; n < 3 + photos; ++n) chosen << Photo(QString::asprintf("h%d.bmp", n), n);
    open_answers_ << chosen;
    QTest::mouseClick(Button(2), Qt::LeftButton);
    QVERIFY(form_->Busy());
    QVERIFY(!Button(5)->isEnabled());
    QVERIFY(!form_->menuBar()->isEnabled());
    QVERIFY(!Action("OpenPhotosAction")->isEnabled());
    auto* cancel = form_->findChild<QPushButton*>(QStringLiteral("CancelButton"));
    QVERIFY(cancel->isVisible());
    if (by_escape) {
      QTest::keyClick(cancel, Qt::Key_Escape);
    } else {
      QTest::mouseClick(cancel, Qt::LeftButton);
    }
    QVERIFY(Settle());
    QCOMPARE(Slots(), Expect({1, 2}));
    QCOMPARE(form_->State().photos.CurrentSlot, uint8_t(1));
    QCOMPARE(form_->State().photos.FrameCount, 2);
    QVERIFY(messages_.isEmpty());
    QVERIFY(errors_.isEmpty());
    QVERIFY(Button(5)->isEnabled());
    QVERIFY(!cancel->isVisible());
  }

  void theCommandsHaveTheDesktopsStandardKeys_data() {
    QTest::addColumn<QString>("action");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("keys");
    QTest::newRow("new project") << "NewProjectAction" << int(QKeySequence::New) << "Ctrl+N";
    QTest::newRow("open project") << "OpenProjectAction" << int(QKeySequence::Open) << "Ctrl+O";
    QTest::newRow("save project") << "SaveProjectAction" << int(QKeySequence::Save) << "Ctrl+S";
    QTest::newRow("save project as") << "SaveProjectAsAction" << int(QKeySequence::SaveAs) << "Ctrl+Shift+S";
    QTest::newRow("undo") << "UndoAction" << int(QKeySequence::Undo) << "Ctrl+Z";
    QTest::newRow("print") << "PrintAction" << int(QKeySequence::Print) << "Ctrl+P";
    QTest::newRow("quit") << "QuitAction" << int(QKeySequence::Quit) << "Ctrl+Q";
  }
  void theCommandsHaveTheDesktopsStandardKeys() {
    QFETCH(QString, action);
    QFETCH(int, key);
    QFETCH(QString, keys);
    QAction* found = form_->findChild<QAction*>(action);
    QVERIFY(found != nullptr);
    // The desktop's keys, or the usual one where the desktop has none.
    const QList<QKeySequence> standard = QKeySequence::keyBindings(QKeySequence::StandardKey(key));
    QCOMPARE(found->shortcuts(), standard.isEmpty() ? QList<QKeySequence>{QKeySequence(keys)} : standard);
    QVERIFY(found->shortcuts().contains(QKeySequence(keys)));
  }

  void thePhotosAndThePictureHaveKeysOfTheirOwn() {
    QCOMPARE(form_->findChild<QAction*>("OpenPhotosAction")->shortcut(), QKeySequence("Ctrl+I"));
    QCOMPARE(form_->findChild<QAction*>("SaveAction")->shortcut(), QKeySequence("Ctrl+E"));
    const QList<QKeySequence> redo = form_->findChild<QAction*>("RedoAction")->shortcuts();
    QVERIFY(redo.contains(QKeySequence("Ctrl+Shift+Z")) && redo.contains(QKeySequence("Ctrl+Y")));
  }

  // Import photos never replaces the current photo unasked: the first empty
  // slot, and with all sixteen filled the current one after a yes.
  void importPhotosFillsTheFirstEmptySlotAndAsksBeforeReplacing() {
    Import(1, {Photo("g1.bmp", 1)});
    Import(2, {Photo("g2.bmp", 2)});
    QTest::mouseClick(Thumbnail(1), Qt::LeftButton);
    open_answers_ << QStringList{Photo("g5.bmp", 5)};
    Action("OpenPhotosAction")->trigger();
    QVERIFY(Settle());
    QCOMPARE(Slots(), Expect({1, 2, 5}));
    Thumbnail(1)->actions().value(0)->trigger();  // slot 1 emptied: the first empty
    open_answers_ << QStringList{Photo("g6.bmp", 6)};
    Action("OpenPhotosAction")->trigger();
    QVERIFY(Settle());
    QCOMPARE(Slots(), Expect({6, 2, 5}));

    for (int slot = 4; slot <= kSlotCount; ++slot) Import(slot, {Photo("g" + QString::number(slot) + ".bmp", slot)});
    QTest::mouseClick(Thumbnail(2), Qt::LeftButton);
    QStringList asked;
    form_->Dialogs().hooks.ask_yes_no = [&asked](const QString& question) {
      asked << question;
      return asked.size() == 2;  // no, then yes
    };
    Action("OpenPhotosAction")->trigger();  // refused: no dialog, nothing changes
    open_answers_ << QStringList{Photo("g20.bmp", 20)};
    Action("OpenPhotosAction")->trigger();
    QVERIFY(Settle());
    QCOMPARE(asked, QStringList(2, "Every photo slot is filled. Replace the photo in slot 2?"));
    QCOMPARE(Slots().mid(0, 3), (QList<int>{6, 20, 5}));
  }

  void saveAndPrintKeysWaitForAMergedPictureAndExitCloses() {
    QVERIFY(!Action("SaveAction")->isEnabled());
    QVERIFY(!Action("PrintAction")->isEnabled());
    QVERIFY(Action("OpenPhotosAction")->isEnabled());
    bool closed = false;
    connect(form_.get(), &MainWindow::Closed, this, [&] { closed = true; });
    Action("QuitAction")->trigger();
    QVERIFY(closed);
  }
};

QTEST_MAIN(SlotStripTest)
#include "slot_strip_test.moc"
