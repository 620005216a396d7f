// The vornax-batch command: options, input, one run, exit status.
#include "batch/BatchCommand.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <charconv>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <new>
#include <optional>
#include <sstream>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "batch/BatchGraph.h"
#include "batch/BatchOptions.h"
#include "batch/ConsoleDialogs.h"
#include "batch/GroupRun.h"
#include "batch/OutputGuards.h"
#include "run/TableImport.h"
#include "data/GraphDataReader.h"
#include "data/InputFile.h"
#include "data/OwnFiles.h"
#include "data/TextFile.h"
#include "data/Version.h"
#include "run/BreakTest.h"
#include "run/ResultJson.h"
#include "run/ResultSummary.h"
#include "run/RunChoices.h"
#include "run/SaveCalculate.h"

namespace vornax::batch {
namespace {

namespace fs = std::filesystem;



std::string LowerExtension(const fs::path& p) {
  std::string ext = p.extension().string();
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return ext;
}

// The command's choices as every caller without a window gives them.
std::string ApplyChoices(const Choices& c, const CLI::App& app, int nrOfVarInData,
                         RunOptions& options, VarChoice& varChoice) {
  RunChoices choices;
  choices.Use = c.use;
  choices.UseGiven = app.count("--use") > 0;
  choices.Prefer = c.prefer;
  choices.PreferZ = c.preferZ;
  choices.Exclude = c.exclude;
  choices.ExcludeZ = c.excludeZ;
  choices.Curve = c.curve;
  choices.Breakpoints = c.breakpoints;
  choices.Breakpoint = c.breakpoint;
  choices.SearchRange = c.searchRange;
  choices.Permutations = c.permutations;
  choices.Seed = c.seedValue;
  return vornax::ApplyChoices(choices, nrOfVarInData, options, varChoice);
}

class SilentDialogs : public UserDialogs {
 public:
  void ShowMessage(const std::string&) override {}
  bool AskYesNo(const std::string&) override { return false; }
  void ShowProgress() override {}
  void AddProgress(const std::string&) override {}
  void HideProgress() override {}
  void Pause(int) override {}
};

// Whether the input file `file` holds exactly the data sets `values`, in the layout of `grid`.
bool HoldsSameData(const fs::path& file, const GridInput& grid, const GridValues& values,
                   bool weights) {
  TDMVornax existing;
  existing.FileName = PathText(file);
  RunOptions options;
  options.WeightsUsed = false;
  SilentDialogs silent;
  if (!ReadInputFile(existing, options, silent)) return false;
  const bool two = grid.NrOfVarInData == 2;
  const size_t n = values.size();
  if (existing.NrOfVarInData != grid.NrOfVarInData || options.WeightsUsed != weights ||
      (!two && existing.SingleIsZ != grid.SingleIsZ) ||
      static_cast<size_t>(existing.NrOfData) != n) {
    return false;
  }
  for (size_t r = 0; r < n; ++r) {
    if (existing.YData[r] != values.Y[r] || existing.XData[r] != values.X[r] ||
        (two && existing.ZData[r] != values.Z[r]) ||
        (weights && existing.WeightFactor[r] != values.Weight[r])) {
      return false;
    }
  }
  return true;
}

}  // namespace

namespace {

// After a run that wrote its report: the break test, the summary and the JSON results.
int Finish(const Choices& c, Session& session, const SaveCalculateResult& result,
           const fs::path& inputPath, ResultFiles files, std::ostream& out, std::ostream& err) {
  RunResult& numbers = session.Data.Result;
  if (numbers.Valid && c.permutations > 0 && BreakTestApplies(numbers)) {
    BreakTestOptions test;
    test.Permutations = c.permutations;
    test.Seed = c.seedValue;
    test.StopAfter = c.stopEarly;
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

// Draws the graph of the report just written, as the window would show it, and saves it.
int SaveGraph(const Choices& c, const SaveCalculateResult& result, std::ostream& out,
              std::ostream& err) {
  BatchGraphChoices graph;
  graph.OutputPath = result.OutputPath;
  graph.GraphPath = c.graph;
  graph.Kind = c.graphKind;
  graph.Colour = !c.blackWhite;
  graph.ShowBelt = !c.noBelt;
  graph.ShowBlock = !c.noBlock;
  ParseGraphSizeOption(c.graphSize, graph.Width, graph.Height);  // checked before the run
  return SaveBatchGraph(graph, out, err);
}

// What a run leaves to be said when it runs out of memory: how large the work was, the NAME.inp
// to restore and the earlier outputs to put back.
struct RunState {
  int64_t DataSets = 0;
  InputFileGuard Input;
  KeptFiles Outputs;
};

// The data sets the values become once their weight factors are expanded.
int64_t ExpandedCount(const GridValues& values) {
  int64_t total = static_cast<int64_t>(values.size());
  for (const int32_t weight : values.Weight) total += std::max(weight, 1) - 1;
  return total;
}

// The data sets of an input file as values, taken over from the data set read.
GridValues ValuesOf(TDMVornax& data, bool weights) {
  const size_t n = static_cast<size_t>(std::max(data.NrOfData, 0));
  GridValues values;
  values.Y = std::move(data.YData);
  values.X = std::move(data.XData);
  values.Z = std::move(data.ZData);
  values.Y.resize(n);
  values.X.resize(n);
  values.Z.resize(n, 0);
  if (weights) {
    values.Weight = std::move(data.WeightFactor);
    values.Weight.resize(n, 1);
  }
  return values;
}

// The names a graph may be written under: the extension says the format.
bool IsGraphName(const std::string& name) {
  const std::string ext = LowerExtension(name);
  return ext == ".svg" || ext == ".pdf" || ext == ".png" || ext == ".bmp";
}

// The graph kinds that need the two stages of a run on X and Z together.
bool NeedsTwoVariables(const std::string& kind) {
  return kind == "residuals" || kind == "y-z" || kind == "x-z";
}

int RunGroupsOf(const Choices& c, const CLI::App& app, const std::filesystem::path& folder,
                const AnalysisTable& analyses, std::ostream& out, std::ostream& err);

int RunChecked(Choices& c, const CLI::App& app, const AnalysisTable& analyses, RunState& state,
               std::ostream& out, std::ostream& err) {
  auto usage = [&](const std::string& text) {
    err << "vornax-batch: " << text << '\n';
    return kExitUsage;
  };
  if (app.count("--breakpoint") > 0) c.breakpoint = c.breakpointValue;
  {
    // Read by hand: a negative seed would otherwise wrap round to a huge one without a word.
    const std::string& seed = c.seed;
    auto [end, ec] = std::from_chars(seed.data(), seed.data() + seed.size(), c.seedValue);
    if (seed.empty() || seed.front() == '-' || seed.front() == '+' || ec != std::errc() ||
        end != seed.data() + seed.size()) {
      return usage("--seed " + seed + ": give a whole number from 0 to " +
                   std::to_string(UINT64_MAX));
    }
  }

  const fs::path input = c.input;
  std::error_code ec;
  if (!fs::is_regular_file(input, ec)) {
    // A missing file is no error to the file system; a folder that may not be searched is.
    const std::string reason =
        ec ? ec.message() : std::strerror(fs::is_directory(input) ? EISDIR : ENOENT);
    return usage("cannot read \"" + c.input + "\"\n" + reason);
  }
  if (c.by.empty() && (!c.results.empty() || !c.jsonLines.empty() || c.reports)) {
    return usage("--results, --json-lines and --reports go with --by");
  }
  const bool isInputFile = LowerExtension(input) == ".inp";
  const bool columnsGiven = !c.yColumn.empty() || !c.xColumn.empty() || !c.zColumn.empty() ||
                            !c.weightColumn.empty();
  if (!c.by.empty() && isInputFile) {
    return usage("--by splits a table into groups; \"" + c.input + "\" is an input file of one "
                 "data set");
  }
  if (isInputFile && (columnsGiven || c.strict || !c.header.empty())) {
    return usage("--y, --x, --z, --weight, --header and --strict apply to tables, not to \"" +
                 c.input + "\"");
  }
  if (columnsGiven && (c.yColumn.empty() || c.xColumn.empty())) {
    return usage("give the columns of Y and X together (--y and --x)");
  }
  if (columnsGiven && c.weights) {
    return usage("with --y and --x, give the weight column with --weight instead of --weights");
  }
  fs::path folder = c.outputDir.empty() ? input.parent_path() : fs::path(c.outputDir);
  if (!c.outputDir.empty()) {
    fs::create_directories(folder, ec);
    if (!fs::is_directory(folder)) {
      return usage("cannot make the folder \"" + c.outputDir + "\"\n" +
                   (ec ? ec.message() : std::strerror(ENOTDIR)));
    }
  }
  if (!c.by.empty()) return RunGroupsOf(c, app, folder, analyses, out, err);
  // The reports are written into this folder: find out now, with the system's reason, rather
  // than after the analysis has run.
  {
    const std::string reason = FolderNotWritable(folder.empty() ? fs::path(".") : folder);
    if (!reason.empty()) {
      return usage("cannot write into the folder \"" + PathText(folder.empty() ? "." : folder) +
                   "\"" + (c.outputDir.empty() ? "; choose another with --output-dir" : "") +
                   "\n" + reason);
    }
  }
  const fs::path written = folder / (input.stem().string() + ".inp");
  // The file given is never rewritten: an input file analysed where it stands is run from
  // itself, and only a table or a run into another folder writes NAME.inp.
  bool writeInput = !isInputFile || !SameFile(written, input);
  const fs::path inputPath = writeInput ? written : input;
  const fs::path outPath = WithExtension(inputPath, ".out");
  const fs::path varPath = WithExtension(inputPath, ".var");
  std::vector<fs::path> targets = {outPath, varPath};
  // The partial regression also writes its scan table as NAME.txt, which a table may be.
  if (c.prefer == "partial") targets.push_back(WithExtension(inputPath, ".txt"));
  for (const fs::path& target : targets) {
    if (SameFile(target, input)) {
      return usage("the input \"" + c.input + "\" would be overwritten by \"" + PathText(target) +
                   "\"; rename it or use --output-dir");
    }
  }
  // The files of --json and --graph take the place of none of these, nor of each other.
  std::vector<NamedFile> taken = {{input, "the input"}, {outPath, "the report"},
                                  {varPath, "the ANOVA table"}};
  if (writeInput) taken.push_back({written, "the input file this run writes"});
  if (c.prefer == "partial") taken.push_back({targets.back(), "the scan table"});
  if (!c.json.empty()) {
    std::vector<NamedFile> others = taken;
    if (!c.graph.empty()) others.push_back({c.graph, "the graph"});
    const std::string problem = CheckOptionFile("--json", c.json, {}, others);
    if (!problem.empty()) return usage(problem);
  }
  if (!c.graph.empty()) {
    const std::string problem = CheckOptionFile("--graph", c.graph, {}, taken);
    if (!problem.empty()) return usage(problem);
  }
  if (!c.graph.empty() && !IsGraphName(c.graph)) {
    return usage("--graph \"" + c.graph + "\": the name's extension gives the format; use .svg, "
                 ".pdf, .png or .bmp");
  }
  // Every file the run replaces is this program's, or the user said it may go.
  for (const fs::path& target : targets) {
    const std::string problem =
        NotOursToReplace(target, c.overwrite, "--output-dir to write elsewhere");
    if (!problem.empty()) return usage(problem);
  }
  for (const std::string* named : {&c.json, &c.graph}) {
    if (named->empty()) continue;
    const std::string problem = NotOursToReplace(*named, c.overwrite, "choose another name");
    if (!problem.empty()) return usage(problem);
  }

  ConsoleDialogs dialogs(err, c.quiet);
  dialogs.SetAnswer(kTransformQuestion, !c.noTransform,
                    c.noTransform ? " The X-data are fitted as they are, without a "
                                    "transformation (--no-transform)."
                                  : " The X-data may be transformed to generalize the fit "
                                    "(--no-transform keeps them as they are).");
  Session session;
  session.Analyses = analyses;
  GridInput grid;  // the titles and choices; the data sets are in `values`
  GridValues values;
  std::string tableName;
  // Where the results come from, for the JSON file.
  ResultFiles provenance;
  provenance.Source = c.input;
  provenance.SourceIsTable = !isInputFile;
  provenance.Arguments = c.arguments;
  if (isInputFile) {
    session.Data.FileName = PathText(input);
    if (!ReadInputFile(session.Data, session.Options, dialogs)) return kExitUsage;
    grid.Title1 = session.Data.Title1;
    grid.Title2 = session.Data.Title2;
    grid.NrOfVarInData = session.Data.NrOfVarInData;
    grid.SingleIsZ = session.Data.SingleIsZ;
    values = ValuesOf(session.Data, session.Options.WeightsUsed);
    // An input file has no column names: its columns are named by their roles.
    const bool two = session.Data.NrOfVarInData == 2;
    for (const char* role : {"Y", two || !session.Data.SingleIsZ ? "X" : "Z"}) {
      provenance.Columns.push_back({role, role});
    }
    if (two) provenance.Columns.push_back({"Z", "Z"});
    if (session.Options.WeightsUsed) provenance.Columns.push_back({"weight", "weight"});
  } else {
    ImportedTable table;
    std::string error;
    ImportChoices columns{c.yColumn, c.xColumn, c.zColumn, c.weightColumn, c.weights, c.strict,
                          c.header == "yes"  ? HeaderRow::Yes
                          : c.header == "no" ? HeaderRow::No
                                             : HeaderRow::Guess};
    columns.AsValues = true;
    if (!ImportTable(input, columns, table, error)) return usage(error);
    session.Options.WeightsUsed = table.HasWeights;
    tableName = input.filename().string();
    grid = GridFromTable(table, tableName);
    values = std::move(table.Values);
    if (table.WasWindows1252) {
      err << "\"" << c.input << "\" is not UTF-8 text; it was read as Windows-1252 (Latin-1)\n";
    }
    if (!c.quiet) {
      err << ColumnsUsedLine(table)
          << (table.RowNamesSkipped ? " (the first column holds row names and is left aside)" : "")
          << '\n';
      const std::string leftOut = LeftOutLine(table);
      if (!leftOut.empty()) err << leftOut << '\n';
    }
    const std::vector<std::string> roles = ColumnRoles(table);
    for (size_t i = 0; i < roles.size() && i < table.UsedNames.size(); ++i) {
      provenance.Columns.push_back({roles[i], table.UsedNames[i]});
    }
    for (size_t i = 0; i < table.LeftOut.size(); ++i) {
      provenance.LeftOut.push_back(
          {table.LeftOut[i], i < table.LeftOutReasons.size() ? table.LeftOutReasons[i] : ""});
    }
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
  // A graph the run cannot give is said now, not after the analysis and the break test.
  if (!c.graph.empty() && NeedsTwoVariables(c.graphKind) &&
      !(grid.NrOfVarInData == 2 && varChoice == VarChoice::Both)) {
    return usage("--graph-kind " + c.graphKind +
                 " needs a run on two variables (X and Z, with --use both)");
  }
  state.DataSets = ExpandedCount(values);

  // NAME.inp is the user's file as much as the table is: it is replaced only by the same data,
  // when this program wrote it from the same table, or when asked to.
  if (writeInput && fs::exists(written, ec) && !c.overwrite) {
    if (HoldsSameData(written, grid, values, session.Options.WeightsUsed)) {
      writeInput = false;  // it holds these data already: leave it untouched
    } else if (tableName.empty() || !WrittenFromTable(written, tableName)) {
      return usage("\"" + PathText(written) + "\" already exists and holds other data; it is " +
                   "left as it is. Use --overwrite to replace it, or --output-dir to write " +
                   "elsewhere.");
    }
  }
  if (writeInput) state.Input = InputFileGuard(written);

  const EarlierOutputs earlier(targets);
  // A run stopped on the way (out of memory) puts back what it replaced; so does a refusal of
  // the options, which says nothing of the data.
  {
    std::vector<fs::path> replaced = targets;
    if (!c.json.empty()) replaced.emplace_back(c.json);
    state.Outputs = KeptFiles(replaced);
  }
  // The values are taken over by the data set, and the report is not read back: no second copy
  // of a long table is held.
  const SaveCalculateResult result = SaveCalculate(session, grid, std::move(values), inputPath,
                                                   dialogs, writeInput, /*loadReport=*/false);
  const bool optionsRefused = result.Outcome == SaveCalculateOutcome::AnalysisStopped &&
                              RefusedForTheOptions(dialogs.Shown());
  if (result.Outcome != SaveCalculateOutcome::Done) {
    dialogs.Release(/*succeeded=*/false);
    // The input file of a run that gave nothing would be taken for the record of one.
    state.Input.Restore();
    state.Input = InputFileGuard();
    // Options that do not fit these data are no reason to take away a report of them.
    if (optionsRefused) state.Outputs.PutBack();
    state.Outputs.Discard();
  }
  if (!optionsRefused && (result.Outcome == SaveCalculateOutcome::AnalysisStopped ||
                          result.Outcome == SaveCalculateOutcome::OutputInvalid)) {
    // A refusal takes away the reports of an earlier run beside these data; say which, and
    // which files of that name were not this program's to take away.
    earlier.Report(err);
  }
  if (result.Outcome == SaveCalculateOutcome::AnalysisStopped) {
    for (const std::string& line : SmallSpanLines(dialogs.Shown(), grid, session.Data)) err << line << '\n';
  }
  if (result.Outcome != SaveCalculateOutcome::Done && !optionsRefused && !c.json.empty()) {
    // Results of an earlier run under this name would now be taken for this one's.
    switch (RemoveOwnFile(c.json)) {
      case StaleFile::Removed:
        err << "vornax-batch: removed the results of an earlier run, \"" << c.json << "\"\n";
        break;
      case StaleFile::Left:
        err << LeftAsItIsNote(c.json) << '\n';
        break;
      case StaleFile::Absent:
        break;
    }
  }
  switch (result.Outcome) {
    case SaveCalculateOutcome::Done: {
      // What the run has to say waits until every file is written: a run stopped on the way
      // says only that it stopped.
      std::ostringstream said;
      said << result.OutputPath << '\n';
      int status = Finish(c, session, result, inputPath, provenance, said, err);
      if (status == kExitDone && !c.graph.empty()) status = SaveGraph(c, result, said, err);
      state.Input = InputFileGuard();
      state.Outputs.Discard();
      dialogs.Release(/*succeeded=*/true);
      out << said.str();
      return status;
    }
    case SaveCalculateOutcome::NotSaved:
    case SaveCalculateOutcome::InputNotWritten:
    case SaveCalculateOutcome::DataRefused:
      return kExitUsage;
    case SaveCalculateOutcome::AnalysisStopped:
    case SaveCalculateOutcome::OutputInvalid:
      // A report that could not be written is no refusal of the data, nor are data unfit for
      // any analysis (too few, no variation): those are bad input like any other.
      for (const std::string& shown : dialogs.Shown()) {
        if (shown.find("could not be written") != std::string::npos ||
            shown.find("could not be renamed") != std::string::npos) {
          return kExitUsage;
        }
      }
      return RefusedAsUnfit(dialogs.Shown()) ? kExitUsage : kExitRefused;
  }
  return kExitRefused;
}

// A table analysed group by group (--by): the checks of the options that only this way takes,
// then the groups' runs.
int RunGroupsOf(const Choices& c, const CLI::App& app, const fs::path& folder,
                const AnalysisTable& analyses, std::ostream& out, std::ostream& err) {
  auto usage = [&](const std::string& text) {
    err << "vornax-batch: " << text << '\n';
    return kExitUsage;
  };
  if (!c.json.empty() || !c.graph.empty()) {
    return usage("with --by, the results of every group go to --results and --json-lines; "
                 "--json and --graph describe a single run");
  }
  if (c.results.empty() && c.jsonLines.empty() && !c.reports) {
    return usage("--by needs somewhere to put the results: --results FILE.csv, --json-lines "
                 "FILE or --reports");
  }
  for (const std::string* file : {&c.results, &c.jsonLines}) {
    if (!file->empty() && SameFile(*file, c.input)) {
      return usage("\"" + *file + "\" is the input; choose another name");
    }
  }
  if (!c.results.empty() && !c.jsonLines.empty() && SameFile(c.results, c.jsonLines)) {
    return usage("--results and --json-lines name the same file");
  }
  for (const std::string* file : {&c.results, &c.jsonLines}) {
    if (file->empty()) continue;
    const std::string problem = NotOursToReplace(*file, c.overwrite, "choose another name");
    if (!problem.empty()) return usage(problem);
  }
  if (c.reports) {
    const std::string reason = FolderNotWritable(folder.empty() ? fs::path(".") : folder);
    if (!reason.empty()) {
      return usage("cannot write into the folder \"" + PathText(folder.empty() ? "." : folder) +
                   "\"\n" + reason);
    }
  }
  GroupCommand command;
  command.Input = c.input;
  command.Folder = folder;
  command.Results = c.results;
  command.JsonLines = c.jsonLines;
  command.Reports = c.reports;
  command.Columns = {c.yColumn, c.xColumn, c.zColumn, c.weightColumn, c.weights, c.strict,
                     c.header == "yes"  ? HeaderRow::Yes
                     : c.header == "no" ? HeaderRow::No
                                        : HeaderRow::Guess};
  command.Columns.By = c.by;
  command.ConfidencePercent = c.confidence;
  command.TransformAnswer = !c.noTransform;
  command.Permutations = c.permutations;
  command.StopAfter = c.stopEarly;
  command.Seed = c.seedValue;
  command.Quiet = c.quiet;
  command.Overwrite = c.overwrite;
  command.Analyses = analyses;
  command.ApplyChoices = [&](int nrOfVarInData, RunOptions& options, VarChoice& varChoice) {
    return ApplyChoices(c, app, nrOfVarInData, options, varChoice);
  };
  return RunGroupsCommand(command, out, err);
}

}  // namespace

int RunBatch(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
  return RunBatch(argc, argv, out, err, DefaultAnalysisTable());
}

int RunBatch(int argc, const char* const* argv, std::ostream& out, std::ostream& err,
             const AnalysisTable& analyses) {
  Choices c;
  CLI::App app;
  DefineOptions(app, c);
  c.arguments.assign(argv + 1, argv + argc);
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    const int code = app.exit(e, out, err);
    return code == 0 ? kExitDone : kExitUsage;
  }
  // Whatever runs out of memory (a table read, the weight factors expanded, the analysis), the
  // run ends with a message and leaves no half-written file: every file goes through a rename.
  RunState state;
  try {
    return RunChecked(c, app, analyses, state, out, err);
  } catch (const std::bad_alloc&) {
    state.Input.Restore();
    state.Outputs.PutBack();
    out.flush();
    err << "vornax-batch: not enough memory";
    if (state.DataSets > 0) err << " for " << Thousands(static_cast<uint64_t>(state.DataSets)) << " data sets";
    err << "; the run was stopped\n";
    return kExitRefused;
  }
}

}  // namespace vornax::batch
