// Project files on the command line: `merge --save-job` keeps the job that
// `run` renders to the same bytes; a job saved alone holds what opening it
// needs; `run` over several jobs makes every good one and names each bad one.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "app/cli_run.h"
#include "core/bmp_writer.h"
#include "core/content_hash.h"
#include "core/file_io.h"
#include "intake/crop_frame.h"
#include "job/job_file.h"

#include "pattern_photos.h"
#include "run_cli.h"
#include "temp_dir.h"

namespace lenti::cli {
namespace {

namespace fs = std::filesystem;
using lenti::testing::Grey;
using lenti::testing::Pattern;
using lenti::testing::TempDir;
using lenti::testing::WriteJpeg;

using lenti::testing::CliResult;

std::string Bytes(const std::string& path) {
  const std::vector<uint8_t> bytes = ReadWholeFile(path);
  return std::string(bytes.begin(), bytes.end());
}

class CliJob : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteJpeg(Pattern(160, 200, 1), dir_ / "a.jpg");
    SaveBmpFile(Pattern(150, 190, 2), dir_ / "b.bmp");
    WriteJpeg(Grey(170, 140), dir_ / "c.jpg");
  }
  const std::vector<std::string> Photos() const { return {dir_ / "a.jpg", dir_ / "b.bmp", dir_ / "c.jpg"}; }

  static CliResult Cli(const std::vector<std::string>& args) { return lenti::testing::RunCliCapture(args); }
  // `merge` with a small print size (quick pictures), `options` and the photos.
  CliResult Merge(std::vector<std::string> args, const std::vector<std::string>& options) const {
    args.insert(args.begin(), "merge");
    args.insert(args.end(), {"--size", "4x5"});
    args.insert(args.end(), options.begin(), options.end());
    for (const std::string& photo : Photos()) args.push_back(photo);
    return Cli(args);
  }

  TempDir dir_;
};

TEST_F(CliJob, RunRendersTheSavedJobToTheMergesBytes) {
  struct Case {
    const char* name;
    std::vector<std::string> options;
    const char* ext;
  };
  const std::vector<Case> table = {
      {"default-crops", {}, ".bmp"},
      {"crops", {"--crop", "1=10,20,100,150", "--crop", "3=-20,-10,120,160"}, ".bmp"},
      {"landscape", {"--mode", "landscape"}, ".bmp"},
      {"dpi", {"--dpi", "600"}, ".bmp"},
      {"phase", {"--dpi", "300", "--phase", "-0.3"}, ".bmp"},
      {"finished", {"--text", "Hi", "--text-at", "20,30", "--align-bars", "--rotate", "1"}, ".bmp"},
      {"reverse", {"--reverse", "--crop", "1=0,0,90,120"}, ".bmp"},
      {"tif", {"--sampling", "area"}, ".tif"},
      {"png", {"--lpi", "40.5"}, ".png"},
  };
  std::set<std::string> pictures;
  for (const Case& c : table) {
    SCOPED_TRACE(c.name);
    const std::string merged = dir_ / (std::string(c.name) + "-merge" + c.ext);
    const std::string ran = dir_ / (std::string(c.name) + "-run" + c.ext);
    const std::string job = dir_ / (std::string(c.name) + ".vexaro");
    const CliResult merge = Merge({"-o", merged, "--save-job", job}, c.options);
    ASSERT_EQ(merge.status, 0) << merge.err;
    EXPECT_NE(merge.out.find(", job " + job), std::string::npos) << merge.out;
    const CliResult run = Cli({"run", job, "-o", ran});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("-> " + ran), std::string::npos) << run.out;
    const std::string bytes = Bytes(merged);
    EXPECT_TRUE(bytes == Bytes(ran));
    pictures.insert(bytes);
  }
  // Each option set made a picture of its own.
  EXPECT_EQ(pictures.size(), table.size());
}

TEST_F(CliJob, SaveJobWithoutOutputWritesOnlyTheResolvedJob) {
  const size_t before = dir_.Count();
  const CliResult merge = Merge({"--save-job", dir_ / "j.vexaro"}, {"--mode", "landscape", "--crop", "2=5,6,70,80"});
  ASSERT_EQ(merge.status, 0) << merge.err;
  EXPECT_EQ(merge.out, "saved the job of 3 frames -> " + (dir_ / "j.vexaro") + "\n");
  EXPECT_EQ(dir_.Count(), before + 1);

  const Job job = LoadJobFile(dir_ / "j.vexaro");
  EXPECT_TRUE(job.output.path.empty());
  EXPECT_EQ(job.mode, Mode::LandscapeColumns);
  const std::vector<Size> sizes = {{160, 200}, {150, 190}, {170, 140}};
  ASSERT_EQ(job.frames.size(), 3u);
  for (size_t i = 0; i < 3; ++i) {
    const JobFrame& frame = job.frames[i];
    EXPECT_EQ(frame.path, Photos()[i]);
    EXPECT_EQ(frame.hash, FileContentHash(Photos()[i]));
    EXPECT_EQ(frame.pixels, sizes[i]);
    const Rect expected = i == 1 ? Rect{5, 6, 75, 86} : DefaultSourceRect(sizes[i], CropRatioFor(job.lens, job.mode));
    EXPECT_EQ(frame.crop, expected) << i;
  }
}

