// Dialogs that a test answers instead of a person: messages and questions are recorded in
// order, questions answered from a queue, file dialogs return prepared paths, and the pauses of
// the wait panel do not wait. The wait panel itself is still shown and filled.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include <QPrinter>
#include <QString>

#include "app/WindowDialogs.h"

namespace vornax::app::test {

class ScriptedDialogs : public WindowDialogs {
 public:
  using WindowDialogs::WindowDialogs;

  void ShowMessage(const std::string& text) override { messages.push_back(text); }
  bool AskYesNo(const std::string& question) override {
    questions.push_back(question);
    if (answers.empty()) return defaultAnswer;
    const bool answer = answers.front();
    answers.pop_front();
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
  std::vector<std::string> progress;
  std::vector<int> pauses;
  std::deque<bool> answers;
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

}  // namespace vornax::app::test
