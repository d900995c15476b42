#include "ui/qt_dialogs.h"

#include <algorithm>

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QLineEdit>
#include <QMessageBox>

#include "ui/qt_printer.h"

namespace lenti::ui {
namespace {

// The label a person reads, then the patterns Qt filters by (the details
// are hidden, so the label shows exactly as written).
const QStringList kOpenFilters = {
    QStringLiteral("All (*.jpg;*.png;*.tif;*.bmp) (*.jpg *.jpeg *.png *.tif *.tiff *.bmp)"),
    QStringLiteral("JPEG Image File (*.jpg) (*.jpg)"),
    QStringLiteral("PNG Image File (*.png) (*.png)"),
    QStringLiteral("TIFF Image File (*.tif) (*.tif *.tiff)"),
    QStringLiteral("Bitmaps (*.bmp) (*.bmp)"),
};
// BMP first, the default; the type chosen here decides for a name typed
// without one of the picture extensions (WithChosenSuffix).
const QStringList kSaveFilters = {QStringLiteral("Bitmaps (*.bmp) (*.bmp)"),
                                  QStringLiteral("TIFF (*.tif) (*.tif *.tiff)"),
                                  QStringLiteral("PNG (*.png) (*.png)")};

QFileDialog* MakeFileDialog(QWidget* parent, const char* name, QFileDialog::AcceptMode mode,
                            const QStringList& filters, const char* suffix) {
  auto* dialog = new QFileDialog(parent);
  dialog->setObjectName(QString::fromLatin1(name));
  dialog->setOption(QFileDialog::DontUseNativeDialog);
  dialog->setOption(QFileDialog::HideNameFilterDetails);
  dialog->setAcceptMode(mode);
  // Several photos at once fill the slots from the one asked for on.
  dialog->setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFiles
                                                      : QFileDialog::AnyFile);
  // The save replaces a file without asking, as it always did.
  if (mode == QFileDialog::AcceptSave) dialog->setOption(QFileDialog::DontConfirmOverwrite);
  dialog->setNameFilters(filters);
  dialog->selectNameFilter(filters.front());
  dialog->setDefaultSuffix(QString::fromLatin1(suffix));
  return dialog;
}

std::string LocalPath(const QString& name) { return QFile::encodeName(name).toStdString(); }

}  // namespace

QString WithChosenSuffix(const QString& name, const QString& filter) {
  static const QStringList kPictureSuffixes = {"bmp", "tif", "tiff", "png"};
  if (name.isEmpty()) return name;
  const QString suffix = QFileInfo(name).suffix().toLower();
  if (kPictureSuffixes.contains(suffix)) return name;
  // Qt names the chosen filter by its label alone (the details are hidden).
  if (filter.startsWith(QStringLiteral("TIFF"))) return name + QStringLiteral(".tif");
  if (filter.startsWith(QStringLiteral("PNG"))) return name + QStringLiteral(".png");
  return name;  // written as a BMP whatever else the name says, as always
}

namespace {

}  // namespace

QFont ToQFont(const Font& font) {
  QFont qfont(QString::fromStdString(font.family));
  qfont.setPointSize(std::max(1, font.size));
  qfont.setBold(font.bold);
  qfont.setItalic(font.italic);
  qfont.setUnderline(font.underline);
  qfont.setStrikeOut(font.strikeout);
  return qfont;
}

Font FromQFont(const QFont& qfont, const Font& keep_colour_of) {
  Font font = keep_colour_of;
  font.family = qfont.family().toStdString();
  if (qfont.pointSize() > 0) font.size = qfont.pointSize();
  font.bold = qfont.bold();
  font.italic = qfont.italic();
  font.underline = qfont.underline();
  font.strikeout = qfont.strikeOut();
  return font;
}

QtDialogs::QtDialogs(QWidget* window, QtPrinterPort& printer)
    : window_(window),
      printer_(printer),
      open_dialog_(MakeFileDialog(window, "OpenPictureDialog1", QFileDialog::AcceptOpen,
                                  kOpenFilters, "jpg")),
      save_dialog_(MakeFileDialog(window, "SavePictureDialog1", QFileDialog::AcceptSave,
                                  kSaveFilters, "bmp")) {}

QWidget* QtDialogs::DialogParent() const {
  QWidget* active = QApplication::activeWindow();
  return active != nullptr ? active : window_;
}

QString QtDialogs::RunFileDialog(QFileDialog& dialog) {
  if (hooks.run_file_dialog) return hooks.run_file_dialog(dialog);
  if (dialog.exec() != QDialog::Accepted) return QString();
  return dialog.selectedFiles().value(0);
}

QStringList QtDialogs::RunOpenDialog(QFileDialog& dialog) {
  if (hooks.run_open_dialog) return hooks.run_open_dialog(dialog);
  if (hooks.run_file_dialog) {
    const QString name = hooks.run_file_dialog(dialog);
    return name.isEmpty() ? QStringList() : QStringList{name};
  }
  if (dialog.exec() != QDialog::Accepted) return {};
  return dialog.selectedFiles();
}

std::vector<std::string> QtDialogs::AskOpenPictures() {
  // The name is cleared before the dialog shows (selectFile ignores "").
  if (auto* name = open_dialog_->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
    name->clear();
  std::vector<std::string> files;
  for (const QString& name : RunOpenDialog(*open_dialog_)) {
    if (!name.isEmpty()) files.push_back(LocalPath(name));
  }
  return files;
}

std::string QtDialogs::AskSavePicture() {
  // The one dialog of the run opens with the name chosen last in either window.
  if (!last_save_name_.isEmpty()) save_dialog_->selectFile(last_save_name_);
  const QString name = WithChosenSuffix(RunFileDialog(*save_dialog_), save_dialog_->selectedNameFilter());
  if (!name.isEmpty()) {
    last_save_name_ = name;
    // Print jobs are titled after the file last saved.
    printer_.SetJobTitle(QFileInfo(name).fileName());
  }
  return LocalPath(name);
}

void QtDialogs::AskFont(Font& font) {
  std::optional<QFont> chosen;
  if (hooks.run_font_dialog) {
    chosen = hooks.run_font_dialog(ToQFont(font));
  } else {
    bool ok = false;
    const QFont qfont = QFontDialog::getFont(&ok, ToQFont(font), DialogParent());
    if (ok) chosen = qfont;
  }
  if (chosen) font = FromQFont(*chosen, font);
}

bool QtDialogs::ShowPrinterSetup() {
  if (hooks.show_printer_setup) {
    hooks.show_printer_setup();
    return true;
  }
  return printer_.ShowSetupDialog(DialogParent());
}

void QtDialogs::ShowMessage(const std::string& text) {
  const QString qtext = QString::fromStdString(text);
  if (hooks.show_message) return hooks.show_message(qtext);
  QMessageBox box(QMessageBox::NoIcon, QString(), qtext, QMessageBox::Ok, DialogParent());
  box.exec();
}

void QtDialogs::ShowError(const std::string& text) {
  const QString qtext = QString::fromStdString(text);
  if (hooks.show_error) return hooks.show_error(qtext);
  QMessageBox::critical(DialogParent(), QString(), qtext);
}

}  // namespace lenti::ui
