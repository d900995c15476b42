// The lens pitch: lines per inch of the lens sheet, kept as lpi x 10000 so
// that 21.25 lpi is exactly 212500 and a chart row's "39.9694" goes into the
// merge as printed. Every place a person gives a pitch (the Lens group, the
// chart window and its "Use this pitch", the lens view, the command line, a
// project file) reads it with ReadLensPitch and holds it to the one range
// below.
#pragma once

#include <compare>
#include <cstdint>
#include <optional>
#include <string>

namespace lenti {

class LensPitch {
 public:
  static constexpr int64_t kScale = 10000;  // four decimals of an lpi

  // The classic sheet, 21.25 lpi.
  constexpr LensPitch() = default;
  static constexpr LensPitch FromX10000(int64_t lpi_x10000) { return LensPitch(lpi_x10000); }

  constexpr int64_t X10000() const { return lpi_x10000_; }
  // The nearest double to the pitch (21.85 for 218500, as the literal).
  double Lpi() const { return static_cast<double>(lpi_x10000_) / kScale; }
  // "21.25", "40", "39.9694": the text that reads back to this pitch.
  std::string Text() const;

  friend constexpr auto operator<=>(LensPitch, LensPitch) = default;

 private:
  constexpr explicit LensPitch(int64_t lpi_x10000) : lpi_x10000_(lpi_x10000) {}
  int64_t lpi_x10000_ = 212500;
};

// The pitches the program lays out. Sheets are made from about 10 to 200
// lpi; 5 leaves room for a coarse display lens and 300 lpi already needs a
// printer of 1200 dpi for four frames.
inline constexpr LensPitch kMinLensPitch = LensPitch::FromX10000(5 * LensPitch::kScale);
inline constexpr LensPitch kMaxLensPitch = LensPitch::FromX10000(300 * LensPitch::kScale);
inline constexpr int64_t kMinLensLpiX = kMinLensPitch.X10000();
inline constexpr int64_t kMaxLensLpiX = kMaxLensPitch.X10000();

inline bool InLensPitchRange(LensPitch pitch) { return pitch >= kMinLensPitch && pitch <= kMaxLensPitch; }

// "5 and 300": the range as the messages name it.
std::string LensPitchRangeText();

// "60.12", "60,12", " 40 ", "42.275 lpi" -> the pitch, rounded to four
// decimals (ties to even); nothing when the text is not a number. The
// range is not checked: the chart window draws a chart at any pitch its
// grating allows.
std::optional<LensPitch> ReadLensPitch(const std::string& text);

// "The lens pitch must lie between 5 and 300 lpi, not 400" outside the range.
void CheckLensPitchRange(LensPitch pitch);

// ReadLensPitch and the range: "The lens pitch \"fine\" is not a number" or
// the range's message.
LensPitch ParseLensPitch(const std::string& text);

}  // namespace lenti
