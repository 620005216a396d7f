// The plain-words summary of a run's numbers.
#include "run/ResultSummary.h"

#include <algorithm>
#include <cmath>
#include <optional>

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

// "0.06472*X" as the first term of an equation, " - 0.4157*Z" or " + 2.353" after it.
std::string Term(double value, const std::string& name, bool first) {
  const std::string factor = name.empty() ? "" : "*" + name;
  if (first) return FormatSignificant(value, 4) + factor;
  const bool negative = FormatSignificant(value, 4).front() == '-';
  return (negative ? " - " : " + ") + FormatSignificant(negative ? -value : value, 4) + factor;
}

// The significant digits that show a value to the third significant digit of `width` (at least
// four): a breakpoint of 1.688E+009 with limits 1.6875E+009 to 1.6882E+009 must print the digits
// in which the limits differ.
int DigitsAgainst(double value, double width) {
  constexpr int kLeast = 4, kMost = 15;
  if (!(width > 0) || !std::isfinite(width) || value == 0 || !std::isfinite(value)) return kLeast;
  const int valueExponent = static_cast<int>(std::floor(std::log10(std::fabs(value))));
  const int widthExponent = static_cast<int>(std::floor(std::log10(width)));
  return std::clamp(valueExponent - widthExponent + 3, kLeast, kMost);
}

struct BreakpointNumbers {
  double bp = 0;
  std::optional<double> se, low, high, likelihoodLow, likelihoodHigh;
};

// "Breakpoint of X: 80.48, standard error 1.22; 90% confidence limits 78.35 to 82.61;
// likelihood interval 77.9 to 83.0".
std::string BreakpointLine(const std::string& v, const BreakpointNumbers& b, int percent) {
  // Every value to the third significant digit of the narrower of the two intervals.
  double width = 0;
  auto narrower = [&width](const std::optional<double>& low, const std::optional<double>& high) {
    if (!low || !high) return;
    const double w = *high - *low;
    if (w > 0 && (width == 0 || w < width)) width = w;
  };
  narrower(b.low, b.high);
  narrower(b.likelihoodLow, b.likelihoodHigh);
  auto value = [width](double x) { return FormatSignificant(x, DigitsAgainst(x, width)); };
  std::string line = "Breakpoint of " + v + ": " + value(b.bp);
  if (!b.se) return line + " (a step; no standard error for this type)";
  line += ", standard error " + FormatSignificant(*b.se, 3);
  if (b.low && b.high) {
    line += "; " + FormatInt(percent) + "% confidence limits " + value(*b.low) + " to " +
            value(*b.high);
  }
  if (b.likelihoodLow && b.likelihoodHigh) {
    line += "; likelihood interval " + value(*b.likelihoodLow) + " to " + value(*b.likelihoodHigh);
  }
  return line;
}

// The information messages of the run, one line each.
void WarningLines(const RunResult& r, std::vector<std::string>& lines) {
  for (const std::string& text : r.Warnings) {
    const size_t start = text.find_first_not_of(' ');
    if (start == std::string::npos) continue;
    lines.push_back("Warning: " + text.substr(start));
  }
}

// The ANOVA's verdict on each breakpoint row.
void AnovaLines(const RunResult& r, std::vector<std::string>& lines) {
  for (const AnovaRowResult& row : r.Anova) {
    if (row.Kind != "extra") continue;
    const std::string source = r.Curve                          ? "the curve"
                               : r.Analysis == "two-variable" ? "the " + row.Source
                                                              : "the breakpoint";
    if (row.Significance) {
      // Below the confidence the run asked for, a percentage alone reads as a verdict of
      // significance: the verdict is said first. The comparison is of the percentage as printed.
      const std::string percent = FormatFixed(*row.Significance, 0, 1);
      const std::string f = "F(" + FormatInt(row.Df1) + "," + FormatInt(row.Df2) + ") = " +
                            FormatFixed(*row.F, 0, 3);
      const bool significant = std::round(*row.Significance * 10) / 10 >= r.ConfidencePercent;
      lines.push_back("ANOVA: the extra explanation by " + source +
                      (significant ? " is significant at " + percent + " % (" + f + ")"
                                   : " is not significant (" + percent + " %; " + f + ")"));
    } else {
      lines.push_back("ANOVA: too few data left to test the extra explanation by " + source);
    }
  }
}

