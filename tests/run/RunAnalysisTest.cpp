// The dispatch: which analysis the options choose, the S-curve trials, the Z exchange, the
// partial regression's scarcity, analyses not yet built, and the wait panel's lines.
#include "run/RunAnalysis.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "anova/Anova.h"
#include "run/FakeAnalyses.h"
#include "support/TestSupport.h"

namespace vornax {
namespace {

using test::FakeAnalyses;
using test::RecordingDialogs;
using test::TempDir;

struct Dispatch {
  TempDir dir;
  TDMVornax data;
  RunOptions options;
  FakeAnalyses fakes;
  RecordingDialogs dialogs;
  char separator = ',';
  Dispatch() {
    data.Resize(12);
    for (int i = 0; i < 12; ++i) {
      data.XData[static_cast<size_t>(i)] = i;
      data.ZData[static_cast<size_t>(i)] = 100 + i;
    }
    data.FileName = (dir / "d.inp").string();
  }
  void Run() { RunAnalysis(data, options, dialogs, separator, fakes.Table()); }
  void Run(const AnalysisTable& table) { RunAnalysis(data, options, dialogs, separator, table); }
};

TEST(RunAnalysis, OneVariableWithoutChoicesRunsTheSegmentedRegression) {
  Dispatch d;
  d.Run();
  EXPECT_EQ(d.fakes.calls, (std::vector<std::string>{"one", "anova"}));
  EXPECT_EQ(d.separator, '.');
  EXPECT_EQ(d.dialogs.ProgressLines(),
            (std::vector<std::string>{" Saving data .....", " Progress 10% ....",
                                      " Anova table ....", " Finalizing ...."}));
  EXPECT_EQ(d.dialogs.Texts(RecordingDialogs::Event::Pause),
            (std::vector<std::string>{"500", "500", "500", "500"}));
}

TEST(RunAnalysis, EachRunMayWarnAboutAWeakBreakpointAgain) {
  Dispatch d;
  bool warnedBefore = true;
  d.fakes.during = [&](Analysis a, TDMVornax&, RunOptions& o) {
    if (a == Analysis::SegmentedAnova) warnedBefore = o.AnovaWarned;
  };
  d.options.AnovaWarned = true;  // left by the previous run's table
  d.Run();
  EXPECT_FALSE(warnedBefore);
}

TEST(RunAnalysis, ManyDataAreAnnounced) {
  Dispatch d;
  d.data.Resize(2000);
  d.Run();
  EXPECT_EQ(d.dialogs.ProgressLines().size(), 4u);
  d.data.Resize(2001);
  d.dialogs.events.clear();
  d.Run();
  EXPECT_EQ(d.dialogs.ProgressLines(),
            (std::vector<std::string>{" Saving data .....", " Progress 10% ....",
                                      " Many data ......", " This takes time ..",
                                      " Anova table ....", " Finalizing ...."}));
}

TEST(RunAnalysis, TheFirstMatchingChoiceDecides) {
  struct Case {
    CurveChoice x, z;
    bool partial;
    int nrOfVar;
    std::vector<std::string> calls;
  };
  const std::vector<Case> cases = {
      {CurveChoice::Power, CurveChoice::SCurve, false, 1,
       {"logistic", "gumbel", "invgumbel", "fisk", "fisk", "curve-anova"}},
      {CurveChoice::Quadratic, CurveChoice::Power, false, 1, {"power", "curve-anova"}},
      {CurveChoice::Cubic, CurveChoice::Quadratic, true, 1, {"quadratic", "curve-anova"}},
      {CurveChoice::None, CurveChoice::Cubic, true, 1, {"cubic", "curve-anova"}},
      {CurveChoice::None, CurveChoice::None, true, 1, {"partial", "anova"}},
      {CurveChoice::Cubic, CurveChoice::None, true, 2, {"two", "anova"}},
  };
  for (const Case& c : cases) {
    Dispatch d;
    d.options.CurveX = c.x;
    d.options.CurveZ = c.z;
    d.options.PartialZ = c.partial;
    d.options.CurveExplCoeff = 0.5;
    d.data.NrOfVar = c.nrOfVar;
    d.Run();
    EXPECT_EQ(d.fakes.calls, c.calls);
  }
}

TEST(RunAnalysis, TheStrictlyBestSCurveRunsAgain) {
  struct Case {
    double fits[4];
    std::vector<std::string> calls;
  };
  const std::vector<Case> cases = {
      // No strict winner: the Fisk curve runs again, so its report is written.
      {{0.81, 0.85, 0.85, 0.80},
       {"logistic", "gumbel", "invgumbel", "fisk", "fisk", "curve-anova"}},
      {{0.81, 0.86, 0.85, 0.80},
       {"logistic", "gumbel", "invgumbel", "fisk", "gumbel", "curve-anova"}},
      {{0.90, 0.86, 0.85, 0.80},
       {"logistic", "gumbel", "invgumbel", "fisk", "logistic", "curve-anova"}},
      {{0.70, 0.70, 0.70, 0.71},
       {"logistic", "gumbel", "invgumbel", "fisk", "fisk", "curve-anova"}},
  };
  for (const Case& c : cases) {
    Dispatch d;
    d.options.CurveX = CurveChoice::SCurve;
    std::vector<bool> finalRun;
    d.fakes.during = [&](Analysis a, TDMVornax&, RunOptions& o) {
      finalRun.push_back(o.SCurveFinalRun);
      o.FitLogistic = c.fits[0];
      o.FitGumbel = c.fits[1];
      o.FitInvGumbel = c.fits[2];
      o.FitFisk = c.fits[3];
      (void)a;
    };
    d.Run();
    EXPECT_EQ(d.fakes.calls, c.calls);
    EXPECT_TRUE(d.options.CurveSCurve);
    EXPECT_FALSE(finalRun[0]);
    EXPECT_FALSE(finalRun[3]);
    EXPECT_TRUE(finalRun[4]);  // the repeat is the final run, and its report stands
    EXPECT_EQ(test::ReadLines(d.dir / "d.out").at(0),
              std::string(" Results of program Vornax: report of ") + c.calls[4]);
    EXPECT_EQ(d.dialogs.ProgressLines(),
              (std::vector<std::string>{" Saving data .....", " Progress 10% ....",
                                        " please wait", " 40% done", " 60% done", " 75% done",
                                        " Anova table ....", " Finalizing ...."}));
  }
}

TEST(RunAnalysis, AnSCurveRefusalStopsTheTrials) {
  Dispatch d;
  d.options.CurveX = CurveChoice::SCurve;
  d.fakes.during = [](Analysis a, TDMVornax&, RunOptions& o) {
    if (a == Analysis::Logistic) o.CurveAbort = true;
  };
  d.Run();
  EXPECT_EQ(d.fakes.calls, std::vector<std::string>{"logistic"});
  EXPECT_TRUE(d.options.CurveAbort);
}

TEST(RunAnalysis, TheSecondOfTwoColumnsIsCopiedIntoXForACurve) {
  Dispatch d;
  d.data.NrOfVarInData = 2;
  d.data.SingleIsZ = true;
  d.data.SingleIsX = false;
  d.options.CurveZ = CurveChoice::Quadratic;
  std::vector<long double> seenX;
  d.fakes.during = [&](Analysis a, TDMVornax& data, RunOptions&) {
    if (a == Analysis::Quadratic) seenX = data.XData;
  };
  d.Run();
  EXPECT_EQ(seenX, d.data.ZData);
  EXPECT_EQ(d.data.ZSaved, d.data.ZData);
  EXPECT_TRUE(d.options.CurveQuadratic);
}

TEST(RunAnalysis, ASingleColumnTitledZIsAlreadyInX) {
  Dispatch d;
  d.data.NrOfVarInData = 1;
  d.data.SingleIsZ = true;
  d.data.SingleIsX = false;
  d.options.CurveX = CurveChoice::Quadratic;
  const auto x = d.data.XData;
  d.Run();
  EXPECT_EQ(d.data.XData, x);
  // Nor is anything copied around the one-variable segmented regression, which exchanges the
  // columns itself.
  Dispatch s;
  s.data.NrOfVarInData = 2;
  s.data.SingleIsZ = true;
  s.Run();
  EXPECT_EQ(s.data.XData[3], 3);
}

TEST(RunAnalysis, ScarceXValuesStopThePartialRegression) {
  Dispatch d;
  d.options.PartialX = true;
  d.fakes.during = [](Analysis, TDMVornax&, RunOptions& o) { o.IrregularX = true; };
  d.Run();
  EXPECT_EQ(d.fakes.calls, std::vector<std::string>{"partial"});
  EXPECT_TRUE(d.options.PartialRun);
  EXPECT_TRUE(d.options.PartialFailed);
  EXPECT_TRUE(d.options.CurveAbort);
  EXPECT_FALSE(d.options.IrregularX);
}

TEST(RunAnalysis, ARefusedCurveGetsNoAnovaTable) {
  Dispatch d;
  d.options.CurveX = CurveChoice::Power;
  d.fakes.during = [](Analysis, TDMVornax&, RunOptions& o) { o.CurveAbort = true; };
  d.Run();
  EXPECT_EQ(d.fakes.calls, std::vector<std::string>{"power"});
  // A later run is not stopped by the old refusal.
  d.fakes.during = nullptr;
  d.fakes.calls.clear();
  d.Run();
  EXPECT_FALSE(d.options.CurveAbort);
  EXPECT_EQ(d.fakes.calls, (std::vector<std::string>{"power", "curve-anova"}));
}

TEST(RunAnalysis, AFailedSegmentedRunHidesThePanelAndStops) {
  for (int nrOfVar : {1, 2}) {
    Dispatch d;
    d.data.NrOfVar = nrOfVar;
    d.fakes.during = [](Analysis, TDMVornax&, RunOptions& o) { o.AnalysisFailed = true; };
    d.Run();
    EXPECT_EQ(d.fakes.calls.size(), 1u);
    EXPECT_TRUE(d.options.AnalysisFailed);
    EXPECT_EQ(d.dialogs.events.back().kind, RecordingDialogs::Event::ProgressHidden);
  }
}

TEST(RunAnalysis, AnAnalysisNotYetBuiltSaysSoAndFails) {
  Dispatch d;
  d.data.NrOfVar = 2;
  AnalysisTable table = d.fakes.Table();
  table[Analysis::TwoVariable].Entry = nullptr;
  d.Run(table);
  EXPECT_TRUE(d.options.AnalysisFailed);
  EXPECT_EQ(d.dialogs.Messages(),
            std::vector<std::string>{
                "The two-variable segmented regression is not available in this version."});
  EXPECT_TRUE(d.fakes.calls.empty());

  // One missing S-curve: none of the four is tried.
  Dispatch s;
  s.options.CurveX = CurveChoice::SCurve;
  AnalysisTable curves = s.fakes.Table();
  curves[Analysis::Fisk].Entry = nullptr;
  s.Run(curves);
  EXPECT_TRUE(s.options.AnalysisFailed);
  EXPECT_TRUE(s.fakes.calls.empty());
  EXPECT_EQ(s.dialogs.Messages(),
            std::vector<std::string>{"The Fisk S-curve regression is not available in this version."});
}

TEST(RunAnalysis, EveryAnalysisHasANameForItsMessage) {
  const AnalysisTable table = DefaultAnalysisTable();
  for (size_t i = 0; i < static_cast<size_t>(Analysis::Count); ++i) {
    EXPECT_FALSE(table[static_cast<Analysis>(i)].Name.empty());
  }
  EXPECT_TRUE(static_cast<bool>(table[Analysis::OneVariable].Entry));
  EXPECT_TRUE(static_cast<bool>(table[Analysis::SegmentedAnova].Entry));
}

}  // namespace
}  // namespace vornax

