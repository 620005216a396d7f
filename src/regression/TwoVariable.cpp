// The two calculation sequences of the two-variable segmented regression, the choice between
// them, and the combination of their stages.
//
// Every stage runs on the one SegmentEngine of the run, attached in turn to Y on X, Y on Z, X on
// Z (or Z on X) and the residuals on the second variable. The engine is always given its pair
// sorted by the regressor (a copy; the data set is never reordered), so a candidate breakpoint
// costs a binary search and the residual pass, as in the one-variable run. The slope standard
// errors that an evaluation leaves carry on to the next one, whichever pair that is on.
#include "regression/TwoVariable.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <numeric>

#include "data/TextFile.h"
#include "regression/AnalysisGuards.h"
#include "regression/LeastSquaresFit.h"
#include "regression/LikelihoodInterval.h"
#include "regression/TwoVariableReport.h"

namespace vornax {
namespace {

// Attaches `dependent` upon a sorted regressor: the dependent values are copied into the
// regressor's order.
class StagePair {
 public:
  void Attach(SegmentEngine& engine, const SortedVariable& regressor, const long double* dependent) {
    const size_t n = regressor.Order.size();
    y_.resize(n);
    for (size_t i = 0; i < n; ++i) y_[i] = dependent[regressor.Order[i]];
    engine.Attach(y_.data(), regressor.Values.data(), static_cast<int>(n));
    engine.Xmin = regressor.Min;
    engine.Xmax = regressor.Max;
  }

