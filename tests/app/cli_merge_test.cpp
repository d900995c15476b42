// The command line's merge against the desktop program's: the same crops
// give the same picture byte for byte; the default crop is the crop
// frame's; slicing on many threads gives what one thread gives; the saved
// file carries the stamp; the finishing options change what they should.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "app/cli_chart.h"
#include "app/cli_merge.h"
#include "core/bmp_reader.h"
#include "core/bmp_writer.h"
#include "core/error.h"
#include "core/file_io.h"
#include "core/jpeg.h"
#include "delivery/save.h"
#include "finishing/align_bars.h"
#include "fake_frontend.h"
#include "merge_to_end.h"
#include "intake/crop_frame.h"
#include "intake/slot_order.h"
#include "interlace/merge.h"

#include "pattern_photos.h"
#include "temp_dir.h"

namespace lenti::cli {
namespace {

namespace fs = std::filesystem;
using lenti::testing::FakeFrontend;

using lenti::testing::TempDir;

using lenti::testing::Grey;
using lenti::testing::Pattern;
using lenti::testing::SamePixels;
using lenti::testing::WriteJpeg;

// The same three photos and crops through the desktop merge (JPEG decoded
// to a BMP working file by import, BMP read as it lies) and the command line.
class SameAsDesktop : public ::testing::TestWithParam<Mode> {
 protected:
  void SetUp() override {
    WriteJpeg(Pattern(300, 362, 1), dir_ / "a.jpg");
    SaveBmpFile(Pattern(280, 340, 2), dir_ / "b.bmp");
    WriteJpeg(Grey(333, 250), dir_ / "c.jpg");
    fs::create_directory(dir_ / "work");
    args_.output = dir_ / "out.bmp";
    args_.mode = GetParam();
    args_.photos = {dir_ / "a.jpg", dir_ / "b.bmp", dir_ / "c.jpg"};
    args_.crops = {{1, Rect{10, 20, 250, 310}},        // inside the photo
                   {2, Rect{-40, 100, 200, 400}},      // partly outside
                   {3, Rect{30, 30, 200, 230}}};       // grey photo
  }

  // `reverse`: the window's "Reverse order" before the merge.
  Raster DesktopMerge(bool reverse = false) {
    MakerState state;
    state.photos.FrameCount = 3;
    for (int slot = 1; slot <= 3; ++slot) {
      std::string file = args_.photos[slot - 1];
      if (LooksLikeJpeg(ReadWholeFile(file).data(), 3)) {
        // What import does with a JPEG photo: its working file "t0k.bmp".
        file = dir_ / ("work/t0" + std::to_string(slot) + ".bmp");
        SaveBmpFile(LoadJpegFile(args_.photos[slot - 1]), file);
      }
      const Rect r = args_.crops.at(slot);
      state.photos.SlotFiles[slot - 1] = file;
      state.photos.CropRects[slot - 1] = CropRecord{r.left, r.top, r.right, r.bottom, 0, 0, true};
      state.photos.CropScales[slot - 1] = 10000;
    }
    FakeFrontend ui;
    state.mode = GetParam();
    if (reverse) ReverseSlots(state, ui, dir_ / "work");
    EXPECT_TRUE(MergeToEnd(state, ui, ui, ui, dir_ / "work").merged);
    return *state.merged.MergedBitmap;
  }

  TempDir dir_;
  MergeArgs args_;
};

TEST_P(SameAsDesktop, GivesTheDesktopPictureByteForByte) {
  const Raster desktop = DesktopMerge();
  const MakerState cli = MergePhotos(args_, 2);
  EXPECT_TRUE(SamePixels(*cli.merged.MergedBitmap, desktop));
  EXPECT_EQ(cli.merged.Geometry.FrameCount, 3);
  EXPECT_EQ(cli.merged.Geometry.StripWidth, 5);
  EXPECT_EQ(cli.merged.Geometry.OutputDpiX, 3187500);
}

TEST_P(SameAsDesktop, DefaultCropsToo) {
  args_.crops.clear();
  const MakerState cli = MergePhotos(args_, 3);
  for (int slot = 1; slot <= 3; ++slot) {
    const Raster photo = slot == 2 ? LoadBmpFile(args_.photos[1]) : LoadJpegFile(args_.photos[slot - 1]);
    args_.crops[slot] = DefaultSourceRect(Size{photo.Width(), photo.Height()}, GetParam());
  }
  EXPECT_TRUE(SamePixels(*cli.merged.MergedBitmap, DesktopMerge()));
}

// --reverse is the window's "Reverse order": each photo keeps its crop.
TEST_P(SameAsDesktop, ReverseIsTheWindowsReverseOrder) {
  args_.reverse = true;
  const MakerState reversed = MergePhotos(args_, 2);
  EXPECT_TRUE(SamePixels(*reversed.merged.MergedBitmap, DesktopMerge(true)));

  // The same as naming the photos the other way round, crops renumbered.
  MergeArgs by_hand = args_;
  by_hand.reverse = false;
  by_hand.photos = {args_.photos[2], args_.photos[1], args_.photos[0]};
  by_hand.crops = {{1, args_.crops.at(3)}, {2, args_.crops.at(2)}, {3, args_.crops.at(1)}};
  EXPECT_TRUE(SamePixels(*reversed.merged.MergedBitmap, *MergePhotos(by_hand, 1).merged.MergedBitmap));
  args_.reverse = false;
  EXPECT_FALSE(SamePixels(*reversed.merged.MergedBitmap, *MergePhotos(args_, 1).merged.MergedBitmap));
}

INSTANTIATE_TEST_SUITE_P(Modes, SameAsDesktop,
                         ::testing::Values(Mode::PortraitRows, Mode::LandscapeColumns));

class MergeCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteJpeg(Pattern(290, 350, 1), dir_ / "a.jpg");
    WriteJpeg(Pattern(290, 350, 2), dir_ / "b.jpg");
    args_.output = dir_ / "out.bmp";
    args_.photos = {dir_ / "a.jpg", dir_ / "b.jpg"};
  }
  TempDir dir_;
  MergeArgs args_;
};

