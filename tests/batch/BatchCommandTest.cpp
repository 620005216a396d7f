// vornax-batch: the library through stand-in analyses (files written, exit status, options),
// and the built program end to end on a shipped example.
#include "batch/BatchCommand.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <tuple>

#include "run/FakeAnalyses.h"
#include "support/TestSupport.h"

namespace vornax::batch {
namespace {

namespace fs = std::filesystem;
using test::FakeAnalyses;
using test::ReadFileBytes;
using test::ReadLines;
using test::TempDir;
using test::WriteFileBytes;

struct Batch {
  FakeAnalyses fakes;
  std::string out, err;
  int Run(std::vector<std::string> args) {
    args.insert(args.begin(), "vornax-batch");
    std::vector<const char*> argv;
    for (const std::string& a : args) argv.push_back(a.c_str());
    std::ostringstream o, e;
    const int code = RunBatch(static_cast<int>(argv.size()), argv.data(), o, e, fakes.Table());
    out = o.str();
    err = e.str();
    return code;
  }
};

const char* kCsv = "depth,yield\n1.5,30\n2.5,40\n,50\n3.75,60\n";

TEST(BatchCommand, ATableIsWrittenAsAnInputFileAndAnalysed) {
  TempDir dir;
  WriteFileBytes(dir / "field.csv", kCsv);
  Batch b;
  ASSERT_EQ(b.Run({(dir / "field.csv").string(), "--confidence", "95"}), kExitDone) << b.err;
  EXPECT_EQ(b.out, (dir / "field.out").string() + "\n");
  EXPECT_EQ(ReadFileBytes(dir / "field.csv"), kCsv);
  EXPECT_EQ(ReadLines(dir / "field.inp"),
            (std::vector<std::string>{"Imported from field.csv", "Y: depth, X: yield",
                                      " File name:  " + (dir / "field.inp").string(),
                                      " Number of independent variables:  1",
                                      " Number of data sets:  3", "", "",
                                      "          Dependent    independent",
                                      "Serial    variable     variable", "number    Y            X",
                                      std::string(34, '-'), "    1       1.50        30.00",
                                      "    2       2.50        40.00",
                                      "    3       3.75        60.00"}));
  EXPECT_EQ(ReadLines(dir / "field.out").front(), " Report of one");
  EXPECT_NE(b.err.find(" Saving data ....."), std::string::npos);
  EXPECT_NE(b.err.find("Calculations were done"), std::string::npos);
  EXPECT_EQ(b.fakes.calls, (std::vector<std::string>{"one", "anova"}));
}

TEST(BatchCommand, AnInputFileIsNeverRewritten) {
  TempDir dir;
  fs::copy_file(fs::path(VORNAX_EXAMPLES_DIR) / "03-cane-salinity-weighted.inp", dir / "cane.inp");
  const std::string before = ReadFileBytes(dir / "cane.inp");
  Batch b;
  int seenCount = 0;
  b.fakes.during = [&](Analysis a, TDMVornax& d, RunOptions&) {
    if (a == Analysis::OneVariable) seenCount = d.NrOfData;
  };
  ASSERT_EQ(b.Run({(dir / "cane.inp").string(), "--quiet"}), kExitDone) << b.err;
  EXPECT_EQ(ReadFileBytes(dir / "cane.inp"), before);
  EXPECT_EQ(seenCount, 43);  // the weights were expanded
  EXPECT_EQ(b.err.find(" Saving data"), std::string::npos);  // --quiet
  EXPECT_TRUE(fs::exists(dir / "cane.out"));

  // Into another folder: the input file is written there as well, the given one stays.
  ASSERT_EQ(b.Run({(dir / "cane.inp").string(), "-o", (dir / "results").string()}), kExitDone);
  EXPECT_EQ(b.out, (dir / "results" / "cane.out").string() + "\n");
  auto copied = ReadLines(dir / "results" / "cane.inp");
  auto original = ReadLines(dir / "cane.inp");
  ASSERT_EQ(copied.size(), original.size());
  for (size_t i = 11; i < copied.size(); ++i) EXPECT_EQ(copied[i], original[i]);
  EXPECT_EQ(ReadFileBytes(dir / "cane.inp"), before);
}

TEST(BatchCommand, ExitStatusForRefusalsAndBadInput) {
  TempDir dir;
  WriteFileBytes(dir / "field.csv", kCsv);
  Batch b;
  b.fakes.during = [](Analysis, TDMVornax&, RunOptions& o) { o.AnalysisFailed = true; };
  EXPECT_EQ(b.Run({(dir / "field.csv").string()}), kExitRefused);
  EXPECT_EQ(b.out, "");

  Batch c;
  EXPECT_EQ(c.Run({(dir / "missing.csv").string()}), kExitUsage);
  EXPECT_NE(c.err.find("no such file"), std::string::npos);
  WriteFileBytes(dir / "bad.csv", "1,2\n3,x\n");
  EXPECT_EQ(c.Run({(dir / "bad.csv").string()}), kExitUsage);
  EXPECT_NE(c.err.find("line 2: \"x\" in column 2 is not a number"), std::string::npos);
  WriteFileBytes(dir / "bad.inp", "too short\r\n");
  EXPECT_EQ(c.Run({(dir / "bad.inp").string()}), kExitUsage);
  EXPECT_NE(c.err.find("A program error occurred."), std::string::npos);
  WriteFileBytes(dir / "w.csv", "Y,X,weight\n1,2,0\n");
  EXPECT_EQ(c.Run({(dir / "w.csv").string()}), kExitRefused);
  EXPECT_TRUE(c.fakes.calls.empty());
  // A table whose name the report would take.
  WriteFileBytes(dir / "data.out", kCsv);
  EXPECT_EQ(c.Run({(dir / "data.out").string()}), kExitUsage);
  EXPECT_EQ(ReadFileBytes(dir / "data.out"), kCsv);
}

TEST(BatchCommand, OptionsReachTheAnalysis) {
  TempDir dir;
  WriteFileBytes(dir / "two.csv", "Y,X,Z\n1,2,3\n4,5,6\n7,8,9\n");
  Batch b;
  RunOptions seen;
  int nrOfVar = 0;
  b.fakes.during = [&](Analysis, TDMVornax& d, RunOptions& o) {
    seen = o;
    nrOfVar = d.NrOfVar;
  };
  ASSERT_EQ(b.Run({(dir / "two.csv").string(), "--prefer", "3", "--prefer-z", "4",
                   "--confidence", "98"}),
            kExitDone)
      << b.err;
  EXPECT_EQ(b.fakes.calls.front(), "two");
  EXPECT_EQ(nrOfVar, 2);
  EXPECT_EQ(seen.PreferredTypeX, 3);
  EXPECT_EQ(seen.PreferredTypeZ, 4);
  EXPECT_EQ(seen.ConfidenceT, 2.5);

  b.fakes.calls.clear();
  ASSERT_EQ(b.Run({(dir / "two.csv").string(), "--use", "z", "--curve", "quadratic",
                   "--no-transform"}),
            kExitDone)
      << b.err;
  EXPECT_EQ(b.fakes.calls.front(), "quadratic");
  EXPECT_FALSE(seen.TransformAccepted);
  EXPECT_NE(b.err.find("Is this OK? No"), std::string::npos);

  b.fakes.calls.clear();
  ASSERT_EQ(b.Run({(dir / "two.csv").string(), "--use", "x", "--exclude", "6"}), kExitDone);
  EXPECT_EQ(b.fakes.calls.front(), "one");
  EXPECT_EQ(seen.ExcludedTypeX, 6);
  EXPECT_EQ(nrOfVar, 1);

  b.fakes.calls.clear();
  ASSERT_EQ(b.Run({(dir / "two.csv").string(), "--use", "z", "--prefer", "partial"}), kExitDone);
  EXPECT_EQ(b.fakes.calls.front(), "partial");
}

TEST(BatchCommand, CombinationsTheWindowDoesNotOfferAreBadUsage) {
  TempDir dir;
  WriteFileBytes(dir / "one.csv", "1,2\n3,4\n");
  WriteFileBytes(dir / "two.csv", "1,2,3\n4,5,6\n");
  const std::string one = (dir / "one.csv").string(), two = (dir / "two.csv").string();
  const std::vector<std::vector<std::string>> bad = {
      {one, "--use", "z"},
      {one, "--prefer-z", "3"},
      {one, "--exclude-z", "3"},
      {one, "--prefer", "3", "--curve", "power"},
      {one, "--prefer", "3", "--exclude", "4"},
      {two, "--curve", "cubic"},
      {two, "--prefer", "partial"},
      {one, "--confidence", "99"},
      {one, "--exclude", "1"},
      {one, "--prefer", "7"},
      {one, "--curve", "linear"},
      {one, "--weights"},
      {one, "--no-such-option"},
      {},
  };
  for (const auto& args : bad) {
    Batch b;
    std::string joined;
    for (const auto& a : args) joined += a + " ";
    SCOPED_TRACE(joined);
    EXPECT_EQ(b.Run(args), kExitUsage);
    EXPECT_FALSE(b.err.empty());
    EXPECT_TRUE(b.fakes.calls.empty());
  }
}

TEST(BatchCommand, HelpExplainsEveryOption) {
  Batch b;
  ASSERT_EQ(b.Run({"--help"}), kExitDone);
  for (const char* option : {"INPUT", "--confidence", "--use", "--prefer", "--prefer-z",
                             "--exclude", "--exclude-z", "--curve", "--no-transform", "--quiet",
                             "--output-dir", "--weights", "Examples:", "Exit status"}) {
    EXPECT_NE(b.out.find(option), std::string::npos) << option;
  }
}

// The partial regression with the analyses of this build: report, ANOVA table and scan table.
TEST(BatchCommand, PreferPartialWritesTheReportTheAnovaTableAndTheScanTable) {
  TempDir dir;
  std::string csv = "yield,depth\n";
  const double wobble[] = {0.3, -0.2, 0.1, -0.4, 0.25, 0.0, -0.15, 0.35, -0.3, 0.2, -0.1, 0.05};
  for (int i = 1; i <= 40; ++i) {
    const double y = 10 + (i > 16 ? 0.5 * (i - 16) : 0) + wobble[i % 12] / 2;
    csv += std::to_string(y) + "," + std::to_string(i) + "\n";
  }
  WriteFileBytes(dir / "field.csv", csv);
  std::vector<const char*> argv = {"vornax-batch", nullptr, "--prefer", "partial", "--quiet"};
  const std::string input = (dir / "field.csv").string();
  argv[1] = input.c_str();
  std::ostringstream o, e;
  ASSERT_EQ(RunBatch(static_cast<int>(argv.size()), argv.data(), o, e), kExitDone) << e.str();
  EXPECT_EQ(o.str(), (dir / "field.out").string() + "\n");
  const auto out = ReadLines(dir / "field.out");
  ASSERT_GE(out.size(), 3u);
  EXPECT_EQ(out[0], " Results of program Lumitor for partial linear regression of Y upon X.");
  EXPECT_EQ(out[2], " THIS LUMITOR PROGRAM DETECTS OVER WHICH PART OF THE DATA RANGE THE SLOPE ");
  EXPECT_NE(std::find(out.begin(), out.end(), " Optimal breakpoint of X (BPx) : 1.699E+001"),
            out.end());
  EXPECT_EQ(ReadLines(dir / "field.var").front(),
            " Variance Analysis, ANOVA table, Regression Type: 3");
  EXPECT_EQ(ReadLines(dir / "field.txt").front(), (dir / "field.txt").string());
}

// A table named NAME.txt would be overwritten by the scan table of a partial regression.
TEST(BatchCommand, APartialRunNeverOverwritesATableNamedLikeItsScanTable) {
  TempDir dir;
  const std::string table = "1,1\n2,2\n3,3\n";
  WriteFileBytes(dir / "field.txt", table);
  Batch b;
  EXPECT_EQ(b.Run({(dir / "field.txt").string(), "--prefer", "partial"}), kExitUsage);
  EXPECT_NE(b.err.find("would be overwritten"), std::string::npos);
  EXPECT_TRUE(b.fakes.calls.empty());
  EXPECT_EQ(ReadFileBytes(dir / "field.txt"), table);
  // Into another folder it is safe.
  EXPECT_EQ(b.Run({(dir / "field.txt").string(), "--prefer", "partial", "--output-dir",
                   (dir / "results").string()}),
            kExitDone)
      << b.err;
}

// The built program on the first shipped example. Whether the analysis gives a report or says
// why it cannot, the example itself is never changed and the status tells which.
TEST(BatchProgram, RunsTheFirstExample) {
  TempDir dir;
  const fs::path example = fs::path(VORNAX_EXAMPLES_DIR) / "01-yield-watertable.inp";
  fs::copy_file(example, dir / "yield.inp");
  const std::string before = ReadFileBytes(dir / "yield.inp");
  const std::string command = std::string("\"") + VORNAX_BATCH_EXE + "\" \"" +
                              (dir / "yield.inp").string() + "\" >\"" +
                              (dir / "stdout").string() + "\" 2>\"" + (dir / "stderr").string() +
                              "\"";
  const int status = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(status));
  const int code = WEXITSTATUS(status);
  EXPECT_EQ(ReadFileBytes(dir / "yield.inp"), before);
  const std::string err = ReadFileBytes(dir / "stderr");
  EXPECT_NE(err.find(" Saving data ....."), std::string::npos);
  if (code == kExitDone) {
    // The report's path, then the summary with the break test.
    const std::string printed = ReadFileBytes(dir / "stdout");
    EXPECT_EQ(printed.substr(0, printed.find('\n') + 1), (dir / "yield.out").string() + "\n");
    EXPECT_NE(printed.find("\nFunction type 4: first a sloping segment, then horizontal"),
              std::string::npos);
    EXPECT_NE(printed.find("\nBreak test: p = 0.001 (999 permutations;"), std::string::npos);
    EXPECT_GE(ReadLines(dir / "yield.out").size(), 2u);
    EXPECT_TRUE(fs::exists(dir / "yield.var"));
  } else {
    EXPECT_EQ(code, kExitRefused) << err;
    EXPECT_EQ(ReadFileBytes(dir / "stdout"), "");
  }

