#include "WindowWorkTest.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDropEvent>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QSettings>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <functional>
#include <memory>

#include "AppTestSupport.h"
#include "app/DataGrid.h"
#include "app/TableDialog.h"
#include "app/VornaxForm.h"
#include "forms/FinishForm.h"
#include "forms/SelectForms.h"
#include "run/ResultSummary.h"

namespace vornax::app::test {
namespace {

// A window whose boxes the test answers; the column dialog of tables stays the real one.
struct Work {
  std::unique_ptr<TVornaxForm> form = std::make_unique<TVornaxForm>();
  ScriptedDialogs* dialogs = nullptr;
  QTemporaryDir dir;
  Work() {
    auto d = std::make_unique<ScriptedDialogs>(form.get(), form->InputTabSheet->WaitMemo);
    dialogs = d.get();
    form->SetDialogs(std::move(d));
    form->FinishForm->OnFinish = [] {};
    form->OutputTabSheet->BreakTestPermutations = 0;  // none unless a test asks for it
    form->show();
    form->PageControl1->setCurrentWidget(form->InputTabSheet);
  }
  ~Work() {
    for (QWidget* w : QApplication::topLevelWidgets()) w->hide();
  }
  TInputTab& input() { return *form->InputTabSheet; }
  TOutputTab& output() { return *form->OutputTabSheet; }
  QString File(const QString& name, const QByteArray& content) {
    return WriteFileIn(dir, name, content);
  }
  QString Example(const QString& name) { return CopyExampleInto(dir, name); }
  // A file dropped on the window, as a file manager drops it.
  void Drop(const QString& path) {
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(path)});
    const QPoint at = form->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form.get(), &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form.get(), &drop);
  }
  bool Run(const QString& inp) {
    dialogs->files = {inp};
    input().InputSaveActionExecute();
    return form->PageControl1->currentWidget() == form->OutputTabSheet;
  }
  QString Summary() { return output().SummaryPanel->text(); }
};


QString BoxColumn(const QComboBox* box) { return QString::number(box->currentData().toInt()); }

void ChooseColumn(QComboBox* box, int column) {
  // As with the keyboard: focus the box and step to the item.
  box->setFocus();
  const int target = box->findData(column);
  while (box->currentIndex() < target) QTest::keyClick(box, Qt::Key_Down);
  while (box->currentIndex() > target) QTest::keyClick(box, Qt::Key_Up);
}

void ClickOpen(TTableColumnsDialog& dialog) {
  QTest::mouseClick(dialog.Buttons->button(QDialogButtonBox::Ok), Qt::LeftButton);
}

}  // namespace

void WindowWorkTest::DroppedTableGoesThroughTheColumnDialog() {
  // A spreadsheet export: row names, semicolons, decimal commas, a missing value; the columns
  // are named out of their usual order.
  struct Case {
    const char* name;
    QByteArray content;
    const char* y;
    const char* x;
    const char* z;
    const char* weight;
    int chooseZ;  // -1: as suggested; 0: none
    int rows;
    QStringList firstRow;  // Y, X, Z, weight as the grid shows them
    const char* leftOutMessage;
  };
  const Case cases[] = {
      {"named.csv",
       ";X;weight;Y;Z\n"
       "a;1,5;2;4,25;0,7\nb;2;1;4,5;NA\nc;2,5;1;4,75;0,9\nd;3;3;5;1,1\n",
       "4", "2", "5", "3", 0, 4, {"4.25", "1.5", "", "2"}, ""},
      {"position.tsv", "5.1\t1\t0.2\n5.3\t2\t0.4\n\t3\t0.5\n5.9\t4\t0.8\n", "1", "2", "3", "0", -1, 3,
       {"5.1", "1", "0.2", "1"}, "1 row with a missing value left out (line 3)"},
  };
  for (const Case& c : cases) {
    Work w;
    const QString path = w.File(c.name, c.content);
    QString suggested;
    OnColumnDialog([&](TTableColumnsDialog& dialog) {
      suggested = BoxColumn(dialog.YComboBox) + BoxColumn(dialog.XComboBox) +
                  BoxColumn(dialog.ZComboBox) + BoxColumn(dialog.WeightComboBox);
      QCOMPARE(dialog.RowsTable->rowCount(), 4);
      if (c.chooseZ >= 0) ChooseColumn(dialog.ZComboBox, c.chooseZ);
      ClickOpen(dialog);
    });
    w.Drop(path);
    QTRY_COMPARE(w.input().CurrentPath, QFileInfo(path).absoluteFilePath());
    QCOMPARE(suggested, QString(c.y) + c.x + c.z + c.weight);
    DataGrid& grid = *w.input().StringGrid1;
    QCOMPARE(grid.DataRows(), c.rows);
    const int columns[] = {kYColumn, kXColumn, kZColumn, kWeightColumn};
    for (int i = 0; i < 4; ++i) {
      QCOMPARE(grid.CellText(1, columns[i]).trimmed(), c.firstRow[i]);
    }
    QCOMPARE(w.form->windowTitle(), QString(c.name) + " \u2014 Vornax");
    QVERIFY(w.form->RecentFiles().contains(QFileInfo(path).absoluteFilePath()));
    QCOMPARE(w.input().FileNameEdit->isVisible(), true);
    if (*c.leftOutMessage) {
      QCOMPARE(w.dialogs->messages.size(), size_t{1});
      QVERIFY(QString::fromStdString(w.dialogs->messages[0]).contains(c.leftOutMessage));
    } else {
      QVERIFY(w.dialogs->messages.empty());
    }
  }
}

