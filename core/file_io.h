// Whole-file reads and safe writes.
#pragma once

#include <sys/uio.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/error.h"

namespace lenti {

// "Cannot read file \"<path>\". <reason>": a read that failed after the open.
Error CannotReadFile(const std::string& path, const std::string& reason);
// "Cannot write file \"<path>\". <reason>": a write into an existing file failed.
Error CannotWriteFile(const std::string& path, const std::string& reason);

// A regular file open for reading. The open never blocks (a FIFO or device
// is refused, not waited on); directories, FIFOs and devices raise
// "Cannot open file ...".
class InputFile {
 public:
  explicit InputFile(const std::string& path);
  ~InputFile();
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  const std::string& Path() const { return path_; }
  uint64_t Size() const { return size_; }
  int Descriptor() const { return fd_; }
  // Reads up to `size` bytes at `offset`; fewer only at the end of the file.
  size_t ReadAt(uint64_t offset, void* buffer, size_t size);

 private:
  std::string path_;
  int fd_ = -1;
  uint64_t size_ = 0;
};

// A file being written through a buffer. Every failure raises
// "Cannot create file \"<shown_name>\". <reason>". Unless Close() succeeded,
// the destructor removes the partial file (only a regular file: a device
// such as /dev/full is never unlinked).
class FileWriter {
 public:
  FileWriter(const std::string& path, const std::string& shown_name);
  explicit FileWriter(const std::string& path) : FileWriter(path, path) {}
  ~FileWriter();
  FileWriter(const FileWriter&) = delete;
  FileWriter& operator=(const FileWriter&) = delete;

  void Write(const void* data, size_t size);
  // The next `size` bytes of the file, to be filled in before the next call.
  uint8_t* Reserve(size_t size);
  // Writes the pieces in order straight from where they lie (no copy into
  // the buffer): for large rasters whose rows are already in file form.
  void WriteGathered(const ::iovec* pieces, int count);
  // Flushes and closes; raises if any byte did not reach the file.
  void Close();

 private:
  void Flush();
  [[noreturn]] void Fail(int errnum);

  std::string path_;
  std::string shown_name_;
  int fd_ = -1;
  bool regular_ = false;
  std::vector<uint8_t> buffer_;
  size_t used_ = 0;
};

// The file's bytes; "Cannot open file ..." when it cannot be read (missing,
// a directory, no permission). Refuses files larger than `max_bytes`.
std::vector<uint8_t> ReadWholeFile(const std::string& path, uint64_t max_bytes = uint64_t{4} << 30);

// Writes `bytes` to `path`, replacing any file ("Cannot create file ..." on
// failure, the partial file removed).
void WriteWholeFile(const std::string& path, const uint8_t* data, size_t size);

// Writes through a temporary file beside `path` that `finish` may still
// change (the resolution stamp), then renames it over `path`. On any failure
// the temporary file is removed and an existing `path` is untouched.
//
// The target must be a regular file or not exist yet (a directory, FIFO or
// device is refused); a symbolic link is followed, so the file it names is
// replaced and the link stays. Errors name the target path.
class AtomicFile {
 public:
  explicit AtomicFile(std::string path);
  ~AtomicFile();  // removes the temporary file unless Commit() succeeded
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  const std::string& TempPath() const { return temp_path_; }
  // fsyncs the temporary file now, so that a later Commit only renames
  // (the slow part done on a worker, the rename on the window's thread).
  void Sync();
  // fsyncs the temporary file (unless Sync did) and renames it over the target.
  void Commit();

 private:
  std::string shown_path_;
  std::string path_;
  std::string temp_path_;
  bool synced_ = false;
  bool committed_ = false;
};

// The extension of a path: the characters from the last "." of the file
// name to its end, the dot included; empty when the name has no dot.
std::string ExtensionOf(const std::string& path);

}  // namespace lenti
