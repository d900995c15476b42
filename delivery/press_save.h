// The merged picture as a print shop takes it: in CMYK through the press
// profile (the alignment band and, when asked, the text in black ink only),
// grown by its bleed. What Save and a job's rendering write when the job's
// press output asks for more than the plain picture.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/job.h"
#include "core/maker_state.h"
#include "core/raster.h"
#include "delivery/bleed.h"
#include "delivery/press_profile.h"

namespace lenti {

// The lens grid of the merged picture as it now stands: the strips run
// along the rows of an upright merge, along the columns of one across, and
// the other way after an odd number of quarter turns.
LensGrid LensGridOf(const MakerState& state);

// The alignment band where it now lies, in picture pixels (none without one).
std::vector<Rect> AlignBandAreas(const MakerState& state);

// How much the pending text covers each pixel of MergedBitmap, 0 to 255,
// width x height bytes; empty without a pending text.
std::vector<uint8_t> TextCoverage(const MakerState& state);

// The bleed of `press` in pixels of the merged picture's resolution;
// raises the bleed's message when it lies outside 0..20 mm.
int32_t MergedBleedPixels(const MakerState& state, const PressOutput& press);

// Writes the picture with the pending text to `path` as `press` says: a
// CMYK TIFF (the name must be a TIFF one) or, without CMYK, the type of
// the name; grown by the bleed. The profile and the bleed are checked
// before any file is made. The plain press output writes what it always did.
void SavePressPicture(const MakerState& state, const PressOutput& press, const std::string& path);

// The test chart as a CMYK TIFF: every pixel pure K.
void SaveChartCmyk(const Raster& chart, double dpi, const PressProfile& profile, const std::string& path);

// Raises unless `path` names a TIFF file (a CMYK picture is always one).
void RequireTiffName(const std::string& path);

}  // namespace lenti
