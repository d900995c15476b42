#include "core/bmp_reader.h"

#include <fcntl.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>

#include "core/error.h"
#include "core/file_io.h"
#include "core/numerics.h"

namespace lenti {
namespace {

constexpr uint32_t kFileHeaderBytes = 14;
constexpr uint32_t kInfoHeaderBytes = 40;
constexpr uint32_t kCoreHeaderBytes = 12;

constexpr uint32_t kBiRgb = 0;
constexpr uint32_t kBiRle8 = 1;
constexpr uint32_t kBiRle4 = 2;
constexpr uint32_t kBiBitfields = 3;
constexpr uint32_t kBiJpeg = 4;
constexpr uint32_t kBiPng = 5;
constexpr uint32_t kBiAlphaBitfields = 6;

// Enough for every header, the masks and a full 256-entry colour table:
// the part of a file LoadBmpFile reads before it knows the layout.
constexpr size_t kHeaderPrefixBytes = kFileHeaderBytes + 124 + 16 + 256 * 4;

[[noreturn]] void Invalid(const std::string& name, const std::string& reason) {
  throw Error("Bitmap image is not valid: " + name + ": " + reason);
}

// ---- reading ----

// The only way the reader touches file bytes: every read is checked against
// the end of the data, and a read past it names what was cut off.
class ByteReader {
 public:
  ByteReader(const uint8_t* data, size_t size, const std::string& name)
      : data_(data), size_(size), name_(name) {}

  uint64_t Size() const { return size_; }
  const std::string& Name() const { return name_; }

  const uint8_t* Bytes(uint64_t offset, uint64_t count, const char* what) const {
    if (offset > size_ || count > size_ - offset) Invalid(name_, std::string(what) + " truncated");
    return data_ + offset;
  }
  uint16_t U16(uint64_t offset, const char* what) const {
    const uint8_t* p = Bytes(offset, 2, what);
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
  }
  uint32_t U32(uint64_t offset, const char* what) const {
    const uint8_t* p = Bytes(offset, 4, what);
    return uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24);
  }
  int32_t I32(uint64_t offset, const char* what) const {
    return static_cast<int32_t>(U32(offset, what));
  }

 private:
  const uint8_t* data_;
  size_t size_;
  const std::string& name_;
};

// One colour channel of a 16- or 32-bit pixel, as its bit field gives it.
struct Channel {
  uint32_t mask = 0;
  int shift = 0;
  int bits = 0;
  std::array<uint8_t, 256> scale{};  // field value -> 0..255, for fields of up to 8 bits

