// Takes pictures of the window as a person sees it: every tab with the texts of the Intro tab and
// the pictures of the Figures tab, the more-info and confidence-help windows, the selection
// window, the wait panel during a run, the report and its ANOVA table, the symbols window and the
// finish window.
// Meant to run under a virtual X display (scripts/screenshots starts one), where the pictures
// are grabbed from the screen itself, message boxes and tool windows included.
//
//   vornax-screenshots EXAMPLE.inp OUTPUT-FOLDER
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QMessageBox>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSettings>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <deque>
#include <memory>
#include <optional>
#include <vector>

#include "app/ColumnRolesDialog.h"
#include "app/DataGrid.h"
#include "app/TableDialog.h"
#include "app/VornaxForm.h"
#include "forms/SelectForms.h"
#include "app/WindowDialogs.h"
#include "forms/FinishForm.h"
#include "forms/InfoForms.h"
#include "forms/SelectForms.h"

namespace {

QString g_folder;
int g_messages = 0;

void Settle(int milliseconds = 250) {
  QElapsedTimer clock;
  clock.start();
  while (clock.elapsed() < milliseconds) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

// The screen around every window that shows, with a small margin.
void Shot(const QString& name) {
  Settle();
  QRect area;
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (w->isVisible()) area = area.united(w->frameGeometry());
  }
  QPixmap picture;
  QScreen* screen = QApplication::primaryScreen();
  if (screen && QGuiApplication::platformName() == "xcb") {
    picture = screen->grabWindow(0, area.x() - 8, area.y() - 8, area.width() + 16, area.height() + 16);
  } else if (QWidget* active = QApplication::activeWindow()) {
    picture = active->grab();
  }
  const QString path = QDir(g_folder).filePath(name + ".png");
  if (picture.isNull() || !picture.save(path)) {
    std::fprintf(stderr, "could not save %s\n", qPrintable(path));
  } else {
    std::printf("%s\n", qPrintable(path));
  }
}

class ShotDialogs : public vornax::app::WindowDialogs {
 public:
  using WindowDialogs::WindowDialogs;
  std::deque<QString> files;

