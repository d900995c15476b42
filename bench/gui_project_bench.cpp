// Projects in the real main window, with 16 photos of 4000 x 3000 (JPEG,
// 12 MP, made by the program):
//   BM_WindowImportSixteen  the sixteen chosen at once in slot 1's import
//                           dialog, until the last working file is made;
//   BM_WindowOpenProject    a project of the same sixteen opened, until the
//                           window has restored it (its working files made
//                           off the window's thread as the import makes them);
//   BM_WindowUndoStep       one undo and one redo of a Mode change, with the
//                           photos shown (no re-merge).
// Opening should cost no more than importing; an undo step well under 50 ms.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPushButton>
#include <QTemporaryDir>
#include <QElapsedTimer>
#include <QRadioButton>

#include <memory>
#include <string>
#include <vector>

#include "core/file_io.h"
#include "job/job_file.h"
#include "qt_bench_main.h"
#include "synthetic_photos.h"
#include "ui/main_window.h"

namespace {

using lenti::ui::MainWindow;

constexpr int kFrames = 16;

struct Photos {
  QTemporaryDir dir;
  QStringList files;
  std::string project;
  Photos() {
    for (int slot = 1; slot <= kFrames; ++slot) {
      const std::string path = dir.path().toStdString() + "/photo" + std::to_string(slot) + ".jpg";
      const std::vector<uint8_t> jpeg = lenti::synthetic::ScenePhotoJpeg(4000, 3000, slot - 1, kFrames, 90);
      lenti::WriteWholeFile(path, jpeg.data(), jpeg.size());
      files << QString::fromStdString(path);
    }
    project = dir.path().toStdString() + "/sixteen.vexaro";
  }
};

std::unique_ptr<Photos> the_photos;
int windows_made = 0;

bool Settle(MainWindow& form) {
  QElapsedTimer waited;
  waited.start();
  while (form.Busy() || form.Restoring()) {
    if (waited.elapsed() > 120000) return false;
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
  }
  QCoreApplication::processEvents();
  return true;
}

// A window of its own working folder, its dialogs answering `files`.
std::unique_ptr<MainWindow> NewWindow(const QStringList& files) {
  const std::string work = the_photos->dir.path().toStdString() + "/work" + std::to_string(++windows_made);
  auto form = std::make_unique<MainWindow>(work);
  form->Dialogs().hooks.show_message = [](const QString&) {};
  form->Dialogs().hooks.run_open_dialog = [files](QFileDialog&) { return files; };
  form->show();
  QCoreApplication::processEvents();
  return form;
}

void ImportAll(MainWindow& form) {
  form.findChild<QPushButton*>(QStringLiteral("Button1"))->click();
  Settle(form);
}

// Times `fill` on a new window per iteration (its dialogs answering
// `answers`), the window's making and closing left out; `fill` must leave all
// sixteen photos in the slots.
template <typename Fill>
void TimeFreshWindows(benchmark::State& state, const QStringList& answers, Fill fill) {
  for (auto _ : state) {
    state.PauseTiming();
    std::unique_ptr<MainWindow> form = NewWindow(answers);
    state.ResumeTiming();
    fill(*form);
    state.PauseTiming();
    if (form->State().photos.FrameCount != kFrames) state.SkipWithError("the sixteen photos are not in the slots");
    form.reset();
    state.ResumeTiming();
  }
}

void BM_WindowImportSixteen(benchmark::State& state) {
  if (!the_photos) the_photos = std::make_unique<Photos>();
  TimeFreshWindows(state, the_photos->files, ImportAll);
}
BENCHMARK(BM_WindowImportSixteen)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

void BM_WindowOpenProject(benchmark::State& state) {
  if (!the_photos) the_photos = std::make_unique<Photos>();
  {
    std::unique_ptr<MainWindow> maker = NewWindow(the_photos->files);
    ImportAll(*maker);
    lenti::SaveJobFile(maker->CurrentJob(), the_photos->project);
  }
  TimeFreshWindows(state, {}, [](MainWindow& form) {
    form.OnOpenProject(the_photos->project);
    Settle(form);
  });
}
BENCHMARK(BM_WindowOpenProject)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

void BM_WindowUndoStep(benchmark::State& state) {
  if (!the_photos) the_photos = std::make_unique<Photos>();
  std::unique_ptr<MainWindow> form = NewWindow(the_photos->files);
  ImportAll(*form);
  form->findChild<QRadioButton*>(QStringLiteral("RadioButton4"))->click();
  auto* undo = form->findChild<QAction*>(QStringLiteral("UndoAction"));
  auto* redo = form->findChild<QAction*>(QStringLiteral("RedoAction"));
  for (auto _ : state) {
    undo->trigger();
    Settle(*form);
    redo->trigger();
    Settle(*form);
  }
  if (form->State().mode != lenti::Mode::LandscapeColumns) state.SkipWithError("redo did not bring the Mode back");
  state.SetLabel("one undo and one redo");
}
BENCHMARK(BM_WindowUndoStep)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  return RunQtBenchmarks(argc, argv, [] { the_photos.reset(); });
}
