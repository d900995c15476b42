// The finishing commands at the largest output, 2183 x 2635 x 24 bits (9
// frames): a quarter turn beside a plain memcpy of the same bytes, and the
// full-size copy plus text that Apply and every placement click make.
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include "core/maker_state.h"
#include "core/raster.h"
#include "fake_frontend.h"
#include "finishing/rotation.h"
#include "finishing/text_overlay.h"

namespace lenti {
namespace {

constexpr int kWidth = 2183;
constexpr int kHeight = 2635;

Raster LargestOutput() {
  Raster picture(kWidth, kHeight);
  std::mt19937 random(5);
  for (int y = 0; y < kHeight; ++y) {
    uint8_t* row = picture.Row(y);
    for (int x = 0; x < kWidth * 3; ++x) row[x] = static_cast<uint8_t>(random());
  }
  return picture;
}

void BM_QuarterTurn(benchmark::State& bench) {
  const Raster picture = LargestOutput();
  for (auto _ : bench) {
    Raster turned = RotateQuarterCounterClockwise(picture);
    benchmark::DoNotOptimize(turned.Bits());
  }
  bench.SetBytesProcessed(bench.iterations() * static_cast<int64_t>(picture.Stride()) * kHeight);
}
BENCHMARK(BM_QuarterTurn)->Unit(benchmark::kMillisecond);

// The floor the turn is measured against: the same bytes into a fresh buffer.
void BM_MemcpySameBytes(benchmark::State& bench) {
  const Raster picture = LargestOutput();
  const size_t bytes = picture.Stride() * kHeight;
  for (auto _ : bench) {
    std::vector<uint8_t> copy(bytes);
    std::memcpy(copy.data(), picture.Bits(), bytes);
    benchmark::DoNotOptimize(copy.data());
  }
  bench.SetBytesProcessed(bench.iterations() * static_cast<int64_t>(bytes));
}
BENCHMARK(BM_MemcpySameBytes)->Unit(benchmark::kMillisecond);

struct TextScene {
  MakerState state;
  testing::FakeFrontend frontend;
  std::shared_ptr<Font> font = std::make_shared<Font>(Font{"DejaVu Sans", 36, true});
  TextScene() {
    state.merged.MergedBitmap = LargestOutput();
    state.overlay.EditText = "Vexaro 21.25 lpi";
  }
};

void BM_ApplyText(benchmark::State& bench) {
  TextScene scene;
  for (auto _ : bench) {
    scene.frontend.Show(ApplyText(scene.state, scene.font));
    benchmark::DoNotOptimize(scene.frontend.view.Graphic().Bits());
  }
}
BENCHMARK(BM_ApplyText)->Unit(benchmark::kMillisecond);

void BM_PlacementClick(benchmark::State& bench) {
  TextScene scene;
  scene.frontend.Show(ApplyText(scene.state, scene.font));
  int x = 0;
  for (auto _ : bench) {
    scene.frontend.Show(PlaceText(scene.state, scene.frontend.view_image, 100 + x, 200));
    x = (x + 37) % 400;
    benchmark::DoNotOptimize(scene.frontend.view.Graphic().Bits());
  }
}
BENCHMARK(BM_PlacementClick)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace lenti

BENCHMARK_MAIN();
