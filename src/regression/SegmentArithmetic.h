// Small pieces of arithmetic that the engine's evaluation and its closed form share.
#pragma once

#include <cmath>

namespace vornax::segment {

// Square root of a value that only rounding can push below zero.
inline long double SafeSqrt(long double v) { return v > 0 ? std::sqrt(v) : 0.0L; }

// The coefficient of explanation of two residual sums (0 when Y does not vary).
inline double ExplainedShare(double ssd1, double ssd2, long double sryt) {
  if (!(sryt > 0)) return 0;
  const long double ssd = static_cast<long double>(ssd1) + ssd2;
  return static_cast<double>(1 - ssd / sryt);
}

}  // namespace vornax::segment
