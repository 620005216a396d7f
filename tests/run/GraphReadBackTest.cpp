// Round trips: run every analysis, read its report back as graph data, and compare every graph
// value with the run's own numbers to the precision the report prints them with.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "data/DataSet.h"
#include "data/GraphDataReader.h"
#include "data/RunOptions.h"
#include "run/RunAnalysis.h"
#include "support/TestSupport.h"

namespace vornax {
namespace {

using test::RecordingDialogs;
using test::TempDir;

// `read` is `exact` printed with `digits` significant digits.
void ExpectPrinted(double read, double exact, int digits, const std::string& what) {
  if (exact == 0) {
    EXPECT_EQ(read, 0) << what;
    return;
  }
  const double unit = std::pow(10.0, std::floor(std::log10(std::fabs(exact))) - (digits - 1));
  EXPECT_NEAR(read, exact, 0.5 * unit * 1.001) << what;
}

// A value printed with `decimals` decimals.
void ExpectFixed(double read, double exact, int decimals, const std::string& what) {
  EXPECT_NEAR(read, exact, 0.5 * std::pow(10.0, -decimals) * 1.001 + 1e-12) << what;
}

double Wobble(int i) { return 0.05 * static_cast<double>((i * 7) % 11 - 5); }

struct Trial {
  TempDir dir;
  TDMVornax data;
  RunOptions options;
  RecordingDialogs dialogs;

