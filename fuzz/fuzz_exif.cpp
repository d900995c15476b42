// What a phone JPEG carries beside its pixels, on arbitrary bytes, through
// the path a photo takes: the bytes go into a small JPEG's markers, which
// DecodeJpegPhoto reads and ViewedPhoto applies. The first byte picks the
// marker: even, the bytes are an EXIF block (libexif, then the turn);
// odd, they are an ICC profile (lcms2 on the colour photo, and directly on
// a grey one, which the colour JPEG cannot reach). Each block is parsed
// once per input; the photos are made once.
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "core/error.h"
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

const lenti::Raster& SmallGrey() {
  static const lenti::Raster grey = Small(lenti::PixelFormat::pf8bit);
  return grey;
}

const std::vector<uint8_t>& TinyJpeg() {
  static const std::vector<uint8_t> jpeg = lenti::EncodeJpeg(Small(lenti::PixelFormat::pf24bit), 80);
  return jpeg;
}

// The JPEG with one APPn segment of `head` then `payload` (cut to a segment's size).
std::vector<uint8_t> WithSegment(uint8_t marker, const std::vector<uint8_t>& head, const uint8_t* payload,
                                 size_t size) {
  const std::vector<uint8_t>& jpeg = TinyJpeg();
  const size_t length = head.size() + size > 65533 ? 65533 : head.size() + size;
  std::vector<uint8_t> out(jpeg.begin(), jpeg.begin() + 2);
  out.reserve(jpeg.size() + length + 4);
  out.push_back(0xFF);
  out.push_back(marker);
  out.push_back(static_cast<uint8_t>((length + 2) >> 8));
  out.push_back(static_cast<uint8_t>(length + 2));
  out.insert(out.end(), head.begin(), head.end());
  out.insert(out.end(), payload, payload + (length - head.size()));
  out.insert(out.end(), jpeg.begin() + 2, jpeg.end());
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const uint8_t* bytes = data + 1;
  const size_t count = size - 1;
  try {
    std::vector<uint8_t> jpeg;
    if (data[0] % 2 == 0) {
      jpeg = WithSegment(0xE1, {'E', 'x', 'i', 'f', 0, 0}, bytes, count);
    } else {
      lenti::Raster grey = SmallGrey();
      lenti::ConvertToSrgb(grey, std::vector<uint8_t>(bytes, bytes + count));
      jpeg = WithSegment(0xE2, {'I', 'C', 'C', '_', 'P', 'R', 'O', 'F', 'I', 'L', 'E', 0, 1, 1}, bytes, count);
    }
    lenti::StoredPhoto stored = lenti::DecodeJpegPhoto(jpeg.data(), jpeg.size(), "fuzz.jpg");
    if (stored.orientation < 1 || stored.orientation > 8) __builtin_trap();
    const lenti::Raster shown = lenti::ViewedPhoto(std::move(stored));
    if (shown.Width() * shown.Height() != 15) __builtin_trap();
  } catch (const lenti::Error&) {
  }
  return 0;
}
