// The recovery copy: the window's job written after every change, so that a
// crash or a kill loses nothing. A normal exit removes it; the next start
// offers what it finds.
#pragma once

#include <optional>
#include <string>

#include "core/job.h"

namespace lenti {

// ${XDG_STATE_HOME:-$HOME/.local/state}/vexaro-photo-maker/recovery-<name of
// the working folder>.vexaro: two running copies never share one.
std::string RecoveryPath(const std::string& work_dir);

// The work a crashed run left: its job and the project file it was (or ""
// for untitled work), so that the restored work saves where it belongs.
struct RecoveredWork {
  Job job;
  std::string project;
};

// Written atomically (the folder made, private, when missing); the
// project's path beside it in `path` + ".project".
void WriteRecoveryCopy(const Job& job, const std::string& project, const std::string& path);

// The copy a crashed run left; none when there is none or it cannot be read
// (a damaged copy is removed: it could never be restored).
std::optional<RecoveredWork> ReadRecoveryCopy(const std::string& path);

void RemoveRecoveryCopy(const std::string& path);

}  // namespace lenti
