// The "Save-Calculate" sequence: complete and incomplete rows, cell conversion, weight factors
// and their expansion, the input file it writes, the options it encodes, and how a run ends.
#include "run/SaveCalculate.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "run/FakeAnalyses.h"
#include "support/TestSupport.h"

namespace vornax {
namespace {

using test::FakeAnalyses;
using test::ReadLines;
using test::RecordingDialogs;
using test::TempDir;

GridInput OneVariableGrid(const std::vector<std::pair<std::string, std::string>>& yx) {
  GridInput g;
  g.Title1 = "T1";
  g.Title2 = "T2";
  for (size_t i = 0; i < yx.size(); ++i) {
    g.Rows.push_back({std::to_string(i + 1), yx[i].first, yx[i].second});
  }
  g.NrOfData = g.GridRowCount = static_cast<int32_t>(g.Rows.size());
  return g;
}

struct Fixture {
  TempDir dir;
  Session session;
  FakeAnalyses fakes;
  RecordingDialogs dialogs;
  std::filesystem::path inp = dir / "trial.inp";
  Fixture() { session.Analyses = fakes.Table(); }
  SaveCalculateResult Run(const GridInput& g) { return SaveCalculate(session, g, inp, dialogs); }
};

TEST(SaveCalculate, IncompleteRowsAreNamedAndTheRestRenumbered) {
  Fixture f;
  std::vector<std::pair<std::string, std::string>> yx;
  for (int i = 1; i <= 15; ++i) {
    const bool empty = i == 2 || i == 7 || i == 15;
    yx.push_back({std::to_string(i * 10), empty ? "" : std::to_string(i) + ".5"});
  }
  yx[10].second = "   ";  // blanks only: as empty as no text
  GridInput g = OneVariableGrid(yx);
  const auto r = f.Run(g);
  ASSERT_EQ(r.Outcome, SaveCalculateOutcome::Done);
  EXPECT_TRUE(r.RowsPacked);
  EXPECT_EQ(r.IncompleteRows, (std::vector<int32_t>{2, 7, 11, 15}));
  // Said before the run, so that what is analysed is known.
  EXPECT_EQ(f.dialogs.Messages().front(),
            "Rows 2, 7, 11 and 15 are incomplete and are left out of the analysis.");
  const TDMVornax& d = f.session.Data;
  EXPECT_EQ(d.NrOfData, 11);
  EXPECT_EQ(d.GridRowCount, 11);
  std::vector<int32_t> serials;
  for (int i = 1; i <= 11; ++i) serials.push_back(i);
  EXPECT_EQ(d.SerialNr, serials);
  EXPECT_EQ(d.YData.front(), 10);
  EXPECT_EQ(d.YData[1], 30);  // row 2 was dropped
  EXPECT_EQ(d.XData[1], 3.5);
  auto lines = ReadLines(f.inp);
  ASSERT_EQ(lines.size(), 11u + 11u);
  EXPECT_EQ(lines[4], " Number of data sets:  11");
  EXPECT_EQ(lines[12], "    2      30.00         3.50");
  EXPECT_EQ(lines[21], "   11     140.00        14.50");
}

TEST(SaveCalculate, WeightFactorsExpandAfterTheEnteredDataSets) {
  Fixture f;
  f.session.Options.WeightsUsed = true;
  GridInput g = OneVariableGrid({{"1", "10"}, {"2", "20"}, {"3", "30"}});
  g.Rows[0].push_back("1");
  g.Rows[1].push_back("3");
  g.Rows[2].push_back("2");
  std::vector<long double> seenY, seenX;
  std::vector<int32_t> seenSerial;
  int seenCount = 0;
  f.fakes.during = [&](Analysis a, TDMVornax& d, RunOptions&) {
    if (a != Analysis::OneVariable) return;
    seenY = d.YData;
    seenX = d.XData;
    seenSerial = d.SerialNr;
    seenCount = d.NrOfData;
  };
  const auto r = f.Run(g);
  ASSERT_EQ(r.Outcome, SaveCalculateOutcome::Done);
  EXPECT_FALSE(r.RowsPacked);
  EXPECT_EQ(seenCount, 6);
  EXPECT_EQ(seenY, (std::vector<long double>{1, 2, 3, 2, 2, 3}));
  EXPECT_EQ(seenX, (std::vector<long double>{10, 20, 30, 20, 20, 30}));
  EXPECT_EQ(seenSerial, (std::vector<int32_t>{1, 2, 3, 0, 0, 0}));
  EXPECT_EQ(f.session.Data.GridRowCount, 3);
  EXPECT_EQ(ReadLines(f.inp),
            (std::vector<std::string>{"T1", "T2", " File name:  " + f.inp.string(),
                                      " Number of independent variables:  1",
                                      " Number of data sets:  6", "", "",
                                      "          Dependent    independent     weight",
                                      "Serial    variable     variable        factor",
                                      "number    Y            X", std::string(45, '-'),
                                      "    1       1.00        10.00           1",
                                      "    2       2.00        20.00           3",
                                      "    3       3.00        30.00           2"}));
}

TEST(SaveCalculate, BlankRowsGoQuietlyAndAnEmptyWeightIsIncomplete) {
  struct Case {
    const char* what;
    bool weights;
    std::vector<std::vector<std::string>> rows;  // Y, X, weight
    std::vector<int32_t> incomplete;
    std::vector<int32_t> weightsTaken;
  };
  const std::vector<Case> cases = {
      // A row of nothing, or of nothing but the weight 1 that every new row holds, is blank.
      // "2.0" is the whole number it says.
      {"blank rows", true, {{"1", "10", "1"}, {"", "", "1"}, {"", "", ""}, {"2", "20", "2.0"}}, {}, {1, 2}},
      // An empty weight with weights used leaves the row out, named; a weight alone is a value.
      {"empty weight", true, {{"1", "10", "1"}, {"2", "20", ""}, {"", "", "3"}, {"3", "30", "2"}},
       {2, 3}, {1, 2}},
      // Without weights the weight cell is not read at all.
      {"weights not used", false, {{"1", "10", ""}, {"2", "20", "x"}}, {}, {1, 1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    GridInput g;
    for (size_t i = 0; i < c.rows.size(); ++i) {
      g.Rows.push_back({std::to_string(i + 1), c.rows[i][0], c.rows[i][1], c.rows[i][2]});
    }
    g.NrOfData = g.GridRowCount = static_cast<int32_t>(g.Rows.size());
    char separator = '.';
    const GridRowsTaken taken = TakeGridRows(g, c.weights, separator);
    EXPECT_EQ(taken.Refusal, "");
    EXPECT_EQ(taken.IncompleteRows, c.incomplete);
    EXPECT_EQ(taken.Weight, c.weightsTaken);
  }
}

TEST(SaveCalculate, RowListsAreShortAndPlain) {
  const std::vector<std::pair<std::vector<int32_t>, std::string>> cases = {
      {{12}, "Row 12"},
      {{12, 40}, "Rows 12 and 40"},
      {{12, 13}, "Rows 12 and 13"},
      {{3, 7, 8, 9, 12}, "Rows 3, 7-9 and 12"},
      {{1, 3, 5, 7, 9, 11, 13, 15, 17, 19, 21, 23, 25, 27}, "Rows 1, 3, 5, 7, 9, 11, 13, 15, 17, 19, "
                                                            "21, 23 and 2 more"},
  };
  for (const auto& [rows, text] : cases) EXPECT_EQ(RowList(rows), text);
  EXPECT_EQ(IncompleteRowsMessage({12, 40}),
            "Rows 12 and 40 are incomplete and are left out of the analysis.");
  EXPECT_EQ(IncompleteRowsMessage({5}), "Row 5 is incomplete and is left out of the analysis.");
}

TEST(SaveCalculate, RefusedCellsAndWeightsStopBeforeAnythingIsWritten) {
  struct Case {
    std::string y, x, weight;
    std::string message;
    int32_t badColumn = 3;
  };
  // Each message names the row, the column and the value; the window selects that cell.
  const std::vector<Case> cases = {
      {"1", "abc", "1", "Row 2, X: \"abc\" is not a number", 2},
      {"nan", "2", "1", "Row 2, Y: \"nan\" is not a number", 1},
      {"1", "inf", "1", "Row 2, X: \"inf\" is not a number", 2},
      {"1", "2", "2.5", "Row 2, weight 2.5: weight factors are whole numbers"},
      {"1", "2", "x", "Row 2, weight: \"x\" is not a number"},
      {"1", "2", "0",
       "The weight factor in row 2 is 0: a data set cannot count zero or negative times. Use "
       "weight factors of 1 or more."},
      {"1", "2", "-3",
       "The weight factor in row 2 is -3: a data set cannot count zero or negative times. Use "
       "weight factors of 1 or more."},
      {"1", "2", "1000001",
       "The weight factor in row 2 is 1000001: weight factors above 1000000 are not accepted."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    Fixture f;
    f.session.Options.WeightsUsed = true;
    f.session.Data.ResetToStartup();
    const TDMVornax before = f.session.Data;
    GridInput g = OneVariableGrid({{"5", "6"}, {c.y, c.x}});
    g.Rows[0].push_back("1");
    g.Rows[1].push_back(c.weight);
    const auto r = f.Run(g);
    EXPECT_EQ(r.Outcome, SaveCalculateOutcome::DataRefused);
    EXPECT_EQ(f.dialogs.Messages(), std::vector<std::string>{c.message});
    EXPECT_EQ(r.BadRow, 2);
    EXPECT_EQ(r.BadColumn, c.badColumn);
    EXPECT_FALSE(std::filesystem::exists(f.inp));
    EXPECT_TRUE(f.fakes.calls.empty());
    EXPECT_EQ(f.session.Data.NrOfData, before.NrOfData);
    EXPECT_EQ(f.session.Data.YData, before.YData);
  }
}

TEST(SaveCalculate, AnExpansionBeyondTenMillionIsRefusedBeforeAllocating) {
  Fixture f;
  f.session.Options.WeightsUsed = true;
  GridInput g;
  for (int i = 0; i < 11; ++i) g.Rows.push_back({"", "1", std::to_string(i), "1000000"});
  g.NrOfData = g.GridRowCount = 11;
  EXPECT_EQ(f.Run(g).Outcome, SaveCalculateOutcome::DataRefused);
  EXPECT_EQ(f.dialogs.Messages(),
            std::vector<std::string>{"The weight factors would expand the data to 11000000 data "
                                     "sets; at most 10000000 can be analysed."});
  EXPECT_FALSE(std::filesystem::exists(f.inp));
  // Exactly ten million is allowed: ten rows of a million each.
  g.Rows.pop_back();
  g.NrOfData = g.GridRowCount = 10;
  std::vector<std::string> seen;
  f.fakes.during = [&](Analysis a, TDMVornax& d, RunOptions&) {
    if (a == Analysis::OneVariable) seen.push_back(std::to_string(d.NrOfData));
  };
  f.dialogs.events.clear();
  EXPECT_EQ(f.Run(g).Outcome, SaveCalculateOutcome::Done);
  EXPECT_EQ(seen, std::vector<std::string>{"10000000"});
  EXPECT_EQ(ReadLines(f.inp)[4], " Number of data sets:  10000000");
}

TEST(SaveCalculate, NoCompleteRowIsRefused) {
  Fixture f;
  GridInput g = OneVariableGrid({{"1", ""}, {"", "2"}});
  EXPECT_EQ(f.Run(g).Outcome, SaveCalculateOutcome::DataRefused);
  EXPECT_EQ(f.dialogs.Messages(),
            std::vector<std::string>{"There are no complete data sets: each needs a Y and an X value."});
}

TEST(SaveCalculate, ACancelledSaveWritesAndRunsNothing) {
  Fixture f;
  const auto r = SaveCalculate(f.session, OneVariableGrid({{"1", "2"}}), {}, f.dialogs);
  EXPECT_EQ(r.Outcome, SaveCalculateOutcome::NotSaved);
  EXPECT_EQ(f.dialogs.Messages(), std::vector<std::string>{"The input data were not saved"});
  EXPECT_TRUE(f.fakes.calls.empty());
}

TEST(SaveCalculate, DecimalSeparatorFallback) {
  char separator = ',';
  long double v = 0;
  ASSERT_TRUE(StringToFloat("2,5", v, separator));
  EXPECT_EQ(v, 2.5L);
  EXPECT_EQ(separator, ',');
  ASSERT_TRUE(StringToFloat("2.5", v, separator));  // by the fallback, which switches for good
  EXPECT_EQ(v, 2.5L);
  EXPECT_EQ(separator, '.');
  EXPECT_FALSE(StringToFloat("2,5", v, separator));
  ASSERT_TRUE(StringToFloat(" -1.25e1 ", v, separator));
  EXPECT_EQ(v, -12.5L);
  EXPECT_FALSE(StringToFloat("1,2,3", v, separator));
  separator = ',';
  EXPECT_FALSE(StringToFloat("1,2,3", v, separator));
  EXPECT_EQ(separator, '.');  // switched, even though the second try failed as well
  ASSERT_TRUE(StringToFloat("0.1", v, separator));
  EXPECT_EQ(v, static_cast<long double>(0.1));  // the nearest 64-bit value, widened
}

TEST(SaveCalculate, ARunSetsTheSeparatorToThePoint) {
  Fixture f;
  f.session.DecimalSeparator = ',';
  GridInput g = OneVariableGrid({{"2,5", "1"}, {"3", "2"}});
  ASSERT_EQ(f.Run(g).Outcome, SaveCalculateOutcome::Done);
  EXPECT_EQ(f.session.Data.YData[0], 2.5L);
  EXPECT_EQ(f.session.DecimalSeparator, '.');
  f.dialogs.events.clear();
  EXPECT_EQ(f.Run(g).Outcome, SaveCalculateOutcome::DataRefused);
  EXPECT_EQ(f.dialogs.Messages(),
            std::vector<std::string>{"Row 1, Y: \"2,5\" is not a number"});
}

TEST(SaveCalculate, TitlesConfidenceAndVariableChoice) {
  Fixture f;
  GridInput g;
  g.NrOfVarInData = 2;
  g.Option = VarChoice::SecondOnly;
  g.ConfidencePercent = 98;
  g.Rows = {{"1", "1", "2", "3"}, {"2", "4", "5", ""}, {"3", "7", "8", "9"}};
  g.NrOfData = g.GridRowCount = 3;
  int nrOfVarDuring = 0, varOptionDuring = -1;
  f.fakes.during = [&](Analysis a, TDMVornax& d, RunOptions&) {
    if (a == Analysis::OneVariable) {
      nrOfVarDuring = d.NrOfVar;
      varOptionDuring = d.VarOption;
    }
  };
  ASSERT_EQ(f.Run(g).Outcome, SaveCalculateOutcome::Done);
  const TDMVornax& d = f.session.Data;
  EXPECT_EQ(d.Title1, " No first title given");
  EXPECT_EQ(d.Title2, " No second title given");
  EXPECT_EQ(f.session.Options.ConfidenceT, 2.5);
  EXPECT_EQ(nrOfVarDuring, 1);
  EXPECT_EQ(varOptionDuring, 2);
  EXPECT_EQ(d.NrOfVar, 2);  // back to the columns in the data
  EXPECT_TRUE(d.SingleIsZ);
  EXPECT_EQ(d.NrOfData, 2);  // the row without Z was dropped
  const auto lines = ReadLines(f.inp);
  ASSERT_EQ(lines.size(), 13u);
  EXPECT_EQ(lines[12], "    2       7.00         8.00         9.00");

  for (auto [percent, factor] : {std::pair{95, 2.1}, std::pair{90, 1.75}, std::pair{0, 1.75}}) {
    g.ConfidencePercent = percent;
    g.Option = VarChoice::Both;
    ASSERT_EQ(f.Run(g).Outcome, SaveCalculateOutcome::Done);
    EXPECT_EQ(f.session.Options.ConfidenceT, factor);
    EXPECT_EQ(f.fakes.calls.back(), "anova");
  }
  EXPECT_EQ(f.session.Data.VarOption, 3);
}

TEST(SaveCalculate, TheTransformationQuestionComesOnlyWithTransformableCurves) {
  const std::string question =
      "Standard, the X-data may undergo a transformation obtaining a generalization to increase "
      "the goodness of fit. Is this OK?";
  for (CurveChoice curve : {CurveChoice::SCurve, CurveChoice::Quadratic, CurveChoice::Cubic,
                            CurveChoice::Power, CurveChoice::None}) {
    Fixture f;
    f.session.Options.CurveZ = curve;
    f.session.Options.CurveExplCoeff = 0.9;
    f.dialogs.answers = {false};
    f.session.Options.TransformAccepted = true;
    ASSERT_EQ(f.Run(OneVariableGrid({{"1", "2"}, {"2", "3"}})).Outcome,
              SaveCalculateOutcome::Done);
    const auto questions = f.dialogs.Texts(RecordingDialogs::Event::Question);
    if (curve == CurveChoice::Power || curve == CurveChoice::None) {
      EXPECT_TRUE(questions.empty());
      EXPECT_TRUE(f.session.Options.TransformAccepted);
    } else {
      EXPECT_EQ(questions, std::vector<std::string>{question});
      EXPECT_FALSE(f.session.Options.TransformAccepted);
    }
  }
}

TEST(SaveCalculate, ASuccessfulRunLoadsTheReport) {
  Fixture f;
  const auto r = f.Run(OneVariableGrid({{"1", "2"}, {"2", "3"}}));
  ASSERT_EQ(r.Outcome, SaveCalculateOutcome::Done);
  const std::string out = (f.dir / "trial.out").string();
  EXPECT_EQ(r.InputPath, f.inp.string());
  EXPECT_EQ(r.OutputPath, out);
  EXPECT_EQ(f.session.Data.FileName, out);
  EXPECT_EQ(f.session.Data.OutputLines,
            (std::vector<std::string>{" Results of program Vornax: report of one", " second line"}));
  EXPECT_EQ(f.dialogs.Messages(),
            std::vector<std::string>{"The input is saved in " + f.inp.string() +
                                     "   Calculations were done and the output is saved in  " + out});
  EXPECT_EQ(f.dialogs.ProgressLines(),
            (std::vector<std::string>{" Saving data .....", " Progress 10% ....",
                                      " Anova table ....", " Finalizing ....", " Filing results .."}));
  using K = RecordingDialogs::Event;
  EXPECT_EQ(f.dialogs.events.front().kind, K::ProgressShown);
  EXPECT_EQ(f.dialogs.Texts(K::Pause).size(), 5u);
  EXPECT_EQ(f.dialogs.events.back().kind, K::Message);
  EXPECT_EQ(f.dialogs.events[f.dialogs.events.size() - 2].kind, K::ProgressHidden);
  EXPECT_EQ(f.fakes.calls, (std::vector<std::string>{"one", "anova"}));
}

TEST(SaveCalculate, AFailedAnalysisReturnsToTheInputWithFlagsCleared) {
  Fixture f;
  f.fakes.during = [](Analysis a, TDMVornax&, RunOptions& o) {
    if (a == Analysis::OneVariable) o.AnalysisFailed = true;
  };
  const auto r = f.Run(OneVariableGrid({{"1", "2"}, {"2", "3"}}));
  EXPECT_EQ(r.Outcome, SaveCalculateOutcome::AnalysisStopped);
  EXPECT_FALSE(f.session.Options.AnalysisFailed);
  EXPECT_EQ(f.fakes.calls, std::vector<std::string>{"one"});
  EXPECT_TRUE(std::filesystem::exists(f.inp));  // the input is saved all the same
  EXPECT_EQ(f.dialogs.events.back().kind, RecordingDialogs::Event::ProgressHidden);
}

TEST(SaveCalculate, ACubicFitBelowTwoHundredthsIsNotFound) {
  for (double fit : {0.01, 0.05, 0.5}) {
    SCOPED_TRACE(fit);
    Fixture f;
    f.session.Options.CurveX = CurveChoice::Cubic;
    f.fakes.during = [fit](Analysis a, TDMVornax&, RunOptions& o) {
      if (a == Analysis::Cubic) o.CurveExplCoeff = fit;
    };
    const auto r = f.Run(OneVariableGrid({{"1", "2"}, {"2", "3"}}));
    if (fit < 0.02) {
      EXPECT_EQ(r.Outcome, SaveCalculateOutcome::AnalysisStopped);
      EXPECT_EQ(f.dialogs.Messages(),
                std::vector<std::string>{"The cubic function could not be found."});
    } else {
      EXPECT_EQ(r.Outcome, SaveCalculateOutcome::Done);
    }
    // Every reported cubic (0.02 and above, also below a tenth) gets its ANOVA table.
    EXPECT_EQ(f.fakes.calls.back(), fit < 0.02 ? "cubic" : "curve-anova");
  }
}

TEST(SaveCalculate, AReportOfFewerThanTwoLinesIsInvalid) {
  Fixture f;
  f.fakes.during = [&](Analysis a, TDMVornax&, RunOptions&) {
    if (a == Analysis::SegmentedAnova) test::WriteFileBytes(f.dir / "trial.out", "one line\r\n");
  };
  const auto r = f.Run(OneVariableGrid({{"1", "2"}, {"2", "3"}}));
  EXPECT_EQ(r.Outcome, SaveCalculateOutcome::OutputInvalid);
  EXPECT_EQ(f.dialogs.Messages(),
            std::vector<std::string>{" The output file is invalid due to inadequate input data"});
  EXPECT_FALSE(std::filesystem::exists(f.dir / "trial.out"));
  EXPECT_FALSE(std::filesystem::exists(f.dir / "trial.var"));
}

TEST(SaveCalculate, AnInputFileThatCannotBeWrittenStopsTheRun) {
  Fixture f;
  f.inp = f.dir / "missing-folder" / "x.inp";
  const auto r = f.Run(OneVariableGrid({{"1", "2"}}));
  EXPECT_EQ(r.Outcome, SaveCalculateOutcome::InputNotWritten);
  EXPECT_TRUE(f.fakes.calls.empty());
  ASSERT_EQ(f.dialogs.Messages().size(), 1u);
}

}  // namespace
}  // namespace vornax
