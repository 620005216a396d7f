// The search in constant time per candidate: it must choose exactly as the search that passes
// over the data for every candidate, and leave every number equal to the last bit, on data made
// to be hard for the closed form (near-ties, exact fits, constant stretches, data far from zero,
// replicated X). Also the running sums behind a split, and the bookkeeping of found values.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "regression/SegmentEngine.h"
#include "regression/TwoVariable.h"

namespace vornax {
namespace {

using Data = std::pair<std::vector<long double>, std::vector<long double>>;  // y, x (sorted)

bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// Every number the search hands on and the engine keeps, with the names of those that differ.
std::string Differences(const BreakpointSearchResult& a, const BreakpointSearchResult& b,
                        const SegmentEngine& e, const SegmentEngine& f) {
  std::string out;
  auto check = [&](const char* what, double u, double v) {
    if (!SameBits(u, v)) out += std::string(what) + " ";
  };
  check("FoundType", a.FoundType, b.FoundType);
  check("OptMethod", a.OptMethod, b.OptMethod);
  check("PreferredFound", a.PreferredFound, b.PreferredFound);
  check("BPopt", a.BPopt, b.BPopt);
  check("CE1", a.CE1, b.CE1);
  check("CE3M", a.CE3M, b.CE3M);
  check("CE4M", a.CE4M, b.CE4M);
  check("CE5M", a.CE5M, b.CE5M);
  check("CE2M", a.CE2M, b.CE2M);
  check("CE6M", a.CE6M, b.CE6M);
  check("CEopt", a.CEopt, b.CEopt);
  for (size_t t = 1; t <= 6; ++t) check("TypeCE", a.TypeCE[t], b.TypeCE[t]);
  for (size_t s = 1; s <= 2; ++s) {
    check("Slope", e.Slope[s], f.Slope[s]);
    check("AnchorY", e.AnchorY[s], f.AnchorY[s]);
    check("SSDFinal", e.SSDFinal[s], f.SSDFinal[s]);
    check("SERC", e.SERC[s], f.SERC[s]);
    check("VarRC", e.VarRC[s], f.VarRC[s]);
  }
  check("SEBP", e.SEBP, f.SEBP);
  check("SESlope", e.SESlope, f.SESlope);
  check("SSDt", e.SSDt, f.SSDt);
  check("XavAll", e.XavAll, f.XavAll);
  check("VarRatioTerm", e.VarRatioTerm, f.VarRatioTerm);
  check("InterceptDiff", e.InterceptDiff, f.InterceptDiff);
  check("VarC1", e.VarC1, f.VarC1);
  check("VarC2", e.VarC2, f.VarC2);
  check("SDYbp", e.SDYbp, f.SDYbp);
  check("SEDiffSlopes", e.SEDiffSlopes, f.SEDiffSlopes);
  check("M1", e.M1, f.M1);
  check("M2", e.M2, f.M2);
  check("U1", e.U1, f.U1);
  check("U2", e.U2, f.U2);
  return out;
}

// Runs the search both ways, twice in a row (the second run carries the slope errors of the
// first), for every confidence and a few preferences and exclusions.
void ExpectSameChoices(const Data& data, const std::string& label) {
  const auto& [y, x] = data;
  const int n = static_cast<int>(x.size());
  const int settings[][2] = {{-1, 0}, {-1, 3}, {-1, 2}, {6, 0}, {5, 0}, {3, 0}, {2, 0}, {-1, 6}};
  for (double t : {1.75, 2.1, 2.5}) {
    for (const auto& setting : settings) {
      SegmentEngine fast, slow;
      slow.ClosedFormSearch = false;
      for (SegmentEngine* e : {&fast, &slow}) {
        e->ConfidenceT = t;
        e->Attach(y.data(), x.data(), n);
        e->FindExtremes();
      }
      BreakpointSearchOptions options;
      options.PreferredType = setting[0];
      options.ExcludedType = setting[1];
      // The search that only decides (the break test's shuffles) passes over candidates that
      // cannot win: it must still decide as the whole search, on a fresh engine as each
      // shuffle starts.
      SegmentEngine deciding;
      deciding.ConfidenceT = t;
      deciding.Attach(y.data(), x.data(), n);
      deciding.FindExtremes();
      BreakpointSearchOptions decide = options;
      decide.StatisticOnly = true;
      const BreakpointSearchResult d = SearchBreakpoint(deciding, decide);
      for (int round = 1; round <= 2; ++round) {
        const BreakpointSearchResult a = SearchBreakpoint(fast, options);
        const BreakpointSearchResult b = SearchBreakpoint(slow, options);
        EXPECT_EQ(Differences(a, b, fast, slow), "")
            << label << " t=" << t << " prefer=" << setting[0] << " exclude=" << setting[1]
            << " round " << round;
        if (round > 1) continue;
        const bool same = a.FoundType == d.FoundType && a.OptMethod == d.OptMethod &&
                          a.PreferredFound == d.PreferredFound && SameBits(a.BPopt, d.BPopt) &&
                          SameBits(a.CE1, d.CE1) && SameBits(a.CEopt, d.CEopt);
        EXPECT_TRUE(same) << label << " t=" << t << " prefer=" << setting[0]
                          << " exclude=" << setting[1] << ": deciding alone found type "
                          << d.FoundType << " at " << d.BPopt << ", the search " << a.FoundType
                          << " at " << a.BPopt;
      }
    }
  }
}

Data Sorted(std::vector<double> xs, std::vector<double> ys) {
  std::vector<size_t> order(xs.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return xs[a] < xs[b]; });
  Data d;
  for (size_t i : order) {
    d.first.push_back(ys[i]);
    d.second.push_back(xs[i]);
  }
  return d;
}

Data Shape(int n, const std::function<double(double)>& f, double noise, unsigned seed,
           double xOffset = 0, double yOffset = 0, double yScale = 1) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> u(0, 100);
  std::normal_distribution<double> g(0, 1);
  std::vector<double> xs, ys;
  for (int i = 0; i < n; ++i) {
    const double x = u(rng);
    xs.push_back(x + xOffset);
    ys.push_back(yOffset + yScale * (f(x) + noise * g(rng)));
  }
  return Sorted(xs, ys);
}

