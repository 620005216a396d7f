// vornax-batch and the files around a run: nothing the user owns is overwritten or removed,
// options are refused before the work, a table is rerun after editing, and a run out of memory
// says so. Every awkward file is made here, in the test's own scratch folder.
#include "batch/BatchCommand.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <new>
#include <sstream>

#include "regression/AnalysisGuards.h"
#include "batch/CommandRun.h"
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
      // No graph is written under another name than the one given.
      {{"--graph", "@/f.gif", "--json", "@/f.bmp"},
       "--graph \"@/f.gif\": the name's extension gives the format; use .svg, .pdf, .png or .bmp"},
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
    // --overwrite: the run may replace them; only its refusal is left to remove them.
    EXPECT_EQ(b.Run({(dir / "few.csv").string(), "--json", (dir / "few.json").string(),
                     "--overwrite"}),
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

const char* const kGroups = "g,Y,X\nA,1,1\nA,2,2\nA,3,3\nA,4,5\nt,5,4\nt,1,1\nt,2,2\nt,3,3\n";

// A run that would succeed replaces no file that is not this program's: it stops before any
// work, naming the file and --overwrite, and runs with --overwrite.
TEST(BatchFileSafety, ASuccessfulRunReplacesNoFileThatIsNotThisProgramsWithoutOverwrite) {
  struct Case {
    std::string file, bytes;
    std::vector<std::string> args;  // after the input; "@" stands for the scratch folder
    std::string otherWay;           // the way out the message offers besides --overwrite
    bool runsWithOverwrite;         // the stand-in analyses can give what the option writes
  };
  const std::string elsewhere = "--output-dir to write elsewhere.";
  const std::string another = "choose another name.";
  const std::vector<Case> cases = {
      {"t.out", "precious results\r\n", {}, elsewhere, true},
      {"t.var", "1;2;3\n", {}, elsewhere, true},
      {"t.out", "", {}, elsewhere, true},  // an empty file shows nothing of its maker
      {"t.txt", "notes\n", {"--prefer", "partial"}, elsewhere, true},
      {"r.json", "{\"program\": \"other\"}", {"--json", "@/r.json"}, another, false},
      {"g.png", std::string("\x89PNG\r\n\x1a\n", 8) + "photo", {"--graph", "@/g.png"}, another, false},
      {"g.svg", "<?xml version=\"1.0\"?><svg/>", {"--graph", "@/g.svg"}, another, false},
      {"r.csv", "a,b\r\n1,2\r\n", {"--by", "g", "--results", "@/r.csv"}, another, true},
      {"r.jsonl", "{\"a\": 1}\n", {"--by", "g", "--json-lines", "@/r.jsonl"}, another, true},
      {"t-A.out", "precious\n", {"--by", "g", "--reports"}, elsewhere, true},
      {"t-t.var", "precious\n", {"--by", "g", "--reports"}, elsewhere, true},
  };
  for (const Case& c : cases) {
    TempDir dir;
    const std::string at = dir.path().string();
    const bool groups = std::find(c.args.begin(), c.args.end(), "--by") != c.args.end();
    WriteFileBytes(dir / "t.csv", groups ? kGroups : kTable);
    WriteFileBytes(dir / c.file, c.bytes);
    const auto before = Snapshot(dir.path());
    std::vector<std::string> args = {(dir / "t.csv").string(), "--permutations", "0"};
    for (const std::string& a : c.args) args.push_back(Expand(a, at));
    SCOPED_TRACE(c.file + " " + c.bytes);
    Batch b;
    EXPECT_EQ(b.Run(args), kExitUsage);
    EXPECT_NE(b.err.find("vornax-batch: \"" + (dir / c.file).string() +
                         "\" already exists and is not a file this program wrote; it is left as "
                         "it is. Use --overwrite to replace it, or " + c.otherWay + "\n"),
              std::string::npos)
        << b.err;
    EXPECT_TRUE(b.fakes.calls.empty());
    EXPECT_EQ(Snapshot(dir.path()), before);
    if (!c.runsWithOverwrite) continue;
    args.push_back("--overwrite");
    EXPECT_EQ(b.Run(args), kExitDone) << b.err;
    if (c.file != "t.txt") {  // the stand-in writes no scan table
      EXPECT_NE(ReadFileBytes(dir / c.file), c.bytes);
    }
  }
}

// The files of an earlier run are this program's: the next run replaces them without a word.
TEST(BatchFileSafety, ItsOwnFilesAreReplacedWithoutOverwrite) {
  TempDir dir;
  WriteFileBytes(dir / "t.csv", kGroups);
  const std::vector<std::string> args = {
      (dir / "t.csv").string(), "--by", "g", "--reports", "--results", (dir / "r.csv").string(),
      "--json-lines", (dir / "r.jsonl").string(), "--permutations", "0", "-q"};
  std::string out, err;
  ASSERT_EQ(test::RunBatchCommand(args, out, err), kExitDone) << err;
  ASSERT_TRUE(fs::exists(dir / "t-A.out"));
  EXPECT_EQ(test::RunBatchCommand(args, out, err), kExitDone) << err;
  EXPECT_EQ(err, "");
}

// A named output that is also one of the reports a run by groups writes is refused before the
// work, whichever way the two names are written.
TEST(BatchFileSafety, NoNamedOutputIsAGroupsReport) {
  struct Case {
    std::vector<std::string> args;
    std::string said;
  };
  const std::vector<Case> cases = {
      {{"--results", "t-A.out"}, "the report \"./t-A.out\" would take the place of --results \"t-A.out\""},
      {{"--json-lines", "t-t.var"}, "the report \"./t-t.var\" would take the place of --json-lines \"t-t.var\""},
      {{"--results", "./sub/../t-t.out"}, "would take the place of --results"},
      {{"--json-lines", "@/t-A.var"}, "would take the place of --json-lines \"@/t-A.var\""},
      {{"--results", "r.csv", "--json-lines", "./r.csv"}, "--results and --json-lines name the same file"},
  };
  const fs::path home = fs::current_path();
  for (const Case& c : cases) {
    TempDir dir;
    const std::string at = dir.path().string();
    fs::create_directory(dir / "sub");
    WriteFileBytes(dir / "t.csv", kGroups);
    const auto before = Snapshot(dir.path());
    fs::current_path(dir.path());  // names relative to the folder, as typed in a shell
    std::vector<std::string> args = {"t.csv", "--by", "g", "--reports"};
    for (const std::string& a : c.args) args.push_back(Expand(a, at));
    SCOPED_TRACE(Expand(c.said, at));
    Batch b;
    EXPECT_EQ(b.Run(args), kExitUsage);
    fs::current_path(home);
    EXPECT_NE(b.err.find(Expand(c.said, at)), std::string::npos) << b.err;
    EXPECT_TRUE(b.fakes.calls.empty());
    EXPECT_EQ(Snapshot(dir.path()), before);
  }
}

// A run refused for options that do not fit the data takes nothing away: the earlier report,
// ANOVA table, JSON results and NAME.inp of the same table stay as they were.
TEST(BatchFileSafety, ARefusalOfTheOptionsRemovesNothing) {
  struct Case {
    std::vector<std::string> args;
    std::string said;
  };
  const std::vector<Case> cases = {
      {{"--breakpoint", "50"}, "lies outside the data."},
      {{"--breakpoint", "1.5"}, "each side needs at least three"},
      {{"--search-range", "100", "200"}, "holds no candidate breakpoint"},
  };
  TempDir dir;
  std::string csv = "Y,X\n";
  for (int x = 1; x <= 14; ++x) csv += std::to_string(x < 8 ? 10 + x : 17 + 3 * (x - 7)) + "," + std::to_string(x) + "\n";
  WriteFileBytes(dir / "t.csv", csv);
  const std::string json = (dir / "t.json").string();
  std::string out, err;
  ASSERT_EQ(test::RunBatchCommand({(dir / "t.csv").string(), "--json", json, "-q", "--permutations", "0"}, out, err),
            kExitDone)
      << err;
  const auto before = Snapshot(dir.path());
  ASSERT_EQ(before.size(), 5u);  // t.csv, t.inp, t.out, t.var, t.json
  for (const Case& c : cases) {
    SCOPED_TRACE(c.said);
    // Edited to other data, as a table is between runs: its NAME.inp is put back as well.
    WriteFileBytes(dir / "t.csv", csv + "30,14.5\n");
    std::vector<std::string> args = {(dir / "t.csv").string(), "--json", json, "--permutations", "0"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    EXPECT_EQ(test::RunBatchCommand(args, out, err), kExitRefused) << err;
    EXPECT_NE(err.find(c.said), std::string::npos) << err;
    EXPECT_EQ(err.find("Removed"), std::string::npos) << err;
    WriteFileBytes(dir / "t.csv", csv);
    EXPECT_EQ(Snapshot(dir.path()), before);
  }
}

// Out of memory after the report was written: the run says only that it stopped, and the folder
// is as it was, the earlier report and NAME.inp back in place, nothing of this run's left.
TEST(BatchFileSafety, ARunStoppedForWantOfMemoryLeavesTheFolderAsItFoundIt) {
  struct Case {
    std::string name;
    std::map<std::string, std::string> earlier;  // besides the table
  };
  std::string earlierInput;
  {
    // NAME.inp of an earlier run on other data of the same table.
    TempDir dir;
    WriteFileBytes(dir / "t.csv", "Y,X\n1,1\n2,2\n3,3\n4,4\n5,6\n");
    Batch b;
    ASSERT_EQ(b.Run({(dir / "t.csv").string(), "-q"}), kExitDone) << b.err;
    earlierInput = ReadFileBytes(dir / "t.inp");
  }
  const std::vector<Case> cases = {
      {"a first run", {}},
      {"a rerun", {{"t.inp", earlierInput}, {"t.out", kOwnReport}, {"t.var", "    1\r\n   15\r\n  1.5E+001\r\n"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    WriteFileBytes(dir / "t.csv", kTable);
    for (const auto& [name, bytes] : c.earlier) WriteFileBytes(dir / name, bytes);
    const auto before = Snapshot(dir.path());
    Batch b;
    // The report is written; the ANOVA table that follows finds no memory.
    b.fakes.during = [](Analysis a, TDMVornax&, RunOptions&) {
      if (a == Analysis::SegmentedAnova) throw std::bad_alloc();
    };
    EXPECT_EQ(b.Run({(dir / "t.csv").string(), "--json", (dir / "t.json").string()}), kExitRefused);
    EXPECT_EQ(b.out, "");
    // The progress lines of the work done, then the stop: no word of a report.
    const std::string stop = "vornax-batch: not enough memory for 5 data sets; the run was stopped\n";
    EXPECT_EQ(b.err.substr(b.err.size() - std::min(b.err.size(), stop.size())), stop) << b.err;
    EXPECT_EQ(b.err.find("Calculations were done"), std::string::npos) << b.err;
    EXPECT_EQ(b.err.find("t.out"), std::string::npos) << b.err;
    EXPECT_EQ(Snapshot(dir.path()), before);
  }
}

// --quiet prints errors only: a run that succeeds says nothing on standard error and prints
// only the paths it wrote.
TEST(BatchFileSafety, QuietMeansErrorsOnly) {
  struct Case {
    std::string table;
    std::vector<std::string> args;
    std::string out;  // "@" the scratch folder
  };
  const std::vector<Case> cases = {
      {kTable, {}, "@/t.out\n"},
      {"Y,X\n1,1\n2,NA\n3,3\n4,5\n5,4\n6,6\n", {"--curve", "power", "--no-transform"}, "@/t.out\n"},
      {kGroups, {"--by", "g", "--results", "@/r.csv"}, "@/r.csv\n"},
  };
  for (const Case& c : cases) {
    TempDir dir;
    const std::string at = dir.path().string();
    WriteFileBytes(dir / "t.csv", c.table);
    std::vector<std::string> args = {(dir / "t.csv").string(), "-q"};
    for (const std::string& a : c.args) args.push_back(Expand(a, at));
    SCOPED_TRACE(c.table);
    Batch b;
    EXPECT_EQ(b.Run(args), kExitDone) << b.err;
    EXPECT_EQ(b.err, "");
    EXPECT_EQ(b.out, Expand(c.out, at));
  }
  // A refusal is an error: quiet or not, the analysis's reason is printed.
  TempDir dir;
  WriteFileBytes(dir / "t.csv", "Y,X\n1,1\n2,2\n");
  std::string out, err;
  EXPECT_EQ(test::RunBatchCommand({(dir / "t.csv").string(), "-q"}, out, err), kExitUsage);
  EXPECT_NE(err.find("There are fewer than three data sets"), std::string::npos) << err;
  EXPECT_EQ(out, "");
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
