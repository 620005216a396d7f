// The JSON file of a run's results.
#include "run/ResultJson.h"

#include <nlohmann/json.hpp>

#include <array>
#include <cmath>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "data/TextFile.h"
#include "data/Version.h"
#include "run/ResultSummary.h"

namespace vornax {
namespace {

using nlohmann::json;

// The layout's version: 2 since "search_maximum" became "search_threshold".
constexpr int kFormat = 2;

json Optional(const std::optional<double>& value) { return value ? json(*value) : json(nullptr); }

const char* CurveName(CurveChoice c) {
  switch (c) {
    case CurveChoice::Power: return "power";
    case CurveChoice::SCurve: return "s-curve";
    case CurveChoice::Quadratic: return "quadratic";
    case CurveChoice::Cubic: return "cubic";
    case CurveChoice::None: break;
  }
  return nullptr;
}

json Options(const RunResult& r, const RunOptions& o) {
  json j;
  j["confidence_percent"] = r.ConfidencePercent;
  j["confidence_factor"] = r.ConfidenceT;
  j["preferred_type"] = r.PreferredType >= 0 ? json(r.PreferredType) : json(nullptr);
  j["excluded_type"] = r.ExcludedType > 0 ? json(r.ExcludedType) : json(nullptr);
  j["partial"] = o.PartialX || o.PartialZ;
  const char* curve = CurveName(o.CurveX != CurveChoice::None ? o.CurveX : o.CurveZ);
  j["curve"] = curve != nullptr ? json(curve) : json(nullptr);
  j["weights"] = o.WeightsUsed;
  j["fixed_breakpoint"] = Optional(r.FixedBreakpoint);
  j["search_range"] = r.SearchLow && r.SearchHigh ? json{*r.SearchLow, *r.SearchHigh}
                                                  : json(nullptr);
  return j;
}

json ResultJsonObject(const RunResult& r, const RunOptions& options, const ResultFiles& files) {
  json j;
  j["program"] = "vornax";
  j["format"] = kFormat;
  j["version"] = ProgramVersion();
  j["files"] = {{"input", files.Input}, {"report", files.Output}, {"anova", files.Anova}};
  json columns = json::array();
  for (const SourceColumn& c : files.Columns) columns.push_back({{"role", c.Role}, {"name", c.Name}});
  json leftOut = json::array();
  for (const LeftOutRow& row : files.LeftOut) {
    leftOut.push_back({{"line", row.Line}, {"reason", row.Reason}});
  }
  j["source"] = {{"file", files.Source.empty() ? files.Input : files.Source},
                 {"kind", files.SourceIsTable ? "table" : "input file"},
                 {"columns", columns},
                 {"rows_left_out", leftOut}};
  j["arguments"] = files.Arguments;
  j["options"] = Options(r, options);
  j["analysis"] = r.Analysis;
  j["variable"] = r.Variable;
  j["type"] = r.Type;
  j["printed_type_code"] = r.PrintedTypeCode;
  j["type_text"] = r.TypeText;
  j["method"] = r.Method > 0 ? json(r.Method) : json(nullptr);
  j["breakpoint_fixed"] = r.FixedBreakpoint.has_value();
  if (r.HasBreakpoint) {
    j["breakpoint"] = {{"value", r.Breakpoint},
                       {"standard_error", Optional(r.BreakpointSE)},
                       {"lower_limit", Optional(r.LowerLimit)},
                       {"upper_limit", Optional(r.UpperLimit)},
                       {"likelihood_lower", Optional(r.LikelihoodLower)},
                       {"likelihood_upper", Optional(r.LikelihoodUpper)}};
  } else {
    j["breakpoint"] = nullptr;
  }
  j["lines"] = {{"below", {{"slope", r.SlopeBelow}, {"intercept", r.InterceptBelow}}},
                {"above", {{"slope", r.SlopeAbove}, {"intercept", r.InterceptAbove}}}};
  json candidates = json::array();
  for (const CandidateResult& c : r.Candidates) {
    candidates.push_back({{"type", c.Type},
                          {"accepted", c.Accepted},
                          {"ce", c.CE},
                          // The bar of the search after the type, margins included: no
                          // coefficient, so it may exceed 1.
                          {"search_threshold", c.SearchMaximum}});
  }
  j["explanation"] = {{"ce", r.CE},
                      {"ce_straight_line", r.CEStraight},
                      {"ce_chosen_in_search", r.CEChosen},
                      {"candidates", candidates}};
  if (r.LevelStretch) {
    const LevelStretchResult& s = *r.LevelStretch;
    auto threshold = [](bool found, double value) { return found ? json(value) : json(nullptr); };
    json stretch = {{"low_end", {{"found", s.LowFound},
                                 {"threshold", threshold(s.LowFound, s.ThresholdLow)},
                                 {"companions", {s.LowInner, s.LowOuter}}}},
                    {"high_end", {{"found", s.HighFound},
                                  {"threshold", threshold(s.HighFound, s.ThresholdHigh)},
                                  {"companions", {s.HighLow, s.HighHigh}}}},
                    {"scan_table_kept", s.ScanTableKept}};
    if (s.ThreePiece) {
      stretch["three_piece"] = {{"level_low", s.LevelLow},
                                {"level_high", s.LevelHigh},
                                {"middle_slope", s.MiddleSlope},
                                {"ce", s.CentralCE}};
    } else {
      stretch["three_piece"] = nullptr;
    }
    j["level_stretch"] = stretch;
  }
  if (r.BrokenLines) {
    const BrokenLinesResult& b = *r.BrokenLines;
    json points = json::array();
    for (const BrokenLinePoint& p : b.Points) {
      points.push_back({{"value", p.Value},
                        {"standard_error", p.StandardError},
                        {"lower_limit", p.LowerLimit},
                        {"upper_limit", p.UpperLimit},
                        {"likelihood_lower", p.LikelihoodLower},
                        {"likelihood_upper", p.LikelihoodUpper},
                        {"likelihood_lower_at_end", p.LikelihoodLowerAtEnd},
                        {"likelihood_upper_at_end", p.LikelihoodUpperAtEnd}});
    }
    json segments = json::array();
    for (const BrokenLineSegmentResult& s : b.Segments) {
      segments.push_back({{"from", s.From},
                          {"to", s.To},
                          {"count", s.Count},
                          {"slope", s.Slope},
                          {"slope_standard_error", s.SlopeStandardError},
                          {"intercept", s.Intercept}});
    }
    json changes = json::array();
    for (const BrokenLineChangeResult& c : b.Changes) {
      changes.push_back({{"change", c.Change},
                         {"standard_error", c.StandardError},
                         {"t", c.T},
                         {"probability", c.Probability}});
    }
    json steps = json::array();
    for (const BrokenLineStepResult& s : b.Steps) {
      json step = {{"breakpoints", s.Breakpoints},
                   {"residual_sum_of_squares", s.ResidualSumOfSquares},
                   {"ce", s.CE},
                   {"breakpoint_values", s.BreakpointValues}};
      if (s.Breakpoints > 0) {
        step["f"] = s.F;
        step["df1"] = s.Df1;
        step["df2"] = s.Df2;
        step["probability"] = s.Probability;
        step["permutation_p"] = s.PermutationP ? json(*s.PermutationP) : json(nullptr);
        step["permutations"] = s.Permutations;
        step["stopped_early"] = s.StoppedEarly;
        step["significant"] = s.Significant;
      }
      steps.push_back(step);
    }
    j["breakpoints"] = points;
    j["segments"] = segments;
    j["slope_changes"] = changes;
    j["number_of_breakpoints"] = {{"choice", b.Choice}, {"reported", b.Breakpoints},
                                  {"compared", steps}};
    j["residual_sum_of_squares"] = b.ResidualSumOfSquares;
    j["residual_df"] = b.ResidualDf;
    j["intercept"] = {{"value", b.Intercept}, {"standard_error", b.InterceptStandardError}};
    j["search"] = {{"combinations", b.Combinations}, {"evaluated", b.Evaluated}};
  }
  json anova = json::array();
  for (const AnovaRowResult& row : r.Anova) {
    anova.push_back({{"kind", row.Kind},
                     {"source", row.Source},
                     {"sum_of_squares", row.SumOfSquares},
                     {"df1", row.Df1},
                     {"df2", row.Df2},
                     {"f", Optional(row.F)},
                     {"significance_percent", Optional(row.Significance)},
                     {"residual_sum_of_squares", row.ResidualSumOfSquares}});
  }
  j["anova"] = anova;
  if (r.Analysis == "two-variable") {
    json stages = json::array();
    for (const StageResult& st : r.Stages) {
      json stage = {{"variable", st.Variable},
                    {"type", st.Type},
                    {"method", st.Method > 0 ? json(st.Method) : json(nullptr)},
                    {"search_ce", st.SearchCE}};
      stage["breakpoint"] = st.HasBreakpoint
                                ? json{{"value", st.Breakpoint},
                                       {"standard_error", Optional(st.BreakpointSE)},
                                       {"lower_limit", Optional(st.LowerLimit)},
                                       {"upper_limit", Optional(st.UpperLimit)},
                                       {"likelihood_lower", Optional(st.LikelihoodLower)},
                                       {"likelihood_upper", Optional(st.LikelihoodUpper)}}
                                : json(nullptr);
      stages.push_back(stage);
    }
    const PlaneResult& p = r.Plane;
    j["two_variable"] = {{"sequence", r.Sequence},
                         {"stages", stages},
                         {"planes", {{"As", p.As}, {"Ag", p.Ag}, {"Bs", p.Bs}, {"Bg", p.Bg},
                                     {"Css", p.Css}, {"Csg", p.Csg}, {"Cgs", p.Cgs},
                                     {"Cgg", p.Cgg}}},
                         {"ce_without_breakpoints", r.CEWithoutBreaks}};
  }
  if (r.Curve) {
    const CurveResult& c = *r.Curve;
    const bool cubic = c.Kind == CurveKind::Cubic;
    const bool three = c.Kind == CurveKind::Quadratic || c.Kind == CurveKind::Fisk;
    json coefficients = {{"A", c.Coeff[0]}, {"B", c.Coeff[1]}};
    if (three || cubic) coefficients["C"] = c.Coeff[2];
    if (cubic) coefficients["D"] = c.Coeff[3];
    json curve = {{"kind", CurveKindName(c.Kind)},
                  {"exponent", c.Exponent},
                  {"exponent_searched", c.ExponentSearched},
                  {"shifted", c.XShifted},
                  {"shift", c.Shift},
                  {"coefficients", coefficients}};
    if (c.Kind == CurveKind::Logistic || c.Kind == CurveKind::Gumbel ||
        c.Kind == CurveKind::InvertedGumbel) {
      curve["asymptotes"] = {{"ymax", c.Ymax}, {"ymin", c.Ymin}};
    }
    if (c.Kind == CurveKind::Fisk) curve["increasing"] = c.Increasing;
    json limits = json::array();
    for (const CurveRow& row : c.Rows) {
      limits.push_back({{"serial", row.Serial}, {"lower", row.Lower}, {"upper", row.Upper}});
    }
    curve["confidence_limits"] = limits;
    j["curve"] = curve;
  }
  if (r.BreakTest.Done) {
    j["break_test"] = {{"p", r.BreakTest.P},
                       {"permutations", r.BreakTest.Permutations},
                       {"at_least_as_large", r.BreakTest.AtLeastAsLarge},
                       {"stopped_early", r.BreakTest.StoppedEarly},
                       {"stop_after", r.BreakTest.StopAfter},
                       {"observed_statistic", r.BreakTest.Observed},
                       {"seed", r.BreakTest.Seed}};
  } else {
    j["break_test"] = nullptr;
  }
  // The data table is written row by row in its place (see WriteJson): as a tree, a million
  // rows would take gigabytes.
  j["data"] = nullptr;
  std::vector<std::string> warnings = r.Warnings;
  for (std::string& warning : SummaryWarnings(r)) warnings.push_back(std::move(warning));
  j["warnings"] = warnings;
  return j;
}

// Appends a number as the JSON library's dump writes it (null when not finite), by the same
// conversion but without a dump's setting up for every number of a large table.
void AppendNumber(std::string& text, double value) {
  if (!std::isfinite(value)) {
    text += "null";
    return;
  }
  std::array<char, 64> buffer;
  char* end = nlohmann::detail::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
  text.append(buffer.data(), static_cast<size_t>(end - buffer.data()));
}

// The data table's rows, each an object with its keys in the library's (alphabetical) order, in
// the layout of a dump with `indent` (negative: all on one line) at nesting depth 2.
void WriteDataRows(const RunResult& r, int indent, const std::function<void(std::string_view)>& write) {
  const size_t n = r.X.size();
  if (n == 0) {
    write("[]");
    return;
  }
  const bool twoVariables = r.Analysis == "two-variable";
  const char* const variable = !twoVariables && r.Variable == "Z" ? "z" : "x";
  const bool pretty = indent >= 0;
  const std::string rowStart = pretty ? "\n" + std::string(2 * static_cast<size_t>(indent), ' ') : "";
  const std::string keyStart = pretty ? "\n" + std::string(3 * static_cast<size_t>(indent), ' ') : "";
  const char* const colon = pretty ? "\": " : "\":";
  std::string row;
  auto key = [&](bool first, const char* name) {
    row += first ? "" : ",";
    row += keyStart;
    row += '"';
    row += name;
    row += colon;
  };
  auto add = [&](const char* name, double value) {
    key(false, name);
    AppendNumber(row, value);
  };
  write("[");
  for (size_t i = 0; i < n; ++i) {
    row.clear();
    row += i == 0 ? "" : ",";
    row += rowStart;
    row += '{';
    const double y = i < r.Y.size() ? r.Y[i] : 0.0;
    const double ycalc = i < r.YCalc.size() ? r.YCalc[i] : 0.0;
    key(true, "added");
    row += i < r.Added.size() && r.Added[i] ? "true" : "false";
    if (twoVariables) add("first_residual", i < r.FirstResiduals.size() ? r.FirstResiduals[i] : 0.0);
    key(false, "serial");
    row += std::to_string(i + 1);
    if (twoVariables || variable[0] == 'x') add("x", r.X[i]);
    add("y", y);
    add("ycalc", ycalc);
    if (twoVariables) {
      add("z", i < r.Z.size() ? r.Z[i] : 0.0);
    } else if (variable[0] == 'z') {
      add("z", r.X[i]);
    }
    row += pretty ? rowStart + "}" : "}";
    write(row);
  }
  write(pretty ? "\n" + std::string(static_cast<size_t>(indent), ' ') + "]" : "]");
}

// A path that exists only in memory is no file to point to.
json PathOrNull(const std::string& path) { return path.empty() ? json(nullptr) : json(path); }

// Writes `j` as the library's dump with `indent` would, but with "program" as its first key (the
// rest in the usual, alphabetical order: a later run recognises the file as this program's from
// its first few kilobytes, which a long "anova" or "arguments" would otherwise fill before the
// key comes), and with the data rows of `r` in place of "data" when `r` is given. The text is
// handed on key by key, so that the whole of it never needs to be held.
void WriteJson(const json& j, const RunResult* r, int indent, json::error_handler_t errors,
               const std::function<void(std::string_view)>& write) {
  const bool pretty = indent >= 0;
  const std::string keyStart = pretty ? "\n" + std::string(static_cast<size_t>(indent), ' ') : "";
  // A value one level down: every line after its first moves in by one indentation.
  auto nested = [&](const json& value) {
    std::string text = value.dump(indent, ' ', false, errors);
    if (!pretty) return text;
    std::string moved;
    moved.reserve(text.size());
    for (char c : text) {
      moved += c;
      if (c == '\n') moved += keyStart.substr(1);
    }
    return moved;
  };
  bool first = true;
  auto member = [&](const std::string& key, const json* value) {
    write(std::string(first ? "{" : ",") + keyStart + json(key).dump() + (pretty ? ": " : ":"));
    first = false;
    if (value != nullptr) {
      write(nested(*value));
    } else {
      WriteDataRows(*r, indent, write);
    }
  };
  if (j.contains("program")) member("program", &j["program"]);
  for (auto it = j.begin(); it != j.end(); ++it) {
    if (it.key() == "program") continue;
    member(it.key(), r != nullptr && it.key() == "data" ? nullptr : &it.value());
  }
  write(first ? "{}" : pretty ? "\n}" : "}");
}

}  // namespace

void WriteResultJsonText(const RunResult& r, const RunOptions& options, const ResultFiles& files,
                         const std::function<void(std::string_view)>& write) {
  WriteJson(ResultJsonObject(r, options, files), &r, 2, json::error_handler_t::strict, write);
  write("\n");
}

std::string ResultJsonText(const RunResult& r, const RunOptions& options,
                           const ResultFiles& files) {
  std::string text;
  WriteResultJsonText(r, options, files, [&text](std::string_view piece) { text += piece; });
  return text;
}

std::string ResultJsonLine(const RunResult* result, const RunOptions& options,
                           const ResultFiles& files, const GroupHead& head) {
  json j = result != nullptr ? ResultJsonObject(*result, options, files)
                             : json{{"program", "vornax"}, {"format", kFormat}};
  if (result != nullptr) {
    j["files"] = {{"input", PathOrNull(files.Input)},
                  {"report", PathOrNull(files.Output)},
                  {"anova", PathOrNull(files.Anova)}};
  } else {
    j["reason"] = head.Reason;
  }
  j["group"] = head.Group;
  j["rows_used"] = head.RowsUsed;
  j["rows_left_out"] = head.RowsLeftOut;
  if (result == nullptr) j["warnings"] = json::array();
  // Text that is not UTF-8 (a group value of an 8-bit table) is replaced, not refused.
  std::string line;
  WriteJson(j, result, -1, json::error_handler_t::replace,
            [&line](std::string_view piece) { line += piece; });
  return line + "\n";
}

bool WriteResultJson(const std::filesystem::path& target, const RunResult& result,
                     const RunOptions& options, const ResultFiles& files, std::string& error) {
  // Through the report's writer: the text goes to its temporary file as it grows.
  TextFileWriter out(target);
  WriteResultJsonText(result, options, files, [&out](std::string_view piece) { out.Write(piece); });
  if (out.Commit()) return true;
  error = out.Error();
  return false;
}

}  // namespace vornax
