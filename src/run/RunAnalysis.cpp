// The dispatch of one run: which analysis the options choose, the order of the S-curve trials,
// the ANOVA table afterwards, and the progress lines that pace the wait panel.
#include "run/RunAnalysis.h"

#include <algorithm>
#include <cstddef>
#include <string>
#include <vector>

#include "anova/Anova.h"
#include "breakpoints/BrokenLines.h"
#include "curves/PolynomialCurves.h"
#include "curves/PowerCurve.h"
#include "curves/SCurves.h"
#include "data/TextFile.h"
#include "partial/PartialRegression.h"
#include "regression/AnalysisGuards.h"
#include "regression/OneVariable.h"
#include "regression/TwoVariable.h"

namespace vornax {
namespace {

bool Chosen(const RunOptions& options, CurveChoice curve) {
  return options.CurveX == curve || options.CurveZ == curve;
}

bool Available(const AnalysisTable& analyses, Analysis a, RunOptions& options,
               UserDialogs& dialogs) {
  if (analyses[a].Entry) return true;
  dialogs.ShowMessage("The " + analyses[a].Name + " is not available in this version.");
  options.AnalysisFailed = true;
  return false;
}

// Runs one line of the table; false when the analysis is not there (the run has then failed).
bool Run(const AnalysisTable& analyses, Analysis a, TDMVornax& data, RunOptions& options,
         UserDialogs& dialogs) {
  if (!Available(analyses, a, options, dialogs)) return false;
  analyses[a].Entry(data, options, dialogs);
  return true;
}

// The four S-shaped curves are tried in turn, and the one that fits strictly best of all is run
// once more so that its report is the one left on disk. With a tie the Fisk curve is run again,
// so that the run always ends with a report (the trials write none).
void RunSCurves(const AnalysisTable& analyses, TDMVornax& data, RunOptions& options,
                UserDialogs& dialogs) {
  static constexpr Analysis kCurves[4] = {Analysis::Logistic, Analysis::Gumbel,
                                          Analysis::InvertedGumbel, Analysis::Fisk};
  static constexpr const char* kProgress[4] = {" please wait", " 40% done", " 60% done",
                                               " 75% done"};
  // All four or none: half a set of trials would leave the wrong report behind.
  for (Analysis a : kCurves) {
    if (!Available(analyses, a, options, dialogs)) return;
  }
  options.CurveSCurve = true;
  options.SCurveFinalRun = false;
  for (int i = 0; i < 4; ++i) {
    Run(analyses, kCurves[i], data, options, dialogs);
    // Data unfit for one S-curve are unfit for all: the message is shown once.
    if (options.CurveAbort || options.AnalysisFailed) return;
    dialogs.AddProgress(kProgress[i]);
  }
  options.SCurveFinalRun = true;
  const double fits[4] = {options.FitLogistic, options.FitGumbel, options.FitInvGumbel,
                          options.FitFisk};
  for (int i = 0; i < 4; ++i) {
    bool best = true;
    for (int j = 0; j < 4; ++j) {
      if (j != i && !(fits[i] > fits[j])) best = false;
    }
    if (best) {
      Run(analyses, kCurves[i], data, options, dialogs);
      return;
    }
  }
  Run(analyses, Analysis::Fisk, data, options, dialogs);
}

// Passes everything on and keeps the texts of the messages shown, so that the run's result can
// list the warnings its reader would otherwise only have seen in a box.
class MessageKeeper final : public UserDialogs {
 public:
  explicit MessageKeeper(UserDialogs& inner) : inner_(inner) {}
  void ShowMessage(const std::string& text) override {
    messages_.push_back(text);
    inner_.ShowMessage(text);
  }
  bool AskYesNo(const std::string& question) override { return inner_.AskYesNo(question); }
  void ShowProgress() override { inner_.ShowProgress(); }
  void AddProgress(const std::string& line) override { inner_.AddProgress(line); }
  void HideProgress() override { inner_.HideProgress(); }
  void Pause(int milliseconds) override { inner_.Pause(milliseconds); }
  const std::vector<std::string>& Messages() const { return messages_; }

