#include "render/recovery.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "core/error.h"
#include "core/file_io.h"
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

std::string ProjectFileOf(const std::string& copy) { return copy + ".project"; }

constexpr uint64_t kMaxProjectPathBytes = 16 << 10;

// The project's name is a help, not the work: missing or unreadable, the
// work is untitled ("").
std::string ReadProjectName(const std::string& name_file) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(name_file, error)) return "";
  try {
    const std::vector<uint8_t> bytes = ReadWholeFile(name_file, kMaxProjectPathBytes);
    std::string name(bytes.begin(), bytes.end());
    return name.find('\0') == std::string::npos ? name : "";
  } catch (const Error&) {
    return "";
  }
}

}  // namespace

std::string RecoveryPath(const std::string& work_dir) {
  return StateFolder() + "/recovery-" + std::filesystem::path(work_dir).filename().string() + ".vexaro";
}

void WriteRecoveryCopy(const Job& job, const std::string& project, const std::string& path) {
  MakePrivateFolder(std::filesystem::path(path).parent_path().string());
  SaveJobFile(job, path);
  const std::string name_file = ProjectFileOf(path);
  if (project.empty()) {
    std::remove(name_file.c_str());
  } else if (ReadProjectName(name_file) != project) {  // a change of project, not of the work
    AtomicFile file(name_file);
    WriteWholeFile(file.TempPath(), reinterpret_cast<const uint8_t*>(project.data()), project.size());
    file.Commit();
  }
}

std::optional<RecoveredWork> ReadRecoveryCopy(const std::string& path) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return std::nullopt;
  try {
    return RecoveredWork{LoadJobFile(path), ReadProjectName(ProjectFileOf(path))};
  } catch (const Error&) {
    RemoveRecoveryCopy(path);
    return std::nullopt;
  }
}

void RemoveRecoveryCopy(const std::string& path) {
  std::remove(path.c_str());
  std::remove(ProjectFileOf(path).c_str());
}

}  // namespace lenti
