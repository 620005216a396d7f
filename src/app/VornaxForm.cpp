#include "app/VornaxForm.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <optional>
#include <filesystem>

#include "app/DataGrid.h"
#include "app/GridPaste.h"
#include "data/InputFile.h"
#include "data/NumberFormat.h"
#include "data/OutputFile.h"
#include "data/TextFile.h"
#include "data/Version.h"
#include "forms/FinishForm.h"
#include "forms/InfoForms.h"
#include "forms/SelectForms.h"
#include "forms/SymbolsForm.h"
#include "run/ResultSummary.h"

namespace vornax::app {
namespace {

constexpr const char* kCaption =
    "VornaxA, amplified Vornax program for SEGMENTED LINEAR REGRESSION and  for GENERALIZED "
    "CURVED REGRESSION  ";
constexpr const char* kInputStatus =
    "Enter data or use \"Open\" to edit existing data. Then use \"Save-Calculate\".";

constexpr const char* kOptionItems[] = {"      Use both independent variables       ",
                                        "      Use 1st independent variable only    ",
                                        "      Use 2nd independent variable only   "};
constexpr const char* kPrefItems[] = {"     Select your regression preference",
                                      " Prefer: Best of segmented Types 1 - 6",
                                      "    Select a preferred segmented type",
                                      "    Select a preferred curved function"};
constexpr const char* kExclItems[] = {"      No exclusion of regression types",
                                      "       Yes, exclude a regression type"};
constexpr const char* kWeightItems[] = {"         No weight factors required    ",
                                        "         Weight factors are needed"};

constexpr const char* kHelpText =
    "Vornax does the segmented regression with breakpoint\n"
    "of one dependent variable (Y) on one (X) or two (X,Z)\n"
    "independent variables who determine the value of Y.\n"
    "Example : Y = crop yield\n"
    "X = depth of the water table\n"
    "Z =  soil salinity\n"
    "In case of 2 independent variables:\n"
    "Y = f(X) + E\n"
    "E = f(Z)\n"
    "Vornax handles a maximum of 2000 data sets.\n";

constexpr const char* kPasteText =
    "Spreadsheet columns (e.g. in Excel) \n"
    "may be copied into the input table.\n"
    "Select and copy the columns and then \n"
    "paste them in the table by right clicking \n"
    "twice on the first cell and using \"paste\".\n"
    "It may occur that the first cell seems \n"
    "empty, but by clicking on another cell\n"
    "the value will appear.\n";

constexpr const char* kDropEditsOnOpen =
    "The data in the table have been changed and not saved. Open another input file and lose "
    "the changes?";
constexpr const char* kDropEditsOnClose =
    "The data in the table have been changed and not saved. Close the program and lose the "
    "changes?";

enum EditCommandKind { kCopy, kCut, kPaste, kDelete, kSelectAll };

QString Text(const std::string& s) { return QString::fromStdString(s); }
std::string Std(const QString& s) { return s.toStdString(); }

// A grid cell for a value of the data set: two decimals, as in the input file, and more only
// when the value needs them to read back unchanged.
QString CellValue(long double value) {
  return QString::fromStdString(FormatRealLossless(static_cast<double>(value), 0, 2));
}

QComboBox* Combo(QWidget* parent, std::initializer_list<const char*> items, const char* name) {
  auto* box = new QComboBox(parent);
  box->setObjectName(name);
  for (const char* item : items) box->addItem(item);
  box->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  return box;
}

QLabel* Label(const QString& text, QWidget* parent, const char* name) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(name);
  return label;
}

QPushButton* Button(const QString& text, QWidget* parent, const char* name) {
  auto* button = new QPushButton(text, parent);
  button->setObjectName(name);
  return button;
}

QPlainTextEdit* Memo(QWidget* parent, const char* name) {
  auto* memo = new QPlainTextEdit(parent);
  memo->setObjectName(name);
  memo->setReadOnly(true);
  return memo;
}

// The picture of the Input tab: data that rise and then level off, with the two segments of a
// type-4 line through them, as a reminder of what the program looks for.
QPixmap SegmentedLinePicture() {
  const int w = 250, h = 160;
  QPixmap pixmap(w, h);
  pixmap.fill(Qt::white);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  const QPointF origin(28, h - 24);
  p.setPen(QPen(Qt::black, 1.2));
  p.drawLine(origin, QPointF(w - 10, origin.y()));
  p.drawLine(origin, QPointF(origin.x(), 10));
  QFont f = p.font();
  f.setPixelSize(11);
  p.setFont(f);
  p.drawText(QPointF(w - 20, origin.y() + 15), "X");
  p.drawText(QPointF(origin.x() - 16, 18), "Y");
  const double bp = 135;
  auto line = [&](double x) { return x < bp ? 118 - (x - 40) * 0.86 : 118 - (bp - 40) * 0.86; };
  const double wobble[] = {6, -5, 3, -7, 4, 8, -3, -6, 5, -4, 7, -2, 3, -6, 2, 5, -5, 4};
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(40, 90, 200));
  for (int i = 0; i < 18; ++i) {
    const double x = 40 + i * 11.5;
    p.drawEllipse(QPointF(x, line(x) + wobble[i]), 2.8, 2.8);
  }
  p.setPen(QPen(QColor(200, 30, 30), 2));
  p.drawLine(QPointF(38, line(38)), QPointF(bp, line(bp)));
  p.drawLine(QPointF(bp, line(bp)), QPointF(w - 14, line(bp)));
  p.setPen(QPen(Qt::darkGray, 1, Qt::DashLine));
  p.drawLine(QPointF(bp, line(bp)), QPointF(bp, origin.y()));
  p.setPen(Qt::black);
  p.drawText(QPointF(bp - 8, origin.y() + 15), "BP");
  return pixmap;
}

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
  InputTabSheet = BuildInputTab();
  OutputTabSheet = BuildOutputTab();
  GraphicsTabSheet = BuildGraphicsTab();
  PageControl1->addTab(IntroTabSheet, "Intro");
  PageControl1->addTab(FiguresTabSheet, "Figures");
  PageControl1->addTab(InputTabSheet, "Input");
  PageControl1->addTab(OutputTabSheet, "Output");
  PageControl1->addTab(GraphicsTabSheet, "Graphics");
  setCentralWidget(PageControl1);

  dialogs_ = std::make_unique<WindowDialogs>(this, WaitMemo);
  BuildMenus();

  SelectForm = new forms::TSelectForm(session_.Options, this);
  Select2Form = new forms::TSelect2Form(session_.Options, this);
  SymbolsForm = new forms::TSymbolsForm(this);
  HelpForm = new forms::THelpForm(this);
  MoreInfoForm = new forms::TMoreInfoForm(this);
  FinishForm = new forms::TFinishForm(this);
  FinishForm->setWindowFlag(Qt::Window, true);
  // exit, not quit: quit asks every window to close first, and the main window never agrees.
  FinishForm->OnFinish = [] { QCoreApplication::exit(0); };

  FillGrid(15);
  connect(PageControl1, &QTabWidget::currentChanged, this, [this](int index) { TabChanged(index); });
  FormCreate();
}

TVornaxForm::~TVornaxForm() = default;

void TVornaxForm::SetDialogs(std::unique_ptr<WindowDialogs> dialogs) { dialogs_ = std::move(dialogs); }

