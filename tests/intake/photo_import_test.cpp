// PNG, TIFF and phone JPEGs (orientation, Display P3 profile) through the
// window's import and the command line's photo sources: both see the photo
// as a viewer shows it, the working file holds exactly those pixels, and a
// region of a source equals the same part of the whole photo.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "core/bmp_reader.h"
#include "core/file_io.h"
#include "core/icc_to_srgb.h"
#include "core/jpeg.h"
#include "core/work_dir.h"
#include "fake_frontend.h"
#include "import_to_end.h"
#include "intake/photo_source.h"
#include "intake/slots.h"
#include "photo_forms.h"
#include "temp_dir.h"

namespace lenti {
namespace {

using forms::Bytes;

// Red grows to the right, green downwards: any turn shows in the corners.
unsigned Sample(int x, int y, int c) { return c == 0 ? x * 4 : c == 1 ? y * 6 : 90; }
Color Stored(int x, int y) { return Color{uint8_t(x * 4), uint8_t(y * 6), 90}; }

struct PhotoCase {
  std::string name;
  std::function<Bytes()> make;
  int shown_width;
  int shown_height;
  // The stored pixel a viewer shows at the shown photo's top-left corner
  // and at its top-right corner.
  Color top_left;
  Color top_right;
  bool exact;  // lossless: every pixel known
};

std::vector<PhotoCase> Cases() {
  std::vector<PhotoCase> cases;
  cases.push_back({"png rgb 16",
                   [] {
                     return forms::EncodePng(forms::MakePng(40, 30, PNG_COLOR_TYPE_RGB, 16, false,
                                                            [](int x, int y, int c) { return Sample(x, y, c) * 257; }));
                   },
                   40, 30, Stored(0, 0), Stored(39, 0), true});
  cases.push_back({"tiff deflate turned 90 clockwise",
                   [] {
                     forms::TiffForm f;
                     f.width = 40;
                     f.height = 30;
                     f.compression = COMPRESSION_ADOBE_DEFLATE;
                     f.orientation = ORIENTATION_RIGHTTOP;  // 6
                     f.sample = Sample;
                     return forms::EncodeTiff(f);
                   },
                   30, 40, Stored(0, 29), Stored(0, 0), true});
  cases.push_back({"tiff tiles mirrored", [] {
                     forms::TiffForm f;
                     f.width = 40;
                     f.height = 30;
                     f.tile = 16;
                     f.orientation = ORIENTATION_TOPRIGHT;  // 2
                     f.sample = Sample;
                     return forms::EncodeTiff(f);
                   },
                   40, 30, Stored(39, 0), Stored(0, 0), true});
  cases.push_back({"phone jpeg turned 90 anticlockwise", [] {
                     Raster r(40, 30);
                     for (int y = 0; y < 30; ++y)
                       for (int x = 0; x < 40; ++x) r.SetPixelColor(x, y, Stored(x, y));
                     return forms::WithJpegSegment(EncodeJpeg(r, 95), 0xE1, forms::ExifWithOrientation(8));
                   },
                   30, 40, Stored(39, 0), Stored(39, 29), false});
  return cases;
}

void ExpectNear(Color got, Color want, int tolerance) {
  EXPECT_LE(std::abs(got.r - want.r), tolerance);
  EXPECT_LE(std::abs(got.g - want.g), tolerance);
  EXPECT_LE(std::abs(got.b - want.b), tolerance);
}

class PhotoImport : public ::testing::Test {
 protected:
  std::string Write(const std::string& name, const Bytes& bytes) {
    const std::string path = temp_ / name;
    WriteWholeFile(path, bytes.data(), bytes.size());
    return path;
  }
  lenti::testing::TempDir temp_{"lenti-photo-import"};
};

TEST_F(PhotoImport, EachKindIsImportedAsAViewerShowsIt) {
  const std::string work = temp_ / "work";
  std::filesystem::create_directory(work);
  for (const PhotoCase& c : Cases()) {
    SCOPED_TRACE(c.name);
    const std::string path = Write("photo.any", c.make());
    const int tolerance = c.exact ? 0 : 4;

    // The window: the working file is a BMP of the shown photo.
    MakerState state;
    testing::FakeFrontend fe;
    fe.open_answers.push_back(path);
    ImportIntoSlotToEnd(state, fe, fe, work, 3);
    ASSERT_EQ(state.photos.SlotFiles[2], PhotoWorkFile(work, 3));
    const Raster working = LoadBmpFile(state.photos.SlotFiles[2]);
    ASSERT_EQ(working.Width(), c.shown_width);
    ASSERT_EQ(working.Height(), c.shown_height);
    ExpectNear(working.PixelColor(0, 0), c.top_left, tolerance);
    ExpectNear(working.PixelColor(c.shown_width - 1, 0), c.top_right, tolerance);
    EXPECT_EQ(fe.view.Width(), c.shown_width);
    EXPECT_EQ(fe.thumbnails.count(3), 1u);

    // The command line: the source has the same size and the same pixels,
    // a region as the same part of the whole.
    const std::unique_ptr<PhotoSource> source = OpenPhotoSource(path);
    ASSERT_EQ(source->PixelSize().width, c.shown_width);
    ASSERT_EQ(source->PixelSize().height, c.shown_height);
    const Raster whole = source->ReadRegion(Rect{0, 0, c.shown_width, c.shown_height});
    const Raster part = source->ReadRegion(Rect{5, 7, 20, 25});
    ASSERT_EQ(part.Width(), 15);
    ASSERT_EQ(part.Height(), 18);
    for (int y = 0; y < c.shown_height; ++y) {
      for (int x = 0; x < c.shown_width; ++x) {
        ASSERT_EQ(whole.PixelColor(x, y), working.PixelColor(x, y)) << x << "," << y;
      }
    }
    for (int y = 0; y < 18; ++y) {
      for (int x = 0; x < 15; ++x) ASSERT_EQ(part.PixelColor(x, y), whole.PixelColor(x + 5, y + 7));
    }
  }
}

TEST_F(PhotoImport, AP3JpegRegionIsConvertedLikeTheWholePhoto) {
  Raster r(48, 32);
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 48; ++x) r.SetPixelColor(x, y, Color{200, uint8_t(80 + x), 40});
  const Bytes jpeg = forms::WithJpegIcc(EncodeJpeg(r, 95), forms::DisplayP3Profile());
  const std::string path = Write("p3.jpg", jpeg);
  const std::unique_ptr<PhotoSource> source = OpenPhotoSource(path);
  const Raster part = source->ReadRegion(Rect{10, 4, 30, 20});
  const Raster whole = DecodeViewedPhoto(PhotoKind::Jpeg, ReadWholeFile(path), path);
  Raster plain = DecodeJpeg(jpeg.data(), jpeg.size(), path);
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 20; ++x) ASSERT_EQ(part.PixelColor(x, y), whole.PixelColor(x + 10, y + 4));
  }
  // And it is converted: P3 (200, 80, 40) is about sRGB (216, 69, 17).
  ExpectNear(whole.PixelColor(0, 0), Color{216, 69, 17}, 8);  // the JPEG itself is lossy
  EXPECT_NE(whole.PixelColor(0, 0), plain.PixelColor(0, 0));
}

TEST_F(PhotoImport, ContentDecidesWhateverTheName) {
  const Bytes png = forms::EncodePng(forms::MakePng(2, 2, PNG_COLOR_TYPE_GRAY, 8, false, [](int, int, int) { return 5u; }));
  forms::TiffForm f;
  f.sample = Sample;
  const Bytes tiff = forms::EncodeTiff(f);
  EXPECT_EQ(RecognisePhotoFile(Write("a.jpg", png)), PhotoKind::Png);
  EXPECT_EQ(RecognisePhotoFile(Write("b.bmp", tiff)), PhotoKind::Tiff);
  Bytes big_endian = {'M', 'M', 0, 42, 0, 0, 0, 8};
  EXPECT_EQ(RecognisePhoto(big_endian.data(), big_endian.size()), PhotoKind::Tiff);
  Bytes seven = Bytes(png.begin(), png.begin() + 7);
  EXPECT_EQ(RecognisePhoto(seven.data(), seven.size()), PhotoKind::Other);
}

}  // namespace
}  // namespace lenti
