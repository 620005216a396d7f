// vornax-batch: the library through stand-in analyses (files written, exit status, options),
// and the built program end to end on a shipped example.
#include "batch/BatchCommand.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>
#include <tuple>

#include "batch/FakeBatch.h"
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

using test::Batch;

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
  EXPECT_EQ(ReadLines(dir / "field.out").front(), " Results of program Vornax: report of one");
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
  EXPECT_EQ(c.err, "vornax-batch: cannot read \"" + (dir / "missing.csv").string() +
                       "\"\nNo such file or directory\n");
  WriteFileBytes(dir / "bad.csv", "1,2\n3,x\n");
  EXPECT_EQ(c.Run({(dir / "bad.csv").string()}), kExitUsage);
  EXPECT_NE(c.err.find("line 2: \"x\" in column 2 is not a number"), std::string::npos);
  WriteFileBytes(dir / "bad.inp", "too short\r\n");
  EXPECT_EQ(c.Run({(dir / "bad.inp").string()}), kExitUsage);
  EXPECT_NE(c.err.find("A program error occurred."), std::string::npos);
  // A weight factor below 1 is refused with the line of the table it stands on.
  WriteFileBytes(dir / "w.csv", "Y,X,weight\n1,2,1\n3,NA,1\n1,2,0\n");
  EXPECT_EQ(c.Run({(dir / "w.csv").string()}), kExitUsage);
  EXPECT_NE(c.err.find(", line 4: the weight factor \"0\" in column 3 (weight) is below 1: a data "
                       "set cannot count zero or negative times\n"),
            std::string::npos)
      << c.err;
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
  // The question settled by --no-transform is a note of what was done, not a question.
  EXPECT_NE(b.err.find(" The X-data are fitted as they are, without a transformation "
                       "(--no-transform).\n"),
            std::string::npos)
      << b.err;
  EXPECT_EQ(b.err.find("Is this OK?"), std::string::npos);

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
  fs::copy_file(fs::path(VORNAX_EXAMPLES_DIR) / "01-yield-watertable.inp", dir / "a.inp");
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
      {one, "--y", "1"},
      {one, "--z", "1"},
      {one, "--y", "1", "--x", "2", "--weights"},
      {(dir / "a.inp").string(), "--y", "1", "--x", "2"},
      {(dir / "a.inp").string(), "--strict"},
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
                             "--output-dir", "--weights", "--y", "--x", "--z", "--weight",
                             "--strict", "--overwrite", "--breakpoint", "--search-range",
                             "--version", "NA, NaN",
                             "vornax-batch plots.csv --y \"Yield, t/ha\" --x depth",
                             "Examples:", "Exit status"}) {
    EXPECT_NE(b.out.find(option), std::string::npos) << option;
  }
}

// Every file in a folder with its bytes, to show that a run changed none of them.
std::map<std::string, std::string> Snapshot(const fs::path& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::directory_iterator(folder)) {
    files[entry.path().filename().string()] = ReadFileBytes(entry.path());
  }
  return files;
}

std::string Utf16(const std::string& text) {
  std::string bytes = "\xFF\xFE";
  for (char c : text) {
    bytes.push_back(c);
    bytes.push_back('\0');
  }
  return bytes;
}

