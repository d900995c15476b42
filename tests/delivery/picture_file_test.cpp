// TIFF and PNG saves: read back through libtiff and libpng, each file holds
// exactly the raster's pixels and the resolution exactly as the print lab
// reads it, and a failed save loses nothing.
#include "delivery/picture_file.h"

#include <png.h>
#include <tiffio.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/bmp_reader.h"
#include "core/error.h"
#include "delivery/png_writer.h"
#include "delivery/tiff_writer.h"
#include "tiny_disk.h"

namespace lenti {
namespace {

namespace fs = std::filesystem;
using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

Raster Gradient(int width, int height) {
  Raster r(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      r.SetPixelColor(x, y, Color{static_cast<uint8_t>(x * 5), static_cast<uint8_t>(y * 7),
                                  static_cast<uint8_t>((x + y) * 3)});
    }
  }
  return r;
}

Raster Bars(int width, int height) {
  Raster r(width, height, PixelFormat::pf1bit);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) r.SetPixelColor(x, y, (x / 3 + y) % 2 ? kWhite : kBlack);
  }
  return r;
}

// Every pixel of the file's rows (RGB or 1-bit grey) against the raster.
void ExpectSamePixels(const Raster& raster, const std::vector<std::vector<uint8_t>>& rows, int bits) {
  ASSERT_EQ(rows.size(), static_cast<size_t>(raster.Height()));
  for (int y = 0; y < raster.Height(); ++y) {
    for (int x = 0; x < raster.Width(); ++x) {
      const Color want = raster.PixelColor(x, y);
      Color got;
      if (bits == 1) {
        got = (rows[y][x / 8] >> (7 - x % 8)) & 1 ? kWhite : kBlack;
      } else {
        got = Color{rows[y][3 * x], rows[y][3 * x + 1], rows[y][3 * x + 2]};
      }
      ASSERT_EQ(got, want) << "pixel " << x << ", " << y;
    }
  }
}

struct TiffContent {
  uint32_t width = 0, height = 0;
  uint16_t bits = 0, samples = 0, compression = 0, unit = 0;
  std::vector<std::vector<uint8_t>> rows;
};

TiffContent ReadTiff(const std::string& path) {
  TiffContent c;
  TIFF* tif = TIFFOpen(path.c_str(), "r");
  if (tif == nullptr) throw std::runtime_error("libtiff cannot open " + path);
  TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &c.width);
  TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &c.height);
  TIFFGetField(tif, TIFFTAG_BITSPERSAMPLE, &c.bits);
  TIFFGetField(tif, TIFFTAG_SAMPLESPERPIXEL, &c.samples);
  TIFFGetField(tif, TIFFTAG_COMPRESSION, &c.compression);
  TIFFGetField(tif, TIFFTAG_RESOLUTIONUNIT, &c.unit);
  for (uint32_t y = 0; y < c.height; ++y) {
    std::vector<uint8_t> row(static_cast<size_t>(TIFFScanlineSize(tif)));
    if (TIFFReadScanline(tif, row.data(), y) < 0) throw std::runtime_error("bad scanline");
    c.rows.push_back(std::move(row));
  }
  TIFFClose(tif);
  return c;
}

// The two rationals of tag 282 and 283 as the file holds them (little-endian).
std::vector<std::pair<uint32_t, uint32_t>> ResolutionRationals(const std::vector<uint8_t>& file) {
  auto get = [&](size_t at, int bytes) {
    uint32_t v = 0;
    for (int i = 0; i < bytes; ++i) v |= uint32_t{file.at(at + i)} << (8 * i);
    return v;
  };
  EXPECT_EQ(file.at(0), 'I');
  const uint32_t ifd = get(4, 4);
  std::vector<std::pair<uint32_t, uint32_t>> found;
  for (uint32_t i = 0; i < get(ifd, 2); ++i) {
    const size_t entry = ifd + 2 + 12 * size_t{i};
    const uint32_t tag = get(entry, 2);
    if (tag == 282 || tag == 283) {
      const uint32_t at = get(entry + 8, 4);
      found.emplace_back(get(at, 4), get(at + 4, 4));
    }
  }
  return found;
}

