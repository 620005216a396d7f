// The window keeps the user's data: each test drives it with keys, mouse clicks, the clipboard
// and dropped files, and looks at the grid, the title, the dialogs asked and the files on disk.
#include "WindowDataTest.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <cmath>
#include <functional>

#include "AppTestSupport.h"
#include "app/OutputTab.h"
#include "app/TableDialog.h"
#include "data/RunOptions.h"
#include "forms/SelectForms.h"

namespace vornax::app::test {
namespace {

// The main window shown and active, so that keys and shortcuts arrive as a person's would.
struct Window : ScriptedWindow {
  QTemporaryDir dir;
  Window() {
    form->OutputTabSheet->BreakTestPermutations = 0;
    form->show();
    form->activateWindow();
    if (!QTest::qWaitForWindowActive(form.get())) qWarning("window not active");
    grid().setFocus();
  }
  TInputTab& in() { return *form->InputTabSheet; }
  TOutputTab& out() { return *form->OutputTabSheet; }
  QString File(const QString& name, const QByteArray& content) {
    return WriteFileIn(dir, name, content);
  }
  QString Example(const QString& name, const QString& as) {
    const QString path = dir.filePath(as);
    QFile::remove(path);
    return QFile::copy(QString(VORNAX_EXAMPLES_DIR) + "/" + name, path) ? path : QString();
  }
  // The window active again after a dialog, as the desktop makes it.
  void Activate() {
    form->activateWindow();
    if (!QTest::qWaitForWindowActive(form.get())) qWarning("window not active");
  }
  void At(int row, int column) {
    Activate();
    grid().setFocus();
    grid().clearSelection();
    grid().setCurrentCell(row - 1, column);
  }
  // Keys where the focus is, as a person presses them.
  void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QWidget* focus = QApplication::focusWidget();
    QTest::keyClick(focus ? focus : form.get(), key, modifiers);
    QApplication::processEvents();
  }
  void Type(const QString& text) {
    for (QChar c : text) QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
    QApplication::processEvents();
  }
  void Click(QPushButton* button) { QTest::mouseClick(button, Qt::LeftButton); }
  void Drop(const QString& path) {
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(path)});
    const QPoint at = form->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form.get(), &enter);
    QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form.get(), &drop);
  }
  // The grid with its captions, the titles, the file box and the window's title.
  QStringList State() {
    QStringList all{QString::number(grid().DataRows())};
    for (int c = 0; c < kGridColumns; ++c) all << grid().horizontalHeaderItem(c)->text();
    all << in().Title1Edit->text() << in().Title2Edit->text();
    all << (in().FileNameEdit->isVisible() ? in().FileNameEdit->text() : QString("(no file)"));
    all << form->windowTitle() << QString::number(in().NrOfVarComboBox->currentIndex())
        << QString::number(in().WeightComboBox->currentIndex());
    for (int r = 1; r <= grid().DataRows(); ++r) {
      QStringList row;
      for (int c = 0; c < kGridColumns; ++c) row << cell(r, c);
      all << row.join('|');
    }
    return all;
  }
  // A picture of the window for a person to look at, when VORNAX_SCREENSHOTS names a folder.
  void Shot(const QString& name) {
    const QString folder = qEnvironmentVariable("VORNAX_SCREENSHOTS");
    if (folder.isEmpty()) return;
    QApplication::processEvents();
    form->grab().save(QDir(folder).filePath(name + ".png"));
  }
};


void ClickOpen(TTableColumnsDialog& dialog) {
  QTest::mouseClick(dialog.Buttons->button(QDialogButtonBox::Ok), Qt::LeftButton);
}

// 36 rows under a header: Y rises with X up to 20, then stays level.
QByteArray Table36() {
  QByteArray text = "yield,depth\n";
  for (int i = 1; i <= 36; ++i) {
    text += QByteArray::number(i <= 20 ? 100 + 2.5 * i : 150.25) + "," + QByteArray::number(i) + "\n";
  }
  return text;
}

