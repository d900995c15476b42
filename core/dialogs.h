// What the operations ask of the person: the file, font and printer
// dialogs, plain messages and the one error box.
//
// Qt implements it in ui/ (every modal box behind a replaceable hook);
// tests use the scripted fake in tests/fake_frontend.h.
#pragma once

#include <string>
#include <vector>

#include "core/color.h"

namespace lenti {

// What the save dialog gave: the name, and whether the type chosen was
// "TIFF, CMYK for press" rather than one of the plain picture types.
struct SaveChoice {
  std::string path;  // "" when cancelled
  bool cmyk_for_press = false;
};

class Dialogs {
 public:
  virtual ~Dialogs() = default;

  // The open-picture dialog, its file name cleared first: the files chosen
  // (one or several, in the dialog's order); none when cancelled.
  virtual std::vector<std::string> AskOpenPictures() = 0;
  // The one save dialog (shared by the main and the test chart window, so it
  // opens with the last name used); "" when cancelled.
  virtual std::string AskSavePicture() = 0;
  // The same dialog for a picture a press may take: it also offers
  // "TIFF, CMYK for press". A dialog without that type asks as above.
  virtual SaveChoice AskSavePictureOrPress() { return SaveChoice{AskSavePicture(), false}; }
  // The font dialog on `font` (the shared font object): a confirmed choice
  // changes it in place, a cancel leaves it.
  virtual void AskFont(Font& font) = 0;
  // The colour dialog on `colour`: a confirmed choice changes it, a cancel
  // leaves it.
  virtual void AskColour(Color& colour) = 0;
  // The open dialog for a press's ICC profile: the file chosen, "" when
  // cancelled (a window without one never offers it).
  virtual std::string AskOpenProfile() { return {}; }
  // The project dialogs (".vexaro" files): the file chosen, "" when cancelled.
  virtual std::string AskOpenProject() = 0;
  virtual std::string AskSaveProject(const std::string& suggested) = 0;
  // A question with Yes and No buttons; true for Yes.
  virtual bool AskYesNo(const std::string& question) = 0;
  // The printer set-up dialog; true when it was confirmed. Printing on a
  // printer does not consult the outcome; a file output is written only
  // after a confirmed set-up.
  virtual bool ShowPrinterSetup() = 0;
  // A plain message box with an OK button.
  virtual void ShowMessage(const std::string& text) = 0;
  // The error box of a failed command, with an empty title.
  virtual void ShowError(const std::string& text) = 0;
};

}  // namespace lenti