void WindowWorkTest::ColumnDialogRefusesAColumnTwiceAndCancelsSilently() {
  Work w;
  const QString path = w.File("t.csv", "y,x\n1,2\n3,4\n5,6\n");
  w.input().Title1Edit->setText("kept");
  bool openDisabled = false;
  OnColumnDialog([&](TTableColumnsDialog& dialog) {
    ChooseColumn(dialog.XComboBox, 1);  // the Y column again
    openDisabled = !dialog.Buttons->button(QDialogButtonBox::Ok)->isEnabled() &&
                   dialog.ClashLabel->isVisible();
    QTest::mouseClick(dialog.Buttons->button(QDialogButtonBox::Cancel), Qt::LeftButton);
  });
  w.dialogs->files = {path};
  w.form->TableOpenAction->trigger();
  QVERIFY(openDisabled);
  QCOMPARE(w.input().Title1Edit->text(), QString("kept"));
  QVERIFY(w.dialogs->messages.empty());
  QVERIFY(w.input().CurrentPath.isEmpty());
}

void WindowWorkTest::RecentFilesTitleAndSaveName() {
  Work w;
  QSettings().remove("RecentFiles");
  // Ten files opened: the eight newest stay, newest first, each once.
  QStringList opened;
  for (int i = 0; i < 10; ++i) {
    const QString path = w.Example("01-yield-watertable.inp");
    const QString copy = w.dir.filePath(QString("f%1.inp").arg(i));
    QFile::remove(copy);
    QVERIFY(QFile::copy(path, copy));
    QVERIFY(w.form->OpenFile(copy));
    opened.prepend(QFileInfo(copy).absoluteFilePath());
  }
  QVERIFY(w.form->OpenFile(w.dir.filePath("f9.inp")));  // again: not twice in the list
  QCOMPARE(w.form->RecentFiles(), opened.mid(0, 8));
  QCOMPARE(w.form->windowTitle(), QString("f9.inp \u2014 Vornax"));

  // The menu opens them again.
  w.form->RecentMenu->popup(QPoint(0, 0));  // fills it
  QTRY_VERIFY(w.form->RecentMenu->isVisible());
  const QList<QAction*> actions = w.form->RecentMenu->actions();
  QCOMPARE(actions.size(), 8);
  w.form->RecentMenu->hide();
  actions[3]->trigger();
  QCOMPARE(w.input().CurrentPath, opened[3]);
  QCOMPARE(w.form->RecentFiles().front(), opened[3]);

  // The save dialog starts with the name of the data shown; a save under a new name is the
  // file from then on, in the File box, the title and the recent files.
  w.dialogs->files = {w.dir.filePath("renamed.inp")};
  w.input().InputSaveActionExecute();
  QCOMPARE(w.dialogs->lastFolder, opened[3]);
  const QString renamed = QFileInfo(w.dir.filePath("renamed.inp")).absoluteFilePath();
  QCOMPARE(w.input().FileNameEdit->text(), QDir::toNativeSeparators(renamed));
  QCOMPARE(w.form->windowTitle(), QString("renamed.inp \u2014 Vornax"));
  QVERIFY(w.form->RecentFiles().contains(renamed));
  // The report was written and opened as an output too.
  QVERIFY(w.form->RecentFiles().contains(QFileInfo(w.dir.filePath("renamed.out")).absoluteFilePath()));
}

