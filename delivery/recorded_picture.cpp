#include "delivery/recorded_picture.h"

#include <climits>
#include <cmath>
#include <optional>
#include <vector>

#include "core/bmp_reader.h"
#include "core/error.h"
#include "core/file_io.h"
#include "core/png_reader.h"
#include "core/tiff_reader.h"
#include "delivery/png_writer.h"
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

// Big- or little-endian reads, bounds checked by the caller.
uint32_t Read32(const std::vector<uint8_t>& b, size_t at, bool big) {
  return big ? (uint32_t{b[at]} << 24) | (uint32_t{b[at + 1]} << 16) | (uint32_t{b[at + 2]} << 8) | b[at + 3]
             : uint32_t{b[at]} | (uint32_t{b[at + 1]} << 8) | (uint32_t{b[at + 2]} << 16) |
                   (uint32_t{b[at + 3]} << 24);
}
uint16_t Read16(const std::vector<uint8_t>& b, size_t at, bool big) {
  return static_cast<uint16_t>(big ? (b[at] << 8) | b[at + 1] : b[at] | (b[at + 1] << 8));
}

// The roundest resolution (whole, then halves, quarters ... 0.0001) that
// `writes` turns into the recorded number again; `plain` when none does.
template <typename Writes>
double RoundestDpi(double plain, Writes writes) {
  for (const double parts : {1.0, 2.0, 4.0, 10.0, 20.0, 100.0, 1000.0, 10000.0}) {
    const double k = std::round(plain * parts);
    for (const double candidate : {k / parts, (k - 1) / parts, (k + 1) / parts}) {
      if (candidate > 0 && writes(candidate)) return candidate;
    }
  }
  return plain;
}

// The pHYs chunk before the first IDAT, in pixels per metre.
std::optional<double> PngDpi(const std::vector<uint8_t>& b) {
  size_t at = 8;
  while (at + 12 <= b.size()) {
    const uint32_t length = Read32(b, at, true);
    if (length > b.size() - at - 12) return std::nullopt;
    const std::string type(reinterpret_cast<const char*>(&b[at + 4]), 4);
    if (type == "IDAT" || type == "IEND") return std::nullopt;
    if (type == "pHYs" && length == 9) {
      const uint32_t ppm = Read32(b, at + 8, true);
      if (b[at + 16] != 1 || ppm == 0 || ppm > INT32_MAX) return std::nullopt;
      return RoundestDpi(ppm * 0.0254, [ppm](double dpi) { return DpiToPngPixelsPerMetre(dpi) == ppm; });
    }
    at += 12 + length;
  }
  return std::nullopt;
}

// XResolution of the first directory, in inches (ResolutionUnit 2, the
// default) or centimetres (3).
std::optional<double> TiffDpi(const std::vector<uint8_t>& b) {
  if (b.size() < 8) return std::nullopt;
  const bool big = b[0] == 'M';
  if (Read16(b, 2, big) != 42) return std::nullopt;
  const uint32_t ifd = Read32(b, 4, big);
  if (ifd > b.size() - 2) return std::nullopt;
  const uint16_t entries = Read16(b, ifd, big);
  std::optional<double> resolution;
  uint16_t unit = 2;
  for (uint32_t i = 0; i < entries; ++i) {
    const size_t entry = size_t{ifd} + 2 + 12 * size_t{i};
    if (entry + 12 > b.size()) return std::nullopt;
    const uint16_t tag = Read16(b, entry, big), type = Read16(b, entry + 2, big);
    if (tag == 282 && type == 5) {
      const uint32_t value = Read32(b, entry + 8, big);
      if (value > b.size() - 8) return std::nullopt;
      const uint32_t num = Read32(b, value, big), den = Read32(b, value + 4, big);
      if (num == 0 || den == 0) return std::nullopt;
      resolution = static_cast<double>(num) / den;
    } else if (tag == 296 && type == 3) {
      unit = Read16(b, entry + 8, big);
    }
  }
  if (!resolution || (unit != 2 && unit != 3)) return std::nullopt;
  return unit == 2 ? *resolution : *resolution * 2.54;
}

}  // namespace

double DpiOfPelsPerMeter(int32_t ppm) {
  // One stamp stands for about 0.025 dpi: the roundest resolution in that
  // range is the one that was stamped (merges at 21.25 lpi are multiples of
  // 0.25 dpi, printers' whole numbers).
  return RoundestDpi(ppm * 2.5406 / 100, [ppm](double dpi) { return DpiToPelsPerMeter(dpi) == ppm; });
}

RecordedPicture LoadRecordedPicture(const std::string& path) {
  const std::vector<uint8_t> bytes = ReadWholeFile(path, kMaxPictureFileBytes);
  RecordedPicture picture;
  // The pixels as the file stores them: a merged picture is never turned.
  if (LooksLikePng(bytes.data(), bytes.size())) {
    picture.raster = DecodePng(bytes.data(), bytes.size(), path).pixels;
    picture.dpi = PngDpi(bytes);
    return picture;
  }
  if (LooksLikeTiff(bytes.data(), bytes.size())) {
    picture.raster = DecodeTiff(bytes.data(), bytes.size(), path).pixels;
    picture.dpi = TiffDpi(bytes);
    return picture;
  }
  if (!LooksLikeBmp(bytes.data(), bytes.size())) {
    throw Error("File format error! \"" + path + "\" is not a BMP, PNG or TIFF picture");
  }
  picture.raster = DecodeBmp(bytes.data(), bytes.size(), path);
  // Only the 40-byte info header and its successors hold the resolution.
  if (bytes.size() >= kXPelsAt + 4 && Get32(bytes, kInfoSizeAt) >= kInfoHeaderBytes) {
    const auto ppm = static_cast<int32_t>(Get32(bytes, kXPelsAt));
    if (ppm > 0) picture.dpi = DpiOfPelsPerMeter(ppm);
  }
  return picture;
}

}  // namespace lenti
