// The main window with its dialogs answered by the test: captions and menus, the grid and its
// pastes, the option boxes, a whole "Save-Calculate" to the Output tab, opening files and
// closing the window.
#include "VornaxFormTest.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

#include "AppTestSupport.h"
#include "app/DataGrid.h"
#include "app/VornaxForm.h"
#include "data/TextFile.h"
#include "data/Version.h"
#include "forms/FinishForm.h"
#include "forms/SelectForms.h"
#include "forms/SymbolsForm.h"

namespace vornax::app::test {
namespace {

constexpr const char* kKeepQuestion =
    "The pasted block has 2 rows; the grid holds 15 rows. Keep rows 3-15 of the old data, or keep "
    "only the 2 pasted rows? Either answer can be undone with Ctrl+Z.";

struct Window : ScriptedWindow {
  std::vector<std::string> Messages() { return dialogs->messages; }
};

QStringList Items(const QComboBox* box) {
  QStringList items;
  for (int i = 0; i < box->count(); ++i) items << box->itemText(i);
  return items;
}

// What a combo box shows: its item, or the text of its own when no item is chosen.
QString Shown(const QComboBox* box) {
  return box->currentIndex() < 0 ? box->placeholderText() : box->currentText();
}

QStringList Headers(DataGrid& grid) {
  QStringList titles;
  for (int c = 0; c < grid.columnCount(); ++c) {
    if (!grid.isColumnHidden(c)) titles << grid.horizontalHeaderItem(c)->text();
  }
  return titles;
}

// Twelve data sets: Y rises by 0.5 per unit of X up to X = 6 and stays level beyond.
QString TwelveRows() {
  QString text;
  for (int x = 1; x <= 12; ++x) {
    const double wobble[] = {0.05, -0.04, 0.03, -0.05, 0.02, 0.04, -0.03, 0.05, -0.02, 0.01, -0.04, 0.03};
    const double y = (x <= 6 ? 1 + 0.5 * x : 4.0) + wobble[x - 1];
    text += QString::number(y, 'f', 2) + "\t" + QString::number(x) + "\r\n";
  }
  return text;
}

}  // namespace

void VornaxFormTest::CaptionsMenusAndShortcuts() {
  Window w;
  TVornaxForm& f = *w.form;
  QCOMPARE(f.windowTitle(),
           QString("VornaxA, amplified Vornax program for SEGMENTED LINEAR REGRESSION and  for "
                   "GENERALIZED CURVED REGRESSION  "));
  QStringList tabs;
  for (int i = 0; i < f.PageControl1->count(); ++i) tabs << f.PageControl1->tabText(i);
  QCOMPARE(tabs, (QStringList{"Intro", "Figures", "Input", "Output", "Graphics"}));
  QCOMPARE(f.font().pixelSize(), 13);

  const QList<QAction*> menus = f.menuBar()->actions();
  QCOMPARE(menus.size(), 3);
  QCOMPARE(menus[0]->text(), QString("&File"));
  QCOMPARE(menus[1]->text(), QString("&Edit"));
  QCOMPARE(menus[2]->text(), QString("&Help"));
  QCOMPARE(menus[2]->menu()->actions(), QList<QAction*>{f.AboutAction});
  QCOMPARE(f.AboutAction->text(), QString("&About Vornax"));
  // The About box names the version exactly as --version prints it.
  QCOMPARE(TVornaxForm::AboutText(),
           QString::fromStdString("Vornax segmented regression analysis\nVersion " +
                                  ProgramVersion()));
  QStringList fileItems;
  for (QAction* a : menus[0]->menu()->actions()) {
    if (!a->isSeparator()) fileItems << a->text() + " " + a->shortcut().toString();
  }
  QCOMPARE(fileItems, (QStringList{"Open input Ctrl+I", "Open table (CSV, TSV, ...) Ctrl+T",
                                   "Open output Ctrl+O", "OpenGraph Ctrl+G", "Save input Ctrl+S",
                                   "Recent files ", "s&Ave graph Ctrl+Shift+G", "&Print... Ctrl+P",
                                   "program e&Xit Ctrl+Q"}));
  QStringList editItems;
  for (QAction* a : menus[1]->menu()->actions()) {
    if (!a->isSeparator()) editItems << a->text() + " " + a->shortcut().toString();
  }
  QCOMPARE(editItems,
           (QStringList{"&Undo Ctrl+Z", "&Redo Ctrl+Shift+Z", "&Copy Ctrl+C", "Copy &graph ",
                        "Cu&t Ctrl+X", "&Paste Ctrl+V", "Select &All Ctrl+A"}));
  QCOMPARE(f.RedoAction->shortcuts(),
           (QList<QKeySequence>{QKeySequence("Ctrl+Shift+Z"), QKeySequence("Ctrl+Y")}));
  QCOMPARE(f.DeleteAction->shortcut(), QKeySequence(Qt::Key_Delete));

  // No key stands for two actions: Ctrl+X cuts and never quits, Ctrl+A selects and never saves.
  QSet<QString> keys;
  for (QAction* a : f.findChildren<QAction*>()) {
    if (a->shortcut().isEmpty()) continue;
    const QString key = a->shortcut().toString();
    QVERIFY2(!keys.contains(key), qPrintable("shortcut used twice: " + key));
    keys.insert(key);
  }

  // The window starts on the Intro page.
  TVornaxForm fresh;
  QCOMPARE(fresh.PageControl1->currentWidget(), fresh.IntroTabSheet);
  QCOMPARE(fresh.StatusText(), QString("Click on the Input tab to proceed."));
}

void VornaxFormTest::InputTabControlsAndDefaultGrid() {
  Window w;
  TVornaxForm& f = *w.form;
  QCOMPARE(f.StatusText(),
           QString("Enter data or use \"Open\" to edit existing data. Then use \"Save-Calculate\"."));
  QCOMPARE(f.InputTabSheet->Title1Label->text(), QString("Title1"));
  QCOMPARE(f.InputTabSheet->Title1Edit->toolTip(), QString("General information"));
  QCOMPARE(f.InputTabSheet->Title2Edit->toolTip(), QString("Details about the variables and units"));
  QCOMPARE(f.InputTabSheet->NrOfDataLabel->text(), QString("Nr. of data sets"));
  QCOMPARE(f.InputTabSheet->NrOfDataEdit->text(), QString("15"));
  QCOMPARE(f.InputTabSheet->NrOfVariablesLabel->text(), QString("Nr. of independent variables"));
  QCOMPARE(Items(f.InputTabSheet->NrOfVarComboBox), (QStringList{"1", "2"}));
  QCOMPARE(Items(f.InputTabSheet->OptionComboBox), (QStringList{"      Use both independent variables       ",
                                                 "      Use 1st independent variable only    ",
                                                 "      Use 2nd independent variable only   "}));
  QVERIFY(!f.InputTabSheet->OptionComboBox->isEnabled());
  QCOMPARE(f.InputTabSheet->ConfLabel->text(), QString("Minimum confidence %"));
  QCOMPARE(Items(f.InputTabSheet->ConfComboBox), (QStringList{"90", "95", "98"}));
  QCOMPARE(Items(f.InputTabSheet->PrefComboBox), (QStringList{"     Select your regression preference",
                                               " Prefer: Best of segmented Types 1 - 6",
                                               "    Select a preferred segmented type",
                                               "    Select a preferred curved function",
                                               "    Select two or three breakpoints"}));
  QCOMPARE(f.InputTabSheet->PrefLabel->text(), QString("Standard: Best of all segmented regression types "));
  QCOMPARE(f.InputTabSheet->SelectLabel->text(), QString("Note: wihout selection      Best of Type 1-6 is used"));
  QCOMPARE(f.InputTabSheet->PartLabel->text(),
           QString("Partial regression finds the longest horizontal stretch (range of \"no effect\")"));
  QVERIFY(f.InputTabSheet->SelectLabel->isHidden() && f.InputTabSheet->PartLabel->isHidden());
  QCOMPARE(Items(f.InputTabSheet->ExclComboBox), (QStringList{"      No exclusion of regression types",
                                               "       Yes, exclude a regression type"}));
  QCOMPARE(f.InputTabSheet->Exclude1Panel->title(), QString("    X variable  "));
  QCOMPARE(f.InputTabSheet->Exclude2Panel->title(), QString("    Z variable  "));
  QCOMPARE(f.InputTabSheet->ExclZRadioButtons[6]->text(), QString("Exclude type 6"));
  QVERIFY(f.InputTabSheet->Exclude1Panel->isHidden() && f.InputTabSheet->Exclude2Panel->isHidden());
  QCOMPARE(Items(f.InputTabSheet->WeightComboBox), (QStringList{"         No weight factors required    ",
                                                 "         Weight factors are needed"}));
  QCOMPARE(f.InputTabSheet->InputOpenButton->text(), QString(" Open input file"));
  QCOMPARE(f.InputTabSheet->InputSaveButton->text(), QString(" Save-Calculate "));
  QCOMPARE(f.InputTabSheet->HelpOpenButton->text(), QString("Symbols help"));
  QCOMPARE(f.InputTabSheet->PasteButton->text(), QString("Paste help"));
  QCOMPARE(f.InputTabSheet->ClearButton->text(), QString("Clear data"));
  QVERIFY(f.InputTabSheet->FileNameEdit->isHidden() && f.InputTabSheet->WaitMemo->isHidden());
  QCOMPARE(f.InputTabSheet->StringGrid1->toolTip(), QString("Y = dependent variable, X, Z independent"));

  // Fifteen numbered rows whose data cells are empty: nothing is analysed that was not typed.
  QCOMPARE(w.grid().DataRows(), 15);
  QCOMPARE(Headers(w.grid()), (QStringList{"Serial", "    Y", "    X"}));
  QCOMPARE(w.grid().columnWidth(kSerialColumn), 45);
  QCOMPARE(w.grid().columnWidth(kYColumn), 75);
  for (int r = 1; r <= 15; ++r) {
    QCOMPARE(w.cell(r, kSerialColumn), QString::number(r));
    QVERIFY(w.cell(r, kYColumn).isEmpty() && w.cell(r, kXColumn).isEmpty());
  }
  QVERIFY(!(w.grid().item(0, kSerialColumn)->flags() & Qt::ItemIsEditable));

  // The help texts take the grid's place and back, with the other buttons held meanwhile.
  f.InputTabSheet->HelpOpenButtonClick();
  QCOMPARE(f.InputTabSheet->HelpOpenButton->text(), QString("Close symbols"));
  QVERIFY(f.InputTabSheet->HelpMemo->toPlainText().contains("Vornax handles a maximum of 2000 data sets."));
  QVERIFY(!f.InputTabSheet->InputSaveButton->isEnabled() && !f.InputTabSheet->ClearButton->isEnabled());
  f.InputTabSheet->HelpOpenButtonClick();
  QCOMPARE(f.InputTabSheet->HelpOpenButton->text(), QString("Symbols help "));
  QVERIFY(f.InputTabSheet->InputSaveButton->isEnabled());
  f.InputTabSheet->PasteButtonClick();
  QCOMPARE(f.InputTabSheet->PasteButton->text(), QString("Close paste"));
  QVERIFY(f.InputTabSheet->PasteMemo->toPlainText().startsWith("Columns copied from a spreadsheet"));
  f.InputTabSheet->PasteButtonClick();
  QCOMPARE(f.InputTabSheet->PasteButton->text(), QString("Paste help"));
}

void VornaxFormTest::TwoLinePasteAsksToKeepTheFormerNumber() {
  for (const bool keep : {true, false}) {
    Window w;
    // Fifteen rows of old data, then two lines pasted over them.
    for (int r = 1; r <= 15; ++r) {
      w.grid().SetCellText(r, kYColumn, "1");
      w.grid().SetCellText(r, kXColumn, QString::number(r));
    }
    w.dialogs->choiceAnswers = {keep ? 0 : 1};
    w.form->InputTabSheet->HandlePasteMultiCell(kYColumn, 1, "12.5\t3\r\n13\t4\r\n");
    QCOMPARE(w.dialogs->choices.size(), size_t{1});
    QCOMPARE(w.dialogs->choices[0].first, std::string(kKeepQuestion));
    QCOMPARE(w.dialogs->choices[0].second,
             (std::vector<std::string>{"Keep rows 3-15", "Keep only the 2 pasted rows"}));
    QCOMPARE(w.cell(1, kYColumn), QString("12.5"));
    QCOMPARE(w.cell(1, kXColumn), QString("3"));
    QCOMPARE(w.cell(2, kYColumn), QString("13"));
    QCOMPARE(w.cell(2, kXColumn), QString("4"));
    QCOMPARE(w.grid().DataRows(), keep ? 15 : 2);
    QCOMPARE(w.form->InputTabSheet->NrOfDataEdit->text(), keep ? QString("15") : QString("2"));
    QVERIFY(w.form->InputTabSheet->DataPresent);
    QVERIFY(w.Messages().empty());
  }
  // Text copied on Linux ends its lines with LF only: still two rows, not X = 313. The empty
  // rows of the start hold no old data: no question.
  Window w;
  w.form->InputTabSheet->HandlePasteMultiCell(kYColumn, 1, "12.5\t3\n13\t4\n");
  QCOMPARE(w.cell(1, kXColumn), QString("3"));
  QCOMPARE(w.cell(2, kYColumn), QString("13"));
  QVERIFY(w.dialogs->choices.empty());
  QCOMPARE(w.grid().DataRows(), 2);
}

void VornaxFormTest::PastedNumbersKeepExponentAndDecimalComma() {
  Window w;
  QTemporaryDir dir;
  QString text;
  // 1.2E+03 must arrive as 1200 (dropping the letter and the sign would make 1.203), and a
  // decimal comma as a point.
  text += "1.2E+03\t2,5\r\n";
  for (int i = 2; i <= 12; ++i) text += QString("%1\t%2\r\n").arg(100 * i).arg(i);
  w.form->InputTabSheet->HandlePasteMultiCell(kYColumn, 1, text);
  QCOMPARE(w.cell(1, kYColumn), QString("1.2E+03"));
  QCOMPARE(w.cell(1, kXColumn), QString("2.5"));
  w.dialogs->files = {dir.filePath("exp.inp")};
  w.form->InputTabSheet->InputSaveActionExecute();
  const TDMVornax& d = w.form->session().Data;
  QCOMPARE(d.GridRowCount, 12);
  // The data set is sorted by X after the run: find the pasted first row by its serial number.
  bool found = false;
  for (size_t i = 0; i < d.SerialNr.size(); ++i) {
    if (d.SerialNr[i] == 1) {
      QCOMPARE(static_cast<double>(d.YData[i]), 1200.0);
      QCOMPARE(static_cast<double>(d.XData[i]), 2.5);
      found = true;
    }
  }
  QVERIFY(found);
}

void VornaxFormTest::PasteGrowsTheGridAndStopsAtTheLastColumn() {
  {
    // Forty lines into the 15-row grid: the grid grows first, and no question is asked.
    Window w;
    QString text;
    for (int i = 1; i <= 40; ++i) text += QString("%1\t%2\n").arg(i * 2).arg(i);
    w.form->InputTabSheet->HandlePasteMultiCell(kYColumn, 1, text);
    QCOMPARE(w.grid().DataRows(), 40);
    QCOMPARE(w.cell(40, kSerialColumn), QString("40"));
    QCOMPARE(w.cell(40, kYColumn), QString("80"));
    QCOMPARE(w.cell(40, kWeightColumn), QString("1"));  // ready should weights be asked for
    QVERIFY(w.dialogs->questions.empty());
    QCOMPARE(w.form->InputTabSheet->NrOfDataEdit->text(), QString("40"));
  }
  {
    // Pasted from row 14: the two rows beyond the end are added, nothing written past them.
    Window w;
    w.form->InputTabSheet->HandlePasteMultiCell(kYColumn, 14, "1\t2\n3\t4\n5\t6\n7\t8\n");
    QCOMPARE(w.grid().DataRows(), 17);
    QCOMPARE(w.cell(17, kYColumn), QString("7"));
    QCOMPARE(w.cell(17, kSerialColumn), QString("17"));
  }
  {
    // A Z column pasted into a one-variable grid without weights: the user says where the
    // columns go (here as offered: the third left out).
    Window w;
    w.form->InputTabSheet->HandlePasteMultiCell(kYColumn, 1, "1\t2\t3\n4\t5\t6\n");
    QCOMPARE(w.dialogs->columnQuestions.size(), size_t{1});
    QCOMPARE(w.cell(1, kXColumn), QString("2"));
    QVERIFY(w.cell(1, kZColumn).isEmpty());
    QCOMPARE(w.cell(1, kWeightColumn), QString("1"));
    QVERIFY(w.Messages().empty());
  }
  {
    // With two variables and weights the same three columns are Y, X and Z; the weights stay.
    Window w;
    w.form->InputTabSheet->NrOfVarComboBoxChange(1);
    w.form->InputTabSheet->HandlePasteMultiCell(kYColumn, 1, "1\t2\t3\n");
    QCOMPARE(w.cell(1, kZColumn), QString("3"));
    QVERIFY(w.Messages().empty());
  }
  {
    // Pasted on the serial column, the values start at Y; trailing tabs add nothing.
    Window w;
    w.form->InputTabSheet->HandlePasteMultiCell(kSerialColumn, 3, "7\t8\t\n");
    QCOMPARE(w.cell(3, kSerialColumn), QString("3"));
    QCOMPARE(w.cell(3, kYColumn), QString("7"));
    QCOMPARE(w.cell(3, kXColumn), QString("8"));
    QVERIFY(w.Messages().empty());
  }
}

void VornaxFormTest::PasteIntoACellBeingEdited() {
  Window w;
  w.form->show();
  QVERIFY(QTest::qWaitForWindowExposed(w.form.get()));
  w.grid().setFocus();
  w.grid().setCurrentCell(0, kYColumn);
  w.grid().editItem(w.grid().item(0, kYColumn));
  QWidget* editor = QApplication::focusWidget();
  QVERIFY(qobject_cast<QLineEdit*>(editor));
  QApplication::clipboard()->setText("5\t6\r\n7\t8\r\n");
  w.grid().SetCellText(15, kYColumn, "1");  // old data below: the grid keeps its rows
  QTest::keyClick(editor, Qt::Key_V, Qt::ControlModifier);
  QTRY_COMPARE(w.cell(2, kXColumn), QString("8"));
  QCOMPARE(w.cell(1, kYColumn), QString("5"));
  QCOMPARE(w.dialogs->choices.size(), size_t{1});
  // The Edit menu's Paste on a cell being edited spreads the cells the same way.
  w.grid().setFocus();
  w.grid().setCurrentCell(4, kYColumn);
  w.grid().editItem(w.grid().item(4, kYColumn));
  QVERIFY(qobject_cast<QLineEdit*>(QApplication::focusWidget()));
  QApplication::clipboard()->setText("9\t10\n");
  w.form->PasteAction->trigger();
  QCOMPARE(w.cell(5, kYColumn), QString("9"));
  QCOMPARE(w.cell(5, kXColumn), QString("10"));
}

void VornaxFormTest::DataCountBoxIsCheckedWhenLeft() {
  Window w;
  w.form->show();
  QVERIFY(QTest::qWaitForWindowExposed(w.form.get()));
  QLineEdit* box = w.form->InputTabSheet->NrOfDataEdit;
  box->setFocus();
  box->selectAll();
  // Typing alone checks nothing: "1" on the way to "12" is no error.
  QTest::keyClicks(box, "9");
  QVERIFY(w.Messages().empty());
  QTest::keyClick(box, Qt::Key_Return);
  QCOMPARE(w.Messages(), std::vector<std::string>{" The minimum number of data sets is 10"});
  QCOMPARE(w.grid().DataRows(), 15);
  QCOMPARE(box->text(), QString("15"));

  box->setText("twelve");
  w.form->InputTabSheet->NrOfDataEditExit();
  QCOMPARE(w.Messages().back(), std::string("The number of data sets is not a valid integer"));
  QCOMPARE(w.grid().DataRows(), 15);

  box->setText("20");
  w.form->InputTabSheet->NrOfDataEditExit();
  QCOMPARE(w.Messages().back(), std::string(" Add data in the last cells at the end of the column"));
  QCOMPARE(w.grid().DataRows(), 20);
  QCOMPARE(w.cell(20, kSerialColumn), QString("20"));
  QVERIFY(w.cell(20, kYColumn).isEmpty());

  box->setText("12");
  w.form->InputTabSheet->NrOfDataEditExit();
  QCOMPARE(w.Messages().back(), std::string(" To remove data make the relevant data cells empty"));
  QCOMPARE(w.grid().DataRows(), 20);

  box->setText("5000000");
  w.form->InputTabSheet->NrOfDataEditExit();
  QCOMPARE(w.Messages().back(), std::string("The table takes at most 100000 data sets"));
  QCOMPARE(w.grid().DataRows(), 20);
}

void VornaxFormTest::CurvedPreferenceWithBothVariables() {
  Window w;
  TVornaxForm& f = *w.form;
  f.InputTabSheet->NrOfVarComboBoxChange(1);
  QVERIFY(f.InputTabSheet->OptionComboBox->isEnabled());
  QCOMPARE(f.InputTabSheet->OptionComboBox->currentIndex(), 0);
  f.InputTabSheet->PrefComboBoxChange(3);
  QCOMPARE(w.Messages(),
           std::vector<std::string>{
               "With two independent variables, the option of curved functions is not yet "
               "operational and, instead, the segmented procedure will be followed."});
  QVERIFY(!f.InputTabSheet->SelectForm->isHidden());
  QVERIFY(f.InputTabSheet->Select2Form->isHidden());
  QVERIFY(f.InputTabSheet->SelectForm->XGroup->isVisibleTo(f.InputTabSheet->SelectForm) && f.InputTabSheet->SelectForm->ZGroup->isVisibleTo(f.InputTabSheet->SelectForm));
  QCOMPARE(f.InputTabSheet->SelectForm->width(), 325);
  QVERIFY(f.InputTabSheet->SelectLabel->isVisibleTo(f.InputTabSheet));
  QVERIFY(!f.InputTabSheet->SelectForm->XButtons[7]->isEnabled());  // no partial regression with both
  // Nothing chosen in the panel yet: an exclusion may still be chosen instead.
  QCOMPARE(Shown(f.InputTabSheet->ExclComboBox), QString("      No exclusion of regression types"));
  QCOMPARE(f.InputTabSheet->SelectForm->XGroup->title(), QString("    X variable   "));
  QCOMPARE(f.InputTabSheet->SelectForm->ZButtons[1]->text(), QString("Prefer type1"));
  QCOMPARE(f.InputTabSheet->SelectForm->XButtons[1]->text(), QString("Prefer type 1"));
  // A choice in each group goes to its own variable.
  f.InputTabSheet->SelectForm->XButtons[3]->setChecked(true);
  f.InputTabSheet->SelectForm->ZButtons[5]->setChecked(true);
  QCOMPARE(f.session().Options.PreferredTypeX, 3);
  QCOMPARE(f.session().Options.PreferredTypeZ, 5);
  QCOMPARE(Shown(f.InputTabSheet->ExclComboBox), QString("          Exclusion: not applicable"));
}

void VornaxFormTest::PreferenceAndExclusionBoxes() {
  Window w;
  TVornaxForm& f = *w.form;
  RunOptions& o = f.session().Options;
  // One variable: the curved functions' window with its X group.
  f.InputTabSheet->PrefComboBoxChange(3);
  QVERIFY(!f.InputTabSheet->Select2Form->isHidden() && f.InputTabSheet->SelectForm->isHidden());
  QVERIFY(f.InputTabSheet->Select2Form->XGroup->isVisibleTo(f.InputTabSheet->Select2Form));
  QVERIFY(!f.InputTabSheet->Select2Form->ZGroup->isVisibleTo(f.InputTabSheet->Select2Form));
  QCOMPARE(f.InputTabSheet->Select2Form->XButtons[static_cast<int>(CurveChoice::Quadratic)]->text(), QString("Quadr. regress."));
  QVERIFY(f.InputTabSheet->InputImage->isHidden());
  f.InputTabSheet->Select2Form->XButtons[static_cast<int>(CurveChoice::Quadratic)]->setChecked(true);
  QCOMPARE(o.CurveX, CurveChoice::Quadratic);
  // Another preference resets every choice ("No preference" everywhere).
  f.InputTabSheet->PrefComboBoxChange(2);
  QCOMPARE(o.CurveX, CurveChoice::None);
  QVERIFY(f.InputTabSheet->Select2Form->XButtons[0]->isChecked());
  QVERIFY(!f.InputTabSheet->SelectForm->isHidden() && f.InputTabSheet->Select2Form->isHidden());
  QCOMPARE(f.InputTabSheet->SelectForm->width(), 165);
  // The partial line comes with the partial regression, not with the panel.
  QVERIFY(!f.InputTabSheet->PartLabel->isVisibleTo(f.InputTabSheet));
  f.InputTabSheet->SelectForm->XButtons[7]->setChecked(true);
  QVERIFY(o.PartialX);
  QVERIFY(f.InputTabSheet->PartLabel->isVisibleTo(f.InputTabSheet));
  f.InputTabSheet->PrefComboBoxChange(1);
  QVERIFY(f.InputTabSheet->SelectForm->isHidden());
  QVERIFY(!o.PartialX);

  // "Yes, exclude" shows the X panel only; the preference box says what is meant.
  f.InputTabSheet->ExclComboBoxChange(1);
  QCOMPARE(Shown(f.InputTabSheet->PrefComboBox), QString("Preference: best of all except excluded"));
  QVERIFY(f.InputTabSheet->Exclude1Panel->isVisibleTo(f.InputTabSheet));
  QVERIFY(!f.InputTabSheet->Exclude2Panel->isVisibleTo(f.InputTabSheet));
  f.InputTabSheet->ExclXRadioButtons[4]->setChecked(true);
  QCOMPARE(o.ExcludedTypeX, 4);
  f.InputTabSheet->ExclComboBoxChange(0);
  QCOMPARE(Shown(f.InputTabSheet->PrefComboBox), QString("   Prefer: Best of segmented Types 1-6"));
  QCOMPARE(o.ExcludedTypeX, 0);
  QVERIFY(!f.InputTabSheet->ExclXRadioButtons[4]->isChecked());
  QVERIFY(f.InputTabSheet->Exclude1Panel->isHidden());

  // Two variables, the second only: the Z panel alone, and its choice is the analysed one's.
  f.InputTabSheet->NrOfVarComboBoxChange(1);
  f.InputTabSheet->OptionComboBoxChange(2);
  QVERIFY(f.session().Data.SingleIsZ);
  f.InputTabSheet->ExclComboBoxChange(1);
  QVERIFY(f.InputTabSheet->Exclude2Panel->isVisibleTo(f.InputTabSheet) && !f.InputTabSheet->Exclude1Panel->isVisibleTo(f.InputTabSheet));
  f.InputTabSheet->ExclZRadioButtons[3]->setChecked(true);
  QCOMPARE(o.ExcludedTypeZ, 3);
  QCOMPARE(o.ExcludedTypeX, 3);
  // Both together: both panels, each for its own variable.
  f.InputTabSheet->OptionComboBoxChange(0);
  // The preference is reset with the variables: an exclusion may be chosen again.
  QCOMPARE(Shown(f.InputTabSheet->ExclComboBox), QString("      No exclusion of regression types"));
  f.InputTabSheet->ExclComboBoxChange(1);
  QVERIFY(f.InputTabSheet->Exclude1Panel->isVisibleTo(f.InputTabSheet) && f.InputTabSheet->Exclude2Panel->isVisibleTo(f.InputTabSheet));
  f.InputTabSheet->ExclXRadioButtons[2]->setChecked(true);
  f.InputTabSheet->ExclZRadioButtons[6]->setChecked(true);
  QCOMPARE(o.ExcludedTypeX, 2);
  QCOMPARE(o.ExcludedTypeZ, 6);

  f.InputTabSheet->ConfComboBoxChange(2);
  QCOMPARE(o.ConfidenceT, 2.5);
  f.InputTabSheet->ConfComboBoxChange(1);
  QCOMPARE(o.ConfidenceT, 2.1);
}

void VornaxFormTest::ChangingLayoutKeepsTypedCells() {
  Window w;
  TVornaxForm& f = *w.form;
  w.grid().SetCellText(1, kYColumn, "4.5");
  w.grid().SetCellText(1, kXColumn, "10");
  f.InputTabSheet->WeightComboBoxChange(1);
  f.InputTabSheet->WeightComboBox->setCurrentIndex(1);
  QCOMPARE(Headers(w.grid()), (QStringList{"Serial", "    Y", "    X", "Weight"}));
  w.grid().SetCellText(1, kWeightColumn, "3");
  // Two variables: a Z column appears, the typed cells and the weight option stay.
  f.InputTabSheet->NrOfVarComboBoxChange(1);
  QCOMPARE(Headers(w.grid()), (QStringList{"Serial", "    Y", "    X", "    Z", "Weight"}));
  QCOMPARE(w.cell(1, kYColumn), QString("4.5"));
  QCOMPARE(w.cell(1, kXColumn), QString("10"));
  QCOMPARE(w.cell(1, kWeightColumn), QString("3"));
  QVERIFY(f.session().Options.WeightsUsed);
  QCOMPARE(f.InputTabSheet->WeightComboBox->currentIndex(), 1);
  w.grid().SetCellText(1, kZColumn, "0.7");
  // Back to one: the Z column hides with its value, which comes back with two variables.
  f.InputTabSheet->NrOfVarComboBoxChange(0);
  QCOMPARE(Headers(w.grid()), (QStringList{"Serial", "    Y", "    X", "Weight"}));
  f.InputTabSheet->OptionComboBoxChange(1);
  QCOMPARE(w.cell(1, kWeightColumn), QString("3"));
  f.InputTabSheet->NrOfVarComboBoxChange(1);
  QCOMPARE(w.cell(1, kZColumn), QString("0.7"));
  // The grid handed to the run has the columns of the layout shown.
  const GridInput g = f.InputTabSheet->GridFromWindow();
  QCOMPARE(g.NrOfVarInData, 2);
  QCOMPARE(g.Rows[0], (std::vector<std::string>{"1", "4.5", "10", "0.7", "3"}));
  f.InputTabSheet->WeightComboBoxChange(0);
  QCOMPARE(Headers(w.grid()), (QStringList{"Serial", "    Y", "    X", "    Z"}));
}

void VornaxFormTest::GridKeyboardCutCopySelectAll() {
  Window w;
  TVornaxForm& f = *w.form;
  f.show();
  QVERIFY(QTest::qWaitForWindowExposed(&f));
  w.grid().SetCellText(1, kYColumn, "4.5");
  w.grid().SetCellText(1, kXColumn, "10");
  w.grid().SetCellText(2, kYColumn, "5");
  w.grid().setFocus();
  w.grid().setCurrentCell(0, kYColumn);
  w.grid().setRangeSelected(QTableWidgetSelectionRange(0, kYColumn, 1, kXColumn), true);
  QTest::keyClick(&w.grid(), Qt::Key_C, Qt::ControlModifier);
  QCOMPARE(QApplication::clipboard()->text(), QString("4.5\t10\n5\t\n"));
  // Ctrl+X cuts the cells; the program stays and no finish window appears.
  QTest::keyClick(&w.grid(), Qt::Key_X, Qt::ControlModifier);
  QVERIFY(w.cell(1, kYColumn).isEmpty() && w.cell(2, kYColumn).isEmpty());
  QVERIFY(!f.FinishForm->isVisible());
  QVERIFY(f.InputTabSheet->GridEdited);
  // The menu's Cut on the grid does the same.
  w.grid().SetCellText(3, kYColumn, "8");
  w.grid().clearSelection();
  w.grid().setCurrentCell(2, kYColumn);
  f.CutAction->trigger();
  QVERIFY(w.cell(3, kYColumn).isEmpty());
  QCOMPARE(QApplication::clipboard()->text(), QString("8\n"));
  // Ctrl+A selects every cell and saves no graph.
  QTest::keyClick(&w.grid(), Qt::Key_A, Qt::ControlModifier);
  QCOMPARE(w.grid().selectedItems().size(), w.grid().rowCount() * 2);  // Y and X of every row
  // Delete empties the data cells of the selection, never the serial numbers.
  w.grid().SetCellText(4, kXColumn, "9");
  QTest::keyClick(&w.grid(), Qt::Key_Delete);
  QVERIFY(w.cell(4, kXColumn).isEmpty());
  QCOMPARE(w.cell(4, kSerialColumn), QString("4"));
  // A single value pasted on a cell goes into that cell only.
  w.grid().clearSelection();
  w.grid().setCurrentCell(5, kXColumn);
  QApplication::clipboard()->setText("3,75");
  QTest::keyClick(&w.grid(), Qt::Key_V, Qt::ControlModifier);
  QCOMPARE(w.cell(6, kXColumn), QString("3.75"));
  QVERIFY(w.dialogs->questions.empty());
}

void VornaxFormTest::TypedCellsWithEnterGoDown() {
  Window w;
  w.form->show();
  QVERIFY(QTest::qWaitForWindowExposed(w.form.get()));
  w.form->activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(w.form.get()));
  w.grid().setFocus();
  w.grid().setCurrentCell(0, kYColumn);
  QVERIFY(!w.form->InputTabSheet->GridEdited);
  // The first key opens the cell's editor, which takes the keys after it.
  auto type = [](const char* text) {
    for (const char* c = text; *c; ++c) QTest::keyClick(QApplication::focusWidget(), *c);
  };
  type("12");
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
  QTRY_COMPARE(w.cell(1, kYColumn), QString("12"));
  QTRY_COMPARE(w.grid().currentRow(), 1);
  type("2,5");
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  QTRY_COMPARE(w.cell(2, kYColumn), QString("2.5"));
  QTRY_COMPARE(w.grid().currentColumn(), static_cast<int>(kXColumn));
  QVERIFY(w.form->InputTabSheet->GridEdited && w.form->InputTabSheet->DataPresent);
  // Tab has opened the next cell for typing; Enter closes it and goes down, and Enter on a cell
  // not being edited goes down too.
  type("7");
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
  QTRY_COMPARE(w.grid().currentRow(), 2);
  QCOMPARE(w.cell(2, kXColumn), QString("7"));
  QTest::keyClick(&w.grid(), Qt::Key_Return);
  QCOMPARE(w.grid().currentRow(), 3);
}

