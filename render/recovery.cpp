#include "render/recovery.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "core/error.h"
#include "job/job_file.h"

namespace lenti {

namespace {

std::string StateFolder() {
  const char* state = std::getenv("XDG_STATE_HOME");
  if (state != nullptr && state[0] == '/') return std::string(state) + "/vexaro-photo-maker";
  const char* home = std::getenv("HOME");
  return std::string(home != nullptr ? home : "/tmp") + "/.local/state/vexaro-photo-maker";
}

void MakePrivateFolder(const std::string& folder) {
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (error || !std::filesystem::is_directory(folder)) {
    throw CannotCreateFile(folder, error ? error.message() : "Not a directory");
  }
  ::chmod(folder.c_str(), 0700);
}

}  // namespace

std::string RecoveryPath(const std::string& work_dir) {
  return StateFolder() + "/recovery-" + std::filesystem::path(work_dir).filename().string() + ".vexaro";
}

void WriteRecoveryCopy(const Job& job, const std::string& path) {
  MakePrivateFolder(std::filesystem::path(path).parent_path().string());
  SaveJobFile(job, path);
}

std::optional<Job> ReadRecoveryCopy(const std::string& path) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return std::nullopt;
  try {
    return LoadJobFile(path);
  } catch (const Error&) {
    RemoveRecoveryCopy(path);
    return std::nullopt;
  }
}

void RemoveRecoveryCopy(const std::string& path) { std::remove(path.c_str()); }

}  // namespace lenti
