// Writes the seed corpora of the fuzz targets from the project's own writers:
// BMP at every depth the reader knows (bottom-up, top-down, bit fields) and
// colour, grey and progressive JPEGs. Usage: make_seeds <corpus root>.
#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <string>
#include <vector>

#include "core/bmp_writer.h"
#include "core/file_io.h"
#include "core/jpeg.h"
#include "core/raster.h"

namespace {

using lenti::Raster;

Raster Gradient(int width, int height, lenti::PixelFormat format) {
  Raster raster(width, height, lenti::PixelFormat::pf24bit);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      raster.SetPixelColor(x, y, lenti::Color{static_cast<uint8_t>(x * 5), static_cast<uint8_t>(y * 7),
                                              static_cast<uint8_t>((x ^ y) * 3)});
    }
  }
  raster.SetPixelFormat(format);
  return raster;
}

void Put16(std::vector<uint8_t>& out, size_t at, uint32_t v) {
  out[at] = static_cast<uint8_t>(v);
  out[at + 1] = static_cast<uint8_t>(v >> 8);
}
void Put32(std::vector<uint8_t>& out, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) out[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

// A BMP of `bits` per pixel written field by field (4, 16 and 32 bits are
// not produced by the program's own writer). `masks` selects BI_BITFIELDS.
std::vector<uint8_t> HandMadeBmp(int width, int height, int bits, bool top_down, bool masks) {
  const uint32_t row = (static_cast<uint32_t>(width) * bits + 31) / 32 * 4;
  const uint32_t palette = bits <= 8 ? (1u << bits) * 4 : 0;
  const uint32_t extra = masks ? 12 : 0;
  const uint32_t offset = 54 + palette + extra;
  std::vector<uint8_t> out(offset + row * height, 0);
  out[0] = 'B';
  out[1] = 'M';
  Put32(out, 2, static_cast<uint32_t>(out.size()));
  Put32(out, 10, offset);
  Put32(out, 14, 40);
  Put32(out, 18, static_cast<uint32_t>(width));
  Put32(out, 22, static_cast<uint32_t>(top_down ? -height : height));
  Put16(out, 26, 1);
  Put16(out, 28, static_cast<uint32_t>(bits));
  Put32(out, 30, masks ? 3 : 0);
  Put32(out, 34, row * height);
  if (masks) {
    const bool five = bits == 16;
    Put32(out, 54, five ? 0xF800 : 0x00FF0000);
    Put32(out, 58, five ? 0x07E0 : 0x0000FF00);
    Put32(out, 62, five ? 0x001F : 0x000000FF);
  }
  for (uint32_t i = 0; i < palette / 4; ++i) {
    out[54 + i * 4] = static_cast<uint8_t>(i * 17);
    out[55 + i * 4] = static_cast<uint8_t>(i * 11);
    out[56 + i * 4] = static_cast<uint8_t>(i * 5);
  }
  for (uint32_t i = offset; i < out.size(); ++i) out[i] = static_cast<uint8_t>(i * 31);
  return out;
}

void Write(const std::string& path, const std::vector<uint8_t>& bytes) {
  lenti::WriteWholeFile(path, bytes.data(), bytes.size());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_seeds <corpus root>\n");
    return 2;
  }
  const std::string root = argv[1];
  for (const char* dir : {"", "/bmp", "/jpeg", "/picture", "/cli_args"}) mkdir((root + dir).c_str(), 0755);

  Write(root + "/bmp/24.bmp", lenti::EncodeBmp(Gradient(47, 33, lenti::PixelFormat::pf24bit)));
  Write(root + "/bmp/8.bmp", lenti::EncodeBmp(Gradient(47, 33, lenti::PixelFormat::pf8bit)));
  Write(root + "/bmp/1.bmp", lenti::EncodeBmp(Gradient(47, 33, lenti::PixelFormat::pf1bit)));
  Write(root + "/bmp/4.bmp", HandMadeBmp(13, 7, 4, false, false));
  Write(root + "/bmp/16.bmp", HandMadeBmp(13, 7, 16, false, false));
  Write(root + "/bmp/16-fields.bmp", HandMadeBmp(13, 7, 16, false, true));
  Write(root + "/bmp/32.bmp", HandMadeBmp(13, 7, 32, false, false));
  Write(root + "/bmp/32-fields-topdown.bmp", HandMadeBmp(13, 7, 32, true, true));
  Write(root + "/bmp/24-topdown.bmp", HandMadeBmp(13, 7, 24, true, false));

  const Raster colour = Gradient(40, 24, lenti::PixelFormat::pf24bit);
  Raster grey = Gradient(40, 24, lenti::PixelFormat::pf24bit);
  grey.SetPixelFormat(lenti::PixelFormat::pf8bit);
  Write(root + "/jpeg/colour.jpg", lenti::EncodeJpeg(colour, 75));
  Write(root + "/jpeg/grey.jpg", lenti::EncodeJpeg(grey, 75));
  Write(root + "/jpeg/progressive.jpg", lenti::EncodeJpeg(colour, 60, true));

  // The picture target: the first byte picks the extension (0 .bmp, 2 .jpg, 5 .png).
  auto prefixed = [](uint8_t first, std::vector<uint8_t> bytes) {
    bytes.insert(bytes.begin(), first);
    return bytes;
  };
  Write(root + "/picture/bmp", prefixed(0, lenti::EncodeBmp(Gradient(9, 5, lenti::PixelFormat::pf24bit))));
  Write(root + "/picture/jpg", prefixed(2, lenti::EncodeJpeg(colour, 50)));
  Write(root + "/picture/png", prefixed(5, {0x89, 'P', 'N', 'G'}));

  // The command line: arguments separated by NUL bytes.
  auto args = [](std::initializer_list<const char*> list) {
    std::vector<uint8_t> bytes;
    for (const char* arg : list) {
      if (!bytes.empty()) bytes.push_back(0);
      for (const char* c = arg; *c; ++c) bytes.push_back(static_cast<uint8_t>(*c));
    }
    return bytes;
  };
  Write(root + "/cli_args/merge", args({"merge", "-o", "out.bmp", "--mode", "landscape", "--crop",
                                        "1=0,0,10,12", "--text", "Hi", "--rotate", "1", "a.jpg", "b.bmp"}));
  Write(root + "/cli_args/chart", args({"chart", "-o", "c.bmp", "--paper", "A3", "--dpi", "600", "--lpi", "40.5"}));
  std::printf("seeds written under %s\n", root.c_str());
  return 0;
}
