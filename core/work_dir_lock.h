// Two running copies of the program must not overwrite each other's working
// files: each claims a working folder with an exclusive lock held for its
// whole run. The first copy gets "lentmp1"; a second finds it locked and
// takes "lentmp2", and so on. The lock goes with the process, also when it
// crashes, so a stale lock never blocks a folder. When no numbered folder
// can be claimed (all taken, or a file system without locks), the run gets
// a new folder of its own instead of sharing one unlocked.
#pragma once

#include <string>

namespace lenti {

inline constexpr int kMaxWorkDirs = 99;

class WorkDirLock {
 public:
  // Creates (EnsureWorkDir's checks: private, no links, our own) and locks
  // the first free folder "<parent>/lentmp1".."lentmp99".
  static WorkDirLock Acquire(const std::string& parent);
  // A new folder "<parent>/lentmp-XXXXXX" of this run's alone: no other copy
  // can come to its name, so it needs no lock. It goes, with the files in
  // it, when the run ends.
  static WorkDirLock Private(const std::string& parent);

  WorkDirLock(WorkDirLock&& other) noexcept;
  WorkDirLock& operator=(WorkDirLock&& other) noexcept;
  WorkDirLock(const WorkDirLock&) = delete;
  WorkDirLock& operator=(const WorkDirLock&) = delete;
  ~WorkDirLock();

  const std::string& Dir() const { return dir_; }

 private:
  WorkDirLock(std::string dir, int fd, bool remove_at_end)
      : dir_(std::move(dir)), fd_(fd), remove_at_end_(remove_at_end) {}
  void Release() noexcept;
  std::string dir_;
  int fd_ = -1;
  bool remove_at_end_ = false;
};

// The working folder of a run: Acquire's, else a Private one. Raises
// Acquire's error when neither can be made.
WorkDirLock ClaimWorkDir(const std::string& parent);

// The folder the working folders live in: ${XDG_CACHE_HOME:-$HOME/.cache}.
std::string DefaultWorkParent();

}  // namespace lenti
