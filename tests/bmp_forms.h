// Hand-made BMP files and test pictures shared by the reader, writer and
// stamp tests: the forms the program's own writer never makes, every depth
// and header size, and the colours a reader must give for them.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <string>
#include <vector>

#include "core/raster.h"

namespace lenti::bmp_forms {


inline std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

inline void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline uint32_t Get32(const std::vector<uint8_t>& b, size_t at) {
  return uint32_t{b[at]} | (uint32_t{b[at + 1]} << 8) | (uint32_t{b[at + 2]} << 16) |
         (uint32_t{b[at + 3]} << 24);
}
inline uint16_t Get16(const std::vector<uint8_t>& b, size_t at) {
  return static_cast<uint16_t>(b[at] | (b[at + 1] << 8));
}
inline void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}
inline void Put16(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  b[at] = static_cast<uint8_t>(v);
  b[at + 1] = static_cast<uint8_t>(v >> 8);
}

inline constexpr int kW = 47;
inline constexpr int kH = 33;

// The colour every test image has at (x, y).
inline Color GradientAt(int x, int y) {
  return Color{static_cast<uint8_t>(x * 5), static_cast<uint8_t>(y * 7), static_cast<uint8_t>((x ^ y) * 3)};
}

// ---- a test-local writer for the forms the program's writer never makes ----

struct HandMade {
  int bits = 24;
  uint32_t header = 40;  // 12, 40, 52, 56, 108 or 124
  bool bitfields = false;
  uint32_t masks[3] = {0, 0, 0};
  bool top_down = false;
  uint32_t palette_used = 0;  // biClrUsed; 0 = full table
};

// Palette entry i of the hand-made paletted files (distinct, non-grey).
inline Color PaletteColour(int i) {
  return Color{static_cast<uint8_t>(i * 37 + 11), static_cast<uint8_t>(255 - i * 13),
               static_cast<uint8_t>(i * 91 + 5)};
}

inline int IndexAt(int bits, int x, int y) { return (x * 3 + y * 5) % (1 << bits); }

// Scales a value of a `bits`-wide field to 0..255 (the expectation).
inline uint8_t Expand(uint32_t value, int bits) {
  if (bits >= 8) return static_cast<uint8_t>(value >> (bits - 8));
  return static_cast<uint8_t>(std::lround(value * 255.0 / ((1u << bits) - 1)));
}

inline int MaskShift(uint32_t mask) { return mask == 0 ? 0 : __builtin_ctz(mask); }
inline int MaskBits(uint32_t mask) { return __builtin_popcount(mask); }

// The value the field `mask` holds at (x, y): the gradient channel cut to the field's width.
inline uint32_t FieldValue(uint32_t mask, uint8_t channel) {
  const int bits = MaskBits(mask);
  return bits >= 8 ? uint32_t{channel} << (bits - 8) : uint32_t{channel} >> (8 - bits);
}