void WindowWorkTest::ChoicesStayWhenTheInputTabIsShownAgain() {
  Work w;
  QVERIFY(w.form->OpenFile(w.Example("02-yield-depth-salinity.inp")));
  TInputTab& in = w.input();
  in.OptionComboBoxChange(1);
  in.PrefComboBoxChange(2);
  in.SelectForm->XButtons[4]->click();
  in.WeightComboBoxChange(1);
  in.ConfComboBoxChange(1);
  w.form->PageControl1->setCurrentWidget(w.form->OutputTabSheet);
  w.form->PageControl1->setCurrentWidget(w.form->GraphicsTabSheet);
  w.form->PageControl1->setCurrentWidget(w.form->InputTabSheet);
  QCOMPARE(in.OptionComboBox->currentIndex(), 1);
  QCOMPARE(in.PrefComboBox->currentIndex(), 2);
  QVERIFY(in.SelectForm->isVisible());
  QCOMPARE(w.form->session().Options.PreferredTypeX, 4);
  QCOMPARE(in.WeightComboBox->currentIndex(), 1);
  QCOMPARE(in.ConfComboBox->currentIndex(), 1);
  // The selection is a panel of the tab, clear of the buttons and the wait panel.
  QVERIFY(!in.SelectForm->isWindow());
  QVERIFY(in.isAncestorOf(in.SelectForm));
  QApplication::processEvents();  // the layout places the panel
  const QRect panel(in.SelectForm->mapTo(&in, QPoint(0, 0)), in.SelectForm->size());
  QVERIFY(!panel.intersects(QRect(in.InputSaveButton->mapTo(&in, QPoint(0, 0)), in.InputSaveButton->size())));
  // A file without a weight column switches the weights off.
  QVERIFY(w.form->OpenFile(w.Example("01-yield-watertable.inp")));
  QCOMPARE(in.WeightComboBox->currentIndex(), 0);
  QVERIFY(!w.form->session().Options.WeightsUsed);
}

void WindowWorkTest::BreakTestFinishesInTheBackgroundAndIsSaved() {
  Work w;
  w.output().BreakTestPermutations = 99;
  QVERIFY(w.form->OpenFile(w.Example("01-yield-watertable.inp")));
  QVERIFY(w.Run(w.dir.filePath("yield.inp")));
  // The report is there at once; the test follows without blocking the window.
  QVERIFY(w.output().OutputMemo->isVisible());
  QVERIFY(w.output().BreakTestRunning() || w.output().BreakTestPanel->isVisible() ||
          w.Summary().contains("Break test"));
  QTRY_VERIFY_WITH_TIMEOUT(w.Summary().contains("(99 permutations"), 60000);
  QVERIFY(!w.output().BreakTestPanel->isVisible());
  const RunResult& result = w.form->session().Data.Result;
  QVERIFY(result.BreakTest.Done);
  const QString p = QString::fromStdString(FormatP(result.BreakTest.P, 99));
  const QString verdict = (result.BreakTest.P > 0.1 ? "No break beyond what chance gives (p = "
                                                    : "A break beyond what chance gives (p = ") + p + ")";
  QVERIFY(w.Summary().contains(verdict));
  // Saved beside the report under a name nothing else uses, and shown when the report is
  // opened again.
  QFile saved(w.dir.filePath("yield.summary"));
  QVERIFY(saved.open(QIODevice::ReadOnly));
  const QString text = QString::fromUtf8(saved.readAll());
  QVERIFY(text.contains("Break test: p = " + p));
  QVERIFY(text.contains(verdict));
  QVERIFY(!QFileInfo::exists(w.dir.filePath("yield.txt")));
  QVERIFY(w.form->OpenFile(w.dir.filePath("yield.out")));
  QVERIFY(w.output().SummaryPanel->isVisible());
  QVERIFY(w.Summary().contains(verdict));
  // A report written again later (not by the window) has no summary of its own.
  QFile out(w.dir.filePath("yield.out"));
  QVERIFY(out.open(QIODevice::ReadWrite));
  out.setFileTime(QDateTime::currentDateTime().addSecs(60), QFileDevice::FileModificationTime);
  out.close();
  QVERIFY(w.form->OpenFile(w.dir.filePath("yield.out")));
  QVERIFY(!w.output().SummaryPanel->isVisible());
}

void WindowWorkTest::BreakTestCancelled() {
  Work w;
  w.output().BreakTestPermutations = 200000;
  QVERIFY(w.form->OpenFile(w.Example("01-yield-watertable.inp")));
  QVERIFY(w.Run(w.dir.filePath("yield.inp")));
  QVERIFY(w.output().BreakTestPanel->isVisible());
  QVERIFY(w.output().CancelButton->isVisible());
  QTest::mouseClick(w.output().CancelButton, Qt::LeftButton);
  QTRY_VERIFY_WITH_TIMEOUT(!w.output().BreakTestRunning(), 30000);
  QTRY_VERIFY(w.output().BreakTestLabel->text().contains("cancelled"));
  QVERIFY(!w.output().CancelButton->isVisible());
  QVERIFY(!w.Summary().contains("Break test"));
  QVERIFY(w.output().SummaryPanel->isVisible());
}