  const std::string help = std::string("\"") + VORNAX_BATCH_EXE + "\" --help >\"" +
                           (dir / "help").string() + "\"";
  EXPECT_EQ(std::system(help.c_str()), 0);
  EXPECT_NE(ReadFileBytes(dir / "help").find("--confidence"), std::string::npos);
  const std::string wrong = std::string("\"") + VORNAX_BATCH_EXE + "\" --bogus 2>/dev/null";
  const int wrongStatus = std::system(wrong.c_str());
  EXPECT_EQ(WEXITSTATUS(wrongStatus), kExitUsage);
}

// The built program fits each curve to the shipped curved example and leaves its report and
// ANOVA table; --no-transform keeps the plain polynomial.
TEST(BatchProgram, FitsTheCurvesOfTheCurvedExample) {
  TempDir dir;
  const fs::path example = fs::path(VORNAX_EXAMPLES_DIR) / "04-grass-nitrogen-curved.inp";
  struct Case {
    std::vector<std::string> args;
    std::string first, anova, equation;
  };
  const std::vector<Case> cases = {
      {{"--curve", "quadratic", "--no-transform"},
       " Results of program VornaxA for the quadratic regression of Y upon X.",
       " Variance Analysis, ANOVA table, quadratic Regression", "       Yc = A*^2 + B*X + C"},
      {{"--curve", "cubic"}, " Results of program VornaxA for the cubic regression of Y upon X.",
       " Variance Analysis, ANOVA table, cubic Regression", ""},
      {{"--curve", "power"},
       " Results of program VornaxA for the power curve regression of Y upon X.",
       " Variance Analysis, ANOVA table, power Regression", ""},
  };
  for (const Case& c : cases) {
    const fs::path folder = dir / c.args[1];
    std::string command = std::string("\"") + VORNAX_BATCH_EXE + "\" \"" + example.string() +
                          "\" --quiet -o \"" + folder.string() + "\"";
    for (const std::string& a : c.args) command += " " + a;
    command += " >/dev/null 2>\"" + (dir / "stderr").string() + "\"";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), kExitDone) << ReadFileBytes(dir / "stderr");
    const auto out = ReadLines(folder / "04-grass-nitrogen-curved.out");
    ASSERT_GE(out.size(), 8u);
    EXPECT_EQ(out[0], c.first);
    if (!c.equation.empty()) {
      EXPECT_EQ(out[7], c.equation);
    }
    EXPECT_EQ(ReadLines(folder / "04-grass-nitrogen-curved.var").at(0), c.anova);
  }
}

