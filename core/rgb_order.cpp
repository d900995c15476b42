#include "core/rgb_order.h"

#if defined(__x86_64__) || defined(__i386__)
#include <tmmintrin.h>
#define LENTI_HAS_SSSE3_PATH 1
#endif

namespace lenti {
namespace {

void SwapScalar(const uint8_t* from, uint8_t* to, size_t pixels) {
  for (size_t x = 0; x < pixels; ++x, from += 3, to += 3) {
    const uint8_t first = from[0];
    to[1] = from[1];
    to[0] = from[2];
    to[2] = first;
  }
}

#ifdef LENTI_HAS_SSSE3_PATH

// 16 pixels are 48 bytes, three 16-byte blocks. Pixel 5 straddles blocks 0
// and 1 (bytes 15 to 17), pixel 10 blocks 1 and 2 (bytes 30 to 32): their
// red and blue cross from one block to the other. Each output block is its
// own block shuffled, OR the crossing bytes shuffled in from a neighbour
// (index -128 gives 0). All three blocks are loaded before any is stored,
// so the turn works in place.
__attribute__((target("ssse3"))) void SwapSsse3(const uint8_t* from, uint8_t* to, size_t pixels) {
  const __m128i own0 = _mm_setr_epi8(2, 1, 0, 5, 4, 3, 8, 7, 6, 11, 10, 9, 14, 13, 12, -128);
  const __m128i next0 = _mm_setr_epi8(-128, -128, -128, -128, -128, -128, -128, -128, -128, -128, -128, -128,
                                      -128, -128, -128, 1);
  const __m128i own1 = _mm_setr_epi8(0, -128, 4, 3, 2, 7, 6, 5, 10, 9, 8, 13, 12, 11, -128, 15);
  const __m128i prev1 = _mm_setr_epi8(-128, 15, -128, -128, -128, -128, -128, -128, -128, -128, -128, -128,
                                      -128, -128, -128, -128);
  const __m128i next1 = _mm_setr_epi8(-128, -128, -128, -128, -128, -128, -128, -128, -128, -128, -128, -128,
                                      -128, -128, 0, -128);
  const __m128i own2 = _mm_setr_epi8(-128, 3, 2, 1, 6, 5, 4, 9, 8, 7, 12, 11, 10, 15, 14, 13);
  const __m128i prev2 = _mm_setr_epi8(14, -128, -128, -128, -128, -128, -128, -128, -128, -128, -128, -128,
                                      -128, -128, -128, -128);
  size_t x = 0;
  for (; x + 16 <= pixels; x += 16, from += 48, to += 48) {
    const __m128i b0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from));
    const __m128i b1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + 16));
    const __m128i b2 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + 32));
    const __m128i o0 = _mm_or_si128(_mm_shuffle_epi8(b0, own0), _mm_shuffle_epi8(b1, next0));
    const __m128i o1 = _mm_or_si128(_mm_or_si128(_mm_shuffle_epi8(b1, own1), _mm_shuffle_epi8(b0, prev1)),
                                    _mm_shuffle_epi8(b2, next1));
    const __m128i o2 = _mm_or_si128(_mm_shuffle_epi8(b2, own2), _mm_shuffle_epi8(b1, prev2));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(to), o0);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(to + 16), o1);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(to + 32), o2);
  }
  SwapScalar(from, to, pixels - x);
}

bool HasSsse3() {
  static const bool has = __builtin_cpu_supports("ssse3");
  return has;
}

#endif

}  // namespace

void SwapRedAndBlue(const uint8_t* from, uint8_t* to, size_t pixels) {
#ifdef LENTI_HAS_SSSE3_PATH
  if (HasSsse3()) {
    SwapSsse3(from, to, pixels);
    return;
  }
#endif
  SwapScalar(from, to, pixels);
}

}  // namespace lenti
