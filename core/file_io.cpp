#include "core/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

namespace lenti {
namespace {

// Reason given for a path that exists but is no file we can read or replace.
constexpr const char* kNotRegularFile = "Not a regular file";

// Write buffer of FileWriter: big enough that a 24-bit photo goes out in a
// dozen system calls, small enough to stay in the cache.
constexpr size_t kWriteBufferBytes = size_t{1} << 20;

// Pieces one writev call takes (the kernel's limit).
constexpr size_t kMaxPiecesPerCall = 1024;

std::string ReasonForNonRegular(const struct stat& st) {
  return S_ISDIR(st.st_mode) ? SystemReason(EISDIR) : std::string(kNotRegularFile);
}

void CloseQuietly(int fd) {
  if (fd >= 0) ::close(fd);
}

std::string DirectoryOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string BaseNameOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A symbolic link is resolved so that the rename replaces the file it names,
// not the link. A dangling link or a missing file keeps the path as given.
std::string ResolveTarget(const std::string& path) {
  struct stat st;
  if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
  char resolved[PATH_MAX];
  if (::realpath(path.c_str(), resolved) == nullptr) return path;
  return resolved;
}

// Refuses a target that exists and is not a regular file: renaming over a
// device or FIFO would replace it with our file.
void RequireReplaceableTarget(const std::string& path, const std::string& shown) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return;  // does not exist yet
  if (!S_ISREG(st.st_mode)) throw CannotCreateFile(shown, ReasonForNonRegular(st));
}

// The replacement keeps the permissions of the file it replaces.
void CopyPermissionsQuietly(const std::string& from, const std::string& to) {
  struct stat st;
  if (::stat(from.c_str(), &st) == 0) ::chmod(to.c_str(), st.st_mode & 07777);
}

// A name beside `target` that no other file has; the file is created empty
// (O_EXCL, so two savers never share one).
std::string CreateUniqueTemp(const std::string& target, const std::string& shown) {
  static std::atomic<unsigned> counter{0};
  const std::string stem = DirectoryOf(target) + "/." + BaseNameOf(target) + ".tmp";
  const auto clock = static_cast<unsigned long>(
      std::chrono::steady_clock::now().time_since_epoch().count());
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string candidate = stem + std::to_string(::getpid()) + "-" +
                                  std::to_string(counter++) + "-" + std::to_string(clock % 1000000);
    const int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) {
      ::close(fd);
      return candidate;
    }
    if (errno != EEXIST) throw CannotCreateFile(shown, SystemReason(errno));
  }
  throw CannotCreateFile(shown, SystemReason(EEXIST));
}

// Makes a rename durable; failure here is not worth failing the save for,
// the data itself is already on disk.
void SyncDirectoryQuietly(const std::string& directory) {
  const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

}  // namespace

Error CannotReadFile(const std::string& path, const std::string& reason) {
  return Error("Cannot read file \"" + path + "\". " + reason);
}

Error CannotWriteFile(const std::string& path, const std::string& reason) {
  return Error("Cannot write file \"" + path + "\". " + reason);
}

// ---- InputFile ----

InputFile::InputFile(const std::string& path) : path_(path) {
  // O_NONBLOCK: opening a FIFO without a writer must not wait for one.
  fd_ = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd_ < 0) throw CannotOpenFile(path, SystemReason(errno));
  struct stat st;
  if (::fstat(fd_, &st) != 0) {
    const int errnum = errno;
    CloseQuietly(fd_);
    throw CannotOpenFile(path, SystemReason(errnum));
  }
  if (!S_ISREG(st.st_mode)) {
    CloseQuietly(fd_);
    throw CannotOpenFile(path, ReasonForNonRegular(st));
  }
  size_ = static_cast<uint64_t>(st.st_size);
}

InputFile::~InputFile() { CloseQuietly(fd_); }

size_t InputFile::ReadAt(uint64_t offset, void* buffer, size_t size) {
  auto* out = static_cast<uint8_t*>(buffer);
  size_t done = 0;
  while (done < size) {
    const ssize_t n = ::pread(fd_, out + done, size - done, static_cast<off_t>(offset + done));
    if (n < 0) {
      if (errno == EINTR) continue;
      throw CannotReadFile(path_, SystemReason(errno));
    }
    if (n == 0) break;  // end of file
    done += static_cast<size_t>(n);
  }
  return done;
}

std::vector<uint8_t> ReadWholeFile(const std::string& path, uint64_t max_bytes) {
  InputFile file(path);
  if (file.Size() > max_bytes || file.Size() > SIZE_MAX) {
    throw CannotOpenFile(path, SystemReason(EFBIG));
  }
  std::vector<uint8_t> bytes;
  try {
    bytes.resize(static_cast<size_t>(file.Size()));
  } catch (const std::bad_alloc&) {
    throw OutOfMemory();
  }
  // A file that shrank since the open gives what is left of it.
  bytes.resize(file.ReadAt(0, bytes.data(), bytes.size()));
  return bytes;
}

// ---- FileWriter ----

