#include "core/picture.h"

#include <cctype>
#include <utility>
#include <vector>

#include "core/bmp_reader.h"
#include "core/error.h"
#include "core/file_io.h"
#include "core/jpeg.h"

namespace lenti {

// A JPEG file's bytes and header; the pixels once Graphic() asked for them.
struct Picture::JpegData {
  std::string path;
  std::vector<uint8_t> bytes;
  JpegInfo info;
  std::shared_ptr<Raster> decoded;
};

namespace {

std::string Lowercase(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

const Raster& EmptyRaster() {
  static const Raster empty;
  return empty;
}

}  // namespace

Picture::Picture(Raster raster)
    : kind_(Kind::Bitmap), raster_(std::make_shared<Raster>(std::move(raster))) {}

int Picture::Width() const {
  if (kind_ == Kind::Bitmap) return raster_->Width();
  if (kind_ == Kind::Jpeg) return jpeg_->info.width;
  return 0;
}

int Picture::Height() const {
  if (kind_ == Kind::Bitmap) return raster_->Height();
  if (kind_ == Kind::Jpeg) return jpeg_->info.height;
  return 0;
}

void Picture::LoadFromFile(const std::string& path) {
  const std::string dotted = ExtensionOf(path);
  const std::string ext = dotted.empty() ? "" : dotted.substr(1);
  const std::string lower = Lowercase(ext);
  // Everything is read and checked before the holder changes, so a failure
  // keeps the previous picture.
  if (lower.empty()) {
    Clear();
    empty_from_load_ = true;
    return;
  }
  if (lower == "bmp") {
    auto raster = std::make_shared<Raster>(LoadBmpFile(path));
    Clear();
    kind_ = Kind::Bitmap;
    raster_ = std::move(raster);
    return;
  }
  if (lower == "jpg" || lower == "jpeg") {
    auto jpeg = std::make_shared<JpegData>();
    jpeg->path = path;
    jpeg->bytes = ReadWholeFile(path);
    jpeg->info = ReadJpegInfo(jpeg->bytes.data(), jpeg->bytes.size(), path);
    CheckJpegSize(jpeg->info, path);
    Clear();
    kind_ = Kind::Jpeg;
    jpeg_ = std::move(jpeg);
    return;
  }
  throw UnknownPictureExtension(ext);
}

void Picture::Clear() {
  kind_ = Kind::Empty;
  empty_from_load_ = false;
  raster_.reset();
  jpeg_.reset();
}

const Raster& Picture::Graphic() const {
  if (kind_ == Kind::Bitmap) return *raster_;
  if (kind_ != Kind::Jpeg) return EmptyRaster();
  // Decoded once and shared by every copy of the picture; a decode that
  // fails leaves nothing cached, so the next use reports it again.
  if (!jpeg_->decoded) {
    jpeg_->decoded = std::make_shared<Raster>(
        DecodeJpeg(jpeg_->bytes.data(), jpeg_->bytes.size(), jpeg_->path));
  }
  return *jpeg_->decoded;
}

Raster& Picture::BitmapForDrawing(Size fallback) {
  if (kind_ == Kind::Jpeg || (kind_ == Kind::Empty && empty_from_load_)) throw CanOnlyModifyBitmap();
  if (kind_ == Kind::Empty) {
    raster_ = std::make_shared<Raster>(fallback.width, fallback.height, PixelFormat::pf24bit);
    kind_ = Kind::Bitmap;
  } else if (raster_.use_count() > 1) {
    // Copies share the pixels: the one drawn on gets its own.
    raster_ = std::make_shared<Raster>(*raster_);
  }
  return *raster_;
}

}  // namespace lenti
