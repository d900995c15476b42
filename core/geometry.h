// Small value types in pixels: points, sizes and rectangles (right and bottom
// exclusive, so (0, 0, w, h) covers a whole w x h raster).
#pragma once

#include <cstdint>

namespace lenti {

struct Point {
  int32_t x = 0;
  int32_t y = 0;
  friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
  int32_t width = 0;
  int32_t height = 0;
  friend bool operator==(const Size&, const Size&) = default;
};

struct Rect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
  int32_t Width() const { return right - left; }
  int32_t Height() const { return bottom - top; }
  bool IsEmpty() const { return right <= left || bottom <= top; }
  // The part of this rectangle that lies inside `other`; an empty rectangle
  // (IsEmpty()) when they do not overlap.
  Rect Intersected(const Rect& other) const {
    const Rect r{left > other.left ? left : other.left, top > other.top ? top : other.top,
                 right < other.right ? right : other.right,
                 bottom < other.bottom ? bottom : other.bottom};
    return r;
  }
  friend bool operator==(const Rect&, const Rect&) = default;
};

}  // namespace lenti
