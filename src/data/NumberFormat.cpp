// Report number formatting with half-away-from-zero rounding on the exact value.
#include "data/NumberFormat.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <charconv>
#include <string>
#include <vector>

namespace vornax {
namespace {

// Extra digits printed beyond the wanted ones: a long double carries about 20 significant
// decimal digits, so 24 more always reveal whether the cut-off part is below, at or above half.
constexpr int kGuardDigits = 24;

// Decimal digits of |value| as printed by snprintf, with the decimal point (whatever the locale
// calls it) removed. For the 'e' conversion `exponent` receives the decimal exponent.
std::string PrintDigits(long double magnitude, char conversion, int precision, int* exponent) {
  const char fmt[] = {'%', '.', '*', 'L', conversion, '\0'};
  char small[160];
  std::vector<char> large;
  const char* p = small;
  // Most report numbers are doubles. Their exact decimal digits, rounded at the same place the
  // same way (to nearest, ties to even), come far quicker from to_chars than from the extended
  // printf, which works them out in multiple precision.
  const double asDouble = static_cast<double>(magnitude);
  bool printed = false;
  if (static_cast<long double>(asDouble) == magnitude) {
    const auto format = conversion == 'e' ? std::chars_format::scientific : std::chars_format::fixed;
    const auto [end, ec] = std::to_chars(small, small + sizeof small - 1, asDouble, format, precision);
    if (ec == std::errc()) {
      *end = '\0';
      printed = true;
    }
  }
  if (!printed) {
    int len = std::snprintf(small, sizeof small, fmt, precision, magnitude);
    if (len < 0) return {};
    if (static_cast<size_t>(len) >= sizeof small) {
      large.resize(static_cast<size_t>(len) + 1);
      std::snprintf(large.data(), large.size(), fmt, precision, magnitude);
      p = large.data();
    }
  }
  std::string digits;
  for (; *p != '\0' && *p != 'e' && *p != 'E'; ++p) {
    if (*p >= '0' && *p <= '9') digits.push_back(*p);
  }
  if (exponent != nullptr) *exponent = (*p == '\0') ? 0 : std::atoi(p + 1);
  return digits;
}

// A bound on the digits the exact decimal expansion of `magnitude` needs: a 64-bit mantissa
// times 2^k has at most 64 + |k| significant digits, and 2^-k at most k fractional ones.
int ExactDigits(long double magnitude) {
  int binaryExponent = 0;
  std::frexp(magnitude, &binaryExponent);
  return 70 + (binaryExponent < 0 ? -binaryExponent : binaryExponent);
}

// True when the part of the value beyond the kept digits is at least one half of the last kept
// digit. `digits` holds the kept digits followed by kGuardDigits guard digits; when the guard
// digits read exactly 5000..., the value is printed once more exactly to tell a true tie (which
// rounds up, away from zero) from a value just below it.
bool RoundsUp(const std::string& digits, size_t kept, long double magnitude, char conversion,
              int keptPrecision) {
  const char first = digits[kept];
  if (first < '5') return false;
  if (first > '5') return true;
  for (size_t i = kept + 1; i < digits.size(); ++i) {
    if (digits[i] != '0') return true;
  }
  // Possible tie: look at the exact expansion.
  std::string exact =
      PrintDigits(magnitude, conversion, keptPrecision + ExactDigits(magnitude), nullptr);
  // The exact expansion has the same kept digits; half or more rounds away from zero.
  return exact.size() > kept && exact[kept] >= '5';
}

// Adds one to the decimal string; returns true when it overflowed ("99" -> "100").
bool Increment(std::string& digits) {
  for (size_t i = digits.size(); i-- > 0;) {
    if (digits[i] == '9') {
      digits[i] = '0';
    } else {
      ++digits[i];
      return false;
    }
  }
  digits.insert(digits.begin(), '1');
  return true;
}

std::string NonFinite(long double value, int width) {
  std::string text = std::isnan(value) ? "NaN" : (value < 0 ? "-Inf" : "Inf");
  return PadLeft(text, width);
}

}  // namespace

std::string PadLeft(const std::string& text, int width) {
  if (width <= 0 || static_cast<int>(text.size()) >= width) return text;
  return std::string(static_cast<size_t>(width) - text.size(), ' ') + text;
}

std::string FormatExp(long double value, int width, int precision) {
  if (!std::isfinite(value)) return NonFinite(value, width);
  if (precision < 1) precision = 1;
  const bool negative = value < 0;
  const long double magnitude = std::fabs(value);
  std::string mantissa;
  int exponent = 0;
  if (magnitude == 0) {
    mantissa.assign(static_cast<size_t>(precision), '0');
  } else {
    std::string digits = PrintDigits(magnitude, 'e', precision - 1 + kGuardDigits, &exponent);
    mantissa = digits.substr(0, static_cast<size_t>(precision));
    if (RoundsUp(digits, static_cast<size_t>(precision), magnitude, 'e', precision - 1)) {
      if (Increment(mantissa)) {
        mantissa.pop_back();
        ++exponent;
      }
    }
  }
  std::string text;
  if (negative && magnitude != 0) text.push_back('-');
  text.push_back(mantissa[0]);
  if (precision > 1) {
    text.push_back('.');
    text.append(mantissa, 1, std::string::npos);
  }
  text.push_back('E');
  text.push_back(exponent < 0 ? '-' : '+');
  std::string expDigits = std::to_string(exponent < 0 ? -exponent : exponent);
  if (expDigits.size() < 3) expDigits.insert(0, 3 - expDigits.size(), '0');
  text += expDigits;
  return PadLeft(text, width);
}

std::string FormatFixed(long double value, int width, int decimals) {
  if (!std::isfinite(value)) return NonFinite(value, width);
  if (decimals < 0) decimals = 0;
  const long double magnitude = std::fabs(value);
  // Digits of the integer part followed by decimals + guard fractional digits.
  std::string digits = PrintDigits(magnitude, 'f', decimals + kGuardDigits, nullptr);
  const size_t kept = digits.size() - static_cast<size_t>(kGuardDigits);
  std::string number = digits.substr(0, kept);
  if (RoundsUp(digits, kept, magnitude, 'f', decimals)) Increment(number);
  // number now holds the integer digits and `decimals` fractional digits.
  const size_t fraction = static_cast<size_t>(decimals);
  std::string intPart = number.substr(0, number.size() - fraction);
  std::string fracPart = number.substr(number.size() - fraction);
  size_t firstNonZero = intPart.find_first_not_of('0');
  intPart = firstNonZero == std::string::npos ? "0" : intPart.substr(firstNonZero);
  const bool isZero = intPart == "0" && fracPart.find_first_not_of('0') == std::string::npos;
  std::string text;
  if (value < 0 && !isZero) text.push_back('-');
  text += intPart;
  if (decimals > 0) {
    text.push_back('.');
    text += fracPart;
  }
  return PadLeft(text, width);
}

std::string FormatInt(long long value, int width) {
  return PadLeft(std::to_string(value), width);
}

std::string FormatRealLossless(double value, int width, int minDecimals) {
  if (!std::isfinite(value)) return NonFinite(value, width);
  // The shortest fixed-point text that reads back as the same double, then padded with zeros
  // to the decimals the file layout asks for.
  char buffer[400];
  auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
  if (ec != std::errc()) return PadLeft(FormatExp(value, 0, 17), width);
  std::string text(buffer, end);
  if (text == "-0") text = "0";
  const size_t point = text.find('.');
  const int decimals = point == std::string::npos ? 0 : static_cast<int>(text.size() - point - 1);
  if (point == std::string::npos && minDecimals > 0) text += '.';
  if (decimals < minDecimals) text.append(static_cast<size_t>(minDecimals - decimals), '0');
  return PadLeft(text, width);
}

}  // namespace vornax
