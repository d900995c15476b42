// "&Save" of a 1940 x 2342 merged picture (four frames, 340 dpi, 13.6 MB)
// next to the floor: one fwrite of the same file image plus fsync. The
// atomic save writes a temporary file, stamps its 40-byte info header in
// place, fsyncs and renames; it should stay within 1.5x of the floor. The
// stamp alone on the saved file shows it touches the header only.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "core/bmp_writer.h"
#include "delivery/stamped_bmp.h"
#include "core/raster.h"
#include "delivery/save.h"
#include "fake_frontend.h"

namespace {

namespace fs = std::filesystem;

class BenchDir {
 public:
  BenchDir() {
    std::string pattern = (fs::temp_directory_path() / "save_bench_XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) std::abort();
    dir_ = pattern;
  }
  ~BenchDir() {
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }
  std::string File(const char* name) const { return (dir_ / name).string(); }

 private:
  fs::path dir_;
};

// The state after a four-frame merge: 1940 x 2342 at 340 dpi.
lenti::MakerState MergedState() {
  lenti::MakerState state;
  lenti::Raster picture(1940, 2342);
  for (int y = 0; y < picture.Height(); ++y) {
    uint8_t* row = picture.Row(y);
    for (int x = 0; x < picture.Width() * 3; ++x) row[x] = static_cast<uint8_t>(x * 7 + y);
  }
  state.merged.MergedBitmap = std::move(picture);
  state.merged.Geometry.FrameCount = 4;
  state.merged.Geometry.LensLpiX = 212500;
  state.merged.Geometry.StripWidth = 4;
  state.merged.Geometry.OutputDpiX = 3400000;
  return state;
}

void BM_SaveMerged(benchmark::State& bench) {
  BenchDir dir;
  lenti::MakerState state = MergedState();
  lenti::testing::FakeFrontend frontend;
  const std::string target = dir.File("merged.bmp");
  for (auto _ : bench) {
    frontend.save_answers = {target};
    lenti::SaveMerged(state, frontend);
  }
  bench.SetBytesProcessed(bench.iterations() * static_cast<int64_t>(fs::file_size(target)));
}
BENCHMARK(BM_SaveMerged)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_FwriteAndFsync(benchmark::State& bench) {
  BenchDir dir;
  const lenti::MakerState state = MergedState();
  const std::vector<uint8_t> bytes = lenti::EncodeBmp(*state.merged.MergedBitmap);
  const std::string target = dir.File("plain.bmp");
  for (auto _ : bench) {
    std::FILE* f = std::fopen(target.c_str(), "wb");
    if (f == nullptr || std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size() ||
        std::fflush(f) != 0 || fsync(fileno(f)) != 0) {
      bench.SkipWithError("write failed");
    }
    if (f != nullptr) std::fclose(f);
  }
  bench.SetBytesProcessed(bench.iterations() * static_cast<int64_t>(bytes.size()));
}
BENCHMARK(BM_FwriteAndFsync)->Unit(benchmark::kMillisecond)->UseRealTime();

// The floor of any durable replace: the same write and fsync into a
// temporary file, rename over the target, fsync of the folder. The gap
// between this and BM_FwriteAndFsync is the price of never losing the old file.
void BM_AtomicReplaceFloor(benchmark::State& bench) {
  BenchDir dir;
  const lenti::MakerState state = MergedState();
  const std::vector<uint8_t> bytes = lenti::EncodeBmp(*state.merged.MergedBitmap);
  const std::string target = dir.File("replaced.bmp");
  const std::string temp = dir.File("replaced.bmp.tmp");
  const std::string folder = fs::path(target).parent_path().string();
  for (auto _ : bench) {
    std::FILE* f = std::fopen(temp.c_str(), "wb");
    bool ok = f != nullptr && std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size() &&
              std::fflush(f) == 0 && fsync(fileno(f)) == 0;
    if (f != nullptr) std::fclose(f);
    ok = ok && std::rename(temp.c_str(), target.c_str()) == 0;
    std::FILE* d = std::fopen(folder.c_str(), "r");
    ok = ok && d != nullptr && fsync(fileno(d)) == 0;
    if (d != nullptr) std::fclose(d);
    if (!ok) bench.SkipWithError("replace failed");
  }
  bench.SetBytesProcessed(bench.iterations() * static_cast<int64_t>(bytes.size()));
}
BENCHMARK(BM_AtomicReplaceFloor)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_StampOnly(benchmark::State& bench) {
  BenchDir dir;
  const lenti::MakerState state = MergedState();
  const std::string target = dir.File("stamped.bmp");
  lenti::SaveBmpFile(*state.merged.MergedBitmap, target);
  for (auto _ : bench) lenti::StampBmpResolution(target, 340);
}
BENCHMARK(BM_StampOnly)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