// The break test's verdict when it finds no break: a warning of the summary's own.
std::optional<std::string> NoBreakWarning(const RunResult& r) {
  const double alpha = 1 - r.ConfidencePercent / 100.0;
  if (!r.BreakTest.Done || !(r.BreakTest.P > alpha + 1e-12)) return std::nullopt;
  return "the data show no break beyond what chance gives: shuffled "
         "residuals found as large a gain from a break in " +
         FormatInt(r.BreakTest.AtLeastAsLarge) + " of " + FormatInt(r.BreakTest.Permutations) +
         " permutations.";
}

// A breakpoint searched within a range that stops at the range's first or last candidate (or
// between it and the next) was most likely held back by the range: the data may break beyond
// it, and its limits cannot say so, as they are those of the range's best. An end of the range
// that lies beyond the data's candidates restricts nothing and is not meant.
std::optional<std::string> RangeEdgeWarning(const RunResult& r) {
  if (!r.HasBreakpoint || r.FixedBreakpoint || !r.SearchLow || !r.SearchHigh || r.BrokenLines ||
      r.Analysis == "two-variable" || r.X.size() < 2) {
    return std::nullopt;
  }
  const auto [lowest, highest] = std::minmax_element(r.X.begin(), r.X.end());
  // The search's candidates: 100 equally spaced from the lowest value on.
  constexpr int kCandidates = 100;
  const double step = (*highest - *lowest) / kCandidates;
  if (!(step > 0)) return std::nullopt;
  const double first = *lowest + std::ceil((*r.SearchLow - *lowest) / step - 1e-9) * step;
  const double last = *lowest + std::floor((*r.SearchHigh - *lowest) / step + 1e-9) * step;
  const double slack = 1e-9 * step;
  const bool lowCut = *r.SearchLow > *lowest + slack;
  const bool highCut = last < *lowest + (kCandidates - 1) * step - slack;
  const char* end = nullptr;
  if (lowCut && r.Breakpoint <= first + step + slack) {
    end = "lower";
  } else if (highCut && r.Breakpoint >= last - step - slack) {
    end = "upper";
  }
  if (end == nullptr) return std::nullopt;
  return "the breakpoint " + FormatSignificant(r.Breakpoint, 4) + " lies at the " + end +
         " end of the searched range (" + FormatSignificant(*r.SearchLow, 4) + " to " +
         FormatSignificant(*r.SearchHigh, 4) + "): the data may break " +
         (std::string(end) == "lower" ? "below" : "above") +
         " it; search a wider range.";
}

void BreakTestLines(const RunResult& r, std::vector<std::string>& lines) {
  if (!r.BreakTest.Done) return;
  const BreakTestResult& t = r.BreakTest;
  const std::string stopped =
      t.StoppedEarly ? ", stopped early when " + FormatInt(t.AtLeastAsLarge) +
                           " had reached the observed gain"
                     : "";
  lines.push_back("Break test: p = " + FormatP(t.P, t.Permutations) + " (" +
                  FormatInt(t.Permutations) + " permutations" + stopped +
                  "; the search over breakpoints and types included)");
  if (const auto warning = NoBreakWarning(r)) lines.push_back("Warning: " + *warning);
}

const char* StageTypeWords(int type) {
  switch (type) {
    case 0: return "a horizontal line, no breakpoint";
    case 1: return "a single sloping line, no breakpoint";
    case 2: return "two connected segments with lines of different slope";
    case 3: return "first a horizontal segment, then sloping";
    case 4: return "first a sloping segment, then horizontal";
    case 5: return "two segments with horizontal lines at different levels";
    default: return "two disconnected segments";
  }
}

