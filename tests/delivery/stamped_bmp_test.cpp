// The resolution stamp and the atomic stamped save of BMP files.
#include "delivery/stamped_bmp.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "bmp_forms.h"
#include "core/bmp_writer.h"
#include "core/error.h"
#include "error_of.h"
#include "file_size_limit.h"
#include "tiny_disk.h"

namespace lenti {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::StartsWith;
using lenti::testing::ErrorOf;
using lenti::testing::FileSizeLimit;
using lenti::testing::TempDir;
using namespace lenti::bmp_forms;


// ---- resolution ----

TEST(DpiToPelsPerMeter, UsesTwoPointFiveFourZeroSixCentimetresPerInch) {
  const struct {
    double dpi;
    int32_t ppm;
  } table[] = {{212.5, 8364},   {233.75, 9201}, {255, 10037},   {276.25, 10873}, {297.5, 11710},
               {318.75, 12546}, {340, 13383},   {382.5, 15055}, {300, 11808},    {360, 14170},
               {600, 23616},    {720, 28340},   {1200, 47233},  {1440, 56680},   {2400, 94466},
               {3600, 141699}};
  for (const auto& row : table) EXPECT_EQ(DpiToPelsPerMeter(row.dpi), row.ppm) << row.dpi;
}

TEST(DpiToPelsPerMeter, RefusesWhatA32BitFieldCannotHold) {
  EXPECT_EQ(ErrorOf([] { DpiToPelsPerMeter(1e12); }), "Invalid floating point operation");
  EXPECT_EQ(ErrorOf([] { DpiToPelsPerMeter(std::nan("")); }), "Invalid floating point operation");
}

class StampTouchesOnlyTheTwoFields : public ::testing::TestWithParam<PixelFormat> {};

TEST_P(StampTouchesOnlyTheTwoFields, At38And42) {
  TempDir dir;
  const std::string path = dir.File("merged.bmp");
  SaveBmpFile(GradientRaster(kW, kH, GetParam()), path);
  const std::vector<uint8_t> before = ReadBytes(path);
  StampBmpResolution(path, 297.5);
  const std::vector<uint8_t> after = ReadBytes(path);
  ASSERT_EQ(after.size(), before.size());
  const uint8_t stamp[4] = {0xBE, 0x2D, 0x00, 0x00};  // 11710
  for (size_t i = 0; i < after.size(); ++i) {
    if (i >= 38 && i < 46) {
      EXPECT_EQ(after[i], stamp[(i - 38) % 4]) << "byte " << i;
    } else {
      EXPECT_EQ(after[i], before[i]) << "byte " << i;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Bmp, StampTouchesOnlyTheTwoFields,
                         ::testing::Values(PixelFormat::pf24bit, PixelFormat::pf1bit), FormatName);

TEST(StampBmpResolution, RefusesFilesItCannotPatchAndLeavesThemAlone) {
  TempDir dir;
  const std::string shorter = dir.File("short.bmp");
  WriteBytes(shorter, std::vector<uint8_t>(53, 0));
  EXPECT_THAT(ErrorOf([&] { StampBmpResolution(shorter, 300); }),
              StartsWith("Bitmap image is not valid: " + shorter + ": file too short"));
  EXPECT_EQ(ReadBytes(shorter), std::vector<uint8_t>(53, 0));

  HandMade v5;  // 24 bits, a 124-byte header
  v5.header = 124;
  const std::string other = dir.File("v5.bmp");
  const std::vector<uint8_t> v5_bytes = MakeFile(v5);
  WriteBytes(other, v5_bytes);
  EXPECT_THAT(ErrorOf([&] { StampBmpResolution(other, 300); }), HasSubstr("info header size 124 is not 40"));
  EXPECT_EQ(ReadBytes(other), v5_bytes);

  const std::string missing = dir.File("missing.bmp");
  EXPECT_EQ(ErrorOf([&] { StampBmpResolution(missing, 300); }),
            "Cannot open file \"" + missing + "\". No such file or directory");
}

// ---- the atomic stamped save ----

TEST(SaveStampedBmpFile, WritesTheStampedFileAndLeavesNothingElse) {
  TempDir dir;
  const std::string path = dir.File("out.bmp");
  WriteBytes(path, std::vector<uint8_t>{'o', 'l', 'd'});
  const Raster r = GradientRaster(kW, kH, PixelFormat::pf24bit);
  SaveStampedBmpFile(r, path, 297.5);
  std::vector<uint8_t> expected = EncodeBmp(r);
  Put32(expected, 38, 11710);
  Put32(expected, 42, 11710);
  EXPECT_EQ(ReadBytes(path), expected);
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"out.bmp"});
}

TEST(SaveStampedBmpFile, ASymbolicLinkKeepsPointingAtTheNewFile) {
  TempDir dir;
  const std::string real = dir.File("real.bmp");
  const std::string link = dir.File("link.bmp");
  WriteBytes(real, {'o', 'l', 'd'});
  fs::create_symlink(real, link);
  SaveStampedBmpFile(Raster(5, 5), link, 300);
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(ReadBytes(real).size(), 54u + 16 * 5);
}

// Each failure: an error naming the target, the old file byte for byte, no temporary file.
struct SaveFailure {
  const char* name;
  // Prepares the failure in `dir` and returns the target; sets `skip` when it cannot be made here.
  std::function<std::string(TempDir& dir, std::string& skip)> prepare;
  const char* reason;
};

const SaveFailure kSaveFailures[] = {
    {"missing_folder",
     [](TempDir& dir, std::string&) { return dir.File("gone/out.bmp"); }, "No such file or directory"},
    {"read_only_folder",
     [](TempDir& dir, std::string& skip) {
       if (::geteuid() == 0) skip = "running as root: permission bits do not stop writes";
       const std::string sub = dir.File("ro");
       fs::create_directory(sub);
       WriteBytes(sub + "/out.bmp", {'o', 'l', 'd'});
       fs::permissions(sub, fs::perms::owner_read | fs::perms::owner_exec);
       return sub + "/out.bmp";
     },
     "Permission denied"},
    {"target_is_a_folder",
     [](TempDir& dir, std::string&) {
       fs::create_directory(dir.File("out.bmp"));
       return dir.File("out.bmp");
     },
     "Is a directory"},
    {"target_is_a_fifo",
     [](TempDir& dir, std::string&) {
       ::mkfifo(dir.File("out.bmp").c_str(), 0600);
       return dir.File("out.bmp");
     },
     "Not a regular file"},
};

class SaveStampedFailure : public ::testing::TestWithParam<SaveFailure> {};

TEST_P(SaveStampedFailure, LeavesTheOldFileAndNoTemporary) {
  TempDir dir;
  std::string skip;
  const std::string target = GetParam().prepare(dir, skip);
  if (!skip.empty()) GTEST_SKIP() << skip;
  const bool had_file = fs::is_regular_file(target);
  const std::vector<uint8_t> before = had_file ? ReadBytes(target) : std::vector<uint8_t>{};
  const auto entries_before = dir.Names();
  EXPECT_EQ(ErrorOf([&] { SaveStampedBmpFile(Raster(40, 40), target, 300); }),
            "Cannot create file \"" + target + "\". " + GetParam().reason);
  if (had_file) {
    EXPECT_EQ(ReadBytes(target), before);
  }
  EXPECT_EQ(dir.Names(), entries_before);
  if (fs::is_directory(fs::path(target).parent_path())) {
    for (const auto& e : fs::directory_iterator(fs::path(target).parent_path())) {
      EXPECT_THAT(e.path().filename().string(), ::testing::Not(HasSubstr(".tmp")));
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Bmp, SaveStampedFailure, ::testing::ValuesIn(kSaveFailures),
                         [](const auto& info) { return std::string(info.param.name); });

// A full disk, simulated with the file size limit (which binds root too).
TEST(SaveStampedBmpFile, AFullDiskLeavesTheOldFileUntouched) {
  TempDir dir;
  const std::string path = dir.File("out.bmp");
  const std::vector<uint8_t> old(1000, 0x5A);
  WriteBytes(path, old);
  std::string error;
  {
    const FileSizeLimit full(16 * 1024);
    error = ErrorOf([&] { SaveStampedBmpFile(Raster(200, 200), path, 300); });
  }
  EXPECT_EQ(error, "Cannot create file \"" + path + "\". File too large");
  EXPECT_EQ(ReadBytes(path), old);
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"out.bmp"});
}

}  // namespace
}  // namespace lenti
