// The BMP reader at every depth and header form (whole and by region), the
// writer's exact layout, and a corpus of broken
// files that must each give an Error (never a crash or a wild read).
#include "core/bmp_reader.h"
#include "core/bmp_writer.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "core/error.h"
#include "core/file_io.h"

#include "bmp_forms.h"
#include "temp_dir.h"
#include "error_of.h"

namespace lenti {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::StartsWith;

// ---- helpers ----

using lenti::testing::TempDir;

using lenti::testing::ErrorOf;
using namespace lenti::bmp_forms;

// ---- reading every depth and header form ----

struct ReadCase {
  const char* name;
  HandMade form;
  PixelFormat format;
};

HandMade Form(int bits, uint32_t header = 40, bool top_down = false) {
  HandMade s;
  s.bits = bits;
  s.header = header;
  s.top_down = top_down;
  if (bits == 16) s = WithMasks(s, 0x7C00, 0x03E0, 0x001F);  // the BI_RGB default
  if (bits == 32) s = WithMasks(s, 0x00FF0000, 0x0000FF00, 0x000000FF);
  return s;
}

HandMade Fields(int bits, uint32_t header, uint32_t r, uint32_t g, uint32_t b, bool top_down = false) {
  HandMade s = WithMasks(Form(bits, header, top_down), r, g, b);
  s.bitfields = true;
  return s;
}

const ReadCase kReadCases[] = {
    {"1bit", Form(1), PixelFormat::pf1bit},
    {"1bit_top_down", Form(1, 40, true), PixelFormat::pf1bit},
    {"4bit", Form(4), PixelFormat::pf8bit},
    {"4bit_top_down", Form(4, 40, true), PixelFormat::pf8bit},
    {"8bit", Form(8), PixelFormat::pf8bit},
    {"8bit_top_down", Form(8, 40, true), PixelFormat::pf8bit},
    {"16bit_555", Form(16), PixelFormat::pf24bit},
    {"16bit_565_fields", Fields(16, 40, 0xF800, 0x07E0, 0x001F), PixelFormat::pf24bit},
    {"16bit_444_fields_top_down", Fields(16, 40, 0x0F00, 0x00F0, 0x000F, true), PixelFormat::pf24bit},
    {"24bit", Form(24), PixelFormat::pf24bit},
    {"24bit_top_down", Form(24, 40, true), PixelFormat::pf24bit},
    {"32bit", Form(32), PixelFormat::pf24bit},
    {"32bit_fields_bgr", Fields(32, 40, 0x000000FF, 0x0000FF00, 0x00FF0000), PixelFormat::pf24bit},
    {"32bit_fields_10bit", Fields(32, 40, 0x3FF00000, 0x000FFC00, 0x000003FF), PixelFormat::pf24bit},
    {"v3_header_565", Fields(16, 56, 0xF800, 0x07E0, 0x001F), PixelFormat::pf24bit},
    {"v4_header_32bit", Fields(32, 108, 0x00FF0000, 0x0000FF00, 0x000000FF, true), PixelFormat::pf24bit},
    {"v5_header_565", Fields(16, 124, 0xF800, 0x07E0, 0x001F), PixelFormat::pf24bit},
    {"v5_header_8bit", Form(8, 124), PixelFormat::pf8bit},
    {"core_header_24bit", Form(24, 12), PixelFormat::pf24bit},
    {"core_header_8bit", Form(8, 12), PixelFormat::pf8bit},
    {"core_header_1bit", Form(1, 12), PixelFormat::pf1bit},
};

class ReadsEveryForm : public ::testing::TestWithParam<ReadCase> {};

void ExpectPicture(const Raster& raster, const ReadCase& c) {
  ASSERT_EQ(raster.Width(), kW);
  ASSERT_EQ(raster.Height(), kH);
  EXPECT_EQ(raster.Format(), c.format);
  for (int y = 0; y < kH; ++y) {
    for (int x = 0; x < kW; ++x) {
      ASSERT_EQ(raster.PixelColor(x, y), ExpectedAt(c.form, x, y)) << "at " << x << "," << y;
    }
  }
}

TEST_P(ReadsEveryForm, FromMemoryAndFromFile) {
  const ReadCase& c = GetParam();
  const std::vector<uint8_t> file = MakeFile(c.form);
  ExpectPicture(DecodeBmp(file.data(), file.size(), "gradient.bmp"), c);
  TempDir dir;
  WriteBytes(dir.File("gradient.bmp"), file);
  ExpectPicture(LoadBmpFile(dir.File("gradient.bmp")), c);
}

INSTANTIATE_TEST_SUITE_P(Bmp, ReadsEveryForm, ::testing::ValuesIn(kReadCases),
                         [](const auto& info) { return std::string(info.param.name); });

// A region read gives the pixels of the full decode there, clipped to the
// picture: inside, across every edge, a single column at an odd bit, whole,
// and wholly outside (an empty raster).
TEST_P(ReadsEveryForm, ARegionHasThePixelsOfTheFullDecode) {
  TempDir dir;
  const std::string path = dir.File("region.bmp");
  WriteBytes(path, MakeFile(GetParam().form));
  const Raster full = LoadBmpFile(path);
  BmpFileReader reader(path);
  EXPECT_EQ(reader.Width(), kW);
  EXPECT_EQ(reader.Height(), kH);
  EXPECT_EQ(reader.Format(), GetParam().format);
  const Rect regions[] = {{5, 3, 30, 20},  {-4, -6, 11, 9},   {40, 25, 60, 50}, {13, 0, 14, kH},
                          {0, 0, kW, kH},  {-1, -1, kW + 1, kH + 1}, {9, 31, 47, 33}};
  for (const Rect& wanted : regions) {
    const Rect inside = wanted.Intersected(Rect{0, 0, kW, kH});
    const Raster region = reader.ReadRegion(wanted);
    ASSERT_EQ(region.Width(), inside.Width()) << wanted.left << "," << wanted.top;
    ASSERT_EQ(region.Height(), inside.Height());
    EXPECT_EQ(region.Format(), GetParam().format);
    for (int y = 0; y < region.Height(); ++y) {
      for (int x = 0; x < region.Width(); ++x) {
        ASSERT_EQ(region.PixelColor(x, y), full.PixelColor(inside.left + x, inside.top + y))
            << "region " << wanted.left << "," << wanted.top << " at " << x << "," << y;
      }
    }
  }
  const Raster outside = reader.ReadRegion(Rect{kW, 0, kW + 5, 5});
  EXPECT_EQ(outside.Width(), 0);
  EXPECT_EQ(outside.Height(), 0);
}

TEST(BmpFileReader, ValidatesTheHeadersOnOpeningAndReadsOnlyTheRowsAsked) {
  TempDir dir;
  const std::string path = dir.File("cut.bmp");
  std::vector<uint8_t> bytes = MakeFile(Form(24));
  // The header claims kH rows but the last stored row (the picture's top row) is cut short.
  WriteBytes(path, std::vector<uint8_t>(bytes.begin(), bytes.end() - 10));
  EXPECT_THAT(ErrorOf([&] { BmpFileReader reader(path); }), HasSubstr("pixel data truncated"));
  WriteBytes(path, {'B', 'M', 0, 0});
  EXPECT_THAT(ErrorOf([&] { BmpFileReader reader(path); }),
              StartsWith("Bitmap image is not valid: " + path));
  EXPECT_EQ(ErrorOf([&] { BmpFileReader reader(dir.File("gone.bmp")); }),
            "Cannot open file \"" + dir.File("gone.bmp") + "\". No such file or directory");
}

TEST(BmpReader, ShortColourTableIsPaddedWithBlack) {
  HandMade form = Form(8);
  form.palette_used = 20;  // indices 20.. have no entry in the file
  const std::vector<uint8_t> file = MakeFile(form);
  const Raster r = DecodeBmp(file.data(), file.size(), "short.bmp");
  ASSERT_EQ(r.Palette().size(), 256u);
  for (int y = 0; y < kH; ++y) {
    for (int x = 0; x < kW; ++x) {
      const int index = IndexAt(8, x, y);
      EXPECT_EQ(r.PixelColor(x, y), index < 20 ? PaletteColour(index) : kBlack);
    }
  }
}

// ---- the writer ----


void ExpectSamePixels(const Raster& a, const Raster& b) {
  ASSERT_EQ(a.Width(), b.Width());
  ASSERT_EQ(a.Height(), b.Height());
  ASSERT_EQ(a.Format(), b.Format());
  for (int y = 0; y < a.Height(); ++y) {
    for (int x = 0; x < a.Width(); ++x) ASSERT_EQ(a.PixelColor(x, y), b.PixelColor(x, y)) << x << "," << y;
  }
}

class WriterRoundTrip : public ::testing::TestWithParam<PixelFormat> {};

TEST_P(WriterRoundTrip, InMemoryAndThroughAFile) {
  const Raster original = GradientRaster(kW, kH, GetParam());
  const std::vector<uint8_t> bytes = EncodeBmp(original);
  ExpectSamePixels(DecodeBmp(bytes.data(), bytes.size(), "mem.bmp"), original);
  TempDir dir;
  SaveBmpFile(original, dir.File("out.bmp"));
  EXPECT_EQ(ReadBytes(dir.File("out.bmp")), bytes) << "SaveBmpFile and EncodeBmp must write the same bytes";
  ExpectSamePixels(LoadBmpFile(dir.File("out.bmp")), original);
}


INSTANTIATE_TEST_SUITE_P(Bmp, WriterRoundTrip,
                         ::testing::Values(PixelFormat::pf1bit, PixelFormat::pf8bit, PixelFormat::pf24bit),
                         FormatName);

struct LayoutCase {
  PixelFormat format;
  int width;
  int height;
  uint32_t offset;
  uint32_t row;
  uint16_t bits;
  uint32_t colours_used;
};

class WriterLayout : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(WriterLayout, HeaderFieldsAreTheProgramsOwnLayout) {
  const LayoutCase& c = GetParam();
  const std::vector<uint8_t> f = EncodeBmp(Raster(c.width, c.height, c.format));
  ASSERT_EQ(f.size(), c.offset + size_t{c.row} * c.height);
  EXPECT_EQ(f[0], 'B');
  EXPECT_EQ(f[1], 'M');
  EXPECT_EQ(Get32(f, 2), f.size());                 // bfSize
  EXPECT_EQ(Get16(f, 6), 0);                        // reserved
  EXPECT_EQ(Get16(f, 8), 0);
  EXPECT_EQ(Get32(f, 10), c.offset);                // bfOffBits
  EXPECT_EQ(Get32(f, 14), 40u);                     // biSize
  EXPECT_EQ(Get32(f, 18), uint32_t(c.width));
  EXPECT_EQ(Get32(f, 22), uint32_t(c.height));      // positive: bottom-up
  EXPECT_EQ(Get16(f, 26), 1);                       // planes
  EXPECT_EQ(Get16(f, 28), c.bits);
  EXPECT_EQ(Get32(f, 30), 0u);                      // BI_RGB
  EXPECT_EQ(Get32(f, 34), c.row * uint32_t(c.height));  // biSizeImage
  EXPECT_EQ(Get32(f, 38), 0u);                      // resolution: stamped later
  EXPECT_EQ(Get32(f, 42), 0u);
  EXPECT_EQ(Get32(f, 46), c.colours_used);
  EXPECT_EQ(Get32(f, 50), 0u);
  if (c.bits == 1) {
    const std::vector<uint8_t> table(f.begin() + 54, f.begin() + 62);
    EXPECT_EQ(table, (std::vector<uint8_t>{0, 0, 0, 0, 255, 255, 255, 0}));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Bmp, WriterLayout,
    ::testing::Values(LayoutCase{PixelFormat::pf24bit, 1698, 3, 54, 5096, 24, 0},  // 5094 + 2 padding
                      LayoutCase{PixelFormat::pf24bit, 47, 33, 54, 144, 24, 0},
                      LayoutCase{PixelFormat::pf1bit, 47, 33, 62, 8, 1, 2},
                      LayoutCase{PixelFormat::pf1bit, 29, 2, 62, 4, 1, 2},
                      LayoutCase{PixelFormat::pf8bit, 47, 33, 54 + 1024, 48, 8, 256}));

TEST(BmpWriter, RowsGoBottomUpWithZeroPadding) {
  Raster r(1698, 3, PixelFormat::pf24bit);
  r.SetPixelColor(0, 0, Color{1, 2, 3});     // top-left: last row of the file
  r.SetPixelColor(1697, 2, Color{4, 5, 6});  // bottom-right: end of the first row
  const std::vector<uint8_t> f = EncodeBmp(r);
  const size_t row = 5096;
  EXPECT_EQ(f[54 + 2 * row], 3);  // blue, green, red
  EXPECT_EQ(f[54 + 2 * row + 1], 2);
  EXPECT_EQ(f[54 + 2 * row + 2], 1);
  EXPECT_EQ(f[54 + 5091], 6);
  EXPECT_EQ(f[54 + 5093], 4);
  for (int y = 0; y < 3; ++y) {
    EXPECT_EQ(f[54 + y * row + 5094], 0);
    EXPECT_EQ(f[54 + y * row + 5095], 0);
  }
}

TEST(BmpWriter, BitsBeyondTheWidthOfA1BitRowAreWrittenZero) {
  Raster r(13, 1, PixelFormat::pf1bit);  // white: every pixel bit 1
  r.Row(0)[1] |= 0x07;                    // stray bits past pixel 12
  r.Row(0)[2] = 0xAB;                     // and in the padding
  const std::vector<uint8_t> f = EncodeBmp(r);
  EXPECT_EQ(f[62], 0xFF);
  EXPECT_EQ(f[63], 0xF8);
  EXPECT_EQ(f[64], 0x00);
  EXPECT_EQ(f[65], 0x00);
  TempDir dir;
  SaveBmpFile(r, dir.File("stray.bmp"));
  EXPECT_EQ(ReadBytes(dir.File("stray.bmp")), f);
}

// Tall pictures go out in several gathered writes; the bytes must not change.
TEST(BmpWriter, ATallPictureIsSavedAsEncoded) {
  Raster r(61, 2600, PixelFormat::pf24bit);
  for (int y = 0; y < r.Height(); y += 7) r.SetPixelColor(y % 61, y, Color{static_cast<uint8_t>(y), 9, 200});
  TempDir dir;
  SaveBmpFile(r, dir.File("tall.bmp"));
  EXPECT_EQ(ReadBytes(dir.File("tall.bmp")), EncodeBmp(r));
}

TEST(BmpWriter, AnInverted1BitTableKeepsItsColours) {
  // A file whose table is white, black: writing it back must not invert it.
  HandMade form = Form(1);
  std::vector<uint8_t> file = MakeFile(form);
  const Raster read = DecodeBmp(file.data(), file.size(), "inverted.bmp");
  const std::vector<uint8_t> again = EncodeBmp(read);
  ExpectSamePixels(DecodeBmp(again.data(), again.size(), "again.bmp"), read);
}

TEST(BmpWriter, ReportsTheSystemReasonAndNeverRemovesADevice) {
  const Raster r(64, 64);
  EXPECT_EQ(ErrorOf([&] { SaveBmpFile(r, "/dev/full"); }),
            "Cannot create file \"/dev/full\". No space left on device");
  struct stat st;
  ASSERT_EQ(::stat("/dev/full", &st), 0);
  EXPECT_TRUE(S_ISCHR(st.st_mode));
  TempDir dir;
  const std::string missing = dir.File("no/such/folder/out.bmp");
  EXPECT_EQ(ErrorOf([&] { SaveBmpFile(r, missing); }),
            "Cannot create file \"" + missing + "\". No such file or directory");
}

// ---- broken files ----

// A valid 24-bit 5 x 3 file, the base of most broken ones.
std::vector<uint8_t> Small24() { return EncodeBmp(Raster(5, 3)); }

struct Broken {
  const char* name;
  std::function<std::vector<uint8_t>()> make;
  const char* reason;  // part of the text after "Bitmap image is not valid: broken.bmp: "
};

std::vector<uint8_t> Patched32(std::vector<uint8_t> f, size_t at, uint32_t v) {
  Put32(f, at, v);
  return f;
}
std::vector<uint8_t> Patched16(std::vector<uint8_t> f, size_t at, uint32_t v) {
  Put16(f, at, v);
  return f;
}

const Broken kBroken[] = {
    {"empty", [] { return std::vector<uint8_t>{}; }, "file header truncated"},
    {"no_signature", [] { return Patched16(Small24(), 0, 0x4D42 ^ 0x2020); }, "no BM signature"},
    {"width_zero", [] { return Patched32(Small24(), 18, 0); }, "width 0 is not positive"},
    {"width_negative", [] { return Patched32(Small24(), 18, uint32_t(-5)); }, "width -5 is not positive"},
    {"width_2_pow_31", [] { return Patched32(Small24(), 18, 0x80000000u); }, "width -2147483648 is not positive"},
    {"width_2_pow_31_minus_1", [] { return Patched32(Small24(), 18, 0x7FFFFFFFu); }, "pixel data truncated"},
    {"height_zero", [] { return Patched32(Small24(), 22, 0); }, "height is 0"},
    {"height_int_min", [] { return Patched32(Small24(), 22, 0x80000000u); }, "height -2147483648 is out of range"},
    {"huge_declared",
     [] { return Patched32(Patched32(Small24(), 18, 65500), 22, 65500); }, "pixel data truncated"},
    {"planes_zero", [] { return Patched16(Small24(), 26, 0); }, "plane count 0 is not 1"},
    {"planes_two", [] { return Patched16(Small24(), 26, 2); }, "plane count 2 is not 1"},
    {"bit_count_7", [] { return Patched16(Small24(), 28, 7); }, "unsupported bit count 7"},
    {"bit_count_0", [] { return Patched16(Small24(), 28, 0); }, "unsupported bit count 0"},
    {"bit_count_64", [] { return Patched16(Small24(), 28, 64); }, "unsupported bit count 64"},
    {"rle8", [] { return Patched32(Small24(), 30, 1); }, "RLE compression is not supported"},
    {"rle4", [] { return Patched32(Small24(), 30, 2); }, "RLE compression is not supported"},
    {"embedded_png", [] { return Patched32(Small24(), 30, 5); }, "embedded JPEG or PNG data is not supported"},
    {"compression_99", [] { return Patched32(Small24(), 30, 99); }, "unknown compression type 99"},
    {"bitfields_on_24bit", [] { return Patched32(Small24(), 30, 3); }, "bit fields need 16 or 32 bits"},
    {"header_size_0", [] { return Patched32(Small24(), 14, 0); }, "unsupported info header size 0"},
    {"header_size_64", [] { return Patched32(Small24(), 14, 64); }, "unsupported info header size 64"},
    {"header_size_huge", [] { return Patched32(Small24(), 14, 0xFFFFFFFFu); }, "unsupported info header size"},
    {"header_past_end", [] { return Patched32(Small24(), 14, 124); }, "info header truncated"},
    {"offset_past_end", [] { return Patched32(Small24(), 10, 100000); }, "is past the end of the file"},
    {"offset_max", [] { return Patched32(Small24(), 10, 0xFFFFFFFFu); }, "is past the end of the file"},
    {"offset_inside_headers", [] { return Patched32(Small24(), 10, 20); }, "lies inside the headers"},
    {"offset_zero", [] { return Patched32(Small24(), 10, 0); }, "lies inside the headers"},
    {"offset_cuts_pixels", [] { return Patched32(Small24(), 10, 60); }, "pixel data truncated"},
    {"palette_3_for_1bit",
     [] { return Patched32(EncodeBmp(Raster(5, 3, PixelFormat::pf1bit)), 46, 3); }, "colour table of 3 entries"},
    {"palette_257_for_8bit",
     [] { return Patched32(EncodeBmp(Raster(5, 3, PixelFormat::pf8bit)), 46, 257); }, "colour table of 257 entries"},
    {"palette_count_max",
     [] { return Patched32(EncodeBmp(Raster(5, 3, PixelFormat::pf8bit)), 46, 0xFFFFFFFFu); }, "too large"},
    {"palette_over_pixels",
     [] { return Patched32(EncodeBmp(Raster(5, 3, PixelFormat::pf1bit)), 10, 58); }, "overlaps the pixel data"},
    {"mask_zero", [] { return MakeFile(Fields(16, 40, 0, 0x07E0, 0x001F)); }, "colour mask 00000000 is not valid"},
    {"mask_gappy", [] { return MakeFile(Fields(32, 40, 0x00F0F000, 0xFF, 0xF00)); }, "colour mask 00F0F000"},
    {"mask_wider_than_pixel", [] { return MakeFile(Fields(16, 40, 0x1F0000, 0x07E0, 0x001F)); }, "colour mask 001F0000"},
    {"masks_overlap", [] { return MakeFile(Fields(16, 40, 0xFC00, 0x07E0, 0x001F)); }, "colour masks overlap"},
    {"core_header_16bit", [] { return Patched16(MakeFile(Form(24, 12)), 24, 16); },
     "unsupported bit count 16 for a core header"},
};

class BrokenFile : public ::testing::TestWithParam<Broken> {};

TEST_P(BrokenFile, GivesAnErrorNamingFileAndFault) {
  const std::vector<uint8_t> f = GetParam().make();
  const std::string error = ErrorOf([&] { DecodeBmp(f.data(), f.size(), "broken.bmp"); });
  EXPECT_THAT(error, StartsWith("Bitmap image is not valid: broken.bmp: "));
  EXPECT_THAT(error, HasSubstr(GetParam().reason));
}

INSTANTIATE_TEST_SUITE_P(Bmp, BrokenFile, ::testing::ValuesIn(kBroken),
                         [](const auto& info) { return std::string(info.param.name); });

// Files cut at every boundary of their layout and inside the pixels.
TEST(BrokenFile, TruncatedAnywhereIsAnError) {
  const std::vector<std::vector<uint8_t>> files = {
      EncodeBmp(GradientRaster(kW, kH, PixelFormat::pf24bit)),
      EncodeBmp(GradientRaster(kW, kH, PixelFormat::pf1bit)),
      EncodeBmp(GradientRaster(kW, kH, PixelFormat::pf8bit)),
      MakeFile(Fields(16, 124, 0xF800, 0x07E0, 0x001F)),
      MakeFile(Fields(32, 40, 0x3FF00000, 0x000FFC00, 0x000003FF)),
      MakeFile(Form(4)),
      MakeFile(Form(8, 12)),
  };
  TempDir dir;
  for (const auto& file : files) {
    const size_t offset = Get32(file, 10);
    std::vector<size_t> cuts = {0, 1, 2, 10, 13, 14, 17, 18, 30, 53, 54, 57, 65, 66, offset - 1,
                                offset, offset + 1, (offset + file.size()) / 2, file.size() - 1};
    for (size_t cut : cuts) {
      if (cut >= file.size()) continue;
      const std::vector<uint8_t> part(file.begin(), file.begin() + static_cast<long>(cut));
      EXPECT_THAT(ErrorOf([&] { DecodeBmp(part.data(), part.size(), "cut.bmp"); }),
                  StartsWith("Bitmap image is not valid: cut.bmp: "))
          << "cut at " << cut << " of " << file.size();
      const std::string path = dir.File("cut.bmp");
      WriteBytes(path, part);
      EXPECT_THAT(ErrorOf([&] { LoadBmpFile(path); }), StartsWith("Bitmap image is not valid: " + path + ": "))
          << "cut at " << cut << " of " << file.size();
    }
  }
}

// Every header byte set to a few awkward values: the reader either decodes
// a picture of the declared size or raises an Error, nothing else.
TEST(BrokenFile, EveryHeaderByteMutatedIsDecodedOrRefused) {
  const std::vector<std::vector<uint8_t>> files = {
      MakeFile(Form(4), 9, 7), MakeFile(Fields(16, 40, 0xF800, 0x07E0, 0x001F), 9, 7),
      MakeFile(Form(8, 12), 9, 7), EncodeBmp(Raster(9, 7, PixelFormat::pf1bit))};
  int decoded = 0;
  int refused = 0;
  for (const auto& file : files) {
    for (size_t at = 0; at < std::min<size_t>(file.size(), 70); ++at) {
      for (uint8_t value : {0x00, 0x01, 0x7F, 0x80, 0xFF}) {
        std::vector<uint8_t> f = file;
        f[at] = value;
        try {
          const Raster r = DecodeBmp(f.data(), f.size(), "m.bmp");
          EXPECT_GT(r.Width(), 0);
          EXPECT_GT(r.Height(), 0);
          ++decoded;
        } catch (const Error&) {
          ++refused;
        }
      }
    }
  }
  EXPECT_GT(decoded, 0);
  EXPECT_GT(refused, 0);
}

// A file that really is as large as its header says (sparse, so it costs no
// disk) is refused by the memory limit before any pixel memory is taken.
TEST(BrokenFile, DeclaredSizeBeyondTheMemoryLimitIsRefusedBeforeAllocating) {
  TempDir dir;
  const std::string path = dir.File("huge.bmp");
  std::vector<uint8_t> header = Patched32(Patched32(Small24(), 18, 65500), 22, 65500);
  header.resize(54);
  WriteBytes(path, header);
  const uint64_t row = (65500ull * 24 + 31) / 32 * 4;
  if (::truncate(path.c_str(), static_cast<off_t>(54 + row * 65500)) != 0) {
    GTEST_SKIP() << "cannot make a sparse file here";
  }
  EXPECT_EQ(ErrorOf([&] { LoadBmpFile(path); }),
            "Bitmap image is too large: " + path + ": 65500 x 65500 pixels need more than 1024 MB");
}

TEST(LoadBmpFile, ReportsWhyAFileCannotBeOpened) {
  TempDir dir;
  EXPECT_EQ(ErrorOf([&] { LoadBmpFile(dir.File("none.bmp")); }),
            "Cannot open file \"" + dir.File("none.bmp") + "\". No such file or directory");
  EXPECT_EQ(ErrorOf([&] { LoadBmpFile(dir.path().string()); }),
            "Cannot open file \"" + dir.path().string() + "\". Is a directory");
}

}  // namespace
}  // namespace lenti
