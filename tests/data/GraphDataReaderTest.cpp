// Reading the reports of every analysis back into graph data: the golden reports (computed
// outside this program), the kind codes, damaged and foreign files.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "data/GraphDataReader.h"
#include "data/TextFile.h"
#include "support/TestSupport.h"

namespace vornax {
namespace {

using test::RecordingDialogs;
using test::TempDir;

std::vector<std::string> Golden(const std::string& name) {
  auto lines = ReadTextLines(std::filesystem::path(VORNAX_GOLDEN_DIR) / name);
  EXPECT_TRUE(lines.has_value()) << name;
  return lines ? *lines : std::vector<std::string>{};
}

TEST(GraphKindCodes, OneMapForEveryReaderCaseSensitive) {
  EXPECT_EQ(CurveKindOfCode(" Nam"), CurveKind::Quadratic);
  EXPECT_EQ(CurveKindOfCode(" Thi"), CurveKind::Cubic);
  EXPECT_EQ(CurveKindOfCode(" Out"), CurveKind::Power);
  EXPECT_EQ(CurveKindOfCode(" Fil"), CurveKind::Logistic);
  EXPECT_EQ(CurveKindOfCode(" Gum"), CurveKind::Gumbel);
  EXPECT_EQ(CurveKindOfCode(" Inv"), CurveKind::InvertedGumbel);
  EXPECT_EQ(CurveKindOfCode(" Fis"), CurveKind::Fisk);
  // The reader-side tags of the curves are not kind codes.
  EXPECT_FALSE(CurveKindOfCode(" Qua").has_value());
  EXPECT_FALSE(CurveKindOfCode(" Scu").has_value());
  EXPECT_EQ(OutputFamilyOf(" Thi"), OutputFamily::Curve);
  EXPECT_EQ(OutputFamilyOf(" THI"), OutputFamily::Partial);
  EXPECT_EQ(OutputFamilyOf(" The"), OutputFamily::Segmented);
  EXPECT_EQ(OutputFamilyOf(" thi"), OutputFamily::Unknown);
}

TEST(GraphKindCodes, ConfidenceFactorAndTitles) {
  EXPECT_EQ(ConfidenceTFromPercent(90), 1.75);
  EXPECT_EQ(ConfidenceTFromPercent(90.9), 1.75);
  EXPECT_EQ(ConfidenceTFromPercent(91), 2.1);
  EXPECT_EQ(ConfidenceTFromPercent(95), 2.1);
  EXPECT_EQ(ConfidenceTFromPercent(96), 2.5);
  EXPECT_EQ(ConfidenceTFromPercent(98), 2.5);
  EXPECT_EQ(ReduceDoubleBlanks(" Yield   and  water  table "), "Yield and water table");
}

TEST(SegmentedGraphData, OneVariableTypeThree) {
  GraphData g;
  ASSERT_EQ(ParseSegmentedGraphData(Golden("one_variable_type3.out"), g), GraphReadStatus::Ok);
  EXPECT_EQ(g.OutputTag, " Fun");
  EXPECT_EQ(g.Title1, "Golden test");
  EXPECT_EQ(g.Title2, "X and Y without units");
  EXPECT_EQ(g.ConfidenceT, 1.75);
  EXPECT_EQ(g.First.Type, 3);
  EXPECT_EQ(g.First.Method, 2);
  EXPECT_DOUBLE_EQ(g.First.Breakpoint, 15.08);
  EXPECT_DOUBLE_EQ(g.First.All.N, 30);
  EXPECT_DOUBLE_EQ(g.First.All.AvX, 14.5);
  EXPECT_DOUBLE_EQ(g.First.All.StDevYr, 1.76);
  EXPECT_DOUBLE_EQ(g.First.Below.N, 16);
  EXPECT_DOUBLE_EQ(g.First.Below.StDevRC, 7.59e-3);
  EXPECT_DOUBLE_EQ(g.First.Above.AvY, 4.01);
  EXPECT_DOUBLE_EQ(g.First.Above.StDevX, 4.18);
  EXPECT_DOUBLE_EQ(g.First.Ybp, 10.0);
  EXPECT_DOUBLE_EQ(g.First.SEBP, 1.58);
  EXPECT_DOUBLE_EQ(g.First.CE, 0.999);
  EXPECT_DOUBLE_EQ(g.StoredCE, 0.999);
  EXPECT_DOUBLE_EQ(g.First.As, 0);
  EXPECT_DOUBLE_EQ(g.First.Ag, -0.8071);
  EXPECT_DOUBLE_EQ(g.First.Cs, 10.0);
  EXPECT_DOUBLE_EQ(g.First.Cg, 22.17);
  ASSERT_EQ(g.NrOfRows, 30);
  EXPECT_EQ(g.GraphX.size(), 30u);
  EXPECT_DOUBLE_EQ(g.GraphY[0], 10.2);
  EXPECT_DOUBLE_EQ(g.GraphX[29], 29);
  EXPECT_DOUBLE_EQ(g.GraphYcalc[28], -0.425);
}

TEST(SegmentedGraphData, OneVariableSingleLineHasNoSegments) {
  GraphData g;
  ASSERT_EQ(ParseSegmentedGraphData(Golden("one_variable_type1.out"), g), GraphReadStatus::Ok);
  EXPECT_EQ(g.First.Type, 1);
  // Without segments both segments are all data.
  EXPECT_EQ(g.First.Below.N, g.First.All.N);
  EXPECT_EQ(g.First.Above.StDevX, g.First.All.StDevX);
  EXPECT_EQ(g.First.As, g.First.Ag);
  EXPECT_EQ(g.First.Cs, g.First.Cg);
}

TEST(SegmentedGraphData, TwoVariablesBothSequences) {
  GraphData g;
  ASSERT_EQ(ParseSegmentedGraphData(Golden("two_variable_seq1.out"), g), GraphReadStatus::Ok);
  EXPECT_EQ(g.OutputTag, " Y-X");
  EXPECT_EQ(g.First.Variable, "X");
  EXPECT_EQ(g.First.Type, 3);
  EXPECT_EQ(g.First.Method, 2);
  EXPECT_EQ(g.Second.Type, 1);
  EXPECT_DOUBLE_EQ(g.First.Breakpoint, 14.7);
  EXPECT_DOUBLE_EQ(g.Second.Breakpoint, 0);
  EXPECT_DOUBLE_EQ(g.First.Below.AvY, 22.5);
  EXPECT_DOUBLE_EQ(g.First.SEBP, 0.456);
  EXPECT_DOUBLE_EQ(g.First.CE, 0.964);
  // The second regression's all-data block is that of the residuals, not of X upon Z.
  EXPECT_DOUBLE_EQ(g.Second.All.AvY, 2.78e-50);
  EXPECT_DOUBLE_EQ(g.Second.All.StDevYr, 0.132);
  EXPECT_DOUBLE_EQ(g.Plane.Ag, 1.18);
  EXPECT_DOUBLE_EQ(g.Plane.Bg, 0.604);
  EXPECT_DOUBLE_EQ(g.Plane.Csg, 19.9);
  EXPECT_DOUBLE_EQ(g.Plane.Cgg, 2.58);
  EXPECT_DOUBLE_EQ(g.StoredCE, 1.0);
  ASSERT_EQ(g.NrOfRows, 36);
  EXPECT_DOUBLE_EQ(g.GraphY[1], 21.7);
  EXPECT_DOUBLE_EQ(g.GraphX[1], 1.0);
  EXPECT_DOUBLE_EQ(g.GraphResidual[1], -0.827);
  EXPECT_DOUBLE_EQ(g.GraphZ[1], 2.75);
  EXPECT_DOUBLE_EQ(g.GraphYcalc[1], 21.6);

  // Y on Z first: the Z column is the third, X the fifth.
  GraphData h;
  const auto seq2 = Golden("two_variable_seq2.out");
  ASSERT_EQ(ParseSegmentedGraphData(seq2, h), GraphReadStatus::Ok);
  EXPECT_EQ(h.OutputTag, " Y-Z");
  EXPECT_EQ(h.First.Variable, "Z");
  size_t dashes = 0;
  while (dashes < seq2.size() && seq2[dashes].rfind(" ---", 0) != 0) ++dashes;
  ASSERT_LT(dashes + 1, seq2.size());
  const auto row = SplitTokens(seq2[dashes + 1]);
  ASSERT_EQ(row.size(), 6u);
  double z = 0, x = 0;
  ASSERT_TRUE(ParseFiniteNumber(row[2], z));
  ASSERT_TRUE(ParseFiniteNumber(row[4], x));
  EXPECT_EQ(h.GraphZ[0], z);
  EXPECT_EQ(h.GraphX[0], x);
}

TEST(PartialGraphData, LevelFirstAndLevelLast) {
  GraphData g;
  ASSERT_EQ(ParsePartialGraphData(Golden("partial_rising.out"), g), GraphReadStatus::Ok);
  ASSERT_TRUE(g.Partial.has_value());
  EXPECT_EQ(g.Title1, "Partial golden test");
  EXPECT_EQ(g.Partial->Type, 3);
  EXPECT_DOUBLE_EQ(g.Partial->Threshold, 16.99);
  EXPECT_DOUBLE_EQ(g.Partial->ConfLeft, 17.0);
  EXPECT_DOUBLE_EQ(g.Partial->ConfRight, 18.0);
  EXPECT_FALSE(g.Partial->OtherFound);
  EXPECT_DOUBLE_EQ(g.First.CE, 0.996);
  EXPECT_DOUBLE_EQ(g.First.Ag, 0.544);
  EXPECT_DOUBLE_EQ(g.First.Cg, 0.757);
  EXPECT_EQ(g.NrOfRows, 40);
  EXPECT_FALSE(g.OlderFile);

  GraphData h;
  ASSERT_EQ(ParsePartialGraphData(Golden("partial_falling.out"), h), GraphReadStatus::Ok);
  EXPECT_EQ(h.Partial->Type, 4);
  EXPECT_DOUBLE_EQ(h.Partial->ConfLeft, 23.8);
  EXPECT_DOUBLE_EQ(h.Partial->ConfRight, 25.0);
  EXPECT_DOUBLE_EQ(h.First.SEBP, 0.805);
  // A segmented report is not a partial one, and the other way round.
  GraphData k;
  EXPECT_EQ(ParsePartialGraphData(Golden("one_variable_type3.out"), k),
            GraphReadStatus::NotThisKind);
  EXPECT_EQ(ParseSegmentedGraphData(Golden("partial_falling.out"), k),
            GraphReadStatus::NotThisKind);
}

TEST(PartialGraphData, AnOlderLayoutFallsBackAndSaysSoOnce) {
  // The parameter table of an older layout ends after the explanation line.
  auto lines = Golden("partial_rising.out");
  std::vector<std::string> older;
  for (const auto& l : lines) {
    if (l.rfind("   Conf. BP", 0) == 0) continue;
    older.push_back(l);
  }
  // Drop the value lines that followed the dropped headings.
  for (size_t i = 0; i < older.size(); ++i) {
    if (older[i].rfind("   Slope < BPx         St.Err", 0) == 0) {
      older.erase(older.begin() + static_cast<long>(i) + 2, older.begin() + static_cast<long>(i) + 4);
      break;
    }
  }
  GraphData g;
  ASSERT_EQ(ParsePartialGraphData(older, g), GraphReadStatus::Ok);
  EXPECT_TRUE(g.OlderFile);
  EXPECT_DOUBLE_EQ(g.Partial->ConfLeft, 16.99 * 0.9);
  EXPECT_DOUBLE_EQ(g.Partial->ConfRight, 16.99 * 1.1);

  TempDir dir;
  std::string text;
  for (const auto& l : older) text += l + "\r\n";
  test::WriteFileBytes(dir / "old.out", text);
  TDMVornax data;
  data.FileName = (dir / "old.out").string();
  RecordingDialogs dialogs;
  ASSERT_TRUE(ReadPartialGraphData(data, dialogs));
  ASSERT_TRUE(ReadPartialGraphData(data, dialogs));
  EXPECT_EQ(dialogs.Messages(), std::vector<std::string>{kOlderOutputMessage});
}

TEST(PartialGraphData, AThresholdAtOrBelowZeroIsPresent) {
  // Three-piece report: the other end found at a negative threshold.
  auto lines = Golden("partial_rising.out");
  for (size_t i = 0; i + 1 < lines.size(); ++i) {
    if (lines[i].rfind("   Conf. BP left", 0) == 0) {
      lines[i + 1] = "    1.70E+001            1.80E+001        2.00E+001    -5.00E+000";
    }
  }
  GraphData g;
  ASSERT_EQ(ParsePartialGraphData(lines, g), GraphReadStatus::Ok);
  EXPECT_TRUE(g.Partial->OtherFound);
  EXPECT_DOUBLE_EQ(g.Partial->OtherThreshold, -5.0);
  EXPECT_DOUBLE_EQ(g.Partial->OtherLevel, 20.0);
}

TEST(CurveGraphData, EveryCurveReport) {
  struct Case {
    const char* file;
    CurveKind kind;
    bool z;
    double ce;
  };
  const Case cases[] = {
      {"curve_quadratic_x.out", CurveKind::Quadratic, false, 0.999},
      {"curve_quadratic_z.out", CurveKind::Quadratic, true, -1},
      {"curve_cubic_x.out", CurveKind::Cubic, false, -1},
      {"curve_cubic_z.out", CurveKind::Cubic, true, 1.0},
      {"curve_power_x.out", CurveKind::Power, false, 0.999},
      {"curve_power_z.out", CurveKind::Power, true, -1},
      {"scurve_logistic_x.out", CurveKind::Logistic, false, 0.998},
      {"scurve_logistic_z.out", CurveKind::Logistic, true, -1},
      {"scurve_gumbel_x.out", CurveKind::Gumbel, false, 0.985},
      {"scurve_invgumbel_x.out", CurveKind::InvertedGumbel, false, -1},
      {"scurve_fisk_x.out", CurveKind::Fisk, false, 0.999},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    GraphData g;
    ASSERT_EQ(ParseCurveGraphData(Golden(c.file), g), GraphReadStatus::Ok);
    ASSERT_TRUE(g.Curve.has_value());
    EXPECT_EQ(g.Curve->Kind, c.kind);
    EXPECT_EQ(g.Curve->IsZ, c.z);
    if (c.ce >= 0) {
      EXPECT_DOUBLE_EQ(g.StoredCE, c.ce);
    }
    EXPECT_GE(g.NrOfRows, 3);
    EXPECT_EQ(g.GraphLower.size(), static_cast<size_t>(g.NrOfRows));
  }
  GraphData q;
  ASSERT_EQ(ParseCurveGraphData(Golden("curve_quadratic_x.out"), q), GraphReadStatus::Ok);
  EXPECT_EQ(q.Title1, "Golden test");
  EXPECT_DOUBLE_EQ(q.Curve->Exponent, 0.63);
  EXPECT_DOUBLE_EQ(q.Curve->A, -8.69e-2);
  EXPECT_DOUBLE_EQ(q.Curve->B, 2.26);
  EXPECT_DOUBLE_EQ(q.Curve->C, 6.29);
  EXPECT_FALSE(q.Curve->Shifted);
  EXPECT_EQ(q.NrOfRows, 25);
  EXPECT_DOUBLE_EQ(q.GraphX[0], 1.0);
  EXPECT_DOUBLE_EQ(q.GraphY[0], 8.5);
  EXPECT_DOUBLE_EQ(q.GraphYcalc[0], 8.465);
  EXPECT_DOUBLE_EQ(q.GraphLower[0], 8.241);
  EXPECT_DOUBLE_EQ(q.GraphUpper[0], 8.689);

  GraphData cz;
  ASSERT_EQ(ParseCurveGraphData(Golden("curve_cubic_z.out"), cz), GraphReadStatus::Ok);
  EXPECT_TRUE(cz.Curve->Shifted);
  EXPECT_DOUBLE_EQ(cz.Curve->Shift, 48.102);
  EXPECT_DOUBLE_EQ(cz.Curve->D, 38.3);

  GraphData p;
  ASSERT_EQ(ParseCurveGraphData(Golden("curve_power_x.out"), p), GraphReadStatus::Ok);
  EXPECT_DOUBLE_EQ(p.Curve->Shift, 1.82);
  EXPECT_DOUBLE_EQ(p.Curve->Exponent, 0.61);
  EXPECT_DOUBLE_EQ(p.Curve->A, 0.995);
  EXPECT_DOUBLE_EQ(p.Curve->B, 4.10);

  GraphData l;
  ASSERT_EQ(ParseCurveGraphData(Golden("scurve_logistic_x.out"), l), GraphReadStatus::Ok);
  EXPECT_DOUBLE_EQ(l.Curve->Ymax, 96.307);
  EXPECT_DOUBLE_EQ(l.Curve->Ymin, 4.981);
  EXPECT_DOUBLE_EQ(l.Curve->Exponent, 1.7);
  EXPECT_DOUBLE_EQ(l.Curve->A, 0.02688379);
  EXPECT_DOUBLE_EQ(l.Curve->B, -2.875);

  GraphData f;
  ASSERT_EQ(ParseCurveGraphData(Golden("scurve_fisk_x.out"), f), GraphReadStatus::Ok);
  EXPECT_EQ(f.Title1, "Golden test");
  EXPECT_DOUBLE_EQ(f.Curve->C, 9.229);
  EXPECT_DOUBLE_EQ(f.Curve->Shift, 0.999);
  EXPECT_DOUBLE_EQ(f.Curve->A, 3.6);
  EXPECT_DOUBLE_EQ(f.Curve->B, 3.45);
  EXPECT_EQ(f.NrOfRows, 8);
}

TEST(GraphDataFiles, MessagesAndNothingChangedOnFailure) {
  TempDir dir;
  TDMVornax data;
  data.NrOfData = 40;
  data.Resize(40);
  data.Graph.NrOfRows = 7;
  RecordingDialogs dialogs;

  data.FileName = (dir / "missing.out").string();
  EXPECT_FALSE(ReadGraphData(data, dialogs));
  EXPECT_FALSE(ReadSegmentedGraphData(data, dialogs));

  // A report cut short inside the table: fewer than three rows.
  const auto golden = Golden("one_variable_type3.out");
  std::string cut;
  for (const auto& l : golden) {
    cut += l + "\r\n";
    if (l.rfind("   2 ", 0) == 0) break;
  }
  test::WriteFileBytes(dir / "cut.out", cut);
  data.FileName = (dir / "cut.out").string();
  EXPECT_FALSE(ReadGraphData(data, dialogs));

  // A report cut before its summary: every scan stops at the end of the file.
  std::string early;
  for (size_t i = 0; i < 30 && i < golden.size(); ++i) early += golden[i] + "\r\n";
  test::WriteFileBytes(dir / "early.out", early);
  data.FileName = (dir / "early.out").string();
  EXPECT_FALSE(ReadGraphData(data, dialogs));

  // Partial reader on a segmented report.
  data.FileName = (std::filesystem::path(VORNAX_GOLDEN_DIR) / "one_variable_type3.out").string();
  EXPECT_FALSE(ReadPartialGraphData(data, dialogs));

  const auto messages = dialogs.Messages();
  ASSERT_EQ(messages.size(), 5u);
  EXPECT_EQ(messages[0].rfind("The file \"", 0), 0u);
  EXPECT_EQ(messages[2], kNoGraphDataMessage);
  EXPECT_EQ(messages[3], kNotSegmentedOutputMessage);
  EXPECT_EQ(messages[4], kNotPartialOutputMessage);
  EXPECT_EQ(data.Graph.NrOfRows, 7);
  EXPECT_EQ(data.NrOfData, 40);

  // A good read fills the graph arrays and leaves the data set's 40 rows alone.
  data.FileName = (std::filesystem::path(VORNAX_GOLDEN_DIR) / "one_variable_type3.out").string();
  ASSERT_TRUE(ReadGraphData(data, dialogs));
  EXPECT_EQ(data.Graph.NrOfRows, 30);
  EXPECT_EQ(data.NrOfData, 40);
  EXPECT_EQ(data.XData.size(), 40u);
}

TEST(GraphDataFiles, ConfidenceFromTheMinimumConfidenceLine) {
  auto lines = Golden("one_variable_type3.out");
  for (auto& l : lines) {
    if (l.rfind(" Minimum confidence", 0) == 0) l = " Minimum confidence % : 95";
    if (l == " Golden test") l = " Golden   test  with   blanks";
  }
  GraphData g;
  ASSERT_EQ(ParseSegmentedGraphData(lines, g), GraphReadStatus::Ok);
  EXPECT_EQ(g.ConfidenceT, 2.1);
  EXPECT_EQ(g.ConfidencePercent, 95);
  EXPECT_EQ(g.Title1, "Golden test with blanks");
}

TEST(GraphDataFiles, AMethodOutOfRangeReadsAsNone) {
  for (const char* file : {"one_variable_type3.out", "two_variable_seq1.out"}) {
    auto lines = Golden(file);
    for (auto& l : lines) {
      if (l.find("Calc. method") != std::string::npos) l = l.substr(0, l.find(':') + 1) + " 1e100";
    }
    GraphData g;
    ASSERT_EQ(ParseSegmentedGraphData(lines, g), GraphReadStatus::Ok) << file;
    EXPECT_EQ(g.First.Method, 0) << file;
  }
}

TEST(GraphDataFiles, JunkAndHugeLinesAreRefused) {
  std::vector<std::string> junk = {std::string(10 * 1024 * 1024, 'x'), " Name of file", " The",
                                   " SUMMARY", " Function type : 99999999999999999999",
                                   " ---", "1 1e999 2 3"};
  GraphData g;
  EXPECT_NE(ParseSegmentedGraphData(junk, g), GraphReadStatus::Ok);
  EXPECT_NE(ParsePartialGraphData(junk, g), GraphReadStatus::Ok);
  EXPECT_NE(ParseCurveGraphData(junk, g), GraphReadStatus::Ok);
  EXPECT_NE(ParseSegmentedGraphData({}, g), GraphReadStatus::Ok);
  EXPECT_NE(ParseCurveGraphData({"", " Nam"}, g), GraphReadStatus::Ok);
}

TEST(OutputLineReader, PrimitivesStopAtTheEnd) {
  const std::vector<std::string> lines = {" One  1.5E+000 x", " Two = 3", ""};
  OutputLineReader r(lines);
  EXPECT_EQ(r.ReadChars(4), " One");
  double v = 0;
  EXPECT_TRUE(r.ReadNumber(v));
  EXPECT_EQ(v, 1.5);
  EXPECT_FALSE(r.ReadNumber(v));
  EXPECT_FALSE(r.ReadNumber(v));
  EXPECT_TRUE(r.NextLine());
  EXPECT_TRUE(r.SkipPast('='));
  EXPECT_TRUE(r.ReadNumber(v));
  EXPECT_EQ(v, 3);
  EXPECT_FALSE(r.SkipPast('='));
  EXPECT_TRUE(r.ScanTo(" Two"));
  EXPECT_FALSE(r.ScanTo(" Thr"));
  EXPECT_TRUE(r.AtEnd());
  EXPECT_EQ(r.ReadChars(10), "");
  EXPECT_FALSE(r.NextLine());
}

}  // namespace
}  // namespace vornax