double Bend(double x) { return x < 40 ? 5 : 5 + 0.5 * (x - 40); }
double Knee(double x) { return x < 60 ? 2 + 0.5 * x : 32; }
double Vee(double x) { return x < 50 ? 60 - x : 10 + 3 * (x - 50); }
double Step(double x) { return x < 30 ? 2 : 8; }
double Jump(double x) { return x < 50 ? 10 + 0.5 * x : 55 + 0.5 * (x - 50); }

TEST(ClosedFormSearch, ChoosesAsThePassOnNoisyShapes) {
  unsigned seed = 1;
  for (const auto& f : std::vector<std::function<double(double)>>{Bend, Knee, Vee, Step, Jump}) {
    for (double noise : {0.05, 1.0, 8.0}) {
      for (int n : {12, 60, 200}) {
        ExpectSameChoices(Shape(n, f, noise, seed++), "shape n=" + std::to_string(n));
      }
    }
  }
}

TEST(ClosedFormSearch, ChoosesAsThePassOnExactFitsAndConstantStretches) {
  // No noise at all: the residual sums are rounding alone, where the closed form knows least.
  for (const auto& f : std::vector<std::function<double(double)>>{Bend, Knee, Vee, Step, Jump}) {
    ExpectSameChoices(Shape(150, f, 0, 7), "exact");
  }
  // Y constant throughout, and constant on a long stretch with a line after it.
  ExpectSameChoices(Shape(80, [](double) { return 3.25; }, 0, 8), "constant");
  ExpectSameChoices(Shape(200, [](double x) { return x < 70 ? 1.5 : 1.5 + (x - 70) * 1e-9; }, 0, 9),
                    "almost constant");
}

