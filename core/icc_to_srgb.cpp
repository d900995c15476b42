#include "core/icc_to_srgb.h"

#include <lcms2.h>

#include <limits>

namespace lenti {
namespace {

// lcms2 reports what it cannot read through this; the caller only sees that
// no transform came back.
void Quiet(cmsContext, cmsUInt32Number, const char*) {}

// The handles of one conversion, released in reverse order.
struct Conversion {
  cmsContext context = nullptr;
  cmsHPROFILE source = nullptr;
  cmsHPROFILE srgb = nullptr;
  cmsHTRANSFORM transform = nullptr;
  Conversion() = default;
  ~Conversion() {
    if (transform != nullptr) cmsDeleteTransform(transform);
    if (srgb != nullptr) cmsCloseProfile(srgb);
    if (source != nullptr) cmsCloseProfile(source);
    if (context != nullptr) cmsDeleteContext(context);
  }
  Conversion(const Conversion&) = delete;
  Conversion& operator=(const Conversion&) = delete;
};

// The smallest profile: a 128-byte header and a tag count.
constexpr size_t kMinProfileBytes = 132;

}  // namespace

bool ConvertToSrgb(Raster& photo, const std::vector<uint8_t>& icc_profile) {
  if (icc_profile.size() < kMinProfileBytes || photo.Empty()) return false;
  if (icc_profile.size() > std::numeric_limits<cmsUInt32Number>::max()) return false;
  const bool grey = photo.Format() == PixelFormat::pf8bit;
  if (!grey && photo.Format() != PixelFormat::pf24bit) return false;

  Conversion c;
  c.context = cmsCreateContext(nullptr, nullptr);
  if (c.context == nullptr) return false;
  cmsSetLogErrorHandlerTHR(c.context, Quiet);
  c.source = cmsOpenProfileFromMemTHR(c.context, icc_profile.data(),
                                      static_cast<cmsUInt32Number>(icc_profile.size()));
  if (c.source == nullptr) return false;
  if (cmsGetColorSpace(c.source) != (grey ? cmsSigGrayData : cmsSigRgbData)) return false;
  c.srgb = cmsCreate_sRGBProfileTHR(c.context);
  if (c.srgb == nullptr) return false;
  c.transform = cmsCreateTransformTHR(c.context, c.source, grey ? TYPE_GRAY_8 : TYPE_BGR_8, c.srgb, TYPE_BGR_8,
                                      INTENT_PERCEPTUAL, 0);
  if (c.transform == nullptr) return false;

  if (grey) {
    // Only the palette changes: each of its grey levels becomes a colour.
    std::vector<Color> palette = photo.Palette();
    std::vector<uint8_t> levels(palette.size());
    for (size_t i = 0; i < palette.size(); ++i) levels[i] = palette[i].r;
    std::vector<uint8_t> bgr(palette.size() * 3);
    cmsDoTransform(c.transform, levels.data(), bgr.data(), static_cast<cmsUInt32Number>(levels.size()));
    for (size_t i = 0; i < palette.size(); ++i) palette[i] = Color{bgr[3 * i + 2], bgr[3 * i + 1], bgr[3 * i]};
    photo.SetPalette(std::move(palette));
    return true;
  }
  // In place, row by row (same pixel layout in and out).
  const cmsUInt32Number width = static_cast<cmsUInt32Number>(photo.Width());
  for (int y = 0; y < photo.Height(); ++y) cmsDoTransform(c.transform, photo.Row(y), photo.Row(y), width);
  return true;
}

}  // namespace lenti
