// What a phone JPEG carries beside its pixels, on arbitrary bytes. The first
// byte picks the path: even, the bytes are an EXIF block (libexif, then the
// turn of a small photo); odd, they are an ICC profile (lcms2 on a colour
// and on a grey photo). Both end in a JPEG's markers as well.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/error.h"
#include "core/exif_orientation.h"
#include "core/icc_to_srgb.h"
#include "core/jpeg.h"

namespace {

lenti::Raster Small(lenti::PixelFormat format) {
  lenti::Raster r(5, 3, lenti::PixelFormat::pf24bit);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) r.SetPixelColor(x, y, lenti::Color{uint8_t(x * 50), uint8_t(y * 80), 128});
  r.SetPixelFormat(format);
  return r;
}

const std::vector<uint8_t>& TinyJpeg() {
  static const std::vector<uint8_t> jpeg = lenti::EncodeJpeg(Small(lenti::PixelFormat::pf24bit), 80);
  return jpeg;
}

// The JPEG with one APPn segment of `payload` (cut to a segment's size).
std::vector<uint8_t> WithSegment(uint8_t marker, const std::vector<uint8_t>& payload) {
  const std::vector<uint8_t>& jpeg = TinyJpeg();
  const size_t length = payload.size() > 65533 ? 65533 : payload.size();
  std::vector<uint8_t> out(jpeg.begin(), jpeg.begin() + 2);
  out.push_back(0xFF);
  out.push_back(marker);
  out.push_back(static_cast<uint8_t>((length + 2) >> 8));
  out.push_back(static_cast<uint8_t>(length + 2));
  out.insert(out.end(), payload.begin(), payload.begin() + static_cast<std::ptrdiff_t>(length));
  out.insert(out.end(), jpeg.begin() + 2, jpeg.end());
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const std::vector<uint8_t> bytes(data + 1, data + size);
  try {
    std::vector<uint8_t> jpeg;
    if (data[0] % 2 == 0) {
      const int orientation = lenti::ExifOrientation(bytes.data(), bytes.size());
      if (orientation < 1 || orientation > 8) __builtin_trap();
      const lenti::Raster turned = lenti::ApplyOrientation(Small(lenti::PixelFormat::pf24bit), orientation);
      if (turned.Width() * turned.Height() != 15) __builtin_trap();
      std::vector<uint8_t> exif = {'E', 'x', 'i', 'f', 0, 0};
      exif.insert(exif.end(), bytes.begin(), bytes.end());
      jpeg = WithSegment(0xE1, exif);
    } else {
      lenti::Raster colour = Small(lenti::PixelFormat::pf24bit);
      lenti::ConvertToSrgb(colour, bytes);
      lenti::Raster grey = Small(lenti::PixelFormat::pf8bit);
      lenti::ConvertToSrgb(grey, bytes);
      std::vector<uint8_t> chunk = {'I', 'C', 'C', '_', 'P', 'R', 'O', 'F', 'I', 'L', 'E', 0, 1, 1};
      chunk.insert(chunk.end(), bytes.begin(), bytes.end());
      jpeg = WithSegment(0xE2, chunk);
    }
    (void)lenti::ViewedPhoto(lenti::DecodeJpegPhoto(jpeg.data(), jpeg.size(), "fuzz.jpg"));
  } catch (const lenti::Error&) {
  }
  return 0;
}
