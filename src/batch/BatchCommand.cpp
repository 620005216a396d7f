// The vornax-batch command: options, input, one run, exit status.
#include "batch/BatchCommand.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "batch/ConsoleDialogs.h"
#include "batch/TableImport.h"
#include "data/InputFile.h"
#include "data/TextFile.h"
#include "run/BreakTest.h"
#include "run/ResultJson.h"
#include "run/ResultSummary.h"
#include "run/SaveCalculate.h"

namespace vornax::batch {
namespace {

namespace fs = std::filesystem;

struct Choices {
  std::string input;
  std::string outputDir;
  int confidence = 90;
  std::string use = "both";
  std::string prefer = "best";
  std::string preferZ = "best";
  int exclude = 0;
  int excludeZ = 0;
  std::string curve;
  bool noTransform = false;
  bool weights = false;
  bool quiet = false;
  int permutations = 999;
  unsigned long long seed = 1;
  std::string json;
};

const char* const kFooter = R"(
The input is an input file (.inp) as the program writes it, or a table of columns
Y, X[, Z][, weight] separated by commas, semicolons, tabs or blanks, with an optional
header row. A table is also written as NAME.inp, so that the run can be repeated.
The report NAME.out and the ANOVA table NAME.var are written beside the input, or into
--output-dir (together with NAME.inp). The input file given is never rewritten.
The path of the report is printed on standard output, followed by a summary of the
result (unless --quiet); messages and progress lines go to standard error.

The break test shuffles Y over the X values (--permutations times), runs the same
search on each shuffle and counts how often a break explains as much extra as the one
found: p = (1 + count) / (permutations + 1). It accounts for the search over 100
breakpoints and several types, which the type tests of the report do not.

Examples:
  vornax-batch examples/01-yield-watertable.inp
  vornax-batch field.csv --confidence 95 --exclude 6
  vornax-batch trial.inp --use z --prefer 3 --output-dir results
  vornax-batch growth.tsv --curve quadratic --no-transform
  vornax-batch field.csv --json field.json --permutations 4999 --seed 7

Exit status: 0 the report was written; 1 the analysis refused the data (its message
is printed); 2 bad usage, unreadable input, or a file that could not be written.)";

std::string LowerExtension(const fs::path& p) {
  std::string ext = p.extension().string();
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return ext;
}

bool SameFile(const fs::path& a, const fs::path& b) {
  std::error_code ec;
  if (fs::exists(a, ec) && fs::exists(b, ec)) return fs::equivalent(a, b, ec);
  return fs::weakly_canonical(a, ec) == fs::weakly_canonical(b, ec);
}

int PreferredType(const std::string& value) {
  return value == "best" || value == "partial" ? -1 : std::stoi(value);
}

CurveChoice Curve(const std::string& value) {
  if (value == "power") return CurveChoice::Power;
  if (value == "s-curve") return CurveChoice::SCurve;
  if (value == "quadratic") return CurveChoice::Quadratic;
  if (value == "cubic") return CurveChoice::Cubic;
  return CurveChoice::None;
}

// Checks the choices against the data and puts them into the options, as the window's boxes
// would. Returns an error text for a combination the window does not offer.
std::string ApplyChoices(const Choices& c, const CLI::App& app, int nrOfVarInData,
                         RunOptions& options, VarChoice& varChoice) {
  const bool useGiven = app.count("--use") > 0;
  if (useGiven && nrOfVarInData != 2) {
    return "--use needs data with two independent variables (X and Z)";
  }
  varChoice = c.use == "x" ? VarChoice::FirstOnly
              : c.use == "z" ? VarChoice::SecondOnly
                             : VarChoice::Both;
  const bool both = nrOfVarInData == 2 && varChoice == VarChoice::Both;
  const bool preferGiven = c.prefer != "best";
  const bool preferZGiven = c.preferZ != "best";
  const bool curveGiven = !c.curve.empty();
  if (curveGiven && preferGiven) return "choose either --prefer or --curve, not both";
  if ((c.exclude != 0 || c.excludeZ != 0) && (preferGiven || preferZGiven || curveGiven)) {
    return "an exclusion applies to the best of the segmented types only; "
           "leave out --prefer, --prefer-z and --curve";
  }
  options.ResetPreferences();
  if (both) {
    if (curveGiven) {
      return "with two independent variables used together there are no curved functions; "
             "use --use x or --use z for a curve";
    }
    if (c.prefer == "partial") {
      return "with two independent variables used together there is no partial regression; "
             "use --use x or --use z";
    }
    options.PreferredTypeX = PreferredType(c.prefer);
    options.PreferredTypeZ = PreferredType(c.preferZ);
    options.ExcludedTypeX = c.exclude;
    options.ExcludedTypeZ = c.excludeZ;
    return {};
  }
  // One variable analysed. The window offers one group for it; both groups get the choice, so
  // whichever group the analysis reads for the variable holds it.
  const bool secondOnly = nrOfVarInData == 2 && varChoice == VarChoice::SecondOnly;
  if (!secondOnly && (preferZGiven || c.excludeZ != 0)) {
    return "--prefer-z and --exclude-z need two independent variables with --use both or --use z";
  }
  if (preferGiven && preferZGiven && c.prefer != c.preferZ) {
    return "with --use z, --prefer and --prefer-z name the same group; give one of them";
  }
  if (c.exclude != 0 && c.excludeZ != 0 && c.exclude != c.excludeZ) {
    return "with --use z, --exclude and --exclude-z name the same group; give one of them";
  }
  const std::string prefer = preferGiven ? c.prefer : c.preferZ;
  const int exclude = c.exclude != 0 ? c.exclude : c.excludeZ;
  options.PreferredTypeX = options.PreferredTypeZ = PreferredType(prefer);
  options.PartialX = options.PartialZ = prefer == "partial";
  options.ExcludedTypeX = options.ExcludedTypeZ = exclude;
  options.CurveX = options.CurveZ = Curve(c.curve);
  return {};
}

// After a run that wrote its report: the break test, the summary and the JSON results.
int Finish(const Choices& c, Session& session, const SaveCalculateResult& result,
           const fs::path& inputPath, std::ostream& out, std::ostream& err) {
  RunResult& numbers = session.Data.Result;
  if (numbers.Valid && c.permutations > 0 && BreakTestApplies(numbers)) {
    BreakTestOptions test;
    test.Permutations = c.permutations;
    test.Seed = c.seed;
    test.Threads = 2;
    int lastShown = -1;
    if (!c.quiet) {
      test.Progress = [&](int done, int total, double seconds) {
        if (seconds < 2) return;
        const int percent = static_cast<int>(100.0 * done / total);
        if (percent / 10 == lastShown) return;
        lastShown = percent / 10;
        err << " Break test: " << done << " of " << total << " permutations" << std::endl;
      };
    }
    numbers.BreakTest = RunBreakTest(numbers, test);
  }
  if (!c.quiet) {
    for (const std::string& line : SummaryLines(numbers)) out << line << '\n';
  }
  if (c.json.empty()) return kExitDone;
  if (!numbers.Valid) {
    err << "vornax-batch: this analysis does not give its results as numbers yet; \""
        << c.json << "\" was not written\n";
    return kExitUsage;
  }
  ResultFiles files;
  files.Input = PathText(inputPath);
  files.Output = result.OutputPath;
  files.Anova = PathText(WithExtension(result.OutputPath, ".var"));
  std::string error;
  if (!WriteResultJson(c.json, numbers, session.Options, files, error)) {
    err << "vornax-batch: the file \"" << c.json << "\" could not be written\n" << error << '\n';
    return kExitUsage;
  }
  return kExitDone;
}

}  // namespace

