// vornax._core: the Python module's bridge to the engine. Arrays come in as numbers already
// cleaned of missing values by the pure-Python layer; here they become the data set of one run
// (or the groups of a long table), run through the same entry as vornax-batch --by, with the
// interpreter's lock released, and the results go back as the texts and numbers the batch
// writes. No analysis is chosen and no rule decided here.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "batch/GroupResults.h"
#include "batch/GroupRun.h"
#include "run/MemoryRun.h"
#include "run/ResultJson.h"
#include "run/ResultPrediction.h"
#include "run/ResultSummary.h"
#include "run/RunChoices.h"
#include "run/TableImport.h"

namespace py = pybind11;
using namespace vornax;

namespace {

using Doubles = py::array_t<double, py::array::c_style | py::array::forcecast>;
using Weights = py::array_t<int32_t, py::array::c_style | py::array::forcecast>;

// The options of a call as the pure-Python layer checked and spelt them.
struct CallOptions {
  RunChoices Choices;
  int Confidence = 90;
  int Permutations = 999;
  int StopAfter = 0;
  uint64_t Seed = 1;
  bool TransformAnswer = true;
};

template <typename T>
std::optional<T> Get(const py::dict& d, const char* key) {
  if (!d.contains(key) || d[key].is_none()) return std::nullopt;
  return d[key].cast<T>();
}

CallOptions ReadOptions(const py::dict& d) {
  CallOptions o;
  RunChoices& c = o.Choices;
  if (auto use = Get<std::string>(d, "use")) {
    c.Use = *use;
    c.UseGiven = true;
  }
  if (auto v = Get<std::string>(d, "prefer")) c.Prefer = *v;
  if (auto v = Get<int>(d, "exclude")) c.Exclude = *v;
  if (auto v = Get<std::string>(d, "curve")) c.Curve = *v;
  if (auto v = Get<std::string>(d, "breakpoints")) c.Breakpoints = *v;
  if (auto v = Get<double>(d, "breakpoint")) c.Breakpoint = *v;
  if (auto v = Get<std::vector<double>>(d, "search_range")) c.SearchRange = *v;
  if (auto v = Get<int>(d, "confidence")) o.Confidence = *v;
  if (auto v = Get<int>(d, "permutations")) o.Permutations = *v;
  if (auto v = Get<int>(d, "stop_early")) o.StopAfter = *v;
  if (auto v = Get<uint64_t>(d, "seed")) o.Seed = *v;
  if (auto v = Get<bool>(d, "transform")) o.TransformAnswer = *v;
  c.Permutations = o.Permutations;
  c.Seed = o.Seed;
  // A run repeated for its report's text: the choice of how many breakpoints keeps its
  // shuffles (the report gives their p), the break test afterwards is left out.
  if (auto v = Get<bool>(d, "break_test"); v && !*v) o.Permutations = 0;
  return o;
}

// The columns of a data set as a table of them would be imported: their names, how many
// independent ones, whether weight factors come with them.
ImportedTable Heading(const std::vector<std::string>& names, bool twoVariables, bool weights) {
  ImportedTable table;
  table.NrOfVarInData = twoVariables ? 2 : 1;
  table.HasWeights = weights;
  table.Header = names;
  table.UsedNames = names;
  std::string x = names.size() > 1 ? names[1] : "";
  for (char& ch : x) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
  table.SingleIsZ = !twoVariables && x == "z";
  return table;
}

std::vector<long double> Widened(const Doubles& a) {
  const double* p = a.data();
  return std::vector<long double>(p, p + a.size());
}

GridValues ValuesOf(const Doubles& y, const Doubles& x, const std::optional<Doubles>& z,
                    const std::optional<Weights>& w) {
  GridValues v;
  v.Y = Widened(y);
  v.X = Widened(x);
  if (z) v.Z = Widened(*z);
  if (w) v.Weight.assign(w->data(), w->data() + w->size());
  return v;
}

MemoryRunSetup SetupOf(const CallOptions& o, const ImportedTable& table) {
  MemoryRunSetup setup;
  setup.Options.WeightsUsed = table.HasWeights;
  const std::string problem =
      ApplyChoices(o.Choices, table.NrOfVarInData, setup.Options, setup.Option);
  if (!problem.empty()) throw std::invalid_argument(problem);
  setup.ConfidencePercent = o.Confidence;
  setup.TransformAnswer = o.TransformAnswer;
  setup.Permutations = o.Permutations;
  setup.StopAfter = o.StopAfter;
  setup.Seed = o.Seed;
  return setup;
}

// One fitted data set, as the Result of the Python layer holds it.
struct Fitted {
  MemoryRunOutcome Run;
  ResultFiles Files;  // the columns used and the rows left out, for the JSON
};

std::shared_ptr<Fitted> Fit(const Doubles& y, const Doubles& x, const std::optional<Doubles>& z,
                            const std::optional<Weights>& w, const std::vector<std::string>& names,
                            const std::vector<size_t>& leftOut, const std::string& source,
                            const py::dict& options, bool reportText, int threads) {
  const CallOptions call = ReadOptions(options);
  const ImportedTable table = Heading(names, z.has_value(), w.has_value());
  GridValues values = ValuesOf(y, x, z, w);
  auto fitted = std::make_shared<Fitted>();
  const std::vector<std::string> roles = ColumnRoles(table);
  for (size_t i = 0; i < roles.size() && i < names.size(); ++i) {
    fitted->Files.Columns.push_back({roles[i], names[i]});
  }
  for (size_t row : leftOut) {
    fitted->Files.LeftOut.push_back({row, "missing value"});
  }
  fitted->Files.SourceIsTable = true;
  {
    py::gil_scoped_release release;
    MemoryRunSetup setup = SetupOf(call, table);
    setup.ReportText = reportText;
    setup.BreakTestThreads = std::max(threads, 1);
    fitted->Run = RunInMemory(setup, GridHeading(table, source), std::move(values), "vornax.inp");
  }
  if (!fitted->Run.Analysed) {
    std::string reason = fitted->Run.Reason();
    throw std::invalid_argument(reason.empty() ? "the analysis gave no report" : reason);
  }
  return fitted;
}

// The groups of a long table: every group's row of the batch's results table.
std::vector<std::string> FitGroups(const Doubles& y, const Doubles& x,
                                   const std::optional<Doubles>& z,
                                   const std::optional<Weights>& w,
                                   py::array_t<uint32_t, py::array::c_style | py::array::forcecast> codes,
                                   const std::vector<std::string>& groups,
                                   const std::vector<size_t>& leftOut,
                                   const std::vector<std::string>& names, const std::string& by,
                                   const std::string& source, const py::dict& options,
                                   int threads) {
  const CallOptions call = ReadOptions(options);
  ImportedTable table = Heading(names, z.has_value(), w.has_value());
  table.Values = ValuesOf(y, x, z, w);
  table.ByName = by;
  table.Groups = groups;
  table.GroupOfRow.assign(codes.data(), codes.data() + codes.size());
  if (table.GroupOfRow.size() != table.Values.size()) {
    throw std::invalid_argument("the group codes and the data differ in length");
  }
  std::vector<std::string> rows;
  {
    py::gil_scoped_release release;
    const MemoryRunSetup single = SetupOf(call, table);
    batch::GroupRunSetup setup;
    setup.Options = single.Options;
    setup.Option = single.Option;
    setup.ConfidencePercent = call.Confidence;
    setup.TransformAnswer = call.TransformAnswer;
    setup.Permutations = call.Permutations;
    setup.StopAfter = call.StopAfter;
    setup.Seed = call.Seed;
    setup.TableName = source;
    setup.FileStem = "vornax";
    const size_t count = groups.size();
    std::vector<std::vector<size_t>> rowsOf(count);
    for (size_t r = 0; r < table.GroupOfRow.size(); ++r) {
      const uint32_t g = table.GroupOfRow[r];
      if (g >= count) throw std::invalid_argument("a group code beyond the groups");
      rowsOf[g].push_back(r);
    }
    const int cores = threads > 0 ? threads
                                  : static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    const int running = static_cast<int>(std::min<size_t>(static_cast<size_t>(cores), std::max<size_t>(count, 1)));
    setup.BreakTestThreads = std::max(cores / std::max(running, 1), 1);
    rows.reserve(count);
    auto job = [&](size_t g) {
      const batch::GroupOutcome outcome = batch::RunGroup(
          setup, table, static_cast<uint32_t>(g), rowsOf[g], g < leftOut.size() ? leftOut[g] : 0);
      batch::FinishedGroup finished;
      finished.Analysed = outcome.Analysed;
      finished.Row = batch::ResultsTableRow(outcome);
      return finished;
    };
    auto take = [&](batch::FinishedGroup&& finished) {
      rows.push_back(std::move(finished.Row));
      return true;
    };
    batch::RunInOrder(count, running, job, take, nullptr);
  }
  return rows;
}

py::array_t<double> Predict(const Fitted& f, const Doubles& x, const std::optional<Doubles>& z) {
  const RunResult& r = f.Run.Result;
  if (FittedValueNeedsZ(r) && !z) {
    throw std::invalid_argument("this result is a function of X and Z: give z_new as well");
  }
  if (z && z->size() != x.size()) {
    throw std::invalid_argument("x_new and z_new differ in length");
  }
  py::array_t<double> out(x.size());
  double* o = out.mutable_data();
  const double* xs = x.data();
  const double* zs = z ? z->data() : nullptr;
  const size_t n = static_cast<size_t>(x.size());
  py::gil_scoped_release release;
  for (size_t i = 0; i < n; ++i) o[i] = FittedValue(r, xs[i], zs != nullptr ? zs[i] : 0);
  return out;
}

py::array_t<double> ArrayOf(const std::vector<double>& v) {
  py::array_t<double> a(v.size());
  std::copy(v.begin(), v.end(), a.mutable_data());
  return a;
}

}  // namespace

