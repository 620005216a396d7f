// Dialogs that a test answers instead of a person: messages and questions are recorded in
// order, questions answered from a queue, file dialogs return prepared paths, and the pauses of
// the wait panel do not wait. The wait panel itself is still shown and filled.
#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <QApplication>
#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <QPrinter>
#include <QString>
#include <QStringList>
#include <QTabWidget>

#include "app/DataGrid.h"
#include "app/InputTab.h"
#include "app/TableDialog.h"
#include "app/VornaxForm.h"
#include "app/WindowDialogs.h"
#include "data/TextFile.h"
#include "forms/FinishForm.h"

namespace vornax::app::test {

class ScriptedDialogs : public WindowDialogs {
 public:
  using WindowDialogs::WindowDialogs;

  void ShowMessage(const std::string& text) override { messages.push_back(text); }
  bool Ask(const std::string& question, bool yesIsDefault) override {
    questions.push_back(question);
    if (!yesIsDefault) discardQuestions.push_back(question);
    if (answers.empty()) return defaultAnswer;
    const bool answer = answers.front();
    answers.pop_front();
    return answer;
  }
  int AskChoice(const std::string& question, const std::vector<std::string>& buttons,
                int safest) override {
    choices.push_back({question, buttons});
    if (choiceAnswers.empty()) return safest;
    const int answer = choiceAnswers.front();
    choiceAnswers.pop_front();
    return answer;
  }
  std::optional<std::vector<ColumnRole>> AskColumnRoles(const ColumnQuestion& question) override {
    columnQuestions.push_back(question);
    if (roleAnswers.empty()) return question.preselected;
    auto answer = roleAnswers.front();
    roleAnswers.pop_front();
    return answer;
  }
  void AddProgress(const std::string& line) override {
    progress.push_back(line);
    WindowDialogs::AddProgress(line);
  }
  void Pause(int milliseconds) override { pauses.push_back(milliseconds); }
  QString GetOpenFileName(const QString&, const QString& folder, const QString& filter) override {
    return Next(folder, filter);
  }
  QString GetSaveFileName(const QString&, const QString& folder, const QString& filter,
                          const QString&) override {
    return Next(folder, filter);
  }

  // The print dialog: prints into printFile as PDF; cancelled when it is empty.
  bool SetUpPrinter(QPrinter& printer) override {
    if (printFile.isEmpty()) return false;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(printFile);
    return true;
  }
  QString printFile;

  std::vector<std::string> messages;
  std::vector<std::string> questions;
  std::vector<std::string> discardQuestions;  // asked with No as the default button
  std::vector<std::string> progress;
  std::vector<int> pauses;
  std::deque<bool> answers;
  // The questions with named buttons, and the index of the button to press (none: the safest).
  std::vector<std::pair<std::string, std::vector<std::string>>> choices;
  std::deque<int> choiceAnswers;
  // The column questions of pastes, and the roles to answer (none: as preselected; nullopt:
  // cancelled).
  std::vector<ColumnQuestion> columnQuestions;
  std::deque<std::optional<std::vector<ColumnRole>>> roleAnswers;
  bool defaultAnswer = true;
  std::deque<QString> files;  // answers of the file dialogs; empty: cancelled
  QString lastFolder, lastFilter;

 private:
  QString Next(const QString& folder, const QString& filter) {
    lastFolder = folder;
    lastFilter = filter;
    if (files.empty()) return {};
    QString f = files.front();
    files.pop_front();
    return f;
  }
};

// The lines of a file the run wrote (none when it cannot be read), and lines as a text box
// shows them.
inline std::vector<std::string> Lines(const QString& path) {
  auto lines = ReadTextLines(path.toStdString());
  return lines ? *lines : std::vector<std::string>{};
}

inline QString Joined(const std::vector<std::string>& lines) {
  QStringList list;
  for (const auto& l : lines) list << QString::fromStdString(l);
  return list.join('\n');
}

// The main window on the Input tab, its boxes and file dialogs answered by the test.
struct ScriptedWindow {
  std::unique_ptr<TVornaxForm> form = std::make_unique<TVornaxForm>();
  ScriptedDialogs* dialogs = nullptr;
  ScriptedWindow() {
    auto d = std::make_unique<ScriptedDialogs>(form.get(), form->InputTabSheet->WaitMemo);
    dialogs = d.get();
    form->SetDialogs(std::move(d));
    form->FinishForm->OnFinish = [] {};
    form->PageControl1->setCurrentWidget(form->InputTabSheet);
  }
  ~ScriptedWindow() {
    for (QWidget* w : QApplication::topLevelWidgets()) w->hide();
  }
  DataGrid& grid() { return *form->InputTabSheet->StringGrid1; }
  QString cell(int row, int column) { return grid().CellText(row, column); }
};

// Writes `content` as the file `name` in `dir`; its path, or empty when it could not be written.
inline QString WriteFileIn(const QTemporaryDir& dir, const QString& name,
                           const QByteArray& content) {
  const QString path = dir.filePath(name);
  QFile f(path);
  if (!f.open(QIODevice::WriteOnly) || f.write(content) != content.size()) return {};
  return path;
}

// A copy of the shipped example `name` in `dir` (the example itself is never written to).
inline QString CopyExampleInto(const QTemporaryDir& dir, const QString& name) {
  const QString path = dir.filePath(name);
  QFile::remove(path);
  return QFile::copy(QString(VORNAX_EXAMPLES_DIR) + "/" + name, path) ? path : QString();
}

// Runs `act` on the column dialog of a table once it is open and modal, then lets it end.
inline void OnColumnDialog(std::function<void(TTableColumnsDialog&)> act) {
  QTimer::singleShot(0, [act] {
    auto* dialog = dynamic_cast<TTableColumnsDialog*>(QApplication::activeModalWidget());
    if (!dialog) {
      QTimer::singleShot(20, [act] { OnColumnDialog(act); });
      return;
    }
    act(*dialog);
  });
}

}  // namespace vornax::app::test
