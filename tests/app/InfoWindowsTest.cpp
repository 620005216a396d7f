// The Intro and Figures tabs and the explanation windows: their literal texts, which button shows
// what, the pictures decoded from the program's resources, and the finish window's title bar.
#include "InfoWindowsTest.h"

#include <QApplication>
#include <QFile>
#include <QImageReader>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QWindow>

#include <memory>

#include "AppTestSupport.h"
#include "app/DataGrid.h"
#include "app/VornaxForm.h"
#include "data/TextFile.h"
#include "forms/FinishForm.h"
#include "forms/InfoForms.h"
#include "forms/SelectForms.h"
#include "forms/SymbolsForm.h"

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
};

QStringList PlainLines(const QTextEdit* memo) { return memo->toPlainText().split('\n'); }

// The share of pixels close to a colour.
double Share(const QImage& image, QColor colour, int tolerance = 40) {
  int near = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const QColor c = image.pixelColor(x, y);
      if (std::abs(c.red() - colour.red()) + std::abs(c.green() - colour.green()) +
              std::abs(c.blue() - colour.blue()) <= tolerance) {
        ++near;
      }
    }
  }
  return static_cast<double>(near) / (image.width() * image.height());
}

// Thin lines lose some of their colour to the JPEG compression: cyan and yellow are told by
// which channels stand high and which low.
bool Cyanish(QColor c) { return c.red() < 110 && c.green() > 160 && c.blue() > 160; }
bool Yellowish(QColor c) { return c.red() > 160 && c.green() > 160 && c.blue() < 110; }

double Share(const QImage& image, bool (*kind)(QColor)) {
  int n = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) n += kind(image.pixelColor(x, y)) ? 1 : 0;
  }
  return static_cast<double>(n) / (image.width() * image.height());
}

}  // namespace

