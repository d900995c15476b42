// Rectangle copies between rasters of any format, plain or scaled.
//
// A copy is described by one map per axis: destination index -> span of
// source indices, both relative to their rectangles (sw, dw = source and
// destination extents of the axis):
//   AndCombine        destination j covers [floor(j*sw/dw), floor((j+1)*sw/dw)),
//                     at least one index (enlarging repeats floor(j*sw/dw));
//                     the pixels of a span are combined with bitwise AND.
//   NearestNeighbour  destination j takes the centre sample floor((2j+1)*sw/(2dw)).
// Equal extents give the identity under both rules. Spans are clipped to the
// source raster; a destination pixel whose clipped span is empty keeps its
// value, as does everything outside the destination raster.
//
// The AND works on the source's own pixel values (bits, palette indices or
// BGR bytes); the combined value is then converted to the destination's
// format (palette colour, or the nearest entry of the destination palette).
//
// Work is done a row at a time: the source rows of a span are ANDed into one
// line first (64-bit words for 1-bit rasters), the columns are then mapped
// with a column plan computed once per call, and a destination row whose
// span equals the previous row's is a copy of the row just written.
#include <algorithm>
#include <array>
#include <cstring>
#include <new>
#include <optional>
#include <vector>

#include "core/error.h"
#include "core/raster.h"

namespace lenti {
namespace {

__extension__ typedef unsigned __int128 Uint128;

// ---------------------------------------------------------------- axis maps

struct Span {
  int32_t first = 0;  // first source index (absolute)
  int32_t end = 0;    // one past the last
  int32_t Length() const { return end - first; }
  friend bool operator==(const Span&, const Span&) = default;
};

// The destination indices [dest_first, DestEnd()) that receive a pixel, each
// with its clipped source span. Both ends of the spans never decrease.
struct AxisMap {
  int32_t dest_first = 0;
  std::vector<Span> spans;
  bool Empty() const { return spans.empty(); }
  int32_t DestEnd() const { return dest_first + static_cast<int32_t>(spans.size()); }
  int32_t SourceFirst() const { return spans.front().first; }
  int32_t SourceEnd() const { return spans.back().end; }
};

// floor((n0 + k * step) / den) for k = 0, 1, 2, ...: the first value is formed
// in 128 bits, the following ones by adding quotient and remainder, so no
// coordinate can overflow and no division is done per index.
class FloorSequence {
 public:
  FloorSequence(Uint128 n0, uint64_t step, uint64_t den)
      : quotient_(static_cast<uint64_t>(n0 / den)),
        remainder_(static_cast<uint64_t>(n0 % den)),
        step_quotient_(step / den),
        step_remainder_(step % den),
        den_(den) {}
  int64_t Value() const { return static_cast<int64_t>(quotient_); }
  void Next() {
    quotient_ += step_quotient_;
    remainder_ += step_remainder_;
    if (remainder_ >= den_) {
      remainder_ -= den_;
      ++quotient_;
    }
  }

