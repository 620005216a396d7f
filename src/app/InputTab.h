// The Input tab: the data grid with the file and title boxes, the counts and option boxes, the
// selection windows and exclusion panels, and the road from "Save-Calculate" to the report.
//
// The tab holds no statistics: the grid's cells go to the run sequence as text, and the options
// live in the session's RunOptions (the selection windows and exclusion panels write into it and
// show it again after every run).
#pragma once

#include <array>

#include <QString>
#include <QWidget>

#include "app/GridCommands.h"
#include "run/SaveCalculate.h"

class QButtonGroup;
class QComboBox;
class QGroupBox;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QScrollArea;
class QStackedWidget;
class QVBoxLayout;

namespace vornax::forms {
class TBreakpointsForm;
class TSelect2Form;
class TSelectForm;
}  // namespace vornax::forms

namespace vornax::app {

class DataGrid;
class TVornaxForm;

// The most rows the grid takes, typed into the data-count box or pasted.
inline constexpr int kMaxGridRows = 100000;

// Asked before anything opened takes the place of cells changed and not saved.
inline constexpr char kDropEditsOnOpen[] =
    "The data in the table have been changed and not saved. Open another input file and lose "
    "the changes?";

class TInputTab : public QWidget {
 public:
  explicit TInputTab(TVornaxForm& form);

  // Opens an input file as "Open input" does once a file is chosen.
  bool OpenInputFile(const QString& path);
  // Opens a table (CSV, TSV, semicolons, blanks) through the column dialog into the grid; the
  // rows left out for missing values are named in a message. False when cancelled or refused.
  bool OpenTableFile(const QString& path);

  // ---- event handlers, named by control and event ----
  void InputTabSheetShow();
  void FillGrid(int count);
  void StringGrid1SetEditText();
  void HandlePasteMultiCell(int column, int row, const QString& text);
  void NrOfDataEditExit();
  void NrOfVarComboBoxChange(int index);
  void OptionComboBoxChange(int index);
  void ConfComboBoxChange(int index);
  void PrefComboBoxChange(int index);
  void ExclComboBoxChange(int index);
  void WeightComboBoxChange(int index);
  void HelpOpenButtonClick();
  void PasteButtonClick();
  void ClearButtonClick();
  void InputOpenActionExecute();
  void InputSaveActionExecute();

  // The cells of the grid as "Save-Calculate" reads them, with the boxes' choices.
  GridInput GridFromWindow() const;
  // Puts the breakpoint fields into the run's options: an empty field is not set. False, with
  // the message shown, when a field holds no number, a range has one end only, or both a fixed
  // breakpoint and a range are given.
  bool BreakpointChoicesFromWindow();
  // Empties the breakpoint fields: a breakpoint belongs to the data it was given for.
  void ClearBreakpointFields();
  // Shows the options again: selection windows and exclusion panels.
  void ShowOptions();
  // "Standard: Best of all segmented regression types" shows while no other choice holds.
  void ShowPreferenceLine();
  // The preferences back to the standard, shown again.
  void ResetPreferences();
  // Other data opened (an input file or a table) start from the standard choices: the
  // preference, the exclusion and the breakpoint fields belong to the data they were made for.
  void StartChoicesAfresh();
  // True when nothing typed would be lost, or the user agrees to lose it.
  bool AskToDropEdits(const char* question);

  // ---- state ----
  bool DataPresent = false;
  bool InPaste = false;
  bool RowsDropped = false;
  bool SaveCancelled = false;
  bool GridEdited = false;  // cells changed since the data were last saved or opened
  int GridRows = 15;
  int NrOfVarInData = 1;
  QString InputPath;
  QString CurrentPath;  // the file shown in the File box: an input file or a table

