#include "delivery/stamped_bmp.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <climits>

#include "core/bmp_writer.h"
#include "core/error.h"
#include "core/file_io.h"
#include "core/numerics.h"

namespace lenti {
namespace {

constexpr uint32_t kFileHeaderBytes = 14;
constexpr uint32_t kInfoHeaderBytes = 40;
// The resolution fields lie at bytes 24 and 28 of the 40-byte info header.
constexpr uint32_t kXPelsInInfo = 24;
constexpr uint32_t kYPelsInInfo = 28;

[[noreturn]] void Invalid(const std::string& name, const std::string& reason) {
  throw Error("Bitmap image is not valid: " + name + ": " + reason);
}

void Put32(uint8_t* at, uint32_t v) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>(v >> (8 * i));
}

// Patches both pixels-per-metre fields of the open file `fd`; errors name
// `shown` (the user's file, also when a temporary file is stamped).
void StampDescriptor(int fd, const std::string& shown, int32_t ppm) {
  uint8_t info[kInfoHeaderBytes];
  ssize_t got;
  do {
    got = ::pread(fd, info, sizeof info, kFileHeaderBytes);
  } while (got < 0 && errno == EINTR);
  if (got < 0) throw CannotReadFile(shown, SystemReason(errno));
  if (got != static_cast<ssize_t>(sizeof info)) {
    Invalid(shown, "file too short for a resolution stamp (needs 54 bytes)");
  }
  const uint32_t header_size =
      uint32_t{info[0]} | (uint32_t{info[1]} << 8) | (uint32_t{info[2]} << 16) | (uint32_t{info[3]} << 24);
  if (header_size != kInfoHeaderBytes) {
    Invalid(shown, "info header size " + std::to_string(header_size) +
                       " is not 40, the resolution cannot be stamped");
  }
  Put32(info + kXPelsInInfo, static_cast<uint32_t>(ppm));
  Put32(info + kYPelsInInfo, static_cast<uint32_t>(ppm));
  ssize_t put;
  do {
    put = ::pwrite(fd, info, sizeof info, kFileHeaderBytes);
  } while (put < 0 && errno == EINTR);
  if (put < 0) throw CannotWriteFile(shown, SystemReason(errno));
  if (put != static_cast<ssize_t>(sizeof info)) throw CannotWriteFile(shown, SystemReason(ENOSPC));
}

void StampFile(const std::string& path, const std::string& shown, double dpi) {
  const int32_t ppm = DpiToPelsPerMeter(dpi);
  const int fd = ::open(path.c_str(), O_RDWR | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) throw CannotOpenFile(shown, SystemReason(errno));
  try {
    StampDescriptor(fd, shown, ppm);
  } catch (...) {
    ::close(fd);
    throw;
  }
  if (::close(fd) != 0 && errno != EINTR) throw CannotWriteFile(shown, SystemReason(errno));
}

}  // namespace

int32_t DpiToPelsPerMeter(double dpi) {
  // 2.5406 cm per inch, held in extended precision like the product.
  const int64_t ppm = Round(static_cast<Extended>(dpi) * 100 / 2.5406L);
  if (ppm > INT32_MAX || ppm < INT32_MIN) throw InvalidFloatOperation();
  return static_cast<int32_t>(ppm);
}

void StampBmpResolution(const std::string& path, double dpi) { StampFile(path, path, dpi); }

void SaveStampedBmpFile(const Raster& raster, const std::string& path, double dpi) {
  DpiToPelsPerMeter(dpi);  // a resolution that cannot be stamped fails before any file is made
  AtomicFile file(path);
  SaveBmpFile(raster, file.TempPath(), path);
  StampFile(file.TempPath(), path, dpi);
  file.Commit();
}

}  // namespace lenti