  uint8_t From(uint32_t pixel) const {
    const uint32_t value = (pixel & mask) >> shift;
    return bits <= 8 ? scale[value] : static_cast<uint8_t>(value >> (bits - 8));
  }
};

// Everything the pixel decoder needs, validated.
struct BmpLayout {
  int32_t width = 0;
  int32_t height = 0;
  bool top_down = false;
  int bits = 0;
  uint64_t pixel_offset = 0;
  uint64_t row_bytes = 0;
  PixelFormat format = PixelFormat::pf24bit;
  std::vector<Color> palette;
  Channel red, green, blue;
  bool standard_32bit = false;  // masks 00FF0000 0000FF00 000000FF: a plain byte copy
};

struct InfoFields {
  uint32_t header_size = 0;
  int64_t width = 0;
  int64_t height = 0;
  uint32_t planes = 0;
  uint32_t bits = 0;
  uint32_t compression = kBiRgb;
  uint32_t colours_used = 0;
};

bool KnownHeaderSize(uint32_t size) {
  return size == kCoreHeaderBytes || size == kInfoHeaderBytes || size == 52 || size == 56 ||
         size == 108 || size == 124;
}

InfoFields ReadInfoFields(const ByteReader& in) {
  InfoFields f;
  f.header_size = in.U32(kFileHeaderBytes, "info header");
  if (!KnownHeaderSize(f.header_size)) {
    Invalid(in.Name(), "unsupported info header size " + std::to_string(f.header_size));
  }
  in.Bytes(kFileHeaderBytes, f.header_size, "info header");
  if (f.header_size == kCoreHeaderBytes) {
    f.width = in.U16(18, "info header");
    f.height = in.U16(20, "info header");
    f.planes = in.U16(22, "info header");
    f.bits = in.U16(24, "info header");
    return f;
  }
  f.width = in.I32(18, "info header");
  f.height = in.I32(22, "info header");
  f.planes = in.U16(26, "info header");
  f.bits = in.U16(28, "info header");
  f.compression = in.U32(30, "info header");
  f.colours_used = in.U32(46, "info header");
  return f;
}

void CheckCompression(const InfoFields& f, const std::string& name) {
  switch (f.compression) {
    case kBiRgb:
      return;
    case kBiBitfields:
    case kBiAlphaBitfields:
      if (f.bits != 16 && f.bits != 32) {
        Invalid(name, "bit fields need 16 or 32 bits per pixel, not " + std::to_string(f.bits));
      }
      return;
    case kBiRle8:
    case kBiRle4:
      Invalid(name, "RLE compression is not supported");
    case kBiJpeg:
    case kBiPng:
      Invalid(name, "embedded JPEG or PNG data is not supported");
    default:
      Invalid(name, "unknown compression type " + std::to_string(f.compression));
  }
}

void CheckGeometry(const InfoFields& f, const std::string& name) {
  if (f.width <= 0) Invalid(name, "width " + std::to_string(f.width) + " is not positive");
  if (f.height == 0) Invalid(name, "height is 0");
  if (f.height == INT32_MIN) Invalid(name, "height " + std::to_string(f.height) + " is out of range");
  if (f.planes != 1) Invalid(name, "plane count " + std::to_string(f.planes) + " is not 1");
  const uint32_t b = f.bits;
  if (b != 1 && b != 4 && b != 8 && b != 16 && b != 24 && b != 32) {
    Invalid(name, "unsupported bit count " + std::to_string(b));
  }
  if (f.header_size == kCoreHeaderBytes && (b == 16 || b == 32)) {
    Invalid(name, "unsupported bit count " + std::to_string(b) + " for a core header");
  }
}

Channel MakeChannel(uint32_t mask, int pixel_bits, const std::string& name) {
  Channel c;
  c.mask = mask;
  const bool fits = pixel_bits == 32 || mask < (uint32_t{1} << pixel_bits);
  if (mask != 0) {
    c.shift = std::countr_zero(mask);
    c.bits = std::popcount(mask);
  }
  // A field must be one run of bits inside the pixel.
  const bool contiguous = mask != 0 && ((mask >> c.shift) & ((mask >> c.shift) + 1)) == 0;
  if (!fits || !contiguous) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "%08X", mask);
    Invalid(name, std::string("colour mask ") + hex + " is not valid");
  }
  if (c.bits <= 8) {
    const uint32_t top = (uint32_t{1} << c.bits) - 1;
    for (uint32_t v = 0; v <= top; ++v) c.scale[v] = static_cast<uint8_t>((v * 255 + top / 2) / top);
  }
  return c;
}

// Reads the masks (inside a header of 52 bytes or more, else right after the
// 40-byte one) and returns where the headers end.
uint64_t ReadMasks(const ByteReader& in, const InfoFields& f, BmpLayout& layout) {
  uint64_t end = kFileHeaderBytes + f.header_size;
  uint32_t r = 0, g = 0, b = 0;
  if (f.compression == kBiBitfields || f.compression == kBiAlphaBitfields) {
    const uint64_t at = kFileHeaderBytes + kInfoHeaderBytes;
    r = in.U32(at, "colour masks");
    g = in.U32(at + 4, "colour masks");
    b = in.U32(at + 8, "colour masks");
    if (f.header_size == kInfoHeaderBytes) end += f.compression == kBiAlphaBitfields ? 16 : 12;
    in.Bytes(0, end, "colour masks");
  } else if (f.bits == 16) {
    r = 0x7C00, g = 0x03E0, b = 0x001F;  // 5-5-5
  } else if (f.bits == 32) {
    r = 0x00FF0000, g = 0x0000FF00, b = 0x000000FF;
  }
  if (f.bits == 16 || f.bits == 32) {
    const int bits = static_cast<int>(f.bits);
    layout.red = MakeChannel(r, bits, in.Name());
    layout.green = MakeChannel(g, bits, in.Name());
    layout.blue = MakeChannel(b, bits, in.Name());
    if ((r & g) | (r & b) | (g & b)) Invalid(in.Name(), "colour masks overlap");
    layout.standard_32bit = f.bits == 32 && r == 0x00FF0000 && g == 0x0000FF00 && b == 0x000000FF;
  }
  return end;
}