void VornaxFormTest::SaveCalculateShowsTheReportAndAnovaToggles() {
  Window w;
  TVornaxForm& f = *w.form;
  QTemporaryDir dir;
  const QString inp = dir.filePath("trial.inp");
  f.InputTabSheet->Title1Edit->setText("Trial");
  // Twelve rows pasted, then three empty rows added with the data-count box.
  f.InputTabSheet->HandlePasteMultiCell(kYColumn, 1, TwelveRows());
  QCOMPARE(w.grid().DataRows(), 12);
  f.InputTabSheet->NrOfDataEdit->setText("15");
  f.InputTabSheet->NrOfDataEditExit();
  QCOMPARE(w.grid().DataRows(), 15);
  w.dialogs->files = {inp};
  w.dialogs->messages.clear();
  f.InputTabSheet->InputSaveActionExecute();
  const QString out = dir.filePath("trial.out");
  QCOMPARE(QString::fromStdString(f.session().Data.FileName), out);
  // The empty rows were left out, not analysed as (0, 0): twelve data sets in the file. The
  // grid keeps its rows, and blank rows need no message.
  QCOMPARE(f.session().Data.NrOfData, 12);
  QCOMPARE(w.grid().DataRows(), 15);
  QCOMPARE(f.InputTabSheet->NrOfDataEdit->text(), QString("15"));
  QVERIFY(f.InputTabSheet->RowsDropped);
  QVERIFY(!f.InputTabSheet->GridEdited);
  QCOMPARE(Lines(inp).at(4), std::string(" Number of data sets:  12"));
  QCOMPARE(w.dialogs->progress,
           (std::vector<std::string>{" Saving data .....", " Progress 10% ....", " Anova table ....",
                                     " Finalizing ....", " Filing results .."}));
  QCOMPARE(w.dialogs->pauses, (std::vector<int>{500, 500, 500, 500, 500}));
  QVERIFY(f.InputTabSheet->WaitMemo->isHidden());
  QCOMPARE(w.Messages(),
           std::vector<std::string>{("The input is saved in " + inp +
                                     "   Calculations were done and the output is saved in  " + out)
                                        .toStdString()});
  QCOMPARE(f.PageControl1->currentWidget(), f.OutputTabSheet);
  QCOMPARE(f.StatusText(), QString("The output file can be inspected"));
  QVERIFY(!f.InputSaveAction->isEnabled());
  const std::vector<std::string> report = Lines(out);
  QVERIFY(report.size() > 10);
  QCOMPARE(f.OutputTabSheet->OutputMemo->toPlainText(), Joined(report));
  QVERIFY(f.OutputTabSheet->OutputMemo->isVisibleTo(f.OutputTabSheet));
  QCOMPARE(f.OutputTabSheet->AnovaButton->text(), QString("Anova table"));
  // The result in plain words stands above the report: the type line first, in bold.
  QVERIFY(f.OutputTabSheet->SummaryPanel->isVisibleTo(f.OutputTabSheet));
  QVERIFY(f.OutputTabSheet->SummaryPanel->text().startsWith("<b>Function type "));
  QVERIFY(f.OutputTabSheet->SummaryPanel->text().contains("<br>Coefficient of explanation: "));

  // "Anova table" shows the ANOVA table, read from disk; "Close Anova" the report again.
  f.OutputTabSheet->AnovaButtonClick();
  QCOMPARE(f.OutputTabSheet->AnovaButton->text(), QString("Close Anova"));
  QCOMPARE(f.OutputTabSheet->OutputMemo->toPlainText(), Joined(Lines(dir.filePath("trial.var"))));
  QVERIFY(f.OutputTabSheet->OutputMemo->toPlainText() != Joined(report));
  QVERIFY(!f.OutputTabSheet->SymbolsButton->isVisibleTo(f.OutputTabSheet));
  QVERIFY(!f.OutputTabSheet->SeeGraphButton->isVisibleTo(f.OutputTabSheet));
  QVERIFY(!f.OutputTabSheet->SummaryPanel->isVisibleTo(f.OutputTabSheet));
  f.OutputTabSheet->AnovaButtonClick();
  QCOMPARE(f.OutputTabSheet->AnovaButton->text(), QString("Anova table"));
  QCOMPARE(f.OutputTabSheet->OutputMemo->toPlainText(), Joined(report));
  QVERIFY(f.OutputTabSheet->SymbolsButton->isVisibleTo(f.OutputTabSheet));
  QVERIFY(f.OutputTabSheet->SummaryPanel->isVisibleTo(f.OutputTabSheet));

  // The symbols window comes and goes with its button, and goes when the tab is left.
  f.OutputTabSheet->SymbolsButtonClick();
  QVERIFY(f.OutputTabSheet->SymbolsForm->isVisible());
  QCOMPARE(f.OutputTabSheet->SymbolsForm->windowTitle(), QString("Vornax output symbols"));
  f.PageControl1->setCurrentWidget(f.InputTabSheet);
  QVERIFY(!f.OutputTabSheet->SymbolsForm->isVisible());
  // A visit to the Input tab without a new run leaves the report in place.
  QVERIFY(f.OutputAvailable);
  f.PageControl1->setCurrentWidget(f.OutputTabSheet);
  QVERIFY(f.OutputTabSheet->OutputMemo->isVisibleTo(f.OutputTabSheet));
  QCOMPARE(f.OutputTabSheet->OutputMemo->toPlainText(), Joined(report));
}

