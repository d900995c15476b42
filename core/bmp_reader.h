// BMP files: the reader.
//
// 1, 4, 8, 16, 24 and 32 bits per pixel; bottom-up and top-down; BI_RGB and
// BI_BITFIELDS. 1- and 8-bit files keep their depth and palette; 4-bit files
// become 8-bit paletted; 16- and 32-bit files become 24-bit. Every header
// field is validated before use; a bad file raises an Error naming the file
// and the fault, never reads out of bounds, and never allocates more than
// kMaxRasterBytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "core/file_io.h"
#include "core/geometry.h"
#include "core/raster.h"

namespace lenti {

// Decodes a BMP held in memory; `name` is used in error texts.
Raster DecodeBmp(const uint8_t* data, size_t size, const std::string& name);
// Reads a BMP file ("Cannot open file ..." when it cannot be read).
Raster LoadBmpFile(const std::string& path);

// True when the bytes start with the BMP signature "BM".
bool LooksLikeBmp(const uint8_t* data, size_t size);

// A BMP file open for reading parts of it: the headers are read and
// validated on opening (the same checks and texts as LoadBmpFile), the
// pixels only on request, and only the file rows a region covers.
class BmpFileReader {
 public:
  explicit BmpFileReader(const std::string& path);
  ~BmpFileReader();
  BmpFileReader(const BmpFileReader&) = delete;
  BmpFileReader& operator=(const BmpFileReader&) = delete;

  int Width() const;
  int Height() const;
  // The format a full decode gives (1-bit, 8-bit paletted or 24-bit).
  PixelFormat Format() const;
  // Bytes per pixel row of the file as stored (for memory estimates).
  uint64_t FileRowBytes() const;

  // The pixels of `region` clipped to the picture, exactly as a full
  // decode has them there, palette included. An empty Raster when the
  // region lies wholly outside.
  Raster ReadRegion(const Rect& region);
  // The whole picture (what LoadBmpFile gives).
  Raster ReadAll();

 private:
  InputFile file_;
  struct Layout;
  std::unique_ptr<Layout> layout_;
};

}  // namespace lenti
