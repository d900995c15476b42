// Frame preparation: the framed part of a photo cut out at full resolution
// (only the pixels the crop covers are read) and squeezed to the slice
// size, the output divided by n across the strips.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "core/geometry.h"
#include "core/maker_state.h"
#include "core/raster.h"

namespace lenti {

// A photo that can deliver parts of itself.
class PhotoSource {
 public:
  virtual ~PhotoSource() = default;
  virtual Size PixelSize() const = 0;
  // The pixels of `region` clipped to the photo, exactly as a full decode
  // has them there; an empty Raster when nothing of it lies inside.
  virtual Raster ReadRegion(const Rect& region) = 0;
  // Bytes of memory held while `region` is delivered (an upper bound: the
  // source's own buffers and the region's pixels).
  virtual uint64_t PeakBytes(const Rect& region) const = 0;
};

// Opens the photo at `path` (raises the reader's error for a bad file).
using PhotoOpener = std::function<std::unique_ptr<PhotoSource>(const std::string& path)>;

// A BMP file read by rows: only the rows (and columns) a region covers.
// The window's working files are BMP files by content, whatever their name.
std::unique_ptr<PhotoSource> OpenBmpPhotoSource(const std::string& path);

// The crop rectangle of a slot in source pixels (view coordinate v maps to
// Round((v - offset) x scale / 10000), product first).
Rect MapCropToSource(const CropRecord& record, int64_t scale);

// "The crop rectangle of photo 3 is empty" (slot < 1: no photo named).
std::string EmptyCropText(int slot);

// Cuts `crop` (source pixels) out of the photo, pixels outside it white, and
// draws it scaled onto a 24-bit slice (nearest neighbour as StretchDraw, or
// by area). Raises EmptyCropText before anything is read for an empty or
// inverted rectangle.
Raster SliceFromSource(PhotoSource& source, const Rect& crop, Size slice, int slot,
                       Sampling sampling = Sampling::Nearest);

// A crop raster drawn scaled onto a new 24-bit slice (StretchDraw,
// proportions not kept).
Raster ScaleCropToSlice(const Raster& crop, Size slice);

// Writes `slice` as the working file `work_file` through a temporary file
// renamed over it, so a failure never leaves a half-written working file.
void WriteWorkFileAtomically(const Raster& slice, const std::string& work_file);

}  // namespace lenti
