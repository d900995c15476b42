// The picture file types the program knows, in one table: their extensions,
// the labels the open and save dialogs show, how a file of the type is
// recognised by its content and how one is written.
//
// Saving follows the name: ".tif" and ".tiff" give a TIFF (Deflate), ".png" a
// PNG, letter case ignored; every other name gives the program's stamped
// BMP, as it always did. JPEG is read, never written. Whatever the type, the
// file is written to a temporary file beside `path` and renamed over it only
// when complete, so a failure leaves an existing file untouched and no
// temporary file behind.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/raster.h"

namespace lenti {

enum class PictureFileType { Bmp, Tiff, Png, Jpeg };

struct PictureFormat {
  PictureFileType type;
  // Lower case, without the dot; the first is the one the dialogs name and
  // a name typed without one is given.
  std::vector<std::string> extensions;
  // How many of them the type's own dialog filter names (JPEG's has always
  // shown *.jpg alone; "All" names every extension).
  size_t filter_extensions;
  std::string open_label;  // "JPEG Image File (*.jpg)"
  std::string save_label;  // "TIFF (*.tif)"; empty for a type never written
  bool (*recognises)(const uint8_t* data, size_t size);
  // Writes `raster` with `dpi` recorded, atomically; null for a type never written.
  void (*save)(const Raster& raster, const std::string& path, double dpi);
};

// In the open dialog's order: JPEG, PNG, TIFF, BMP.
const std::vector<PictureFormat>& PictureFormats();
// The types Save writes, in the save dialog's order: BMP (the default), TIFF, PNG.
std::vector<const PictureFormat*> SavedPictureFormats();
const PictureFormat& PictureFormatOf(PictureFileType type);
// "*.tif *.tiff", "*.jpg": the patterns the type's own dialog filter names;
// with `every_extension` all of them ("*.jpg *.jpeg").
std::string PatternsOf(const PictureFormat& format, bool every_extension = false);

// The type a save of `path` writes (Bmp for any name that is not a TIFF or PNG one).
PictureFileType PictureFileTypeOf(const std::string& path);

// Writes `raster` with `dpi` recorded (BMP: the resolution stamp).
void SavePictureFile(const Raster& raster, const std::string& path, double dpi);

}  // namespace lenti
