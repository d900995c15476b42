// "&Merge" in the real main window: 16 photos of 4000 x 3000 (JPEG, made by
// the program) imported into the slots through the window's own frontend,
// then Merge run with that frontend, so the progress bar, the view and the
// message path are the window's (offscreen platform unless one is set).
// The figure to hold against `vexaro merge` of the same 16 photos
// (bench/merge_cli.sh); BM_DesktopMerge in merge_bench.cpp is the same
// merge through the test frontend.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTemporaryDir>

#include <memory>
#include <string>
#include <vector>

#include "core/file_io.h"
#include "intake/slots.h"
#include "interlace/merge.h"
#include "synthetic_photos.h"
#include "ui/liti2.h"

namespace {

using lenti::ui::TForm1;

constexpr int kFrames = 16;

struct Gui {
  QTemporaryDir dir;
  std::unique_ptr<TForm1> form;

  Gui() {
    const std::string photos = dir.path().toStdString();
    form = std::make_unique<TForm1>(photos + "/lentmp1");
    form->Frontend().hooks.show_message = [](const QString&) {};
    form->show();
    QCoreApplication::processEvents();
    for (int slot = 1; slot <= kFrames; ++slot) {
      const std::string path = photos + "/photo" + std::to_string(slot) + ".jpg";
      const std::vector<uint8_t> jpeg = lenti::synthetic::ScenePhotoJpeg(4000, 3000, slot - 1, kFrames, 90);
      lenti::WriteWholeFile(path, jpeg.data(), jpeg.size());
      form->Frontend().hooks.run_file_dialog = [path](QFileDialog&) { return QString::fromStdString(path); };
      lenti::ImportIntoSlot(form->State(), form->Frontend(), form->WorkDir(), slot);
      QCoreApplication::processEvents();
    }
  }
};

std::unique_ptr<Gui> the_gui;

void BM_WindowMerge(benchmark::State& state) {
  if (!the_gui) the_gui = std::make_unique<Gui>();
  TForm1& form = *the_gui->form;
  if (form.State().FrameCount != kFrames) state.SkipWithError("the photos were not imported");
  for (auto _ : state) {
    benchmark::DoNotOptimize(lenti::Merge(form.State(), form.Frontend(), form.WorkDir()));
    QCoreApplication::processEvents();
  }
}
BENCHMARK(BM_WindowMerge)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  the_gui.reset();
  return 0;
}
