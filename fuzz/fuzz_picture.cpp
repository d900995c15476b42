// The picture holder's load from a file: the first byte picks the name's
// extension, the rest is the file. Errors are fine, but a failed load must
// keep the previous picture.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "core/error.h"
#include "core/file_io.h"
#include "core/picture.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  static const char* const kExtensions[] = {".bmp", ".BMP", ".jpg", ".jpeg", ".JPG", ".png", "", "."};
  const std::string name = std::string("/tmp/lenti-fuzz-picture-") + std::to_string(getpid()) +
                           kExtensions[data[0] % (sizeof kExtensions / sizeof *kExtensions)];
  lenti::WriteWholeFile(name, data + 1, size - 1);
  lenti::Picture picture(lenti::Raster(3, 2));
  bool loaded = false;
  try {
    picture.LoadFromFile(name);
    loaded = true;
    if (picture.Width() * static_cast<int64_t>(picture.Height()) <= 4096 * 4096) (void)picture.Graphic();
  } catch (const lenti::Error&) {
    const bool kept = picture.GetKind() == lenti::Picture::Kind::Bitmap && picture.Width() == 3 &&
                      picture.Height() == 2;
    if (!loaded && !kept) __builtin_trap();
  }
  std::remove(name.c_str());
  return 0;
}