 private:
  uint64_t quotient_;
  uint64_t remainder_;
  uint64_t step_quotient_;
  uint64_t step_remainder_;
  uint64_t den_;
};

// One axis: destination [d0, d0 + dw) inside [0, dest_extent), source
// [s0, s0 + sw) inside [0, src_extent). All arithmetic in 64 bits or more.
AxisMap MapAxis(int64_t d0, int64_t dw, int64_t dest_extent, int64_t s0, int64_t sw,
                int64_t src_extent, StretchRule rule) {
  AxisMap map;
  if (dw <= 0 || sw <= 0) return map;
  const int64_t j_begin = std::max<int64_t>(0, -d0);
  const int64_t j_end = std::min<int64_t>(dw, dest_extent - d0);
  if (j_begin >= j_end) return map;
  const bool nearest = rule == StretchRule::NearestNeighbour;
  const auto usw = static_cast<uint64_t>(sw);
  const auto udw = static_cast<uint64_t>(dw);
  FloorSequence seq = nearest ? FloorSequence(Uint128(2 * j_begin + 1) * usw, 2 * usw, 2 * udw)
                              : FloorSequence(Uint128(j_begin) * usw, usw, udw);
  map.spans.reserve(static_cast<size_t>(j_end - j_begin));
  for (int64_t j = j_begin; j < j_end; ++j) {
    const int64_t a = s0 + seq.Value();
    seq.Next();
    const int64_t b = nearest ? a + 1 : std::max(s0 + seq.Value(), a + 1);
    if (a >= src_extent) break;  // spans only move right: nothing further lands
    const int64_t first = std::max<int64_t>(a, 0);
    const int64_t end = std::min(b, src_extent);
    if (first >= end) continue;  // still left of the source
    if (map.spans.empty()) map.dest_first = static_cast<int32_t>(d0 + j);
    map.spans.push_back(Span{static_cast<int32_t>(first), static_cast<int32_t>(end)});
  }
  return map;
}

// Columns as runs: `count` destination columns copying consecutive source
// columns from `source` on, or (merge) one destination column that combines
// the source columns [source, source + count).
struct ColumnOp {
  int32_t source = 0;
  int32_t count = 0;
  bool merge = false;
};

std::vector<ColumnOp> PlanColumns(const std::vector<Span>& spans) {
  std::vector<ColumnOp> ops;
  for (const Span& span : spans) {
    if (span.Length() > 1) {
      ops.push_back(ColumnOp{span.first, span.Length(), true});
    } else if (!ops.empty() && !ops.back().merge &&
               ops.back().source + ops.back().count == span.first) {
      ++ops.back().count;
    } else {
      ops.push_back(ColumnOp{span.first, 1, false});
    }
  }
  return ops;
}

bool IsPlainRun(const std::vector<ColumnOp>& ops) { return ops.size() == 1 && !ops[0].merge; }

// ------------------------------------------------------------ 1-bit rows

// Bits of a row in 64-bit words, leftmost pixel in the top bit.
uint64_t HighBits(int count) { return count >= 64 ? ~uint64_t{0} : ~(~uint64_t{0} >> count); }

// Columns [x0, x1) of a source row, or the AND of several rows, as words;
// word 0 holds the columns from x0 & ~63 on. One spare word follows, so a
// 64-bit window may start at any loaded column.
class BitLine {
 public:
  void Load(const Raster& source, Span rows, int64_t x0, int64_t x1) {
    base_ = x0 & ~int64_t{63};
    const size_t word_count = static_cast<size_t>((x1 - base_ + 63) / 64);
    words_.assign(word_count + 1, 0);
    const size_t byte_first = static_cast<size_t>(base_ / 8);
    const size_t bytes = std::min(source.Stride() - byte_first, word_count * 8);
    auto* line = reinterpret_cast<uint8_t*>(words_.data());
    std::memcpy(line, source.Row(rows.first) + byte_first, bytes);
    for (int32_t r = rows.first + 1; r < rows.end; ++r) {
      const uint8_t* row = source.Row(r) + byte_first;
      size_t i = 0;
      for (; i + 8 <= bytes; i += 8) {
        uint64_t w;
        std::memcpy(&w, row + i, 8);
        words_[i / 8] &= w;
      }
      for (; i < bytes; ++i) line[i] &= row[i];
    }
    for (size_t i = 0; i < word_count; ++i) words_[i] = __builtin_bswap64(words_[i]);
  }

  // 64 pixels from `column` on, the first in the top bit.
  uint64_t Window(int64_t column) const {
    const int64_t offset = column - base_;
    const size_t i = static_cast<size_t>(offset >> 6);
    const int shift = static_cast<int>(offset & 63);
    return shift == 0 ? words_[i] : (words_[i] << shift) | (words_[i + 1] >> (64 - shift));
  }

  // The AND of `count` pixels from `column` on.
  bool AllSet(int64_t column, int64_t count) const {
    for (; count > 0; column += 64, count -= 64) {
      const uint64_t mask = HighBits(static_cast<int>(std::min<int64_t>(count, 64)));
      if ((Window(column) & mask) != mask) return false;
    }
    return true;
  }