FileWriter::FileWriter(const std::string& path, const std::string& shown_name)
    : path_(path), shown_name_(shown_name) {
  // O_NONBLOCK for the open only: a FIFO without a reader fails at once
  // (ENXIO) instead of hanging the program.
  fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
  if (fd_ < 0) throw CannotCreateFile(shown_name_, SystemReason(errno));
  struct stat st;
  regular_ = ::fstat(fd_, &st) == 0 && S_ISREG(st.st_mode);
  const int flags = ::fcntl(fd_, F_GETFL);
  if (flags >= 0) ::fcntl(fd_, F_SETFL, flags & ~O_NONBLOCK);
}

FileWriter::~FileWriter() {
  if (fd_ < 0) return;
  CloseQuietly(fd_);
  if (regular_) ::unlink(path_.c_str());
}

void FileWriter::Fail(int errnum) {
  CloseQuietly(fd_);
  fd_ = -1;
  if (regular_) ::unlink(path_.c_str());
  throw CannotCreateFile(shown_name_, SystemReason(errnum));
}

void FileWriter::Flush() {
  size_t done = 0;
  while (done < used_) {
    const ssize_t n = ::write(fd_, buffer_.data() + done, used_ - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      Fail(errno);
    }
    if (n == 0) Fail(ENOSPC);
    done += static_cast<size_t>(n);
  }
  used_ = 0;
}

uint8_t* FileWriter::Reserve(size_t size) {
  if (fd_ < 0) throw CannotCreateFile(shown_name_, SystemReason(EBADF));
  if (buffer_.size() - used_ < size) {
    Flush();
    if (buffer_.size() < size) {
      try {
        buffer_.resize(std::max(size, kWriteBufferBytes));
      } catch (const std::bad_alloc&) {
        throw OutOfMemory();
      }
    }
  }
  uint8_t* space = buffer_.data() + used_;
  used_ += size;
  return space;
}

void FileWriter::Write(const void* data, size_t size) {
  if (size == 0) return;
  std::memcpy(Reserve(size), data, size);
}

void FileWriter::WriteGathered(const ::iovec* pieces, int count) {
  if (fd_ < 0) throw CannotCreateFile(shown_name_, SystemReason(EBADF));
  Flush();
  std::vector<iovec> left(pieces, pieces + count);
  size_t first = 0;
  while (first < left.size()) {
    const int batch = static_cast<int>(std::min(left.size() - first, kMaxPiecesPerCall));
    const ssize_t n = ::writev(fd_, left.data() + first, batch);
    if (n < 0) {
      if (errno == EINTR) continue;
      Fail(errno);
    }
    if (n == 0) Fail(ENOSPC);
    // Step over the pieces written whole; shorten the one written in part.
    size_t done = static_cast<size_t>(n);
    while (first < left.size() && done >= left[first].iov_len) done -= left[first++].iov_len;
    if (done > 0) {
      left[first].iov_base = static_cast<uint8_t*>(left[first].iov_base) + done;
      left[first].iov_len -= done;
    }
  }
}

void FileWriter::Close() {
  if (fd_ < 0) throw CannotCreateFile(shown_name_, SystemReason(EBADF));
  Flush();
  const int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0 && errno != EINTR) {
    const int errnum = errno;
    if (regular_) ::unlink(path_.c_str());
    throw CannotCreateFile(shown_name_, SystemReason(errnum));
  }
}

void WriteWholeFile(const std::string& path, const uint8_t* data, size_t size) {
  FileWriter writer(path);
  writer.Write(data, size);
  writer.Close();
}

// ---- AtomicFile ----

AtomicFile::AtomicFile(std::string path) : shown_path_(path), path_(ResolveTarget(path)) {
  RequireReplaceableTarget(path_, shown_path_);
  temp_path_ = CreateUniqueTemp(path_, shown_path_);
  CopyPermissionsQuietly(path_, temp_path_);
}

AtomicFile::~AtomicFile() {
  if (!committed_) ::unlink(temp_path_.c_str());
}

void AtomicFile::Sync() {
  const int fd = ::open(temp_path_.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) throw CannotCreateFile(shown_path_, SystemReason(errno));
  if (::fsync(fd) != 0) {
    const int errnum = errno;
    ::close(fd);
    throw CannotCreateFile(shown_path_, SystemReason(errnum));
  }
  ::close(fd);
  synced_ = true;
}

void AtomicFile::Commit() {
  if (!synced_) Sync();
  // Checked again: something may have taken the name since the constructor.
  RequireReplaceableTarget(path_, shown_path_);
  if (::rename(temp_path_.c_str(), path_.c_str()) != 0) {
    throw CannotCreateFile(shown_path_, SystemReason(errno));
  }
  committed_ = true;
  SyncDirectoryQuietly(DirectoryOf(path_));
}

std::string ExtensionOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  const size_t name_start = slash == std::string::npos ? 0 : slash + 1;
  const size_t dot = path.rfind('.');
  if (dot == std::string::npos || dot < name_start) return "";
  return path.substr(dot);
}

}  // namespace lenti
