// The CMYK TIFF a press takes: the picture converted through the press
// profile, the parts that must print from the black plate alone written as
// pure K, grown by its bleed, the profile embedded and the resolution exact.
//
// Written atomically like every saved picture: the profile and the picture
// are checked first, so a bad profile writes nothing at all, and a failure
// later leaves an existing file untouched and no temporary file behind.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/geometry.h"
#include "core/raster.h"
#include "delivery/bleed.h"
#include "delivery/press_profile.h"

namespace lenti {

// What prints in black ink only. Bars and a chart are black and white: a
// rich black of four inks would blur across the misregistration of the
// plates, which is exactly what the bars are there to show.
struct BlackInk {
  bool whole_picture = false;  // the test chart
  std::vector<Rect> areas;     // the alignment band, in picture pixels
  // Black text laid over `under` (the picture without it): its coverage per
  // picture pixel, 0 none to 255 full, width x height bytes; empty: no text
  // in black ink only. The text's own ink is K; the colours under a half-
  // covered edge pixel are held back by its coverage.
  const Raster* under = nullptr;
  std::vector<uint8_t> text_coverage;
};

struct PressPicture {
  const Raster* picture = nullptr;  // what an RGB save would write (text included)
  double dpi = 0;
  BlackInk black_ink;
  BleedMap bleed;  // from MapBleed; bleed 0 for none
};

void SaveCmykTiff(const PressPicture& picture, const PressProfile& profile, PressIntent intent,
                  const std::string& path);

// The rows SaveCmykTiff writes, for checks that look at them without a file.
std::vector<uint8_t> CmykRowsOf(const PressPicture& picture, const PressProfile& profile, PressIntent intent);

}  // namespace lenti
