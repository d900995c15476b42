// Rectangle copies and text at the sizes the program really uses: the merge
// preview and slices (24-bit nearest neighbour), the test chart's row bands,
// reference stripe and preview (1 bit, AND rule), and a chart label.
// Throughput is reported in destination pixels per second.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "core/raster.h"
#include "core/text.h"

namespace lenti {
namespace {

// A grating of 15 px bars every 30 px, bottom row white, as the chart draws.
Raster Grating(int width, int height) {
  Raster r(width, height, PixelFormat::pf1bit);
  r.SetBrushColor(kBlack);
  for (int x = 0; x < width; x += 30) r.Rectangle(x, 0, x + 15, height - 1);
  return r;
}

Raster Photo(int width, int height) {
  Raster r(width, height, PixelFormat::pf24bit);
  for (int y = 0; y < height; ++y) {
    uint8_t* row = r.ScanLine(y);
    for (int x = 0; x < width; ++x) {
      row[3 * x] = static_cast<uint8_t>(x * 7 + y);
      row[3 * x + 1] = static_cast<uint8_t>(x ^ y);
      row[3 * x + 2] = static_cast<uint8_t>(y * 3);
    }
  }
  return r;
}

void ReportPixels(benchmark::State& state, const Rect& dest) {
  state.SetItemsProcessed(state.iterations() * int64_t{dest.Width()} * dest.Height());
}

void BM_StretchDraw24NearestToSlice(benchmark::State& state) {
  const Raster photo = Photo(4000, 3000);
  Raster slice(1698, 1024, PixelFormat::pf24bit);
  for (auto _ : state) {
    slice.StretchDraw(slice.ClipRect(), photo);
    benchmark::DoNotOptimize(slice.Bits());
  }
  ReportPixels(state, slice.ClipRect());
}
BENCHMARK(BM_StretchDraw24NearestToSlice)->Unit(benchmark::kMillisecond);

void BM_CopyRect24SameSize(benchmark::State& state) {
  const Raster photo = Photo(2200, 2650);
  Raster merged(2200, 2650, PixelFormat::pf24bit);
  for (auto _ : state) {
    merged.CopyRect(merged.ClipRect(), photo, photo.ClipRect());
    benchmark::DoNotOptimize(merged.Bits());
  }
  ReportPixels(state, merged.ClipRect());
}
BENCHMARK(BM_CopyRect24SameSize)->Unit(benchmark::kMillisecond);

// A row band of the A3 3600 dpi chart: the grating's first E columns fitted
// into GB = 24094 columns, 1417 px from the chart's left edge.
void BandCopy(benchmark::State& state, int source_width) {
  const Raster grating = Grating(source_width, 4599);
  Raster chart(29764, 4599, PixelFormat::pf1bit);
  const Rect dest{1417, 0, 1417 + 24094, 4599};
  for (auto _ : state) {
    chart.CopyRect(dest, grating, Rect{0, 0, source_width, 4599});
    benchmark::DoNotOptimize(chart.Bits());
  }
  ReportPixels(state, dest);
}
void BM_CopyRect1BitBandShrink(benchmark::State& state) { BandCopy(state, 24144); }
void BM_CopyRect1BitBandEnlarge(benchmark::State& state) { BandCopy(state, 24044); }
BENCHMARK(BM_CopyRect1BitBandShrink)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CopyRect1BitBandEnlarge)->Unit(benchmark::kMillisecond);

// The reference stripe: 300 columns of the grating stretched over the whole
// chart height, at an odd bit offset.
void BM_CopyRect1BitStripe(benchmark::State& state) {
  const Raster grating = Grating(300, 4639);
  Raster chart(1024, 51024, PixelFormat::pf1bit);
  const Rect dest{517, 0, 817, 51024};
  for (auto _ : state) {
    chart.CopyRect(dest, grating, grating.ClipRect());
    benchmark::DoNotOptimize(chart.Bits());
  }
  ReportPixels(state, dest);
}
BENCHMARK(BM_CopyRect1BitStripe)->Unit(benchmark::kMillisecond);

// The A4 1200 dpi chart's preview at 100 pixels per inch, black kept.
void BM_StretchDraw1BitChartPreview(benchmark::State& state) {
  const Raster chart = Grating(6142, 10866);
  Raster preview(511, 905, PixelFormat::pf1bit);
  for (auto _ : state) {
    preview.StretchDraw(preview.ClipRect(), chart);
    benchmark::DoNotOptimize(preview.Bits());
  }
  ReportPixels(state, preview.ClipRect());
}
BENCHMARK(BM_StretchDraw1BitChartPreview)->Unit(benchmark::kMillisecond);

// One chart label at 1200 dpi: 192 pt, 256 px glyphs, white cell behind.
void BM_TextOutChartLabel(benchmark::State& state) {
  Raster chart(6142, 1000, PixelFormat::pf1bit);
  Font font;
  font.size = 192;
  chart.SetFont(font);
  for (auto _ : state) {
    chart.TextOut(200, 372, "40.0941");
    benchmark::DoNotOptimize(chart.Bits());
  }
}
BENCHMARK(BM_TextOutChartLabel)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace lenti
BENCHMARK_MAIN();
