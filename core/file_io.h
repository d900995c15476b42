// Whole-file reads and safe writes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace lenti {

// The file's bytes; "Cannot open file ..." when it cannot be read (missing,
// a directory, no permission). Refuses files larger than `max_bytes`.
std::vector<uint8_t> ReadWholeFile(const std::string& path, uint64_t max_bytes = uint64_t{4} << 30);

// Writes `bytes` to `path`, replacing any file ("Cannot create file ..." on
// failure, the partial file removed).
void WriteWholeFile(const std::string& path, const uint8_t* data, size_t size);

// Writes through a temporary file beside `path` that `finish` may still
// change (the resolution stamp), then renames it over `path`. On any failure
// the temporary file is removed and an existing `path` is untouched.
class AtomicFile {
 public:
  explicit AtomicFile(std::string path);
  ~AtomicFile();  // removes the temporary file unless Commit() succeeded
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  const std::string& TempPath() const { return temp_path_; }
  // fsyncs the temporary file and renames it over the target.
  void Commit();

 private:
  std::string path_;
  std::string temp_path_;
  bool committed_ = false;
};

// The extension of a path: the characters from the last "." of the file
// name to its end, the dot included; empty when the name has no dot.
std::string ExtensionOf(const std::string& path);

}  // namespace lenti