 private:
  UserDialogs& inner_;
  std::vector<std::string> messages_;
};

void RunChosenAnalysis(TDMVornax& data, RunOptions& options, UserDialogs& dialogs,
                       char& decimalSeparator, const AnalysisTable& analyses);

// The variance file of a run on disk waits in memory for the ANOVA table that replaces it, so
// that a run writes the file once. Whatever the table did not replace (it could not be made, or
// the analysis gets none) is written as the analysis left it, unless the run was refused.
class VarianceHold {
 public:
  explicit VarianceHold(TDMVornax& data) : data_(data) {
    if (data.Memory == nullptr) data.VarianceHold = &files_;
  }
  ~VarianceHold() { data_.VarianceHold = nullptr; }
  VarianceHold(const VarianceHold&) = delete;
  VarianceHold& operator=(const VarianceHold&) = delete;

  void WriteWhatIsLeft(RunOptions& options, UserDialogs& dialogs) {
    if (options.AnalysisFailed || options.CurveAbort) return;
    const std::filesystem::path varPath = WithExtension(data_.FileName, ".var");
    const std::string* left = files_.Find(varPath);
    if (left == nullptr) return;
    std::string error;
    if (WriteFileAtomically(varPath, *left, &error)) return;
    // As when the analysis itself could not write it: no report without its variance file.
    dialogs.ShowMessage("The file \"" + PathText(varPath) + "\" could not be written: " + error);
    options.AnalysisFailed = true;
    data_.Result = RunResult{};
    RemoveStaleReports(varPath, nullptr);
  }

