// Import of a 6000 x 4000 JPEG (decode, working BMP, thumbnail, fit) next to
// `djpeg -bmp` on the same file, timed in the same run; and the fit and one
// drag step, which do no pixel work at all.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "core/jpeg.h"
#include "core/raster.h"
#include "fake_frontend.h"
#include "import_to_end.h"
#include "core/long_work.h"
#include "intake/crop_frame.h"
#include "intake/import_work.h"
#include "intake/slots.h"

namespace {

namespace fs = std::filesystem;
using lenti::testing::FakeFrontend;

// A folder with one 6000 x 4000 colour JPEG, made once for the whole run.
class BigPhoto {
 public:
  BigPhoto() {
    std::string pattern = (fs::temp_directory_path() / "intake_bench_XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) std::abort();
    dir_ = pattern;
    lenti::Raster photo(6000, 4000);
    // Smooth gradients with some fine texture, so that the file is photo-like.
    for (int y = 0; y < photo.Height(); ++y) {
      uint8_t* row = photo.Row(y);
      for (int x = 0; x < photo.Width(); ++x) {
        row[3 * x + 0] = static_cast<uint8_t>(x * 255 / 6000);
        row[3 * x + 1] = static_cast<uint8_t>(y * 255 / 4000);
        row[3 * x + 2] = static_cast<uint8_t>((x ^ y) & 0x3F);
      }
    }
    const std::vector<uint8_t> jpeg = lenti::EncodeJpeg(photo, 90);
    path_ = dir_ + "/big.jpg";
    std::ofstream(path_, std::ios::binary)
        .write(reinterpret_cast<const char*>(jpeg.data()), static_cast<std::streamsize>(jpeg.size()));
  }
  ~BigPhoto() { fs::remove_all(dir_); }
  const std::string& Dir() const { return dir_; }
  const std::string& Path() const { return path_; }

 private:
  std::string dir_, path_;
};

const BigPhoto& Photo() {
  static const BigPhoto photo;
  return photo;
}

void BM_ImportJpeg6000x4000(benchmark::State& st) {
  const BigPhoto& photo = Photo();
  for (auto _ : st) {
    FakeFrontend fe;
    fe.open_answers.push_back(photo.Path());
    lenti::MakerState state;
    lenti::ImportIntoSlotToEnd(state, fe, fe, photo.Dir(), 1);
    benchmark::DoNotOptimize(state.photos.CropScales[0]);
  }
}
BENCHMARK(BM_ImportJpeg6000x4000)->Unit(benchmark::kMillisecond)->UseRealTime();

// What of that import stays on the window's thread: the dialog's answer,
// the working file renamed into place, the slot filled and framed. The
// decode, thumbnail and write (Run, on the worker) are not timed.
void BM_ImportJpeg6000x4000WindowThreadPart(benchmark::State& st) {
  const BigPhoto& photo = Photo();
  for (auto _ : st) {
    FakeFrontend fe;
    fe.open_answers.push_back(photo.Path());
    lenti::MakerState state;
    std::unique_ptr<lenti::LongWork> work = lenti::StartImportIntoSlot(state, fe, fe, photo.Dir(), 1);
    st.PauseTiming();
    work->Run(fe, lenti::CancelToken());
    st.ResumeTiming();
    work->Finish(fe);
    benchmark::DoNotOptimize(state.photos.CropScales[0]);
  }
}
BENCHMARK(BM_ImportJpeg6000x4000WindowThreadPart)->Unit(benchmark::kMillisecond)->UseRealTime();

// The reference: the stock decoder writing a BMP of the same file.
void BM_DjpegToBmp6000x4000(benchmark::State& st) {
  const BigPhoto& photo = Photo();
  const std::string command = "djpeg -bmp -outfile '" + photo.Dir() + "/djpeg.bmp' '" + photo.Path() + "'";
  for (auto _ : st) {
    if (std::system(command.c_str()) != 0) {
      st.SkipWithError("djpeg failed");
      break;
    }
  }
}
BENCHMARK(BM_DjpegToBmp6000x4000)->Unit(benchmark::kMillisecond)->UseRealTime();

// A view holding a 6000 x 4000 photo, framed once.
struct FramedView {
  FakeFrontend fe;
  lenti::MakerState state;
  FramedView() {
    fe.view = lenti::Picture(lenti::Raster(6000, 4000));
    lenti::FitAndFrame(state, fe);
  }
};

void BM_FitAndFrame(benchmark::State& st) {
  FramedView v;
  for (auto _ : st) {
    v.state.photos.CropRects[0].Saved = false;  // place the default rectangle every time
    lenti::FitAndFrame(v.state, v.fe);
    benchmark::DoNotOptimize(v.state.photos.CropRects[0]);
  }
}
BENCHMARK(BM_FitAndFrame);

void BM_ResizeStep(benchmark::State& st) {
  FramedView v;
  lenti::CropMouseDown(v.state, v.fe, v.fe.shown_crop.Width() - 1, v.fe.shown_crop.Height() - 1);
  int x = 200;
  for (auto _ : st) {
    lenti::CropMouseMove(v.state, v.fe, x, 0);
    x = x == 300 ? 200 : x + 1;
    benchmark::DoNotOptimize(v.state.photos.CropRects[0]);
  }
}
BENCHMARK(BM_ResizeStep);

void BM_MoveStep(benchmark::State& st) {
  FramedView v;
  lenti::CropMouseDown(v.state, v.fe, 100, 100);
  int dx = 1;
  for (auto _ : st) {
    lenti::CropMouseMove(v.state, v.fe, 100 + dx, 100);
    dx = -dx;
    benchmark::DoNotOptimize(v.state.photos.CropRects[0]);
  }
}
BENCHMARK(BM_MoveStep);

}  // namespace

BENCHMARK_MAIN();
