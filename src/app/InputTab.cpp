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

QString Text(const std::string& s) { return QString::fromStdString(s); }
std::string Std(const QString& s) { return s.toStdString(); }

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
  for (QWidget* panel : {static_cast<QWidget*>(SelectForm), static_cast<QWidget*>(Select2Form)}) {
    panel->setWindowFlags(Qt::Widget);
    panel->hide();
    optionArea_->insertWidget(2, panel, 0, Qt::AlignTop);
  }
}

void TInputTab::BuildControls() {
  QWidget* page = this;
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
  StringGrid1->OnGridChanged = [this] { StringGrid1SetEditText(); };
  StringGrid1->OnWidthChanged = [this] { GridStack->setFixedWidth(StringGrid1->width()); };
  StringGrid1->ReadFrame = [this] { return Frame(); };
  StringGrid1->WriteFrame = [this](const GridFrame& frame) { SetFrame(frame); };
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

  // The exclusion panels, the picture and the wait panel share the space below the boxes.
  optionArea_ = new QHBoxLayout;
  QHBoxLayout* area = optionArea_;
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
    form_.session().Data.ResetToStartup();
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
  auto widthFor = [this](int shown) {
    return 45 + (shown - 1) * 75 + 2 * StringGrid1->frameWidth() +
           StringGrid1->verticalScrollBar()->sizeHint().width();
  };
  // The room of the grid is at least that of its widest default layout (Z and weights), so that
  // showing a column never widens the window or moves the buttons beside the grid.
  GridStack->setFixedWidth(std::max(StringGrid1->width(), widthFor(kGridColumns)));
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
  frame.Title1 = Title1Edit->text();
  frame.Title2 = Title2Edit->text();
  frame.FileName = FileNameEdit->isHidden() ? QString() : FileNameEdit->text();
  return frame;
}

