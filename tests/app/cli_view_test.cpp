// `vexaro view`: merges made by `vexaro merge` from solid-colour photos,
// seen at each frame's angle through a sheet of the merge's pitch, show
// that frame's colour everywhere; the views keep the picture's size and
// resolution; bad arguments are usage errors (2), bad files failures (1)
// that write nothing.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "app/cli_args.h"
#include "app/cli_run.h"
#include "app/cli_view.h"
#include "core/bmp_writer.h"
#include "core/file_io.h"
#include "delivery/recorded_picture.h"
#include "delivery/stamped_bmp.h"
#include "temp_dir.h"

namespace lenti::cli {
namespace {

namespace fs = std::filesystem;

const Color kFrameColours[] = {{200, 30, 30}, {30, 30, 200}, {20, 160, 40}};

struct CliRun {
  int status;
  std::string out;
  std::string err;
};

CliRun Vexaro(const std::vector<std::string>& args) {
  std::ostringstream out, err;
  const int status = RunCli(args, out, err, false);
  return CliRun{status, out.str(), err.str()};
}

class ViewCommand : public ::testing::Test {
 protected:
  // Merges `n` solid photos in `mode` into merged.bmp (297.5 dpi for two
  // frames, 318.75 for three).
  std::string Merge(int n, const std::string& mode) {
    std::vector<std::string> args{"merge", "-o", dir_ / "merged.bmp", "--mode", mode};
    for (int k = 0; k < n; ++k) {
      Raster photo(175, 175, PixelFormat::pf24bit);
      photo.FillRect(photo.ClipRect(), kFrameColours[k]);
      args.push_back(dir_ / ("photo" + std::to_string(k) + ".bmp"));
      SaveBmpFile(photo, args.back());
    }
    const CliRun merged = Vexaro(args);
    EXPECT_EQ(merged.status, 0) << merged.err;
    return dir_ / "merged.bmp";
  }

