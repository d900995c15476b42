// `vexaro align` prints where the reference's content lies in each photo;
// `vexaro merge --align` merges the frames so placed and keeps the
// placements in its job; the options refuse what makes no sense.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "aligned_scene.h"
#include "app/cli_args.h"
#include "app/cli_run.h"
#include "run_cli.h"
#include "core/file_io.h"
#include "job/job_file.h"
#include "temp_dir.h"

namespace lenti::cli {
namespace {

using lenti::testing::NoiseScene;
using lenti::testing::ShotPlacement;
using lenti::testing::TempDir;

using lenti::testing::CliResult;

CliResult Cli(const std::vector<std::string>& args) { return lenti::testing::RunCliCapture(args); }

// The numbers after `key` on each line of `text`.
std::vector<double> Values(const std::string& text, const std::string& key) {
  std::vector<double> values;
  for (size_t at = text.find(" " + key + " "); at != std::string::npos;
       at = text.find(" " + key + " ", at + 1)) {
    values.push_back(std::stod(text.substr(at + key.size() + 2)));
  }
  return values;
}

class CliAlign : public ::testing::Test {
 protected:
  void SetUp() override {
    for (size_t k = 0; k < kShots.size(); ++k) {
      const Raster photo =
          testing::Shot(scene_, 480, 360, kShots[k], 2.0, static_cast<uint32_t>(k));
      const std::vector<uint8_t> bytes = EncodeJpeg(photo, 85);
      WriteWholeFile(Photo(k), bytes.data(), bytes.size());
    }
  }
  std::string Photo(size_t k) const { return dir_ / ("p" + std::to_string(k + 1) + ".jpg"); }
  std::vector<std::string> Photos() const { return {Photo(0), Photo(1), Photo(2)}; }

  const std::vector<ShotPlacement> kShots{{}, {10.25, -4.5, 1.2, 1.015}, {-7.5, 3.75, -0.8, 0.99}};
  NoiseScene scene_{51};
  TempDir dir_;
};

TEST_F(CliAlign, PrintsOneLinePerPhotoInItsPixels) {
  std::vector<std::string> args{"align", "--model", "similarity"};
  for (const std::string& p : Photos()) args.push_back(p);
  const CliResult r = Cli(args);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out.substr(0, r.out.find('\n')), "frame 1: dx 0 dy 0 angle 0 scale 1");
  const std::vector<double> dx = Values(r.out, "dx");
  const std::vector<double> angle = Values(r.out, "angle");
  const std::vector<double> scale = Values(r.out, "scale");
  ASSERT_EQ(dx.size(), 3u);
  for (size_t k = 1; k < 3; ++k) {
    EXPECT_NEAR(dx[k], kShots[k].dx, 0.5);
    EXPECT_NEAR(angle[k], kShots[k].angle, 0.1);
    EXPECT_NEAR(scale[k], kShots[k].scale, 0.002);
  }
}

TEST_F(CliAlign, TheSubjectsShiftIsTheSubjectsOwn) {
  // Photo 2's turn about the centre moves a point right of it upwards too.
  const CliResult r = Cli({"align", "--subject", "340,180", Photo(0), Photo(1)});
  ASSERT_EQ(r.status, 0) << r.err;
  const double turn = kShots[1].angle * std::acos(-1.0) / 180;
  const double expected_dy = kShots[1].dy - kShots[1].scale * std::sin(turn) * 100;
  ASSERT_EQ(Values(r.out, "dy").size(), 2u);
  EXPECT_NEAR(Values(r.out, "dy")[1], expected_dy, 0.5);
}

TEST_F(CliAlign, AnotherReferenceSeesTheOthersFromThere) {
  const CliResult r = Cli({"align", "--reference", "2", Photo(0), Photo(1)});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("frame 2: dx 0 dy 0\n"), std::string::npos) << r.out;
  EXPECT_NEAR(Values(r.out, "dx")[0], -kShots[1].dx, 1.0);
}