int RunBatch(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
  return RunBatch(argc, argv, out, err, DefaultAnalysisTable());
}

int RunBatch(int argc, const char* const* argv, std::ostream& out, std::ostream& err,
             const AnalysisTable& analyses) {
  Choices c;
  CLI::App app{
      "vornax-batch: segmented linear regression of Y upon X (and Z) without a window.\n"
      "Finds the breakpoint and the best of the function types 0 to 6 (or a partial\n"
      "regression, or a curved function), writes the report and its ANOVA table."};
  app.name("vornax-batch");
  app.footer(kFooter);
  app.add_option("INPUT", c.input, "Input file (.inp) or table (.csv, .tsv, .txt, ...)")
      ->required();
  app.add_option("--confidence", c.confidence,
                 "Minimum confidence in %: 90 (default), 95 or 98")
      ->check(CLI::IsMember({90, 95, 98}));
  app.add_option("--use", c.use,
                 "With two independent variables in the data: both (default), x (the first "
                 "only) or z (the second only)")
      ->check(CLI::IsMember({"both", "x", "z"}));
  app.add_option("--prefer", c.prefer,
                 "best (default: the best of the segmented types 1 to 6), a preferred type 1 to "
                 "6, or partial (the longest range of no effect). With two variables used "
                 "together it is the preference for X")
      ->check(CLI::IsMember({"best", "1", "2", "3", "4", "5", "6", "partial"}));
  app.add_option("--prefer-z", c.preferZ,
                 "Preferred type 1 to 6 for Z, or best (default); two variables only")
      ->check(CLI::IsMember({"best", "1", "2", "3", "4", "5", "6"}));
  app.add_option("--exclude", c.exclude, "Exclude one segmented type 2 to 6 (for X)")
      ->check(CLI::Range(2, 6));
  app.add_option("--exclude-z", c.excludeZ, "Exclude one segmented type 2 to 6 for Z")
      ->check(CLI::Range(2, 6));
  app.add_option("--curve", c.curve,
                 "Fit a curved function instead: power, s-curve (the best of four S-shaped "
                 "curves), quadratic or cubic; one variable analysed only")
      ->check(CLI::IsMember({"power", "s-curve", "quadratic", "cubic"}));
  app.add_flag("--no-transform", c.noTransform,
               "Answer No when asked whether the X-data may be transformed to generalize an "
               "s-curve, quadratic or cubic fit (the default answer is Yes)");
  app.add_flag("--weights", c.weights,
               "A table's third column is a weight factor (found by itself when its header "
               "says weight); the fourth column of a table always is");
  app.add_option("--output-dir,-o", c.outputDir,
                 "Folder for NAME.inp, NAME.out and NAME.var (made when missing); default: "
                 "beside the input");
  app.add_flag("--quiet,-q", c.quiet, "No progress lines and no summary");
  app.add_option("--permutations", c.permutations,
                 "Shuffles of the break test (default 999; 0 switches the test off)")
      ->check(CLI::Range(0, 1000000));
  app.add_option("--seed", c.seed,
                 "Seed of the break test's shuffles (default 1): the same seed gives the same p");
  app.add_option("--json", c.json,
                 "Also write every result of the run (options, type, breakpoint, lines, "
                 "coefficients of explanation, ANOVA rows, break test, data table) to this "
                 "JSON file");

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    const int code = app.exit(e, out, err);
    return code == 0 ? kExitDone : kExitUsage;
  }
  auto usage = [&](const std::string& text) {
    err << "vornax-batch: " << text << '\n';
    return kExitUsage;
  };

  const fs::path input = c.input;
  std::error_code ec;
  if (!fs::is_regular_file(input, ec)) return usage("no such file: \"" + c.input + "\"");
  const bool isInputFile = LowerExtension(input) == ".inp";
  fs::path folder = c.outputDir.empty() ? input.parent_path() : fs::path(c.outputDir);
  if (!c.outputDir.empty()) {
    fs::create_directories(folder, ec);
    if (!fs::is_directory(folder, ec)) return usage("cannot make the folder \"" + c.outputDir + "\"");
  }
  const fs::path written = folder / (input.stem().string() + ".inp");
  // The file given is never rewritten: an input file analysed where it stands is run from
  // itself, and only a table or a run into another folder writes NAME.inp.
  const bool writeInput = !isInputFile || !SameFile(written, input);
  const fs::path inputPath = writeInput ? written : input;
  std::vector<fs::path> targets = {WithExtension(inputPath, ".out"), WithExtension(inputPath, ".var")};
  // The partial regression also writes its scan table as NAME.txt, which a table may be.
  if (c.prefer == "partial") targets.push_back(WithExtension(inputPath, ".txt"));
  for (const fs::path& target : targets) {
    if (SameFile(target, input)) {
      return usage("the input \"" + c.input + "\" would be overwritten by \"" + PathText(target) +
                   "\"; rename it or use --output-dir");
    }
  }

  ConsoleDialogs dialogs(err, c.quiet);
  dialogs.SetAnswer(kTransformQuestion, !c.noTransform);
  Session session;
  session.Analyses = analyses;
  GridInput grid;
  if (isInputFile) {
    session.Data.FileName = PathText(input);
    if (!ReadInputFile(session.Data, session.Options, dialogs)) return kExitUsage;
    grid = GridFromDataSet(session.Data, session.Options.WeightsUsed);
  } else {
    ImportedTable table;
    std::string error;
    if (!ImportTable(input, c.weights, table, error)) return usage(error);
    session.Options.WeightsUsed = table.HasWeights;
    if (table.DecimalComma) session.DecimalSeparator = ',';
    grid = GridFromTable(table, input.filename().string());
  }
  if (isInputFile && c.weights && !session.Options.WeightsUsed) {
    return usage("--weights applies to tables; \"" + c.input + "\" has no weight column");
  }
  VarChoice varChoice = VarChoice::Both;
  const std::string problem =
      ApplyChoices(c, app, grid.NrOfVarInData, session.Options, varChoice);
  if (!problem.empty()) return usage(problem);
  grid.Option = varChoice;
  grid.ConfidencePercent = c.confidence;

  const SaveCalculateResult result = SaveCalculate(session, grid, inputPath, dialogs, writeInput);
  if (result.Outcome != SaveCalculateOutcome::Done && !c.json.empty()) {
    // Results of an earlier run under this name would now be taken for this one's.
    std::error_code removeError;
    if (fs::remove(c.json, removeError)) {
      err << "vornax-batch: removed the results of an earlier run, "" << c.json << ""\n";
    }
  }
  switch (result.Outcome) {
    case SaveCalculateOutcome::Done:
      out << result.OutputPath << '\n';
      return Finish(c, session, result, inputPath, out, err);
    case SaveCalculateOutcome::NotSaved:
    case SaveCalculateOutcome::InputNotWritten:
      return kExitUsage;
    case SaveCalculateOutcome::DataRefused:
    case SaveCalculateOutcome::AnalysisStopped:
    case SaveCalculateOutcome::OutputInvalid:
      return kExitRefused;
  }
  return kExitRefused;
}

}  // namespace vornax::batch
