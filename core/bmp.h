// BMP files: reader, writer and the resolution stamp.
//
// Reader: 1, 4, 8, 16, 24 and 32 bits per pixel; bottom-up and top-down;
// BI_RGB and BI_BITFIELDS. 1- and 8-bit files keep their depth and palette;
// 4-bit files become 8-bit paletted; 16- and 32-bit files become 24-bit.
// Every header field is validated before use; a bad file raises an Error
// naming the file and the fault, never reads out of bounds, and never
// allocates more than kMaxRasterBytes.
//
// Writer: the uncompressed layout of the program's own files: 14-byte file
// header, 40-byte info header, for 1-bit a black/white colour table, rows
// bottom-up padded to 4 bytes, resolution fields 0. 8-bit rasters are written
// with their palette (256 entries).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/raster.h"

namespace lenti {

// Decodes a BMP held in memory; `name` is used in error texts.
Raster DecodeBmp(const uint8_t* data, size_t size, const std::string& name);
// Reads a BMP file ("Cannot open file ..." when it cannot be read).
Raster LoadBmpFile(const std::string& path);

// The whole file image of `raster` in the layout above.
std::vector<uint8_t> EncodeBmp(const Raster& raster);
// Writes `raster` to `path`, replacing any file ("Cannot create file ..." on failure).
void SaveBmpFile(const Raster& raster, const std::string& path);

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

// True when the bytes start with the BMP signature "BM".
bool LooksLikeBmp(const uint8_t* data, size_t size);

}  // namespace lenti
