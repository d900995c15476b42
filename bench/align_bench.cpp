// Aligning a sequence of 16 photos of 12 MP (4000 x 3000) to the first:
// by translation (rail shots) and by translation, turn and scale (handheld),
// and by a key subject. The photos are in memory (decoding is the photo
// import's benchmark); the time is the grey copies, the reduced copies and
// the search, on the machine's cores. The target: under 2 s.
#include <benchmark/benchmark.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "align/align_job.h"
#include "aligned_scene.h"

namespace lenti {
namespace {

constexpr int kWidth = 4000;
constexpr int kHeight = 3000;
constexpr int kFrames = 16;

// The scene once, slightly larger than a photo; every frame a blend of it
// under its placement (building 16 scenes point by point takes too long).
const Raster& Scene() {
  static const Raster scene =
      testing::Shot(testing::NoiseScene(3), kWidth + 200, kHeight + 200, {});
  return scene;
}

Raster Placed(const Raster& scene, const testing::ShotPlacement& p) {
  Raster photo(kWidth, kHeight, PixelFormat::pf24bit);
  const double turn = p.angle * std::numbers::pi / 180;
  const double c = std::cos(turn) / p.scale;
  const double s = std::sin(turn) / p.scale;
  const double ax = kWidth / 2.0;
  const double ay = kHeight / 2.0;
  for (int y = 0; y < kHeight; ++y) {
    uint8_t* row = photo.Row(y);
    for (int x = 0; x < kWidth; ++x) {
      const double ux = x + 0.5 - ax - p.dx;
      const double uy = y + 0.5 - ay - p.dy;
      const double sx = ax + 100 + c * ux - s * uy - 0.5;
      const double sy = ay + 100 + s * ux + c * uy - 0.5;
      const int x0 = std::clamp(static_cast<int>(std::floor(sx)), 0, scene.Width() - 2);
      const int y0 = std::clamp(static_cast<int>(std::floor(sy)), 0, scene.Height() - 2);
      const double tx = std::clamp(sx - x0, 0.0, 1.0);
      const double ty = std::clamp(sy - y0, 0.0, 1.0);
      const uint8_t* a = scene.Row(y0) + 3 * x0;
      const uint8_t* b = scene.Row(y0 + 1) + 3 * x0;
      for (int k = 0; k < 3; ++k) {
        const double top = a[k] * (1 - tx) + a[k + 3] * tx;
        const double bottom = b[k] * (1 - tx) + b[k + 3] * tx;
        row[3 * x + k] = static_cast<uint8_t>(std::lround(top * (1 - ty) + bottom * ty));
      }
    }
  }
  return photo;
}

const std::vector<Raster>& Sequence(bool handheld) {
  static std::vector<Raster> sequences[2];
  std::vector<Raster>& frames = sequences[handheld ? 1 : 0];
  if (frames.empty()) {
    for (int k = 0; k < kFrames; ++k) {
      const double t = k / static_cast<double>(kFrames - 1) - 0.5;  // -0.5 .. 0.5
      testing::ShotPlacement p{t * 110 + 0.37 * k, 3.1 * std::sin(k * 1.0), 0, 1};
      if (handheld) {
        p.angle = 1.9 * std::sin(k * 0.7);
        p.scale = 1 + 0.028 * std::cos(k * 1.3);
      }
      frames.push_back(Placed(Scene(), k == 0 ? testing::ShotPlacement{} : p));
    }
  }
  return frames;
}

void AlignSequence(benchmark::State& state, bool handheld, bool subject) {
  const std::vector<Raster>& frames = Sequence(handheld);
  std::vector<int> slots;
  for (int k = 1; k <= kFrames; ++k) slots.push_back(k);
  AlignSettings settings;
  settings.model = handheld ? AlignModel::Similarity : AlignModel::Translation;
  if (subject) settings.subject = AlignPoint{2100, 1400};
  const Rect crop{200, 150, kWidth - 200, kHeight - 150};
  for (auto _ : state) {
    const std::vector<FrameOutcome> outcomes = AlignPhotos(
        slots, [&frames](size_t i) { return AlignImage(frames[i]); }, crop, settings);
    for (const FrameOutcome& outcome : outcomes) {
      if (!outcome.alignment) state.SkipWithError(outcome.problem.c_str());
    }
    benchmark::DoNotOptimize(outcomes);
  }
}

void BM_Align16PhotosOf12MpByTranslation(benchmark::State& state) {
  AlignSequence(state, false, false);
}
void BM_Align16PhotosOf12MpBySimilarity(benchmark::State& state) {
  AlignSequence(state, true, false);
}
void BM_Align16PhotosOf12MpOnASubject(benchmark::State& state) {
  AlignSequence(state, false, true);
}

BENCHMARK(BM_Align16PhotosOf12MpByTranslation)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_Align16PhotosOf12MpBySimilarity)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_Align16PhotosOf12MpOnASubject)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
}  // namespace lenti

BENCHMARK_MAIN();
