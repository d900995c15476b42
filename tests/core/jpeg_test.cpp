// The JPEG decoder: colour and grey photos made with EncodeJpeg (baseline and
// progressive), CMYK files, region decodes equal to the same part of a full
// decode, and damaged or truncated files that must each raise an Error.
#include "core/jpeg.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

// jpeglib.h needs size_t and FILE declared first.
#include <cstddef>
#include <cstdio>

#include <jpeglib.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "core/error.h"
#include "error_of.h"

namespace lenti {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

using lenti::testing::ErrorOf;

// A photo-like picture: smooth gradients with some texture, so both the
// colour subsampling and the entropy coder have real work.
Raster Photo(int width, int height) {
  Raster r(width, height, PixelFormat::pf24bit);
  for (int y = 0; y < height; ++y) {
    uint8_t* row = r.Row(y);
    for (int x = 0; x < width; ++x) {
      const double t = std::sin(x * 0.11) * std::cos(y * 0.07);
      row[3 * x] = static_cast<uint8_t>(128 + 100 * t);
      row[3 * x + 1] = static_cast<uint8_t>((x * 255) / std::max(width - 1, 1));
      row[3 * x + 2] = static_cast<uint8_t>(((x / 9 + y / 7) % 2) ? 200 : 40);
    }
  }
  return r;
}

// Slow colour changes only, which a good JPEG keeps closely.
Raster Smooth(int width, int height) {
  Raster r(width, height, PixelFormat::pf24bit);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      r.SetPixelColor(x, y, Color{static_cast<uint8_t>(40 + x * 4), static_cast<uint8_t>(200 - y * 5),
                                  static_cast<uint8_t>(128 + 80 * std::sin((x + y) * 0.08))});
    }
  }
  return r;
}

Raster GreyPhoto(int width, int height) {
  Raster r(width, height, PixelFormat::pf8bit);
  r.SetPalette(GreyPalette());
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      r.Row(y)[x] = static_cast<uint8_t>(128 + 90 * std::sin(x * 0.13 + y * 0.05));
    }
  }
  return r;
}

// Largest difference of any channel between two rasters of the same size.
int MaxDifference(const Raster& a, const Raster& b) {
  int worst = 0;
  for (int y = 0; y < a.Height(); ++y) {
    for (int x = 0; x < a.Width(); ++x) {
      const Color p = a.PixelColor(x, y), q = b.PixelColor(x, y);
      worst = std::max({worst, std::abs(p.r - q.r), std::abs(p.g - q.g), std::abs(p.b - q.b)});
    }
  }
  return worst;
}

// Mean difference over every channel of every pixel.
double MeanDifference(const Raster& a, const Raster& b) {
  double sum = 0;
  for (int y = 0; y < a.Height(); ++y) {
    for (int x = 0; x < a.Width(); ++x) {
      const Color p = a.PixelColor(x, y), q = b.PixelColor(x, y);
      sum += std::abs(p.r - q.r) + std::abs(p.g - q.g) + std::abs(p.b - q.b);
    }
  }
  return sum / (3.0 * a.Width() * a.Height());
}

// Byte-for-byte equality of the pixel rows (not the padding).
void ExpectSameRows(const Raster& a, const Raster& b, const std::string& what) {
  ASSERT_EQ(a.Width(), b.Width()) << what;
  ASSERT_EQ(a.Height(), b.Height()) << what;
  ASSERT_EQ(a.Format(), b.Format()) << what;
  const size_t bytes = static_cast<size_t>(a.Width()) * (BitsPerPixel(a.Format()) / 8);
  for (int y = 0; y < a.Height(); ++y) {
    ASSERT_EQ(std::vector<uint8_t>(a.Row(y), a.Row(y) + bytes), std::vector<uint8_t>(b.Row(y), b.Row(y) + bytes))
        << what << ", row " << y;
  }
}

Raster Crop(const Raster& full, const Rect& r) {
  Raster part(r.Width(), r.Height(), full.Format());
  part.SetPalette(full.Palette());
  const size_t px = static_cast<size_t>(BitsPerPixel(full.Format()) / 8);
  for (int y = 0; y < r.Height(); ++y) {
    std::memcpy(part.Row(y), full.Row(r.top + y) + r.left * px, static_cast<size_t>(r.Width()) * px);
  }
  return part;
}

// Offset of the first byte of entropy-coded data (after the first SOS segment).
size_t EntropyStart(const std::vector<uint8_t>& jpeg) {
  for (size_t i = 2; i + 3 < jpeg.size(); ++i) {
    if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xDA) return i + 2 + ((jpeg[i + 2] << 8) | jpeg[i + 3]);
  }
  return 0;
}

