#include "core/exif_orientation.h"

#include <libexif/exif-data.h>

#include <cstring>
#include <limits>

namespace lenti {

int ExifOrientation(const uint8_t* exif, size_t size) {
  if (exif == nullptr || size < 6 || size > std::numeric_limits<unsigned int>::max()) return 1;
  ExifData* data = exif_data_new();
  if (data == nullptr) return 1;
  // Read only: libexif must not add or "repair" tags on the way.
  exif_data_unset_option(data, EXIF_DATA_OPTION_FOLLOW_SPECIFICATION);
  exif_data_load_data(data, exif, static_cast<unsigned int>(size));
  int orientation = 1;
  ExifEntry* entry = exif_content_get_entry(data->ifd[EXIF_IFD_0], EXIF_TAG_ORIENTATION);
  if (entry != nullptr && entry->format == EXIF_FORMAT_SHORT && entry->components >= 1 && entry->data != nullptr &&
      entry->size >= 2) {
    orientation = exif_get_short(entry->data, exif_data_get_byte_order(data));
  }
  exif_data_unref(data);
  return orientation >= 1 && orientation <= 8 ? orientation : 1;
}

Raster ApplyOrientation(Raster photo, int orientation) {
  if (orientation < 2 || orientation > 8 || photo.Empty()) return photo;
  if (photo.Format() == PixelFormat::pf1bit) photo.SetPixelFormat(PixelFormat::pf24bit);
  const int w = photo.Width();
  const int h = photo.Height();
  const size_t bytes = photo.Format() == PixelFormat::pf24bit ? 3 : 1;
  const bool swap = orientation >= 5;
  Raster out(swap ? h : w, swap ? w : h, photo.Format());
  if (photo.Format() == PixelFormat::pf8bit) out.SetPalette(photo.Palette());
  if (!swap) {
    const bool flip_x = orientation == 2 || orientation == 3;
    const bool flip_y = orientation == 3 || orientation == 4;
    for (int y = 0; y < h; ++y) {
      const uint8_t* src = photo.Row(flip_y ? h - 1 - y : y);
      uint8_t* dst = out.Row(y);
      if (!flip_x) {
        std::memcpy(dst, src, static_cast<size_t>(w) * bytes);
        continue;
      }
      for (int x = 0; x < w; ++x) std::memcpy(dst + x * bytes, src + static_cast<size_t>(w - 1 - x) * bytes, bytes);
    }
    return out;
  }
  // Row y of the result is a column of the photo: column y (5, 6) or
  // w - 1 - y (7, 8), read downwards (5, 8) or upwards (6, 7).
  const bool from_right = orientation == 7 || orientation == 8;
  const bool upwards = orientation == 6 || orientation == 7;
  const size_t stride = photo.Stride();
  for (int y = 0; y < w; ++y) {
    const int column = from_right ? w - 1 - y : y;
    const uint8_t* src = photo.Bits() + static_cast<size_t>(column) * bytes;
    uint8_t* dst = out.Row(y);
    for (int x = 0; x < h; ++x) {
      const int row = upwards ? h - 1 - x : x;
      std::memcpy(dst + static_cast<size_t>(x) * bytes, src + static_cast<size_t>(row) * stride, bytes);
    }
  }
  return out;
}

}  // namespace lenti
