// The page names a printer profile may carry.
#include "core/printer_profile.h"

#include <algorithm>

namespace lenti {

const std::vector<std::string>& PageNames(PageUse use) {
  static const std::vector<std::string> print{"A4", "A3", "Letter"};
  static const std::vector<std::string> chart{"A4", "A3", "8x10"};
  return use == PageUse::Print ? print : chart;
}

bool IsPageName(const std::string& page, PageUse use) {
  const std::vector<std::string>& names = PageNames(use);
  return std::find(names.begin(), names.end(), page) != names.end();
}

std::string PageNamesText(PageUse use) {
  const std::vector<std::string>& names = PageNames(use);
  std::string text;
  for (size_t i = 0; i < names.size(); ++i) {
    if (i > 0) text += i + 1 == names.size() ? " or " : ", ";
    text += names[i];
  }
  return text;
}

std::string ChartPageAt(int entry) {
  const std::vector<std::string>& names = PageNames(PageUse::Chart);
  if (entry == kEmptyChartEntry) return "";
  if (entry < 0 || entry >= static_cast<int>(names.size())) return names.front();
  return names[static_cast<size_t>(entry)];
}

int ChartEntryOf(const std::string& page) {
  if (page.empty()) return kEmptyChartEntry;
  const std::vector<std::string>& names = PageNames(PageUse::Chart);
  const auto found = std::find(names.begin(), names.end(), page);
  return found == names.end() ? -1 : static_cast<int>(found - names.begin());
}

}  // namespace lenti
