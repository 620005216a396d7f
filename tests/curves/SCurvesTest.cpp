// The S-curves: asymptotes, snaps, the two run modes, every curve starting from the same data,
// refusals, and whole reports against independently computed golden files.
#include "curves/SCurves.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "curves/CurveTestSupport.h"
#include "data/NumberFormat.h"

namespace vornax {
namespace {

using test::CurveRun;

// The golden data (also in scurve_reference.py).
void LoadFalling(TDMVornax& data) {
  std::vector<double> x, y;
  for (int i = 0; i < 15; ++i) {
    const double v = 2.0 + 2.0 * i;
    x.push_back(v);
    y.push_back(5 + 85 / (1 + std::exp(0.4 * (v - 16))) + test::Wobble()[static_cast<size_t>(i)]);
  }
  test::LoadXY(data, y, x);
}

void LoadRisingShifted(TDMVornax& data) {
  std::vector<double> x, y;
  for (int i = 0; i < 15; ++i) {
    const double v = 100.0 + 2.0 * i;
    x.push_back(v);
    y.push_back(10 + 70 * std::exp(-std::exp(-0.3 * (v - 112))) +
                test::Wobble()[static_cast<size_t>(i)]);
  }
  test::LoadXY(data, y, x);
}

TEST(SCurveAsymptotes, WidenedOutwardForEitherSign) {
  // Y from 10 to 20, N = 10: Ymax = 20 * 10/9 = 22.22, Ymin = 10 * 10/11 = 9.09.
  TDMVornax data;
  std::vector<double> x, y;
  for (int i = 0; i < 10; ++i) {
    x.push_back(i);
    y.push_back(10 + i * 10.0 / 9);
  }
  test::LoadXY(data, y, x);
  CurveData d;
  ASSERT_TRUE(PrepareCurveData(data, CurveKind::Logistic, d).Ok);
  Asymptotes a = SCurveAsymptotes(d);
  EXPECT_EQ(FormatFixed(a.Ymax, 6, 2), " 22.22");
  EXPECT_EQ(FormatFixed(a.Ymin, 6, 2), "  9.09");
  EXPECT_NEAR(a.Ymax, 200.0 / 9, 1e-13);
  EXPECT_NEAR(a.Ymin, 100.0 / 11, 1e-13);
  // Negative Y: -20 .. -10 widen to -21.82 .. -8.89, away from the data, not into them.
  for (auto& v : y) v -= 30;
  test::LoadXY(data, y, x);
  ASSERT_TRUE(PrepareCurveData(data, CurveKind::Logistic, d).Ok);
  a = SCurveAsymptotes(d);
  EXPECT_NEAR(a.Ymax, -10 + 10.0 / 9, 1e-13);
  EXPECT_NEAR(a.Ymin, -20 - 20.0 / 11, 1e-13);
}

TEST(SCurveExponent, SnapsByCurve) {
  EXPECT_EQ(SnapSCurveExponent(CurveKind::Gumbel, 1.02), 1);
  EXPECT_EQ(SnapSCurveExponent(CurveKind::InvertedGumbel, 0.96), 1);
  EXPECT_EQ(SnapSCurveExponent(CurveKind::Logistic, 1.02), 1.02);
  EXPECT_EQ(SnapSCurveExponent(CurveKind::Logistic, 0.20), 1);
  EXPECT_EQ(SnapSCurveExponent(CurveKind::Gumbel, 2.99), 1);
  EXPECT_EQ(SnapSCurveExponent(CurveKind::Gumbel, 1.05), 1.05);
}

TEST(SCurves, FitValueModeWritesNothingAndEveryCurveSeesTheSameData) {
  // Each curve alone, and all four in a row as the comparison runs them: the same fit values,
  // whatever ran before (a shifted X must not be taken for raw X by the next curve).
  using Runner = void (*)(TDMVornax&, RunOptions&, UserDialogs&);
  const Runner runners[4] = {RunLogisticCurve, RunGumbelCurve, RunInvertedGumbelCurve,
                             RunFiskCurve};
  auto fits = [](const RunOptions& o) {
    return std::vector<double>{o.FitLogistic, o.FitGumbel, o.FitInvGumbel, o.FitFisk};
  };
  CurveRun together;
  LoadRisingShifted(together.data);
  together.options.TransformAccepted = true;
  const auto x = together.data.XData;
  for (Runner run : runners) run(together.data, together.options, together.dialogs);
  EXPECT_FALSE(together.HasFiles());
  EXPECT_EQ(together.data.XData, x);
  for (int k = 0; k < 4; ++k) {
    CurveRun alone;
    LoadRisingShifted(alone.data);
    alone.options.TransformAccepted = true;
    runners[k](alone.data, alone.options, alone.dialogs);
    EXPECT_EQ(fits(alone.options)[static_cast<size_t>(k)],
              fits(together.options)[static_cast<size_t>(k)])
        << k;
    EXPECT_GT(fits(alone.options)[static_cast<size_t>(k)], 0.9) << k;
  }
}

TEST(SCurves, TheFiskCurveIsMirroredForRisingY) {
  TDMVornax data;
  LoadRisingShifted(data);
  CurveData d;
  ASSERT_TRUE(PrepareCurveData(data, CurveKind::Fisk, d).Ok);
  const CurveResult r = FitFiskCurve(d);
  EXPECT_TRUE(r.Increasing);
  EXPECT_LT(r.Rows.front().Ycalc, r.Rows.back().Ycalc);
  EXPECT_GT(r.CurveExplCoeff, 0.95);
}

// The number after `key` in `line` (0 when the key is not there).
double NumberAfter(const std::string& line, const std::string& key) {
  const size_t at = line.find(key);
  return at == std::string::npos ? 0 : std::stod(line.substr(at + key.size()));
}

TEST(SCurves, ThePrintedFiskEquationReproducesItsTable) {
  // Whichever way Y runs, C/[1+{(X-D)/A}^B] with the printed C, D, A and B gives the table's
  // Ycalc (to the rounding of the printed parameters).
  struct Case {
    const char* name;
    void (*load)(TDMVornax&);
  };
  for (const Case& c : {Case{"falling", LoadFalling}, Case{"rising, shifted", LoadRisingShifted}}) {
    SCOPED_TRACE(c.name);
    CurveRun run;
    c.load(run.data);
    run.options.SCurveFinalRun = true;
    RunFiskCurve(run.data, run.options, run.dialogs);
    const std::vector<std::string> out = run.Out();
    double cc = 0, d = 0, a = 0, b = 0;
    bool shifted = false;
    size_t table = 0;
    for (size_t i = 0; i < out.size(); ++i) {
      if (out[i].find("Yc = C/[1+") != std::string::npos) {
        cc = NumberAfter(out[i], "C = ");
        shifted = out[i].find("D =") != std::string::npos;
        d = shifted ? NumberAfter(out[i], "D =") : 0;
        a = NumberAfter(out.at(i + 1), "A = ");
        b = NumberAfter(out.at(i + 1), "B = ");
      }
      if (out[i].rfind("- - -", 0) == 0) table = i + 1;
    }
    ASSERT_GT(cc, 0);
    ASSERT_GT(table, 0u);
    int rows = 0;
    for (size_t i = table; i < out.size() && out[i] != " #"; ++i, ++rows) {
      std::istringstream row(out[i]);
      double serial = 0, x = 0, y = 0, ycalc = 0;
      row >> serial >> x >> y >> ycalc;
      const double base = shifted ? x - d : x;
      EXPECT_NEAR(cc / (1 + std::pow(base / a, b)), ycalc, 0.01 * cc) << out[i];
    }
    EXPECT_EQ(rows, 15);
  }
}

TEST(SCurves, TheFinalFiskRunTakesThePointOfTheComparisonOnlyForTheSameData) {
  CurveRun fresh;
  LoadFalling(fresh.data);
  fresh.options.SCurveFinalRun = true;
  RunFiskCurve(fresh.data, fresh.options, fresh.dialogs);

  CurveRun twice;
  LoadFalling(twice.data);
  RunFiskCurve(twice.data, twice.options, twice.dialogs);  // comparison: no files
  EXPECT_FALSE(twice.HasFiles());
  EXPECT_EQ(twice.options.FiskR, fresh.options.FiskR);
  twice.options.SCurveFinalRun = true;
  RunFiskCurve(twice.data, twice.options, twice.dialogs);
  auto withoutName = [](std::vector<std::string> lines) {
    lines.at(1).clear();
    return lines;
  };
  EXPECT_EQ(withoutName(twice.Out()), withoutName(fresh.Out()));

  // A point remembered for other data is not taken.
  CurveRun other;
  LoadFalling(other.data);
  other.options.SCurveFinalRun = true;
  other.options.FiskR = other.options.FiskT = other.options.FiskI = 1;
  other.options.FiskDataPrint = 12345;
  RunFiskCurve(other.data, other.options, other.dialogs);
  EXPECT_EQ(withoutName(other.Out()), withoutName(fresh.Out()));
}

TEST(SCurves, ALongFiskSearchShowsItsProgress) {
  CurveRun run;
  std::vector<double> x, y;
  for (int i = 0; i < 2001; ++i) {
    x.push_back(1 + 0.01 * i);
    y.push_back(10 / (1 + std::pow(x.back() / 10, 3)) + 0.1 * test::Wobble()[static_cast<size_t>(i % 30)]);
  }
  run.Load(y, x);
  RunFiskCurve(run.data, run.options, run.dialogs);
  EXPECT_EQ(run.dialogs.ProgressLines(),
            (std::vector<std::string>{" Fisk curve 90% ..", " Fisk curve 100% .."}));
}

TEST(SCurves, WithoutTheTransformationTheLogisticAllowsNoExponent) {
  CurveRun run;
  LoadFalling(run.data);
  run.options.TransformAccepted = false;
  run.options.SCurveFinalRun = true;
  RunLogisticCurve(run.data, run.options, run.dialogs);
  const auto out = run.Out();
  ASSERT_GE(out.size(), 11u);
  EXPECT_EQ(out[10], " No exponent allowed : E =  1.00");
}

void ExpectGolden(CurveRun& run, void (*runner)(TDMVornax&, RunOptions&, UserDialogs&),
                  const std::string& name) {
  run.options.TransformAccepted = true;
  run.options.SCurveFinalRun = true;
  runner(run.data, run.options, run.dialogs);
  const auto expected = test::GoldenWithPath(name, run.OutPath());
  const auto actual = run.Out();
  ASSERT_FALSE(expected.empty());
  for (size_t i = 0; i < std::max(actual.size(), expected.size()); ++i) {
    EXPECT_EQ(i < actual.size() ? actual[i] : "<missing>",
              i < expected.size() ? expected[i] : "<missing>")
        << name << " line " << i + 1;
  }
}

TEST(SCurveGolden, LogisticOnX) {
  CurveRun run;
  LoadFalling(run.data);
  ExpectGolden(run, RunLogisticCurve, "scurve_logistic_x.out");
}

TEST(SCurveGolden, LogisticOnShiftedZWithoutExponent) {
  CurveRun run;
  LoadRisingShifted(run.data);
  run.data.SingleIsZ = true;
  run.data.SingleIsX = false;
  run.data.Title2 = "";
  run.options.SCurveFinalRun = true;
  RunLogisticCurve(run.data, run.options, run.dialogs);  // TransformAccepted false
  const auto expected = test::GoldenWithPath("scurve_logistic_z.out", run.OutPath());
  EXPECT_EQ(run.Out(), expected);
}

TEST(SCurveGolden, GumbelOnX) {
  CurveRun run;
  LoadFalling(run.data);
  ExpectGolden(run, RunGumbelCurve, "scurve_gumbel_x.out");
}

TEST(SCurveGolden, InvertedGumbelOnShiftedX) {
  CurveRun run;
  LoadRisingShifted(run.data);
  ExpectGolden(run, RunInvertedGumbelCurve, "scurve_invgumbel_x.out");
}

TEST(SCurveGolden, FiskOnX) {
  CurveRun run;
  run.Load({9.5, 9.2, 8.1, 6.0, 3.9, 2.2, 1.3, 0.8}, {1, 2, 3, 4, 5, 6, 7, 8});
  ExpectGolden(run, RunFiskCurve, "scurve_fisk_x.out");
}

}  // namespace
}  // namespace vornax