  lenti::testing::TempDir dir_{"lenti-view"};
};

// Frame k's colour on every pixel of the view's whole lenses (the last lens,
// cut by the edge, has no room for every strip).
void ExpectFrameEverywhere(const Raster& view, bool rows, int lens, Color colour) {
  const int whole = (rows ? view.Height() : view.Width()) / lens * lens;
  ASSERT_EQ(view.Format(), PixelFormat::pf24bit);
  int wrong = 0;
  for (int y = 0; y < (rows ? whole : view.Height()); ++y) {
    const uint8_t* p = view.Row(y);
    for (int x = 0; x < (rows ? view.Width() : whole); ++x, p += 3) {
      if (p[0] != colour.b || p[1] != colour.g || p[2] != colour.r) ++wrong;
    }
  }
  EXPECT_EQ(wrong, 0);
}

TEST_F(ViewCommand, EachFrameAtItsAngleInBothModesWithTheRecordedResolution) {
  const struct {
    int n;
    const char* mode;
    double dpi;
    int lens;
  } cases[] = {{2, "portrait", 297.5, 14}, {2, "landscape", 297.5, 14}, {3, "landscape", 318.75, 15}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.mode + std::string(" ") + std::to_string(c.n));
    const std::string merged = Merge(c.n, c.mode);
    const RecordedPicture source = LoadRecordedPicture(merged);
    for (int k = 0; k < c.n; ++k) {
      const std::string out = dir_ / "view.bmp";
      const std::string angle = std::to_string((k + 0.5) / c.n);
      const CliRun run = Vexaro({"view", merged, "--lpi", "21.25", "--mode", c.mode, "--angle", angle, "-o", out});
      ASSERT_EQ(run.status, 0) << run.err;
      EXPECT_NE(run.out.find("px per lens"), std::string::npos) << run.out;
      const RecordedPicture view = LoadRecordedPicture(out);
      EXPECT_EQ(view.raster.Width(), source.raster.Width());
      EXPECT_EQ(view.raster.Height(), source.raster.Height());
      ASSERT_TRUE(view.dpi.has_value());
      EXPECT_EQ(*view.dpi, c.dpi);
      ExpectFrameEverywhere(view.raster, std::string(c.mode) == "portrait", c.lens, kFrameColours[k]);
    }
    // --frames N writes the same N views into a folder it makes.
    const std::string folder = dir_ / (std::string(c.mode) + "-views/");
    const CliRun run = Vexaro({"view", merged, "--lpi", "21.25", "--mode", c.mode, "--frames",
                            std::to_string(c.n), "-o", folder});
    ASSERT_EQ(run.status, 0) << run.err;
    for (int k = 0; k < c.n; ++k) {
      const RecordedPicture view = LoadRecordedPicture(FrameViewNames(folder, c.n)[k]);
      ExpectFrameEverywhere(view.raster, std::string(c.mode) == "portrait", c.lens, kFrameColours[k]);
    }
  }
}

TEST_F(ViewCommand, ViewsAreWrittenAndReadInTheTypesSaveWrites) {
  const std::string merged = Merge(2, "portrait");
  const RecordedPicture bmp = LoadRecordedPicture(merged);
  for (const char* name : {"v.png", "v.TIF", "v.tiff"}) {
    const CliRun run = Vexaro({"view", merged, "--lpi", "21.25", "--angle", "0.75", "-o", dir_ / name});
    ASSERT_EQ(run.status, 0) << run.err;
    const std::vector<uint8_t> bytes = ReadWholeFile(dir_ / name);
    ASSERT_GT(bytes.size(), 8u);
    const bool png = std::string(name) == "v.png";
    EXPECT_EQ(bytes[0], png ? 0x89 : 'I') << name;
    // Read back with its resolution: the same size, 297.5 dpi, frame 2.
    const RecordedPicture view = LoadRecordedPicture(dir_ / name);
    EXPECT_EQ(view.raster.Width(), bmp.raster.Width()) << name;
    ASSERT_TRUE(view.dpi.has_value()) << name;
    EXPECT_EQ(*view.dpi, 297.5) << name;
    ExpectFrameEverywhere(view.raster, true, 14, kFrameColours[1]);
  }
}

TEST_F(ViewCommand, FrameFileNames) {
  EXPECT_EQ(FrameViewNames("out/", 2), (std::vector<std::string>{"out/view01.bmp", "out/view02.bmp"}));
  EXPECT_EQ(FrameViewNames("tilt.png", 1), (std::vector<std::string>{"tilt01.png"}));
  EXPECT_EQ(FrameViewNames("a.b/tilt", 1), (std::vector<std::string>{"a.b/tilt01"}));
  const std::string folder = dir_.path().string();  // an existing folder without "/"
  EXPECT_EQ(FrameViewNames(folder, 1).front(), folder + "/view01.bmp");
}

TEST_F(ViewCommand, BadFilesFailWithExitOneAndWriteNothing) {
  const std::string merged = Merge(2, "portrait");
  Raster unstamped(40, 40, PixelFormat::pf24bit);
  SaveBmpFile(unstamped, dir_ / "unstamped.bmp");
  WriteWholeFile(dir_ / "notes.bmp", reinterpret_cast<const uint8_t*>("shopping list"), 13);
  const std::string out = dir_ / "view.bmp";
  const struct {
    std::vector<std::string> args;
    const char* error;
  } cases[] = {
      {{"view", dir_ / "missing.bmp", "--lpi", "21.25", "--angle", "0.5", "-o", out}, "Cannot open file"},
      {{"view", dir_ / "notes.bmp", "--lpi", "21.25", "--angle", "0.5", "-o", out}, "is not a BMP, PNG or TIFF picture"},
      {{"view", dir_ / "unstamped.bmp", "--lpi", "21.25", "--angle", "0.5", "-o", out},
       "records no resolution: give it with --dpi"},
      {{"view", merged, "--lpi", "300", "--angle", "0.5", "-o", out}, "narrower than one pixel"},
      {{"view", merged, "--lpi", "21.25", "--angle", "0.5", "-o", dir_ / "no-such-folder/v.bmp"}, "v.bmp"},
      {{"view", merged, "--lpi", "21.25", "--frames", "2", "-o", dir_ / "a/b/"}, "Cannot create file"},
  };
  for (const auto& c : cases) {
    const CliRun run = Vexaro(c.args);
    EXPECT_EQ(run.status, kExitFailure) << c.error;
    EXPECT_EQ(run.err.rfind("vexaro: ", 0), 0u) << run.err;
    EXPECT_NE(run.err.find(c.error), std::string::npos) << run.err;
    EXPECT_FALSE(fs::exists(out)) << c.error;
  }
  // An unstamped picture is fine with its resolution given.
  EXPECT_EQ(Vexaro({"view", dir_ / "unstamped.bmp", "--lpi", "21.25", "--dpi", "300", "--angle", "0.5",
                    "-o", out}).status,
            kExitOk);
}

TEST(ViewArguments, AreParsedWithTheWindowsMeaning) {
  ParseResult r = ParseArguments({"view", "m.bmp", "--lpi", "21.3", "--angle", "0.25", "-o", "v.png"});
  ASSERT_TRUE(r.command) << r.error;
  EXPECT_EQ(r.command->kind, Command::Kind::View);
  const ViewArgs& v = r.command->view;
  EXPECT_EQ(v.picture, "m.bmp");
  EXPECT_EQ(v.output, "v.png");
  EXPECT_EQ(v.mode, Mode::PortraitRows);
  EXPECT_EQ(v.lpi, LensPitch::FromX10000(213000));
  EXPECT_FALSE(v.dpi.has_value());
  EXPECT_EQ(v.phase, 0);
  EXPECT_EQ(v.angle, 0.25);
  EXPECT_EQ(v.frames, 0);
  r = ParseArguments({"view", "--mode=landscape", "--frames", "4", "--dpi", "720", "--phase", "-0.5",
                      "--lpi", "40", "-o", "out/", "m.bmp"});
  ASSERT_TRUE(r.command) << r.error;
  EXPECT_EQ(r.command->view.mode, Mode::LandscapeColumns);
  EXPECT_EQ(r.command->view.frames, 4);
  EXPECT_EQ(r.command->view.dpi, 720);
  EXPECT_EQ(r.command->view.phase, -0.5);
  EXPECT_FALSE(r.command->view.angle.has_value());
}

TEST(ViewArguments, BadOnesAreUsageErrors) {
  using Args = std::vector<std::string>;
  const Args base{"view", "m.bmp", "-o", "v.bmp"};
  auto with = [&](Args extra) {
    Args args = base;
    args.insert(args.end(), extra.begin(), extra.end());
    return args;
  };
  const struct {
    Args args;
    const char* error;
  } cases[] = {
      {{"view", "--lpi", "21.25", "--angle", "0.5", "-o", "v.bmp"}, "view needs one merged picture, 0 given"},
      {with({"n.bmp", "--lpi", "21.25", "--angle", "0.5"}), "view needs one merged picture, 2 given"},
      {with({"--angle", "0.5"}), "view needs --lpi, the pitch of the lens sheet"},
      {with({"--lpi", "21.25"}), "view needs either --angle A or --frames N"},
      {with({"--lpi", "21.25", "--angle", "0.5", "--frames", "2"}), "view needs either --angle A or --frames N"},
      {{"view", "m.bmp", "--lpi", "21.25", "--angle", "0.5"}, "view needs -o VIEW.bmp"},
      {{"view", "m.bmp", "--lpi", "21.25", "--frames", "3"}, "view needs -o DIR/"},
      {with({"--lpi", "0", "--angle", "0.5"}), "--lpi: The lens pitch must lie between 5 and 300 lpi, not 0"},
      {with({"--lpi", "nan", "--angle", "0.5"}), "--lpi: The lens pitch \"nan\" is not a number; it must lie between 5 and 300 lpi"},
      {with({"--lpi", "300.5", "--angle", "0.5"}), "--lpi: The lens pitch must lie between 5 and 300 lpi, not 300.5"},
      {with({"--lpi", "21.25", "--dpi", "-300", "--angle", "0.5"}), "--dpi must be more than 0 and at most 100000 dpi, not -300"},
      {with({"--lpi", "21.25", "--dpi", "300x", "--angle", "0.5"}), "--dpi: \"300x\" is not a number; it must be more than 0 and at most 100000 dpi"},
      {with({"--lpi", "250.5", "--dpi", "250", "--angle", "0.5"}), "a lens of --lpi 250.5 over --dpi 250 is narrower than one pixel"},
      {with({"--lpi", "21.25", "--phase", "0.6", "--angle", "0.5"}), "--phase must be from -0.5 to 0.5 of a lens, not 0.6"},
      {with({"--lpi", "21.25", "--angle", "1"}), "--angle must be from 0 up to (not including) 1, not 1"},
      {with({"--lpi", "21.25", "--angle", "-0.1"}), "--angle must be from 0 up to (not including) 1, not -0.1"},
      {with({"--lpi", "21.25", "--frames", "0"}), "--frames must lie between 1 and 99, not 0"},
      {with({"--lpi", "21.25", "--frames", "2.5"}), "--frames: \"2.5\" is not a whole number; it must lie between 1 and 99"},
      {with({"--lpi", "21.25", "--angle", "0.5", "--mode", "round"}), "--mode must be portrait or landscape, not \"round\""},
  };
  for (const auto& c : cases) {
    const ParseResult r = ParseArguments(c.args);
    EXPECT_FALSE(r.command.has_value()) << c.error;
    EXPECT_EQ(r.error, c.error);
    const CliRun run = Vexaro(c.args);
    EXPECT_EQ(run.status, kExitUsage) << c.error;
    EXPECT_NE(run.err.find(c.error), std::string::npos);
  }
}

TEST(RecordedResolution, TheStampReadsBackAsTheResolutionStamped) {
  for (const double dpi : {212.5, 233.75, 255.0, 276.25, 297.5, 318.75, 340.0, 382.5, 72.0, 300.0, 720.0,
                           1200.0, 2400.0, 254.0, 96.5}) {
    EXPECT_EQ(DpiOfPelsPerMeter(DpiToPelsPerMeter(dpi)), dpi);
  }
  // A stamp one off the 297.5 dpi one reads as the shortest decimal that
  // gives it, not as 297.5.
  EXPECT_EQ(DpiOfPelsPerMeter(11711), 297.53);
}

}  // namespace
}  // namespace lenti::cli