PYBIND11_MODULE(_core, m) {
  m.doc() = "The engine of vornax: runs in memory, the interpreter's lock released.";
  py::class_<Fitted, std::shared_ptr<Fitted>>(m, "Fitted")
      .def("json",
           [](const Fitted& f) {
             if (!f.Run.Result.Valid) {
               throw std::invalid_argument(
                   "this analysis does not give its results as numbers yet");
             }
             return ResultJsonText(f.Run.Result, f.Run.Options, f.Files);
           })
      .def_property_readonly("report", [](const Fitted& f) { return f.Run.Report; })
      .def_property_readonly("anova", [](const Fitted& f) { return f.Run.Anova; })
      .def_property_readonly("summary", [](const Fitted& f) { return SummaryLines(f.Run.Result); })
      .def_property_readonly("analysis", [](const Fitted& f) { return f.Run.Result.Analysis; })
      .def_property_readonly("needs_z",
                             [](const Fitted& f) { return FittedValueNeedsZ(f.Run.Result); })
      .def_property_readonly("x", [](const Fitted& f) { return ArrayOf(f.Run.Result.X); })
      .def_property_readonly("y", [](const Fitted& f) { return ArrayOf(f.Run.Result.Y); })
      .def_property_readonly("z", [](const Fitted& f) { return ArrayOf(f.Run.Result.Z); })
      .def_property_readonly("ycalc", [](const Fitted& f) { return ArrayOf(f.Run.Result.YCalc); })
      .def("predict", &Predict, py::arg("x"), py::arg("z") = py::none());
  m.def("fit", &Fit, py::arg("y"), py::arg("x"), py::arg("z"), py::arg("weights"),
        py::arg("names"), py::arg("left_out"), py::arg("source"), py::arg("options"),
        py::arg("report_text"), py::arg("threads"));
  m.def("fit_groups", &FitGroups, py::arg("y"), py::arg("x"), py::arg("z"), py::arg("weights"),
        py::arg("codes"), py::arg("groups"), py::arg("left_out"), py::arg("names"), py::arg("by"),
        py::arg("source"), py::arg("options"), py::arg("threads"));
  m.def("results_header", &batch::ResultsTableHeader);
}
