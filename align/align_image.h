// A photo made ready for alignment: its grey pixels at full size and a few
// reduced copies (each a quarter of the one before, down to about 400
// pixels across), so that a search starts coarse and is refined at full
// size near the answer. The pixels live behind this header; what uses it
// never sees the image library.
#pragma once

#include <memory>

#include "core/geometry.h"
#include "core/raster.h"

namespace lenti {

struct AlignPyramid;  // the grey levels, private to the library

class AlignImage {
 public:
  // Any raster format (paletted ones through their palette). An empty
  // raster raises an Error.
  explicit AlignImage(const Raster& photo);
  ~AlignImage();
  AlignImage(AlignImage&&) noexcept;
  AlignImage& operator=(AlignImage&&) noexcept;

  Size PixelSize() const;
  const AlignPyramid& Levels() const { return *levels_; }

 private:
  std::unique_ptr<AlignPyramid> levels_;
};

}  // namespace lenti
