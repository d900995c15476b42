// The working folder: where it lies, that it is created private and left
// alone once it exists, that links and foreign folders are refused, and
// that closing deletes the files of all sixteen slots.
#include "core/work_dir.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <fstream>
#include <optional>
#include <string>

#include "core/error.h"

#include "temp_dir.h"

namespace lenti {
namespace {

namespace fs = std::filesystem;

using lenti::testing::TempDir;

// Sets (or unsets) an environment variable for one test.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, std::optional<std::string> value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value) setenv(name, value->c_str(), 1);
    else unsetenv(name);
  }
  ~ScopedEnv() {
    if (old_) setenv(name_, old_->c_str(), 1);
    else unsetenv(name_);
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

mode_t ModeOf(const std::string& path) {
  struct stat info {};
  EXPECT_EQ(lstat(path.c_str(), &info), 0) << path;
  return info.st_mode & 07777;
}

void Touch(const std::string& path) { std::ofstream(path) << "x"; }

std::string ErrorText(const std::function<void()>& work) {
  try {
    work();
  } catch (const Error& e) {
    return e.what();
  }
  return "";
}

// ---- where the folder lies ----

struct DefaultCase {
  const char* name;
  std::optional<std::string> xdg_cache_home;
  std::optional<std::string> home;
  std::string expected;
};

class DefaultWorkDirTable : public ::testing::TestWithParam<DefaultCase> {};

TEST_P(DefaultWorkDirTable, FollowsTheCacheFolderRules) {
  const DefaultCase& c = GetParam();
  ScopedEnv xdg("XDG_CACHE_HOME", c.xdg_cache_home);
  ScopedEnv home("HOME", c.home);
  EXPECT_EQ(DefaultWorkDir(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    WorkDir, DefaultWorkDirTable,
    ::testing::Values(
        DefaultCase{"CacheHomeSet", "/var/cache/me", "/home/me", "/var/cache/me/lentmp1"},
        DefaultCase{"CacheHomeWithSlash", "/var/cache/me/", "/home/me", "/var/cache/me/lentmp1"},
        DefaultCase{"CacheHomeUnset", std::nullopt, "/home/me", "/home/me/.cache/lentmp1"},
        DefaultCase{"CacheHomeEmpty", "", "/home/me", "/home/me/.cache/lentmp1"},
        // A relative XDG_CACHE_HOME is to be ignored.
        DefaultCase{"CacheHomeRelative", "cache", "/home/me", "/home/me/.cache/lentmp1"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(WorkDir, WithoutHomeFallsBackToThePasswordEntry) {
  ScopedEnv xdg("XDG_CACHE_HOME", std::nullopt);
  ScopedEnv home("HOME", std::nullopt);
  const std::string dir = DefaultWorkDir();
  EXPECT_EQ(dir.substr(dir.size() - std::string("/.cache/lentmp1").size()), "/.cache/lentmp1");
  EXPECT_EQ(dir.front(), '/');
}

// ---- creating it ----

TEST(WorkDir, FirstStartCreatesThePrivateFolderAndItsParents) {
  TempDir temp;
  const std::string dir = temp / "cache/deeper/lentmp1";
  const mode_t old_umask = umask(0);  // a lax umask must not make it readable by others
  EnsureWorkDir(dir);
  umask(old_umask);
  EXPECT_TRUE(fs::is_directory(dir));
  EXPECT_EQ(ModeOf(dir), 0700u);
}

TEST(WorkDir, StrictUmaskStillGivesTheOwnerEverything) {
  TempDir temp;
  const std::string dir = temp / "lentmp1";
  const mode_t old_umask = umask(0277);
  EnsureWorkDir(dir);
  umask(old_umask);
  EXPECT_EQ(ModeOf(dir), 0700u);
}

TEST(WorkDir, LaterStartsLeaveTheFolderAndItsFilesUnchanged) {
  TempDir temp;
  const std::string dir = temp / "lentmp1";
  ASSERT_EQ(mkdir(dir.c_str(), 0750), 0);
  chmod(dir.c_str(), 0750);
  Touch(dir + "/t01.bmp");
  EnsureWorkDir(dir);
  EnsureWorkDir(dir + "/");
  EXPECT_EQ(ModeOf(dir), 0750u);
  EXPECT_TRUE(fs::exists(dir + "/t01.bmp"));
}

// ---- refusing what is not our own folder ----

TEST(WorkDir, RefusesASymbolicLinkEvenToAFolder) {
  TempDir temp;
  const std::string target = temp / "elsewhere";
  const std::string dir = temp / "lentmp1";
  fs::create_directory(target);
  fs::create_directory_symlink(target, dir);
  EXPECT_EQ(ErrorText([&] { EnsureWorkDir(dir); }),
            "Cannot use the working folder \"" + dir + "\": it is a symbolic link");
}

TEST(WorkDir, RefusesADanglingSymbolicLink) {
  TempDir temp;
  const std::string dir = temp / "lentmp1";
  fs::create_directory_symlink(temp / "missing", dir);
  EXPECT_EQ(ErrorText([&] { EnsureWorkDir(dir); }),
            "Cannot use the working folder \"" + dir + "\": it is a symbolic link");
  EXPECT_FALSE(fs::exists(temp / "missing"));  // nothing created through the link
}

TEST(WorkDir, RefusesAFile) {
  TempDir temp;
  const std::string dir = temp / "lentmp1";
  Touch(dir);
  EXPECT_EQ(ErrorText([&] { EnsureWorkDir(dir); }),
            "Cannot use the working folder \"" + dir + "\": it is not a folder");
}

TEST(WorkDir, RefusesAParentThatIsAFile) {
  TempDir temp;
  Touch(temp / "cache");
  const std::string dir = temp / "cache/lentmp1";
  EXPECT_EQ(ErrorText([&] { EnsureWorkDir(dir); }),
            "Cannot use the working folder \"" + dir + "\": \"" + temp.path().string() +
                "/cache\" is not a folder");
}

TEST(WorkDir, RefusesAFolderOfAnotherUser) {
  if (geteuid() != 0) GTEST_SKIP() << "only root can give a folder to another user";
  TempDir temp;
  const std::string dir = temp / "lentmp1";
  ASSERT_EQ(mkdir(dir.c_str(), 0700), 0);
  ASSERT_EQ(chown(dir.c_str(), 65534, 65534), 0);
  EXPECT_EQ(ErrorText([&] { EnsureWorkDir(dir); }),
            "Cannot use the working folder \"" + dir + "\": it belongs to another user");
}

TEST(WorkDir, ReportsAFolderThatCannotBeCreated) {
  if (geteuid() == 0) GTEST_SKIP() << "root may write into a read-only folder";
  TempDir temp;
  chmod(temp.path().c_str(), 0500);
  const std::string dir = temp / "lentmp1";
  EXPECT_EQ(ErrorText([&] { EnsureWorkDir(dir); }),
            "Cannot create the working folder \"" + dir + "\". Permission denied");
}

// ---- the file names ----

TEST(WorkDir, FileNamesCarryTheSlotInTwoDigits) {
  const struct {
    int slot;
    const char* photo;
    const char* frame;
  } cases[] = {{1, "/w/t01.bmp", "/w/x01.bmp"}, {9, "/w/t09.bmp", "/w/x09.bmp"},
               {10, "/w/t10.bmp", "/w/x10.bmp"}, {16, "/w/t16.bmp", "/w/x16.bmp"}};
  for (const auto& c : cases) {
    EXPECT_EQ(PhotoWorkFile("/w", c.slot), c.photo);
    EXPECT_EQ(FrameWorkFile("/w", c.slot), c.frame);
  }
}

TEST(WorkDir, SlotOutsideOneToSixteenIsRefused) {
  for (const int slot : {0, 17, -1}) {
    EXPECT_THROW(PhotoWorkFile("/w", slot), Error) << slot;
    EXPECT_THROW(FrameWorkFile("/w", slot), Error) << slot;
  }
}

// ---- deleting the working files when the window closes ----

TEST(WorkDir, DeletesTheFilesOfAllSixteenSlotsAndKeepsTheRest) {
  TempDir temp;
  for (int slot = 1; slot <= 16; ++slot) {
    Touch(PhotoWorkFile(temp.path().string(), slot));
    Touch(FrameWorkFile(temp.path().string(), slot));
  }
  Touch(temp / "t17.bmp");
  Touch(temp / "photo.jpg");
  DeleteWorkFiles(temp.path().string());
  for (int slot = 1; slot <= 16; ++slot) {
    EXPECT_FALSE(fs::exists(PhotoWorkFile(temp.path().string(), slot))) << slot;
    EXPECT_FALSE(fs::exists(FrameWorkFile(temp.path().string(), slot))) << slot;
  }
  EXPECT_TRUE(fs::exists(temp / "t17.bmp"));
  EXPECT_TRUE(fs::exists(temp / "photo.jpg"));
  EXPECT_TRUE(fs::is_directory(temp.path().string()));
}

TEST(WorkDir, MissingFilesAreSkippedSilently) {
  TempDir temp;
  Touch(temp / "t14.bmp");
  Touch(temp / "x03.bmp");
  EXPECT_NO_THROW(DeleteWorkFiles(temp.path().string()));
  EXPECT_FALSE(fs::exists(temp / "t14.bmp"));
  EXPECT_FALSE(fs::exists(temp / "x03.bmp"));
  EXPECT_NO_THROW(DeleteWorkFiles(temp.path().string()));  // nothing left: still quiet
}

TEST(WorkDir, AFileThatCannotBeDeletedIsReportedAfterTheOthersAreGone) {
  TempDir temp;
  fs::create_directories(temp / "t05.bmp/inside");  // unlink refuses a folder
  Touch(temp / "t16.bmp");
  Touch(temp / "x01.bmp");
  const std::string text = ErrorText([&] { DeleteWorkFiles(temp.path().string()); });
  EXPECT_EQ(text.rfind("Cannot delete file \"" + temp.path().string() + "/t05.bmp\". ", 0), 0u) << text;
  EXPECT_FALSE(fs::exists(temp / "t16.bmp"));
  EXPECT_FALSE(fs::exists(temp / "x01.bmp"));
}

}  // namespace
}  // namespace lenti
