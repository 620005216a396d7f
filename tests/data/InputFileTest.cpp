// The input file: the four layouts written line by line and read back, token reading, the
// weight and Z columns, the record count, lossless reals, and refused files that leave the data
// set as it was.
#include "data/InputFile.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>

#include "support/TestSupport.h"

namespace vornax {
namespace {

using test::ReadLines;
using test::RecordingDialogs;
using test::TempDir;

// Three data sets entered by hand; weights 1, 3, 2.
TDMVornax ThreeDataSets(const std::string& path, int nrOfVar, bool singleIsZ = false) {
  TDMVornax d;
  d.FileName = path;
  d.Title1 = "Yield trial";
  d.Title2 = "Y t/ha, X cm";
  d.NrOfVar = d.NrOfVarInData = nrOfVar;
  d.SingleIsZ = singleIsZ;
  d.SingleIsX = !singleIsZ;
  d.SerialNr = {1, 2, 3};
  d.YData = {4.5L, 3.0L, 12.0L};
  d.XData = {12.25L, 1.0L, 7.5L};
  // Values enter the arrays as 64-bit numbers, widened.
  d.ZData = {static_cast<long double>(0.8), 2.0L, 1.25L};
  d.WeightFactor = {1, 3, 2};
  d.NrOfData = 3;
  d.GridRowCount = 3;
  return d;
}

struct Layout {
  int nrOfVar;
  bool weights;
  std::vector<std::string> lines;  // lines 6 onward
};

TEST(InputFile, FourLayoutsAreWrittenExactlyAndReadBack) {
  const std::vector<Layout> layouts = {
      {1, false,
       {"", "", "          Dependent    independent", "Serial    variable     variable",
        "number    Y            X", std::string(34, '-'), "    1       4.50        12.25",
        "    2       3.00         1.00", "    3      12.00         7.50"}},
      {2, false,
       {"", "                       First          Second",
        "          Dependent    independent    independent",
        "Serial    variable     variable       variable", "number    Y            X              Z",
        std::string(49, '-'), "    1       4.50        12.25         0.80",
        "    2       3.00         1.00         2.00", "    3      12.00         7.50         1.25"}},
      {1, true,
       {"", "", "          Dependent    independent     weight",
        "Serial    variable     variable        factor", "number    Y            X",
        std::string(45, '-'), "    1       4.50        12.25           1",
        "    2       3.00         1.00           3", "    3      12.00         7.50           2"}},
      {2, true,
       {"", "                       First          Second",
        "          Dependent    independent    independent     weight",
        "Serial    variable     variable       variable        factor",
        "number    Y            X              Z", std::string(60, '-'),
        "    1       4.50        12.25         0.80           1",
        "    2       3.00         1.00         2.00           3",
        "    3      12.00         7.50         1.25           2"}},
  };
  for (const Layout& layout : layouts) {
    SCOPED_TRACE(std::to_string(layout.nrOfVar) + (layout.weights ? " with weights" : ""));
    TempDir dir;
    const std::string path = (dir / "trial.inp").string();
    TDMVornax written = ThreeDataSets(path, layout.nrOfVar);
    RunOptions options;
    options.WeightsUsed = layout.weights;
    RecordingDialogs dialogs;
    ASSERT_TRUE(WriteInputFile(written, options, dialogs));
    EXPECT_TRUE(dialogs.events.empty());

    std::vector<std::string> expected = {"Yield trial", "Y t/ha, X cm", " File name:  " + path,
                                         " Number of independent variables:  " +
                                             std::to_string(layout.nrOfVar),
                                         " Number of data sets:  3"};
    expected.insert(expected.end(), layout.lines.begin(), layout.lines.end());
    EXPECT_EQ(ReadLines(path), expected);
    // Every line ends in CR LF.
    const std::string bytes = test::ReadFileBytes(path);
    EXPECT_EQ(bytes.substr(0, 13), "Yield trial\r\n");
    EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");

    TDMVornax read;
    read.FileName = path;
    RunOptions readOptions;
    ASSERT_TRUE(ReadInputFile(read, readOptions, dialogs));
    EXPECT_TRUE(dialogs.events.empty());
    EXPECT_EQ(read.Title1, "Yield trial");
    EXPECT_EQ(read.Title2, "Y t/ha, X cm");
    EXPECT_EQ(read.NrOfVar, layout.nrOfVar);
    EXPECT_EQ(read.NrOfVarInData, layout.nrOfVar);
    EXPECT_EQ(read.NrOfData, 3);
    EXPECT_EQ(read.GridRowCount, 3);
    EXPECT_EQ(read.SerialNr, (std::vector<int32_t>{1, 2, 3}));
    EXPECT_EQ(read.YData, written.YData);
    EXPECT_EQ(read.XData, written.XData);
    if (layout.nrOfVar == 2) {
      EXPECT_EQ(read.ZData, written.ZData);
    }
    EXPECT_EQ(readOptions.WeightsUsed, layout.weights);
    EXPECT_EQ(read.WeightFactor,
              layout.weights ? written.WeightFactor : std::vector<int32_t>({1, 1, 1}));
    EXPECT_TRUE(read.SingleIsX);
    EXPECT_FALSE(read.SingleIsZ);
    EXPECT_EQ(read.HeaderLines[2], layout.lines[2]);
  }
}

TEST(InputFile, RecordExampleWithTwoVariablesAndWeights) {
  const double z = 0.8;
  const int w = 2;
  EXPECT_EQ(InputRecordLine(7, 4.5, 12.25, &z, &w),
            "    7       4.50        12.25         0.80           2");
  EXPECT_EQ(InputRecordLine(7, 4.5, 12.25, nullptr, nullptr), "    7       4.50        12.25");
}

TEST(InputFile, RealsKeepEveryDecimalTheyNeedAndWideFieldsStaySeparate) {
  // 0.125 needs three decimals; 1e-7 seven; -0.5 two.
  EXPECT_EQ(InputRecordLine(1, 0.125, 1e-7, nullptr, nullptr), "    1      0.125    0.0000001");
  // Eight digits before the point widen Y; an X exactly 13 wide still gets a blank before it.
  EXPECT_EQ(InputRecordLine(2, 12345678.5, -123456789.25, nullptr, nullptr),
            "    2 12345678.50 -123456789.25");
  // Seventeen significant digits when fifteen would change the value.
  EXPECT_EQ(InputRecordLine(3, 0.30000000000000004, 1.0 / 3.0, nullptr, nullptr),
            "    3 0.30000000000000004 0.3333333333333333");

  TempDir dir;
  TDMVornax d = ThreeDataSets((dir / "wide.inp").string(), 1);
  d.YData = {12345678.5L, 0.125L, static_cast<long double>(0.30000000000000004)};
  d.XData = {-123456789.25L, static_cast<long double>(1e-7), static_cast<long double>(2.675)};
  RunOptions options;
  RecordingDialogs dialogs;
  ASSERT_TRUE(WriteInputFile(d, options, dialogs));
  TDMVornax back;
  back.FileName = d.FileName;
  ASSERT_TRUE(ReadInputFile(back, options, dialogs));
  EXPECT_EQ(back.YData, d.YData);
  EXPECT_EQ(back.XData, d.XData);
}

TEST(InputFile, WritesTheEnteredDataSetsWithTheExpandedCountOnLine5) {
  TempDir dir;
  TDMVornax d = ThreeDataSets((dir / "w.inp").string(), 1);
  // After weight expansion: the three as entered, then two copies of the second and one of the
  // third; the file keeps the three with their weights and says 6 on line 5.
  d.YData = {4.5L, 3.0L, 12.0L, 3.0L, 3.0L, 12.0L};
  d.XData = {12.25L, 1.0L, 7.5L, 1.0L, 1.0L, 7.5L};
  d.ZData.resize(6);
  d.SerialNr = {1, 2, 3, 0, 0, 0};
  d.WeightFactor = {1, 3, 2, 1, 1, 1};
  d.NrOfData = 6;
  RunOptions options;
  options.WeightsUsed = true;
  RecordingDialogs dialogs;
  ASSERT_TRUE(WriteInputFile(d, options, dialogs));
  auto lines = ReadLines(d.FileName);
  ASSERT_EQ(lines.size(), 14u);
  EXPECT_EQ(lines[4], " Number of data sets:  6");
  EXPECT_EQ(lines[13], "    3      12.00         7.50           2");
}

TEST(InputFile, AFileHoldingTheseBytesAlreadyIsLeftAsItIs) {
  // Told by the file's inode: a replacement is a new file.
  TempDir dir;
  TDMVornax d = ThreeDataSets((dir / "same.inp").string(), 1);
  RunOptions options;
  RecordingDialogs dialogs;
  ASSERT_TRUE(WriteInputFile(d, options, dialogs));
  const std::string written = test::ReadFileBytes(d.FileName);
  auto inode = [&] {
    struct stat st {};
    EXPECT_EQ(::stat(d.FileName.c_str(), &st), 0);
    return st.st_ino;
  };
  std::string digitChanged = written;
  digitChanged[digitChanged.size() - 5] ^= 1;
  struct Case {
    const char* name;
    std::string before;
    bool kept;
  };
  for (const Case& c : {Case{"the same bytes", written, true},
                        Case{"one byte differs", digitChanged, false},
                        Case{"a byte more", written + " ", false},
                        Case{"a byte less", written.substr(0, written.size() - 1), false}}) {
    SCOPED_TRACE(c.name);
    test::WriteFileBytes(d.FileName, c.before);
    const auto before = inode();
    ASSERT_TRUE(WriteInputFile(d, options, dialogs));
    EXPECT_EQ(test::ReadFileBytes(d.FileName), written);
    EXPECT_EQ(inode() == before, c.kept);
  }
  // A named pipe of that name is replaced, not waited on for a writer.
  std::filesystem::remove(d.FileName);
  ASSERT_EQ(::mkfifo(d.FileName.c_str(), 0644), 0);
  ASSERT_TRUE(WriteInputFile(d, options, dialogs));
  EXPECT_EQ(test::ReadFileBytes(d.FileName), written);
}

TEST(InputFile, SingleColumnTitledZ) {
  TempDir dir;
  TDMVornax d = ThreeDataSets((dir / "z.inp").string(), 1, /*singleIsZ=*/true);
  RunOptions options;
  RecordingDialogs dialogs;
  ASSERT_TRUE(WriteInputFile(d, options, dialogs));
  EXPECT_EQ(ReadLines(d.FileName)[9], "number    Y            Z");
  TDMVornax back;
  back.FileName = d.FileName;
  ASSERT_TRUE(ReadInputFile(back, options, dialogs));
  EXPECT_TRUE(back.SingleIsZ);
  EXPECT_FALSE(back.SingleIsX);
  EXPECT_EQ(back.XData, d.XData);  // the values stay in the X array
}

// A file written by hand: header lines as the program writes them, records as given.
std::string HandFile(const std::string& line5, const std::string& records, bool weights = false,
                     const std::string& line4 = " Number of independent variables:  1") {
  std::string s = "Title one\r\nTitle two\r\n File name:  x\r\n" + line4 + "\r\n" + line5 +
                  "\r\n\r\n\r\n";
  s += weights ? "          Dependent    independent     weight\r\n"
               : "          Dependent    independent\r\n";
  s += "Serial    variable     variable\r\nnumber    Y            X\r\n----\r\n";
  return s + records;
}

TEST(InputFile, RecordsAreReadAsTokens) {
  TempDir dir;
  const auto path = dir / "tokens.inp";
  // Fields out of their columns, a tab, LF-only line ends, a record running on over a line end,
  // trailing text, blank lines between and after records.
  test::WriteFileBytes(path, HandFile(" Number of data sets:  2",
                                      "1 2.5 3\n"
                                      "  2\t-1.5e1    4.25   remark ignored\n"
                                      "\n"
                                      "3 7\n"
                                      "   8.0\n"
                                      "\r\n  \r\n"));
  TDMVornax d;
  d.FileName = path.string();
  RunOptions options;
  RecordingDialogs dialogs;
  ASSERT_TRUE(ReadInputFile(d, options, dialogs));
  EXPECT_TRUE(dialogs.events.empty());
  EXPECT_EQ(d.NrOfData, 3);  // the records, not line 5, when they are more
  EXPECT_EQ(d.YData, (std::vector<long double>{2.5L, -15.0L, 7.0L}));
  EXPECT_EQ(d.XData, (std::vector<long double>{3.0L, 4.25L, 8.0L}));
  EXPECT_EQ(d.WeightFactor, (std::vector<int32_t>{1, 1, 1}));
  // Read as the nearest 64-bit value, then widened.
  test::WriteFileBytes(path, HandFile(" Number of data sets:  1", "1 0.1 2\r\n"));
  ASSERT_TRUE(ReadInputFile(d, options, dialogs));
  EXPECT_EQ(d.YData[0], static_cast<long double>(0.1));
}

TEST(InputFile, WeightColumnSwitchesWeightsOnAndItsAbsenceLeavesTheOption) {
  TempDir dir;
  const auto path = dir / "w.inp";
  test::WriteFileBytes(path, HandFile(" Number of data sets:  2", "1 2 3 4\r\n2 5 6 1\r\n", true));
  TDMVornax d;
  d.FileName = path.string();
  RunOptions options;
  RecordingDialogs dialogs;
  ASSERT_TRUE(ReadInputFile(d, options, dialogs));
  EXPECT_TRUE(options.WeightsUsed);
  EXPECT_EQ(d.WeightFactor, (std::vector<int32_t>{4, 1}));
  // Without a weight column a fourth number is just trailing text.
  test::WriteFileBytes(path, HandFile(" Number of data sets:  2", "1 2 3 4\r\n2 5 6 1\r\n"));
  ASSERT_TRUE(ReadInputFile(d, options, dialogs));
  EXPECT_TRUE(options.WeightsUsed);
  EXPECT_EQ(d.WeightFactor, (std::vector<int32_t>{1, 1}));
}

// The data set before a refused read, compared field by field.
void ExpectUnchanged(const TDMVornax& d, const TDMVornax& before) {
  EXPECT_EQ(d.Title1, before.Title1);
  EXPECT_EQ(d.NrOfData, before.NrOfData);
  EXPECT_EQ(d.NrOfVar, before.NrOfVar);
  EXPECT_EQ(d.YData, before.YData);
  EXPECT_EQ(d.XData, before.XData);
  EXPECT_EQ(d.WeightFactor, before.WeightFactor);
  EXPECT_EQ(d.HeaderLines, before.HeaderLines);
}

TEST(InputFile, CorruptAndTruncatedFilesAreRefusedAndChangeNothing) {
  struct Case {
    std::string bytes;
    std::string message;  // after the path
  };
  TempDir dir;
  const auto path = dir / "bad.inp";
  const std::string p = path.string();
  const std::string corrupt = "A program error occurred.Real numbers in the inputfile \"" + p +
                              "\" are corrupt";
  const std::vector<Case> cases = {
      {HandFile(" Number of data sets:  2", "1 2 3\r\n2 abc 4\r\n"), corrupt + " (line 13, column 3: \"abc\")"},
      {HandFile(" Number of data sets:  2", "1 2 3\r\n2 nan 4\r\n"), corrupt + " (line 13, column 3: \"nan\")"},
      {HandFile(" Number of data sets:  2", "1 inf 3\r\n"), corrupt + " (line 12, column 3: \"inf\")"},
      {HandFile(" Number of data sets:  2", "1 2 0x1p3\r\n"), corrupt + " (line 12, column 5: \"0x1p3\")"},
      {HandFile(" Number of data sets:  2", "1 2 1e999\r\n"), corrupt + " (line 12, column 5: \"1e999\")"},
      {HandFile(" Number of data sets:  2", "1.5 2 3\r\n"), corrupt + " (line 12, column 1: \"1.5\")"},
      {HandFile(" Number of data sets:  2", "1 2 3\r\n2 5"),
       corrupt + " (line 13: the record is incomplete)"},
      {HandFile(" Number of data sets:  2", "1 2 3 2.5\r\n", true), corrupt + " (line 12, column 7: \"2.5\")"},
      {"Title one\r\nTitle two\r\n File name:  x\r\n", corrupt + " (the file ends after line 3)"},
      {"", corrupt + " (the file ends after line 0)"},
      {HandFile(" Number of data sets:  x", "1 2 3\r\n"),
       "Invalid numeric input (line 5, column 24 of the inputfile \"" + p + "\")"},
      {HandFile(" Number of data sets:  2", "1 2 3\r\n", false, " Number of independent variables:  one"),
       "Invalid numeric input (line 4, column 36 of the inputfile \"" + p + "\")"},
      {HandFile(" Number of data sets:  2", "1 2 3\r\n", false, " Number of independent variables:  3"),
       "Invalid numeric input (line 4, column 36 of the inputfile \"" + p + "\")"},
      {HandFile(" Number of data", "1 2 3\r\n"),
       "Invalid numeric input (line 5, column 23 of the inputfile \"" + p + "\")"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    test::WriteFileBytes(path, c.bytes);
    TDMVornax d;
    d.ResetToStartup();
    d.FileName = p;
    d.Title1 = "kept";
    d.YData[0] = 42;
    const TDMVornax before = d;
    RunOptions options;
    RecordingDialogs dialogs;
    EXPECT_FALSE(ReadInputFile(d, options, dialogs));
    EXPECT_EQ(dialogs.Messages(), std::vector<std::string>{c.message});
    ExpectUnchanged(d, before);
    EXPECT_FALSE(options.WeightsUsed);
  }
}

TEST(InputFile, AFileCutShortIsRefusedNotMisread) {
  TempDir dir;
  const auto path = dir / "cut.inp";
  const std::string p = path.string();
  auto read = [&](const std::string& bytes, RecordingDialogs& dialogs) {
    test::WriteFileBytes(path, bytes);
    TDMVornax d;
    d.ResetToStartup();
    d.FileName = p;
    const TDMVornax before = d;
    RunOptions options;
    const bool ok = ReadInputFile(d, options, dialogs);
    if (!ok) ExpectUnchanged(d, before);
    return ok ? d.NrOfData : -1;
  };

  // The first shipped example cut after 896 bytes: 16 of its 36 records are left, the last one
  // cut inside its X value (76 read as 7).
  const std::string whole =
      test::ReadFileBytes(std::filesystem::path(VORNAX_EXAMPLES_DIR) / "01-yield-watertable.inp");
  ASSERT_GT(whole.size(), 896u);
  {
    RecordingDialogs dialogs;
    EXPECT_EQ(read(whole.substr(0, 896), dialogs), -1);
    EXPECT_EQ(dialogs.Messages(),
              std::vector<std::string>{
                  "The inputfile \"" + p +
                  "\" announces 36 data sets on line 5, but its records hold only 16. The file "
                  "may be incomplete; restore it, or correct line 5."});
  }
  // Line 5 counts each record by its weight factor: 1 + 3 + 2 = 6 is whole, 7 is not.
  const std::string weighted = "1 2 3 1\r\n2 5 6 3\r\n3 8 9 2\r\n";
  {
    RecordingDialogs dialogs;
    EXPECT_EQ(read(HandFile(" Number of data sets:  6", weighted, true), dialogs), 3);
    EXPECT_TRUE(dialogs.events.empty());
    EXPECT_EQ(read(HandFile(" Number of data sets:  7", weighted, true), dialogs), -1);
    ASSERT_EQ(dialogs.Messages().size(), 1u);
    EXPECT_NE(dialogs.Messages()[0].find("announces 7 data sets on line 5, but its records hold "
                                         "only 6."),
              std::string::npos);
  }
  // Cut inside the last number with the count still right: the program writes two decimals and
  // ends every line, so "2" or "28.0" at the very end has lost digits; "28.00" has not.
  const std::string first = "    1       2.00        22.00\r\n";
  for (const std::string tail : {"    2       2.41        2", "    2       2.41        28.0"}) {
    SCOPED_TRACE(tail);
    RecordingDialogs dialogs;
    EXPECT_EQ(read(HandFile(" Number of data sets:  2", first + tail), dialogs), -1);
    const std::string last = tail.substr(tail.rfind(' ') + 1);
    EXPECT_EQ(dialogs.Messages(),
              std::vector<std::string>{"The inputfile \"" + p +
                                       "\" ends in the middle of line 13 (\"" + last +
                                       "\"): the last record may be cut short. If it is "
                                       "complete, end the line with a line end and run again."});
  }
  RecordingDialogs dialogs;
  EXPECT_EQ(read(HandFile(" Number of data sets:  2", first + "    2       2.41        28.00"),
                 dialogs),
            2);
  EXPECT_EQ(read(HandFile(" Number of data sets:  2", first + "    2       2.41        2\r\n"),
                 dialogs),
            2);  // ended by its line end: a hand-written whole number
  EXPECT_TRUE(dialogs.events.empty());
}

TEST(InputFile, Utf16AndOldMacLineEndsReadAsTheSameData) {
  TempDir dir;
  const std::string plain = HandFile(" Number of data sets:  2", "1 2.5 3\r\n2 4 5.75\r\n");
  std::string mac = plain;
  for (size_t at = mac.find("\r\n"); at != std::string::npos; at = mac.find("\r\n", at + 1)) {
    mac.erase(at + 1, 1);
  }
  std::string utf16 = "\xFF\xFE";
  for (char c : plain) {
    utf16.push_back(c);
    utf16.push_back('\0');
  }
  for (const std::string& bytes : {plain, mac, utf16}) {
    test::WriteFileBytes(dir / "a.inp", bytes);
    TDMVornax d;
    d.FileName = (dir / "a.inp").string();
    RunOptions options;
    RecordingDialogs dialogs;
    ASSERT_TRUE(ReadInputFile(d, options, dialogs));
    EXPECT_EQ(d.Title1, "Title one");
    EXPECT_EQ(d.YData, (std::vector<long double>{2.5L, 4.0L}));
    EXPECT_EQ(d.XData, (std::vector<long double>{3.0L, 5.75L}));
  }
  // Bytes that are not text: the open message and the reason, never the bytes themselves.
  test::WriteFileBytes(dir / "a.inp", std::string("PK\x03\x04\0\0\0\0", 8));
  TDMVornax d;
  d.FileName = (dir / "a.inp").string();
  RunOptions options;
  RecordingDialogs dialogs;
  EXPECT_FALSE(ReadInputFile(d, options, dialogs));
  EXPECT_EQ(dialogs.Messages(),
            std::vector<std::string>{InputFileOpenMessage(d.FileName) +
                                     "\nit holds NUL bytes, so it is not a text file"});
}

TEST(InputFile, UnopenableFilesGiveTheOpenMessage) {
  TempDir dir;
  const std::string missing = (dir / "missing.inp").string();
  const std::string message = "The file \"" + missing +
                              "\"could not be opened. It may be in use by another program,  or "
                              "the programmer should incorporate more time.";
  TDMVornax d;
  d.ResetToStartup();
  d.FileName = missing;
  RunOptions options;
  RecordingDialogs dialogs;
  EXPECT_FALSE(ReadInputFile(d, options, dialogs));
  EXPECT_EQ(d.NrOfData, 15);

  // Writing into a folder that does not exist fails with the same message.
  d.FileName = (dir / "no-such-folder" / "x.inp").string();
  EXPECT_FALSE(WriteInputFile(d, options, dialogs));
  const std::string writeMessage = "The file \"" + d.FileName +
                                   "\"could not be opened. It may be in use by another "
                                   "program,  or the programmer should incorporate more time.";
  // The system's reason follows on a line of its own.
  EXPECT_EQ(dialogs.Messages(),
            (std::vector<std::string>{message + "\nNo such file or directory",
                                      writeMessage + "\nNo such file or directory"}));
}

TEST(InputFile, TitlesWithLineEndsStayOnTheirLines) {
  TempDir dir;
  TDMVornax d = ThreeDataSets((dir / "t.inp").string(), 1);
  d.Title1 = "two\r\nlines";
  RunOptions options;
  RecordingDialogs dialogs;
  ASSERT_TRUE(WriteInputFile(d, options, dialogs));
  TDMVornax back;
  back.FileName = d.FileName;
  ASSERT_TRUE(ReadInputFile(back, options, dialogs));
  EXPECT_EQ(back.Title1, "two  lines");
  EXPECT_EQ(back.NrOfData, 3);
}

TEST(InputFile, ShippedExamplesRead) {
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(VORNAX_EXAMPLES_DIR)) {
    if (entry.path().extension() != ".inp") continue;
    SCOPED_TRACE(entry.path().string());
    ++files;
    TDMVornax d;
    d.FileName = entry.path().string();
    RunOptions options;
    RecordingDialogs dialogs;
    ASSERT_TRUE(ReadInputFile(d, options, dialogs));
    EXPECT_TRUE(dialogs.events.empty());
    EXPECT_GE(d.NrOfData, 20);
  }
  EXPECT_GE(files, 4);
}

}  // namespace
}  // namespace vornax