void TInputTab::SetFrame(const GridFrame& frame) {
  TDMVornax& data = form_.session().Data;
  const int n = frame.NrOfVarInData == 2 ? 2 : 1;
  NrOfVarInData = n;
  data.NrOfVarInData = n;
  data.NrOfVar = n;
  data.SingleIsZ = n == 1 && frame.SingleIsZ;
  data.SingleIsX = !data.SingleIsZ;
  data.VarOption = n == 2 ? 3 : 0;
  NrOfVarComboBox->setCurrentIndex(n - 1);
  OptionComboBox->setEnabled(n == 2);
  OptionComboBox->setCurrentIndex(n == 2 ? 0 : 1);
  SelectForm->SetPartialEnabled(n != 2);
  form_.session().Options.WeightsUsed = frame.Weights;
  WeightComboBox->setCurrentIndex(frame.Weights ? 1 : 0);
  Title1Edit->setText(frame.Title1);
  Title2Edit->setText(frame.Title2);
  Title1Edit->setCursorPosition(0);
  Title2Edit->setCursorPosition(0);
  FileNameEdit->setText(frame.FileName);
  FileNameLabel->setVisible(!frame.FileName.isEmpty());
  FileNameEdit->setVisible(!frame.FileName.isEmpty());
  ShowColumns();
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

// ---------------------------------------------------------------------------------------------
// The option boxes

bool TInputTab::TwoUsedTogether() const {
  return NrOfVarInData == 2 && OptionComboBox->currentIndex() <= 0;
}

bool TInputTab::SecondOnly() const {
  return NrOfVarInData == 2 && OptionComboBox->currentIndex() == 2;
}

void TInputTab::SetComboText(QComboBox* box, const QString& text) {
  // A box shows a text of its own, not one of its items, until the user picks an item.
  box->setPlaceholderText(text);
  box->setCurrentIndex(-1);
}

void TInputTab::HideSelection() {
  SelectForm->hide();
  Select2Form->hide();
  SelectLabel->hide();
  PartLabel->hide();
  Exclude1Panel->hide();
  Exclude2Panel->hide();
  InputImage->show();
}

void TInputTab::ResetPreferences() {
  form_.session().Options.ResetPreferences();
  ShowOptions();
}

void TInputTab::ShowOptions() {
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
  check(exclXGroup_, form_.session().Options.ExcludedTypeX);
  check(exclZGroup_, form_.session().Options.ExcludedTypeZ);
  showingOptions_ = false;
}

void TInputTab::ChooseExclusion(bool z, int type) {
  if (showingOptions_) return;
  RunOptions& o = form_.session().Options;
  // With one variable analysed the one panel shown holds the choice for it, whichever it is.
  const bool single = !TwoUsedTogether();
  if (!z || single) o.ExcludedTypeX = type;
  if (z || single) o.ExcludedTypeZ = type;
}

void TInputTab::PlaceSelectionWindow(QWidget* window) {
  // A panel below the boxes, in the place of the picture.
  InputImage->hide();
  window->show();
}

void TInputTab::NrOfVarComboBoxChange(int index) {
  NrOfVarComboBox->setCurrentIndex(index);  // as the user chose it
  StringGrid1->CommitEdit();
  const int n = index == 1 ? 2 : 1;
  if (n != NrOfVarInData) {
    // A new layout: the first column is X again (with two columns the second is Z).
    form_.session().Data.SingleIsZ = false;
    form_.session().Data.SingleIsX = true;
  }
  NrOfVarInData = n;
  form_.session().Data.NrOfVarInData = n;
  form_.session().Data.NrOfVar = n;
  OptionComboBox->setEnabled(n == 2);
  OptionComboBox->setCurrentIndex(n == 2 ? 0 : 1);
  form_.session().Data.VarOption = n == 2 ? 3 : 0;
  SelectForm->SetPartialEnabled(n != 2);
  HideSelection();
  PrefComboBox->setCurrentIndex(0);
  ExclComboBox->setCurrentIndex(0);
  ResetPreferences();
  // The Z column and the weight column keep what was typed: the one is shown or hidden, the
  // other stays as the user set it.
  ShowColumns();
}

void TInputTab::OptionComboBoxChange(int index) {
  OptionComboBox->setCurrentIndex(index);  // as the user chose it
  const bool preferenceChosen = PrefComboBox->currentIndex() >= 2;
  ResetPreferences();
  HideSelection();
  PrefComboBox->setCurrentIndex(0);
  ExclComboBox->setCurrentIndex(0);
  TDMVornax& data = form_.session().Data;
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

void TInputTab::ConfComboBoxChange(int index) {
  ConfComboBox->setCurrentIndex(index);  // as the user chose it
  static constexpr int kPercent[] = {90, 95, 98};
  form_.session().Options.ConfidenceT = ConfidenceFactorForPercent(index >= 0 && index < 3 ? kPercent[index] : 90);
}

void TInputTab::PrefComboBoxChange(int index) {
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
    form_.Dialogs().ShowMessage(
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

void TInputTab::ExclComboBoxChange(int index) {
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

void TInputTab::WeightComboBoxChange(int index) {
  WeightComboBox->setCurrentIndex(index);  // as the user chose it
  StringGrid1->CommitEdit();
  form_.session().Options.WeightsUsed = index == 1;
  ShowColumns();
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
  StringGrid1->MarkIncompleteRows({});
  DataPresent = false;
  form_.OutputAvailable = false;
  GridEdited = false;
  form_.session().Options.WeightsUsed = false;
  WeightComboBox->setCurrentIndex(0);
  PrefComboBox->setCurrentIndex(0);
  ExclComboBox->setCurrentIndex(0);
  HideSelection();
  ResetPreferences();
  InputTabSheetShow();
}

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
  data.GridRowCount = data.NrOfData;
  PrefComboBox->setCurrentIndex(0);
  ExclComboBox->setCurrentIndex(0);
  data.VarOption = 3;
  HideSelection();
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
  FillGridFromInput(GridFromTable(table, Std(QFileInfo(path).fileName())), table.HasWeights);
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
