// Photo recognition and the photo sources the merge slices from.
//
// A photo is known by its content, whatever its name says: the JPEG SOI
// marker or the BMP signature "BM". A JPEG source decodes only the rows and
// columns asked for; a BMP source reads only the file rows they lie on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "core/raster.h"
#include "interlace/frame.h"

namespace lenti {

enum class PhotoKind { Jpeg, Bmp, Other };

// The largest photo file read: the largest raster plus room for headers and
// palette (a JPEG of that size would be far beyond it anyway).
inline constexpr uint64_t kMaxPhotoFileBytes = kMaxRasterBytes + (uint64_t{1} << 20);

// By the first bytes (three are enough).
PhotoKind RecognisePhoto(const uint8_t* head, size_t size);
// By the first bytes of the file only, so that a large file that is no photo
// is refused without reading it. Folders, FIFOs and devices raise
// "Cannot open file ...".
PhotoKind RecognisePhotoFile(const std::string& path);

// The photo formats import takes, as the refusal names them.
inline constexpr const char* kAcceptedPhotoFormats = "JPEG (.jpg, .jpeg) or BMP (.bmp)";

// The refusal of a file that is no photo: the documented text, and on a
// second line the file's name and the formats taken.
std::string FileFormatMessage(const std::string& path);

// A JPEG photo held compressed in memory, decoded by region.
std::unique_ptr<PhotoSource> OpenJpegPhotoSource(const std::string& path);

// The source for the photo at `path`, by its content. A file that is
// neither raises "File format error! \"<path>\" is neither a JPEG nor a BMP photo".
std::unique_ptr<PhotoSource> OpenPhotoSource(const std::string& path);

}  // namespace lenti
