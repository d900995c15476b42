#include "delivery/picture_file.h"

#include <cctype>

#include "core/bmp_reader.h"
#include "core/error.h"
#include "core/file_io.h"
#include "core/jpeg.h"
#include "core/png_reader.h"
#include "core/tiff_reader.h"
#include "delivery/png_writer.h"
#include "delivery/stamped_bmp.h"
#include "delivery/tiff_writer.h"

namespace lenti {
namespace {

std::string LowerExtension(const std::string& path) {
  std::string ext = ExtensionOf(path);
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return ext;
}

// The resolution is checked before the temporary file is made, so that a
// bad one makes no file at all.
void SaveTiff(const Raster& raster, const std::string& path, double dpi) {
  DpiToRational(dpi);
  AtomicFile file(path);
  WriteTiffFile(raster, file.TempPath(), path, dpi);
  file.Commit();
}

void SavePng(const Raster& raster, const std::string& path, double dpi) {
  DpiToPngPixelsPerMetre(dpi);
  AtomicFile file(path);
  WritePngFile(raster, file.TempPath(), path, dpi);
  file.Commit();
}

constexpr PictureFileType kSaveOrder[] = {PictureFileType::Bmp, PictureFileType::Tiff, PictureFileType::Png};

}  // namespace

const std::vector<PictureFormat>& PictureFormats() {
  static const std::vector<PictureFormat> formats{
      {PictureFileType::Jpeg, {"jpg", "jpeg"}, 1, "JPEG Image File (*.jpg)", "", LooksLikeJpeg, nullptr},
      {PictureFileType::Png, {"png"}, 1, "PNG Image File (*.png)", "PNG (*.png)", LooksLikePng, SavePng},
      {PictureFileType::Tiff, {"tif", "tiff"}, 2, "TIFF Image File (*.tif)", "TIFF (*.tif)", LooksLikeTiff, SaveTiff},
      {PictureFileType::Bmp, {"bmp"}, 1, "Bitmaps (*.bmp)", "Bitmaps (*.bmp)", LooksLikeBmp, SaveStampedBmpFile},
  };
  return formats;
}

std::vector<const PictureFormat*> SavedPictureFormats() {
  std::vector<const PictureFormat*> saved;
  for (const PictureFileType type : kSaveOrder) saved.push_back(&PictureFormatOf(type));
  return saved;
}

const PictureFormat& PictureFormatOf(PictureFileType type) {
  for (const PictureFormat& format : PictureFormats()) {
    if (format.type == type) return format;
  }
  throw Error("No picture file type " + std::to_string(static_cast<int>(type)));
}

std::string PatternsOf(const PictureFormat& format, bool every_extension) {
  const size_t count = every_extension ? format.extensions.size() : format.filter_extensions;
  std::string patterns;
  for (size_t i = 0; i < count && i < format.extensions.size(); ++i) {
    patterns += (patterns.empty() ? "*." : " *.") + format.extensions[i];
  }
  return patterns;
}

PictureFileType PictureFileTypeOf(const std::string& path) {
  const std::string ext = LowerExtension(path);
  for (const PictureFormat* format : SavedPictureFormats()) {
    for (const std::string& own : format->extensions) {
      if (ext == "." + own) return format->type;
    }
  }
  return PictureFileType::Bmp;
}

void SavePictureFile(const Raster& raster, const std::string& path, double dpi) {
  PictureFormatOf(PictureFileTypeOf(path)).save(raster, path, dpi);
}

}  // namespace lenti
