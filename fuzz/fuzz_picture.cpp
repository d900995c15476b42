// The picture holder's load from a file: the first byte picks the name's
// extension, the rest is the file. Errors are fine, but a failed load must
// keep the previous picture.
//
// The holder reads only from files, so each input is written to one: with
// plain system calls (the project's buffered writer takes a 1 MB buffer per
// file), in /dev/shm when the machine has it, so that no input reaches a
// disk. The pixels of a JPEG are decoded only for pictures of at most
// kDecodePixels (the decoder on any size is fuzz_jpeg's work); the
// extension choice, the header checks and the keep-on-failure run on every
// input.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "core/error.h"
#include "core/picture.h"

namespace {

constexpr int64_t kDecodePixels = 512 * 512;

const std::string& Folder() {
  static const std::string folder = [] {
    struct stat st;
    return std::string(::stat("/dev/shm", &st) == 0 && S_ISDIR(st.st_mode) ? "/dev/shm" : "/tmp");
  }();
  return folder;
}

void WriteInput(const std::string& name, const uint8_t* data, size_t size) {
  const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) __builtin_trap();
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size);
    if (n <= 0) __builtin_trap();
    data += n;
    size -= static_cast<size_t>(n);
  }
  ::close(fd);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  static const char* const kExtensions[] = {".bmp", ".BMP", ".jpg", ".jpeg", ".JPG", ".png", "", "."};
  const std::string name = Folder() + "/lenti-fuzz-picture-" + std::to_string(getpid()) +
                           kExtensions[data[0] % (sizeof kExtensions / sizeof *kExtensions)];
  WriteInput(name, data + 1, size - 1);
  lenti::Picture picture(lenti::Raster(3, 2));
  bool loaded = false;
  try {
    picture.LoadFromFile(name);
    loaded = true;
    if (picture.Width() * static_cast<int64_t>(picture.Height()) <= kDecodePixels) (void)picture.Graphic();
  } catch (const lenti::Error&) {
    const bool kept = picture.GetKind() == lenti::Picture::Kind::Bitmap && picture.Width() == 3 &&
                      picture.Height() == 2;
    if (!loaded && !kept) __builtin_trap();
  }
  std::remove(name.c_str());
  return 0;
}
