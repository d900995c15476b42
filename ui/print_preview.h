// The modeless print preview window ("Print Preview"), deleted when closed.
#pragma once

#include <QDialog>
#include <string>

#include "core/dialogs.h"
#include "core/maker_state.h"
#include "delivery/print.h"

class QLabel;
class QPushButton;

namespace lenti::ui {

class PrintPreview : public QDialog {
  Q_OBJECT
 public:
  // Shows the page picture of `layout`; its "&Print" prints the state's
  // MergedBitmap as it stands when pressed, on `printer`; failures are
  // shown through `dialogs`.
  PrintPreview(MakerState& state, Dialogs& dialogs, PrinterPort& printer,
               const PrintPreviewLayout& layout, QWidget* parent);

 private slots:
  void OnPrint();
  void OnCancel();

 private:
  // The note under the buttons; returns the height it adds to the window.
  int PlaceResampleNote(const std::string& text);

  MakerState& state_;
  Dialogs& dialogs_;
  PrinterPort& printer_;
};

}  // namespace lenti::ui