std::vector<std::string> TwoVariableLines(const RunResult& r) {
  std::vector<std::string> lines;
  const bool xFirst = r.Sequence != 2;
  lines.push_back(xFirst ? "Sequence 1: Y upon X first, then the residuals upon Z"
                         : "Sequence 2: Y upon Z first, then the residuals upon X");
  for (size_t k = 0; k < r.Stages.size(); ++k) {
    const StageResult& st = r.Stages[k];
    std::string line = std::string(k == 0 ? "First stage (" : "Second stage (") + st.Variable +
                       "): type " + FormatInt(st.Type) + ", " + StageTypeWords(st.Type);
    if (st.Method > 0) line += " (method " + FormatInt(st.Method) + ")";
    lines.push_back(line);
    if (st.HasBreakpoint) {
      lines.push_back("  " + BreakpointLine(st.Variable,
                                            {st.Breakpoint, st.BreakpointSE, st.LowerLimit,
                                             st.UpperLimit, st.LikelihoodLower,
                                             st.LikelihoodUpper},
                                            r.ConfidencePercent));
    }
  }
  const std::string a = r.Stages.empty() ? "X" : r.Stages[0].Variable;
  const std::string b = a == "X" ? "Z" : "X";
  const PlaneResult& p = r.Plane;
  auto plane = [&](const char* when, double av, double bv, double cv) {
    lines.push_back(std::string("  ") + when + ": Y = " + Term(av, a, true) + Term(bv, b, false) +
                    Term(cv, "", false));
  };
  // A stage without a breakpoint has one region only (all its data lie at or above the
  // variable's minimum): no plane is listed for a region below a breakpoint that does not exist.
  const bool aBroken = !r.Stages.empty() && r.Stages[0].HasBreakpoint;
  const bool bBroken = r.Stages.size() > 1 && r.Stages[1].HasBreakpoint;
  if (!aBroken && !bBroken) {
    lines.push_back("Plane (no breakpoints):");
    plane("all data", p.Ag, p.Bg, p.Cgg);
  } else {
    lines.push_back("Planes (below / at or above each breakpoint):");
    if (aBroken && bBroken) {
      plane((a + " below, " + b + " below").c_str(), p.As, p.Bs, p.Css);
      plane((a + " below, " + b + " above").c_str(), p.As, p.Bg, p.Csg);
      plane((a + " above, " + b + " below").c_str(), p.Ag, p.Bs, p.Cgs);
      plane((a + " above, " + b + " above").c_str(), p.Ag, p.Bg, p.Cgg);
    } else if (aBroken) {
      plane((a + " below").c_str(), p.As, p.Bg, p.Csg);
      plane((a + " above").c_str(), p.Ag, p.Bg, p.Cgg);
    } else {
      plane((b + " below").c_str(), p.Ag, p.Bs, p.Cgs);
      plane((b + " above").c_str(), p.Ag, p.Bg, p.Cgg);
    }
  }
  lines.push_back("Overall coefficient of explanation: " + FormatFixed(r.CE, 0, 4) +
                  " (the least-squares plane of X and Z without breakpoints: " +
                  FormatFixed(r.CEWithoutBreaks, 0, 4) + ")");
  AnovaLines(r, lines);
  BreakTestLines(r, lines);
  WarningLines(r, lines);
  return lines;
}

const char* CurveWords(CurveKind kind) {
  switch (kind) {
    case CurveKind::Quadratic: return "quadratic curve";
    case CurveKind::Cubic: return "cubic curve";
    case CurveKind::Power: return "power curve";
    case CurveKind::Logistic: return "logistic S-curve";
    case CurveKind::Gumbel: return "Gumbel S-curve";
    case CurveKind::InvertedGumbel: return "inverted Gumbel S-curve";
    case CurveKind::Fisk: return "Fisk S-curve";
  }
  return "curve";
}

// An S-curve as an equation in the numbers found, and which way it runs between its
// asymptotes: the parameters alone leave both to the reader's algebra.
void SCurveLines(const CurveResult& c, const std::string& v, std::vector<std::string>& lines) {
  const bool fisk = c.Kind == CurveKind::Fisk;
  if (!fisk && c.Kind != CurveKind::Logistic && c.Kind != CurveKind::Gumbel &&
      c.Kind != CurveKind::InvertedGumbel) {
    return;
  }
  // The variable as the curve takes it: shifted, and raised to the exponent.
  std::string base = v;
  if (c.XShifted) base = "(" + v + Term(-c.Shift, "", false) + ")";
  const double a = c.Coeff[0], b = c.Coeff[1];
  std::string equation;
  bool rises = false;
  std::string from, to;
  if (fisk) {
    // C/(1 + (X/A)^B) falls from C towards 0 for A and B above 0; the mirrored form rises.
    const std::string cc = FormatSignificant(c.Coeff[2], 4);
    const std::string fraction = cc + "/(1 + (" + base + "/" + FormatSignificant(a, 4) + ")^" +
                                 FormatSignificant(b, 4) + ")";
    equation = c.Increasing ? cc + " - " + fraction : fraction;
    rises = c.Increasing;
    from = rises ? "0" : cc;
    to = rises ? cc : "0";
  } else {
    const std::string xv =
        c.Exponent != 1 ? base + "^" + FormatSignificant(c.Exponent, 3) : base;
    const std::string u = Term(a, xv, true) + Term(b, "", false);
    const std::string low = FormatSignificant(c.Ymin, 4);
    const std::string span = FormatSignificant(c.Ymax - c.Ymin, 4);
    if (c.Kind == CurveKind::Logistic) {
      equation = low + " + " + span + "/(1 + exp(" + u + "))";
      rises = a < 0;
    } else if (c.Kind == CurveKind::Gumbel) {
      equation = low + " + " + span + "*exp(-exp(" + u + "))";
      rises = a < 0;
    } else {
      equation = low + " + " + span + "*(1 - exp(-exp(" + u + ")))";
      rises = a > 0;
    }
    const std::string high = FormatSignificant(c.Ymax, 4);
    from = rises ? low : high;
    to = rises ? high : low;
  }
  lines.push_back("Y = " + equation);
  if (a == 0) {
    lines.push_back("The curve is level: Y does not change with " + v);
    return;
  }
  lines.push_back(std::string("The curve ") + (rises ? "rises" : "falls") + " as " + v +
                  " grows, from " + from + " towards " + to);
}

