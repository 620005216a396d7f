// The Input tab's files and its run: opening input files and tables into the grid, asking for
// the input file's name, and "Save-Calculate" from the grid to the report on the Output tab.
#include "app/InputTab.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>

#include <filesystem>

#include "app/DataGrid.h"
#include "app/GridPasting.h"
#include "app/OutputTab.h"
#include "app/TabControls.h"
#include "app/VornaxForm.h"
#include "data/InputFile.h"
#include "forms/SelectForms.h"
#include "run/TableImport.h"

namespace vornax::app {

// ---------------------------------------------------------------------------------------------
// Files and the run

bool TInputTab::AskToDropEdits(const char* question) {
  StringGrid1->CommitEdit();
  return !GridEdited || form_.Dialogs().AskToDiscard(question);
}

void TInputTab::InputOpenActionExecute() {
  if (form_.Running || !AskToDropEdits(kDropEditsOnOpen)) return;
  const QString path = form_.Dialogs().GetOpenFileName("Open input", form_.DialogDir, "Input files (*.inp)");
  if (path.isEmpty()) {
    form_.Dialogs().ShowMessage("No input file was selected");
    return;
  }
  if (!QFileInfo(path).isFile()) {
    form_.Dialogs().ShowMessage("File does not exist, please select another one,");
    return;
  }
  OpenInputFile(path);
}

bool TInputTab::OpenInputFile(const QString& path) {
  TDMVornax& data = form_.session().Data;
  const std::string before = data.FileName;
  TDMVornax setBefore = data;
  const GridFrame frameBefore = Frame();
  data.FileName = Std(path);
  // The reader only ever switches the weights on: a file without a weight column switches them
  // off here, so that its data are not taken with the weights of the file before.
  RunOptions& options = form_.session().Options;
  const bool weightsBefore = options.WeightsUsed;
  options.WeightsUsed = false;
  // A file that cannot be read is a message; the grid and the data set stay as they were.
  if (!ReadInputFile(data, options, form_.Dialogs())) {
    data.FileName = before;
    options.WeightsUsed = weightsBefore;
    return false;
  }
  // The grid takes no more rows from a file than from a paste or a table (vornax-batch reads
  // such a file as it is).
  if (data.NrOfData > kMaxGridRows) {
    const int count = data.NrOfData;
    data = std::move(setBefore);
    options.WeightsUsed = weightsBefore;
    form_.Dialogs().ShowMessage("The file holds " + std::to_string(count) +
                                " data sets; the table of the window takes at most " +
                                std::to_string(kMaxGridRows) + ".");
    return false;
  }
  data.GridRowCount = data.NrOfData;
  data.VarOption = 3;
  StartChoicesAfresh();
  form_.DialogDir = QFileInfo(path).absolutePath();
  ShowFileName(path);
  form_.SetCurrentFile(path);
  Title1Edit->setText(Text(data.Title1));
  Title2Edit->setText(Text(data.Title2));
  Title1Edit->setCursorPosition(0);
  Title2Edit->setCursorPosition(0);
  GridRows = data.NrOfData;
  NrOfVarInData = data.NrOfVarInData;
  if (NrOfVarInData == 1) {
    data.VarOption = 0;
    OptionComboBox->setCurrentIndex(1);
    OptionComboBox->setEnabled(false);
  } else {
    OptionComboBox->setCurrentIndex(0);
    OptionComboBox->setEnabled(true);
  }
  SelectForm->SetPartialEnabled(NrOfVarInData != 2);
  NrOfVarComboBox->setCurrentIndex(NrOfVarInData - 1);
  WeightComboBox->setCurrentIndex(form_.session().Options.WeightsUsed ? 1 : 0);
  DataPresent = true;
  FillGridFromDataSet(frameBefore);
  form_.OutputAvailable = false;
  form_.session().Options.PartialFailed = false;
  GridEdited = false;
  if (form_.PageControl1->currentWidget() == this) InputTabSheetShow();
  else form_.PageControl1->setCurrentWidget(this);
  return true;
}

QString TInputTab::AskInputFileName() {
  const QString path =
      form_.Dialogs().GetSaveFileName("Save input", SaveStart(), "Input files (*.inp)", "inp");
  if (path.isEmpty()) return {};
  const QString suffix = QFileInfo(path).suffix().toLower();
  // The report and the ANOVA table take the input's name with these extensions: an input file
  // so named would be overwritten by its own report.
  if (suffix == "out" || suffix == "var") {
    form_.Dialogs().ShowMessage("An input file cannot end in \"." + Std(suffix) +
                          "\": the report and the ANOVA table are written under that name. "
                          "Please choose a name ending in \".inp\".");
    return {};
  }
  if (QFileInfo::exists(path) && !form_.Dialogs().AskToDiscard("The file already exists, overwrite?")) {
    return {};
  }
  return path;
}

void TInputTab::InputSaveActionExecute() {
  if (form_.Running) return;
  StringGrid1->CommitEdit();
  // Fields that cannot be used are said before a name is asked for: nothing is written or run.
  if (!BreakpointChoicesFromWindow()) return;
  // How many breakpoints a broken line has is decided with as many shuffles as the break test
  // of segmented runs takes.
  form_.session().Options.BreakpointPermutations = form_.OutputTabSheet->BreakTestPermutations;
  const QString path = AskInputFileName();
  SaveCancelled = path.isEmpty();
  // Cancelled: nothing was asked for, so nothing is said and nothing runs.
  if (SaveCancelled) return;
  const GridInput grid = GridFromWindow();
  form_.OutputTabSheet->AnovaButton->setText("Anova table");

  form_.Running = true;
  QApplication::setOverrideCursor(Qt::BusyCursor);
  for (QAction* a : {form_.InputOpenAction, form_.OutputOpenAction, form_.InputSaveAction}) a->setEnabled(false);
  form_.PageControl1->tabBar()->setEnabled(false);
  const SaveCalculateResult result =
      SaveCalculate(form_.session(), grid, std::filesystem::path(Std(path)), form_.Dialogs());
  form_.PageControl1->tabBar()->setEnabled(true);
  for (QAction* a : {form_.InputOpenAction, form_.OutputOpenAction, form_.InputSaveAction}) a->setEnabled(true);
  QApplication::restoreOverrideCursor();
  form_.Running = false;

  RowsDropped = result.RowsPacked;
  const SaveCalculateOutcome outcome = result.Outcome;
  const bool committed = outcome == SaveCalculateOutcome::InputNotWritten ||
                         outcome == SaveCalculateOutcome::AnalysisStopped ||
                         outcome == SaveCalculateOutcome::OutputInvalid ||
                         outcome == SaveCalculateOutcome::Done;
  // The grid keeps every row: those left out are marked, a cell that stopped the run is selected.
  StringGrid1->MarkIncompleteRows(std::vector<int>(result.IncompleteRows.begin(), result.IncompleteRows.end()));
  if (result.BadRow > 0) {
    const bool two = grid.NrOfVarInData == 2;
    const int column = result.BadColumn == 1   ? kYColumn
                       : result.BadColumn == 2 ? kXColumn
                       : result.BadColumn == 3 && two ? kZColumn
                                                      : kWeightColumn;
    StringGrid1->SelectCell(result.BadRow, column);
  }
  if (committed && outcome != SaveCalculateOutcome::Done) {
    // The report shown may be of files this run has replaced or taken away.
    form_.OutputAvailable = false;
    form_.OutputTabSheet->ShowOutputControls(false);
  }
  if (committed && outcome != SaveCalculateOutcome::InputNotWritten) {
    GridEdited = false;
    InputPath = Text(result.InputPath);
    // Typed or pasted data saved under a name are that file from now on.
    ShowFileName(InputPath);
    form_.SetCurrentFile(InputPath);
  }
  // What the analysis changed in the options is shown.
  ShowOptions();
  if (outcome != SaveCalculateOutcome::Done) {
    if (committed) form_.ShowTab(this);
    return;
  }
  form_.OutputTabSheet->ShowOutputLines();
  form_.OutputAvailable = true;
  form_.OutputTabSheet->SummaryForShownOutput = form_.session().Data.Result.Valid;
  form_.OutputTabSheet->AnovaButton->setText("Anova table");
  form_.OutputTabSheet->ShowOutputControls(true);
  form_.OutputTabSheet->SymbolsButton->setText("Symbols");
  form_.DialogDir = QFileInfo(Text(result.OutputPath)).absolutePath();
  form_.AddRecentFile(Text(result.OutputPath));
  form_.ShowTab(form_.OutputTabSheet);
  form_.OutputTabSheet->RunFinished(Text(result.OutputPath));
}

QString TInputTab::SaveStart() const {
  // The name of the data shown: an input file as it is, a table as an input file beside it.
  const QString current = CurrentPath.isEmpty() ? InputPath : CurrentPath;
  if (current.isEmpty()) return form_.DialogDir;
  const QFileInfo info(current);
  return info.dir().filePath(info.completeBaseName() + ".inp");
}

void TInputTab::ShowFileName(const QString& path) {
  CurrentPath = QFileInfo(path).absoluteFilePath();
  FileNameEdit->setText(QDir::toNativeSeparators(CurrentPath));
  FileNameEdit->setCursorPosition(0);
  FileNameLabel->show();
  FileNameEdit->show();
}

namespace {

// The names of a table's header row by the grid column each went to; none without a header.
ColumnNames TableColumnNames(const ImportedTable& table) {
  ColumnNames names{};
  if (table.Header.empty()) return names;
  const std::vector<std::string> roles = ColumnRoles(table);
  for (size_t i = 0; i < roles.size() && i < table.Header.size(); ++i) {
    // A single Z is held in the grid's X column, captioned Z.
    const int column = roles[i] == "Y"                                    ? kYColumn
                       : roles[i] == "X" || (roles[i] == "Z" && i == 1) ? kXColumn
                       : roles[i] == "Z"                                  ? kZColumn
                                                                          : kWeightColumn;
    names[static_cast<size_t>(column)] = Text(table.Header[i]);
  }
  return names;
}

}  // namespace

bool TInputTab::OpenTableFile(const QString& path) {
  if (form_.Running) return false;
  WindowDialogs& dialogs = form_.Dialogs();
  const std::filesystem::path file(Std(path));
  TablePreview preview;
  std::string error;
  if (!PreviewTable(file, 12, preview, error)) {
    dialogs.ShowMessage(error);
    return false;
  }
  ImportChoices choices = preview.Suggested;
  // Cancelled: the grid stays as it was, without a word.
  if (!dialogs.ChooseTableColumns(QFileInfo(path).fileName(), preview, choices)) return false;
  ImportedTable table;
  if (!ImportTable(file, choices, table, error)) {
    dialogs.ShowMessage(error);
    return false;
  }
  if (table.Cells.size() > static_cast<size_t>(kMaxGridRows)) {
    dialogs.ShowMessage("The table holds " + std::to_string(table.Cells.size()) +
                        " data rows; the table of the window takes at most " +
                        std::to_string(kMaxGridRows) + ".");
    return false;
  }
  // The header's names are the columns' captions, and name the variables in the titles, as
  // a pasted header's do.
  GridInput grid = GridFromTable(table, Std(QFileInfo(path).fileName()));
  const ColumnNames names = TableColumnNames(table);
  GridFrame named;
  named.NrOfVarInData = grid.NrOfVarInData;
  TitlesFromNames(names, named);
  if (!named.Title1.isEmpty()) grid.Title1 = Std(named.Title1);
  FillGridFromInput(grid, table.HasWeights);
  StringGrid1->SetColumnNames(names);
  StartChoicesAfresh();
  InputPath.clear();
  form_.DialogDir = QFileInfo(path).absolutePath();
  ShowFileName(path);
  form_.SetCurrentFile(path);
  const std::string leftOut = LeftOutLine(table);
  if (!leftOut.empty()) dialogs.ShowMessage(ColumnsUsedLine(table) + ".\n" + leftOut + ".");
  if (form_.PageControl1->currentWidget() != this) form_.PageControl1->setCurrentWidget(this);
  return true;
}

void TInputTab::FillGridFromInput(const GridInput& input, bool weights) {
  TDMVornax& data = form_.session().Data;
  Title1Edit->setText(Text(input.Title1));
  Title2Edit->setText(Text(input.Title2));
  Title1Edit->setCursorPosition(0);
  Title2Edit->setCursorPosition(0);
  NrOfVarInData = input.NrOfVarInData;
  data.NrOfVarInData = NrOfVarInData;
  data.NrOfVar = NrOfVarInData;
  data.SingleIsZ = NrOfVarInData == 1 && input.SingleIsZ;
  data.SingleIsX = !data.SingleIsZ;
  data.VarOption = NrOfVarInData == 2 ? 3 : 0;
  OptionComboBox->setCurrentIndex(NrOfVarInData == 2 ? 0 : 1);
  OptionComboBox->setEnabled(NrOfVarInData == 2);
  SelectForm->SetPartialEnabled(NrOfVarInData != 2);
  NrOfVarComboBox->setCurrentIndex(NrOfVarInData - 1);
  form_.session().Options.WeightsUsed = weights;
  WeightComboBox->setCurrentIndex(weights ? 1 : 0);
  const int rows = static_cast<int>(input.Rows.size());
  StringGrid1->setRowCount(0);
  StringGrid1->SetDataRows(rows);
  const bool two = NrOfVarInData == 2;
  for (int r = 1; r <= rows; ++r) {
    const std::vector<std::string>& row = input.Rows[static_cast<size_t>(r - 1)];
    auto cell = [&](size_t i) { return i < row.size() ? Text(row[i]) : QString(); };
    StringGrid1->SetCellText(r, kYColumn, cell(1));
    StringGrid1->SetCellText(r, kXColumn, cell(2));
    StringGrid1->SetCellText(r, kZColumn, two ? cell(3) : QString());
    StringGrid1->SetCellText(r, kWeightColumn, weights ? cell(two ? 4 : 3) : "1");
  }
  GridRows = rows;
  data.GridRowCount = rows;
  SetNrOfDataText(rows);
  DataPresent = true;
  // The table stays on disk as it was: nothing typed is lost when the window closes.
  GridEdited = false;
  form_.OutputAvailable = false;
  form_.session().Options.PartialFailed = false;
  ShowColumns();
}

}  // namespace vornax::app
