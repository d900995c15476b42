// The PNG reader on arbitrary bytes, then the turn to a viewed photo (the
// iCCP profile through lcms2). An Error is fine, anything else is a finding.
#include <cstddef>
#include <cstdint>

#include "core/error.h"
#include "core/png_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Small pictures only (the IHDR size, big-endian at 16 and 20): the
  // fuzzer's time goes into the parser, not into filling rows.
  if (size >= 24) {
    const uint64_t width = uint64_t{data[16]} << 24 | data[17] << 16 | data[18] << 8 | data[19];
    const uint64_t height = uint64_t{data[20]} << 24 | data[21] << 16 | data[22] << 8 | data[23];
    if (width * height > 2048 * 2048) return 0;
  }
  try {
    lenti::Raster shown = lenti::ViewedPhoto(lenti::DecodePng(data, size, "fuzz.png"));
    if (!shown.Empty()) (void)shown.PixelColor(shown.Width() - 1, shown.Height() - 1);
  } catch (const lenti::Error&) {
  }
  return 0;
}
