// vornax-batch and the files around a run: nothing the user owns is overwritten or removed,
// options are refused before the work, a table is rerun after editing, and a run out of memory
// says so. Every awkward file is made here, in the test's own scratch folder.
#include "batch/BatchCommand.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>

#include "regression/AnalysisGuards.h"
#include "batch/FakeBatch.h"
#include "run/FakeAnalyses.h"
#include "support/TestSupport.h"

namespace vornax::batch {
namespace {

namespace fs = std::filesystem;
using test::FakeAnalyses;
using test::ReadFileBytes;
using test::TempDir;
using test::WriteFileBytes;

using test::Batch;

// Every file of a folder with its bytes.
std::map<std::string, std::string> Snapshot(const fs::path& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::directory_iterator(folder)) {
    files[entry.path().filename().string()] =
        entry.is_regular_file() ? ReadFileBytes(entry.path()) : "<folder>";
  }
  return files;
}

// The text with every "@" replaced by `at`.
std::string Expand(std::string s, const std::string& at) {
  for (size_t p = s.find('@'); p != std::string::npos; p = s.find('@', p + at.size())) {
    s.replace(p, 1, at);
  }
  return s;
}

const char* const kTable = "Y,X\n1,1\n2,2\n3,3\n4,5\n5,4\n";
const char* const kOwnReport =
    " Results of program Vornax for the segmented linear regression of Y upon X.\r\n"
    " Y is the dependent variable.\r\n";

// An output option that names the input, one of the run's own files or the other option's file
// is refused before anything is read or written, naming both files.
TEST(BatchFileSafety, OutputsNeverTakeThePlaceOfTheInputOrOfEachOther) {
  struct Case {
    std::vector<std::string> args;  // after the input; "@" stands for the scratch folder
    std::string said;
  };
  const std::vector<Case> cases = {
      {{"--json", "@/ex1.inp"}, "--json \"@/ex1.inp\" would take the place of the input \"@/ex1.inp\""},
      {{"--json", "@/ex1.out"}, "--json \"@/ex1.out\" would take the place of the report"},
      {{"--json", "@/ex1.var"}, "--json \"@/ex1.var\" would take the place of the ANOVA table"},
      {{"--graph", "@/ex1.var"}, "--graph \"@/ex1.var\" would take the place of the ANOVA table"},
      {{"--graph", "@/ex1.inp"}, "would take the place of the input"},
      {{"--graph", "@/f.png", "--json", "@/f.png"},
       "--json \"@/f.png\" would take the place of the graph \"@/f.png\""},
      // A graph name of another kind is written as .bmp.
      {{"--graph", "@/f.gif", "--json", "@/f.bmp"}, "would take the place of the graph \"@/f.bmp\""},
      {{"--prefer", "partial", "--json", "@/ex1.txt"}, "would take the place of the scan table"},
      {{"-o", "@/results", "--json", "@/results/ex1.inp"},
       "would take the place of the input file this run writes"},
  };
  for (const Case& c : cases) {
    TempDir dir;
    const std::string at = dir.path().string();
    auto expand = [&](const std::string& s) { return Expand(s, at); };
    WriteFileBytes(dir / "ex1.inp",
                   ReadFileBytes(fs::path(VORNAX_EXAMPLES_DIR) / "01-yield-watertable.inp"));
    WriteFileBytes(dir / "ex1.out", kOwnReport);
    fs::create_directory(dir / "results");
    const auto before = Snapshot(dir.path());
    std::vector<std::string> args = {(dir / "ex1.inp").string()};
    for (const std::string& a : c.args) args.push_back(expand(a));
    SCOPED_TRACE(expand(c.said));
    Batch b;
    EXPECT_EQ(b.Run(args), kExitUsage);
    EXPECT_EQ(b.err.rfind("vornax-batch: --", 0), 0u) << b.err;
    EXPECT_NE(b.err.find(expand(c.said)), std::string::npos) << b.err;
    EXPECT_TRUE(b.fakes.calls.empty());
    EXPECT_EQ(Snapshot(dir.path()), before);
  }
}

// A refused run takes away the outputs of an earlier run under its names only when their first
// lines show they are this program's; anything else is left, and the command says so.
TEST(BatchFileSafety, ARefusedRunRemovesOnlyWhatThisProgramWrote) {
  struct Case {
    std::string name, out, var, json;
    bool outGoes, varGoes, jsonGoes;
  };
  const std::string numbers = "    1\r\n   15\r\n  1.234567890123450E+001\r\n -99999\r\n";
  const std::vector<Case> cases = {
      {"ours", kOwnReport, " Variance Analysis, ANOVA table, Regression Type: 3\r\n",
       "{\n  \"program\": \"vornax\",\n  \"format\": 1\n}\n", true, true, true},
      {"variance file before its ANOVA", kOwnReport, numbers, "{\"program\":\"vornax\"}", true,
       true, true},
      {"someone else's", "precious results from another program\r\n", "1;2;3\n",
       "{\"program\": \"other\", \"results\": []}", false, false, false},
      {"empty", "", "", "", false, false, false},
      {"a report's words further down", "notes\r\n Results of program Vornax\r\n", "x\n",
       "[{\"program\": \"vornax\"}]", false, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    WriteFileBytes(dir / "few.csv", "Y,X\n1,2\n3,4\n");
    WriteFileBytes(dir / "few.out", c.out);
    WriteFileBytes(dir / "few.var", c.var);
    WriteFileBytes(dir / "few.json", c.json);
    Batch b;
    // The stand-in refuses the data as the real analysis does: the stale reports go first.
    b.fakes.during = [](Analysis, TDMVornax& d, RunOptions& o) {
      RemoveStaleReports(d.FileName);
      o.AnalysisFailed = true;
    };
    EXPECT_EQ(b.Run({(dir / "few.csv").string(), "--json", (dir / "few.json").string()}),
              kExitRefused);
    const std::pair<const char*, bool> files[] = {
        {"few.out", c.outGoes}, {"few.var", c.varGoes}, {"few.json", c.jsonGoes}};
    for (const auto& [name, goes] : files) {
      EXPECT_EQ(fs::exists(dir / name), !goes) << name;
      const std::string left = "\"" + (dir / name).string() +
                               "\" is not a file this program wrote; it is left as it is.\n";
      EXPECT_EQ(b.err.find(left) != std::string::npos, !goes) << name << "\n" << b.err;
    }
    EXPECT_EQ(ReadFileBytes(dir / "few.csv"), "Y,X\n1,2\n3,4\n");
    EXPECT_FALSE(fs::exists(dir / "few.inp"));  // a refused run leaves no input file behind
  }
}

// Options that cannot work are refused at once: the analysis never starts.
TEST(BatchFileSafety, OptionsAreCheckedBeforeTheWork) {
  struct Case {
    std::vector<std::string> args;
    std::string said;
  };
  const std::vector<Case> cases = {
      {{"--graph", "@/g.png", "--graph-kind", "residuals"},
       "--graph-kind residuals needs a run on two variables"},
      {{"--graph", "@/g.png", "--graph-kind", "x-z"}, "--graph-kind x-z needs a run on two"},
      {{"--json", "@/missing/r.json"},
       "cannot write --json \"@/missing/r.json\": the folder \"@/missing\" does not exist\n"
       "No such file or directory\n"},
      {{"--graph", "@/t.csv/g.png"}, "\"@/t.csv/g.png\": \"@/t.csv\" is not a folder\nNot a directory\n"},
      {{"--json", "@"}, "--json \"@\" is a folder; give a file name\n"},
      {{"--output-dir", "@/t.csv"}, "cannot make the folder \"@/t.csv\"\n"},
      {{"--seed", "-1"}, "--seed -1: give a whole number from 0 to 18446744073709551615\n"},
      {{"--seed", "18446744073709551616"}, "--seed 18446744073709551616: give a whole number"},
      {{"--seed", "7x"}, "--seed 7x: give a whole number"},
  };
  for (const Case& c : cases) {
    TempDir dir;
    const std::string at = dir.path().string();
    auto expand = [&](const std::string& s) { return Expand(s, at); };
    WriteFileBytes(dir / "t.csv", kTable);
    std::vector<std::string> args = {(dir / "t.csv").string()};
    for (const std::string& a : c.args) args.push_back(expand(a));
    SCOPED_TRACE(expand(c.said));
    Batch b;
    EXPECT_EQ(b.Run(args), kExitUsage);
    EXPECT_NE(b.err.find(expand(c.said)), std::string::npos) << b.err;
    EXPECT_TRUE(b.fakes.calls.empty());
    EXPECT_EQ(Snapshot(dir.path()), (std::map<std::string, std::string>{{"t.csv", kTable}}));
  }
  // The largest seed is a seed.
  TempDir dir;
  WriteFileBytes(dir / "t.csv", kTable);
  Batch b;
  EXPECT_EQ(b.Run({(dir / "t.csv").string(), "--seed", "18446744073709551615", "-q"}), kExitDone)
      << b.err;
}

// NAME.inp that this program wrote from the same table is replaced when the table was edited;
// one from anywhere else stays protected; a refused rerun leaves the earlier one as it was.
TEST(BatchFileSafety, ATableIsRerunAfterEditingWithoutOverwrite) {
  TempDir dir;
  const fs::path table = dir / "field.csv", inp = dir / "field.inp";
  WriteFileBytes(table, kTable);
  Batch b;
  ASSERT_EQ(b.Run({table.string(), "-q"}), kExitDone) << b.err;
  WriteFileBytes(table, "Y,X\n1,1\n2,2\n3,3\n4,5\n5,4.5\n");
  ASSERT_EQ(b.Run({table.string(), "-q"}), kExitDone) << b.err;
  const std::string edited = ReadFileBytes(inp);
  EXPECT_NE(edited.find("    5       5.00         4.50\r\n"), std::string::npos) << edited;

  // Refused for bad data: the input file of the run before stays as it was.
  WriteFileBytes(table, "Y,X\n1,1\n2,2\n");
  b.fakes.during = [](Analysis, TDMVornax&, RunOptions& o) { o.AnalysisFailed = true; };
  EXPECT_EQ(b.Run({table.string(), "-q"}), kExitRefused);
  EXPECT_EQ(ReadFileBytes(inp), edited);
  b.fakes.during = nullptr;

  struct Case {
    std::string name, firstLine;
  };
  const std::vector<Case> foreign = {
      {"typed by hand", "Trial 7, my own title"},
      {"from another table", "Imported from field.tsv"},
  };
  for (const Case& c : foreign) {
    SCOPED_TRACE(c.name);
    std::string other = edited;
    other.replace(0, other.find("\r\n"), c.firstLine);
    other.replace(other.find("4.50"), 4, "4.75");  // other data than the table
    WriteFileBytes(inp, other);
    WriteFileBytes(table, kTable);
    EXPECT_EQ(b.Run({table.string(), "-q"}), kExitUsage);
    EXPECT_NE(b.err.find("already exists and holds other data"), std::string::npos);
    EXPECT_EQ(ReadFileBytes(inp), other);
  }
}

// The built program under a limit of 400 MB of address space: nine rows weighted a million
// times each cannot be expanded. The run says so, exits 1 and leaves only the table.
TEST(BatchFileSafety, RunningOutOfMemoryIsAMessage) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the address sanitizer reserves more address space than the limit";
#else
  TempDir dir;
  std::string csv = "Y,X,weight\n";
  for (int i = 1; i <= 9; ++i) csv += std::to_string(i) + "," + std::to_string(i % 4) + ",1000000\n";
  WriteFileBytes(dir / "nine.csv", csv);
  const std::string command = "ulimit -v 400000; \"" + std::string(VORNAX_BATCH_EXE) + "\" \"" +
                              (dir / "nine.csv").string() + "\" --quiet --permutations 0 >\"" +
                              (dir / "stdout").string() + "\" 2>\"" +
                              (dir / "stderr").string() + "\"";
  const int status = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(status));
  const std::string err = ReadFileBytes(dir / "stderr");
  EXPECT_EQ(WEXITSTATUS(status), kExitRefused) << err;
  EXPECT_NE(err.find("vornax-batch: not enough memory for 9,000,000 data sets; the run was "
                     "stopped\n"),
            std::string::npos)
      << err;
  fs::remove(dir / "stdout");
  fs::remove(dir / "stderr");
  EXPECT_EQ(Snapshot(dir.path()), (std::map<std::string, std::string>{{"nine.csv", csv}}));
#endif
}

