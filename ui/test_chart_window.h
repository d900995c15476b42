// The test chart window ("Test LPI"): it shows its own preview (the
// ChartView of the chart commands) and shares the main window's dialogs
// and printer.
#pragma once

#include <memory>

#include <QWidget>

#include "core/dialogs.h"
#include "core/views.h"
#include "core/maker_state.h"
#include "delivery/printer_port.h"
#include "testchart/test_chart.h"

class QKeyEvent;
class QResizeEvent;

namespace lenti::ui {

class BackgroundWork;
class QtProgressBar;

// `dialogs` are the main window's (its save dialog and printer set-up
// dialog are shared); `printer` the main window's printer.
class TestChartWindow : public QWidget, public ChartView {
  Q_OBJECT
 public:
  TestChartWindow(MakerState& state, Dialogs& dialogs, PrinterPort& printer,
                  QWidget* parent = nullptr);
  ~TestChartWindow() override;
  TestChartWindow(const TestChartWindow&) = delete;
  TestChartWindow& operator=(const TestChartWindow&) = delete;
  // Shows a chart preview raster in the preview panel (scaled to fit, centred).
  void ShowPreview(const Raster& preview);
  void SetChartPreview(const Raster& preview) override { ShowPreview(preview); }
  void SetScreenCursor(Cursor cursor) override;
  ChartSettings CurrentSettings() const;
  // Puts settings into the controls (what the hidden "&Reset" does).
  void ApplySettings(const ChartSettings& settings);
  // "&Create" runs on `work` (the main window's), so that no command of
  // either window runs while the other's work does; until then on the
  // window's own.
  void ShareBackgroundWork(BackgroundWork& work);
  // Long work runs (a Create, or the main window's work when shared).
  bool Busy() const;

 signals:
  // "Use this pitch" set the lens pitch and the output resolution.
  void LensChosen();

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private slots:
  void OnCreate();
  void OnSave();
  void OnPrint();
  void OnClose();
  void OnReset();  // hidden
  void OnUseRow();
  void OnPreviewReleased(QPoint pos);
  void OnCancelCreate();

 private:
  struct Controls;
  void BuildControls();
  // The preview panel fills the right side; the preview fills the panel.
  void PlacePreview();
  // The row list shows the rows of the chart made last.
  void ShowRows();
  // While long work runs every control waits; a Create of this window shows
  // its progress bar and Cancel.
  void ShowBusy(bool busy);
  void FollowWork(BackgroundWork& work);

  MakerState& state_;
  Dialogs& dialogs_;
  PrinterPort& printer_;
  // Pointers to the controls, which Qt's parent-child tree owns.
  std::unique_ptr<Controls> controls_;
  std::unique_ptr<QtProgressBar> bar_sink_;
  std::unique_ptr<BackgroundWork> own_work_;  // goes before the bar it paints
  BackgroundWork* work_ = nullptr;            // own_work_ or the shared one
  bool creating_ = false;                     // the running work is this window's Create
};

}  // namespace lenti::ui
