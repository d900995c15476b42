// Picture holder: what an image control shows. Empty, a raster, or a JPEG
// image (decoded on first use).
//
// LoadFromFile picks the reader by the file name's extension regardless of
// case: "bmp" a raster, "jpg"/"jpeg" a JPEG image. A name with an empty
// extension (empty name, no dot, trailing dot) leaves an empty picture
// without error; any other extension raises "Unknown picture file extension
// (.%s)". On any failure the holder keeps its previous picture.
// Copies share the immutable pixels, so copying a Picture is cheap.
#pragma once

#include <memory>
#include <string>

#include "core/raster.h"

namespace lenti {

class Picture {
 public:
  enum class Kind { Empty, Bitmap, Jpeg };

  Picture() = default;
  explicit Picture(Raster raster);

  Kind GetKind() const { return kind_; }
  bool IsEmpty() const { return kind_ == Kind::Empty; }
  int Width() const;
  int Height() const;

  void LoadFromFile(const std::string& path);
  void Clear();

  // The pixels: the raster, or the decoded JPEG. Empty raster when empty.
  const Raster& Graphic() const;
  // The raster to draw on: "Can only modify an image if it contains a
  // bitmap" for a JPEG or empty-by-name picture. An empty picture made by
  // Clear() becomes a white raster of `fallback` size first.
  Raster& BitmapForDrawing(Size fallback);

 private:
  struct JpegData;
  Kind kind_ = Kind::Empty;
  bool empty_from_load_ = false;
  std::shared_ptr<Raster> raster_;
  std::shared_ptr<JpegData> jpeg_;
};

}  // namespace lenti