// Reads the colour table of a file of 8 bits or less; returns where it ends.
uint64_t ReadPalette(const ByteReader& in, const InfoFields& f, uint64_t start, uint64_t pixel_offset,
                     BmpLayout& layout) {
  if (f.bits > 8) return start;
  const uint32_t capacity = uint32_t{1} << f.bits;
  const bool core = f.header_size == kCoreHeaderBytes;
  const uint32_t entry_bytes = core ? 3 : 4;
  uint64_t count = f.colours_used == 0 ? capacity : f.colours_used;
  if (core) {
    // Core files have no count: the table fills the space before the pixels.
    count = pixel_offset > start ? std::min<uint64_t>(capacity, (pixel_offset - start) / 3) : 0;
  } else if (count > capacity) {
    Invalid(in.Name(), "colour table of " + std::to_string(count) + " entries is too large for " +
                           std::to_string(f.bits) + "-bit pixels");
  }
  const uint64_t end = start + count * entry_bytes;
  if (end > pixel_offset) Invalid(in.Name(), "colour table overlaps the pixel data");
  const uint8_t* table = in.Bytes(start, count * entry_bytes, "colour table");
  // Padded to the full 2^bits (at most 256) so any pixel value has a colour.
  const size_t padded = f.bits == 1 ? 2 : 256;
  layout.palette.assign(padded, kBlack);
  for (uint64_t i = 0; i < count; ++i) {
    const uint8_t* e = table + i * entry_bytes;
    layout.palette[i] = Color{e[2], e[1], e[0]};
  }
  return end;
}

PixelFormat OutputFormat(uint32_t bits) {
  if (bits == 1) return PixelFormat::pf1bit;
  if (bits <= 8) return PixelFormat::pf8bit;
  return PixelFormat::pf24bit;
}

void CheckSizeLimit(int64_t width, int64_t height, PixelFormat format, const std::string& kind,
                    const std::string& name) {
  try {
    CheckRasterSize(width, height, format);
  } catch (const Error&) {
    throw Error(kind + " image is too large: " + name + ": " + std::to_string(width) + " x " +
                std::to_string(height) + " pixels need more than " +
                std::to_string(kMaxRasterBytes >> 20) + " MB");
  }
}

// Validates the headers in `in` (at least the first kHeaderPrefixBytes of the
// file, or all of it) against a file of `file_size` bytes.
BmpLayout ParseHeaders(const ByteReader& in, uint64_t file_size) {
  const std::string& name = in.Name();
  const uint8_t* signature = in.Bytes(0, kFileHeaderBytes, "file header");
  if (signature[0] != 'B' || signature[1] != 'M') Invalid(name, "no BM signature");
  const uint64_t pixel_offset = in.U32(10, "file header");
  const InfoFields f = ReadInfoFields(in);
  CheckCompression(f, name);
  CheckGeometry(f, name);

  BmpLayout layout;
  const uint64_t headers_end = ReadMasks(in, f, layout);
  if (pixel_offset < headers_end) {
    Invalid(name, "pixel data offset " + std::to_string(pixel_offset) + " lies inside the headers");
  }
  if (pixel_offset > file_size) {
    Invalid(name, "pixel data offset " + std::to_string(pixel_offset) + " is past the end of the file (" +
                      std::to_string(file_size) + " bytes)");
  }
  ReadPalette(in, f, headers_end, pixel_offset, layout);

  layout.width = static_cast<int32_t>(f.width);
  layout.top_down = f.height < 0;
  layout.height = static_cast<int32_t>(f.height < 0 ? -f.height : f.height);
  layout.bits = static_cast<int>(f.bits);
  layout.pixel_offset = pixel_offset;
  layout.row_bytes = (static_cast<uint64_t>(f.width) * f.bits + 31) / 32 * 4;
  layout.format = OutputFormat(f.bits);
  // Divided, not multiplied: row bytes x height can exceed 64 bits.
  const uint64_t available = file_size - pixel_offset;
  if (layout.row_bytes > available / static_cast<uint64_t>(layout.height)) {
    Invalid(name, "pixel data truncated (" + std::to_string(layout.height) + " rows of " +
                      std::to_string(layout.row_bytes) + " bytes, " + std::to_string(available) +
                      " bytes present)");
  }
  CheckSizeLimit(layout.width, layout.height, layout.format, "Bitmap", name);
  return layout;
}

