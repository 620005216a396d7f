#include "WindowWordsTest.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSettings>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <cmath>
#include <functional>
#include <memory>

#include "AppTestSupport.h"
#include "app/DataGrid.h"
#include "app/TableDialog.h"
#include "app/VornaxForm.h"
#include "data/InputFile.h"
#include "forms/FinishForm.h"
#include "forms/SelectForms.h"

namespace vornax::app::test {
namespace {

// A window on the screen whose boxes and file dialogs the test answers; the column dialog of
// tables stays the real one.
struct Screen {
  std::unique_ptr<TVornaxForm> form = std::make_unique<TVornaxForm>();
  ScriptedDialogs* dialogs = nullptr;
  QTemporaryDir dir;
  Screen() {
    auto d = std::make_unique<ScriptedDialogs>(form.get(), form->InputTabSheet->WaitMemo);
    dialogs = d.get();
    form->SetDialogs(std::move(d));
    form->FinishForm->OnFinish = [] {};
    form->OutputTabSheet->BreakTestPermutations = 0;
    form->show();
    form->activateWindow();
    if (!QTest::qWaitForWindowActive(form.get())) qWarning("window not active");
    form->PageControl1->setCurrentWidget(form->InputTabSheet);
  }
  ~Screen() {
    for (QWidget* w : QApplication::topLevelWidgets()) w->hide();
  }
  TInputTab& input() { return *form->InputTabSheet; }
  TOutputTab& output() { return *form->OutputTabSheet; }
  QString File(const QString& name, const QByteArray& content) {
    return WriteFileIn(dir, name, content);
  }
  QString Example(const QString& name) { return CopyExampleInto(dir, name); }
  // File > Open input, by its key.
  void OpenInput(const QString& path) {
    dialogs->files = {path};
    QTest::keyClick(form.get(), Qt::Key_I, Qt::ControlModifier);
  }
  // Save-Calculate, by its button; true when the report came up.
  bool Run(const QString& name) {
    dialogs->files = {dir.filePath(name)};
    QTest::mouseClick(input().InputSaveButton, Qt::LeftButton);
    return form->PageControl1->currentWidget() == form->OutputTabSheet;
  }
  QString Summary() { return output().SummaryPanel->text(); }
  QStringList SummaryFile(const QString& name) {
    QFile f(dir.filePath(name));
    if (!f.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(f.readAll()).split('\n', Qt::SkipEmptyParts);
  }
};

// With VORNAX_SHOTS naming a folder, a picture of `w` as it stands (from the screen itself under
// a virtual X display), for a person to look at; nothing is compared.
void Shot(QWidget* w, const QString& name) {
  const QString folder = qEnvironmentVariable("VORNAX_SHOTS");
  if (folder.isEmpty()) return;
  QTest::qWait(200);
  QPixmap picture;
  if (QGuiApplication::platformName() == "xcb" && w->screen()) {
    const QRect r = w->frameGeometry();
    picture = w->screen()->grabWindow(0, r.x(), r.y(), r.width(), r.height());
  } else {
    picture = w->grab();
  }
  picture.save(QDir(folder).filePath(name + ".png"));
}

// Steps a box to `index` with the arrow keys, as a person without a mouse does.
void Pick(QComboBox* box, int index) {
  box->setFocus();
  if (box->currentIndex() < 0) QTest::keyClick(box, Qt::Key_Home);
  while (box->currentIndex() < index) QTest::keyClick(box, Qt::Key_Down);
  while (box->currentIndex() > index) QTest::keyClick(box, Qt::Key_Up);
}

void Click(QAbstractButton* button) { QTest::mouseClick(button, Qt::LeftButton); }

QString Chosen(const QComboBox* box) { return QString::number(box->currentData().toInt()); }

// A table opened by File > Open table with the columns the dialog suggests.
void OpenTable(Screen& s, const QString& path, QString* suggested = nullptr) {
  OnColumnDialog([suggested](TTableColumnsDialog& dialog) {
    if (suggested) {
      *suggested = Chosen(dialog.YComboBox) + Chosen(dialog.XComboBox) +
                   Chosen(dialog.ZComboBox) + Chosen(dialog.WeightComboBox);
      Shot(&dialog, "table-dialog-" + *suggested);
    }
    Click(dialog.Buttons->button(QDialogButtonBox::Ok));
  });
  s.dialogs->files = {path};
  QTest::keyClick(s.form.get(), Qt::Key_T, Qt::ControlModifier);
}

// "Use 1st independent variable only", then a preferred segmented type's panel.
void FirstVariableOnly(Screen& s) { Pick(s.input().OptionComboBox, 1); }

QString Lines(const QStringList& lines) { return lines.join('\n'); }

}  // namespace

void WindowWordsTest::PartialRegressionDescribedAsDrawn() {
  // The wheat data, depth only: yield is level at 1.365 (the mean of the eight fields up to
  // 35 cm) up to 39.49 cm and at 4.115 (the mean of the 31 fields from 41 cm) from 40.10 cm
  // on. The three pieces explain 0.569 of Y; the report's type-4 line, one level stretch only,
  // explains 0.465 (its "Central expl." and "Expl. Coeff." fields).
  Screen s;
  s.OpenInput(s.Example("02-yield-depth-salinity.inp"));
  FirstVariableOnly(s);
  Pick(s.input().PrefComboBox, 2);
  Click(s.input().SelectForm->XButtons[7]);
  QVERIFY(s.Run("wheat.inp"));
  const QStringList file = s.SummaryFile("wheat.summary");
  QVERIFY(file.size() >= 6);
  QCOMPARE(file[0], QString("Partial regression: no response to X up to 39.49, on a level of "
                            "1.365; from 40.10 on a level of 4.115"));
  QCOMPARE(file[1], QString("In between Y rises from 1.365 to 4.115; coefficient of explanation "
                            "of these three pieces: 0.5689 (straight line: 0.3436)"));
  QCOMPARE(file[2], QString("The report's type-4 line, with one level stretch only: first a "
                            "sloping segment, then horizontal (method 2)"));
  QVERIFY(file.contains("Coefficient of explanation of the type-4 line: 0.4651 (straight line: 0.3436)"));
  QVERIFY(s.Summary().contains("Partial regression: no response to X up to 39.49"));
  Shot(s.form.get(), "partial-summary");

  // The graph draws the three pieces and says so, with their own coefficient.
  Click(s.output().SeeGraphButton);
  QCOMPARE(s.form->PageControl1->currentWidget(), s.form->GraphicsTabSheet);
  const std::vector<std::string>& texts = s.form->LastPicture.Texts;
  auto has = [&texts](const char* text) {
    return std::find(texts.begin(), texts.end(), text) != texts.end();
  };
  Shot(s.form.get(), "partial-graph");
  QVERIFY(has("Combined Type 3 and 4"));
  QVERIFY(has("Expl. coeff.0.569"));
  QVERIFY(!has("Relation of Type 4"));
  QVERIFY(!has("Expl. coeff.0.465"));
}

void WindowWordsTest::EveryRunsWarningsInItsSummary() {
  // Whatever the analysis, each message the run showed is a "Warning:" line of the summary on
  // the screen and in NAME.summary. The broken line of the water-table data says that its
  // ANOVA's significance is below the run's.
  struct Case {
    const char* example;
    std::function<void(Screen&)> choose;
    const char* warning;  // a warning the run must show; "" when none is certain
  };
  const Case cases[] = {
      {"01-yield-watertable.inp",
       [](Screen& s) {
         Pick(s.input().PrefComboBox, 4);
         Click(s.input().BreakpointsForm->Buttons[0]);
       },
       "Warning: Please check the Anova table"},
      {"01-yield-watertable.inp", [](Screen&) {}, ""},
      {"02-yield-depth-salinity.inp", [](Screen&) {}, ""},
      {"04-grass-nitrogen-curved.inp",
       [](Screen& s) {
         Pick(s.input().PrefComboBox, 3);
         Click(s.input().Select2Form->XButtons[static_cast<size_t>(CurveChoice::SCurve)]);
       },
       ""},
  };
  for (const Case& c : cases) {
    Screen s;
    s.OpenInput(s.Example(c.example));
    c.choose(s);
    QVERIFY2(s.Run("run.inp"), c.example);
    const QStringList file = s.SummaryFile("run.summary");
    QVERIFY2(!file.isEmpty(), c.example);
    const RunResult& result = s.form->session().Data.Result;
    for (const std::string& w : result.Warnings) {
      const QString line = "Warning: " + QString::fromStdString(w).trimmed();
      QVERIFY2(file.contains(line), qPrintable(line));
      QVERIFY2(s.Summary().contains(line.left(60).toHtmlEscaped()), qPrintable(line));
    }
    if (*c.warning) {
      QVERIFY2(Lines(file).contains(c.warning), qPrintable(Lines(file)));
      QVERIFY(s.Summary().contains(c.warning));
    }
  }
}

void WindowWordsTest::SummarySaysNotSignificantAndHowTheSCurveRuns() {
  // Twenty fields pasted with Ctrl+V: a type-4 line whose extra explanation the ANOVA puts at
  // 20.3 % (F(2,16) = 0.230; the F distribution gives P(F <= 0.230) = 0.2029), below the 90 %
  // of the run: not significant, and said so first.
  Screen s;
  const char* rows[] = {"-0.64\t1",  "-0.36\t2", "0.42\t3",  "0.19\t4",  "0.98\t5",
                        "-0.09\t6",  "2.52\t7",  "2.46\t8",  "1.32\t9",  "0.24\t10",
                        "3.29\t11",  "4.92\t12", "2.72\t13", "3.02\t14", "2.92\t15",
                        "4.38\t16",  "2.5\t17",  "4.78\t18", "3.24\t19", "4.71\t20"};
  QStringList text;
  for (const char* r : rows) text << r;
  QApplication::clipboard()->setText(text.join("\r\n") + "\r\n");
  DataGrid& grid = *s.input().StringGrid1;
  grid.setFocus();
  grid.setCurrentCell(0, kYColumn);
  QTest::keyClick(&grid, Qt::Key_V, Qt::ControlModifier);
  QCOMPARE(grid.DataRows(), 20);
  QVERIFY(s.Run("weak.inp"));
  const QStringList file = s.SummaryFile("weak.summary");
  QVERIFY2(file.contains("ANOVA: the extra explanation by the breakpoint is not significant "
                         "(20.3 %; F(2,16) = 0.230)"),
           qPrintable(Lines(file)));
  QVERIFY(!Lines(file).contains("is significant at"));

  // The grass data's S-curve: its equation in the numbers found, and that it rises, as the
  // report's calculated values do.
  Screen t;
  t.OpenInput(t.Example("04-grass-nitrogen-curved.inp"));
  Pick(t.input().PrefComboBox, 3);
  Click(t.input().Select2Form->XButtons[static_cast<size_t>(CurveChoice::SCurve)]);
  QVERIFY(t.Run("grass.inp"));
  const QStringList curve = t.SummaryFile("grass.summary");
  QVERIFY(curve.size() >= 4);
  QVERIFY2(curve[0].startsWith("Curve: ") && curve[0].endsWith("S-curve of Y upon X"), qPrintable(curve[0]));
  const int equation = static_cast<int>(curve.indexOf(QRegularExpression("^Y = .*")));
  QVERIFY2(equation > 0, qPrintable(Lines(curve)));
  QVERIFY2(curve[equation + 1].startsWith("The curve rises as X grows, from "), qPrintable(Lines(curve)));
  const RunResult& r = t.form->session().Data.Result;
  QVERIFY(r.Curve.has_value());
  // Y rises along X in the data: the last calculated value lies above the first.
  QVERIFY(r.Curve->Rows.back().Ycalc > r.Curve->Rows.front().Ycalc);
  // The equation as printed (a Gumbel curve for these data) gives the report's calculated
  // values to its four digits.
  const QRegularExpression gumbel(
      R"(^Y = (\S+) \+ (\S+)\*exp\(-exp\((\S+)\*X\^(\S+) ([+-]) (\S+)\)\)$)");
  const QRegularExpressionMatch m = gumbel.match(curve[equation]);
  QVERIFY2(m.hasMatch(), qPrintable(curve[equation]));
  for (const CurveRow& row : r.Curve->Rows) {
    const double b = (m.captured(5) == "-" ? -1 : 1) * m.captured(6).toDouble();
    const double y = m.captured(1).toDouble() +
                     m.captured(2).toDouble() *
                         std::exp(-std::exp(m.captured(3).toDouble() *
                                                std::pow(row.X, m.captured(4).toDouble()) + b));
    QVERIFY2(std::fabs(y - row.Ycalc) < 0.01 * std::fabs(row.Ycalc) + 0.01,
             qPrintable(QString("X = %1: %2 against %3").arg(row.X).arg(y).arg(row.Ycalc)));
  }
  QVERIFY(!Lines(curve).contains("is not significant"));
}

void WindowWordsTest::RecentFilesOpenInAFirstSession() {
  // A first session: no recent files at the start, so the menu is greyed out; the first file
  // opened makes it usable at once, without a restart.
  QSettings().remove("RecentFiles");
  Screen s;
  QVERIFY(!s.form->RecentMenu->menuAction()->isEnabled());
  const QString path = s.Example("01-yield-watertable.inp");
  s.OpenInput(path);
  QCOMPARE(s.input().CurrentPath, QFileInfo(path).absoluteFilePath());
  QVERIFY(s.form->RecentMenu->menuAction()->isEnabled());
  // Opened from the menu bar with the keys: File, then Recent files.
  QMenu* file = qobject_cast<QMenu*>(s.form->RecentMenu->parentWidget());
  QVERIFY(file);
  file->popup(s.form->mapToGlobal(QPoint(0, 0)));
  QTRY_VERIFY(file->isVisible());
  file->setActiveAction(s.form->RecentMenu->menuAction());
  QTest::keyClick(file, Qt::Key_Right);
  QTRY_VERIFY(s.form->RecentMenu->isVisible());
  QCOMPARE(s.form->RecentMenu->actions().size(), 1);
  QVERIFY(s.form->RecentMenu->actions().front()->text().endsWith(
      QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath())));
  QTest::keyClick(s.form->RecentMenu, Qt::Key_Escape);
  QTest::keyClick(file, Qt::Key_Escape);
}

void WindowWordsTest::BeltButtonSaysWhyThereIsNoBelt() {
  // The belt is drawn below a coefficient of explanation of 0.95 and for at most 1000 data
  // sets; where it is not, the greyed-out button and the status line say why.
  QByteArray many = "y,x\n";
  for (int i = 0; i < 1001; ++i) {
    const double x = i % 100;
    many += QByteArray::number(x < 50 ? x * 0.1 + (i % 7) * 0.8 : 5 + (i % 5) * 0.9) + "," +
            QByteArray::number(x) + "\n";
  }
  struct Case {
    const char* name;
    std::function<void(Screen&)> open;
    bool belt;
    const char* why;
  };
  const Case cases[] = {
      // The water-table data: type 4 explaining 0.9786.
      {"type 4", [](Screen& s) { s.OpenInput(s.Example("01-yield-watertable.inp")); }, false,
       "No confidence belt: it is drawn only below a coefficient of explanation of 0.95, and "
       "this fit explains 0.979"},
      // The grass data's S-curve explains 0.9789.
      {"S-curve",
       [](Screen& s) {
         s.OpenInput(s.Example("04-grass-nitrogen-curved.inp"));
         Pick(s.input().PrefComboBox, 3);
         Click(s.input().Select2Form->XButtons[static_cast<size_t>(CurveChoice::SCurve)]);
       },
       false,
       "No confidence belt: it is drawn only below a coefficient of explanation of 0.95, and "
       "this fit explains 0.979"},
      {"1001 data sets", [&many](Screen& s) { OpenTable(s, s.File("many.csv", many)); }, false,
       "No confidence belt: it is drawn for at most 1000 data sets, and this graph has 1001"},
      // The wheat data upon depth, segmented: 0.47 explained, a belt.
      {"belt",
       [](Screen& s) {
         s.OpenInput(s.Example("02-yield-depth-salinity.inp"));
         FirstVariableOnly(s);
       },
       true, ""},
  };
  for (const Case& c : cases) {
    Screen s;
    c.open(s);
    QVERIFY2(s.Run("belt.inp"), c.name);
    Click(s.output().SeeGraphButton);
    QPushButton* belt = s.form->BeltButton;
    QVERIFY2(belt->isVisible(), c.name);
    QCOMPARE(belt->isEnabled(), c.belt);
    if (c.belt) {
      QCOMPARE(s.form->StatusText(), QString("Graphics presentations of output data can be seen and saved"));
      continue;
    }
    QCOMPARE(belt->toolTip(), QString(c.why));
    QCOMPARE(s.form->StatusText(), QString(c.why));
    Shot(s.form.get(), QString("belt-") + c.name);
    // Still said when the tab is shown again.
    s.form->PageControl1->setCurrentWidget(s.form->OutputTabSheet);
    s.form->PageControl1->setCurrentWidget(s.form->GraphicsTabSheet);
    QCOMPARE(s.form->StatusText(), QString(c.why));
  }
}

void WindowWordsTest::TableColumnsChosenAndCaptionedByTheirNames() {
  // The dialog preselects by the header's names; columns that label the data sets are never
  // a variable. The names become the grid's captions and fill the titles, as a pasted
  // header's do.
  struct Case {
    QByteArray content;
    const char* suggested;  // Y, X, Z, weight by column number (0: none)
    QStringList captions;   // Y, X as the grid shows them
    const char* title1;
    const char* title2;
  };
  const Case cases[] = {
      {"block,yield,depth\n1,4.2,30\n1,4.4,35\n2,4.9,40\n2,5.0,45\n", "2300",
       {"Y: yield", "X: depth"}, "yield by depth", "Y: yield, X: depth"},
      {"id;Response;x;weights\n1;2,5;10;1\n2;2,7;20;2\n3;3,1;30;1\n", "2304",
       {"Y: Response", "X: x"}, "Response by x", "Y: Response, X: x, weight: weights"},
      {"plot\trow\tN rate\tYield (t/ha)\n1\t1\t0\t3.1\n2\t1\t40\t4.2\n3\t2\t80\t5.0\n", "4300",
       {"Y: Yield (t/ha)", "X: N rate"}, "Yield (t/ha) by N rate", "Y: Yield (t/ha), X: N rate"},
      {"group,Y,salinity,depth\n1,4,2,30\n1,5,3,40\n2,6,4,50\n", "2340",
       {"Y: Y", "X: salinity"}, "Y by salinity and depth", "Y: Y, X: salinity, Z: depth"},
  };
  for (const Case& c : cases) {
    Screen s;
    QString suggested;
    OpenTable(s, s.File("t.csv", c.content), &suggested);
    QCOMPARE(suggested, QString(c.suggested));
    Shot(s.form.get(), QString("table-") + c.suggested);
    DataGrid& grid = *s.input().StringGrid1;
    QCOMPARE(grid.horizontalHeaderItem(kYColumn)->text(), c.captions[0]);
    QCOMPARE(grid.horizontalHeaderItem(kXColumn)->text(), c.captions[1]);
    QCOMPARE(s.input().Title1Edit->text(), QString(c.title1));
    QCOMPARE(s.input().Title2Edit->text(), QString(c.title2));
  }
}

void WindowWordsTest::PreferenceLinesTrueForTheChoice() {
  // "Standard: Best of all segmented regression types" stands while the standard holds; the
  // exclusion box offers its items again once a change of the variables reset the preference;
  // opening a table or an input file starts from the standard alike. A panel opened with its
  // "No preference" still chosen has chosen nothing: the partial line is shown only for the
  // partial regression, and the exclusion box offers its items unless a preference holds.
  enum Exclusion { kOffered, kChosen, kNotApplicable };
  struct Case {
    const char* name;
    std::function<void(Screen&)> steps;
    bool standardLine;
    bool reset;  // the steps end with the boxes back at the standard
    bool partialLine = false;
    Exclusion exclusion = kOffered;
  };
  const Case cases[] = {
      {"S-curve",
       [](Screen& s) {
         Pick(s.input().PrefComboBox, 3);
         Click(s.input().Select2Form->XButtons[static_cast<size_t>(CurveChoice::SCurve)]);
       },
       false, false, false, kNotApplicable},
      {"broken line",
       [](Screen& s) {
         Pick(s.input().PrefComboBox, 4);
         Click(s.input().BreakpointsForm->Buttons[1]);
       },
       false, false, false, kNotApplicable},
      {"partial",
       [](Screen& s) {
         Pick(s.input().PrefComboBox, 2);
         Click(s.input().SelectForm->XButtons[7]);
       },
       false, false, true, kNotApplicable},
      {"excluded type",
       [](Screen& s) {
         Pick(s.input().ExclComboBox, 1);
         Click(s.input().ExclXRadioButtons[3]);
       },
       false, false, false, kChosen},
      {"segmented panel opened", [](Screen& s) { Pick(s.input().PrefComboBox, 2); }, true, false},
      {"curve panel opened", [](Screen& s) { Pick(s.input().PrefComboBox, 3); }, true, false},
      {"broken-line panel opened", [](Screen& s) { Pick(s.input().PrefComboBox, 4); }, true, false},
      {"partial, then no preference",
       [](Screen& s) {
         Pick(s.input().PrefComboBox, 2);
         Click(s.input().SelectForm->XButtons[7]);
         Click(s.input().SelectForm->XButtons[0]);
       },
       true, false},
      {"S-curve, then no preference",
       [](Screen& s) {
         Pick(s.input().PrefComboBox, 3);
         Click(s.input().Select2Form->XButtons[static_cast<size_t>(CurveChoice::SCurve)]);
         Click(s.input().Select2Form->XButtons[static_cast<size_t>(CurveChoice::None)]);
       },
       true, false},
      {"no preference in the panel",
       [](Screen& s) {
         Pick(s.input().PrefComboBox, 2);
         Click(s.input().SelectForm->XButtons[4]);
         Click(s.input().SelectForm->XButtons[0]);
       },
       true, false},
      {"partial, then the variables changed",
       [](Screen& s) {
         Pick(s.input().PrefComboBox, 2);
         Click(s.input().SelectForm->XButtons[7]);
         Pick(s.input().OptionComboBox, 0);
       },
       true, true},
      {"partial, then a table opened",
       [](Screen& s) {
         Pick(s.input().PrefComboBox, 2);
         Click(s.input().SelectForm->XButtons[7]);
         OpenTable(s, s.File("t.csv", "y,x\n1,2\n2,3\n3,5\n"));
       },
       true, true},
      {"partial, then an input file opened",
       [](Screen& s) {
         Pick(s.input().PrefComboBox, 2);
         Click(s.input().SelectForm->XButtons[7]);
         s.OpenInput(s.Example("01-yield-watertable.inp"));
       },
       true, true},
  };
  for (const Case& c : cases) {
    Screen s;
    // Two variables, the first used: every choice of the boxes is open.
    s.OpenInput(s.Example("02-yield-depth-salinity.inp"));
    FirstVariableOnly(s);
    TInputTab& in = s.input();
    QVERIFY(in.PrefLabel->isVisible());
    c.steps(s);
    Shot(s.form.get(), QString("pref-") + c.name);
    QVERIFY2(in.PrefLabel->isVisible() == c.standardLine, c.name);
    QVERIFY2(in.PartLabel->isVisible() == c.partialLine, c.name);
    const int exclusion = in.ExclComboBox->currentIndex();
    QVERIFY2(c.exclusion == kOffered   ? exclusion == 0
             : c.exclusion == kChosen ? exclusion == 1
                                      : exclusion < 0 && in.ExclComboBox->placeholderText().contains("not applicable"),
             c.name);
    const RunOptions& o = s.form->session().Options;
    if (c.reset) {
      QVERIFY2(!o.PartialX && !o.PartialZ && o.PreferredTypeX < 0 && o.CurveX == CurveChoice::None,
               c.name);
      // Nothing on the tab says otherwise: the boxes show their first items, usable.
      QCOMPARE(in.PrefComboBox->currentIndex(), 0);
      QCOMPARE(in.ExclComboBox->currentIndex(), 0);
      QVERIFY(in.ExclComboBox->isEnabled());
      QVERIFY(!in.SelectForm->isVisible());
      // And an exclusion can be chosen with the keys from there.
      Pick(in.ExclComboBox, 1);
      QVERIFY2(in.Exclude1Panel->isVisible(), c.name);
    }
  }
}

void WindowWordsTest::WindowFitsSmallScreensWithoutOverlaps() {
  // A 1280 x 800 screen at scale 1, and a 1280 x 900 screen at scale 2, which gives the window
  // 640 x 450 of its own pixels, less a title bar: the window's least size must fit there, on
  // every tab and with every panel open, and at that size nothing may stand over anything else.
  Screen s;
  s.OpenInput(s.Example("02-yield-depth-salinity.inp"));
  const QSize room(640, 450 - 40);
  auto fits = [&] {
    QApplication::processEvents();
    const QSize least = s.form->minimumSizeHint().expandedTo(s.form->minimumSize());
    return least.width() <= room.width() && least.height() <= room.height();
  };
  // Widgets on show that overlap a sibling; "" when none do.
  std::function<QString(QWidget*)> overlaps = [&](QWidget* parent) -> QString {
    QList<QWidget*> shown;
    for (QObject* o : parent->children()) {
      auto* w = qobject_cast<QWidget*>(o);
      if (w && w->isVisible() && !w->isWindow()) shown << w;
    }
    for (int i = 0; i < shown.size(); ++i) {
      for (int j = i + 1; j < shown.size(); ++j) {
        // Scroll bars and viewports belong to their area; a group's frame holds its buttons.
        if (qobject_cast<QScrollArea*>(parent) || parent->inherits("QAbstractScrollArea")) continue;
        if (shown[i]->geometry().intersects(shown[j]->geometry())) {
          return shown[i]->objectName() + " / " + shown[j]->objectName() + " in " + parent->objectName();
        }
      }
      const QString inner = overlaps(shown[i]);
      if (!inner.isEmpty()) return inner;
    }
    return {};
  };
  // The graph drawn whole within its label and as large as the label allows; the grid's room
  // its own width; the summary's every line within reach and the report left room under it;
  // "" when so.
  auto shownWhole = [&]() -> QString {
    QLabel* graph = s.form->GraphImage;
    if (graph->isVisible()) {
      const QSize room = graph->contentsRect().size();
      const QSize drawn = graph->pixmap().deviceIndependentSize().toSize();
      if (drawn.width() > room.width() || drawn.height() > room.height()) {
        return QString("a graph of %1 x %2 in a label of %3 x %4")
            .arg(drawn.width()).arg(drawn.height()).arg(room.width()).arg(room.height());
      }
      if (drawn.width() < room.width() - 2 && drawn.height() < room.height() - 2) {
        return QString("a graph of %1 x %2 leaves a label of %3 x %4 empty around it")
            .arg(drawn.width()).arg(drawn.height()).arg(room.width()).arg(room.height());
      }
    }
    // The grid's room no wider than the grid: what it leaves goes to the choices beside it.
    DataGrid* grid = s.input().StringGrid1;
    if (grid->isVisible() && s.input().GridStack->width() > grid->width()) {
      return QString("a grid of %1 pixels in a room of %2")
          .arg(grid->width()).arg(s.input().GridStack->width());
    }
    QLabel* summary = s.output().SummaryPanel;
    if (summary->isVisible()) {
      const int text = summary->heightForWidth(summary->width());
      auto* area = qobject_cast<QScrollArea*>(summary->parentWidget()->parentWidget());
      const int reach = area ? area->viewport()->height() + area->verticalScrollBar()->maximum()
                             : summary->visibleRegion().boundingRect().height();
      if (summary->height() < text || reach < text) {
        return QString("the summary shows %1 of its %2 pixels").arg(reach).arg(text);
      }
      QPlainTextEdit* report = s.output().OutputMemo;
      if (report->viewport()->height() < 5 * report->fontMetrics().lineSpacing()) {
        return QString("the report has %1 pixels").arg(report->viewport()->height());
      }
    }
    return {};
  };
  struct Step {
    const char* name;
    std::function<void()> act;
  };
  TInputTab& in = s.input();
  const Step steps[] = {
      {"Intro", [&] { s.form->PageControl1->setCurrentWidget(s.form->IntroTabSheet); }},
      {"Figures", [&] { s.form->PageControl1->setCurrentWidget(s.form->FiguresTabSheet); }},
      {"Input", [&] { s.form->PageControl1->setCurrentWidget(s.form->InputTabSheet); }},
      {"segmented types, both variables", [&] { Pick(in.PrefComboBox, 2); }},
      {"curves", [&] { FirstVariableOnly(s); Pick(in.PrefComboBox, 3); }},
      {"breakpoints", [&] { Pick(in.PrefComboBox, 4); }},
      {"exclusion, both variables", [&] { Pick(in.OptionComboBox, 0); Pick(in.ExclComboBox, 1); }},
      {"weights", [&] { Pick(in.WeightComboBox, 1); }},
      {"paste help", [&] { Click(in.PasteButton); }},
      {"report", [&] {
         Click(in.PasteButton);
         Pick(in.ExclComboBox, 0);
         QVERIFY(s.Run("fit.inp"));
       }},
      {"graph", [&] { Click(s.output().SeeGraphButton); }},
      {"graph choices", [&] { Click(s.form->SelectGraphButton); }},
  };
  for (const Step& step : steps) {
    step.act();
    QVERIFY2(fits(), qPrintable(QString("%1: least size %2 x %3")
                                    .arg(step.name)
                                    .arg(s.form->minimumSizeHint().width())
                                    .arg(s.form->minimumSizeHint().height())));
    for (const QSize size : {room, QSize(1280, 800 - 40), QSize(860, 600)}) {
      const QRect screen = s.form->screen()->availableGeometry();
      s.form->move(screen.topLeft());
      s.form->resize(size);
      QApplication::processEvents();
      QString fault = overlaps(s.form->PageControl1->currentWidget());
      if (size == room) Shot(s.form.get(), QString("small-") + step.name);
      // The window stays at the size it was given (what it shows never makes it grow), and on
      // the screen where that size fits it.
      if (fault.isEmpty() && s.form->size() != size) {
        fault = QString("the window grew to %1 x %2").arg(s.form->width()).arg(s.form->height());
      }
      if (fault.isEmpty() && size == room && !screen.contains(s.form->frameGeometry())) {
        fault = "the window leaves the screen";
      }
      if (fault.isEmpty()) fault = shownWhole();
      QVERIFY2(fault.isEmpty(), qPrintable(QString("%1 at %2 x %3: %4")
                                               .arg(step.name)
                                               .arg(size.width())
                                               .arg(size.height())
                                               .arg(fault)));
    }
  }
}

void WindowWordsTest::PasteHelpGraphNameAndTheRowLimit() {
  Screen s;
  TInputTab& in = s.input();
  // The paste help tells the ways of today: Ctrl+V, headers, the column question and undo.
  Click(in.PasteButton);
  QVERIFY(in.PasteMemo->isVisible());
  const QString help = in.PasteMemo->toPlainText();
  for (const char* words : {"Ctrl+V", "A first line without numbers is a header",
                            "asks which column is Y, X, Z", "undone with Ctrl+Z",
                            "at most 100,000 rows"}) {
    QVERIFY2(help.contains(words), words);
  }
  QVERIFY(!help.contains("right clicking"));
  Click(in.PasteButton);

  // The graph is offered as a PNG picture named after the data's files.
  s.OpenInput(s.Example("01-yield-watertable.inp"));
  QVERIFY(s.Run("yield.inp"));
  Click(s.output().SeeGraphButton);
  s.dialogs->files.clear();
  Click(s.form->SaveColourButton);
  QCOMPARE(s.dialogs->lastFolder, QFileInfo(s.dir.filePath("yield.png")).absoluteFilePath());
  QVERIFY(s.dialogs->lastFilter.startsWith("PNG picture (*.png);;"));

  // At most 100,000 rows, whichever way they come: an input file, a table, the count box.
  TDMVornax big;
  big.FileName = s.dir.filePath("big.inp").toStdString();
  big.Resize(100001);
  big.GridRowCount = 100001;
  QByteArray table = "y,x\n";
  for (int i = 0; i < 100001; ++i) {
    big.YData[static_cast<size_t>(i)] = i % 7;
    big.XData[static_cast<size_t>(i)] = i;
    table += QByteArray::number(i % 7) + "," + QByteArray::number(i) + "\n";
  }
  big.NrOfData = 100001;
  QVERIFY(WriteInputFile(big, RunOptions{}, *s.dialogs));
  const QString tablePath = s.File("big.csv", table);
  s.form->PageControl1->setCurrentWidget(s.form->InputTabSheet);
  const int rows = in.StringGrid1->DataRows();
  struct Case {
    const char* name;
    std::function<void()> act;
    const char* message;
  };
  const Case cases[] = {
      {"input file", [&] { s.OpenInput(s.dir.filePath("big.inp")); },
       "The file holds 100001 data sets; the table of the window takes at most 100000."},
      {"table", [&] { OpenTable(s, tablePath); },
       "The table holds 100001 data rows; the table of the window takes at most 100000."},
      {"count box",
       [&] {
         in.NrOfDataEdit->setFocus();
         in.NrOfDataEdit->selectAll();
         QTest::keyClicks(in.NrOfDataEdit, "100001");
         QTest::keyClick(in.NrOfDataEdit, Qt::Key_Return);
       },
       "The table takes at most 100000 data sets"},
  };
  for (const Case& c : cases) {
    s.dialogs->messages.clear();
    c.act();
    QVERIFY2(!s.dialogs->messages.empty(), c.name);
    QCOMPARE(QString::fromStdString(s.dialogs->messages.back()), QString(c.message));
    QCOMPARE(in.StringGrid1->DataRows(), rows);
  }
}

}  // namespace vornax::app::test
