#include "core/tiff_reader.h"

#include <tiffio.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "core/error.h"
#include "core/rgb_order.h"

namespace lenti {
namespace {

// ---- the file in memory, as libtiff's client procedures see it ----

struct MemoryFile {
  const uint8_t* data = nullptr;
  uint64_t size = 0;
  uint64_t at = 0;
  std::string message;  // libtiff's first error
  bool loops = false;   // libtiff found the directory chain looping
};

tmsize_t ReadProc(thandle_t handle, void* buffer, tmsize_t count) {
  auto* file = static_cast<MemoryFile*>(handle);
  if (count <= 0 || file->at >= file->size) return 0;
  const uint64_t n = std::min<uint64_t>(static_cast<uint64_t>(count), file->size - file->at);
  std::memcpy(buffer, file->data + file->at, n);
  file->at += n;
  return static_cast<tmsize_t>(n);
}

tmsize_t WriteProc(thandle_t, void*, tmsize_t) { return 0; }

toff_t SeekProc(thandle_t handle, toff_t offset, int whence) {
  auto* file = static_cast<MemoryFile*>(handle);
  uint64_t base = 0;
  if (whence == SEEK_CUR) base = file->at;
  if (whence == SEEK_END) base = file->size;
  if (offset > UINT64_MAX - base) return static_cast<toff_t>(-1);
  file->at = base + offset;  // past the end reads nothing
  return file->at;
}

int CloseProc(thandle_t) { return 0; }

toff_t SizeProc(thandle_t handle) { return static_cast<MemoryFile*>(handle)->size; }

// Uncompressed strips are then read in place, without a copy.
int MapProc(thandle_t handle, void** base, toff_t* size) {
  auto* file = static_cast<MemoryFile*>(handle);
  *base = const_cast<uint8_t*>(file->data);
  *size = file->size;
  return 1;
}

void UnmapProc(thandle_t, void*, toff_t) {}

int KeepFirstError(TIFF*, void* user_data, const char* module, const char* fmt, va_list args) {
  auto* file = static_cast<MemoryFile*>(user_data);
  if (!file->message.empty()) return 1;
  char text[512];
  std::vsnprintf(text, sizeof text, fmt, args);
  file->message = module != nullptr && *module != '\0' ? std::string(module) + ": " + text : text;
  return 1;
}

// libtiff only warns of a directory chain that loops back on itself (and
// stops following it); the file is damaged all the same.
int NoteLoops(TIFF*, void* user_data, const char*, const char* fmt, va_list args) {
  char text[512];
  std::vsnprintf(text, sizeof text, fmt, args);
  if (std::strstr(text, "IFD loop") != nullptr || std::strstr(text, "IFD looping") != nullptr) {
    static_cast<MemoryFile*>(user_data)->loops = true;
  }
  return 1;
}

class TiffIn {
 public:
  TiffIn(const uint8_t* data, size_t size, const std::string& name) : name_(name) {
    file_.data = data;
    file_.size = data == nullptr ? 0 : size;
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    if (options == nullptr) throw OutOfMemory();
    TIFFOpenOptionsSetMaxSingleMemAlloc(options, static_cast<tmsize_t>(kMaxRasterBytes));
    TIFFOpenOptionsSetErrorHandlerExtR(options, KeepFirstError, &file_);
    TIFFOpenOptionsSetWarningHandlerExtR(options, NoteLoops, &file_);
    tif_ = TIFFClientOpenExt(name.c_str(), "r", &file_, ReadProc, WriteProc, SeekProc, CloseProc, SizeProc,
                             MapProc, UnmapProc, options);
    TIFFOpenOptionsFree(options);
    if (tif_ == nullptr) Fail("cannot read the first directory");
  }
  ~TiffIn() {
    if (tif_ != nullptr) TIFFClose(tif_);
  }
  TiffIn(const TiffIn&) = delete;
  TiffIn& operator=(const TiffIn&) = delete;