// ---- pixel rows ----

bool IsPlainCopy(const BmpLayout& layout) {
  return layout.bits == 1 || layout.bits == 8 || layout.bits == 24;
}

// One file row (`row_bytes` long) into one raster row.
void ConvertRow(const BmpLayout& layout, const uint8_t* src, uint8_t* dst) {
  const int w = layout.width;
  switch (layout.bits) {
    case 1:
      std::memcpy(dst, src, (static_cast<size_t>(w) + 7) / 8);
      break;
    case 8:
      std::memcpy(dst, src, static_cast<size_t>(w));
      break;
    case 24:
      std::memcpy(dst, src, static_cast<size_t>(w) * 3);
      break;
    case 4:
      for (int x = 0; x < w; ++x) {
        const uint8_t pair = src[x >> 1];
        dst[x] = (x & 1) ? (pair & 0x0F) : (pair >> 4);
      }
      break;
    case 16:
      for (int x = 0; x < w; ++x) {
        const uint32_t px = uint32_t{src[2 * x]} | (uint32_t{src[2 * x + 1]} << 8);
        dst[3 * x] = layout.blue.From(px);
        dst[3 * x + 1] = layout.green.From(px);
        dst[3 * x + 2] = layout.red.From(px);
      }
      break;
    case 32:
      if (layout.standard_32bit) {
        for (int x = 0; x < w; ++x) std::memcpy(dst + 3 * x, src + 4 * x, 3);
        break;
      }
      for (int x = 0; x < w; ++x) {
        const uint8_t* p = src + 4 * x;
        const uint32_t px = uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) |
                            (uint32_t{p[3]} << 24);
        dst[3 * x] = layout.blue.From(px);
        dst[3 * x + 1] = layout.green.From(px);
        dst[3 * x + 2] = layout.red.From(px);
      }
      break;
  }
}

// Raster row that file row `index` (file order, first stored row 0) fills.
int RasterRowOf(const BmpLayout& layout, int64_t index) {
  return static_cast<int>(layout.top_down ? index : layout.height - 1 - index);
}

Raster MakeRaster(const BmpLayout& layout) {
  Raster raster(layout.width, layout.height, layout.format);
  if (!layout.palette.empty()) raster.SetPalette(layout.palette);
  return raster;
}

void DecodeRows(const ByteReader& in, const BmpLayout& layout, Raster& raster) {
  for (int64_t i = 0; i < layout.height; ++i) {
    const uint8_t* src = in.Bytes(layout.pixel_offset + static_cast<uint64_t>(i) * layout.row_bytes,
                                  layout.row_bytes, "pixel data");
    ConvertRow(layout, src, raster.Row(RasterRowOf(layout, i)));
  }
}

