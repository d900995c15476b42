// PNG and TIFF photo import (a 2400 x 1800 photo-like picture, decoded from
// memory to the raster the working file is written from) against the same
// file decoded by libpng or libtiff alone into a plain buffer, as a program
// calling the library directly would.
#include <benchmark/benchmark.h>
#include <png.h>
#include <tiffio.h>

#include <cstdarg>
#include <cstring>
#include <memory>
#include <vector>

#include "intake/photo_source.h"
#include "photo_forms.h"

namespace {

using lenti::forms::Bytes;

constexpr int kWidth = 2400;
constexpr int kHeight = 1800;

// Smooth gradients with a little texture: compresses like a photo would.
unsigned PhotoSample(int x, int y, int c) {
  const unsigned smooth = static_cast<unsigned>((x * (c + 1) / 13 + y * (3 - c) / 9) & 0xFF);
  const unsigned noise = (static_cast<unsigned>(x * 73856093) ^ static_cast<unsigned>(y * 19349663)) >> 29;
  return (smooth + noise) & 0xFF;
}

const Bytes& PngFile() {
  static const Bytes file = lenti::forms::EncodePng(
      lenti::forms::MakePng(kWidth, kHeight, PNG_COLOR_TYPE_RGB, 8, false, PhotoSample));
  return file;
}

const Bytes& TiffFile(uint16_t compression) {
  static const Bytes deflate = [] {
    lenti::forms::TiffForm f;
    f.width = kWidth;
    f.height = kHeight;
    f.compression = COMPRESSION_ADOBE_DEFLATE;
    f.rows_per_strip = 32;
    f.sample = PhotoSample;
    return lenti::forms::EncodeTiff(f);
  }();
  static const Bytes none = [] {
    lenti::forms::TiffForm f;
    f.width = kWidth;
    f.height = kHeight;
    f.rows_per_strip = 32;
    f.sample = PhotoSample;
    return lenti::forms::EncodeTiff(f);
  }();
  return compression == COMPRESSION_NONE ? none : deflate;
}

void BM_ProgramPngImport(benchmark::State& state) {
  for (auto _ : state) {
    lenti::Raster photo = lenti::DecodeViewedPhoto(lenti::PhotoKind::Png, PngFile(), "bench.png");
    benchmark::DoNotOptimize(photo.Bits());
  }
}
BENCHMARK(BM_ProgramPngImport)->Unit(benchmark::kMillisecond);

struct PngReadState {
  const Bytes* file;
  size_t at;
};

// The library's output buffer is taken anew for each decode, uninitialised,
// as the program's raster is.
std::unique_ptr<uint8_t[]> NewPixels() { return std::unique_ptr<uint8_t[]>(new uint8_t[size_t{kWidth} * 3 * kHeight]); }

void BM_LibpngAlone(benchmark::State& state) {
  for (auto _ : state) {
    const std::unique_ptr<uint8_t[]> pixels = NewPixels();
    PngReadState in{&PngFile(), 0};
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png)) != 0) {
      state.SkipWithError("libpng failed");
      break;
    }
    png_set_read_fn(png, &in, [](png_structp p, png_bytep out, size_t n) {
      auto* s = static_cast<PngReadState*>(png_get_io_ptr(p));
      std::memcpy(out, s->file->data() + s->at, n);
      s->at += n;
    });
    png_read_info(png, info);
    for (int y = 0; y < kHeight; ++y) png_read_row(png, pixels.get() + size_t{kWidth} * 3 * y, nullptr);
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    benchmark::DoNotOptimize(pixels.get());
  }
}
BENCHMARK(BM_LibpngAlone)->Unit(benchmark::kMillisecond);

void BM_ProgramTiffImport(benchmark::State& state) {
  const Bytes& file = TiffFile(static_cast<uint16_t>(state.range(0)));
  for (auto _ : state) {
    lenti::Raster photo = lenti::DecodeViewedPhoto(lenti::PhotoKind::Tiff, file, "bench.tif");
    benchmark::DoNotOptimize(photo.Bits());
  }
}
BENCHMARK(BM_ProgramTiffImport)->Arg(COMPRESSION_NONE)->Arg(COMPRESSION_ADOBE_DEFLATE)->Unit(benchmark::kMillisecond);

struct TiffMemory {
  const Bytes* file;
  uint64_t at;
};

void BM_LibtiffAlone(benchmark::State& state) {
  const Bytes& file = TiffFile(static_cast<uint16_t>(state.range(0)));
  const size_t total = size_t{kWidth} * 3 * kHeight;
  for (auto _ : state) {
    const std::unique_ptr<uint8_t[]> pixels = NewPixels();
    TiffMemory m{&file, 0};
    TIFF* tif = TIFFClientOpen(
        "bench.tif", "r", &m,
        [](thandle_t h, void* out, tmsize_t n) -> tmsize_t {
          auto* s = static_cast<TiffMemory*>(h);
          const uint64_t left = s->file->size() - std::min<uint64_t>(s->at, s->file->size());
          const uint64_t k = std::min<uint64_t>(static_cast<uint64_t>(n), left);
          std::memcpy(out, s->file->data() + s->at, k);
          s->at += k;
          return static_cast<tmsize_t>(k);
        },
        [](thandle_t, void*, tmsize_t) -> tmsize_t { return 0; },
        [](thandle_t h, toff_t off, int whence) -> toff_t {
          auto* s = static_cast<TiffMemory*>(h);
          s->at = (whence == SEEK_SET ? 0 : whence == SEEK_CUR ? s->at : s->file->size()) + off;
          return s->at;
        },
        [](thandle_t) { return 0; }, [](thandle_t h) -> toff_t { return static_cast<TiffMemory*>(h)->file->size(); },
        [](thandle_t h, void** base, toff_t* size) {
          auto* s = static_cast<TiffMemory*>(h);
          *base = const_cast<uint8_t*>(s->file->data());
          *size = s->file->size();
          return 1;
        },
        [](thandle_t, void*, toff_t) {});
    const tstrip_t strips = TIFFNumberOfStrips(tif);
    const tmsize_t strip_bytes = TIFFStripSize(tif);
    for (tstrip_t s = 0; s < strips; ++s) {
      const size_t at = static_cast<size_t>(s) * static_cast<size_t>(strip_bytes);
      const tmsize_t got = TIFFReadEncodedStrip(tif, s, pixels.get() + at,
                                                static_cast<tmsize_t>(std::min(total - at, size_t(strip_bytes))));
      if (got <= 0) state.SkipWithError("libtiff failed");
    }
    TIFFClose(tif);
    benchmark::DoNotOptimize(pixels.get());
  }
}
BENCHMARK(BM_LibtiffAlone)->Arg(COMPRESSION_NONE)->Arg(COMPRESSION_ADOBE_DEFLATE)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
