// Reading, checking and describing the lens settings.
#include "interlace/lens_input.h"

#include <algorithm>

#include <cctype>
#include <cmath>
#include <vector>

#include "core/error.h"
#include "interlace/native_geometry.h"

namespace lenti {
namespace {

constexpr const char* kAreaAverageText = "area average";

std::string Trimmed(const std::string& text) {
  size_t begin = 0, end = text.size();
  while (begin < end && std::isspace(static_cast<unsigned char>(text[begin]))) ++begin;
  while (end > begin && std::isspace(static_cast<unsigned char>(text[end - 1]))) --end;
  return text.substr(begin, end - begin);
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

std::string LowerCase(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

}  // namespace

int32_t ParseOutputDpi(const std::string& text) {
  const std::string t = Trimmed(text);
  if (t.empty() || LowerCase(t) == kNearest300Text) return kNearest300Dpi;
  const std::string number = WithoutUnit(t, "dpi");
  int64_t dpi = 0;
  if (number.find_first_of(".,") != std::string::npos || !ReadFixedPoint(number, 0, dpi)) {
    throw Error(Format("The output resolution %s is not a whole number of dpi; it must lie between %d and %d dpi",
                       Quoted(text).c_str(), kMinNativeDpi, kMaxNativeDpi));
  }
  if (dpi < kMinNativeDpi || dpi > kMaxNativeDpi) {
    throw Error(Format("The output resolution must lie between %d and %d dpi, not %s", kMinNativeDpi,
                       kMaxNativeDpi, t.c_str()));
  }
  return static_cast<int32_t>(dpi);
}

int32_t ParsePhase(const std::string& text) {
  int64_t phase = 0;
  if (!ReadFixedPoint(text, 4, phase)) {
    throw Error("The phase " + Quoted(text) + " is not a number; it must lie between -0.5 and 0.5 of a lens");
  }
  if (phase < -kMaxPhaseX10000 || phase > kMaxPhaseX10000) {
    throw Error("The phase must lie between -0.5 and 0.5 of a lens, not " + Trimmed(text));
  }
  return static_cast<int32_t>(phase);
}

int32_t ParseCentimetres(const std::string& text, const char* side) {
  int64_t cm = 0;
  if (!ReadFixedPoint(WithoutUnit(text, "cm"), 2, cm)) {
    throw Error(Format("The picture %s %s is not a number of centimetres; it must be more than 0 and at most %s cm",
                       side, Quoted(text).c_str(), FixedPointText(kMaxPictureCmX100, 2).c_str()));
  }
  if (cm <= 0 || cm > kMaxPictureCmX100) {
    throw Error(Format("The picture %s must be more than 0 and at most %s cm, not %s", side,
                       FixedPointText(kMaxPictureCmX100, 2).c_str(), Trimmed(text).c_str()));
  }
  return static_cast<int32_t>(cm);
}

PictureSizeCm ParsePictureSize(const std::string& text) {
  // "x", "X" or the multiplication sign (two bytes in UTF-8) between the sides.
  size_t at = std::string::npos, length = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == 'x' || text[i] == 'X') {
      at = i, length = 1;
      break;
    }
    if (text.compare(i, 2, "\xC3\x97") == 0) {
      at = i, length = 2;
      break;
    }
  }
  if (at == std::string::npos) {
    throw Error("The picture size must be WIDTH x HEIGHT in cm (14.5x17.5), not " + Quoted(text));
  }
  return PictureSizeCm{ParseCentimetres(text.substr(0, at), "width"),
                       ParseCentimetres(text.substr(at + length), "height")};
}

Sampling ParseSampling(const std::string& text) {
  const std::string t = LowerCase(Trimmed(text));
  if (t == "nearest") return Sampling::Nearest;
  if (t == "area" || t == kAreaAverageText) return Sampling::Area;
  throw Error("The sampling must be nearest or area, not " + Quoted(text));
}

void CheckLensSettings(const LensSettings& lens) {
  CheckLensPitchRange(LensPitch::FromX10000(lens.LensLpiX));
  if (lens.OutputDpi != kNearest300Dpi && (lens.OutputDpi < kMinNativeDpi || lens.OutputDpi > kMaxNativeDpi)) {
    throw Error(Format("The output resolution must lie between %d and %d dpi, not %d", kMinNativeDpi,
                       kMaxNativeDpi, lens.OutputDpi));
  }
  if (lens.PhaseX10000 < -kMaxPhaseX10000 || lens.PhaseX10000 > kMaxPhaseX10000) {
    throw Error("The phase must lie between -0.5 and 0.5 of a lens, not " + FixedPointText(lens.PhaseX10000, 4));
  }
  const auto check_side = [](int32_t cm, const char* side) {
    if (cm <= 0 || cm > kMaxPictureCmX100) {
      throw Error(Format("The picture %s must be more than 0 and at most %s cm, not %s", side,
                         FixedPointText(kMaxPictureCmX100, 2).c_str(), FixedPointText(cm, 2).c_str()));
    }
  };
  check_side(lens.WidthCmX100, "width");
  check_side(lens.HeightCmX100, "height");
}

std::string LensFieldText(const LensSettings& lens, LensField field) {
  switch (field) {
    case LensField::Pitch:
      return LensPitch::FromX10000(lens.LensLpiX).Text();
    case LensField::OutputDpi:
      return lens.OutputDpi == kNearest300Dpi ? std::string(kNearest300Text) : std::to_string(lens.OutputDpi);
    case LensField::Phase:
      return FixedPointText(lens.PhaseX10000, 4);
    case LensField::Width:
      return FixedPointText(lens.WidthCmX100, 2);
    case LensField::Height:
      return FixedPointText(lens.HeightCmX100, 2);
    case LensField::Sampling:
      return lens.sampling == Sampling::Area ? kAreaAverageText : "nearest";
  }
  return "";
}

void SetLensField(LensSettings& lens, LensField field, const std::string& text) {
  // Everything is read before anything is written.
  switch (field) {
    case LensField::Pitch:
      lens.LensLpiX = ParseLensPitch(text).X10000();
      return;
    case LensField::OutputDpi:
      lens.OutputDpi = ParseOutputDpi(text);
      return;
    case LensField::Phase:
      lens.PhaseX10000 = ParsePhase(text);
      return;
    case LensField::Width:
      lens.WidthCmX100 = ParseCentimetres(text, "width");
      return;
    case LensField::Height:
      lens.HeightCmX100 = ParseCentimetres(text, "height");
      return;
    case LensField::Sampling:
      lens.sampling = ParseSampling(text);
      return;
  }
}

std::string PixelsText(Extended pixels) {
  const int64_t hundredths = Round(pixels * 100);
  return FixedPointText(hundredths, 2);
}

LensReadout DescribeLens(const LensSettings& lens, int32_t frame_count, Mode mode) {
  LensReadout readout;
  LensGeometry g;
  try {
    g = ComputeLensGeometry(frame_count, lens, mode);
  } catch (const Error& e) {
    readout.warning = e.what();
    return readout;
  }
  readout.lens = PixelsText(g.period) + " px per lens";
  if (const auto strip = WholeStripWidth(g.output.OutputDpiX, lens.LensLpiX, frame_count)) {
    readout.lens += Format(", strip %d px", *strip);
  }
  readout.picture = FloatToStr(static_cast<Extended>(g.output.OutputDpiX) / 10000) + " dpi, " +
                    Format("%d x %d px", g.output.OutputWidth, g.output.OutputHeight);
  readout.warning = TooFewPixelsText(g.period, frame_count);
  return readout;
}

std::string TooFewPixelsText(Extended period, int32_t frame_count) {
  if (period >= frame_count) return "";
  // Frames beyond one per pixel of a lens share pixels and never print apart.
  const int fit = std::max(1, static_cast<int>(period));
  return Format("Too few pixels: %s px per lens for %d frames; at most %d %s fit", PixelsText(period).c_str(),
                frame_count, fit, fit == 1 ? "frame" : "frames");
}

}  // namespace lenti
