// The PNG reader over every colour type and depth libpng writes: the colour
// of each pixel, the raster format, transparency on white, the profile kept,
// and damaged files that must raise an Error before any pixel memory.
#include "core/png_reader.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <zlib.h>

#include <string>
#include <vector>

#include "core/error.h"
#include "error_of.h"
#include "photo_forms.h"

namespace lenti {
namespace {

using ::testing::StartsWith;
using forms::Bytes;
using forms::PngForm;
using lenti::testing::ErrorOf;

// White under the alpha a (c x a + 255 x (255 - a), rounded).
uint8_t OnWhite(unsigned c, unsigned a) { return static_cast<uint8_t>((c * a + 255 * (255 - a) + 127) / 255); }

struct PngCase {
  std::string name;
  PngForm form;
  PixelFormat format;
  std::function<Color(int x, int y)> expected;
};

std::vector<PngCase> Cases() {
  auto rgb = [](int x, int y, int c) -> unsigned { return c == 0 ? x * 60 : c == 1 ? y * 80 : 200; };
  auto rgb_colour = [](int x, int y) { return Color{uint8_t(x * 60), uint8_t(y * 80), 200}; };
  const std::vector<png_color> palette = {{0, 0, 0}, {255, 0, 0}, {0, 128, 255}, {10, 20, 30}};
  std::vector<PngCase> cases;
  cases.push_back({"rgb 8", forms::MakePng(4, 3, PNG_COLOR_TYPE_RGB, 8, false, rgb), PixelFormat::pf24bit, rgb_colour});
  cases.push_back({"rgb 8 interlaced", forms::MakePng(9, 7, PNG_COLOR_TYPE_RGB, 8, true, rgb), PixelFormat::pf24bit,
                   [](int x, int y) { return Color{uint8_t(x * 60 % 256), uint8_t(y * 80 % 256), 200}; }});
  cases.back().form.sample = [](int x, int y, int c) -> unsigned {
    return c == 0 ? x * 60 % 256 : c == 1 ? y * 80 % 256 : 200;
  };
  // 16 bits: 257 x v plus less than half a step rounds to v.
  cases.push_back({"rgb 16",
                   forms::MakePng(4, 3, PNG_COLOR_TYPE_RGB, 16, false,
                    [rgb](int x, int y, int c) { return rgb(x, y, c) * 257 + 100; }),
                   PixelFormat::pf24bit, rgb_colour});
  cases.push_back({"grey 8", forms::MakePng(5, 2, PNG_COLOR_TYPE_GRAY, 8, false, [](int x, int y, int) -> unsigned {
                                return x * 50 + y;
                              }),
                   PixelFormat::pf8bit, [](int x, int y) { return Color{uint8_t(x * 50 + y), uint8_t(x * 50 + y), uint8_t(x * 50 + y)}; }});
  cases.push_back({"grey 1", forms::MakePng(9, 2, PNG_COLOR_TYPE_GRAY, 1, false, [](int x, int y, int) -> unsigned {
                                return (x + y) & 1;
                              }),
                   PixelFormat::pf8bit, [](int x, int y) { return (x + y) & 1 ? kWhite : kBlack; }});
  cases.push_back({"grey 4", forms::MakePng(7, 3, PNG_COLOR_TYPE_GRAY, 4, false, [](int x, int y, int) -> unsigned {
                                return (x * 2 + y) & 15;
                              }),
                   PixelFormat::pf8bit, [](int x, int y) {
                     const uint8_t g = static_cast<uint8_t>(((x * 2 + y) & 15) * 17);
                     return Color{g, g, g};
                   }});
  cases.push_back({"grey 16", forms::MakePng(3, 3, PNG_COLOR_TYPE_GRAY, 16, false, [](int x, int y, int) -> unsigned {
                                 return (x * 70 + y) * 257;
                               }),
                   PixelFormat::pf8bit, [](int x, int y) {
                     const uint8_t g = static_cast<uint8_t>(x * 70 + y);
                     return Color{g, g, g};
                   }});
  PngForm indexed = forms::MakePng(6, 2, PNG_COLOR_TYPE_PALETTE, 8, false,
                  [](int x, int y, int) -> unsigned { return (x + 2 * y) % 4; });
  indexed.palette = palette;
  auto palette_colour = [palette](int x, int y) {
    const png_color p = palette[static_cast<size_t>((x + 2 * y) % 4)];
    return Color{p.red, p.green, p.blue};
  };
  cases.push_back({"palette 8", indexed, PixelFormat::pf24bit, palette_colour});
  PngForm packed = indexed;
  packed.bit_depth = 2;
  cases.push_back({"palette 2", packed, PixelFormat::pf24bit, palette_colour});
  PngForm see_through = indexed;
  see_through.trns = {255, 0, 128};  // entry 3 opaque (no entry)
  cases.push_back({"palette with tRNS on white", see_through, PixelFormat::pf24bit, [palette](int x, int y) {
                     const size_t i = static_cast<size_t>((x + 2 * y) % 4);
                     const unsigned a = i == 1 ? 0 : i == 2 ? 128 : 255;
                     const png_color p = palette[i];
                     return Color{OnWhite(p.red, a), OnWhite(p.green, a), OnWhite(p.blue, a)};
                   }});
  auto rgba = [](int x, int y, int c) -> unsigned { return c == 3 ? x * 80 + y : c == 0 ? 100 : c == 1 ? 20 : 250; };
  auto rgba_colour = [](int x, int y) {
    const unsigned a = static_cast<unsigned>(x * 80 + y);
    return Color{OnWhite(100, a), OnWhite(20, a), OnWhite(250, a)};
  };
  cases.push_back({"rgba 8 on white", forms::MakePng(4, 3, PNG_COLOR_TYPE_RGBA, 8, false, rgba), PixelFormat::pf24bit, rgba_colour});
  cases.push_back({"rgba 8 interlaced", forms::MakePng(4, 3, PNG_COLOR_TYPE_RGBA, 8, true, rgba), PixelFormat::pf24bit, rgba_colour});
  cases.push_back({"rgba 16",
                   forms::MakePng(4, 3, PNG_COLOR_TYPE_RGBA, 16, false, [rgba](int x, int y, int c) { return rgba(x, y, c) * 257; }),
                   PixelFormat::pf24bit, rgba_colour});
  cases.push_back({"grey + alpha", forms::MakePng(4, 2, PNG_COLOR_TYPE_GRAY_ALPHA, 8, false, [](int x, int, int c) -> unsigned {
                                      return c == 0 ? 40 : x * 85;
                                    }),
                   PixelFormat::pf8bit, [](int x, int) {
                     const uint8_t g = OnWhite(40, static_cast<unsigned>(x * 85));
                     return Color{g, g, g};
                   }});
  PngForm keyed = forms::MakePng(3, 2, PNG_COLOR_TYPE_RGB, 8, false, [](int x, int, int c) -> unsigned { return x == 1 ? 7 : 50 + c; });
  keyed.trns_colour = true;
  keyed.trns_value.red = keyed.trns_value.green = keyed.trns_value.blue = 7;
  cases.push_back({"rgb with a transparent colour", keyed, PixelFormat::pf24bit,
                   [](int x, int) { return x == 1 ? kWhite : Color{50, 51, 52}; }});
  return cases;
}

TEST(PngReader, EveryColourTypeAndDepthGivesTheWrittenColours) {
  for (const PngCase& c : Cases()) {
    SCOPED_TRACE(c.name);
    const Bytes file = forms::EncodePng(c.form);
    ASSERT_TRUE(LooksLikePng(file.data(), file.size()));
    const StoredPhoto photo = DecodePng(file.data(), file.size(), "t.png");
    ASSERT_EQ(photo.pixels.Width(), c.form.width);
    ASSERT_EQ(photo.pixels.Height(), c.form.height);
    EXPECT_EQ(photo.pixels.Format(), c.format);
    EXPECT_TRUE(photo.icc_profile.empty());
    EXPECT_EQ(photo.orientation, 1);
    for (int y = 0; y < c.form.height; ++y) {
      for (int x = 0; x < c.form.width; ++x) {
        ASSERT_EQ(photo.pixels.PixelColor(x, y), c.expected(x, y)) << x << "," << y;
      }
    }
  }
}

TEST(PngReader, AlphaIsCompositedOnWhiteAsALightMix) {
  // 100 at half cover on white: (100 x 128 + 255 x 127 + 127) / 255 = 177.
  EXPECT_EQ(OnWhite(100, 128), 177);
  PngForm form = forms::MakePng(1, 1, PNG_COLOR_TYPE_RGBA, 8, false, [](int, int, int c) -> unsigned { return c == 3 ? 128 : 100; });
  const Bytes file = forms::EncodePng(form);
  EXPECT_EQ(DecodePng(file.data(), file.size(), "a.png").pixels.PixelColor(0, 0), (Color{177, 177, 177}));
}

TEST(PngReader, KeepsTheEmbeddedProfile) {
  PngForm form = forms::MakePng(2, 2, PNG_COLOR_TYPE_RGB, 8, false, [](int, int, int) -> unsigned { return 9; });
  form.icc = forms::DisplayP3Profile();
  const Bytes file = forms::EncodePng(form);
  EXPECT_EQ(DecodePng(file.data(), file.size(), "p3.png").icc_profile, form.icc);
}

TEST(PngReader, DamagedFilesRaiseErrors) {
  PngForm form = forms::MakePng(16, 16, PNG_COLOR_TYPE_RGB, 8, false, [](int x, int y, int c) -> unsigned { return x * y + c; });
  const Bytes good = forms::EncodePng(form);
  // The IHDR chunk starts at 8: length, "IHDR", width, height, ..., CRC at 29.
  Bytes huge = good;
  huge.resize(1024, 0);
  for (size_t at : {size_t{16}, size_t{20}}) {
    huge[at] = 0, huge[at + 1] = 0, huge[at + 2] = 0xC3, huge[at + 3] = 0x50;  // 50000
  }
  // The CRC of IHDR made right again for the new size.
  const uint32_t crc = static_cast<uint32_t>(crc32(crc32(0, nullptr, 0), huge.data() + 12, 17));
  for (int i = 0; i < 4; ++i) huge[29 + i] = static_cast<uint8_t>(crc >> (24 - 8 * i));
  Bytes bad_crc = good;
  bad_crc[30] ^= 0x55;
  struct Bad {
    const char* name;
    Bytes bytes;
    const char* error;
  };
  const std::vector<Bad> cases = {
      {"empty", {}, "PNG image is not valid: x.png: not a PNG signature"},
      {"signature only", Bytes(good.begin(), good.begin() + 8), "PNG image is not valid: x.png: the file ends early"},
      {"truncated in IDAT", Bytes(good.begin(), good.end() - 30), "PNG image is not valid: x.png: "},
      {"no IEND", Bytes(good.begin(), good.end() - 12), "PNG image is not valid: x.png: the file ends early"},
      {"IHDR CRC", bad_crc, "PNG image is not valid: x.png: IHDR: CRC error"},
      {"1 KB declaring 50000 x 50000", huge, "PNG image is too large: x.png: 50000 x 50000 pixels need more than 1024 MB"},
  };
  for (const Bad& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_THAT(ErrorOf([&] { DecodePng(c.bytes.data(), c.bytes.size(), "x.png"); }), StartsWith(c.error));
  }
}

}  // namespace
}  // namespace lenti
