// TTestform: the test chart window ("Test LPI").
#pragma once

#include <QWidget>

class QResizeEvent;

#include "core/frontend.h"
#include "core/maker_state.h"
#include "delivery/printer_port.h"
#include "testchart/test_chart.h"

namespace lenti::ui {

// `frontend` is the main window's (its save dialog and printer set-up
// dialog are shared); `printer` the main window's printer.
class TTestform : public QWidget {
  Q_OBJECT
 public:
  TTestform(MakerState& state, Frontend& frontend, PrinterPort& printer, QWidget* parent = nullptr);
  ~TTestform() override;
  TTestform(const TTestform&) = delete;
  TTestform& operator=(const TTestform&) = delete;
  // Shows a chart preview raster in Image1 (scaled to fit Panel2, centred).
  void ShowPreview(const Raster& preview);
  ChartSettings CurrentSettings() const;
  // Puts settings into the controls (what the hidden "&Reset" does).
  void ApplySettings(const ChartSettings& settings);

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private slots:
  void Button5Click();  // "&Create"
  void Button1Click();  // "&Save"
  void Button2Click();  // "&Print"
  void Button4Click();  // "&Close"
  void Button3Click();  // "&Reset" (hidden)

 private:
  struct Controls;
  void BuildControls();
  // Panel2 fills the right side; Image1 fills Panel2.
  void PlacePreview();

  MakerState& state_;
  Frontend& frontend_;
  PrinterPort& printer_;
  Controls* controls_;  // the widgets it points to are owned by Qt's parent-child tree
};

}  // namespace lenti::ui