QWidget* TVornaxForm::BuildPlaceholderTab(const QString& heading, const QString& text) {
  auto* page = new QWidget;
  auto* layout = new QVBoxLayout(page);
  layout->setContentsMargins(40, 40, 40, 40);
  auto* title = new QLabel(heading, page);
  QFont f = title->font();
  f.setPixelSize(20);
  f.setBold(true);
  title->setFont(f);
  auto* body = new QLabel(text, page);
  body->setWordWrap(true);
  body->setMaximumWidth(620);
  layout->addWidget(title);
  layout->addSpacing(12);
  layout->addWidget(body);
  layout->addStretch(1);
  return page;
}

QWidget* TVornaxForm::BuildInputTab() {
  auto* page = new QWidget;
  page->setObjectName("InputTabSheet");
  auto* outer = new QHBoxLayout(page);
  outer->setContentsMargins(8, 8, 8, 8);
  outer->setSpacing(12);

  // Left: the grid, or one of the two help texts in its place.
  GridStack = new QStackedWidget(page);
  StringGrid1 = new DataGrid(GridStack);
  StringGrid1->setObjectName("StringGrid1");
  StringGrid1->setToolTip("Y = dependent variable, X, Z independent");
  StringGrid1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  StringGrid1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  StringGrid1->OnMultiCellPaste = [this](int c, int r, const QString& t) { HandlePasteMultiCell(c, r, t); };
  StringGrid1->OnCellsEdited = [this] { StringGrid1SetEditText(); };
  const QFont mono = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  HelpMemo = Memo(GridStack, "HelpMemo");
  HelpMemo->setPlainText(kHelpText);
  HelpMemo->setFont(mono);
  PasteMemo = Memo(GridStack, "PasteMemo");
  PasteMemo->setPlainText(kPasteText);
  GridStack->addWidget(StringGrid1);
  GridStack->addWidget(HelpMemo);
  GridStack->addWidget(PasteMemo);
  outer->addWidget(GridStack);

  // Right: the file, the titles, the counts and the options, the picture and the buttons.
  auto* right = new QVBoxLayout;
  right->setSpacing(6);
  outer->addLayout(right, 1);

  auto* form = new QGridLayout;
  form->setHorizontalSpacing(8);
  form->setVerticalSpacing(6);
  FileNameLabel = Label("File", page, "FileNameLabel");
  FileNameEdit = new QLineEdit(page);
  FileNameEdit->setObjectName("FileNameEdit");
  FileNameEdit->setReadOnly(true);
  Title1Label = Label("Title1", page, "Title1Label");
  Title1Edit = new QLineEdit(page);
  Title1Edit->setObjectName("Title1Edit");
  Title1Edit->setToolTip("General information");
  Title1Edit->setPlaceholderText("General information");
  Title2Label = Label("Title2", page, "Title2Label");
  Title2Edit = new QLineEdit(page);
  Title2Edit->setObjectName("Title2Edit");
  Title2Edit->setToolTip("Details about the variables and units");
  Title2Edit->setPlaceholderText("Details about the variables and units");
  form->addWidget(FileNameLabel, 0, 0);
  form->addWidget(FileNameEdit, 0, 1, 1, 3);
  form->addWidget(Title1Label, 1, 0);
  form->addWidget(Title1Edit, 1, 1, 1, 3);
  form->addWidget(Title2Label, 2, 0);
  form->addWidget(Title2Edit, 2, 1, 1, 3);

  NrOfDataLabel = Label("Nr. of data sets", page, "NrOfDataLabel");
  NrOfDataEdit = new QLineEdit("15", page);
  NrOfDataEdit->setObjectName("NrOfDataEdit");
  NrOfDataEdit->setMaximumWidth(80);
  NrOfDataEdit->setAlignment(Qt::AlignRight);
  NrOfVariablesLabel = Label("Nr. of independent variables", page, "NrOfVariablesLabel");
  NrOfVarComboBox = Combo(page, {"1", "2"}, "NrOfVarComboBox");
  auto* counts = new QHBoxLayout;
  counts->addWidget(NrOfDataLabel);
  counts->addWidget(NrOfDataEdit);
  counts->addSpacing(16);
  counts->addWidget(NrOfVariablesLabel);
  counts->addWidget(NrOfVarComboBox);
  counts->addStretch(1);
  form->addLayout(counts, 3, 0, 1, 4);
  right->addLayout(form);

  OptionComboBox = Combo(page, {kOptionItems[0], kOptionItems[1], kOptionItems[2]}, "OptionComboBox");
  OptionComboBox->setCurrentIndex(1);  // one variable: the first, and only, is used
  OptionComboBox->setEnabled(false);
  ConfLabel = Label("Minimum confidence %", page, "ConfLabel");
  ConfComboBox = Combo(page, {"90", "95", "98"}, "ConfComboBox");
  WeightComboBox = Combo(page, {kWeightItems[0], kWeightItems[1]}, "WeightComboBox");
  auto* row1 = new QHBoxLayout;
  row1->addWidget(OptionComboBox);
  row1->addStretch(1);
  right->addLayout(row1);
  auto* row2 = new QHBoxLayout;
  row2->addWidget(ConfLabel);
  row2->addWidget(ConfComboBox);
  row2->addSpacing(16);
  row2->addWidget(WeightComboBox);
  row2->addStretch(1);
  right->addLayout(row2);

  PrefComboBox = Combo(page, {kPrefItems[0], kPrefItems[1], kPrefItems[2], kPrefItems[3]}, "PrefComboBox");
  ExclComboBox = Combo(page, {kExclItems[0], kExclItems[1]}, "ExclComboBox");
  // Wide enough for the texts the boxes show besides their items.
  PrefComboBox->setMinimumContentsLength(38);
  ExclComboBox->setMinimumContentsLength(38);
  PrefLabel = Label("Standard: Best of all segmented regression types ", page, "PrefLabel");
  SelectLabel = Label("Note: wihout selection      Best of Type 1-6 is used", page, "SelectLabel");
  PartLabel = Label("Partial regression finds the longest horizontal stretch (range of \"no effect\")",
                    page, "PartLabel");
  PartLabel->setWordWrap(true);
  for (QLabel* l : {SelectLabel, PartLabel}) {
    l->setStyleSheet("QLabel { color: #1d4f91; }");
    l->hide();
  }
  PrefLabel->setStyleSheet("QLabel { color: #555555; }");
  right->addWidget(PrefComboBox, 0, Qt::AlignLeft);
  right->addWidget(PrefLabel);
  right->addWidget(SelectLabel);
  right->addWidget(PartLabel);
  right->addWidget(ExclComboBox, 0, Qt::AlignLeft);
  BreakpointEdit = new QLineEdit(page);
  SearchLowEdit = new QLineEdit(page);
  SearchHighEdit = new QLineEdit(page);
  BreakpointEdit->setObjectName("BreakpointEdit");
  SearchLowEdit->setObjectName("SearchLowEdit");
  SearchHighEdit->setObjectName("SearchHighEdit");
  BreakpointEdit->setPlaceholderText("searched");
  for (QLineEdit* e : {BreakpointEdit, SearchLowEdit, SearchHighEdit}) e->setMaximumWidth(80);
  BreakpointEdit->setToolTip("A breakpoint that theory gives: the preferred type, or the best "
                             "type that holds there, is fitted at it alone");
  SearchLowEdit->setToolTip("The search tries only the candidate breakpoints in this range");
  auto* breakpointRow = new QHBoxLayout;
  breakpointRow->addWidget(Label("Breakpoint fixed at", page, "BreakpointLabel"));
  breakpointRow->addWidget(BreakpointEdit);
  breakpointRow->addSpacing(12);
  breakpointRow->addWidget(Label("or searched from", page, "SearchRangeLabel"));
  breakpointRow->addWidget(SearchLowEdit);
  breakpointRow->addWidget(Label("to", page, "SearchToLabel"));
  breakpointRow->addWidget(SearchHighEdit);
  breakpointRow->addStretch(1);
  right->addLayout(breakpointRow);

  // The exclusion panels, the picture and the wait panel share the space below the boxes.
  auto* area = new QHBoxLayout;
  auto makePanel = [&](const QString& title, bool z, std::array<QRadioButton*, 7>& buttons,
                       QButtonGroup*& group) {
    auto* panel = new QGroupBox(title, page);
    panel->setObjectName(z ? "Exclude2Panel" : "Exclude1Panel");
    auto* v = new QVBoxLayout(panel);
    v->setSpacing(2);
    group = new QButtonGroup(panel);
    for (int t = 2; t <= 6; ++t) {
      auto* b = new QRadioButton(QString("Exclude type %1").arg(t), panel);
      b->setObjectName(QString("Excl%1%2RadioButton").arg(z ? 'Z' : 'X').arg(t));
      buttons[static_cast<size_t>(t)] = b;
      group->addButton(b, t);
      v->addWidget(b);
    }
    connect(group, &QButtonGroup::idToggled, this, [this, z](int id, bool checked) {
      if (checked) ChooseExclusion(z, id);
    });
    panel->hide();
    area->addWidget(panel, 0, Qt::AlignTop);
    return panel;
  };
  Exclude1Panel = makePanel("    X variable  ", false, ExclXRadioButtons, exclXGroup_);
  Exclude2Panel = makePanel("    Z variable  ", true, ExclZRadioButtons, exclZGroup_);
  InputImage = new QLabel(page);
  InputImage->setObjectName("InputImage");
  InputImage->setPixmap(SegmentedLinePicture());
  InputImage->setFrameShape(QFrame::StyledPanel);
  area->addWidget(InputImage, 0, Qt::AlignTop);
  area->addStretch(1);
  WaitMemo = Memo(page, "WaitMemo");
  WaitMemo->setFixedSize(170, 150);
  WaitMemo->setStyleSheet("QPlainTextEdit { color: white; background: #1f4fa8; }");
  WaitMemo->setFrameShape(QFrame::NoFrame);
  WaitMemo->hide();
  area->addWidget(WaitMemo, 0, Qt::AlignTop);
  right->addLayout(area);
  right->addStretch(1);

  InputOpenButton = Button(" Open input file", page, "InputOpenButton");
  InputSaveButton = Button(" Save-Calculate ", page, "InputSaveButton");
  InputSaveButton->setDefault(true);
  QFont bold = InputSaveButton->font();
  bold.setBold(true);
  InputSaveButton->setFont(bold);
  HelpOpenButton = Button("Symbols help", page, "HelpOpenButton");
  PasteButton = Button("Paste help", page, "PasteButton");
  ClearButton = Button("Clear data", page, "ClearButton");
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(InputOpenButton);
  buttons->addWidget(InputSaveButton);
  buttons->addStretch(1);
  buttons->addWidget(HelpOpenButton);
  buttons->addWidget(PasteButton);
  buttons->addWidget(ClearButton);
  right->addLayout(buttons);

  // Typed titles are data as much as the cells are: kept when the tab is left, and never lost
  // without a question.
  for (QLineEdit* title : {Title1Edit, Title2Edit}) {
    connect(title, &QLineEdit::textEdited, this, [this] { StringGrid1SetEditText(); });
  }
  connect(NrOfDataEdit, &QLineEdit::editingFinished, this, [this] { NrOfDataEditExit(); });
  connect(NrOfVarComboBox, &QComboBox::activated, this, [this](int i) { NrOfVarComboBoxChange(i); });
  connect(OptionComboBox, &QComboBox::activated, this, [this](int i) { OptionComboBoxChange(i); });
  connect(ConfComboBox, &QComboBox::activated, this, [this](int i) { ConfComboBoxChange(i); });
  connect(PrefComboBox, &QComboBox::activated, this, [this](int i) { PrefComboBoxChange(i); });
  connect(ExclComboBox, &QComboBox::activated, this, [this](int i) { ExclComboBoxChange(i); });
  connect(WeightComboBox, &QComboBox::activated, this, [this](int i) { WeightComboBoxChange(i); });
  connect(HelpOpenButton, &QPushButton::clicked, this, [this] { HelpOpenButtonClick(); });
  connect(PasteButton, &QPushButton::clicked, this, [this] { PasteButtonClick(); });
  connect(ClearButton, &QPushButton::clicked, this, [this] { ClearButtonClick(); });
  connect(InputOpenButton, &QPushButton::clicked, this, [this] { InputOpenActionExecute(); });
  connect(InputSaveButton, &QPushButton::clicked, this, [this] { InputSaveActionExecute(); });
  return page;
}