 private:
  int64_t base_ = 0;
  std::vector<uint64_t> words_;
};

// Collects the bits of destination columns [x0, x1) in order; word 0 holds
// the columns from x0 & ~63 on. Finish() turns the words into row byte order.
class BitWriter {
 public:
  void Start(int64_t x0, int64_t x1) {
    x0_ = x0;
    base_ = x0 & ~int64_t{63};
    words_.assign(static_cast<size_t>((x1 - base_ + 63) / 64 + 1), 0);
    index_ = 0;
    fill_ = static_cast<int>(x0 - base_);
    acc_ = 0;
  }

  // Appends the top `count` (1..64) bits of `bits`; the other bits are zero.
  void Put(uint64_t bits, int count) {
    acc_ |= bits >> fill_;
    fill_ += count;
    if (fill_ >= 64) {
      words_[index_++] = acc_;
      fill_ -= 64;
      acc_ = fill_ != 0 ? bits << (count - fill_) : 0;
    }
  }
  void PutBit(bool bit) { Put(bit ? uint64_t{1} << 63 : 0, 1); }

  void CopyRun(const BitLine& line, int64_t column, int64_t count) {
    for (; count >= 64; column += 64, count -= 64) Put(line.Window(column), 64);
    if (count > 0) {
      const int n = static_cast<int>(count);
      Put(line.Window(column) & HighBits(n), n);
    }
  }

  // Palette mapping of a 1-bit copy: what source bit 0 and bit 1 become.
  void Finish(bool zero_to, bool one_to) {
    if (fill_ != 0) words_[index_] = acc_;
    for (uint64_t& w : words_) {
      if (zero_to && one_to) {
        w = ~uint64_t{0};
      } else if (!zero_to && !one_to) {
        w = 0;
      } else if (zero_to) {
        w = ~w;
      }
      w = __builtin_bswap64(w);
    }
  }

  // After Finish: the byte that holds column x0.
  const uint8_t* Bytes() const {
    return reinterpret_cast<const uint8_t*>(words_.data()) + (x0_ - base_) / 8;
  }
  // After Finish: the pixel of destination column x.
  bool Bit(int64_t x) const {
    const auto* bytes = reinterpret_cast<const uint8_t*>(words_.data());
    const int64_t offset = x - base_;
    return (bytes[offset >> 3] >> (7 - (offset & 7))) & 1;
  }

 private:
  int64_t x0_ = 0;
  int64_t base_ = 0;
  std::vector<uint64_t> words_;
  size_t index_ = 0;
  int fill_ = 0;
  uint64_t acc_ = 0;
};

// Columns [x0, x1) of a 1-bit row from `bytes`, whose first byte lines up
// with the row's byte x0 / 8 (same bit positions); the other bits stay.
void WriteBitRange(uint8_t* row, const uint8_t* bytes, int64_t x0, int64_t x1) {
  const int64_t first = x0 >> 3;
  const int64_t last = (x1 - 1) >> 3;
  const auto head = static_cast<uint8_t>(0xFFu >> (x0 & 7));
  const auto tail = static_cast<uint8_t>(0xFFu << (7 - ((x1 - 1) & 7)));
  auto merge = [](uint8_t old, uint8_t value, uint8_t mask) {
    return static_cast<uint8_t>((old & ~mask) | (value & mask));
  };
  if (first == last) {
    row[first] = merge(row[first], bytes[0], static_cast<uint8_t>(head & tail));
    return;
  }
  row[first] = merge(row[first], bytes[0], head);
  std::memcpy(row + first + 1, bytes + 1, static_cast<size_t>(last - first - 1));
  row[last] = merge(row[last], bytes[last - first], tail);
}

// ------------------------------------------------------------ byte rows

// A source row of 8- or 24-bit pixels, or the AND of several, by column.
class ByteLine {
 public:
  void Load(const Raster& source, Span rows, int64_t x0, int64_t x1, int pixel_bytes) {
    pixel_bytes_ = pixel_bytes;
    origin_ = x0;
    const uint8_t* first = source.Row(rows.first) + x0 * pixel_bytes;
    if (rows.Length() == 1) {
      data_ = first;
      return;
    }
    const size_t bytes = static_cast<size_t>((x1 - x0) * pixel_bytes);
    buffer_.assign(first, first + bytes);
    for (int32_t r = rows.first + 1; r < rows.end; ++r) {
      const uint8_t* row = source.Row(r) + x0 * pixel_bytes;
      for (size_t i = 0; i < bytes; ++i) buffer_[i] &= row[i];
    }
    data_ = buffer_.data();
  }