TEST(ClosedFormSearch, ChoosesAsThePassFarFromZero) {
  // A large level against a small spread: the sums of squares cancel nearly every digit.
  ExpectSameChoices(Shape(300, Bend, 0.3, 11, 0, 1e8, 1e-3), "offset Y");
  ExpectSameChoices(Shape(300, Knee, 0.3, 12, 1e5, -1e7, 1e-3), "offset X and Y");
  ExpectSameChoices(Shape(120, Step, 0.1, 13, 0, 0, 1e-30), "tiny");
  ExpectSameChoices(Shape(120, Jump, 0.1, 14, 0, 0, 1e40), "huge");
}

TEST(ClosedFormSearch, ChoosesAsThePassOnMirrorImagesAndReplicatedX) {
  // Y symmetric about the middle: candidates on both sides explain equally much in exact
  // arithmetic, so their coefficients differ by rounding alone.
  for (unsigned seed = 20; seed < 26; ++seed) {
    std::mt19937 rng(seed);
    std::normal_distribution<double> g(0, 1);
    std::vector<double> xs, ys, half;
    const int m = 40 + static_cast<int>(seed) * 7;
    for (int i = 0; i < m; ++i) half.push_back(std::fabs(i - 0.3 * m) * 0.2 + g(rng));
    for (int i = 0; i < m; ++i) {
      xs.push_back(i);
      ys.push_back(half[static_cast<size_t>(i)]);
    }
    for (int i = 0; i < m; ++i) {
      xs.push_back(2 * m - 1 - i);
      ys.push_back(half[static_cast<size_t>(i)]);
    }
    ExpectSameChoices(Sorted(xs, ys), "mirror " + std::to_string(seed));
  }
  // Data sets repeated by weight factors, and few distinct X.
  Data base = Shape(50, Vee, 2, 30);
  Data replicated;
  for (size_t i = 0; i < base.first.size(); ++i) {
    for (int k = 0; k < 3; ++k) {
      replicated.first.push_back(base.first[i]);
      replicated.second.push_back(base.second[i]);
    }
  }
  ExpectSameChoices(replicated, "replicated");
  std::vector<double> xs, ys;
  for (int i = 0; i < 90; ++i) {
    xs.push_back(10 * (i % 9));
    ys.push_back(Knee(10 * (i % 9)) + ((i * 37) % 11) * 0.1);
  }
  ExpectSameChoices(Sorted(xs, ys), "few distinct X");
}

TEST(ClosedFormSearch, PassesOverTheDataOnlyAFewTimes) {
  const Data data = Shape(2000, Bend, 0.3, 40);
  const int n = 2000;
  SegmentEngine fast, slow;
  slow.ClosedFormSearch = false;
  for (SegmentEngine* e : {&fast, &slow}) {
    e->Attach(data.first.data(), data.second.data(), n);
    e->FindExtremes();
    SearchBreakpoint(*e, {});
  }
  // The slow search passes once per candidate (800) and once for the single line.
  EXPECT_GE(slow.ResidualVisits(), 800LL * n);
  // The closed form passes for the single line, for the few values it hands on, and for the
  // last candidate's state.
  EXPECT_LE(fast.ResidualVisits(), 20LL * n);
}

TEST(ClosedFormSearch, SearchPassLeavesTheEngineAsThePassWould) {
  const Data data = Shape(500, Vee, 1.5, 50);
  for (int type : {3, 4, 5, 2, 6}) {
    SegmentEngine fast, slow;
    slow.ClosedFormSearch = false;
    double best[2] = {0, 0}, bp[2] = {0, 0}, typeBest[2] = {0, 0};
    int i = 0;
    for (SegmentEngine* e : {&fast, &slow}) {
      e->Attach(data.first.data(), data.second.data(), 500);
      e->FindExtremes();
      double first = e->Xmin, ce = 0;
      int code = kTypeSingle;
      e->EvaluateBreakpoint(first, ce, code, 1);
      best[i] = ce;
      BreakpointCandidates candidates = MakeBreakpointCandidates(e->Xmin, e->Xmax);
      SearchPass(*e, candidates, type, type == 5 || type == 6 ? 0 : 2, best[i], bp[i],
                 &typeBest[i]);
      ++i;
    }
    EXPECT_TRUE(SameBits(best[0], best[1])) << type;
    EXPECT_TRUE(SameBits(bp[0], bp[1])) << type;
    EXPECT_TRUE(SameBits(typeBest[0], typeBest[1])) << type;
    EXPECT_EQ(Differences({}, {}, fast, slow), "") << type;
  }
}

