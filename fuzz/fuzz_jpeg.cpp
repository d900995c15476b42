// The JPEG decoder on arbitrary bytes: header, full decode and a region decode.
// The header is read on every input; the pixels only of pictures up to
// kDecodePixels, so that the fuzzer's time goes into the decoder's paths
// rather than into filling and faulting in large rasters (a few bytes can
// declare 65500 x 65500).
#include <cstddef>
#include <cstdint>

#include "core/error.h"
#include "core/jpeg.h"

namespace {

constexpr int64_t kDecodePixels = 512 * 512;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  try {
    const lenti::JpegInfo info = lenti::ReadJpegInfo(data, size, "fuzz.jpg");
    if (static_cast<int64_t>(info.width) * info.height > kDecodePixels) return 0;
    lenti::Raster full = lenti::DecodeJpeg(data, size, "fuzz.jpg");
    lenti::Raster part = lenti::DecodeJpegRegion(
        data, size, "fuzz.jpg", lenti::Rect{info.width / 3, info.height / 4, info.width, info.height});
    (void)full;
    (void)part;
  } catch (const lenti::Error&) {
  }
  return 0;
}
