// Reading, checking and writing a lens pitch.
#include "core/lens_pitch.h"

#include "core/error.h"
#include "core/fixed_point.h"

namespace lenti {

namespace {
constexpr int kDecimals = 4;
static_assert(LensPitch::kScale == 10000, "kDecimals places of an lpi");
}  // namespace

std::string LensPitch::Text() const { return FixedPointText(lpi_x10000_, kDecimals); }

std::string LensPitchRangeText() { return kMinLensPitch.Text() + " and " + kMaxLensPitch.Text(); }

std::optional<LensPitch> ReadLensPitch(const std::string& text) {
  int64_t lpi_x10000 = 0;
  if (!ReadFixedPoint(WithoutUnit(text, "lpi"), kDecimals, lpi_x10000)) return std::nullopt;
  return LensPitch::FromX10000(lpi_x10000);
}

void CheckLensPitchRange(LensPitch pitch) {
  if (!InLensPitchRange(pitch)) {
    throw Error("The lens pitch must lie between " + LensPitchRangeText() + " lpi, not " + pitch.Text());
  }
}

LensPitch ParseLensPitch(const std::string& text) {
  const std::optional<LensPitch> pitch = ReadLensPitch(text);
  if (!pitch) {
    throw Error("The lens pitch \"" + text + "\" is not a number; it must lie between " + LensPitchRangeText() + " lpi");
  }
  CheckLensPitchRange(*pitch);
  return *pitch;
}

}  // namespace lenti