TEST(ClosedFormSearch, TwoVariableStageSearchChoosesAsThePass) {
  for (unsigned seed = 60; seed < 64; ++seed) {
    const Data data = Shape(300, seed % 2 ? Knee : Jump, 1 + seed % 3, seed);
    SegmentEngine fast, slow;
    slow.ClosedFormSearch = false;
    VariableSearchResult r[2];
    int i = 0;
    for (SegmentEngine* e : {&fast, &slow}) {
      e->Attach(data.first.data(), data.second.data(), 300);
      e->FindExtremes();
      r[i++] = SearchBestType(*e, -1, 0);
    }
    EXPECT_EQ(r[0].Type, r[1].Type);
    EXPECT_EQ(r[0].Method, r[1].Method);
    EXPECT_TRUE(SameBits(r[0].BP, r[1].BP));
    EXPECT_TRUE(SameBits(r[0].CE, r[1].CE));
    EXPECT_EQ(Differences({}, {}, fast, slow), "");
  }
}

TEST(ClosedFormResidual, HoldsThePassWithinItsInterval) {
  // Noisy, exact, far from zero, tiny, huge and replicated data; every split of a few; the
  // segment's own line and lines as the types constrain them (level, turned, shifted).
  std::vector<Data> sets = {Shape(300, Bend, 0.3, 70), Shape(300, Vee, 0, 71),
                            Shape(300, Knee, 0.3, 72, 1e5, 1e8, 1e-3),
                            Shape(200, Step, 0.1, 73, 0, 0, 1e-30),
                            Shape(200, Jump, 0.1, 74, 0, 0, 1e40), Shape(40, Knee, 2, 75)};
  {
    Data r;
    for (size_t i = 0; i < sets[5].first.size(); ++i) {
      for (int k = 0; k < 4; ++k) {
        r.first.push_back(sets[5].first[i]);
        r.second.push_back(sets[5].second[i]);
      }
    }
    sets.push_back(r);
  }
  int checked = 0;
  for (const Data& d : sets) {
    const int n = static_cast<int>(d.first.size());
    SegmentEngine e;
    e.Attach(d.first.data(), d.second.data(), n);
    e.FindExtremes();
    for (int k = 1; k < 10; ++k) {
      const double bp = e.Xmin + (e.Xmax - e.Xmin) * k / 10;
      for (int variant = 0; variant < 5; ++variant) {
        e.AccumulateSegments(bp);
        e.ComputeSegmentStats();
        e.LoadFinalLines();
        for (size_t s = 1; s <= 2; ++s) {
          const double spread = static_cast<double>(e.Stats[s].StDevY);
          if (variant == 1) e.Slope[s] = 0;
          if (variant == 2) e.Slope[s] *= 1.5;
          if (variant == 3) e.AnchorY[s] += spread;
          if (variant == 4) e.AnchorY[s] += spread * 1e-9;
        }
        e.ComputeFinalSSD(bp);
        for (int s = 1; s <= 2; ++s) {
          long double value = 0, lo = 0, hi = 0;
          if (!e.ClosedFormResidual(s, value, lo, hi)) continue;
          const double pass = e.SSDFinal[static_cast<size_t>(s)];
          EXPECT_LE(static_cast<double>(lo), pass) << n << " " << bp << " " << variant << " " << s;
          EXPECT_GE(static_cast<double>(hi), pass) << n << " " << bp << " " << variant << " " << s;
          // Narrow enough that the pass is rarely needed: within a millionth of the sum of
          // squares about the line's level.
          const long double about =
              e.Stats[static_cast<size_t>(s)].Syy +
              e.Stats[static_cast<size_t>(s)].N *
                  std::pow(e.Stats[static_cast<size_t>(s)].AvY - e.AnchorY[static_cast<size_t>(s)], 2);
          EXPECT_LE(hi - lo, 1e-6L * about + 1e-300L) << n << " " << bp << " " << variant;
          ++checked;
        }
      }
    }
  }
  EXPECT_GT(checked, 400);
}