struct PngContent {
  uint32_t width = 0, height = 0, ppm_x = 0, ppm_y = 0;
  int bits = 0, colour = 0, unit = -1;
  std::vector<std::vector<uint8_t>> rows;
};

PngContent ReadPng(const std::string& path) {
  PngContent c;
  FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) throw std::runtime_error("cannot open " + path);
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(f);
    throw std::runtime_error("libpng refused " + path);
  }
  png_init_io(png, f);
  png_read_info(png, info);
  c.width = png_get_image_width(png, info);
  c.height = png_get_image_height(png, info);
  c.bits = png_get_bit_depth(png, info);
  c.colour = png_get_color_type(png, info);
  png_get_pHYs(png, info, &c.ppm_x, &c.ppm_y, &c.unit);
  c.rows.assign(c.height, std::vector<uint8_t>(png_get_rowbytes(png, info)));
  for (auto& row : c.rows) png_read_row(png, row.data(), nullptr);
  png_read_end(png, nullptr);
  png_destroy_read_struct(&png, &info, nullptr);
  std::fclose(f);
  return c;
}

TEST(PictureFileType, FollowsTheExtensionWhateverItsCase) {
  const std::vector<std::pair<std::string, PictureFileType>> cases = {
      {"a.tif", PictureFileType::Tiff}, {"a.TIFF", PictureFileType::Tiff}, {"a.Png", PictureFileType::Png},
      {"a.bmp", PictureFileType::Bmp},  {"a.jpg", PictureFileType::Bmp},   {"dir.png/a", PictureFileType::Bmp},
      {"a", PictureFileType::Bmp},      {"a.tif.bmp", PictureFileType::Bmp}};
  for (const auto& [name, type] : cases) EXPECT_EQ(PictureFileTypeOf(name), type) << name;
}

// Each type Save writes makes a file its own entry recognises and no other
// entry does, under every extension the table gives it (the JPEG ones write
// a BMP, as any other name does).
TEST(PictureFormats, EachWrittenFileIsRecognisedAsItsOwnType) {
  TempDir dir;
  const Raster picture = Gradient(7, 5);
  for (const PictureFormat& format : PictureFormats()) {
    for (const std::string& ext : format.extensions) {
      const std::string path = (dir.path() / ("p." + ext)).string();
      SavePictureFile(picture, path, 300);
      const std::vector<uint8_t> bytes = ReadBytes(path);
      const PictureFileType written = PictureFileTypeOf(path);
      EXPECT_EQ(written, format.save != nullptr ? format.type : PictureFileType::Bmp) << ext;
      for (const PictureFormat& other : PictureFormats()) {
        EXPECT_EQ(other.recognises(bytes.data(), bytes.size()), other.type == written)
            << ext << " file taken for " << other.extensions.front();
      }
    }
  }
}

TEST(PictureFormats, SaveListsEveryWrittenTypeOnceBmpFirst) {
  const std::vector<const PictureFormat*> saved = SavedPictureFormats();
  ASSERT_FALSE(saved.empty());
  EXPECT_EQ(saved.front()->type, PictureFileType::Bmp);
  size_t writable = 0;
  for (const PictureFormat& format : PictureFormats()) {
    writable += format.save != nullptr;
    EXPECT_EQ(format.save != nullptr, !format.save_label.empty()) << format.open_label;
    EXPECT_EQ(&PictureFormatOf(format.type), &format);
  }
  EXPECT_EQ(saved.size(), writable);
  EXPECT_EQ(PatternsOf(PictureFormatOf(PictureFileType::Tiff)), "*.tif *.tiff");
  EXPECT_EQ(PatternsOf(PictureFormatOf(PictureFileType::Jpeg)), "*.jpg");
  EXPECT_EQ(PatternsOf(PictureFormatOf(PictureFileType::Jpeg), true), "*.jpg *.jpeg");
}