  Trial() {
    data.FileName = (dir / "trial.inp").string();
    data.Title1 = "Round  trip";
    data.Title2 = "Graph data";
  }
  void LoadOne(int n, const std::function<double(double)>& f, bool asZ = false) {
    data.Resize(n);
    data.GridRowCount = n;
    if (asZ) {
      data.NrOfVarInData = 2;
      data.SingleIsX = false;
      data.SingleIsZ = true;
    }
    for (int i = 0; i < n; ++i) {
      const double x = i;
      data.YData[static_cast<size_t>(i)] = f(x) + Wobble(i);
      data.XData[static_cast<size_t>(i)] = asZ ? 3.0 : x;
      data.ZData[static_cast<size_t>(i)] = asZ ? x : 0.0;
    }
  }
  GraphData RunAndRead() {
    char separator = '.';
    RunAnalysis(data, options, dialogs, separator, DefaultAnalysisTable());
    EXPECT_FALSE(options.AnalysisFailed)
        << (dialogs.Messages().empty() ? "" : dialogs.Messages().front());
    TDMVornax reader;
    reader.FileName = (dir / "trial.out").string();
    RecordingDialogs readDialogs;
    EXPECT_TRUE(ReadGraphData(reader, readDialogs))
        << (readDialogs.Messages().empty() ? "" : readDialogs.Messages().front());
    return reader.Graph;
  }
};

void CompareOneVariable(const GraphData& g, const RunResult& r, int bpDigits,
                        int equationDigits = 4) {
  EXPECT_EQ(g.Title1, "Round trip");
  EXPECT_EQ(g.OutputTag, " Fun");
  EXPECT_EQ(g.ConfidenceT, r.ConfidenceT);
  EXPECT_EQ(g.First.Type, r.Type);
  if (r.Type >= 2 && r.Type <= 4) {
    EXPECT_EQ(g.First.Method, r.Method);
  }
  if (r.Type >= 2) {
    ExpectPrinted(g.First.Breakpoint, r.Breakpoint, bpDigits, "breakpoint");
    ExpectPrinted(g.First.As, r.SlopeBelow, equationDigits, "As");
    ExpectPrinted(g.First.Cs, r.InterceptBelow, equationDigits, "Cs");
    ExpectPrinted(g.StoredCE, r.CE, 3, "CE");
    if (r.BreakpointSE) ExpectPrinted(g.First.SEBP, *r.BreakpointSE, 3, "SEBP");
  }
  ExpectPrinted(g.First.Ag, r.SlopeAbove, equationDigits, "Ag");
  ExpectPrinted(g.First.Cg, r.InterceptAbove, equationDigits, "Cg");
  ASSERT_EQ(static_cast<size_t>(g.NrOfRows), r.X.size());
  for (size_t i = 0; i < r.X.size(); ++i) {
    ExpectPrinted(g.GraphX[i], r.X[i], 4, "X " + std::to_string(i));
    ExpectPrinted(g.GraphY[i], r.Y[i], 3, "Y " + std::to_string(i));
    ExpectPrinted(g.GraphYcalc[i], r.YCalc[i], 3, "Ycalc " + std::to_string(i));
    if (i < r.Added.size()) {
      EXPECT_EQ(g.Added[i], r.Added[i]);
    }
  }
}

TEST(GraphReadBack, OneVariableEveryTypeXAndZ) {
  const std::vector<std::function<double(double)>> shapes = {
      [](double) { return 5.0; },                                       // no relation
      [](double x) { return 2 + 0.5 * x; },                              // one line
      [](double x) { return x < 12 ? 1 + 0.3 * x : 4.6 + 1.5 * (x - 12); },  // two slopes
      [](double x) { return x < 15 ? 10.0 : 10 - 0.8 * (x - 15); },      // level, sloping
      [](double x) { return x < 15 ? 2 + 0.6 * x : 11.0; },              // sloping, level
      [](double x) { return x < 15 ? 3.0 : 9.0; },                       // two levels
      [](double x) { return x < 15 ? 1 + 0.4 * x : 20 - 0.3 * x; },      // disconnected
  };
  std::set<int> typesSeen;
  for (size_t s = 0; s < shapes.size(); ++s) {
    for (bool z : {false, true}) {
      SCOPED_TRACE("shape " + std::to_string(s) + (z ? " on Z" : " on X"));
      Trial t;
      t.LoadOne(30, shapes[s], z);
      // Types 0 and 1 come out of the plain search; the others are asked for.
      if (s >= 2) t.options.PreferredTypeX = t.options.PreferredTypeZ = static_cast<int>(s);
      const GraphData g = t.RunAndRead();
      const RunResult& r = t.data.Result;
      ASSERT_TRUE(r.Valid);
      CompareOneVariable(g, r, z ? 5 : 4);
      EXPECT_EQ(g.TableVariable, z ? "Z" : "X");
      typesSeen.insert(g.First.Type);
    }
  }
  EXPECT_EQ(typesSeen, (std::set<int>{0, 1, 2, 3, 4, 5, 6}));
}

TEST(GraphReadBack, TwoVariablesBothSequences) {
  // Sequence chosen by the data: X dominant, then Z dominant.
  for (int sequence : {1, 2}) {
    SCOPED_TRACE("sequence " + std::to_string(sequence));
    Trial t;
    t.data.NrOfVarInData = t.data.NrOfVar = 2;
    t.data.Resize(121);
    t.data.GridRowCount = 121;
    size_t k = 0;
    for (int i = 0; i <= 10; ++i) {
      for (int j = 0; j <= 10; ++j, ++k) {
        const double x = 10.0 * i, z = 5.0 * j;
        const double fx = x < 40 ? 10 : 10 + 0.5 * (x - 40);
        const double gz = z < 30 ? z / 5 : 6;
        t.data.XData[k] = x;
        t.data.ZData[k] = z;
        t.data.YData[k] = (sequence == 1 ? fx + gz / 4 : fx / 8 + 3 * gz) + Wobble(static_cast<int>(k));
      }
    }
    const GraphData g = t.RunAndRead();
    const RunResult& r = t.data.Result;
    ASSERT_EQ(r.Stages.size(), 2u);
    EXPECT_EQ(g.OutputTag, r.Sequence == 1 ? " Y-X" : " Y-Z");
    EXPECT_EQ(g.First.Type, r.Stages[0].Type);
    EXPECT_EQ(g.Second.Type, r.Stages[1].Type);
    EXPECT_EQ(g.First.Method, r.Stages[0].Method);
    EXPECT_EQ(g.Second.Method, r.Stages[1].Method);
    if (r.Stages[0].HasBreakpoint) ExpectPrinted(g.First.Breakpoint, r.Stages[0].Breakpoint, 4, "BP1");
    if (r.Stages[1].HasBreakpoint) ExpectPrinted(g.Second.Breakpoint, r.Stages[1].Breakpoint, 4, "BP2");
    ExpectPrinted(g.Plane.As, r.Plane.As, 3, "As");
    ExpectPrinted(g.Plane.Bg, r.Plane.Bg, 3, "Bg");
    ExpectPrinted(g.Plane.Css, r.Plane.Css, 3, "Css");
    ExpectPrinted(g.Plane.Cgg, r.Plane.Cgg, 3, "Cgg");
    ASSERT_EQ(static_cast<size_t>(g.NrOfRows), r.X.size());
    for (size_t i = 0; i < r.X.size(); ++i) {
      ExpectPrinted(g.GraphX[i], r.X[i], 3, "X");
      ExpectPrinted(g.GraphY[i], r.Y[i], 3, "Y");
      ExpectPrinted(g.GraphZ[i], r.Z[i], 3, "Z");
      ExpectPrinted(g.GraphResidual[i], r.FirstResiduals[i], 3, "residual");
      ExpectPrinted(g.GraphYcalc[i], r.YCalc[i], 3, "Ycalc");
    }
  }
}

TEST(GraphReadBack, PartialLevelFirstLevelLastNoneAndThreePiece) {
  const std::vector<std::function<double(double)>> shapes = {
      [](double x) { return x < 16 ? 10.0 : 10 + 0.5 * (x - 16); },
      [](double x) { return x < 25 ? 14 - 0.4 * x : 4.0; },
      [](double x) { return 2 + 0.5 * x; },
      [](double x) { return x < 10 ? 3.0 : (x < 25 ? 3 + 0.6 * (x - 10) : 12.0); },
  };
  for (size_t s = 0; s < shapes.size(); ++s) {
    SCOPED_TRACE("shape " + std::to_string(s));
    Trial t;
    t.LoadOne(40, shapes[s]);
    t.options.PartialX = true;
    const GraphData g = t.RunAndRead();
    const RunResult& r = t.data.Result;
    if (s == 2) {
      // Without a level stretch the run reports the plain one-variable regression.
      EXPECT_EQ(g.Family, OutputFamily::Segmented);
      CompareOneVariable(g, r, 4, 3);
      continue;
    }
    EXPECT_EQ(g.Family, OutputFamily::Partial);
    ASSERT_TRUE(g.Partial.has_value());
    CompareOneVariable(g, r, 4, 3);
    ASSERT_TRUE(r.LevelStretch.has_value());
    const LevelStretchResult& l = *r.LevelStretch;
    if (g.Partial->Type == 3) {
      ExpectPrinted(g.Partial->Threshold, l.ThresholdLow, 4, "low threshold");
      ExpectPrinted(g.Partial->ConfLeft, l.LowInner, 3, "low inner");
      ExpectPrinted(g.Partial->ConfRight, l.LowOuter, 3, "low outer");
      EXPECT_EQ(g.Partial->OtherFound, l.ThreePiece);
      if (l.ThreePiece) {
        ExpectPrinted(g.Partial->OtherThreshold, l.ThresholdHigh, 3, "high threshold");
        ExpectPrinted(g.Partial->OtherLevel, l.LevelHigh, 3, "high level");
        ExpectPrinted(g.Partial->OtherConfLow, l.HighLow, 3, "high low");
        ExpectPrinted(g.Partial->OtherConfHigh, l.HighHigh, 3, "high high");
        ExpectPrinted(g.Partial->CentralCE, l.CentralCE, 3, "central CE");
      }
    } else if (g.Partial->Type == 4) {
      ExpectPrinted(g.Partial->Threshold, l.ThresholdHigh, 4, "high threshold");
      ExpectPrinted(g.Partial->ConfLeft, l.HighLow, 3, "high low");
      ExpectPrinted(g.Partial->ConfRight, l.HighHigh, 3, "high high");
    }
    if (s == 0) {
      EXPECT_EQ(g.Partial->Type, 3);
    }
    if (s == 1) {
      EXPECT_EQ(g.Partial->Type, 4);
    }
    if (s == 3) {
      EXPECT_TRUE(g.Partial->OtherFound);
    }
  }
}

TEST(GraphReadBack, EveryCurveShiftedAndNot) {
  struct Case {
    CurveChoice choice;
    bool transform;
    double offset;  // a large X offset makes the curves shift X
    std::function<double(double)> f;
  };
  const std::vector<Case> cases = {
      {CurveChoice::Quadratic, false, 0, [](double x) { return 1 + x + 0.05 * x * x; }},
      {CurveChoice::Quadratic, true, 0, [](double x) { return 3 + 2 * std::sqrt(x + 1); }},
      {CurveChoice::Quadratic, true, 100, [](double x) { return 3 + 2 * std::sqrt(x - 99); }},
      {CurveChoice::Cubic, false, 0, [](double x) { return 2 + 0.01 * x * x * x - 0.2 * x * x; }},
      {CurveChoice::Cubic, true, 50, [](double x) { return std::pow(x - 49, 0.7); }},
      {CurveChoice::Power, true, 0, [](double x) { return 2 + 3 * std::pow(x + 1, 0.6); }},
      {CurveChoice::Power, true, 100, [](double x) { return 2 + 3 * std::pow(x - 99, 0.6); }},
      {CurveChoice::SCurve, true, 0,
       [](double x) { return 5 + 85 / (1 + std::exp(0.4 * (x - 12))); }},
      {CurveChoice::SCurve, true, 100,
       [](double x) { return 5 + 85 / (1 + std::exp(0.4 * (x - 112))); }},
      {CurveChoice::SCurve, true, 0,
       [](double x) { return 5 + 85 * std::exp(-std::exp(0.3 * (x - 12))); }},
  };
  for (size_t c = 0; c < cases.size(); ++c) {
    SCOPED_TRACE("case " + std::to_string(c));
    Trial t;
    const Case& k = cases[c];
    t.data.Resize(25);
    t.data.GridRowCount = 25;
    for (int i = 0; i < 25; ++i) {
      const double x = k.offset + 1 + i;
      t.data.XData[static_cast<size_t>(i)] = x;
      t.data.YData[static_cast<size_t>(i)] = k.f(x) + Wobble(i) * 0.2;
    }
    t.options.CurveX = k.choice;
    t.options.TransformAccepted = k.transform;
    const GraphData g = t.RunAndRead();
    const RunResult& r = t.data.Result;
    ASSERT_TRUE(r.Curve.has_value());
    ASSERT_TRUE(g.Curve.has_value());
    const CurveResult& cr = *r.Curve;
    EXPECT_EQ(g.Curve->Kind, cr.Kind);
    EXPECT_EQ(g.Curve->Shifted, cr.XShifted || cr.Kind == CurveKind::Power);
    if (g.Curve->Shifted) ExpectFixed(g.Curve->Shift, cr.Shift, 3, "shift");
    ExpectFixed(g.StoredCE, cr.CurveExplCoeff, 3, "CE");
    const double a = g.Curve->Kind == CurveKind::Fisk ? cr.Coeff[0] : cr.Coeff[0];
    EXPECT_NEAR(g.Curve->A, a, std::max(5e-3 * std::fabs(a), 5.1e-4)) << "A";
    EXPECT_NEAR(g.Curve->B, cr.Coeff[1], std::max(5e-3 * std::fabs(cr.Coeff[1]), 5.1e-4)) << "B";
    if (cr.Kind != CurveKind::Fisk) {
      EXPECT_NEAR(g.Curve->Exponent, cr.Exponent, 5.1e-3);
    }
    ASSERT_EQ(static_cast<size_t>(g.NrOfRows), cr.Rows.size());
    for (size_t i = 0; i < cr.Rows.size(); ++i) {
      ExpectFixed(g.GraphX[i], cr.Rows[i].X, 3, "X");
      ExpectFixed(g.GraphY[i], cr.Rows[i].Y, 3, "Y");
      ExpectFixed(g.GraphYcalc[i], cr.Rows[i].Ycalc, 3, "Ycalc");
      ExpectFixed(g.GraphLower[i], cr.Rows[i].Lower, 3, "Lower");
      ExpectFixed(g.GraphUpper[i], cr.Rows[i].Upper, 3, "Upper");
    }
  }
}

}  // namespace
}  // namespace vornax