void WindowWorkTest::TheWindowDoesNotWiden() {
  Work w;
  w.form->PageControl1->setCurrentWidget(w.form->InputTabSheet);
  QApplication::processEvents();
  TInputTab& in = w.input();
  const int width = w.form->width();
  const QPoint save = in.InputSaveButton->mapTo(w.form.get(), QPoint(0, 0));
  // Every layout of the grid: one or two variables, with and without weights.
  const std::pair<int, int> layouts[] = {{1, 1}, {1, 0}, {0, 1}, {1, 1}, {0, 0}};
  for (const auto& [two, weights] : layouts) {
    in.NrOfVarComboBoxChange(two);
    in.WeightComboBoxChange(weights);
    QApplication::processEvents();
    QCOMPARE(w.form->width(), width);
    QCOMPARE(in.InputSaveButton->mapTo(w.form.get(), QPoint(0, 0)), save);
  }
}

void WindowWorkTest::DialogsAskOnlyWhatTheyMust() {
  Work w;
  TInputTab& in = w.input();
  // Questions that lose data default to No.
  in.StringGrid1->SetCellText(1, kYColumn, "3");
  in.StringGrid1SetEditText();
  w.dialogs->answers = {false, false};
  in.ClearButtonClick();
  w.form->close();
  QCOMPARE(w.dialogs->discardQuestions.size(), size_t{2});
  QCOMPARE(w.dialogs->discardQuestions, w.dialogs->questions);
  // The close was not confirmed: no finish window.
  QVERIFY(!w.form->FinishForm->isVisible());
  w.dialogs->answers = {true};
  w.form->close();
  QVERIFY(w.form->FinishForm->isVisible());
  QCOMPARE(w.form->FinishForm->windowModality(), Qt::ApplicationModal);
  w.form->FinishForm->hide();

  // A cancelled save says nothing and runs nothing.
  w.dialogs->messages.clear();
  w.dialogs->files.clear();
  in.InputSaveActionExecute();
  QVERIFY(w.dialogs->messages.empty());
  QCOMPARE(w.form->PageControl1->currentWidget(), static_cast<QWidget*>(w.form->InputTabSheet));

  // "Make graph" draws the report shown without asking anything.
  QVERIFY(w.form->OpenFile(w.Example("01-yield-watertable.inp")));
  QVERIFY(w.Run(w.dir.filePath("yield.inp")));
  w.dialogs->messages.clear();
  w.dialogs->questions.clear();
  w.dialogs->files = {w.dir.filePath("never-asked.out")};
  w.form->PageControl1->setCurrentWidget(w.form->GraphicsTabSheet);
  QTest::mouseClick(w.form->MakeGraphButton, Qt::LeftButton);
  QVERIFY(w.dialogs->messages.empty());
  QVERIFY(w.dialogs->questions.empty());
  QCOMPARE(w.dialogs->files.size(), size_t{1});
  QVERIFY(w.form->GraphMade);
}

void WindowWorkTest::ReportTableExportedAsCsv() {
  Work w;
  QVERIFY(w.form->OpenFile(w.Example("02-yield-depth-salinity.inp")));
  QVERIFY(w.Run(w.dir.filePath("two.inp")));
  QVERIFY(w.output().ExportButton->isVisible());
  w.dialogs->files = {w.dir.filePath("two-table.csv")};
  QTest::mouseClick(w.output().ExportButton, Qt::LeftButton);
  QCOMPARE(w.dialogs->lastFolder, w.dir.filePath("two.csv"));
  QFile csv(w.dir.filePath("two-table.csv"));
  QVERIFY(csv.open(QIODevice::ReadOnly));
  const QStringList lines = QString::fromUtf8(csv.readAll()).split('\n', Qt::SkipEmptyParts);
  QCOMPARE(lines.front(), QString("X,Y,Z,residual of first stage,Y calculated"));
  QCOMPARE(lines.size() - 1, w.form->session().Data.Graph.NrOfRows);
  QCOMPARE(lines[1].split(',').size(), 5);
  // Cancelled: nothing written, nothing said.
  w.dialogs->messages.clear();
  w.dialogs->files.clear();
  QTest::mouseClick(w.output().ExportButton, Qt::LeftButton);
  QVERIFY(w.dialogs->messages.empty());
}

}  // namespace vornax::app::test