// Tables as people export them from spreadsheets and statistics packages. Each is accepted
// with the right columns and values (the records of NAME.inp, checked by hand) or refused with
// its message; the table itself is never changed, and a refused one leaves no file behind.
TEST(BatchCommand, AwkwardRealWorldTables) {
  using namespace std::string_literals;
  struct Case {
    std::string name, bytes;
    std::vector<std::string> args;
    int exit;
    std::vector<std::string> records;  // lines 12 onward of NAME.inp when accepted
    std::vector<std::string> said;     // texts standard error must hold
  };
  const std::vector<Case> cases = {
      {"r-write-csv.csv", "\"\",\"yield\",\"depth\"\n\"1\",2.5,30\n\"2\",NA,40\n\"3\",3.1,50\n",
       {}, kExitDone,
       {"    1       2.50        30.00", "    2       3.10        50.00"},
       {"Y = yield, X = depth (the first column holds row names and is left aside)\n",
        "1 row with a missing value left out (line 3)\n"}},
      {"r-write-table.txt", "\"yield\" \"depth\"\n\"1\" 2.5 30\n\"2\" 3.1 50\n\"3\" 4 . \n", {},
       kExitDone, {"    1       2.50        30.00", "    2       3.10        50.00"},
       {"Y = yield, X = depth (the first", "(line 4)"}},
      {"excel-de.csv", "\xEF\xBB\xBF\"Ertrag; t/ha\";\"Tiefe, cm\"\r\n2,5;30\r\n3,75;45\r\n;\r\n",
       {}, kExitDone, {"    1       2.50        30.00", "    2       3.75        45.00"},
       {"Y = Ertrag; t/ha, X = Tiefe, cm\n"}},
      {"unicode.txt", Utf16("Y\tX\tZ\r\n1,5\t2\t3\r\n2\t4,25\t-\r\n2,5\t6\t7,5\r\n"), {},
       kExitDone,
       {"    1       1.50         2.00         3.00", "    2       2.50         6.00         7.50"},
       {"Y = Y, X = X, Z = Z\n", "(line 3)"}},
      {"mac.csv", "y,x\r1,2\r3,4\r5,6\r", {}, kExitDone,
       {"    1       1.00         2.00", "    2       3.00         4.00", "    3       5.00         6.00"},
       {"Y = y, X = x\n"}},
      {"named.csv", "plot,w,Y,X\nA,2,1.5,10\nB,,2.5,20\nC,1,3.5,30\n",
       {"--y", "Y", "--x", "X", "--weight", "w"}, kExitDone,
       {"    1       1.50        10.00           2", "    2       3.50        30.00           1"},
       {"Y = Y, X = X, weight = w\n", "1 row with a missing value left out (line 3)\n"}},
      {"strict.csv", "Y,X\n1,2\n-,3\n", {"--strict"}, kExitUsage, {},
       {"line 3: the value in column 1 (Y) is missing (\"-\"), and --strict accepts no missing "
        "values\n"}},
      {"mixed.csv", "Y;X\n2,5;1\n3.5;4\n", {}, kExitUsage, {},
       {"line 3: \"3.5\" in column 1 (Y) has a decimal point, but line 2 has \"2,5\""}},
      {"weights.csv", "Y,X,weight\n1,2,1\n3,4,1.5\n", {}, kExitUsage, {},
       {"line 3: the weight factor \"1.5\" in column 3 (weight) is not a whole number\n"}},
      {"book.xlsx.csv", "PK\x03\x04\x14\0\x06\0\x08\0\0\0!\0[Content_Types].xml"s, {}, kExitUsage,
       {}, {"\"\nit holds NUL bytes, so it is not a text file\n"}},
      {"unclosed.csv", "Y,X\n1,2\n\"3,4\n5,6\n", {}, kExitUsage, {},
       {"line 3: a quotation mark opens a field that is never closed\n"}},
      {"six-columns.csv", "a,b,c,d,e,f\n1,2,3,4,5,6\n", {}, kExitUsage, {},
       {"found 6 columns (1 \"a\", 2 \"b\", 3 \"c\", 4 \"d\", 5 \"e\", 6 \"f\"), more than "
        "Y, X and Z; choose them with --y COL --x COL [--z COL] [--weight COL], for instance "
        "--y a --x b\n"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    const fs::path table = dir / c.name;
    WriteFileBytes(table, c.bytes);
    const auto before = Snapshot(dir.path());
    Batch b;
    // Not quiet: the columns used and the rows left out are notes, which --quiet leaves out.
    std::vector<std::string> args = {table.string()};
    args.insert(args.end(), c.args.begin(), c.args.end());
    EXPECT_EQ(b.Run(args), c.exit) << b.err;
    EXPECT_EQ(ReadFileBytes(table), c.bytes);
    EXPECT_EQ(b.err.find('\0'), std::string::npos);
    for (const std::string& text : c.said) EXPECT_NE(b.err.find(text), std::string::npos) << text;
    if (c.exit != kExitDone) {
      EXPECT_EQ(Snapshot(dir.path()), before);
      continue;
    }
    const auto lines = ReadLines(dir / (table.stem().string() + ".inp"));
    ASSERT_GE(lines.size(), 11u);
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 11, lines.end()), c.records);
  }
}