TEST(BatchCommand, SummaryAndJsonResultsOfARealRun) {
  TempDir dir;
  fs::copy_file(fs::path(VORNAX_EXAMPLES_DIR) / "01-yield-watertable.inp", dir / "yield.inp");
  auto run = [&](std::vector<std::string> args) {
    args.insert(args.begin(), "vornax-batch");
    std::vector<const char*> argv;
    for (const std::string& a : args) argv.push_back(a.c_str());
    std::ostringstream o, e;
    const int code = RunBatch(static_cast<int>(argv.size()), argv.data(), o, e);
    return std::make_tuple(code, o.str(), e.str());
  };
  const std::string json = (dir / "yield.json").string();
  auto [code, out, err] = run({(dir / "yield.inp").string(), "--json", json, "--permutations",
                               "199", "--seed", "5"});
  ASSERT_EQ(code, kExitDone) << err;
  EXPECT_NE(out.find("\nFunction type 4: first a sloping segment, then horizontal (method 2)\n"),
            std::string::npos)
      << out;
  EXPECT_NE(out.find("\nBreakpoint of X: 80.48, standard error 1.22; 90% confidence limits "),
            std::string::npos)
      << out;
  EXPECT_NE(out.find("\nBreak test: p = 0.005 (199 permutations; the search over breakpoints and "
                     "types included)\n"),
            std::string::npos)
      << out;
  const std::string text = ReadFileBytes(json);
  EXPECT_NE(text.find("\"analysis\": \"one-variable\""), std::string::npos);
  EXPECT_NE(text.find("\"seed\": 5"), std::string::npos);
  EXPECT_NE(text.find("\"permutations\": 199"), std::string::npos);

  // --quiet: the path only; --permutations 0: no test.
  std::tie(code, out, err) =
      run({(dir / "yield.inp").string(), "--quiet", "--permutations", "0"});
  ASSERT_EQ(code, kExitDone) << err;
  EXPECT_EQ(out, (dir / "yield.out").string() + "\n");

  // A refused run writes no JSON and removes the one of an earlier run, saying so.
  WriteFileBytes(dir / "few.csv", "1,2\n3,4\n");
  WriteFileBytes(dir / "few.json", "{}");
  std::tie(code, out, err) =
      run({(dir / "few.csv").string(), "--json", (dir / "few.json").string()});
  EXPECT_EQ(code, kExitRefused);
  EXPECT_FALSE(fs::exists(dir / "few.json"));
  EXPECT_NE(err.find("removed the results of an earlier run"), std::string::npos) << err;
}

}  // namespace
}  // namespace vornax::batch
