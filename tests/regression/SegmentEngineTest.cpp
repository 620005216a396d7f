// The segment engine: segment statistics, final lines, the error routine and the evaluation of
// one breakpoint with the acceptance tests. Expected numbers were worked out by hand or with an
// independent short calculation, never taken from the engine.
#include "regression/SegmentEngine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>
#include <vector>

namespace vornax {
namespace {

// A deterministic spread in [-0.5, 0.5] in steps of 0.01, the same in the hand calculations.
double Noise(int i) { return ((i * 7919) % 101) / 100.0 - 0.5; }

// Owns the arrays an engine is attached to.
struct Data {
  std::vector<long double> x, y;
  SegmentEngine engine;

  void Add(long double xv, long double yv) {
    x.push_back(xv);
    y.push_back(yv);
  }
  SegmentEngine& Attach(double confidenceT = 1.75) {
    engine.Attach(y.data(), x.data(), static_cast<int>(x.size()));
    engine.ConfidenceT = confidenceT;
    engine.FindExtremes();
    return engine;
  }
  // Evaluates the single line, which sets the totals every other evaluation divides by.
  double SingleLine() {
    double bp = engine.Xmin, ce = 0;
    int code = kTypeSingle;
    engine.EvaluateBreakpoint(bp, ce, code, 1);
    return ce;
  }
};

// ---- segment statistics ----

TEST(SegmentStats, ExactLineAtXminIsTheSingleLine) {
  Data d;
  for (int i = 1; i <= 10; ++i) d.Add(i, 2 * i + 1);
  SegmentEngine& e = d.Attach();
  EXPECT_EQ(e.Xmin, 1);
  EXPECT_EQ(e.Xmax, 10);
  const double ce = d.SingleLine();

  // BP = Xmin: segment 1 is empty, segment 2 holds everything.
  EXPECT_EQ(e.Stats[1].N, 0);
  EXPECT_EQ(e.Sums[1].SumY, 0);
  const SegmentStats& s = e.Stats[2];
  EXPECT_EQ(s.N, 10);
  EXPECT_DOUBLE_EQ(static_cast<double>(s.AvX), 5.5);
  EXPECT_DOUBLE_EQ(static_cast<double>(s.AvY), 12);
  EXPECT_DOUBLE_EQ(static_cast<double>(s.Sxx), 82.5);
  EXPECT_DOUBLE_EQ(static_cast<double>(s.Syy), 330);
  EXPECT_DOUBLE_EQ(static_cast<double>(s.RC), 2);
  EXPECT_DOUBLE_EQ(static_cast<double>(s.C), 1);
  EXPECT_DOUBLE_EQ(static_cast<double>(s.CCsq), 1);
  EXPECT_NEAR(static_cast<double>(s.StDevX), 3.0276503540974917, 1e-14);
  EXPECT_DOUBLE_EQ(ce, 1);
  EXPECT_DOUBLE_EQ(static_cast<double>(e.SRYsqT), 330);
  EXPECT_DOUBLE_EQ(static_cast<double>(e.TotalSxx), 82.5);
  EXPECT_DOUBLE_EQ(e.AnchorY[2], 12);  // through the central point
}

TEST(SegmentStats, NoisySegmentByHand) {
  // x 1..5, y 2 4 5 4 5: Sxx 10, Syy 6, Sxy 6, RC 0.6, C 2.2, CCsq 0.6, SSD 2.4.
  Data d;
  const int ys[] = {2, 4, 5, 4, 5};
  for (int i = 0; i < 5; ++i) d.Add(i + 1, ys[i]);
  SegmentEngine& e = d.Attach();
  const double ce = d.SingleLine();
  const SegmentStats& s = e.Stats[2];
  EXPECT_NEAR(static_cast<double>(s.Sxy), 6, 1e-15);
  EXPECT_NEAR(static_cast<double>(s.RC), 0.6, 1e-15);
  EXPECT_NEAR(static_cast<double>(s.C), 2.2, 1e-15);
  EXPECT_NEAR(static_cast<double>(s.CC), 0.7745966692414834, 1e-15);
  EXPECT_NEAR(static_cast<double>(s.CCsq), 0.6, 1e-15);
  EXPECT_NEAR(static_cast<double>(s.SSD), 2.4, 1e-14);
  EXPECT_NEAR(static_cast<double>(s.StDevY), 1.224744871391589, 1e-15);
  EXPECT_NEAR(static_cast<double>(s.StDevYr), 0.7745966692414834, 1e-15);
  EXPECT_NEAR(static_cast<double>(s.StDevX), 1.5811388300841898, 1e-15);
  EXPECT_NEAR(static_cast<double>(s.StDevRC), 0.282842712474619, 1e-15);
  // The single line explains as much as its squared correlation.
  EXPECT_NEAR(ce, 0.6, 1e-15);
  EXPECT_NEAR(e.SSDFinal[2], 2.4, 1e-14);
  e.ComputeFinalSSD(e.Xmin);  // a second pass replaces the residual sums, it does not add
  EXPECT_NEAR(e.SSDFinal[2], 2.4, 1e-14);
}

TEST(SegmentStats, OneOrTwoDataSetsGiveZeroStatistics) {
  Data d;
  d.Add(1, 7);
  d.Add(2, 9);
  for (int i = 3; i <= 8; ++i) d.Add(i, i * i);
  SegmentEngine& e = d.Attach();
  for (double bp : {2.0, 3.0}) {  // one, then two data sets left of BP
    e.AccumulateSegments(bp);
    e.ComputeSegmentStats();
    const SegmentStats& s = e.Stats[1];
    EXPECT_EQ(s.N, bp - 1);  // the count stays, nothing else
    EXPECT_EQ(s.AvY, 0);
    EXPECT_EQ(s.AvX, 0);
    EXPECT_EQ(s.Syy, 0);
    EXPECT_EQ(s.Sxx, 0);
    EXPECT_EQ(s.RC, 0);
    EXPECT_EQ(s.C, 0);
    EXPECT_EQ(s.StDevY, 0);
    EXPECT_EQ(s.StDevRC, 0);
    EXPECT_GT(e.Stats[2].RC, 0);
  }
  // The sums themselves are there: 7 and 9.
  EXPECT_EQ(e.Sums[1].SumY, 16);
  EXPECT_EQ(e.Sums[1].SumYY, 130);
}

TEST(SegmentStats, EqualXGiveNoSlope) {
  // Segment 2 is x = 5, 5, 5 with y = 1, 2, 4: Syy = 14/3, but nothing to regress on.
  Data d;
  d.Add(1, 0);
  d.Add(2, 0);
  d.Add(3, 0);
  d.Add(5, 1);
  d.Add(5, 2);
  d.Add(5, 4);
  SegmentEngine& e = d.Attach();
  e.AccumulateSegments(5);
  e.ComputeSegmentStats();
  const SegmentStats& s = e.Stats[2];
  EXPECT_EQ(s.Sxx, 0);
  EXPECT_EQ(s.RC, 0);
  EXPECT_EQ(s.CC, 0);
  EXPECT_EQ(s.StDevRC, 0);
  EXPECT_NEAR(static_cast<double>(s.Syy), 4.666666666666667, 1e-15);
  EXPECT_NEAR(static_cast<double>(s.StDevY), 1.5275252316519465, 1e-15);
  EXPECT_NEAR(static_cast<double>(s.C), 2.3333333333333335, 1e-15);
}

TEST(SegmentStats, SortedAndUnsortedDataAgree) {
  Data sorted, shuffled;
  for (int i = 0; i < 60; ++i) sorted.Add(i * 0.5, 3 + 0.2 * i + Noise(i));
  std::vector<int> order(60);
  for (int i = 0; i < 60; ++i) order[i] = (i * 37) % 60;  // 37 is prime to 60: a permutation
  for (int i : order) shuffled.Add(sorted.x[i], sorted.y[i]);
  SegmentEngine& a = sorted.Attach();
  SegmentEngine& b = shuffled.Attach();
  EXPECT_EQ(a.Xmin, b.Xmin);
  EXPECT_EQ(a.Xmax, b.Xmax);
  sorted.SingleLine();
  shuffled.SingleLine();
  for (double bp : {0.0, 7.5, 7.7, 20.0, 29.5}) {
    for (int code : {3, 4, 5, 20, 60}) {
      a.Restore({0.05, 0.05, 1});
      b.Restore({0.05, 0.05, 1});
      double bpa = bp, bpb = bp, cea = 0, ceb = 0;
      int codea = code, codeb = code;
      a.EvaluateBreakpoint(bpa, cea, codea, 2);
      b.EvaluateBreakpoint(bpb, ceb, codeb, 2);
      EXPECT_EQ(a.Sums[1].N, b.Sums[1].N);
      EXPECT_NEAR(static_cast<double>(a.Sums[2].SumXY), static_cast<double>(b.Sums[2].SumXY),
                  1e-10);
      EXPECT_NEAR(cea, ceb, 1e-13) << bp << " " << code;
      EXPECT_NEAR(a.SSDFinal[1], b.SSDFinal[1], 1e-11);
      EXPECT_NEAR(a.SEBP, b.SEBP, 1e-10);
      EXPECT_EQ(codea, codeb);
    }
  }
}

TEST(SegmentStats, SortedSumsEqualADirectLoopAtEverySplit) {
  // Splits on and around the engine's stored positions: segment 1 must equal an upward loop
  // over it and segment 2 a downward one, to the last bit. X = k itself belongs to segment 2.
  Data d;
  for (int i = 0; i < 150; ++i) d.Add(i, std::sin(i * 0.7L) * 1e3L + i / 7.0L);
  SegmentEngine& e = d.Attach();
  for (int k : {0, 1, 2, 63, 64, 65, 127, 128, 129, 148, 149, 150}) {
    e.AccumulateSegments(k < 150 ? k : 1000);
    long double y1 = 0, yy1 = 0, xy1 = 0, y2 = 0, yy2 = 0, xx2 = 0;
    for (int i = 0; i < k; ++i) {
      y1 += d.y[i];
      yy1 += d.y[i] * d.y[i];
      xy1 += d.x[i] * d.y[i];
    }
    for (int i = 149; i >= k; --i) {
      y2 += d.y[i];
      yy2 += d.y[i] * d.y[i];
      xx2 += d.x[i] * d.x[i];
    }
    EXPECT_EQ(e.Sums[1].N, k);
    EXPECT_EQ(e.Sums[1].SumY, y1) << k;
    EXPECT_EQ(e.Sums[1].SumYY, yy1) << k;
    EXPECT_EQ(e.Sums[1].SumXY, xy1) << k;
    EXPECT_EQ(e.Sums[2].N, 150 - k);
    EXPECT_EQ(e.Sums[2].SumY, y2) << k;
    EXPECT_EQ(e.Sums[2].SumYY, yy2) << k;
    EXPECT_EQ(e.Sums[2].SumXX, xx2) << k;
  }
}

TEST(SegmentStats, SegmentTwoIsNotATotalMinusSegmentOne) {
  // Huge values before the breakpoint must not drown the small segment after it: taking total
  // minus prefix would leave nothing of 1, 2, 4.
  Data d;
  for (int i = 0; i < 5; ++i) d.Add(i, 1e12 + i * 1e11);
  d.Add(10, 1);
  d.Add(11, 2);
  d.Add(12, 4);
  SegmentEngine& e = d.Attach();
  e.AccumulateSegments(10);
  e.ComputeSegmentStats();
  EXPECT_EQ(e.Sums[2].SumYY, 21);
  EXPECT_EQ(e.Sums[2].SumXY, 80);
  EXPECT_NEAR(static_cast<double>(e.Stats[2].Syy), 4.666666666666667, 1e-15);
  EXPECT_NEAR(static_cast<double>(e.Stats[2].RC), 1.5, 1e-15);
}

TEST(SegmentStats, ConstantYExplainsNothing) {
  Data d;
  for (int i = 0; i < 8; ++i) d.Add(i, 3);
  d.Attach();
  EXPECT_EQ(d.SingleLine(), 0);  // not 0/0
}

TEST(SegmentStats, ConstantYThatDoesNotSumExactlyGivesExactZeros) {
  // 7.1 has no exact binary form, so SumYY - N*AvY^2 of twenty of them is rounding noise, which
  // made the single line "explain" everything (CE 1) and gave constant data a slope.
  Data d;
  const double xs[] = {1.5, 2.5, 4.0, 7.25};
  for (int i = 0; i < 20; ++i) d.Add(xs[i % 4], 7.1);
  d.Attach();
  EXPECT_EQ(d.SingleLine(), 0);
  const SegmentStats& s = d.engine.Stats[2];
  EXPECT_EQ(s.Syy, 0);
  EXPECT_EQ(s.Sxy, 0);
  EXPECT_EQ(s.RC, 0);
  EXPECT_EQ(s.StDevY, 0);
  EXPECT_EQ(s.AvY, static_cast<long double>(7.1));  // the data hold the double 7.1
  EXPECT_EQ(d.engine.SRYsqT, 0);

  // A level segment beside a sloping one: its own statistics are exactly level too.
  Data m;
  for (int i = 0; i < 30; ++i) m.Add(0.1 * i, i < 15 ? 0.3 * i : 4.3);
  SegmentEngine& e = m.Attach();
  e.AccumulateSegments(1.45);
  e.ComputeSegmentStats();
  EXPECT_EQ(e.Stats[2].N, 15);
  EXPECT_EQ(e.Stats[2].Syy, 0);
  EXPECT_EQ(e.Stats[2].RC, 0);
  EXPECT_EQ(e.Stats[2].AvY, static_cast<long double>(4.3));
  EXPECT_GT(e.Stats[1].RC, 2.9);
}

TEST(SegmentStats, AnOffsetFarAboveTheSpreadKeepsTheDigits) {
  // x 1..8, y 2 4 5 4 5 7 8 9: Sxx 42, Syy 38, Sxy 38, RC 38/42, CCsq 38/42 (by hand).
  // Shifted by 1e12 in Y and 1e7 in X the sums of squares about the averages are the same,
  // while SumYY alone is 8e24, whose rounding (2^16 a term) is far larger than 38.
  const int v[] = {2, 4, 5, 4, 5, 7, 8, 9};
  for (const auto& [dy, dx] : {std::pair{0.0, 0.0}, std::pair{1e12, 1e7}}) {
    Data d;
    for (int i = 0; i < 8; ++i) d.Add(dx + i + 1, dy + v[i]);
    d.Attach();
    const double ce = d.SingleLine();
    const SegmentStats& s = d.engine.Stats[2];
    EXPECT_NEAR(static_cast<double>(s.Syy), 38, 1e-12) << dy;
    EXPECT_NEAR(static_cast<double>(s.Sxx), 42, 1e-12) << dy;
    EXPECT_NEAR(static_cast<double>(s.Sxy), 38, 1e-12) << dy;
    EXPECT_NEAR(static_cast<double>(s.RC), 38.0 / 42, 1e-15) << dy;
    EXPECT_NEAR(static_cast<double>(s.AvY - dy), 5.5, 1e-12) << dy;
    EXPECT_NEAR(ce, 38.0 / 42, 1e-12) << dy;
  }
}

TEST(SegmentStats, ResidualsOfDataFarFromZeroKeepTheirDigits) {
  // Y about -1e7 with a spread of 1e-3: a residual formed as y - (line + level) rounds at the
  // size of the level (1e-12 here) before the subtraction, a thousandth of a percent of each
  // residual. Expected: the exact fractions of these doubles about the double lines, worked
  // out independently (exact squared correlation 0.904761904758644).
  Data d;
  const double ys[] = {-10000000.0198, -10000000.0196, -10000000.0195, -10000000.0196,
                       -10000000.0195, -10000000.019299999, -10000000.019199999, -10000000.0191};
  for (int i = 0; i < 8; ++i) d.Add(i + 1, ys[i]);
  d.Attach();
  EXPECT_NEAR(d.SingleLine(), 0.9047619047575027, 1e-12);
}

TEST(SegmentStats, StDevDiffYavAndMinimumCount) {
  // Segment 1: y 2 4 5 4 5 (StDevY^2 = 1.5); segment 2: y 10 12 11 13 14 (StDevY^2 = 2.5).
  Data d;
  const int y1[] = {2, 4, 5, 4, 5}, y2[] = {10, 12, 11, 13, 14};
  for (int i = 0; i < 5; ++i) d.Add(i + 1, y1[i]);
  for (int i = 0; i < 5; ++i) d.Add(i + 6, y2[i]);
  SegmentEngine& e = d.Attach();
  e.AccumulateSegments(6);
  e.ComputeSegmentStats();
  EXPECT_NEAR(e.StDevDiffYav(), 0.8944271909999159, 1e-15);
  EXPECT_EQ(e.MinSegmentCount(), 5);  // 0.1 * 10 is raised to 5
  e.AccumulateSegments(1);
  e.ComputeSegmentStats();
  EXPECT_EQ(e.StDevDiffYav(), 0);  // an empty segment

  Data big;
  for (int i = 0; i < 200; ++i) big.Add(i, i);
  SegmentEngine& b = big.Attach();
  b.AccumulateSegments(100);
  b.ComputeSegmentStats();
  EXPECT_EQ(b.MinSegmentCount(), 20);
}

TEST(SegmentStats, ExtremesBeyondAMillion) {
  Data high;
  for (double v : {3.5e6, 2e6, 5e6, 4e6}) high.Add(v, 1);
  SegmentEngine& h = high.Attach();
  EXPECT_EQ(h.Xmin, 2e6);
  EXPECT_EQ(h.Xmax, 5e6);

  Data low;
  for (double v : {-3e6, -2.5e6, -7e6}) low.Add(v, 1);
  SegmentEngine& l = low.Attach();
  EXPECT_EQ(l.Xmin, -7e6);
  EXPECT_EQ(l.Xmax, -2.5e6);
}

TEST(SegmentStats, XminOfAnExtendedValueLeavesSegmentOneEmpty) {
  // 0.1L has no exact double; BP = Xmin must still put every data set in segment 2.
  Data d;
  for (int i = 0; i < 6; ++i) d.Add(0.1L + i / 3.0L, i);
  SegmentEngine& e = d.Attach();
  EXPECT_LE(static_cast<long double>(e.Xmin), 0.1L);
  EXPECT_GE(static_cast<long double>(e.Xmax), 0.1L + 5 / 3.0L);
  d.SingleLine();
  EXPECT_EQ(e.Sums[1].N, 0);
  EXPECT_EQ(e.Sums[2].N, 6);
}

// ---- the error routine ----

// Segment statistics and final lines set by hand, as the report would find them.
void SetTwoSegments(SegmentEngine& e) {
  e.Stats[1].N = 10;
  e.Stats[1].Syy = 20;
  e.Stats[1].Sxx = 30;
  e.Stats[1].AvX = 2;
  e.Stats[1].AvY = 3;
  e.Stats[2].N = 12;
  e.Stats[2].Syy = 40;
  e.Stats[2].Sxx = 50;
  e.Stats[2].AvX = 8;
  e.Stats[2].AvY = 9;
  e.SSDFinal[1] = 4;
  e.SSDFinal[2] = 6;
  e.TotalSxx = 200;
}

TEST(BreakpointErrors, TypeTwoIsTheCrossingOfTheTwoLinesInXUnits) {
  // Lines through the central points (2, 3) and (8, 9) with slopes 1 and -0.5 cross at
  // Xcross = (C2 - C1)/(RC1 - RC2) = (13 - 1)/1.5 = 8. With s1^2 = 4/8, s2^2 = 6/10,
  // VarRC1 = 4/240, VarRC2 = 6/500 the delta method gives
  //   Var = [s1^2/10 + VarRC1 (8 - 2)^2 + s2^2/12 + VarRC2 (8 - 8)^2] / 1.5^2 = 0.7 / 2.25,
  // the same for any breakpoint at which the error routine is called, and never lowered to a
  // line error (a quantity in Y units).
  for (double bp : {30.0, 5.0}) {
    SCOPED_TRACE(bp);
    SegmentEngine e;
    SetTwoSegments(e);
    e.Slope[1] = 1;
    e.Slope[2] = -0.5;
    e.AnchorX[1] = 2;
    e.AnchorY[1] = 3;
    e.AnchorX[2] = 8;
    e.AnchorY[2] = 9;
    e.ComputeBreakpointErrors(kType2, 1, bp);
    EXPECT_NEAR(e.VarRC[1], 4.0 / 240, 1e-15);
    EXPECT_NEAR(e.VarRC[2], 6.0 / 500, 1e-15);
    EXPECT_NEAR(e.SERC[1], 0.12909944487358055, 1e-15);
    EXPECT_NEAR(e.SERC[2], 0.10954451150103323, 1e-15);
    EXPECT_NEAR(e.SEDiffSlopes, std::sqrt(4.0 / 240 + 6.0 / 500), 1e-15);
    EXPECT_EQ(e.InterceptDiff, 12);
    EXPECT_NEAR(e.InvSlopeDiffSq, 1 / 2.25, 1e-15);
    // Var C1 = 0.5/10 + 2^2 * 4/240, Var C2 = 0.6/12 + 8^2 * 6/500.
    EXPECT_NEAR(e.VarC1, 0.05 + 4 * 4.0 / 240, 1e-15);
    EXPECT_NEAR(e.VarC2, 0.05 + 64 * 6.0 / 500, 1e-15);
    EXPECT_NEAR(e.VarRatioTerm, (4.0 / 240 + 6.0 / 500) / 2.25, 1e-15);
    EXPECT_NEAR(e.SEBP, std::sqrt(0.7 / 2.25), 1e-14);
    EXPECT_EQ(e.SSDt, 10);
    EXPECT_NEAR(e.XavAll, 5.2727272727272725, 1e-15);
  }
}

TEST(BreakpointErrors, TypeTwoSpreadAtTheBreakpoint) {
  SegmentEngine e;
  SetTwoSegments(e);
  e.Slope[1] = 1;
  e.Slope[2] = -0.5;
  e.ComputeBreakpointErrors(kType2, 1, 30);
  EXPECT_NEAR(e.SDYbp, 1.312894306505705, 1e-13);
  e.ComputeBreakpointErrors(kType2, 1, 5);
  EXPECT_NEAR(e.SDYbp, 0.15955919535637295, 1e-13);
}

TEST(BreakpointErrors, ASlopeVarianceBeyondDoublesStaysFinite) {
  // X spread 5E-400 with residual 0.8: VarRC = 0.8 / (5E-400 * 2) = 8E+398, beyond the 64-bit
  // range, while SERC = sqrt(8E+398) = 2.828E+199 fits.
  Data d;
  d.Add(0, 0);
  d.Add(1e-200, 1);
  d.Add(2e-200, 0);
  d.Add(3e-200, 1);
  SegmentEngine& e = d.Attach();
  e.AccumulateSegments(0);
  e.ComputeSegmentStats();
  e.LoadFinalLines();
  e.ComputeFinalSSD(0);
  e.ComputeBreakpointErrors(kType5, 0, 0);
  EXPECT_EQ(e.VarRC[2], std::numeric_limits<double>::max());
  EXPECT_NEAR(e.SERC[2] / 2.8284271247461903e199, 1.0, 1e-9);
  EXPECT_TRUE(std::isfinite(e.SEDiffSlopes));
}

TEST(BreakpointErrors, TwoDataSetsLeftUseTheSubstitutes) {
  // N1 = 2: VarRC1 = 1,000,000, and so is the residual variance of line 1.
  SegmentEngine e;
  SetTwoSegments(e);
  e.Stats[1].N = 2;
  e.Stats[1].Syy = 8;
  e.Stats[1].AvX = 0;  // keeps VarRC1's term out of VarC1
  e.Slope[1] = 0.5;
  e.Slope[2] = -0.5;
  e.ComputeBreakpointErrors(kType2, 1, 5);
  EXPECT_EQ(e.VarRC[1], 1e6);
  EXPECT_EQ(e.SERC[1], 1000);
  // The line's residual variance takes the substitute too: 1,000,000 / N1.
  EXPECT_EQ(e.VarC1, 1e6 / 2);
}

TEST(BreakpointErrors, TypeThree) {
  SegmentEngine e;
  SetTwoSegments(e);
  e.Stats[2].RC = 1.1;  // the unconstrained slope
  e.Slope[1] = 0;
  e.Slope[2] = 1;
  e.ComputeBreakpointErrors(kType3, 1, 5);
  EXPECT_NEAR(e.SEBP, 1.143736601234587, 1e-13);
  EXPECT_NEAR(e.SESlope, 0.10954451150103323, 1e-15);
  e.ComputeBreakpointErrors(kType3, 2, 5);
  EXPECT_NEAR(e.SEBP, 1.1604301183045411, 1e-13);

  // A horizontal second line has no breakpoint error, nor has type 5.
  e.Slope[2] = 0;
  e.ComputeBreakpointErrors(kType3, 1, 5);
  EXPECT_EQ(e.SEBP, 0);
  e.Slope[2] = 1;
  e.ComputeBreakpointErrors(kType5, 0, 5);
  EXPECT_EQ(e.SEBP, 0);
}

TEST(BreakpointErrors, TypeFourMirrorsTypeThree) {
  // Sloping (unconstrained slope 0.9, final 1), then level; method 1 takes the line error of
  // segment 1 at BP = 5 as the variance of the level's average.
  SegmentEngine e;
  SetTwoSegments(e);
  e.Stats[1].RC = 0.9;
  e.Slope[1] = 1;
  e.Slope[2] = 0;
  e.ComputeBreakpointErrors(kType4, 1, 5);
  EXPECT_NEAR(e.SEBP, 1.1988235958558107, 1e-13);
  EXPECT_NEAR(e.SESlope, 0.12909944487358055, 1e-15);
  e.ComputeBreakpointErrors(kType4, 2, 5);
  EXPECT_NEAR(e.SEBP, 1.2161814033686948, 1e-13);
  e.Slope[1] = 0;
  e.ComputeBreakpointErrors(kType4, 1, 5);
  EXPECT_EQ(e.SEBP, 0);
}

// ---- constrained lines ----

TEST(ConstrainedLines, TurnedLinesAndGuards) {
  // Line 1 through (2, 4) with slope 1, line 2 through (8, 20) with slope 3, BP = 5.
  SegmentEngine e;
  auto build = [&](int code, int method, double bp) {
    e.Slope = {0, 1, 3};
    e.AnchorX = {0, 2, 8};
    e.AnchorY = {0, 4, 20};
    e.BuildConstrainedLines(code, method, bp);
    return code;
  };
  EXPECT_EQ(build(kSearchType2, 1, 5), kSearchType2);  // Ybp = 7 on line 1
  EXPECT_DOUBLE_EQ(e.Slope[2], 13.0 / 3);
  build(kSearchType2, 2, 5);  // Ybp = 11 on line 2
  EXPECT_DOUBLE_EQ(e.Slope[1], 7.0 / 3);
  build(kType3, 1, 5);
  EXPECT_EQ(e.Slope[1], 0);
  EXPECT_EQ(e.AnchorY[1], 11);
  build(kType3, 2, 5);  // from (5, 4) through (8, 20)
  EXPECT_DOUBLE_EQ(e.Slope[2], 16.0 / 3);
  build(kType4, 1, 5);
  EXPECT_EQ(e.Slope[2], 0);
  EXPECT_EQ(e.AnchorY[2], 7);
  // No division by a zero distance.
  EXPECT_EQ(build(kSearchType2, 1, 8), kTypeSingle);
  build(kType4, 2, 2);
  EXPECT_EQ(e.Slope[1], 0);
}

// ---- evaluation ----

TEST(Evaluate, TooFewDataFallBackToTheSingleLineAtXmin) {
  Data d;
  for (int i = 0; i < 20; ++i) d.Add(i, 3 + 0.5 * i + Noise(i));
  SegmentEngine& e = d.Attach();
  const double ce1 = d.SingleLine();
  double bp = 2, ce = 0;  // two data sets left of it
  int code = kType3;
  e.EvaluateBreakpoint(bp, ce, code, 1);
  EXPECT_EQ(bp, 0);
  EXPECT_EQ(code, kTypeSingle);
  EXPECT_EQ(ce, ce1);
  EXPECT_EQ(e.Sums[2].N, 20);
  bp = 18;  // two right of it
  code = kSearchType2;
  e.EvaluateBreakpoint(bp, ce, code, 1);
  EXPECT_EQ(bp, 0);
  EXPECT_EQ(code, kTypeSingle);
}

TEST(Evaluate, PerfectTypeThreeIsAccepted) {
  // Noise-free: level 5 up to x = 40, then slope 0.5. The left slope is exactly 0 with a zero
  // standard error, which still counts as insignificant.
  Data d;
  for (int i = 0; i <= 100; ++i) d.Add(i, i < 40 ? 5 : 5 + 0.5 * (i - 40));
  SegmentEngine& e = d.Attach();
  d.SingleLine();
  e.Restore({0, 0, 1});
  for (int method : {1, 2}) {
    double bp = 40, ce = 0;
    int code = kType3;
    e.EvaluateBreakpoint(bp, ce, code, method);
    EXPECT_EQ(code, kType3);
    EXPECT_EQ(ce, 1);
    EXPECT_EQ(e.Slope[1], 0);
    EXPECT_DOUBLE_EQ(e.Slope[2], 0.5);
    EXPECT_DOUBLE_EQ(e.AnchorY[1], 5);
    EXPECT_EQ(e.SERC[1], 0);
  }
}

TEST(Evaluate, TypeThreeMarginsReadThePrecedingStandardErrors) {
  Data d;
  for (int i = 0; i <= 100; ++i) d.Add(i, (i < 40 ? 5 : 5 + 0.5 * (i - 40)) + Noise(i));
  SegmentEngine& e = d.Attach();
  d.SingleLine();
  double bp = 40, ce = 0;
  int code = kType3;
  e.Restore({0.01, 0.01, 1});
  e.EvaluateBreakpoint(bp, ce, code, 1);
  EXPECT_GT(ce, 0.99);
  // The same candidate after an evaluation that left a huge slope error: 0.5 - 1.75 * 1 < 0.
  e.Restore({1, 1, 1});
  e.EvaluateBreakpoint(bp, ce, code, 1);
  EXPECT_EQ(ce, 0);
  // This evaluation refreshed them for the next one.
  EXPECT_LT(e.SERC[2], 0.01);
  e.EvaluateBreakpoint(bp, ce, code, 1);
  EXPECT_GT(ce, 0.99);
}

TEST(Evaluate, TypeTwoSlopeRatio) {
  // Noise-free slopes 1 and r meeting at x = 50: the difference is significant, but two
  // positive slopes within a factor 1.2 are refused.
  for (double r : {1.15, 1.25}) {
    Data d;
    for (int i = 0; i <= 100; ++i) d.Add(i, i < 50 ? i : 50 + r * (i - 50));
    SegmentEngine& e = d.Attach();
    d.SingleLine();
    double bp = 50, ce = 0;
    int code = kSearchType2;
    e.EvaluateBreakpoint(bp, ce, code, 1);
    EXPECT_EQ(code, r < 1.2 ? kSearchType2 : kType2) << r;
    EXPECT_NEAR(ce, 1, 1e-15);
    EXPECT_NEAR(e.Slope[2], r, 1e-15);
  }
  // Two falling slopes are compared signed, so the factor refuses nothing there.
  Data d;
  for (int i = 0; i <= 100; ++i) d.Add(i, i < 50 ? -i : -50 - 1.05 * (i - 50));
  SegmentEngine& e = d.Attach();
  d.SingleLine();
  double bp = 50, ce = 0;
  int code = kSearchType2;
  e.EvaluateBreakpoint(bp, ce, code, 1);
  EXPECT_EQ(code, kType2);
}

// Two sloping segments of 20 data sets with a jump at x = 20, shifted by `shift`.
void TypeSixData(Data& d, double shift) {
  for (int i = 0; i < 40; ++i) {
    const double base = i < 20 ? 0.5 * i : 11.5 + 0.5 * (i - 20);
    d.Add(i, base + 6 * Noise(i) + shift);
  }
}

TEST(Evaluate, TenPercentRuleOnlyBetweenPositiveLevels) {
  // Hand check: Y1bp = 10.527, Y2bp = 11.644, T*(R1 + R2) = 2.502, so the confidence intervals
  // overlap; the jump 1.117 is more than 10 % of 10.527.
  Data up;
  TypeSixData(up, 0);
  SegmentEngine& e = up.Attach();
  up.SingleLine();
  e.Restore({0.01, 0.01, 1});
  double bp = 20, ce = 0;
  int code = kSearchType6;
  e.EvaluateBreakpoint(bp, ce, code, 0);
  EXPECT_EQ(code, kType6);
  EXPECT_NEAR(ce, 0.9370171449581246, 1e-12);
  EXPECT_NEAR(e.Slope[1], 0.5724511278195488, 1e-13);
  EXPECT_NEAR(e.SERC[2], 0.0728864331200532, 1e-13);

  // The same shape at levels -10.97 and -9.86: 10 % of a negative level means nothing.
  Data down;
  TypeSixData(down, -21.5);
  SegmentEngine& f = down.Attach();
  down.SingleLine();
  f.Restore({0.01, 0.01, 1});
  bp = 20;
  code = kSearchType6;
  f.EvaluateBreakpoint(bp, ce, code, 0);
  EXPECT_EQ(code, kSearchType6);
  EXPECT_NEAR(ce, 0.9370171449581246, 1e-12);
}

TEST(Evaluate, TypeSixNeedsASlopingSegment) {
  Data flat;
  for (int i = 0; i < 40; ++i) flat.Add(i, (i < 20 ? 2 : 8) + Noise(i));
  SegmentEngine& e = flat.Attach();
  flat.SingleLine();
  e.Restore({0.5, 0.5, 1});  // both slopes come out insignificant and are set to 0
  double bp = 20, ce = 0;
  int code = kSearchType6;
  e.EvaluateBreakpoint(bp, ce, code, 0);
  EXPECT_EQ(e.Slope[1], 0);
  EXPECT_EQ(e.Slope[2], 0);
  EXPECT_EQ(code, kSearchType6);  // two levels are type 5, not 6
  EXPECT_NEAR(ce, 0.9906650918517756, 1e-12);

  Data sloping;
  for (int i = 0; i < 40; ++i) sloping.Add(i, (i < 20 ? 2 : 8 + 0.5 * (i - 20)) + Noise(i));
  SegmentEngine& f = sloping.Attach();
  sloping.SingleLine();
  f.Restore({0.5, 0.01, 1});
  bp = 20;
  code = kSearchType6;
  f.EvaluateBreakpoint(bp, ce, code, 0);
  EXPECT_EQ(f.Slope[1], 0);
  EXPECT_NEAR(f.Slope[2], 0.5006842105263157, 1e-13);
  EXPECT_EQ(code, kType6);
  EXPECT_NEAR(ce, 0.9974112588055544, 1e-12);
}

TEST(Evaluate, NoiseFreeStepIsTypeFive) {
  Data d;
  for (int i = 0; i < 30; ++i) d.Add(i, i < 12 ? 1 : 4);
  SegmentEngine& e = d.Attach();
  d.SingleLine();
  e.Restore({0, 0, 1});
  double bp = 12, ce = 0;
  int code = kType5;
  e.EvaluateBreakpoint(bp, ce, code, 0);
  EXPECT_EQ(ce, 1);  // tested (slopes exactly 0) and accepted
  // Too few on one side for the count: 0.1 * 30 -> 5, segment 1 has 4.
  bp = 4;
  e.EvaluateBreakpoint(bp, ce, code, 0);
  EXPECT_EQ(ce, 0);
}

}  // namespace
}  // namespace vornax