namespace vornax {
namespace {

TEST(RunAnalysis, TheMessagesOfARunTravelWithItsNumbers) {
  // Each analysis shows one message. A run that reaches its result keeps every message in
  // order (the box was still shown); a refused run keeps none, as it has no result to carry.
  struct Case {
    const char* name;
    bool refuse;
    std::vector<std::string> warnings;
  };
  for (const Case& c :
       {Case{"clean", false, {" The left limit is low.", "Low significance."}},
        Case{"refused", true, {}}}) {
    SCOPED_TRACE(c.name);
    test::TempDir dir;
    TDMVornax data;
    data.Resize(12);
    data.FileName = (dir / "d.inp").string();
    RunOptions options;
    RecordingDialogs dialogs;
    char separator = ',';
    AnalysisTable table = DefaultAnalysisTable();
    table[Analysis::OneVariable].Entry = [&](TDMVornax& d, RunOptions& o, UserDialogs& u) {
      u.ShowMessage(" The left limit is low.");
      o.AnalysisFailed = c.refuse;
      d.Result.Valid = !c.refuse;
    };
    table[Analysis::SegmentedAnova].Entry = [](TDMVornax&, RunOptions&, UserDialogs& u) {
      u.ShowMessage("Low significance.");
    };
    data.Result.Warnings = {"left over from an earlier run"};
    RunAnalysis(data, options, dialogs, separator, table);
    EXPECT_EQ(data.Result.Warnings, c.warnings);
    EXPECT_EQ(dialogs.Texts(RecordingDialogs::Event::Message).front(), " The left limit is low.");
  }
}

}  // namespace
}  // namespace vornax

