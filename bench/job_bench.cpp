// The project file: saving a job of 16 framed photos (the atomic write with
// its fsync; it should stay under 50 ms), opening it again, and the
// fingerprint of one 12 MP photo's worth of bytes (36 MB), which opening a
// photo into a project costs once.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "core/content_hash.h"
#include "core/file_io.h"
#include "job/job_file.h"

namespace {

namespace fs = std::filesystem;

class BenchDir {
 public:
  BenchDir() {
    std::string pattern = (fs::temp_directory_path() / "job_bench_XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) std::abort();
    dir_ = pattern;
  }
  ~BenchDir() {
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }
  std::string File(const std::string& name) const { return (dir_ / name).string(); }

 private:
  fs::path dir_;
};

// Sixteen photos that exist (opening checks where they are), every crop set,
// the finishing of a text, bars and a turn.
lenti::Job SixteenFrames(const BenchDir& dir) {
  fs::create_directory(dir.File("photos"));
  lenti::Job job;
  for (int slot = 1; slot <= lenti::kSlotCount; ++slot) {
    const std::string photo = dir.File("photos/IMG_" + std::to_string(4000 + slot) + ".jpg");
    lenti::WriteWholeFile(photo, reinterpret_cast<const uint8_t*>("jpeg"), 4);
    job.frames.push_back(lenti::JobFrame{slot, photo, "0123456789abcdef", lenti::Size{4000, 3000},
                                         lenti::Rect{slot, 0, 2480 + slot, 3000}, {}});
  }
  job.merged = true;
  lenti::JobText text;
  text.text = "Happy birthday";
  job.finishing = {{lenti::FinishingStep::Kind::BarsOn, {}},
                   {lenti::FinishingStep::Kind::BurnText, text},
                   {lenti::FinishingStep::Kind::Turn, {}}};
  job.output.path = dir.File("out.tif");
  return job;
}

void BM_SaveJobFile16Frames(benchmark::State& bench) {
  BenchDir dir;
  const lenti::Job job = SixteenFrames(dir);
  const std::string path = dir.File("job.vexaro");
  for (auto _ : bench) lenti::SaveJobFile(job, path);
}
BENCHMARK(BM_SaveJobFile16Frames)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_LoadJobFile16Frames(benchmark::State& bench) {
  BenchDir dir;
  const std::string path = dir.File("job.vexaro");
  lenti::SaveJobFile(SixteenFrames(dir), path);
  for (auto _ : bench) benchmark::DoNotOptimize(lenti::LoadJobFile(path));
}
BENCHMARK(BM_LoadJobFile16Frames)->Unit(benchmark::kMicrosecond)->UseRealTime();

// 4000 x 3000 x 3 bytes; from the page cache after the first run, so this is
// the hashing and the reads, not the disk.
void BM_FileContentHash36MB(benchmark::State& bench) {
  BenchDir dir;
  const std::string path = dir.File("photo.bin");
  std::vector<uint8_t> bytes(size_t{4000} * 3000 * 3);
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 2654435761u >> 13);
  lenti::WriteWholeFile(path, bytes.data(), bytes.size());
  for (auto _ : bench) benchmark::DoNotOptimize(lenti::FileContentHash(path));
  bench.SetBytesProcessed(static_cast<int64_t>(bench.iterations()) * static_cast<int64_t>(bytes.size()));
}
BENCHMARK(BM_FileContentHash36MB)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
