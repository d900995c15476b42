// Decimal numbers as people type them, kept exactly as whole multiples of
// 10^-decimals: the lens pitch to 1/10000 lpi, the phase to 1/10000 of a
// lens, sizes to 1/100 cm.
//
// Numbers are read without the locale: "." always separates the decimals and
// "," does too, so "60.12" and "60,12" are the same pitch everywhere.
#pragma once

#include <cstdint>
#include <string>

namespace lenti {

// A decimal number with at most `decimals` places kept, as value x 10^decimals
// (more places are rounded, ties to even). Blanks around it are allowed; a
// sign, digits, one "." or "," and more digits, nothing else. Returns false
// for anything else or a value beyond +-10^12.
bool ReadFixedPoint(const std::string& text, int decimals, int64_t& value);

// `text` without a trailing unit word ("720 dpi", "14.5cm", "40 lpi"),
// letter case ignored; `text` itself when it has none.
std::string WithoutUnit(const std::string& text, const std::string& unit);

// value / 10^decimals as the program writes a number: "21.25", "40", "-0.5".
std::string FixedPointText(int64_t value, int decimals);

}  // namespace lenti
