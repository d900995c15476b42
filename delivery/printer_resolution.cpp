#include "delivery/printer_resolution.h"

#include <cctype>
#include <charconv>

#include "core/numerics.h"

namespace lenti {
namespace {

// Resolutions beyond this are no printer's (and would overflow the page's pixels).
constexpr long kMaxDpi = 9600;
constexpr Extended kCmPerInch = 2.54L;

bool EqualsIgnoringCase(const std::string& a, const char* b) {
  size_t i = 0;
  for (; i < a.size() && b[i] != '\0'; ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != b[i]) return false;
  }
  return i == a.size() && b[i] == '\0';
}

}  // namespace

int ParseResolutionChoice(const std::string& text) {
  const char* begin = text.data();
  const char* end = begin + text.size();
  long x = 0;
  auto [after_x, ec] = std::from_chars(begin, end, x);
  if (ec != std::errc() || after_x == begin || x < 1) return 0;
  const char* unit = after_x;
  // "HxV": the vertical figure only has to be a number too.
  if (unit != end && (*unit == 'x' || *unit == 'X')) {
    long y = 0;
    auto [after_y, ec_y] = std::from_chars(unit + 1, end, y);
    if (ec_y != std::errc() || after_y == unit + 1 || y < 1) return 0;
    unit = after_y;
  }
  const std::string suffix(unit, end);
  long dpi = 0;
  if (EqualsIgnoringCase(suffix, "dpi")) {
    dpi = x;
  } else if (EqualsIgnoringCase(suffix, "dpcm") || EqualsIgnoringCase(suffix, "dpc")) {
    dpi = static_cast<long>(Round(static_cast<Extended>(x) * kCmPerInch));
  } else {
    return 0;
  }
  return dpi <= kMaxDpi ? static_cast<int>(dpi) : 0;
}

int ResolutionFromOptions(const std::vector<std::pair<std::string, std::string>>& options) {
  int dpi = 0;
  for (const auto& [key, value] : options) {
    if (key != "Resolution" && key != "printer-resolution") continue;
    if (const int parsed = ParseResolutionChoice(value)) dpi = parsed;
  }
  return dpi;
}

}  // namespace lenti