TEST(BatchCommand, ATableNeverOverwritesADifferentInputFile) {
  TempDir dir;
  WriteFileBytes(dir / "field.csv", kCsv);
  const std::string users =
      ReadFileBytes(fs::path(VORNAX_EXAMPLES_DIR) / "01-yield-watertable.inp");
  WriteFileBytes(dir / "field.inp", users);
  Batch b;
  EXPECT_EQ(b.Run({(dir / "field.csv").string(), "--quiet"}), kExitUsage);
  EXPECT_NE(b.err.find("vornax-batch: \"" + (dir / "field.inp").string() +
                       "\" already exists and holds other data; it is left as it is. Use "
                       "--overwrite to replace it, or --output-dir to write elsewhere.\n"),
            std::string::npos)
      << b.err;
  EXPECT_EQ(ReadFileBytes(dir / "field.inp"), users);
  EXPECT_FALSE(fs::exists(dir / "field.out"));
  EXPECT_TRUE(b.fakes.calls.empty());

  // Asked to, it is replaced.
  ASSERT_EQ(b.Run({(dir / "field.csv").string(), "--quiet", "--overwrite"}), kExitDone) << b.err;
  const std::string written = ReadFileBytes(dir / "field.inp");
  EXPECT_NE(written.find("    3       3.75        60.00\r\n"), std::string::npos);

  // The same data again: the file is left exactly as it is, even with titles edited by hand.
  std::string edited = written;
  edited.replace(0, edited.find("\r\n"), "Trial 7, my own title");
  WriteFileBytes(dir / "field.inp", edited);
  ASSERT_EQ(b.Run({(dir / "field.csv").string(), "--quiet"}), kExitDone) << b.err;
  EXPECT_EQ(ReadFileBytes(dir / "field.inp"), edited);

  // One value differs: refused again.
  WriteFileBytes(dir / "field.csv", "depth,yield\n1.5,30\n2.5,40\n3.75,60.5\n");
  EXPECT_EQ(b.Run({(dir / "field.csv").string(), "--quiet"}), kExitUsage);
  EXPECT_EQ(ReadFileBytes(dir / "field.inp"), edited);

  // An input file run into another folder is guarded the same way.
  fs::create_directory(dir / "results");
  fs::copy_file(fs::path(VORNAX_EXAMPLES_DIR) / "03-cane-salinity-weighted.inp",
                dir / "cane.inp");
  WriteFileBytes(dir / "results" / "cane.inp", users);
  EXPECT_EQ(b.Run({(dir / "cane.inp").string(), "-o", (dir / "results").string()}), kExitUsage);
  EXPECT_EQ(ReadFileBytes(dir / "results" / "cane.inp"), users);
}

TEST(BatchCommand, AnInputFileCutShortIsRefused) {
  TempDir dir;
  const std::string whole =
      ReadFileBytes(fs::path(VORNAX_EXAMPLES_DIR) / "01-yield-watertable.inp");
  WriteFileBytes(dir / "cut.inp", whole.substr(0, 896));
  Batch b;
  EXPECT_EQ(b.Run({(dir / "cut.inp").string()}), kExitUsage);
  EXPECT_EQ(b.err, "The inputfile \"" + (dir / "cut.inp").string() +
                       "\" announces 36 data sets on line 5, but its records hold only 16. The "
                       "file may be incomplete; restore it, or correct line 5.\n");
  EXPECT_EQ(ReadFileBytes(dir / "cut.inp"), whole.substr(0, 896));
  EXPECT_FALSE(fs::exists(dir / "cut.out"));
  EXPECT_TRUE(b.fakes.calls.empty());
}

// With the real analysis: X spans 0.0005, less than the 0.001 the search needs. Data unfit for
// the analysis are bad input (status 2), and leave no input file written from the table.
TEST(BatchCommand, ARefusalSaysWhichReportsWentAndWhyXDidNotVary) {
  TempDir dir;
  WriteFileBytes(dir / "tiny.csv", "Y,X\n1,1.0000\n2,1.0002\n3,1.0005\n4,1.0001\n");
  WriteFileBytes(dir / "tiny.out",
                 " Results of program Vornax for the segmented linear regression of Y upon X.\r\n"
                 " Y is the dependent variable.\r\n");
  WriteFileBytes(dir / "tiny.var", " Variance Analysis, ANOVA table, Regression Type: 1\r\n");
  const std::string path = (dir / "tiny.csv").string();
  std::vector<const char*> argv = {"vornax-batch", path.c_str(), "--quiet"};
  std::ostringstream out, err;
  EXPECT_EQ(RunBatch(static_cast<int>(argv.size()), argv.data(), out, err), kExitUsage);
  // --quiet: the errors only, without the note of the columns used.
  EXPECT_EQ(err.str(),
            "The database is not fit for regression analysis. There is no variation in "
            "X-values. Please correct the input file.\n"
            "Removed \"" + (dir / "tiny.out").string() + "\" and \"" +
                (dir / "tiny.var").string() +
                "\" of an earlier run, which did not describe these data.\n"
                "X varies by less than 0.001: express X in smaller units and run again\n");
  EXPECT_FALSE(fs::exists(dir / "tiny.out"));
  EXPECT_FALSE(fs::exists(dir / "tiny.inp"));
  EXPECT_EQ(out.str(), "");

  // Two variables, Z the one that hardly varies (by 0.0003).
  WriteFileBytes(dir / "two.csv", "Y,X,Z\n1,1,2.0000\n2,2,2.0003\n3,3,2.0001\n4,4,2.0002\n");
  const std::string two = (dir / "two.csv").string();
  std::vector<const char*> argvTwo = {"vornax-batch", two.c_str(), "--quiet"};
  std::ostringstream outTwo, errTwo;
  EXPECT_EQ(RunBatch(static_cast<int>(argvTwo.size()), argvTwo.data(), outTwo, errTwo),
            kExitUsage);
  EXPECT_EQ(errTwo.str(),
            "The database is not fit for regression analysis. There is no variation in X or "
            "Z-values. Please correct the input file.\n"
            "Z varies by less than 0.001: express Z in smaller units and run again\n");

  // Values that do not vary at all: the message says so already.
  WriteFileBytes(dir / "flat.csv", "Y,X\n1,5\n2,5\n3,5\n");
  const std::string flat = (dir / "flat.csv").string();
  std::vector<const char*> argv2 = {"vornax-batch", flat.c_str(), "--quiet"};
  std::ostringstream out2, err2;
  EXPECT_EQ(RunBatch(static_cast<int>(argv2.size()), argv2.data(), out2, err2), kExitUsage);
  EXPECT_EQ(err2.str(),
            "The database is not fit for regression analysis. There is no variation in "
            "X-values. Please correct the input file.\n");
}

