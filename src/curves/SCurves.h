// The S-shaped curves between a lower and an upper asymptote: the logistic, Gumbel and
// inverted Gumbel curves (Y scaled into (0, 1), linearised by the curve's link, X raised to an
// exponent chosen by a grid search, a straight line) and the Fisk curve (a direct
// three-parameter grid search).
//
// Each runs in two modes: while the four are compared (options.SCurveFinalRun false) it only
// stores its explained fraction (FitLogistic ...); the final run of the chosen curve also
// writes the report and the variance file. Every run starts from the same untransformed data.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "curves/CurveCommon.h"
#include "curves/FiskSearch.h"
#include "data/DataSet.h"
#include "data/RunOptions.h"
#include "data/UserDialogs.h"

namespace vornax {

// Upper and lower asymptote from the largest and smallest observed Y, widened outward by
// |Ymax|/(N - 1) and |Ymin|/(N + 1) (N Ymax/(N - 1) and N Ymin/(N + 1) for positive Y).
struct Asymptotes {
  double Ymax = 0, Ymin = 0;
};
Asymptotes SCurveAsymptotes(const CurveData& data);

// The exponent a search ended at, snapped: 1 below 0.21 and above 2.98, and for the Gumbel
// curves also between 0.95 and 1.05.
double SnapSCurveExponent(CurveKind kind, double e);

// The logistic, Gumbel or inverted Gumbel fit on prepared data. The exponent search runs for
// the Gumbel curves always, for the logistic only when `transformAccepted`.
CurveResult FitLinkedSCurve(const CurveData& data, CurveKind kind, bool transformAccepted);

// The Fisk fit on the (shifted) base X; `progress` follows the grid search. With `known` the
// search is skipped and that grid point is taken (it must be what the search chose for these
// data). `chosen`, when given, receives the grid point.
CurveResult FitFiskCurve(const CurveData& data, const std::function<void(int)>& progress = {},
                         const FiskPoint* known = nullptr, FiskPoint* chosen = nullptr);

// A fingerprint of what the Fisk search reads (the base X and Y in full precision).
uint64_t FiskDataFingerprint(const CurveData& data);

void WriteLogisticReport(TextFileWriter& out, const CurveResult& r, const std::string& outputPath,
                         const std::string& title1, const std::string& title2);
void WriteGumbelReport(TextFileWriter& out, const CurveResult& r, const std::string& outputPath,
                       const std::string& title1, const std::string& title2);
void WriteFiskReport(TextFileWriter& out, const CurveResult& r, const std::string& outputPath,
                     const std::string& title1, const std::string& title2);

void RunLogisticCurve(TDMVornax& data, RunOptions& options, UserDialogs& dialogs);
void RunGumbelCurve(TDMVornax& data, RunOptions& options, UserDialogs& dialogs);
void RunInvertedGumbelCurve(TDMVornax& data, RunOptions& options, UserDialogs& dialogs);
void RunFiskCurve(TDMVornax& data, RunOptions& options, UserDialogs& dialogs);

}  // namespace vornax
