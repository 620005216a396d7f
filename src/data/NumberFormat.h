// The one place where report numbers are turned into text.
//
// Every number in a report, a variance file or an input file goes through these functions, so the
// columns of a report never depend on the C library's rounding or on the user's locale. Rounding
// is half away from zero on the exact binary value: 0.125 to two decimals is 0.13, while 0.145
// (stored just below) stays 0.14.
#pragma once

#include <string>

namespace vornax {

// The report exponent format "%W.Pe": P significant digits (one before the point, P-1 after),
// then 'E', the exponent's sign and at least three exponent digits, right-aligned in W.
// FormatExp(1234.5, 12, 3) == "   1.23E+003"; FormatExp(0, 13, 3) == "    0.00E+000".
std::string FormatExp(long double value, int width, int precision);

// Fixed point with `decimals` decimals, right-aligned in `width` (wider values widen the field).
// A value that rounds to zero is written without a minus sign.
std::string FormatFixed(long double value, int width, int decimals);

// An integer right-aligned in `width` characters; width 0 writes just the digits.
std::string FormatInt(long long value, int width = 0);

// Fixed point with at least `minDecimals` decimals and more only when needed to read the value
// back as the same 64-bit number (the shortest such text), right-aligned in `width`.
// This keeps data files lossless: 4.5 -> "4.50", 0.125 -> "0.125", 1e-7 -> "0.0000001".
std::string FormatRealLossless(double value, int width, int minDecimals = 2);

// Right-aligns text in a field of `width` characters (longer text is kept whole).
std::string PadLeft(const std::string& text, int width);

}  // namespace vornax
