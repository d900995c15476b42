#include "ui/qt_dialogs.h"

#include <algorithm>

#include <QAbstractItemView>
#include <QApplication>
#include <QColorDialog>
#include <QCompleter>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QHeaderView>
#include <QLineEdit>
#include <QMessageBox>
#include <QTreeView>

#include "delivery/picture_file.h"
#include "ui/logic_text.h"
#include "ui/open_dialog_preview.h"
#include "ui/qt_printer.h"
#include "ui/texts.h"

namespace lenti::ui {
namespace {

QString Latin1(const std::string& text) { return QString::fromLatin1(text.c_str()); }

// The label a person reads, then the patterns Qt filters by (the details
// are hidden, so the label shows exactly as written).
QString Filter(const std::string& label, const std::string& patterns) {
  return Latin1(label + " (" + patterns + ")");
}

// "All (*.jpg;*.png;*.tif;*.bmp)" with every pattern, then each type.
QStringList OpenFilters() {
  std::string shown, patterns;
  QStringList each;
  for (const PictureFormat& format : PictureFormats()) {
    shown += (shown.empty() ? "*." : ";*.") + format.extensions.front();
    patterns += (patterns.empty() ? "" : " ") + PatternsOf(format, true);
    each << Filter(format.open_label, PatternsOf(format));
  }
  return QStringList{Filter("All (" + shown + ")", patterns)} + each;
}

// The press's CMYK TIFF: a TIFF of its own kind in the save dialog.
const char* const kPressSaveLabel = "TIFF, CMYK for press (*.tif)";

bool IsPressFilter(const QString& filter) { return filter.startsWith(Latin1(kPressSaveLabel)); }

// BMP first, the default; the type chosen here decides for a name typed
// without one of the picture extensions (WithChosenSuffix). The press's
// TIFF comes last.
QStringList SaveFilters() {
  QStringList filters;
  for (const PictureFormat* format : SavedPictureFormats()) {
    filters << Filter(format->save_label, PatternsOf(*format));
  }
  filters << Filter(kPressSaveLabel, PatternsOf(PictureFormatOf(PictureFileType::Tiff)));
  return filters;
}

// The saved type a save filter stands for. Qt names the chosen filter by
// its label alone (the details are hidden); BMP for any other.
const PictureFormat& FormatOfFilter(const QString& filter) {
  if (IsPressFilter(filter)) return PictureFormatOf(PictureFileType::Tiff);
  for (const PictureFormat* format : SavedPictureFormats()) {
    if (filter.startsWith(Latin1(format->save_label))) return *format;
  }
  return PictureFormatOf(PictureFileType::Bmp);
}

QString SuffixForFilter(const QString& filter) { return Latin1(FormatOfFilter(filter).extensions.front()); }

// The file type a name gives, as the save writes it.
PictureFileType TypeOfName(const QString& name) { return PictureFileTypeOf(QFile::encodeName(name).toStdString()); }

// The save filter of that type (BMP for any name that is not a TIFF or PNG one).
QString FilterForName(const QString& name) {
  const PictureFormat& format = PictureFormatOf(TypeOfName(name));
  return Filter(format.save_label, PatternsOf(format));
}

// A folder typed into the name field is entered and its completions go
// with it; the columns of the detailed list are as wide as their texts.
void FitDialogViews(QFileDialog& dialog) {
  QObject::connect(&dialog, &QFileDialog::directoryEntered, &dialog, [&dialog] {
    auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    if (name != nullptr && name->completer() != nullptr) name->completer()->popup()->hide();
  });
  if (auto* details = dialog.findChild<QTreeView*>(QStringLiteral("treeView"))) {
    QHeaderView* header = details->header();
    header->setSectionResizeMode(QHeaderView::ResizeToContents);
    header->setSectionResizeMode(0, QHeaderView::Stretch);
  }
}

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
  dialog->setNameFilters(filters);
  dialog->selectNameFilter(filters.front());
  dialog->setDefaultSuffix(QString::fromLatin1(suffix));
  FitDialogViews(*dialog);
  // A name typed without an extension takes the chosen type's, also in the
  // question before an existing file is replaced.
  if (mode == QFileDialog::AcceptSave) {
    QObject::connect(dialog, &QFileDialog::filterSelected, dialog,
                     [dialog](const QString& filter) { dialog->setDefaultSuffix(SuffixForFilter(filter)); });
  }
  return dialog;
}

// While it is open, a dialog of the main window's belongs to the side
// window it was asked from: centred on that window and kept above it. Then
// it goes back to its owner.
class OverWindow {
 public:
  OverWindow(QWidget& dialog, QWidget* window) : dialog_(dialog), owner_(dialog.parentWidget()) {
    if (window != nullptr && window != owner_ && window != &dialog) dialog_.setParent(window, dialog_.windowFlags());
  }
  ~OverWindow() {
    if (dialog_.parentWidget() != owner_) dialog_.setParent(owner_, dialog_.windowFlags());
  }
  OverWindow(const OverWindow&) = delete;
  OverWindow& operator=(const OverWindow&) = delete;

 private:
  QWidget& dialog_;
  QWidget* owner_;
};

std::string LocalPath(const QString& name) { return QFile::encodeName(name).toStdString(); }

}  // namespace