  const uint8_t* Pixel(int64_t x) const { return data_ + (x - origin_) * pixel_bytes_; }

 private:
  const uint8_t* data_ = nullptr;
  int64_t origin_ = 0;
  int pixel_bytes_ = 1;
  std::vector<uint8_t> buffer_;
};

// Pixel values: 24-bit as bytes b | g << 8 | r << 16, 8-bit as the index.
uint32_t Load24(const uint8_t* p) { return p[0] | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16); }
void Store24(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
  p[2] = static_cast<uint8_t>(v >> 16);
}
uint32_t Pack(Color c) { return c.b | (uint32_t{c.g} << 8) | (uint32_t{c.r} << 16); }
Color Unpack(uint32_t v) {
  return Color{static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v)};
}

template <int kPixelBytes>
uint32_t CombineSpan(const ByteLine& line, Span span) {
  const uint8_t* p = line.Pixel(span.first);
  if constexpr (kPixelBytes == 3) {
    uint32_t v = Load24(p);
    for (int32_t k = 1; k < span.Length(); ++k) v &= Load24(p + 3 * k);
    return v;
  } else {
    uint32_t v = p[0];
    for (int32_t k = 1; k < span.Length(); ++k) v &= p[k];
    return v;
  }
}

// ------------------------------------------------------------ conversion

Color PaletteColor(const std::vector<Color>& palette, uint32_t index) {
  return index < palette.size() ? palette[index] : kBlack;
}

// The value a destination pixel stores for a colour: packed BGR for 24 bits,
// the nearest palette index for 8 bits, 0 or 1 for 1 bit.
uint32_t DestValue(const Raster& dest, Color color) {
  if (dest.Format() == PixelFormat::pf24bit) return Pack(color);
  const uint8_t index = NearestIndex(dest.Palette(), color);
  if (dest.Format() == PixelFormat::pf1bit) return index != 0 ? 1 : 0;
  return index;
}

// Source value -> destination value. Paletted sources use a table of all
// their indices; 24-bit sources onto a palette use a small cache, since the
// nearest-entry search looks at every palette entry.
class Converter {
 public:
  Converter(const Raster& dest, const Raster& source) : dest_(dest) {
    identity_ = source.Format() == PixelFormat::pf24bit && dest.Format() == PixelFormat::pf24bit;
    if (source.Format() != PixelFormat::pf24bit) {
      const size_t entries = source.Format() == PixelFormat::pf1bit ? 2 : 256;
      table_.resize(entries);
      for (size_t i = 0; i < entries; ++i) {
        table_[i] = DestValue(dest, PaletteColor(source.Palette(), static_cast<uint32_t>(i)));
      }
      identity_ = dest.Format() != PixelFormat::pf24bit;
      for (size_t i = 0; i < entries && identity_; ++i) identity_ = table_[i] == i;
    } else if (!identity_) {
      cache_keys_.assign(kCacheSize, kNoKey);
      cache_values_.assign(kCacheSize, 0);
    }
  }

  bool Identity() const { return identity_; }

  uint32_t operator()(uint32_t value) {
    if (!table_.empty()) return table_[value];
    if (identity_) return value;
    const size_t slot = (value * 2654435761u) >> (32 - kCacheBits);
    if (cache_keys_[slot] != value) {
      cache_keys_[slot] = value;
      cache_values_[slot] = DestValue(dest_, Unpack(value));
    }
    return cache_values_[slot];
  }

 private:
  static constexpr int kCacheBits = 12;
  static constexpr size_t kCacheSize = size_t{1} << kCacheBits;
  static constexpr uint32_t kNoKey = 0xFFFFFFFFu;  // no 24-bit value looks like this

  const Raster& dest_;
  bool identity_ = false;
  std::vector<uint32_t> table_;
  std::vector<uint32_t> cache_keys_;
  std::vector<uint32_t> cache_values_;
};

