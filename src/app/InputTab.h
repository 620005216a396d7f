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
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QStackedWidget;

namespace vornax::forms {
class TSelect2Form;
class TSelectForm;
}  // namespace vornax::forms

namespace vornax::app {

class DataGrid;
class TVornaxForm;

// The most rows the grid takes, typed into the data-count box or pasted.
inline constexpr int kMaxGridRows = 100000;

class TInputTab : public QWidget {
 public:
  explicit TInputTab(TVornaxForm& form);

  // Opens an input file as "Open input" does once a file is chosen.
  bool OpenInputFile(const QString& path);

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
  // Shows the options again: selection windows and exclusion panels.
  void ShowOptions();
  // The preferences back to the standard, shown again.
  void ResetPreferences();
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

  forms::TSelectForm* SelectForm = nullptr;
  forms::TSelect2Form* Select2Form = nullptr;

 private:
  void BuildControls();
  void ShowColumns();
  void FillGridFromDataSet(const GridFrame& before);
  // What surrounds the cells (layout, titles, file shown), read from and written to the controls.
  GridFrame Frame() const;
  void SetFrame(const GridFrame& frame);
  void SetNrOfDataText(int count);
  void HideSelection();
  void SetComboText(QComboBox* box, const QString& text);
  void PlaceSelectionWindow(QWidget* window);
  void ChooseExclusion(bool z, int type);
  QString AskInputFileName();
  bool TwoUsedTogether() const;
  bool SecondOnly() const;

  TVornaxForm& form_;
  QButtonGroup* exclXGroup_ = nullptr;
  QButtonGroup* exclZGroup_ = nullptr;
  bool showingOptions_ = false;
};

}  // namespace vornax::app
