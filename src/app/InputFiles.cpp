// The Input tab's files and its run: opening input files and tables into the grid, asking for
// the input file's name, and "Save-Calculate" from the grid to the report on the Output tab.
#include "app/InputTab.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QSaveFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>

#include <filesystem>
#include <optional>

#include "app/DataGrid.h"
#include "app/GridPasting.h"
#include "app/OutputTab.h"
#include "app/TabControls.h"
#include "app/VornaxForm.h"
#include "data/InputFile.h"
#include "data/OwnFiles.h"
#include "data/TextFile.h"
#include "forms/SelectForms.h"
#include "run/SaveChecks.h"
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
  const GridInput grid = GridFromWindow();
  // So is what the data and the choices alone show the run would refuse.
  const SaveRefusal refusal = RefusalBeforeSaving(form_.session(), grid);
  if (!refusal.Message.empty()) {
    form_.Dialogs().ShowMessage(refusal.Message);
    if (refusal.BadRow > 0) SelectBadCell(grid, refusal.BadRow, refusal.BadColumn);
    return;
  }
  const QString path = AskInputFileName();
  SaveCancelled = path.isEmpty() || !AskToReplaceOthersFiles(path);
  // Cancelled: nothing was asked for, so nothing is said and nothing runs.
  if (SaveCancelled) return;
  form_.OutputTabSheet->AnovaButton->setText("Anova table");

  form_.Running = true;
  // A run that gives no report leaves the input file as it found it: an earlier one as it was,
  // none where there was none.
  std::optional<QByteArray> inputBefore;
  if (QFile earlier(path); earlier.exists() && earlier.open(QIODevice::ReadOnly)) inputBefore = earlier.readAll();
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
  const bool refused = outcome == SaveCalculateOutcome::AnalysisStopped ||
                       outcome == SaveCalculateOutcome::OutputInvalid;
  if (refused) {
    if (!inputBefore) {
      QFile::remove(path);
    } else if (QSaveFile back(path); !back.open(QIODevice::WriteOnly) ||
                                     back.write(*inputBefore) != inputBefore->size() || !back.commit()) {
      form_.Dialogs().ShowMessage("The earlier " + Std(path) + " could not be put back.");
    }
  }
  // The grid keeps every row: those left out are marked, a cell that stopped the run is selected.
  StringGrid1->MarkIncompleteRows(std::vector<int>(result.IncompleteRows.begin(), result.IncompleteRows.end()));
  if (result.BadRow > 0) SelectBadCell(grid, result.BadRow, result.BadColumn);
  if (committed && outcome != SaveCalculateOutcome::Done) {
    // The report shown may be of files this run has replaced or taken away.
    form_.OutputAvailable = false;
    form_.OutputTabSheet->ShowOutputControls(false);
  }
  if (outcome == SaveCalculateOutcome::Done) {
    GridEdited = false;
    InputPath = Text(result.InputPath);
    const QString before = CurrentPath;
    // Typed or pasted data saved under a name are that file from now on.
    ShowFileName(InputPath);
    form_.SetCurrentFile(InputPath);
    StringGrid1->NameCurrentData(before, CurrentPath);
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

void TInputTab::SelectBadCell(const GridInput& grid, int row, int gridInputColumn) {
  const bool two = grid.NrOfVarInData == 2;
  const int column = gridInputColumn == 1   ? kYColumn
                     : gridInputColumn == 2 ? kXColumn
                     : gridInputColumn == 3 && two ? kZColumn
                                                   : kWeightColumn;
  StringGrid1->SelectCell(row, column);
}

bool TInputTab::AskToReplaceOthersFiles(const QString& inputPath) {
  const std::filesystem::path input(Std(inputPath));
  const RunOptions& options = form_.session().Options;
  struct Named {
    const char* extension;
    const char* what;
  };
  std::vector<Named> files = {{".out", "report"}, {".var", "ANOVA table"}};
  // Only a partial regression writes the scan table.
  if (options.PartialX || options.PartialZ) files.push_back({".txt", "scan table"});
  files.push_back({".summary", "summary"});
  const std::filesystem::path report = WithExtension(input, ".out");
  for (const Named& f : files) {
    const std::filesystem::path path = WithExtension(input, f.extension);
    std::error_code ec;
    if (!std::filesystem::exists(std::filesystem::symlink_status(path, ec))) continue;
    bool own = WrittenByThisProgram(path);
    if (std::string(f.extension) == ".summary") {
      // A summary says nothing of its origin in its text: it is the window's own when it stands
      // beside a report of this program, as the Output tab reads it.
      own = std::filesystem::is_regular_file(path, ec) && WrittenByThisProgram(report);
    }
    if (own) continue;
    if (!form_.Dialogs().AskToDiscard("\"" + PathText(path) + "\" is not a file this program wrote. "
                                      "Replace it with this run's " + f.what + "?")) {
      return false;
    }
  }
  return true;
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
  const GridFrame before = Frame();
  // The header's names are the columns' captions, and name the variables in the titles, as
  // a pasted header's do.
  GridInput grid = GridFromTable(table, Std(QFileInfo(path).fileName()));
  const ColumnNames names = TableColumnNames(table);
  GridFrame named;
  named.NrOfVarInData = grid.NrOfVarInData;
  TitlesFromNames(names, named);
  if (!named.Title1.isEmpty()) grid.Title1 = Std(named.Title1);
  StartChoicesAfresh();
  InputPath.clear();
  form_.DialogDir = QFileInfo(path).absolutePath();
  FillGridFromInput(grid, table.HasWeights, before, QFileInfo(path).absoluteFilePath(), names);
  form_.AddRecentFile(path);
  const std::string leftOut = LeftOutLine(table);
  if (!leftOut.empty()) dialogs.ShowMessage(ColumnsUsedLine(table) + ".\n" + leftOut + ".");
  if (form_.PageControl1->currentWidget() != this) form_.PageControl1->setCurrentWidget(this);
  return true;
}

void TInputTab::FillGridFromInput(const GridInput& input, bool weights, const GridFrame& before,
                                  const QString& path, const ColumnNames& names) {
  // One step to undo, as an input file opened: the table's cells, titles, layout and name over
  // whatever the grid held, which the undo brings back whole.
  GridFrame after;
  after.NrOfVarInData = input.NrOfVarInData == 2 ? 2 : 1;
  after.Use = 0;
  after.Weights = weights;
  after.SingleIsZ = after.NrOfVarInData == 1 && input.SingleIsZ;
  after.Title1 = Text(input.Title1);
  after.Title2 = Text(input.Title2);
  after.FileName = path;
  const int rows = static_cast<int>(input.Rows.size());
  const bool two = after.NrOfVarInData == 2;
  GridEdit edit(*StringGrid1);
  edit.SetRows(rows);
  for (int r = 1; r <= rows; ++r) {
    const std::vector<std::string>& row = input.Rows[static_cast<size_t>(r - 1)];
    auto cell = [&](size_t i) { return i < row.size() ? Text(row[i]) : QString(); };
    edit.SetCell(r, kYColumn, cell(1));
    edit.SetCell(r, kXColumn, cell(2));
    edit.SetCell(r, kZColumn, two ? cell(3) : QString());
    edit.SetCell(r, kWeightColumn, weights ? cell(two ? 4 : 3) : "1");
  }
  edit.SetNames(names);
  edit.SetFrame(before, after);
  StringGrid1->Apply(std::move(edit), "Open table");
  StringGrid1->MarkIncompleteRows({});
  GridRows = rows;
  form_.session().Data.GridRowCount = rows;
  SetNrOfDataText(rows);
  DataPresent = true;
  // The table stays on disk as it was: nothing typed is lost when the window closes.
  GridEdited = false;
  form_.OutputAvailable = false;
  form_.session().Options.PartialFailed = false;
}

}  // namespace vornax::app
