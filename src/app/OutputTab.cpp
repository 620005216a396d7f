#include "app/OutputTab.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProgressBar>
#include <QSaveFile>
#include <QScrollArea>
#include <QThread>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <filesystem>

#include "app/InputTab.h"
#include "app/TabControls.h"
#include "app/VornaxForm.h"
#include "data/OutputFile.h"
#include "data/TextFile.h"
#include "forms/SymbolsForm.h"
#include "run/BreakTest.h"
#include "run/ReportTable.h"
#include "run/ResultSummary.h"

namespace vornax::app {
namespace {

constexpr const char* kWarningColour = "#b34700";

// Lines that warn are shown in a colour that says so.
bool Warns(const std::string& line) {
  return line.rfind("Warning", 0) == 0 || line.rfind("No break beyond", 0) == 0;
}

// The break test's answer in plain words, at the confidence chosen for the run.
std::string BreakVerdict(const RunResult& result) {
  const BreakTestResult& test = result.BreakTest;
  const std::string p = "(p = " + FormatP(test.P, test.Permutations) + ")";
  const double alpha = 1 - result.ConfidencePercent / 100.0;
  return test.P > alpha + 1e-12 ? "No break beyond what chance gives " + p
                                 : "A break beyond what chance gives " + p;
}

}  // namespace

TOutputTab::TOutputTab(TVornaxForm& form) : form_(form) {
  setObjectName("OutputTabSheet");
  QWidget* page = this;
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
  ExportButton = Button("Export table (CSV)", page, "ExportButton");
  ExportButton->setToolTip("The data table of the report, with the calculated values, for spreadsheets");
  buttons->addWidget(ExportButton);
  layout->addLayout(buttons);
  SummaryPanel = new QLabel(page);
  SummaryPanel->setObjectName("SummaryPanel");
  SummaryPanel->setWordWrap(true);
  SummaryPanel->setTextFormat(Qt::RichText);
  SummaryPanel->setTextInteractionFlags(Qt::TextSelectableByMouse);
  SummaryPanel->setStyleSheet(
      "QLabel#SummaryPanel { background: #f3f7ee; border: 1px solid #a9bf95; border-radius: 4px;"
      " padding: 6px 10px; color: #1f2a16; }");
  // The summary scrolls in a box as tall as its text, up to a share of the tab: a long summary
  // (two variables, warnings) at a large scale factor would otherwise push the report out of
  // sight and the window past the screen.
  SummaryArea = new QScrollArea(page);
  SummaryArea->setObjectName("SummaryArea");
  SummaryArea->setFrameShape(QFrame::NoFrame);
  SummaryArea->setWidgetResizable(true);
  SummaryArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  SummaryArea->setWidget(SummaryPanel);
  SummaryArea->hide();
  layout->addWidget(SummaryArea);
  BreakTestPanel = new QWidget(page);
  BreakTestPanel->setObjectName("BreakTestPanel");
  auto* test = new QHBoxLayout(BreakTestPanel);
  test->setContentsMargins(0, 0, 0, 0);
  BreakTestLabel = Label("", BreakTestPanel, "BreakTestLabel");
  BreakTestProgress = new QProgressBar(BreakTestPanel);
  BreakTestProgress->setObjectName("BreakTestProgress");
  BreakTestProgress->setMaximumWidth(260);
  CancelButton = Button("Cancel", BreakTestPanel, "CancelButton");
  test->addWidget(BreakTestLabel);
  test->addWidget(BreakTestProgress);
  test->addWidget(CancelButton);
  test->addStretch(1);
  BreakTestPanel->hide();
  layout->addWidget(BreakTestPanel);
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
  connect(SeeGraphButton, &QPushButton::clicked, this, [this] { form_.SeeGraphButtonClick(); });
  connect(CancelButton, &QPushButton::clicked, this, [this] { CancelButtonClick(); });
  connect(ExportButton, &QPushButton::clicked, this, [this] { ExportButtonClick(); });
  SymbolsForm = new forms::TSymbolsForm(&form_);
}

TOutputTab::~TOutputTab() { StopBreakTest(); }

void TOutputTab::OutputTabSheetShow() {
  form_.ShowStatus("The output file can be inspected");
  form_.InputSaveAction->setEnabled(false);
  form_.GraphSaveAction->setEnabled(false);
  if (!form_.OutputAvailable) ShowOutputControls(false);
}

void TOutputTab::OutputTabSheetExit() {
  SymbolsForm->hide();
  SymbolsButton->setText("Symbols");
}

void TOutputTab::ShowSummary() {
  const std::vector<std::string>& lines = SummaryTextLines;
  const bool show = SummaryForShownOutput && !lines.empty() && !OutputMemo->isHidden() &&
                    AnovaButton->text() == "Anova table";
  if (show) {
    QString html;
    for (size_t i = 0; i < lines.size(); ++i) {
      QString line = QString::fromStdString(lines[i]).toHtmlEscaped();
      if (Warns(lines[i])) line = QString("<span style=\"color:%1\">%2</span>").arg(kWarningColour, line);
      html += i == 0 ? "<b>" + line + "</b>" : "<br>" + line;
    }
    SummaryPanel->setText(html);
  }
  SummaryArea->setVisible(show);
  FitSummaryHeight();
}

void TOutputTab::FitSummaryHeight() {
  if (SummaryArea->isHidden()) return;
  const int frame = 2 * SummaryArea->frameWidth();
  int width = SummaryArea->width() - frame;
  // Before the first layout the area has no width of its own yet: the tab's, less its margins.
  if (width < 100) width = this->width() - 16;
  const int text = SummaryPanel->heightForWidth(std::max(100, width)) + frame;
  // At most two fifths of the tab, and never less than three lines, so the report keeps the rest.
  const int most = std::max(3 * fontMetrics().lineSpacing() + 16, height() * 2 / 5);
  SummaryArea->setFixedHeight(std::min(text, most));
}

void TOutputTab::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  FitSummaryHeight();
}