void VornaxFormTest::WeightFactorsRunAndStayInTheGrid() {
  Window w;
  TVornaxForm& f = *w.form;
  QTemporaryDir dir;
  f.InputTabSheet->WeightComboBoxChange(1);
  QString text;
  for (int x = 1; x <= 10; ++x) {
    // Weights 1, 3 and 2 on the first three data sets, 1 on the others: 3 copies added.
    const int weight = x == 2 ? 3 : x == 3 ? 2 : 1;
    text += QString("%1\t%2\t%3\n").arg(x <= 5 ? x : 5).arg(x).arg(weight);
  }
  // Ten data sets over the empty rows of the start: the grid holds ten.
  f.InputTabSheet->HandlePasteMultiCell(kYColumn, 1, text);
  QCOMPARE(w.grid().DataRows(), 10);
  QCOMPARE(w.cell(2, kWeightColumn), QString("3"));
  w.dialogs->files = {dir.filePath("w.inp")};
  f.InputTabSheet->InputSaveActionExecute();
  QCOMPARE(f.PageControl1->currentWidget(), f.OutputTabSheet);
  QCOMPARE(f.session().Data.NrOfData, 13);
  QCOMPARE(f.session().Data.GridRowCount, 10);
  QCOMPARE(Lines(dir.filePath("w.inp")).at(4), std::string(" Number of data sets:  13"));
  // The grid keeps the ten data sets as entered, with their weights; no copies appear in it.
  f.PageControl1->setCurrentWidget(f.InputTabSheet);
  QCOMPARE(w.grid().DataRows(), 10);
  QCOMPARE(w.cell(2, kWeightColumn), QString("3"));
  QCOMPARE(w.cell(3, kWeightColumn), QString("2"));
  QCOMPARE(Headers(w.grid()), (QStringList{"Serial", "    Y", "    X", "Weight"}));
}

