// A saved picture read back with the resolution its file records, for the
// lens view of a merged picture on the command line.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/raster.h"

namespace lenti {

struct RecordedPicture {
  Raster raster;
  std::optional<double> dpi;  // none when the file records no resolution
};

// The resolution a BMP stamp of `ppm` pixels per metre stands for: the
// roundest value (a whole number, then halves, quarters, tenths ... down to
// 0.0001) that stamps to `ppm` again, so a 318.75 dpi merge (stamped 12546)
// reads back as 318.75, not 318.743; the plain conversion when none does.
double DpiOfPelsPerMeter(int32_t ppm);

// A BMP, PNG or TIFF picture (recognised by its content) and the resolution
// it records: the BMP stamp, PNG's pHYs in pixels per metre, TIFF's
// XResolution (inch or cm). Anything else raises "File format error! ..."
// naming the file.
RecordedPicture LoadRecordedPicture(const std::string& path);

}  // namespace lenti
