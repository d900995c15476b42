// The TIFF reader over the kinds of TIFF libtiff writes: the line-by-line
// path (grey and RGB, 8 and 16 bits, alpha, every compression) and libtiff's
// RGBA path (palette, bilevel, CMYK, planes, tiles), the orientation and
// profile tags kept, and damaged files that must raise an Error.
#include "core/tiff_reader.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/error.h"
#include "error_of.h"
#include "photo_forms.h"

namespace lenti {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;
using forms::Bytes;
using forms::TiffForm;
using lenti::testing::ErrorOf;

uint8_t OnWhite(unsigned c, unsigned a) { return static_cast<uint8_t>((c * a + 255 * (255 - a) + 127) / 255); }

struct TiffCase {
  std::string name;
  TiffForm form;
  PixelFormat format;
  std::function<Color(int x, int y)> expected;
};

TiffForm Rgb(uint16_t compression) {
  TiffForm f;
  f.width = 7;
  f.height = 5;
  f.compression = compression;
  f.sample = [](int x, int y, int c) -> unsigned { return c == 0 ? x * 30 : c == 1 ? y * 50 : 77; };
  return f;
}

Color RgbColour(int x, int y) { return Color{uint8_t(x * 30), uint8_t(y * 50), 77}; }

std::vector<TiffCase> Cases() {
  std::vector<TiffCase> cases;
  for (uint16_t compression : {COMPRESSION_NONE, COMPRESSION_LZW, COMPRESSION_ADOBE_DEFLATE, COMPRESSION_PACKBITS}) {
    cases.push_back({"rgb 8 compression " + std::to_string(compression), Rgb(compression), PixelFormat::pf24bit,
                     RgbColour});
  }
  // Wide enough for whole 16-pixel blocks of the red/blue turn plus a rest,
  // in strips of 3 rows ending in a short one; uncompressed strips are read
  // where they lie in the file, the others through libtiff.
  for (uint16_t compression : {COMPRESSION_NONE, COMPRESSION_ADOBE_DEFLATE}) {
    TiffForm wide = Rgb(compression);
    wide.width = 37;
    wide.height = 11;
    wide.rows_per_strip = 3;
    wide.sample = [](int x, int y, int c) -> unsigned { return c == 0 ? x * 7 : c == 1 ? y * 23 : x * 3 + y; };
    cases.push_back({"rgb 8 wide, short last strip, compression " + std::to_string(compression), wide,
                     PixelFormat::pf24bit,
                     [](int x, int y) { return Color{uint8_t(x * 7), uint8_t(y * 23), uint8_t(x * 3 + y)}; }});
  }
  // Stored with the bits of each byte reversed: libtiff turns them back.
  TiffForm reversed = Rgb(COMPRESSION_NONE);
  reversed.fill_order = FILLORDER_LSB2MSB;
  cases.push_back({"rgb 8 bits stored reversed", reversed, PixelFormat::pf24bit, RgbColour});
  TiffForm rgb16 = Rgb(COMPRESSION_ADOBE_DEFLATE);
  rgb16.bits = 16;
  rgb16.sample = [](int x, int y, int c) -> unsigned { return (c == 0 ? x * 30 : c == 1 ? y * 50 : 77) * 257 + 90; };
  cases.push_back({"rgb 16", rgb16, PixelFormat::pf24bit, RgbColour});
  TiffForm grey = Rgb(COMPRESSION_NONE);
  grey.photometric = PHOTOMETRIC_MINISBLACK;
  grey.samples = 1;
  grey.sample = [](int x, int y, int) -> unsigned { return x * 20 + y; };
  auto grey_colour = [](int x, int y) {
    const uint8_t g = static_cast<uint8_t>(x * 20 + y);
    return Color{g, g, g};
  };
  cases.push_back({"grey 8", grey, PixelFormat::pf8bit, grey_colour});
  TiffForm wide_grey = grey;
  wide_grey.width = 37;  // raster rows padded to 40 bytes
  wide_grey.height = 9;
  wide_grey.rows_per_strip = 4;
  wide_grey.sample = [](int x, int y, int) -> unsigned { return x * 6 + y; };
  cases.push_back({"grey 8 wide, short last strip", wide_grey, PixelFormat::pf8bit, [](int x, int y) {
                     const uint8_t g = static_cast<uint8_t>(x * 6 + y);
                     return Color{g, g, g};
                   }});
  TiffForm grey16 = grey;
  grey16.bits = 16;
  grey16.sample = [](int x, int y, int) -> unsigned { return (x * 20 + y) * 257; };
  cases.push_back({"grey 16", grey16, PixelFormat::pf8bit, grey_colour});
  TiffForm rgba = Rgb(COMPRESSION_LZW);
  rgba.samples = 4;
  rgba.extra = EXTRASAMPLE_UNASSALPHA;
  rgba.sample = [](int x, int y, int c) -> unsigned { return c == 3 ? x * 40 + y : c == 0 ? 10 : c == 1 ? 128 : 240; };
  cases.push_back({"rgba unassociated on white", rgba, PixelFormat::pf24bit, [](int x, int y) {
                     const unsigned a = static_cast<unsigned>(x * 40 + y);
                     return Color{OnWhite(10, a), OnWhite(128, a), OnWhite(240, a)};
                   }});
  TiffForm premultiplied = rgba;
  premultiplied.extra = EXTRASAMPLE_ASSOCALPHA;
  premultiplied.sample = [](int x, int, int c) -> unsigned { return c == 3 ? x * 40 : x * 10; };
  cases.push_back({"rgba associated on white", premultiplied, PixelFormat::pf24bit, [](int x, int) {
                     const uint8_t v = static_cast<uint8_t>(x * 10 + 255 - x * 40);
                     return Color{v, v, v};
                   }});
  TiffForm grey_alpha = grey;
  grey_alpha.samples = 2;
  grey_alpha.extra = EXTRASAMPLE_UNASSALPHA;
  grey_alpha.sample = [](int x, int, int c) -> unsigned { return c == 1 ? x * 40 : 60; };
  cases.push_back({"grey + alpha", grey_alpha, PixelFormat::pf8bit, [](int x, int) {
                     const uint8_t g = OnWhite(60, static_cast<unsigned>(x * 40));
                     return Color{g, g, g};
                   }});
  // libtiff's RGBA path.
  TiffForm palette = grey;
  palette.photometric = PHOTOMETRIC_PALETTE;
  palette.bits = 2;
  palette.colormap = {0, 65535, 0, 20 * 257, /**/ 0, 0, 65535, 40 * 257, /**/ 0, 0, 0, 60 * 257};
  palette.sample = [](int x, int y, int) -> unsigned { return (x + y) % 4; };
  cases.push_back({"palette 2-bit", palette, PixelFormat::pf24bit, [](int x, int y) {
                     const Color map[4] = {kBlack, Color{255, 0, 0}, Color{0, 255, 0}, Color{20, 40, 60}};
                     return map[(x + y) % 4];
                   }});
  TiffForm bilevel = grey;
  bilevel.photometric = PHOTOMETRIC_MINISWHITE;
  bilevel.bits = 1;
  bilevel.sample = [](int x, int y, int) -> unsigned { return (x ^ y) & 1; };
  cases.push_back({"bilevel, white is zero", bilevel, PixelFormat::pf24bit,
                   [](int x, int y) { return (x ^ y) & 1 ? kBlack : kWhite; }});
  TiffForm cmyk = Rgb(COMPRESSION_NONE);
  cmyk.photometric = PHOTOMETRIC_SEPARATED;
  cmyk.samples = 4;
  cmyk.sample = [](int x, int, int c) -> unsigned { return x % 4 == c ? 255 : 0; };
  cases.push_back({"cmyk", cmyk, PixelFormat::pf24bit, [](int x, int) {
                     const Color inks[4] = {Color{0, 255, 255}, Color{255, 0, 255}, Color{255, 255, 0}, kBlack};
                     return inks[x % 4];
                   }});
  TiffForm planes = Rgb(COMPRESSION_ADOBE_DEFLATE);
  planes.planar = PLANARCONFIG_SEPARATE;
  cases.push_back({"rgb in planes", planes, PixelFormat::pf24bit, RgbColour});
  TiffForm tiles = Rgb(COMPRESSION_ADOBE_DEFLATE);
  tiles.width = 40;
  tiles.height = 20;
  tiles.tile = 16;
  tiles.sample = [](int x, int y, int c) -> unsigned { return c == 0 ? x * 6 : c == 1 ? y * 12 : 77; };
  cases.push_back({"rgb in tiles", tiles, PixelFormat::pf24bit,
                   [](int x, int y) { return Color{uint8_t(x * 6), uint8_t(y * 12), 77}; }});
  return cases;
}

TEST(TiffReader, EveryKindGivesTheWrittenColoursInStoredOrder) {
  for (const TiffCase& c : Cases()) {
    SCOPED_TRACE(c.name);
    const Bytes file = forms::EncodeTiff(c.form);
    ASSERT_TRUE(LooksLikeTiff(file.data(), file.size()));
    const StoredPhoto photo = DecodeTiff(file.data(), file.size(), "t.tif");
    ASSERT_EQ(photo.pixels.Width(), static_cast<int>(c.form.width));
    ASSERT_EQ(photo.pixels.Height(), static_cast<int>(c.form.height));
    EXPECT_EQ(photo.pixels.Format(), c.format);
    for (int y = 0; y < static_cast<int>(c.form.height); ++y) {
      for (int x = 0; x < static_cast<int>(c.form.width); ++x) {
        ASSERT_EQ(photo.pixels.PixelColor(x, y), c.expected(x, y)) << x << "," << y;
      }
    }
  }
}

TEST(TiffReader, KeepsOrientationAndProfileAndTheStoredOrder) {
  for (uint16_t orientation = 1; orientation <= 8; ++orientation) {
    for (bool rgba_path : {false, true}) {
      SCOPED_TRACE(std::to_string(orientation) + (rgba_path ? " rgba" : " lines"));
      TiffForm form = Rgb(COMPRESSION_NONE);
      form.orientation = orientation;
      if (rgba_path) form.tile = 16;
      form.icc = forms::DisplayP3Profile();
      const Bytes file = forms::EncodeTiff(form);
      const StoredPhoto photo = DecodeTiff(file.data(), file.size(), "o.tif");
      EXPECT_EQ(photo.orientation, orientation);
      EXPECT_EQ(photo.icc_profile, form.icc);
      EXPECT_EQ(photo.pixels.PixelColor(0, 0), RgbColour(0, 0));
      EXPECT_EQ(photo.pixels.PixelColor(6, 4), RgbColour(6, 4));
      EXPECT_EQ(photo.pixels.PixelColor(6, 0), RgbColour(6, 0));
    }
  }
}

void Put32(Bytes& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

uint32_t Get32(const Bytes& b, size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | uint32_t{b[at + 3]} << 24;
}

// The offset of the entry of `tag` in the first directory (little-endian file).
size_t EntryOf(const Bytes& b, uint16_t tag) {
  const size_t ifd = b[4] | b[5] << 8 | b[6] << 16 | size_t{b[7]} << 24;
  const size_t count = b[ifd] | b[ifd + 1] << 8;
  for (size_t i = 0; i < count; ++i) {
    const size_t at = ifd + 2 + 12 * i;
    if ((b[at] | b[at + 1] << 8) == tag) return at;
  }
  return 0;
}

// Compressed strips go through libtiff; uncompressed ones are read where
// they lie in the file, and must be refused the same way.
class DamagedTiff : public ::testing::TestWithParam<uint16_t> {};

TEST_P(DamagedTiff, RaisesErrors) {
  TiffForm form = Rgb(GetParam());
  form.width = 64;
  form.height = 64;
  form.rows_per_strip = 16;
  const Bytes good = forms::EncodeTiff(form);
  const size_t ifd = good[4] | good[5] << 8 | good[6] << 16 | size_t{good[7]} << 24;
  const size_t next = ifd + 2 + 12 * (good[ifd] | good[ifd + 1] << 8);
  struct Bad {
    const char* name;
    std::function<void(Bytes&)> patch;
    const char* error;
  };
  const std::vector<Bad> cases = {
      {"header only", [](Bytes& b) { b.resize(8); }, "TIFF image is not valid: x.tif: "},
      {"first directory past the end", [](Bytes& b) { Put32(b, 4, 0x7FFFFFF0u); }, "TIFF image is not valid: x.tif: "},
      {"directory chain loops", [ifd, next](Bytes& b) { Put32(b, next, static_cast<uint32_t>(ifd)); },
       "TIFF image is not valid: x.tif: "},
      {"next directory past the end", [next](Bytes& b) { Put32(b, next, 0x7FFFFF00u); },
       "TIFF image is not valid: x.tif: "},
      {"strips past the end", [](Bytes& b) { Put32(b, EntryOf(b, TIFFTAG_STRIPOFFSETS) + 8, 0x7FFFFF00u); },
       "TIFF image is not valid: x.tif: "},
      {"truncated strips", [](Bytes& b) { b.resize(b.size() / 3); }, "TIFF image is not valid: x.tif: "},
      {"last strip ends past the end",
       [](Bytes& b) {
         const uint32_t offsets = Get32(b, EntryOf(b, TIFFTAG_STRIPOFFSETS) + 8);  // four strips
         Put32(b, offsets + 12, static_cast<uint32_t>(b.size() - 10));
       },
       "TIFF image is not valid: x.tif: "},
      {"strips recorded too short",
       [](Bytes& b) {
         const uint32_t counts = Get32(b, EntryOf(b, TIFFTAG_STRIPBYTECOUNTS) + 8);
         for (int s = 0; s < 4; ++s) Put32(b, counts + 4 * s, 50);
       },
       "TIFF image is not valid: x.tif: "},
      {"65500 x 65500", [](Bytes& b) {
         Put32(b, EntryOf(b, TIFFTAG_IMAGEWIDTH) + 8, 65500);
         Put32(b, EntryOf(b, TIFFTAG_IMAGELENGTH) + 8, 65500);
       },
       "TIFF image is "},
  };
  ASSERT_NO_THROW(DecodeTiff(good.data(), good.size(), "x.tif"));
  for (const Bad& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes b = good;
    c.patch(b);
    EXPECT_THAT(ErrorOf([&] { DecodeTiff(b.data(), b.size(), "x.tif"); }), StartsWith(c.error));
  }
}

INSTANTIATE_TEST_SUITE_P(Compressions, DamagedTiff, ::testing::Values(COMPRESSION_NONE, COMPRESSION_ADOBE_DEFLATE),
                         [](const auto& info) { return info.param == COMPRESSION_NONE ? "none" : "deflate"; });

}  // namespace
}  // namespace lenti