void InfoWindowsTest::IntroTextsAndWindowCaptions() {
  Window w;
  TVornaxForm& f = *w.form;
  // The program starts on the Intro tab with the introduction.
  QCOMPARE(f.PageControl1->currentWidget(), f.IntroTabSheet);
  QCOMPARE(f.StatusText(), QString("Click on the Input tab to proceed."));
  QVERIFY(!f.InputSaveAction->isEnabled());
  QVERIFY(!f.GraphSaveAction->isEnabled());
  QCOMPARE(f.IntroStack->currentWidget(), f.IntroMemo);
  QVERIFY(f.MoreInfoButton->isHidden());

  QCOMPARE(f.BackButton->text(), QString("Introduction"));
  QCOMPARE(f.TypesButton->text(), QString("Function types"));
  QCOMPARE(f.TestsButton->text(), QString("Significance tests"));
  QCOMPARE(f.SequenceButton->text(), QString("Calculation sequence"));
  QCOMPARE(f.MethodsButton->text(), QString("Calculation methods"));
  QCOMPARE(f.MoreInfoButton->text(), QString("More info"));
  QCOMPARE(f.Figures_Button->text(), QString("All types"));
  QCOMPARE(f.Conf_Button->text(), QString("Confidence belt"));
  QCOMPARE(f.Methods_Button->text(), QString("Methods type 3 or 4"));

  // Each memo's first line is its heading, blanks and all.
  QCOMPARE(PlainLines(f.IntroMemo).front(), QString("                INTRODUCTION TO THE VornaxA PROGRAM"));
  QCOMPARE(PlainLines(f.TypesMemo).front(), QString("               EXPLANATION OF THE FUNCTION TYPES USED"));
  QCOMPARE(PlainLines(f.TestsMemo).front(),
           QString("             SIGNIFICANCE TESTS FOR THE FUNCTION TYPES USED"));
  QCOMPARE(PlainLines(f.SequenceMemo).front(),
           QString("               EXPLANATION OF THE CALCULATION SEQUENCES"));
  QCOMPARE(PlainLines(f.MethodsMemo).front(), QString("               EXPLANATION OF THE CALCULATION METHODS"));
  QCOMPARE(PlainLines(f.MoreInfoForm->MoreInfoMemo).front(),
           QString(" Vornax AND THE DETERMINATION OF THE REGRESSION TYPE"));
  // The seven types, each on a line of its own as the help has always named them.
  const QStringList types = PlainLines(f.TypesMemo);
  for (const char* line : {"Type 0 - a single horizontal line without break-point: no relation",
                           "Type 1 - a single sloping line without break-point",
                           "Type 2 - two connected segments with sloping lines",
                           "Type 3 - a horizontal segment followed by a sloping line",
                           "Type 4 - a sloping segment followed by a horizontal line",
                           "Type 5 - two horizontal segments at different levels",
                           "Type 6 - two disconnected segments of which at least one sloping,"}) {
    QVERIFY2(types.contains(QString(line)), line);
  }
  const QStringList more = PlainLines(f.MoreInfoForm->MoreInfoMemo);
  QVERIFY(more.contains("The factor W=1.2 is an arbitray weight factor."));
  QVERIFY(more.last().contains("\"Confidence help\""));
  // The texts name this program only and send nobody elsewhere.
  for (QTextEdit* memo : std::initializer_list<QTextEdit*>{f.IntroMemo, f.TypesMemo, f.TestsMemo, f.SequenceMemo,
                                                           f.MethodsMemo, f.MoreInfoForm->MoreInfoMemo,
                                                           f.HelpForm->HelpMemo}) {
    const QString text = memo->toPlainText();
    QVERIFY2(!text.contains("http") && !text.contains("www.") && !text.contains('@'), qPrintable(memo->objectName()));
    QVERIFY(memo->isReadOnly());
  }
  // Two independent variables are X and Z.
  QVERIFY(f.InputTabSheet->HelpMemo->toPlainText().contains("of one dependent variable (Y) on one (X) or two (X,Z)\n"));
  QVERIFY(!f.InputTabSheet->HelpMemo->toPlainText().contains("(X,Y)"));

  QCOMPARE(f.OutputTabSheet->SymbolsForm->windowTitle(), QString("Vornax output symbols"));
  QCOMPARE(f.HelpForm->windowTitle(), QString("Help St.Err.BP and confidence analysis"));
  QCOMPARE(f.MoreInfoForm->windowTitle(), QString("More Info"));
  QCOMPARE(f.FinishForm->windowTitle(), QString("Vornax finish"));
  QCOMPARE(f.InputTabSheet->SelectForm->windowTitle(), QString("SelectForm"));
  QCOMPARE(f.InputTabSheet->Select2Form->windowTitle(), QString("Select curve functions"));
  // Created at start, shown only on request.
  for (QWidget* window : std::initializer_list<QWidget*>{f.OutputTabSheet->SymbolsForm, f.HelpForm, f.MoreInfoForm, f.FinishForm,
                                                         f.InputTabSheet->SelectForm, f.InputTabSheet->Select2Form}) {
    QVERIFY(window->isHidden());
  }
}

void InfoWindowsTest::SignificanceTestsAloneShowMoreInfo() {
  Window w;
  TVornaxForm& f = *w.form;
  f.show();
  QVERIFY(QTest::qWaitForWindowExposed(&f));
  struct Other {
    QPushButton* button;
    QTextBrowser* memo;
  };
  const Other others[] = {{f.TypesButton, f.TypesMemo},
                          {f.SequenceButton, f.SequenceMemo},
                          {f.MethodsButton, f.MethodsMemo},
                          {f.BackButton, f.IntroMemo}};
  for (const Other& other : others) {
    QTest::mouseClick(f.TestsButton, Qt::LeftButton);
    QCOMPARE(f.IntroStack->currentWidget(), f.TestsMemo);
    QVERIFY(f.MoreInfoButton->isVisible());
    QVERIFY(!f.MoreInfoForm->isVisible());
    QTest::mouseClick(f.MoreInfoButton, Qt::LeftButton);
    QVERIFY(f.MoreInfoForm->isVisible());
    // Pressing "Significance tests" again keeps both.
    QTest::mouseClick(f.TestsButton, Qt::LeftButton);
    QVERIFY(f.MoreInfoButton->isVisible());
    QVERIFY(f.MoreInfoForm->isVisible());

    QTest::mouseClick(other.button, Qt::LeftButton);
    QCOMPARE(f.IntroStack->currentWidget(), other.memo);
    QVERIFY2(!f.MoreInfoButton->isVisible(), qPrintable(other.button->text()));
    QVERIFY2(!f.MoreInfoForm->isVisible(), qPrintable(other.button->text()));
    QVERIFY(other.button->isChecked());
  }
  // Coming back to the Intro tab starts again at the introduction, without "More info".
  QTest::mouseClick(f.TestsButton, Qt::LeftButton);
  f.PageControl1->setCurrentWidget(f.FiguresTabSheet);
  f.PageControl1->setCurrentWidget(f.IntroTabSheet);
  QCOMPARE(f.IntroStack->currentWidget(), f.IntroMemo);
  QVERIFY(!f.MoreInfoButton->isVisible());
}

