// TPrintfrom: the modeless print preview window ("Print Preview").
#pragma once

#include <QDialog>

#include "core/maker_state.h"
#include "delivery/print.h"

class QLabel;
class QPushButton;

namespace lenti::ui {

class TPrintfrom : public QDialog {
  Q_OBJECT
 public:
  // Shows the page picture of `layout`; its "&Print" prints the state's
  // MergedBitmap as it stands when pressed, on `printer`.
  TPrintfrom(MakerState& state, PrinterPort& printer, const PrintPreviewLayout& layout,
             QWidget* parent);

 private slots:
  void Button1Click();  // "&Print"
  void Button2Click();  // "&Cancel"

 private:
  MakerState& state_;
  PrinterPort& printer_;
};

}  // namespace lenti::ui
