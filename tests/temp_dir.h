// A fresh temporary folder per test, removed with everything in it (also
// when a test left it read-only).
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

namespace lenti::testing {

class TempDir {
 public:
  explicit TempDir(const std::string& prefix = "lenti-test") {
    std::string pattern = (std::filesystem::temp_directory_path() / (prefix + "-XXXXXX")).string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
  }
  ~TempDir() {
    // Read-only folders made by a test must become writable to be removed.
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
    for (auto it = fs::recursive_directory_iterator(path_, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec)) {
      if (it->is_directory(ec)) fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
    }
    fs::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // The full name of a file in the folder.
  std::string operator/(const std::string& name) const { return (path_ / name).string(); }
  std::string File(const std::string& name) const { return *this / name; }
  // The names of the folder's entries.
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(path_))
      names.push_back(entry.path().filename().string());
    return names;
  }
  // How many entries the folder holds (for "nothing was left behind").
  size_t Count() const {
    return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(path_),
                                             std::filesystem::directory_iterator()));
  }

 private:
  std::filesystem::path path_;
};

}  // namespace lenti::testing