std::vector<std::string> CurveLines(const RunResult& r) {
  const CurveResult& c = *r.Curve;
  std::vector<std::string> lines;
  const std::string v = c.IsZ ? "Z" : "X";
  lines.push_back(std::string("Curve: ") + CurveWords(c.Kind) + " of Y upon " + v);
  const bool cubic = c.Kind == CurveKind::Cubic;
  const bool polynomial = c.Kind == CurveKind::Quadratic || cubic;
  const int count = cubic ? 4 : polynomial || c.Kind == CurveKind::Fisk ? 3 : 2;
  static const char* const kNames[4] = {"A", "B", "C", "D"};
  std::string parameters = "Parameters as the report names them:";
  for (int i = 0; i < count; ++i) {
    parameters += std::string(i == 0 ? " " : ", ") + kNames[i] + " = " +
                  FormatSignificant(c.Coeff[static_cast<size_t>(i)], 4);
  }
  if (c.Kind == CurveKind::Power) {
    parameters += "; power P = " + FormatSignificant(c.Exponent, 3) + ", shift C = " +
                  FormatSignificant(c.Shift, 4);
  } else if (c.Exponent != 1 || c.ExponentSearched) {
    parameters += "; exponent E = " + FormatSignificant(c.Exponent, 3);
  }
  if (c.XShifted && c.Kind != CurveKind::Power) {
    parameters += "; " + v + " shifted by " + FormatSignificant(c.Shift, 4);
  }
  if (c.Kind == CurveKind::Logistic || c.Kind == CurveKind::Gumbel ||
      c.Kind == CurveKind::InvertedGumbel) {
    parameters += "; asymptotes Ymax = " + FormatSignificant(c.Ymax, 4) + ", Ymin = " +
                  FormatSignificant(c.Ymin, 4);
  }
  lines.push_back(parameters);
  SCurveLines(c, v, lines);
  lines.push_back("Coefficient of explanation: " + FormatFixed(r.CE, 0, 4) +
                  " (straight line: " + FormatFixed(r.CEStraight, 0, 4) + ")");
  AnovaLines(r, lines);
  WarningLines(r, lines);
  return lines;
}

// Where the ± limits of breakpoint j reach past a neighbouring breakpoint they describe no line
// the model allows (the breakpoints keep their order): the words that say so.
std::string LimitsPastNeighbours(const std::vector<BrokenLinePoint>& points, size_t j) {
  std::vector<std::string> past;
  if (j > 0 && points[j].LowerLimit < points[j - 1].Value) past.push_back(FormatInt(static_cast<long long>(j)));
  if (j + 1 < points.size() && points[j].UpperLimit > points[j + 1].Value)
    past.push_back(FormatInt(static_cast<long long>(j) + 2));
  if (past.empty()) return "";
  return "; the confidence limits reach past breakpoint " +
         (past.size() == 2 ? past[0] + " and " + past[1] : past[0]) +
         ", so read the likelihood interval";
}

