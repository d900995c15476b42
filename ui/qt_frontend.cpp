#include "ui/qt_frontend.h"

#include <algorithm>

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QFileDialog>
#include <QFontDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>

#include "ui/crop_shape.h"
#include "ui/picture_view.h"
#include "ui/qt_printer.h"
#include "ui/unit7.h"

namespace lenti::ui {
namespace {

// The label a person reads, then the patterns Qt filters by (the details
// are hidden, so the label shows exactly as written).
const QStringList kOpenFilters = {
    QStringLiteral("All (*.jpg;*.bmp) (*.jpg *.jpeg *.bmp)"),
    QStringLiteral("JPEG Image File (*.jpg) (*.jpg)"),
    QStringLiteral("Bitmaps (*.bmp) (*.bmp)"),
};
const QStringList kSaveFilters = {QStringLiteral("Bitmaps (*.bmp) (*.bmp)")};

QFileDialog* MakeFileDialog(QWidget* parent, const char* name, QFileDialog::AcceptMode mode,
                            const QStringList& filters, const char* suffix) {
  auto* dialog = new QFileDialog(parent);
  dialog->setObjectName(QString::fromLatin1(name));
  dialog->setOption(QFileDialog::DontUseNativeDialog);
  dialog->setOption(QFileDialog::HideNameFilterDetails);
  dialog->setAcceptMode(mode);
  dialog->setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
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

QtFrontend::QtFrontend(const MainWidgets& widgets, QtPrinterPort& printer)
    : w_(widgets),
      printer_(printer),
      open_dialog_(MakeFileDialog(widgets.window, "OpenPictureDialog1", QFileDialog::AcceptOpen,
                                  kOpenFilters, "jpg")),
      save_dialog_(MakeFileDialog(widgets.window, "SavePictureDialog1", QFileDialog::AcceptSave,
                                  kSaveFilters, "bmp")) {}

QtFrontend::~QtFrontend() = default;

QWidget* QtFrontend::DialogParent() const {
  QWidget* active = QApplication::activeWindow();
  return active != nullptr ? active : w_.window;
}

QString QtFrontend::RunFileDialog(QFileDialog& dialog) {
  if (hooks.run_file_dialog) return hooks.run_file_dialog(dialog);
  if (dialog.exec() != QDialog::Accepted) return QString();
  return dialog.selectedFiles().value(0);
}

std::string QtFrontend::AskOpenPicture() {
  // The name is cleared before the dialog shows (selectFile ignores "").
  if (auto* name = open_dialog_->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
    name->clear();
  return LocalPath(RunFileDialog(*open_dialog_));
}

std::string QtFrontend::AskSavePicture() {
  // The one dialog of the run opens with the name chosen last in either window.
  if (!last_save_name_.isEmpty()) save_dialog_->selectFile(last_save_name_);
  const QString name = RunFileDialog(*save_dialog_);
  if (!name.isEmpty()) last_save_name_ = name;
  return LocalPath(name);
}

void QtFrontend::AskFont(Font& font) {
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

void QtFrontend::ShowPrinterSetup() {
  if (hooks.show_printer_setup) return hooks.show_printer_setup();
  printer_.ShowSetupDialog(DialogParent());
}

void QtFrontend::ShowMessage(const std::string& text) {
  const QString qtext = QString::fromStdString(text);
  if (hooks.show_message) return hooks.show_message(qtext);
  QMessageBox box(QMessageBox::NoIcon, QString(), qtext, QMessageBox::Ok, DialogParent());
  box.exec();
}

Mode QtFrontend::CurrentMode() const {
  return w_.RadioButton3->isChecked() ? Mode::PortraitRows : Mode::LandscapeColumns;
}

Size QtFrontend::ScrollBoxOuterSize() const {
  return Size{w_.ScrollBox1->width(), w_.ScrollBox1->height()};
}

Size QtFrontend::ViewImageSize() const { return Size{w_.Image1->width(), w_.Image1->height()}; }

const Picture& QtFrontend::ViewPicture() const { return w_.Image1->GetPicture(); }

void QtFrontend::SetViewPicture(const Picture& picture) { w_.Image1->SetPicture(picture); }

void QtFrontend::SetThumbnail(int slot, const Raster& thumbnail) {
  if (slot < 1 || slot > kSlotCount) return;
  w_.thumbnails[slot - 1]->SetPicture(Picture(thumbnail));
}

Rect QtFrontend::CropBounds() const { return w_.Shape7->Bounds(); }

void QtFrontend::SetCropBounds(const Rect& bounds) { w_.Shape7->SetBounds(bounds); }

void QtFrontend::SetCropVisible(bool visible) {
  w_.Shape7->setVisible(visible);
  if (visible) w_.Shape7->raise();
}

Cursor QtFrontend::CropCursor() const { return w_.Shape7->GetCursor(); }

void QtFrontend::SetCropCursor(Cursor cursor) { w_.Shape7->SetCursor(cursor); }

QWidget* QtFrontend::ControlWidget(Control control) const {
  switch (control) {
    case Control::Button4: return w_.Button4;
    case Control::Button5: return w_.Button5;
    case Control::Button14: return w_.Button14;
    case Control::CheckBox1: return w_.CheckBox1;
    case Control::Button26: return w_.Button26;
    case Control::Image1: return w_.Image1;
  }
  return w_.Image1;
}

void QtFrontend::SetEnabled(Control control, bool enabled) {
  ControlWidget(control)->setEnabled(enabled);
}

bool QtFrontend::IsEnabled(Control control) const {
  return ControlWidget(control)->isEnabledTo(w_.window);
}

bool QtFrontend::IsAlignBarChecked() const { return w_.CheckBox1->isChecked(); }

// setChecked emits toggled, never clicked: the box's handler is connected to
// clicked, so it does not run here.
void QtFrontend::SetAlignBarChecked(bool checked) { w_.CheckBox1->setChecked(checked); }

std::string QtFrontend::OverlayEditText() const { return w_.Edit1->text().toStdString(); }

void QtFrontend::SetProgressRange(int minimum, int maximum) {
  w_.ProgressBar1->setRange(minimum, maximum);
}

void QtFrontend::SetProgress(int position) {
  // QProgressBar ignores values outside its range; the bar stops at its ends.
  QProgressBar& bar = *w_.ProgressBar1;
  bar.setValue(std::clamp(position, bar.minimum(), std::max(bar.minimum(), bar.maximum())));
  bar.repaint();  // the merge does not return to the event loop until it ends
}

int QtFrontend::Progress() const { return w_.ProgressBar1->value(); }

void QtFrontend::SetScreenCursor(Cursor cursor) {
  if (cursor != Cursor::Default) {
    QApplication::setOverrideCursor(QCursor(CursorShape(cursor)));
  } else if (QApplication::overrideCursor() != nullptr) {
    QApplication::restoreOverrideCursor();
  }
}

void QtFrontend::SetButtonCursor(Control button, Cursor cursor) {
  QWidget* widget = ControlWidget(button);
  if (cursor == Cursor::Default) widget->unsetCursor();
  else widget->setCursor(CursorShape(cursor));
}

void QtFrontend::SetChartPreview(const Raster& preview) {
  if (test_chart_ != nullptr) test_chart_->ShowPreview(preview);
}

}  // namespace lenti::ui
