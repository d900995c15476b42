// The rows of a raster as TIFF and PNG files store them, top row first:
// RGB bytes for colour, or 1-bit rows (leftmost pixel in the high bit,
// 0 black) for a black-and-white 1-bit raster. Any other raster is taken
// as its 24-bit colours.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "core/raster.h"

namespace lenti {

class FileRows {
 public:
  explicit FileRows(const Raster& raster);

  int width = 0;
  int height = 0;
  int bits = 24;  // 24 or 1

  size_t FileRowBytes() const;
  // Writes row `y` in file form to `out` (FileRowBytes() bytes).
  void CopyRgbRow(int y, uint8_t* out) const;

 private:
  std::optional<Raster> converted_;  // when the raster's own rows do not fit
  const Raster* source_ = nullptr;
};

}  // namespace lenti
