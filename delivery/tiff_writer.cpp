#include "delivery/tiff_writer.h"

#include <fcntl.h>
#include <tiffio.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <numeric>
#include <vector>

#include "core/error.h"
#include "core/file_io.h"
#include "core/numerics.h"
#include "delivery/raster_rows.h"

namespace lenti {
namespace {

constexpr uint16_t kXResolutionTag = 282;
constexpr uint16_t kYResolutionTag = 283;
constexpr uint16_t kRationalType = 5;
// Compressed strips of about this many bytes: large enough for Deflate to
// find its matches, small enough to stay in the cache while they are filled.
constexpr tmsize_t kStripBytes = tmsize_t{256} << 10;
// Uncompressed strips are larger: each is one write, and 1 MB strips save a
// fifth of the time of 256 KB ones (still within the processor's cache).
constexpr tmsize_t kRawStripBytes = tmsize_t{1} << 20;

int KeepMessage(TIFF*, void* user_data, const char*, const char* fmt, va_list args) {
  auto* message = static_cast<std::string*>(user_data);
  char text[512];
  std::vsnprintf(text, sizeof text, fmt, args);
  *message = text;
  return 1;
}

int IgnoreWarning(TIFF*, void*, const char*, const char*, va_list) { return 1; }

// The open file and the last message libtiff gave; closed on every exit.
class TiffOut {
 public:
  TiffOut(const std::string& path, const std::string& shown) : shown_(shown) {
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    TIFFOpenOptionsSetErrorHandlerExtR(options, KeepMessage, &message_);
    TIFFOpenOptionsSetWarningHandlerExtR(options, IgnoreWarning, nullptr);
    errno = 0;
    tif_ = TIFFOpenExt(path.c_str(), "w", options);
    TIFFOpenOptionsFree(options);
    if (tif_ == nullptr) Fail();
  }
  ~TiffOut() {
    if (tif_ != nullptr) TIFFClose(tif_);
  }
  TiffOut(const TiffOut&) = delete;
  TiffOut& operator=(const TiffOut&) = delete;

  TIFF* get() const { return tif_; }
  // The system's reason when a system call failed, libtiff's text otherwise.
  [[noreturn]] void Fail() const {
    const std::string reason = errno != 0 ? SystemReason(errno) : message_;
    throw CannotCreateFile(shown_, reason.empty() ? "TIFF write failed" : reason);
  }
  void Check(int ok) const {
    if (!ok) Fail();
  }
  void Close() {
    errno = 0;
    const int flushed = TIFFFlush(tif_);
    TIFFClose(tif_);
    tif_ = nullptr;
    if (!flushed) Fail();
  }

 private:
  std::string shown_;
  std::string message_;
  TIFF* tif_ = nullptr;
};

uint16_t CompressionTag(TiffCompression compression) {
  switch (compression) {
    case TiffCompression::Deflate:
      return COMPRESSION_ADOBE_DEFLATE;
    case TiffCompression::Lzw:
      return COMPRESSION_LZW;
    case TiffCompression::None:
      break;
  }
  return COMPRESSION_NONE;
}

void SetFields(const TiffOut& out, const FileRows& rows, double dpi, TiffCompression compression,
               uint32_t rows_per_strip) {
  TIFF* tif = out.get();
  const bool bilevel = rows.bits == 1;
  out.Check(TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, static_cast<uint32_t>(rows.width)));
  out.Check(TIFFSetField(tif, TIFFTAG_IMAGELENGTH, static_cast<uint32_t>(rows.height)));
  out.Check(TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, bilevel ? 1 : 8));
  out.Check(TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, bilevel ? 1 : 3));
  out.Check(TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, bilevel ? PHOTOMETRIC_MINISBLACK : PHOTOMETRIC_RGB));
  out.Check(TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG));
  out.Check(TIFFSetField(tif, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT));
  out.Check(TIFFSetField(tif, TIFFTAG_COMPRESSION, CompressionTag(compression)));
  out.Check(TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, rows_per_strip));
  // Written as libtiff's nearest rational, then replaced by the exact one.
  out.Check(TIFFSetField(tif, TIFFTAG_XRESOLUTION, dpi));
  out.Check(TIFFSetField(tif, TIFFTAG_YRESOLUTION, dpi));
  out.Check(TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH));
  out.Check(TIFFSetField(tif, TIFFTAG_SOFTWARE, "Vexaro Photo Maker"));
}

