// The red/blue turn against a plain pixel-by-pixel swap, for lengths around
// the 16-pixel blocks (the pixels that straddle two 16-byte loads are the
// 6th and the 11th of each block), copied and in place, and never a byte
// past the end.
#include "core/rgb_order.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace lenti {
namespace {

std::vector<uint8_t> Pattern(size_t bytes) {
  std::vector<uint8_t> v(bytes);
  for (size_t i = 0; i < bytes; ++i) v[i] = static_cast<uint8_t>(i * 37 + 11);
  return v;
}

std::vector<uint8_t> SwappedOneByOne(std::vector<uint8_t> v, size_t pixels) {
  for (size_t x = 0; x < pixels; ++x) std::swap(v[3 * x], v[3 * x + 2]);
  return v;
}

TEST(SwapRedAndBlue, MatchesThePixelByPixelSwapCopiedAndInPlace) {
  constexpr size_t kGuard = 7;
  for (size_t pixels : {0, 1, 5, 6, 10, 11, 15, 16, 17, 31, 32, 33, 47, 48, 100}) {
    SCOPED_TRACE(pixels);
    const std::vector<uint8_t> in = Pattern(3 * pixels + kGuard);
    const std::vector<uint8_t> want = SwappedOneByOne(in, pixels);

    std::vector<uint8_t> out(in.size(), 0xEE);
    SwapRedAndBlue(in.data(), out.data(), pixels);
    EXPECT_TRUE(std::equal(want.begin(), want.begin() + 3 * pixels, out.begin()));
    EXPECT_EQ(std::vector<uint8_t>(out.end() - kGuard, out.end()), std::vector<uint8_t>(kGuard, 0xEE));

    std::vector<uint8_t> same = in;
    SwapRedAndBlue(same.data(), same.data(), pixels);
    EXPECT_EQ(same, want);
  }
}

}  // namespace
}  // namespace lenti
