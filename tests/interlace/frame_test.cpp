// Frame preparation: the view-to-source mapping, the crop raster (white
// where the rectangle leaves the photo), the scaling to the slice size and
// the working file.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "core/bmp_reader.h"
#include "core/bmp_writer.h"
#include "core/error.h"
#include "core/file_io.h"
#include "interlace/geometry.h"
#include "interlace/merge.h"

#include "error_of.h"
#include "file_size_limit.h"
#include "slicing.h"
#include "temp_dir.h"

namespace lenti {
namespace {

using testing::MakeSlice;
using testing::PrepareFrame;

namespace fs = std::filesystem;

using lenti::testing::ErrorOf;
using lenti::testing::FileSizeLimit;
using lenti::testing::TempDir;

Color At(const Raster& raster, int x, int y) {
  const uint8_t* p = raster.Row(y) + 3 * x;
  return Color{p[2], p[1], p[0]};
}

struct Mapping {
  CropRecord record;
  int64_t scale;
  Rect source;
};

class MapCrop : public ::testing::TestWithParam<Mapping> {};

TEST_P(MapCrop, RoundsTheProductFirstWithTiesToEven) {
  EXPECT_EQ(MapCropToSource(GetParam().record, GetParam().scale), GetParam().source);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MapCrop,
    ::testing::Values(
        // A 1600 x 1200 photo framed by default in a 591 x 593 view box.
        Mapping{{112, 75, 479, 518, 0, 75, true}, 27073, {303, 0, 1297, 1199}},
        // Scale 1 with an offset: a plain shift.
        Mapping{{73, 28, 518, 565, 73, 0, true}, 10000, {0, 28, 445, 565}},
        // 2.5 -> 2, 3.5 -> 4, -2.5 -> -2 (ties to even).
        Mapping{{1, 1, 3, -1, 0, 0, true}, 25000, {2, 2, 8, -2}},
        Mapping{{1, 0, 1, 0, 0, 0, true}, 35000, {4, 0, 4, 0}},
        // 1500 x 10 / 10000 = 1.5 exactly -> 2; dividing the scale first
        // would give 1.4999... -> 1.
        Mapping{{1500, 0, 750, 0, 0, 0, true}, 10, {2, 0, 1, 0}},
        // A rectangle dragged left of the photo maps to negative pixels.
        Mapping{{-20, 10, 80, 110, 10, 10, true}, 20000, {-60, 0, 140, 200}}));

TEST(MapCrop, RefusesAResultBeyondThirtyTwoBits) {
  const CropRecord record{0, 0, 2000000000, 10, 0, 0, true};
  EXPECT_THROW(MapCropToSource(record, 100000), Error);
}

// A photo of four coloured quadrants, 40 x 30.
Raster Quadrants() {
  Raster photo(40, 30, PixelFormat::pf24bit);
  photo.FillRect({0, 0, 20, 15}, kRed);
  photo.FillRect({20, 0, 40, 15}, Color{0, 255, 0});
  photo.FillRect({0, 15, 20, 30}, Color{0, 0, 255});
  photo.FillRect({20, 15, 40, 30}, kBlack);
  return photo;
}

class SliceScaling : public ::testing::TestWithParam<Size> {};

TEST_P(SliceScaling, StretchesEachAxisIndependentlyToTheSliceSize) {
  const Size size = GetParam();
  const Raster slice = MakeSlice(Quadrants(), {0, 0, 40, 30}, size);
  ASSERT_EQ(slice.Width(), size.width);
  ASSERT_EQ(slice.Height(), size.height);
  EXPECT_EQ(slice.Format(), PixelFormat::pf24bit);
  const int w = size.width, h = size.height;
  EXPECT_EQ(At(slice, 0, 0), kRed);
  EXPECT_EQ(At(slice, w - 1, 0), (Color{0, 255, 0}));
  EXPECT_EQ(At(slice, 0, h - 1), (Color{0, 0, 255}));
  EXPECT_EQ(At(slice, w - 1, h - 1), kBlack);
  // The quadrant borders stay at the middle of the slice.
  EXPECT_EQ(At(slice, w / 2 - 2, h / 2 - 2), kRed);
  EXPECT_EQ(At(slice, w / 2 + 2, h / 2 + 2), kBlack);
}

// Enlarged, reduced, and each direction on its own.
INSTANTIATE_TEST_SUITE_P(Sizes, SliceScaling,
                         ::testing::Values(Size{80, 60}, Size{20, 14}, Size{80, 14}, Size{20, 60},
                                           Size{40, 30}));

TEST(MakeSlice, CopiesTheCropPixelForPixelAtEqualSize) {
  const Raster slice = MakeSlice(Quadrants(), {10, 5, 30, 25}, {20, 20});
  EXPECT_EQ(At(slice, 9, 9), kRed);
  EXPECT_EQ(At(slice, 10, 9), (Color{0, 255, 0}));
  EXPECT_EQ(At(slice, 9, 10), (Color{0, 0, 255}));
  EXPECT_EQ(At(slice, 10, 10), kBlack);
}

TEST(MakeSlice, LeavesWhiteWhereTheRectangleLeavesThePhoto) {
  Raster photo(10, 10, PixelFormat::pf24bit);
  photo.FillRect(photo.ClipRect(), kRed);
  const Raster slice = MakeSlice(photo, {-5, -5, 5, 5}, {10, 10});
  for (int y = 0; y < 10; ++y) {
    for (int x = 0; x < 10; ++x) {
      EXPECT_EQ(At(slice, x, y), (x < 5 || y < 5) ? kWhite : kRed) << x << "," << y;
    }
  }
  const Raster outside = MakeSlice(photo, {50, 50, 60, 60}, {4, 4});
  EXPECT_EQ(At(outside, 3, 3), kWhite);
}

TEST(MakeSlice, TurnsAGreyPhotoIntoColourPixels) {
  Raster grey(8, 8, PixelFormat::pf8bit);
  grey.SetPalette(GreyPalette());
  for (int y = 0; y < 8; ++y) std::memset(grey.Row(y), 77, 8);
  const Raster slice = MakeSlice(grey, {0, 0, 8, 8}, {4, 4});
  EXPECT_EQ(At(slice, 1, 2), (Color{77, 77, 77}));
}

struct EmptyCrop {
  Rect rect;
  int slot;
  const char* text;
};

class MakeSliceEmpty : public ::testing::TestWithParam<EmptyCrop> {};

TEST_P(MakeSliceEmpty, NamesThePhotoInsteadOfMakingAnEmptyRaster) {
  try {
    MakeSlice(Quadrants(), GetParam().rect, {10, 10}, GetParam().slot);
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), GetParam().text);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Rects, MakeSliceEmpty,
    ::testing::Values(EmptyCrop{{5, 5, 5, 20}, 3, "The crop rectangle of photo 3 is empty"},
                      EmptyCrop{{5, 5, 20, 5}, 1, "The crop rectangle of photo 1 is empty"},
                      EmptyCrop{{20, 5, 5, 20}, 16, "The crop rectangle of photo 16 is empty"},
                      EmptyCrop{{5, 20, 20, 5}, 0, "The crop rectangle is empty"}));

class PrepareFrameTest : public ::testing::TestWithParam<Mode> {
 protected:
  // Two frames at 21.25 lpi after a merge's geometry step; slot 1 holds a
  // 40 x 30 quadrant photo framed whole at scale 1.
  void SetUp() override {
    geometry_ = ComputeOutputGeometry(2, state_.lens.LensLpiX, GetParam());
    state_.photos.CropRects[0] = CropRecord{0, 0, 40, 30, 0, 0, true};
    state_.photos.CropScales[0] = 10000;
    SaveBmpFile(Quadrants(), dir_ / "photo.bmp");
  }
  MakerState state_;
  OutputGeometry geometry_;
  TempDir dir_;
};

TEST_P(PrepareFrameTest, WritesTheSliceFileAndRecordsItsSize) {
  const Raster slice = PrepareFrame(state_, geometry_, GetParam(), dir_ / "photo.bmp", dir_ / "x01.bmp", 0);
  const Size want = GetParam() == Mode::PortraitRows ? Size{1698, 1024} : Size{1024, 1698};
  EXPECT_EQ((Size{slice.Width(), slice.Height()}), want);
  const Raster written = LoadBmpFile(dir_ / "x01.bmp");
  ASSERT_EQ((Size{written.Width(), written.Height()}), want);
  for (int y = 0; y < want.height; y += 97) {
    ASSERT_EQ(std::memcmp(written.Row(y), slice.Row(y), static_cast<size_t>(want.width) * 3), 0);
  }
  EXPECT_FALSE(fs::exists(dir_ / "x01.bmp.part"));
}

// A working file that cannot be written is named as the person knows it,
// not by the temporary file beside it, and stays as it was.
TEST_P(PrepareFrameTest, AFullDiskNamesTheWorkingFileAndLeavesItAsItWas) {
  const std::vector<uint8_t> before{'o', 'l', 'd'};
  const std::string work_file = dir_ / "x01.bmp";
  WriteWholeFile(work_file, before.data(), before.size());
  std::string error;
  {
    const FileSizeLimit full(64 * 1024);  // the slice is 5 MB
    error = ErrorOf([&] { PrepareFrame(state_, geometry_, GetParam(), dir_ / "photo.bmp", work_file, 0); });
  }
  EXPECT_EQ(error, "Cannot create file \"" + work_file + "\". File too large");
  EXPECT_EQ(ReadWholeFile(work_file), before);
  EXPECT_EQ(dir_.Count(), 2u) << "the photo and x01.bmp, no temporary file left";
}

TEST_P(PrepareFrameTest, AFailureLeavesTheWorkingFileAsItWas) {
  const std::vector<uint8_t> before{'o', 'l', 'd'};
  WriteWholeFile(dir_ / "x01.bmp", before.data(), before.size());
  const std::vector<uint8_t> not_bmp{0xFF, 0xD8, 0xFF, 0xE0, 0, 0x10, 'J', 'F', 'I', 'F'};
  WriteWholeFile(dir_ / "fake.bmp", not_bmp.data(), not_bmp.size());
  for (const std::string& source : {dir_ / "missing.bmp", dir_ / "fake.bmp"}) {
    EXPECT_THROW(PrepareFrame(state_, geometry_, GetParam(), source, dir_ / "x01.bmp", 0), Error) << source;
    EXPECT_EQ(ReadWholeFile(dir_ / "x01.bmp"), before);
  }
}

TEST_P(PrepareFrameTest, AnUnwritableWorkingFolderRaisesAndLeavesNoTemporaryFile) {
  WriteWholeFile(dir_ / "not-a-folder", nullptr, 0);
  EXPECT_THROW(PrepareFrame(state_, geometry_, GetParam(), dir_ / "photo.bmp", dir_ / "not-a-folder/x01.bmp", 0),
               Error);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_ / ""), fs::directory_iterator()), 2);
}

TEST_P(PrepareFrameTest, RefusesAnEmptyCropNamingTheSlot) {
  state_.photos.CropRects[4] = CropRecord{10, 10, 10, 50, 0, 0, true};
  state_.photos.CropScales[4] = 10000;
  EXPECT_THROW(
      {
        try {
          PrepareFrame(state_, geometry_, GetParam(), dir_ / "photo.bmp", dir_ / "x05.bmp", 4);
        } catch (const Error& e) {
          EXPECT_STREQ(e.what(), "The crop rectangle of photo 5 is empty");
          throw;
        }
      },
      Error);
  EXPECT_FALSE(fs::exists(dir_ / "x05.bmp"));
}

INSTANTIATE_TEST_SUITE_P(Modes, PrepareFrameTest,
                         ::testing::Values(Mode::PortraitRows, Mode::LandscapeColumns),
                         [](const auto& info) {
                           return std::string(info.param == Mode::PortraitRows ? "portrait"
                                                                               : "landscape");
                         });

}  // namespace
}  // namespace lenti
