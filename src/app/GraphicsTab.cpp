// The Graphics tab: which graph of the current output is drawn, its belt and breakpoint-interval
// toggles, the calculated-observed plot, and keeping graphs in files and showing them again.
//
// Every command reads the current output afresh before it draws or saves: a graph always shows
// the file named now, and a file that cannot be read stops the command with its message instead
// of drawing (or saving) whatever graph was read before.
#include <QApplication>
#include <QButtonGroup>
#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMimeData>
#include <QPainter>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTextDocument>
#include <QVBoxLayout>

#include <functional>

#include "app/TabControls.h"
#include "app/VornaxForm.h"
#include "data/GraphDataReader.h"
#include "data/OutputFile.h"
#include "forms/InfoForms.h"

namespace vornax::app {

namespace {

// Above this many data sets the belt would hide the points: it is left out.
constexpr int kMaxBeltRows = 1000;

constexpr const char* kRemoveBelt = "Remove conf. belt";
constexpr const char* kRestoreBelt = "Restore conf. belt";
constexpr const char* kRemoveBlock = "Remove conf. block";
constexpr const char* kRestoreBlock = "Restore conf. block";
constexpr const char* kSeeCalcObs = "See calc-obs graph";
constexpr const char* kSeeRegression = "See regress. graph";
constexpr const char* kGraphicsStatus = "Graphics presentations of output data can be seen and saved";
constexpr const char* kNotAnOutputMessage = "This is not a Vornax output file. The data can not be read";

QPushButton* GraphButton(const QString& text, QWidget* parent, const char* name) {
  auto* button = new QPushButton(text, parent);
  button->setObjectName(name);
  button->setMinimumWidth(170);
  // A hidden button keeps its room, so the others stay under the mouse.
  QSizePolicy policy = button->sizePolicy();
  policy.setRetainSizeWhenHidden(true);
  button->setSizePolicy(policy);
  return button;
}

// The graph's picture: it takes the room the tab gives it, and says when that room changes so
// that the graph is drawn again at the new size. The tab is laid out while hidden too (a run
// draws the graph before its tab is shown, a window maximised on another tab resizes this one
// unseen), so coming into view counts as a change of room as well.
class GraphLabel : public QLabel {
 public:
  using QLabel::QLabel;
  std::function<void()> resized;

