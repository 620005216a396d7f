// The numbers a curved regression leaves behind: the curve and its parameters, the sums of
// squares, the coefficients of explanation and the data table with calculated values and
// confidence limits. The report, the variance file, the ANOVA, the graphs and any summary read
// these and take nothing back out of a report's text.
#pragma once

#include <array>
#include <vector>

namespace vornax {

enum class CurveKind { Quadratic, Cubic, Power, Logistic, Gumbel, InvertedGumbel, Fisk };

// One row of a confidence table.
struct CurveRow {
  int Serial = 0;  // 1 .. N in sorted order
  double X = 0, Y = 0, Ycalc = 0, Lower = 0, Upper = 0;
};

struct CurveResult {
  CurveKind Kind = CurveKind::Quadratic;
  bool IsZ = false;
  int NrOfData = 0;
  bool XShifted = false;
  double Shift = 0;        // Xmin (quadratic, cubic), C (power), the shift of X (S-curves)
  double Exponent = 1;     // E, or the power P
  bool ExponentSearched = false;
  std::array<double, 4> Coeff{};  // A, B, C, D as the report names them
  double AvX = 0, AvY = 0;        // of the untransformed X / of Y
  double AvXv = 0;                // average of the transformed X of the last line fit
  double StDevX = 0, StDevY = 0, StErr = 0;
  double LinCorrCoeffSq = 0, CurveExplCoeff = 0;
  double CurveSyy = 0, LinSSD = 0, CurveSSD = 0;
  double LowerY = 0;              // the lower Y value of the variance file
  double Ymax = 0, Ymin = 0;      // asymptotes of the S-curves
  bool Increasing = false;        // Fisk: mirrored for rising Y
  std::vector<CurveRow> Rows;
  std::array<double, 4> SystemVariables{};
  bool IrregularX = false;
};

// The name of a curve as results files give it: "quadratic", "cubic", "power", "logistic",
// "gumbel", "inverted-gumbel" or "fisk".
inline const char* CurveKindName(CurveKind kind) {
  switch (kind) {
    case CurveKind::Quadratic: return "quadratic";
    case CurveKind::Cubic: return "cubic";
    case CurveKind::Power: return "power";
    case CurveKind::Logistic: return "logistic";
    case CurveKind::Gumbel: return "gumbel";
    case CurveKind::InvertedGumbel: return "inverted-gumbel";
    case CurveKind::Fisk: return "fisk";
  }
  return "curve";
}

}  // namespace vornax
