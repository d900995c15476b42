// A full disk as far as this process can tell: the file size limit binds
// root too, and writes past it fail with "File too large" (EFBIG) once the
// SIGXFSZ it raises is ignored. Both come back when the guard goes.
#pragma once

#include <sys/resource.h>

#include <csignal>
#include <stdexcept>

namespace lenti::testing {

class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    if (::getrlimit(RLIMIT_FSIZE, &saved_) != 0) throw std::runtime_error("getrlimit failed");
    previous_handler_ = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limit = saved_;
    limit.rlim_cur = bytes;
    if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) throw std::runtime_error("setrlimit failed");
  }
  ~FileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &saved_);
    std::signal(SIGXFSZ, previous_handler_);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

 private:
  struct rlimit saved_ {};
  void (*previous_handler_)(int) = nullptr;
};

}  // namespace lenti::testing
