// The lens view of the largest landscape merge of four frames, 2342 x 1940 x
// 24 bits at 340 dpi: the full-size view in both strip directions (the
// command line's), the screen-size view the window redraws for every slider
// step, and a memcpy of the same bytes as the floor. Target: a view under
// 20 ms.
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <vector>

#include "core/raster.h"
#include "interlace/lens_view.h"

namespace lenti {
namespace {

constexpr int kWidth = 2342;
constexpr int kHeight = 1940;
// 21.25 lpi over 340 dpi: 16 px per lens; the sheet a little off, as a
// person trying a pitch error would set it.
const LensSheet kSheet{21.25 * 1.003, 340, 0};

Raster Picture() {
  Raster picture(kWidth, kHeight);
  std::mt19937 random(17);
  for (int y = 0; y < kHeight; ++y) {
    uint8_t* row = picture.Row(y);
    for (int x = 0; x < kWidth * 3; ++x) row[x] = static_cast<uint8_t>(random());
  }
  return picture;
}

void BM_LensView(benchmark::State& bench, Mode mode) {
  const Raster picture = Picture();
  double angle = 0;
  for (auto _ : bench) {
    Raster view = RenderLensView(picture, mode, kSheet, angle);
    benchmark::DoNotOptimize(view.Bits());
    angle = angle >= 0.99 ? 0 : angle + 0.01;
  }
  bench.SetBytesProcessed(bench.iterations() * static_cast<int64_t>(picture.Stride()) * kHeight);
}
BENCHMARK_CAPTURE(BM_LensView, landscape_columns, Mode::LandscapeColumns)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_LensView, portrait_rows, Mode::PortraitRows)->Unit(benchmark::kMillisecond);

// What the window draws per slider step: the view at the size of its panel.
void BM_LensViewOnScreen(benchmark::State& bench) {
  const Raster picture = Picture();
  double angle = 0;
  for (auto _ : bench) {
    Raster view = RenderLensViewScaled(picture, Mode::LandscapeColumns, kSheet, angle, Size{1000, 828});
    benchmark::DoNotOptimize(view.Bits());
    angle = angle >= 0.99 ? 0 : angle + 0.01;
  }
}
BENCHMARK(BM_LensViewOnScreen)->Unit(benchmark::kMillisecond);

void BM_MemcpySameBytes(benchmark::State& bench) {
  const Raster picture = Picture();
  const size_t bytes = picture.Stride() * kHeight;
  for (auto _ : bench) {
    std::vector<uint8_t> copy(bytes);
    std::memcpy(copy.data(), picture.Bits(), bytes);
    benchmark::DoNotOptimize(copy.data());
  }
  bench.SetBytesProcessed(bench.iterations() * static_cast<int64_t>(bytes));
}
BENCHMARK(BM_MemcpySameBytes)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace lenti
BENCHMARK_MAIN();
