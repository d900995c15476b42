#include "intake/photo_source.h"

#include "core/bmp_reader.h"
#include "core/error.h"
#include "core/file_io.h"
#include "core/jpeg.h"

namespace lenti {

namespace {

class JpegPhotoSource : public PhotoSource {
 public:
  JpegPhotoSource(std::vector<uint8_t> bytes, const std::string& path)
      : path_(path), bytes_(std::move(bytes)), info_(ReadJpegInfo(bytes_.data(), bytes_.size(), path_)) {}

  Size PixelSize() const override { return Size{info_.width, info_.height}; }

  Raster ReadRegion(const Rect& region) override {
    const Rect inside = region.Intersected(Rect{0, 0, info_.width, info_.height});
    if (inside.IsEmpty()) return Raster();
    return DecodeJpegRegion(bytes_.data(), bytes_.size(), path_, inside);
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
  JpegInfo info_;
};

}  // namespace

PhotoKind RecognisePhoto(const uint8_t* head, size_t size) {
  if (LooksLikeJpeg(head, size)) return PhotoKind::Jpeg;
  if (LooksLikeBmp(head, size)) return PhotoKind::Bmp;
  return PhotoKind::Other;
}

PhotoKind RecognisePhotoFile(const std::string& path) {
  InputFile file(path);  // refuses folders, FIFOs and devices
  uint8_t head[3];
  return RecognisePhoto(head, file.ReadAt(0, head, sizeof head));
}

std::unique_ptr<PhotoSource> OpenJpegPhotoSource(const std::string& path) {
  return std::make_unique<JpegPhotoSource>(ReadWholeFile(path, kMaxPhotoFileBytes), path);
}

std::unique_ptr<PhotoSource> OpenPhotoSource(const std::string& path) {
  switch (RecognisePhotoFile(path)) {
    case PhotoKind::Jpeg:
      return OpenJpegPhotoSource(path);
    case PhotoKind::Bmp:
      return OpenBmpPhotoSource(path);
    case PhotoKind::Other:
      break;
  }
  throw Error(Format("File format error! \"%s\" is neither a JPEG nor a BMP photo", path.c_str()));
}

std::string FileFormatMessage(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  return "File format error!\n\"" + name + "\" is not a photo the program takes: " +
         kAcceptedPhotoFormats + ".";
}

}  // namespace lenti
