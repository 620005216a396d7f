#include "app/VornaxForm.h"

#include <QAction>
#include <QUndoStack>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QSettings>
#include <QTimer>
#include <QUrl>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTabWidget>

#include <algorithm>

#include "app/DataGrid.h"
#include "data/Version.h"
#include "app/GridPaste.h"
#include "app/TabControls.h"
#include "forms/FinishForm.h"
#include "forms/InfoForms.h"

namespace vornax::app {
namespace {

constexpr const char* kCaption =
    "VornaxA, amplified Vornax program for SEGMENTED LINEAR REGRESSION and  for GENERALIZED "
    "CURVED REGRESSION  ";

constexpr const char* kDropEditsOnClose =
    "The data in the table have been changed and not saved. Close the program and lose the "
    "changes?";

constexpr const char* kRecentKey = "RecentFiles";
constexpr int kRecentCount = 8;

enum EditCommandKind { kCopy, kCut, kPaste, kDelete, kSelectAll };

}  // namespace


TVornaxForm::TVornaxForm(QWidget* parent) : TBaseForm(parent) {
  setObjectName("VornaxForm");
  setWindowTitle(kCaption);
  QFont font("Tahoma");
  font.setPixelSize(13);
  setFont(font);
  session_.Data.ResetToStartup();
  session_.Options.WeightsUsed = false;

  PageControl1 = new QTabWidget(this);
  PageControl1->setObjectName("PageControl1");
  IntroTabSheet = BuildIntroTab();
  FiguresTabSheet = BuildFiguresTab();
  InputTabSheet = new TInputTab(*this);
  OutputTabSheet = new TOutputTab(*this);
  GraphicsTabSheet = BuildGraphicsTab();
  PageControl1->addTab(IntroTabSheet, "Intro");
  PageControl1->addTab(FiguresTabSheet, "Figures");
  PageControl1->addTab(InputTabSheet, "Input");
  PageControl1->addTab(OutputTabSheet, "Output");
  PageControl1->addTab(GraphicsTabSheet, "Graphics");
  setCentralWidget(PageControl1);
  // Files dropped anywhere on the window are opened by their kind.
  setAcceptDrops(true);

  dialogs_ = std::make_unique<WindowDialogs>(this, InputTabSheet->WaitMemo);
  BuildMenus();

  HelpForm = new forms::THelpForm(this);
  MoreInfoForm = new forms::TMoreInfoForm(this);
  FinishForm = new forms::TFinishForm(this);
  FinishForm->setWindowFlag(Qt::Window, true);
  // The finish window answers a close the user confirmed; nothing else goes on meanwhile.
  FinishForm->setWindowModality(Qt::ApplicationModal);
  // exit, not quit: quit asks every window to close first, and the main window never agrees.
  FinishForm->OnFinish = [] { QCoreApplication::exit(0); };

  InputTabSheet->FillGrid(15);
  connect(PageControl1, &QTabWidget::currentChanged, this, [this](int index) { TabChanged(index); });
  FormCreate();
}

TVornaxForm::~TVornaxForm() = default;

void TVornaxForm::SetDialogs(std::unique_ptr<WindowDialogs> dialogs) { dialogs_ = std::move(dialogs); }

void TVornaxForm::BuildMenus() {
  QMenu* file = menuBar()->addMenu("&File");
  auto add = [&](QMenu* menu, const QString& text, const QKeySequence& keys, auto handler) {
    auto* action = new QAction(text, this);
    action->setShortcut(keys);
    connect(action, &QAction::triggered, this, handler);
    if (menu) menu->addAction(action);
    else addAction(action);
    return action;
  };
  InputOpenAction = add(file, "Open input", QKeySequence("Ctrl+I"), [this] { InputTabSheet->InputOpenActionExecute(); });
  TableOpenAction = add(file, "Open table (CSV, TSV, ...)", QKeySequence("Ctrl+T"), [this] { TableOpenActionExecute(); });
  OutputOpenAction = add(file, "Open output", QKeySequence("Ctrl+O"), [this] { OutputTabSheet->OutputOpenActionExecute(); });
  GraphOpenAction = add(file, "OpenGraph", QKeySequence("Ctrl+G"), [this] { GraphOpenActionExecute(); });
  InputSaveAction = add(file, "Save input", QKeySequence("Ctrl+S"), [this] { InputTabSheet->InputSaveActionExecute(); });
  RecentMenu = file->addMenu("Recent files");
  RecentMenu->setObjectName("RecentMenu");
  connect(RecentMenu, &QMenu::aboutToShow, this, [this] { FillRecentMenu(); });
  FillRecentMenu();
  // Ctrl+A selects all cells; saving a graph takes a key of its own.
  GraphSaveAction = add(file, "s&Ave graph", QKeySequence("Ctrl+Shift+G"), [this] { GraphSaveActionExecute(); });
  PrintAction = add(file, "&Print...", QKeySequence::Print, [this] { PrintActionExecute(); });
  file->addSeparator();
  // Ctrl+X cuts; leaving the program takes the usual quit key.
  ExitAction = add(file, "program e&Xit", QKeySequence("Ctrl+Q"), [this] { close(); });
  // Nothing to save until a graph has been drawn or opened.
  GraphSaveAction->setEnabled(false);

  QMenu* edit = menuBar()->addMenu("&Edit");
  // Undo and redo take back every change of the grid; a text box keeps its own Ctrl+Z.
  QUndoStack& stack = InputTabSheet->StringGrid1->UndoStack();
  auto step = [this](bool undo) {
    DataGrid* grid = InputTabSheet->StringGrid1;
    if (Running || !(undo ? grid->UndoStack().canUndo() : grid->UndoStack().canRedo())) return;
    // The grid changes where the user sees it: from any other tab the Input tab comes first.
    ShowTab(InputTabSheet);
    grid->CommitEdit();
    if (undo) grid->UndoStack().undo();
    else grid->UndoStack().redo();
  };
  UndoAction = add(edit, "&Undo", QKeySequence("Ctrl+Z"), [step] { step(true); });
  RedoAction = add(edit, "&Redo", QKeySequence("Ctrl+Shift+Z"), [step] { step(false); });
  RedoAction->setShortcuts({QKeySequence("Ctrl+Shift+Z"), QKeySequence("Ctrl+Y")});
  auto name = [](QAction* action, const QString& verb, const QString& what) {
    action->setText(what.isEmpty() ? verb : verb + " " + what);
  };
  // The stack empties itself, and says so, when the grid is destroyed: by then this form is only a
  // QWidget being taken apart, so the names are given to the actions themselves, not through it.
  QAction* undo = UndoAction;
  QAction* redo = RedoAction;
  connect(&stack, &QUndoStack::undoTextChanged, undo, [undo, name](const QString& t) { name(undo, "&Undo", t); });
  connect(&stack, &QUndoStack::redoTextChanged, redo, [redo, name](const QString& t) { name(redo, "&Redo", t); });
  connect(&stack, &QUndoStack::canUndoChanged, UndoAction, &QAction::setEnabled);
  connect(&stack, &QUndoStack::canRedoChanged, RedoAction, &QAction::setEnabled);
  UndoAction->setEnabled(false);
  RedoAction->setEnabled(false);
  edit->addSeparator();
  CopyAction = add(edit, "&Copy", QKeySequence("Ctrl+C"), [this] { EditCommand(kCopy); });
  CopyGraphAction = add(edit, "Copy &graph", QKeySequence(), [this] { CopyGraphActionExecute(); });
  CutAction = add(edit, "Cu&t", QKeySequence("Ctrl+X"), [this] { EditCommand(kCut); });
  PasteAction = add(edit, "&Paste", QKeySequence("Ctrl+V"), [this] { EditCommand(kPaste); });
  edit->addSeparator();
  SelectAllAction = add(edit, "Select &All", QKeySequence("Ctrl+A"), [this] { EditCommand(kSelectAll); });
  DeleteAction = add(nullptr, "&Delete", QKeySequence(Qt::Key_Delete), [this] { EditCommand(kDelete); });

  QMenu* help = menuBar()->addMenu("&Help");
  AboutAction = add(help, "&About Vornax", QKeySequence(), [this] {
    QMessageBox::about(this, "About Vornax", AboutText());
  });
  InputTabSheet->InputOpenButton->addAction(InputOpenAction);
}

QString TVornaxForm::AboutText() {
  return QString::fromStdString("Vornax segmented regression analysis\nVersion " +
                                ProgramVersion());
}

void TVornaxForm::EditCommand(int command) {
  if (command == kCopy && PageControl1->currentWidget() == GraphicsTabSheet) return CopyGraphActionExecute();
  DataGrid* grid = InputTabSheet->StringGrid1;
  QWidget* focus = QApplication::focusWidget();
  const bool inGrid = focus && (focus == grid || grid->isAncestorOf(focus));
  // A paste of several cells into a cell being edited is spread over the grid, as from the keys.
  if (inGrid && focus != grid && command == kPaste &&
      IsMultiCellPaste(Std(QApplication::clipboard()->text()))) {
    grid->CommitEdit();
    grid->setFocus();
    return grid->PasteClipboard();
  }
  if (inGrid && focus == grid) {
    switch (command) {
      case kCopy: return grid->CopySelection();
      case kCut: return grid->CutSelection();
      case kPaste: return grid->PasteClipboard();
      case kDelete: return grid->DeleteSelection();
      case kSelectAll: return grid->selectAll();
    }
  }
  if (auto* line = qobject_cast<QLineEdit*>(focus)) {
    switch (command) {
      case kCopy: return line->copy();
      case kCut: return line->cut();
      case kPaste: return line->paste();
      case kDelete: return line->del();
      case kSelectAll: return line->selectAll();
    }
  }
  if (auto* memo = qobject_cast<QPlainTextEdit*>(focus)) {
    switch (command) {
      case kCopy: return memo->copy();
      case kCut: return memo->isReadOnly() ? memo->copy() : memo->cut();
      case kPaste: return memo->isReadOnly() ? void() : memo->paste();
      case kDelete: return;
      case kSelectAll: return memo->selectAll();
    }
  }
}

// ---------------------------------------------------------------------------------------------
// Start-up, closing and the tabs

void TVornaxForm::FormCreate() {
  DialogDir = QDir::currentPath();
  InputTabSheet->DataPresent = false;
  OutputAvailable = false;
  InputTabSheet->FileNameLabel->hide();
  InputTabSheet->FileNameEdit->hide();
  // The window stands 100 pixels from the left, wide enough to show the grid and the choices
  // beside it without scrolling; on a narrow screen it takes the screen's width.
  const int menuAndStatus = menuBar()->sizeHint().height() + statusBar()->sizeHint().height();
  int width = std::max(860, sizeHint().width());
  int left = 100;
  int height = 560 + menuAndStatus;
  int top = 40;
  if (const QScreen* screen = QApplication::primaryScreen()) {
    const QRect free = screen->availableGeometry();
    const int screenWidth = free.width();
    if (left + width > screenWidth) {
      left = std::max(0, std::min(left, screenWidth - width));
      width = std::min(width, screenWidth - 5);
      if (left + width > screenWidth) left = 5;
    }
    // Likewise on a low screen, with room for the title bar above.
    constexpr int kTitleBar = 40;
    if (height + top + kTitleBar > free.height()) {
      top = free.top();
      height = std::max(100, free.height() - kTitleBar);
    }
  }
  resize(width, height);
  move(left, top);
  if (PageControl1->currentWidget() != IntroTabSheet) {
    PageControl1->setCurrentWidget(IntroTabSheet);
  } else {
    TabChanged(PageControl1->currentIndex());
  }
}

void TVornaxForm::closeEvent(QCloseEvent* event) {
  // The main window stays; the finish window ends the program.
  event->ignore();
  if (Running || !InputTabSheet->AskToDropEdits(kDropEditsOnClose)) return;
  FinishForm->move(geometry().center() - QPoint(FinishForm->width() / 2, FinishForm->height() / 2));
  FinishForm->show();
  FinishForm->raise();
  FinishForm->activateWindow();
}

void TVornaxForm::TabChanged(int index) {
  QWidget* tab = PageControl1->widget(index);
  if (lastTab_ == OutputTabSheet && tab != OutputTabSheet) OutputTabSheet->OutputTabSheetExit();
  lastTab_ = tab;
  InputSaveAction->setEnabled(tab == InputTabSheet);
  if (tab == InputTabSheet) InputTabSheet->InputTabSheetShow();
  else if (tab == OutputTabSheet) OutputTabSheet->OutputTabSheetShow();
  else if (tab == IntroTabSheet) IntroTabSheetShow();
  else if (tab == FiguresTabSheet) FiguresTabSheetShow();
  else if (tab == GraphicsTabSheet) GraphicsTabSheetShow();
}

void TVornaxForm::ShowTab(QWidget* tab) {
  if (PageControl1->currentWidget() == tab) return;
  PageControl1->setCurrentWidget(tab);
}

// ---------------------------------------------------------------------------------------------
// Files by name: the title, the recent files, dropped files

void TVornaxForm::SetCurrentFile(const QString& path) {
  ShowTitle(path);
  AddRecentFile(path);
}

void TVornaxForm::ShowTitle(const QString& path) {
  setWindowTitle((path.isEmpty() ? QString("Untitled") : QFileInfo(path).fileName()) +
                 " \u2014 Vornax");
}

QStringList TVornaxForm::RecentFiles() const {
  return QSettings().value(kRecentKey).toStringList();
}

void TVornaxForm::AddRecentFile(const QString& path) {
  const QString file = QFileInfo(path).absoluteFilePath();
  QStringList files = RecentFiles();
  files.removeAll(file);
  files.prepend(file);
  while (files.size() > kRecentCount) files.removeLast();
  QSettings().setValue(kRecentKey, files);
  // A disabled menu never opens, so it would never fill itself: the first file of a first
  // session must enable it now.
  if (RecentMenu) FillRecentMenu();
}

void TVornaxForm::FillRecentMenu() {
  RecentMenu->clear();
  const QStringList files = RecentFiles();
  for (int i = 0; i < files.size(); ++i) {
    const QString file = files[i];
    QAction* action = RecentMenu->addAction(
        QString("&%1 %2").arg(i + 1).arg(QDir::toNativeSeparators(file)));
    connect(action, &QAction::triggered, this, [this, file] { OpenFile(file); });
  }
  RecentMenu->setEnabled(!files.isEmpty());
}

bool TVornaxForm::OpenFile(const QString& path) {
  if (Running) return false;
  if (!QFileInfo(path).isFile()) {
    dialogs_->ShowMessage("File does not exist, please select another one,");
    return false;
  }
  const QString suffix = QFileInfo(path).suffix().toLower();
  if (suffix == "out") return OutputTabSheet->OpenOutputFile(path);
  if (!InputTabSheet->AskToDropEdits(kDropEditsOnOpen)) return false;
  if (suffix == "inp") return InputTabSheet->OpenInputFile(path);
  return InputTabSheet->OpenTableFile(path);
}

void TVornaxForm::TableOpenActionExecute() {
  if (Running || !InputTabSheet->AskToDropEdits(kDropEditsOnOpen)) return;
  const QString path = dialogs_->GetOpenFileName(
      "Open table", DialogDir, "Tables (*.csv *.tsv *.txt *.dat *.prn);;All files (*)");
  if (path.isEmpty()) return;
  InputTabSheet->OpenTableFile(path);
}

void TVornaxForm::dragEnterEvent(QDragEnterEvent* event) {
  const QList<QUrl> urls = event->mimeData()->urls();
  if (!Running && urls.size() == 1 && urls.front().isLocalFile()) event->acceptProposedAction();
}

void TVornaxForm::dropEvent(QDropEvent* event) {
  const QList<QUrl> urls = event->mimeData()->urls();
  if (urls.size() != 1 || !urls.front().isLocalFile()) return;
  event->acceptProposedAction();
  // Opened once the drop is over: the column dialog must not run inside the drag.
  const QString path = urls.front().toLocalFile();
  QTimer::singleShot(0, this, [this, path] { OpenFile(path); });
}

}  // namespace vornax::app
