// The layout of a merge for any lens, resolution, phase and picture size.
#include "interlace/native_geometry.h"

#include "core/error.h"
#include "core/raster.h"
#include "interlace/lens_input.h"

namespace lenti {
namespace {

// 2.54 as the nearest 80-bit value.
constexpr Extended kCmPerInch = 2.54L;

Extended CmX100ToInches(int32_t cm_x100) { return static_cast<Extended>(cm_x100) / 100 / kCmPerInch; }

std::string CmText(int32_t cm_x100) { return FloatToStr(static_cast<Extended>(cm_x100) / 100); }

// The classic rule: whole strips, the resolution nearest to 300 dpi, each
// side Trunc(OutputDpiX x inches / 10000), the product first.
OutputGeometry ClassicOutput(int32_t frame_count, const LensSettings& lens, Mode mode) {
  if (HasClassicSize(lens)) return ComputeOutputGeometry(frame_count, lens.LensLpiX, mode);
  OutputGeometry g;
  g.StripWidth = MergeStripWidth(frame_count, lens.LensLpiX);
  g.OutputDpiX = int64_t{frame_count} * lens.LensLpiX * g.StripWidth;
  const bool portrait = mode == Mode::PortraitRows;
  const Extended wide = portrait ? PictureInchesWide(lens) : PictureInchesHigh(lens);
  const Extended high = portrait ? PictureInchesHigh(lens) : PictureInchesWide(lens);
  g.OutputWidth = static_cast<int32_t>(Trunc(g.OutputDpiX * wide / 10000));
  g.OutputHeight = static_cast<int32_t>(Trunc(g.OutputDpiX * high / 10000));
  return g;
}

// The printer's resolution D: exactly D dpi, Round(inches x D) px a side.
OutputGeometry NativeOutput(const LensSettings& lens, Mode mode) {
  OutputGeometry g;
  g.OutputDpiX = int64_t{lens.OutputDpi} * 10000;
  const bool portrait = mode == Mode::PortraitRows;
  const Extended wide = portrait ? PictureInchesWide(lens) : PictureInchesHigh(lens);
  const Extended high = portrait ? PictureInchesHigh(lens) : PictureInchesWide(lens);
  const int64_t width = Round(wide * lens.OutputDpi);
  const int64_t height = Round(high * lens.OutputDpi);
  if (width > INT32_MAX || height > INT32_MAX) throw Error(PictureTooLargeText(width, height));
  g.OutputWidth = static_cast<int32_t>(width);
  g.OutputHeight = static_cast<int32_t>(height);
  return g;
}

}  // namespace

Extended PictureInchesWide(const LensSettings& lens) {
  return HasClassicSize(lens) ? kInches145 : CmX100ToInches(lens.WidthCmX100);
}

Extended PictureInchesHigh(const LensSettings& lens) {
  return HasClassicSize(lens) ? kInches175 : CmX100ToInches(lens.HeightCmX100);
}

std::string PictureTooLargeText(int64_t width, int64_t height) {
  return Format("The picture would be %lld x %lld px, more than memory allows (%llu MB): choose a "
                "smaller size or a lower resolution",
                static_cast<long long>(width), static_cast<long long>(height),
                static_cast<unsigned long long>(kMaxRasterBytes >> 20));
}

LensGeometry WholeStripGeometry(const OutputGeometry& output, int32_t frame_count, Mode mode) {
  LensGeometry g;
  g.output = output;
  g.slice = SliceSize(output.OutputWidth, output.OutputHeight, frame_count, mode);
  g.layout = LensLayout::WholeStrips;
  g.period = static_cast<Extended>(int64_t{frame_count} * output.StripWidth);
  return g;
}

std::optional<int32_t> WholeStripWidth(int64_t output_dpi_x, int64_t lens_lpi_x, int32_t frame_count) {
  const int64_t per_strip = int64_t{frame_count} * lens_lpi_x;
  if (per_strip <= 0 || output_dpi_x % per_strip != 0) return std::nullopt;
  return static_cast<int32_t>(output_dpi_x / per_strip);
}

LensGeometry ComputeLensGeometry(int32_t frame_count, const LensSettings& lens, Mode mode) {
  CheckLensSettings(lens);
  if (frame_count < 1) throw Error(Format("A merge needs frames, not %d", frame_count));
  LensGeometry g;
  g.layout = LayoutFor(lens);
  g.phase = PhaseFraction(lens);
  if (lens.OutputDpi != kNearest300Dpi) {
    g.period = Divide(static_cast<Extended>(lens.OutputDpi) * 10000, static_cast<Extended>(lens.LensLpiX));
    if (g.period < 1) {
      throw Error(Format("A lens of %s lpi is finer than a pixel at %d dpi: choose a higher "
                         "resolution or a coarser lens",
                         FloatToStr(static_cast<Extended>(lens.LensLpiX) / 10000).c_str(), lens.OutputDpi));
    }
    g.output = NativeOutput(lens, mode);
  } else {
    g.output = ClassicOutput(frame_count, lens, mode);
    g.period = static_cast<Extended>(int64_t{frame_count} * g.output.StripWidth);
  }
  if (g.layout == LensLayout::Periodic) g.output.StripWidth = 0;  // its lenses are not counted in strips
  if (g.output.OutputWidth < 1 || g.output.OutputHeight < 1) {
    throw Error(Format("A picture of %s x %s cm is smaller than a pixel at this resolution",
                       CmText(lens.WidthCmX100).c_str(), CmText(lens.HeightCmX100).c_str()));
  }
  const uint64_t bytes = RowBytes(static_cast<uint64_t>(g.output.OutputWidth), PixelFormat::pf24bit) *
                         static_cast<uint64_t>(g.output.OutputHeight);
  if (bytes > kMaxRasterBytes) throw Error(PictureTooLargeText(g.output.OutputWidth, g.output.OutputHeight));
  g.slice = SliceSize(g.output.OutputWidth, g.output.OutputHeight, frame_count, mode);
  if (g.slice.width < 1 || g.slice.height < 1) {
    throw Error(Format("A picture of %d x %d px is too small for %d frames", g.output.OutputWidth,
                       g.output.OutputHeight, frame_count));
  }
  return g;
}

}  // namespace lenti
