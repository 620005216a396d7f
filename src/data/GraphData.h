// The values a graph is drawn from, read back out of an output file: the data table, the types,
// methods and breakpoints, the segment statistics for the confidence belt, the equation
// coefficients, the titles and the minimum confidence. A graph can be drawn of any output file
// on disk, so nothing here comes from the state of the last run.
//
// The graph data keep their own arrays and row count: reading an output for a graph never
// touches the data set's NrOfData, XData or YData.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "data/CurveResult.h"

namespace vornax {

// What kind of analysis wrote an output file, as its kind code says.
enum class OutputFamily { Unknown, Segmented, Partial, Curve, BrokenLine };

// The one map from an output kind code (the first four characters of line 2, or of line 3 when
// line 2 names no curve) to the analysis that wrote the file. Codes are compared exactly, case
// included: " Thi" is a cubic curve, " THI" a partial regression.
OutputFamily OutputFamilyOf(const std::string& kindCode);
// The curve kind of a curve kind code (" Nam" quadratic, " Thi" cubic, " Out" power, " Fil"
// logistic, " Gum" Gumbel, " Inv" inverted Gumbel, " Fis" Fisk); nullopt for any other code.
std::optional<CurveKind> CurveKindOfCode(const std::string& kindCode);

// The statistics printed for one segment (or for all data) of a regression.
struct SegmentStatistics {
  double N = 0, AvY = 0, AvX = 0;
  double RC = 0, CCsq = 0, StDevRC = 0, YAtZero = 0;
  double StDevY = 0, StDevYr = 0, StDevX = 0;
  // N · StDevX², the spread of X that the confidence belt needs.
  double NSxx() const { return N * StDevX * StDevX; }
};

// One regression of a segmented output: Y on the analysed variable, or (two variables) the
// residuals of the first on the other variable.
struct GraphRegression {
  std::string Variable = "X";  // "X" or "Z": the regressor
  int Type = 1;                // 0 to 6
  int Method = 0;              // 1 or 2 for types 2, 3 and 4, else 0
  double Breakpoint = 0;       // meaningful for types 2 to 6
  SegmentStatistics All;       // the regression without breakpoint
  SegmentStatistics Below, Above;  // the two segments (types 2 to 6; else equal to All)
  double Ybp = 0, SEBP = 0, CE = 0;
  // Y = A·v + C: below and at or above the breakpoint; a single line has both pairs equal.
  // For the regressions of a two-variable output only the slopes are set (the plane holds the
  // constants).
  double As = 0, Cs = 0, Ag = 0, Cg = 0;
};

// The plane equations of a two-variable output, Y = A·X + B·Z + C by the sides of the two
// breakpoints as printed: A is the slope of the first variable, B of the second; s below, g at
// or above the breakpoint, and the letters of Css... give the first, then the second side.
struct GraphPlane {
  double As = 0, Ag = 0, Bs = 0, Bg = 0, Css = 0, Csg = 0, Cgs = 0, Cgg = 0;
};

// The level stretches of a partial regression as its parameter table gives them.
struct GraphPartial {
  int Type = 1;                  // 3 level first, 4 level last, 1 no level stretch
  double Threshold = 0;          // the reported breakpoint
  double ConfLeft = 0, ConfRight = 0;  // its confidence companions
  // The other end's level and threshold when both ends are level (three-piece function).
  bool OtherFound = false;
  double OtherLevel = 0, OtherThreshold = 0;
  double OtherConfLow = 0, OtherConfHigh = 0;
  double CentralCE = 0;
};

// The fitted curve of a curve output, as its parameter lines print it.
struct GraphCurve {
  CurveKind Kind = CurveKind::Quadratic;
  bool IsZ = false;
  bool Shifted = false;     // X enters as X - Shift
  double Shift = 0;         // Xmin (quadratic, cubic), C (power, S-curves), D (Fisk)
  double Exponent = 1;      // E, or the power P
  double A = 0, B = 0, C = 0, D = 0;
  double Ymax = 0, Ymin = 0;
};

// A broken line with several breakpoints as its report gives it.
struct GraphBrokenLine {
  std::vector<double> Breakpoints, LowerLimits, UpperLimits, LikelihoodLower, LikelihoodUpper;
  std::vector<double> Slopes, Intercepts;  // per segment: Y = A·X + C
  // The line's value at x: the segment is the one whose breakpoints enclose x.
  double operator()(double x) const {
    size_t s = 0;
    while (s < Breakpoints.size() && x > Breakpoints[s]) ++s;
    return Slopes[s] * x + Intercepts[s];
  }
};

struct GraphData {
  OutputFamily Family = OutputFamily::Unknown;
  // " Fun" one-variable, " Y-X" / " Y-Z" two-variable by the first variable; the curve's kind
  // code for curve outputs.
  std::string OutputTag;
  std::string Title1, Title2;  // double blanks reduced
  int ConfidencePercent = 90;
  double ConfidenceT = 1.75;
  double StoredCE = 0;

  // The data table: NrOfRows rows. Curves fill Lower/Upper (their confidence limits);
  // two-variable outputs fill Z and Residual (the first stage's residuals).
  int32_t NrOfRows = 0;
  std::vector<double> GraphX, GraphY, GraphZ, GraphResidual, GraphYcalc, GraphLower, GraphUpper;
  std::vector<bool> Added;
  std::string TableVariable = "X";  // the column the one-variable table heads "X" or "Z"

  GraphRegression First, Second;  // Second only for two-variable outputs
  GraphPlane Plane;
  std::optional<GraphPartial> Partial;
  std::optional<GraphCurve> Curve;
  std::optional<GraphBrokenLine> BrokenLine;

  bool OlderFile = false;  // an older layout was read with fallbacks (message shown once)

  bool TwoVariable() const { return OutputTag == " Y-X" || OutputTag == " Y-Z"; }
};

// ConfidenceT from a printed minimum confidence: below 91 gives 1.75, 96 or more 2.5, else 2.1.
double ConfidenceTFromPercent(double percent);

// Reduces every run of blanks in a title to one blank.
std::string ReduceDoubleBlanks(const std::string& text);

// The value of the fitted curve at x (data units); NaN where the curve is not defined.
double CurveValue(const GraphCurve& curve, double x);

}  // namespace vornax