void VornaxFormTest::DroppedRowsLeaveTheRestInTheirOrder() {
  // X not in order, an incomplete row, weights: the analysis sorts the data sets and appends
  // copies, yet the grid must show the rows as entered, in the order entered, the incomplete
  // one kept and marked.
  Window w;
  TVornaxForm& f = *w.form;
  QTemporaryDir dir;
  f.InputTabSheet->WeightComboBoxChange(1);
  const int xs[] = {12, 3, 7, 1, 10, 5, 8, 2, 11, 4, 9, 6};
  QString text;
  for (int i = 0; i < 12; ++i) {
    const int x = xs[i];
    const QString y = i == 4 ? QString() : QString::number(x <= 6 ? 1 + 0.5 * x : 4.0 + 0.01 * i);
    text += y + "\t" + QString::number(x) + "\t" + (i == 1 ? "3" : "1") + "\n";
  }
  f.InputTabSheet->HandlePasteMultiCell(kYColumn, 1, text);
  QCOMPARE(w.grid().DataRows(), 12);
  w.dialogs->files = {dir.filePath("order.inp")};
  f.InputTabSheet->InputSaveActionExecute();
  QCOMPARE(f.PageControl1->currentWidget(), f.OutputTabSheet);
  QCOMPARE(f.session().Data.NrOfData, 13);  // 11 complete rows and 2 copies of the second
  QCOMPARE(w.Messages().front(), std::string("Row 5 is incomplete and is left out of the analysis."));
  QCOMPARE(w.grid().DataRows(), 12);
  QCOMPARE(w.grid().MarkedRows(), std::vector<int>{5});
  QStringList xColumn, weights;
  for (int r = 1; r <= 12; ++r) {
    xColumn << w.cell(r, kXColumn);
    weights << w.cell(r, kWeightColumn);
    QCOMPARE(w.cell(r, kSerialColumn), QString::number(r));
  }
  QCOMPARE(xColumn, (QStringList{"12", "3", "7", "1", "10", "5", "8", "2", "11", "4", "9", "6"}));
  QCOMPARE(weights, (QStringList{"1", "3", "1", "1", "1", "1", "1", "1", "1", "1", "1", "1"}));
  QCOMPARE(f.InputTabSheet->NrOfDataEdit->text(), QString("12"));
  // The input file holds the same rows in the same order.
  const std::vector<std::string> file = Lines(dir.filePath("order.inp"));
  QVERIFY(QString::fromStdString(file.at(11)).simplified().startsWith("1 "));
  QVERIFY(QString::fromStdString(file.at(11)).simplified().endsWith(" 12.00 1"));
}

