// Rasters keep 24-bit pixels as blue, green, red; TIFF and PNG files keep
// red, green, blue. The turn between the two runs on every pixel of every
// TIFF photo read and every TIFF or PNG picture saved, so it is done 16
// pixels at a time where the processor can (SSSE3 byte shuffles).
#pragma once

#include <cstddef>
#include <cstdint>

namespace lenti {

// Copies `pixels` 3-byte pixels from `from` to `to`, swapping the first and
// the third byte of each. `from` may equal `to` (the turn in place); other
// overlaps are not allowed.
void SwapRedAndBlue(const uint8_t* from, uint8_t* to, size_t pixels);

}  // namespace lenti