// Each strip is filled while it fits in the cache and handed over at once.
// An uncompressed strip is already what the file holds: it goes out as a
// raw strip, sparing libtiff's copy of it into its own buffer.
void WriteStrips(const TiffOut& out, const FileRows& rows, uint32_t rows_per_strip, bool compressed) {
  const size_t row_bytes = rows.FileRowBytes();
  std::vector<uint8_t> strip(row_bytes * rows_per_strip);
  tstrip_t index = 0;
  for (int top = 0; top < rows.height; top += static_cast<int>(rows_per_strip), ++index) {
    const int count = std::min(rows.height - top, static_cast<int>(rows_per_strip));
    for (int r = 0; r < count; ++r) rows.CopyRgbRow(top + r, strip.data() + r * row_bytes);
    const auto bytes = static_cast<tmsize_t>(row_bytes * count);
    errno = 0;
    const tmsize_t written = compressed ? TIFFWriteEncodedStrip(out.get(), index, strip.data(), bytes)
                                        : TIFFWriteRawStrip(out.get(), index, strip.data(), bytes);
    out.Check(written >= 0);
  }
}

// ---- the exact resolution, patched into the finished file ----

class Patcher {
 public:
  Patcher(const std::string& path, const std::string& shown) : shown_(shown) {
    fd_ = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd_ < 0) throw CannotCreateFile(shown_, SystemReason(errno));
  }
  ~Patcher() {
    if (fd_ >= 0) ::close(fd_);
  }
  Patcher(const Patcher&) = delete;
  Patcher& operator=(const Patcher&) = delete;

  void Read(uint64_t at, uint8_t* to, size_t size) const {
    if (::pread(fd_, to, size, static_cast<off_t>(at)) != static_cast<ssize_t>(size)) Broken();
  }
  void Write(uint64_t at, const uint8_t* from, size_t size) const {
    if (::pwrite(fd_, from, size, static_cast<off_t>(at)) != static_cast<ssize_t>(size)) {
      throw CannotCreateFile(shown_, SystemReason(errno != 0 ? errno : ENOSPC));
    }
  }
  void Close() {
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0 && errno != EINTR) throw CannotCreateFile(shown_, SystemReason(errno));
  }
  [[noreturn]] void Broken() const {
    throw CannotCreateFile(shown_, "the TIFF directory written has no resolution fields");
  }

 private:
  std::string shown_;
  int fd_ = -1;
};

struct ByteOrder {
  bool big = false;
  uint32_t Get(const uint8_t* p, int bytes) const {
    uint32_t v = 0;
    for (int i = 0; i < bytes; ++i) v |= uint32_t{p[big ? bytes - 1 - i : i]} << (8 * i);
    return v;
  }
  void Put(uint8_t* p, uint32_t v) const {
    for (int i = 0; i < 4; ++i) p[big ? 3 - i : i] = static_cast<uint8_t>(v >> (8 * i));
  }
};

void PatchResolution(const std::string& path, const std::string& shown, TiffRational dpi) {
  Patcher file(path, shown);
  uint8_t header[8];
  file.Read(0, header, sizeof header);
  const ByteOrder order{header[0] == 'M'};
  const uint32_t ifd = order.Get(header + 4, 4);
  uint8_t count_bytes[2];
  file.Read(ifd, count_bytes, 2);
  const uint32_t count = order.Get(count_bytes, 2);
  std::vector<uint8_t> entries(size_t{count} * 12);
  file.Read(ifd + 2, entries.data(), entries.size());
  int patched = 0;
  for (uint32_t i = 0; i < count; ++i) {
    const uint8_t* entry = entries.data() + size_t{i} * 12;
    const uint32_t tag = order.Get(entry, 2);
    if (tag != kXResolutionTag && tag != kYResolutionTag) continue;
    if (order.Get(entry + 2, 2) != kRationalType || order.Get(entry + 4, 4) != 1) file.Broken();
    uint8_t value[8];
    order.Put(value, dpi.numerator);
    order.Put(value + 4, dpi.denominator);
    file.Write(order.Get(entry + 8, 4), value, sizeof value);
    ++patched;
  }
  if (patched != 2) file.Broken();
  file.Close();
}

