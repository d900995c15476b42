// Text drawing with FreeType (glyphs), fontconfig (family -> face file, with
// fallback faces for characters the first face lacks, so Chinese draws) and
// HarfBuzz (shaping). Glyph pixel height is points x 96 / 72.
//
// On 24-bit rasters glyphs are anti-aliased and blended; on 1-bit and 8-bit
// rasters a pixel takes the text colour where coverage is at least 50 %.
// The text cell is (x, y) .. (x + advance, y + ascent + descent).
#pragma once

#include <string>

#include "core/color.h"
#include "core/geometry.h"

namespace lenti {

class Raster;

// Size of the text's cell in pixels.
Size MeasureText(const Font& font, const std::string& utf8);

// Draws `utf8` with its cell's top-left corner at (x, y); when `background`
// is not null the cell is filled with it first. Clipped to the raster.
void DrawText(Raster& raster, int x, int y, const std::string& utf8, const Font& font,
              const Color* background);

// The face file fontconfig resolves for a family ("MS Sans Serif" resolves
// to the system's sans face). For diagnostics and tests.
std::string ResolveFontFile(const Font& font);

}  // namespace lenti
