#include "intake/photo_source.h"

#include <cstring>

#include "core/bmp_reader.h"
#include "core/error.h"
#include "core/file_io.h"
#include "core/icc_to_srgb.h"
#include "core/jpeg.h"
#include "core/png_reader.h"
#include "core/tiff_reader.h"

namespace lenti {

namespace {

// The region of a decoded photo, clipped to it; palette kept.
Raster CopyRegion(const Raster& photo, const Rect& region) {
  const Rect inside = region.Intersected(Rect{0, 0, photo.Width(), photo.Height()});
  if (inside.IsEmpty()) return Raster();
  Raster part(inside.Width(), inside.Height(), photo.Format());
  if (photo.Format() != PixelFormat::pf24bit) part.SetPalette(photo.Palette());
  const size_t bytes = photo.Format() == PixelFormat::pf24bit ? 3 : 1;
  for (int y = 0; y < inside.Height(); ++y) {
    std::memcpy(part.Row(y), photo.Row(inside.top + y) + static_cast<size_t>(inside.left) * bytes,
                static_cast<size_t>(inside.Width()) * bytes);
  }
  return part;
}

// A photo decoded whole, served region by region.
class DecodedPhotoSource : public PhotoSource {
 public:
  explicit DecodedPhotoSource(Raster photo) : photo_(std::move(photo)) {}

  Size PixelSize() const override { return Size{photo_.Width(), photo_.Height()}; }

  Raster ReadRegion(const Rect& region) override { return CopyRegion(photo_, region); }

  uint64_t PeakBytes(const Rect& region) const override {
    const Rect inside = region.Intersected(Rect{0, 0, photo_.Width(), photo_.Height()});
    const uint64_t area = inside.IsEmpty() ? 0 : uint64_t(inside.Width()) * uint64_t(inside.Height());
    const uint64_t pixel = photo_.Format() == PixelFormat::pf24bit ? 3 : 1;
    return uint64_t{photo_.Stride()} * uint64_t(photo_.Height()) + area * pixel;
  }

 private:
  Raster photo_;
};

class JpegPhotoSource : public PhotoSource {
 public:
  JpegPhotoSource(std::vector<uint8_t> bytes, const std::string& path, std::vector<uint8_t> icc_profile)
      : path_(path),
        bytes_(std::move(bytes)),
        icc_profile_(std::move(icc_profile)),
        info_(ReadJpegInfo(bytes_.data(), bytes_.size(), path_)) {}

  Size PixelSize() const override { return Size{info_.width, info_.height}; }

  Raster ReadRegion(const Rect& region) override {
    const Rect inside = region.Intersected(Rect{0, 0, info_.width, info_.height});
    if (inside.IsEmpty()) return Raster();
    Raster part = DecodeJpegRegion(bytes_.data(), bytes_.size(), path_, inside);
    // The profile converts pixel by pixel: a region converts as the whole would.
    ConvertToSrgb(part, icc_profile_);
    return part;
  }

  uint64_t PeakBytes(const Rect& region) const override {
    const Rect inside = region.Intersected(Rect{0, 0, info_.width, info_.height});
    const uint64_t pixel = info_.components == 1 ? 1 : 3;
    const uint64_t area = inside.IsEmpty() ? 0 : uint64_t(inside.Width()) * uint64_t(inside.Height());
    return bytes_.size() + area * pixel;
  }

 private:
  std::string path_;
  std::vector<uint8_t> bytes_;
  std::vector<uint8_t> icc_profile_;
  JpegInfo info_;
};

}  // namespace

PhotoKind RecognisePhoto(const uint8_t* head, size_t size) {
  if (LooksLikeJpeg(head, size)) return PhotoKind::Jpeg;
  if (LooksLikePng(head, size)) return PhotoKind::Png;
  if (LooksLikeTiff(head, size)) return PhotoKind::Tiff;
  if (LooksLikeBmp(head, size)) return PhotoKind::Bmp;
  return PhotoKind::Other;
}

PhotoKind RecognisePhotoFile(const std::string& path) {
  InputFile file(path);  // refuses folders, FIFOs and devices
  uint8_t head[8];
  return RecognisePhoto(head, file.ReadAt(0, head, sizeof head));
}

Raster DecodeViewedPhoto(PhotoKind kind, const std::vector<uint8_t>& bytes, const std::string& name) {
  switch (kind) {
    case PhotoKind::Jpeg:
      return ViewedPhoto(DecodeJpegPhoto(bytes.data(), bytes.size(), name));
    case PhotoKind::Png:
      return ViewedPhoto(DecodePng(bytes.data(), bytes.size(), name));
    case PhotoKind::Tiff:
      return ViewedPhoto(DecodeTiff(bytes.data(), bytes.size(), name));
    case PhotoKind::Bmp:
      return DecodeBmp(bytes.data(), bytes.size(), name);
    case PhotoKind::Other:
      break;
  }
  throw Error(Format("File format error! \"%s\" is not a JPEG, PNG, TIFF or BMP photo", name.c_str()));
}

std::unique_ptr<PhotoSource> OpenJpegPhotoSource(const std::string& path) {
  std::vector<uint8_t> bytes = ReadWholeFile(path, kMaxPhotoFileBytes);
  JpegMarkers markers = ReadJpegMarkers(bytes.data(), bytes.size(), path);
  if (markers.orientation != 1) {
    return std::make_unique<DecodedPhotoSource>(DecodeViewedPhoto(PhotoKind::Jpeg, bytes, path));
  }
  return std::make_unique<JpegPhotoSource>(std::move(bytes), path, std::move(markers.icc_profile));
}

std::unique_ptr<PhotoSource> OpenPhotoSource(const std::string& path) {
  const PhotoKind kind = RecognisePhotoFile(path);
  switch (kind) {
    case PhotoKind::Jpeg:
      return OpenJpegPhotoSource(path);
    case PhotoKind::Bmp:
      return OpenBmpPhotoSource(path);
    case PhotoKind::Png:
    case PhotoKind::Tiff:
      return std::make_unique<DecodedPhotoSource>(
          DecodeViewedPhoto(kind, ReadWholeFile(path, kMaxPhotoFileBytes), path));
    case PhotoKind::Other:
      break;
  }
  throw Error(Format("File format error! \"%s\" is not a JPEG, PNG, TIFF or BMP photo", path.c_str()));
}

}  // namespace lenti
