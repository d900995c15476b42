// The printer profile's pages: each use has its own list, and the chart
// window's Size list goes to a page name and back to the same entry.
#include "core/printer_profile.h"

#include <gtest/gtest.h>

namespace lenti {
namespace {

TEST(PrinterProfile, EachUseNamesItsOwnPages) {
  const struct {
    PageUse use;
    const char* listed;
    const char* other_use_only;
  } cases[] = {{PageUse::Print, "A4, A3 or Letter", "8x10"}, {PageUse::Chart, "A4, A3 or 8x10", "Letter"}};
  for (const auto& c : cases) {
    EXPECT_EQ(PageNamesText(c.use), c.listed);
    for (const std::string& page : PageNames(c.use)) EXPECT_TRUE(IsPageName(page, c.use)) << page;
    EXPECT_FALSE(IsPageName(c.other_use_only, c.use));
    EXPECT_FALSE(IsPageName("a4", c.use));  // names are exact
    EXPECT_FALSE(IsPageName("", c.use));
  }
}

TEST(PrinterProfile, ChartEntriesGoToAPageAndBack) {
  const struct {
    int entry;
    const char* page;
    int back;  // the entry the page stands for
  } cases[] = {{0, "A4", 0}, {1, "A3", 1}, {2, "8x10", 2}, {kEmptyChartEntry, "", kEmptyChartEntry},
               {-1, "A4", 0}, {4, "A4", 0}};
  for (const auto& c : cases) {
    EXPECT_EQ(ChartPageAt(c.entry), c.page) << c.entry;
    EXPECT_EQ(ChartEntryOf(ChartPageAt(c.entry)), c.back) << c.entry;
  }
  EXPECT_EQ(ChartEntryOf("Letter"), -1);
}

TEST(PrinterProfile, ResolutionsFromOneTo9600Dpi) {
  const struct {
    int64_t dpi;
    bool ok;
  } cases[] = {{0, false}, {1, true}, {600, true}, {9600, true}, {9601, false}, {-600, false}};
  for (const auto& c : cases) EXPECT_EQ(IsPrinterDpi(c.dpi), c.ok) << c.dpi;
}

}  // namespace
}  // namespace lenti
