// Photo recognition and the photo sources the merge slices from.
//
// A photo is known by its content, whatever its name says: the JPEG SOI
// marker, the PNG signature, a TIFF header ("II*\0", "MM\0*") or the BMP
// signature "BM". A JPEG, PNG or TIFF photo is taken as a viewer shows it:
// converted to sRGB from its embedded colour profile and turned as its
// orientation tag says. A JPEG source that needs no turn decodes only the
// rows and columns asked for; a BMP source reads only the file rows they lie
// on; PNG, TIFF and turned JPEG photos are decoded whole once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/raster.h"
#include "interlace/frame.h"

namespace lenti {

enum class PhotoKind { Jpeg, Png, Tiff, Bmp, Other };

// The largest photo file read: the largest raster plus room for headers and
// palette (a JPEG of that size would be far beyond it anyway).
inline constexpr uint64_t kMaxPhotoFileBytes = kMaxRasterBytes + (uint64_t{1} << 20);

// By the first bytes (eight are enough).
PhotoKind RecognisePhoto(const uint8_t* head, size_t size);
// By the first bytes of the file only, so that a large file that is no photo
// is refused without reading it. Folders, FIFOs and devices raise
// "Cannot open file ...".
PhotoKind RecognisePhotoFile(const std::string& path);

// A JPEG, PNG or TIFF photo (`bytes`, the file's content) decoded whole, in
// sRGB and turned: the pixels the window's working file holds.
Raster DecodeViewedPhoto(PhotoKind kind, const std::vector<uint8_t>& bytes, const std::string& name);

// A JPEG photo held compressed in memory, decoded by region (or whole, once,
// when its orientation turns it).
std::unique_ptr<PhotoSource> OpenJpegPhotoSource(const std::string& path);

// The source for the photo at `path`, by its content. Any other file
// raises "File format error! \"<path>\" is not a JPEG, PNG, TIFF or BMP photo".
std::unique_ptr<PhotoSource> OpenPhotoSource(const std::string& path);

}  // namespace lenti
