// The main window: five tabs (Intro, Figures, Input, Output, Graphics), the menus and actions,
// the data grid with its option boxes, and the road from "Save-Calculate" to the report.
//
// The window holds no statistics: the grid's cells go to the run sequence as text, the options
// live in the session's RunOptions (the selection windows and exclusion panels write into it and
// show it again after every run), and every message of a run comes back through WindowDialogs.
#pragma once

#include <array>
#include <memory>

#include <QString>

#include "app/WindowDialogs.h"
#include "forms/BaseForm.h"
#include "graphs/drawing/GraphDrawing.h"
#include "run/SaveCalculate.h"

class QAction;
class QButtonGroup;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QStackedWidget;
class QTabWidget;
class QTextBrowser;

namespace vornax::forms {
class TFinishForm;
class THelpForm;
class TMoreInfoForm;
class TSelect2Form;
class TSelectForm;
class TSymbolsForm;
}  // namespace vornax::forms

namespace vornax::app {

class DataGrid;

// The most rows the grid takes, typed into the data-count box or pasted.
inline constexpr int kMaxGridRows = 100000;

class TVornaxForm : public forms::TBaseForm {
 public:
  explicit TVornaxForm(QWidget* parent = nullptr);
  ~TVornaxForm() override;

  Session& session() { return session_; }
  WindowDialogs& Dialogs() { return *dialogs_; }
  // Tests answer the boxes and file dialogs through a WindowDialogs of their own.
  void SetDialogs(std::unique_ptr<WindowDialogs> dialogs);

  // The text of the About box: the program's name and version.
  static QString AboutText();

  // Opens an input file as "Open input" does once a file is chosen.
  bool OpenInputFile(const QString& path);

  // ---- event handlers, named by control and event ----
  void FormCreate();
  void IntroTabSheetShow();
  void InputTabSheetShow();
  void OutputTabSheetShow();
  void OutputTabSheetExit();
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
  void OutputOpenActionExecute();
  void AnovaButtonClick();
  void SymbolsButtonClick();
  // The Intro tab's buttons, the Figures tab's buttons, and "Confidence help" of the Graphics tab.
  void TypesButtonClick();
  void TestsButtonClick();
  void SequenceButtonClick();
  void MethodsButtonClick();
  void BackButtonClick();
  void MoreInfoButtonClick();
  void FiguresTabSheetShow();
  void Figures_ButtonClick();
  void Conf_ButtonClick();
  void Methods_ButtonClick();
  void BPButtonClick();
  // The Graphics tab and its graph files.
  void GraphicsTabSheetShow();
  void MakeGraphButtonClick();
  void SeeGraphButtonClick();
  void SelectGraphButtonClick();
  void GoButtonClick();
  void BeltButtonClick();
  void BlockButtonClick();
  void CalcObsButtonClick();
  void GraphSaveActionExecute();
  void BlackWhiteButtonClick();
  void GraphOpenActionExecute();
  // Every file dialog starts in `folder` from now on.
  void SetDialogDirs(const QString& folder);

  // The cells of the grid as "Save-Calculate" reads them, with the boxes' choices.
  GridInput GridFromWindow() const;
  // Puts the breakpoint fields into the run's options; false (with the message shown) when a
  // field holds no number or both a fixed breakpoint and a range are given.
  bool BreakpointChoicesFromWindow();
  // Shows the options again: selection windows and exclusion panels.
  void ShowOptions();

  // ---- window state ----
  bool DataPresent = false;
  bool InPaste = false;
  bool RowsDropped = false;
  bool SaveCancelled = false;
  bool OutputAvailable = false;
  bool GridEdited = false;  // cells changed since the data were last saved or opened
  int GridRows = 15;
  int NrOfVarInData = 1;
  QString InputPath;
  QString DialogDir;  // where every file dialog starts
  // The Graphics tab: a graph has been drawn or opened; the belt and breakpoint interval are
  // drawn; the colour scheme (black-white only while such a save runs).
  bool GraphMade = false;
  bool ShowBelt = true;
  bool ShowBlock = true;
  bool ColourMode = true;
  bool BlackWhiteRequest = false;
  GraphKind CurrentGraphKind = GraphKind::YX;  // the kind of the graph on the screen
  GraphPicture LastPicture;                    // what the last drawing left

  // ---- controls ----
  QTabWidget* PageControl1 = nullptr;
  QWidget* IntroTabSheet = nullptr;
  QWidget* FiguresTabSheet = nullptr;
  QWidget* InputTabSheet = nullptr;
  QWidget* OutputTabSheet = nullptr;
  QWidget* GraphicsTabSheet = nullptr;

