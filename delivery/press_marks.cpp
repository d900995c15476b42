#include "delivery/press_marks.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <ctime>

#include "core/error.h"

namespace lenti {
namespace {

constexpr Extended kPointsPerInch = 72;
constexpr Extended kMmPerInch = 25.4L;
constexpr Extended kMarkLineWidth = 0.25L;  // points: a hairline every press holds
constexpr Extended kJobLineFontSize = 6;    // points

Extended Points(Extended mm) { return mm / kMmPerInch * kPointsPerInch; }

std::string Num(Extended value) {
  char buf[64];
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf, static_cast<double>(value), std::chars_format::fixed, 4);
  if (ec != std::errc()) return "0";
  std::string text(buf, end);
  while (text.back() == '0') text.pop_back();
  if (text.back() == '.') text.pop_back();
  return text == "-0" ? "0" : text;
}

std::string Line(Extended x1, Extended y1, Extended x2, Extended y2) {
  return Num(x1) + " " + Num(y1) + " m " + Num(x2) + " " + Num(y2) + " l S\n";
}

// A circle of four Bezier arcs.
std::string CirclePath(Extended x, Extended y, Extended r) {
  const Extended k = r * 0.5523L;  // the control distance of a quarter circle
  std::string out = Num(x + r) + " " + Num(y) + " m ";
  out += Num(x + r) + " " + Num(y + k) + " " + Num(x + k) + " " + Num(y + r) + " " + Num(x) + " " + Num(y + r) + " c ";
  out += Num(x - k) + " " + Num(y + r) + " " + Num(x - r) + " " + Num(y + k) + " " + Num(x - r) + " " + Num(y) + " c ";
  out += Num(x - r) + " " + Num(y - k) + " " + Num(x - k) + " " + Num(y - r) + " " + Num(x) + " " + Num(y - r) + " c ";
  out += Num(x + k) + " " + Num(y - r) + " " + Num(x + r) + " " + Num(y - k) + " " + Num(x + r) + " " + Num(y) + " c S\n";
  return out;
}

MarkShapes Shapes(const PressPageLayout& page, const std::string& job_line) {
  const PdfBox& t = page.trim;
  const Extended gap = (page.bleed.right - t.right) + Points(kMarkGapMm);  // from the trim to a mark's start
  const Extended len = Points(kCropMarkMm);
  MarkShapes shapes;
  shapes.line_width = kMarkLineWidth;
  // Each corner: one mark continuing each trim edge outward.
  for (const Extended x : {t.left, t.right}) {
    const Extended out_x = x == t.left ? -1 : 1;
    for (const Extended y : {t.bottom, t.top}) {
      const Extended out_y = y == t.bottom ? -1 : 1;
      shapes.lines.push_back({x + out_x * gap, y, x + out_x * (gap + len), y});
      shapes.lines.push_back({x, y + out_y * gap, x, y + out_y * (gap + len)});
    }
  }
  const Extended size = Points(kRegistrationMm);
  const Extended centre = gap + len / 2;
  const Extended mid_x = (t.left + t.right) / 2;
  const Extended mid_y = (t.bottom + t.top) / 2;
  const Extended centres[4][2] = {
      {mid_x, t.top + centre}, {mid_x, t.bottom - centre}, {t.left - centre, mid_y}, {t.right + centre, mid_y}};
  for (const auto& c : centres) {
    shapes.circles.push_back({c[0], c[1], size / 3});
    shapes.lines.push_back({c[0] - size / 2, c[1], c[0] + size / 2, c[1]});
    shapes.lines.push_back({c[0], c[1] - size / 2, c[0], c[1] + size / 2});
  }
  shapes.job_line = job_line;
  shapes.font_size = kJobLineFontSize;
  shapes.job_x = t.left;
  shapes.job_y = t.bottom - gap - len - Points(kJobLineMm) + kJobLineFontSize / 3;
  return shapes;
}

// The shapes in registration colour (all four inks); the job line in black ink only.
std::string MarksContent(const MarkShapes& shapes) {
  std::string out = "q " + Num(shapes.line_width) + " w 1 1 1 1 K\n";
  for (const MarkShapes::Line& l : shapes.lines) out += Line(l.x1, l.y1, l.x2, l.y2);
  for (const MarkShapes::Circle& c : shapes.circles) out += CirclePath(c.x, c.y, c.radius);
  out += "Q\n";
  if (!shapes.job_line.empty()) {
    out += "q 0 0 0 1 k BT /F1 " + Num(shapes.font_size) + " Tf " + Num(shapes.job_x) + " " + Num(shapes.job_y) +
           " Td (" + shapes.job_line + ") Tj ET Q\n";
  }
  return out;
}

}  // namespace

PressPageLayout LayOutPressPage(const PressSheet& sheet, double page_width_mm, double page_height_mm, bool marks) {
  if (!(sheet.dpi > 0) || sheet.width_px < 1 || sheet.height_px < 1 || sheet.bleed_px < 0) {
    throw Error("The press page needs a picture and its resolution");
  }
  const Extended to_points = kPointsPerInch / static_cast<Extended>(sheet.dpi);
  const Extended trim_w = sheet.width_px * to_points;
  const Extended trim_h = sheet.height_px * to_points;
  const Extended bleed = sheet.bleed_px * to_points;
  // Around the trim: the bleed, then the marks' gap, the crop marks and the job line.
  const Extended margin = bleed + (marks ? Points(kMarkGapMm + kCropMarkMm + kJobLineMm) + Points(kMarkGapMm) : 0);
  PressPageLayout page;
  page.media_width = std::max(Points(page_width_mm), trim_w + 2 * margin);
  page.media_height = std::max(Points(page_height_mm), trim_h + 2 * margin);
  const Extended left = (page.media_width - trim_w) / 2;
  const Extended bottom = (page.media_height - trim_h) / 2;
  page.trim = PdfBox{left, bottom, left + trim_w, bottom + trim_h};
  page.bleed = PdfBox{left - bleed, bottom - bleed, left + trim_w + bleed, bottom + trim_h + bleed};
  if (marks) {
    page.shapes = Shapes(page, sheet.job_line);
    page.marks = MarksContent(page.shapes);
    page.uses_font = !sheet.job_line.empty();
  }
  return page;
}

std::string JobLine(const std::string& name, Extended lpi, Extended dpi, const std::string& date) {
  std::string kept;
  for (const char c : name) {
    if (c < 0x20 || c > 0x7e) continue;
    // A PDF string's own delimiters are escaped.
    if (c == '(' || c == ')' || c == '\\') kept += '\\';
    kept += c;
  }
  return kept + " | " + FloatToStr(lpi) + " lpi | " + FloatToStr(dpi) + " dpi | " + date;
}

std::string TodayUtc() {
  const std::time_t now = std::time(nullptr);
  std::tm utc{};
  gmtime_r(&now, &utc);
  char text[16];
  std::strftime(text, sizeof text, "%Y-%m-%d", &utc);
  return text;
}

}  // namespace lenti
