// TIFF save of a merged picture (1698 x 2049, two frames at 297.5 dpi):
// the program's writer against libtiff alone with the same strips and
// compression, and the uncompressed writer against fwrite of the same bytes.
#include <benchmark/benchmark.h>
#include <tiffio.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "delivery/tiff_writer.h"

namespace {

constexpr int kWidth = 1698;
constexpr int kHeight = 2049;
// The writer's strips: 256 KB compressed, 1 MB uncompressed.
constexpr uint32_t kRowsPerStrip = (256 << 10) / (kWidth * 3);
constexpr uint32_t kRawRowsPerStrip = (1 << 20) / (kWidth * 3);

const lenti::Raster& Picture() {
  static const lenti::Raster picture = [] {
    lenti::Raster r(kWidth, kHeight);
    for (int y = 0; y < kHeight; ++y) {
      uint8_t* row = r.Row(y);
      for (int x = 0; x < kWidth * 3; ++x) row[x] = static_cast<uint8_t>((x * 7 + y * 3 + (x / 21) * 40) & 0xFF);
    }
    return r;
  }();
  return picture;
}

// The picture's rows as RGB, contiguous: what the library alone is handed.
const std::vector<uint8_t>& RgbRows() {
  static const std::vector<uint8_t> rows = [] {
    std::vector<uint8_t> out(size_t{kWidth} * 3 * kHeight);
    for (int y = 0; y < kHeight; ++y) {
      const uint8_t* in = Picture().Row(y);
      uint8_t* o = out.data() + size_t{kWidth} * 3 * y;
      for (int x = 0; x < kWidth; ++x) {
        o[3 * x] = in[3 * x + 2];
        o[3 * x + 1] = in[3 * x + 1];
        o[3 * x + 2] = in[3 * x];
      }
    }
    return out;
  }();
  return rows;
}

std::string Target() { return "/tmp/lenti-bench-" + std::to_string(getpid()) + ".tif"; }

void BM_ProgramTiff(benchmark::State& state) {
  const auto compression = static_cast<lenti::TiffCompression>(state.range(0));
  const std::string path = Target();
  for (auto _ : state) lenti::WriteTiffFile(Picture(), path, path, 297.5, compression);
  std::remove(path.c_str());
}
BENCHMARK(BM_ProgramTiff)->Arg(int(lenti::TiffCompression::None))->Arg(int(lenti::TiffCompression::Deflate))
    ->Unit(benchmark::kMillisecond);

void BM_LibtiffAlone(benchmark::State& state) {
  const uint16_t compression = state.range(0) == 0 ? COMPRESSION_NONE : COMPRESSION_ADOBE_DEFLATE;
  const std::string path = Target();
  const std::vector<uint8_t>& rows = RgbRows();
  for (auto _ : state) {
    TIFF* tif = TIFFOpen(path.c_str(), "w");
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, uint32_t{kWidth});
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, uint32_t{kHeight});
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 3);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, compression);
    const uint32_t rows_per_strip = compression == COMPRESSION_NONE ? kRawRowsPerStrip : kRowsPerStrip;
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, rows_per_strip);
    TIFFSetField(tif, TIFFTAG_XRESOLUTION, 297.5);
    TIFFSetField(tif, TIFFTAG_YRESOLUTION, 297.5);
    TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
    const size_t row_bytes = size_t{kWidth} * 3;
    tstrip_t strip = 0;
    for (uint32_t top = 0; top < kHeight; top += rows_per_strip, ++strip) {
      const uint32_t count = std::min<uint32_t>(rows_per_strip, kHeight - top);
      TIFFWriteEncodedStrip(tif, strip, const_cast<uint8_t*>(rows.data() + row_bytes * top),
                            static_cast<tmsize_t>(row_bytes * count));
    }
    TIFFClose(tif);
  }
  std::remove(path.c_str());
}
BENCHMARK(BM_LibtiffAlone)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_FwriteSameBytes(benchmark::State& state) {
  const std::string path = Target();
  const std::vector<uint8_t>& rows = RgbRows();
  for (auto _ : state) {
    FILE* f = std::fopen(path.c_str(), "wb");
    std::fwrite(rows.data(), 1, rows.size(), f);
    std::fclose(f);
  }
  std::remove(path.c_str());
}
BENCHMARK(BM_FwriteSameBytes)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
