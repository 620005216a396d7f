// The Graphics tab with its dialogs answered by the test: which graph each command draws, the
// toggles and their captions, commands on an output that cannot be read, and graph files saved
// and opened again.
#include "GraphicsTabTest.h"

#include <QApplication>
#include <QAction>
#include <QButtonGroup>
#include <QClipboard>
#include <QMimeData>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QImageWriter>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <memory>

#include "AppTestSupport.h"
#include "app/VornaxForm.h"
#include "forms/FinishForm.h"
#include "forms/InfoForms.h"
#include "graphs/drawing/GraphDrawing.h"

namespace vornax::app::test {
namespace {

struct Window {
  std::unique_ptr<TVornaxForm> form = std::make_unique<TVornaxForm>();
  ScriptedDialogs* dialogs = nullptr;
  Window() {
    auto d = std::make_unique<ScriptedDialogs>(form.get(), form->InputTabSheet->WaitMemo);
    dialogs = d.get();
    form->SetDialogs(std::move(d));
    form->FinishForm->OnFinish = [] {};
  }
  ~Window() {
    for (QWidget* w : QApplication::topLevelWidgets()) w->hide();
  }
  const std::string& LastMessage() { return dialogs->messages.back(); }
};

// Runs the analysis on rows of (Y, X[, Z]) and leaves its output as the current output.
void Run(Window& w, const QString& input, const std::vector<std::vector<double>>& rows) {
  GridInput grid;
  grid.NrOfVarInData = static_cast<int32_t>(rows.front().size()) - 1;
  grid.NrOfData = static_cast<int32_t>(rows.size());
  grid.GridRowCount = grid.NrOfData;
  grid.Title1 = "Graph trial";
  for (size_t i = 0; i < rows.size(); ++i) {
    std::vector<std::string> cells{std::to_string(i + 1)};
    for (double v : rows[i]) cells.push_back(QString::number(v, 'g', 10).toStdString());
    cells.push_back("1");
    grid.Rows.push_back(cells);
  }
  const auto result = SaveCalculate(w.form->session(), grid, input.toStdString(), *w.dialogs);
  QCOMPARE(static_cast<int>(result.Outcome), static_cast<int>(SaveCalculateOutcome::Done));
}

// Y rises with X up to a breakpoint and stays level beyond; with `z`, Y also falls with Z.
std::vector<std::vector<double>> BrokenLine(int n, bool z, double noise = 0.08) {
  std::vector<std::vector<double>> rows;
  for (int i = 1; i <= n; ++i) {
    const double x = 12.0 * i / n;
    const double wobble = noise * std::sin(i * 1.7);
    const double zv = std::fmod(i * 7.3, 10.0);
    const double y = (x <= 6 ? 1 + 0.5 * x : 4.0) + wobble + (z ? -0.2 * zv : 0.0);
    rows.push_back(z ? std::vector<double>{y, x, zv} : std::vector<double>{y, x});
  }
  return rows;
}

bool Visible(QWidget* w, TVornaxForm& f) { return w->isVisibleTo(f.GraphicsTabSheet); }

}  // namespace

void GraphicsTabTest::StartAndUnreadableOutputDrawNothing() {
  Window w;
  TVornaxForm& f = *w.form;
  f.PageControl1->setCurrentWidget(f.GraphicsTabSheet);
  QCOMPARE(f.StatusText(), QString("Graphics presentations of output data can be seen and saved"));
  QVERIFY(!f.GraphSaveAction->isEnabled());
  QVERIFY(!f.InputSaveAction->isEnabled());
  for (QPushButton* b : {f.SaveColourButton, f.SaveBlackWhiteButton, f.SelectGraphButton,
                         f.ConfHelpButton, f.CalcObsButton, f.BeltButton, f.BlockButton}) {
    QVERIFY2(!Visible(b, f), qPrintable(b->text()));
  }
  QVERIFY(Visible(f.MakeGraphButton, f));
  QVERIFY(Visible(f.GraphOpenButton, f));

  // No output yet: said so, nothing drawn and nothing asked for a save.
  f.SeeGraphButtonClick();
  QCOMPARE(w.LastMessage(), std::string("This is not a Vornax output file. The data can not be read"));
  QVERIFY(!f.GraphMade);
  QVERIFY(f.GraphImage->pixmap().isNull());
  w.dialogs->files = {"/nonexistent/never.bmp"};
  f.GraphSaveActionExecute();
  QCOMPARE(w.dialogs->files.size(), size_t(1));
  QVERIFY(f.ColourMode);

  // A graph on the screen, then an output that cannot be read: the message, and the graph of
  // the former output is neither redrawn as if it were this one's nor saved under its name.
  QTemporaryDir dir;
  Run(w, dir.filePath("a.inp"), BrokenLine(20, false));
  f.SeeGraphButtonClick();
  QVERIFY(f.GraphMade);
  const qint64 shown = f.GraphImage->pixmap().cacheKey();
  const QString junk = dir.filePath("junk.out");
  QFile file(junk);
  QVERIFY(file.open(QIODevice::WriteOnly));
  file.write("hello\r\nthere\r\nnothing here\r\n");
  file.close();
  f.session().Data.FileName = junk.toStdString();
  const size_t before = w.dialogs->messages.size();
  f.SeeGraphButtonClick();
  QCOMPARE(w.dialogs->messages.size(), before + 1);
  QCOMPARE(f.GraphImage->pixmap().cacheKey(), shown);
  w.dialogs->files = {dir.filePath("saved.bmp")};
  f.GraphSaveActionExecute();
  QVERIFY(!QFile::exists(dir.filePath("saved.bmp")));
  QCOMPARE(w.dialogs->files.size(), size_t(1));  // the save dialog was never asked
  w.dialogs->files.clear();
  QVERIFY(w.LastMessage().find("The graph was saved") == std::string::npos);
  f.BeltButtonClick();
  f.CalcObsButtonClick();
  QCOMPARE(f.GraphImage->pixmap().cacheKey(), shown);

  // "Make graph" without an output shown asks for one, and a cancelled choice says nothing.
  w.dialogs->messages.clear();
  f.MakeGraphButtonClick();
  QVERIFY(w.dialogs->messages.empty());
  QCOMPARE(w.dialogs->lastFilter, QString("Output files (*.out)"));
}

void GraphicsTabTest::SeeGraphCalcObsAndBack() {
  Window w;
  TVornaxForm& f = *w.form;
  QTemporaryDir dir;
  Run(w, dir.filePath("one.inp"), BrokenLine(20, false));
  f.SeeGraphButtonClick();
  QCOMPARE(f.PageControl1->currentWidget(), f.GraphicsTabSheet);
  const GraphData& graph = f.session().Data.Graph;
  const int type = graph.First.Type;
  QVERIFY2(type >= 2 && type <= 4, qPrintable(QString::number(type)));
  QVERIFY(f.GraphMade);
  QVERIFY(f.GraphSaveAction->isEnabled());
  for (QPushButton* b : {f.BeltButton, f.BlockButton, f.CalcObsButton, f.SaveColourButton,
                         f.SaveBlackWhiteButton, f.ConfHelpButton}) {
    QVERIFY2(Visible(b, f), qPrintable(b->text()));
  }
  // One variable: no other graph to choose.
  QVERIFY(!Visible(f.SelectGraphButton, f));
  QCOMPARE(f.CalcObsButton->text(), QString("See calc-obs graph"));
  QCOMPARE(f.GraphImage->pixmap().size(), QSize(623, 425));
  const QImage regression = f.LastPicture.Image;

  // The calc-obs plot, from the output as written, then back to the same regression graph.
  f.CalcObsButtonClick();
  QCOMPARE(f.CalcObsButton->text(), QString("See regress. graph"));
  QCOMPARE(f.CurrentGraphKind, GraphKind::CalcObs);
  QVERIFY(!Visible(f.BeltButton, f));
  QVERIFY(!Visible(f.BlockButton, f));
  GraphOptions calcObs;
  calcObs.Kind = GraphKind::CalcObs;
  QCOMPARE(f.LastPicture.Image, DrawGraph(graph, calcObs).Image);
  f.CalcObsButtonClick();
  QCOMPARE(f.CalcObsButton->text(), QString("See calc-obs graph"));
  QCOMPARE(f.CurrentGraphKind, GraphKind::YX);
  QVERIFY(Visible(f.BeltButton, f));
  QVERIFY(Visible(f.BlockButton, f));
  QCOMPARE(f.BeltButton->text(), QString("Remove conf. belt"));
  QVERIFY(f.ShowBelt);
  QCOMPARE(f.LastPicture.Image, regression);

  // "Confidence help" shows the help window.
  f.ConfHelpButton->click();
  QVERIFY(f.HelpForm->isVisible());
}

void GraphicsTabTest::ChoicesGoAndTheBeltToggle() {
  Window w;
  TVornaxForm& f = *w.form;
  QTemporaryDir dir;
  Run(w, dir.filePath("two.inp"), BrokenLine(30, true));
  f.SeeGraphButtonClick();
  const GraphData& graph = f.session().Data.Graph;
  QVERIFY(graph.TwoVariable());
  QVERIFY(Visible(f.SelectGraphButton, f));
  QStringList captions;
  for (QRadioButton* r : f.GraphRadioButtons) captions << r->text();
  const QStringList xFirst{"Y-X function", "Residuals-Z function", "Calculated-observed", "Y-Z data plot",
                           "X-Z data plot"};
  const QStringList zFirst{"Y-Z function", "Residuals-X function", "Calculated-observed", "Y-X data plot",
                           "Z-X data plot"};
  // The captions follow the output being drawn.
  QCOMPARE(captions, graph.OutputTag == " Y-Z" ? zFirst : xFirst);

  f.SelectGraphButtonClick();
  QVERIFY(Visible(f.ChoicePanel, f));
  QVERIFY(!Visible(f.GraphImage, f));
  for (QPushButton* b : {f.SaveColourButton, f.BeltButton, f.BlockButton, f.CalcObsButton, f.SelectGraphButton}) {
    QVERIFY2(!Visible(b, f), qPrintable(b->text()));
  }
  QVERIFY(!f.GraphSaveAction->isEnabled());

  // No choice: said so, nothing drawn.
  f.GraphRadioGroup->setExclusive(false);
  for (QRadioButton* r : f.GraphRadioButtons) r->setChecked(false);
  f.GraphRadioGroup->setExclusive(true);
  f.GoButtonClick();
  QCOMPARE(w.LastMessage(), std::string(" The desired type of graph could not be assessed"));
  QVERIFY(Visible(f.ChoicePanel, f));

  // The residual graph; its belt removed and the residual graph drawn again without it.
  f.GraphRadioButtons[1]->setChecked(true);
  f.GoButtonClick();
  QCOMPARE(f.CurrentGraphKind, GraphKind::Residuals);
  QVERIFY(!Visible(f.ChoicePanel, f));
  QVERIFY(Visible(f.GraphImage, f));
  QVERIFY(Visible(f.SelectGraphButton, f));
  QVERIFY(Visible(f.BeltButton, f));
  f.BeltButtonClick();
  QCOMPARE(f.BeltButton->text(), QString("Restore conf. belt"));
  QVERIFY(!f.ShowBelt);
  GraphOptions residuals;
  residuals.Kind = GraphKind::Residuals;
  residuals.ShowBelt = false;
  QCOMPARE(f.LastPicture.Image, DrawGraph(graph, residuals).Image);
  if (Visible(f.BlockButton, f)) {
    f.BlockButtonClick();
    QCOMPARE(f.BlockButton->text(), QString("Restore conf. block"));
    QVERIFY(!f.ShowBlock);
  }

  // "Go" brings the belt and the block back.
  f.SelectGraphButtonClick();
  f.GraphRadioButtons[0]->setChecked(true);
  f.GoButtonClick();
  QCOMPARE(f.BeltButton->text(), QString("Remove conf. belt"));
  QCOMPARE(f.BlockButton->text(), QString("Remove conf. block"));
  QVERIFY(f.ShowBelt && f.ShowBlock);
  GraphOptions yx;
  QCOMPARE(f.LastPicture.Image, DrawGraph(graph, yx).Image);

  // A save writes the graph on the screen: the residual graph, not the Y-X graph.
  f.SelectGraphButtonClick();
  f.GraphRadioButtons[1]->setChecked(true);
  f.GoButtonClick();
  w.dialogs->files = {dir.filePath("residuals.bmp")};
  f.GraphSaveActionExecute();
  QCOMPARE(QImage(dir.filePath("residuals.bmp")).convertToFormat(QImage::Format_RGB32),
           DrawGraph(graph, GraphOptions{GraphKind::Residuals}).Image.convertToFormat(QImage::Format_RGB32));

  // The data plots have no belt, block or calc-obs switch.
  f.SelectGraphButtonClick();
  f.GraphRadioButtons[4]->setChecked(true);
  f.GoButtonClick();
  QCOMPARE(f.CurrentGraphKind, GraphKind::XZ);
  for (QPushButton* b : {f.BeltButton, f.BlockButton, f.CalcObsButton}) QVERIFY(!Visible(b, f));

  // An output of a sequence on Z first: the captions name Z first; the output before, drawn
  // again, brings its own captions back.
  const std::string first = f.session().Data.FileName;
  std::vector<std::vector<double>> swapped = BrokenLine(30, true);
  for (auto& row : swapped) std::swap(row[1], row[2]);
  Run(w, dir.filePath("swapped.inp"), swapped);
  f.SeeGraphButtonClick();
  QCOMPARE(graph.OutputTag, std::string(" Y-Z"));
  captions.clear();
  for (QRadioButton* r : f.GraphRadioButtons) captions << r->text();
  QCOMPARE(captions, zFirst);
  f.session().Data.FileName = first;
  f.SeeGraphButtonClick();
  captions.clear();
  for (QRadioButton* r : f.GraphRadioButtons) captions << r->text();
  QCOMPARE(captions, xFirst);
}

void GraphicsTabTest::ManyDataSetsDisableTheBeltUntilAGraphThatHasOne() {
  Window w;
  TVornaxForm& f = *w.form;
  QTemporaryDir dir;
  Run(w, dir.filePath("many.inp"), BrokenLine(1001, false));
  f.SeeGraphButtonClick();
  QCOMPARE(f.session().Data.Graph.NrOfRows, 1001);
  QVERIFY(Visible(f.BeltButton, f));
  QVERIFY(!f.BeltButton->isEnabled());
  QVERIFY(!f.ShowBelt);
  GraphOptions noBelt;
  noBelt.ShowBelt = false;
  QCOMPARE(f.LastPicture.Image, DrawGraph(f.session().Data.Graph, noBelt).Image);

  // A smaller output: the belt is back, and so is its button.
  Run(w, dir.filePath("few.inp"), BrokenLine(20, false, 0.8));
  f.SeeGraphButtonClick();
  QVERIFY(f.ShowBelt);
  QCOMPARE(f.BeltButton->isEnabled(), f.LastPicture.BeltAvailable);
  QVERIFY(f.BeltButton->isEnabled());
}

void GraphicsTabTest::SaveAndOpenGraphFiles() {
  Window w;
  TVornaxForm& f = *w.form;
  QTemporaryDir dir;
  Run(w, dir.filePath("s.inp"), BrokenLine(20, false));
  f.SeeGraphButtonClick();
  const QImage colour = f.LastPicture.Image;

  // Cancelled.
  f.GraphSaveActionExecute();
  QCOMPARE(w.LastMessage(), std::string("The graph was not saved"));
  QCOMPARE(w.dialogs->lastFilter,
           QString("PNG picture (*.png);;SVG drawing (*.svg);;PDF document (*.pdf);;Bitmap (*.bmp)"));

  // A ".jpg" name: bitmap data, under the ".bmp" name that says so.
  QTemporaryDir saveDir;
  const QString bmp = saveDir.filePath("g.bmp");
  w.dialogs->files = {saveDir.filePath("g.jpg")};
  f.GraphSaveActionExecute();
  QVERIFY(QFile::exists(bmp));
  QVERIFY(!QFile::exists(saveDir.filePath("g.jpg")));
  QCOMPARE(w.LastMessage(), ("The graph was saved in  " + QFileInfo(bmp).absoluteFilePath()).toStdString());
  QFile saved(bmp);
  QVERIFY(saved.open(QIODevice::ReadOnly));
  QCOMPARE(saved.read(2), QByteArray("BM"));
  saved.close();
  QCOMPARE(QImage(bmp).convertToFormat(QImage::Format_RGB32), colour.convertToFormat(QImage::Format_RGB32));
  QCOMPARE(f.DialogDir, QFileInfo(bmp).absolutePath());

  // Black-white onto the existing name, overwrite refused: nothing written, no message, colour
  // mode back on.
  const QByteArray bytes = [&] { QFile g(bmp); g.open(QIODevice::ReadOnly); return g.readAll(); }();
  w.dialogs->files = {bmp};
  w.dialogs->answers = {false};
  const size_t messages = w.dialogs->messages.size();
  f.BlackWhiteButtonClick();
  QCOMPARE(w.dialogs->questions.back(), std::string("The file already exists, overwrite?"));
  QCOMPARE(w.dialogs->messages.size(), messages);
  QVERIFY(f.ColourMode);
  QVERIFY(!f.BlackWhiteRequest);
  QCOMPARE([&] { QFile g(bmp); g.open(QIODevice::ReadOnly); return g.readAll(); }(), bytes);
  // The screen keeps its colours.
  QCOMPARE(f.LastPicture.Image, colour);

  // A black-white save written: the file is black and white, the screen is not.
  w.dialogs->files = {saveDir.filePath("bw.png")};
  f.BlackWhiteButtonClick();
  GraphOptions bw;
  bw.Colour = false;
  QCOMPARE(QImage(saveDir.filePath("bw.png")).convertToFormat(QImage::Format_RGB32),
           DrawGraph(f.session().Data.Graph, bw).Image);
  QCOMPARE(f.LastPicture.Image, colour);
  QCOMPARE(f.GraphImage->pixmap().toImage().convertToFormat(QImage::Format_RGB32), colour);

  // SVG and PDF by the name's extension.
  w.dialogs->files = {saveDir.filePath("v.svg"), saveDir.filePath("v.pdf")};
  f.GraphSaveActionExecute();
  f.GraphSaveActionExecute();
  QFile svg(saveDir.filePath("v.svg")), pdf(saveDir.filePath("v.pdf"));
  QVERIFY(svg.open(QIODevice::ReadOnly) && pdf.open(QIODevice::ReadOnly));
  QVERIFY(svg.readAll().contains("<svg"));
  QCOMPARE(pdf.read(5), QByteArray("%PDF-"));

  // Opening: cancelled, missing, then the saved file.
  f.GraphOpenActionExecute();
  QCOMPARE(w.LastMessage(), std::string("No graphics file selected"));
  w.dialogs->files = {saveDir.filePath("none.bmp")};
  f.GraphOpenActionExecute();
  QCOMPARE(w.LastMessage(), std::string("File does not exist, please select another one"));
  QVERIFY(!f.PictureImage->isVisibleTo(f.GraphicsTabSheet));
  w.dialogs->files = {bmp};
  f.GraphOpenActionExecute();
  QCOMPARE(f.PageControl1->currentWidget(), f.GraphicsTabSheet);
  QVERIFY(Visible(f.PictureImage, f));
  QVERIFY(!Visible(f.GraphImage, f));
  QVERIFY(!Visible(f.CalcObsButton, f));
  QVERIFY(!Visible(f.ConfHelpButton, f));
  QVERIFY(Visible(f.SaveColourButton, f));
  QVERIFY(f.GraphSaveAction->isEnabled());
  QCOMPARE(f.PictureImage->pixmap().toImage().convertToFormat(QImage::Format_RGB32),
           colour.convertToFormat(QImage::Format_RGB32));

  // A JPEG picture opens too.
  const QString jpg = saveDir.filePath("p.jpg");
  QVERIFY(colour.save(jpg, "JPEG"));
  w.dialogs->files = {jpg};
  f.GraphOpenActionExecute();
  QCOMPARE(f.PictureImage->pixmap().size(), QSize(623, 425));

  // Saving over an opened picture draws and writes the current graph of the current output.
  w.dialogs->files = {saveDir.filePath("again.bmp")};
  f.GraphSaveActionExecute();
  QVERIFY(Visible(f.GraphImage, f));
  QVERIFY(!Visible(f.PictureImage, f));
  QCOMPARE(QImage(saveDir.filePath("again.bmp")).convertToFormat(QImage::Format_RGB32),
           colour.convertToFormat(QImage::Format_RGB32));
}

void GraphicsTabTest::LargerWindowLargerGraphSameProportions() {
  Window w;
  TVornaxForm& f = *w.form;
  QTemporaryDir dir;
  Run(w, dir.filePath("big.inp"), BrokenLine(20, false));
  f.show();
  f.resize(900, 700);  // room for the graph's default size; a smaller window draws it smaller
  f.SeeGraphButtonClick();
  QCoreApplication::processEvents();
  const QSize before = f.GraphImage->pixmap().deviceIndependentSize().toSize();
  QVERIFY(before.width() >= 623 && before.height() >= 425);
  // A window grown by half: the room of the graph grows, and the graph with it.
  f.resize(f.size() + QSize(f.GraphImage->width() / 2, f.GraphImage->height() / 2));
  QCoreApplication::processEvents();
  const QImage shown = f.GraphImage->pixmap().toImage();
  const QSize after = f.GraphImage->pixmap().deviceIndependentSize().toSize();
  QVERIFY2(after.width() >= before.width() * 1.4, qPrintable(QString::number(after.width())));
  QCOMPARE(after, FittedGraphSize(f.GraphImage->contentsRect().size()));
  QVERIFY(std::abs(1.0 * after.width() / after.height() - 623.0 / 425) < 0.01);
  // Drawn, not stretched: the panel's corner lies where the frame's scale puts it.
  const double scale = after.width() / 623.0;
  QCOMPARE(shown.pixelColor(static_cast<int>(21 * scale) + 1, static_cast<int>(300 * scale)),
           QColor(0, 0, 139));
  QCOMPARE(shown.pixelColor(static_cast<int>(19 * scale) - 1, static_cast<int>(300 * scale)),
           QColor(192, 192, 192));
  // What is saved keeps the default size.
  QTemporaryDir saveDir;
  w.dialogs->files = {saveDir.filePath("g.bmp")};
  f.GraphSaveActionExecute();
  QCOMPARE(QImage(saveDir.filePath("g.bmp")).size(), QSize(623, 425));
}

void GraphicsTabTest::ButtonsKeepTheirPlaces() {
  Window w;
  TVornaxForm& f = *w.form;
  QTemporaryDir dir;
  Run(w, dir.filePath("places.inp"), BrokenLine(20, true));
  f.show();
  f.SeeGraphButtonClick();
  QCoreApplication::processEvents();
  auto places = [&] {
    std::vector<QPoint> at;
    for (QPushButton* b : {f.MakeGraphButton, f.SelectGraphButton, f.CalcObsButton, f.BeltButton,
                           f.BlockButton, f.ConfHelpButton, f.GraphOpenButton, f.SaveColourButton,
                           f.SaveBlackWhiteButton}) {
      at.push_back(b->pos());
    }
    return at;
  };
  const std::vector<QPoint> shown = places();
  // The data plots hide the belt, block and calc-obs buttons: the others stay put.
  f.GraphRadioButtons[3]->setChecked(true);
  f.GoButtonClick();
  QCoreApplication::processEvents();
  QVERIFY(!Visible(f.BeltButton, f));
  QCOMPARE(places(), shown);
}

void GraphicsTabTest::CopyGraphAndPrint() {
  Window w;
  TVornaxForm& f = *w.form;
  QTemporaryDir dir;
  Run(w, dir.filePath("cp.inp"), BrokenLine(20, false));
  // Nothing drawn yet: nothing copied.
  f.PageControl1->setCurrentWidget(f.GraphicsTabSheet);
  QApplication::clipboard()->clear();
  f.CopyGraphActionExecute();
  QCOMPARE(w.LastMessage(), std::string("There is no graph to copy"));
  f.SeeGraphButtonClick();
  // Ctrl+C on the Graphics tab copies the graph: the picture on the screen and its drawing.
  f.CopyAction->trigger();
  const QMimeData* copied = QApplication::clipboard()->mimeData();
  QVERIFY(copied != nullptr && copied->hasImage());
  QCOMPARE(qvariant_cast<QImage>(copied->imageData()).convertToFormat(QImage::Format_RGB32),
           f.GraphImage->pixmap().toImage().convertToFormat(QImage::Format_RGB32));
  QVERIFY(copied->data("image/svg+xml").contains("Graph trial"));

  // Print: the graph on the Graphics tab, the report elsewhere.
  QTemporaryDir printDir;
  w.dialogs->printFile = printDir.filePath("graph.pdf");
  f.PrintAction->trigger();
  w.dialogs->files = {dir.filePath("cp.out")};
  f.OutputTabSheet->OutputOpenActionExecute();
  QCOMPARE(f.PageControl1->currentWidget(), f.OutputTabSheet);
  w.dialogs->printFile = printDir.filePath("report.pdf");
  f.PrintAction->trigger();
  for (const char* name : {"graph.pdf", "report.pdf"}) {
    QFile printed(printDir.filePath(name));
    QVERIFY2(printed.open(QIODevice::ReadOnly), name);
    QCOMPARE(printed.read(5), QByteArray("%PDF-"));
    QVERIFY(printed.size() > 1000);
  }
  // The print dialog cancelled: nothing printed.
  w.dialogs->printFile.clear();
  f.PrintAction->trigger();
  QVERIFY(!QFile::exists(printDir.filePath("none.pdf")));
}

}  // namespace vornax::app::test