QString WithChosenSuffix(const QString& name, const QString& filter) {
  if (name.isEmpty()) return name;
  // A name that asks for a type of its own keeps it.
  if (TypeOfName(name) != PictureFileType::Bmp || QFileInfo(name).suffix().toLower() == QLatin1String("bmp"))
    return name;
  const QString chosen = SuffixForFilter(filter);
  // Written as a BMP whatever else the name says, as always.
  if (chosen == QLatin1String("bmp")) return name;
  return name + QLatin1Char('.') + chosen;
}

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
                                  OpenFilters(), PictureFormats().front().extensions.front().c_str())),
      save_dialog_(MakeFileDialog(window, "SavePictureDialog1", QFileDialog::AcceptSave,
                                  SaveFilters(), SavedPictureFormats().front()->extensions.front().c_str())) {
  AddOpenDialogPreview(*open_dialog_);
}

QWidget* QtDialogs::DialogParent() const {
  QWidget* active = QApplication::activeWindow();
  return active != nullptr ? active : window_;
}

QString QtDialogs::RunFileDialog(QFileDialog& dialog) {
  const OverWindow over(dialog, DialogParent());
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
  // The next time it opens in the folder of the photos chosen now.
  if (!files.empty()) open_dialog_->setDirectory(QFileInfo(QFile::decodeName(files.front().c_str())).absolutePath());
  return files;
}

std::string QtDialogs::AskSavePicture() { return AskSavePictureOrPress().path; }

SaveChoice QtDialogs::AskSavePictureOrPress() {
  // The one dialog of the run opens with the name chosen last in either
  // window, and with that name's type (the press's TIFF when it was that).
  if (!last_save_name_.isEmpty()) {
    const QString filter = last_save_for_press_ ? SaveFilters().back() : FilterForName(last_save_name_);
    save_dialog_->selectNameFilter(filter);
    save_dialog_->setDefaultSuffix(SuffixForFilter(filter));
    save_dialog_->selectFile(last_save_name_);
  }
  // The type is read after the dialog ran: as one expression the compiler
  // may read the filter first, the one chosen the time before.
  const QString typed = RunFileDialog(*save_dialog_);
  const QString filter = save_dialog_->selectedNameFilter();
  const QString name = WithChosenSuffix(typed, filter);
  const bool press = IsPressFilter(filter);
  if (!name.isEmpty()) {
    last_save_name_ = name;
    last_save_for_press_ = press;
  }
  return SaveChoice{LocalPath(name), press && !name.isEmpty()};
}

std::string QtDialogs::AskOpenProfile() {
  QFileDialog dialog(DialogParent(), Texts::tr("Press Profile"));
  dialog.setObjectName(QStringLiteral("OpenProfileDialog"));
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setNameFilters({Texts::tr("ICC profiles (*.icc *.icm)"), Texts::tr("All files (*)")});
  return LocalPath(RunFileDialog(dialog));
}

namespace {

QString ProjectFilter() { return Texts::tr("Vexaro Photo Maker project (*.vexaro)"); }

}  // namespace

std::string QtDialogs::AskOpenProject() {
  QFileDialog dialog(DialogParent(), Texts::tr("Open Project"));
  dialog.setObjectName(QStringLiteral("OpenProjectDialog"));
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setNameFilters({ProjectFilter(), Texts::tr("All files (*)")});
  return LocalPath(RunFileDialog(dialog));
}

std::string QtDialogs::AskSaveProject(const std::string& suggested) {
  QFileDialog dialog(DialogParent(), Texts::tr("Save Project"));
  dialog.setObjectName(QStringLiteral("SaveProjectDialog"));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setNameFilter(ProjectFilter());
  dialog.setDefaultSuffix(QStringLiteral("vexaro"));
  if (!suggested.empty()) dialog.selectFile(QFile::decodeName(suggested.c_str()));
  return LocalPath(RunFileDialog(dialog));
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

void QtDialogs::AskColour(Color& colour) {
  const QColor initial(colour.r, colour.g, colour.b);
  std::optional<QColor> chosen;
  if (hooks.run_colour_dialog) {
    chosen = hooks.run_colour_dialog(initial);
  } else {
    const QColor picked = QColorDialog::getColor(initial, DialogParent(), Texts::tr("Text colour"));
    if (picked.isValid()) chosen = picked;
  }
  if (chosen && chosen->isValid())
    colour = Color{static_cast<uint8_t>(chosen->red()), static_cast<uint8_t>(chosen->green()),
                   static_cast<uint8_t>(chosen->blue())};
}

bool QtDialogs::AskYesNo(const std::string& question) {
  const QString qtext = LogicText(question);
  if (hooks.ask_yes_no) return hooks.ask_yes_no(qtext);
  return QMessageBox::question(DialogParent(), QString(), qtext, QMessageBox::Yes | QMessageBox::No,
                               QMessageBox::No) == QMessageBox::Yes;
}

bool QtDialogs::ShowPrinterSetup() {
  if (hooks.show_printer_setup) {
    hooks.show_printer_setup();
    return true;
  }
  return printer_.ShowSetupDialog(DialogParent());
}

void QtDialogs::ShowMessage(const std::string& text) {
  const QString qtext = LogicText(text);
  if (hooks.show_message) return hooks.show_message(qtext);
  QMessageBox box(QMessageBox::NoIcon, QString(), qtext, QMessageBox::Ok, DialogParent());
  box.exec();
}

void QtDialogs::ShowError(const std::string& text) {
  const QString qtext = LogicText(text);
  if (hooks.show_error) return hooks.show_error(qtext);
  QMessageBox::critical(DialogParent(), QString(), qtext);
}

}  // namespace lenti::ui
