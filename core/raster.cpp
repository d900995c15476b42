#include "core/raster.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>

#include "core/error.h"
#include "core/text.h"

namespace lenti {

int FontPixelHeight(const Font& font) {
  return static_cast<int>(std::lround(font.size * 96.0 / 72.0));
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

void Raster::Allocate(int width, int height, PixelFormat format) {
  CheckRasterSize(width, height, format);
  const size_t stride = static_cast<size_t>(RowBytes(static_cast<uint64_t>(width), format));
  std::vector<uint8_t> data;
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
  FillRect(ClipRect(), fill);
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

void Raster::Rectangle(int x1, int y1, int x2, int y2) {
  MarkCanvasUsed();
  if (x2 < x1) std::swap(x1, x2);
  if (y2 < y1) std::swap(y1, y2);
  if (brush_.style == BrushStyle::Solid) FillRect(Rect{x1, y1, x2, y2}, brush_.color);
  const int w = std::max(pen_.width, 1);
  // Outline inside the area, `w` pixels thick.
  FillRect(Rect{x1, y1, x2, std::min(y1 + w, y2)}, pen_.color);
  FillRect(Rect{x1, std::max(y2 - w, y1), x2, y2}, pen_.color);
  FillRect(Rect{x1, y1, std::min(x1 + w, x2), y2}, pen_.color);
  FillRect(Rect{std::max(x2 - w, x1), y1, x2, y2}, pen_.color);
}

void Raster::Polyline(const std::vector<Point>& points) {
  MarkCanvasUsed();
  const int w = std::max(pen_.width, 1);
  auto plot = [&](int x, int y) { FillRect(Rect{x, y, x + w, y + w}, pen_.color); };
  for (size_t i = 1; i < points.size(); ++i) {
    // Bresenham; like the system's line drawing the last point is not set.
    int x0 = points[i - 1].x, y0 = points[i - 1].y;
    const int x1 = points[i].x, y1 = points[i].y;
    const int dx = std::abs(x1 - x0), sx = x0 < x1 ? 1 : -1;
    const int dy = -std::abs(y1 - y0), sy = y0 < y1 ? 1 : -1;
    int err = dx + dy;
    // Bound the walk to the raster's neighbourhood so a far-away point costs nothing.
    const long steps = std::max(dx, -dy);
    for (long s = 0; s < steps; ++s) {
      if (x0 >= -w && y0 >= -w && x0 <= width_ && y0 <= height_) plot(x0, y0);
      const int e2 = 2 * err;
      if (e2 >= dy) {
        err += dy;
        x0 += sx;
      }
      if (e2 <= dx) {
        err += dx;
        y0 += sy;
      }
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
