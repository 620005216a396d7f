#include "run/ReportTable.h"

#include <algorithm>
#include <charconv>

namespace vornax {
namespace {

std::string Number(double value) {
  char buffer[64];
  const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
  return ec == std::errc() ? std::string(buffer, end) : std::string();
}

}  // namespace

std::string ReportTableCsv(const GraphData& graph) {
  const bool two = graph.TwoVariable();
  const bool limits = graph.Curve.has_value();
  const bool added = std::find(graph.Added.begin(), graph.Added.end(), true) != graph.Added.end();
  std::string csv = two ? "X,Y,Z,residual of first stage" : graph.TableVariable + ",Y";
  csv += ",Y calculated";
  if (limits) csv += ",lower limit,upper limit";
  if (added) csv += ",added";
  csv += "\n";
  auto at = [](const std::vector<double>& column, size_t i) {
    return i < column.size() ? Number(column[i]) : std::string();
  };
  const size_t rows = static_cast<size_t>(std::max(graph.NrOfRows, 0));
  for (size_t i = 0; i < rows; ++i) {
    csv += at(graph.GraphX, i) + "," + at(graph.GraphY, i);
    if (two) csv += "," + at(graph.GraphZ, i) + "," + at(graph.GraphResidual, i);
    csv += "," + at(graph.GraphYcalc, i);
    if (limits) csv += "," + at(graph.GraphLower, i) + "," + at(graph.GraphUpper, i);
    if (added) csv += std::string(",") + (i < graph.Added.size() && graph.Added[i] ? "1" : "0");
    csv += "\n";
  }
  return csv;
}

}  // namespace vornax