// The file goes as soon as anything fails; only a complete one is kept.
struct RemoveUnlessKept {
  const std::string& path;
  bool keep = false;
  ~RemoveUnlessKept() {
    if (!keep) ::unlink(path.c_str());
  }
};

}  // namespace

TiffRational DpiToRational(double dpi) {
  if (!(dpi > 0)) throw InvalidFloatOperation();
  const int64_t scaled = Round(static_cast<Extended>(dpi) * 10000);
  const int64_t divisor = std::gcd(scaled, int64_t{10000});
  const int64_t numerator = scaled / divisor;
  if (numerator > UINT32_MAX || numerator == 0) throw InvalidFloatOperation();
  return TiffRational{static_cast<uint32_t>(numerator), static_cast<uint32_t>(10000 / divisor)};
}

void WriteTiffFile(const Raster& raster, const std::string& path, const std::string& shown_name,
                   double dpi, TiffCompression compression) {
  const TiffRational exact = DpiToRational(dpi);  // refused before any file is made
  const FileRows rows(raster);
  const tmsize_t strip_bytes = compression == TiffCompression::None ? kRawStripBytes : kStripBytes;
  const auto rows_per_strip = static_cast<uint32_t>(
      std::clamp<tmsize_t>(strip_bytes / static_cast<tmsize_t>(std::max<size_t>(rows.FileRowBytes(), 1)), 1,
                           std::max(rows.height, 1)));
  RemoveUnlessKept guard{path};
  TiffOut out(path, shown_name);
  SetFields(out, rows, dpi, compression, rows_per_strip);
  WriteStrips(out, rows, rows_per_strip, compression != TiffCompression::None);
  out.Close();
  PatchResolution(path, shown_name, exact);
  guard.keep = true;
}

void WriteCmykTiffFile(const CmykRows& rows, const std::vector<uint8_t>& icc_profile, const std::string& path,
                       const std::string& shown_name, double dpi) {
  const TiffRational exact = DpiToRational(dpi);
  const size_t row_bytes = static_cast<size_t>(rows.width) * 4;
  const auto rows_per_strip = static_cast<uint32_t>(std::clamp<tmsize_t>(
      kStripBytes / static_cast<tmsize_t>(std::max<size_t>(row_bytes, 1)), 1, std::max(rows.height, 1)));
  RemoveUnlessKept guard{path};
  TiffOut out(path, shown_name);
  TIFF* tif = out.get();
  out.Check(TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, static_cast<uint32_t>(rows.width)));
  out.Check(TIFFSetField(tif, TIFFTAG_IMAGELENGTH, static_cast<uint32_t>(rows.height)));
  out.Check(TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8));
  out.Check(TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 4));
  out.Check(TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_SEPARATED));
  out.Check(TIFFSetField(tif, TIFFTAG_INKSET, INKSET_CMYK));
  out.Check(TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG));
  out.Check(TIFFSetField(tif, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT));
  out.Check(TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_ADOBE_DEFLATE));
  out.Check(TIFFSetField(tif, TIFFTAG_PREDICTOR, PREDICTOR_HORIZONTAL));
  out.Check(TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, rows_per_strip));
  out.Check(TIFFSetField(tif, TIFFTAG_XRESOLUTION, dpi));
  out.Check(TIFFSetField(tif, TIFFTAG_YRESOLUTION, dpi));
  out.Check(TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH));
  out.Check(TIFFSetField(tif, TIFFTAG_SOFTWARE, "Vexaro Photo Maker"));
  out.Check(TIFFSetField(tif, TIFFTAG_ICCPROFILE, static_cast<uint32_t>(icc_profile.size()), icc_profile.data()));
  std::vector<uint8_t> strip(row_bytes * rows_per_strip);
  tstrip_t index = 0;
  for (int32_t top = 0; top < rows.height; top += static_cast<int32_t>(rows_per_strip), ++index) {
    const int32_t count = std::min(rows.height - top, static_cast<int32_t>(rows_per_strip));
    for (int32_t r = 0; r < count; ++r) rows.fill_row(top + r, strip.data() + static_cast<size_t>(r) * row_bytes);
    errno = 0;
    out.Check(TIFFWriteEncodedStrip(tif, index, strip.data(), static_cast<tmsize_t>(row_bytes * count)) >= 0);
  }
  out.Close();
  PatchResolution(path, shown_name, exact);
  guard.keep = true;
}

}  // namespace lenti
