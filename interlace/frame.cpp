// Frame preparation: the framed part of a photo cut out at full resolution
// and squeezed to the slice size (the output divided by n across the strips).
#include <algorithm>
#include <limits>
#include <utility>

#include "core/bmp_writer.h"
#include "core/error.h"
#include "core/file_io.h"
#include "core/numerics.h"
#include "interlace/merge.h"
#include "interlace/merge_pipeline.h"

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

std::string EmptyCropText(int slot) {
  if (slot < 1) return "The crop rectangle is empty";
  return Format("The crop rectangle of photo %d is empty", slot);
}

// The part of `wanted` that lies inside a w x h raster (may be empty).
Rect ClipToRaster(const Rect& wanted, int w, int h) {
  return Rect{std::max(wanted.left, 0), std::max(wanted.top, 0), std::min(wanted.right, w),
              std::min(wanted.bottom, h)};
}

// The crop raster: the source rectangle copied pixel for pixel; whatever of
// it lies outside the photo stays white.
Raster CropRaster(const Raster& photo, const Rect& source_rect, int slot) {
  if (source_rect.Width() <= 0 || source_rect.Height() <= 0) throw Error(EmptyCropText(slot));
  Raster crop(source_rect.Width(), source_rect.Height(), PixelFormat::pf24bit);
  const Rect inside = ClipToRaster(source_rect, photo.Width(), photo.Height());
  if (inside.Width() > 0 && inside.Height() > 0) {
    const Rect dest{inside.left - source_rect.left, inside.top - source_rect.top,
                    inside.right - source_rect.left, inside.bottom - source_rect.top};
    crop.CopyRect(dest, photo, inside);
  }
  return crop;
}

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

Raster MakeSlice(const Raster& photo, const Rect& source_rect, Size slice, int slot) {
  return ScaleCropToSlice(CropRaster(photo, source_rect, slot), slice);
}

Raster MakeSlice(const Raster& photo, const Rect& source_rect, Size slice) {
  return MakeSlice(photo, source_rect, slice, 0);
}

void WriteWorkFileAtomically(const Raster& slice, const std::string& work_file) {
  AtomicFile file(work_file);
  SaveBmpFile(slice, file.TempPath(), work_file);
  file.Commit();
}

Raster PrepareFrame(const MakerState& state, const OutputGeometry& geometry, Mode mode,
                    const std::string& slot_file, const std::string& work_file, int index) {
  const int slot = index + 1;
  const Rect source_rect = MapCropToSource(state.photos.CropRects.at(index), state.photos.CropScales.at(index));
  const Size slice_size =
      SliceSize(geometry.OutputWidth, geometry.OutputHeight, state.photos.FrameCount, mode);
  // An empty rectangle is refused before a large photo is read for nothing.
  if (source_rect.Width() <= 0 || source_rect.Height() <= 0) throw Error(EmptyCropText(slot));
  Raster slice = SliceFromSource(*OpenBmpPhotoSource(slot_file), source_rect, slice_size, slot);
  WriteWorkFileAtomically(slice, work_file);
  return slice;
}

}  // namespace lenti