  QStackedWidget* IntroStack = nullptr;
  QTextBrowser* IntroMemo = nullptr;
  QTextBrowser* TypesMemo = nullptr;
  QTextBrowser* TestsMemo = nullptr;
  QTextBrowser* SequenceMemo = nullptr;
  QTextBrowser* MethodsMemo = nullptr;
  QPushButton* BackButton = nullptr;
  QPushButton* TypesButton = nullptr;
  QPushButton* TestsButton = nullptr;
  QPushButton* SequenceButton = nullptr;
  QPushButton* MethodsButton = nullptr;
  QPushButton* MoreInfoButton = nullptr;

  QStackedWidget* FiguresStack = nullptr;
  QLabel* Types_Image = nullptr;
  QLabel* Conf_Image = nullptr;
  QLabel* Methods_Image = nullptr;
  QLabel* Conf_Memo = nullptr;
  QPushButton* Figures_Button = nullptr;
  QPushButton* Conf_Button = nullptr;
  QPushButton* Methods_Button = nullptr;

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
  // A breakpoint fixed by the user, or the range the search keeps to (blank: the whole range).
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

  QPlainTextEdit* OutputMemo = nullptr;
  // The run's result in plain words above the report; only for the output of the run just
  // made (an output opened from disk has no numbers behind it here).
  QLabel* SummaryPanel = nullptr;
  bool SummaryForShownOutput = false;
  QPushButton* OutputOpenButton = nullptr;
  QPushButton* AnovaButton = nullptr;
  QPushButton* SymbolsButton = nullptr;
  QPushButton* SeeGraphButton = nullptr;

  QLabel* GraphImage = nullptr;
  QLabel* PictureImage = nullptr;
  QGroupBox* ChoicePanel = nullptr;
  QButtonGroup* GraphRadioGroup = nullptr;
  std::array<QRadioButton*, 5> GraphRadioButtons{};  // kinds 1 to 5
  QPushButton* GoButton = nullptr;
  QPushButton* SelectGraphButton = nullptr;
  QPushButton* MakeGraphButton = nullptr;
  QPushButton* GraphOpenButton = nullptr;
  QPushButton* SaveColourButton = nullptr;
  QPushButton* SaveBlackWhiteButton = nullptr;
  QPushButton* CalcObsButton = nullptr;
  QPushButton* BeltButton = nullptr;
  QPushButton* BlockButton = nullptr;
  QPushButton* ConfHelpButton = nullptr;

  QAction* InputOpenAction = nullptr;
  QAction* OutputOpenAction = nullptr;
  QAction* GraphOpenAction = nullptr;
  QAction* InputSaveAction = nullptr;
  QAction* GraphSaveAction = nullptr;
  QAction* ExitAction = nullptr;
  QAction* CopyAction = nullptr;
  QAction* CutAction = nullptr;
  QAction* PasteAction = nullptr;
  QAction* DeleteAction = nullptr;
  QAction* SelectAllAction = nullptr;
  QAction* AboutAction = nullptr;

  forms::TSelectForm* SelectForm = nullptr;
  forms::TSelect2Form* Select2Form = nullptr;
  forms::TSymbolsForm* SymbolsForm = nullptr;
  forms::TFinishForm* FinishForm = nullptr;
  forms::THelpForm* HelpForm = nullptr;
  forms::TMoreInfoForm* MoreInfoForm = nullptr;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildMenus();
  QWidget* BuildInputTab();
  QWidget* BuildOutputTab();
  QWidget* BuildPlaceholderTab(const QString& heading, const QString& text);
  QWidget* BuildIntroTab();
  QWidget* BuildFiguresTab();
  QWidget* BuildGraphicsTab();
  bool ReadGraphOfOutput();
  bool DrawCurrentGraph();
  void ShowSaveControls(bool show);
  void SetRadioCaptions(bool zFirst);
  void ResetToggles();
  void ShowIntroMemo(QTextBrowser* memo, bool moreInfo);
  void ShowFigure(QLabel* image);
  void TabChanged(int index);
  void ShowTab(QWidget* tab);

  void ShowColumns();
  void FillGridFromDataSet();
  void KeepCompleteRows(const GridInput& grid);
  void SetNrOfDataText(int count);
  void HideSelection();
  void ResetPreferences();
  void SetComboText(QComboBox* box, const QString& text);
  void PlaceSelectionWindow(QWidget* window);
  void ChooseExclusion(bool z, int type);
  void ShowOutputLines();
  void ShowOutputControls(bool show);
  void ShowSummary();
  bool AskToDropEdits(const char* question);
  QString AskInputFileName();
  void EditCommand(int command);
  bool TwoUsedTogether() const;
  bool SecondOnly() const;

  Session session_;
  std::unique_ptr<WindowDialogs> dialogs_;
  QWidget* lastTab_ = nullptr;
  QButtonGroup* exclXGroup_ = nullptr;
  QButtonGroup* exclZGroup_ = nullptr;
  bool running_ = false;
  bool showingOptions_ = false;
  int rememberedType_ = 0;  // the regression type while the calc-obs plot is shown
};

}  // namespace vornax::app
