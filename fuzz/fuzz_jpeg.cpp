// The JPEG decoder on arbitrary bytes: header, full decode and a region decode.
#include <cstddef>
#include <cstdint>

#include "core/error.h"
#include "core/jpeg.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  try {
    const lenti::JpegInfo info = lenti::ReadJpegInfo(data, size, "fuzz.jpg");
    // Small pictures only: the fuzzer's time goes into the parser, not into memset.
    if (static_cast<int64_t>(info.width) * info.height > 4096 * 4096) return 0;
    lenti::Raster full = lenti::DecodeJpeg(data, size, "fuzz.jpg");
    lenti::Raster part = lenti::DecodeJpegRegion(
        data, size, "fuzz.jpg", lenti::Rect{info.width / 3, info.height / 4, info.width, info.height});
    (void)full;
    (void)part;
  } catch (const lenti::Error&) {
  }
  return 0;
}
