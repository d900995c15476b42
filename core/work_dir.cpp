#include "core/work_dir.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "core/error.h"

namespace lenti {
namespace {

// The folder holds converted photos of the person: nobody else may read it.
constexpr mode_t kPrivateMode = 0700;

std::string HomeDir() {
  const char* home = std::getenv("HOME");
  if (home != nullptr && home[0] != '\0') return home;
  if (const passwd* entry = getpwuid(getuid()); entry != nullptr && entry->pw_dir != nullptr)
    return entry->pw_dir;
  throw Error("Cannot find the home folder: HOME is not set");
}

Error FolderRefused(const std::string& dir, const std::string& why) {
  return Error("Cannot use the working folder \"" + dir + "\": " + why);
}

Error FolderNotCreated(const std::string& dir, int errnum) {
  return Error("Cannot create the working folder \"" + dir + "\". " + SystemReason(errnum));
}

// An existing working folder must be a real folder of our own; a link could
// send the photos somewhere another user controls.
void CheckExistingWorkDir(const std::string& dir, const struct stat& info) {
  if (S_ISLNK(info.st_mode)) throw FolderRefused(dir, "it is a symbolic link");
  if (!S_ISDIR(info.st_mode)) throw FolderRefused(dir, "it is not a folder");
  if (info.st_uid != geteuid()) throw FolderRefused(dir, "it belongs to another user");
}

// mkdir -p for the folders above the working folder. They may be links
// (a ~/.cache that points elsewhere is the person's own choice).
void CreateParents(const std::string& dir) {
  for (size_t slash = dir.find('/', 1); slash != std::string::npos;
       slash = dir.find('/', slash + 1)) {
    const std::string parent = dir.substr(0, slash);
    struct stat info {};
    if (stat(parent.c_str(), &info) == 0) {
      if (!S_ISDIR(info.st_mode)) throw FolderRefused(dir, "\"" + parent + "\" is not a folder");
      continue;
    }
    if (mkdir(parent.c_str(), kPrivateMode) != 0 && errno != EEXIST)
      throw FolderNotCreated(parent, errno);
  }
}

std::string WithoutTrailingSlashes(std::string dir) {
  while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
  return dir;
}

std::string WorkFile(const std::string& dir, char kind, int slot) {
  if (slot < 1 || slot > 16) throw Error(Format("Slot %d does not exist (1 to 16)", slot));
  return dir + "/" + Format("%c%02d.bmp", kind, slot);
}

}  // namespace

std::string DefaultWorkDir() {
  // The XDG rules ignore a relative XDG_CACHE_HOME.
  const char* cache = std::getenv("XDG_CACHE_HOME");
  const std::string base =
      (cache != nullptr && cache[0] == '/') ? std::string(cache) : HomeDir() + "/.cache";
  return WithoutTrailingSlashes(base) + "/lentmp1";
}

void EnsureWorkDir(const std::string& given) {
  const std::string dir = WithoutTrailingSlashes(given);
  if (dir.empty()) throw Error("Cannot use the working folder \"\": the name is empty");
  struct stat info {};
  if (lstat(dir.c_str(), &info) == 0) return CheckExistingWorkDir(dir, info);
  if (errno != ENOENT && errno != ENOTDIR) throw FolderNotCreated(dir, errno);

  CreateParents(dir);
  if (mkdir(dir.c_str(), kPrivateMode) != 0) {
    // Someone made it between the two calls: judge what is there now.
    if (errno == EEXIST && lstat(dir.c_str(), &info) == 0) return CheckExistingWorkDir(dir, info);
    throw FolderNotCreated(dir, errno);
  }
  // The umask may have taken bits away; the owner needs all three.
  if (chmod(dir.c_str(), kPrivateMode) != 0) throw FolderNotCreated(dir, errno);
}

std::string PhotoWorkFile(const std::string& dir, int slot) { return WorkFile(dir, 't', slot); }

std::string FrameWorkFile(const std::string& dir, int slot) { return WorkFile(dir, 'x', slot); }

void DeleteWorkFiles(const std::string& dir) {
  int first_failure = 0;
  std::string failed_file;
  for (const char kind : {'t', 'x'}) {
    for (int slot = 1; slot <= 16; ++slot) {
      const std::string file = WorkFile(dir, kind, slot);
      if (unlink(file.c_str()) == 0 || errno == ENOENT || first_failure != 0) continue;
      first_failure = errno;
      failed_file = file;
    }
  }
  // Every file is tried before a failure is reported.
  if (first_failure != 0)
    throw Error("Cannot delete file \"" + failed_file + "\". " + SystemReason(first_failure));
}

}  // namespace lenti
