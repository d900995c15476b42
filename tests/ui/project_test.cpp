// The window's work kept as a project: saved and opened again it merges to
// the same bytes and renders without a window to the window's Save; undo
// walks back to the empty start and redo forward again; a recovery copy
// left by a run that never closed is restored by the next.
#include <QAction>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "core/bmp_writer.h"
#include "core/raster.h"
#include "job/job_file.h"
#include "pattern_photos.h"
#include "render/render_job.h"
#include "ui/main_window.h"
#include "ui/slot_names.h"

using namespace lenti;
using namespace lenti::ui;
using lenti::testing::SamePixels;

class ProjectTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir temp_;
  QStringList errors_;
  QList<QStringList> open_answers_;
  QStringList file_answers_;  // project and picture save dialogs, in turn
  QList<bool> yes_no_answers_;

  std::unique_ptr<MainWindow> NewWindow(const QString& work) {
    auto form = std::make_unique<MainWindow>((temp_.path() + "/" + work).toStdString());
    QtDialogs::Hooks& hooks = form->Dialogs().hooks;
    hooks.show_error = [this](const QString& text) { errors_ << text; };
    hooks.show_message = [](const QString&) {};
    hooks.ask_yes_no = [this](const QString&) { return !yes_no_answers_.isEmpty() && yes_no_answers_.takeFirst(); };
    hooks.run_open_dialog = [this](QFileDialog&) {
      return open_answers_.isEmpty() ? QStringList() : open_answers_.takeFirst();
    };
    hooks.run_file_dialog = [this](QFileDialog&) { return file_answers_.isEmpty() ? QString() : file_answers_.takeFirst(); };
    form->show();
    return form;
  }

  // Photo n: a BMP with a pattern of its own, so frames differ pixel for pixel.
  QString Photo(int n) {
    // Larger than the view: a view pixel covers more than one photo pixel.
    Raster photo(1400 + 30 * n, 1100);
    for (int y = 0; y < photo.Height(); y += 8) {
      photo.FillRect(Rect{0, y, photo.Width(), y + 4}, Color{uint8_t(40 * n), uint8_t(y), uint8_t(255 - 30 * n)});
    }
    const QString path = temp_.path() + QString::asprintf("/photo%d.bmp", n);
    SaveBmpFile(photo, path.toStdString());
    return path;
  }

  static bool Settle(MainWindow& form) {
    return QTest::qWaitFor([&form] { return !form.Busy() && !form.Restoring(); }, 20000);
  }
  static void Click(MainWindow& form, const char* name) {
    QTest::mouseClick(form.findChild<QPushButton*>(QString::fromLatin1(name)), Qt::LeftButton);
  }
  static void Trigger(MainWindow& form, const char* name) {
    form.findChild<QAction*>(QString::fromLatin1(name))->trigger();
  }

  // Three photos, a crop moved, a lens of 40 lpi, text, a merge and a turn.
  void MakeWork(MainWindow& form) {
    open_answers_ << QStringList{Photo(1), Photo(2), Photo(3)};
    Click(form, "Button1");  // slot 1's import button
    QVERIFY(Settle(form));
    QTest::mouseClick(form.findChild<QWidget*>(kSlotControlNames[1].thumbnail), Qt::LeftButton);
    QWidget* crop = form.findChild<QWidget*>(QStringLiteral("Shape7"));
    QTest::mousePress(crop, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseMove(crop, QPoint(20, 12));
    QTest::mouseRelease(crop, Qt::LeftButton, {}, QPoint(20, 12));
    form.State().lens.LensLpiX = 400000;
    form.findChild<QLineEdit*>(QStringLiteral("Edit1"))->setText(QStringLiteral("Vexaro"));
    Click(form, "BitBtn1");
    QVERIFY(Settle(form));
    Click(form, "Button26");  // Apply: the text pending
    Click(form, "Button5");   // Rotate burns it in and turns
  }

  QByteArray SavedPicture(MainWindow& form, const QString& name) {
    const QString path = temp_.path() + "/" + name;
    file_answers_ << path;
    Click(form, "Button4");
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }

 private slots:
  void init() {
    errors_.clear();
    open_answers_.clear();
    file_answers_.clear();
    yes_no_answers_.clear();
  }

  void aSavedProjectMergesAndRendersToTheSamePicture() {
    const QString project = temp_.path() + "/work.vexaro";
    QByteArray before;
    {
      std::unique_ptr<MainWindow> form = NewWindow("a");
      MakeWork(*form);
      before = SavedPicture(*form, "before.bmp");
      file_answers_ << project;
      Trigger(*form, "SaveProjectAsAction");
      QVERIFY(!form->ProjectModified());
      QVERIFY(form->windowTitle().startsWith("work.vexaro"));
    }
    QVERIFY(!before.isEmpty());
    std::unique_ptr<MainWindow> form = NewWindow("b");
    form->OnOpenProject(project.toStdString());
    QVERIFY(Settle(*form));
    QVERIFY2(errors_.isEmpty(), qPrintable(errors_.join("\n")));
    QCOMPARE(form->State().lens.LensLpiX, int64_t{400000});
    QVERIFY(!form->ProjectModified());
    QCOMPARE(SavedPicture(*form, "after.bmp"), before);

    // New (the picture's new file name is a change to drop): nothing of the
    // project is left, the text box included, and nothing to save.
    yes_no_answers_ << true;
    Trigger(*form, "NewProjectAction");
    QVERIFY(Settle(*form));
    QVERIFY(form->State().photos.SlotFiles[0].empty());
    QVERIFY(!form->State().merged.MergedBitmap.has_value());
    QVERIFY(form->findChild<QLineEdit*>(QStringLiteral("Edit1"))->text().isEmpty());
    QVERIFY(form->State().overlay.EditText.empty());
    QVERIFY(!form->ProjectModified());
    QCOMPARE(form->windowTitle(), QStringLiteral("Vexaro Photo Maker V1.10"));

    // Without a window: the project renders to the window's Save.
    const Job job = LoadJobFile(project.toStdString());
    MakerState rendered = RenderJob(job);
    const std::string alone = (temp_.path() + "/alone.bmp").toStdString();
    DeliverRendering(rendered, job, alone);
    QFile file(QString::fromStdString(alone));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), before);
  }

  // A job made elsewhere (the command line, another screen) keeps its crops
  // to the source pixel, though the view cannot show them exactly.
  void aJobFromElsewhereKeepsItsCropsExactly() {
    Job job;
    for (int n = 1; n <= 3; ++n) {
      JobFrame frame;
      frame.slot = n;
      frame.path = Photo(n).toStdString();
      frame.crop = Rect{13 * n, 7, 1001 + n, 1093};
      job.frames.push_back(frame);
    }
    job.merged = true;
    const std::string project = (temp_.path() + "/made-elsewhere.vexaro").toStdString();
    SaveJobFile(job, project);
    MakerState rendered = RenderJob(LoadJobFile(project));
    const std::string alone = (temp_.path() + "/elsewhere.bmp").toStdString();
    DeliverRendering(rendered, job, alone);

    std::unique_ptr<MainWindow> form = NewWindow("f");
    form->OnOpenProject(project);
    QVERIFY(Settle(*form));
    QVERIFY2(errors_.isEmpty(), qPrintable(errors_.join("\n")));
    QFile file(QString::fromStdString(alone));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(SavedPicture(*form, "window.bmp"), file.readAll());
  }

  void undoReturnsToTheStartAndRedoToTheEnd() {
    std::unique_ptr<MainWindow> form = NewWindow("c");
    const Job start = form->CurrentJob();
    MakeWork(*form);
    const Job end = form->CurrentJob();
    const Raster picture = *form->State().merged.MergedBitmap;
    const size_t steps = form->History().UndoSteps();
    QVERIFY(steps >= 5);
    for (size_t k = 0; k < steps; ++k) {
      Trigger(*form, "UndoAction");
      QVERIFY(Settle(*form));
    }
    QVERIFY(!form->History().CanUndo());
    QVERIFY(form->CurrentJob() == start);
    QVERIFY(!form->State().merged.MergedBitmap);
    QVERIFY(form->State().photos.SlotFiles[0].empty());
    for (size_t k = 0; k < steps; ++k) {
      Trigger(*form, "RedoAction");
      QVERIFY(Settle(*form));
    }
    QVERIFY(form->CurrentJob() == end);
    QVERIFY(form->State().merged.MergedBitmap);
    QVERIFY(SamePixels(*form->State().merged.MergedBitmap, picture));
    QVERIFY2(errors_.isEmpty(), qPrintable(errors_.join("\n")));
  }

  void aRunThatNeverClosedIsRestoredByTheNext() {
    const std::string recovery = (temp_.path() + "/recovery.vexaro").toStdString();
    Job before;
    {
      std::unique_ptr<MainWindow> form = NewWindow("d");
      form->SetRecoveryPath(recovery);
      MakeWork(*form);
      // Saved as a project, then changed once more: the copy holds the change.
      file_answers_ << temp_.path() + "/kept.vexaro";
      Trigger(*form, "SaveProjectAsAction");
      QVERIFY(!QFile::exists(QString::fromStdString(recovery)));
      QTest::mouseClick(form->findChild<QWidget*>(QStringLiteral("CheckBox1")), Qt::LeftButton);  // bars on
      before = form->CurrentJob();
      // Gone without closing, as a crash or a kill leaves it.
    }
    QVERIFY(QFile::exists(QString::fromStdString(recovery)));
    std::unique_ptr<MainWindow> form = NewWindow("e");
    form->SetRecoveryPath(recovery);
    yes_no_answers_ << true;
    form->OfferRecovery();
    QVERIFY(Settle(*form));
    QVERIFY(form->CurrentJob() == before);
    QVERIFY(form->State().merged.MergedBitmap);
    // The work of its project, not saved there yet.
    QVERIFY(form->ProjectModified());
    QVERIFY2(form->windowTitle().startsWith("kept.vexaro"), qPrintable(form->windowTitle()));
    yes_no_answers_ << true;  // drop the restored, unsaved work
    form->close();
    QVERIFY(!QFile::exists(QString::fromStdString(recovery)));
  }
};

QTEST_MAIN(ProjectTest)
#include "project_test.moc"