TEST(BatchCommand, FilesThatCannotBeReadOrWrittenGiveTheSystemsReason) {
  TempDir dir;
  WriteFileBytes(dir / "field.csv", kCsv);
  Batch b;
  // A folder where nothing can be written: as root the permissions do not hold, /proc does.
  fs::path locked = dir / "locked";
  fs::create_directory(locked);
  fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec);
  if (::geteuid() == 0) locked = "/proc";
  EXPECT_EQ(b.Run({(dir / "field.csv").string(), "-o", locked.string()}), kExitUsage);
  const std::string head = "vornax-batch: cannot write into the folder \"" + locked.string() + "\"\n";
  ASSERT_EQ(b.err.substr(0, head.size()), head) << b.err;
  EXPECT_GT(b.err.size(), head.size() + 1);  // the reason, on a line of its own
  EXPECT_TRUE(b.fakes.calls.empty());
  fs::permissions(dir / "locked", fs::perms::owner_all);

  EXPECT_EQ(b.Run({(dir / "field.csv").string(), "-o", (dir / "field.csv" / "sub").string()}),
            kExitUsage);
  EXPECT_EQ(b.err, "vornax-batch: cannot make the folder \"" +
                       (dir / "field.csv" / "sub").string() + "\"\nNot a directory\n");
  EXPECT_EQ(b.Run({dir.path().string()}), kExitUsage);
  EXPECT_EQ(b.err, "vornax-batch: cannot read \"" + dir.path().string() + "\"\nIs a directory\n");

  // The real analysis, whose report cannot take its place (a folder of that name is in the
  // way): status 2, not the 1 of data refused.
  WriteFileBytes(dir / "ramp.csv", "Y,X\n1,1\n2,2\n3,3\n4,4\n5,5\n6,6\n");
  fs::create_directory(dir / "ramp.out");
  WriteFileBytes(dir / "ramp.out" / "keep", "x");
  const std::string ramp = (dir / "ramp.csv").string();
  std::vector<const char*> argv = {"vornax-batch", ramp.c_str(), "--quiet"};
  std::ostringstream out, err;
  EXPECT_EQ(RunBatch(static_cast<int>(argv.size()), argv.data(), out, err), kExitUsage);
  // Found before the work.
  EXPECT_EQ(err.str(), "vornax-batch: cannot write \"" + (dir / "ramp.out").string() +
                           "\": a folder of that name is in the way\nIs a directory\n");
  EXPECT_EQ(ReadFileBytes(dir / "ramp.out" / "keep"), "x");
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
  WriteFileBytes(dir / "few.json", "{\n  \"program\": \"vornax\",\n  \"format\": 1\n}\n");
  std::tie(code, out, err) =
      run({(dir / "few.csv").string(), "--json", (dir / "few.json").string()});
  EXPECT_EQ(code, kExitUsage);
  EXPECT_FALSE(fs::exists(dir / "few.json"));
  EXPECT_NE(err.find("removed the results of an earlier run, \"" + (dir / "few.json").string() + "\""),
            std::string::npos)
      << err;
}

}  // namespace
}  // namespace vornax::batch