 private:
  TDMVornax& data_;
  MemoryFiles files_;
};

}  // namespace

void RunAnalysis(TDMVornax& data, RunOptions& options, UserDialogs& dialogs,
                 char& decimalSeparator, const AnalysisTable& analyses) {
  MessageKeeper keeper(dialogs);
  VarianceHold hold(data);
  RunChosenAnalysis(data, options, keeper, decimalSeparator, analyses);
  hold.WriteWhatIsLeft(options, keeper);
  // A run that went through to its result showed information messages only (a refusal leaves
  // no valid result); they travel with the numbers.
  if (data.Result.Valid) data.Result.Warnings = keeper.Messages();
}

AnalysisTable DefaultAnalysisTable() {
  AnalysisTable t;
  t[Analysis::OneVariable] = {"one-variable segmented regression", RunOneVariable};
  t[Analysis::TwoVariable] = {"two-variable segmented regression", RunTwoVariableRegression};
  t[Analysis::Logistic] = {"logistic S-curve regression", RunLogisticCurve};
  t[Analysis::Gumbel] = {"Gumbel S-curve regression", RunGumbelCurve};
  t[Analysis::InvertedGumbel] = {"inverted Gumbel S-curve regression", RunInvertedGumbelCurve};
  t[Analysis::Fisk] = {"Fisk S-curve regression", RunFiskCurve};
  t[Analysis::Power] = {"power curve regression", RunPowerCurve};
  t[Analysis::Quadratic] = {"quadratic regression", RunQuadraticCurve};
  t[Analysis::Cubic] = {"cubic regression", RunCubicCurve};
  t[Analysis::Partial] = {"partial regression", RunPartialRegression};
  t[Analysis::BrokenLines] = {"broken-line regression with several breakpoints", RunBrokenLines};
  t[Analysis::SegmentedAnova] = {"variance analysis", MakeSegmentedAnova};
  t[Analysis::CurveAnova] = {"variance analysis of curves", MakeCurveAnova};
  return t;
}

namespace {

void RunChosenAnalysis(TDMVornax& data, RunOptions& options, UserDialogs& dialogs,
                       char& decimalSeparator, const AnalysisTable& analyses) {
  dialogs.ShowProgress();
  dialogs.AddProgress(" Saving data .....");
  dialogs.Pause(500);
  dialogs.AddProgress(" Progress 10% ....");
  dialogs.Pause(500);
  if (data.NrOfData > 2000) {
    dialogs.Pause(500);
    dialogs.AddProgress(" Many data ......");
    dialogs.AddProgress(" This takes time ..");
  }
  decimalSeparator = '.';
  options.CurveQuadratic = options.CurveSCurve = options.CurvePower = options.CurveCubic = false;
  // A refusal of an earlier run must not stop this one: the abort and failure flags start clear.
  options.CurveAbort = false;
  options.AnalysisFailed = false;
  options.PartialRun = false;
  options.IrregularX = false;
  // The ANOVA's low-significance message is shown at most once per run, not once per session.
  options.AnovaWarned = false;
  // No numbers of an earlier run may stand for this one, refused or not.
  data.Result = RunResult{};

  const bool partialChosen = options.PartialX || options.PartialZ;
  const bool curveChosen = options.CurveX != CurveChoice::None || options.CurveZ != CurveChoice::None;
  auto stop = [&] {
    dialogs.HideProgress();
  };

  const bool breakpointChoice = options.FixedBreakpoint || options.SearchLow || options.SearchHigh;
  if (options.SeveralBreakpoints != 0) {
    if (breakpointChoice) {
      // Left unrefused, the broken line would be fitted as if none had been given.
      dialogs.ShowMessage(std::string(kBreakpointChoiceNotForBrokenLines) +
                          " Calculations are interrupted.");
      options.AnalysisFailed = true;
      return stop();
    }
    // The broken line with several breakpoints writes its ANOVA table itself: its rows (one per
    // added breakpoint) are none of the variance file's layouts.
    Run(analyses, Analysis::BrokenLines, data, options, dialogs);
    if (options.AnalysisFailed) return stop();
    dialogs.AddProgress(" Finalizing ....");
    dialogs.Pause(500);
    return;
  }
  const bool segmentedOne = data.NrOfVar == 1 && !curveChosen && !partialChosen;
  if (!segmentedOne && breakpointChoice) {
    // The other analyses have no breakpoint of this kind to fix or search.
    dialogs.ShowMessage(std::string(kBreakpointChoiceScope) + " Calculations are interrupted.");
    options.AnalysisFailed = true;
    return stop();
  }

  if (segmentedOne) {
    Run(analyses, Analysis::OneVariable, data, options, dialogs);
    if (options.AnalysisFailed) return stop();
  } else if (data.NrOfVar == 1) {
    // The curves and the partial regression read the analysed variable from XData. With two
    // columns of which the second is analysed, that is Z; a single column titled Z is already
    // in XData. (The one-variable regression above makes its own exchange.)
    if (data.SingleIsZ && data.NrOfVarInData == 2) {
      size_t n = static_cast<size_t>(data.NrOfData > 0 ? data.NrOfData : 0);
      n = std::min({n, data.XData.size(), data.ZData.size()});
      data.ZSaved.assign(data.ZData.begin(), data.ZData.begin() + static_cast<std::ptrdiff_t>(n));
      for (size_t i = 0; i < n; ++i) data.XData[i] = data.ZData[i];
    }
    if (Chosen(options, CurveChoice::SCurve)) {
      RunSCurves(analyses, data, options, dialogs);
    } else if (Chosen(options, CurveChoice::Power)) {
      options.CurvePower = true;
      Run(analyses, Analysis::Power, data, options, dialogs);
    } else if (Chosen(options, CurveChoice::Quadratic)) {
      options.CurveQuadratic = true;
      Run(analyses, Analysis::Quadratic, data, options, dialogs);
    } else if (Chosen(options, CurveChoice::Cubic)) {
      options.CurveCubic = true;
      Run(analyses, Analysis::Cubic, data, options, dialogs);
      // A cubic too poor to be reported (below 0.02) wrote no files and gets no ANOVA table;
      // the caller says so. Every reported cubic gets its table.
      if (!options.AnalysisFailed && !options.CurveAbort && options.CurveExplCoeff < 0.02) return;
    } else if (partialChosen) {
      options.PartialRun = true;
      Run(analyses, Analysis::Partial, data, options, dialogs);
      if (options.IrregularX) {
        options.PartialFailed = true;
        options.CurveAbort = true;
        options.IrregularX = false;
        return;
      }
    }
    // A refused curve or partial regression wrote nothing to make an ANOVA table from.
    if (options.CurveAbort) return;
    if (options.AnalysisFailed) return stop();
  } else {
    Run(analyses, Analysis::TwoVariable, data, options, dialogs);
    if (options.AnalysisFailed) return stop();
  }

  dialogs.AddProgress(" Anova table ....");
  dialogs.Pause(500);
  const bool curveRun =
      options.CurveSCurve || options.CurvePower || options.CurveQuadratic || options.CurveCubic;
  Run(analyses, curveRun ? Analysis::CurveAnova : Analysis::SegmentedAnova, data, options,
      dialogs);
  if (options.AnalysisFailed) return stop();
  dialogs.AddProgress(" Finalizing ....");
  dialogs.Pause(500);
}

}  // namespace

}  // namespace vornax