  void ShowMessage(const std::string& text) override {
    const QString name = QString("message-%1").arg(++g_messages);
    QTimer::singleShot(400, [name] {
      Shot(name);
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) box->accept();
    });
    WindowDialogs::ShowMessage(text);
  }
  // The questions with buttons of their own: shot, then answered with the answer that loses
  // nothing; the column question answered as the program offers it.
  int AskChoice(const std::string& question, const std::vector<std::string>& buttons,
                int safest) override {
    const QString name = ++choices_ == 1 ? QString("input-paste-question")
                                         : QString("input-paste-question-%1").arg(choices_);
    QTimer::singleShot(400, [name] {
      Shot(name);
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        if (QAbstractButton* keep = box->escapeButton()) keep->click();
      }
    });
    return WindowDialogs::AskChoice(question, buttons, safest);
  }
  std::optional<std::vector<vornax::app::ColumnRole>> AskColumnRoles(
      const vornax::app::ColumnQuestion& question) override {
    QTimer::singleShot(400, [] {
      Shot("input-paste-columns");
      if (auto* dialog = dynamic_cast<vornax::app::ColumnRolesDialog*>(QApplication::activeModalWidget())) {
        dialog->PasteButton->click();
      }
    });
    return WindowDialogs::AskColumnRoles(question);
  }
  bool Ask(const std::string& question, bool) override {
    std::printf("question: %s -> Yes\n", question.c_str());
    return true;
  }
  void Pause(int milliseconds) override {
    WindowDialogs::Pause(milliseconds / 5);
    if (++pauses_ == 2) Shot("input-wait");
  }
  QString GetOpenFileName(const QString&, const QString&, const QString&) override { return Next(); }
  QString GetSaveFileName(const QString&, const QString&, const QString&, const QString&) override {
    return Next();
  }

 private:
  QString Next() {
    if (files.empty()) return {};
    QString f = files.front();
    files.pop_front();
    return f;
  }
  int pauses_ = 0;
  int choices_ = 0;
};

}  // namespace

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("Vornax segmented regression analysis");
  QFont font("Tahoma");
  font.setPixelSize(13);
  QApplication::setFont(font);
  if (argc != 3) {
    std::fprintf(stderr, "usage: vornax-screenshots EXAMPLE.inp OUTPUT-FOLDER\n");
    return 2;
  }
  g_folder = QString::fromLocal8Bit(argv[2]);
  QDir().mkpath(g_folder);
  QTemporaryDir scratch(QDir::tempPath() + "/vornax-XXXXXX");
  // The recent files of these pictures stay out of the user's settings.
  QSettings::setDefaultFormat(QSettings::IniFormat);
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, scratch.path());
  const QString input = scratch.filePath(QFileInfo(argv[1]).fileName());
  if (!QFile::copy(QString::fromLocal8Bit(argv[1]), input)) {
    std::fprintf(stderr, "cannot read %s\n", argv[1]);
    return 2;
  }

  vornax::app::TVornaxForm window;
  auto dialogs = std::make_unique<ShotDialogs>(&window, window.InputTabSheet->WaitMemo);
  ShotDialogs* d = dialogs.get();
  window.SetDialogs(std::move(dialogs));
  window.FinishForm->OnFinish = [] {};
  window.show();
  Shot("intro");
  window.TypesButtonClick();
  Shot("intro-types");
  window.TestsButtonClick();
  Shot("intro-tests");
  window.MoreInfoButtonClick();
  Shot("intro-more-info");
  window.SequenceButtonClick();
  Shot("intro-sequence");
  window.MethodsButtonClick();
  Shot("intro-methods");
  window.BackButtonClick();
  window.PageControl1->setCurrentWidget(window.FiguresTabSheet);
  Shot("figures");
  window.Conf_ButtonClick();
  Shot("figures-belt");
  window.Methods_ButtonClick();
  Shot("figures-methods");
  window.Figures_ButtonClick();
  // The confidence help belongs to the Graphics tab; it is opened here on its own.
  window.BPButtonClick();
  Shot("confidence-help");
  window.HelpForm->hide();
  window.PageControl1->setCurrentWidget(window.GraphicsTabSheet);
  Shot("graphics");

  window.PageControl1->setCurrentWidget(window.InputTabSheet);
  Shot("input-empty");
  window.InputTabSheet->OpenInputFile(input);
  Shot("input");
  window.InputTabSheet->PrefComboBoxChange(2);
  Shot("input-select");
  window.InputTabSheet->PrefComboBoxChange(3);
  Shot("input-select-curve");
  // The broken line's panel, with a search range typed into the breakpoint fields.
  window.InputTabSheet->PrefComboBoxChange(4);
  window.InputTabSheet->BreakpointsForm->Buttons[1]->setChecked(true);
  window.InputTabSheet->SearchLowEdit->setText("40");
  window.InputTabSheet->SearchHighEdit->setText("120");
  Shot("input-select-breakpoints");
  window.InputTabSheet->ClearBreakpointFields();
  window.InputTabSheet->PrefComboBoxChange(0);
  window.InputTabSheet->ExclComboBoxChange(1);
  window.InputTabSheet->ExclXRadioButtons[6]->setChecked(true);
  Shot("input-exclude");
  window.InputTabSheet->ExclComboBoxChange(0);
  window.InputTabSheet->PrefComboBoxChange(0);
  window.InputTabSheet->HelpOpenButtonClick();
  Shot("input-help");
  window.InputTabSheet->HelpOpenButtonClick();
  // Two independent variables used together: both groups of the selection window.
  window.InputTabSheet->NrOfVarComboBoxChange(1);
  window.InputTabSheet->WeightComboBoxChange(1);
  window.InputTabSheet->PrefComboBoxChange(2);
  Shot("input-two-variables");
  window.InputTabSheet->WeightComboBoxChange(0);
  window.InputTabSheet->NrOfVarComboBoxChange(0);

  d->files = {scratch.filePath("yield.inp")};
  window.InputTabSheet->InputSaveActionExecute();
  Shot("output");
  window.OutputTabSheet->AnovaButtonClick();
  Shot("output-anova");
  window.OutputTabSheet->AnovaButtonClick();
  window.OutputTabSheet->SymbolsButtonClick();
  Shot("output-symbols");
  window.OutputTabSheet->SymbolsButtonClick();

  // The graphs of the one-variable run, then of a two-variable run, each kind in turn.
  window.SeeGraphButtonClick();
  Shot("graph-yx");
  // A larger window draws a larger graph (as large as the virtual screen allows).
  const QSize usual = window.size();
  window.resize(1270, 790);
  Shot("graph-yx-large");
  window.resize(usual);
  // The graph as an SVG drawing, to be looked at with another renderer.
  d->files = {QDir(g_folder).filePath("graph-yx.svg")};
  window.GraphSaveActionExecute();
  window.BeltButtonClick();
  Shot("graph-yx-no-belt");
  window.BeltButtonClick();
  window.CalcObsButtonClick();
  Shot("graph-calc-obs");
  window.CalcObsButtonClick();
  d->files = {scratch.filePath("yield-bw.bmp")};
  window.BlackWhiteButtonClick();
  Shot("graph-black-white");
  d->files = {scratch.filePath("yield-bw.bmp")};
  window.GraphOpenActionExecute();
  Shot("graph-opened");
  // The two-variable example lies beside the one named on the command line.
  const QString twoSource = QFileInfo(QString::fromLocal8Bit(argv[1])).dir().filePath("02-yield-depth-salinity.inp");
  const QString two = scratch.filePath("02-yield-depth-salinity.inp");
  QFile::copy(twoSource, two);
  window.InputTabSheet->OpenInputFile(two);
  d->files = {scratch.filePath("two.inp")};
  window.InputTabSheet->InputSaveActionExecute();
  window.SeeGraphButtonClick();
  Shot("graph-two-yx");
  window.SelectGraphButtonClick();
  Shot("graph-choices");
  const char* const kinds[] = {"", "graph-two-yx-go", "graph-residuals", "graph-two-calc-obs",
                               "graph-yz", "graph-xz"};
  for (int k = 2; k <= 5; ++k) {
    window.SelectGraphButtonClick();
    window.GraphRadioButtons[k - 1]->setChecked(true);
    window.GoButtonClick();
    Shot(kinds[k]);
  }

  // A curve and a partial regression.
  const QString curve = scratch.filePath("04-grass-nitrogen-curved.inp");
  QFile::copy(QFileInfo(QString::fromLocal8Bit(argv[1])).dir().filePath("04-grass-nitrogen-curved.inp"), curve);
  window.InputTabSheet->OpenInputFile(curve);
  window.session().Options.CurveX = vornax::CurveChoice::Quadratic;
  d->files = {scratch.filePath("curve.inp")};
  window.InputTabSheet->InputSaveActionExecute();
  window.SeeGraphButtonClick();
  Shot("graph-curve");
  window.session().Options.CurveX = vornax::CurveChoice::SCurve;
  d->files = {scratch.filePath("scurve.inp")};
  window.InputTabSheet->InputSaveActionExecute();
  window.SeeGraphButtonClick();
  Shot("graph-s-curve");
  window.InputTabSheet->OpenInputFile(input);
  window.session().Options.PartialX = true;
  d->files = {scratch.filePath("partial.inp")};
  window.InputTabSheet->InputSaveActionExecute();
  window.SeeGraphButtonClick();
  Shot("graph-partial");
  d->files = {QDir(g_folder).filePath("graph-partial.svg")};
  window.GraphSaveActionExecute();
  // A broken line with two breakpoints: its report and its graph with the intervals as bars.
  window.InputTabSheet->OpenInputFile(input);
  window.InputTabSheet->PrefComboBoxChange(4);
  window.InputTabSheet->BreakpointsForm->Buttons[0]->setChecked(true);
  d->files = {scratch.filePath("lines.inp")};
  window.InputTabSheet->InputSaveActionExecute();
  Shot("output-broken-line");
  window.SeeGraphButtonClick();
  Shot("graph-broken-line");
  window.InputTabSheet->PrefComboBoxChange(0);

  // The grid: a shorter block pasted over data asks what to keep; a block wider than the grid
  // asks where its columns go; a row left incomplete is marked after the run.
  window.PageControl1->setCurrentWidget(window.InputTabSheet);
  window.InputTabSheet->OpenInputFile(input);
  vornax::app::DataGrid& grid = *window.InputTabSheet->StringGrid1;
  window.InputTabSheet->HandlePasteMultiCell(vornax::app::kYColumn, 1, "4.1\t0.5\n4.3\t0.75\n4.6\t1.0\n");
  grid.UndoStack().undo();
  window.InputTabSheet->HandlePasteMultiCell(vornax::app::kYColumn, 1,
                                             "Yield (t/ha)\tDepth (m)\tPlot\n4.1\t0.5\t7\n4.3\t0.75\t8\n");
  grid.UndoStack().undo();
  grid.clearSelection();
  grid.setCurrentCell(4, vornax::app::kXColumn);
  grid.DeleteSelection();
  d->files = {scratch.filePath("marked.inp")};
  window.InputTabSheet->InputSaveActionExecute();
  window.PageControl1->setCurrentWidget(window.InputTabSheet);
  grid.clearSelection();
  grid.setCurrentCell(0, vornax::app::kSerialColumn);
  Shot("input-incomplete-row");
  // A table dropped on the window: the column dialog, then a segmented run of its data with the
  // break test, then every tab.
  window.InputTabSheet->OpenInputFile(input);
  window.InputTabSheet->ResetPreferences();
  const vornax::GridInput gridInput = window.InputTabSheet->GridFromWindow();
  const QString table = scratch.filePath("yield-table.csv");
  {
    QFile file(table);
    file.open(QIODevice::WriteOnly);
    file.write("site;depth;yield\n");
    int site = 1;
    for (const auto& row : gridInput.Rows) {
      if (row.size() < 3 || row[1].empty()) continue;
      file.write(QString("p%1;%2;%3\n").arg(site++).arg(QString::fromStdString(row[2]).replace('.', ','),
                                                       QString::fromStdString(row[1]).replace('.', ',')).toUtf8());
    }
  }
  QTimer::singleShot(600, [] {
    if (auto* dialog = dynamic_cast<vornax::app::TTableColumnsDialog*>(QApplication::activeModalWidget())) {
      Shot("table-dialog");
      // Y is the yield, X the depth.
      dialog->YComboBox->setCurrentIndex(dialog->YComboBox->findData(3));
      dialog->XComboBox->setCurrentIndex(dialog->XComboBox->findData(2));
      dialog->accept();
    }
  });
  window.PageControl1->setCurrentWidget(window.IntroTabSheet);
  {
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(table)});
    const QPoint at = window.rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &enter);
    QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &drop);
  }
  Settle(1500);
  Shot("table-input");
  d->files = {scratch.filePath("yield-table.inp")};
  window.InputTabSheet->InputSaveActionExecute();
  Shot("table-output-break-test-running");
  QElapsedTimer waited;
  waited.start();
  while (window.OutputTabSheet->BreakTestRunning() && waited.elapsed() < 300000) Settle(200);
  Shot("table-output");
  window.PageControl1->setCurrentWidget(window.InputTabSheet);
  Shot("table-input-after-run");
  window.SeeGraphButtonClick();
  Shot("table-graphics");
  window.PageControl1->setCurrentWidget(window.IntroTabSheet);
  Shot("table-intro");
  window.PageControl1->setCurrentWidget(window.FiguresTabSheet);
  Shot("table-figures");

  window.close();
  Shot("finish");
  return 0;
}