// A broken line with several breakpoints: each breakpoint with its limits and likelihood
// interval, the slopes of the segments, and how the number of breakpoints was decided.
std::vector<std::string> BrokenLinesLines(const RunResult& r) {
  std::vector<std::string> lines;
  const BrokenLinesResult& b = *r.BrokenLines;
  const std::string v = r.Variable;
  const int k = b.Breakpoints;
  lines.push_back(k == 0 ? "Broken line: no breakpoint is significant; the straight line is reported"
                         : "Broken line with " + FormatInt(k) +
                               (k == 1 ? " breakpoint" : " breakpoints") +
                               (b.Choice == "auto" ? " (as many as the tests find)" : ""));
  for (size_t j = 0; j < b.Points.size(); ++j) {
    const BrokenLinePoint& p = b.Points[j];
    lines.push_back("Breakpoint " + FormatInt(static_cast<long long>(j) + 1) + " of " + v + ": " +
                    FormatSignificant(p.Value, 4) + ", standard error " +
                    FormatSignificant(p.StandardError, 3) + "; " +
                    FormatInt(r.ConfidencePercent) + "% confidence limits " +
                    FormatSignificant(p.LowerLimit, 4) + " to " +
                    FormatSignificant(p.UpperLimit, 4) + "; likelihood interval " +
                    FormatSignificant(p.LikelihoodLower, 4) +
                    (p.LikelihoodLowerAtEnd ? " (end of range)" : "") + " to " +
                    FormatSignificant(p.LikelihoodUpper, 4) +
                    (p.LikelihoodUpperAtEnd ? " (end of range)" : "") +
                    LimitsPastNeighbours(b.Points, j));
  }
  std::string slopes = "Slopes of the segments:";
  for (size_t s = 0; s < b.Segments.size(); ++s) {
    slopes += (s ? ", " : " ") + FormatSignificant(b.Segments[s].Slope, 4) + " (s.e. " +
              FormatSignificant(b.Segments[s].SlopeStandardError, 3) + ")";
  }
  lines.push_back(slopes);
  lines.push_back("Coefficient of explanation: " + FormatFixed(r.CE, 0, 4) +
                  " (straight line: " + FormatFixed(r.CEStraight, 0, 4) + ")");
  for (const BrokenLineStepResult& s : b.Steps) {
    if (s.Breakpoints == 0) continue;
    std::string line = FormatInt(s.Breakpoints) + " against " + FormatInt(s.Breakpoints - 1) +
                       " breakpoints: F(" + FormatInt(s.Df1) + "," + FormatInt(s.Df2) + ") = " +
                       FormatFixed(s.F, 0, 3) + ", p = " + FormatSignificant(s.Probability, 3);
    if (s.PermutationP) {
      line += "; permutation test p = " + FormatSignificant(*s.PermutationP, 3) + " (" +
              FormatInt(s.Permutations) + " shuffles" +
              (s.StoppedEarly ? ", stopped early" : "") + ")";
    }
    lines.push_back(line);
  }
  WarningLines(r, lines);
  return lines;
}

// "Y rises by 0.3716 per unit of X".
std::string Slope(double slope, const std::string& v) {
  return std::string(slope < 0 ? "falls" : "rises") + " by " +
         FormatSignificant(std::fabs(slope), 4) + " per unit of " + v;
}

// What a partial regression found, in words: where Y does not respond to the variable and on
// what level, and what it does elsewhere.
void PartialLines(const RunResult& r, std::vector<std::string>& lines) {
  const LevelStretchResult& s = *r.LevelStretch;
  const std::string v = r.Variable;
  auto at = [](double x) { return FormatSignificant(x, 4); };
  if (!r.HasBreakpoint) {
    lines.push_back("Partial regression: no range of no effect found; Y responds to " + v +
                    " over its whole range");
  } else if (s.ThreePiece) {
    lines.push_back("Partial regression: no response to " + v + " up to " + at(s.ThresholdLow) +
                    ", on a level of " + at(s.LevelLow) + "; from " + at(s.ThresholdHigh) +
                    " on a level of " + at(s.LevelHigh));
    // The middle piece joins the two levels (its own line runs through the few data sets
    // between the thresholds, often one): from one level to the other says what it does.
    lines.push_back(std::string("In between Y ") + (s.LevelHigh < s.LevelLow ? "falls" : "rises") +
                    " from " + at(s.LevelLow) + " to " + at(s.LevelHigh) +
                    "; coefficient of explanation of these three pieces: " +
                    FormatFixed(s.CentralCE, 0, 4) + " (straight line: " +
                    FormatFixed(r.CEStraight, 0, 4) + ")");
  } else if (r.Type == 3) {
    lines.push_back("Partial regression: no response to " + v + " up to " + at(r.Breakpoint) +
                    ", on a level of " + at(r.InterceptBelow) + "; from there on Y " +
                    Slope(r.SlopeAbove, v));
  } else {
    lines.push_back("Partial regression: Y " + Slope(r.SlopeBelow, v) + " up to " +
                    at(r.Breakpoint) + "; from there on no response to " + v +
                    ", on a level of " + at(r.InterceptAbove));
  }
}

}  // namespace

