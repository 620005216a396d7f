// The Input tab: its controls, the grid with the data-count box, and the help texts in the
// grid's place. The choices of a run are in InputOptions.cpp, files and the run in InputFiles.cpp.
#include "app/InputTab.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
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
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QStackedWidget>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <filesystem>

#include "app/DataGrid.h"
#include "app/GridPaste.h"
#include "app/GridPasting.h"
#include "app/OutputTab.h"
#include "app/TabControls.h"
#include "app/VornaxForm.h"
#include "data/InputFile.h"
#include "data/NumberFormat.h"
#include "forms/InfoForms.h"
#include "forms/SelectForms.h"
#include "run/TableImport.h"

namespace vornax::app {
namespace {

constexpr const char* kInputStatus =
    "Enter data or use \"Open\" to edit existing data. Then use \"Save-Calculate\".";

constexpr const char* kOptionItems[] = {"      Use both independent variables       ",
                                        "      Use 1st independent variable only    ",
                                        "      Use 2nd independent variable only   "};
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
    "Columns copied from a spreadsheet (Excel,\n"
    "LibreOffice) or a text file are pasted into\n"
    "the table: click the first cell they go to\n"
    "(Y of row 1) and press Ctrl+V, or use\n"
    "Edit > Paste or the right mouse button.\n"
    "The table grows to hold every row; a decimal\n"
    "comma becomes a point.\n"
    "\n"
    "A first line without numbers is a header:\n"
    "its names become the column captions, and\n"
    "the titles when those are empty.\n"
    "\n"
    "A block with more columns than the table\n"
    "shows asks which column is Y, X, Z or the\n"
    "weight factor, or is left out. For a Z column\n"
    "set \"Nr. of independent variables\" to 2, for\n"
    "weights choose \"Weight factors are needed\"\n"
    "first. A block shorter than the data below it\n"
    "asks whether to keep the rows below.\n"
    "\n"
    "Every paste, and the answers to these\n"
    "questions, can be undone with Ctrl+Z\n"
    "(Edit > Undo) and redone with Ctrl+Y.\n"
    "The table holds at most 100,000 rows.\n";

// A grid cell for a value of the data set: two decimals, as in the input file, and more only
// when the value needs them to read back unchanged.
QString CellValue(long double value) {
  return QString::fromStdString(FormatRealLossless(static_cast<double>(value), 0, 2));
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

TInputTab::TInputTab(TVornaxForm& form) : form_(form) {
  setObjectName("InputTabSheet");
  BuildControls();
  // The selection windows are panels of the tab, where the picture stands: nothing floats over
  // the report, the wait panel or the buttons.
  SelectForm = new forms::TSelectForm(form_.session().Options, this);
  Select2Form = new forms::TSelect2Form(form_.session().Options, this);
  BreakpointsForm = new forms::TBreakpointsForm(form_.session().Options, this);
  for (QWidget* panel : {static_cast<QWidget*>(SelectForm), static_cast<QWidget*>(Select2Form),
                         static_cast<QWidget*>(BreakpointsForm)}) {
    panel->setWindowFlags(Qt::Widget);
    panel->hide();
    optionArea_->insertWidget(2, panel, 0, Qt::AlignTop);
  }
  SelectForm->OnChoice = [this] { ShowPreferenceLine(); };
  Select2Form->OnChoice = [this] { ShowPreferenceLine(); };
  BreakpointsForm->OnChoice = [this] { ShowPreferenceLine(); };
}

void TInputTab::BuildControls() {
  QWidget* page = this;
  auto* tab = new QVBoxLayout(page);
  tab->setContentsMargins(8, 8, 8, 8);
  auto* outer = new QHBoxLayout;
  outer->setSpacing(12);
  tab->addLayout(outer, 1);

  // Left: the grid, or one of the two help texts in its place.
  GridStack = new QStackedWidget(page);
  StringGrid1 = new DataGrid(GridStack);
  StringGrid1->setObjectName("StringGrid1");
  StringGrid1->setToolTip("Y = dependent variable, X, Z independent");
  StringGrid1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  StringGrid1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  StringGrid1->OnMultiCellPaste = [this](int c, int r, const QString& t) { HandlePasteMultiCell(c, r, t); };
  StringGrid1->OnGridChanged = [this] { StringGrid1SetEditText(); };
  StringGrid1->OnWidthChanged = [this] { GridStack->setFixedWidth(StringGrid1->width()); };
  StringGrid1->ReadFrame = [this] { return Frame(); };
  StringGrid1->WriteFrame = [this](const GridFrame& frame) { SetFrame(frame); };
  StringGrid1->WriteFileName = [this](const QString& fileName) { ShowDataName(fileName); };
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

  // Right: the file, the titles, the counts and the options with their panels and the picture.
  // On a small screen (or a large scale factor) they scroll: the window never grows past the
  // screen for a panel that opens.
  ChoicesArea = new QScrollArea(page);
  ChoicesArea->setObjectName("ChoicesArea");
  ChoicesArea->setWidgetResizable(true);
  ChoicesArea->setFrameShape(QFrame::NoFrame);
  auto* choices = new QWidget(ChoicesArea);
  choices->setObjectName("ChoicesPanel");
  auto* right = new QVBoxLayout(choices);
  right->setContentsMargins(0, 0, 0, 0);
  right->setSpacing(6);
  ChoicesArea->setWidget(choices);
  // The choices stand on the tab's own background, as they did before they could scroll.
  ChoicesArea->viewport()->setAutoFillBackground(false);
  choices->setAutoFillBackground(false);
  outer->addWidget(ChoicesArea, 1);

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

  BuildPreferencePanel(page, right);
  QHBoxLayout* area = optionArea_;
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
  // Below the grid and the choices, always in sight.
  tab->addLayout(buttons);

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
}

void TInputTab::InputTabSheetShow() {
  form_.ShowStatus(kInputStatus);
  form_.HelpForm->hide();
  if (GridStack->currentWidget() == HelpMemo) HelpOpenButtonClick();
  if (GridStack->currentWidget() == PasteMemo) PasteButtonClick();
  form_.InputSaveAction->setEnabled(true);
  InputSaveButton->show();
  // The report on the Output tab stays until a new run replaces it.
  InPaste = false;
  if (DataPresent) {
    // The variable, preference, exclusion and weight choices stay as the user left them: a
    // look at the report is no reason to choose again.
    ShowColumns();
  } else {
    FileNameLabel->hide();
    FileNameEdit->hide();
    // The grid's side of the data set only: the report on the Output tab belongs to its file,
    // and its name, lines and numbers stay for it.
    TDMVornax& data = form_.session().Data;
    data.Title1.clear();
    data.Title2.clear();
    data.NrOfVar = data.NrOfVarInData = 1;
    data.VarOption = 0;
    data.SingleIsX = true;
    data.SingleIsZ = false;
    data.GridRowCount = 15;
    NrOfVarInData = 1;
    NrOfVarComboBox->setCurrentIndex(0);
    OptionComboBox->setCurrentIndex(1);
    OptionComboBox->setEnabled(false);
    Title1Edit->clear();
    Title2Edit->clear();
    FillGrid(15);
  }
}

// ---------------------------------------------------------------------------------------------
// The grid

void TInputTab::ShowColumns() {
  const TDMVornax& data = form_.session().Data;
  const bool two = NrOfVarInData == 2;
  const bool weights = form_.session().Options.WeightsUsed;
  StringGrid1->setColumnHidden(kZColumn, !two);
  StringGrid1->setColumnHidden(kWeightColumn, !weights);
  // The captions, with the names a pasted header gave; the columns as wide as their numbers.
  StringGrid1->SetCaptions(
      {"Serial", "    Y", !two && data.SingleIsZ ? "    Z" : "    X", "    Z", "Weight"});
  // The grid's room is that of the columns shown: the choices beside it take the rest (they
  // scroll), so a column shown or hidden moves the choices' edge and never the window's.
  GridStack->setFixedWidth(StringGrid1->width());
}

void TInputTab::SetNrOfDataText(int count) { NrOfDataEdit->setText(QString::number(count)); }

void TInputTab::FillGrid(int count) {
  if (DataPresent) return FillGridFromDataSet(Frame());
  // The default rows are empty, so that only what is typed is analysed.
  StringGrid1->setRowCount(0);
  StringGrid1->SetDataRows(count);
  for (int r = 1; r <= count; ++r) {
    for (int c = kYColumn; c <= kZColumn; ++c) StringGrid1->SetCellText(r, c, QString());
    StringGrid1->SetCellText(r, kWeightColumn, "1");
  }
  StringGrid1->Refit();
  GridRows = count;
  SetNrOfDataText(count);
  ShowColumns();
}

void TInputTab::FillGridFromDataSet(const GridFrame& before) {
  // One step to undo: the file's data set over whatever the grid held.
  const TDMVornax& data = form_.session().Data;
  const int rows = std::max(0, std::min<int>(data.GridRowCount, static_cast<int>(data.YData.size())));
  const bool weights = form_.session().Options.WeightsUsed;
  GridEdit edit(*StringGrid1);
  edit.SetRows(rows);
  for (int r = 1; r <= rows; ++r) {
    const size_t i = static_cast<size_t>(r - 1);
    edit.SetCell(r, kYColumn, CellValue(data.YData[i]));
    edit.SetCell(r, kXColumn, CellValue(data.XData[i]));
    edit.SetCell(r, kZColumn,
                 NrOfVarInData == 2 && i < data.ZData.size() ? CellValue(data.ZData[i]) : QString());
    const int weight = weights && i < data.WeightFactor.size() ? data.WeightFactor[i] : 1;
    edit.SetCell(r, kWeightColumn, QString::number(weight));
  }
  edit.SetNames({});
  edit.SetFrame(before, Frame());
  StringGrid1->Apply(std::move(edit), "Open input");
  StringGrid1->MarkIncompleteRows({});
  GridRows = rows;
  SetNrOfDataText(rows);
  NrOfVarComboBox->setCurrentIndex(NrOfVarInData - 1);
  ShowColumns();
}

GridFrame TInputTab::Frame() const {
  GridFrame frame;
  frame.NrOfVarInData = NrOfVarInData;
  frame.Weights = form_.session().Options.WeightsUsed;
  frame.SingleIsZ = NrOfVarInData == 1 && form_.session().Data.SingleIsZ;
  frame.Use = NrOfVarInData == 2 ? std::max(OptionComboBox->currentIndex(), 0) : 0;
  frame.Title1 = Title1Edit->text();
  frame.Title2 = Title2Edit->text();
  frame.FileName = CurrentPath;
  return frame;
}

void TInputTab::SetFrame(const GridFrame& frame) {
  TDMVornax& data = form_.session().Data;
  const int n = frame.NrOfVarInData == 2 ? 2 : 1;
  NrOfVarInData = n;
  data.NrOfVarInData = n;
  data.NrOfVar = n;
  const int use = n == 2 && frame.Use >= 0 && frame.Use <= 2 ? frame.Use : 0;
  data.SingleIsZ = n == 1 ? frame.SingleIsZ : use == 2;
  data.SingleIsX = !data.SingleIsZ;
  data.VarOption = n == 2 ? (use == 0 ? 3 : use) : 0;
  data.NrOfVar = n == 2 && use == 0 ? 2 : 1;
  NrOfVarComboBox->setCurrentIndex(n - 1);
  OptionComboBox->setEnabled(n == 2);
  OptionComboBox->setCurrentIndex(n == 2 ? use : 1);
  SelectForm->SetPartialEnabled(n != 2 || use != 0);
  form_.session().Options.WeightsUsed = frame.Weights;
  WeightComboBox->setCurrentIndex(frame.Weights ? 1 : 0);
  Title1Edit->setText(frame.Title1);
  Title2Edit->setText(frame.Title2);
  Title1Edit->setCursorPosition(0);
  Title2Edit->setCursorPosition(0);
  ShowDataName(frame.FileName);
  ShowColumns();
}

void TInputTab::ShowDataName(const QString& fileName) {
  // The name goes with the data: data without a file are untitled and saved under a new name.
  CurrentPath = fileName;
  if (fileName.isEmpty()) InputPath.clear();
  FileNameEdit->setText(QDir::toNativeSeparators(fileName));
  FileNameEdit->setCursorPosition(0);
  FileNameLabel->setVisible(!fileName.isEmpty());
  FileNameEdit->setVisible(!fileName.isEmpty());
  form_.ShowTitle(fileName);
}

void TInputTab::StringGrid1SetEditText() {
  // After every change of the grid, done, undone or redone.
  DataPresent = true;
  GridEdited = true;
  GridRows = StringGrid1->DataRows();
  form_.session().Data.GridRowCount = GridRows;
  SetNrOfDataText(GridRows);
}

void TInputTab::HandlePasteMultiCell(int column, int row, const QString& text) {
  InPaste = true;
  PasteIntoGrid(*StringGrid1, form_.Dialogs(), column, row, text, kMaxGridRows);
  InPaste = false;
}

void TInputTab::NrOfDataEditExit() {
  const QString text = NrOfDataEdit->text().trimmed();
  if (text.isEmpty()) return;
  bool ok = false;
  const long long n = text.toLongLong(&ok);
  auto restore = [this] { SetNrOfDataText(GridRows); };
  if (!ok) {
    form_.Dialogs().ShowMessage("The number of data sets is not a valid integer");
    return restore();
  }
  if (n < 10) {
    form_.Dialogs().ShowMessage(" The minimum number of data sets is 10");
    return restore();
  }
  if (n > kMaxGridRows) {
    form_.Dialogs().ShowMessage("The table takes at most " + std::to_string(kMaxGridRows) + " data sets");
    return restore();
  }
  if (InPaste) return;
  if (n > GridRows) {
    form_.Dialogs().ShowMessage(" Add data in the last cells at the end of the column");
    StringGrid1->CommitEdit();
    GridEdit edit(*StringGrid1);
    edit.SetRows(static_cast<int>(n));
    StringGrid1->Apply(std::move(edit), "Number of data sets");
  } else if (n < GridRows) {
    form_.Dialogs().ShowMessage(" To remove data make the relevant data cells empty");
    restore();
  }
}

GridInput TInputTab::GridFromWindow() const {
  GridInput g;
  g.Title1 = Std(Title1Edit->text());
  g.Title2 = Std(Title2Edit->text());
  g.NrOfVarInData = NrOfVarInData;
  g.SingleIsZ = NrOfVarInData == 1 && form_.session().Data.SingleIsZ;
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

void TInputTab::HelpOpenButtonClick() {
  const bool show = GridStack->currentWidget() != HelpMemo;
  GridStack->setCurrentWidget(show ? static_cast<QWidget*>(HelpMemo) : StringGrid1);
  for (QPushButton* b : {ClearButton, PasteButton, InputSaveButton, InputOpenButton}) b->setEnabled(!show);
  HelpOpenButton->setText(show ? "Close symbols" : "Symbols help ");
}

void TInputTab::PasteButtonClick() {
  const bool show = GridStack->currentWidget() != PasteMemo;
  GridStack->setCurrentWidget(show ? static_cast<QWidget*>(PasteMemo) : StringGrid1);
  for (QPushButton* b : {ClearButton, HelpOpenButton, InputSaveButton, InputOpenButton}) b->setEnabled(!show);
  PasteButton->setText(show ? "Close paste" : "Paste help");
}

void TInputTab::ClearButtonClick() {
  if (!form_.Dialogs().AskToDiscard("The data will be cleared, are you sure?")) return;
  // Back to the 15 empty rows of the start, as one step that can be undone.
  StringGrid1->CommitEdit();
  GridEdit edit(*StringGrid1);
  edit.SetRows(15);
  for (int r = 1; r <= 15; ++r) {
    for (int c = kYColumn; c <= kZColumn; ++c) edit.SetCell(r, c, QString());
    edit.SetCell(r, kWeightColumn, "1");
  }
  edit.SetNames({});
  edit.SetFrame(GridFrame{});
  StringGrid1->Apply(std::move(edit), "Clear data");
  // Untitled even when there was nothing to clear: the next data get a name of their own.
  form_.ShowTitle(QString());
  StringGrid1->MarkIncompleteRows({});
  DataPresent = false;
  GridEdited = false;
  form_.session().Options.WeightsUsed = false;
  WeightComboBox->setCurrentIndex(0);
  PrefComboBox->setCurrentIndex(0);
  ExclComboBox->setCurrentIndex(0);
  HideSelection();
  ResetPreferences();
  ClearBreakpointFields();
  InputTabSheetShow();
}

}  // namespace vornax::app
