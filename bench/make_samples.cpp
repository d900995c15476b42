// The demo photos of samples/ and how fast the program makes one.
//
//   bench_make_samples --write DIR   writes DIR/frame1.jpg .. frame4.jpg
//   bench_make_samples [benchmark flags]   times making and encoding one
//
// The four frames are views of one scene from a camera moved a little
// sideways between them (bench/synthetic_photos.h), encoded with our own
// EncodeJpeg at quality 85.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "core/error.h"
#include "core/file_io.h"
#include "synthetic_photos.h"

namespace {

constexpr int kSampleCount = 4;
constexpr int kSampleWidth = 900;
constexpr int kSampleHeight = 1100;

int WriteSamples(const std::string& dir) {
  try {
    for (int i = 0; i < kSampleCount; ++i) {
      const std::vector<uint8_t> jpeg =
          lenti::synthetic::ScenePhotoJpeg(kSampleWidth, kSampleHeight, i, kSampleCount);
      const std::string path = dir + "/frame" + std::to_string(i + 1) + ".jpg";
      lenti::WriteWholeFile(path, jpeg.data(), jpeg.size());
      std::printf("%s: %zu bytes\n", path.c_str(), jpeg.size());
    }
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "make_samples: %s\n", e.what());
    return 1;
  }
}

void BM_MakeSamplePhoto(benchmark::State& state) {
  for (auto _ : state) {
    benchmark::DoNotOptimize(lenti::synthetic::ScenePhotoJpeg(kSampleWidth, kSampleHeight, 1, 4));
  }
}
BENCHMARK(BM_MakeSamplePhoto)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "--write") == 0) return WriteSamples(argv[2]);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