TEST_F(CliJob, RunMakesEveryGoodJobAndNamesEachBadOne) {
  // Two good jobs (their pictures removed again), a photo gone, not a project, no output.
  for (const char* name : {"good1", "good2"}) {
    ASSERT_EQ(Merge({"-o", dir_ / (std::string(name) + ".bmp"), "--save-job", dir_ / (std::string(name) + ".vexaro")}, {})
                  .status,
              0);
    fs::remove(dir_ / (std::string(name) + ".bmp"));
  }
  fs::copy_file(dir_ / "a.jpg", dir_ / "gone.jpg");
  ASSERT_EQ(Cli({"merge", "-o", dir_ / "gone.bmp", "--save-job", dir_ / "gone.vexaro", "--size", "4x5", dir_ / "gone.jpg",
                 dir_ / "b.bmp"})
                .status,
            0);
  fs::remove(dir_ / "gone.jpg");
  fs::remove(dir_ / "gone.bmp");
  WriteWholeFile(dir_ / "notes.vexaro", reinterpret_cast<const uint8_t*>("notes"), 5);
  ASSERT_EQ(Merge({"--save-job", dir_ / "nowhere.vexaro"}, {}).status, 0);

  struct Case {
    const char* name;
    std::vector<std::string> jobs;
    int status;
    std::vector<std::string> made;
    std::vector<std::string> errors;  // each on its own line of stderr
  };
  const std::vector<Case> table = {
      {"all-good", {"good1", "good2"}, 0, {"good1", "good2"}, {}},
      {"some-bad",
       {"good1", "gone", "good2", "notes", "nowhere"},
       1,
       {"good1", "good2"},
       {"gone.vexaro: Cannot open file \"" + (dir_ / "gone.jpg"), "notes.vexaro: Cannot open the project",
        "nowhere.vexaro: the job \"" + (dir_ / "nowhere.vexaro") + "\" names no output"}},
      {"bad-only", {"notes"}, 1, {}, {"notes.vexaro: Cannot open the project"}},
  };
  for (const Case& c : table) {
    SCOPED_TRACE(c.name);
    std::vector<std::string> args = {"run"};
    for (const std::string& job : c.jobs) args.push_back(dir_ / (job + ".vexaro"));
    const CliResult run = Cli(args);
    EXPECT_EQ(run.status, c.status) << run.err;
    for (const std::string& picture : c.made) {
      EXPECT_TRUE(fs::is_regular_file(dir_ / (picture + ".bmp"))) << picture;
      fs::remove(dir_ / (picture + ".bmp"));
    }
    // One line per good job, in order, each ending with its picture.
    std::istringstream out(run.out);
    std::string line;
    for (const std::string& picture : c.made) {
      ASSERT_TRUE(std::getline(out, line));
      EXPECT_TRUE(line.ends_with("-> " + (dir_ / (picture + ".bmp")))) << line;
    }
    EXPECT_FALSE(std::getline(out, line)) << line;
    std::istringstream err(run.err);
    for (const std::string& error : c.errors) {
      ASSERT_TRUE(std::getline(err, line));
      EXPECT_EQ(line.rfind("vexaro: " + dir_.path().string() + "/", 0), 0u) << line;
      EXPECT_NE(line.find(error), std::string::npos) << line;
    }
    EXPECT_FALSE(std::getline(err, line)) << line;
  }
  EXPECT_FALSE(fs::exists(dir_ / "gone.bmp"));

  // -o names one picture, so it takes one job.
  const CliResult several = Cli({"run", dir_ / "good1.vexaro", dir_ / "good2.vexaro", "-o", dir_ / "one.bmp"});
  EXPECT_EQ(several.status, 2);
  EXPECT_NE(several.err.find("-o takes one job"), std::string::npos) << several.err;
  EXPECT_FALSE(fs::exists(dir_ / "one.bmp"));
}

}  // namespace
}  // namespace lenti::cli