// ------------------------------------------------------------ the copy

class ScaledCopy {
 public:
  ScaledCopy(Raster& dest, const Raster& source, AxisMap columns, AxisMap rows)
      : dest_(dest),
        source_(source),
        columns_(std::move(columns)),
        rows_(std::move(rows)),
        ops_(PlanColumns(columns_.spans)),
        convert_(dest, source),
        x0_(columns_.dest_first),
        x1_(columns_.DestEnd()) {
    PlanSampling();
  }

  void Run() {
    for (size_t i = 0; i < rows_.spans.size(); ++i) {
      const int32_t y = rows_.dest_first + static_cast<int32_t>(i);
      if (i > 0 && rows_.spans[i] == rows_.spans[i - 1]) {
        RepeatRow(y);
      } else {
        DrawRow(y, rows_.spans[i]);
      }
    }
  }

 private:
  int DestPixelBytes() const { return BitsPerPixel(dest_.Format()) / 8; }

  void RepeatRow(int32_t y) {
    if (dest_.Format() == PixelFormat::pf1bit) {
      WriteBitRange(dest_.Row(y), dest_.Row(y - 1) + (x0_ >> 3), x0_, x1_);
    } else {
      const int64_t bpp = DestPixelBytes();
      std::memcpy(dest_.Row(y) + x0_ * bpp, dest_.Row(y - 1) + x0_ * bpp,
                  static_cast<size_t>((x1_ - x0_) * bpp));
    }
  }

  void DrawRow(int32_t y, Span rows) {
    const bool plain = IsPlainRun(ops_) && rows.Length() == 1 && convert_.Identity();
    if (source_.Format() == PixelFormat::pf1bit) {
      if (plain && dest_.Format() == PixelFormat::pf1bit && (ops_[0].source - x0_) % 8 == 0) {
        WriteBitRange(dest_.Row(y), source_.Row(rows.first) + (ops_[0].source >> 3), x0_, x1_);
      } else {
        DrawRowFromBits(y, rows);
      }
      return;
    }
    if (plain && source_.Format() == dest_.Format()) {
      const int64_t bpp = DestPixelBytes();
      std::memcpy(dest_.Row(y) + x0_ * bpp, source_.Row(rows.first) + ops_[0].source * bpp,
                  static_cast<size_t>((x1_ - x0_) * bpp));
      return;
    }
    if (!sample_offsets_.empty() && rows.Length() == 1) {
      SampleRow24(y, rows.first);
    } else if (source_.Format() == PixelFormat::pf24bit) {
      DrawRowFromBytes<3>(y, rows);
    } else {
      DrawRowFromBytes<1>(y, rows);
    }
  }

  void DrawRowFromBits(int32_t y, Span rows) {
    bit_line_.Load(source_, rows, columns_.SourceFirst(), columns_.SourceEnd());
    bit_out_.Start(x0_, x1_);
    for (const ColumnOp& op : ops_) {
      if (op.merge) {
        bit_out_.PutBit(bit_line_.AllSet(op.source, op.count));
      } else {
        bit_out_.CopyRun(bit_line_, op.source, op.count);
      }
    }
    if (dest_.Format() == PixelFormat::pf1bit) {
      bit_out_.Finish(convert_(0) != 0, convert_(1) != 0);
      WriteBitRange(dest_.Row(y), bit_out_.Bytes(), x0_, x1_);
      return;
    }
    bit_out_.Finish(false, true);
    const uint32_t values[2] = {convert_(0), convert_(1)};
    uint8_t* row = dest_.Row(y);
    if (dest_.Format() == PixelFormat::pf24bit) {
      for (int64_t x = x0_; x < x1_; ++x) Store24(row + 3 * x, values[bit_out_.Bit(x)]);
    } else {
      for (int64_t x = x0_; x < x1_; ++x) row[x] = static_cast<uint8_t>(values[bit_out_.Bit(x)]);
    }
  }