QWidget* TVornaxForm::BuildOutputTab() {
  auto* page = new QWidget;
  page->setObjectName("OutputTabSheet");
  auto* layout = new QVBoxLayout(page);
  layout->setContentsMargins(8, 8, 8, 8);
  auto* buttons = new QHBoxLayout;
  OutputOpenButton = Button(" Open output file", page, "OutputOpenButton");
  AnovaButton = Button("Anova table", page, "AnovaButton");
  SymbolsButton = Button("Symbols", page, "SymbolsButton");
  SeeGraphButton = Button("See graph", page, "SeeGraphButton");
  buttons->addWidget(OutputOpenButton);
  buttons->addSpacing(20);
  buttons->addWidget(AnovaButton);
  buttons->addWidget(SymbolsButton);
  buttons->addWidget(SeeGraphButton);
  buttons->addStretch(1);
  layout->addLayout(buttons);
  SummaryPanel = new QLabel(page);
  SummaryPanel->setObjectName("SummaryPanel");
  SummaryPanel->setWordWrap(true);
  SummaryPanel->setTextFormat(Qt::RichText);
  SummaryPanel->setTextInteractionFlags(Qt::TextSelectableByMouse);
  SummaryPanel->setStyleSheet(
      "QLabel#SummaryPanel { background: #f3f7ee; border: 1px solid #a9bf95; border-radius: 4px;"
      " padding: 6px 10px; color: #1f2a16; }");
  SummaryPanel->hide();
  layout->addWidget(SummaryPanel);
  OutputMemo = Memo(page, "OutputMemo");
  QFont mono = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  mono.setPixelSize(12);
  OutputMemo->setFont(mono);
  OutputMemo->setLineWrapMode(QPlainTextEdit::NoWrap);
  OutputMemo->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  layout->addWidget(OutputMemo, 1);
  connect(OutputOpenButton, &QPushButton::clicked, this, [this] { OutputOpenActionExecute(); });
  connect(AnovaButton, &QPushButton::clicked, this, [this] { AnovaButtonClick(); });
  connect(SymbolsButton, &QPushButton::clicked, this, [this] { SymbolsButtonClick(); });
  connect(SeeGraphButton, &QPushButton::clicked, this, [this] { SeeGraphButtonClick(); });
  return page;
}

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
  InputOpenAction = add(file, "Open input", QKeySequence("Ctrl+I"), [this] { InputOpenActionExecute(); });
  OutputOpenAction = add(file, "Open output", QKeySequence("Ctrl+O"), [this] { OutputOpenActionExecute(); });
  GraphOpenAction = add(file, "OpenGraph", QKeySequence("Ctrl+G"), [this] { GraphOpenActionExecute(); });
  InputSaveAction = add(file, "Save input", QKeySequence("Ctrl+S"), [this] { InputSaveActionExecute(); });
  // Ctrl+A selects all cells; saving a graph takes a key of its own.
  GraphSaveAction = add(file, "s&Ave graph", QKeySequence("Ctrl+Shift+G"), [this] { GraphSaveActionExecute(); });
  file->addSeparator();
  // Ctrl+X cuts; leaving the program takes the usual quit key.
  ExitAction = add(file, "program e&Xit", QKeySequence("Ctrl+Q"), [this] { close(); });
  // Nothing to save until a graph has been drawn or opened.
  GraphSaveAction->setEnabled(false);

  QMenu* edit = menuBar()->addMenu("&Edit");
  CopyAction = add(edit, "&Copy", QKeySequence("Ctrl+C"), [this] { EditCommand(kCopy); });
  CutAction = add(edit, "Cu&t", QKeySequence("Ctrl+X"), [this] { EditCommand(kCut); });
  PasteAction = add(edit, "&Paste", QKeySequence("Ctrl+V"), [this] { EditCommand(kPaste); });
  edit->addSeparator();
  SelectAllAction = add(edit, "Select &All", QKeySequence("Ctrl+A"), [this] { EditCommand(kSelectAll); });
  DeleteAction = add(nullptr, "&Delete", QKeySequence(Qt::Key_Delete), [this] { EditCommand(kDelete); });

  QMenu* help = menuBar()->addMenu("&Help");
  AboutAction = add(help, "&About Vornax", QKeySequence(), [this] {
    QMessageBox::about(this, "About Vornax", AboutText());
  });
  InputOpenButton->addAction(InputOpenAction);
}

