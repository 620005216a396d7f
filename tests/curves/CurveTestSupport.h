// A curve run in a temporary folder: data loaded from vectors, the files it leaves, and the
// data generators shared by the curve tests.
#pragma once

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "data/DataSet.h"
#include "data/RunOptions.h"
#include "support/TestSupport.h"

namespace vornax::test {

inline void LoadXY(TDMVornax& data, const std::vector<double>& y, const std::vector<double>& x) {
  data.Resize(static_cast<int32_t>(y.size()));
  data.GridRowCount = static_cast<int32_t>(y.size());
  for (size_t i = 0; i < y.size(); ++i) {
    data.YData[i] = y[i];
    data.XData[i] = x[i];
    data.SerialNr[i] = static_cast<int32_t>(i + 1);
  }
}

struct CurveRun {
  TempDir dir;
  TDMVornax data;
  RunOptions options;
  RecordingDialogs dialogs;

  CurveRun() {
    data.FileName = (dir / "run.inp").string();
    data.Title1 = "Golden test";
    data.Title2 = "X and Y without units";
  }
  void Load(const std::vector<double>& y, const std::vector<double>& x) { LoadXY(data, y, x); }
  std::filesystem::path OutPath() const { return dir / "run.out"; }
  std::filesystem::path VarPath() const { return dir / "run.var"; }
  std::vector<std::string> Out() const { return ReadLines(OutPath()); }
  std::vector<std::string> Var() const { return ReadLines(VarPath()); }
  bool HasFiles() const {
    return std::filesystem::exists(OutPath()) || std::filesystem::exists(VarPath());
  }
  // Leaves files of an earlier run, which a refused run must remove.
  void PlantStaleFiles() const {
    WriteFileBytes(OutPath(), test::kStaleReport);
    WriteFileBytes(VarPath(), test::kStaleAnova);
  }
};

// The wobble that the golden data sets add to their curves (also in curve_reference.py).
inline const std::vector<double>& Wobble() {
  static const std::vector<double> w = {0.2,  -0.1, 0.15, -0.2, 0.05, 0.1,  -0.15, 0.0,
                                        0.2,  -0.05, -0.1, 0.1, -0.2, 0.15, 0.0,   -0.1,
                                        0.2,  -0.15, 0.1, 0.05, -0.2, 0.15, -0.05, 0.1,
                                        -0.1, 0.2,  0.0, -0.15, 0.1, -0.05};
  return w;
}

// Lines of a golden file with the output path put in for @OUT@.
inline std::vector<std::string> GoldenWithPath(const std::string& name,
                                               const std::filesystem::path& out) {
  std::vector<std::string> lines = GoldenLines(name);
  for (std::string& line : lines) {
    const auto at = line.find("@OUT@");
    if (at != std::string::npos) line.replace(at, 5, out.string());
  }
  return lines;
}

}  // namespace vornax::test