void TOutputTab::ShowOutputControls(bool show) {
  OutputMemo->setVisible(show);
  AnovaButton->setVisible(show);
  SymbolsButton->setVisible(show);
  SeeGraphButton->setVisible(show);
  ExportButton->setVisible(show);
  ShowSummary();
}

void TOutputTab::ShowOutputLines() {
  QStringList lines;
  lines.reserve(static_cast<qsizetype>(form_.session().Data.OutputLines.size()));
  for (const std::string& line : form_.session().Data.OutputLines) lines << QString::fromLocal8Bit(line.c_str());
  OutputMemo->setPlainText(lines.join('\n'));
  OutputMemo->moveCursor(QTextCursor::Start);
}

void TOutputTab::OutputOpenActionExecute() {
  if (form_.Running) return;
  const QString path = form_.Dialogs().GetOpenFileName("Open output", form_.DialogDir, "Output files (*.out)");
  if (path.isEmpty()) {
    // Nothing was chosen: what is shown, and the user's preferences, stay as they are.
    form_.Dialogs().ShowMessage("No output file selected");
    form_.ShowTab(this);
    return;
  }
  OpenOutputFile(path);
}

bool TOutputTab::OpenOutputFile(const QString& path) {
  if (form_.Running) return false;
  TDMVornax& data = form_.session().Data;
  // A file that is no report (an input file, an ANOVA table) is refused, and what was shown
  // stays: shown as a report it would offer graphs and tables it does not have.
  if (QFileInfo(path).isFile()) {
    const auto lines = ReadTextLines(std::filesystem::path(Std(path)));
    const std::string reason = lines && lines->size() >= 2 ? NotAReportReason(*lines, Std(path)) : "";
    if (!reason.empty()) {
      form_.Dialogs().ShowMessage(reason);
      form_.ShowTab(this);
      return false;
    }
  }
  StopBreakTest();
  BreakTestPanel->hide();
  ShowOutputControls(false);
  // Whatever was shown belonged to the file named before; it stays away unless this one reads.
  form_.OutputAvailable = false;
  data.OlderFileShown = false;
  SummaryForShownOutput = false;
  resultShown_ = false;
  SummaryTextLines.clear();
  summaryPath_.clear();
  data.FileName = Std(path);
  if (!QFileInfo(path).isFile()) {
    form_.Dialogs().ShowMessage("File does not exist, please select another one,");
  } else if (ReadTextFile(data, data.FileName, ".out", form_.Dialogs())) {
    form_.ShowStatus("The output file can be imported into spreadsheets");
    ShowOutputLines();
    form_.OutputAvailable = true;
    form_.SetCurrentFile(path);
    LoadSummary(path);
  }
  form_.SetDialogDirs(QFileInfo(path).absolutePath());
  if (form_.OutputAvailable) {
    AnovaButton->setText("Anova table");
    SymbolsButton->setText("Symbols");
    form_.InputTabSheet->ResetPreferences();
  }
  ShowOutputControls(form_.OutputAvailable);
  form_.ShowTab(this);
  return form_.OutputAvailable;
}

