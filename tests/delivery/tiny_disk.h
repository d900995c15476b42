// Files for the delivery tests: a tiny disk that fills up, and whole-file
// reads and writes (the temporary folder is tests/temp_dir.h).
#pragma once

#include <sys/mount.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "../temp_dir.h"

namespace lenti::testing {

// A 64 KiB tmpfs the test mounts (root only) and unmounts again.
class SmallDisk {
 public:
  SmallDisk() : mount_point_(dir_.path() / "disk") {
    std::filesystem::create_directory(mount_point_);
    mounted_ = geteuid() == 0 && mount("tmpfs", mount_point_.c_str(), "tmpfs", 0, "size=64k") == 0;
  }
  ~SmallDisk() {
    if (mounted_) umount2(mount_point_.c_str(), MNT_DETACH);
  }
  SmallDisk(const SmallDisk&) = delete;
  SmallDisk& operator=(const SmallDisk&) = delete;
  bool mounted() const { return mounted_; }
  const std::filesystem::path& path() const { return mount_point_; }

 private:
  TempDir dir_;
  std::filesystem::path mount_point_;
  bool mounted_ = false;
};

inline std::vector<uint8_t> ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteBytes(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// The names in a folder, for "nothing was left behind".
inline std::vector<std::filesystem::path> Entries(const std::filesystem::path& folder) {
  std::vector<std::filesystem::path> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path());
  return names;
}

}  // namespace lenti::testing
