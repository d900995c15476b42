// The command line's lens options: --lpi --dpi --phase --size --sampling
// with the window's meaning, the same pictures as the window's merge, and
// bad settings refused before any photo is read.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "app/cli_args.h"
#include "app/cli_chart.h"
#include "app/cli_merge.h"
#include "app/cli_run.h"
#include "core/bmp_reader.h"
#include "core/bmp_writer.h"
#include "core/error.h"
#include "core/file_io.h"
#include "error_of.h"
#include "fake_frontend.h"
#include "merge_to_end.h"
#include "intake/crop_frame.h"
#include "interlace/merge.h"
#include "pattern_photos.h"
#include "temp_dir.h"

namespace lenti::cli {
namespace {

namespace fs = std::filesystem;
using lenti::testing::ErrorOf;
using lenti::testing::FakeFrontend;
using lenti::testing::Pattern;
using lenti::testing::SamePixels;
using lenti::testing::TempDir;
using lenti::testing::WriteJpeg;

std::vector<std::string> MergeWith(std::vector<std::string> options) {
  std::vector<std::string> args{"merge", "-o", "out.bmp"};
  args.insert(args.end(), options.begin(), options.end());
  args.push_back("a.jpg");
  args.push_back("b.jpg");
  return args;
}

TEST(LensOptions, TheWindowsSettingsAndDefaults) {
  const ParseResult plain = ParseArguments(MergeWith({}));
  ASSERT_TRUE(plain.command) << plain.error;
  EXPECT_EQ(LensOf(plain.command->merge), LensSettings{}) << "no option must give the classic settings";

  const ParseResult all = ParseArguments(MergeWith(
      {"--dpi", "720", "--lpi", "60.12", "--phase=-0.25", "--size", "10x15", "--sampling", "area", "--mode",
       "landscape"}));
  ASSERT_TRUE(all.command) << all.error;
  const LensSettings lens = LensOf(all.command->merge);
  EXPECT_EQ(lens.LensLpiX, 601200);
  EXPECT_EQ(lens.OutputDpi, 720);
  EXPECT_EQ(lens.PhaseX10000, -2500);
  EXPECT_EQ(lens.WidthCmX100, 1000);  // upright; the Mode turns it
  EXPECT_EQ(lens.HeightCmX100, 1500);
  EXPECT_EQ(lens.sampling, Sampling::Area);
  EXPECT_EQ(all.command->merge.mode, Mode::LandscapeColumns);
}

// Frames beyond the pixels of a lens never print apart: the command line
// says so before the merge, naming what would fit.
TEST(LensOptions, TooManyFramesForTheLensAreAWarning) {
  const struct {
    size_t frames;
    int64_t lpi_x10000;
    int32_t dpi;
    const char* warning;
  } cases[] = {
      {16, 1500000, 600, "vexaro: warning: Too few pixels: 4 px per lens for 16 frames; at most 4 frames fit\n"},
      {4, 1500000, 600, ""},
      {3, 2000000, 400, "vexaro: warning: Too few pixels: 2 px per lens for 3 frames; at most 2 frames fit\n"},
      {16, 212500, kNearest300Dpi, ""},
      {2, 2000000, 100, ""},  // refused by the merge itself: finer than a pixel
  };
  for (const auto& c : cases) {
    Job job;
    job.frames.resize(c.frames);
    job.lens.LensLpiX = c.lpi_x10000;
    job.lens.OutputDpi = c.dpi;
    EXPECT_EQ(FrameFitWarning(job), c.warning) << c.frames << " frames at " << c.lpi_x10000;
  }
}

TEST(LensOptions, BadSettingsAreUsageErrors) {
  const struct {
    std::vector<std::string> options;
    const char* error;
  } cases[] = {
      {{"--dpi", "0"}, "--dpi: The output resolution must lie between 72 and 4800 dpi, not 0"},
      {{"--dpi", "-720"}, "--dpi: The output resolution must lie between 72 and 4800 dpi, not -720"},
      {{"--dpi", "lots"}, "--dpi: The output resolution \"lots\" is not a whole number of dpi; it must lie between 72 and 4800 dpi"},
      {{"--lpi", "400"}, "--lpi: The lens pitch must lie between 5 and 300 lpi, not 400"},
      {{"--lpi", "2"}, "--lpi: The lens pitch must lie between 5 and 300 lpi, not 2"},
      {{"--phase", "0.6"}, "--phase: The phase must lie between -0.5 and 0.5 of a lens, not 0.6"},
      {{"--phase", "left"}, "--phase: The phase \"left\" is not a number; it must lie between -0.5 and 0.5 of a lens"},
      {{"--size", "0x15"}, "--size: The picture width must be more than 0 and at most 1000 cm, not 0"},
      {{"--size", "15"}, "--size: The picture size must be WIDTH x HEIGHT in cm (14.5x17.5), not \"15\""},
      {{"--sampling", "cubic"}, "--sampling: The sampling must be nearest or area, not \"cubic\""},
      {{"--dpi", "720", "--dpi", "600"}, "option --dpi given twice"},
  };
  for (const auto& c : cases) {
    const ParseResult result = ParseArguments(MergeWith(c.options));
    EXPECT_FALSE(result.command) << c.error;
    EXPECT_EQ(result.error, c.error);
  }
}

class NativeMerge : public ::testing::TestWithParam<Mode> {
 protected:
  void SetUp() override {
    Raster red(290, 350, PixelFormat::pf24bit), blue(290, 350, PixelFormat::pf24bit);
    red.FillRect(red.ClipRect(), Color{230, 20, 20});
    blue.FillRect(blue.ClipRect(), Color{20, 20, 230});
    WriteJpeg(red, dir_ / "a.jpg");
    WriteJpeg(blue, dir_ / "b.jpg");
    args_.output = dir_ / "out.bmp";
    args_.photos = {dir_ / "a.jpg", dir_ / "b.jpg"};
    args_.mode = GetParam();
    args_.lpi = LensPitch::FromX10000(400000);
    args_.output_dpi = 720;
    args_.width_cm_x100 = 200;  // 2 x 3 cm at 720 dpi: 567 x 850 px
    args_.height_cm_x100 = 300;
  }
  TempDir dir_;
  MergeArgs args_;
};

TEST_P(NativeMerge, EighteenPixelsPerLensAtTheStampedResolution) {
  const std::string line = RunMerge(args_);
  const bool upright = GetParam() == Mode::PortraitRows;
  EXPECT_EQ(line, std::string("merged 2 frames: ") + (upright ? "567 x 850" : "850 x 567") +
                      " px, 720 dpi, 18 px per lens, strip 9 px -> " + args_.output);
  const std::vector<uint8_t> file = ReadWholeFile(args_.output);
  ASSERT_GE(file.size(), 54u);
  int32_t ppm = 0;
  std::memcpy(&ppm, file.data() + 38, 4);
  EXPECT_EQ(ppm, 28340);  // Round(720 x 100 / 2.5406)
  const Raster picture = LoadBmpFile(args_.output);
  const int length = upright ? picture.Height() : picture.Width();
  for (int p = 0; p < length; ++p) {
    const Color c = upright ? picture.PixelColor(100, p) : picture.PixelColor(p, 100);
    const bool from_first = c.r > c.b;
    ASSERT_EQ(from_first, (p % 18) < 9) << "position " << p;
  }
}

TEST_P(NativeMerge, SameAsTheWindowsMergeWithTheSameSettings) {
  WriteJpeg(Pattern(290, 350, 1), dir_ / "a.jpg");
  WriteJpeg(Pattern(300, 320, 2), dir_ / "b.jpg");
  args_.output_dpi = 600;
  args_.lpi = LensPitch::FromX10000(601200);  // 9.98 px per lens
  args_.phase_x10000 = 3000;
  args_.sampling = Sampling::Area;
  args_.crops = {{1, Rect{10, 20, 250, 310}}, {2, Rect{-40, 0, 200, 300}}};
  const MakerState cli = MergePhotos(args_, 2);

  MakerState state;
  state.lens = LensOf(args_);
  fs::create_directory(dir_ / "work");
  for (int slot = 1; slot <= 2; ++slot) {
    const std::string file = dir_ / ("work/t0" + std::to_string(slot) + ".bmp");
    SaveBmpFile(LoadJpegFile(args_.photos[slot - 1]), file);
    const Rect r = args_.crops.at(slot);
    state.photos.SlotFiles[slot - 1] = file;
    state.photos.CropRects[slot - 1] = CropRecord{r.left, r.top, r.right, r.bottom, 0, 0, true};
    state.photos.CropScales[slot - 1] = 10000;
  }
  FakeFrontend ui;
  state.mode = GetParam();
  ASSERT_TRUE(MergeToEnd(state, ui, ui, ui, dir_ / "work").merged);
  EXPECT_TRUE(SamePixels(*state.merged.MergedBitmap, *cli.merged.MergedBitmap));
  EXPECT_EQ(state.merged.Geometry.layout, LensLayout::Periodic);
  EXPECT_EQ(state.merged.Geometry.OutputDpiX, 6000000);
  EXPECT_EQ(state.merged.Geometry.PhaseX10000, 3000);
  EXPECT_EQ(state.merged.Geometry.StripWidth, 0);
  EXPECT_NEAR(static_cast<double>(LensPeriodPx(state.merged.Geometry)), 600 / 60.12, 1e-12);
}

TEST_P(NativeMerge, PicturesThatCannotBeMadeAreRefusedBeforeAnyPhotoIsRead) {
  args_.photos = {dir_ / "missing1.jpg", dir_ / "missing2.jpg"};
  args_.lpi = LensPitch::FromX10000(3000000);
  args_.output_dpi = 200;
  EXPECT_EQ(ErrorOf([&] { RunMerge(args_); }),
            "A lens of 300 lpi is finer than a pixel at 200 dpi: choose a higher resolution or a coarser lens");
  args_.lpi = LensPitch::FromX10000(400000);
  args_.output_dpi = 4800;
  args_.width_cm_x100 = args_.height_cm_x100 = 20000;
  EXPECT_NE(ErrorOf([&] { RunMerge(args_); }).find("more than memory allows"), std::string::npos);
  EXPECT_FALSE(fs::exists(args_.output));
}

TEST(PictureSize, TheDefaultCropTakesThePicturesRatio) {
  // 10 x 15 cm upright is 2:3; across 3:2. The classic size keeps 145:175.
  LensSettings lens;
  lens.WidthCmX100 = 1000;
  lens.HeightCmX100 = 1500;
  const Rect upright = DefaultSourceRect(Size{4000, 3000}, CropRatioFor(lens, Mode::PortraitRows));
  EXPECT_EQ(upright, (Rect{1000, 0, 3000, 3000}));
  const Rect across = DefaultSourceRect(Size{4000, 3000}, CropRatioFor(lens, Mode::LandscapeColumns));
  EXPECT_EQ(across, (Rect{0, 166, 4000, 2833}));
  EXPECT_EQ(DefaultSourceRect(Size{4000, 3000}, CropRatioFor(LensSettings{}, Mode::PortraitRows)),
            DefaultSourceRect(Size{4000, 3000}, Mode::PortraitRows));
  // A resize keeps the ratio too.
  MakerState state;
  state.lens = lens;
  FakeFrontend ui;
  state.photos.CropBounds = Rect{10, 10, 110, 160};
  CropMouseDown(state, ui, 95, 145);
  CropMouseMove(state, ui, 200, 300);
  EXPECT_EQ(ui.shown_crop, (Rect{10, 10, 210, 310}));
}

TEST(ChartRows, EachRowsLabelOnALineOfItsOwnAfterTheSummary) {
  TempDir dir;
  const std::string out_file = dir / "chart.bmp";
  std::ostringstream out, err;
  ASSERT_EQ(RunCli({"chart", "-o", out_file, "--dpi", "300"}, out, err, false), kExitOk) << err.str();
  std::vector<std::string> lines;
  std::istringstream text(out.str());
  for (std::string line; std::getline(text, line);) lines.push_back(line);
  ASSERT_EQ(lines.size(), 12u) << out.str();
  EXPECT_EQ(lines[0].rfind("chart 1535 x 2717 px, 300 dpi, LPI 38.2056 to 41.7333 -> ", 0), 0u);
  EXPECT_EQ(lines[1], "row 1: 38.2056 lpi");
  EXPECT_EQ(lines[6], "row 6: 39.9694 lpi");
  EXPECT_EQ(lines[11], "row 11: 41.7333 lpi");
  // A row's label is a pitch the merge takes as it is printed.
  const ParseResult merge = ParseArguments(MergeWith({"--lpi", "39.9694", "--dpi", "300"}));
  ASSERT_TRUE(merge.command) << merge.error;
  EXPECT_EQ(merge.command->merge.lpi.X10000(), 399694);
}

INSTANTIATE_TEST_SUITE_P(Modes, NativeMerge, ::testing::Values(Mode::PortraitRows, Mode::LandscapeColumns));

}  // namespace
}  // namespace lenti::cli