size_t MarkerAt(const std::vector<uint8_t>& jpeg, uint8_t marker) {
  for (size_t i = 2; i + 1 < jpeg.size(); ++i) {
    if (jpeg[i] == 0xFF && jpeg[i + 1] == marker) return i;
  }
  return 0;
}

// ---- colour and grey round trips ----

struct RoundTrip {
  const char* name;
  bool grey;
  bool progressive;
  int quality;
  int tolerance;  // largest channel difference a photo of this quality may show
};

class JpegRoundTrip : public ::testing::TestWithParam<RoundTrip> {};

TEST_P(JpegRoundTrip, DecodesToTheFormatAndPixelsOfThePhoto) {
  const RoundTrip& c = GetParam();
  const Raster original = c.grey ? GreyPhoto(47, 33) : Smooth(47, 33);
  const std::vector<uint8_t> jpeg = EncodeJpeg(original, c.quality, c.progressive);
  ASSERT_TRUE(LooksLikeJpeg(jpeg.data(), jpeg.size()));

  const JpegInfo info = ReadJpegInfo(jpeg.data(), jpeg.size(), "photo.jpg");
  EXPECT_EQ(info.width, 47);
  EXPECT_EQ(info.height, 33);
  EXPECT_EQ(info.components, c.grey ? 1 : 3);

  const Raster decoded = DecodeJpeg(jpeg.data(), jpeg.size(), "photo.jpg");
  ASSERT_EQ(decoded.Width(), 47);
  ASSERT_EQ(decoded.Height(), 33);
  EXPECT_EQ(decoded.Format(), c.grey ? PixelFormat::pf8bit : PixelFormat::pf24bit);
  if (c.grey) {
    EXPECT_EQ(decoded.Palette(), GreyPalette());
  }
  EXPECT_LE(MaxDifference(decoded, original), c.tolerance);
  EXPECT_LE(MeanDifference(decoded, original), c.tolerance / 8.0);
}

INSTANTIATE_TEST_SUITE_P(Jpeg, JpegRoundTrip,
                         ::testing::Values(RoundTrip{"colour_baseline", false, false, 95, 12},
                                           RoundTrip{"colour_progressive", false, true, 95, 12},
                                           RoundTrip{"grey_baseline", true, false, 95, 8},
                                           RoundTrip{"grey_progressive", true, true, 95, 8},
                                           RoundTrip{"colour_best", false, false, 100, 8}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(EncodeJpeg, WritesA1BitRasterAsGrey) {
  Raster bits(16, 16, PixelFormat::pf1bit);
  bits.FillRect(Rect{0, 0, 8, 16}, kBlack);
  const std::vector<uint8_t> jpeg = EncodeJpeg(bits, 95);
  const Raster decoded = DecodeJpeg(jpeg.data(), jpeg.size(), "bits.jpg");
  ASSERT_EQ(decoded.Format(), PixelFormat::pf8bit);
  EXPECT_LE(decoded.PixelColor(2, 8).r, 16);
  EXPECT_GE(decoded.PixelColor(13, 8).r, 240);
}

// ---- CMYK ----

// CMYK files are not something our encoder makes: written here with libjpeg
// directly, with or without the Adobe marker that says the values are inverted.
std::vector<uint8_t> CmykJpeg(const std::vector<uint8_t>& cmyk, int width, int height, bool adobe,
                              J_COLOR_SPACE stored_as) {
  jpeg_compress_struct c;
  jpeg_error_mgr err;
  c.err = jpeg_std_error(&err);
  jpeg_create_compress(&c);
  unsigned char* out = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&c, &out, &size);
  c.image_width = static_cast<JDIMENSION>(width);
  c.image_height = static_cast<JDIMENSION>(height);
  c.input_components = 4;
  c.in_color_space = JCS_CMYK;
  jpeg_set_defaults(&c);
  jpeg_set_colorspace(&c, stored_as);
  c.write_Adobe_marker = adobe ? TRUE : FALSE;
  jpeg_set_quality(&c, 98, TRUE);
  jpeg_start_compress(&c, TRUE);
  while (c.next_scanline < c.image_height) {
    JSAMPROW row = const_cast<uint8_t*>(cmyk.data() + c.next_scanline * width * 4);
    jpeg_write_scanlines(&c, &row, 1);
  }
  jpeg_finish_compress(&c);
  jpeg_destroy_compress(&c);
  std::vector<uint8_t> bytes(out, out + size);
  std::free(out);
  return bytes;
}

struct CmykCase {
  const char* name;
  bool adobe;  // Adobe files hold 255 - ink
  J_COLOR_SPACE stored_as;
};

class CmykPhoto : public ::testing::TestWithParam<CmykCase> {};

TEST_P(CmykPhoto, BecomesTheRgbOfItsInks) {
  // Four flat 16 x 16 blocks: cyan, magenta + half black, yellow, white.
  const uint8_t inks[4][4] = {{255, 0, 0, 0}, {0, 255, 0, 128}, {0, 0, 255, 0}, {0, 0, 0, 0}};
  const Color rgb[4] = {{0, 255, 255}, {127, 0, 127}, {255, 255, 0}, {255, 255, 255}};
  const int w = 32, h = 32;
  std::vector<uint8_t> cmyk(static_cast<size_t>(w) * h * 4);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const int block = (y / 16) * 2 + x / 16;
      for (int k = 0; k < 4; ++k) {
        const uint8_t ink = inks[block][k];
        cmyk[(static_cast<size_t>(y) * w + x) * 4 + k] = GetParam().adobe ? 255 - ink : ink;
      }
    }
  }
  const std::vector<uint8_t> jpeg = CmykJpeg(cmyk, w, h, GetParam().adobe, GetParam().stored_as);
  EXPECT_EQ(ReadJpegInfo(jpeg.data(), jpeg.size(), "cmyk.jpg").components, 4);
  const Raster decoded = DecodeJpeg(jpeg.data(), jpeg.size(), "cmyk.jpg");
  ASSERT_EQ(decoded.Format(), PixelFormat::pf24bit);
  for (int block = 0; block < 4; ++block) {
    const Color got = decoded.PixelColor((block % 2) * 16 + 8, (block / 2) * 16 + 8);
    EXPECT_NEAR(got.r, rgb[block].r, 6) << "block " << block;
    EXPECT_NEAR(got.g, rgb[block].g, 6) << "block " << block;
    EXPECT_NEAR(got.b, rgb[block].b, 6) << "block " << block;
  }
}

