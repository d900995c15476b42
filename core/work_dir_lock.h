// Two running copies of the program must not overwrite each other's working
// files: each claims a working folder with an exclusive lock held for its
// whole run. The first copy gets "lentmp1"; a second finds it locked and
// takes "lentmp2", and so on. The lock goes with the process, also when it
// crashes, so a stale lock never blocks a folder.
#pragma once

#include <string>

namespace lenti {

inline constexpr int kMaxWorkDirs = 99;

class WorkDirLock {
 public:
  // Creates (EnsureWorkDir's checks: private, no links, our own) and locks
  // the first free folder "<parent>/lentmp1".."lentmp99".
  static WorkDirLock Acquire(const std::string& parent);

  WorkDirLock(WorkDirLock&& other) noexcept;
  WorkDirLock& operator=(WorkDirLock&& other) noexcept;
  WorkDirLock(const WorkDirLock&) = delete;
  WorkDirLock& operator=(const WorkDirLock&) = delete;
  ~WorkDirLock();

  const std::string& Dir() const { return dir_; }

 private:
  WorkDirLock(std::string dir, int fd) : dir_(std::move(dir)), fd_(fd) {}
  std::string dir_;
  int fd_ = -1;
};

// The folder the working folders live in: ${XDG_CACHE_HOME:-$HOME/.cache}.
std::string DefaultWorkParent();

}  // namespace lenti
