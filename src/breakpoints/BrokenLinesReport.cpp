// The report and ANOVA table of a broken-line regression with several breakpoints (see
// BrokenLinesReport.h). The layout follows the one-variable report: a header, the tables of the
// fit, a summary with one equation per segment, and the data table with the calculated values.
#include "breakpoints/BrokenLinesReport.h"

#include <algorithm>

#include "anova/AnovaTable.h"
#include "data/OutputFile.h"
#include "data/NumberFormat.h"

namespace vornax {

namespace {

std::string Var(const BrokenLinesReportContext& c) { return c.IsZ ? "Z" : "X"; }

std::string Probability(double p) {
  // As a percentage like the ANOVA's significance, but of the chance side.
  return FormatFixed(100 * p, 9, 3) + " %";
}

// The words after an interval that runs to the end of the range a breakpoint can take.
std::string EndOfRange(const BrokenLinePoint& p) {
  if (p.LikelihoodLowerAtEnd && p.LikelihoodUpperAtEnd) return "  (both ends)";
  if (p.LikelihoodLowerAtEnd) return "  (lower end)";
  if (p.LikelihoodUpperAtEnd) return "  (upper end)";
  return "";
}

}  // namespace

void WriteBrokenLinesReport(const BrokenLinesReportContext& c, const BrokenLinesOutcome& outcome,
                            TextFileWriter& out, RunResult& result) {
  const BrokenLinesResult& r = outcome.Result;
  const std::string v = Var(c);
  const int k = r.Breakpoints;
  const int percent = ConfidencePercent(c.ConfidenceT);

  // The third line starts with " Bro": the kind code by which a reader knows this report.
  out.WriteLine(" Results of program Vornax for the broken-line regression of Y upon " + v + ".");
  if (!c.TwoColumnsInData) {
    out.WriteLine(" Y is the dependent variable.");
  } else {
    out.WriteLine(c.IsZ ? " Z is the second of two independent variables."
                        : " X is the first of two independent variables.");
  }
  out.WriteLine(" Broken line of straight segments joined at the breakpoints, fitted by least");
  out.WriteLine(" squares; the breakpoints are found by an exact search.");
  if (!c.TwoColumnsInData) out.WriteLine(" " + v + " is the independent variable.");
  WriteReportNames(out, c.OutputPath, c.InputPath, c.Title1, c.Title2, percent);
  out.WriteLine(r.Choice == "auto"
                    ? " Number of breakpoints : as many (0 to 3) as the tests find"
                    : " Number of breakpoints : " + r.Choice);
  out.WriteLine();

  if (k > 0) {
    out.WriteLine(" Breakpoints of " + v + " (BP" + v + ") with their standard errors, the " +
                  FormatInt(percent) + "% confidence limits");
    out.WriteLine(" (BP" + v + " -/+ " + FormatFixed(c.ConfidenceT, 4, 2) +
                  " St.Err.) and the likelihood interval:");
    out.WriteLine("   Nr.      BP" + v + "       St.Err.BP" + v +
                  "   Lower limit  Upper limit   Likelihood interval");
    for (int j = 0; j < k; ++j) {
      const BrokenLinePoint& p = r.Points[static_cast<size_t>(j)];
      out.WriteLine(FormatInt(j + 1, 5) + "  " + FormatExp(p.Value, 12, 4) +
                    FormatExp(p.StandardError, 12, 3) + " " + FormatExp(p.LowerLimit, 12, 4) +
                    " " + FormatExp(p.UpperLimit, 12, 4) + "  " +
                    FormatExp(p.LikelihoodLower, 11, 4) + " to" +
                    FormatExp(p.LikelihoodUpper, 11, 4) + EndOfRange(p));
    }
    if (std::any_of(r.Points.begin(), r.Points.end(), [](const BrokenLinePoint& p) {
          return p.LikelihoodLowerAtEnd || p.LikelihoodUpperAtEnd;
        })) {
      out.WriteLine("  (end: the interval reaches the last place the breakpoint can take, with at");
      out.WriteLine("   least three data sets in every segment, and goes no further)");
    }
    out.WriteLine();
  }

  out.WriteLine(" Segments with their slopes:");
  out.WriteLine("   Nr.     from " + v + "        to " + v +
                "      number of data    Slope     St.Err.Slope");
  for (size_t s = 0; s < r.Segments.size(); ++s) {
    const BrokenLineSegmentResult& seg = r.Segments[s];
    out.WriteLine(FormatInt(static_cast<long long>(s) + 1, 5) + "  " + FormatExp(seg.From, 12, 4) +
                  FormatExp(seg.To, 12, 4) + FormatInt(seg.Count, 12) + "    " +
                  FormatExp(seg.Slope, 11, 4) + FormatExp(seg.SlopeStandardError, 11, 3));
  }
  out.WriteLine();

  if (k > 0) {
    out.WriteLine(" Changes of slope at the breakpoints, tested against no change:");
    out.WriteLine("   Nr.     Change       St.Err.      t-value      Probability");
    for (int j = 0; j < k; ++j) {
      const BrokenLineChangeResult& ch = r.Changes[static_cast<size_t>(j)];
      out.WriteLine(FormatInt(j + 1, 5) + "  " + FormatExp(ch.Change, 11, 4) +
                    FormatExp(ch.StandardError, 12, 3) + FormatFixed(ch.T, 12, 3) + "   " +
                    Probability(ch.Probability));
    }
    out.WriteLine();
  }

  const double ceStraight = r.Steps.empty() ? 0 : r.Steps.front().CE;
  const double ce = 1 - r.ResidualSumOfSquares / r.TotalSumOfSquares;
  out.WriteLine(" Residual sum of squares :" + FormatExp(r.ResidualSumOfSquares, 12, 4) +
                "    degrees of freedom :" + FormatInt(r.ResidualDf, 8));
  out.WriteLine(" Expl.Coeff. of the broken line   :" + FormatExp(ce, 11, 4));
  out.WriteLine(" Expl.Coeff. of the straight line :" + FormatExp(ceStraight, 11, 4));
  out.WriteLine();

  out.WriteLine(" Numbers of breakpoints compared (each added breakpoint against one fewer):");
  out.WriteLine("   Nr.   Res.Sum of Sq.  Expl.Coeff.      F-test          Probability   "
                "Permutations");
  for (const BrokenLineStepResult& s : r.Steps) {
    std::string line = FormatInt(s.Breakpoints, 5) + "  " + FormatExp(s.ResidualSumOfSquares, 13, 4) +
                       FormatExp(s.CE, 12, 4);
    if (s.Breakpoints > 0) {
      line += "   F(" + FormatInt(s.Df1) + "," + FormatInt(s.Df2) + ")=" + FormatFixed(s.F, 12, 3) +
              "  " + Probability(s.Probability);
      if (s.PermutationP) {
        line += "   p = " + FormatFixed(*s.PermutationP, 6, 4) + " (" + FormatInt(s.Permutations) +
                (s.StoppedEarly ? ", stopped early)" : ")");
      }
    }
    if (s.Breakpoints == k) line += "  *";
    out.WriteLine(line);
  }
  out.WriteLine("  (* the number reported; the probability is that of a gain at least as large by "
                "chance)");
  out.WriteLine();
  if (k > 0) {
    out.WriteLine(" Search: " + FormatInt(r.Combinations) +
                  " combinations of breakpoints on the grid of " + v + " values,");
    out.WriteLine(" of which " + FormatInt(r.Evaluated) +
                  " were evaluated exactly and the rest excluded by a proven bound;");
    out.WriteLine(" then every combination of the intervals between neighbouring " + v +
                  " values, solved exactly.");
    out.WriteLine();
  }

  out.WriteLine();
  out.WriteLine(" SUMMARY OF THE BROKEN-LINE REGRESSION.");
  out.WriteLine(" Number of breakpoints : " + FormatInt(k));
  if (k > 0) {
    std::string bps = " Breakpoints of " + v + " (BP" + v + ") :";
    for (const auto& p : r.Points) bps += FormatExp(p.Value, 12, 4);
    out.WriteLine(bps);
  }
  out.WriteLine();
  out.WriteLine(k == 0 ? " There is one regression equation:"
                       : " There are " + FormatInt(k + 1) + " regression equations:");
  out.WriteLine();
  for (int s = 0; s <= k; ++s) {
    const std::string bp = [&](int j) { return "BP" + FormatInt(j); }(s);
    std::string where;
    if (k == 0) {
      where = " for all " + v + "";
    } else if (s == 0) {
      where = " when " + v + " is smaller than BP1";
    } else if (s == k) {
      where = " when " + v + " is greater than BP" + FormatInt(k);
    } else {
      where = " when " + v + " lies between BP" + FormatInt(s) + " and BP" + FormatInt(s + 1);
    }
    where.resize(std::max<size_t>(where.size(), 36), ' ');
    out.WriteLine(where + ":  Y = A" + FormatInt(s + 1) + v + " + C" + FormatInt(s + 1));
  }
  out.WriteLine();
  for (int s = 0; s <= k; ++s) {
    const BrokenLineSegmentResult& seg = r.Segments[static_cast<size_t>(s)];
    out.WriteLine("     A" + FormatInt(s + 1) + " = " + FormatExp(seg.Slope, 11, 4) + "      C" +
                  FormatInt(s + 1) + " = " + FormatExp(seg.Intercept, 11, 4));
  }

  out.WriteLine();
  out.WriteLine(" Serial        Yobs          " + v + "         Ycalc");
  out.WriteLine(" ----------------------------------------------");
  const auto& xs = *c.X;
  const auto& ys = *c.Y;
  const size_t n = xs.size();
  result.X.resize(n);
  result.Y.resize(n);
  result.YCalc.resize(n);
  result.Added.assign(n, false);
  for (size_t i = 0; i < n; ++i) {
    const double x = static_cast<double>(xs[i]);
    const double ycalc = outcome.Line(x);
    std::string line = FormatInt(static_cast<long long>(i) + 1, 4) + "      " +
                       FormatExp(ys[i], 12, 3) + FormatExp(xs[i], 12, 4) + FormatExp(ycalc, 12, 3);
    const bool added = c.Added != nullptr && i < c.Added->size() && (*c.Added)[i];
    if (added) line += "  Added";
    out.WriteLine(line);
    result.X[i] = x;
    result.Y[i] = static_cast<double>(ys[i]);
    result.YCalc[i] = ycalc;
    result.Added[i] = added;
  }

  result.Analysis = "breakpoints";
  result.Variable = v;
  result.ConfidenceT = c.ConfidenceT;
  result.ConfidencePercent = percent;
  result.Type = k > 0 ? 2 : 1;
  result.PrintedTypeCode = result.Type;
  result.TypeText = k == 0 ? "a straight line (no breakpoint is significant)"
                           : "a broken line with " + FormatInt(k) +
                                 (k == 1 ? " breakpoint" : " breakpoints");
  result.HasBreakpoint = k > 0;
  if (k > 0) {
    result.Breakpoint = r.Points[0].Value;
    result.BreakpointSE = r.Points[0].StandardError;
    result.LowerLimit = r.Points[0].LowerLimit;
    result.UpperLimit = r.Points[0].UpperLimit;
  }
  result.SlopeBelow = r.Segments.front().Slope;
  result.InterceptBelow = r.Segments.front().Intercept;
  result.SlopeAbove = r.Segments.back().Slope;
  result.InterceptAbove = r.Segments.back().Intercept;
  result.CE = ce;
  result.CEStraight = ceStraight;
  result.CEChosen = ce;
  result.BrokenLines = r;
  result.Valid = true;
}

std::vector<std::string> BrokenLinesAnovaTable(const BrokenLinesReportContext& c,
                                               const BrokenLinesResult& r, int n,
                                               RunOptions& options, UserDialogs& dialogs,
                                               RunResult& result) {
  const double sst = r.TotalSumOfSquares;
  AnovaTableWriter table(n, sst, ExtraSource::Breakpoint, options, dialogs);
  table.WriteAnovaHeader(" Variance Analysis, ANOVA table, broken line with " +
                             FormatInt(r.Breakpoints) +
                             (r.Breakpoints == 1 ? " break-point" : " break-points"),
                         c.VariancePath);
  const double rss0 = r.Steps.front().ResidualSumOfSquares;
  const auto lineVariance = AnovaTableWriter::ResidualVariance(rss0, n - 2);
  table.WriteExplainedRows(1, n - 2, "  lin. regr. ", "", sst - rss0, rss0, lineVariance,
                           table.Test(sst - rss0, 1, n - 2, lineVariance, kExactFitF));
  const int k = r.Breakpoints;
  for (int j = 1; j <= k; ++j) {
    const double before = r.Steps[static_cast<size_t>(j - 1)].ResidualSumOfSquares;
    const double after = r.Steps[static_cast<size_t>(j)].ResidualSumOfSquares;
    const int nu2 = n - 2 * j - 2;
    const auto variance = AnovaTableWriter::ResidualVariance(after, nu2);
    table.WriteExtraRows(2, nu2, " breakpoint " + FormatInt(j), after, before - after, variance,
                         table.Test(before - after, 2, nu2, variance, kExactFitF));
  }
  if (k > 0) {
    table.TotalRow = true;
    const int nu1 = 2 * k + 1, nu2 = n - 2 * k - 2;
    const auto variance = AnovaTableWriter::ResidualVariance(r.ResidualSumOfSquares, nu2);
    table.WriteExtraRows(nu1, nu2, " break-points", r.ResidualSumOfSquares,
                         sst - r.ResidualSumOfSquares, variance,
                         table.Test(sst - r.ResidualSumOfSquares, nu1, nu2, variance,
                                    kExactFitF));
  }
  table.WriteClosing(true);
  result.Anova = table.Rows();
  return table.Lines();
}

}  // namespace vornax
