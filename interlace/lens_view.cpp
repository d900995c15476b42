#include "interlace/lens_view.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <cstdlib>

#include "core/error.h"

namespace lenti {

namespace {

constexpr size_t kPixelBytes = 3;

// A run of output pixels along a row that all show one source pixel (or
// white, source < 0): a lens seen at one angle repeats one line over its
// width, so a row is a few hundred runs, not thousands of pixels.
struct Run {
  int32_t dest = 0;
  int32_t length = 0;
  int32_t source = -1;
};

std::vector<Run> RunsOf(const std::vector<int32_t>& columns) {
  std::vector<Run> runs;
  for (int32_t x = 0; x < static_cast<int32_t>(columns.size()); ++x) {
    if (!runs.empty() && runs.back().source == columns[x]) {
      ++runs.back().length;
    } else {
      runs.push_back(Run{x, 1, columns[x]});
    }
  }
  return runs;
}

void FillPixels(uint8_t* out, int32_t count, const uint8_t* pixel) {
  const uint8_t b = pixel[0], g = pixel[1], r = pixel[2];
  for (int32_t i = 0; i < count; ++i, out += kPixelBytes) {
    out[0] = b;
    out[1] = g;
    out[2] = r;
  }
}

// out(x, y) = picture(columns[x], rows[y]), white where either is -1. With
// `same_columns` the columns are 0..width-1 and each row is one copy.
Raster Gather(const Raster& picture, const std::vector<int32_t>& rows,
              const std::vector<int32_t>& columns, bool same_columns) {
  Raster out(static_cast<int>(columns.size()), static_cast<int>(rows.size()), PixelFormat::pf24bit);
  const size_t row_bytes = columns.size() * kPixelBytes;
  const std::vector<Run> runs = same_columns ? std::vector<Run>{} : RunsOf(columns);
  static constexpr uint8_t kWhite[kPixelBytes] = {0xFF, 0xFF, 0xFF};
  for (size_t y = 0; y < rows.size(); ++y) {
    uint8_t* dest = out.Row(static_cast<int>(y));
    if (rows[y] < 0) {
      std::memset(dest, 0xFF, row_bytes);
      continue;
    }
    const uint8_t* source = picture.Row(rows[y]);
    if (same_columns) {
      std::memcpy(dest, source, row_bytes);
      continue;
    }
    for (const Run& run : runs) {
      const uint8_t* pixel = run.source < 0 ? kWhite : source + static_cast<size_t>(run.source) * kPixelBytes;
      FillPixels(dest + static_cast<size_t>(run.dest) * kPixelBytes, run.length, pixel);
    }
  }
  return out;
}

// Line i of `count` sampled from `extent` lines: the one under its centre.
std::vector<int32_t> NearestLines(int32_t count, int32_t extent) {
  std::vector<int32_t> lines(static_cast<size_t>(count));
  for (int32_t i = 0; i < count; ++i) {
    const int64_t line = (2 * int64_t{i} + 1) * extent / (2 * int64_t{count});
    lines[i] = static_cast<int32_t>(line);
  }
  return lines;
}

std::vector<int32_t> Identity(int32_t count) {
  std::vector<int32_t> lines(static_cast<size_t>(count));
  for (int32_t i = 0; i < count; ++i) lines[i] = i;
  return lines;
}

// A 24-bit picture as it is, any other format as a 24-bit copy.
const Raster& AsTrueColour(const Raster& picture, Raster& copy) {
  if (picture.Format() == PixelFormat::pf24bit) return picture;
  copy = picture;
  copy.SetPixelFormat(PixelFormat::pf24bit);
  return copy;
}

}  // namespace

double LensPixels(const LensSheet& sheet) { return sheet.dpi / sheet.lpi; }

std::string LensSheetFault(const LensSheet& sheet) {
  if (!std::isfinite(sheet.lpi) || sheet.lpi <= 0 || sheet.lpi > kMaxViewLpi) {
    return Format("The lens pitch must be more than 0 and at most %g lines per inch, not %g",
                  kMaxViewLpi, sheet.lpi);
  }
  if (!std::isfinite(sheet.dpi) || sheet.dpi <= 0 || sheet.dpi > kMaxViewDpi) {
    return Format("The picture's resolution must be more than 0 and at most %g dpi, not %g",
                  kMaxViewDpi, sheet.dpi);
  }
  if (LensPixels(sheet) < 1) {
    return Format("A lens of %g lpi over %g dpi is narrower than one pixel", sheet.lpi, sheet.dpi);
  }
  if (!std::isfinite(sheet.phase) || std::fabs(sheet.phase) > kMaxViewPhase) {
    return Format("The phase must lie between -0.5 and 0.5 of a lens, not %g", sheet.phase);
  }
  return {};
}

void CheckLensSheet(const LensSheet& sheet) {
  const std::string fault = LensSheetFault(sheet);
  if (!fault.empty()) throw Error(fault);
}

void CheckViewAngle(double angle) {
  if (!std::isfinite(angle) || angle < 0 || angle >= 1) {
    throw Error(Format("The viewing angle must lie from 0 up to (not including) 1, not %g", angle));
  }
}

double FrameAngle(int k, int n) { return (k + 0.5) / n; }

std::vector<int32_t> LensViewLines(int32_t extent, const LensSheet& sheet, double angle) {
  CheckLensSheet(sheet);
  CheckViewAngle(angle);
  const double q = LensPixels(sheet);
  std::vector<int32_t> lines(static_cast<size_t>(extent > 0 ? extent : 0));
  for (int32_t y = 0; y < extent; ++y) {
    const double lens = std::floor((y + 0.5) / q - sheet.phase);
    const double shown = std::floor((lens + sheet.phase + angle) * q);
    lines[y] = shown >= 0 && shown < extent ? static_cast<int32_t>(shown) : -1;
  }
  return lines;
}

Mode StripAxisOf(const MergedPicture& merged) {
  const Mode mode = merged.Geometry.mode;
  if (!merged.MergedBitmap) return mode;
  const int64_t width = merged.MergedBitmap->Width() - std::abs(int64_t{merged.AlignBandWidth});
  const int64_t height = merged.MergedBitmap->Height() - std::abs(int64_t{merged.AlignBandHeight});
  const bool turned = width == merged.Geometry.OutputHeight && height == merged.Geometry.OutputWidth &&
                      width != height;
  if (!turned) return mode;
  return mode == Mode::PortraitRows ? Mode::LandscapeColumns : Mode::PortraitRows;
}

LensViewStart LensViewDefaults(const MakerState& state) {
  const MergeGeometry& geometry = state.merged.Geometry;
  LensViewStart start;
  start.axis = StripAxisOf(state.merged);
  start.sheet.lpi = static_cast<double>(geometry.LensLpiX) / 10000;
  start.sheet.dpi = static_cast<double>(geometry.OutputDpiX) / 10000;
  start.sheet.phase = static_cast<double>(geometry.PhaseX10000) / 10000;
  start.frame_count = geometry.FrameCount;
  return start;
}

PlayStep NextPlayAngle(double angle, int direction, double step) {
  const double last = 1 - step;
  PlayStep next{angle + (direction < 0 ? -step : step), direction < 0 ? -1 : +1};
  // Reflected at the ends, so every step is the same size.
  if (next.angle > last) next = PlayStep{2 * last - next.angle, -1};
  if (next.angle < 0) next = PlayStep{-next.angle, +1};
  next.angle = std::clamp(next.angle, 0.0, last);
  return next;
}

std::string ViewAngleCaption(double angle, int frame_count, double phase_offset) {
  const int n = frame_count > 0 ? frame_count : 1;
  // A sheet laid a fraction of a lens further along shows, at the same
  // angle, the part of each lens that fraction further on.
  const double within = angle + phase_offset - std::floor(angle + phase_offset);
  int frame = static_cast<int>(std::floor(within * n));
  if (frame < 0) frame = 0;
  if (frame >= n) frame = n - 1;
  return Format("Angle %.3f: frame %d of %d", angle, frame + 1, n);
}

Raster RenderLensView(const Raster& picture, Mode mode, const LensSheet& sheet, double angle) {
  Raster copy;
  const Raster& source = AsTrueColour(picture, copy);
  const int32_t width = source.Width(), height = source.Height();
  CheckLensSheet(sheet);
  CheckViewAngle(angle);
  if (source.Empty()) return Raster(width, height, PixelFormat::pf24bit);
  if (mode == Mode::PortraitRows) {
    return Gather(source, LensViewLines(height, sheet, angle), Identity(width), true);
  }
  return Gather(source, Identity(height), LensViewLines(width, sheet, angle), false);
}

Raster RenderLensViewScaled(const Raster& picture, Mode mode, const LensSheet& sheet, double angle,
                            Size size) {
  if (size.width < 0 || size.height < 0) throw Error("A view cannot have a negative size");
  CheckRasterSize(size.width, size.height, PixelFormat::pf24bit);
  Raster copy;
  const Raster& source = AsTrueColour(picture, copy);
  const int32_t width = source.Width(), height = source.Height();
  CheckLensSheet(sheet);
  CheckViewAngle(angle);
  if (source.Empty()) return Raster(size.width, size.height, PixelFormat::pf24bit);  // white
  const bool rows = mode == Mode::PortraitRows;
  const std::vector<int32_t> shown = LensViewLines(rows ? height : width, sheet, angle);
  std::vector<int32_t> row_map = NearestLines(size.height, height);
  std::vector<int32_t> column_map = NearestLines(size.width, width);
  for (int32_t& line : rows ? row_map : column_map) line = shown[line];
  return Gather(source, row_map, column_map, false);
}

}  // namespace lenti
