// The generator of every shuffle the program makes (the break test, the choice of the number of
// breakpoints, the tests' noise).
#pragma once

#include <cstdint>

namespace vornax {

// SplitMix64: a small generator whose output is fixed by its definition, so that a seed gives the
// same shuffles with every compiler and library (the standard distributions and std::shuffle
// are free to differ between implementations).
class SplitMix64 {
 public:
  explicit SplitMix64(uint64_t seed) : state_(seed) {}
  uint64_t Next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
  }
  // Uniform in [0, bound) without the bias of a plain remainder.
  uint64_t Below(uint64_t bound) {
    uint64_t v = Next();
    // The largest multiple of bound lies above UINT64_MAX - bound, so draws up to there are
    // kept without working it out (a division that costs as much as the remainder itself).
    if (v > UINT64_MAX - bound) {
      const uint64_t limit = UINT64_MAX - UINT64_MAX % bound;
      while (v >= limit) v = Next();
    }
    return v % bound;
  }
  // Uniform in (0, 1).
  double Unit() { return (static_cast<double>(Next() >> 11) + 0.5) / 9007199254740992.0; }

 private:
  uint64_t state_;
};

}  // namespace vornax
