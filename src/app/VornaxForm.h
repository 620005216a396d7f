// The main window: five tabs (Intro, Figures, Input, Output, Graphics), the menus and actions,
// and what the tabs share: the session, the dialogs, the folder of the file dialogs.
//
// The Input and Output tabs are classes of their own (InputTab.h, OutputTab.h); the Intro,
// Figures and Graphics tabs are built and handled here, in InfoTabs.cpp and GraphicsTab.cpp.
// The window holds no statistics: every message of a run comes back through WindowDialogs.
#pragma once

#include <array>
#include <memory>

#include <QString>

#include "app/InputTab.h"
#include "app/OutputTab.h"
#include "app/WindowDialogs.h"
#include "forms/BaseForm.h"
#include "graphs/drawing/GraphDrawing.h"
#include "run/SaveCalculate.h"

class QAction;
class QMenu;
class QButtonGroup;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QStackedWidget;
class QTabWidget;
class QTextBrowser;

namespace vornax::forms {
class TFinishForm;
class THelpForm;
class TMoreInfoForm;
}  // namespace vornax::forms

namespace vornax::app {

class TVornaxForm : public forms::TBaseForm {
 public:
  // The text of the About box: the program's name and version, as --version prints it.
  static QString AboutText();
  explicit TVornaxForm(QWidget* parent = nullptr);
  ~TVornaxForm() override;

  Session& session() { return session_; }
  WindowDialogs& Dialogs() { return *dialogs_; }
  // Tests answer the boxes and file dialogs through a WindowDialogs of their own.
  void SetDialogs(std::unique_ptr<WindowDialogs> dialogs);

  // ---- event handlers, named by control and event ----
  void FormCreate();
  void IntroTabSheetShow();
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
  // Copy graph (Ctrl+C on the Graphics tab) and Print (the graph there, else the report).
  void CopyGraphActionExecute();
  void PrintActionExecute();
  // Every file dialog starts in `folder` from now on.
  void SetDialogDirs(const QString& folder);

  void ShowTab(QWidget* tab);
  // Reads the graph data of the output named now into the session; false with a message when
  // it is not a readable output.
  bool ReadGraphOfOutput();

  // The file the window works on: named in the title ("yield.inp — Vornax") and put first in
  // the recent files.
  void SetCurrentFile(const QString& path);
  // Only the title: "yield.inp — Vornax", or "Untitled — Vornax" for data without a file.
  void ShowTitle(const QString& path);
  // The last eight inputs, tables and outputs, newest first, kept between sessions.
  void AddRecentFile(const QString& path);
  QStringList RecentFiles() const;
  // Opens a file by its kind: an input file (.inp), an output file (.out), else a table through
  // the column dialog. Used by drag-and-drop and the recent files.
  bool OpenFile(const QString& path);
  void TableOpenActionExecute();

  // ---- window state ----
  bool OutputAvailable = false;
  bool Running = false;  // a run is under way: files are neither opened nor saved
  QString DialogDir;  // where every file dialog starts
  // The Graphics tab: a graph has been drawn or opened; the belt and breakpoint interval are
  // drawn; the colour scheme (black-white only while such a save runs).
  bool GraphMade = false;
  bool ShowBelt = true;
  bool ShowBlock = true;
  bool ColourMode = true;
  bool BlackWhiteRequest = false;
  GraphKind CurrentGraphKind = GraphKind::YX;  // the kind of the graph on the screen
  GraphPicture LastPicture;                    // what the last drawing left, at 623 × 425
  GraphOptions LastOptions;                    // how it was drawn
  GraphData ShownGraph;                        // what it was drawn from (redrawn on resizing)

  // ---- controls ----
  QTabWidget* PageControl1 = nullptr;
  QWidget* IntroTabSheet = nullptr;
  QWidget* FiguresTabSheet = nullptr;
  TInputTab* InputTabSheet = nullptr;
  TOutputTab* OutputTabSheet = nullptr;
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
  QAction* TableOpenAction = nullptr;
  QMenu* RecentMenu = nullptr;
  QAction* OutputOpenAction = nullptr;
  QAction* GraphOpenAction = nullptr;
  QAction* InputSaveAction = nullptr;
  QAction* GraphSaveAction = nullptr;
  QAction* PrintAction = nullptr;
  QAction* CopyGraphAction = nullptr;
  QAction* AboutAction = nullptr;
  QAction* ExitAction = nullptr;
  QAction* UndoAction = nullptr;
  QAction* RedoAction = nullptr;
  QAction* CopyAction = nullptr;
  QAction* CutAction = nullptr;
  QAction* PasteAction = nullptr;
  QAction* DeleteAction = nullptr;
  QAction* SelectAllAction = nullptr;

  forms::TFinishForm* FinishForm = nullptr;
  forms::THelpForm* HelpForm = nullptr;
  forms::TMoreInfoForm* MoreInfoForm = nullptr;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void BuildMenus();
  QWidget* BuildIntroTab();
  QWidget* BuildFiguresTab();
  QWidget* BuildGraphicsTab();
  bool DrawCurrentGraph();
  void ShowGraphAtAreaSize();
  void ShowSaveControls(bool show);
  // The status line of the Graphics tab: why the graph shown has no belt, where it has none.
  void ShowBeltNote();
  void SetRadioCaptions(bool zFirst);
  void ResetToggles();
  void ShowIntroMemo(QTextBrowser* memo, bool moreInfo);
  void ShowFigure(QLabel* image);
  void TabChanged(int index);

  void EditCommand(int command);
  void FillRecentMenu();

  Session session_;
  std::unique_ptr<WindowDialogs> dialogs_;
  QWidget* lastTab_ = nullptr;
  int rememberedType_ = 0;  // the regression type while the calc-obs plot is shown
};

}  // namespace vornax::app