void TOutputTab::AnovaButtonClick() {
  TDMVornax& data = form_.session().Data;
  if (AnovaButton->text() == "Anova table") {
    // The caption says what is shown: it changes only when the table could be read.
    if (ReadTextFile(data, WithExtension(data.FileName, ".var"), ".var", form_.Dialogs())) {
      AnovaButton->setText("Close Anova");
      ShowOutputLines();
      SymbolsButton->hide();
      SymbolsForm->hide();
      SeeGraphButton->hide();
      ExportButton->hide();
      ShowSummary();
      form_.ShowTab(this);
    }
  } else {
    if (ReadTextFile(data, WithExtension(data.FileName, ".out"), ".out", form_.Dialogs())) {
      AnovaButton->setText("Anova table");
      SymbolsButton->setText("Symbols");
      ShowOutputLines();
      SymbolsButton->show();
      SeeGraphButton->show();
      ExportButton->show();
      ShowSummary();
      form_.ShowTab(this);
    }
  }
}

void TOutputTab::SymbolsButtonClick() {
  if (SymbolsForm->isVisible()) {
    SymbolsForm->hide();
    SymbolsButton->setText("Symbols");
    return;
  }
  const QPoint at = form_.mapToGlobal(QPoint(form_.width() - SymbolsForm->width() - 20, 90));
  SymbolsForm->move(at);
  SymbolsForm->show();
  SymbolsForm->raise();
  SymbolsButton->setText("Close symbols");
}

// ---------------------------------------------------------------------------------------------
// The summary and the break test

void TOutputTab::RunFinished(const QString& outputPath) {
  StopBreakTest();
  resultShown_ = true;
  summaryPath_ = QString::fromStdString(WithExtension(Std(outputPath), ".summary").string());
  ComposeSummary();
  SaveSummary();
  ShowSummary();
  StartBreakTest();
}

void TOutputTab::ComposeSummary() {
  const RunResult& result = form_.session().Data.Result;
  SummaryTextLines = SummaryForShownOutput ? SummaryLines(result) : std::vector<std::string>{};
  if (SummaryTextLines.empty()) return;
  if (result.BreakTest.Done) {
    SummaryTextLines.insert(SummaryTextLines.begin() + 1, BreakVerdict(result));
  }
}

void TOutputTab::SaveSummary() {
  if (summaryPath_.isEmpty()) return;
  // A summary of an earlier run of the same name must not stand beside this report.
  if (SummaryTextLines.empty()) {
    QFile::remove(summaryPath_);
    return;
  }
  QSaveFile file(summaryPath_);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) return;
  for (const std::string& line : SummaryTextLines) {
    file.write(line.c_str());
    file.write("\n");
  }
  if (!file.commit()) {
    form_.Dialogs().ShowMessage("The summary could not be written to " + Std(summaryPath_));
  }
}

void TOutputTab::LoadSummary(const QString& outputPath) {
  const QString path = QString::fromStdString(WithExtension(Std(outputPath), ".summary").string());
  const QFileInfo summary(path);
  // Only a summary written after the report belongs to it; a report written again later (by
  // vornax-batch, say) has none.
  if (!summary.isFile() || summary.lastModified() < QFileInfo(outputPath).lastModified()) return;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) return;
  while (!file.atEnd() && SummaryTextLines.size() < 200) {
    const QString line = QString::fromUtf8(file.readLine()).trimmed();
    if (!line.isEmpty()) SummaryTextLines.push_back(Std(line));
  }
  SummaryForShownOutput = !SummaryTextLines.empty();
}

