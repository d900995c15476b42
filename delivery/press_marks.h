// The page a print shop trims: the picture at its true size centred on the
// page, its bleed around it, and outside the bleed the marks: crop marks at
// the four trim corners, a registration mark centred on each side, and one
// line naming the job, lens, resolution and date below the bottom marks.
//
// Lengths are PDF points (1/72 inch) from the page's bottom-left corner.
// The trim is the picture's own size, pixels / dpi x 72, kept unrounded, so
// the TrimBox is the true size (0.0001 pt is 0.00004 mm). The marks are
// drawn in registration colour (all four inks, so every plate carries them
// and can be laid on the others); the job line in black ink only.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/numerics.h"

namespace lenti {

struct PdfBox {
  Extended left = 0;
  Extended bottom = 0;
  Extended right = 0;
  Extended top = 0;
  Extended Width() const { return right - left; }
  Extended Height() const { return top - bottom; }
};

// The trimmed picture and its bleed, in its own pixels.
struct PressSheet {
  int32_t width_px = 0;   // the picture without bleed
  int32_t height_px = 0;
  int32_t bleed_px = 0;
  double dpi = 0;
  std::string job_line;   // JobLine(); empty: none
};

// The marks as shapes, in points from the page's bottom left.
struct MarkShapes {
  struct Line {
    Extended x1, y1, x2, y2;
  };
  struct Circle {
    Extended x, y, radius;
  };
  std::vector<Line> lines;  // crop marks, and the crosses of the registration marks
  std::vector<Circle> circles;
  Extended line_width = 0;
  std::string job_line;     // as written: printable ASCII, PDF delimiters escaped
  Extended job_x = 0, job_y = 0, font_size = 0;
};

struct PressPageLayout {
  Extended media_width = 0;
  Extended media_height = 0;
  PdfBox trim;
  PdfBox bleed;           // where the grown picture lies
  MarkShapes shapes;      // none without marks
  std::string marks;      // the shapes as PDF content operators; empty without marks
  bool uses_font = false; // the job line needs the font /F1 (Helvetica)
};

// Mark sizes, millimetres.
inline constexpr double kMarkGapMm = 2;      // between the bleed and a crop mark
inline constexpr double kCropMarkMm = 5;     // length of a crop mark
inline constexpr double kRegistrationMm = 6; // across a registration mark
inline constexpr double kJobLineMm = 4;      // the job line's band below the marks

// The page for `sheet` on a page of `page_width_mm` x `page_height_mm`; the
// page grows to hold the picture, its bleed and its marks when it is smaller.
PressPageLayout LayOutPressPage(const PressSheet& sheet, double page_width_mm, double page_height_mm, bool marks);

// "NAME | 21.25 lpi | 297.5 dpi | 2026-12-11": what the job line says; only
// printable ASCII is kept of the name (the standard font has no other).
std::string JobLine(const std::string& name, Extended lpi, Extended dpi, const std::string& date);

// Today's date, UTC, as YYYY-MM-DD.
std::string TodayUtc();

}  // namespace lenti
