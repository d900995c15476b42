// The TIFF reader on arbitrary bytes (directory chain, both pixel paths),
// then the turn to a viewed photo: orientation tag and ICC profile tag.
// Only pictures up to kDecodePixels are decoded: the fuzzer's time goes into
// the parsers and the decoders' paths, which a small picture reaches as well
// as a large one, not into allocating, converting and turning large rasters.
#include <tiffio.h>

#include <cstdarg>
#include <cstddef>
#include <cstdint>

#include "core/error.h"
#include "core/tiff_reader.h"

namespace {

constexpr uint64_t kDecodePixels = 512 * 512;

int Quiet(TIFF*, void*, const char*, const char*, va_list) { return 1; }

// A memory file for libtiff, only to learn the declared size first.
struct Bytes {
  const uint8_t* data;
  uint64_t size;
  uint64_t at;
};

uint64_t DeclaredPixels(const uint8_t* data, size_t size) {
  Bytes b{data, size, 0};
  TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
  TIFFOpenOptionsSetErrorHandlerExtR(options, Quiet, nullptr);
  TIFFOpenOptionsSetWarningHandlerExtR(options, Quiet, nullptr);
  TIFF* tif = TIFFClientOpenExt(
      "fuzz.tif", "rm", &b,
      [](thandle_t h, void* out, tmsize_t n) -> tmsize_t {
        auto* m = static_cast<Bytes*>(h);
        if (n <= 0 || m->at >= m->size) return 0;
        const uint64_t k = static_cast<uint64_t>(n) < m->size - m->at ? static_cast<uint64_t>(n) : m->size - m->at;
        __builtin_memcpy(out, m->data + m->at, k);
        m->at += k;
        return static_cast<tmsize_t>(k);
      },
      [](thandle_t, void*, tmsize_t) -> tmsize_t { return 0; },
      [](thandle_t h, toff_t off, int whence) -> toff_t {
        auto* m = static_cast<Bytes*>(h);
        const uint64_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? m->at : m->size;
        if (off > UINT64_MAX - base) return static_cast<toff_t>(-1);
        return m->at = base + off;
      },
      [](thandle_t) { return 0; }, [](thandle_t h) -> toff_t { return static_cast<Bytes*>(h)->size; },
      [](thandle_t, void**, toff_t*) { return 0; }, [](thandle_t, void*, toff_t) {}, options);
  TIFFOpenOptionsFree(options);
  if (tif == nullptr) return 0;
  uint32_t width = 0;
  uint32_t height = 0;
  TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &width);
  TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &height);
  TIFFClose(tif);
  return uint64_t{width} * height;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (DeclaredPixels(data, size) > kDecodePixels) return 0;
  try {
    lenti::Raster shown = lenti::ViewedPhoto(lenti::DecodeTiff(data, size, "fuzz.tif"));
    if (!shown.Empty()) (void)shown.PixelColor(shown.Width() - 1, shown.Height() - 1);
  } catch (const lenti::Error&) {
  }
  return 0;
}