inline std::vector<uint8_t> MakeFile(const HandMade& form, int width = kW, int height = kH) {
  const bool core = form.header == 12;
  const int bits = form.bits;
  const uint32_t entries = bits <= 8 ? (form.palette_used ? form.palette_used : (1u << bits)) : 0;
  const uint32_t entry_bytes = core ? 3 : 4;
  const uint32_t mask_bytes = form.bitfields && form.header == 40 ? 12 : 0;
  const uint32_t offset = 14 + form.header + mask_bytes + entries * entry_bytes;
  const uint32_t row = (static_cast<uint32_t>(width) * bits + 31) / 32 * 4;
  std::vector<uint8_t> f(offset + row * height, 0);
  f[0] = 'B';
  f[1] = 'M';
  Put32(f, 2, static_cast<uint32_t>(f.size()));
  Put32(f, 10, offset);
  Put32(f, 14, form.header);
  if (core) {
    Put16(f, 18, width);
    Put16(f, 20, height);
    Put16(f, 22, 1);
    Put16(f, 24, bits);
  } else {
    Put32(f, 18, width);
    Put32(f, 22, static_cast<uint32_t>(form.top_down ? -height : height));
    Put16(f, 26, 1);
    Put16(f, 28, bits);
    Put32(f, 30, form.bitfields ? 3 : 0);
    Put32(f, 34, row * height);
    Put32(f, 46, form.palette_used);
    if (form.bitfields) {
      for (int i = 0; i < 3; ++i) Put32(f, 54 + 4 * i, form.masks[i]);
    }
  }
  for (uint32_t i = 0; i < entries; ++i) {
    const Color c = PaletteColour(static_cast<int>(i));
    const size_t at = 14 + form.header + mask_bytes + i * entry_bytes;
    f[at] = c.b;
    f[at + 1] = c.g;
    f[at + 2] = c.r;
  }
  const uint32_t r = form.masks[0], g = form.masks[1], b = form.masks[2];
  for (int y = 0; y < height; ++y) {
    const int stored = form.top_down ? y : height - 1 - y;
    uint8_t* p = f.data() + offset + static_cast<size_t>(stored) * row;
    for (int x = 0; x < width; ++x) {
      const Color c = GradientAt(x, y);
      if (bits <= 8) {
        const int index = IndexAt(bits, x, y);
        const int per_byte = 8 / bits;
        const int shift = 8 - bits * (x % per_byte + 1);
        p[x / per_byte] |= static_cast<uint8_t>(index << shift);
      } else if (bits == 24) {
        p[3 * x] = c.b;
        p[3 * x + 1] = c.g;
        p[3 * x + 2] = c.r;
      } else {
        const uint32_t v = (FieldValue(r, c.r) << MaskShift(r)) | (FieldValue(g, c.g) << MaskShift(g)) |
                           (FieldValue(b, c.b) << MaskShift(b));
        for (int k = 0; k < bits / 8; ++k) p[x * bits / 8 + k] = static_cast<uint8_t>(v >> (8 * k));
      }
    }
  }
  return f;
}

// What the reader must give at (x, y) for a file made by MakeFile.
inline Color ExpectedAt(const HandMade& form, int x, int y) {
  if (form.bits <= 8) return PaletteColour(IndexAt(form.bits, x, y));
  const Color c = GradientAt(x, y);
  if (form.bits == 24) return c;
  const uint32_t r = form.masks[0], g = form.masks[1], b = form.masks[2];
  return Color{Expand(FieldValue(r, c.r), MaskBits(r)), Expand(FieldValue(g, c.g), MaskBits(g)),
               Expand(FieldValue(b, c.b), MaskBits(b))};
}

inline HandMade WithMasks(HandMade form, uint32_t r, uint32_t g, uint32_t b) {
  form.masks[0] = r;
  form.masks[1] = g;
  form.masks[2] = b;
  return form;
}
inline Raster GradientRaster(int width, int height, PixelFormat format) {
  Raster r(width, height, PixelFormat::pf24bit);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) r.SetPixelColor(x, y, GradientAt(x, y));
  }
  if (format == PixelFormat::pf8bit) {
    Raster paletted(width, height, PixelFormat::pf8bit);
    std::vector<Color> palette(256);
    for (int i = 0; i < 256; ++i) palette[i] = PaletteColour(i);
    paletted.SetPalette(palette);
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) paletted.Row(y)[x] = static_cast<uint8_t>(x * 5 + y);
    }
    return paletted;
  }
  if (format == PixelFormat::pf1bit) {
    Raster bits(width, height, PixelFormat::pf1bit);
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) bits.SetPixelColor(x, y, ((x * x + y) % 3) ? kWhite : kBlack);
    }
    return bits;
  }
  return r;
}
inline std::string FormatName(const ::testing::TestParamInfo<PixelFormat>& info) {
  return "bits" + std::to_string(BitsPerPixel(info.param));
}

}  // namespace lenti::bmp_forms
