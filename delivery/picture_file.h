// Saved pictures in the file type their name asks for.
//
// ".tif" and ".tiff" give a TIFF (Deflate), ".png" a PNG, letter case
// ignored; every other name gives the program's stamped BMP, as it always
// did. Whatever the type, the file is written to a temporary file beside
// `path` and renamed over it only when complete, so a failure leaves an
// existing file untouched and no temporary file behind.
#pragma once

#include <string>

#include "core/raster.h"

namespace lenti {

enum class PictureFileType { Bmp, Tiff, Png };

PictureFileType PictureFileTypeOf(const std::string& path);

// Writes `raster` with `dpi` recorded (BMP: the resolution stamp).
void SavePictureFile(const Raster& raster, const std::string& path, double dpi);

}  // namespace lenti
