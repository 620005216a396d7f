// The breakpoint choices of the Input tab, driven as a person drives them: the preference box,
// the broken-line panel, the fields, "Save-Calculate", the Output tab and "See graph".
#include "BreakpointChoicesTest.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cmath>

#include "AppTestSupport.h"
#include "app/VornaxForm.h"
#include "data/RunOptions.h"
#include "data/TextFile.h"
#include "forms/SelectForms.h"

namespace vornax::app::test {
namespace {

// Eighteen data sets on a line that rises with slope 1 up to X = 6.5, stays level up to
// X = 12.5 and falls with slope -1 beyond, each Y off the line by at most 0.05.
QString ThreeSegmentRows(int count = 18) {
  const double wobble[] = {0.05, -0.04, 0.03, -0.05, 0.02, 0.04, -0.03, 0.05, -0.02,
                           0.01, -0.04, 0.03, 0.02, -0.05, 0.04, -0.01, 0.03, -0.02};
  QString text;
  for (int x = 1; x <= count; ++x) {
    const double line = x <= 6.5 ? x : x <= 12.5 ? 6.5 : 6.5 - (x - 12.5);
    text += QString::number(line + wobble[x - 1], 'f', 2) + "\t" + QString::number(x) + "\r\n";
  }
  return text;
}

bool Contains(const std::vector<std::string>& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

QString Example(const QTemporaryDir& dir, const QString& name) {
  const QString path = dir.filePath(name);
  QFile::remove(path);
  return QFile::copy(QString(VORNAX_EXAMPLES_DIR) + "/" + name, path) ? path : QString();
}

void SetFields(TInputTab& input, const QString& fixed, const QString& low, const QString& high) {
  input.BreakpointEdit->setText(fixed);
  input.SearchLowEdit->setText(low);
  input.SearchHighEdit->setText(high);
}

}  // namespace

void BreakpointChoicesTest::BrokenLineRunShowsReportSummaryAndGraph() {
  struct Case {
    int button;  // Two, Three, As the tests find
    int option;  // RunOptions::SeveralBreakpoints
    size_t count;
    const char* summary;
  };
  const Case cases[] = {
      {0, 2, 2, "Broken line with 2 breakpoints"},
      {1, 3, 3, "Broken line with 3 breakpoints"},
      {2, -1, 2, "Broken line with 2 breakpoints (as many as the tests find)"},
  };
  for (const Case& c : cases) {
    ScriptedWindow w;
    TVornaxForm& f = *w.form;
    TInputTab& input = *f.InputTabSheet;
    QTemporaryDir dir;
    input.HandlePasteMultiCell(kYColumn, 1, ThreeSegmentRows());
    QCOMPARE(input.PrefComboBox->itemText(4), QString("    Select two or three breakpoints"));
    input.PrefComboBoxChange(4);
    QVERIFY(input.BreakpointsForm->isVisibleTo(&input));
    QVERIFY(!input.InputImage->isVisibleTo(&input));
    input.BreakpointsForm->Buttons[static_cast<size_t>(c.button)]->click();
    QCOMPARE(f.session().Options.SeveralBreakpoints, c.option);

    w.dialogs->files = {dir.filePath("lines.inp")};
    input.InputSaveActionExecute();
    QCOMPARE(f.PageControl1->currentWidget(), f.OutputTabSheet);
    // The report on the Output tab is the one on disk, of its own layout.
    const std::vector<std::string> report = Lines(dir.filePath("lines.out"));
    QVERIFY(report.size() > 30);
    QCOMPARE(report[0], std::string(" Results of program Vornax for the broken-line regression of Y upon X."));
    QVERIFY(Contains(report, " Number of breakpoints : " + std::to_string(c.count)));
    QCOMPARE(f.OutputTabSheet->OutputMemo->toPlainText(), Joined(report));
    QVERIFY(f.OutputTabSheet->SummaryPanel->isVisibleTo(f.OutputTabSheet));
    QVERIFY2(f.OutputTabSheet->SummaryPanel->text().startsWith(QString("<b>") + c.summary),
             qPrintable(f.OutputTabSheet->SummaryPanel->text()));
    // The breakpoints of the line are found within the data's wobble of where they are.
    const auto& lines = *f.session().Data.Result.BrokenLines;
    QCOMPARE(lines.Points.size(), c.count);
    for (double expected : {6.5, 12.5}) {
      QVERIFY(std::any_of(lines.Points.begin(), lines.Points.end(),
                          [&](const auto& p) { return std::abs(p.Value - expected) < 0.1; }));
    }
    // The ANOVA table in the report's place and back; the choice stays shown after the run.
    f.OutputTabSheet->AnovaButtonClick();
    QCOMPARE(f.OutputTabSheet->OutputMemo->toPlainText(), Joined(Lines(dir.filePath("lines.var"))));
    f.OutputTabSheet->AnovaButtonClick();
    QVERIFY(input.BreakpointsForm->Buttons[static_cast<size_t>(c.button)]->isChecked());
    QCOMPARE(input.PrefComboBox->currentIndex(), 4);

    // The graph: the data, the broken line and each breakpoint's interval as a bar.
    f.SeeGraphButtonClick();
    QCOMPARE(f.PageControl1->currentWidget(), f.GraphicsTabSheet);
    QVERIFY(f.LastPicture.Drawn);
    QCOMPARE(f.ShownGraph.Family, OutputFamily::BrokenLine);
    QCOMPARE(f.ShownGraph.NrOfRows, 18);
    QCOMPARE(f.ShownGraph.BrokenLine->Breakpoints.size(), c.count);
    const auto& texts = f.LastPicture.Texts;
    const std::string bars = "90% confidence intervals of the break-points are shown";
    QVERIFY(Contains(texts, "Broken line with " + std::to_string(c.count) + " break-points"));
    QVERIFY(Contains(texts, bars));
    auto shown = [&](QWidget* b) { return b->isVisibleTo(f.GraphicsTabSheet); };
    QVERIFY(shown(f.BlockButton) && shown(f.ConfHelpButton));
    QVERIFY(!shown(f.BeltButton) && !shown(f.CalcObsButton) && !shown(f.SelectGraphButton));
    const QImage withBars = f.LastPicture.Image;
    f.BlockButtonClick();
    QVERIFY(!Contains(f.LastPicture.Texts, bars));
    QVERIFY(f.LastPicture.Image != withBars);
  }
}

void BreakpointChoicesTest::BreakpointFieldsReachTheRun() {
  ScriptedWindow w;
  TVornaxForm& f = *w.form;
  TInputTab& input = *f.InputTabSheet;
  QTemporaryDir dir;
  QVERIFY(input.OpenInputFile(Example(dir, "01-yield-watertable.inp")));
  const RunOptions& o = f.session().Options;
  struct Case {
    QString fixed, low, high;
    std::string refusal;  // said before a file name is asked for; empty: the run goes on
    std::optional<double> fixedValue, lowValue, highValue;
    bool fixedLine;  // the report says the breakpoint was fixed
  };
  const std::vector<Case> cases = {
      {"forty", "", "", "\"forty\" is not a number. Enter the fixed breakpoint as a number, or "
       "leave the field empty.", {}, {}, {}, false},
      {"", "40", "1e", "\"1e\" is not a number. Enter the search range as a number, or leave the "
       "field empty.", {}, {}, {}, false},
      {"inf", "", "", "\"inf\" is not a number. Enter the fixed breakpoint as a number, or leave "
       "the field empty.", {}, {}, {}, false},
      {"", "40", "", "Enter both ends of the search range, or neither.", {}, {}, {}, false},
      {"50", "40", "60", "Enter either a fixed breakpoint or a search range, not both.", {}, {}, {},
       false},
      // A decimal comma is a point; a range given high to low is put in order; blanks search.
      {" 80,5 ", "", "", "", 80.5, {}, {}, true},
      {"", "90", "60", "", {}, 60.0, 90.0, false},
      {"", "", "", "", {}, {}, {}, false},
  };
  int run = 0;
  for (const Case& c : cases) {
    SetFields(input, c.fixed, c.low, c.high);
    w.dialogs->messages.clear();
    const QString inp = dir.filePath(QString("run%1.inp").arg(++run));
    w.dialogs->files = {inp};
    input.InputSaveActionExecute();
    if (!c.refusal.empty()) {
      QCOMPARE(w.dialogs->messages, std::vector<std::string>{c.refusal});
      // No name was asked for, nothing written or run.
      QCOMPARE(w.dialogs->files.size(), size_t{1});
      QVERIFY(!QFile::exists(inp));
      continue;
    }
    QCOMPARE(f.PageControl1->currentWidget(), f.OutputTabSheet);
    QCOMPARE(o.FixedBreakpoint, c.fixedValue);
    QCOMPARE(o.SearchLow, c.lowValue);
    QCOMPARE(o.SearchHigh, c.highValue);
    QCOMPARE(f.OutputTabSheet->OutputMemo->toPlainText().contains(
                 " Breakpoint fixed at 80.50 by the user; it was not searched."),
             c.fixedLine);
    f.PageControl1->setCurrentWidget(f.InputTabSheet);
  }
  // A breakpoint belongs to its data: another data set opened empties the fields.
  SetFields(input, "70", "", "");
  QVERIFY(input.OpenInputFile(Example(dir, "03-cane-salinity-weighted.inp")));
  QVERIFY(input.BreakpointEdit->text().isEmpty());
}

void BreakpointChoicesTest::RefusalsAreTheWindowsMessages() {
  struct Case {
    const char* what;
    int data;        // 1, 2: the example of one or two variables; else rows of the broken line
    int preference;  // the preference box's item
    int choice;      // the button of the panel shown (-1: none)
    QString fixed, low, high;
    std::string message;
  };
  const Case cases[] = {
      // Refused when chosen: the box goes back to the standard.
      {"two variables used together", 2, 4, -1, "", "", "", kBrokenLinesOneVariable},
      // Refused by the run: its message, and no report.
      {"three breakpoints on ten data sets", 10, 4, 1, "", "", "",
       "The database is not fit for this regression. A broken line with three breakpoints needs "
       "at least 12 data sets; there are 10."},
      {"a curve", 1, 3, static_cast<int>(CurveChoice::Quadratic), "80", "", "",
       kBreakpointChoiceScope},
      {"a partial regression", 1, 2, 7, "", "40", "90", kBreakpointChoiceScope},
      {"a broken line", 1, 4, 0, "80", "", "", kBreakpointChoiceNotForBrokenLines},
      {"outside the data", 1, 1, -1, "500", "", "",
       "The fixed breakpoint 500.00 lies outside the data. The X-values of the data range from "
       "22.00 to 158.00."},
      {"a range without candidates", 1, 1, -1, "", "200", "300",
       "The search range 200.00 to 300.00 holds no candidate breakpoint. The X-values of the data "
       "range from 22.00 to 158.00."},
  };
  for (const Case& c : cases) {
    ScriptedWindow w;
    TVornaxForm& f = *w.form;
    TInputTab& input = *f.InputTabSheet;
    QTemporaryDir dir;
    if (c.data > 2) {
      input.HandlePasteMultiCell(kYColumn, 1, ThreeSegmentRows(c.data));
    } else {
      QVERIFY(input.OpenInputFile(Example(dir, c.data == 1 ? "01-yield-watertable.inp"
                                                           : "02-yield-depth-salinity.inp")));
    }
    w.dialogs->messages.clear();
    input.PrefComboBoxChange(c.preference);
    if (c.data == 2) {
      QCOMPARE(w.dialogs->messages, std::vector<std::string>{c.message});
      QCOMPARE(input.PrefComboBox->currentIndex(), 0);
      QVERIFY(!input.BreakpointsForm->isVisibleTo(&input));
      QCOMPARE(f.session().Options.SeveralBreakpoints, 0);
      continue;
    }
    const auto at = static_cast<size_t>(c.choice);
    if (c.preference == 2) input.SelectForm->XButtons[at]->click();
    if (c.preference == 3) input.Select2Form->XButtons[at]->click();
    if (c.preference == 4) input.BreakpointsForm->Buttons[at]->click();
    SetFields(input, c.fixed, c.low, c.high);
    w.dialogs->files = {dir.filePath("refused.inp")};
    input.InputSaveActionExecute();
    QVERIFY2(Contains(w.dialogs->messages, c.message), c.what);
    QVERIFY2(!QFile::exists(dir.filePath("refused.out")), c.what);
    QVERIFY(!f.OutputAvailable);
  }
}

void BreakpointChoicesTest::OtherDataStartFromTheStandardChoices() {
  // Opening other data sets the preference box back to its first item: what runs next is what
  // the boxes show, the standard search, whatever was chosen for the data before.
  struct Case {
    const char* what;
    int preference;
    int choice;
  };
  const Case cases[] = {
      {"a broken line", 4, 0},
      {"a curve", 3, static_cast<int>(CurveChoice::Quadratic)},
      {"a preferred type", 2, 5},
  };
  for (const Case& c : cases) {
    ScriptedWindow w;
    TVornaxForm& f = *w.form;
    TInputTab& input = *f.InputTabSheet;
    QTemporaryDir dir;
    input.PrefComboBoxChange(c.preference);
    if (c.preference == 2) input.SelectForm->XButtons[static_cast<size_t>(c.choice)]->click();
    if (c.preference == 3) input.Select2Form->XButtons[static_cast<size_t>(c.choice)]->click();
    if (c.preference == 4) input.BreakpointsForm->Buttons[static_cast<size_t>(c.choice)]->click();
    QVERIFY(input.OpenInputFile(Example(dir, "01-yield-watertable.inp")));
    QCOMPARE(input.PrefComboBox->currentIndex(), 0);
    w.dialogs->files = {dir.filePath("next.inp")};
    input.InputSaveActionExecute();
    QCOMPARE(Lines(dir.filePath("next.out")).at(0),
             std::string(" Results of program Vornax for the segmented linear regression of Y upon X."));
    QVERIFY2(!Contains(Lines(dir.filePath("next.out")), " X-type preferred: 5 "), c.what);
  }
}

}  // namespace vornax::app::test
