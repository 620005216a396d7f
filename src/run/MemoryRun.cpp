// One run with its files in memory.
#include "run/MemoryRun.h"

#include <algorithm>
#include <utility>

#include "data/TextFile.h"
#include "run/BreakTest.h"

namespace vornax {
namespace {

// The dialogs of a run without a person in front of it: nothing is printed, the messages are
// kept for the caller, and questions get the caller's answer.
class KeptDialogs : public UserDialogs {
 public:
  explicit KeptDialogs(bool transformAnswer) : transformAnswer_(transformAnswer) {}
  void ShowMessage(const std::string& text) override { shown.push_back(text); }
  bool AskYesNo(const std::string& question) override {
    return question == kTransformQuestion ? transformAnswer_ : true;
  }
  void ShowProgress() override {}
  void AddProgress(const std::string&) override {}
  void HideProgress() override {}
  void Pause(int) override {}

  std::vector<std::string> shown;

 private:
  bool transformAnswer_;
};

}  // namespace

std::string MemoryRunOutcome::Reason() const {
  std::string reason;
  for (const std::string& message : Messages) reason += (reason.empty() ? "" : " | ") + message;
  return reason;
}

MemoryRunOutcome RunInMemory(const MemoryRunSetup& setup, const GridInput& grid,
                             GridValues&& values, const std::filesystem::path& inputPath) {
  MemoryRunOutcome outcome;
  Session session;
  session.Analyses = setup.Analyses;
  session.Options = setup.Options;
  MemoryFiles memory(setup.ReportText);
  if (!setup.FilesOnDisk) session.Data.Memory = &memory;
  GridInput heading = grid;
  heading.Option = setup.Option;
  heading.ConfidencePercent = setup.ConfidencePercent;
  KeptDialogs dialogs(setup.TransformAnswer);
  const SaveCalculateResult result =
      SaveCalculate(session, heading, std::move(values), inputPath, dialogs,
                    /*writeInputFile=*/false, /*loadReport=*/false);
  outcome.Outcome = result.Outcome;
  outcome.Messages = std::move(dialogs.shown);
  outcome.OutputPath = result.OutputPath;
  if (result.Outcome != SaveCalculateOutcome::Done) {
    if (result.Outcome == SaveCalculateOutcome::AnalysisStopped) {
      for (std::string& line : SmallSpanLines(outcome.Messages, heading, session.Data)) {
        outcome.Messages.push_back(std::move(line));
      }
    }
    return outcome;
  }
  outcome.Result = std::move(session.Data.Result);
  RunResult& numbers = outcome.Result;
  if (numbers.Valid && setup.Permutations > 0 && BreakTestApplies(numbers)) {
    BreakTestOptions test;
    test.Permutations = setup.Permutations;
    test.StopAfter = setup.StopAfter;
    test.Seed = setup.Seed;
    // The shuffles give the same p on any number of threads.
    test.Threads = std::max(setup.BreakTestThreads, 1);
    numbers.BreakTest = RunBreakTest(numbers, test);
  }
  if (setup.ReportText && !setup.FilesOnDisk) {
    if (const std::string* text = memory.Find(result.OutputPath)) outcome.Report = *text;
    if (const std::string* text = memory.Find(WithExtension(result.OutputPath, ".var"))) {
      outcome.Anova = *text;
    }
  }
  outcome.Options = std::move(session.Options);
  outcome.Analysed = true;
  return outcome;
}

std::vector<std::string> SmallSpanLines(const std::vector<std::string>& shown,
                                        const GridInput& grid, const TDMVornax& data) {
  const bool noVariation = std::any_of(shown.begin(), shown.end(), [](const std::string& m) {
    return m.find("There is no variation in") != std::string::npos;
  });
  std::vector<std::string> lines;
  if (!noVariation) return lines;
  const bool two = grid.NrOfVarInData == 2;
  std::vector<std::pair<std::string, const std::vector<long double>*>> analysed;
  if (!two) {
    analysed.push_back({grid.SingleIsZ ? "Z" : "X", &data.XData});
  } else {
    if (grid.Option != VarChoice::SecondOnly) analysed.push_back({"X", &data.XData});
    if (grid.Option != VarChoice::FirstOnly) analysed.push_back({"Z", &data.ZData});
  }
  const size_t n = static_cast<size_t>(std::max(data.NrOfData, 0));
  for (const auto& [name, column] : analysed) {
    if (column->size() < n || n == 0) continue;
    const auto [low, high] = std::minmax_element(column->begin(), column->begin() + static_cast<long>(n));
    if (*high - *low > 0 && *high - *low < 0.001L) {
      lines.push_back(name + " varies by less than 0.001: express " + name +
                      " in smaller units and run again");
    }
  }
  return lines;
}

}  // namespace vornax