void VornaxFormTest::SaveCalculateCancelledOrRefused() {
  Window w;
  TVornaxForm& f = *w.form;
  QTemporaryDir dir;
  // Cancelled save dialog: nothing said, nothing run.
  f.InputTabSheet->InputSaveActionExecute();
  QVERIFY(w.Messages().empty());
  QVERIFY(f.InputTabSheet->SaveCancelled);
  QCOMPARE(f.PageControl1->currentWidget(), f.InputTabSheet);
  // An existing file, overwriting refused.
  const QString inp = dir.filePath("old.inp");
  QFile file(inp);
  QVERIFY(file.open(QIODevice::WriteOnly));
  file.write("keep me\r\n");
  file.close();
  w.dialogs->files = {inp};
  w.dialogs->answers = {false};
  f.InputTabSheet->InputSaveActionExecute();
  QCOMPARE(w.dialogs->questions.back(), std::string("The file already exists, overwrite?"));
  QVERIFY(w.Messages().empty());  // refused: as good as cancelled
  QCOMPARE(Lines(inp), std::vector<std::string>{"keep me"});
  // An input named like its own report is refused before anything is written.
  w.dialogs->files = {dir.filePath("trial.out")};
  f.InputTabSheet->InputSaveActionExecute();
  QCOMPARE(w.Messages().size(), size_t{1});
  QVERIFY(QString::fromStdString(w.Messages().back()).startsWith("An input file cannot end in \".out\""));
  QVERIFY(!QFile::exists(dir.filePath("trial.out")));
  // A cell that is not a number stops the run; the grid keeps what was typed.
  w.dialogs->answers = {true};
  f.InputTabSheet->HandlePasteMultiCell(kYColumn, 1, TwelveRows());
  w.grid().SetCellText(3, kXColumn, "1,234.5");
  w.dialogs->files = {dir.filePath("bad.inp")};
  f.InputTabSheet->InputSaveActionExecute();
  QCOMPARE(w.Messages().back(), std::string("Row 3, X: \"1,234.5\" is not a number"));
  QVERIFY(!QFile::exists(dir.filePath("bad.inp")));
  QCOMPARE(w.cell(3, kXColumn), QString("1,234.5"));
  QCOMPARE(f.PageControl1->currentWidget(), f.InputTabSheet);
}

