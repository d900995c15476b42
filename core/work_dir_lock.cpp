#include "core/work_dir_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <system_error>
#include <utility>
#include <vector>

#include "core/error.h"
#include "core/work_dir.h"

namespace lenti {
namespace {

// Returns the locked descriptor, or -1 when another copy holds the folder.
int TryLock(const std::string& dir) {
  const std::string lock_file = dir + "/.lock";
  const int fd = ::open(lock_file.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) throw CannotCreateFile(lock_file, SystemReason(errno));
  if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return fd;
  const int err = errno;
  ::close(fd);
  if (err == EWOULDBLOCK) return -1;
  throw Error("Cannot lock the working folder \"" + dir + "\". " + SystemReason(err));
}

}  // namespace

WorkDirLock WorkDirLock::Acquire(const std::string& parent) {
  for (int n = 1; n <= kMaxWorkDirs; ++n) {
    const std::string dir = parent + "/lentmp" + std::to_string(n);
    EnsureWorkDir(dir);
    const int fd = TryLock(dir);
    if (fd >= 0) return WorkDirLock(dir, fd, false);
  }
  throw Error(Format("Cannot find a free working folder: lentmp1 to lentmp%d in \"%s\" are all in use",
                     kMaxWorkDirs, parent.c_str()));
}

WorkDirLock WorkDirLock::Private(const std::string& parent) {
  std::string pattern = parent + "/lentmp-XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  if (::mkdtemp(name.data()) == nullptr) throw CannotCreateFile(pattern, SystemReason(errno));
  const std::string dir(name.data());
  EnsureWorkDir(dir);
  return WorkDirLock(dir, -1, true);
}

WorkDirLock ClaimWorkDir(const std::string& parent) {
  try {
    return WorkDirLock::Acquire(parent);
  } catch (const Error&) {
    try {
      return WorkDirLock::Private(parent);
    } catch (const Error&) {
    }
    throw;
  }
}

WorkDirLock::WorkDirLock(WorkDirLock&& other) noexcept
    : dir_(std::move(other.dir_)),
      fd_(std::exchange(other.fd_, -1)),
      remove_at_end_(std::exchange(other.remove_at_end_, false)) {}

WorkDirLock& WorkDirLock::operator=(WorkDirLock&& other) noexcept {
  if (this != &other) {
    Release();
    dir_ = std::move(other.dir_);
    fd_ = std::exchange(other.fd_, -1);
    remove_at_end_ = std::exchange(other.remove_at_end_, false);
  }
  return *this;
}

WorkDirLock::~WorkDirLock() { Release(); }

void WorkDirLock::Release() noexcept {
  if (fd_ >= 0) ::close(fd_);  // closing releases the lock
  fd_ = -1;
  if (remove_at_end_) {
    // A link put in its place is removed itself, never followed.
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
    remove_at_end_ = false;
  }
}

std::string DefaultWorkParent() {
  const std::string first = DefaultWorkDir();
  return first.substr(0, first.rfind('/'));
}

}  // namespace lenti