TEST_F(MergeCommand, WritesTheMergedPictureStampedWithItsResolution) {
  int last_done = 0, last_total = 0;
  const std::string line = RunMerge(args_, [&](int done, int total) {
    last_done = done;
    last_total = total;
  });
  EXPECT_EQ(line, "merged 2 frames: 1698 x 2049 px, 297.5 dpi, strip 7 px -> " + args_.output);
  EXPECT_EQ(last_done, last_total);
  const std::vector<uint8_t> file = ReadWholeFile(args_.output);
  ASSERT_GE(file.size(), 54u);
  for (size_t offset : {38u, 42u}) {
    int32_t ppm = 0;
    std::memcpy(&ppm, file.data() + offset, 4);
    EXPECT_EQ(ppm, 11710) << "offset " << offset;
  }
  const MakerState merged = MergePhotos(args_, 1);
  EXPECT_TRUE(SamePixels(LoadBmpFile(args_.output), *merged.merged.MergedBitmap));
}

TEST_F(MergeCommand, TextBarsAndTurnsChangeThePictureInThatOrder) {
  MakerState plain = MergePhotos(args_, 2);
  const Raster before = *plain.merged.MergedBitmap;

  args_.text = "TEXT";
  args_.font.size = 20;
  args_.text_at = Point{0, 0};
  args_.align_bars = true;
  args_.quarter_turns = 1;
  MakerState done = MergePhotos(args_, 2);
  ApplyFinishing(done, args_);
  const Raster& after = *done.merged.MergedBitmap;
  // 4 lenses of 14 px beside the picture, then a quarter turn.
  ASSERT_EQ(after.Width(), 2049);
  ASSERT_EQ(after.Height(), 1698 + 56);
  EXPECT_TRUE(done.overlay.OverlayText.empty()) << "burned in once, not again by a print";
  // A turned-back copy: R(x, y) = M(W - 1 - y, x), so M(x, y) = R(y, W - 1 - x).
  int text_pixels = 0;
  for (int y = 0; y < 20; ++y) {
    for (int x = 0; x < 60; ++x) {
      if (after.PixelColor(y, after.Height() - 1 - x) != before.PixelColor(x, y)) ++text_pixels;
    }
  }
  EXPECT_GT(text_pixels, 20) << "the text was not drawn at its place";
  // The last bar (black) is the turned band's last column, now the top row.
  EXPECT_EQ(after.PixelColor(1000, 0), kBlack);
}

// The window ticks Align-Bar on the merged picture and burns the pending
// text in at Save, so text placed over the band's place lies on the band.
TEST_F(MergeCommand, TextWithBarsWritesTheFileTheWindowSaves) {
  args_.text = "EDGE";
  args_.font.size = 24;
  args_.text_at = Point{1680, 40};  // runs past the picture's right edge into the band
  args_.align_bars = true;
  RunMerge(args_);

  MakerState window = MergePhotos(args_, 1);
  FakeFrontend ui;
  ui.Show(ToggleAlignBars(window, true));
  window.overlay.OverlayText = *args_.text;
  window.overlay.OverlayFont = std::make_shared<Font>(args_.font);
  window.overlay.TextX = args_.text_at.x;
  window.overlay.TextY = args_.text_at.y;
  ui.save_answers.push_back(dir_ / "window.bmp");
  SaveMerged(window, ui);
  EXPECT_EQ(ReadWholeFile(args_.output), ReadWholeFile(dir_ / "window.bmp"));
}

TEST_F(MergeCommand, AskedForAPdfItWritesOne) {
  args_.pdf = dir_ / "out.pdf";
  const std::string line = RunMerge(args_);
  EXPECT_NE(line.find(", " + *args_.pdf), std::string::npos) << line;
  const std::vector<uint8_t> pdf = ReadWholeFile(*args_.pdf);
  ASSERT_GT(pdf.size(), 4u);
  EXPECT_EQ(std::string(pdf.begin(), pdf.begin() + 4), "%PDF");
}

TEST(ChartCommand, WritesTheChartAndNamesItsLpiRange) {
  TempDir dir;
  ChartArgs args;
  args.output = dir / "chart.bmp";
  EXPECT_EQ(RunChart(args),
            "chart 6142 x 10866 px, 1200 dpi, LPI 39.5296 to 40.4704 -> " + args.output);
  const std::vector<uint8_t> file = ReadWholeFile(args.output);
  int32_t ppm = 0;
  std::memcpy(&ppm, file.data() + 38, 4);
  EXPECT_EQ(ppm, 47233);
  EXPECT_EQ(file[28], 1);  // one bit per pixel
}

}  // namespace
}  // namespace lenti::cli