TEST_F(CliAlign, APhotoThatCannotBeAlignedIsNamedAndTheOthersStillPrinted) {
  Raster flat(480, 360, PixelFormat::pf24bit);
  flat.FillRect(flat.ClipRect(), Color{200, 200, 200});
  const std::vector<uint8_t> bytes = EncodeJpeg(flat, 85);
  WriteWholeFile(dir_ / "flat.jpg", bytes.data(), bytes.size());
  const CliResult r = Cli({"align", Photo(0), dir_ / "flat.jpg", Photo(1)});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "vexaro: Photo 2 has no texture to align on (it is one flat colour)\n");
  EXPECT_NE(r.out.find("frame 3: dx "), std::string::npos);
  EXPECT_EQ(r.out.find("frame 2:"), std::string::npos);
}

TEST_F(CliAlign, MergeAlignedKeepsThePlacementsInItsJob) {
  std::vector<std::string> args{
      "merge",   "-o",   dir_ / "out.bmp", "--size",    "4x3", "--save-job", dir_ / "job.vexaro",
      "--align", "auto", "--align-model",  "similarity"};
  for (const std::string& p : Photos()) args.push_back(p);
  const CliResult r = Cli(args);
  ASSERT_EQ(r.status, 0) << r.err;
  const Job job = LoadJobFile(dir_ / "job.vexaro");
  ASSERT_EQ(job.frames.size(), 3u);
  EXPECT_EQ(job.frames[0].placement, FramePlacement{});
  for (size_t k = 1; k < 3; ++k) {
    // The default crop lies at the photo's centre, so the shift is the centre's.
    EXPECT_NEAR(job.frames[k].placement.shift_x, kShots[k].dx, 0.5);
    EXPECT_NEAR(job.frames[k].placement.shift_y, kShots[k].dy, 0.5);
    EXPECT_NEAR(job.frames[k].placement.angle, kShots[k].angle, 0.1);
  }
  // The job renders to the same picture.
  const CliResult again = Cli({"run", dir_ / "job.vexaro", "-o", dir_ / "again.bmp"});
  ASSERT_EQ(again.status, 0) << again.err;
  EXPECT_EQ(ReadWholeFile(dir_ / "again.bmp"), ReadWholeFile(dir_ / "out.bmp"));
}

TEST(CliAlignArgs, RefuseWhatMakesNoSense) {
  const struct {
    std::vector<std::string> args;
    const char* error;
  } table[] = {
      {{"align", "a.jpg"}, "align needs 2 to 16 photos, 1 given"},
      {{"align", "--reference", "3", "a.jpg", "b.jpg"},
       "--reference 3, but only 2 photos are given"},
      {{"align", "--subject", "12", "a.jpg", "b.jpg"},
       "--subject must be X,Y in the reference photo's pixels"},
      {{"align", "--model", "affine", "a.jpg", "b.jpg"},
       "--model must be translation or similarity"},
      {{"align", "--subject", "1,2", "--model", "similarity", "a.jpg", "b.jpg"},
       "--model similarity aligns without"},
      {{"merge", "-o", "o.bmp", "--align", "sideways", "a.jpg", "b.jpg"},
       "--align must be auto or subject:X,Y"},
      {{"merge", "-o", "o.bmp", "--align-model", "similarity", "a.jpg", "b.jpg"},
       "--align-model needs --align"},
      {{"merge", "-o", "o.bmp", "--align", "subject:x,2", "a.jpg", "b.jpg"},
       "--align subject must be X,Y"},
  };
  for (const auto& c : table) {
    const ParseResult parsed = ParseArguments(c.args);
    EXPECT_FALSE(parsed.command);
    EXPECT_NE(parsed.error.find(c.error), std::string::npos) << parsed.error;
  }
  const ParseResult subject =
      ParseArguments({"merge", "-o", "o.bmp", "--align", "subject:10.5,-2", "a.jpg", "b.jpg"});
  ASSERT_TRUE(subject.command && subject.command->merge.align &&
              subject.command->merge.align->subject);
  EXPECT_EQ(subject.command->merge.align->subject->x, 10.5);
  EXPECT_EQ(subject.command->merge.align->subject->y, -2);
}

}  // namespace
}  // namespace lenti::cli