QString TVornaxForm::AboutText() {
  return QString::fromStdString("Vornax segmented regression analysis\nVersion " +
                                ProgramVersion());
}

void TVornaxForm::EditCommand(int command) {
  QWidget* focus = QApplication::focusWidget();
  const bool inGrid = focus && (focus == StringGrid1 || StringGrid1->isAncestorOf(focus));
  // A paste of several cells into a cell being edited is spread over the grid, as from the keys.
  if (inGrid && focus != StringGrid1 && command == kPaste &&
      IsMultiCellPaste(Std(QApplication::clipboard()->text()))) {
    StringGrid1->CommitEdit();
    StringGrid1->setFocus();
    return StringGrid1->PasteClipboard();
  }
  if (inGrid && focus == StringGrid1) {
    switch (command) {
      case kCopy: return StringGrid1->CopySelection();
      case kCut: return StringGrid1->CutSelection();
      case kPaste: return StringGrid1->PasteClipboard();
      case kDelete: return StringGrid1->DeleteSelection();
      case kSelectAll: return StringGrid1->selectAll();
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
  DataPresent = false;
  OutputAvailable = false;
  FileNameLabel->hide();
  FileNameEdit->hide();
  // The window stands 100 pixels from the left; on a narrow screen it takes the screen's width.
  const int menuAndStatus = menuBar()->sizeHint().height() + statusBar()->sizeHint().height();
  int width = 860;
  int left = 100;
  if (const QScreen* screen = QApplication::primaryScreen()) {
    const int screenWidth = screen->availableGeometry().width();
    if (screenWidth <= 860 && screenWidth < width) {
      left = 5;
      width = screenWidth - 5;
    }
  }
  resize(width, 560 + menuAndStatus);
  move(left, 40);
  if (PageControl1->currentWidget() != IntroTabSheet) {
    PageControl1->setCurrentWidget(IntroTabSheet);
  } else {
    TabChanged(PageControl1->currentIndex());
  }
}

void TVornaxForm::closeEvent(QCloseEvent* event) {
  // The main window stays; the finish window ends the program.
  event->ignore();
  if (running_) return;
  StringGrid1->CommitEdit();
  if (GridEdited && !dialogs_->AskYesNo(kDropEditsOnClose)) return;
  FinishForm->move(geometry().center() - QPoint(FinishForm->width() / 2, FinishForm->height() / 2));
  FinishForm->show();
  FinishForm->raise();
  FinishForm->activateWindow();
}

void TVornaxForm::TabChanged(int index) {
  QWidget* tab = PageControl1->widget(index);
  if (lastTab_ == OutputTabSheet && tab != OutputTabSheet) OutputTabSheetExit();
  lastTab_ = tab;
  InputSaveAction->setEnabled(tab == InputTabSheet);
  if (tab == InputTabSheet) InputTabSheetShow();
  else if (tab == OutputTabSheet) OutputTabSheetShow();
  else if (tab == IntroTabSheet) IntroTabSheetShow();
  else if (tab == FiguresTabSheet) FiguresTabSheetShow();
  else if (tab == GraphicsTabSheet) GraphicsTabSheetShow();
}

void TVornaxForm::ShowTab(QWidget* tab) {
  if (PageControl1->currentWidget() == tab) return;
  PageControl1->setCurrentWidget(tab);
}


void TVornaxForm::InputTabSheetShow() {
  ShowStatus(kInputStatus);
  HelpForm->hide();
  if (GridStack->currentWidget() == HelpMemo) HelpOpenButtonClick();
  if (GridStack->currentWidget() == PasteMemo) PasteButtonClick();
  InputSaveAction->setEnabled(true);
  InputSaveButton->show();
  ShowOutputControls(false);
  InPaste = false;
  if (DataPresent) {
    session_.Data.NrOfVar = NrOfVarInData;
    if (NrOfVarInData == 2) {
      OptionComboBox->setCurrentIndex(0);
      session_.Data.VarOption = 3;
    }
    PrefComboBox->setCurrentIndex(0);
    ExclComboBox->setCurrentIndex(0);
    HideSelection();
    ShowColumns();
    ResetPreferences();
    OutputAvailable = false;
  } else {
    FileNameLabel->hide();
    FileNameEdit->hide();
    session_.Data.ResetToStartup();
    NrOfVarInData = 1;
    NrOfVarComboBox->setCurrentIndex(0);
    OptionComboBox->setCurrentIndex(1);
    OptionComboBox->setEnabled(false);
    Title1Edit->clear();
    Title2Edit->clear();
    FillGrid(15);
  }
}

void TVornaxForm::OutputTabSheetShow() {
  ShowStatus("The output file can be inspected");
  InputSaveAction->setEnabled(false);
  GraphSaveAction->setEnabled(false);
  if (!OutputAvailable) ShowOutputControls(false);
}

void TVornaxForm::OutputTabSheetExit() {
  SymbolsForm->hide();
  SymbolsButton->setText("Symbols");
}

void TVornaxForm::ShowSummary() {
  const std::vector<std::string> lines = SummaryLines(session_.Data.Result);
  const bool show = SummaryForShownOutput && !lines.empty() && !OutputMemo->isHidden() &&
                    AnovaButton->text() == "Anova table";
  if (show) {
    QString html;
    for (size_t i = 0; i < lines.size(); ++i) {
      const QString line = QString::fromStdString(lines[i]).toHtmlEscaped();
      html += i == 0 ? "<b>" + line + "</b>" : "<br>" + line;
    }
    SummaryPanel->setText(html);
  }
  SummaryPanel->setVisible(show);
}

void TVornaxForm::ShowOutputControls(bool show) {
  OutputMemo->setVisible(show);
  AnovaButton->setVisible(show);
  SymbolsButton->setVisible(show);
  SeeGraphButton->setVisible(show);
  ShowSummary();
}

// ---------------------------------------------------------------------------------------------
// The grid

void TVornaxForm::ShowColumns() {
  const TDMVornax& data = session_.Data;
  const bool two = NrOfVarInData == 2;
  const bool weights = session_.Options.WeightsUsed;
  StringGrid1->setHorizontalHeaderLabels(
      {"Serial", "    Y", !two && data.SingleIsZ ? "    Z" : "    X", "    Z", "Weight"});
  StringGrid1->setColumnWidth(kSerialColumn, 45);
  for (int c = kYColumn; c < kGridColumns; ++c) StringGrid1->setColumnWidth(c, 75);
  StringGrid1->setColumnHidden(kZColumn, !two);
  StringGrid1->setColumnHidden(kWeightColumn, !weights);
  const int columns = NrOfVarInData + 2 + (weights ? 1 : 0);
  const int width = 45 + (columns - 1) * 75 + 2 * StringGrid1->frameWidth() +
                    StringGrid1->verticalScrollBar()->sizeHint().width();
  StringGrid1->setFixedWidth(width);
  GridStack->setFixedWidth(width);
}

void TVornaxForm::SetNrOfDataText(int count) { NrOfDataEdit->setText(QString::number(count)); }

void TVornaxForm::FillGrid(int count) {
  if (DataPresent) return FillGridFromDataSet();
  // The default rows are empty, so that only what is typed is analysed.
  StringGrid1->setRowCount(0);
  StringGrid1->SetDataRows(count);
  for (int r = 1; r <= count; ++r) {
    for (int c = kYColumn; c <= kZColumn; ++c) StringGrid1->SetCellText(r, c, QString());
    StringGrid1->SetCellText(r, kWeightColumn, "1");
  }
  GridRows = count;
  SetNrOfDataText(count);
  ShowColumns();
}

void TVornaxForm::FillGridFromDataSet() {
  const TDMVornax& data = session_.Data;
  const int rows = std::max(0, std::min<int>(data.GridRowCount, static_cast<int>(data.YData.size())));
  StringGrid1->setRowCount(0);
  StringGrid1->SetDataRows(rows);
  const bool weights = session_.Options.WeightsUsed;
  for (int r = 1; r <= rows; ++r) {
    const size_t i = static_cast<size_t>(r - 1);
    StringGrid1->SetCellText(r, kYColumn, CellValue(data.YData[i]));
    StringGrid1->SetCellText(r, kXColumn, CellValue(data.XData[i]));
    StringGrid1->SetCellText(r, kZColumn,
                             NrOfVarInData == 2 && i < data.ZData.size() ? CellValue(data.ZData[i]) : QString());
    const int weight = weights && i < data.WeightFactor.size() ? data.WeightFactor[i] : 1;
    StringGrid1->SetCellText(r, kWeightColumn, QString::number(weight));
  }
  GridRows = rows;
  SetNrOfDataText(rows);
  NrOfVarComboBox->setCurrentIndex(NrOfVarInData - 1);
  ShowColumns();
}

void TVornaxForm::StringGrid1SetEditText() {
  DataPresent = true;
  GridEdited = true;
}

void TVornaxForm::HandlePasteMultiCell(int column, int row, const QString& text) {
  const std::vector<std::vector<std::string>> lines = SplitPastedText(Std(text));
  if (lines.empty()) return;
  InPaste = true;
  const int r0 = std::max(row, 1);
  // The pasted cells go into the shown data columns from the one pasted on; a paste on the
  // serial column starts at Y.
  std::vector<int> columns;
  for (int c = std::max(column, static_cast<int>(kYColumn)); c < kGridColumns; ++c) {
    if (!StringGrid1->isColumnHidden(c)) columns.push_back(c);
  }
  const long long lastRow = r0 + static_cast<long long>(lines.size()) - 1;
  if (columns.empty() || lastRow > kMaxGridRows) {
    if (lastRow > kMaxGridRows) {
      dialogs_->ShowMessage("The pasted text holds " + std::to_string(lines.size()) +
                            " lines; the table takes at most " + std::to_string(kMaxGridRows) +
                            " data sets. Nothing was pasted.");
    }
    InPaste = false;
    return;
  }
  // The rows grow to hold the paste before anything is written; they never shrink here.
  const int rowsBefore = StringGrid1->DataRows();
  if (lastRow > rowsBefore) {
    StringGrid1->SetDataRows(static_cast<int>(lastRow));
    for (int r = rowsBefore + 1; r <= lastRow; ++r) StringGrid1->SetCellText(r, kWeightColumn, "1");
  }
  bool tooWide = false;
  StringGrid1->setUpdatesEnabled(false);
  for (size_t i = 0; i < lines.size(); ++i) {
    const int r = r0 + static_cast<int>(i);
    for (size_t j = 0; j < lines[i].size(); ++j) {
      if (j < columns.size()) {
        StringGrid1->SetCellText(r, columns[j], Text(lines[i][j]));
      } else if (!lines[i][j].empty()) {
        tooWide = true;
      }
    }
  }
  StringGrid1->setUpdatesEnabled(true);
  const int pastedRows = static_cast<int>(lastRow);
  if (pastedRows < GridRows) {
    const bool keep = dialogs_->AskYesNo(
        "The number of data sets is less than the original number. Do you want to maintain the "
        "original number?");
    if (!keep) StringGrid1->SetDataRows(pastedRows);
  }
  GridRows = StringGrid1->DataRows();
  StringGrid1->Renumber();
  SetNrOfDataText(GridRows);
  session_.Data.GridRowCount = GridRows;
  NrOfVarComboBox->setCurrentIndex(NrOfVarInData - 1);
  OptionComboBox->setEnabled(NrOfVarInData == 2);
  ShowColumns();
  DataPresent = true;
  GridEdited = true;
  if (tooWide) {
    const QString last = StringGrid1->horizontalHeaderItem(columns.back())->text().trimmed();
    std::string advice;
    if (NrOfVarInData == 1) advice += " For a Z column choose 2 independent variables.";
    if (!session_.Options.WeightsUsed) advice += " For weight factors choose \"Weight factors are needed\".";
    dialogs_->ShowMessage("The pasted text has more columns than the table: the values beyond the "
                          "column " + Std(last) + " were left out." + advice);
  }
  InPaste = false;
}

void TVornaxForm::NrOfDataEditExit() {
  const QString text = NrOfDataEdit->text().trimmed();
  if (text.isEmpty()) return;
  bool ok = false;
  const long long n = text.toLongLong(&ok);
  auto restore = [this] { SetNrOfDataText(GridRows); };
  if (!ok) {
    dialogs_->ShowMessage("The number of data sets is not a valid integer");
    return restore();
  }
  if (n < 10) {
    dialogs_->ShowMessage(" The minimum number of data sets is 10");
    return restore();
  }
  if (n > kMaxGridRows) {
    dialogs_->ShowMessage("The table takes at most " + std::to_string(kMaxGridRows) + " data sets");
    return restore();
  }
  if (InPaste) return;
  if (n > GridRows) {
    dialogs_->ShowMessage(" Add data in the last cells at the end of the column");
    StringGrid1->CommitEdit();
    StringGrid1->SetDataRows(static_cast<int>(n));
    for (int r = GridRows + 1; r <= n; ++r) {
      StringGrid1->SetCellText(r, kWeightColumn, "1");
    }
    GridRows = static_cast<int>(n);
    session_.Data.GridRowCount = GridRows;
    DataPresent = true;
    ShowColumns();
  } else if (n < GridRows) {
    dialogs_->ShowMessage(" To remove data make the relevant data cells empty");
    restore();
  }
}

GridInput TVornaxForm::GridFromWindow() const {
  GridInput g;
  g.Title1 = Std(Title1Edit->text());
  g.Title2 = Std(Title2Edit->text());
  g.NrOfVarInData = NrOfVarInData;
  g.SingleIsZ = NrOfVarInData == 1 && session_.Data.SingleIsZ;
  g.Option = NrOfVarInData != 2                     ? VarChoice::Both
             : OptionComboBox->currentIndex() == 1 ? VarChoice::FirstOnly
             : OptionComboBox->currentIndex() == 2 ? VarChoice::SecondOnly
                                                   : VarChoice::Both;
  g.ConfidencePercent = ConfComboBox->currentIndex() < 0 ? 0 : ConfComboBox->currentText().toInt();
  bool ok = false;
  const int boxCount = NrOfDataEdit->text().trimmed().toInt(&ok);
  const int rows = StringGrid1->DataRows();
  g.NrOfData = ok ? std::min(boxCount, rows) : rows;
  g.GridRowCount = rows;
  for (int r = 1; r <= rows; ++r) {
    std::vector<std::string> row{Std(StringGrid1->CellText(r, kSerialColumn)),
                                 Std(StringGrid1->CellText(r, kYColumn)),
                                 Std(StringGrid1->CellText(r, kXColumn))};
    if (NrOfVarInData == 2) row.push_back(Std(StringGrid1->CellText(r, kZColumn)));
    row.push_back(Std(StringGrid1->CellText(r, kWeightColumn)));
    g.Rows.push_back(std::move(row));
  }
  return g;
}

bool TVornaxForm::BreakpointChoicesFromWindow() {
  RunOptions& o = session_.Options;
  std::optional<double> values[3];
  const QLineEdit* edits[3] = {BreakpointEdit, SearchLowEdit, SearchHighEdit};
  for (int i = 0; i < 3; ++i) {
    QString text = edits[i]->text().trimmed();
    if (text.isEmpty()) continue;
    text.replace(',', '.');
    bool ok = false;
    const double v = QLocale::c().toDouble(text, &ok);
    if (!ok || !std::isfinite(v)) {
      dialogs_->ShowMessage("\"" + Std(edits[i]->text()) + "\" is not a number. Enter the " +
                            (i == 0 ? "fixed breakpoint" : "search range") +
                            " as a number, or leave the field blank.");
      return false;
    }
    values[i] = v;
  }
  if (values[1].has_value() != values[2].has_value()) {
    dialogs_->ShowMessage("Enter both ends of the search range, or neither.");
    return false;
  }
  if (values[0] && values[1]) {
    dialogs_->ShowMessage("Enter either a fixed breakpoint or a search range, not both.");
    return false;
  }
  o.FixedBreakpoint = values[0];
  o.SearchLow = o.SearchHigh = std::nullopt;
  if (values[1]) {
    o.SearchLow = std::min(*values[1], *values[2]);
    o.SearchHigh = std::max(*values[1], *values[2]);
  }
  return true;
}

// ---------------------------------------------------------------------------------------------
// The option boxes

bool TVornaxForm::TwoUsedTogether() const {
  return NrOfVarInData == 2 && OptionComboBox->currentIndex() <= 0;
}

bool TVornaxForm::SecondOnly() const {
  return NrOfVarInData == 2 && OptionComboBox->currentIndex() == 2;
}

void TVornaxForm::SetComboText(QComboBox* box, const QString& text) {
  // A box shows a text of its own, not one of its items, until the user picks an item.
  box->setPlaceholderText(text);
  box->setCurrentIndex(-1);
}

void TVornaxForm::HideSelection() {
  SelectForm->hide();
  Select2Form->hide();
  SelectLabel->hide();
  PartLabel->hide();
  Exclude1Panel->hide();
  Exclude2Panel->hide();
  InputImage->show();
}

void TVornaxForm::ResetPreferences() {
  session_.Options.ResetPreferences();
  ShowOptions();
}

void TVornaxForm::ShowOptions() {
  showingOptions_ = true;
  SelectForm->ShowOptions();
  Select2Form->ShowOptions();
  auto check = [](QButtonGroup* group, int type) {
    if (QAbstractButton* b = group->button(type)) {
      b->setChecked(true);
      return;
    }
    group->setExclusive(false);
    for (QAbstractButton* b : group->buttons()) b->setChecked(false);
    group->setExclusive(true);
  };
  check(exclXGroup_, session_.Options.ExcludedTypeX);
  check(exclZGroup_, session_.Options.ExcludedTypeZ);
  showingOptions_ = false;
}

void TVornaxForm::ChooseExclusion(bool z, int type) {
  if (showingOptions_) return;
  RunOptions& o = session_.Options;
  // With one variable analysed the one panel shown holds the choice for it, whichever it is.
  const bool single = !TwoUsedTogether();
  if (!z || single) o.ExcludedTypeX = type;
  if (z || single) o.ExcludedTypeZ = type;
}

void TVornaxForm::PlaceSelectionWindow(QWidget* window) {
  // The window stands at the right edge of the Input tab, where the picture was: beside the
  // preference box when it is narrow enough, else below the exclusion box.
  window->adjustSize();
  const QRect tab(InputTabSheet->mapToGlobal(QPoint(0, 0)), InputTabSheet->size());
  const int left = tab.right() - window->width() - 8;
  const QPoint prefRight = PrefComboBox->mapToGlobal(QPoint(PrefComboBox->width(), 0));
  int top = left > prefRight.x() + 8
                ? prefRight.y()
                : ExclComboBox->mapToGlobal(QPoint(0, ExclComboBox->height() + 8)).y();
  // Never over "Save-Calculate": the window may rather cover the end of the exclusion box,
  // which has nothing to offer while a preference is chosen.
  const int buttonsTop = InputSaveButton->mapToGlobal(QPoint(0, 0)).y();
  top = std::min(top, buttonsTop - 6 - window->frameGeometry().height());
  window->move(left, top);
  window->show();
  window->raise();
}

void TVornaxForm::NrOfVarComboBoxChange(int index) {
  NrOfVarComboBox->setCurrentIndex(index);  // as the user chose it
  StringGrid1->CommitEdit();
  const int n = index == 1 ? 2 : 1;
  if (n != NrOfVarInData) {
    // A new layout: the first column is X again (with two columns the second is Z).
    session_.Data.SingleIsZ = false;
    session_.Data.SingleIsX = true;
  }
  NrOfVarInData = n;
  session_.Data.NrOfVarInData = n;
  session_.Data.NrOfVar = n;
  OptionComboBox->setEnabled(n == 2);
  OptionComboBox->setCurrentIndex(n == 2 ? 0 : 1);
  session_.Data.VarOption = n == 2 ? 3 : 0;
  SelectForm->SetPartialEnabled(n != 2);
  HideSelection();
  PrefComboBox->setCurrentIndex(0);
  ExclComboBox->setCurrentIndex(0);
  ResetPreferences();
  // The Z column and the weight column keep what was typed: the one is shown or hidden, the
  // other stays as the user set it.
  ShowColumns();
}

void TVornaxForm::OptionComboBoxChange(int index) {
  OptionComboBox->setCurrentIndex(index);  // as the user chose it
  const bool preferenceChosen = PrefComboBox->currentIndex() >= 2;
  ResetPreferences();
  HideSelection();
  PrefComboBox->setCurrentIndex(0);
  ExclComboBox->setCurrentIndex(0);
  TDMVornax& data = session_.Data;
  if (index == 0) {
    SelectForm->SetPartialEnabled(false);
    data.VarOption = 3;
    data.NrOfVar = 2;
    SetComboText(ExclComboBox, "           Exclusion: not applicable");
  } else {
    SelectForm->SetPartialEnabled(true);
    data.SingleIsZ = index == 2;
    data.SingleIsX = index != 2;
    data.VarOption = index == 2 ? 2 : 1;
    data.NrOfVar = 1;
    if (preferenceChosen) SetComboText(ExclComboBox, "         Exclusion: not applicable");
  }
  ShowColumns();
}

void TVornaxForm::ConfComboBoxChange(int index) {
  ConfComboBox->setCurrentIndex(index);  // as the user chose it
  static constexpr int kPercent[] = {90, 95, 98};
  session_.Options.ConfidenceT = ConfidenceFactorForPercent(index >= 0 && index < 3 ? kPercent[index] : 90);
}

void TVornaxForm::PrefComboBoxChange(int index) {
  PrefComboBox->setCurrentIndex(index);  // as the user chose it
  InputImage->hide();
  ExclComboBox->setCurrentIndex(0);
  Exclude1Panel->hide();
  Exclude2Panel->hide();
  ResetPreferences();
  const bool both = TwoUsedTogether();
  const bool second = SecondOnly();
  SelectForm->SetPartialEnabled(!both);
  SelectForm->SingleVariable = !both;
  Select2Form->SingleVariable = true;
  SelectForm->hide();
  Select2Form->hide();
  SelectLabel->hide();
  PartLabel->hide();
  if (index <= 1) {
    InputImage->show();
    ExclComboBox->setCurrentIndex(0);
    return;
  }
  if (index == 2) {
    SelectForm->ShowGroups(both || !second, both || second);
    PlaceSelectionWindow(SelectForm);
    PartLabel->setVisible(!both);
  } else if (both) {
    dialogs_->ShowMessage(
        "With two independent variables, the option of curved functions is not yet operational "
        "and, instead, the segmented procedure will be followed.");
    SelectForm->ShowGroups(true, true);
    PlaceSelectionWindow(SelectForm);
    SelectLabel->show();
  } else {
    Select2Form->ShowGroups(!second, second);
    PlaceSelectionWindow(Select2Form);
  }
  SetComboText(ExclComboBox, "          Exclusion: not applicable");
}

void TVornaxForm::ExclComboBoxChange(int index) {
  ExclComboBox->setCurrentIndex(index);  // as the user chose it
  PrefComboBox->setCurrentIndex(0);
  SelectForm->hide();
  Select2Form->hide();
  SelectLabel->hide();
  PartLabel->hide();
  InputImage->hide();
  ResetPreferences();
  if (index == 1) {
    SetComboText(PrefComboBox, "Preference: best of all except excluded");
    const bool both = TwoUsedTogether();
    Exclude1Panel->setVisible(both || !SecondOnly());
    Exclude2Panel->setVisible(both || SecondOnly());
  } else {
    SetComboText(PrefComboBox, "   Prefer: Best of segmented Types 1-6");
    Exclude1Panel->hide();
    Exclude2Panel->hide();
  }
}

void TVornaxForm::WeightComboBoxChange(int index) {
  WeightComboBox->setCurrentIndex(index);  // as the user chose it
  StringGrid1->CommitEdit();
  session_.Options.WeightsUsed = index == 1;
  ShowColumns();
}

void TVornaxForm::HelpOpenButtonClick() {
  const bool show = GridStack->currentWidget() != HelpMemo;
  GridStack->setCurrentWidget(show ? static_cast<QWidget*>(HelpMemo) : StringGrid1);
  for (QPushButton* b : {ClearButton, PasteButton, InputSaveButton, InputOpenButton}) b->setEnabled(!show);
  HelpOpenButton->setText(show ? "Close symbols" : "Symbols help ");
}

void TVornaxForm::PasteButtonClick() {
  const bool show = GridStack->currentWidget() != PasteMemo;
  GridStack->setCurrentWidget(show ? static_cast<QWidget*>(PasteMemo) : StringGrid1);
  for (QPushButton* b : {ClearButton, HelpOpenButton, InputSaveButton, InputOpenButton}) b->setEnabled(!show);
  PasteButton->setText(show ? "Close paste" : "Paste help");
}

void TVornaxForm::ClearButtonClick() {
  if (!dialogs_->AskYesNo("The data will be cleared, are you sure?")) return;
  DataPresent = false;
  OutputAvailable = false;
  GridEdited = false;
  session_.Options.WeightsUsed = false;
  WeightComboBox->setCurrentIndex(0);
  PrefComboBox->setCurrentIndex(0);
  ExclComboBox->setCurrentIndex(0);
  HideSelection();
  ResetPreferences();
  InputTabSheetShow();
}

// ---------------------------------------------------------------------------------------------
// Files and the run

bool TVornaxForm::AskToDropEdits(const char* question) {
  StringGrid1->CommitEdit();
  return !GridEdited || dialogs_->AskYesNo(question);
}

void TVornaxForm::InputOpenActionExecute() {
  if (running_ || !AskToDropEdits(kDropEditsOnOpen)) return;
  const QString path = dialogs_->GetOpenFileName("Open input", DialogDir, "Input files (*.inp)");
  if (path.isEmpty()) {
    dialogs_->ShowMessage("No input file was selected");
    return;
  }
  if (!QFileInfo(path).isFile()) {
    dialogs_->ShowMessage("File does not exist, please select another one,");
    return;
  }
  OpenInputFile(path);
}

bool TVornaxForm::OpenInputFile(const QString& path) {
  TDMVornax& data = session_.Data;
  const std::string before = data.FileName;
  data.FileName = Std(path);
  // A file that cannot be read is a message; the grid and the data set stay as they were.
  if (!ReadInputFile(data, session_.Options, *dialogs_)) {
    data.FileName = before;
    return false;
  }
  data.GridRowCount = data.NrOfData;
  PrefComboBox->setCurrentIndex(0);
  ExclComboBox->setCurrentIndex(0);
  data.VarOption = 3;
  HideSelection();
  DialogDir = QFileInfo(path).absolutePath();
  FileNameEdit->setText(QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()));
  FileNameLabel->show();
  FileNameEdit->show();
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
  WeightComboBox->setCurrentIndex(session_.Options.WeightsUsed ? 1 : 0);
  DataPresent = true;
  FillGridFromDataSet();
  OutputAvailable = false;
  session_.Options.PartialFailed = false;
  GridEdited = false;
  if (PageControl1->currentWidget() == InputTabSheet) InputTabSheetShow();
  else PageControl1->setCurrentWidget(InputTabSheet);
  return true;
}

QString TVornaxForm::AskInputFileName() {
  const QString path = dialogs_->GetSaveFileName("Save input", DialogDir, "Input files (*.inp)", "inp");
  if (path.isEmpty()) return {};
  const QString suffix = QFileInfo(path).suffix().toLower();
  // The report and the ANOVA table take the input's name with these extensions: an input file
  // so named would be overwritten by its own report.
  if (suffix == "out" || suffix == "var") {
    dialogs_->ShowMessage("An input file cannot end in \"." + Std(suffix) +
                          "\": the report and the ANOVA table are written under that name. "
                          "Please choose a name ending in \".inp\".");
    return {};
  }
  if (QFileInfo::exists(path) && !dialogs_->AskYesNo("The file already exists, overwrite?")) return {};
  return path;
}

void TVornaxForm::InputSaveActionExecute() {
  if (running_) return;
  StringGrid1->CommitEdit();
  const QString path = AskInputFileName();
  SaveCancelled = path.isEmpty();
  const GridInput grid = GridFromWindow();
  if (!SaveCancelled && !BreakpointChoicesFromWindow()) return;
  AnovaButton->setText("Anova table");

  running_ = true;
  QApplication::setOverrideCursor(Qt::BusyCursor);
  for (QAction* a : {InputOpenAction, OutputOpenAction, InputSaveAction}) a->setEnabled(false);
  PageControl1->tabBar()->setEnabled(false);
  const SaveCalculateResult result =
      SaveCalculate(session_, grid, std::filesystem::path(Std(path)), *dialogs_);
  PageControl1->tabBar()->setEnabled(true);
  for (QAction* a : {InputOpenAction, OutputOpenAction, InputSaveAction}) a->setEnabled(true);
  QApplication::restoreOverrideCursor();
  running_ = false;

  RowsDropped = result.RowsPacked;
  const SaveCalculateOutcome outcome = result.Outcome;
  const bool committed = outcome == SaveCalculateOutcome::InputNotWritten ||
                         outcome == SaveCalculateOutcome::AnalysisStopped ||
                         outcome == SaveCalculateOutcome::OutputInvalid ||
                         outcome == SaveCalculateOutcome::Done;
  if (committed) {
    // The data set was made of the complete rows, numbered 1 to n: the grid shows the same.
    if (RowsDropped) KeepCompleteRows(grid);
    GridRows = StringGrid1->DataRows();
    SetNrOfDataText(GridRows);
  }
  if (committed && outcome != SaveCalculateOutcome::InputNotWritten) {
    GridEdited = false;
    InputPath = Text(result.InputPath);
  }
  // What the analysis changed in the options is shown.
  ShowOptions();
  if (outcome != SaveCalculateOutcome::Done) {
    if (committed) ShowTab(InputTabSheet);
    return;
  }
  ShowOutputLines();
  OutputAvailable = true;
  SummaryForShownOutput = session_.Data.Result.Valid;
  AnovaButton->setText("Anova table");
  ShowOutputControls(true);
  SymbolsButton->setText("Symbols");
  DialogDir = QFileInfo(Text(result.OutputPath)).absolutePath();
  ShowTab(OutputTabSheet);
}

void TVornaxForm::KeepCompleteRows(const GridInput& grid) {
  // Taken from the cells as they were sent, not from the data set: the analysis has sorted the
  // data sets and appended the copies of weighted ones, and the cells keep the text as typed.
  const bool two = grid.NrOfVarInData == 2;
  auto filled = [](const std::vector<std::string>& row, size_t column) {
    return column < row.size() && !QString::fromStdString(row[column]).trimmed().isEmpty();
  };
  std::vector<const std::vector<std::string>*> complete;
  for (const auto& row : grid.Rows) {
    if (filled(row, 1) && filled(row, 2) && (!two || filled(row, 3))) complete.push_back(&row);
  }
  StringGrid1->setRowCount(0);
  StringGrid1->SetDataRows(static_cast<int>(complete.size()));
  const size_t weightColumn = two ? 4 : 3;
  for (size_t i = 0; i < complete.size(); ++i) {
    const std::vector<std::string>& row = *complete[i];
    const int r = static_cast<int>(i) + 1;
    StringGrid1->SetCellText(r, kYColumn, Text(row[1]));
    StringGrid1->SetCellText(r, kXColumn, Text(row[2]));
    if (two) StringGrid1->SetCellText(r, kZColumn, Text(row[3]));
    StringGrid1->SetCellText(r, kWeightColumn, filled(row, weightColumn) ? Text(row[weightColumn]) : "1");
  }
  ShowColumns();
}

void TVornaxForm::ShowOutputLines() {
  QStringList lines;
  lines.reserve(static_cast<qsizetype>(session_.Data.OutputLines.size()));
  for (const std::string& line : session_.Data.OutputLines) lines << QString::fromLocal8Bit(line.c_str());
  OutputMemo->setPlainText(lines.join('\n'));
  OutputMemo->moveCursor(QTextCursor::Start);
}

void TVornaxForm::OutputOpenActionExecute() {
  if (running_) return;
  const QString path = dialogs_->GetOpenFileName("Open output", DialogDir, "Output files (*.out)");
  TDMVornax& data = session_.Data;
  if (path.isEmpty()) {
    // Nothing was chosen: what is shown, and the user's preferences, stay as they are.
    dialogs_->ShowMessage("No output file selected");
    ShowTab(OutputTabSheet);
    return;
  }
  ShowOutputControls(false);
  // Whatever was shown belonged to the file named before; it stays away unless this one reads.
  OutputAvailable = false;
  data.OlderFileShown = false;
  SummaryForShownOutput = false;
  data.FileName = Std(path);
  if (!QFileInfo(path).isFile()) {
    dialogs_->ShowMessage("File does not exist, please select another one,");
  } else if (ReadTextFile(data, data.FileName, ".out", *dialogs_)) {
    ShowStatus("The output file can be imported into spreadsheets");
    ShowOutputLines();
    OutputAvailable = true;
  }
  SetDialogDirs(QFileInfo(path).absolutePath());
  if (OutputAvailable) {
    AnovaButton->setText("Anova table");
    SymbolsButton->setText("Symbols");
    ResetPreferences();
  }
  ShowOutputControls(OutputAvailable);
  ShowTab(OutputTabSheet);
}

void TVornaxForm::AnovaButtonClick() {
  TDMVornax& data = session_.Data;
  if (AnovaButton->text() == "Anova table") {
    // The caption says what is shown: it changes only when the table could be read.
    if (ReadTextFile(data, WithExtension(data.FileName, ".var"), ".var", *dialogs_)) {
      AnovaButton->setText("Close Anova");
      ShowOutputLines();
      SymbolsButton->hide();
      SymbolsForm->hide();
      SeeGraphButton->hide();
      ShowSummary();
      ShowTab(OutputTabSheet);
    }
  } else {
    if (ReadTextFile(data, WithExtension(data.FileName, ".out"), ".out", *dialogs_)) {
      AnovaButton->setText("Anova table");
      SymbolsButton->setText("Symbols");
      ShowOutputLines();
      SymbolsButton->show();
      SeeGraphButton->show();
      ShowSummary();
      ShowTab(OutputTabSheet);
    }
  }
}

void TVornaxForm::SymbolsButtonClick() {
  if (SymbolsForm->isVisible()) {
    SymbolsForm->hide();
    SymbolsButton->setText("Symbols");
    return;
  }
  const QPoint at = mapToGlobal(QPoint(width() - SymbolsForm->width() - 20, 90));
  SymbolsForm->move(at);
  SymbolsForm->show();
  SymbolsForm->raise();
  SymbolsButton->setText("Close symbols");
}

}  // namespace vornax::app