std::vector<std::string> SummaryWarnings(const RunResult& r) {
  std::vector<std::string> warnings;
  if (!r.Valid) return warnings;
  for (const auto& warning : {RangeEdgeWarning(r), NoBreakWarning(r)}) {
    if (warning) warnings.push_back(*warning);
  }
  return warnings;
}

std::vector<std::string> SummaryLines(const RunResult& r) {
  std::vector<std::string> lines;
  if (!r.Valid) return lines;
  if (r.BrokenLines) return BrokenLinesLines(r);
  if (r.Analysis == "two-variable") return TwoVariableLines(r);
  if (r.Curve) return CurveLines(r);
  const std::string v = r.Variable;

  // A partial regression leads with its own answer; the type-3 or type-4 line of its report
  // follows as what it is.
  const bool threePiece = r.LevelStretch && r.LevelStretch->ThreePiece && r.HasBreakpoint;
  if (r.LevelStretch) PartialLines(r, lines);

  std::string type = threePiece ? "The report's type-" + FormatInt(r.Type) +
                                      " line, with one level stretch only: " + r.TypeText
                                : "Function type " + FormatInt(r.Type) + ": " + r.TypeText;
  if (!type.empty() && type.back() == '.') type.pop_back();
  if (r.Method > 0) type += " (method " + FormatInt(r.Method) + ")";
  lines.push_back(type);

  if (r.HasBreakpoint) {
    lines.push_back(BreakpointLine(v,
                                   {r.Breakpoint, r.BreakpointSE, r.LowerLimit, r.UpperLimit,
                                    r.LikelihoodLower, r.LikelihoodUpper},
                                   r.ConfidencePercent));
  }
  if (r.FixedBreakpoint) {
    const std::string at = FormatSignificant(*r.FixedBreakpoint, 4);
    lines.push_back(r.HasBreakpoint
                        ? "The breakpoint was fixed at " + at +
                              " by the user, not searched: the break test does not apply, and "
                              "the F test of the ANOVA table is the test of the break"
                        : "The breakpoint was fixed at " + at +
                              " by the user, and no type with a breakpoint held there");
  } else if (r.SearchLow && r.SearchHigh) {
    lines.push_back("The breakpoint was searched from " + FormatSignificant(*r.SearchLow, 4) +
                    " to " + FormatSignificant(*r.SearchHigh, 4) + " only");
    if (const auto warning = RangeEdgeWarning(r)) lines.push_back("Warning: " + *warning);
  }

  if (r.HasBreakpoint) {
    lines.push_back("Y = " + Term(r.SlopeBelow, v, true) + Term(r.InterceptBelow, "", false) +
                    " when " + v + " < breakpoint; Y = " + Term(r.SlopeAbove, v, true) +
                    Term(r.InterceptAbove, "", false) + " from there on");
  } else {
    lines.push_back("Y = " + Term(r.SlopeAbove, v, true) + Term(r.InterceptAbove, "", false));
  }

  lines.push_back(std::string(threePiece ? "Coefficient of explanation of the type-" +
                                               FormatInt(r.Type) + " line: "
                                         : "Coefficient of explanation: ") +
                  FormatFixed(r.CE, 0, 4) + " (straight line: " + FormatFixed(r.CEStraight, 0, 4) +
                  ")");

  AnovaLines(r, lines);

  if (!r.Candidates.empty()) {
    std::string line = "Best accepted coefficient of explanation per type:";
    // A slope too weak to count makes the single line a horizontal one: type 0 is reported.
    if (r.Type == 0) line += " 0: " + FormatFixed(0.0, 0, 4) + "*,";
    for (const CandidateResult& c : r.Candidates) {
      line += " " + FormatInt(c.Type) + ": " + (c.Accepted ? FormatFixed(c.CE, 0, 4) : "-");
      if (c.Type == r.Type) line += "*";
      if (c.Type != r.Candidates.back().Type) line += ",";
    }
    lines.push_back(line);
    lines.push_back("  (* the type reported; - no candidate passed the type's tests)");
  }

  BreakTestLines(r, lines);
  WarningLines(r, lines);
  return lines;
}

}  // namespace vornax
