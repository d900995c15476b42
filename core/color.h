// Colours, brush, pen and font of a canvas.
#pragma once

#include <cstdint>
#include <string>

namespace lenti {

struct Color {
  uint8_t r = 0;
  uint8_t g = 0;
  uint8_t b = 0;
  friend bool operator==(const Color&, const Color&) = default;
};

inline constexpr Color kBlack{0, 0, 0};
inline constexpr Color kWhite{255, 255, 255};
inline constexpr Color kRed{255, 0, 0};

enum class BrushStyle { Solid, Clear };

struct Brush {
  Color color = kWhite;
  BrushStyle style = BrushStyle::Solid;
};

struct Pen {
  Color color = kBlack;
  int width = 1;  // 0 and 1 both draw one pixel wide
};

// A font as the canvas and the font dialog know it. `size` is in points; the
// glyphs are size x 96 / 72 pixels high whatever raster they are drawn on.
struct Font {
  std::string family = "MS Sans Serif";
  int size = 8;
  bool bold = false;
  bool italic = false;
  bool underline = false;
  bool strikeout = false;
  Color color = kBlack;
  // Drawn this many times its size: a picture at another resolution than
  // the one its text is sized for draws it larger, so that it prints as high.
  double scale = 1;
  friend bool operator==(const Font&, const Font&) = default;
};

// Pixel height of the glyphs of `font`: points x 96 / 72 x scale, rounded.
int FontPixelHeight(const Font& font);

}  // namespace lenti
