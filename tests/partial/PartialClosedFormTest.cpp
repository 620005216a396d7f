// Both scans evaluate their candidates in constant time; everything they find must be what
// the evaluation passing over the data for every candidate finds, to the last bit.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "partial/PartialScan.h"

namespace vornax {
namespace {

bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

TEST(PartialClosedForm, ScansFindAsThePass) {
  struct Shape {
    const char* name;
    double (*f)(double);
    double noise, offset;
  };
  const Shape shapes[] = {
      {"level then rising", [](double x) { return x < 40 ? 5.0 : 5 + 0.5 * (x - 40); }, 0.5, 0},
      {"rising then level", [](double x) { return x < 60 ? 2 + 0.5 * x : 32.0; }, 1.0, 0},
      {"exact", [](double x) { return x < 40 ? 5.0 : 5 + 0.5 * (x - 40); }, 0, 0},
      {"far from zero", [](double x) { return x < 50 ? 0.0 : 1e-3 * (x - 50); }, 1e-4, 1e8},
      {"falling", [](double x) { return x < 30 ? 9.0 : 9 - 0.2 * (x - 30); }, 0.3, 0},
  };
  unsigned seed = 5;
  for (const Shape& shape : shapes) {
    for (int n : {25, 150, 600}) {
      std::mt19937 rng(seed++);
      std::uniform_real_distribution<double> u(0, 100);
      std::normal_distribution<double> g(0, 1);
      std::vector<double> xs;
      for (int i = 0; i < n; ++i) xs.push_back(u(rng));
      std::sort(xs.begin(), xs.end());
      std::vector<long double> x, y;
      for (double v : xs) {
        x.push_back(v);
        y.push_back(shape.offset + shape.f(v) + shape.noise * g(rng));
      }
      PartialResult r[2];
      for (int k = 0; k < 2; ++k) {
        SegmentEngine e;
        e.ClosedFormSearch = k == 0;
        e.Attach(y.data(), x.data(), n);
        e.FindExtremes();
        r[k] = RunPartialScan(e, y.data(), x.data(), n);
      }
      const std::string label = std::string(shape.name) + " n=" + std::to_string(n);
      EXPECT_EQ(r[0].ResultType, r[1].ResultType) << label;
      EXPECT_EQ(r[0].Found3, r[1].Found3) << label;
      EXPECT_TRUE(SameBits(r[0].ThresholdBP3, r[1].ThresholdBP3)) << label;
      EXPECT_TRUE(SameBits(r[0].BestCE3, r[1].BestCE3)) << label;
      EXPECT_TRUE(SameBits(r[0].BestCE4, r[1].BestCE4)) << label;
      EXPECT_TRUE(SameBits(r[0].Breakpoint, r[1].Breakpoint)) << label;
      EXPECT_TRUE(SameBits(r[0].Final.CE, r[1].Final.CE)) << label;
      EXPECT_TRUE(SameBits(r[0].Final.SERC[1], r[1].Final.SERC[1])) << label;
      EXPECT_TRUE(SameBits(r[0].Final.SERC[2], r[1].Final.SERC[2])) << label;
      EXPECT_TRUE(SameBits(r[0].BP3Inner, r[1].BP3Inner)) << label;
      EXPECT_TRUE(SameBits(r[0].BP3Outer, r[1].BP3Outer)) << label;
      ASSERT_EQ(r[0].Scan3.size(), r[1].Scan3.size()) << label;
      for (size_t i = 0; i < r[0].Scan3.size(); ++i) {
        EXPECT_EQ(r[0].Scan3[i].Mark, r[1].Scan3[i].Mark) << label;
        EXPECT_TRUE(SameBits(r[0].Scan3[i].Slope3, r[1].Scan3[i].Slope3)) << label;
      }
    }
  }
}


// Every field of two results, bit for bit (long doubles by value and sign: their padding bytes
// carry nothing).
bool SameLong(long double a, long double b) {
  if (std::isnan(a) || std::isnan(b)) return std::isnan(a) && std::isnan(b);
  return a == b && std::signbit(a) == std::signbit(b);
}

void ExpectSameStats(const SegmentStats& a, const SegmentStats& b, const std::string& label) {
  const long double* pa[] = {&a.N,    &a.AvY,    &a.AvX,  &a.Syy,    &a.Sxx,    &a.Sxy,
                             &a.RC,   &a.CC,     &a.CCsq, &a.C,      &a.StDevY, &a.SSD,
                             &a.StDevYr, &a.StDevX, &a.StDevRC};
  const long double* pb[] = {&b.N,    &b.AvY,    &b.AvX,  &b.Syy,    &b.Sxx,    &b.Sxy,
                             &b.RC,   &b.CC,     &b.CCsq, &b.C,      &b.StDevY, &b.SSD,
                             &b.StDevYr, &b.StDevX, &b.StDevRC};
  for (size_t i = 0; i < std::size(pa); ++i) EXPECT_TRUE(SameLong(*pa[i], *pb[i])) << label << " #" << i;
}

template <size_t N>
void ExpectSameArray(const std::array<double, N>& a, const std::array<double, N>& b,
                     const std::string& label) {
  for (size_t i = 0; i < N; ++i) EXPECT_TRUE(SameBits(a[i], b[i])) << label << " [" << i << "]";
}

void ExpectSameFunction(const PartialFunction& a, const PartialFunction& b,
                        const std::string& label) {
  EXPECT_EQ(a.Built, b.Built) << label;
  EXPECT_EQ(a.Type, b.Type) << label;
  EXPECT_EQ(a.IncreaseVariant, b.IncreaseVariant) << label;
  for (size_t s = 0; s < 3; ++s) ExpectSameStats(a.Stats[s], b.Stats[s], label + " stats");
  ExpectSameArray(a.Slope, b.Slope, label + " slope");
  ExpectSameArray(a.AnchorX, b.AnchorX, label + " anchor x");
  ExpectSameArray(a.AnchorY, b.AnchorY, label + " anchor y");
  ExpectSameArray(a.SSDFinal, b.SSDFinal, label + " ssd");
  ExpectSameArray(a.SERC, b.SERC, label + " serc");
  const double va[] = {a.Threshold, a.CE,       a.SESlope,    a.SDYbp,
                       a.Fraction,  a.IncreaseYi, a.SEFraction, a.SEIncreaseYi};
  const double vb[] = {b.Threshold, b.CE,       b.SESlope,    b.SDYbp,
                       b.Fraction,  b.IncreaseYi, b.SEFraction, b.SEIncreaseYi};
  for (size_t i = 0; i < std::size(va); ++i) EXPECT_TRUE(SameBits(va[i], vb[i])) << label << " #" << i;
}

void ExpectSameLines(const std::vector<PartialScanLine>& a, const std::vector<PartialScanLine>& b,
                     const std::string& label) {
  ASSERT_EQ(a.size(), b.size()) << label;
  for (size_t i = 0; i < a.size(); ++i) {
    const std::string at = label + " line " + std::to_string(i);
    const PartialScanLine& p = a[i];
    const PartialScanLine& q = b[i];
    EXPECT_TRUE(SameBits(p.BP, q.BP)) << at;
    EXPECT_EQ(p.N1, q.N1) << at;
    EXPECT_TRUE(SameLong(p.AvY1, q.AvY1) && SameLong(p.AvX1, q.AvX1) && SameLong(p.AvY2, q.AvY2) &&
                SameLong(p.AvX2, q.AvX2) && SameLong(p.Slope1, q.Slope1) &&
                SameLong(p.Slope2, q.Slope2))
        << at;
    EXPECT_TRUE(SameBits(p.Slope3, q.Slope3)) << at;
    EXPECT_TRUE(SameBits(p.StDevSlope, q.StDevSlope)) << at;
    EXPECT_EQ(p.StDevKnown, q.StDevKnown) << at;
    EXPECT_EQ(p.Mark, q.Mark) << at;
  }
}

void ExpectSameResult(const PartialResult& a, const PartialResult& b, const std::string& label) {
  EXPECT_EQ(a.ResultType, b.ResultType) << label;
  EXPECT_EQ(a.Method, b.Method) << label;
  EXPECT_EQ(a.NoSlopeDeviation, b.NoSlopeDeviation) << label;
  EXPECT_EQ(a.Found3, b.Found3) << label;
  EXPECT_EQ(a.Found4, b.Found4) << label;
  EXPECT_EQ(a.BothHorizontal, b.BothHorizontal) << label;
  EXPECT_EQ(a.KeepScanTable, b.KeepScanTable) << label;
  const double va[] = {a.XMin,         a.XMax,         a.OverallSlope,   a.SRYsqT,
                       a.SSDSingle,    a.SingleIntercept, a.ThresholdBP3, a.ThresholdBP4,
                       a.BestCE3,      a.BestCE4,      a.BP3Inner,       a.BP3Outer,
                       a.BP4Low,       a.BP4High,      a.Breakpoint,     a.StErrBreakpoint,
                       a.As,           a.Ag,           a.Cs,             a.Cg};
  const double vb[] = {b.XMin,         b.XMax,         b.OverallSlope,   b.SRYsqT,
                       b.SSDSingle,    b.SingleIntercept, b.ThresholdBP3, b.ThresholdBP4,
                       b.BestCE3,      b.BestCE4,      b.BP3Inner,       b.BP3Outer,
                       b.BP4Low,       b.BP4High,      b.Breakpoint,     b.StErrBreakpoint,
                       b.As,           b.Ag,           b.Cs,             b.Cg};
  for (size_t i = 0; i < std::size(va); ++i) EXPECT_TRUE(SameBits(va[i], vb[i])) << label << " #" << i;
  ExpectSameStats(a.Single, b.Single, label + " single");
  ExpectSameArray(a.Grid, b.Grid, label + " grid");
  ExpectSameFunction(a.Final, b.Final, label + " final");
  ExpectSameFunction(a.Other, b.Other, label + " other");
  const ThreePieceFunction& p = a.ThreePiece;
  const ThreePieceFunction& q = b.ThreePiece;
  EXPECT_EQ(p.MiddleCount, q.MiddleCount) << label;
  const double ta[] = {p.ThresholdBP3, p.ThresholdBP4, p.Level3,      p.Level4,
                       p.MiddleSlope,  p.MiddleAvX,    p.MiddleAvY,   p.SSD, p.CentralCE};
  const double tb[] = {q.ThresholdBP3, q.ThresholdBP4, q.Level3,      q.Level4,
                       q.MiddleSlope,  q.MiddleAvX,    q.MiddleAvY,   q.SSD, q.CentralCE};
  for (size_t i = 0; i < std::size(ta); ++i) EXPECT_TRUE(SameBits(ta[i], tb[i])) << label << " three-piece #" << i;
  ExpectSameLines(a.Scan3, b.Scan3, label + " scan 3");
  ExpectSameLines(a.Scan4, b.Scan4, label + " scan 4");
}

// Both ways on the same data; the visits to the data of the closed form and of the pass.
struct BothWays {
  PartialResult fast, slow;
  long long fastVisits = 0, slowVisits = 0;
};

BothWays RunBothWays(const std::vector<long double>& y, const std::vector<long double>& x) {
  BothWays w;
  for (int k = 0; k < 2; ++k) {
    SegmentEngine e;
    e.ClosedFormSearch = k == 0;
    e.Attach(y.data(), x.data(), static_cast<int>(x.size()));
    e.FindExtremes();
    (k == 0 ? w.fast : w.slow) = RunPartialScan(e, y.data(), x.data(), static_cast<int>(x.size()));
    (k == 0 ? w.fastVisits : w.slowVisits) = e.ResidualVisits();
  }
  return w;
}

// Data for the level-top scan: X drawn (and perhaps rounded to few values), sorted, and Y from a
// shape plus noise.
struct TopShape {
  const char* name;
  double (*f)(double);
  double noise;
  double xFrom, xTo;  // range of X
  double xStep;       // > 0: X rounded to multiples of this (replicated X, few distinct X)
  double yOffset;
};

std::vector<long double> SortedX(const TopShape& s, int n, std::mt19937& rng) {
  std::uniform_real_distribution<double> u(s.xFrom, s.xTo);
  std::vector<double> xs;
  for (int i = 0; i < n; ++i) {
    double v = u(rng);
    if (s.xStep > 0) v = s.xFrom + s.xStep * std::round((v - s.xFrom) / s.xStep);
    xs.push_back(v);
  }
  std::sort(xs.begin(), xs.end());
  return {xs.begin(), xs.end()};
}

TEST(PartialClosedForm, LevelTopScanFindsAsThePassOnHardData) {
  const TopShape shapes[] = {
      {"rising then level", [](double x) { return x < 60 ? 2 + 0.5 * x : 32.0; }, 1.0, 0, 100, 0, 0},
      {"falling then level", [](double x) { return x < 45 ? 20 - 0.3 * x : 6.5; }, 0.4, 0, 100, 0, 0},
      // Exact fits: the level candidates all explain everything, a tie at every mark.
      {"exact top", [](double x) { return x < 70 ? 1 + 0.25 * x : 18.5; }, 0, 0, 100, 0, 0},
      {"exact falling top", [](double x) { return x < 30 ? 9 - 0.2 * x : 3.0; }, 0, 0, 100, 0, 0},
      // Level at both ends, and a top so faint that candidates nearly tie.
      {"level both ends",
       [](double x) { return x < 25 ? 4.0 : x < 75 ? 4 + 0.2 * (x - 25) : 14.0; }, 0.3, 0, 100, 0, 0},
      {"faint top", [](double x) { return x < 50 ? 1e-3 * x : 0.05; }, 1e-2, 0, 100, 0, 0},
      // Constant stretches: Y repeats a value exactly over long runs.
      {"constant stretches",
       [](double x) { return std::floor(x / 20) < 3 ? std::floor(x / 20) : 3.0; }, 0, 0, 100, 0, 0},
      // Far from zero in X and Y, negative X.
      {"far from zero", [](double x) { return x < 1e6 + 60 ? 1e-3 * (x - 1e6) : 0.06; }, 1e-4,
       1e6, 1e6 + 100, 0, 1e8},
      {"negative X", [](double x) { return x < -40 ? 3 + 0.1 * (x + 100) : 9.0; }, 0.2, -100, -10,
       0, 0},
      // Replicated X, and only a few distinct X.
      {"replicated X", [](double x) { return x < 60 ? 0.4 * x : 24.0; }, 0.8, 0, 100, 1, 0},
      {"few distinct X", [](double x) { return x < 3 ? 2.0 * x : 6.0; }, 0.5, 0, 6, 1, 0},
      {"two X exact", [](double x) { return 1 + x; }, 0, 0, 1, 1, 0},
  };
  unsigned seed = 41;
  for (const TopShape& shape : shapes) {
    for (int n : {12, 40, 300, 2000}) {
      std::mt19937 rng(seed++);
      std::normal_distribution<double> g(0, 1);
      const std::vector<long double> x = SortedX(shape, n, rng);
      std::vector<long double> y;
      for (long double v : x) {
        y.push_back(shape.yOffset + shape.f(static_cast<double>(v)) + shape.noise * g(rng));
      }
      if (!(x.back() - x.front() >= 0.001)) continue;
      const BothWays w = RunBothWays(y, x);
      ExpectSameResult(w.fast, w.slow, std::string(shape.name) + " n=" + std::to_string(n));
    }
  }
}

// Few data sets against 199 candidates: runs of candidates split the data alike and differ only
// in the constrained slope, so their coefficients nearly tie, the closer the smaller the noise.
// The earlier candidate keeps its place, and the coefficient reported is the pass's.
TEST(PartialClosedForm, LevelTopNearTiesDecideAsThePass) {
  for (int n : {30, 60, 500}) {
    for (double noise : {1e-12, 1e-9, 1e-6, 1e-3, 0.3}) {
      std::vector<long double> x, y;
      for (int i = 0; i < n; ++i) {
        const double v = 100.0 * i / (n - 1);
        x.push_back(v);
        const double wobble = noise * ((i * 7) % 5 - 2);
        y.push_back((v < 50 ? 3 + 0.2 * v : 13) + wobble);
      }
      const BothWays w = RunBothWays(y, x);
      char label[64];
      std::snprintf(label, sizeof label, "n=%d noise=%g", n, noise);
      EXPECT_EQ(w.slow.ResultType, kType4) << label;
      ExpectSameResult(w.fast, w.slow, label);
    }
  }
}

// Every candidate of the level-top scan on the hard shapes: the pass's coefficient lies within
// the closed form's interval, and is what the candidate gives when made exact. On these data the
// closed form misses the pass's coefficient for a good share of the candidates, so an interval
// narrowed to nothing fails here.
TEST(PartialClosedForm, LevelTopCandidatesHoldThePassWithinTheirInterval) {
  const TopShape shapes[] = {
      {"rising then level", [](double x) { return x < 60 ? 0.1 * x : 6.0; }, 1e-5, 0, 100, 0, 0},
      {"far from zero", [](double x) { return x < 1e6 + 40 ? 0.1 * (x - 1e6) : 4.0; }, 1e-5,
       1e6, 1e6 + 100, 0, 1e8},
      {"negative X", [](double x) { return x < -460 ? 0.1 * (x + 500) : 4.0; }, 1e-5, -500, -400,
       0, 0},
      {"replicated X", [](double x) { return x < 50 ? 0.1 * x : 5.0; }, 1e-8, 0, 100, 10, 0},
  };
  int missed = 0, total = 0;
  unsigned seed = 2990;
  for (const TopShape& shape : shapes) {
    for (int n : {150, 3000}) {
      std::mt19937 rng(seed++);
      std::normal_distribution<double> g(0, 1);
      const std::vector<long double> x = SortedX(shape, n, rng);
      std::vector<long double> y;
      for (long double v : x) {
        y.push_back(shape.yOffset + shape.f(static_cast<double>(v)) + shape.noise * g(rng));
      }
      SegmentEngine e;
      e.Attach(y.data(), x.data(), n);
      e.FindExtremes();
      EvaluatePartialBreakpoint(e, e.Xmin, kTypeSingle, 2);
      for (int j = 1; j + 1 < kPartialGridSize; ++j) {
        const double bp = e.Xmin + j * ((e.Xmax - e.Xmin) / kPartialGridSize);
        const double pass = EvaluatePartialBreakpoint(e, bp, kType4, 2);
        SegmentEngine::CandidateCE c;
        e.ClosedFormCandidate(c);
        const std::string label = std::string(shape.name) + " n=" + std::to_string(n) +
                                  " candidate " + std::to_string(j);
        EXPECT_LE(c.Lo, pass) << label;
        EXPECT_GE(c.Hi, pass) << label;
        ++total;
        if (!SameBits(c.Value, pass)) ++missed;
        EXPECT_TRUE(SameBits(e.ExactValue(c), pass)) << label;
      }
    }
  }
  EXPECT_GT(missed, total / 100);
}

// The level-top scan no longer passes over the data for each of its candidates.
TEST(PartialClosedForm, LevelTopScanVisitsTheDataOnlyAFewTimes) {
  const int n = 4000;
  std::mt19937 rng(7);
  const TopShape shape{"plateau", [](double x) { return x < 80 ? 2 + 0.06 * (x - 20) : 5.6; },
                       0.2, 20, 160, 0, 0};
  std::normal_distribution<double> g(0, 1);
  const std::vector<long double> x = SortedX(shape, n, rng);
  std::vector<long double> y;
  for (long double v : x) y.push_back(shape.f(static_cast<double>(v)) + shape.noise * g(rng));
  const BothWays w = RunBothWays(y, x);
  ASSERT_EQ(w.slow.ResultType, kType4);
  ExpectSameResult(w.fast, w.slow, "plateau");
  EXPECT_GE(w.slowVisits, 300LL * n);
  EXPECT_LE(w.fastVisits, 20LL * n);
}

}  // namespace
}  // namespace vornax