void InfoWindowsTest::IntroTabKeepsAZTitledDataSet() {
  // A one-variable input file whose variable is Z stays Z after the help has been read, in the
  // grid, in the file saved and in the report.
  QTemporaryDir dir;
  const QString source = dir.filePath("z.inp");
  auto lines = ReadTextLines(VORNAX_EXAMPLES_DIR "/01-yield-watertable.inp");
  QVERIFY(lines.has_value());
  QCOMPARE(QString::fromStdString((*lines)[9]), QString("number    Y            X"));
  (*lines)[9] = "number    Y            Z";
  QFile file(source);
  QVERIFY(file.open(QIODevice::WriteOnly));
  for (const std::string& line : *lines) file.write(QByteArray::fromStdString(line + "\r\n"));
  file.close();

  Window w;
  TVornaxForm& f = *w.form;
  f.PageControl1->setCurrentWidget(f.InputTabSheet);
  QVERIFY(f.InputTabSheet->OpenInputFile(source));
  QVERIFY(f.session().Data.SingleIsZ);
  QCOMPARE(f.InputTabSheet->StringGrid1->horizontalHeaderItem(kXColumn)->text(), QString("    Z"));

  f.PageControl1->setCurrentWidget(f.IntroTabSheet);
  f.TestsButtonClick();
  f.BackButtonClick();
  QVERIFY(f.session().Data.SingleIsZ);
  QVERIFY(!f.session().Data.SingleIsX);
  f.PageControl1->setCurrentWidget(f.InputTabSheet);
  QCOMPARE(f.InputTabSheet->StringGrid1->horizontalHeaderItem(kXColumn)->text(), QString("    Z"));

  const QString saved = dir.filePath("saved.inp");
  w.dialogs->files = {saved};
  f.InputTabSheet->InputSaveActionExecute();
  QCOMPARE(f.PageControl1->currentWidget(), f.OutputTabSheet);
  const auto written = ReadTextLines(saved.toStdString());
  QVERIFY(written.has_value());
  QCOMPARE(QString::fromStdString((*written)[9]), QString("number    Y            Z"));
  QCOMPARE(f.OutputTabSheet->OutputMemo->toPlainText().split('\n').front(),
           QString(" Results of program Vornax for the segmented linear regression of Y upon Z."));
}

void InfoWindowsTest::FiguresAreDecodedJpegPictures() {
  // The resources hold JPEG files, which the JPEG reader decodes to the graphs' size.
  struct Picture {
    const char* path;
    bool (*feature)(QColor);  // a colour the picture must show plenty of
    double share;
  };
  const Picture pictures[] = {{":/figures/types.jpg", Cyanish, 0.004},
                              {":/figures/belt.jpg", Yellowish, 0.001},
                              {":/figures/methods.jpg", Cyanish, 0.003}};
  for (const Picture& p : pictures) {
    QImageReader reader(p.path);
    QCOMPARE(reader.format(), QByteArray("jpeg"));
    const QImage image = reader.read();
    QVERIFY2(!image.isNull(), qPrintable(reader.errorString()));
    QCOMPARE(image.size(), QSize(623, 425));
    // Silver around a dark-blue panel, as on the Graphics tab.
    QVERIFY(Share(image.copy(0, 0, 15, 15), QColor(192, 192, 192), 12) > 0.95);
    QVERIFY(Share(image.copy(250, 380, 40, 15), QColor(0, 0, 139), 12) > 0.9);
    QVERIFY2(Share(image, p.feature) > p.share, p.path);
  }
  // The belt is drawn in yellow, so the picture of it is; the types are not belted.
  QVERIFY(Share(QImageReader(":/figures/types.jpg").read(), Yellowish) < 0.0005);

  Window w;
  TVornaxForm& f = *w.form;
  f.PageControl1->setCurrentWidget(f.FiguresTabSheet);
  QCOMPARE(f.FiguresStack->currentWidget(), f.Types_Image);
  QCOMPARE(f.Types_Image->pixmap().size(), QSize(623, 425));
  QVERIFY(!f.Conf_Memo->isVisibleTo(f.FiguresTabSheet));
  QVERIFY(!f.InputSaveAction->isEnabled());

  f.Conf_Button->click();
  QCOMPARE(f.FiguresStack->currentWidget(), f.Conf_Image);
  QCOMPARE(f.Conf_Image->pixmap().size(), QSize(623, 425));
  QVERIFY(f.Conf_Memo->isVisibleTo(f.FiguresTabSheet));
  QCOMPARE(f.Conf_Memo->text().split("\n\n"),
           (QStringList{"The confidence belt of the regression line RL corresponds to the curved lines.",
                        "In Vornax, the curves are approximated by straight lines shown in yellow color.",
                        "The small square shows the central point of the regression line given by (Xav, Yav)"}));

  f.Methods_Button->click();
  QCOMPARE(f.FiguresStack->currentWidget(), f.Methods_Image);
  QVERIFY(!f.Methods_Image->pixmap().isNull());
  QVERIFY(!f.Conf_Memo->isVisibleTo(f.FiguresTabSheet));
  f.Figures_Button->click();
  QCOMPARE(f.FiguresStack->currentWidget(), f.Types_Image);
  QVERIFY(f.Figures_Button->isChecked());
}

