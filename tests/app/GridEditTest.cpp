// The grid keeps what the user typed: the paste question, undo and redo, headers, pasted blocks
// that do not fit, incomplete rows, bad cells, Tab and Enter, column widths, and the Output tab.
#include "GridEditTest.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUndoStack>

#include <memory>

#include "AppTestSupport.h"
#include "app/ColumnRolesDialog.h"
#include "app/DataGrid.h"
#include "app/InputTab.h"
#include "app/OutputTab.h"
#include "app/VornaxForm.h"
#include "forms/FinishForm.h"

namespace vornax::app::test {
namespace {

// The data set an analysis is handed: the run is stopped right there.
struct Analysed {
  std::vector<double> y, x, z;
  int n = -1;
  bool operator==(const Analysed&) const = default;
};

// Shown and active, so that keys and shortcuts arrive as a person's would.
struct Window : ScriptedWindow {
  QTemporaryDir dir;
  Window() {
    form->show();
    form->activateWindow();
    if (!QTest::qWaitForWindowActive(form.get())) qWarning("window not active");
    grid().setFocus();
  }
  TInputTab& in() { return *form->InputTabSheet; }
  // The cell (row from 1) current and alone selected, as a click makes it.
  void At(int row, int column) {
    grid().clearSelection();
    grid().setCurrentCell(row - 1, column);
  }

