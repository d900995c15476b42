// Two copies of the program get different working folders; a released
// folder is taken again; a folder that is a link is refused, not skipped;
// a run that cannot claim a numbered folder gets one of its own, never
// another copy's.
#include "core/work_dir_lock.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>

#include "core/error.h"
#include "temp_dir.h"

namespace lenti {
namespace {

namespace fs = std::filesystem;

class WorkDirLockTest : public ::testing::Test {
 protected:
  lenti::testing::TempDir temp_{"lenti-lock"};
  fs::path parent_ = temp_.path();
};

TEST_F(WorkDirLockTest, SecondCopyTakesTheNextFreeFolder) {
  WorkDirLock first = WorkDirLock::Acquire(parent_.string());
  WorkDirLock second = WorkDirLock::Acquire(parent_.string());
  EXPECT_EQ(first.Dir(), (parent_ / "lentmp1").string());
  EXPECT_EQ(second.Dir(), (parent_ / "lentmp2").string());
  struct stat info {};
  ASSERT_EQ(stat(second.Dir().c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u);
}

TEST_F(WorkDirLockTest, AReleasedFolderIsTakenAgain) {
  std::optional<WorkDirLock> first = WorkDirLock::Acquire(parent_.string());
  WorkDirLock second = WorkDirLock::Acquire(parent_.string());
  first.reset();
  WorkDirLock third = WorkDirLock::Acquire(parent_.string());
  EXPECT_EQ(third.Dir(), (parent_ / "lentmp1").string());
  EXPECT_EQ(second.Dir(), (parent_ / "lentmp2").string());
}

TEST_F(WorkDirLockTest, ALinkInPlaceOfTheFolderIsRefused) {
  fs::create_directories(parent_ / "elsewhere");
  fs::create_directory_symlink(parent_ / "elsewhere", parent_ / "lentmp1");
  EXPECT_THROW(WorkDirLock::Acquire(parent_.string()), Error);
}

TEST_F(WorkDirLockTest, MovingTheLockKeepsItHeld) {
  WorkDirLock first = WorkDirLock::Acquire(parent_.string());
  WorkDirLock moved = std::move(first);
  WorkDirLock second = WorkDirLock::Acquire(parent_.string());
  EXPECT_EQ(moved.Dir(), (parent_ / "lentmp1").string());
  EXPECT_EQ(second.Dir(), (parent_ / "lentmp2").string());
}

// lentmp1 taken by a link (refused) and lentmp2 held by another copy: the
// run works in a new private folder, which goes with its files at the end.
TEST_F(WorkDirLockTest, WithoutANumberedFolderTheRunGetsOneOfItsOwn) {
  fs::create_directories(parent_ / "elsewhere");
  fs::create_directory_symlink(parent_ / "elsewhere", parent_ / "lentmp1");
  std::string first_dir, second_dir;
  {
    WorkDirLock first = ClaimWorkDir(parent_.string());
    WorkDirLock second = ClaimWorkDir(parent_.string());
    first_dir = first.Dir();
    second_dir = second.Dir();
    EXPECT_EQ(fs::path(first_dir).parent_path(), parent_);
    EXPECT_EQ(fs::path(first_dir).filename().string().rfind("lentmp-", 0), 0u) << first_dir;
    EXPECT_NE(first_dir, second_dir);
    struct stat info {};
    ASSERT_EQ(lstat(first_dir.c_str(), &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    std::ofstream(first_dir + "/t01.bmp") << "work";
    WorkDirLock moved = std::move(first);
    EXPECT_TRUE(fs::exists(first_dir + "/t01.bmp"));  // the move keeps it
  }
  EXPECT_FALSE(fs::exists(first_dir));
  EXPECT_FALSE(fs::exists(second_dir));
  EXPECT_TRUE(fs::exists(parent_ / "elsewhere"));  // the link was never followed
}

TEST_F(WorkDirLockTest, ClaimingPrefersTheNumberedFolders) {
  WorkDirLock first = ClaimWorkDir(parent_.string());
  EXPECT_EQ(first.Dir(), (parent_ / "lentmp1").string());
  WorkDirLock again = ClaimWorkDir(parent_.string());
  first = std::move(again);  // the moved-over lock is released, its folder kept
  EXPECT_TRUE(fs::exists(parent_ / "lentmp1"));
  EXPECT_EQ(ClaimWorkDir(parent_.string()).Dir(), (parent_ / "lentmp1").string());
}

TEST_F(WorkDirLockTest, AParentThatIsNoFolderRaisesTheClaimsError) {
  const fs::path file = parent_ / "a-file";
  std::ofstream(file) << "x";
  EXPECT_THROW(ClaimWorkDir(file.string()), Error);
}

}  // namespace
}  // namespace lenti
