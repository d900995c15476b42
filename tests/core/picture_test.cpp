// The picture holder: the reader chosen by the extension in any letter case,
// the empty picture of an empty extension, the previous picture kept on every
// failure, lazy JPEG decoding, and drawing only on bitmaps (copy on write).
#include "core/picture.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "core/bmp_writer.h"
#include "core/error.h"
#include "core/jpeg.h"

#include "temp_dir.h"
#include "error_of.h"

namespace lenti {
namespace {

namespace fs = std::filesystem;
using ::testing::StartsWith;

using lenti::testing::TempDir;

using lenti::testing::ErrorOf;

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

Raster Marked(int width, int height, Color mark) {
  Raster r(width, height);
  r.SetPixelColor(1, 1, mark);
  return r;
}

// A JPEG whose header is sound but whose pixel data is cut short.
std::vector<uint8_t> JpegWithBrokenPixels() {
  std::vector<uint8_t> jpeg = EncodeJpeg(Marked(64, 48, kRed), 90);
  for (size_t i = 2; i + 3 < jpeg.size(); ++i) {
    if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xDA) {  // start of scan: keep its header and 4 data bytes
      jpeg.resize(i + 2 + ((jpeg[i + 2] << 8) | jpeg[i + 3]) + 4);
      break;
    }
  }
  return jpeg;
}

// The holder a failing load started from: a 3 x 2 raster with a red mark.
void ExpectPrevious(const Picture& p) {
  ASSERT_EQ(p.GetKind(), Picture::Kind::Bitmap);
  EXPECT_EQ(p.Width(), 3);
  EXPECT_EQ(p.Height(), 2);
  EXPECT_EQ(p.Graphic().PixelColor(1, 1), kRed);
}

// ---- the reader follows the extension ----

struct Named {
  const char* file;
  Picture::Kind kind;
};

class LoadByExtension : public ::testing::TestWithParam<Named> {};

TEST_P(LoadByExtension, InAnyLetterCase) {
  TempDir dir;
  const std::string path = dir.File(GetParam().file);
  const Raster photo = Marked(20, 10, Color{0, 0, 255});
  if (GetParam().kind == Picture::Kind::Bitmap) {
    SaveBmpFile(photo, path);
  } else {
    WriteBytes(path, EncodeJpeg(photo, 95));
  }
  Picture p;
  p.LoadFromFile(path);
  EXPECT_EQ(p.GetKind(), GetParam().kind);
  EXPECT_EQ(p.Width(), 20);
  EXPECT_EQ(p.Height(), 10);
  EXPECT_EQ(p.Graphic().Width(), 20);
  EXPECT_NEAR(p.Graphic().PixelColor(10, 5).r, 255, 8);
}

INSTANTIATE_TEST_SUITE_P(Picture, LoadByExtension,
                         ::testing::Values(Named{"a.bmp", Picture::Kind::Bitmap}, Named{"a.BMP", Picture::Kind::Bitmap},
                                           Named{"a.Bmp", Picture::Kind::Bitmap}, Named{"a.jpg", Picture::Kind::Jpeg},
                                           Named{"a.JPG", Picture::Kind::Jpeg}, Named{"a.jpeg", Picture::Kind::Jpeg},
                                           Named{"a.JpEg", Picture::Kind::Jpeg}),
                         [](const auto& info) {
                           std::string name = info.param.file;
                           name[1] = '_';
                           return name;
                         });

TEST(Picture, AnEmptyExtensionGivesAnEmptyPictureWithoutError) {
  TempDir dir;
  for (const std::string& name : {std::string(), dir.File("noext"), dir.File("trailing."), dir.File("a.d/noext")}) {
    Picture p(Marked(3, 2, kRed));
    EXPECT_NO_THROW(p.LoadFromFile(name)) << name;
    EXPECT_TRUE(p.IsEmpty()) << name;
    EXPECT_EQ(p.Width(), 0);
    EXPECT_EQ(p.Height(), 0);
    EXPECT_TRUE(p.Graphic().Empty());
    // Not a bitmap: drawing on it is refused, as for a JPEG.
    EXPECT_EQ(ErrorOf([&] { p.BitmapForDrawing(Size{10, 10}); }),
              "Can only modify an image if it contains a bitmap");
  }
}

// ---- every failure keeps the previous picture ----

struct FailedLoad {
  const char* name;
  std::function<std::string(TempDir&)> make;  // returns the path to load
  std::function<std::string(const std::string& path)> error;
};

const FailedLoad kFailedLoads[] = {
    {"png_extension",
     [](TempDir& d) {
       WriteBytes(d.File("photo.png"), EncodeBmp(Raster(4, 4)));
       return d.File("photo.png");
     },
     [](const std::string&) { return std::string("Unknown picture file extension (.png)"); }},
    {"extension_case_kept",
     [](TempDir& d) { return d.File("photo.GIF"); },
     [](const std::string&) { return std::string("Unknown picture file extension (.GIF)"); }},
    {"missing_bmp", [](TempDir& d) { return d.File("missing.bmp"); },
     [](const std::string& p) { return "Cannot open file \"" + p + "\". No such file or directory"; }},
    {"damaged_bmp",
     [](TempDir& d) {
       std::vector<uint8_t> bmp = EncodeBmp(Raster(4, 4));
       bmp.resize(60);
       WriteBytes(d.File("cut.bmp"), bmp);
       return d.File("cut.bmp");
     },
     [](const std::string& p) { return "Bitmap image is not valid: " + p + ": pixel data truncated (4 rows of 12 bytes, 6 bytes present)"; }},
    {"jpeg_without_header",
     [](TempDir& d) {
       WriteBytes(d.File("junk.jpg"), {0xFF, 0xD8, 0xFF, 0xE0, 0x00});
       return d.File("junk.jpg");
     },
     [](const std::string& p) { return "JPEG image is not valid: " + p + ": Premature end of JPEG file"; }},
    {"bmp_named_jpg",
     [](TempDir& d) {
       WriteBytes(d.File("bmp.jpg"), EncodeBmp(Raster(4, 4)));
       return d.File("bmp.jpg");
     },
     [](const std::string& p) { return "JPEG image is not valid: " + p + ": Not a JPEG file: starts with 0x42 0x4d"; }},
};

class PictureFailure : public ::testing::TestWithParam<FailedLoad> {};

TEST_P(PictureFailure, KeepsThePreviousPicture) {
  TempDir dir;
  const std::string path = GetParam().make(dir);
  Picture p(Marked(3, 2, kRed));
  EXPECT_EQ(ErrorOf([&] { p.LoadFromFile(path); }), GetParam().error(path));
  ExpectPrevious(p);
}

INSTANTIATE_TEST_SUITE_P(Picture, PictureFailure, ::testing::ValuesIn(kFailedLoads),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- JPEG pictures decode on first use ----

TEST(Picture, AJpegIsDecodedOnFirstUseAndItsErrorsRaisedThen) {
  TempDir dir;
  const std::string path = dir.File("cut.jpg");
  WriteBytes(path, JpegWithBrokenPixels());
  Picture p;
  ASSERT_NO_THROW(p.LoadFromFile(path));  // the header is sound
  EXPECT_EQ(p.GetKind(), Picture::Kind::Jpeg);
  EXPECT_EQ(p.Width(), 64);
  EXPECT_EQ(p.Height(), 48);
  const std::string expected = "JPEG image is not valid: " + path + ": Premature end of JPEG file";
  EXPECT_EQ(ErrorOf([&] { p.Graphic(); }), expected);
  EXPECT_EQ(ErrorOf([&] { p.Graphic(); }), expected);  // not cached as a half picture
}

TEST(Picture, CopiesShareOneDecodedJpeg) {
  TempDir dir;
  const std::string path = dir.File("a.jpg");
  WriteBytes(path, EncodeJpeg(Marked(16, 16, kRed), 90));
  Picture a;
  a.LoadFromFile(path);
  const Picture b = a;
  fs::remove(path);  // the bytes were read at load: the file is no longer needed
  EXPECT_EQ(&a.Graphic(), &b.Graphic());
  EXPECT_EQ(a.Graphic().Width(), 16);
}

TEST(Picture, AJpegTooLargeForMemoryIsRefusedAtLoad) {
  TempDir dir;
  std::vector<uint8_t> jpeg = EncodeJpeg(Raster(16, 16), 90);
  for (size_t i = 2; i + 8 < jpeg.size(); ++i) {
    if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xC0) {
      jpeg[i + 5] = jpeg[i + 7] = 0xFF;  // 65500 x 65500
      jpeg[i + 6] = jpeg[i + 8] = 0xDC;
      break;
    }
  }
  const std::string path = dir.File("huge.jpg");
  WriteBytes(path, jpeg);
  Picture p(Marked(3, 2, kRed));
  EXPECT_THAT(ErrorOf([&] { p.LoadFromFile(path); }), StartsWith("JPEG image is too large: " + path));
  ExpectPrevious(p);
}

// ---- drawing ----

TEST(Picture, DrawingOnAJpegIsRefused) {
  TempDir dir;
  WriteBytes(dir.File("a.jpg"), EncodeJpeg(Raster(8, 8), 90));
  Picture p;
  p.LoadFromFile(dir.File("a.jpg"));
  EXPECT_EQ(ErrorOf([&] { p.BitmapForDrawing(Size{8, 8}); }), "Can only modify an image if it contains a bitmap");
}

TEST(Picture, AnUnloadedHolderGetsAWhiteRasterOfTheFallbackSize) {
  Picture fresh;
  Picture cleared(Marked(3, 2, kRed));
  cleared.Clear();
  for (Picture* p : {&fresh, &cleared}) {
    Raster& r = p->BitmapForDrawing(Size{30, 20});
    EXPECT_EQ(r.Width(), 30);
    EXPECT_EQ(r.Height(), 20);
    EXPECT_EQ(r.Format(), PixelFormat::pf24bit);
    EXPECT_EQ(r.PixelColor(0, 0), kWhite);
    EXPECT_EQ(r.PixelColor(29, 19), kWhite);
    EXPECT_EQ(p->GetKind(), Picture::Kind::Bitmap);
  }
}

TEST(Picture, DrawingOnACopyLeavesTheOriginalAlone) {
  const Picture original(Marked(3, 2, kRed));
  Picture copy = original;
  EXPECT_EQ(&copy.Graphic(), &original.Graphic());  // shared until drawn on
  copy.BitmapForDrawing(Size{}).SetPixelColor(1, 1, kBlack);
  EXPECT_EQ(copy.Graphic().PixelColor(1, 1), kBlack);
  ExpectPrevious(original);
  // A holder that owns its pixels alone draws on them in place.
  Raster* before = &copy.BitmapForDrawing(Size{});
  EXPECT_EQ(&copy.BitmapForDrawing(Size{}), before);
}

}  // namespace
}  // namespace lenti
