// The BMP reader on arbitrary bytes: an Error is fine, anything else is a finding.
#include <cstddef>
#include <cstdint>

#include "core/bmp_reader.h"
#include "core/error.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  try {
    lenti::Raster raster = lenti::DecodeBmp(data, size, "fuzz.bmp");
    if (!raster.Empty()) (void)raster.PixelColor(raster.Width() - 1, raster.Height() - 1);
  } catch (const lenti::Error&) {
  }
  return 0;
}
