// BMP files with the resolution recorded: the stamp and the atomic save.
#pragma once

#include <cstdint>
#include <string>

#include "core/raster.h"

namespace lenti {

// Pixels per metre stamped for a resolution: Round(dpi x 100 / 2.5406).
int32_t DpiToPelsPerMeter(double dpi);
// Sets both pixels-per-metre fields (file offsets 38 and 42) of an existing
// BMP file; no other byte changes. Refuses a file shorter than 54 bytes or
// whose info header is not 40 bytes long.
void StampBmpResolution(const std::string& path, double dpi);

// Writes `raster` as a BMP stamped with `dpi` through a temporary file beside
// `path`, renamed over it only when the write and the stamp succeeded; on
// any failure an existing file is untouched and no temporary file is left.
void SaveStampedBmpFile(const Raster& raster, const std::string& path, double dpi);

}  // namespace lenti