void InfoWindowsTest::SymbolsListIsReadOnlyAndScrolls() {
  Window w;
  TVornaxForm& f = *w.form;
  QPlainTextEdit* memo = f.OutputTabSheet->SymbolsForm->SymbolsMemo;
  QCOMPARE(memo->toPlainText().split('\n').front(), QString("EXPLANATION OF SOME SYMBOLS IN THE OUTPUT FILE"));
  QVERIFY(memo->isReadOnly());
  QVERIFY(memo->isEnabled());
  f.OutputTabSheet->SymbolsForm->resize(f.OutputTabSheet->SymbolsForm->width(), 160);
  f.OutputTabSheet->SymbolsForm->show();
  QVERIFY(QTest::qWaitForWindowExposed(f.OutputTabSheet->SymbolsForm));
  QScrollBar* bar = memo->verticalScrollBar();
  QVERIFY(bar->maximum() > 0);
  QVERIFY(bar->isEnabled());
  QTest::keyClick(memo, Qt::Key_End, Qt::ControlModifier);
  QCOMPARE(bar->value(), bar->maximum());
  // Keys scroll but never change the list.
  QTest::keyClicks(memo, "xyz");
  QTest::keyClick(memo, Qt::Key_Backspace);
  QVERIFY(memo->toPlainText().endsWith("1 - S(YZXr sq.)/S({Y-Yav*})sq.\n"));
}

void InfoWindowsTest::ConfidenceHelpClosesWithTheInputTab() {
  Window w;
  TVornaxForm& f = *w.form;
  f.show();
  f.BPButtonClick();
  QVERIFY(f.HelpForm->isVisible());
  QVERIFY(f.HelpForm->HelpMemo->toPlainText().contains("St.Err.BP"));
  QVERIFY(f.HelpForm->HelpMemo->toPlainText().contains("yellow"));
  // Other tabs leave it open; the Input tab closes it.
  f.PageControl1->setCurrentWidget(f.FiguresTabSheet);
  QVERIFY(f.HelpForm->isVisible());
  f.PageControl1->setCurrentWidget(f.InputTabSheet);
  QVERIFY(!f.HelpForm->isVisible());
}

void InfoWindowsTest::FinishWindowTitleBarCloseEndsTheProgram() {
  // The program's own event loop, ended by closing the finish window as its title bar does.
  TVornaxForm f;
  f.show();
  QTimer::singleShot(0, &f, [&f] { f.close(); });
  QTimer::singleShot(50, &f, [&f] {
    QVERIFY(f.FinishForm->isVisible());
    f.FinishForm->windowHandle()->close();
  });
  // Bound to the window, so that it cannot fire in a later test and end that one's event loops.
  QTimer::singleShot(5000, &f, [] { QCoreApplication::exit(7); });
  QCOMPARE(QApplication::exec(), 0);
  QVERIFY(f.isVisible());
  QVERIFY(!f.FinishForm->isVisible());
}

}  // namespace vornax::app::test