void VornaxFormTest::OptionsChangedByARunAreShown() {
  Window w;
  TVornaxForm& f = *w.form;
  QTemporaryDir dir;
  // An analysis that changes the options, as the two-variable run copies the Z choices onto X.
  AnalysisTable& table = f.session().Analyses;
  const AnalysisEntry real = table[Analysis::OneVariable].Entry;
  table[Analysis::OneVariable].Entry = [real](TDMVornax& d, RunOptions& o, UserDialogs& u) {
    real(d, o, u);
    o.PreferredTypeX = 4;
  };
  f.InputTabSheet->PrefComboBoxChange(2);
  QVERIFY(f.InputTabSheet->SelectForm->XButtons[0]->isChecked());
  w.dialogs->answers = {true};
  f.InputTabSheet->HandlePasteMultiCell(kYColumn, 1, TwelveRows());
  w.dialogs->files = {dir.filePath("opts.inp")};
  f.InputTabSheet->InputSaveActionExecute();
  QCOMPARE(f.PageControl1->currentWidget(), f.OutputTabSheet);
  QVERIFY(f.InputTabSheet->SelectForm->XButtons[4]->isChecked());
}

void VornaxFormTest::TwoVariableRunShowsTheCopiedSelections() {
  Window w;
  TVornaxForm& f = *w.form;
  QTemporaryDir dir;
  const QString copy = dir.filePath("two.inp");
  QVERIFY(QFile::copy(QString(VORNAX_EXAMPLES_DIR) + "/02-yield-depth-salinity.inp", copy));
  w.dialogs->files = {copy, dir.filePath("run.inp")};
  f.InputTabSheet->InputOpenActionExecute();
  QCOMPARE(f.InputTabSheet->NrOfVarInData, 2);
  QCOMPARE(f.InputTabSheet->OptionComboBox->currentIndex(), 0);  // both used together
  f.InputTabSheet->ExclComboBoxChange(1);
  f.InputTabSheet->ExclXRadioButtons[2]->setChecked(true);
  f.InputTabSheet->ExclZRadioButtons[6]->setChecked(true);
  const RunOptions& o = f.session().Options;
  QCOMPARE(o.ExcludedTypeX, 2);
  QCOMPARE(o.ExcludedTypeZ, 6);
  f.InputTabSheet->InputSaveActionExecute();
  QCOMPARE(f.PageControl1->currentWidget(), f.OutputTabSheet);
  QVERIFY(f.OutputTabSheet->OutputMemo->toPlainText().contains("Z"));
  // This example is analysed X first (sequence 1), whose second stage runs with the Z
  // selections: the run copies them onto X, and the X panel shows it.
  QVERIFY(f.OutputTabSheet->OutputMemo->toPlainText().contains(" The first (X) of two independent variables is used firstly."));
  QCOMPARE(o.ExcludedTypeX, 6);
  QVERIFY(f.InputTabSheet->ExclXRadioButtons[6]->isChecked());
  QVERIFY(!f.InputTabSheet->ExclXRadioButtons[2]->isChecked());
  QVERIFY(f.InputTabSheet->ExclZRadioButtons[6]->isChecked());
}

