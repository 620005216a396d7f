#include "run/ReportTable.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace vornax {
namespace {

std::string Number(double value) {
  char buffer[64];
  const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
  return ec == std::errc() ? std::string(buffer, end) : std::string();
}

// The report prints three or four significant digits; a value of the run rounds to the printed
// one well within a hundredth of itself.
bool RoundsTo(double held, double printed) {
  return std::fabs(held - printed) <= 0.01 * std::fabs(held) + 1e-300;
}

struct Column {
  std::string Heading;
  const std::vector<double>* Values;
};

}  // namespace

std::string ReportTableCsv(const GraphData& graph, const RunResult* run) {
  const bool two = graph.TwoVariable();
  const bool limits = graph.Curve.has_value();
  const bool added = std::find(graph.Added.begin(), graph.Added.end(), true) != graph.Added.end();
  const size_t rows = static_cast<size_t>(std::max(graph.NrOfRows, 0));

  // The run's own columns, in the report's order.
  std::vector<double> curveX, curveY, curveCalc, curveLower, curveUpper;
  const std::vector<double>* heldX = run ? &run->X : nullptr;
  const std::vector<double>* heldY = run ? &run->Y : nullptr;
  const std::vector<double>* heldCalc = run ? &run->YCalc : nullptr;
  const std::vector<double>* heldLower = nullptr;
  const std::vector<double>* heldUpper = nullptr;
  if (run && run->Curve) {
    for (const CurveRow& r : run->Curve->Rows) {
      curveX.push_back(r.X);
      curveY.push_back(r.Y);
      curveCalc.push_back(r.Ycalc);
      curveLower.push_back(r.Lower);
      curveUpper.push_back(r.Upper);
    }
    heldX = &curveX, heldY = &curveY, heldCalc = &curveCalc;
    heldLower = &curveLower, heldUpper = &curveUpper;
  }
  auto column = [&](std::string heading, const std::vector<double>& printed,
                    const std::vector<double>* held) {
    const bool same = held && held->size() == rows && printed.size() >= rows &&
                      std::equal(held->begin(), held->end(), printed.begin(), RoundsTo);
    if (same) return Column{std::move(heading), held};
    return Column{heading + " (as the report prints it)", &printed};
  };

  std::vector<Column> columns;
  columns.push_back(column(two ? "X" : graph.TableVariable, graph.GraphX, heldX));
  columns.push_back(column("Y", graph.GraphY, heldY));
  if (two) {
    columns.push_back(column("Z", graph.GraphZ, run ? &run->Z : nullptr));
    columns.push_back(column("residual of first stage", graph.GraphResidual,
                             run ? &run->FirstResiduals : nullptr));
  }
  columns.push_back(column("Y calculated", graph.GraphYcalc, heldCalc));
  if (limits) {
    columns.push_back(column("lower limit", graph.GraphLower, heldLower));
    columns.push_back(column("upper limit", graph.GraphUpper, heldUpper));
  }

  std::string csv;
  for (size_t c = 0; c < columns.size(); ++c) csv += (c ? "," : "") + columns[c].Heading;
  if (added) csv += ",added";
  csv += "\n";
  for (size_t i = 0; i < rows; ++i) {
    for (size_t c = 0; c < columns.size(); ++c) {
      const std::vector<double>& values = *columns[c].Values;
      csv += (c ? "," : "") + (i < values.size() ? Number(values[i]) : std::string());
    }
    if (added) csv += std::string(",") + (i < graph.Added.size() && graph.Added[i] ? "1" : "0");
    csv += "\n";
  }
  return csv;
}

}  // namespace vornax
