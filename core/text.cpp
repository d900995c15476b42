// Text drawing: fontconfig picks the faces, HarfBuzz shapes, FreeType draws.
//
// A font request (family, bold, italic) resolves to a primary face and an
// ordered list of fallback faces (fontconfig's sort order, trimmed to faces
// that add characters). Each character is drawn with the first face that has
// it, the text is cut into runs of one face and every run is shaped on its
// own. The cell is the total advance wide and ascent + descent of the primary
// face high; the baseline lies `ascent` below the cell's top.
//
// All FreeType, HarfBuzz and fontconfig objects live in one cache guarded by a
// mutex (FreeType faces are not thread-safe); the cache frees everything when
// the program exits.
#include "core/text.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H
#include <fontconfig/fontconfig.h>
#include <hb-ft.h>
#include <hb.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>
#include <strings.h>
#include <tuple>
#include <vector>

#include "core/error.h"
#include "core/raster.h"

namespace lenti {
namespace {

// Beyond this a single glyph image would take hundreds of megabytes.
constexpr int kMaxTextPixelHeight = 8192;
// The cache is emptied at the start of a call once it holds this many entries.
constexpr size_t kMaxCachedFaces = 32;
constexpr size_t kMaxCachedChoices = 64;

// ------------------------------------------------------------ UTF-8

// Decodes UTF-8; a malformed sequence (overlong, surrogate, truncated, beyond
// U+10FFFF) becomes one U+FFFD per offending byte.
std::vector<uint32_t> DecodeUtf8(const std::string& text) {
  std::vector<uint32_t> out;
  out.reserve(text.size());
  const auto* s = reinterpret_cast<const unsigned char*>(text.data());
  const size_t n = text.size();
  size_t i = 0;
  while (i < n) {
    const unsigned char c = s[i];
    int length = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 0;
    uint32_t cp = length == 1 ? c : length == 2 ? c & 0x1Fu : length == 3 ? c & 0x0Fu : c & 0x07u;
    bool ok = length > 0 && i + static_cast<size_t>(length) <= n;
    for (int k = 1; ok && k < length; ++k) {
      ok = (s[i + k] & 0xC0) == 0x80;
      cp = (cp << 6) | (s[i + k] & 0x3Fu);
    }
    static constexpr uint32_t kMinimum[5] = {0, 0, 0x80, 0x800, 0x10000};
    ok = ok && cp >= kMinimum[length] && cp <= 0x10FFFF && (cp < 0xD800 || cp > 0xDFFF);
    if (!ok) {
      out.push_back(0xFFFD);
      ++i;
      continue;
    }
    out.push_back(cp);
    i += static_cast<size_t>(length);
  }
  return out;
}

// ------------------------------------------------------------ font cache

struct FaceFile {
  std::string path;
  int index = 0;
  bool embolden = false;  // bold asked for, the face is not bold
  bool oblique = false;   // italic asked for, the face is upright
};

struct CharSetDeleter {
  void operator()(FcCharSet* set) const { FcCharSetDestroy(set); }
};
using CharSetPtr = std::unique_ptr<FcCharSet, CharSetDeleter>;

// What a font request resolves to: the primary face, then the fallbacks with
// the characters each covers.
struct FaceChoice {
  FaceFile primary;
  std::vector<FaceFile> fallbacks;
  std::vector<CharSetPtr> coverage;
};

// One face opened at one pixel size, with its HarfBuzz font.
struct SizedFace {
  FT_Face face = nullptr;
  hb_font_t* font = nullptr;
};

bool IsGenericFamily(const std::string& family) {
  for (const char* generic : {"sans-serif", "sans", "serif", "monospace", "mono", "system-ui"}) {
    if (strcasecmp(family.c_str(), generic) == 0) return true;
  }
  return false;
}

bool HasFamily(FcPattern* pattern, const std::string& family) {
  FcChar8* name = nullptr;
  for (int i = 0; FcPatternGetString(pattern, FC_FAMILY, i, &name) == FcResultMatch; ++i) {
    if (strcasecmp(reinterpret_cast<const char*>(name), family.c_str()) == 0) return true;
  }
  return false;
}

FaceFile DescribeFace(FcPattern* face, const Font& font) {
  FaceFile file;
  FcChar8* path = nullptr;
  if (FcPatternGetString(face, FC_FILE, 0, &path) == FcResultMatch) {
    file.path = reinterpret_cast<const char*>(path);
  }
  FcPatternGetInteger(face, FC_INDEX, 0, &file.index);
  int weight = FC_WEIGHT_REGULAR;
  int slant = FC_SLANT_ROMAN;
  FcPatternGetInteger(face, FC_WEIGHT, 0, &weight);
  FcPatternGetInteger(face, FC_SLANT, 0, &slant);
  file.embolden = font.bold && weight < FC_WEIGHT_DEMIBOLD;
  file.oblique = font.italic && slant == FC_SLANT_ROMAN;
  return file;
}

class FontCache {
 public:
  static FontCache& Instance() {
    static FontCache cache;
    return cache;
  }