 protected:
  void resizeEvent(QResizeEvent* event) override {
    QLabel::resizeEvent(event);
    if (resized) resized();
  }
  void showEvent(QShowEvent* event) override {
    QLabel::showEvent(event);
    if (resized) resized();
  }
};

// The saving dialog's filters; a name typed without an extension takes the chosen filter's.
constexpr const char* kGraphSaveFilters =
    "PNG picture (*.png);;SVG drawing (*.svg);;PDF document (*.pdf);;Bitmap (*.bmp)";

}  // namespace

QWidget* TVornaxForm::BuildGraphicsTab() {
  auto* page = new QWidget;
  page->setObjectName("GraphicsTabSheet");
  auto* layout = new QHBoxLayout(page);
  layout->setContentsMargins(8, 8, 8, 8);

  // The graph in the middle of the room left of the controls.
  auto* graphArea = new QVBoxLayout;
  auto* graphLabel = new GraphLabel(page);
  graphLabel->resized = [this] { ShowGraphAtAreaSize(); };
  GraphImage = graphLabel;
  GraphImage->setObjectName("GraphImage");
  // The graph is drawn at the size the window gives it, down to half the default size, so the
  // window fits small screens and large scale factors.
  GraphImage->setMinimumSize(kGraphWidth / 2, kGraphHeight / 2);
  GraphImage->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
  GraphImage->setAlignment(Qt::AlignCenter);
  PictureImage = new QLabel(page);
  PictureImage->setObjectName("PictureImage");
  PictureImage->setMinimumSize(kGraphWidth / 2, kGraphHeight / 2);
  PictureImage->setAlignment(Qt::AlignCenter);
  PictureImage->hide();

  ChoicePanel = new QGroupBox("Select graph", page);
  ChoicePanel->setObjectName("ChoicePanel");
  auto* choices = new QVBoxLayout(ChoicePanel);
  GraphRadioGroup = new QButtonGroup(ChoicePanel);
  for (int i = 0; i < 5; ++i) {
    GraphRadioButtons[i] = new QRadioButton(ChoicePanel);
    GraphRadioGroup->addButton(GraphRadioButtons[i], i + 1);
    choices->addWidget(GraphRadioButtons[i]);
  }
  SetRadioCaptions(false);
  GraphRadioButtons[0]->setChecked(true);
  GoButton = GraphButton("Go", ChoicePanel, "GoButton");
  choices->addSpacing(6);
  choices->addWidget(GoButton, 0, Qt::AlignLeft);
  ChoicePanel->setFixedWidth(260);
  ChoicePanel->hide();

  graphArea->addWidget(GraphImage, 1);
  graphArea->addWidget(PictureImage, 1);
  graphArea->addWidget(ChoicePanel, 0, Qt::AlignCenter);
  layout->addLayout(graphArea, 1);

  // The controls beside it, in groups: which graph, what is drawn on it, and files.
  auto* controls = new QVBoxLayout;
  controls->setSpacing(6);
  MakeGraphButton = GraphButton("Make graph", page, "MakeGraphButton");
  SelectGraphButton = GraphButton("Select graph", page, "SelectGraphButton");
  CalcObsButton = GraphButton(kSeeCalcObs, page, "CalcObsButton");
  BeltButton = GraphButton(kRemoveBelt, page, "BeltButton");
  BlockButton = GraphButton(kRemoveBlock, page, "BlockButton");
  ConfHelpButton = GraphButton("Confidence help", page, "ConfHelpButton");
  GraphOpenButton = GraphButton("Open graph", page, "GraphOpenButton");
  SaveColourButton = GraphButton("Save color graph", page, "SaveColourButton");
  SaveBlackWhiteButton = GraphButton(" Save black-white graph", page, "SaveBlackWhiteButton");
  controls->addStretch(1);
  for (QPushButton* b : {MakeGraphButton, SelectGraphButton, CalcObsButton}) controls->addWidget(b);
  controls->addSpacing(14);
  for (QPushButton* b : {BeltButton, BlockButton, ConfHelpButton}) controls->addWidget(b);
  controls->addSpacing(14);
  for (QPushButton* b : {GraphOpenButton, SaveColourButton, SaveBlackWhiteButton}) controls->addWidget(b);
  controls->addStretch(1);
  layout->addLayout(controls);

  for (QPushButton* b : {SelectGraphButton, CalcObsButton, BeltButton, BlockButton, SaveColourButton,
                         SaveBlackWhiteButton, ConfHelpButton}) {
    b->hide();
  }

  connect(MakeGraphButton, &QPushButton::clicked, this, [this] { MakeGraphButtonClick(); });
  connect(SelectGraphButton, &QPushButton::clicked, this, [this] { SelectGraphButtonClick(); });
  connect(GoButton, &QPushButton::clicked, this, [this] { GoButtonClick(); });
  connect(CalcObsButton, &QPushButton::clicked, this, [this] { CalcObsButtonClick(); });
  connect(BeltButton, &QPushButton::clicked, this, [this] { BeltButtonClick(); });
  connect(BlockButton, &QPushButton::clicked, this, [this] { BlockButtonClick(); });
  connect(ConfHelpButton, &QPushButton::clicked, this, [this] { BPButtonClick(); });
  connect(GraphOpenButton, &QPushButton::clicked, this, [this] { GraphOpenActionExecute(); });
  connect(SaveColourButton, &QPushButton::clicked, this, [this] { GraphSaveActionExecute(); });
  connect(SaveBlackWhiteButton, &QPushButton::clicked, this, [this] { BlackWhiteButtonClick(); });
  return page;
}

void TVornaxForm::SetDialogDirs(const QString& folder) { DialogDir = folder; }

void TVornaxForm::SetRadioCaptions(bool zFirst) {
  static const char* const xFirstCaptions[] = {"Y-X function", "Residuals-Z function", "Calculated-observed",
                                               "Y-Z data plot", "X-Z data plot"};
  static const char* const zFirstCaptions[] = {"Y-Z function", "Residuals-X function", "Calculated-observed",
                                               "Y-X data plot", "Z-X data plot"};
  for (int i = 0; i < 5; ++i) GraphRadioButtons[i]->setText(zFirst ? zFirstCaptions[i] : xFirstCaptions[i]);
}

void TVornaxForm::ShowSaveControls(bool show) {
  SaveColourButton->setVisible(show);
  SaveBlackWhiteButton->setVisible(show);
  GraphSaveAction->setEnabled(show);
}

void TVornaxForm::ResetToggles() {
  BeltButton->setText(kRemoveBelt);
  BlockButton->setText(kRemoveBlock);
  ShowBelt = true;
  ShowBlock = true;
}

void TVornaxForm::GraphicsTabSheetShow() {
  InputSaveAction->setEnabled(false);
  ShowBeltNote();
  if (!GraphMade) {
    ShowSaveControls(false);
    SelectGraphButton->hide();
    ConfHelpButton->hide();
    HelpForm->hide();
  } else {
    GraphSaveAction->setEnabled(!SaveColourButton->isHidden());
  }
}

void TVornaxForm::MakeGraphButtonClick() {
  // The graph of the output shown, without a question; only without one is an output asked
  // for, and a cancelled choice says nothing.
  if (!OutputAvailable) {
    const QString path = dialogs_->GetOpenFileName("Open output", DialogDir, "Output files (*.out)");
    if (path.isEmpty() || !OutputTabSheet->OpenOutputFile(path)) return;
  }
  SeeGraphButtonClick();
}

bool TVornaxForm::ReadGraphOfOutput() {
  TDMVornax& data = session_.Data;
  // Before any output is made or opened the file name is the starting folder: nothing to read.
  if (!QFileInfo(QString::fromStdString(data.FileName)).isFile()) {
    dialogs_->ShowMessage(kNotAnOutputMessage);
    return false;
  }
  if (!ReadOutputKind(data, *dialogs_)) return false;
  if (QString::fromStdString(data.OutputKind).trimmed().isEmpty()) {
    dialogs_->ShowMessage(kNotAnOutputMessage);
    return false;
  }
  return ReadGraphData(data, *dialogs_);
}

bool TVornaxForm::DrawCurrentGraph() {
  const GraphData& graph = session_.Data.Graph;
  const bool tooMany = graph.NrOfRows > kMaxBeltRows;
  if (tooMany) ShowBelt = false;
  GraphOptions options;
  options.Kind = graph.TwoVariable() ? CurrentGraphKind
                 : CurrentGraphKind == GraphKind::CalcObs ? GraphKind::CalcObs
                                                          : GraphKind::YX;
  options.Colour = ColourMode;
  options.ShowBelt = ShowBelt;
  options.ShowBlock = ShowBlock;
  GraphPicture picture = DrawGraph(graph, options);
  if (!picture.Drawn) {
    // The previous bitmap stays.
    if (!picture.Message.empty()) dialogs_->ShowMessage(picture.Message);
    return false;
  }
  if (!picture.Message.empty()) dialogs_->ShowMessage(picture.Message);
  // The belt button offers what this graph can have: enabled again whenever the belt belongs
  // here, however the previous graph disabled it. Greyed out, it says why (so does the status
  // line).
  const bool belt = !tooMany && picture.BeltAvailable;
  BeltButton->setEnabled(belt);
  BeltButton->setToolTip(
      belt ? QString("Leaves the confidence belt out of the graph, or draws it again")
      : tooMany ? QString("No confidence belt: it is drawn for at most %1 data sets, and this graph has %2")
                      .arg(kMaxBeltRows)
                      .arg(graph.NrOfRows)
                : QString::fromStdString(picture.NoBeltReason));
  LastPicture = std::move(picture);
  LastOptions = options;
  ShownGraph = graph;
  PictureImage->hide();
  GraphImage->show();
  GraphMade = true;
  ShowGraphAtAreaSize();
  ShowBeltNote();
  return true;
}

void TVornaxForm::ShowBeltNote() {
  if (PageControl1->currentWidget() != GraphicsTabSheet) return;
  const bool note = GraphMade && !BeltButton->isHidden() && !BeltButton->isEnabled() &&
                    !BeltButton->toolTip().isEmpty();
  ShowStatus(note ? BeltButton->toolTip() : QString(kGraphicsStatus));
}

void TVornaxForm::ShowGraphAtAreaSize() {
  if (!LastPicture.Drawn) return;
  // As large as the room allows with the frame's proportions, in the screen's own pixels.
  GraphOptions options = LastOptions;
  // Not on the screen yet (the tab or the window hidden), it has the default size of a graph.
  const QSize room = GraphImage->isVisible() ? GraphImage->contentsRect().size()
                                             : QSize(kGraphWidth, kGraphHeight);
  // Never larger than the room: a picture wider or taller than its label would be cut off.
  options.Size = FittedGraphSize(room);
  options.DevicePixelRatio = GraphImage->devicePixelRatioF();
  const bool asDrawn = options.Size == LastPicture.Image.size() && options.DevicePixelRatio == 1;
  const QImage image = asDrawn ? LastPicture.Image : DrawGraph(ShownGraph, options).Image;
  GraphImage->setPixmap(QPixmap::fromImage(image));
}

void TVornaxForm::SeeGraphButtonClick() {
  if (!ReadGraphOfOutput()) return;
  const GraphData& graph = session_.Data.Graph;
  ResetToggles();
  CurrentGraphKind = GraphKind::YX;
  CalcObsButton->setText(kSeeCalcObs);
  ChoicePanel->hide();
  HelpForm->hide();
  if (graph.Family == OutputFamily::Partial) {
    const int type = graph.Partial ? graph.Partial->Type : graph.First.Type;
    if (type != 3 && type != 4) dialogs_->ShowMessage("No breakpoint found. The ralation is linear.");
    ShowBelt = false;
    for (QPushButton* b : {BeltButton, BlockButton, ConfHelpButton, SelectGraphButton, CalcObsButton}) b->hide();
  } else if (graph.Family == OutputFamily::Curve) {
    BeltButton->show();
    for (QPushButton* b : {BlockButton, ConfHelpButton, SelectGraphButton, CalcObsButton}) b->hide();
  } else if (graph.Family == OutputFamily::BrokenLine) {
    // The breakpoints' confidence intervals are the bars the block button switches; a broken
    // line has no belt and is drawn as Y against its variable only.
    BlockButton->show();
    ConfHelpButton->show();
    for (QPushButton* b : {BeltButton, SelectGraphButton, CalcObsButton}) b->hide();
  } else {
    const int type = graph.First.Type;
    SetRadioCaptions(graph.OutputTag == " Y-Z");
    BeltButton->show();
    BlockButton->setVisible(type >= 2 && type <= 4);
    CalcObsButton->setVisible(type >= 2);
    SelectGraphButton->setVisible(graph.TwoVariable());
    ConfHelpButton->show();
  }
  ShowSaveControls(true);
  DrawCurrentGraph();
  ShowTab(GraphicsTabSheet);
}

void TVornaxForm::SelectGraphButtonClick() {
  GraphImage->hide();
  PictureImage->hide();
  ShowSaveControls(false);
  for (QPushButton* b : {ConfHelpButton, BeltButton, BlockButton, CalcObsButton, SelectGraphButton}) b->hide();
  HelpForm->hide();
  ChoicePanel->show();
}

void TVornaxForm::GoButtonClick() {
  const int chosen = GraphRadioGroup->checkedId();
  if (chosen < 1) {
    dialogs_->ShowMessage(" The desired type of graph could not be assessed");
    return;
  }
  if (!ReadGraphOfOutput()) return;
  const GraphData& graph = session_.Data.Graph;
  ResetToggles();
  CalcObsButton->setText(kSeeCalcObs);
  BeltButton->show();
  const bool oneVariable = !graph.TwoVariable();
  CurrentGraphKind = oneVariable ? GraphKind::YX : static_cast<GraphKind>(chosen);
  const bool dataPlot = CurrentGraphKind == GraphKind::CalcObs || CurrentGraphKind == GraphKind::YZ ||
                        CurrentGraphKind == GraphKind::XZ;
  const int type = CurrentGraphKind == GraphKind::Residuals ? graph.Second.Type : graph.First.Type;
  HelpForm->hide();
  ChoicePanel->hide();
  SelectGraphButton->setVisible(!oneVariable);
  ConfHelpButton->show();
  ShowSaveControls(true);
  BeltButton->setVisible(!dataPlot);
  BlockButton->setVisible(!dataPlot && type >= 2 && type <= 4);
  CalcObsButton->setVisible(!dataPlot && type >= 2 && type <= 6);
  if (!DrawCurrentGraph()) GraphImage->show();
}

void TVornaxForm::BeltButtonClick() {
  const bool remove = BeltButton->text() == kRemoveBelt;
  BeltButton->setText(remove ? kRestoreBelt : kRemoveBelt);
  ShowBelt = !remove;
  if (ReadGraphOfOutput()) DrawCurrentGraph();
}

void TVornaxForm::BlockButtonClick() {
  const bool remove = BlockButton->text() == kRemoveBlock;
  BlockButton->setText(remove ? kRestoreBlock : kRemoveBlock);
  ShowBlock = !remove;
  if (ReadGraphOfOutput()) DrawCurrentGraph();
}

void TVornaxForm::CalcObsButtonClick() {
  // Always from the output as written: a residual graph drawn before must not become the
  // observed values of this plot.
  if (!ReadGraphOfOutput()) return;
  const GraphData& graph = session_.Data.Graph;
  if (CalcObsButton->text() == kSeeCalcObs) {
    const GraphKind before = CurrentGraphKind;
    rememberedType_ = graph.First.Type;
    CurrentGraphKind = GraphKind::CalcObs;
    if (!DrawCurrentGraph()) {
      CurrentGraphKind = before;
      return;
    }
    BeltButton->hide();
    BlockButton->hide();
    CalcObsButton->setText(kSeeRegression);
  } else {
    CalcObsButton->setText(kSeeCalcObs);
    SeeGraphButtonClick();
  }
}

void TVornaxForm::BlackWhiteButtonClick() {
  BlackWhiteRequest = true;
  ColourMode = false;
  GraphSaveActionExecute();
  BlackWhiteRequest = false;
  ColourMode = true;
}

void TVornaxForm::GraphSaveActionExecute() {
  // What is saved is the graph on the screen, drawn afresh from the output as it is now; the
  // screen keeps its colours whichever scheme the file gets.
  const bool colour = !BlackWhiteRequest;
  ColourMode = true;
  if (!ReadGraphOfOutput()) return;
  if (!DrawCurrentGraph()) return;
  // Offered as a PNG picture named after the data's files ("yield.png" beside yield.out), the
  // black-white one apart from the colour one.
  QString start = DialogDir;
  const QFileInfo report(QString::fromStdString(session_.Data.FileName));
  if (report.isFile()) {
    start = report.dir().filePath(report.completeBaseName() + (colour ? ".png" : "-bw.png"));
  }
  const QString requested = dialogs_->GetSaveFileName("Save graph", start, kGraphSaveFilters, "png");
  if (requested.isEmpty()) {
    dialogs_->ShowMessage("The graph was not saved");
    return;
  }
  // SVG, PDF, PNG or BMP by the name's extension; any other name gets bitmap data under a
  // ".bmp" name that says so and that "Open graph" reads back.
  const QString target = QString::fromStdString(GraphFileName(Std(requested)));
  if (QFileInfo::exists(target) && !dialogs_->AskYesNo("The file already exists, overwrite?")) return;
  GraphOptions options = LastOptions;
  options.Colour = colour;
  options.Size = QSize(kGraphWidth, kGraphHeight);
  std::string written, error;
  GraphPicture saved;
  if (!ExportGraph(ShownGraph, options, Std(target), written, error, saved)) {
    dialogs_->ShowMessage("The graph could not be saved in  " + written + "\n" + error);
    return;
  }
  const QFileInfo file(QString::fromStdString(written));
  dialogs_->ShowMessage("The graph was saved in  " + Std(file.absoluteFilePath()));
  SetDialogDirs(file.absolutePath());
}

void TVornaxForm::CopyGraphActionExecute() {
  auto* mime = new QMimeData;
  if (PictureImage->isVisibleTo(GraphicsTabSheet) && !PictureImage->pixmap().isNull()) {
    mime->setImageData(PictureImage->pixmap().toImage());
  } else if (LastPicture.Drawn) {
    // The picture as on the screen, and the drawing itself for programs that take SVG.
    mime->setImageData(GraphImage->pixmap().toImage());
    GraphPicture svgPicture;
    const QByteArray svg = GraphSvg(ShownGraph, LastOptions, svgPicture);
    if (!svg.isEmpty()) mime->setData("image/svg+xml", svg);
  } else {
    delete mime;
    dialogs_->ShowMessage("There is no graph to copy");
    return;
  }
  QApplication::clipboard()->setMimeData(mime);
  ShowStatus("The graph was copied");
}

void TVornaxForm::PrintActionExecute() {
  const bool graph = PageControl1->currentWidget() == GraphicsTabSheet;
  const bool picture = graph && PictureImage->isVisibleTo(GraphicsTabSheet);
  if (graph ? !picture && !LastPicture.Drawn : OutputTabSheet->OutputMemo->toPlainText().isEmpty()) {
    dialogs_->ShowMessage(graph ? "There is no graph to print" : "There is no report to print");
    return;
  }
  QPrinter printer(QPrinter::HighResolution);
  printer.setDocName(graph ? "Vornax graph" : QFileInfo(QString::fromStdString(session_.Data.FileName)).fileName());
  if (!dialogs_->SetUpPrinter(printer)) return;
  if (!graph) {
    OutputTabSheet->OutputMemo->document()->print(&printer);
    return;
  }
  QPainter painter;
  if (!painter.begin(&printer)) {
    dialogs_->ShowMessage("The printer could not be started");
    return;
  }
  const QRectF page = printer.pageRect(QPrinter::DevicePixel);
  const QRectF area(0, 0, page.width(), page.height());
  if (picture) {
    const QImage image = PictureImage->pixmap().toImage();
    const QSizeF size = QSizeF(image.size()).scaled(area.size(), Qt::KeepAspectRatio);
    painter.drawImage(QRectF(QPointF(0, 0), size), image);
  } else {
    FitGraphInto(painter, area);
    GraphPicture printed;
    PaintGraph(painter, ShownGraph, LastOptions, printed);
  }
}

void TVornaxForm::GraphOpenActionExecute() {
  CalcObsButton->hide();
  CalcObsButton->setText(kSeeCalcObs);
  const QString path =
      dialogs_->GetOpenFileName("Open graph", DialogDir, "Graph files (*.bmp *.png *.jpg *.jpeg)");
  if (path.isEmpty()) {
    dialogs_->ShowMessage("No graphics file selected");
    return;
  }
  if (!QFileInfo(path).isFile()) {
    dialogs_->ShowMessage("File does not exist, please select another one");
    return;
  }
  QImage image;
  std::string error;
  if (!OpenGraphImage(Std(path), image, error)) {
    dialogs_->ShowMessage(error);
    return;
  }
  PictureImage->setPixmap(QPixmap::fromImage(image));
  SetDialogDirs(QFileInfo(path).absolutePath());
  GraphMade = true;
  PictureImage->show();
  GraphImage->hide();
  ShowSaveControls(true);
  ChoicePanel->hide();
  OutputTabSheet->OutputMemo->hide();
  for (QPushButton* b : {OutputTabSheet->SeeGraphButton, OutputTabSheet->SymbolsButton,
                         OutputTabSheet->AnovaButton, ConfHelpButton}) {
    b->hide();
  }
  HelpForm->hide();
  ShowTab(GraphicsTabSheet);
}

}  // namespace vornax::app