// The built program: no warning of the drawing library reaches the terminal, every output is in
// place, and no temporary file is left beside them.
TEST(BatchFileSafety, AGraphRunLeavesItsFilesWholeAndSaysNothingOfTheDrawingLibrary) {
  TempDir dir;
  fs::copy_file(fs::path(VORNAX_EXAMPLES_DIR) / "01-yield-watertable.inp", dir / "ex1.inp");
  const std::string command = "env -u XDG_RUNTIME_DIR -u QT_LOGGING_RULES \"" +
                              std::string(VORNAX_BATCH_EXE) + "\" \"" + (dir / "ex1.inp").string() +
                              "\" -q --permutations 0 --graph \"" + (dir / "ex1.png").string() +
                              "\" --json \"" + (dir / "ex1.json").string() + "\" 2>\"" +
                              (dir / "stderr").string() + "\" >/dev/null";
  const int status = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(status));
  const std::string err = ReadFileBytes(dir / "stderr");
  ASSERT_EQ(WEXITSTATUS(status), kExitDone) << err;
  EXPECT_EQ(err.find("XDG_RUNTIME_DIR"), std::string::npos) << err;
  EXPECT_EQ(err.find("QStandardPaths"), std::string::npos) << err;
  fs::remove(dir / "stderr");
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir.path())) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"ex1.inp", "ex1.json", "ex1.out", "ex1.png",
                                             "ex1.var"}));
}

TEST(BatchFileSafety, HelpDescribesTheBreakTestAsItWorks) {
  Batch b;
  ASSERT_EQ(b.Run({"--help"}), kExitDone);
  EXPECT_NE(b.out.find("The break test shuffles the residuals of the fit without a break"),
            std::string::npos)
      << b.out;
  EXPECT_EQ(b.out.find("shuffles Y over the X values"), std::string::npos);
  EXPECT_NE(b.out.find("--header"), std::string::npos);
}

}  // namespace
}  // namespace vornax::batch