TEST(DpiToRational, IsExactInLowestTerms) {
  const struct {
    double dpi;
    uint32_t num, den;
  } cases[] = {{297.5, 595, 2}, {318.75, 1275, 4}, {1200, 1200, 1}, {298.2, 1491, 5}, {212.5, 425, 2},
               {0.0001, 1, 10000}};
  for (const auto& c : cases) {
    const TiffRational r = DpiToRational(c.dpi);
    EXPECT_EQ(r.numerator, c.num) << c.dpi;
    EXPECT_EQ(r.denominator, c.den) << c.dpi;
  }
  EXPECT_THROW(DpiToRational(0), Error);
  EXPECT_THROW(DpiToRational(-3), Error);
}

TEST(DpiToPngPixelsPerMetre, RoundsDpiOverInchInMetres) {
  const std::pair<double, uint32_t> cases[] = {{297.5, 11713}, {300, 11811}, {1200, 47244}, {212.5, 8366},
                                               {2400, 94488}};
  for (const auto& [dpi, ppm] : cases) EXPECT_EQ(DpiToPngPixelsPerMetre(dpi), ppm) << dpi;
}

struct RoundTrip {
  const char* name;
  bool bilevel;
  double dpi;
};

class SaveRoundTrip : public ::testing::TestWithParam<RoundTrip> {};

TEST_P(SaveRoundTrip, TiffHoldsThePixelsAndTheExactResolution) {
  const RoundTrip& p = GetParam();
  TempDir dir;
  const Raster raster = p.bilevel ? Bars(45, 31) : Gradient(47, 33);
  const std::string path = dir / "out.tif";
  SavePictureFile(raster, path, p.dpi);
  const TiffContent c = ReadTiff(path);
  EXPECT_EQ(c.width, 47u - (p.bilevel ? 2 : 0));
  EXPECT_EQ(c.bits, p.bilevel ? 1 : 8);
  EXPECT_EQ(c.samples, p.bilevel ? 1 : 3);
  EXPECT_EQ(c.compression, COMPRESSION_ADOBE_DEFLATE);
  EXPECT_EQ(c.unit, RESUNIT_INCH);
  ExpectSamePixels(raster, c.rows, p.bilevel ? 1 : 24);
  const TiffRational exact = DpiToRational(p.dpi);
  const auto rationals = ResolutionRationals(ReadBytes(path));
  ASSERT_EQ(rationals.size(), 2u);
  for (const auto& [num, den] : rationals) {
    EXPECT_EQ(num, exact.numerator);
    EXPECT_EQ(den, exact.denominator);
  }
}

TEST_P(SaveRoundTrip, PngHoldsThePixelsAndPixelsPerMetre) {
  const RoundTrip& p = GetParam();
  TempDir dir;
  const Raster raster = p.bilevel ? Bars(45, 31) : Gradient(47, 33);
  const std::string path = dir / "out.PNG";
  SavePictureFile(raster, path, p.dpi);
  const PngContent c = ReadPng(path);
  EXPECT_EQ(c.width, static_cast<uint32_t>(raster.Width()));
  EXPECT_EQ(c.height, static_cast<uint32_t>(raster.Height()));
  EXPECT_EQ(c.bits, p.bilevel ? 1 : 8);
  EXPECT_EQ(c.colour, p.bilevel ? PNG_COLOR_TYPE_GRAY : PNG_COLOR_TYPE_RGB);
  EXPECT_EQ(c.unit, PNG_RESOLUTION_METER);
  EXPECT_EQ(c.ppm_x, DpiToPngPixelsPerMetre(p.dpi));
  EXPECT_EQ(c.ppm_y, c.ppm_x);
  ExpectSamePixels(raster, c.rows, p.bilevel ? 1 : 24);
}

