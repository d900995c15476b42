// "&Merge" in the real main window: 16 photos of 4000 x 3000 (JPEG, made by
// the program) imported into the slots through the window's own frontend,
// then the Merge button clicked, so the progress bar, the view and the
// message path are the window's (offscreen platform unless one is set).
// The figure to hold against `vexaro merge` of the same 16 photos
// (bench/merge_cli.sh); BM_DesktopMerge in merge_bench.cpp is the same
// merge through the test frontend.
#include <benchmark/benchmark.h>

#include "import_to_end.h"

#include <QApplication>
#include <QPushButton>
#include <QTemporaryDir>

#include <memory>
#include <string>
#include <vector>

#include "core/file_io.h"
#include "intake/slots.h"
#include "interlace/merge.h"
#include "qt_bench_main.h"
#include "synthetic_photos.h"
#include "ui/main_window.h"

namespace {

using lenti::ui::MainWindow;

constexpr int kFrames = 16;

struct Gui {
  QTemporaryDir dir;
  std::unique_ptr<MainWindow> form;

  Gui() {
    const std::string photos = dir.path().toStdString();
    form = std::make_unique<MainWindow>(photos + "/lentmp1");
    form->Dialogs().hooks.show_message = [](const QString&) {};
    form->show();
    QCoreApplication::processEvents();
    for (int slot = 1; slot <= kFrames; ++slot) {
      const std::string path = photos + "/photo" + std::to_string(slot) + ".jpg";
      const std::vector<uint8_t> jpeg = lenti::synthetic::ScenePhotoJpeg(4000, 3000, slot - 1, kFrames, 90);
      lenti::WriteWholeFile(path, jpeg.data(), jpeg.size());
      form->Dialogs().hooks.run_file_dialog = [path](QFileDialog&) { return QString::fromStdString(path); };
      lenti::ImportIntoSlotToEnd(form->State(), form->Dialogs(), form->View(), form->WorkDir(), slot);
      QCoreApplication::processEvents();
    }
  }
};

std::unique_ptr<Gui> the_gui;

void BM_WindowMerge(benchmark::State& state) {
  if (!the_gui) the_gui = std::make_unique<Gui>();
  MainWindow& form = *the_gui->form;
  if (form.State().photos.FrameCount != kFrames) state.SkipWithError("the photos were not imported");
  auto* merge = form.findChild<QPushButton*>(QStringLiteral("BitBtn1"));
  for (auto _ : state) {
    // The Merge button itself: the window's slot, its error guard and the
    // command states it updates afterwards.
    merge->click();
    QCoreApplication::processEvents();
  }
}
BENCHMARK(BM_WindowMerge)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
  return RunQtBenchmarks(argc, argv, [] { the_gui.reset(); });
}
