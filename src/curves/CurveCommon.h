// What every curved regression shares: the preparation of the data (sorting, the reference
// straight line, the shift of X, the spread check), the least-squares line on transformed data,
// the confidence table, and the variance file written after a successful curve.
//
// A curve run is an object of its own: the data set is sorted by X but otherwise left as it was
// (the untransformed X stays in XData); the transformed values live in the run's own arrays.
#pragma once

#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include "data/CurveResult.h"
#include "data/DataSet.h"
#include "data/RunOptions.h"
#include "data/TextFile.h"
#include "data/UserDialogs.h"
#include "graphs/scaling/GraphScaling.h"
#include "regression/SegmentEngine.h"

namespace vornax {

// The least-squares line of Y on a transformed X (all data in one segment).
struct CurveLine {
  double A = 0;        // slope
  double B = 0;        // intercept
  double AvX = 0;      // average of the regressed X
  double AvY = 0;
  double Sxx = 0;      // sum of squared deviations of the regressed X
  double SSD = 0;      // residual sum of squares about the line
  double StDevRC = 0;  // standard error of the slope
  double StDevY = 0, StDevX = 0, StDevYr = 0;
};

// Fits the line through the segment engine with the breakpoint far below every X, so that all
// data sets lie in segment 2. `x` need not be sorted.
CurveLine CurveLinearFit(SegmentEngine& engine, const long double* y, const long double* x, int n);

// The prepared data of one curve run.
struct CurveData {
  int N = 0;
  bool IsZ = false;                // the analysed variable is Z (report wording)
  std::vector<long double> Y;      // sorted by X
  std::vector<long double> X;      // the untransformed X, sorted
  std::vector<long double> Base;   // X, or the shifted X when XShifted
  std::vector<double> GraphX, GraphY;

  // The plain straight line of Y on the untransformed X.
  double LinAvX = 0, LinAvY = 0, LinStDevYr = 0, LinStDevX = 0, LinStDevY = 0;
  double CurveSyy = 0, LinSSD = 0, LinSlope = 0, LinIntercept = 0, LinCorrCoeffSq = 0;

  GraphScale Scale;       // of the untransformed X and Y (label factors 1)
  double RawXmin = 0;     // smallest untransformed X
  double Xmin = 0, Xmax = 0;  // extended plot range of X
  bool XShifted = false;
  bool IrregularX = false;  // too few or too unevenly spread X for a generalised curve
};

// Why a preparation refused the data (empty when it did not).
struct CurvePreparation {
  bool Ok = false;
  std::string Message;
};

// Sorts the data set by X (whole data sets move), checks it, and fills `out`. Refuses fewer
// than three data sets, values beyond +-1E+100, X or Y without variation.
CurvePreparation PrepareCurveData(TDMVornax& data, CurveKind kind, CurveData& out);

// The confidence rows with the fixed factor 1.75: s^2 = CurveSSD/(N - 1), K from the line on
// the transformed X (`xv`), V = (xv - AvXv)^2 K + s^2/N, limits Ycalc -+ 1.75 sqrt(V). Also sets
// the four system variables and AvXv.
void FillConfidenceRows(CurveResult& result, const CurveData& data, const long double* xv,
                        const std::vector<double>& ycalc, const CurveLine& line);

// The confidence table lines: the heading, the column line (`columnLine` is the full
// "Serial Nr." line), the dashes and one row per data set, then " #".
void WriteConfidenceTable(TextFileWriter& out, const CurveResult& result,
                          const std::string& columnLine);

// The standard column line of a confidence table for X or Z.
std::string ConfidenceColumnLine(bool isZ);

// The variance file of a curve: 1, N, CurveSyy, LinSSD, the lower Y value plus 1, CurveSSD.
void WriteCurveVarFile(TextFileWriter& var, const CurveResult& result);

// The files of one curve run beside the input, and their writing. On a refusal the run's old
// files are removed, so nothing of an earlier run remains under this name.
struct CurveFiles {
  // With `memory`, the files are kept there (see MemoryFiles).
  explicit CurveFiles(const std::string& inputPath, MemoryFiles* memory = nullptr);
  std::filesystem::path Input, OutPath, VarPath;
  MemoryFiles* Memory = nullptr;
  void RemoveStale() const;
};

// Commits both writers; on failure shows the reason, removes both files and returns false.
bool CommitCurveFiles(const CurveFiles& files, TextFileWriter& out, TextFileWriter& var,
                      UserDialogs& dialogs);

// Leaves the numbers of a reported curve in data.Result for whoever reads the run afterwards.
void KeepCurveResult(TDMVornax& data, const RunOptions& options, const CurveResult& result);

// The values every curve's result takes from the straight line of its preparation (total and
// residual sums, the line's coefficient of explanation, the averages, the X scarcity flag), and
// the curve's own coefficient of explanation from its CurveSSD, which must be set already.
void TakeLineReference(const CurveData& data, CurveResult& r);

// Shows `message`, sets CurveAbort and removes any old report of this name.
void RefuseCurve(const CurveFiles& files, RunOptions& options, UserDialogs& dialogs,
                 const std::string& message);

// W = base^E with base > 0, as 2^(E log2 base); E = 1 leaves the base as it is.
long double CurvePower(long double base, double exponent);

// Rounds to the nearest integer, halves to even.
long long RoundHalfEven(double value);

// The titles as the power and S-curve reports print them.
std::string TitleOrDefault(const std::string& title, const char* fallback);

}  // namespace vornax
