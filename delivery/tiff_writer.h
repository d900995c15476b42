// TIFF files for print labs: written through libtiff with the resolution
// recorded exactly.
//
// 24-bit rasters become RGB, 8 bits a sample; 1-bit rasters whose palette is
// black, white (the test chart) stay bilevel (0 black); any other raster is
// written as its 24-bit colours. XResolution and YResolution hold the dpi as
// the exact rational Round(dpi x 10000) / 10000 in lowest terms (297.5 is
// 595/2), ResolutionUnit is inch. Failures raise "Cannot create file ..."
// naming `shown_name`; the partial file is removed.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/raster.h"

namespace lenti {

enum class TiffCompression { None, Deflate, Lzw };

// A resolution as a TIFF RATIONAL: numerator / denominator in lowest terms.
struct TiffRational {
  uint32_t numerator = 0;
  uint32_t denominator = 1;
};
// Round(dpi x 10000) / 10000 reduced; "Invalid floating point operation"
// for a dpi that is not positive or does not fit 32 bits.
TiffRational DpiToRational(double dpi);

// Writes `raster` to `path` (not atomically: see SavePictureFile).
void WriteTiffFile(const Raster& raster, const std::string& path, const std::string& shown_name,
                   double dpi, TiffCompression compression = TiffCompression::Deflate);

// A CMYK file for a press: 8-bit C, M, Y, K samples (0 no ink), Separated
// with the CMYK ink set, `icc_profile` embedded, Deflate with the horizontal
// predictor, the resolution exact as above. `fill_row(y, out)` gives row y's
// width x 4 bytes; rows are asked for once each, top first.
struct CmykRows {
  int32_t width = 0;
  int32_t height = 0;
  std::function<void(int32_t y, uint8_t* out)> fill_row;
};
void WriteCmykTiffFile(const CmykRows& rows, const std::vector<uint8_t>& icc_profile, const std::string& path,
                       const std::string& shown_name, double dpi);

}  // namespace lenti
