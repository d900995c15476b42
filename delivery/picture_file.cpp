#include "delivery/picture_file.h"

#include <cctype>

#include "core/file_io.h"
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

}  // namespace

PictureFileType PictureFileTypeOf(const std::string& path) {
  const std::string ext = LowerExtension(path);
  if (ext == ".tif" || ext == ".tiff") return PictureFileType::Tiff;
  if (ext == ".png") return PictureFileType::Png;
  return PictureFileType::Bmp;
}

void SavePictureFile(const Raster& raster, const std::string& path, double dpi) {
  const PictureFileType type = PictureFileTypeOf(path);
  if (type == PictureFileType::Bmp) {
    SaveStampedBmpFile(raster, path, dpi);
    return;
  }
  // The resolution is checked first, so that a bad one makes no file at all.
  if (type == PictureFileType::Tiff) {
    DpiToRational(dpi);
  } else {
    DpiToPngPixelsPerMetre(dpi);
  }
  AtomicFile file(path);
  if (type == PictureFileType::Tiff) {
    WriteTiffFile(raster, file.TempPath(), path, dpi);
  } else {
    WritePngFile(raster, file.TempPath(), path, dpi);
  }
  file.Commit();
}

}  // namespace lenti
