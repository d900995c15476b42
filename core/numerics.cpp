#include "core/numerics.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <clocale>
#include <locale.h>

#include "core/error.h"

namespace lenti {
namespace {

constexpr Extended kInt64Limit = 9223372036854775807.0L;

int64_t CheckedToInt64(Extended value) {
  if (std::isnan(value) || value >= kInt64Limit || value < -kInt64Limit) {
    throw InvalidFloatOperation();
  }
  return static_cast<int64_t>(value);
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The "C" locale for conversions that must not follow the process's
// LC_NUMERIC (the desktop program sets the user's locale).
locale_t ClassicLocale() {
  static const locale_t classic = newlocale(LC_ALL_MASK, "C", locale_t{});
  return classic;
}

// The text with the current locale's decimal separator, where it is not
// ".", written as "." (a separator of several bytes too).
std::string WithPointSeparator(const std::string& text) {
  const lconv* conv = std::localeconv();
  const std::string separator = conv != nullptr && conv->decimal_point != nullptr ? conv->decimal_point : ".";
  if (separator.empty() || separator == ".") return text;
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    if (text.compare(i, separator.size(), separator) == 0) {
      out += '.';
      i += separator.size();
    } else {
      out += text[i++];
    }
  }
  return out;
}

int DigitValue(char c, int base) {
  int v;
  if (c >= '0' && c <= '9') {
    v = c - '0';
  } else if (c >= 'a' && c <= 'f') {
    v = c - 'a' + 10;
  } else if (c >= 'A' && c <= 'F') {
    v = c - 'A' + 10;
  } else {
    return -1;
  }
  return v < base ? v : -1;
}

}  // namespace

int64_t Round(Extended value) {
  // nearbyintl honours the default rounding mode: to nearest, ties to even.
  return CheckedToInt64(std::nearbyintl(value));
}

int64_t Trunc(Extended value) { return CheckedToInt64(std::truncl(value)); }

Extended Divide(Extended a, Extended b) {
  if (b == 0) {
    if (a == 0 || std::isnan(a)) throw InvalidFloatOperation();
    throw FloatDivisionByZero();
  }
  return a / b;
}

int32_t StrToInt(const std::string& text) {
  size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  int base = 10;
  if (i < text.size() && (text[i] == '$' || text[i] == 'x' || text[i] == 'X')) {
    base = 16;
    ++i;
  } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  if (i >= text.size()) throw InvalidInteger(text);
  int64_t value = 0;
  for (; i < text.size(); ++i) {
    const int digit = DigitValue(text[i], base);
    if (digit < 0) throw InvalidInteger(text);
    value = value * base + digit;
    if (value > (int64_t{1} << 32)) throw InvalidInteger(text);
  }
  if (negative) value = -value;
  if (base == 16 && value > INT32_MAX && value <= UINT32_MAX) {
    value = static_cast<int32_t>(static_cast<uint32_t>(value));  // $FFFFFFFF is -1
  }
  if (value > INT32_MAX || value < INT32_MIN) throw InvalidInteger(text);
  return static_cast<int32_t>(value);
}

Extended StrToFloat(const std::string& text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  // "." always; the locale's own separator too.
  const std::string trimmed = WithPointSeparator(text.substr(begin, end - begin));
  // Only plain decimal notation: no hexadecimal, "inf" or "nan".
  bool digit_seen = false;
  for (char c : trimmed) {
    if (std::isdigit(static_cast<unsigned char>(c))) {
      digit_seen = true;
    } else if (c != '+' && c != '-' && c != '.' && c != 'e' && c != 'E') {
      throw InvalidFloat(text);
    }
  }
  if (!digit_seen) throw InvalidFloat(text);
  errno = 0;
  char* stop = nullptr;
  const Extended value = strtold_l(trimmed.c_str(), &stop, ClassicLocale());
  if (stop != trimmed.c_str() + trimmed.size() || errno == ERANGE || !std::isfinite(value)) {
    throw InvalidFloat(text);
  }
  return value;
}

std::string FloatToStr(Extended value) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value > 0 ? "INF" : "-INF";
  // "." in every locale, so that what is written reads back everywhere (and
  // the chart's labels are the same pixels in every locale).
  char buffer[64];
  const locale_t previous = uselocale(ClassicLocale());
  std::snprintf(buffer, sizeof buffer, "%.15Lg", value);
  uselocale(previous);
  std::string text = buffer;
  // %Lg writes exponents as e+20; the toolkit writes E+20.
  for (char& c : text) {
    if (c == 'e') c = 'E';
  }
  return text;
}

}  // namespace lenti
