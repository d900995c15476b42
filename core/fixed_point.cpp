// Reading and writing the program's fixed-point numbers.
#include "core/fixed_point.h"

#include <cctype>

#include "core/numerics.h"

namespace lenti {
namespace {

constexpr int64_t kFixedPointLimit = 1000000000000;  // 10^12

std::string Trimmed(const std::string& text) {
  size_t begin = 0, end = text.size();
  while (begin < end && std::isspace(static_cast<unsigned char>(text[begin]))) ++begin;
  while (end > begin && std::isspace(static_cast<unsigned char>(text[end - 1]))) --end;
  return text.substr(begin, end - begin);
}

std::string LowerCase(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

}  // namespace

bool ReadFixedPoint(const std::string& text, int decimals, int64_t& value) {
  const std::string t = Trimmed(text);
  size_t i = 0;
  bool negative = false;
  if (i < t.size() && (t[i] == '+' || t[i] == '-')) negative = t[i++] == '-';
  int64_t whole = 0;
  bool digits = false;
  for (; i < t.size() && std::isdigit(static_cast<unsigned char>(t[i])); ++i) {
    whole = whole * 10 + (t[i] - '0');
    digits = true;
    if (whole > kFixedPointLimit) return false;
  }
  // The places kept, then the first dropped digit and whether any later
  // one is not zero, for rounding ties to even.
  int64_t fraction = 0;
  int kept = 0;
  int first_dropped = -1;
  bool later_nonzero = false;
  if (i < t.size() && (t[i] == '.' || t[i] == ',')) {
    for (++i; i < t.size() && std::isdigit(static_cast<unsigned char>(t[i])); ++i) {
      const int digit = t[i] - '0';
      digits = true;
      if (kept < decimals) {
        fraction = fraction * 10 + digit;
        ++kept;
      } else if (first_dropped < 0) {
        first_dropped = digit;
      } else if (digit != 0) {
        later_nonzero = true;
      }
    }
  }
  if (!digits || i != t.size()) return false;
  for (; kept < decimals; ++kept) fraction *= 10;
  int64_t scale = 1;
  for (int k = 0; k < decimals; ++k) scale *= 10;
  int64_t result = whole * scale + fraction;
  if (first_dropped > 5 || (first_dropped == 5 && (later_nonzero || result % 2 == 1))) ++result;
  value = negative ? -result : result;
  return true;
}

std::string WithoutUnit(const std::string& text, const std::string& unit) {
  const std::string lower = LowerCase(text);
  if (lower.size() > unit.size() && lower.compare(lower.size() - unit.size(), unit.size(), unit) == 0) {
    return Trimmed(text.substr(0, text.size() - unit.size()));
  }
  return text;
}

std::string FixedPointText(int64_t value, int decimals) {
  Extended scale = 1;
  for (int i = 0; i < decimals; ++i) scale *= 10;
  return FloatToStr(static_cast<Extended>(value) / scale);
}

}  // namespace lenti
