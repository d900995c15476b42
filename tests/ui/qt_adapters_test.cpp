// The Qt dialogs and the main view on the real widgets: how the dialogs are set up (filters,
// suffixes, the cleared open name, the one save dialog that remembers the
// last name), the font conversion, the plain message box, the progress bar
// at its ends, balanced screen cursors and the controls it reads and sets.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QAbstractItemView>
#include <QCompleter>
#include <QLabel>
#include <QDir>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "ui/crop_shape.h"
#include "ui/main_window.h"
#include "core/bmp_writer.h"
#include "ui/open_dialog_preview.h"
#include "ui/picture_view.h"

using namespace lenti;
using namespace lenti::ui;

Q_DECLARE_METATYPE(lenti::Font)

class QtAdaptersTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir temp_;
  std::unique_ptr<MainWindow> form_;

  QtDialogs& Dialogs() { return form_->Dialogs(); }
  static QPushButton* SaveButton(QFileDialog& dialog) {
    return dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Save);
  }
  QtMainView& View() { return form_->View(); }
  template <typename W = QWidget>
  W* Find(const char* name) const {
    return form_->findChild<W*>(QString::fromLatin1(name));
  }

 private slots:
  void init() {
    form_ = std::make_unique<MainWindow>((temp_.path() + "/work").toStdString());
    form_->Dialogs().hooks.show_error = [](const QString& text) { QFAIL(qPrintable(text)); };
  }
  void cleanup() {
    form_.reset();
    while (QApplication::overrideCursor() != nullptr) QApplication::restoreOverrideCursor();
  }

  void theOpenDialogOffersThePhotoFiltersWithItsNameCleared() {
    QFileDialog& dialog = Dialogs().OpenPictureDialog();
    dialog.selectFile(temp_.path() + "/left-over.jpg");
    QStringList filters;
    QString selected, suffix;
    QStringList names;
    QFileDialog::AcceptMode mode = QFileDialog::AcceptSave;
    Dialogs().hooks.run_file_dialog = [&](QFileDialog& shown) {
      filters = shown.nameFilters();
      selected = shown.selectedNameFilter();
      suffix = shown.defaultSuffix();
      mode = shown.acceptMode();
      names = shown.selectedFiles();
      return temp_.path() + "/photo.JPG";
    };
    QCOMPARE(Dialogs().AskOpenPictures(), std::vector<std::string>{(temp_.path() + "/photo.JPG").toStdString()});
    QCOMPARE(mode, QFileDialog::AcceptOpen);
    QCOMPARE(dialog.fileMode(), QFileDialog::ExistingFiles);  // several photos at once
    QCOMPARE(suffix, QStringLiteral("jpg"));
    QCOMPARE(filters.size(), 5);
    QCOMPARE(selected, QStringLiteral("All (*.jpg;*.png;*.tif;*.bmp)"));  // the first, shown without details
    QVERIFY(dialog.testOption(QFileDialog::HideNameFilterDetails));
    for (const QString& name : names) QVERIFY2(!name.endsWith("left-over.jpg"), qPrintable(name));
  }

  void theOpenDialogPreviewsTheChosenFileAndOpensInTheLastFolder() {
    QFileDialog& dialog = Dialogs().OpenPictureDialog();
    auto* preview = dialog.findChild<QLabel*>(QStringLiteral("OpenPicturePreview"));
    QVERIFY(preview != nullptr);
    QDir(temp_.path()).mkpath(QStringLiteral("shots"));
    const QString photo = temp_.path() + "/shots/wide.bmp";
    Raster wide(400, 100);
    wide.FillRect(Rect{0, 0, 400, 100}, Color{0, 0, 255});
    SaveBmpFile(wide, photo.toStdString());
    emit dialog.currentChanged(photo);
    QCOMPARE(preview->pixmap().size(), QSize(kPreviewSide, 50));
    QCOMPARE(preview->toolTip(), QStringLiteral("400 x 100 px"));
    emit dialog.currentChanged(temp_.path() + "/shots");
    QVERIFY(preview->pixmap().isNull());
    QCOMPARE(preview->text(), QStringLiteral("No preview"));

    Dialogs().hooks.run_open_dialog = [&](QFileDialog&) { return QStringList{photo}; };
    Dialogs().AskOpenPictures();
    QCOMPARE(QFileInfo(dialog.directory().absolutePath()).canonicalFilePath(),
             QFileInfo(temp_.path() + "/shots").canonicalFilePath());

    // Closing takes the name completer's list with it.
    auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    QVERIFY(name != nullptr && name->completer() != nullptr);
    dialog.show();
    name->setText(temp_.path() + "/sh");
    name->completer()->setCompletionPrefix(temp_.path() + "/sh");
    name->completer()->complete();
    QTRY_VERIFY(name->completer()->popup()->isVisible());
    emit dialog.finished(QDialog::Accepted);
    QVERIFY(!name->completer()->popup()->isVisible());
    dialog.hide();
  }

  // The label the person reads, and the patterns Qt filters with.
  void theFilterLabelsReadAsWrittenAndMatchTheirPatterns_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QStringList>("patterns");
    QTest::newRow("all") << 0 << "All (*.jpg;*.png;*.tif;*.bmp)"
                         << QStringList{"*.jpg", "*.jpeg", "*.png", "*.tif", "*.tiff", "*.bmp"};
    QTest::newRow("jpeg") << 1 << "JPEG Image File (*.jpg)" << QStringList{"*.jpg"};
    QTest::newRow("png") << 2 << "PNG Image File (*.png)" << QStringList{"*.png"};
    QTest::newRow("tiff") << 3 << "TIFF Image File (*.tif)" << QStringList{"*.tif", "*.tiff"};
    QTest::newRow("bitmaps") << 4 << "Bitmaps (*.bmp)" << QStringList{"*.bmp"};
  }

  void theFilterLabelsReadAsWrittenAndMatchTheirPatterns() {
    QFETCH(int, index);
    QFETCH(QString, label);
    QFETCH(QStringList, patterns);
    const QString filter = Dialogs().OpenPictureDialog().nameFilters().value(index);
    // Qt's own rule: the patterns are the last parenthesis, the label what precedes it.
    const int open = filter.lastIndexOf('(');
    QCOMPARE(filter.left(open).trimmed(), label);
    QCOMPARE(filter.mid(open + 1).chopped(1).split(' '), patterns);
  }

  void theOneSaveDialogRemembersTheLastNameAndACancelGivesNothing() {
    QFileDialog& dialog = Dialogs().SavePictureDialog();
    QCOMPARE(dialog.acceptMode(), QFileDialog::AcceptSave);
    QCOMPARE(dialog.defaultSuffix(), QStringLiteral("bmp"));
    // BMP, TIFF, PNG, then the press's CMYK TIFF.
    QCOMPARE(dialog.nameFilters().size(), 4);
    QVERIFY(dialog.nameFilters().back().startsWith(QStringLiteral("TIFF, CMYK for press (*.tif)")));
    QCOMPARE(dialog.selectedNameFilter(), QStringLiteral("Bitmaps (*.bmp)"));  // BMP stays the default
    QVERIFY(!dialog.testOption(QFileDialog::DontConfirmOverwrite));
    QFileDialog* shown = nullptr;
    QStringList preselected;
    QStringList answers = {temp_.path() + "/first.bmp", QString(), temp_.path() + "/second.bmp"};
    Dialogs().hooks.run_file_dialog = [&](QFileDialog& d) {
      shown = &d;
      preselected << d.selectedFiles().value(0);
      return answers.takeFirst();
    };
    QCOMPARE(Dialogs().AskSavePicture(), (temp_.path() + "/first.bmp").toStdString());
    QCOMPARE(shown, &dialog);
    QCOMPARE(Dialogs().AskSavePicture(), std::string());  // cancelled: nothing, even after a choice
    QCOMPARE(Dialogs().AskSavePicture(), (temp_.path() + "/second.bmp").toStdString());
    QVERIFY(preselected[1].endsWith("first.bmp"));
    QVERIFY(preselected[2].endsWith("first.bmp"));  // a cancel does not forget it
  }

  // The real dialog, its type chosen with the keyboard and a bare name
  // typed: the file gets the chosen type's extension (it was .bmp whatever
  // the type). The next time the dialog opens on that name and its type.
  void aTypeChosenInTheDialogNamesTheFile() {
    QFileDialog& dialog = Dialogs().SavePictureDialog();
    auto* type = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    QVERIFY(type != nullptr && name != nullptr);
    QString filter_when_shown;
    Dialogs().hooks.run_file_dialog = [&](QFileDialog& d) {
      filter_when_shown = d.selectedNameFilter();
      d.setDirectory(temp_.path());
      QTest::keyClick(type, Qt::Key_Down);  // Bitmaps -> TIFF
      name->setText(QStringLiteral("typed"));
      SaveButton(d)->click();
      return d.result() == QDialog::Accepted ? d.selectedFiles().value(0) : QString();
    };
    QCOMPARE(Dialogs().AskSavePicture(), (temp_.path() + "/typed.tif").toStdString());
    QVERIFY(filter_when_shown.startsWith("Bitmaps"));
    Dialogs().hooks.run_file_dialog = [&](QFileDialog& d) {
      filter_when_shown = d.selectedNameFilter();
      return QString();
    };
    Dialogs().AskSavePicture();
    QVERIFY2(filter_when_shown.startsWith("TIFF"), qPrintable(filter_when_shown));
  }

  // Saving over an existing file asks first: the save dialog's name may be
  // the one chosen in the other window (the merged picture when saving the
  // chart). "No" keeps the dialog open and the file as it was.
  void replacingAFileAsksFirst() {
    QFileDialog& dialog = Dialogs().SavePictureDialog();
    const QString existing = temp_.path() + "/merged.bmp";
    QFile file(existing);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("keep");
    file.close();
    QString question;
    QTimer::singleShot(0, [&] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        question = box->text();
        box->button(QMessageBox::No)->click();
      }
    });
    dialog.setDirectory(temp_.path());
    dialog.selectFile(existing);
    SaveButton(dialog)->click();
    QVERIFY2(question.contains("merged.bmp"), qPrintable(question));
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("keep"));
  }

  // The type chosen in the save dialog decides for a name typed without a
  // picture suffix; a name that carries one keeps it.
  void theChosenSaveTypeGivesTheSuffix_data() {
    QTest::addColumn<int>("filter");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("saved");
    QTest::newRow("tiff chosen") << 1 << "print" << "print.tif";
    QTest::newRow("png chosen") << 2 << "print" << "print.png";
    QTest::newRow("png chosen, other suffix") << 2 << "print.v2" << "print.v2.png";
    QTest::newRow("bmp chosen") << 0 << "print" << "print";
    QTest::newRow("typed tiff wins") << 2 << "print.TIFF" << "print.TIFF";
    QTest::newRow("typed bmp wins") << 1 << "print.bmp" << "print.bmp";
    QTest::newRow("cancelled") << 1 << "" << "";
  }

  void theChosenSaveTypeGivesTheSuffix() {
    QFETCH(int, filter);
    QFETCH(QString, typed);
    QFETCH(QString, saved);
    const QStringList filters = Dialogs().SavePictureDialog().nameFilters();
    QCOMPARE(WithChosenSuffix(typed, filters.value(filter)), saved);
    // As Qt reports the choice: the label without its patterns.
    QCOMPARE(WithChosenSuffix(typed, filters.value(filter).section(QLatin1Char(' '), 0, 1)), saved);
  }

  void fontsTravelToTheDialogAndBackKeepingTheirColour_data() {
    QTest::addColumn<Font>("font");
    Font plain;
    plain.family = "DejaVu Sans";
    plain.size = 8;
    plain.color = Color{10, 20, 30};
    Font styled = plain;
    styled.family = "DejaVu Serif";
    styled.size = 24;
    styled.bold = styled.italic = styled.underline = styled.strikeout = true;
    styled.color = kRed;
    QTest::newRow("plain") << plain;
    QTest::newRow("every style") << styled;
  }

  void fontsTravelToTheDialogAndBackKeepingTheirColour() {
    QFETCH(Font, font);
    const QFont qfont = ToQFont(font);
    QCOMPARE(qfont.family(), QString::fromStdString(font.family));
    QCOMPARE(qfont.pointSize(), font.size);
    QCOMPARE(qfont.bold(), font.bold);
    QCOMPARE(qfont.italic(), font.italic);
    QCOMPARE(qfont.underline(), font.underline);
    QCOMPARE(qfont.strikeOut(), font.strikeout);
    QVERIFY(FromQFont(qfont, font) == font);

    // Through the dialog hook: a cancel keeps the font, a choice replaces all but the colour.
    Font edited = font;
    Dialogs().hooks.run_font_dialog = [](const QFont&) { return std::optional<QFont>(); };
    Dialogs().AskFont(edited);
    QVERIFY(edited == font);
    QFont chosen(QStringLiteral("DejaVu Sans Mono"), 13);
    chosen.setItalic(!font.italic);
    QFont offered;
    Dialogs().hooks.run_font_dialog = [&](const QFont& initial) {
      offered = initial;
      return std::optional<QFont>(chosen);
    };
    Dialogs().AskFont(edited);
    QCOMPARE(offered, qfont);
    QCOMPARE(edited.family, std::string("DejaVu Sans Mono"));
    QCOMPARE(edited.size, 13);
    QCOMPARE(edited.italic, !font.italic);
    QVERIFY(edited.color == font.color);
  }

  void messagesArePlainBoxesWithOkAndNoTitle() {
    QString title = "unset", text;
    QMessageBox::StandardButtons buttons;
    QMessageBox::Icon icon = QMessageBox::Critical;
    QTimer::singleShot(0, [&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (box == nullptr) return;
      title = box->windowTitle();
      text = box->text();
      buttons = box->standardButtons();
      icon = box->icon();
      box->accept();
    });
    Dialogs().ShowMessage("打印机DPI设置不对!");
    QCOMPARE(text, QString::fromUtf8("打印机DPI设置不对!"));
    QCOMPARE(title, QString());
    QCOMPARE(buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QCOMPARE(icon, QMessageBox::NoIcon);
  }

  void theProgressBarStopsAtItsEnds_data() {
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("shown");
    QTest::newRow("inside") << 130 << 130;
    QTest::newRow("maximum") << 200 << 200;
    QTest::newRow("beyond") << 210 << 200;
    QTest::newRow("below") << -10 << 0;
  }

  void theProgressBarStopsAtItsEnds() {
    QFETCH(int, position);
    QFETCH(int, shown);
    QtProgressBar bar(Find<QProgressBar>("ProgressBar1"));
    bar.SetProgressRange(0, 200);
    bar.SetProgress(195);
    bar.SetProgress(position);
    QCOMPARE(bar.Progress(), shown);
    QCOMPARE(Find<QProgressBar>("ProgressBar1")->value(), shown);
  }

  void screenCursorsAreBalanced() {
    View().SetScreenCursor(Cursor::Hourglass);
    QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    View().SetScreenCursor(Cursor::Hourglass);  // nested busy work
    View().SetScreenCursor(Cursor::Default);
    QVERIFY(QApplication::overrideCursor() != nullptr);
    View().SetScreenCursor(Cursor::Default);
    QVERIFY(QApplication::overrideCursor() == nullptr);
    View().SetScreenCursor(Cursor::Default);  // one too many does no harm
    QVERIFY(QApplication::overrideCursor() == nullptr);
  }

  void onlyRotateShowsACursorOfItsOwn() {
    QWidget* rotate = Find("Button5");
    View().SetCommandCursor(Command::Rotate, Cursor::Hourglass);
    QCOMPARE(rotate->cursor().shape(), Qt::WaitCursor);
    View().SetCommandCursor(Command::Rotate, Cursor::Default);
    QVERIFY(!rotate->testAttribute(Qt::WA_SetCursor));
    View().SetCommandCursor(Command::Save, Cursor::Hourglass);
    QVERIFY(!Find("Button4")->testAttribute(Qt::WA_SetCursor));
  }

  void settingAlignBarFromTheCodeDoesNotCountAsAClick() {
    // The window sets the box from the state after every command; that
    // must never run the box's own handler.
    auto* box = Find<QCheckBox>("CheckBox1");
    QSignalSpy clicked(box, &QCheckBox::clicked);
    box->setChecked(true);
    QVERIFY(box->isChecked());
    box->setChecked(false);
    QVERIFY(!box->isChecked());
    QCOMPARE(clicked.count(), 0);
  }

  void theCropRectangleTakesBoundsCursorAndVisibility() {
    View().SetCropBounds(Rect{12, 34, 112, 154});
    QCOMPARE(Find("Shape7")->geometry(), QRect(12, 34, 100, 120));
    QCOMPARE(View().CropBounds(), (Rect{12, 34, 112, 154}));
    View().SetCropCursor(Cursor::SizeNWSE);
    QCOMPARE(Find("Shape7")->cursor().shape(), Qt::SizeFDiagCursor);
    View().SetCropVisible(true);
    QVERIFY(Find("Shape7")->isVisibleTo(form_.get()));
    View().SetCropVisible(false);
    QVERIFY(!Find("Shape7")->isVisibleTo(form_.get()));
  }

  void thumbnailsGoToTheirSlotsAndUnknownSlotsAreIgnored() {
    Raster thumbnail(65, 57);
    View().SetThumbnail(13, thumbnail);
    QVERIFY(!Find<PictureView>("Image18")->GetPicture().IsEmpty());  // slot 13's image
    QVERIFY(Find<PictureView>("Image13")->GetPicture().IsEmpty());
    View().SetThumbnail(0, thumbnail);
    View().SetThumbnail(17, thumbnail);
    View().SetViewPicture(Picture(Raster(30, 20)));
    QCOMPARE(View().ViewPicture().Width(), 30);
    Find<QLineEdit>("Edit1")->setText(QString::fromUtf8("立体 photo"));
    QCOMPARE(View().OverlayEditText(), std::string("立体 photo"));
  }
};

QTEST_MAIN(QtAdaptersTest)
#include "qt_adapters_test.moc"