  // Ctrl+V of `text` on the cell (row, column), as the user pastes it.
  void Paste(const QString& text, int row = 1, int column = kYColumn) {
    QApplication::clipboard()->setText(text);
    grid().setFocus();
    At(row, column);
    QTest::keyClick(&grid(), Qt::Key_V, Qt::ControlModifier);
  }
  // Keys go where the focus is, and what they set off (an editor closing) is done.
  void Keys(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(QApplication::focusWidget(), key, modifiers);
    QApplication::processEvents();
  }
  void Type(const QString& text) {
    for (QChar c : text) QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
    QApplication::processEvents();
  }
  void Undo() { QTest::keyClick(&grid(), Qt::Key_Z, Qt::ControlModifier); }
  void Redo(bool withY = false) {
    if (withY) QTest::keyClick(&grid(), Qt::Key_Y, Qt::ControlModifier);
    else QTest::keyClick(&grid(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
  }

  // What "Save-Calculate" hands to the analysis.
  Analysed Analyse() {
    Analysed seen;
    AnalysisTable& table = form->session().Analyses;
    for (Analysis a : {Analysis::OneVariable, Analysis::TwoVariable}) {
      table[a].Entry = [&seen](TDMVornax& d, RunOptions& o, UserDialogs&) {
        seen.n = d.NrOfData;
        for (int i = 0; i < d.NrOfData; ++i) {
          seen.y.push_back(static_cast<double>(d.YData[static_cast<size_t>(i)]));
          seen.x.push_back(static_cast<double>(d.XData[static_cast<size_t>(i)]));
          if (d.NrOfVarInData == 2) seen.z.push_back(static_cast<double>(d.ZData[static_cast<size_t>(i)]));
        }
        o.AnalysisFailed = true;  // stop the run here: only its data are wanted
      };
    }
    dialogs->files = {dir.filePath("grid.inp")};
    in().InputSaveActionExecute();
    return seen;
  }
  // Every cell of the grid, row by row, with the row count and the captions.
  QStringList Snapshot() {
    QStringList all{QString::number(grid().DataRows())};
    for (int c = 0; c < kGridColumns; ++c) all << grid().horizontalHeaderItem(c)->text();
    all << in().Title1Edit->text() << in().Title2Edit->text();
    for (int r = 1; r <= grid().DataRows(); ++r) {
      QStringList row;
      for (int c = 0; c < kGridColumns; ++c) row << cell(r, c);
      all << row.join('|');
    }
    return all;
  }
};

// Lines "y<TAB>x" for rows first..last, y = base + row and x = row.
QString Block(int first, int last, int base) {
  QString text;
  for (int r = first; r <= last; ++r) text += QString("%1\t%2\n").arg(base + r).arg(r);
  return text;
}

Analysed Expected(const std::vector<std::pair<double, double>>& yx) {
  Analysed a;
  for (const auto& [y, x] : yx) {
    a.y.push_back(y);
    a.x.push_back(x);
  }
  a.n = static_cast<int>(yx.size());
  return a;
}

std::vector<std::pair<double, double>> Pairs(int first, int last, int base) {
  std::vector<std::pair<double, double>> pairs;
  for (int r = first; r <= last; ++r) pairs.push_back({base + r, r});
  return pairs;
}

template <typename T>
std::vector<T> Joined(std::vector<T> a, const std::vector<T>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

}  // namespace

void GridEditTest::PasteQuestionSaysWhatEachAnswerDoes() {
  struct Case {
    int gridRows, pasted, answer;
    const char* question;
    std::vector<std::string> buttons;
  };
  const std::vector<Case> cases = {
      {15, 13, 0,
       "The pasted block has 13 rows; the grid holds 15 rows. Keep rows 14-15 of the old data, or "
       "keep only the 13 pasted rows? Either answer can be undone with Ctrl+Z.",
       {"Keep rows 14-15", "Keep only the 13 pasted rows"}},
      {15, 13, 1, nullptr, {}},
      {499, 4, 1,
       "The pasted block has 4 rows; the grid holds 499 rows. Keep rows 5-499 of the old data, or "
       "keep only the 4 pasted rows? Either answer can be undone with Ctrl+Z.",
       {"Keep rows 5-499", "Keep only the 4 pasted rows"}},
  };
  for (const Case& c : cases) {
    Window w;
    w.Paste(Block(1, c.gridRows, 1000));
    const QStringList old = w.Snapshot();
    w.dialogs->choiceAnswers = {c.answer};
    w.Paste(Block(1, c.pasted, 2000));
    QCOMPARE(w.dialogs->choices.size(), size_t{1});
    if (c.question) {
      QCOMPARE(w.dialogs->choices[0].first, std::string(c.question));
      QCOMPARE(w.dialogs->choices[0].second, c.buttons);
    }
    const auto pasted = Pairs(1, c.pasted, 2000);
    const auto below = Pairs(c.pasted + 1, c.gridRows, 1000);
    const Analysed kept = Expected(Joined(pasted, below));
    QCOMPARE(w.grid().DataRows(), c.answer == 0 ? c.gridRows : c.pasted);
    QCOMPARE(w.Analyse(), c.answer == 0 ? kept : Expected(pasted));
    // Either answer is one step back: the rows below return; one more step, the old data.
    w.Undo();
    if (c.answer == 1) {
      QCOMPARE(w.grid().DataRows(), c.gridRows);
      QCOMPARE(w.Analyse(), kept);
      w.Undo();
    }
    QCOMPARE(w.Snapshot(), old);
    QCOMPARE(w.Analyse(), Expected(Pairs(1, c.gridRows, 1000)));
  }
  // Blank rows below a shorter block are no old data: they end with it, without a question.
  Window w;
  w.Paste(Block(1, 12, 0));
  QVERIFY(w.dialogs->choices.empty());
  QCOMPARE(w.grid().DataRows(), 12);
  QCOMPARE(w.in().NrOfDataEdit->text(), QString("12"));
  QCOMPARE(w.Analyse(), Expected(Pairs(1, 12, 0)));
  // Pasted lower down, the question names the rows the block fills.
  w.dialogs->choiceAnswers = {1};
  w.Paste(Block(1, 3, 50), 5);
  QCOMPARE(w.dialogs->choices.back().first,
           std::string("The pasted block fills rows 5-7; the grid holds 12 rows. Keep rows 8-12 of "
                       "the old data, or end the data at row 7? Either answer can be undone with "
                       "Ctrl+Z."));
  QCOMPARE(w.dialogs->choices.back().second,
           (std::vector<std::string>{"Keep rows 8-12", "End the data at row 7"}));
  QCOMPARE(w.grid().DataRows(), 7);
}

void GridEditTest::EveryChangeIsUndoneAndRedone() {
  const QString example = QString(VORNAX_EXAMPLES_DIR) + "/02-yield-depth-salinity.inp";
  struct Case {
    const char* what;  // also the undo text the Edit menu shows
    std::function<void(Window&)> act;
  };
  const std::vector<Case> cases = {
      {"Typing", [](Window& w) {
         w.At(3, kXColumn);
         w.Type("7,5");
         w.Keys(Qt::Key_Return);
       }},
      {"Paste", [](Window& w) { w.Paste("9\t8\n", 4); }},
      {"Cut", [](Window& w) {
         w.At(2, kYColumn);
         w.grid().setRangeSelected(QTableWidgetSelectionRange(1, kYColumn, 3, kXColumn), true);
         w.Keys(Qt::Key_X, Qt::ControlModifier);
       }},
      {"Delete", [](Window& w) {
         w.At(6, kXColumn);
         w.Keys(Qt::Key_Delete);
       }},
      {"Clear data", [](Window& w) {
         w.dialogs->answers = {true};
         w.in().ClearButtonClick();
       }},
      {"Number of data sets", [](Window& w) {
         w.in().NrOfDataEdit->setFocus();
         w.in().NrOfDataEdit->selectAll();
         w.Type("20");
         w.Keys(Qt::Key_Return);
       }},
      {"Open input", [example](Window& w) {
         w.dialogs->answers = {true};  // lose the changes: they can be undone
         w.dialogs->files = {example};
         w.in().InputOpenActionExecute();
       }},
  };
  for (const Case& c : cases) {
    Window w;
    w.in().Title1Edit->setText("Trial");
    w.Paste(Block(1, 15, 10));
    const QStringList before = w.Snapshot();
    const Analysed analysedBefore = w.Analyse();
    w.grid().setFocus();
    c.act(w);
    const QStringList after = w.Snapshot();
    QVERIFY2(after != before, c.what);
    QCOMPARE(w.form->UndoAction->text(), "&Undo " + QString(c.what));
    const Analysed analysedAfter = w.Analyse();
    w.grid().setFocus();
    w.Undo();
    QCOMPARE(w.Snapshot(), before);
    QCOMPARE(w.Analyse(), analysedBefore);
    QCOMPARE(w.form->RedoAction->text(), "&Redo " + QString(c.what));
    w.grid().setFocus();
    w.Redo();
    QCOMPARE(w.Snapshot(), after);
    QCOMPARE(w.Analyse(), analysedAfter);
    // The Edit menu's items and Ctrl+Y do the same.
    w.form->UndoAction->trigger();
    QCOMPARE(w.Snapshot(), before);
    w.grid().setFocus();
    w.Redo(true);
    QCOMPARE(w.Snapshot(), after);
    // The window now closes with steps on its stack, which the stack names as it empties: the
    // sanitized build catches any use of the half-destroyed form there.
  }
}

void GridEditTest::AHeaderLineNamesTheColumns() {
  Window w;
  const QString text = "Yield 2019 (t/ha)\tDepth (m)\n" + Block(1, 12, 0);
  w.Paste(text);
  // The header is not a data set: Y = 2019 is nowhere, and twelve rows are analysed.
  QCOMPARE(w.grid().DataRows(), 12);
  QCOMPARE(w.cell(1, kYColumn), QString("1"));
  QCOMPARE(w.grid().horizontalHeaderItem(kYColumn)->text(), QString("Y: Yield 2019 (t/ha)"));
  QCOMPARE(w.grid().horizontalHeaderItem(kXColumn)->text(), QString("X: Depth (m)"));
  QCOMPARE(w.in().Title1Edit->text(), QString("Yield 2019 (t/ha) by Depth (m)"));
  QCOMPARE(w.in().Title2Edit->text(), QString("Y: Yield 2019 (t/ha), X: Depth (m)"));
  QCOMPARE(w.Analyse(), Expected(Pairs(1, 12, 0)));
  // Undone with the cells: captions and titles as they were.
  w.grid().setFocus();
  w.Undo();
  QCOMPARE(w.grid().horizontalHeaderItem(kYColumn)->text(), QString("    Y"));
  QVERIFY(w.in().Title1Edit->text().isEmpty());
  // Titles the user gave are kept.
  w.in().Title1Edit->setText("Mine");
  w.Paste(text);
  QCOMPARE(w.in().Title1Edit->text(), QString("Mine"));
  QCOMPARE(w.in().Title2Edit->text(), QString("Y: Yield 2019 (t/ha), X: Depth (m)"));
}

void GridEditTest::AMismatchedBlockIsPlacedByTheUserOrRefused() {
  using R = ColumnRole;
  // Y, X and a third column of 1 to 4 into a one-variable grid with weights.
  QString text;
  for (int r = 1; r <= 15; ++r) text += QString("%1\t%2\t%3\n").arg(r * 2).arg(r).arg(1 + r % 4);
  struct Case {
    std::optional<std::vector<R>> answer;
    int analysed;  // data sets handed to the analysis; -1: nothing pasted
  };
  const std::vector<Case> cases = {
      {std::nullopt, -1},
      {std::vector<R>{R::Y, R::X, R::None}, 15},
      // Weights 2, 3, 4, 1 and so on: 6 copies for every four rows, 15 + 24 data sets.
      {std::vector<R>{R::Y, R::X, R::Weight}, 39},
  };
  for (const Case& c : cases) {
    Window w;
    w.in().WeightComboBoxChange(1);
    const QStringList before = w.Snapshot();
    w.dialogs->roleAnswers = {c.answer};
    w.Paste(text);
    // Asked, with the third column offered as a weight and every role of the grid to choose.
    QCOMPARE(w.dialogs->columnQuestions.size(), size_t{1});
    const ColumnQuestion& q = w.dialogs->columnQuestions[0];
    QCOMPARE(q.text, std::string("The pasted block has 3 columns; the table has Y, X and Weight. "
                                 "Say which pasted column is which, or leave a column out. For a Z "
                                 "column, set \"Nr. of independent variables\" to 2 first (cancel "
                                 "this paste)."));
    QCOMPARE(q.columns[2], std::string("Column 3: 2, 3, 4 ..."));
    QVERIFY((q.choices == std::vector<R>{R::Y, R::X, R::Weight}));
    QVERIFY((q.preselected == std::vector<R>{R::Y, R::X, R::Weight}));
    if (!c.answer) {
      QCOMPARE(w.Snapshot(), before);
      QVERIFY(QString::fromStdString(w.dialogs->messages.back()).startsWith("Nothing was pasted"));
      continue;
    }
    QCOMPARE(w.Analyse().n, c.analysed);
  }
  // A header that names every column places them without a question.
  Window w;
  w.in().WeightComboBoxChange(1);
  w.Paste("Y\tX\tWeight\n1\t2\t3\n4\t5\t1\n");
  QVERIFY(w.dialogs->columnQuestions.empty());
  QCOMPARE(w.cell(1, kWeightColumn), QString("3"));
}

void GridEditTest::TheColumnDialogHoldsTwiceChosenRoles() {
  // The real dialog: Y chosen twice holds "Paste" and says why; set right, it pastes.
  TVornaxForm form;
  form.FinishForm->OnFinish = [] {};
  ColumnQuestion q{"Which?", {"Column 1", "Column 2"}, {ColumnRole::Y, ColumnRole::X},
                   {ColumnRole::Y, ColumnRole::Y}};
  bool held = false;
  QTimer::singleShot(0, [&held] {
    auto* dialog = dynamic_cast<ColumnRolesDialog*>(QApplication::activeModalWidget());
    if (!dialog) return;
    held = !dialog->PasteButton->isEnabled();
    dialog->Boxes[1]->setCurrentIndex(1);  // X
    dialog->PasteButton->click();
  });
  const auto roles = form.Dialogs().AskColumnRoles(q);
  QVERIFY(held);
  QVERIFY(roles && (*roles == std::vector<ColumnRole>{ColumnRole::Y, ColumnRole::X}));
}

void GridEditTest::IncompleteRowsAreNamedMarkedAndLeftOut() {
  Window w;
  w.Paste(Block(1, 45, 100));
  for (int r : {12, 40}) {
    w.At(r, kXColumn);
    w.Keys(Qt::Key_Delete);
  }
  std::vector<std::pair<double, double>> complete;
  for (const auto& p : Pairs(1, 45, 100)) {
    if (p.second != 12 && p.second != 40) complete.push_back(p);
  }
  QCOMPARE(w.Analyse(), Expected(complete));
  QCOMPARE(w.dialogs->messages.front(),
           std::string("Rows 12 and 40 are incomplete and are left out of the analysis."));
  // Kept in the grid, and marked.
  QCOMPARE(w.grid().DataRows(), 45);
  QCOMPARE(w.cell(12, kYColumn), QString("112"));
  QCOMPARE(w.grid().MarkedRows(), (std::vector<int>{12, 40}));
  QVERIFY(w.grid().item(11, kYColumn)->background() != w.grid().item(10, kYColumn)->background());
  // Completed, a row loses its mark and is analysed again.
  w.At(12, kXColumn);
  w.Type("12");
  w.Keys(Qt::Key_Return);
  QCOMPARE(w.grid().MarkedRows(), std::vector<int>{40});
  QCOMPARE(w.Analyse().n, 44);
}

void GridEditTest::ABadCellIsNamedAndSelected() {
  struct Case {
    int row, column;
    const char* value;
    bool weights;
    const char* message;
  };
  const std::vector<Case> cases = {
      {13, kXColumn, "abc", false, "Row 13, X: \"abc\" is not a number"},
      {12, kWeightColumn, "1.5", true, "Row 12, weight 1.5: weight factors are whole numbers"},
      {3, kYColumn, "2019 (t/ha)", false, "Row 3, Y: \"2019 (t/ha)\" is not a number"},
  };
  for (const Case& c : cases) {
    Window w;
    if (c.weights) w.in().WeightComboBoxChange(1);
    w.Paste(Block(1, 20, 0));
    w.At(c.row, c.column);
    w.Type(c.value);
    w.Keys(Qt::Key_Return);
    w.At(1, kYColumn);
    QCOMPARE(w.Analyse().n, -1);  // nothing was analysed
    QCOMPARE(w.dialogs->messages.back(), std::string(c.message));
    QCOMPARE(w.grid().currentRow(), c.row - 1);
    QCOMPARE(w.grid().currentColumn(), c.column);
  }
}

void GridEditTest::TabAndEnterWalkRowsAsInASpreadsheet() {
  Window w;
  w.At(1, kYColumn);
  // Y, Tab, X, Enter: the next row's Y.
  for (int r = 1; r <= 3; ++r) {
    w.Type(QString::number(r * 10));
    w.Keys(Qt::Key_Tab);
    w.Type(QString::number(r));
    w.Keys(Qt::Key_Return);
    QTRY_COMPARE(w.grid().currentRow(), r);
    QCOMPARE(w.grid().currentColumn(), static_cast<int>(kYColumn));
  }
  // Tab from the last column goes on to the next row's Y, never to the serial number; with
  // weights the weight column is the last. Shift+Tab goes back the same way.
  w.in().WeightComboBoxChange(1);
  w.At(4, kXColumn);
  w.Keys(Qt::Key_Tab);
  QCOMPARE(w.grid().currentColumn(), static_cast<int>(kWeightColumn));
  w.Keys(Qt::Key_Escape);
  w.Keys(Qt::Key_Tab);
  QCOMPARE(w.grid().currentRow(), 4);
  QCOMPARE(w.grid().currentColumn(), static_cast<int>(kYColumn));
  w.Keys(Qt::Key_Escape);
  w.Keys(Qt::Key_Backtab, Qt::ShiftModifier);
  QCOMPARE(w.grid().currentRow(), 3);
  QCOMPARE(w.grid().currentColumn(), static_cast<int>(kWeightColumn));
  w.Keys(Qt::Key_Escape);
  w.in().WeightComboBoxChange(0);
  QCOMPARE(w.Analyse(), Expected({{10, 1}, {20, 2}, {30, 3}}));
}

void GridEditTest::ColumnsWidenToTheirNumbers() {
  Window w;
  const int before = w.grid().width();
  w.Paste("1.2345678901234E+300\t-0.000123456789\n" + Block(2, 12, 0));
  const QFontMetrics metrics(w.grid().font());
  for (int c : {kYColumn, kXColumn}) {
    QVERIFY(w.grid().columnWidth(c) > metrics.horizontalAdvance(w.cell(1, c)));
  }
  QCOMPARE(w.grid().columnWidth(kSerialColumn), 45);
  QVERIFY(w.grid().width() > before);
  // Back to short numbers, back to the standard width.
  w.grid().setFocus();
  w.Undo();
  QCOMPARE(w.grid().columnWidth(kYColumn), 75);
  QCOMPARE(w.grid().width(), before);
}

void GridEditTest::TheReportStaysAndOnlyReportsOpen() {
  Window w;
  TOutputTab& out = *w.form->OutputTabSheet;
  w.Paste(Block(1, 12, 0) + "4\t13\n5\t14\n");
  w.dialogs->files = {w.dir.filePath("real.inp")};
  w.in().InputSaveActionExecute();
  QCOMPARE(w.form->PageControl1->currentWidget(), w.form->OutputTabSheet);
  const QString report = out.OutputMemo->toPlainText();
  QVERIFY(report.startsWith(" Results of program"));
  // A visit to the Input tab without a new run leaves the report where it was.
  w.form->PageControl1->setCurrentWidget(w.form->InputTabSheet);
  w.form->PageControl1->setCurrentWidget(w.form->OutputTabSheet);
  QVERIFY(out.OutputMemo->isVisibleTo(&out));
  QVERIFY(out.SeeGraphButton->isVisibleTo(&out));
  QCOMPARE(out.OutputMemo->toPlainText(), report);
  // An input file and an ANOVA table are no reports: refused, and the report stays.
  const std::vector<std::pair<QString, std::string>> refused = {
      {w.dir.filePath("real.inp"), "is an input file, not a report. Open it with \"Open input\"."},
      {w.dir.filePath("real.var"),
       "is an ANOVA table, not a report. Open the report (\".out\") and use \"Anova table\"."},
  };
  for (const auto& [path, reason] : refused) {
    w.dialogs->files = {path};
    out.OutputOpenActionExecute();
    QCOMPARE(w.dialogs->messages.back(), "\"" + path.toStdString() + "\" " + reason);
    QCOMPARE(out.OutputMemo->toPlainText(), report);
    QVERIFY(out.SeeGraphButton->isVisibleTo(&out));
  }
}

}  // namespace vornax::app::test