  // 24-bit onto 24-bit where every destination column samples one source
  // column (nearest neighbour, or enlarging): the byte offsets are computed
  // once per call.
  void PlanSampling() {
    if (source_.Format() != PixelFormat::pf24bit || dest_.Format() != PixelFormat::pf24bit) return;
    for (const Span& span : columns_.spans) {
      if (span.Length() != 1) return;
    }
    sample_offsets_.reserve(columns_.spans.size());
    for (const Span& span : columns_.spans) sample_offsets_.push_back(size_t{3} * static_cast<size_t>(span.first));
  }

  void SampleRow24(int32_t y, int32_t source_row) {
    const uint8_t* src = source_.Row(source_row);
    uint8_t* out = dest_.Row(y) + 3 * x0_;
    for (const size_t offset : sample_offsets_) {
      std::memcpy(out, src + offset, 3);
      out += 3;
    }
  }

  template <int kPixelBytes>
  void DrawRowFromBytes(int32_t y, Span rows) {
    byte_line_.Load(source_, rows, columns_.SourceFirst(), columns_.SourceEnd(), kPixelBytes);
    const std::vector<Span>& spans = columns_.spans;
    uint8_t* row = dest_.Row(y);
    switch (dest_.Format()) {
      case PixelFormat::pf24bit:
        for (size_t j = 0; j < spans.size(); ++j) {
          Store24(row + 3 * (x0_ + static_cast<int64_t>(j)),
                  convert_(CombineSpan<kPixelBytes>(byte_line_, spans[j])));
        }
        break;
      case PixelFormat::pf8bit:
        for (size_t j = 0; j < spans.size(); ++j) {
          row[x0_ + static_cast<int64_t>(j)] =
              static_cast<uint8_t>(convert_(CombineSpan<kPixelBytes>(byte_line_, spans[j])));
        }
        break;
      case PixelFormat::pf1bit:
        bit_out_.Start(x0_, x1_);
        for (const Span& span : spans) {
          bit_out_.PutBit(convert_(CombineSpan<kPixelBytes>(byte_line_, span)) != 0);
        }
        bit_out_.Finish(false, true);
        WriteBitRange(row, bit_out_.Bytes(), x0_, x1_);
        break;
    }
  }

  Raster& dest_;
  const Raster& source_;
  AxisMap columns_;
  AxisMap rows_;
  std::vector<ColumnOp> ops_;
  Converter convert_;
  int64_t x0_;
  int64_t x1_;
  std::vector<size_t> sample_offsets_;
  BitLine bit_line_;
  BitWriter bit_out_;
  ByteLine byte_line_;
};

void CopyScaled(Raster& dest, const Rect& to, const Raster& source, const Rect& from,
                StretchRule rule) {
  if (dest.Empty() || source.Empty()) return;
  AxisMap columns = MapAxis(to.left, int64_t{to.right} - to.left, dest.Width(), from.left,
                            int64_t{from.right} - from.left, source.Width(), rule);
  if (columns.Empty()) return;
  AxisMap rows = MapAxis(to.top, int64_t{to.bottom} - to.top, dest.Height(), from.top,
                         int64_t{from.bottom} - from.top, source.Height(), rule);
  if (rows.Empty()) return;
  ScaledCopy(dest, source, std::move(columns), std::move(rows)).Run();
}

}  // namespace

void Raster::CopyRect(const Rect& dest, const Raster& source, const Rect& src) {
  MarkCanvasUsed();
  if (&source == this) {
    // Reading and writing the same pixels: copy from a snapshot.
    std::optional<Raster> snapshot;
    try {
      snapshot.emplace(source);
    } catch (const std::bad_alloc&) {
      throw OutOfMemory();
    }
    CopyScaled(*this, dest, *snapshot, src, stretch_rule_);
    return;
  }
  CopyScaled(*this, dest, source, src, stretch_rule_);
}

void Raster::StretchDraw(const Rect& dest, const Raster& source) {
  MarkCanvasUsed();
  if (source.Empty()) return;
  // A colour source is scaled by nearest neighbour, and the canvas keeps
  // that rule until it is resized; a 1-bit source follows the current rule.
  if (source.Format() != PixelFormat::pf1bit) stretch_rule_ = StretchRule::NearestNeighbour;
  CopyRect(dest, source, source.ClipRect());
}

}  // namespace lenti