bool TOutputTab::BreakTestRunning() const { return worker_ && worker_->isRunning(); }

void TOutputTab::StartBreakTest() {
  const RunResult& result = form_.session().Data.Result;
  if (!SummaryForShownOutput || !BreakTestApplies(result) || BreakTestPermutations < 1) return;
  const unsigned generation = ++generation_;
  cancel_ = std::make_shared<std::atomic<bool>>(false);
  BreakTestOptions options;
  options.Permutations = BreakTestPermutations;
  options.Threads = std::max(1, QThread::idealThreadCount());
  std::shared_ptr<std::atomic<bool>> cancel = cancel_;
  options.Cancelled = [cancel] { return cancel->load(); };
  options.Progress = [this, generation](int done, int total, double) {
    QMetaObject::invokeMethod(this, [this, generation, done, total] {
      if (generation != generation_) return;
      BreakTestProgress->setRange(0, total);
      BreakTestProgress->setValue(done);
    }, Qt::QueuedConnection);
  };
  BreakTestLabel->setText("Break test: shuffling what the straight line leaves ...");
  BreakTestProgress->setRange(0, options.Permutations);
  BreakTestProgress->setValue(0);
  BreakTestProgress->show();
  CancelButton->show();
  BreakTestPanel->show();
  worker_.reset(QThread::create([this, generation, options, result] {
    const BreakTestResult test = RunBreakTest(result, options);
    QMetaObject::invokeMethod(this, [this, generation, test] { BreakTestDone(generation, test); },
                              Qt::QueuedConnection);
  }));
  worker_->start(QThread::LowPriority);
}

void TOutputTab::BreakTestDone(unsigned generation, const BreakTestResult& test) {
  if (generation != generation_) return;
  if (worker_) worker_->wait();
  if (test.Cancelled || !test.Done) {
    BreakTestLabel->setText("Break test cancelled: the summary goes without it.");
    BreakTestProgress->hide();
    CancelButton->hide();
    return;
  }
  BreakTestPanel->hide();
  form_.session().Data.Result.BreakTest = test;
  ComposeSummary();
  SaveSummary();
  ShowSummary();
}

void TOutputTab::CancelButtonClick() {
  if (cancel_) cancel_->store(true);
}

void TOutputTab::StopBreakTest() {
  ++generation_;
  if (cancel_) cancel_->store(true);
  if (worker_) worker_->wait();
  worker_.reset();
  BreakTestPanel->hide();
}

// ---------------------------------------------------------------------------------------------
// The data table for spreadsheets

void TOutputTab::ExportButtonClick() {
  if (!form_.OutputAvailable || !form_.ReadGraphOfOutput()) return;
  // The run's own numbers where they are the report's rows; else the report's, marked so.
  const RunResult& result = form_.session().Data.Result;
  const std::string csv = ReportTableCsv(form_.session().Data.Graph, resultShown_ ? &result : nullptr);
  const QFileInfo report(QString::fromStdString(form_.session().Data.FileName));
  const QString start = report.dir().filePath(report.completeBaseName() + ".csv");
  const QString path = form_.Dialogs().GetSaveFileName("Export the data table", start,
                                                       "CSV tables (*.csv)", "csv");
  if (path.isEmpty()) return;
  if (QFileInfo::exists(path) &&
      !form_.Dialogs().AskToDiscard("The file already exists, overwrite?")) {
    return;
  }
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly) ||
      file.write(csv.data(), static_cast<qint64>(csv.size())) != static_cast<qint64>(csv.size()) ||
      !file.commit()) {
    form_.Dialogs().ShowMessage("The table could not be written to " + Std(path));
    return;
  }
  form_.ShowStatus("The data table was written to " + QDir::toNativeSeparators(path));
}

}  // namespace vornax::app