  // ---- controls ----
  QLabel* FileNameLabel = nullptr;
  QLineEdit* FileNameEdit = nullptr;
  QLabel* Title1Label = nullptr;
  QLineEdit* Title1Edit = nullptr;
  QLabel* Title2Label = nullptr;
  QLineEdit* Title2Edit = nullptr;
  QLabel* NrOfDataLabel = nullptr;
  QLineEdit* NrOfDataEdit = nullptr;
  QLabel* NrOfVariablesLabel = nullptr;
  QComboBox* NrOfVarComboBox = nullptr;
  QComboBox* OptionComboBox = nullptr;
  QLabel* ConfLabel = nullptr;
  QComboBox* ConfComboBox = nullptr;
  QComboBox* PrefComboBox = nullptr;
  QLabel* PrefLabel = nullptr;
  QLabel* SelectLabel = nullptr;
  QLabel* PartLabel = nullptr;
  QComboBox* ExclComboBox = nullptr;
  // A breakpoint fixed by the user, or the range the search keeps to (empty: the whole range).
  QLineEdit* BreakpointEdit = nullptr;
  QLineEdit* SearchLowEdit = nullptr;
  QLineEdit* SearchHighEdit = nullptr;
  QGroupBox* Exclude1Panel = nullptr;
  QGroupBox* Exclude2Panel = nullptr;
  std::array<QRadioButton*, 7> ExclXRadioButtons{};  // index 2 to 6
  std::array<QRadioButton*, 7> ExclZRadioButtons{};
  QComboBox* WeightComboBox = nullptr;
  QStackedWidget* GridStack = nullptr;
  DataGrid* StringGrid1 = nullptr;
  QPushButton* InputOpenButton = nullptr;
  QPushButton* InputSaveButton = nullptr;
  QPushButton* HelpOpenButton = nullptr;
  QPlainTextEdit* HelpMemo = nullptr;
  QPushButton* PasteButton = nullptr;
  QPlainTextEdit* PasteMemo = nullptr;
  QPushButton* ClearButton = nullptr;
  QPlainTextEdit* WaitMemo = nullptr;
  QLabel* InputImage = nullptr;
  QScrollArea* ChoicesArea = nullptr;  // everything right of the grid but the buttons

  forms::TSelectForm* SelectForm = nullptr;
  forms::TSelect2Form* Select2Form = nullptr;
  forms::TBreakpointsForm* BreakpointsForm = nullptr;

 private:
  void BuildControls();
  // The preference and exclusion boxes with their labels, the breakpoint fields, and the
  // exclusion panels in the area below them.
  void BuildPreferencePanel(QWidget* page, QVBoxLayout* right);
  void ShowColumns();
  void FillGridFromDataSet(const GridFrame& before);
  // What surrounds the cells (layout, titles, file shown), read from and written to the controls.
  GridFrame Frame() const;
  void SetFrame(const GridFrame& frame);
  // The file the data shown are (none: untitled), in the file box and the window's title.
  void ShowDataName(const QString& fileName);
  // The grid, the titles, the column captions `names` and the boxes as `input` has them, the
  // data named `path`: one step that undoes to `before`.
  void FillGridFromInput(const GridInput& input, bool weights, const GridFrame& before,
                         const QString& path, const ColumnNames& names);
  void ShowFileName(const QString& path);
  // Where the save dialog starts: the current file's name as an input file.
  QString SaveStart() const;
  void SetNrOfDataText(int count);
  void HideSelection();
  void SetComboText(QComboBox* box, const QString& text);
  void PlaceSelectionWindow(QWidget* window);
  void ChooseExclusion(bool z, int type);
  QString AskInputFileName();
  // Asks before the run takes the place of a report, ANOVA table, scan table or summary beside
  // `inputPath` that this program did not write (No is the default); false when one is kept.
  bool AskToReplaceOthersFiles(const QString& inputPath);
  // Selects the cell a refusal names (a GridInput column).
  void SelectBadCell(const GridInput& grid, int row, int gridInputColumn);
  bool TwoUsedTogether() const;
  bool SecondOnly() const;

  TVornaxForm& form_;
  QHBoxLayout* optionArea_ = nullptr;  // exclusion panels, selection panels, picture, wait panel
  QButtonGroup* exclXGroup_ = nullptr;
  QButtonGroup* exclZGroup_ = nullptr;
  bool showingOptions_ = false;
};

}  // namespace vornax::app
