// Reading reports and ANOVA tables back: the two open messages, the rule for files of fewer than
// two lines, and the kind codes of curve outputs.
#include "data/OutputFile.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/TestSupport.h"

namespace vornax {
namespace {

using test::RecordingDialogs;
using test::TempDir;
using test::WriteFileBytes;

TEST(OutputFile, ReadsEveryLine) {
  TempDir dir;
  const auto out = dir / "r.out";
  WriteFileBytes(out, " Results\r\n\r\n   1.23E+003\r\n");
  TDMVornax d;
  d.FileName = out.string();
  RecordingDialogs dialogs;
  ASSERT_TRUE(ReadTextFile(d, out, ".out", dialogs));
  EXPECT_EQ(d.OutputLines, (std::vector<std::string>{" Results", "", "   1.23E+003"}));
  EXPECT_EQ(d.OutputLineCount(), 3);
  EXPECT_TRUE(dialogs.events.empty());
}

TEST(OutputFile, MissingFilesGiveTheirMessagesAndKeepTheLines) {
  TempDir dir;
  TDMVornax d;
  d.OutputLines = {"shown before"};
  RecordingDialogs dialogs;
  const std::string out = (dir / "gone.out").string();
  const std::string var = (dir / "gone.var").string();
  EXPECT_FALSE(ReadTextFile(d, out, ".out", dialogs));
  EXPECT_FALSE(ReadTextFile(d, var, ".var", dialogs));
  EXPECT_EQ(dialogs.Messages(),
            (std::vector<std::string>{
                "The file \"" + out +
                    "\"could not be opened. It may be damaged or in use by another program."
                    "\nNo such file or directory",
                "The anova file \"" + var +
                    "\"could not be found. Please go to the input tabsheet and run the program "
                    "again to create it."}));
  EXPECT_EQ(d.OutputLines, std::vector<std::string>{"shown before"});
}

TEST(OutputFile, FewerThanTwoLinesIsNoReportAndNothingIsDeleted) {
  for (const std::string& content : {std::string(), std::string(" only one line\r\n")}) {
    TempDir dir;
    const auto out = dir / "short.out";
    const auto var = dir / "short.var";
    WriteFileBytes(out, content);
    WriteFileBytes(var, "anova\r\nlines\r\n");
    TDMVornax d;
    d.FileName = out.string();
    d.OutputLines = {"shown before", "report"};
    RecordingDialogs dialogs;
    EXPECT_FALSE(ReadTextFile(d, out, ".out", dialogs));
    EXPECT_EQ(dialogs.Messages(),
              std::vector<std::string>{" The output file is invalid due to inadequate input data"});
    EXPECT_TRUE(std::filesystem::exists(out));
    EXPECT_TRUE(std::filesystem::exists(var));
    EXPECT_EQ(d.FileName, out.string());
    EXPECT_EQ(d.OutputLines, (std::vector<std::string>{"shown before", "report"}));
  }
}

TEST(OutputFile, ARunsOwnEmptyOutputIsRemovedWithItsAnovaFile) {
  TempDir dir;
  const auto out = dir / "run.out";
  const auto var = dir / "run.var";
  WriteFileBytes(out, "x\r\n");
  WriteFileBytes(var, "anova\r\n");
  TDMVornax d;
  EXPECT_TRUE(RemoveInvalidRunOutput(d, out));
  EXPECT_FALSE(std::filesystem::exists(out));
  EXPECT_FALSE(std::filesystem::exists(var));
  EXPECT_EQ(d.FileName, var.string());
}

TEST(OutputFile, AShortAnovaFileIsReportedAndKept) {
  TempDir dir;
  const auto out = dir / "r.out";
  const auto var = dir / "r.var";
  WriteFileBytes(out, "report\r\nlines\r\n");
  WriteFileBytes(var, "\r\n");
  TDMVornax d;
  d.FileName = out.string();
  RecordingDialogs dialogs;
  EXPECT_FALSE(ReadTextFile(d, var, ".var", dialogs));
  EXPECT_TRUE(std::filesystem::exists(out));
  EXPECT_TRUE(std::filesystem::exists(var));
}

TEST(OutputFile, KindCodeFromLineTwoOrThree) {
  TempDir dir;
  const auto out = dir / "k.out";
  TDMVornax d;
  d.FileName = out.string();
  RecordingDialogs dialogs;
  WriteFileBytes(out, " Results\r\n Gumbel curve\r\n Third\r\n");
  ASSERT_TRUE(ReadOutputKind(d, dialogs));
  EXPECT_EQ(d.OutputKind, " Gum");
  for (const char* code : {" Nam", " Thi", " Inv", " Out", " Fil", " Fis"}) {
    WriteFileBytes(out, std::string(" R\r\n") + code + "xx\r\n Third\r\n");
    ASSERT_TRUE(ReadOutputKind(d, dialogs));
    EXPECT_EQ(d.OutputKind, code);
  }
  WriteFileBytes(out, " Results of program\r\n Y is the dependent variable.\r\n Partial\r\n");
  ASSERT_TRUE(ReadOutputKind(d, dialogs));
  EXPECT_EQ(d.OutputKind, " Par");
  WriteFileBytes(out, " Results\r\n Gu\r\n");  // too short on both lines
  ASSERT_TRUE(ReadOutputKind(d, dialogs));
  EXPECT_EQ(d.OutputKind, "");
  EXPECT_TRUE(dialogs.events.empty());
  d.FileName = (dir / "none.out").string();
  EXPECT_FALSE(ReadOutputKind(d, dialogs));
  EXPECT_EQ(dialogs.Messages().size(), 1u);
}

TEST(OutputFile, OnlyReportsOfThisProgramAreReports) {
  const std::string path = "/d/a.out";
  const std::string file = "\"" + path + "\" ";
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      // The first lines of each kind of report.
      {{" Results of program Vornax for the segmented linear regression of Y upon X.",
        " Y is the dependent variable.", " There can be different types"}, ""},
      {{" Results of program VORNAX2 for the segmented linear regression of",
        " Y upon X and Z with X-breakpoint BP1", " The regression sequences are either:"}, ""},
      {{" Results of program Lumitor for partial linear regression of Y upon X.",
        " The dependent variable is Y.", " THIS LUMITOR PROGRAM DETECTS"}, ""},
      {{" Results of program Ondulex for the Fisk regression.", " Fisk S-curve file name: a"}, ""},
      {{" Results of program VornaxA for the cubic regression of Y upon X.", " This file: a"}, ""},
      // An ANOVA table and an input file carry " Fil" where a logistic report has its code.
      {{" Variance Analysis, ANOVA table, Regression Type: 1", " File Name : a.var"},
       file + "is an ANOVA table, not a report. Open the report (\".out\") and use \"Anova table\"."},
      {{"Wheat", "Yield and depth", " File name:  a.inp", " Number of independent variables:  1"},
       file + "is an input file, not a report. Open it with \"Open input\"."},
      {{" Results of program", " anything", " else"},
       file + "is not a report of this program. Open an output file (\".out\") written by "
              "\"Save-Calculate\"."},
  };
  for (const auto& [lines, reason] : cases) {
    EXPECT_EQ(NotAReportReason(lines, path), reason) << lines[0];
  }
}

}  // namespace
}  // namespace vornax
