// PNG files: written through libpng with the resolution in the pHYs chunk.
//
// 24-bit rasters become RGB, 8 bits a sample; 1-bit rasters whose palette is
// black, white (the test chart) become 1-bit grey (0 black); any other
// raster is written as its 24-bit colours. pHYs holds Round(dpi / 0.0254)
// pixels per metre in both directions. Failures raise "Cannot create file
// ..." naming `shown_name`; the partial file is removed.
#pragma once

#include <cstdint>
#include <string>

#include "core/raster.h"

namespace lenti {

// Pixels per metre of the pHYs chunk: Round(dpi / 0.0254), ties to even.
uint32_t DpiToPngPixelsPerMetre(double dpi);

// Writes `raster` to `path` (not atomically: see SavePictureFile).
void WritePngFile(const Raster& raster, const std::string& path, const std::string& shown_name,
                  double dpi);

}  // namespace lenti
