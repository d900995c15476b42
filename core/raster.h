// Raster: a bitmap with its drawing canvas.
//
// Contract:
// - Formats: 1-bit (index 0 black, 1 white by default), 8-bit paletted and
//   24-bit (bytes blue, green, red). Rows are padded to 4 bytes; ScanLine(0)
//   is the top row. Rows outside 0..height-1 raise "Scan line index out of
//   range".
// - A new or grown raster is white; once its canvas has been used (a brush,
//   pen or font set, or anything drawn) the area a resize adds is filled with
//   the solid brush colour instead (a clear brush leaves it white).
// - Drawing never touches memory outside the raster: the parts of a
//   rectangle outside either raster are skipped.
// - Scaled copies (CopyRect of different sizes, StretchDraw) follow the
//   canvas's stretch rule: `AndCombine` on a fresh canvas (source pixels that
//   fall on one destination pixel are combined with bitwise AND, so on 1-bit
//   rasters black wins; enlarging repeats pixels). A StretchDraw of a source
//   deeper than 1 bit switches the canvas to `NearestNeighbour` (drops or
//   repeats rows and columns) until the raster is resized.
// - Allocation is checked against kMaxRasterBytes before any memory is taken
//   ("Out of memory" error otherwise, never a termination).
// - Copying a Raster (copy constructor or Assign) is an exact, independent
//   copy of size, format, palette and pixels.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/color.h"
#include "core/geometry.h"

namespace lenti {

enum class PixelFormat { pf1bit, pf8bit, pf24bit };

// Pixel rows are filled completely right after they are allocated, so the
// buffer skips the zeroing a std::vector would do first (on a 36 MB photo
// that is a second pass over every page).
template <typename T>
struct UninitialisedAllocator : std::allocator<T> {
  template <typename U>
  struct rebind {
    using other = UninitialisedAllocator<U>;
  };
  UninitialisedAllocator() noexcept = default;
  template <typename U>
  UninitialisedAllocator(const UninitialisedAllocator<U>&) noexcept {}
  template <typename U>
  void construct(U* p) noexcept {
    ::new (static_cast<void*>(p)) U;
  }
  template <typename U, typename... Args>
  void construct(U* p, Args&&... args) {
    ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
  }
};
using PixelBuffer = std::vector<uint8_t, UninitialisedAllocator<uint8_t>>;

enum class StretchRule { AndCombine, NearestNeighbour };

// The largest raster the program will allocate: 1 GiB of pixel rows. An A3
// test chart at 3600 dpi (29764 x 51024, 1 bit) needs 190 MB; a 24-bit photo
// of 18000 x 18000 would be 972 MB.
inline constexpr uint64_t kMaxRasterBytes = uint64_t{1} << 30;

// Bytes of one stored row: ((width x bits + 31) / 32) x 4.
uint64_t RowBytes(uint64_t width, PixelFormat format);
int BitsPerPixel(PixelFormat format);
// Raises "Out of memory" when a raster of this size would exceed kMaxRasterBytes
// (or a dimension is negative or beyond 2^31 - 1).
void CheckRasterSize(int64_t width, int64_t height, PixelFormat format);

class Raster {
 public:
  Raster() = default;  // empty: 0 x 0, 24-bit
  Raster(int width, int height, PixelFormat format = PixelFormat::pf24bit);
  // A raster whose pixels the caller writes completely (a decoder's output):
  // only the padding at the end of each row is zeroed, the pixels are left
  // as the memory had them, which saves a pass over a whole photo.
  static Raster ForFilling(int width, int height, PixelFormat format);

  int Width() const { return width_; }
  int Height() const { return height_; }
  PixelFormat Format() const { return format_; }
  bool Empty() const { return width_ == 0 || height_ == 0; }
  size_t Stride() const { return stride_; }

  // Changing the format of a sized raster converts its pixels.
  void SetPixelFormat(PixelFormat format);
  // Keeps the pixels at the top left; fills what grows (see the contract).
  void SetSize(int width, int height);
  void SetWidth(int width) { SetSize(width, height_); }
  void SetHeight(int height) { SetSize(width_, height); }

  uint8_t* ScanLine(int row);
  const uint8_t* ScanLine(int row) const;
  // Unchecked row access for inner loops that have already clipped.
  uint8_t* Row(int row) { return data_.data() + static_cast<size_t>(row) * stride_; }
  const uint8_t* Row(int row) const { return data_.data() + static_cast<size_t>(row) * stride_; }
  uint8_t* Bits() { return data_.data(); }
  const uint8_t* Bits() const { return data_.data(); }

  // The palette of 1-bit (2 entries) and 8-bit (up to 256) rasters.
  const std::vector<Color>& Palette() const { return palette_; }
  void SetPalette(std::vector<Color> palette);

  // Colour of one pixel (palette resolved); (x, y) must lie inside.
  Color PixelColor(int x, int y) const;
  void SetPixelColor(int x, int y, Color color);

  void Assign(const Raster& other) { *this = other; }

  // ---- canvas state ----
  const Brush& GetBrush() const { return brush_; }
  // Setting a colour makes a clear brush solid again.
  void SetBrushColor(Color color);
  // Setting the style to clear also sets the colour to white.
  void SetBrushStyle(BrushStyle style);
  const Pen& GetPen() const { return pen_; }
  void SetPen(const Pen& pen);
  const Font& GetFont() const { return font_; }
  void SetFont(const Font& font);
  StretchRule GetStretchRule() const { return stretch_rule_; }
  bool CanvasUsed() const { return canvas_used_; }
  Rect ClipRect() const { return Rect{0, 0, width_, height_}; }

  // ---- drawing (see the contract for clipping and scaling) ----
  void CopyRect(const Rect& dest, const Raster& source, const Rect& src);
  void StretchDraw(const Rect& dest, const Raster& source);
  // Fills x1..x2-1, y1..y2-1 with the brush (unless clear) and outlines the
  // same area with the pen.
  void Rectangle(int x1, int y1, int x2, int y2);
  void Polyline(const std::vector<Point>& points);
  // Text with the canvas font, top-left corner of its cell at (x, y); a solid
  // brush fills the cell behind the glyphs, a clear brush draws glyphs only.
  void TextOut(int x, int y, const std::string& utf8);
  Size TextExtent(const std::string& utf8);

  // Fills a rectangle with one colour, clipped (no outline, no brush change).
  void FillRect(const Rect& rect, Color color);

 private:
  void Allocate(int width, int height, PixelFormat format);
  void FillAllRows(Color fill);
  void MarkCanvasUsed() { canvas_used_ = true; }

  int width_ = 0;
  int height_ = 0;
  PixelFormat format_ = PixelFormat::pf24bit;
  size_t stride_ = 0;
  PixelBuffer data_;
  std::vector<Color> palette_;

  Brush brush_;
  Pen pen_;
  Font font_;
  StretchRule stretch_rule_ = StretchRule::AndCombine;
  bool canvas_used_ = false;
};

// Index of the palette entry nearest to `color` (squared RGB distance).
uint8_t NearestIndex(const std::vector<Color>& palette, Color color);
// A 256-entry grey palette (entry i is (i, i, i)).
std::vector<Color> GreyPalette();

}  // namespace lenti
