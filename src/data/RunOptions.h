// The choices of one run and the run-state flags that the dispatcher, the analyses and the
// variance analysis share. One object, passed to whoever reads it; the window shows it again
// after a run, so an analysis that copies one option group onto another is visible there too.
#pragma once

#include <cstdint>
#include <optional>

namespace vornax {

enum class CurveChoice : uint8_t { None, Power, SCurve, Quadratic, Cubic };

// The confidence factors for 90, 95 and 98 %.
inline double ConfidenceFactorForPercent(int percent) {
  return percent == 98 ? 2.5 : percent == 95 ? 2.1 : 1.75;
}
// The percentage a factor stands for, as the reports print it.
inline int ConfidencePercent(double confidenceT) {
  return confidenceT < 1.8 ? 90 : confidenceT < 2.2 ? 95 : 98;
}

// Why a fixed breakpoint or a search range is refused for a curve, a partial regression or two
// variables used together.
inline constexpr const char* kBreakpointChoiceScope =
    "A fixed breakpoint or a search range applies to the segmented regression of one variable "
    "only: not to a curved function, a partial regression or two independent variables used "
    "together.";

// A fixed breakpoint or a search range given with the broken line of several breakpoints, whose
// search has no single breakpoint to fix.
inline constexpr const char* kBreakpointChoiceNotForBrokenLines =
    "A fixed breakpoint or a search range applies to the segmented types, not to a broken line "
    "with several breakpoints.";

// The broken line of several breakpoints with two independent variables used together.
inline constexpr const char* kBrokenLinesOneVariable =
    "A broken line with several breakpoints is fitted to one independent variable only. "
    "Choose one variable (X or Z) for this regression.";

struct RunOptions {
  // ---- choices ----
  double ConfidenceT = 1.75;  // 1.75, 2.1 or 2.5 for 90, 95 or 98 %
  int PreferredTypeX = -1;    // -1 none, else a segmented type 1 to 6
  int PreferredTypeZ = -1;
  bool PartialX = false;
  bool PartialZ = false;
  int ExcludedTypeX = 0;  // 0 none, else one of the types 2 to 6
  int ExcludedTypeZ = 0;
  CurveChoice CurveX = CurveChoice::None;
  CurveChoice CurveZ = CurveChoice::None;
  bool TransformAccepted = false;
  bool WeightsUsed = false;  // "Weight factors are needed"
  // A broken line with several breakpoints instead of the segmented types: 2 or 3 breakpoints,
  // or -1 for as many (0 to 3) as the tests find; 0 not chosen. With the permutations of the
  // test that decides how many (0: the F test alone) and their seed.
  int SeveralBreakpoints = 0;
  int BreakpointPermutations = 0;
  uint64_t BreakpointSeed = 1;
  // A breakpoint the user fixed (segmented analysis of one variable): it is tried alone, and
  // the run reports it as given rather than searched.
  std::optional<double> FixedBreakpoint;
  // The range the breakpoint search keeps its candidates in; both ends included.
  std::optional<double> SearchLow, SearchHigh;

  // ---- run-state flags ----
  bool CurveQuadratic = false;
  bool CurveSCurve = false;
  bool CurvePower = false;
  bool CurveCubic = false;
  bool PartialRun = false;
  bool SCurveFinalRun = false;
  bool AnalysisFailed = false;
  bool CurveAbort = false;
  bool PartialFailed = false;
  // Too few or too unevenly spread X values: the partial regression's scarcity flag (and the
  // curve preparation's), which the dispatcher turns into PartialFailed and CurveAbort.
  bool IrregularX = false;
  bool AnovaWarned = false;

  // Results that later steps of the same run read.
  double CurveExplCoeff = 0;
  double FitLogistic = 0, FitGumbel = 0, FitInvGumbel = 0, FitFisk = 0;
  bool SingleSlopeSignificant = false;
  int FoundType = 1;          // the reported segmented type (one variable, or a stage)
  int FirstStageType = 1;     // two-variable runs
  int SecondStageType = 1;
  // The two-variable run marks each stage whose regressions it carried out; the variance
  // analysis writes a stage's rows only when it is marked.
  bool FirstStagePresent = true;
  bool SecondStagePresent = true;
  double CurveExponent = 1;   // the transformation exponent of the last curve (1: none)
  // The grid point the Fisk search chose while the S-curves were compared, with a fingerprint
  // of the data it searched: the final run of the same data takes it instead of searching again.
  int FiskR = 0, FiskT = 0, FiskI = 0;
  uint64_t FiskDataPrint = 0;

  // Carried from one segmented evaluation and run to the next: the slope standard errors that
  // the next search's first margins read, and the optimal method.
  double CarriedSERC1 = 0, CarriedSERC2 = 0;
  int CarriedOptMethod = 1;

  // Clears every preference, exclusion, partial and curve choice ("No preference" everywhere).
  void ResetPreferences() {
    PreferredTypeX = PreferredTypeZ = -1;
    PartialX = PartialZ = false;
    ExcludedTypeX = ExcludedTypeZ = 0;
    CurveX = CurveZ = CurveChoice::None;
    SeveralBreakpoints = 0;
  }
};

}  // namespace vornax