TEST(RunningSums, EverySplitSumsItsSegmentsAsADirectLoop) {
  // Segment 1 summed upwards from the first data set, segment 2 downwards from the last, for
  // data small enough to keep every data set and large enough to keep only some.
  for (int n : {50, 5000}) {
    std::mt19937 rng(static_cast<unsigned>(n));
    std::uniform_real_distribution<double> u(0, 1);
    std::vector<long double> x, y;
    for (int i = 0; i < n; ++i) {
      x.push_back(i / 7);
      y.push_back(1e3 * u(rng) + 1.0L / 3);
    }
    SegmentEngine e;
    e.Attach(y.data(), x.data(), n);
    for (double bp : {0.0, 1.0, 3.5, n / 14.0, n / 7.0 - 1, n / 7.0 + 1}) {
      e.AccumulateSegments(bp);
      SegmentSums a, b;
      for (int i = 0; i < n && x[static_cast<size_t>(i)] < bp; ++i) {
        a.N += 1;
        a.SumY += y[static_cast<size_t>(i)];
        a.SumYY += y[static_cast<size_t>(i)] * y[static_cast<size_t>(i)];
        a.SumXY += x[static_cast<size_t>(i)] * y[static_cast<size_t>(i)];
      }
      for (int i = n - 1; i >= 0 && x[static_cast<size_t>(i)] >= bp; --i) {
        b.N += 1;
        b.SumY += y[static_cast<size_t>(i)];
        b.SumYY += y[static_cast<size_t>(i)] * y[static_cast<size_t>(i)];
        b.SumXY += x[static_cast<size_t>(i)] * y[static_cast<size_t>(i)];
      }
      EXPECT_EQ(e.Sums[1].N, a.N) << n << " " << bp;
      EXPECT_EQ(e.Sums[1].SumY, a.SumY) << n << " " << bp;
      EXPECT_EQ(e.Sums[1].SumYY, a.SumYY) << n << " " << bp;
      EXPECT_EQ(e.Sums[1].SumXY, a.SumXY) << n << " " << bp;
      EXPECT_EQ(e.Sums[2].N, b.N) << n << " " << bp;
      EXPECT_EQ(e.Sums[2].SumY, b.SumY) << n << " " << bp;
      EXPECT_EQ(e.Sums[2].SumYY, b.SumYY) << n << " " << bp;
      EXPECT_EQ(e.Sums[2].SumXY, b.SumXY) << n << " " << bp;
    }
  }
}

TEST(CandidateValues, ComparisonsDecideByTheExactValues) {
  using C = SegmentEngine::CandidateCE;
  SegmentEngine e;
  C half = C::Of(0.5), more = C::Of(0.6);
  EXPECT_TRUE(e.Exceeds(more, half));
  EXPECT_FALSE(e.Exceeds(half, more));
  C same = C::Of(0.5);
  EXPECT_FALSE(e.Exceeds(same, half));  // ties keep the earlier one
  // A threshold 1.5 times a maximum is the double product, as the search forms it.
  const C raised = half.Times(1.5).Times(1.1);
  EXPECT_EQ(raised.Value, 0.5 * 1.5 * 1.1);
  C copy = raised;
  EXPECT_EQ(e.ExactValue(copy), 0.5 * 1.5 * 1.1);
  // An interval that lies wholly above another decides without the pass.
  C wide = C::Of(0.7);
  wide.Lo = 0.65;
  wide.Hi = 0.75;
  wide.Exact = false;
  EXPECT_TRUE(e.Exceeds(wide, more));
  EXPECT_FALSE(e.Exceeds(more, wide));
}

}  // namespace
}  // namespace vornax
