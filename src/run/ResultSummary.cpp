// The plain-words summary of a run's numbers.
#include "run/ResultSummary.h"

#include <cmath>

#include "data/NumberFormat.h"

namespace vornax {

std::string FormatSignificant(double value, int digits) {
  if (!std::isfinite(value)) return value != value ? "n.a." : value > 0 ? "inf" : "-inf";
  const double magnitude = std::fabs(value);
  if (magnitude == 0) return "0";
  if (magnitude < 1e-4 || magnitude >= 1e7) return FormatExp(value, 0, digits);
  const int exponent = static_cast<int>(std::floor(std::log10(magnitude)));
  const int decimals = std::max(0, digits - 1 - exponent);
  return FormatFixed(value, 0, decimals);
}

std::string FormatP(double p, int permutations) {
  int decimals = 0;
  for (long long n = static_cast<long long>(permutations) + 1; n > 1; n /= 10) ++decimals;
  decimals = std::max(decimals, 2);
  std::string text = FormatFixed(p, 0, decimals);
  while (text.size() > 3 && text.back() == '0' && text[text.size() - 2] != '.') text.pop_back();
  return text;
}

namespace {

// The ANOVA row that judges the break: the extra explanation by the breakpoint.
const AnovaRowResult* BreakRow(const RunResult& r) {
  for (const AnovaRowResult& row : r.Anova) {
    if (row.Kind == "extra") return &row;
  }
  return nullptr;
}

}  // namespace

std::vector<std::string> SummaryLines(const RunResult& r) {
  std::vector<std::string> lines;
  if (!r.Valid) return lines;
  const std::string v = r.Variable;

  std::string type = "Function type " + FormatInt(r.Type) + ": " + r.TypeText;
  if (!type.empty() && type.back() == '.') type.pop_back();
  if (r.Method > 0) type += " (method " + FormatInt(r.Method) + ")";
  lines.push_back(type);

  if (r.HasBreakpoint) {
    std::string bp = "Breakpoint of " + v + ": " + FormatSignificant(r.Breakpoint, 4);
    if (r.BreakpointSE) {
      bp += ", standard error " + FormatSignificant(*r.BreakpointSE, 3);
      if (r.LowerLimit && r.UpperLimit) {
        bp += "; " + FormatInt(r.ConfidencePercent) + "% confidence limits " +
              FormatSignificant(*r.LowerLimit, 4) + " to " + FormatSignificant(*r.UpperLimit, 4);
      }
    } else {
      bp += " (a step; no standard error for this type)";
    }
    lines.push_back(bp);
  }

  if (r.HasBreakpoint) {
    lines.push_back("Y = " + FormatSignificant(r.SlopeBelow, 4) + "*" + v + " + " +
                    FormatSignificant(r.InterceptBelow, 4) + " when " + v + " < breakpoint; Y = " +
                    FormatSignificant(r.SlopeAbove, 4) + "*" + v + " + " +
                    FormatSignificant(r.InterceptAbove, 4) + " from there on");
  } else {
    lines.push_back("Y = " + FormatSignificant(r.SlopeAbove, 4) + "*" + v + " + " +
                    FormatSignificant(r.InterceptAbove, 4));
  }

  lines.push_back("Coefficient of explanation: " + FormatFixed(r.CE, 0, 4) +
                  " (straight line: " + FormatFixed(r.CEStraight, 0, 4) + ")");

  if (const AnovaRowResult* row = BreakRow(r)) {
    if (row->Significance) {
      lines.push_back("ANOVA: the extra explanation by the breakpoint is significant at " +
                      FormatFixed(*row->Significance, 0, 1) + " % (F(" + FormatInt(row->Df1) +
                      "," + FormatInt(row->Df2) + ") = " + FormatFixed(*row->F, 0, 3) + ")");
    } else {
      lines.push_back("ANOVA: too few data left to test the extra explanation by the breakpoint");
    }
  }

  if (!r.Candidates.empty()) {
    std::string line = "Best accepted coefficient of explanation per type:";
    for (const CandidateResult& c : r.Candidates) {
      line += " " + FormatInt(c.Type) + ": " + (c.Accepted ? FormatFixed(c.CE, 0, 4) : "-");
      if (c.Type == r.Type || (r.Type == 0 && c.Type == 1)) line += "*";
      if (c.Type != r.Candidates.back().Type) line += ",";
    }
    lines.push_back(line);
    lines.push_back("  (* the type reported; - no candidate passed the type's tests)");
  }

  if (r.BreakTest.Done) {
    lines.push_back("Break test: p = " + FormatP(r.BreakTest.P, r.BreakTest.Permutations) + " (" +
                    FormatInt(r.BreakTest.Permutations) +
                    " permutations; the search over breakpoints and types included)");
    const double alpha = 1 - r.ConfidencePercent / 100.0;
    if (r.BreakTest.P > alpha + 1e-12) {
      lines.push_back(r.HasBreakpoint
                          ? "Warning: the data show no break beyond what chance gives: shuffled "
                            "Y values found as large a gain from a break in " +
                                FormatInt(r.BreakTest.AtLeastAsLarge) + " of " +
                                FormatInt(r.BreakTest.Permutations) + " permutations."
                          : "The data show no break beyond what chance gives.");
    }
  }
  return lines;
}

}  // namespace vornax