INSTANTIATE_TEST_SUITE_P(Pictures, SaveRoundTrip,
                         ::testing::Values(RoundTrip{"merged", false, 297.5}, RoundTrip{"odd_lpi", false, 298.2},
                                           RoundTrip{"chart", true, 1200}, RoundTrip{"chart360", true, 360}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SavePictureFile, EveryLzwAndUncompressedTiffReadsBackTheSame) {
  TempDir dir;
  // 2001 x 200 in colour takes two uncompressed strips of 1 MB, the second
  // one short.
  const struct {
    const char* name;
    Raster raster;
    int bits;
  } pictures[] = {{"small", Gradient(50, 20), 24}, {"two strips", Gradient(2001, 200), 24}, {"chart", Bars(45, 31), 1}};
  for (const auto& picture : pictures) {
    for (const TiffCompression compression : {TiffCompression::None, TiffCompression::Lzw}) {
      SCOPED_TRACE(std::string(picture.name) + (compression == TiffCompression::None ? " none" : " lzw"));
      const std::string path = dir / "plain.tif";
      WriteTiffFile(picture.raster, path, path, 297.5, compression);
      const TiffContent c = ReadTiff(path);
      EXPECT_EQ(c.compression, compression == TiffCompression::None ? COMPRESSION_NONE : COMPRESSION_LZW);
      ExpectSamePixels(picture.raster, c.rows, picture.bits);
      const auto rationals = ResolutionRationals(ReadBytes(path));
      ASSERT_EQ(rationals.size(), 2u);
      for (const auto& [num, den] : rationals) {
        EXPECT_EQ(num, 595u);
        EXPECT_EQ(den, 2u);
      }
    }
  }
}

TEST(SavePictureFile, BmpStaysTheStampedDefault) {
  TempDir dir;
  const Raster raster = Gradient(9, 4);
  for (const char* name : {"a.bmp", "a.jpg", "noext"}) {
    SavePictureFile(raster, dir / name, 297.5);
    const std::vector<uint8_t> bytes = ReadBytes(dir / name);
    ASSERT_GE(bytes.size(), 54u) << name;
    EXPECT_EQ(bytes[0], 'B') << name;
    EXPECT_EQ(bytes[38] | bytes[39] << 8, 11710) << name;  // the 2.5406 cm stamp
  }
}

class FailedSave : public ::testing::TestWithParam<const char*> {};

TEST_P(FailedSave, InAMissingFolderNamesTheFileAndWritesNothing) {
  TempDir dir;
  const std::string path = dir / (std::string("missing/out") + GetParam());
  try {
    SavePictureFile(Gradient(5, 5), path, 297.5);
    FAIL() << "the save reported success";
  } catch (const Error& e) {
    EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
  }
  EXPECT_TRUE(fs::is_empty(dir.path()));
}

TEST_P(FailedSave, WithABadResolutionLeavesTheOldFile) {
  TempDir dir;
  const std::string path = dir / (std::string("out") + GetParam());
  const std::vector<uint8_t> old_file(100, 0x33);
  WriteBytes(path, old_file);
  EXPECT_THROW(SavePictureFile(Gradient(5, 5), path, -1), Error);
  EXPECT_EQ(ReadBytes(path), old_file);
  EXPECT_EQ(testing::Entries(dir.path()).size(), 1u);
}

TEST_P(FailedSave, OnAFullDiskLeavesTheOldFile) {
  testing::SmallDisk disk;
  if (!disk.mounted()) GTEST_SKIP() << "mounting a small tmpfs needs root and mount rights";
  const std::string path = (disk.path() / (std::string("out") + GetParam())).string();
  const std::vector<uint8_t> old_file(1000, 0x5A);
  WriteBytes(path, old_file);
  Raster noise(300, 300);
  for (int y = 0; y < 300; ++y) {
    for (int x = 0; x < 300; ++x) {
      const uint32_t h = (x * 2654435761u) ^ (y * 40503u);
      noise.SetPixelColor(x, y, Color{uint8_t(h), uint8_t(h >> 8), uint8_t(h >> 16)});
    }
  }
  EXPECT_THROW(SavePictureFile(noise, path, 297.5), Error);
  EXPECT_EQ(ReadBytes(path), old_file);
  EXPECT_EQ(testing::Entries(disk.path()).size(), 1u) << "a temporary file was left behind";
}

INSTANTIATE_TEST_SUITE_P(Types, FailedSave, ::testing::Values(".tif", ".png"),
                         [](const auto& info) { return std::string(info.param + 1); });

}  // namespace
}  // namespace lenti