// Fifteen rows that rise and level off, Y with more digits than a report prints.
QString RisingRows() {
  QString text;
  for (int i = 1; i <= 15; ++i) {
    const double y = i <= 8 ? 12000.123 + 51.0625 * i : 12410.123 + 0.5 * (i % 2);
    text += QString::number(y, 'f', 4) + "\t" + QString::number(i) + "\n";
  }
  return text;
}

QStringList CsvLines(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return {};
  return QString::fromUtf8(f.readAll()).split('\n', Qt::SkipEmptyParts);
}

QByteArray Content(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace

void WindowDataTest::OpeningATableIsOneStepThatUndoesWhole() {
  // Cleared data with 7 and 70 typed in row 1, then a table of 36 rows opened by the menu's key
  // or by a drop: one step back gives exactly the typed data, one forward exactly the table,
  // and the typed steps undo and redo on the typed data only.
  for (const bool dropped : {false, true}) {
    Window w;
    const QString path = w.File("t.csv", Table36());
    w.Click(w.in().ClearButton);
    const QStringList cleared = w.State();
    w.At(1, kYColumn);
    w.Type("7");
    w.Key(Qt::Key_Tab);
    w.Type("70");
    w.Key(Qt::Key_Return);
    const QStringList typed = w.State();
    QCOMPARE(w.cell(1, kXColumn), QString("70"));

    OnColumnDialog(ClickOpen);
    if (dropped) {
      w.Drop(path);
      QTRY_COMPARE(w.in().CurrentPath, QFileInfo(path).absoluteFilePath());
    } else {
      w.dialogs->files = {path};
      w.At(2, kYColumn);
      w.Key(Qt::Key_T, Qt::ControlModifier);
    }
    // The question about the typed data came first, with No as its default.
    QCOMPARE(w.dialogs->discardQuestions.back(), std::string(kDropEditsOnOpen));
    const QStringList opened = w.State();
    QCOMPARE(opened.front(), QString("36"));
    QCOMPARE(w.cell(1, kXColumn), QString("1"));
    QCOMPARE(w.form->windowTitle(), QString("t.csv \u2014 Vornax"));
    QCOMPARE(w.form->UndoAction->text(), QString("&Undo Open table"));
    w.Shot(dropped ? "item1-table-dropped" : "item1-table-opened");

    w.At(3, kXColumn);
    w.Key(Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(w.State(), typed);
    QCOMPARE(w.form->windowTitle(), QString("Untitled \u2014 Vornax"));
    w.Shot(dropped ? "item1-drop-undone" : "item1-open-undone");
    w.Key(Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(w.State(), opened);
    // Back past the open and the two typed cells, and forward again: each step on its own data.
    for (int i = 0; i < 3; ++i) w.Key(Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(w.State(), cleared);
    w.Key(Qt::Key_Y, Qt::ControlModifier);
    w.Key(Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(w.State(), typed);
    w.Key(Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(w.State(), opened);
  }
}

void WindowDataTest::UndoFromAnotherTabShowsTheInputTab() {
  struct Case {
    const char* tab;
    std::function<QWidget*(TVornaxForm&)> page;
  };
  const Case cases[] = {
      {"Output", [](TVornaxForm& f) { return static_cast<QWidget*>(f.OutputTabSheet); }},
      {"Graphics", [](TVornaxForm& f) { return f.GraphicsTabSheet; }},
      {"Intro", [](TVornaxForm& f) { return f.IntroTabSheet; }},
  };
  for (const Case& c : cases) {
    Window w;
    w.At(4, kYColumn);
    w.Type("5");
    w.Key(Qt::Key_Return);
    QCOMPARE(w.cell(4, kYColumn), QString("5"));
    for (const bool undo : {true, false}) {
      w.form->PageControl1->setCurrentWidget(c.page(*w.form));
      c.page(*w.form)->setFocus();
      w.Key(undo ? Qt::Key_Z : Qt::Key_Y, Qt::ControlModifier);
      // The change is made where it is seen, and shown selected.
      QVERIFY2(w.form->PageControl1->currentWidget() == w.form->InputTabSheet, c.tab);
      QCOMPARE(w.cell(4, kYColumn), QString(undo ? "" : "5"));
      QVERIFY2(w.grid().item(3, kYColumn) && w.grid().item(3, kYColumn)->isSelected(), c.tab);
    }
  }
}

void WindowDataTest::ExportedTableKeepsTheRunsDigits() {
  Window w;
  QApplication::clipboard()->setText(RisingRows());
  w.At(1, kYColumn);
  w.Key(Qt::Key_V, Qt::ControlModifier);
  w.dialogs->files = {w.dir.filePath("rise.inp")};
  w.Click(w.in().InputSaveButton);
  QCOMPARE(w.form->PageControl1->currentWidget(), static_cast<QWidget*>(w.form->OutputTabSheet));
  const RunResult& result = w.form->session().Data.Result;
  QCOMPARE(result.YCalc.size(), size_t{15});

  w.dialogs->files = {w.dir.filePath("rise.csv")};
  w.Click(w.out().ExportButton);
  const QStringList lines = CsvLines(w.dir.filePath("rise.csv"));
  QCOMPARE(lines.size(), 16);
  QCOMPARE(lines[0], QString("X,Y,Y calculated"));
  const QStringList typed = RisingRows().split('\n', Qt::SkipEmptyParts);
  const GraphData& printed = w.form->session().Data.Graph;
  for (int i = 1; i <= 15; ++i) {
    const QStringList cells = lines[i].split(',');
    QCOMPARE(cells.size(), 3);
    // Observed: the number typed, whole (the report prints 1.24E+004).
    QCOMPARE(cells[1].toDouble(), typed[i - 1].split('\t')[0].toDouble());
    QCOMPARE(cells[0], typed[i - 1].split('\t')[1]);
    // Calculated: the run's own double, which the report's three digits round.
    const double calc = cells[2].toDouble();
    QCOMPARE(calc, result.YCalc[static_cast<size_t>(i - 1)]);
    const double shown = printed.GraphYcalc[static_cast<size_t>(i - 1)];
    QVERIFY(std::fabs(calc - shown) <= 0.005 * std::fabs(calc));
  }
  QVERIFY(lines.join('\n').contains("12410.123,"));

  // A report opened from disk has only its printed digits, and the headings say so.
  QVERIFY(w.out().OpenOutputFile(w.dir.filePath("rise.out")));
  w.dialogs->files = {w.dir.filePath("opened.csv")};
  w.Click(w.out().ExportButton);
  QCOMPARE(CsvLines(w.dir.filePath("opened.csv")).value(0),
           QString("X (as the report prints it),Y (as the report prints it),"
                   "Y calculated (as the report prints it)"));
}

void WindowDataTest::DataCarryTheirOwnNameThroughClearAndUndo() {
  // Opened data, cleared, new data pasted: untitled, and the save dialog proposes no name of
  // the data before. Undone back past the Clear: the name of the data brought back.
  for (const bool table : {false, true}) {
    Window w;
    const QString path = table ? w.File("f499.csv", Table36())
                               : w.Example("01-yield-watertable.inp", "f499.inp");
    if (table) OnColumnDialog(ClickOpen);
    QVERIFY(w.form->OpenFile(path));
    const QString name = QFileInfo(path).fileName();
    const QString saveName = w.dir.filePath("f499.inp");
    QCOMPARE(w.form->windowTitle(), name + " \u2014 Vornax");

    w.Click(w.in().ClearButton);
    QCOMPARE(w.form->windowTitle(), QString("Untitled \u2014 Vornax"));
    QVERIFY(!w.in().FileNameEdit->isVisible());
    QApplication::clipboard()->setText(RisingRows());
    w.At(1, kYColumn);
    w.Key(Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(w.form->windowTitle(), QString("Untitled \u2014 Vornax"));
    w.Shot(table ? "item4-table-cleared-pasted" : "item4-input-cleared-pasted");
    w.Key(Qt::Key_S, Qt::ControlModifier);  // cancelled: nothing is chosen
    QCOMPARE(w.dialogs->lastFolder, w.form->DialogDir);
    QVERIFY(!QFileInfo(w.dialogs->lastFolder).fileName().endsWith(".inp"));

    w.At(1, kYColumn);
    w.Key(Qt::Key_Z, Qt::ControlModifier);
    w.Key(Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(w.form->windowTitle(), name + " \u2014 Vornax");
    QCOMPARE(w.in().FileNameEdit->text(), QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()));
    w.Shot(table ? "item4-table-undone" : "item4-input-undone");
    w.Key(Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(w.dialogs->lastFolder, saveName);
    w.Key(Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(w.form->windowTitle(), QString("Untitled \u2014 Vornax"));
    w.Key(Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(w.dialogs->lastFolder, w.form->DialogDir);
  }
}

void WindowDataTest::SavedDataKeepTheirNameThroughUndoAndRedo() {
  // Opened, cleared, pasted under a header (which names the columns and titles the data, so
  // the paste is a step of the data's frame), perhaps a value typed over (a step of the cells
  // alone), and saved as run1.inp: those data are run1.inp from then on, however often the
  // steps before the save are undone and redone; the states before it keep their own names
  // (the cleared and the pasted grid none, the opened file its own).
  struct Step {
    Qt::Key key;
    const char* title;  // the window's title after the key
    bool file;          // whether the file box shows, and the save dialog proposes, a name
  };
  struct Case {
    bool typed;
    std::vector<Step> steps;
  };
  const Case cases[] = {
      {false,
       {{Qt::Key_Z, "Untitled", false}, {Qt::Key_Y, "run1.inp", true}, {Qt::Key_Z, "Untitled", false},
        {Qt::Key_Z, "first.inp", true}, {Qt::Key_Y, "Untitled", false}, {Qt::Key_Y, "run1.inp", true}}},
      {true,
       {{Qt::Key_Z, "Untitled", false}, {Qt::Key_Y, "run1.inp", true}, {Qt::Key_Z, "Untitled", false},
        {Qt::Key_Z, "Untitled", false}, {Qt::Key_Z, "first.inp", true}, {Qt::Key_Y, "Untitled", false},
        {Qt::Key_Y, "Untitled", false}, {Qt::Key_Y, "run1.inp", true}}},
  };
  for (const Case& c : cases) {
    Window w;
    const QString opened = w.Example("01-yield-watertable.inp", "first.inp");
    QVERIFY(w.form->OpenFile(opened));
    w.Click(w.in().ClearButton);
    QApplication::clipboard()->setText("yield\tdepth\n" + RisingRows());
    w.At(1, kYColumn);
    w.Key(Qt::Key_V, Qt::ControlModifier);
    if (c.typed) {
      w.At(2, kYColumn);
      w.Type("12099");
      w.Key(Qt::Key_Return);
      QCOMPARE(w.cell(2, kYColumn), QString("12099"));
    }
    const QString saved = w.dir.filePath("run1.inp");
    w.dialogs->files = {saved};
    w.Click(w.in().InputSaveButton);
    QCOMPARE(w.form->PageControl1->currentWidget(), static_cast<QWidget*>(w.form->OutputTabSheet));
    w.form->PageControl1->setCurrentWidget(w.form->InputTabSheet);
    const QStringList savedState = w.State();
    QCOMPARE(w.form->windowTitle(), QString("run1.inp \u2014 Vornax"));

    for (const Step& step : c.steps) {
      w.At(1, kYColumn);
      w.Key(step.key, Qt::ControlModifier);
      QCOMPARE(w.form->windowTitle(), QString(step.title) + " \u2014 Vornax");
      QCOMPARE(w.in().FileNameEdit->isVisible(), step.file);
      const QString file = !step.file ? QString()
                           : QString(step.title) == "run1.inp" ? saved
                                                                : opened;
      if (step.file) QCOMPARE(w.in().FileNameEdit->text(), QDir::toNativeSeparators(file));
      w.dialogs->files = {};
      w.Key(Qt::Key_S, Qt::ControlModifier);  // cancelled: only the proposal is looked at
      QCOMPARE(w.dialogs->lastFolder, step.file ? file : w.form->DialogDir);
    }
    QCOMPARE(w.State(), savedState);
  }
}

void WindowDataTest::RefusalsComeBeforeTheFileName() {
  struct Case {
    const char* what;
    std::function<void(Window&)> choose;
    std::string message;
    int badRow, badColumn;
  };
  auto fixed = [](const char* value) {
    return [value](Window& w) {
      w.in().BreakpointEdit->setFocus();
      QTest::keyClicks(w.in().BreakpointEdit, value);
    };
  };
  const Case cases[] = {
      {"a fixed breakpoint outside the data", fixed("500"),
       "The fixed breakpoint 500.00 lies outside the data. The X-values of the data range from "
       "22.00 to 158.00.", 0, 0},
      {"a fixed breakpoint with the broken line",
       [fixed](Window& w) {
         w.in().PrefComboBox->setFocus();
         while (w.in().PrefComboBox->currentIndex() < 4) QTest::keyClick(w.in().PrefComboBox, Qt::Key_Down);
         QTest::mouseClick(w.in().BreakpointsForm->Buttons[0], Qt::LeftButton);
         fixed("80")(w);
       },
       kBreakpointChoiceNotForBrokenLines, 0, 0},
      {"a cell that is no number",
       [](Window& w) {
         w.At(3, kXColumn);
         w.Type("abc");
         w.Key(Qt::Key_Return);
       },
       "Row 3, X: \"abc\" is not a number", 3, kXColumn},
  };
  for (const Case& c : cases) {
    Window w;
    QVERIFY(w.form->OpenFile(w.Example("01-yield-watertable.inp", "data.inp")));
    c.choose(w);
    w.dialogs->messages.clear();
    w.dialogs->files = {w.dir.filePath("refused.inp")};
    w.Click(w.in().InputSaveButton);
    QCOMPARE(w.dialogs->messages, std::vector<std::string>{c.message});
    // No file name was asked for, and nothing was written.
    QVERIFY2(w.dialogs->files.size() == 1, c.what);
    for (const char* ext : {".inp", ".out", ".var", ".summary"}) {
      QVERIFY2(!QFile::exists(w.dir.filePath(QString("refused") + ext)), c.what);
    }
    QCOMPARE(w.form->PageControl1->currentWidget(), static_cast<QWidget*>(w.form->InputTabSheet));
    if (c.badRow > 0) {
      QCOMPARE(w.grid().currentRow() + 1, c.badRow);
      QCOMPARE(w.grid().currentColumn(), c.badColumn);
    }
  }
}

void WindowDataTest::ClearDataLeavesTheReport() {
  Window w;
  QVERIFY(w.form->OpenFile(w.Example("01-yield-watertable.inp", "kept.inp")));
  w.dialogs->files = {w.dir.filePath("kept.inp")};
  w.Click(w.in().InputSaveButton);
  QCOMPARE(w.form->PageControl1->currentWidget(), static_cast<QWidget*>(w.form->OutputTabSheet));
  const QString report = w.out().OutputMemo->toPlainText();
  QVERIFY(report.startsWith(" Results of program Vornax"));

  w.form->PageControl1->setCurrentWidget(w.form->InputTabSheet);
  w.Click(w.in().ClearButton);
  QCOMPARE(w.grid().DataRows(), 15);
  w.form->PageControl1->setCurrentWidget(w.form->OutputTabSheet);
  QVERIFY(w.out().OutputMemo->isVisible());
  QCOMPARE(w.out().OutputMemo->toPlainText(), report);
  // The report still knows its files: its ANOVA table and its graph.
  w.Click(w.out().AnovaButton);
  QCOMPARE(w.out().AnovaButton->text(), QString("Close Anova"));
  QVERIFY(w.out().OutputMemo->toPlainText().startsWith(" Variance Analysis, ANOVA table"));
  w.Click(w.out().AnovaButton);
  QCOMPARE(w.out().OutputMemo->toPlainText(), report);
  w.Click(w.out().SeeGraphButton);
  QCOMPARE(w.form->PageControl1->currentWidget(), w.form->GraphicsTabSheet);
  QVERIFY(w.form->GraphMade);

  // Undone, the data come back; the report was never away.
  w.Key(Qt::Key_Z, Qt::ControlModifier);
  QCOMPARE(w.grid().DataRows(), 36);
  w.form->PageControl1->setCurrentWidget(w.form->OutputTabSheet);
  QCOMPARE(w.out().OutputMemo->toPlainText(), report);
}

void WindowDataTest::OthersFilesAreAskedForAndKept() {
  struct Case {
    const char* extension;
    const char* what;
    bool partial;
  };
  const Case cases[] = {
      {".out", "report", false},
      {".var", "ANOVA table", false},
      {".summary", "summary", false},
      {".txt", "scan table", true},
  };
  const QByteArray mine = "My notes on the field trial.\n";
  for (const Case& c : cases) {
    for (const bool replace : {false, true}) {
      Window w;
      QVERIFY(w.form->OpenFile(w.Example("01-yield-watertable.inp", "trial.inp")));
      QFile::remove(w.dir.filePath("trial.inp"));
      if (c.partial) {
        w.in().PrefComboBoxChange(2);
        QTest::mouseClick(w.in().SelectForm->XButtons[7], Qt::LeftButton);
      }
      const QString others = w.File(QString("trial") + c.extension, mine);
      w.dialogs->answers = {replace};
      w.dialogs->files = {w.dir.filePath("trial.inp")};
      w.Click(w.in().InputSaveButton);
      const std::string question = "\"" + others.toStdString() +
                                   "\" is not a file this program wrote. Replace it with this "
                                   "run's " + c.what + "?";
      QCOMPARE(w.dialogs->discardQuestions, std::vector<std::string>{question});
      if (!replace) {
        // Kept: nothing written, nothing run.
        QCOMPARE(Content(others), mine);
        QVERIFY2(!QFile::exists(w.dir.filePath("trial.inp")), c.extension);
        QCOMPARE(w.form->PageControl1->currentWidget(), static_cast<QWidget*>(w.form->InputTabSheet));
      } else {
        QCOMPARE(w.form->PageControl1->currentWidget(), static_cast<QWidget*>(w.form->OutputTabSheet));
        if (!c.partial) QVERIFY2(Content(others) != mine, c.extension);
      }
    }
  }
  // Agreed to, but the run refuses the data: it takes away no file that is not its own.
  Window w;
  QString flat;
  for (int i = 1; i <= 12; ++i) flat += QString::number(i) + "\t5\n";
  QApplication::clipboard()->setText(flat);
  w.At(1, kYColumn);
  w.Key(Qt::Key_V, Qt::ControlModifier);
  const QString var = w.File("flat.var", mine);
  const QString out = w.File("flat.out", mine);
  w.dialogs->answers = {true, true};
  w.dialogs->files = {w.dir.filePath("flat.inp")};
  w.Click(w.in().InputSaveButton);
  QCOMPARE(w.dialogs->discardQuestions.size(), size_t{2});
  QVERIFY(!w.form->OutputAvailable);
  QCOMPARE(Content(var), mine);
  QCOMPARE(Content(out), mine);
  // Nor does it leave an input file of data it gave no report on.
  QVERIFY(!QFile::exists(w.dir.filePath("flat.inp")));
  QVERIFY(w.in().GridEdited);
}

}  // namespace vornax::app::test