// File rows [first, end) with one vectored read per batch: bytes [skip,
// skip + take) of each row go straight to dest(file_row), the rest of the row
// (padding, columns not wanted) into a scratch buffer.
template <typename Dest>
void ReadRowSpans(InputFile& file, const BmpLayout& layout, int64_t first_row, int64_t end_row,
                  uint64_t skip, uint64_t take, Dest dest) {
  constexpr int kMaxPieces = 1020;  // under IOV_MAX, 3 pieces a row
  constexpr int kBatch = kMaxPieces / 3;
  const uint64_t rest = layout.row_bytes - skip - take;
  std::vector<uint8_t> scratch(static_cast<size_t>(std::max<uint64_t>(1, std::max(skip, rest))));
  std::array<iovec, kMaxPieces> iov;
  for (int64_t first = first_row; first < end_row; first += kBatch) {
    const int count = static_cast<int>(std::min<int64_t>(kBatch, end_row - first));
    int pieces = 0;
    for (int k = 0; k < count; ++k) {
      if (skip > 0) iov[pieces++] = {scratch.data(), static_cast<size_t>(skip)};
      iov[pieces++] = {dest(first + k), static_cast<size_t>(take)};
      if (rest > 0) iov[pieces++] = {scratch.data(), static_cast<size_t>(rest)};
    }
    const uint64_t want = layout.row_bytes * static_cast<uint64_t>(count);
    uint64_t done = 0;
    int start = 0;
    while (done < want) {
      const ssize_t n = ::preadv(file.Descriptor(), iov.data() + start, pieces - start,
                                 static_cast<off_t>(layout.pixel_offset + first * layout.row_bytes + done));
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) throw CannotReadFile(file.Path(), SystemReason(errno));
      if (n == 0) Invalid(file.Path(), "pixel data truncated");
      done += static_cast<uint64_t>(n);
      // Step over the pieces that are full; shorten the one half filled.
      uint64_t left = static_cast<uint64_t>(n);
      while (left > 0 && left >= iov[start].iov_len) left -= iov[start++].iov_len;
      if (left > 0) {
        iov[start].iov_base = static_cast<uint8_t*>(iov[start].iov_base) + left;
        iov[start].iov_len -= static_cast<size_t>(left);
      }
    }
  }
}

// Plain-copy formats: the file rows go straight into the raster rows (the
// raster rows are as long as the file rows).
void ReadRowsDirect(InputFile& file, const BmpLayout& layout, Raster& raster) {
  ReadRowSpans(file, layout, 0, layout.height, 0, layout.row_bytes,
               [&](int64_t i) { return raster.Row(RasterRowOf(layout, i)); });
}

// File rows [first_row, end_row) in batches through a buffer; visit(src,
// file_row) sees each whole stored row.
template <typename Visit>
void ReadRowsBuffered(InputFile& file, const BmpLayout& layout, int64_t first_row, int64_t end_row,
                      Visit visit) {
  const uint64_t rows_per_batch = std::max<uint64_t>(1, (uint64_t{1} << 20) / layout.row_bytes);
  std::vector<uint8_t> buffer;
  for (int64_t first = first_row; first < end_row; first += static_cast<int64_t>(rows_per_batch)) {
    const uint64_t count = std::min<uint64_t>(rows_per_batch, static_cast<uint64_t>(end_row - first));
    buffer.resize(static_cast<size_t>(count * layout.row_bytes));
    const size_t got = file.ReadAt(layout.pixel_offset + first * layout.row_bytes, buffer.data(), buffer.size());
    const ByteReader batch(buffer.data(), got, file.Path());
    for (uint64_t k = 0; k < count; ++k) {
      visit(batch.Bytes(k * layout.row_bytes, layout.row_bytes, "pixel data"),
            first + static_cast<int64_t>(k));
    }
  }
}

// Converted formats: batches of file rows through a buffer.
void ReadRowsConverted(InputFile& file, const BmpLayout& layout, Raster& raster) {
  ReadRowsBuffered(file, layout, 0, layout.height, [&](const uint8_t* src, int64_t i) {
    ConvertRow(layout, src, raster.Row(RasterRowOf(layout, i)));
  });
}

// Pixels [left, left + width) of a 1-bit row to the start of `dst`; the bits
// past the width are zero.
void CopyBits(const uint8_t* src, uint64_t src_bytes, int left, int width, uint8_t* dst) {
  const size_t bytes = (static_cast<size_t>(width) + 7) / 8;
  const size_t at = static_cast<size_t>(left) / 8;
  const int shift = left & 7;
  for (size_t i = 0; i < bytes; ++i) {
    const uint8_t high = static_cast<uint8_t>(src[at + i] << shift);
    const uint8_t low = shift != 0 && at + i + 1 < src_bytes ? static_cast<uint8_t>(src[at + i + 1] >> (8 - shift)) : 0;
    dst[i] = high | low;
  }
  if ((width & 7) != 0) dst[bytes - 1] &= static_cast<uint8_t>(0xFF00u >> (width & 7));
}

}  // namespace

