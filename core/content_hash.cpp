#include "core/content_hash.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <vector>

#include <xxhash.h>

#include "core/error.h"

namespace lenti {

namespace {

std::string Hex(XXH64_hash_t hash) { return Format("%016llx", static_cast<unsigned long long>(hash)); }

struct StateDeleter {
  void operator()(XXH3_state_t* state) const { XXH3_freeState(state); }
};

}  // namespace

std::string ContentHash(const uint8_t* data, size_t size) { return Hex(XXH3_64bits(data, size)); }

std::string FileContentHash(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) throw CannotOpenFile(path, SystemReason(errno));
  std::unique_ptr<XXH3_state_t, StateDeleter> state(XXH3_createState());
  if (!state) {
    ::close(fd);
    throw OutOfMemory();
  }
  XXH3_64bits_reset(state.get());
  std::vector<uint8_t> buffer(size_t{1} << 20);
  for (;;) {
    const ssize_t got = ::read(fd, buffer.data(), buffer.size());
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      const int errnum = errno;
      ::close(fd);
      throw CannotOpenFile(path, SystemReason(errnum));
    }
    if (got == 0) break;
    XXH3_64bits_update(state.get(), buffer.data(), static_cast<size_t>(got));
  }
  ::close(fd);
  return Hex(XXH3_64bits_digest(state.get()));
}

}  // namespace lenti
