#include "delivery/raster_rows.h"

#include <cstring>

#include "core/rgb_order.h"

namespace lenti {
namespace {

bool IsBlackWhite(const Raster& raster) {
  const auto& palette = raster.Palette();
  return raster.Format() == PixelFormat::pf1bit && palette.size() >= 2 && palette[0] == kBlack &&
         palette[1] == kWhite;
}

}  // namespace

FileRows::FileRows(const Raster& raster) : width(raster.Width()), height(raster.Height()) {
  if (IsBlackWhite(raster)) {
    bits = 1;
    source_ = &raster;
    return;
  }
  if (raster.Format() != PixelFormat::pf24bit) {
    converted_.emplace(raster);
    converted_->SetPixelFormat(PixelFormat::pf24bit);
    source_ = &*converted_;
    return;
  }
  source_ = &raster;
}

size_t FileRows::FileRowBytes() const {
  return bits == 1 ? (static_cast<size_t>(width) + 7) / 8 : static_cast<size_t>(width) * 3;
}

void FileRows::CopyRgbRow(int y, uint8_t* out) const {
  const uint8_t* in = source_->Row(y);
  if (bits == 1) {
    std::memcpy(out, in, FileRowBytes());
    return;
  }
  SwapRedAndBlue(in, out, static_cast<size_t>(width));
}

}  // namespace lenti