  TIFF* get() const { return tif_; }
  bool HasError() const { return !file_.message.empty(); }
  bool Loops() const { return file_.loops; }
  // The `count` bytes at `offset` of the file; null unless all lie inside it.
  const uint8_t* BytesAt(uint64_t offset, uint64_t count) const {
    if (offset > file_.size || count > file_.size - offset) return nullptr;
    return file_.data + offset;
  }
  [[noreturn]] void Fail(const char* fallback) const {
    throw Error("TIFF image is not valid: " + name_ + ": " + (file_.message.empty() ? fallback : file_.message));
  }

 private:
  std::string name_;
  MemoryFile file_;
  TIFF* tif_ = nullptr;
};

template <typename T>
T Field(TIFF* tif, ttag_t tag) {
  T value{};
  TIFFGetFieldDefaulted(tif, tag, &value);
  return value;
}

// ---- by strips: grey and RGB ----

struct LineLayout {
  int colours = 0;       // 1 grey, 3 RGB
  int samples = 0;       // per pixel, with the extra ones
  int bytes = 1;         // per sample: 1 or 2
  bool alpha = false;    // the first extra sample is alpha
  bool premultiplied = false;
};

// False when the photo needs libtiff's RGBA reader.
bool PlanLines(TIFF* tif, LineLayout& layout) {
  if (TIFFIsTiled(tif)) return false;
  const uint16_t photometric = Field<uint16_t>(tif, TIFFTAG_PHOTOMETRIC);
  const uint16_t bits = Field<uint16_t>(tif, TIFFTAG_BITSPERSAMPLE);
  const uint16_t samples = Field<uint16_t>(tif, TIFFTAG_SAMPLESPERPIXEL);
  const uint16_t planar = Field<uint16_t>(tif, TIFFTAG_PLANARCONFIG);
  const uint16_t format = Field<uint16_t>(tif, TIFFTAG_SAMPLEFORMAT);
  uint16_t extra_count = 0;
  uint16_t* extra = nullptr;
  TIFFGetFieldDefaulted(tif, TIFFTAG_EXTRASAMPLES, &extra_count, &extra);
  if (bits != 8 && bits != 16) return false;
  if (format != SAMPLEFORMAT_UINT) return false;
  if (photometric == PHOTOMETRIC_MINISBLACK) {
    layout.colours = 1;
  } else if (photometric == PHOTOMETRIC_RGB) {
    layout.colours = 3;
  } else {
    return false;
  }
  if (samples < layout.colours || samples > layout.colours + 1) return false;
  if (samples > 1 && planar != PLANARCONFIG_CONTIG) return false;
  layout.samples = samples;
  layout.bytes = bits / 8;
  if (samples > layout.colours && extra_count >= 1 && extra != nullptr) {
    layout.alpha = extra[0] == EXTRASAMPLE_ASSOCALPHA || extra[0] == EXTRASAMPLE_UNASSALPHA;
    layout.premultiplied = extra[0] == EXTRASAMPLE_ASSOCALPHA;
  }
  return true;
}

inline unsigned Sample(const uint8_t* line, size_t index, int bytes) {
  if (bytes == 1) return line[index];
  uint16_t v;
  std::memcpy(&v, line + 2 * index, 2);  // libtiff hands samples over in the machine's order
  return (v * 255u + 32767u) / 65535u;
}

inline uint8_t OnWhite(unsigned c, unsigned a, bool premultiplied) {
  if (premultiplied) return static_cast<uint8_t>(std::min(255u, c + 255u - a));
  return static_cast<uint8_t>((c * a + 255u * (255u - a) + 127u) / 255u);
}

void ConvertLine(const LineLayout& l, const uint8_t* line, uint8_t* dst, uint32_t width) {
  for (uint32_t x = 0; x < width; ++x) {
    const size_t at = static_cast<size_t>(x) * l.samples;
    const unsigned a = l.alpha ? Sample(line, at + l.colours, l.bytes) : 255u;
    for (int c = 0; c < l.colours; ++c) {
      // RGB in the file, BGR in the raster.
      const unsigned v = Sample(line, at + c, l.bytes);
      dst[static_cast<size_t>(x) * l.colours + (l.colours == 3 ? 2 - c : 0)] =
          l.alpha ? OnWhite(v, a, l.premultiplied) : static_cast<uint8_t>(v);
    }
  }
}

// One row of the file's samples into the raster's row.
void StoreLine(const LineLayout& layout, const uint8_t* line, uint8_t* row, uint32_t width) {
  if (layout.bytes != 1 || layout.samples != layout.colours) {
    ConvertLine(layout, line, row, width);
  } else if (layout.colours == 3) {
    SwapRedAndBlue(line, row, width);
  } else {
    std::memcpy(row, line, width);
  }
}

// Whether the strips' bytes in the file are the samples libtiff would hand
// over: no compression, 8-bit samples (nothing to byte-swap) and the usual
// bit order (nothing to reverse).
bool StoredAsDecoded(TIFF* tif, const LineLayout& layout) {
  return layout.bytes == 1 && Field<uint16_t>(tif, TIFFTAG_COMPRESSION) == COMPRESSION_NONE &&
         Field<uint16_t>(tif, TIFFTAG_FILLORDER) == FILLORDER_MSB2LSB;
}

// Strip `index` where it lies in the file, when the whole strip as its
// directory records it lies inside the file and holds the `bytes` needed.
// Null otherwise: libtiff then reads it and names what is wrong.
const uint8_t* StripInFile(const TiffIn& in, tstrip_t index, uint64_t bytes) {
  int error = 0;
  const uint64_t offset = TIFFGetStrileOffsetWithErr(in.get(), index, &error);
  if (error != 0) return nullptr;
  const uint64_t recorded = TIFFGetStrileByteCountWithErr(in.get(), index, &error);
  if (error != 0 || recorded < bytes) return nullptr;
  return in.BytesAt(offset, recorded);
}

// Strip by strip (libtiff decodes a whole strip in one call, several times
// faster than line by line), each strip turned into raster rows while it is
// still in the cache. An uncompressed strip is read where it lies in the
// file (the photo is in memory): one pass from the file into the raster
// instead of libtiff's copy and a second pass over it.
void ReadStrips(const TiffIn& in, const LineLayout& layout, uint32_t width, uint32_t height, Raster& raster) {
  TIFF* tif = in.get();
  const uint64_t line_bytes = uint64_t{width} * layout.samples * layout.bytes;
  if (TIFFScanlineSize64(tif) != line_bytes) in.Fail("bad scan line size");
  uint32_t rows_per_strip = Field<uint32_t>(tif, TIFFTAG_ROWSPERSTRIP);
  if (rows_per_strip == 0 || rows_per_strip > height) rows_per_strip = height;
  const uint64_t strip_bytes = line_bytes * rows_per_strip;
  if (strip_bytes > kMaxRasterBytes) in.Fail("strips too large");
  const bool in_place = StoredAsDecoded(tif, layout);
  std::vector<uint8_t> decoded;  // taken when the first strip needs libtiff
  for (uint32_t top = 0; top < height; top += rows_per_strip) {
    const uint32_t rows = std::min(rows_per_strip, height - top);
    const uint64_t want = line_bytes * rows;
    const tstrip_t index = TIFFComputeStrip(tif, top, 0);
    const uint8_t* lines = in_place ? StripInFile(in, index, want) : nullptr;
    if (lines == nullptr) {
      decoded.resize(static_cast<size_t>(strip_bytes));
      const auto got = TIFFReadEncodedStrip(tif, index, decoded.data(), static_cast<tmsize_t>(want));
      if (got != static_cast<tmsize_t>(want)) in.Fail("cannot read the pixels");
      lines = decoded.data();
    }
    for (uint32_t r = 0; r < rows; ++r) {
      StoreLine(layout, lines + line_bytes * r, raster.Row(static_cast<int>(top + r)), width);
    }
  }
}

// ---- everything else: libtiff's RGBA reader ----

void ReadRgba(const TiffIn& in, uint32_t width, uint32_t height, int orientation, const std::string& name,
              Raster& raster) {
  TIFF* tif = in.get();
  char message[1024] = {};
  if (!TIFFRGBAImageOK(tif, message)) {
    throw Error("TIFF image is not valid: " + name + ": " + message);
  }
  const uint64_t count = uint64_t{width} * height;
  if (count * 4 > kMaxRasterBytes) PhotoTooLarge("TIFF", width, height, name);
  // Every pixel is written by libtiff before it is read.
  std::unique_ptr<uint32_t[]> rgba(new uint32_t[count]);
  // Asking for the file's own orientation keeps the stored order.
  if (!TIFFReadRGBAImageOriented(tif, width, height, rgba.get(), orientation, 1)) {
    in.Fail("cannot read the pixels");
  }
  for (uint32_t y = 0; y < height; ++y) {
    const uint32_t* src = rgba.get() + static_cast<size_t>(y) * width;
    uint8_t* dst = raster.Row(static_cast<int>(y));
    for (uint32_t x = 0; x < width; ++x) {
      const uint32_t p = src[x];
      const unsigned a = TIFFGetA(p);  // the colours come premultiplied
      dst[3 * x] = OnWhite(TIFFGetB(p), a, true);
      dst[3 * x + 1] = OnWhite(TIFFGetG(p), a, true);
      dst[3 * x + 2] = OnWhite(TIFFGetR(p), a, true);
    }
  }
}

}  // namespace

bool LooksLikeTiff(const uint8_t* data, size_t size) {
  if (data == nullptr || size < 4) return false;
  const bool little = data[0] == 'I' && data[1] == 'I' && (data[2] == 42 || data[2] == 43) && data[3] == 0;
  const bool big = data[0] == 'M' && data[1] == 'M' && data[2] == 0 && (data[3] == 42 || data[3] == 43);
  return little || big;
}

StoredPhoto DecodeTiff(const uint8_t* data, size_t size, const std::string& name) {
  if (!LooksLikeTiff(data, size)) throw Error("TIFF image is not valid: " + name + ": not a TIFF header");
  TiffIn in(data, size, name);
  TIFF* tif = in.get();
  // The whole directory chain must hold together (no loop, no directory
  // past the end), even though only the first image is read.
  if (TIFFNumberOfDirectories(tif) == 0 || in.HasError()) in.Fail("bad directory chain");
  if (in.Loops()) throw Error("TIFF image is not valid: " + name + ": the directory chain loops");

  uint32_t width = 0;
  uint32_t height = 0;
  if (!TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &width) || !TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &height) ||
      width == 0 || height == 0) {
    in.Fail("no image size");
  }
  StoredPhoto photo;
  const int orientation = Field<uint16_t>(tif, TIFFTAG_ORIENTATION);
  photo.orientation = orientation >= 1 && orientation <= 8 ? orientation : 1;
  uint32_t icc_size = 0;
  void* icc = nullptr;
  if (TIFFGetField(tif, TIFFTAG_ICCPROFILE, &icc_size, &icc) && icc != nullptr && icc_size > 0) {
    const auto* bytes = static_cast<const uint8_t*>(icc);
    photo.icc_profile.assign(bytes, bytes + icc_size);
  }

  LineLayout layout;
  const bool lines = PlanLines(tif, layout);
  const PixelFormat format = lines && layout.colours == 1 ? PixelFormat::pf8bit : PixelFormat::pf24bit;
  CheckPhotoSize("TIFF", width, height, format, name);
  photo.pixels = Raster::ForFilling(static_cast<int>(width), static_cast<int>(height), format);
  if (format == PixelFormat::pf8bit) photo.pixels.SetPalette(GreyPalette());
  if (lines) {
    ReadStrips(in, layout, width, height, photo.pixels);
  } else {
    ReadRgba(in, width, height, photo.orientation, name, photo.pixels);
  }
  // A codec that complained but carried on has not delivered the photo.
  if (in.HasError()) in.Fail("damaged pixels");
  return photo;
}

}  // namespace lenti
