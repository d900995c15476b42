#include "core/stored_photo.h"

#include "core/error.h"
#include "core/exif_orientation.h"
#include "core/icc_to_srgb.h"

namespace lenti {

Raster ViewedPhoto(StoredPhoto photo) {
  ConvertToSrgb(photo.pixels, photo.icc_profile);
  return ApplyOrientation(std::move(photo.pixels), photo.orientation);
}

void PhotoTooLarge(const char* kind, int64_t width, int64_t height, const std::string& name) {
  throw Error(std::string(kind) + " image is too large: " + name + ": " + std::to_string(width) + " x " +
              std::to_string(height) + " pixels need more than " + std::to_string(kMaxRasterBytes >> 20) + " MB");
}

void CheckPhotoSize(const char* kind, int64_t width, int64_t height, PixelFormat format, const std::string& name) {
  try {
    CheckRasterSize(width, height, format);
  } catch (const Error&) {
    PhotoTooLarge(kind, width, height, name);
  }
}

}  // namespace lenti
