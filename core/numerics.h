// Numerics shared by every formula of the program.
//
// All geometry is written for 80-bit x87 extended precision: `Extended` is
// that type, `Round` rounds to nearest with ties to even, `Trunc` toward zero.
// `Divide` is the one division that may meet a zero divisor; it raises the
// floating-point errors instead of relying on FPU traps.
#pragma once

#include <cstdint>
#include <limits>
#include <string>

namespace lenti {

using Extended = long double;
static_assert(std::numeric_limits<Extended>::digits == 64,
              "the formulas are written for the 80-bit extended type");

// Nearest integer, ties to even (2.5 -> 2, 3.5 -> 4). Raises
// "Invalid floating point operation" for NaN or a value beyond int64.
int64_t Round(Extended value);
// Toward zero. Same failures as Round.
int64_t Trunc(Extended value);

// a / b, raising "Floating point division by zero" for x / 0 (x != 0) and
// "Invalid floating point operation" for 0 / 0.
Extended Divide(Extended a, Extended b);

// Leading blanks skipped, optional sign, decimal digits or hexadecimal after
// "$", "x", "X" or "0x". Anything else, the empty text included, raises
// "'%s' is not a valid integer value". The value must fit 32 bits.
int32_t StrToInt(const std::string& text);
// A decimal number with "." as separator, or the current locale's decimal
// separator ("39,5" under de_DE), optional exponent, surrounding blanks
// allowed. Failure raises "'%s' is not a valid floating point value".
Extended StrToFloat(const std::string& text);
// General format: up to 15 significant digits, no trailing zeros
// (40, 39.5296, 21.25); exponent notation only for very large or small
// values. Always "." as separator, whatever the locale (StrToFloat reads it
// back in every locale).
std::string FloatToStr(Extended value);

}  // namespace lenti
