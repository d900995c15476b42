// Dragging the crop rectangle over a 24-megapixel photo in the offscreen
// GUI: each step is one mouse move delivered through the main window (as the
// system delivers it, so Qt's implicit grab routes it to the crop rectangle) followed by
// the repaint it causes. The photo is scaled for the screen once, so a step
// should stay well under a millisecond. Also: the one-off cost of showing
// such a photo (the scaling itself).
#include <benchmark/benchmark.h>

#include "qt_bench_main.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QWindow>

#include <cstring>
#include <memory>

#include "core/picture.h"
#include "core/raster.h"
#include "intake/crop_frame.h"
#include "ui/crop_shape.h"
#include "ui/main_window.h"
#include "ui/picture_view.h"

namespace {

using lenti::ui::MainWindow;

// 6000 x 4000 pixels, a diagonal colour ramp (no flat areas to flatter the scaler).
lenti::Picture Photo24Megapixel() {
  lenti::Raster raster(6000, 4000);
  for (int y = 0; y < raster.Height(); ++y) {
    uint8_t* row = raster.Row(y);
    for (int x = 0; x < raster.Width(); ++x) {
      row[3 * x] = static_cast<uint8_t>(x + y);
      row[3 * x + 1] = static_cast<uint8_t>(x / 24);
      row[3 * x + 2] = static_cast<uint8_t>(y / 16);
    }
  }
  return lenti::Picture(std::move(raster));
}

struct Gui {
  QTemporaryDir work;
  std::unique_ptr<MainWindow> form;
  lenti::Picture photo = Photo24Megapixel();

  Gui() {
    form = std::make_unique<MainWindow>((work.path() + "/lentmp1").toStdString());
    form->show();
    QCoreApplication::processEvents();
  }
  QWidget* CropShape() const { return form->findChild<QWidget*>("Shape7"); }
  void Send(QEvent::Type type, QPoint at, Qt::MouseButtons buttons) {
    QWindow* window = form->windowHandle();
    QMouseEvent event(type, at, window->mapToGlobal(at),
                      type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, buttons,
                      Qt::NoModifier);
    QApplication::sendEvent(window, &event);
  }
};

// Made on first use, destroyed by main() while the application still exists.
std::unique_ptr<Gui> the_gui;
Gui& TheGui() {
  if (!the_gui) the_gui = std::make_unique<Gui>();
  return *the_gui;
}

void BM_DragCropRectangleOverPhoto(benchmark::State& state) {
  Gui& gui = TheGui();
  lenti::MakerState& maker = gui.form->State();
  gui.form->View().SetViewPicture(gui.photo);
  maker.photos.CropRects[0] = {};
  lenti::FitAndFrame(maker, gui.form->View());
  QCoreApplication::processEvents();  // the one scaling happens here, outside the timing
  auto* view = gui.form->findChild<lenti::ui::PictureView*>("Image1");
  const int scaled = view->ScaleCount();

  const QPoint start = gui.CropShape()->mapTo(gui.form.get(), QPoint(20, 20));
  const QRect before = gui.CropShape()->geometry();
  gui.Send(QEvent::MouseButtonPress, start, Qt::LeftButton);
  QPoint mouse = start;
  int step = 0;
  for (auto _ : state) {
    // Back and forth over 60 px, so the rectangle stays on the photo.
    mouse += QPoint((step / 30) % 2 == 0 ? 2 : -2, (step / 15) % 2 == 0 ? 1 : -1);
    ++step;
    gui.Send(QEvent::MouseMove, mouse, Qt::LeftButton);
    QCoreApplication::processEvents();
  }
  gui.Send(QEvent::MouseButtonRelease, mouse, Qt::NoButton);
  const QRect after = gui.CropShape()->geometry();
  if (after.topLeft() - before.topLeft() != mouse - start)
    state.SkipWithError("the rectangle did not follow the mouse");
  if (view->ScaleCount() != scaled)
    state.SkipWithError("the photo was scaled again during the drag");
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_DragCropRectangleOverPhoto)->Iterations(1000)->Unit(benchmark::kMicrosecond);

void BM_ShowPhotoInTheView(benchmark::State& state) {
  Gui& gui = TheGui();
  auto* view = gui.form->findChild<lenti::ui::PictureView*>("Image1");
  for (auto _ : state) {
    view->SetPicture(gui.photo);
    view->repaint();
  }
}
BENCHMARK(BM_ShowPhotoInTheView)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  return RunQtBenchmarks(argc, argv, [] { the_gui.reset(); });
}