INSTANTIATE_TEST_SUITE_P(Jpeg, CmykPhoto,
                         ::testing::Values(CmykCase{"adobe_cmyk", true, JCS_CMYK},
                                           CmykCase{"adobe_ycck", true, JCS_YCCK},
                                           CmykCase{"plain_cmyk", false, JCS_CMYK}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- regions ----

struct RegionSource {
  const char* name;
  std::function<std::vector<uint8_t>()> make;
};

const RegionSource kRegionSources[] = {
    {"colour_420", [] { return EncodeJpeg(Photo(301, 203), 90); }},
    {"colour_progressive", [] { return EncodeJpeg(Photo(301, 203), 90, true); }},
    {"grey", [] { return EncodeJpeg(GreyPhoto(301, 203), 90); }},
};

class JpegRegion : public ::testing::TestWithParam<RegionSource> {};

TEST_P(JpegRegion, EqualsTheSameRegionOfAFullDecode) {
  const std::vector<uint8_t> jpeg = GetParam().make();
  const Raster full = DecodeJpeg(jpeg.data(), jpeg.size(), "r.jpg");
  const Rect regions[] = {
      {0, 0, 301, 203},   {0, 0, 1, 1},        {17, 9, 18, 10},   {5, 37, 290, 200},  {100, 100, 301, 203},
      {150, 0, 151, 203}, {0, 101, 301, 102},  {33, 47, 97, 111}, {15, 15, 17, 17},   {16, 16, 32, 32},
      {31, 31, 33, 33},   {284, 186, 301, 203}, {299, 1, 301, 202}, {7, 190, 250, 203}};
  for (const Rect& r : regions) {
    const Raster part = DecodeJpegRegion(jpeg.data(), jpeg.size(), "r.jpg", r);
    ExpectSameRows(part, Crop(full, r),
                   "region " + std::to_string(r.left) + "," + std::to_string(r.top) + "," +
                       std::to_string(r.right) + "," + std::to_string(r.bottom));
  }
}

INSTANTIATE_TEST_SUITE_P(Jpeg, JpegRegion, ::testing::ValuesIn(kRegionSources),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(JpegRegionClipping, IsClippedToThePhoto) {
  const std::vector<uint8_t> jpeg = EncodeJpeg(Photo(64, 48), 90);
  const Raster full = DecodeJpeg(jpeg.data(), jpeg.size(), "r.jpg");
  ExpectSameRows(DecodeJpegRegion(jpeg.data(), jpeg.size(), "r.jpg", Rect{-10, -5, 20, 30}),
                 Crop(full, Rect{0, 0, 20, 30}), "top-left overhang");
  ExpectSameRows(DecodeJpegRegion(jpeg.data(), jpeg.size(), "r.jpg", Rect{50, 40, 500, 500}),
                 Crop(full, Rect{50, 40, 64, 48}), "bottom-right overhang");
  EXPECT_TRUE(DecodeJpegRegion(jpeg.data(), jpeg.size(), "r.jpg", Rect{70, 0, 90, 10}).Empty());
  EXPECT_TRUE(DecodeJpegRegion(jpeg.data(), jpeg.size(), "r.jpg", Rect{10, 10, 10, 20}).Empty());
}

// ---- damaged files ----

struct Damage {
  const char* name;
  std::function<std::vector<uint8_t>(std::vector<uint8_t>)> apply;
  const char* message;  // libjpeg's text, after "JPEG image is not valid: bad.jpg: "
};

std::vector<uint8_t> CutAt(std::vector<uint8_t> jpeg, double fraction) {
  const size_t start = EntropyStart(jpeg);
  jpeg.resize(start + static_cast<size_t>((jpeg.size() - start) * fraction));
  return jpeg;
}

const Damage kDamage[] = {
    {"empty", [](std::vector<uint8_t>) { return std::vector<uint8_t>{}; }, "Empty input file"},
    {"not_a_jpeg", [](std::vector<uint8_t>) { return std::vector<uint8_t>{'B', 'M', 0, 0, 0, 0}; },
     "Not a JPEG file: starts with 0x42 0x4d"},
    {"cut_after_soi", [](std::vector<uint8_t> j) { j.resize(2); return j; }, "Premature end of JPEG file"},
    {"cut_in_headers", [](std::vector<uint8_t> j) { j.resize(100); return j; }, "Premature end of JPEG file"},
    {"cut_at_scan_start", [](std::vector<uint8_t> j) { return CutAt(j, 0); }, "Premature end of JPEG file"},
    {"cut_at_a_tenth", [](std::vector<uint8_t> j) { return CutAt(j, 0.1); }, "Premature end of JPEG file"},
    {"cut_in_the_middle", [](std::vector<uint8_t> j) { return CutAt(j, 0.5); }, "Premature end of JPEG file"},
    {"cut_near_the_end", [](std::vector<uint8_t> j) { return CutAt(j, 0.97); }, "Premature end of JPEG file"},
    {"end_marker_missing", [](std::vector<uint8_t> j) { j.erase(j.end() - 2, j.end()); return j; },
     "Premature end of JPEG file"},
    {"stray_bytes_before_the_end",
     [](std::vector<uint8_t> j) {
       // The scan no longer ends where its data ends.
       j.insert(j.end() - 2, 64, 0x00);
       return j;
     },
     "extraneous bytes before marker 0xd9"},
    {"entropy_bytes_flipped",
     [](std::vector<uint8_t> j) {
       const size_t start = EntropyStart(j);
       for (size_t i = start + 40; i < start + 80; ++i) j[i] = static_cast<uint8_t>(j[i] == 0xFF ? 0xFF : ~j[i]);
       return j;
     },
     "Corrupt JPEG data"},
    {"marker_inside_entropy_data",
     [](std::vector<uint8_t> j) {
       const size_t middle = (EntropyStart(j) + j.size()) / 2;
       j[middle] = 0xFF;
       j[middle + 1] = 0xC4;
       return j;
     },
     "Corrupt JPEG data"},
    {"bogus_huffman_counts",
     [](std::vector<uint8_t> j) {
       const size_t dht = MarkerAt(j, 0xC4);
       for (size_t i = dht + 5; i < dht + 5 + 16; ++i) j[i] = 0xFF;  // code counts of table 0
       return j;
     },
     "Bogus Huffman table definition"},
    {"zero_width",
     [](std::vector<uint8_t> j) {
       const size_t sof = MarkerAt(j, 0xC0);
       j[sof + 7] = 0;
       j[sof + 8] = 0;
       return j;
     },
     "Empty JPEG image"},
};

class DamagedJpeg : public ::testing::TestWithParam<Damage> {};

TEST_P(DamagedJpeg, RaisesLibjpegsMessageWithTheFileName) {
  const std::vector<uint8_t> good = EncodeJpeg(Photo(120, 90), 90);
  const std::vector<uint8_t> bad = GetParam().apply(good);
  const std::string prefix = "JPEG image is not valid: bad.jpg: ";
  const std::string error = ErrorOf([&] { DecodeJpeg(bad.data(), bad.size(), "bad.jpg"); });
  EXPECT_THAT(error, StartsWith(prefix));
  EXPECT_THAT(error, HasSubstr(GetParam().message));
  const std::string region_error =
      ErrorOf([&] { DecodeJpegRegion(bad.data(), bad.size(), "bad.jpg", Rect{0, 0, 60, 90}); });
  EXPECT_THAT(region_error, StartsWith(prefix));
}

INSTANTIATE_TEST_SUITE_P(Jpeg, DamagedJpeg, ::testing::ValuesIn(kDamage),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DamagedJpeg, ProgressiveFileCutShortIsAnError) {
  const std::vector<uint8_t> good = EncodeJpeg(Photo(120, 90), 90, true);
  for (double fraction : {0.2, 0.6, 0.9}) {
    std::vector<uint8_t> bad(good.begin(), good.begin() + static_cast<long>(good.size() * fraction));
    EXPECT_THAT(ErrorOf([&] { DecodeJpeg(bad.data(), bad.size(), "p.jpg"); }),
                StartsWith("JPEG image is not valid: p.jpg: "))
        << fraction;
  }
}

// Stray bytes between two header segments leave every pixel intact and are
// not held against a photo.
TEST(DamagedJpeg, StrayBytesBetweenHeaderSegmentsStillDecode) {
  const std::vector<uint8_t> good = EncodeJpeg(Photo(120, 90), 90);
  const Raster expected = DecodeJpeg(good.data(), good.size(), "good.jpg");
  std::vector<uint8_t> stray = good;
  const size_t dqt = MarkerAt(stray, 0xDB);
  ASSERT_GT(dqt, 0u);
  stray.insert(stray.begin() + static_cast<long>(dqt), {0x00, 0x12, 0x34});
  ExpectSameRows(DecodeJpeg(stray.data(), stray.size(), "stray.jpg"), expected, "stray bytes");
}

TEST(JpegSizeLimit, AHugeDeclaredSizeIsRefusedBeforeDecoding) {
  std::vector<uint8_t> jpeg = EncodeJpeg(Photo(16, 16), 90);
  const size_t sof = MarkerAt(jpeg, 0xC0);
  for (size_t at : {sof + 5, sof + 7}) {  // height, width
    jpeg[at] = 0xFF;
    jpeg[at + 1] = 0xDC;  // 65500
  }
  const JpegInfo info = ReadJpegInfo(jpeg.data(), jpeg.size(), "huge.jpg");
  EXPECT_EQ(info.width, 65500);
  EXPECT_EQ(info.height, 65500);
  const std::string expected = "JPEG image is too large: huge.jpg: 65500 x 65500 pixels need more than 1024 MB";
  EXPECT_EQ(ErrorOf([&] { DecodeJpeg(jpeg.data(), jpeg.size(), "huge.jpg"); }), expected);
  EXPECT_EQ(ErrorOf([&] { CheckJpegSize(info, "huge.jpg"); }), expected);
  // A region small enough is decoded as far as the data goes (it is cut short here).
  EXPECT_THAT(ErrorOf([&] { DecodeJpegRegion(jpeg.data(), jpeg.size(), "huge.jpg", Rect{0, 0, 64, 64}); }),
              StartsWith("JPEG image is not valid: huge.jpg: "));
}

TEST(LoadJpegFile, ReportsAMissingFile) {
  const std::string path = (std::filesystem::temp_directory_path() / "lenti-no-such-photo.jpg").string();
  EXPECT_EQ(ErrorOf([&] { LoadJpegFile(path); }), "Cannot open file \"" + path + "\". No such file or directory");
}

TEST(LooksLikeJpeg, WantsTheStartOfImageMarker) {
  const uint8_t jpeg[] = {0xFF, 0xD8, 0xFF, 0xE0};
  const uint8_t short_jpeg[] = {0xFF, 0xD8};
  const uint8_t bmp[] = {'B', 'M', 0, 0};
  EXPECT_TRUE(LooksLikeJpeg(jpeg, sizeof jpeg));
  EXPECT_FALSE(LooksLikeJpeg(short_jpeg, sizeof short_jpeg));
  EXPECT_FALSE(LooksLikeJpeg(bmp, sizeof bmp));
  EXPECT_FALSE(LooksLikeJpeg(nullptr, 0));
}

}  // namespace
}  // namespace lenti