 private:
  std::vector<long double> y_;
};

// The report of one block: the lines of the type at the breakpoint, their error terms and the
// quantities of the parameter table. The engine keeps the lines for the residuals.
TwoVariableSection ReportSection(SegmentEngine& e, TwoVariableSection::Kind kind, bool isZ,
                                 int type, int method, double bp, int n,
                                 bool* singleSlopeSignificant = nullptr) {
  // The stage's lines are those its planes combine: two parallel lines of type 6 stay as fitted.
  const ReportedLines lines = BuildReportedLines(e, bp, type, method, false);
  e.ComputeBreakpointErrors(type, method, bp);
  TwoVariableSection s;
  s.Section = kind;
  s.VariableIsZ = isZ;
  s.Type = type;
  s.Method = method;
  s.BP = bp;
  s.Stats = e.Stats;
  s.Slope = e.Slope;
  s.AnchorX = e.AnchorX;
  s.AnchorY = e.AnchorY;
  s.SSDFinal = e.SSDFinal;
  s.SERC = e.SERC;
  s.SEBP = e.SEBP;
  s.SDYbp = e.SDYbp;
  s.SESlope = e.SESlope;
  s.CE = lines.CE;
  s.StDevDiffYav = lines.StDevDiffYav;
  if (type == kType3 || type == kType4) s.Shift = ComputeLevelShift(e, type, bp, n);
  if (type == kType6) s.Levels = ComputeType6Levels(e, bp, n);
  if (singleSlopeSignificant != nullptr) *singleSlopeSignificant = lines.SingleSlopeSignificant;
  return s;
}

// The dependent values less the engine's current lines, per data set as entered. A value equal
// to the breakpoint belongs to the upper line.
void FormResiduals(const SegmentEngine& e, double bp, const long double* dependent,
                   const long double* regressor, int n, std::vector<long double>& residuals) {
  residuals.resize(static_cast<size_t>(n));
  const long double limit = bp;
  for (int i = 0; i < n; ++i) {
    const size_t s = regressor[i] < limit ? 1 : 2;
    const long double ax = e.AnchorX[s], slope = e.Slope[s], ay = e.AnchorY[s];
    residuals[static_cast<size_t>(i)] = (dependent[i] - ay) - (regressor[i] - ax) * slope;
  }
}

// Sum of squared deviations from the average, in two passes so that a large common level costs
// no digits.
long double SumSquaredDeviations(const std::vector<long double>& v) {
  if (v.empty()) return 0;
  long double sum = 0;
  for (long double a : v) sum += a;
  const long double mean = sum / static_cast<long double>(v.size());
  long double ss = 0;
  for (long double a : v) ss += (a - mean) * (a - mean);
  return ss;
}

// The stage's lines as they enter the combined equations: the stage is evaluated again at its
// breakpoint and adjusted by its type at once, before anything else runs on the engine, so the
// type-6 rule reads this stage's own standard errors.
void StageEquation(SegmentEngine& e, TwoVariableStage& stage) {
  double bp = stage.BP, ce = 0;
  int code = stage.Type;
  e.EvaluateBreakpoint(bp, ce, code, stage.Method);
  double p1 = e.Slope[1], p2 = e.Slope[2];
  double q1 = e.AnchorY[1], q2 = e.AnchorY[2];
  const double a1 = e.AnchorX[1], a2 = e.AnchorX[2];
  bp = stage.BP;
  switch (stage.Type) {
    case kTypeHorizontal:
      // The level stays: it carries the average of what the stage fitted.
      p2 = 0;
      p1 = q1 = 0;
      break;
    case kTypeSingle:
      p1 = q1 = 0;
      break;
    case kType2:
      if (stage.Method == 1) {
        const double ybp = q1 + (bp - a1) * p1;
        if (bp != a2) p2 = (ybp - q2) / (bp - a2);
      } else {
        const double ybp = (bp - a2) * p2 + q2;
        if (bp != a1) p1 = (ybp - q1) / (bp - a1);
      }
      break;
    case kType3:
      p1 = 0;
      if (stage.Method == 2) {
        p2 = a2 != bp ? (q2 - q1) / (a2 - bp) : 0;
      } else {
        q1 = (bp - a2) * p2 + q2;
      }
      break;
    case kType4:
      p2 = 0;
      if (stage.Method == 2) {
        p1 = bp != a1 ? (q2 - q1) / (bp - a1) : 0;
      } else {
        q2 = (bp - a1) * p1 + q1;
      }
      break;
    case kType5:
      p1 = p2 = 0;
      break;
    case kType6:
      e.ComputeBreakpointErrors(kType6, 0, bp);
      if (e.SlopeMargin(1) < 0) p1 = 0;
      if (e.SlopeMargin(2) < 0) p2 = 0;
      break;
    default:
      break;
  }
  stage.Slope = {0, p1, p2};
  stage.AnchorX = {0, a1, a2};
  stage.AnchorY = {0, q1, q2};
}

}  // namespace

VariableSearchResult SearchBestType(SegmentEngine& e, int preferredType, int excludedType) {
  VariableSearchResult r;
  BreakpointCandidates candidates = MakeBreakpointCandidates(e.Xmin, e.Xmax);
  double bp = e.Xmin, ce = 0;
  int code = kTypeSingle;
  e.EvaluateBreakpoint(bp, ce, code, e.OptMethod);
  r.Type = kTypeSingle;
  r.BP = e.Xmin;
  r.CE = ce;
  if (preferredType == kTypeSingle) return r;

  // The thresholds stay as the closed form found them until the search ends.
  SegmentEngine::CandidateCE threshold = SegmentEngine::CandidateCE::Of(ce);
  SegmentEngine::CandidateCE found = threshold;
  auto pass = [&](int type, int method) {
    if (ScanCandidates(e, candidates, type, method, threshold, r.BP)) {
      r.Type = type;
      found = threshold;
      if (type != kType5 && type != kType6) r.Method = method;
    }
  };
  if (excludedType != kType3) {
    pass(kType3, 1);
    pass(kType3, 2);
  }
  if (excludedType != kType4) {
    pass(kType4, 1);
    pass(kType4, 2);
  }
  // Types 5, 2 and 6 must each beat the best so far by 10 %; an excluded type leaves the bar.
  if (excludedType != kType5) {
    threshold = threshold.Times(1.1);
    pass(kType5, 0);
  }
  if (excludedType != kType2) {
    threshold = threshold.Times(1.1);
    pass(kType2, 1);
    pass(kType2, 2);
  }
  if (excludedType != kType6) {
    threshold = threshold.Times(1.1);
    pass(kType6, 0);
  }
  r.CE = e.ExactValue(found);
  e.Settle();
  return r;
}

SortedVariable SortVariable(const long double* v, int n) {
  SortedVariable s;
  s.Order.resize(static_cast<size_t>(std::max(n, 0)));
  std::iota(s.Order.begin(), s.Order.end(), size_t{0});
  std::stable_sort(s.Order.begin(), s.Order.end(), [&](size_t a, size_t b) { return v[a] < v[b]; });
  s.Values.resize(s.Order.size());
  for (size_t i = 0; i < s.Order.size(); ++i) s.Values[i] = v[s.Order[i]];
  const auto [lo, hi] = SegmentEngine::ExtremesOf(s.Values.data(), n);
  s.Min = lo;
  s.Max = hi;
  return s;
}

std::optional<std::string> AnalyseTwoVariables(const long double* y, const long double* x,
                                               const long double* z, int n,
                                               const TwoVariableChoices& choices,
                                               RegressionCarryOver& carry,
                                               TwoVariableResult& result) {
  if (n < 3) return AnalyseTwoVariables(y, x, z, {}, {}, n, choices, carry, result);
  return AnalyseTwoVariables(y, x, z, SortVariable(x, n), SortVariable(z, n), n, choices, carry,
                             result);
}

std::optional<std::string> AnalyseTwoVariables(const long double* y, const long double* x,
                                               const long double* z, const SortedVariable& sortedX,
                                               const SortedVariable& sortedZ, int n,
                                               const TwoVariableChoices& choices,
                                               RegressionCarryOver& carry,
                                               TwoVariableResult& result) {
  result = TwoVariableResult{};
  result.NrOfData = n;
  if (n < 3) {
    return "The database is not fit for regression analysis. There are fewer than three data "
           "sets. Please correct the input file.";
  }

  // 1-3. Extremes and variation.
  if (sortedX.Max - sortedX.Min < 0.001 || sortedZ.Max - sortedZ.Min < 0.001) {
    return "The database is not fit for regression analysis. There is no variation in X or "
           "Z-values. Please correct the input file.";
  }

  SegmentEngine e;
  e.ConfidenceT = choices.ConfidenceT;
  e.Restore(carry);
  StagePair pair;

  // 4-5. The search on each variable.
  pair.Attach(e, sortedX, y);
  result.SearchX = SearchBestType(e, choices.PreferredTypeX, choices.ExcludedTypeX);
  pair.Attach(e, sortedZ, y);
  result.SearchZ = SearchBestType(e, choices.PreferredTypeZ, choices.ExcludedTypeZ);

  // 7. Preferences.
  auto preferenceMissed = [](int preferred, const VariableSearchResult& found) {
    return preferred >= 1 && preferred <= 6 && preferred != found.Type;
  };
  if (preferenceMissed(choices.PreferredTypeX, result.SearchX)) {
    carry = e.CarryOver();
    return " The preferred X-type could not be found. Try another preference.";
  }
  if (preferenceMissed(choices.PreferredTypeZ, result.SearchZ)) {
    carry = e.CarryOver();
    return " The preferred Z-type could not be found. Try another preference.";
  }

  // 8. The sequence: X first only when it explains strictly more.
  result.SequenceNr = result.SearchX.CE > result.SearchZ.CE ? 1 : 2;
  const bool xFirst = result.SequenceNr == 1;
  const SortedVariable& first = xFirst ? sortedX : sortedZ;
  const SortedVariable& second = xFirst ? sortedZ : sortedX;
  const long double* u = xFirst ? x : z;
  const long double* v = xFirst ? z : x;
  const VariableSearchResult& firstSearch = xFirst ? result.SearchX : result.SearchZ;

  TwoVariableStage& s1 = result.First;
  s1.VariableIsZ = !xFirst;
  s1.Type = firstSearch.Type;
  s1.Method = firstSearch.Method;
  s1.BP = firstSearch.Type >= 2 ? firstSearch.BP : first.Min;
  s1.Min = first.Min;
  s1.Max = first.Max;
  s1.SearchCE = firstSearch.CE;

  // 9. First stage without breakpoint; an insignificant single slope is no relation, and the
  // residuals are then the deviations from the average.
  std::vector<long double> firstResiduals;
  pair.Attach(e, first, y);
  bool significant = true;
  result.Sections.push_back(ReportSection(e, TwoVariableSection::FirstWithout, !xFirst,
                                          kTypeSingle, s1.Method, first.Min, n, &significant));
  result.SingleSlopeSignificant = significant;
  if (s1.Type == kTypeSingle && !significant) {
    s1.Type = kTypeHorizontal;
    e.Slope[2] = 0;
  }
  FormResiduals(e, first.Min, y, u, n, firstResiduals);
  result.SST = static_cast<double>(e.SRYsqT);
  result.SSLine1 = static_cast<double>(e.Stats[2].SSD);

  // 11. First stage with its breakpoint.
  if (s1.Type >= 2) {
    result.Sections.push_back(
        ReportSection(e, TwoVariableSection::FirstWith, !xFirst, s1.Type, s1.Method, s1.BP, n));
    FormResiduals(e, s1.BP, y, u, n, firstResiduals);
  }
  result.SSRes1 = static_cast<double>(SumSquaredDeviations(firstResiduals));

  // 12. The relation between the independent variables (informative only).
  pair.Attach(e, second, u);
  result.Sections.push_back(ReportSection(e, TwoVariableSection::Relation, xFirst, kTypeSingle,
                                          s1.Method, second.Min, n));

  // 13. Second stage: the first residuals upon the second variable.
  const int preferred2 = xFirst ? choices.PreferredTypeZ : choices.PreferredTypeX;
  const int excluded2 = xFirst ? choices.ExcludedTypeZ : choices.ExcludedTypeX;
  pair.Attach(e, second, firstResiduals.data());
  const VariableSearchResult secondSearch = SearchBestType(e, preferred2, excluded2);
  TwoVariableStage& s2 = result.Second;
  s2.VariableIsZ = xFirst;
  s2.Type = secondSearch.Type;
  s2.Method = secondSearch.Method;
  s2.BP = secondSearch.Type >= 2 ? secondSearch.BP : second.Min;
  s2.Min = second.Min;
  s2.Max = second.Max;
  s2.SearchCE = secondSearch.CE;

  std::vector<long double> latest;
  result.Sections.push_back(ReportSection(e, TwoVariableSection::SecondWithout, xFirst,
                                          kTypeSingle, s2.Method, second.Min, n, &significant));
  if (s2.Type == kTypeSingle && !significant) {
    s2.Type = kTypeHorizontal;
    e.Slope[2] = 0;
  }
  FormResiduals(e, second.Min, firstResiduals.data(), v, n, latest);
  result.SSLine2 = static_cast<double>(e.Stats[2].SSD);
  if (s2.Type >= 2) {
    result.Sections.push_back(
        ReportSection(e, TwoVariableSection::SecondWith, xFirst, s2.Type, s2.Method, s2.BP, n));
    FormResiduals(e, s2.BP, firstResiduals.data(), v, n, latest);
    result.SSSeg2 = e.SSDFinal[1] + e.SSDFinal[2];
  }

  // Combination: each stage evaluated again and adjusted before the next one runs.
  pair.Attach(e, first, y);
  StageEquation(e, s1);
  pair.Attach(e, second, firstResiduals.data());
  StageEquation(e, s2);
  carry = e.CarryOver();

  result.As = s1.Slope[1];
  result.Ag = s1.Slope[2];
  result.Bs = s2.Slope[1];
  result.Bg = s2.Slope[2];
  auto constant = [&](int side1, int side2) {
    return s1.AnchorY[side1] + s2.AnchorY[side2] - s1.Slope[side1] * s1.AnchorX[side1] -
           s2.Slope[side2] * s2.AnchorX[side2];
  };
  result.Css = constant(1, 1);
  result.Csg = constant(1, 2);
  result.Cgs = constant(2, 1);
  result.Cgg = constant(2, 2);

  const size_t count = static_cast<size_t>(n);
  result.FirstResiduals.assign(firstResiduals.begin(), firstResiduals.end());
  result.LatestResiduals.assign(latest.begin(), latest.end());
  result.YCalc.resize(count);
  std::vector<long double> deviations(count);
  const long double bp1 = s1.BP, bp2 = s2.BP;
  for (size_t i = 0; i < count; ++i) {
    const int side1 = u[i] < bp1 ? 1 : 2;
    const int side2 = v[i] < bp2 ? 1 : 2;
    // The constant of the plane is split back into the two anchored lines, so that values far
    // from zero keep their digits.
    const long double yc = (s1.AnchorY[side1] + (u[i] - s1.AnchorX[side1]) * s1.Slope[side1]) +
                           (s2.AnchorY[side2] + (v[i] - s2.AnchorX[side2]) * s2.Slope[side2]);
    result.YCalc[i] = static_cast<double>(yc);
    deviations[i] = y[i] - yc;
  }
  std::vector<long double> ys(y, y + count);
  const long double sst = SumSquaredDeviations(ys);
  long double ssr = 0;
  for (long double d : deviations) ssr += d * d;
  // Nothing to explain when Y does not vary, as for every coefficient of explanation.
  result.OverallCE = sst > 0 ? static_cast<double>(1 - ssr / sst) : 0;
  const std::vector<long double> plane = LeastSquaresFit(y, n, {x, z});
  long double ssp = 0;
  for (size_t i = 0; i < count; ++i) ssp += (y[i] - plane[i]) * (y[i] - plane[i]);
  result.PlaneCE = sst > 0 ? static_cast<double>(1 - ssp / sst) : 0;
  return std::nullopt;
}

void RunTwoVariableRegression(TDMVornax& data, RunOptions& options, UserDialogs& dialogs) {
  const std::filesystem::path input = data.FileName;
  auto refuse = [&](const std::string& message) {
    dialogs.ShowMessage(message);
    options.AnalysisFailed = true;
    RemoveStaleReports(input, data.Memory);
  };
  const size_t n = data.NrOfData > 0 ? static_cast<size_t>(data.NrOfData) : 0;
  if (data.YData.size() < n || data.XData.size() < n || data.ZData.size() < n) {
    refuse("The database is not fit for regression analysis. The data set is incomplete.");
    return;
  }
  if (n >= 3 && (!WithinAnalysableRange(data.YData, n) || !WithinAnalysableRange(data.XData, n) ||
                 !WithinAnalysableRange(data.ZData, n))) {
    refuse("The database is not fit for regression analysis. Data values must lie between "
           "-1E+100 and 1E+100. Please correct the input file.");
    return;
  }
  data.VarOption = 3;

  TwoVariableChoices choices;
  choices.ConfidenceT = options.ConfidenceT;
  choices.PreferredTypeX = options.PreferredTypeX;
  choices.PreferredTypeZ = options.PreferredTypeZ;
  choices.ExcludedTypeX = options.ExcludedTypeX;
  choices.ExcludedTypeZ = options.ExcludedTypeZ;
  const RegressionCarryOver start{options.CarriedSERC1, options.CarriedSERC2,
                                  options.CarriedOptMethod};
  RegressionCarryOver carry = start;
  TwoVariableResult result;
  const auto problem = AnalyseTwoVariables(data.YData.data(), data.XData.data(),
                                           data.ZData.data(), static_cast<int>(n), choices,
                                           carry, result);
  options.CarriedSERC1 = carry.SERC1;
  options.CarriedSERC2 = carry.SERC2;
  options.CarriedOptMethod = carry.OptMethod;
  if (problem) {
    refuse(*problem);
    return;
  }

  const std::filesystem::path outPath = WithExtension(input, ".out");
  const std::filesystem::path varPath = WithExtension(input, ".var");
  TwoVariableReportContext context;
  context.OutputPath = PathText(outPath);
  context.InputPath = PathText(WithExtension(input, ".inp"));
  context.Title1 = data.Title1;
  context.Title2 = data.Title2;
  context.ConfidenceT = options.ConfidenceT;
  context.PreferredTypeX = options.PreferredTypeX;
  context.PreferredTypeZ = options.PreferredTypeZ;
  context.ExcludedTypeX = options.ExcludedTypeX;
  context.ExcludedTypeZ = options.ExcludedTypeZ;
  context.Y = data.YData.data();
  context.X = data.XData.data();
  context.Z = data.ZData.data();

  TextFileWriter out(outPath, data.Memory);
  TextFileWriter var(varPath, data.VarianceFiles());
  WriteTwoVariableReport(result, context, out);
  WriteTwoVariableVarianceFile(result, var);

  // The second stage of sequence 1 runs with the Z selections, which the X group then shows.
  if (result.SequenceNr == 1) {
    options.PreferredTypeX = options.PreferredTypeZ;
    options.ExcludedTypeX = options.ExcludedTypeZ;
  }
  options.FirstStageType = result.First.Type;
  options.SecondStageType = result.Second.Type;
  options.FirstStagePresent = options.SecondStagePresent = true;
  options.FoundType = result.First.Type;
  options.SingleSlopeSignificant = result.SingleSlopeSignificant;
  if (!out.Commit() || !var.Commit()) {
    const bool outFailed = !out.Error().empty();
    refuse("The file \"" + PathText(outFailed ? outPath : varPath) +
           "\" could not be written: " + (outFailed ? out.Error() : var.Error()));
    return;
  }
  data.FileName = PathText(varPath);
  RunResult numbers;
  FillRunResult(result, choices, start, data, numbers);
  data.Result = std::move(numbers);
}

void FillRunResult(const TwoVariableResult& r, const TwoVariableChoices& choices,
                   const RegressionCarryOver& start, const TDMVornax& data, RunResult& out) {
  out = RunResult{};
  out.Analysis = "two-variable";
  out.ConfidenceT = choices.ConfidenceT;
  out.ConfidencePercent = ConfidencePercent(choices.ConfidenceT);
  out.Sequence = r.SequenceNr;
  auto stage = [&](const TwoVariableStage& s, TwoVariableSection::Kind withBreak) {
    StageResult st;
    st.Variable = s.VariableIsZ ? "Z" : "X";
    st.Type = s.Type;
    const bool withError = s.Type == kType2 || s.Type == kType3 || s.Type == kType4;
    st.Method = withError ? s.Method : 0;
    st.HasBreakpoint = s.Type >= kType2;
    st.Breakpoint = st.HasBreakpoint ? s.BP : 0;
    st.SearchCE = s.SearchCE;
    if (withError) {
      for (const TwoVariableSection& section : r.Sections) {
        if (section.Section != withBreak) continue;
        st.BreakpointSE = section.SEBP;
        st.LowerLimit = s.BP - choices.ConfidenceT * section.SEBP;
        st.UpperLimit = s.BP + choices.ConfidenceT * section.SEBP;
      }
      // The likelihood interval on the stage's own data: Y upon the first variable, the first
      // residuals upon the second. (Made here rather than in the analysis, which the break
      // test repeats for every shuffle without needing it.)
      const size_t count = static_cast<size_t>(std::max(r.NrOfData, 0));
      std::vector<long double> dependent(count);
      for (size_t i = 0; i < count; ++i) {
        dependent[i] = withBreak == TwoVariableSection::FirstWith
                           ? data.YData[i]
                           : static_cast<long double>(r.FirstResiduals[i]);
      }
      const auto& regressor = s.VariableIsZ ? data.ZData : data.XData;
      const LikelihoodInterval interval = BreakpointLikelihoodInterval(
          dependent.data(), regressor.data(), r.NrOfData, s.Type, s.BP, s.Min, s.Max,
          ConfidencePercent(choices.ConfidenceT));
      if (interval.Valid) {
        st.LikelihoodLower = interval.Lower;
        st.LikelihoodUpper = interval.Upper;
      }
    }
    return st;
  };
  out.Stages = {stage(r.First, TwoVariableSection::FirstWith),
                stage(r.Second, TwoVariableSection::SecondWith)};
  const StageResult& first = out.Stages[0];
  out.Variable = first.Variable;
  out.Type = first.Type;
  out.PrintedTypeCode = first.Type;
  out.Method = first.Method;
  out.HasBreakpoint = first.HasBreakpoint || out.Stages[1].HasBreakpoint;
  out.Breakpoint = first.Breakpoint;
  out.BreakpointSE = first.BreakpointSE;
  out.LowerLimit = first.LowerLimit;
  out.UpperLimit = first.UpperLimit;
  out.LikelihoodLower = first.LikelihoodLower;
  out.LikelihoodUpper = first.LikelihoodUpper;
  out.Plane = {r.As, r.Ag, r.Bs, r.Bg, r.Css, r.Csg, r.Cgs, r.Cgg};
  out.CE = r.OverallCE;
  out.CEChosen = r.OverallCE;
  out.CEWithoutBreaks = r.PlaneCE;
  out.CEStraight = r.SST > 0 ? 1 - r.SSLine1 / r.SST : 0;
  out.PreferredType = choices.PreferredTypeX;
  out.PreferredTypeZ = choices.PreferredTypeZ;
  out.ExcludedType = choices.ExcludedTypeX;
  out.ExcludedTypeZ = choices.ExcludedTypeZ;
  out.StartSERC1 = start.SERC1;
  out.StartSERC2 = start.SERC2;
  out.StartOptMethod = start.OptMethod;
  const size_t n = static_cast<size_t>(std::max(r.NrOfData, 0));
  out.X.resize(n);
  out.Y.resize(n);
  out.Z.resize(n);
  out.Added.assign(n, false);
  for (size_t i = 0; i < n; ++i) {
    out.X[i] = static_cast<double>(data.XData[i]);
    out.Y[i] = static_cast<double>(data.YData[i]);
    out.Z[i] = static_cast<double>(data.ZData[i]);
    out.Added[i] = i < data.SerialNr.size() && data.SerialNr[i] == 0;
  }
  out.YCalc = r.YCalc;
  out.FirstResiduals = r.FirstResiduals;
  out.Valid = true;
}

}  // namespace vornax
