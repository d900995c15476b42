#include "core/raster.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>

#include "core/error.h"
#include "core/text.h"

namespace lenti {

int FontPixelHeight(const Font& font) {
  // In 64 bits and clamped: a size typed into the font dialog can be anything.
  const int64_t pixels = std::llround(font.size * 96.0 / 72.0 * font.scale);
  return static_cast<int>(std::clamp<int64_t>(pixels, INT_MIN + 1, INT_MAX));
}

int BitsPerPixel(PixelFormat format) {
  switch (format) {
    case PixelFormat::pf1bit:
      return 1;
    case PixelFormat::pf8bit:
      return 8;
    case PixelFormat::pf24bit:
      return 24;
  }
  return 24;
}

uint64_t RowBytes(uint64_t width, PixelFormat format) {
  return (width * static_cast<uint64_t>(BitsPerPixel(format)) + 31) / 32 * 4;
}

void CheckRasterSize(int64_t width, int64_t height, PixelFormat format) {
  if (width < 0 || height < 0 || width > INT32_MAX || height > INT32_MAX) throw OutOfMemory();
  const uint64_t row = RowBytes(static_cast<uint64_t>(width), format);
  if (height != 0 && row > kMaxRasterBytes / static_cast<uint64_t>(height)) throw OutOfMemory();
}

std::vector<Color> GreyPalette() {
  std::vector<Color> palette(256);
  for (int i = 0; i < 256; ++i) {
    const auto v = static_cast<uint8_t>(i);
    palette[i] = Color{v, v, v};
  }
  return palette;
}

uint8_t NearestIndex(const std::vector<Color>& palette, Color color) {
  int best = 0;
  long best_distance = -1;
  for (size_t i = 0; i < palette.size(); ++i) {
    const long dr = long{palette[i].r} - color.r;
    const long dg = long{palette[i].g} - color.g;
    const long db = long{palette[i].b} - color.b;
    const long distance = dr * dr + dg * dg + db * db;
    if (best_distance < 0 || distance < best_distance) {
      best_distance = distance;
      best = static_cast<int>(i);
    }
  }
  return static_cast<uint8_t>(best);
}

namespace {

std::vector<Color> DefaultPalette(PixelFormat format) {
  if (format == PixelFormat::pf1bit) return {kBlack, kWhite};
  if (format == PixelFormat::pf8bit) return GreyPalette();
  return {};
}

}  // namespace

Raster::Raster(int width, int height, PixelFormat format) : format_(format) {
  palette_ = DefaultPalette(format);
  SetSize(width, height);
}

Raster Raster::ForFilling(int width, int height, PixelFormat format) {
  if (width < 0 || height < 0) throw OutOfMemory();
  Raster r;
  r.format_ = format;
  r.palette_ = DefaultPalette(format);
  r.Allocate(width, height, format);
  const size_t used = (static_cast<size_t>(width) * BitsPerPixel(format) + 7) / 8;
  if (used < r.stride_) {
    for (int y = 0; y < height; ++y) std::memset(r.Row(y) + used, 0, r.stride_ - used);
  }
  return r;
}

void Raster::Allocate(int width, int height, PixelFormat format) {
  CheckRasterSize(width, height, format);
  const size_t stride = static_cast<size_t>(RowBytes(static_cast<uint64_t>(width), format));
  PixelBuffer data;
  try {
    data.resize(stride * static_cast<size_t>(height));
  } catch (const std::bad_alloc&) {
    throw OutOfMemory();
  } catch (const std::length_error&) {
    throw OutOfMemory();
  }
  data_.swap(data);
  width_ = width;
  height_ = height;
  stride_ = stride;
}

// The first row is zeroed (padding and unused bits stay 0, as in the files
// we write) and filled, then copied to every other row: one pass over memory.
void Raster::FillAllRows(Color fill) {
  if (Empty()) return;
  std::memset(Row(0), 0, stride_);
  FillRect(Rect{0, 0, width_, 1}, fill);
  for (int y = 1; y < height_; ++y) std::memcpy(Row(y), Row(0), stride_);
}

void Raster::SetSize(int width, int height) {
  if (width < 0 || height < 0) throw OutOfMemory();
  if (palette_.empty()) palette_ = DefaultPalette(format_);
  if (width == width_ && height == height_ && !data_.empty()) return;
  Raster old;
  old.width_ = width_;
  old.height_ = height_;
  old.stride_ = stride_;
  old.format_ = format_;
  old.data_.swap(data_);
  try {
    Allocate(width, height, format_);
  } catch (...) {
    data_.swap(old.data_);  // a failed resize keeps the raster as it was
    throw;
  }
  const Color fill =
      canvas_used_ && brush_.style == BrushStyle::Solid ? brush_.color : kWhite;
  FillAllRows(fill);
  const int keep_rows = std::min(old.height_, height_);
  const size_t keep_bytes = std::min(old.stride_, stride_);
  const int keep_width = std::min(old.width_, width_);
  for (int y = 0; y < keep_rows; ++y) {
    if (format_ == PixelFormat::pf1bit) {
      // Whole bytes, then the bits of the last partial byte.
      const int full = keep_width / 8;
      std::memcpy(Row(y), old.Row(y), static_cast<size_t>(full));
      for (int x = full * 8; x < keep_width; ++x) {
        const uint8_t mask = static_cast<uint8_t>(0x80u >> (x & 7));
        uint8_t& byte = Row(y)[x >> 3];
        byte = static_cast<uint8_t>((byte & ~mask) | (old.Row(y)[x >> 3] & mask));
      }
    } else {
      const size_t bytes = std::min(keep_bytes, static_cast<size_t>(keep_width) *
                                                    static_cast<size_t>(BitsPerPixel(format_) / 8));
      std::memcpy(Row(y), old.Row(y), bytes);
    }
  }
  stretch_rule_ = StretchRule::AndCombine;
}

void Raster::SetPixelFormat(PixelFormat format) {
  if (format == format_) return;
  if (Empty()) {
    format_ = format;
    palette_ = DefaultPalette(format);
    return;
  }
  Raster converted(width_, height_, format);
  converted.CopyRect(ClipRect(), *this, ClipRect());
  converted.brush_ = brush_;
  converted.pen_ = pen_;
  converted.font_ = font_;
  converted.canvas_used_ = canvas_used_;
  *this = std::move(converted);
}

uint8_t* Raster::ScanLine(int row) {
  if (row < 0 || row >= height_) throw ScanLineOutOfRange();
  return Row(row);
}

const uint8_t* Raster::ScanLine(int row) const {
  if (row < 0 || row >= height_) throw ScanLineOutOfRange();
  return Row(row);
}

void Raster::SetPalette(std::vector<Color> palette) { palette_ = std::move(palette); }

Color Raster::PixelColor(int x, int y) const {
  const uint8_t* row = Row(y);
  switch (format_) {
    case PixelFormat::pf24bit:
      return Color{row[x * 3 + 2], row[x * 3 + 1], row[x * 3]};
    case PixelFormat::pf8bit: {
      const uint8_t index = row[x];
      return index < palette_.size() ? palette_[index] : kBlack;
    }
    case PixelFormat::pf1bit: {
      const int index = (row[x >> 3] >> (7 - (x & 7))) & 1;
      return static_cast<size_t>(index) < palette_.size() ? palette_[index] : kBlack;
    }
  }
  return kBlack;
}

void Raster::SetPixelColor(int x, int y, Color color) {
  uint8_t* row = Row(y);
  switch (format_) {
    case PixelFormat::pf24bit:
      row[x * 3] = color.b;
      row[x * 3 + 1] = color.g;
      row[x * 3 + 2] = color.r;
      break;
    case PixelFormat::pf8bit:
      row[x] = NearestIndex(palette_, color);
      break;
    case PixelFormat::pf1bit: {
      const uint8_t mask = static_cast<uint8_t>(0x80u >> (x & 7));
      if (NearestIndex(palette_, color) != 0) {
        row[x >> 3] |= mask;
      } else {
        row[x >> 3] &= static_cast<uint8_t>(~mask);
      }
      break;
    }
  }
}

void Raster::SetBrushColor(Color color) {
  MarkCanvasUsed();
  brush_.color = color;
  brush_.style = BrushStyle::Solid;
}

void Raster::SetBrushStyle(BrushStyle style) {
  MarkCanvasUsed();
  brush_.style = style;
  if (style == BrushStyle::Clear) brush_.color = kWhite;
}

void Raster::SetPen(const Pen& pen) {
  MarkCanvasUsed();
  pen_ = pen;
}

void Raster::SetFont(const Font& font) {
  MarkCanvasUsed();
  font_ = font;
}

void Raster::FillRect(const Rect& rect, Color color) {
  const int x1 = std::max(rect.left, 0);
  const int y1 = std::max(rect.top, 0);
  const int x2 = std::min(rect.right, width_);
  const int y2 = std::min(rect.bottom, height_);
  if (x1 >= x2 || y1 >= y2) return;
  switch (format_) {
    case PixelFormat::pf24bit: {
      uint8_t* first = Row(y1) + static_cast<size_t>(x1) * 3;
      for (int x = x1; x < x2; ++x) {
        uint8_t* p = Row(y1) + static_cast<size_t>(x) * 3;
        p[0] = color.b;
        p[1] = color.g;
        p[2] = color.r;
      }
      const size_t bytes = static_cast<size_t>(x2 - x1) * 3;
      for (int y = y1 + 1; y < y2; ++y) std::memcpy(Row(y) + static_cast<size_t>(x1) * 3, first, bytes);
      break;
    }
    case PixelFormat::pf8bit: {
      const uint8_t index = NearestIndex(palette_, color);
      for (int y = y1; y < y2; ++y) std::memset(Row(y) + x1, index, static_cast<size_t>(x2 - x1));
      break;
    }
    case PixelFormat::pf1bit: {
      const bool set = NearestIndex(palette_, color) != 0;
      for (int y = y1; y < y2; ++y) {
        uint8_t* row = Row(y);
        int x = x1;
        for (; x < x2 && (x & 7) != 0; ++x) {
          const uint8_t mask = static_cast<uint8_t>(0x80u >> (x & 7));
          row[x >> 3] = set ? (row[x >> 3] | mask) : (row[x >> 3] & ~mask);
        }
        const int full_end = x2 & ~7;
        if (x < full_end) {
          std::memset(row + (x >> 3), set ? 0xFF : 0x00, static_cast<size_t>((full_end - x) >> 3));
          x = full_end;
        }
        for (; x < x2; ++x) {
          const uint8_t mask = static_cast<uint8_t>(0x80u >> (x & 7));
          row[x >> 3] = set ? (row[x >> 3] | mask) : (row[x >> 3] & ~mask);
        }
      }
      break;
    }
  }
}

namespace {

int32_t ClampToInt32(int64_t v) {
  return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

Rect ClampedRect(int64_t left, int64_t top, int64_t right, int64_t bottom) {
  return Rect{ClampToInt32(left), ClampToInt32(top), ClampToInt32(right), ClampToInt32(bottom)};
}

__extension__ typedef __int128 Int128;

// n / d rounded to nearest, halves away from zero (d > 0).
int64_t RoundedQuotient(Int128 n, int64_t d) {
  return static_cast<int64_t>(n >= 0 ? (n + d / 2) / d : -((-n + d / 2) / d));
}

}  // namespace

void Raster::Rectangle(int x1, int y1, int x2, int y2) {
  MarkCanvasUsed();
  if (x2 < x1) std::swap(x1, x2);
  if (y2 < y1) std::swap(y1, y2);
  if (brush_.style == BrushStyle::Solid) FillRect(Rect{x1, y1, x2, y2}, brush_.color);
  const int64_t w = std::max(pen_.width, 1);
  // Outline inside the area, `w` pixels thick; edges in 64 bits, so an area
  // at the ends of the coordinate range cannot overflow.
  const int64_t l = x1, t = y1, r = x2, b = y2;
  FillRect(ClampedRect(l, t, r, std::min(t + w, b)), pen_.color);
  FillRect(ClampedRect(l, std::max(b - w, t), r, b), pen_.color);
  FillRect(ClampedRect(l, t, std::min(l + w, r), b), pen_.color);
  FillRect(ClampedRect(std::max(r - w, l), t, r, b), pen_.color);
}

void Raster::Polyline(const std::vector<Point>& points) {
  MarkCanvasUsed();
  // A pen wider than the raster covers it whole; the clamp keeps sums small.
  const int64_t w = std::clamp<int64_t>(pen_.width, 1, int64_t{std::max(width_, height_)} + 1);
  for (size_t i = 1; i < points.size(); ++i) {
    // Point k of a segment of n steps is its start plus k/n of the way,
    // rounded; like the system's line drawing the last point is not set.
    const int64_t x0 = points[i - 1].x, y0 = points[i - 1].y;
    const int64_t dx = int64_t{points[i].x} - x0, dy = int64_t{points[i].y} - y0;
    const int64_t steps = std::max(std::abs(dx), std::abs(dy));
    if (steps == 0) continue;
    // Only the steps whose major coordinate lies near the raster are walked,
    // so a far-away point costs nothing.
    const bool along_x = std::abs(dx) == steps;
    const int64_t start = along_x ? x0 : y0;
    const int64_t sign = (along_x ? dx : dy) > 0 ? 1 : -1;
    const int64_t lo = -w, hi = along_x ? width_ : height_;
    int64_t first = sign > 0 ? lo - start : start - hi;
    int64_t last = sign > 0 ? hi - start : start - lo;
    first = std::max<int64_t>(first, 0);
    last = std::min(last, steps - 1);
    for (int64_t k = first; k <= last; ++k) {
      const int64_t x = x0 + RoundedQuotient(Int128(k) * dx, steps);
      const int64_t y = y0 + RoundedQuotient(Int128(k) * dy, steps);
      if (x < -w || y < -w || x > width_ || y > height_) continue;
      FillRect(ClampedRect(x, y, x + w, y + w), pen_.color);
    }
  }
}

void Raster::TextOut(int x, int y, const std::string& utf8) {
  MarkCanvasUsed();
  const Color background = brush_.color;
  DrawText(*this, x, y, utf8, font_, brush_.style == BrushStyle::Solid ? &background : nullptr);
}

Size Raster::TextExtent(const std::string& utf8) { return MeasureText(font_, utf8); }

}  // namespace lenti