namespace vornax {
namespace {

TEST(RunAnalysis, TheVarianceFileReachesTheDiskOnceAndOnlyForARunThatStands) {
  // The analysis's variance file waits in memory for the ANOVA table, which alone is written;
  // what no table replaces is written as the analysis left it; a refused run writes none, and a
  // variance file that cannot be written fails the run and takes its report along.
  struct Case {
    const char* name;
    bool noTable;            // the ANOVA entry makes nothing
    const char* folderNamed; // a folder where a file of the run should go ("" for none)
    bool partial;
    const char* firstVarLine;  // "" when no variance file is expected
  };
  for (const Case& c :
       {Case{"table", false, "", false, " Variance Analysis, ANOVA table, Regression Type: 3"},
        Case{"no table", true, "", false, " 1"},
        Case{"variance file a folder", false, "yield.var", false, ""},
        Case{"scan table a folder", false, "yield.txt", true, ""}}) {
    SCOPED_TRACE(c.name);
    test::TempDir dir;
    TDMVornax data;
    test::LoadGoldenThreshold(data);
    data.FileName = (dir / "yield.inp").string();
    RunOptions options;
    options.PartialX = c.partial;
    RecordingDialogs dialogs;
    char separator = ',';
    if (*c.folderNamed != '\0') std::filesystem::create_directory(dir / c.folderNamed);
    AnalysisTable table = DefaultAnalysisTable();
    bool onDiskBeforeTable = false;
    table[Analysis::SegmentedAnova].Entry = [&](TDMVornax& d, RunOptions& o, UserDialogs& u) {
      onDiskBeforeTable = std::filesystem::is_regular_file(dir / "yield.var");
      if (!c.noTable) MakeSegmentedAnova(d, o, u);
    };
    RunAnalysis(data, options, dialogs, separator, table);
    const bool stands = *c.firstVarLine != '\0';
    EXPECT_EQ(options.AnalysisFailed, !stands);
    EXPECT_EQ(data.Result.Valid, stands);
    EXPECT_FALSE(onDiskBeforeTable);
    EXPECT_EQ(std::filesystem::exists(dir / "yield.out"), stands);
    if (!stands) {
      EXPECT_FALSE(std::filesystem::is_regular_file(dir / "yield.var"));
      EXPECT_NE(dialogs.Messages().back().find("could not be written"), std::string::npos);
      continue;
    }
    const auto lines = test::ReadLines(dir / "yield.var");
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.front(), c.firstVarLine);
    EXPECT_EQ(lines.size() > 6, !c.noTable);
  }
}

}  // namespace
}  // namespace vornax
