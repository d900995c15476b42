// The printer a print or a test chart is made for: its resolution and its
// page. A job keeps one; `vexaro merge --pdf` and `vexaro chart` read one
// from their options, and the chart window makes one from its DPI box and
// Size list. The page names and the resolution range live here only.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace lenti {

struct PrinterProfile {
  int32_t dpi = 0;  // 0: none chosen
  std::string page = "A4";
  friend bool operator==(const PrinterProfile&, const PrinterProfile&) = default;
};

// The resolutions a printer may be given. The finest inkjets print 5760 x
// 1440 and a PDF file takes what it is told, so 9600 dpi leaves room
// without letting a typing slip ask for a page of billions of pixels.
inline constexpr int32_t kMinPrinterDpi = 1;
inline constexpr int32_t kMaxPrinterDpi = 9600;

inline bool IsPrinterDpi(int64_t dpi) { return dpi >= kMinPrinterDpi && dpi <= kMaxPrinterDpi; }

// What a page is for: a print (the PDF writer's page sizes) or the test
// chart (its papers, in the order of the chart window's Size list).
enum class PageUse { Print, Chart };

// Print: A4, A3, Letter. Chart: A4, A3, 8x10.
const std::vector<std::string>& PageNames(PageUse use);
bool IsPageName(const std::string& page, PageUse use);
// "A4, A3 or Letter", as a message lists the choices.
std::string PageNamesText(PageUse use);

// The chart window's Size list by position: A4, A3, 8' x 10', then an
// empty entry. The page a position stands for ("" for the empty entry,
// "A4" for none selected) and back (-1 for a page the list lacks), so that
// a profile made from the list gives the list's paper again.
inline constexpr int kEmptyChartEntry = 3;
std::string ChartPageAt(int entry);
int ChartEntryOf(const std::string& page);

}  // namespace lenti
