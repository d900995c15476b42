#include "delivery/recorded_picture.h"

#include <cmath>
#include <vector>

#include "core/bmp_reader.h"
#include "core/error.h"
#include "core/file_io.h"
#include "delivery/stamped_bmp.h"

namespace lenti {
namespace {

// The largest picture file read: the largest raster, headers and palette.
constexpr uint64_t kMaxPictureFileBytes = kMaxRasterBytes + (uint64_t{1} << 20);
constexpr size_t kInfoSizeAt = 14;
constexpr size_t kXPelsAt = 38;
constexpr uint32_t kInfoHeaderBytes = 40;

uint32_t Get32(const std::vector<uint8_t>& bytes, size_t at) {
  return uint32_t{bytes[at]} | (uint32_t{bytes[at + 1]} << 8) | (uint32_t{bytes[at + 2]} << 16) |
         (uint32_t{bytes[at + 3]} << 24);
}

}  // namespace

double DpiOfPelsPerMeter(int32_t ppm) {
  const double plain = ppm * 2.5406 / 100;
  // One stamp stands for about 0.025 dpi: the roundest resolution in that
  // range is the one that was stamped (merges at 21.25 lpi are multiples of
  // 0.25 dpi, printers' whole numbers).
  // k / parts, so the value is the double nearest the decimal (297.53).
  for (const double parts : {1.0, 2.0, 4.0, 10.0, 20.0, 100.0, 1000.0, 10000.0}) {
    const double k = std::round(plain * parts);
    for (const double candidate : {k / parts, (k - 1) / parts, (k + 1) / parts}) {
      if (candidate > 0 && DpiToPelsPerMeter(candidate) == ppm) return candidate;
    }
  }
  return plain;
}

RecordedPicture LoadRecordedPicture(const std::string& path) {
  const std::vector<uint8_t> bytes = ReadWholeFile(path, kMaxPictureFileBytes);
  if (!LooksLikeBmp(bytes.data(), bytes.size())) {
    throw Error("File format error! \"" + path + "\" is not a BMP picture");
  }
  RecordedPicture picture;
  picture.raster = DecodeBmp(bytes.data(), bytes.size(), path);
  // Only the 40-byte info header and its successors hold the resolution.
  if (bytes.size() >= kXPelsAt + 4 && Get32(bytes, kInfoSizeAt) >= kInfoHeaderBytes) {
    const auto ppm = static_cast<int32_t>(Get32(bytes, kXPelsAt));
    if (ppm > 0) picture.dpi = DpiOfPelsPerMeter(ppm);
  }
  return picture;
}

}  // namespace lenti
