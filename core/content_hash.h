// The fingerprint a project keeps of each photo, to notice a photo that
// changed since: xxh3-64 of the file's bytes, as 16 lower-case hex digits.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace lenti {

std::string ContentHash(const uint8_t* data, size_t size);
// The file read in pieces; raises "Cannot open file ..." when it cannot be read.
std::string FileContentHash(const std::string& path);

}  // namespace lenti