  std::mutex& Mutex() { return mutex_; }

  // Empties the caches when full; call only at the start of a call, while
  // no face of the cache is in use.
  void Trim() {
    if (faces_.size() >= kMaxCachedFaces) CloseFaces();
    if (choices_.size() >= kMaxCachedChoices) choices_.clear();
  }

  const FaceChoice& Choose(const Font& font) {
    const auto key = std::make_tuple(font.family, font.bold, font.italic);
    auto it = choices_.find(key);
    if (it == choices_.end()) it = choices_.emplace(key, Resolve(font)).first;
    return it->second;
  }

  // The face at `pixels` ppem, or null when FreeType cannot open or size it.
  SizedFace* Face(const FaceFile& file, int pixels) {
    const auto key = std::make_tuple(file.path, file.index, pixels);
    auto it = faces_.find(key);
    if (it != faces_.end()) return &it->second;
    FT_Face face = nullptr;
    if (FT_New_Face(library_, file.path.c_str(), file.index, &face) != 0) return nullptr;
    if (FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixels)) != 0) {
      FT_Done_Face(face);
      return nullptr;
    }
    hb_font_t* font = hb_ft_font_create_referenced(face);
    hb_ft_font_set_load_flags(font, FT_LOAD_DEFAULT);
    return &faces_.emplace(key, SizedFace{face, font}).first->second;
  }

 private:
  FontCache() {
    if (FT_Init_FreeType(&library_) != 0) library_ = nullptr;
    config_ = FcInitLoadConfigAndFonts();
  }
  ~FontCache() {
    CloseFaces();
    choices_.clear();
    if (config_ != nullptr) FcConfigDestroy(config_);
    if (library_ != nullptr) FT_Done_FreeType(library_);
  }

  void CloseFaces() {
    for (auto& [key, sized] : faces_) {
      hb_font_destroy(sized.font);
      FT_Done_Face(sized.face);
    }
    faces_.clear();
  }

