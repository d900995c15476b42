// Frame preparation: the framed part of a photo cut out at full resolution
// and squeezed to the slice size (the output divided by n across the strips).
#include <algorithm>
#include <limits>
#include <utility>

#include "core/bmp_reader.h"
#include "core/bmp_writer.h"
#include "core/error.h"
#include "core/file_io.h"
#include "core/numerics.h"
#include "interlace/area_sampling.h"
#include "interlace/frame.h"

namespace lenti {

namespace {

// Round((v - offset) x scale / 10000): the product is formed first, in
// extended precision, then divided.
int32_t MapCoordinate(int32_t v, int32_t offset, int64_t scale) {
  const Extended product = static_cast<Extended>(int64_t{v} - offset) * static_cast<Extended>(scale);
  const int64_t mapped = Round(product / 10000);
  if (mapped < std::numeric_limits<int32_t>::min() || mapped > std::numeric_limits<int32_t>::max()) {
    throw InvalidFloatOperation();
  }
  return static_cast<int32_t>(mapped);
}

uint64_t Area(int64_t w, int64_t h) { return w > 0 && h > 0 ? uint64_t(w) * uint64_t(h) : 0; }

uint64_t PixelBytes(int64_t w, int64_t h, PixelFormat format) {
  return Area(w, h) == 0 ? 0 : RowBytes(static_cast<uint64_t>(w), format) * static_cast<uint64_t>(h);
}

class BmpPhotoSource : public PhotoSource {
 public:
  explicit BmpPhotoSource(const std::string& path) : reader_(path) {}
  Size PixelSize() const override { return Size{reader_.Width(), reader_.Height()}; }
  Raster ReadRegion(const Rect& region) override { return reader_.ReadRegion(region); }
  uint64_t PeakBytes(const Rect& region) const override {
    const Rect inside = region.Intersected(Rect{0, 0, reader_.Width(), reader_.Height()});
    // The region's pixels and one file row of scratch.
    return PixelBytes(inside.Width(), inside.Height(), reader_.Format()) + reader_.FileRowBytes() * 4;
  }

 private:
  BmpFileReader reader_;
};

}  // namespace

Raster ScaleCropToSlice(const Raster& crop, Size slice_size) {
  if (slice_size.width <= 0 || slice_size.height <= 0) {
    throw Error(Format("The slice size %d x %d is empty", slice_size.width, slice_size.height));
  }
  Raster slice(slice_size.width, slice_size.height, PixelFormat::pf24bit);
  slice.StretchDraw(slice.ClipRect(), crop);
  return slice;
}

Rect MapCropToSource(const CropRecord& record, int64_t scale) {
  return Rect{MapCoordinate(record.Left, record.OffsetX, scale),
              MapCoordinate(record.Top, record.OffsetY, scale),
              MapCoordinate(record.Right, record.OffsetX, scale),
              MapCoordinate(record.Bottom, record.OffsetY, scale)};
}

std::string EmptyCropText(int slot) {
  if (slot < 1) return "The crop rectangle is empty";
  return Format("The crop rectangle of photo %d is empty", slot);
}

std::unique_ptr<PhotoSource> OpenBmpPhotoSource(const std::string& path) {
  return std::make_unique<BmpPhotoSource>(path);
}

// The crop is held whole while it is scaled: one too large for memory is
// named with its photo and size rather than a bare "Out of memory".
void RequireCropFitsInMemory(const Rect& crop, int slot) {
  try {
    CheckRasterSize(crop.Width(), crop.Height(), PixelFormat::pf24bit);
  } catch (const Error&) {
    const std::string photo = slot < 1 ? "" : Format(" of photo %d", slot);
    throw Error(Format("The crop rectangle%s is too large: %d x %d pixels would need more than %llu MiB",
                       photo.c_str(), crop.Width(), crop.Height(),
                       static_cast<unsigned long long>(kMaxRasterBytes >> 20)));
  }
}

Raster SliceFromSource(PhotoSource& source, const Rect& crop, Size slice, int slot, Sampling sampling) {
  if (crop.IsEmpty()) throw Error(EmptyCropText(slot));
  RequireCropFitsInMemory(crop, slot);
  const Size size = source.PixelSize();
  const Rect region = crop.Intersected(Rect{0, 0, size.width, size.height});
  Raster pixels;
  if (!region.IsEmpty()) pixels = source.ReadRegion(region);
  // A 24-bit region that is the whole crop needs no copy before scaling.
  if (!region.IsEmpty() && region == crop && pixels.Format() == PixelFormat::pf24bit) {
    return ScaleCropBySampling(pixels, slice, sampling);
  }
  // The crop raster: the region copied pixel for pixel; whatever of the
  // crop lies outside the photo stays white.
  Raster cropped(crop.Width(), crop.Height(), PixelFormat::pf24bit);
  if (!region.IsEmpty()) {
    const Rect dest{region.left - crop.left, region.top - crop.top, region.right - crop.left,
                    region.bottom - crop.top};
    cropped.CopyRect(dest, pixels, pixels.ClipRect());
  }
  pixels = Raster();
  return ScaleCropBySampling(cropped, slice, sampling);
}

void WriteWorkFileAtomically(const Raster& slice, const std::string& work_file) {
  AtomicFile file(work_file);
  SaveBmpFile(slice, file.TempPath(), work_file);
  file.Commit();
}

}  // namespace lenti
