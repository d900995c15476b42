// The Dialogs of the desktop: Qt's file, font and printer dialogs and
// message boxes. Every modal box goes through a replaceable hook, so that
// Qt Tests drive the windows without ever blocking on a box.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <QColor>
#include <QFont>
#include <QString>

#include "core/dialogs.h"

class QFileDialog;
class QWidget;

namespace lenti::ui {

class QtPrinterPort;

// Font <-> QFont: family, point size, bold, italic, underline, strikeout
// (the colour is not a QFont property and stays with the Font).
QFont ToQFont(const Font& font);
Font FromQFont(const QFont& qfont, const Font& keep_colour_of);

// The save dialog's name with the suffix of the file type chosen in it
// (`filter`, TIFF or PNG) when the name carries none of the picture
// suffixes; a BMP choice keeps the name as typed.
QString WithChosenSuffix(const QString& name, const QString& filter);

class QtDialogs : public Dialogs {
 public:
  // Empty hooks show the real dialogs.
  struct Hooks {
    // Runs a prepared file dialog; returns the chosen name, "" when cancelled.
    std::function<QString(QFileDialog& dialog)> run_file_dialog;
    // Runs the open dialog, where several files may be chosen; none when
    // cancelled. Without it the open dialog goes through run_file_dialog.
    std::function<QStringList(QFileDialog& dialog)> run_open_dialog;
    // The font dialog: the chosen font, or none when cancelled.
    std::function<std::optional<QFont>(const QFont& initial)> run_font_dialog;
    std::function<void(const QString& text)> show_message;
    // The colour dialog: the chosen colour, or none when cancelled.
    std::function<std::optional<QColor>(const QColor& initial)> run_colour_dialog;
    // A Yes/No question: true for Yes.
    std::function<bool(const QString& question)> ask_yes_no;
    std::function<void()> show_printer_setup;  // a set-up that is confirmed
    std::function<void(const QString& text)> show_error;
  };

  // The file dialogs belong to `window` (a Qt child, deleted with it).
  QtDialogs(QWidget* window, QtPrinterPort& printer);

  Hooks hooks;
  QFileDialog& OpenPictureDialog() { return *open_dialog_; }
  QFileDialog& SavePictureDialog() { return *save_dialog_; }

  std::vector<std::string> AskOpenPictures() override;
  std::string AskSavePicture() override;
  SaveChoice AskSavePictureOrPress() override;
  std::string AskOpenProfile() override;
  std::string AskOpenProject() override;
  std::string AskSaveProject(const std::string& suggested) override;
  void AskFont(Font& font) override;
  void AskColour(Color& colour) override;
  bool AskYesNo(const std::string& question) override;
  bool ShowPrinterSetup() override;
  void ShowMessage(const std::string& text) override;
  void ShowError(const std::string& text) override;

 private:
  // Dialogs belong to the window the person is working in.
  QWidget* DialogParent() const;
  QString RunFileDialog(QFileDialog& dialog);
  QStringList RunOpenDialog(QFileDialog& dialog);

  QWidget* window_;
  QtPrinterPort& printer_;
  QFileDialog* open_dialog_;
  QFileDialog* save_dialog_;  // one for the run, shared by both windows
  QString last_save_name_;
  bool last_save_for_press_ = false;
};

}  // namespace lenti::ui