  FcPattern* Request(const Font& font, const std::string& family) {
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcPatternAddInteger(pattern, FC_WEIGHT, font.bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, font.italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(config_, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    return pattern;
  }

  // A family that is not installed ("MS Sans Serif" here) becomes the
  // system's sans face, whatever fontconfig would substitute.
  FcPattern* RequestInstalled(const Font& font) {
    FcPattern* pattern = Request(font, font.family);
    if (IsGenericFamily(font.family)) return pattern;
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(config_, pattern, &result);
    const bool installed = match != nullptr && HasFamily(match, font.family);
    if (match != nullptr) FcPatternDestroy(match);
    if (installed) return pattern;
    FcPatternDestroy(pattern);
    return Request(font, "sans-serif");
  }

  FaceChoice Resolve(const Font& font) {
    if (library_ == nullptr || config_ == nullptr) throw Error("Cannot start the font system");
    FcPattern* pattern = RequestInstalled(font);
    FcResult result = FcResultNoMatch;
    FcFontSet* sorted = FcFontSort(config_, pattern, FcTrue, nullptr, &result);
    FaceChoice choice;
    for (int i = 0; sorted != nullptr && i < sorted->nfont; ++i) {
      FaceFile file = DescribeFace(sorted->fonts[i], font);
      if (file.path.empty()) continue;
      if (choice.primary.path.empty()) {
        choice.primary = std::move(file);
        continue;
      }
      FcCharSet* chars = nullptr;
      if (FcPatternGetCharSet(sorted->fonts[i], FC_CHARSET, 0, &chars) != FcResultMatch) continue;
      choice.fallbacks.push_back(std::move(file));
      choice.coverage.emplace_back(FcCharSetCopy(chars));
    }
    if (sorted != nullptr) FcFontSetDestroy(sorted);
    FcPatternDestroy(pattern);
    if (choice.primary.path.empty()) throw Error("No font is installed for \"" + font.family + "\"");
    return choice;
  }

  std::mutex mutex_;
  FT_Library library_ = nullptr;
  FcConfig* config_ = nullptr;
  std::map<std::tuple<std::string, bool, bool>, FaceChoice> choices_;
  std::map<std::tuple<std::string, int, int>, SizedFace> faces_;
};

// ------------------------------------------------------------ layout

struct PlacedGlyph {
  SizedFace* face = nullptr;
  const FaceFile* file = nullptr;
  uint32_t glyph = 0;
  int64_t x = 0;  // origin from the cell's left edge, 26.6
  int64_t y = 0;  // origin above the baseline, 26.6
};

struct Layout {
  SizedFace* primary = nullptr;
  int pixels = 0;
  int64_t ascent = 0;
  int64_t descent = 0;
  int64_t width = 0;
  std::vector<PlacedGlyph> glyphs;
};

int PixelHeightOf(const Font& font) {
  const int64_t pixels = std::abs(int64_t{FontPixelHeight(font)});
  if (pixels > kMaxTextPixelHeight) throw Error("Font size too large");
  return static_cast<int>(std::max<int64_t>(pixels, 1));
}

// For each character: 0 = the primary face, k = fallback k - 1. A character
// no face has stays with the primary face (which draws its missing-glyph box).
std::vector<size_t> ChooseFaces(const std::vector<uint32_t>& chars, const FaceChoice& choice,
                                FT_Face primary) {
  std::vector<size_t> faces(chars.size(), 0);
  for (size_t i = 0; i < chars.size(); ++i) {
    if (FT_Get_Char_Index(primary, chars[i]) != 0) continue;
    for (size_t k = 0; k < choice.fallbacks.size(); ++k) {
      if (FcCharSetHasChar(choice.coverage[k].get(), chars[i])) {
        faces[i] = k + 1;
        break;
      }
    }
  }
  return faces;
}

// Shapes chars[start, start + length) with one face, from pen position `pen`.
int64_t ShapeRun(const std::vector<uint32_t>& chars, size_t start, size_t length,
                 SizedFace* face, const FaceFile* file, int64_t pen,
                 std::vector<PlacedGlyph>& out) {
  hb_buffer_t* buffer = hb_buffer_create();
  hb_buffer_add_utf32(buffer, chars.data(), static_cast<int>(chars.size()),
                      static_cast<unsigned>(start), static_cast<int>(length));
  hb_buffer_guess_segment_properties(buffer);
  hb_shape(face->font, buffer, nullptr, 0);
  unsigned count = 0;
  const hb_glyph_info_t* info = hb_buffer_get_glyph_infos(buffer, &count);
  const hb_glyph_position_t* position = hb_buffer_get_glyph_positions(buffer, &count);
  for (unsigned i = 0; i < count; ++i) {
    out.push_back(PlacedGlyph{face, file, info[i].codepoint, pen + position[i].x_offset,
                              position[i].y_offset});
    pen += position[i].x_advance;
  }
  hb_buffer_destroy(buffer);
  return pen;
}

Layout LayOut(FontCache& cache, const Font& font, const std::string& utf8) {
  Layout layout;
  layout.pixels = PixelHeightOf(font);
  const FaceChoice& choice = cache.Choose(font);
  layout.primary = cache.Face(choice.primary, layout.pixels);
  if (layout.primary == nullptr) throw Error("Cannot load the font \"" + choice.primary.path + "\"");
  const FT_Size_Metrics& metrics = layout.primary->face->size->metrics;
  layout.ascent = (metrics.ascender + 63) >> 6;
  layout.descent = (-metrics.descender + 63) >> 6;

  const std::vector<uint32_t> chars = DecodeUtf8(utf8);
  const std::vector<size_t> faces = ChooseFaces(chars, choice, layout.primary->face);
  int64_t pen = 0;
  for (size_t start = 0; start < chars.size();) {
    size_t end = start + 1;
    while (end < chars.size() && faces[end] == faces[start]) ++end;
    const FaceFile* file = faces[start] == 0 ? &choice.primary : &choice.fallbacks[faces[start] - 1];
    SizedFace* face = cache.Face(*file, layout.pixels);
    if (face == nullptr) {  // an unreadable fallback: the primary draws its boxes
      face = layout.primary;
      file = &choice.primary;
    }
    pen = ShapeRun(chars, start, end - start, face, file, pen, layout.glyphs);
    start = end;
  }
  layout.width = std::max<int64_t>(0, (pen + 32) >> 6);
  return layout;
}

// ------------------------------------------------------------ drawing

// The pixel rectangle [left, right) x [top, bottom) clipped to the raster.
struct Clip {
  int64_t left, top, right, bottom;
  bool Empty() const { return left >= right || top >= bottom; }
};

Clip ClipTo(const Raster& raster, int64_t left, int64_t top, int64_t right, int64_t bottom) {
  return Clip{std::max<int64_t>(left, 0), std::max<int64_t>(top, 0),
              std::min<int64_t>(right, raster.Width()), std::min<int64_t>(bottom, raster.Height())};
}

void FillClipped(Raster& raster, int64_t left, int64_t top, int64_t right, int64_t bottom,
                 Color color) {
  const Clip c = ClipTo(raster, left, top, right, bottom);
  if (c.Empty()) return;
  raster.FillRect(Rect{static_cast<int32_t>(c.left), static_cast<int32_t>(c.top),
                       static_cast<int32_t>(c.right), static_cast<int32_t>(c.bottom)},
                  color);
}

// Coverage 0..255 of one pixel of a FreeType bitmap (grey or 1-bit).
uint8_t Coverage(const FT_Bitmap& bitmap, const unsigned char* row, unsigned x) {
  if (bitmap.pixel_mode == FT_PIXEL_MODE_MONO) return (row[x >> 3] >> (7 - (x & 7))) & 1 ? 255 : 0;
  if (bitmap.pixel_mode == FT_PIXEL_MODE_BGRA) return row[x * 4 + 3];
  const unsigned grays = bitmap.num_grays > 1 ? bitmap.num_grays - 1 : 255;
  return static_cast<uint8_t>(std::min<unsigned>(255, row[x] * 255u / grays));
}

// Draws a glyph image whose top-left pixel lands on (left, top).
void PaintBitmap(Raster& raster, const FT_Bitmap& bitmap, int64_t left, int64_t top, Color color) {
  const Clip c = ClipTo(raster, left, top, left + bitmap.width, top + bitmap.rows);
  if (c.Empty()) return;
  const bool blend = raster.Format() == PixelFormat::pf24bit;
  const uint8_t index = NearestIndex(raster.Palette(), color);
  for (int64_t y = c.top; y < c.bottom; ++y) {
    const auto row_in_bitmap = static_cast<unsigned>(y - top);
    const unsigned char* src =
        bitmap.pitch >= 0 ? bitmap.buffer + row_in_bitmap * static_cast<unsigned>(bitmap.pitch)
                          : bitmap.buffer + (bitmap.rows - 1 - row_in_bitmap) *
                                                static_cast<unsigned>(-bitmap.pitch);
    uint8_t* dst = raster.Row(static_cast<int>(y));
    for (int64_t x = c.left; x < c.right; ++x) {
      const uint8_t cover = Coverage(bitmap, src, static_cast<unsigned>(x - left));
      if (cover == 0) continue;
      if (blend) {
        uint8_t* p = dst + 3 * x;
        const uint8_t target[3] = {color.b, color.g, color.r};
        for (int k = 0; k < 3; ++k) {
          p[k] = static_cast<uint8_t>((p[k] * (255u - cover) + target[k] * cover + 127u) / 255u);
        }
      } else if (cover >= 128) {
        if (raster.Format() == PixelFormat::pf8bit) {
          dst[x] = index;
        } else if (index != 0) {
          dst[x >> 3] = static_cast<uint8_t>(dst[x >> 3] | (0x80u >> (x & 7)));
        } else {
          dst[x >> 3] = static_cast<uint8_t>(dst[x >> 3] & ~(0x80u >> (x & 7)));
        }
      }
    }
  }
}

// Loads, styles and renders one glyph; false when nothing can be drawn.
bool RenderGlyph(const PlacedGlyph& glyph) {
  FT_Face face = glyph.face->face;
  if (FT_Load_Glyph(face, glyph.glyph, FT_LOAD_DEFAULT) != 0) return false;
  if (glyph.file->embolden) FT_GlyphSlot_Embolden(face->glyph);
  if (glyph.file->oblique) FT_GlyphSlot_Oblique(face->glyph);
  if (face->glyph->format != FT_GLYPH_FORMAT_BITMAP &&
      FT_Render_Glyph(face->glyph, FT_RENDER_MODE_NORMAL) != 0) {
    return false;
  }
  return true;
}

void PaintGlyphs(Raster& raster, const Layout& layout, int64_t x, int64_t baseline, Color color) {
  // Glyph ink may reach a little beyond the cell (overhangs, synthetic styles).
  const int64_t margin = layout.pixels + 2;
  for (const PlacedGlyph& glyph : layout.glyphs) {
    const int64_t origin_x = x + ((glyph.x + 32) >> 6);
    const int64_t origin_y = baseline - ((glyph.y + 32) >> 6);
    if (ClipTo(raster, origin_x - margin, origin_y - margin, origin_x + margin, origin_y + margin)
            .Empty()) {
      continue;  // far outside: not worth rendering
    }
    if (!RenderGlyph(glyph)) continue;
    const FT_GlyphSlot slot = glyph.face->face->glyph;
    PaintBitmap(raster, slot->bitmap, origin_x + slot->bitmap_left, origin_y - slot->bitmap_top,
                color);
  }
}

// Underline and strikeout: the primary face's own position and thickness
// (at least one pixel), kept inside the cell.
void PaintLines(Raster& raster, const Font& font, const Layout& layout, int64_t x, int64_t top) {
  FT_Face face = layout.primary->face;
  const FT_Fixed scale = face->size->metrics.y_scale;
  auto line = [&](int64_t offset_above_baseline, int64_t thickness) {
    thickness = std::clamp<int64_t>(thickness, 1, std::max<int64_t>(1, layout.ascent + layout.descent));
    int64_t y = top + layout.ascent - offset_above_baseline;
    y = std::clamp(y, top, top + layout.ascent + layout.descent - thickness);
    FillClipped(raster, x, y, x + layout.width, y + thickness, font.color);
  };
  if (font.underline) {
    const int64_t position = (FT_MulFix(face->underline_position, scale) - 32) >> 6;
    const int64_t thickness = (FT_MulFix(face->underline_thickness, scale) + 32) >> 6;
    line(position, thickness);
  }
  if (font.strikeout) {
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    int64_t position = layout.pixels * 3 / 10;
    int64_t thickness = layout.pixels / 14;
    if (os2 != nullptr && os2->version != 0xFFFF) {
      position = (FT_MulFix(os2->yStrikeoutPosition, scale) + 32) >> 6;
      thickness = (FT_MulFix(os2->yStrikeoutSize, scale) + 32) >> 6;
    }
    line(position, thickness);
  }
}

}  // namespace

Size MeasureText(const Font& font, const std::string& utf8) {
  FontCache& cache = FontCache::Instance();
  const std::lock_guard<std::mutex> lock(cache.Mutex());
  cache.Trim();
  const Layout layout = LayOut(cache, font, utf8);
  const int64_t height = layout.ascent + layout.descent;
  return Size{static_cast<int32_t>(std::min<int64_t>(layout.width, INT32_MAX)),
              static_cast<int32_t>(height)};
}

void DrawText(Raster& raster, int x, int y, const std::string& utf8, const Font& font,
              const Color* background) {
  FontCache& cache = FontCache::Instance();
  const std::lock_guard<std::mutex> lock(cache.Mutex());
  cache.Trim();
  const Layout layout = LayOut(cache, font, utf8);
  const int64_t height = layout.ascent + layout.descent;
  if (background != nullptr) FillClipped(raster, x, y, int64_t{x} + layout.width, int64_t{y} + height, *background);
  if (raster.Empty()) return;
  PaintGlyphs(raster, layout, x, int64_t{y} + layout.ascent, font.color);
  PaintLines(raster, font, layout, x, y);
}

std::string ResolveFontFile(const Font& font) {
  FontCache& cache = FontCache::Instance();
  const std::lock_guard<std::mutex> lock(cache.Mutex());
  cache.Trim();
  return cache.Choose(font).primary.path;
}

}  // namespace lenti
