// The working folder that holds "t01.bmp".."t16.bmp" (converted JPEG
// photos) and "x01.bmp".."x16.bmp" (prepared frames).
//
// By default a private per-user folder ${XDG_CACHE_HOME:-$HOME/.cache}/lentmp1,
// mode 0700. A path that is a symbolic link, not a folder, or not the user's
// own is refused with a clear error.
#pragma once

#include <string>

namespace lenti {

// ${XDG_CACHE_HOME:-$HOME/.cache}/lentmp1
std::string DefaultWorkDir();

// Creates the folder (mode 0700) if it does not exist, leaves an existing
// one unchanged; refuses links, non-folders and folders of another user.
void EnsureWorkDir(const std::string& dir);

// "<dir>/t01.bmp" for slot 1 (1..16).
std::string PhotoWorkFile(const std::string& dir, int slot);
// "<dir>/x01.bmp" for slot 1 (1..16).
std::string FrameWorkFile(const std::string& dir, int slot);

// Deletes t01..t16 and x01..x16 in `dir`; missing files are skipped silently.
void DeleteWorkFiles(const std::string& dir);

}  // namespace lenti
