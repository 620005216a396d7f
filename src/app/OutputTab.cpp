#include "app/OutputTab.h"

#include <QFileInfo>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include <filesystem>

#include "app/InputTab.h"
#include "app/TabControls.h"
#include "app/VornaxForm.h"
#include "data/OutputFile.h"
#include "data/TextFile.h"
#include "forms/SymbolsForm.h"
#include "run/ResultSummary.h"

namespace vornax::app {
namespace {

std::string Std(const QString& s) { return s.toStdString(); }

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
  layout->addLayout(buttons);
  SummaryPanel = new QLabel(page);
  SummaryPanel->setObjectName("SummaryPanel");
  SummaryPanel->setWordWrap(true);
  SummaryPanel->setTextFormat(Qt::RichText);
  SummaryPanel->setTextInteractionFlags(Qt::TextSelectableByMouse);
  SummaryPanel->setStyleSheet(
      "QLabel#SummaryPanel { background: #f3f7ee; border: 1px solid #a9bf95; border-radius: 4px;"
      " padding: 6px 10px; color: #1f2a16; }");
  SummaryPanel->hide();
  layout->addWidget(SummaryPanel);
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
  SymbolsForm = new forms::TSymbolsForm(&form_);
}

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
  const std::vector<std::string> lines = SummaryLines(form_.session().Data.Result);
  const bool show = SummaryForShownOutput && !lines.empty() && !OutputMemo->isHidden() &&
                    AnovaButton->text() == "Anova table";
  if (show) {
    QString html;
    for (size_t i = 0; i < lines.size(); ++i) {
      const QString line = QString::fromStdString(lines[i]).toHtmlEscaped();
      html += i == 0 ? "<b>" + line + "</b>" : "<br>" + line;
    }
    SummaryPanel->setText(html);
  }
  SummaryPanel->setVisible(show);
}

void TOutputTab::ShowOutputControls(bool show) {
  OutputMemo->setVisible(show);
  AnovaButton->setVisible(show);
  SymbolsButton->setVisible(show);
  SeeGraphButton->setVisible(show);
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
  TDMVornax& data = form_.session().Data;
  if (path.isEmpty()) {
    // Nothing was chosen: what is shown, and the user's preferences, stay as they are.
    form_.Dialogs().ShowMessage("No output file selected");
    form_.ShowTab(this);
    return;
  }
  // A file that is no report (an input file, an ANOVA table) is refused, and what was shown
  // stays: shown as a report it would offer graphs and tables it does not have.
  if (QFileInfo(path).isFile()) {
    const auto lines = ReadTextLines(std::filesystem::path(Std(path)));
    const std::string reason = lines && lines->size() >= 2 ? NotAReportReason(*lines, Std(path)) : "";
    if (!reason.empty()) {
      form_.Dialogs().ShowMessage(reason);
      form_.ShowTab(this);
      return;
    }
  }
  ShowOutputControls(false);
  // Whatever was shown belonged to the file named before; it stays away unless this one reads.
  form_.OutputAvailable = false;
  data.OlderFileShown = false;
  SummaryForShownOutput = false;
  data.FileName = Std(path);
  if (!QFileInfo(path).isFile()) {
    form_.Dialogs().ShowMessage("File does not exist, please select another one,");
  } else if (ReadTextFile(data, data.FileName, ".out", form_.Dialogs())) {
    form_.ShowStatus("The output file can be imported into spreadsheets");
    ShowOutputLines();
    form_.OutputAvailable = true;
  }
  form_.SetDialogDirs(QFileInfo(path).absolutePath());
  if (form_.OutputAvailable) {
    AnovaButton->setText("Anova table");
    SymbolsButton->setText("Symbols");
    form_.InputTabSheet->ResetPreferences();
  }
  ShowOutputControls(form_.OutputAvailable);
  form_.ShowTab(this);
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

}  // namespace vornax::app
