// The quadratic and the cubic regression: Yc = A W^2 + B W + C and Yc = A W^3 + B W^2 + C W + D
// with W the (shifted) X raised to an exponent E that a grid search chooses when the user
// accepted the transformation of X (else E = 1).
#pragma once

#include <optional>
#include <string>

#include "curves/CurveCommon.h"
#include "data/DataSet.h"
#include "data/RunOptions.h"
#include "data/UserDialogs.h"

namespace vornax {

// The sums of the normal equations in W (and Y).
struct PolynomialSums {
  long double N = 0, W = 0, Y = 0, W2 = 0, W3 = 0, W4 = 0, W5 = 0, W6 = 0;
  long double WY = 0, W2Y = 0, W3Y = 0;
};
PolynomialSums SumPolynomial(const long double* w, const long double* y, int n, bool cubic);

// The closed forms of the quadratic (A, B, C) and Cramer's rule for the cubic (A, B, C, D).
// False when the system has no unique solution (zero denominator or determinant).
bool QuadraticCoefficients(const PolynomialSums& s, std::array<double, 4>& coeff);
bool CubicCoefficients(const PolynomialSums& s, std::array<double, 4>& coeff);

// The fit on prepared data; std::nullopt when the polynomial cannot be found (the message is
// then in `failure`).
std::optional<CurveResult> FitPolynomialCurve(const CurveData& data, bool cubic,
                                              bool transformAccepted, std::string& failure);

// The report lines of a fit.
void WriteQuadraticReport(TextFileWriter& out, const CurveResult& result,
                          const std::string& outputPath, const std::string& title1,
                          const std::string& title2);
void WriteCubicReport(TextFileWriter& out, const CurveResult& result,
                      const std::string& outputPath, const std::string& title1,
                      const std::string& title2);

// The analyses. Each writes its report (".out") and variance file (".var") beside
// data.FileName and sets options.CurveExplCoeff and options.CurveExponent. A polynomial that
// cannot be found, or data unfit for it, is shown and sets CurveAbort; a cubic that explains
// less than 2 % writes nothing (the caller says so).
void RunQuadraticCurve(TDMVornax& data, RunOptions& options, UserDialogs& dialogs);
void RunCubicCurve(TDMVornax& data, RunOptions& options, UserDialogs& dialogs);

}  // namespace vornax