struct BmpFileReader::Layout : BmpLayout {};

bool LooksLikeBmp(const uint8_t* data, size_t size) {
  return data != nullptr && size >= 2 && data[0] == 'B' && data[1] == 'M';
}

Raster DecodeBmp(const uint8_t* data, size_t size, const std::string& name) {
  const ByteReader in(data, data == nullptr ? 0 : size, name);
  const BmpLayout layout = ParseHeaders(in, in.Size());
  Raster raster = MakeRaster(layout);
  DecodeRows(in, layout, raster);
  return raster;
}

Raster LoadBmpFile(const std::string& path) { return BmpFileReader(path).ReadAll(); }

BmpFileReader::BmpFileReader(const std::string& path) : file_(path) {
  std::vector<uint8_t> prefix(static_cast<size_t>(std::min<uint64_t>(file_.Size(), kHeaderPrefixBytes)));
  prefix.resize(file_.ReadAt(0, prefix.data(), prefix.size()));
  const ByteReader in(prefix.data(), prefix.size(), path);
  layout_ = std::make_unique<Layout>(Layout{ParseHeaders(in, file_.Size())});
}

BmpFileReader::~BmpFileReader() = default;

int BmpFileReader::Width() const { return layout_->width; }
int BmpFileReader::Height() const { return layout_->height; }
PixelFormat BmpFileReader::Format() const { return layout_->format; }
uint64_t BmpFileReader::FileRowBytes() const { return layout_->row_bytes; }

Raster BmpFileReader::ReadAll() {
  Raster raster = MakeRaster(*layout_);
  if (IsPlainCopy(*layout_)) {
    ReadRowsDirect(file_, *layout_, raster);
  } else {
    ReadRowsConverted(file_, *layout_, raster);
  }
  return raster;
}

Raster BmpFileReader::ReadRegion(const Rect& wanted) {
  const BmpLayout& layout = *layout_;
  const Rect r = wanted.Intersected(Rect{0, 0, layout.width, layout.height});
  if (r.IsEmpty()) return Raster();
  if (r == Rect{0, 0, layout.width, layout.height}) return ReadAll();
  Raster region(r.Width(), r.Height(), layout.format);
  if (!layout.palette.empty()) region.SetPalette(layout.palette);
  // The file rows that hold raster rows [top, bottom), in file order.
  const int64_t first = layout.top_down ? r.top : int64_t{layout.height} - r.bottom;
  const int64_t end = layout.top_down ? r.bottom : int64_t{layout.height} - r.top;
  const auto region_row = [&](int64_t file_row) {
    return region.Row(RasterRowOf(layout, file_row) - r.top);
  };
  if (layout.bits == 8 || layout.bits == 24) {
    const uint64_t pixel_bytes = static_cast<uint64_t>(layout.bits / 8);
    ReadRowSpans(file_, layout, first, end, static_cast<uint64_t>(r.left) * pixel_bytes,
                 static_cast<uint64_t>(r.Width()) * pixel_bytes, region_row);
    return region;
  }
  if (layout.bits == 1) {
    ReadRowsBuffered(file_, layout, first, end, [&](const uint8_t* src, int64_t i) {
      CopyBits(src, layout.row_bytes, r.left, r.Width(), region_row(i));
    });
    return region;
  }
  // 4, 16 and 32 bits: the whole row converted, then the columns wanted.
  const size_t out_pixel = layout.format == PixelFormat::pf24bit ? 3 : 1;
  std::vector<uint8_t> converted(static_cast<size_t>(layout.width) * out_pixel);
  ReadRowsBuffered(file_, layout, first, end, [&](const uint8_t* src, int64_t i) {
    ConvertRow(layout, src, converted.data());
    std::memcpy(region_row(i), converted.data() + static_cast<size_t>(r.left) * out_pixel,
                static_cast<size_t>(r.Width()) * out_pixel);
  });
  return region;
}

}  // namespace lenti
