// Colour through the press profile with lcms2: sRGB pixels to the press's
// CMYK (what the CMYK file holds) and the soft proof (sRGB as the press
// prints it, on the screen), each with the chosen intent and black point
// compensation.
//
// Rows are the program's 24-bit rows (B, G, R) and CMYK rows are 4 bytes a
// pixel, 0 no ink and 255 full ink.
#pragma once

#include <cstdint>
#include <memory>

#include "core/color.h"
#include "core/raster.h"
#include "delivery/press_profile.h"

namespace lenti {

class CmykTransform {
 public:
  CmykTransform(const PressProfile& profile, PressIntent intent);
  ~CmykTransform();
  CmykTransform(const CmykTransform&) = delete;
  CmykTransform& operator=(const CmykTransform&) = delete;

  // `count` pixels from `in` (BGR) to `out` (CMYK).
  void Convert(const uint8_t* in, uint8_t* out, int count) const;

 private:
  struct Handles;
  std::unique_ptr<Handles> handles_;
};

// The colour the pure-K rows carry for a BGR pixel: no cyan, magenta or
// yellow, and black ink for its darkness (black 255, white 0), so bars, a
// chart and black text print from the black plate alone.
void ToBlackInk(const uint8_t* bgr, uint8_t* cmyk, int count);

// The picture as the press will print it, for the screen: every pixel
// through sRGB -> CMYK -> sRGB; with `mark_out_of_gamut` the colours the
// press cannot reach (those the round trip moves by more than a just
// noticeable step) are shown in `gamut_alarm`.
inline constexpr Color kGamutAlarm{0, 255, 0};
Raster SoftProof(const Raster& picture, const PressProfile& profile, PressIntent intent, bool mark_out_of_gamut);

}  // namespace lenti
