// Speed of the pitch test chart: the usual A4 chart at 1200 dpi, the largest
// A3 chart at 3600 dpi with its save (the case whose peak memory matters),
// and the 100 px/inch preview of the A4 chart.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "delivery/stamped_bmp.h"
#include "testchart/test_chart.h"

namespace lenti {
namespace {

void BM_GenerateA4At1200Dpi(benchmark::State& state) {
  for (auto _ : state) {
    Raster chart = GenerateTestChart(1200, 21, 29, 400000, 10, 11);
    benchmark::DoNotOptimize(chart.Bits());
  }
}
BENCHMARK(BM_GenerateA4At1200Dpi)->Unit(benchmark::kMillisecond);

void BM_PreviewA4At1200Dpi(benchmark::State& state) {
  const Raster chart = GenerateTestChart(1200, 21, 29, 400000, 10, 11);
  for (auto _ : state) {
    Raster preview = ChartPreview(chart, 1200);
    benchmark::DoNotOptimize(preview.Bits());
  }
}
BENCHMARK(BM_PreviewA4At1200Dpi)->Unit(benchmark::kMillisecond);

void BM_GenerateA3At3600Dpi(benchmark::State& state) {
  for (auto _ : state) {
    Raster chart = GenerateTestChart(3600, 29, 42, 400000, 10, 11);
    benchmark::DoNotOptimize(chart.Bits());
  }
}
BENCHMARK(BM_GenerateA3At3600Dpi)->Unit(benchmark::kMillisecond)->Iterations(1);

// Generation plus the atomic stamped save: 29764 x 51024 chart, 41102 x 4639
// grating. Run alone under /usr/bin/time -v for the peak memory.
void BM_GenerateAndSaveA3At3600Dpi(benchmark::State& state) {
  char pattern[] = "/tmp/chart_bench_XXXXXX";
  const std::string dir = mkdtemp(pattern);
  const std::string path = dir + "/chart.bmp";
  for (auto _ : state) {
    const Raster chart = GenerateTestChart(3600, 29, 42, 400000, 10, 11);
    SaveStampedBmpFile(chart, path, 3600);
  }
  std::filesystem::remove_all(dir);
}
BENCHMARK(BM_GenerateAndSaveA3At3600Dpi)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
}  // namespace lenti

BENCHMARK_MAIN();
