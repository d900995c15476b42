// The merge's speed.
//
// BM_InterleaveSlices: 16 slices of 1940 x 146 into 1940 x 2342 (and the
// landscape twin), bytes of output per second.
// BM_DesktopMerge vs BM_PlainFileFloor: "&Merge" of 16 frames from
// 4000 x 3000 BMP working files through a FakeFrontend, against reading the
// same 16 files and writing 16 slices and the output with fread/fwrite.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "core/bmp_writer.h"
#include "fake_frontend.h"
#include "merge_to_end.h"
#include "interlace/geometry.h"
#include "interlace/interleave.h"
#include "interlace/merge.h"
#include "synthetic_photos.h"

namespace {

namespace fs = std::filesystem;
using lenti::Mode;
using lenti::Raster;

constexpr int kFrames = 16;
constexpr int64_t kLpi = 212500;

void BM_InterleaveSlices(benchmark::State& state) {
  const Mode mode = state.range(0) == 0 ? Mode::PortraitRows : Mode::LandscapeColumns;
  const lenti::OutputGeometry g = lenti::ComputeOutputGeometry(kFrames, kLpi, mode);
  const lenti::Size size = lenti::SliceSize(g.OutputWidth, g.OutputHeight, kFrames, mode);
  std::vector<Raster> slices;
  for (int i = 0; i < kFrames; ++i) {
    slices.push_back(lenti::synthetic::ScenePhoto(size.width, size.height, i, kFrames));
  }
  std::vector<const Raster*> pointers;
  for (const Raster& s : slices) pointers.push_back(&s);
  for (auto _ : state) {
    Raster out = lenti::InterleaveSlices(pointers, g, kFrames, mode);
    benchmark::DoNotOptimize(out.Bits());
  }
  state.SetBytesProcessed(state.iterations() * int64_t{g.OutputHeight} *
                          static_cast<int64_t>(lenti::RowBytes(g.OutputWidth, lenti::PixelFormat::pf24bit)));
  state.SetLabel(mode == Mode::PortraitRows ? "portrait" : "landscape");
}
BENCHMARK(BM_InterleaveSlices)->Arg(0)->Arg(1)->ArgName("landscape")->Unit(benchmark::kMillisecond);

// 16 BMP working files of 4000 x 3000 (36 MB each), made once.
struct WorkingFiles {
  std::string dir;
  std::vector<std::string> photos;
};

bool g_files_made = false;

const WorkingFiles& Files() {
  static const WorkingFiles files = [] {
    g_files_made = true;
    WorkingFiles f;
    std::string pattern = (fs::temp_directory_path() / "lenti-merge-bench-XXXXXX").string();
    f.dir = mkdtemp(pattern.data());
    fs::create_directory(f.dir + "/work");
    for (int i = 1; i <= kFrames; ++i) {
      f.photos.push_back(f.dir + "/t" + std::to_string(i) + ".bmp");
      lenti::SaveBmpFile(lenti::synthetic::ScenePhoto(4000, 3000, i - 1, kFrames), f.photos.back());
    }
    return f;
  }();
  return files;
}

void BM_DesktopMerge(benchmark::State& state) {
  const WorkingFiles& files = Files();
  lenti::MakerState maker;
  maker.photos.FrameCount = kFrames;
  for (int i = 0; i < kFrames; ++i) {
    maker.photos.SlotFiles[i] = files.photos[i];
    // The default portrait rectangle of a 4000 x 3000 photo in a 591 x 593
    // view box: (112, 75)-(479, 518) at scale 67682.
    maker.photos.CropRects[i] = lenti::CropRecord{112, 75, 479, 518, 0, 75, true};
    maker.photos.CropScales[i] = 67682;
  }
  for (auto _ : state) {
    lenti::testing::FakeFrontend ui;
    benchmark::DoNotOptimize(lenti::MergeToEnd(maker, ui, ui, ui, files.dir + "/work"));
  }
}
BENCHMARK(BM_DesktopMerge)->Unit(benchmark::kMillisecond)->UseRealTime();

void WritePlain(const std::string& path, const std::vector<uint8_t>& bytes) {
  FILE* file = std::fopen(path.c_str(), "wb");
  std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::fclose(file);
}

void BM_PlainFileFloor(benchmark::State& state) {
  const WorkingFiles& files = Files();
  const size_t slice_bytes = 54 + size_t{1940 * 3} * 146;
  const size_t out_bytes = 54 + size_t{1940 * 3} * 2342;
  for (auto _ : state) {
    std::vector<uint8_t> slice(slice_bytes, 200);
    for (int i = 0; i < kFrames; ++i) {
      std::vector<uint8_t> bytes(fs::file_size(files.photos[i]));
      FILE* file = std::fopen(files.photos[i].c_str(), "rb");
      benchmark::DoNotOptimize(std::fread(bytes.data(), 1, bytes.size(), file));
      std::fclose(file);
      slice[60] = bytes[1000];
      WritePlain(files.dir + "/work/p" + std::to_string(i + 1) + ".bmp", slice);
    }
    WritePlain(files.dir + "/work/out.bmp", std::vector<uint8_t>(out_bytes, 255));
  }
}
BENCHMARK(BM_PlainFileFloor)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  if (g_files_made) fs::remove_all(Files().dir);
  return 0;
}
