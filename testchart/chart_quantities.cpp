// The arithmetic of the pitch test chart: paper sizes, the derived
// quantities and each row's source width and label.
//
// Every quantity is computed in 80-bit extended precision, left to right in
// the order the formula is written, and only then rounded: the labels are
// read to four decimals and the rows must line up pixel for pixel, so a
// reordered product or an early rounding shows on paper.
#include "core/numerics.h"
#include "testchart/test_chart.h"

namespace lenti {
namespace {

// 2.54 as the nearest 80-bit value, not the nearest double.
constexpr Extended kCmPerInch = 2.54L;

// x cm / 2.54 x dpi: a paper length in pixels.
int64_t CmToPixels(int64_t cm, int32_t dpi) { return Round(cm / kCmPerInch * dpi); }

}  // namespace

Paper PaperTable(int index) {
  switch (index) {
    case 1:
      return Paper{29, 42};  // A3
    case 2:
      return Paper{23, 25};  // 8' x 10'
    case 3:
      return Paper{11, 14};  // the empty entry
    default:
      return Paper{21, 29};  // A4, also for no entry selected
  }
}

ChartQuantities ComputeChartQuantities(int32_t dpi, int32_t wcm, int32_t hcm, int64_t lx,
                                       int32_t step, int32_t lines) {
  ChartQuantities q{};
  const int64_t usable_height_cm = int64_t{hcm} - 6;
  const int64_t band_cm = int64_t{wcm} - 12;
  q.GW = CmToPixels(wcm, dpi);
  q.RH = Round(Divide(usable_height_cm, lines) / kCmPerInch * dpi);
  q.P = Round(Divide(dpi, lx) * 10000);
  q.W = Trunc(Divide(dpi, lx) / 2 * 10000);
  q.CW = CmToPixels(int64_t{wcm} - 8, dpi);
  q.CH = CmToPixels(usable_height_cm, dpi);
  q.GB = CmToPixels(band_cm, dpi);
  q.LM = Round((3 * Extended(dpi)) / kCmPerInch);
  q.FS = Round(Extended(dpi) / 300 * 48);
  q.TX = Round(Extended(dpi) / 6);
  // The font size in points enters as if it were pixels; that is how the
  // labels have always been placed.
  q.TY = Round(Extended(q.RH) / 2 - Extended(q.FS) / 2 - 26);
  // Lenses of the nominal LPI across the band times the pitch, against the
  // band width: the excess counted in whole steps.
  const Extended nominal_source = band_cm / kCmPerInch * lx * q.P;
  q.K = Round(Divide(Divide(Extended(q.GB * 10000) - nominal_source, step), 10000));
  q.C = Round(Extended(lines) / 2);
  return q;
}

int64_t RowSourceWidth(const ChartQuantities& q, int i, int32_t step) {
  return q.GB + (int64_t{i} - q.C - q.K) * int64_t{step};
}

std::string RowLabel(const ChartQuantities& q, int64_t e, int32_t dpi) {
  // dpi / P first: the row's pitch in LPI at the grating's integer pitch.
  const Extended grating_lpi = Divide(dpi, q.P);
  const int64_t v = Round(Divide(e * grating_lpi, q.GB) * 10000);
  return FloatToStr(Extended(v) / 10000);
}

}  // namespace lenti
