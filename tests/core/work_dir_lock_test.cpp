// Two copies of the program get different working folders; a released
// folder is taken again; a folder that is a link is refused, not skipped.
#include "core/work_dir_lock.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
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

}  // namespace
}  // namespace lenti