void VornaxFormTest::OpenInputFileAndABadRecord() {
  Window w;
  TVornaxForm& f = *w.form;
  QTemporaryDir dir;
  // Cancelled, then a file that is not there.
  f.InputTabSheet->InputOpenActionExecute();
  QCOMPARE(w.Messages().back(), std::string("No input file was selected"));
  QCOMPARE(w.dialogs->lastFilter, QString("Input files (*.inp)"));
  w.dialogs->files = {dir.filePath("none.inp")};
  f.InputTabSheet->InputOpenActionExecute();
  QCOMPARE(w.Messages().back(), std::string("File does not exist, please select another one,"));

  const QString example = QString(VORNAX_EXAMPLES_DIR) + "/02-yield-depth-salinity.inp";
  const QString copy = dir.filePath("two.inp");
  QVERIFY(QFile::copy(example, copy));
  w.dialogs->files = {copy};
  f.InputTabSheet->InputOpenActionExecute();
  const TDMVornax& d = f.session().Data;
  QCOMPARE(f.InputTabSheet->NrOfVarInData, 2);
  QCOMPARE(Headers(w.grid()), (QStringList{"Serial", "    Y", "    X", "    Z"}));
  QCOMPARE(w.grid().DataRows(), d.NrOfData);
  QCOMPARE(f.InputTabSheet->NrOfDataEdit->text(), QString::number(d.NrOfData));
  QCOMPARE(w.cell(1, kYColumn).toDouble(), static_cast<double>(d.YData[0]));
  QCOMPARE(w.cell(1, kZColumn).toDouble(), static_cast<double>(d.ZData[0]));
  QCOMPARE(f.InputTabSheet->Title1Edit->text(), QString::fromStdString(d.Title1));
  QVERIFY(f.InputTabSheet->FileNameEdit->isVisibleTo(f.InputTabSheet));
  QVERIFY(f.InputTabSheet->OptionComboBox->isEnabled());
  QCOMPARE(f.DialogDir, dir.path());
  QVERIFY(f.InputTabSheet->DataPresent && !f.InputTabSheet->GridEdited);

  // A file with a bad record: a message, and the grid and the data set stay as they were.
  const std::vector<std::string> good = Lines(copy);
  std::string text;
  for (size_t i = 0; i < good.size(); ++i) text += (i == 12 ? std::string("    3      x.yz    4.00") : good[i]) + "\r\n";
  const QString bad = dir.filePath("bad.inp");
  QFile b(bad);
  QVERIFY(b.open(QIODevice::WriteOnly));
  b.write(text.c_str());
  b.close();
  const QString firstY = w.cell(1, kYColumn);
  const int rows = w.grid().DataRows();
  const size_t messages = w.Messages().size();
  w.dialogs->files = {bad};
  f.InputTabSheet->InputOpenActionExecute();
  QCOMPARE(w.Messages().size(), messages + 1);
  QCOMPARE(w.grid().DataRows(), rows);
  QCOMPARE(w.cell(1, kYColumn), firstY);
  QCOMPARE(QString::fromStdString(d.FileName), copy);
  QCOMPARE(f.InputTabSheet->NrOfVarInData, 2);
}

