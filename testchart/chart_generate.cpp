// Drawing the pitch test chart: the grating at the integer pitch, then one
// fitted copy, one label and one separator per row, and the reference stripe.
//
// Every request is checked before the first pixel is allocated, so a refused
// chart costs nothing and changes nothing. The drawing itself is whole
// rectangles only (Rectangle, CopyRect, TextOut): the largest chart is
// 29764 x 51024 pixels and must stay well under a few seconds.
#include "core/error.h"
#include "core/numerics.h"
#include "testchart/test_chart.h"

namespace lenti {
namespace {

// Rows are fitted from the grating's top RH - 40 rows; the 40 rows below
// each band stay white but for the separator.
constexpr int64_t kBandGap = 40;

void RefuseBadCounts(int32_t dpi, int32_t step, int32_t lines) {
  if (dpi < 1) throw Error(Format("The DPI must be at least 1 (it is %d).", dpi));
  if (lines < 1) throw Error(Format("The number of lines must be at least 1 (it is %d).", lines));
  if (step < 1) throw Error(Format("The step must be at least 1 pixel (it is %d).", step));
}

void RefuseBadPitch(int32_t dpi, int64_t lx, const ChartQuantities& q) {
  if (lx < 0) {
    throw Error("The LPI must be greater than 0 (it is " + FloatToStr(Extended(lx) / 10000) + ").");
  }
  if (q.P < 1) {
    // P = Round(dpi / LPI) is 0 from LPI = 2 x dpi on (a half rounds to even).
    throw Error(Format("The LPI is too high for %d dpi: it must be below %lld (twice the DPI), "
                       "or the bars would be less than a pixel apart.",
                       dpi, static_cast<long long>(2 * int64_t{dpi})));
  }
}

void RefuseBadPaper(int32_t wcm, const ChartQuantities& q) {
  if (q.GB < 1) {
    throw Error(Format("The paper is too narrow for the chart: it must be wider than 12 cm "
                       "(it is %d cm).",
                       wcm));
  }
  if (q.RH < 1) {
    throw Error("The rows would be less than one pixel high: use fewer lines, a taller paper "
                "or a higher DPI.");
  }
}

// Every row's source width must lie inside the grating: the first and the
// last row have the smallest and the largest. The rows spread around the
// centre row, whose width is the nominal LPI's lenses at the integer pitch;
// when even that row does not fit, no step can help: the pitch rounds so far
// from the exact one (0.55 px to 1 px at 545 lpi and 300 dpi) that the
// nominal lenses take more than the paper.
void RefuseRowsOutsideGrating(int32_t dpi, int64_t lx, const ChartQuantities& q, int32_t step,
                              int32_t lines) {
  const int64_t narrowest = RowSourceWidth(q, 1, step);
  const int64_t widest = RowSourceWidth(q, lines, step);
  if (narrowest >= 1 && widest <= q.GW) return;
  const int64_t centre = RowSourceWidth(q, static_cast<int>(q.C), step);
  if (centre < 1 || centre > q.GW) {
    throw Error(Format("The LPI %s is too high for %d dpi on this paper: its pitch of %s pixels "
                       "rounds to %lld, and the rows would need %lld to %lld grating columns where "
                       "the paper gives 1 to %lld. Choose a lower LPI or a higher DPI.",
                       FloatToStr(Extended(lx) / 10000).c_str(), dpi,
                       FloatToStr(Extended(Round(Divide(dpi, lx) * 10000 * 10000)) / 10000).c_str(),
                       static_cast<long long>(q.P), static_cast<long long>(narrowest),
                       static_cast<long long>(widest), static_cast<long long>(q.GW)));
  }
  throw Error(Format("The step of %d pixels is too large for this chart: the rows would need "
                     "%lld to %lld grating columns, and the paper gives 1 to %lld.",
                     step, static_cast<long long>(narrowest), static_cast<long long>(widest),
                     static_cast<long long>(q.GW)));
}

void RefuseBeyondMemory(const char* what, int64_t width, int64_t height) {
  try {
    CheckRasterSize(width, height, PixelFormat::pf1bit);
  } catch (const Error&) {
    throw Error(Format("The %s of %lld x %lld pixels is too large for memory: choose a lower DPI "
                       "or a smaller paper.",
                       what, static_cast<long long>(width), static_cast<long long>(height)));
  }
}

void RefuseUnsoundChart(int32_t dpi, int32_t wcm, int64_t lx, int32_t step, int32_t lines,
                        const ChartQuantities& q) {
  RefuseBadPitch(dpi, lx, q);
  RefuseBadPaper(wcm, q);
  RefuseRowsOutsideGrating(dpi, lx, q, step, lines);
  RefuseBeyondMemory("grating", q.GW, q.RH);
  RefuseBeyondMemory("chart", q.CW, q.CH);
}

int ToInt(int64_t value) { return static_cast<int>(value); }

// Row i: the label, the grating's first E columns fitted into the band, and
// the two-pixel separator under the row (drawn by the pen alone).
void DrawRow(Raster& chart, const Raster& grating, const ChartQuantities& q, int i, int32_t dpi,
             int32_t step) {
  const int64_t y0 = (int64_t{i} - 1) * q.RH;
  const int64_t e = RowSourceWidth(q, i, step);
  // Below 3 dpi the label size rounds to 0 points: there is nothing to write.
  if (q.FS >= 1) chart.TextOut(ToInt(q.TX), ToInt(y0 + q.TY), RowLabel(q, e, dpi));
  const int64_t band_height = q.RH - kBandGap;
  if (band_height > 0) {
    chart.CopyRect(Rect{ToInt(q.LM), ToInt(y0), ToInt(q.LM + q.GB), ToInt(y0 + band_height)},
                   grating, Rect{0, 0, ToInt(e), ToInt(band_height)});
  }
  chart.Rectangle(0, ToInt(y0 + q.RH - 1), ToInt(q.GB), ToInt(y0 + q.RH + 1));
}

// A quarter inch of the unfitted grating, stretched over the chart's height
// an eighth of an inch right of the band.
void DrawReferenceStripe(Raster& chart, const Raster& grating, const ChartQuantities& q,
                         int32_t dpi) {
  const int64_t band_end = q.LM + q.GB;
  const int64_t left = band_end + Round(Extended(dpi) / 8);
  const int64_t right = band_end + Round((3 * Extended(dpi)) / 8);
  const int64_t source_width = Round(Extended(dpi) / 4);
  if (source_width < 1 || right <= left) return;  // a chart of 1 dpi has no stripe
  chart.CopyRect(Rect{ToInt(left), 0, ToInt(right), ToInt(q.CH)}, grating,
                 Rect{0, 0, ToInt(source_width), ToInt(q.RH)});
}

}  // namespace

Raster BuildGrating(const ChartQuantities& q) {
  Raster grating(ToInt(q.GW), ToInt(q.RH), PixelFormat::pf1bit);
  grating.SetBrushColor(kBlack);
  // The bottom row stays white: the bars end at RH - 2.
  int64_t x = 0;
  do {
    grating.Rectangle(ToInt(x), 0, ToInt(x + q.W), ToInt(q.RH - 1));
    x += q.P;
  } while (x <= q.GW - 1);
  return grating;
}

Raster GenerateTestChart(int32_t dpi, int32_t wcm, int32_t hcm, int64_t lx, int32_t step,
                         int32_t lines, const ChartSteps& steps) {
  RefuseBadCounts(dpi, step, lines);
  const ChartQuantities q = ComputeChartQuantities(dpi, wcm, hcm, lx, step, lines);
  RefuseUnsoundChart(dpi, wcm, lx, step, lines, q);

  // Between two pieces: the piece reported, a cancel honoured.
  auto piece_done = [&steps] {
    if (steps.piece_done) steps.piece_done();
    if (steps.cancel != nullptr) steps.cancel->ThrowIfRequested();
  };
  const Raster grating = BuildGrating(q);
  piece_done();
  Raster chart(ToInt(q.CW), ToInt(q.CH), PixelFormat::pf1bit);
  Font font = chart.GetFont();
  font.size = ToInt(q.FS);
  chart.SetFont(font);
  for (int i = 1; i <= lines; ++i) {
    DrawRow(chart, grating, q, i, dpi, step);
    piece_done();
  }
  DrawReferenceStripe(chart, grating, q, dpi);
  piece_done();
  return chart;
}

int64_t ChartPieces(int32_t lines) { return int64_t{lines} + 2; }

}  // namespace lenti
