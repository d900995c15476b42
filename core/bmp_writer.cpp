#include "core/bmp_writer.h"

#include <sys/uio.h>

#include <cstring>

#include "core/file_io.h"

namespace lenti {
namespace {

constexpr uint32_t kFileHeaderBytes = 14;
constexpr uint32_t kInfoHeaderBytes = 40;

// ---- writing ----

void Put16(uint8_t* at, uint32_t v) {
  at[0] = static_cast<uint8_t>(v);
  at[1] = static_cast<uint8_t>(v >> 8);
}

void Put32(uint8_t* at, uint32_t v) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>(v >> (8 * i));
}

struct WriteLayout {
  uint32_t bits = 24;
  uint32_t palette_entries = 0;
  uint64_t row_bytes = 0;
  uint64_t image_bytes = 0;
  uint64_t pixel_offset = 0;
};

WriteLayout WriteLayoutOf(const Raster& raster) {
  WriteLayout w;
  w.bits = static_cast<uint32_t>(BitsPerPixel(raster.Format()));
  w.palette_entries = w.bits == 1 ? 2 : (w.bits == 8 ? 256 : 0);
  w.row_bytes = RowBytes(static_cast<uint64_t>(raster.Width()), raster.Format());
  w.image_bytes = w.row_bytes * static_cast<uint64_t>(raster.Height());
  w.pixel_offset = kFileHeaderBytes + kInfoHeaderBytes + uint64_t{w.palette_entries} * 4;
  // Rasters stay below kMaxRasterBytes, so the sizes fit the 32-bit fields.
  return w;
}

// File header, info header and colour table.
std::vector<uint8_t> HeaderBytes(const Raster& raster, const WriteLayout& w) {
  std::vector<uint8_t> h(static_cast<size_t>(w.pixel_offset), 0);
  h[0] = 'B';
  h[1] = 'M';
  Put32(&h[2], static_cast<uint32_t>(w.pixel_offset + w.image_bytes));
  Put32(&h[10], static_cast<uint32_t>(w.pixel_offset));
  Put32(&h[14], kInfoHeaderBytes);
  Put32(&h[18], static_cast<uint32_t>(raster.Width()));
  Put32(&h[22], static_cast<uint32_t>(raster.Height()));
  Put16(&h[26], 1);
  Put16(&h[28], w.bits);
  Put32(&h[34], static_cast<uint32_t>(w.image_bytes));
  Put32(&h[46], w.palette_entries);
  // The raster's own palette, so a file read with another table keeps its
  // colours; a fresh 1-bit raster's table is black, white.
  const std::vector<Color>& palette = raster.Palette();
  for (uint32_t i = 0; i < w.palette_entries; ++i) {
    Color c = w.bits == 1 ? (i == 0 ? kBlack : kWhite) : kBlack;
    if (i < palette.size()) c = palette[i];
    uint8_t* e = &h[kFileHeaderBytes + kInfoHeaderBytes + 4 * i];
    e[0] = c.b;
    e[1] = c.g;
    e[2] = c.r;
  }
  return h;
}

// One raster row as stored: the pixel bytes, unused bits and padding zero.
void EncodeRow(const Raster& raster, int y, const WriteLayout& w, uint8_t* out) {
  const uint8_t* src = raster.Row(y);
  const size_t width = static_cast<size_t>(raster.Width());
  size_t used = w.bits == 1 ? (width + 7) / 8 : width * (w.bits / 8);
  std::memcpy(out, src, used);
  if (w.bits == 1 && (width & 7) != 0) out[used - 1] &= static_cast<uint8_t>(0xFF00u >> (width & 7));
  std::memset(out + used, 0, static_cast<size_t>(w.row_bytes) - used);
}

// The rows bottom-up into `sink`, which hands out space for each row.
template <class Sink>
void EmitRows(const Raster& raster, const WriteLayout& w, Sink&& reserve) {
  for (int y = raster.Height() - 1; y >= 0; --y) EncodeRow(raster, y, w, reserve(w.row_bytes));
}

// True when every row is already as the file stores it: the bits past the
// width and the padding bytes are zero.
bool RowsInFileForm(const Raster& raster, const WriteLayout& w) {
  const size_t width = static_cast<size_t>(raster.Width());
  const size_t used = w.bits == 1 ? (width + 7) / 8 : width * (w.bits / 8);
  const uint8_t stray = w.bits == 1 && (width & 7) != 0 ? static_cast<uint8_t>(0xFFu >> (width & 7)) : 0;
  for (int y = 0; y < raster.Height(); ++y) {
    const uint8_t* row = raster.Row(y);
    if (stray != 0 && (row[used - 1] & stray) != 0) return false;
    for (size_t i = used; i < w.row_bytes; ++i) {
      if (row[i] != 0) return false;
    }
  }
  return true;
}

// The rows straight from the raster, bottom row first, without a copy.
void WriteRowsInPlace(const Raster& raster, const WriteLayout& w, FileWriter& out) {
  std::vector<iovec> rows(static_cast<size_t>(raster.Height()));
  for (int y = 0; y < raster.Height(); ++y) {
    // writev only reads the rows.
    rows[static_cast<size_t>(raster.Height() - 1 - y)] = {const_cast<uint8_t*>(raster.Row(y)),
                                                          static_cast<size_t>(w.row_bytes)};
  }
  out.WriteGathered(rows.data(), static_cast<int>(rows.size()));
}

void WriteBmp(const Raster& raster, const std::string& path, const std::string& shown) {
  const WriteLayout w = WriteLayoutOf(raster);
  FileWriter out(path, shown);
  const std::vector<uint8_t> header = HeaderBytes(raster, w);
  out.Write(header.data(), header.size());
  if (RowsInFileForm(raster, w)) {
    WriteRowsInPlace(raster, w, out);
  } else {
    EmitRows(raster, w, [&out](uint64_t n) { return out.Reserve(static_cast<size_t>(n)); });
  }
  out.Close();
}


}  // namespace

std::vector<uint8_t> EncodeBmp(const Raster& raster) {
  const WriteLayout w = WriteLayoutOf(raster);
  std::vector<uint8_t> bytes = HeaderBytes(raster, w);
  const size_t header_size = bytes.size();
  bytes.resize(header_size + static_cast<size_t>(w.image_bytes));
  size_t at = header_size;
  EmitRows(raster, w, [&](uint64_t n) {
    uint8_t* space = bytes.data() + at;
    at += static_cast<size_t>(n);
    return space;
  });
  return bytes;
}

void SaveBmpFile(const Raster& raster, const std::string& path) { WriteBmp(raster, path, path); }

void SaveBmpFile(const Raster& raster, const std::string& path, const std::string& shown_name) {
  WriteBmp(raster, path, shown_name);
}

}  // namespace lenti