void VornaxFormTest::UnsavedEditsAreNotLostSilently() {
  Window w;
  TVornaxForm& f = *w.form;
  const QString example = QString(VORNAX_EXAMPLES_DIR) + "/01-yield-watertable.inp";
  w.dialogs->files = {example};
  f.InputTabSheet->InputOpenActionExecute();
  QVERIFY(w.dialogs->questions.empty());  // nothing typed yet: no question
  w.grid().SetCellText(1, kYColumn, "99");
  f.InputTabSheet->StringGrid1SetEditText();
  // Opening another file asks first; No keeps the edit.
  w.dialogs->answers = {false};
  w.dialogs->files = {example};
  f.InputTabSheet->InputOpenActionExecute();
  QCOMPARE(w.dialogs->questions.back(),
           std::string("The data in the table have been changed and not saved. Open another input "
                       "file and lose the changes?"));
  QCOMPARE(w.cell(1, kYColumn), QString("99"));
  QCOMPARE(w.dialogs->files.size(), size_t{1});  // the open dialog was never shown
  // Closing asks too; No keeps the window without the finish window.
  w.dialogs->answers = {false};
  f.close();
  QCOMPARE(w.dialogs->questions.back(),
           std::string("The data in the table have been changed and not saved. Close the program "
                       "and lose the changes?"));
  QVERIFY(!f.FinishForm->isVisible());
  // "Clear data" asks as it always did.
  w.dialogs->answers = {true};
  f.InputTabSheet->ClearButtonClick();
  QCOMPARE(w.dialogs->questions.back(), std::string("The data will be cleared, are you sure?"));
  QCOMPARE(w.grid().DataRows(), 15);
  QVERIFY(w.cell(1, kYColumn).isEmpty());
  QVERIFY(!f.InputTabSheet->GridEdited && !f.InputTabSheet->DataPresent);
}

void VornaxFormTest::OpenOutputFile() {
  Window w;
  TVornaxForm& f = *w.form;
  QTemporaryDir dir;
  // A cancelled or failed open keeps the user's preferred and excluded types.
  f.session().Options.PreferredTypeX = 3;
  f.session().Options.ExcludedTypeZ = 5;
  f.OutputTabSheet->OutputOpenActionExecute();
  QCOMPARE(w.Messages().back(), std::string("No output file selected"));
  QCOMPARE(w.dialogs->lastFilter, QString("Output files (*.out)"));
  w.dialogs->files = {dir.filePath("missing.out")};
  f.OutputTabSheet->OutputOpenActionExecute();
  QCOMPARE(w.Messages().back(), std::string("File does not exist, please select another one,"));
  QCOMPARE(f.session().Options.PreferredTypeX, 3);
  QCOMPARE(f.session().Options.ExcludedTypeZ, 5);
  QVERIFY(!f.OutputTabSheet->OutputMemo->isVisibleTo(f.OutputTabSheet));
  QCOMPARE(f.PageControl1->currentWidget(), f.OutputTabSheet);

  const QString out = dir.filePath("r.out");
  QFile file(out);
  QVERIFY(file.open(QIODevice::WriteOnly));
  file.write(" Results of program Vornax for the segmented linear regression of Y upon X.\r\n"
             " Y is the dependent variable.\r\n There can be different types\r\n");
  file.close();
  w.dialogs->files = {out};
  f.OutputTabSheet->OutputOpenActionExecute();
  QCOMPARE(f.OutputTabSheet->OutputMemo->toPlainText(), QString(" Results of program Vornax for the segmented linear regression of Y upon X.\n"
                   " Y is the dependent variable.\n There can be different types"));
  // An output opened from disk has no numbers of this session behind it: no summary.
  QVERIFY(!f.OutputTabSheet->SummaryPanel->isVisibleTo(f.OutputTabSheet));
  QCOMPARE(f.StatusText(), QString("The output file can be imported into spreadsheets"));
  QVERIFY(f.OutputTabSheet->OutputMemo->isVisibleTo(f.OutputTabSheet));
  // Without its ANOVA companion the button says where to make it.
  f.OutputTabSheet->AnovaButtonClick();
  QCOMPARE(w.Messages().back(),
           ("The anova file \"" + dir.filePath("r.var") +
            "\"could not be found. Please go to the input tabsheet and run the program again to "
            "create it.").toStdString());
  // The caption says what is shown: still the report, so still "Anova table".
  QCOMPARE(f.OutputTabSheet->AnovaButton->text(), QString("Anova table"));
  QCOMPARE(f.OutputTabSheet->OutputMemo->toPlainText(), QString(" Results of program Vornax for the segmented linear regression of Y upon X.\n"
                   " Y is the dependent variable.\n There can be different types"));

  // A one-line output file is invalid: reported, and left on disk as it was.
  const QString shortOut = dir.filePath("s.out");
  QFile s(shortOut);
  QVERIFY(s.open(QIODevice::WriteOnly));
  s.write("only\r\n");
  s.close();
  w.dialogs->files = {shortOut};
  f.OutputTabSheet->OutputOpenActionExecute();
  QCOMPARE(w.Messages().back(), std::string(" The output file is invalid due to inadequate input data"));
  QVERIFY(QFile::exists(shortOut));
  // The report of the file before is not left on show as if it were this one's.
  QVERIFY(!f.OutputTabSheet->OutputMemo->isVisibleTo(f.OutputTabSheet));
  QVERIFY(!f.OutputTabSheet->AnovaButton->isVisibleTo(f.OutputTabSheet));
}

void VornaxFormTest::ClosingShowsTheFinishWindow() {
  Window w;
  TVornaxForm& f = *w.form;
  bool finished = false;
  f.FinishForm->OnFinish = [&finished] { finished = true; };
  f.show();
  QVERIFY(QTest::qWaitForWindowExposed(&f));
  QVERIFY(!f.close());
  QVERIFY(f.isVisible());
  QVERIFY(f.FinishForm->isVisible());
  QCOMPARE(f.FinishForm->windowTitle(), QString("Vornax finish"));
  QCOMPARE(f.FinishForm->StatusText(), QString("  Click on Finish to end the program"));
  QCOMPARE(f.FinishForm->FinishMemo->toPlainText(), QString("\n Thank you for using VornaxA"));
  QVERIFY(!finished);
  f.FinishForm->FinishButton->click();
  QVERIFY(finished);
  // The exit command closes the same way; closing the finish window ends the program too.
  finished = false;
  f.ExitAction->trigger();
  QVERIFY(f.FinishForm->isVisible());
  f.FinishForm->close();
  QVERIFY(finished);
}

void VornaxFormTest::RealMessageBoxesAreAnswered() {
  TVornaxForm f;
  f.FinishForm->OnFinish = [] {};
  WindowDialogs& d = f.Dialogs();
  QString seen;
  auto answer = [&seen](QMessageBox::StandardButton button) {
    QTimer::singleShot(0, [&seen, button] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (!box) return;
      seen = box->windowTitle() + "|" + box->text();
      box->button(button)->click();
    });
  };
  answer(QMessageBox::Ok);
  d.ShowMessage("No output file selected");
  QCOMPARE(seen, QString("Vornax segmented regression analysis|No output file selected"));
  answer(QMessageBox::No);
  QVERIFY(!d.AskYesNo("The file already exists, overwrite?"));
  answer(QMessageBox::Yes);
  QVERIFY(d.AskYesNo("The file already exists, overwrite?"));
  // The wait panel shows its lines, and a pause waits about as long as asked.
  d.ShowProgress();
  d.AddProgress(" Saving data .....");
  d.AddProgress(" Progress 10% ....");
  QCOMPARE(f.InputTabSheet->WaitMemo->toPlainText(), QString(" Saving data .....\n Progress 10% ...."));
  QVERIFY(f.InputTabSheet->WaitMemo->isVisibleTo(f.InputTabSheet));
  QElapsedTimer clock;
  clock.start();
  d.Pause(100);
  QVERIFY(clock.elapsed() >= 100);
  d.HideProgress();
  QVERIFY(f.InputTabSheet->WaitMemo->isHidden());
}

void VornaxFormTest::FinishEndsTheEventLoop() {
  // The program's own finish: the event loop ends although the main window refuses to close.
  TVornaxForm f;
  f.show();
  QEventLoop loop;
  QTimer::singleShot(0, [&f] { f.close(); });
  QTimer::singleShot(50, [&f] { f.FinishForm->FinishButton->click(); });
  QTimer::singleShot(5000, [&loop] { loop.exit(7); });
  QCOMPARE(loop.exec(), 0);
  QVERIFY(f.isVisible());  // it was never closed: the program ended from the finish window
}

}  // namespace vornax::app::test
