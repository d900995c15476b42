// BMP files: the writer.
//
// The uncompressed layout of the program's own files: 14-byte file header,
// 40-byte info header, for 1-bit a black/white colour table, rows bottom-up
// padded to 4 bytes, resolution fields 0. 8-bit rasters are written with
// their palette (256 entries).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/raster.h"

namespace lenti {

// The whole file image of `raster` in the layout above.
std::vector<uint8_t> EncodeBmp(const Raster& raster);
// Writes `raster` to `path`, replacing any file ("Cannot create file ..." on failure).
void SaveBmpFile(const Raster& raster, const std::string& path);
// The same, naming `shown_name` in error texts (a temporary file written
// for the user's file).
void SaveBmpFile(const Raster& raster, const std::string& path, const std::string& shown_name);

}  // namespace lenti
