// The dialogs of vornax-batch: messages go to standard error, questions are answered from the
// command line, progress lines go to standard error unless --quiet, and nothing waits.
#pragma once

#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "data/UserDialogs.h"

namespace vornax::batch {

class ConsoleDialogs : public UserDialogs {
 public:
  ConsoleDialogs(std::ostream& err, bool quiet) : err_(err), quiet_(quiet) {}
  // What still waits is the reason of a refusal (an input file that could not be read, say),
  // printed as on a failure; a run stopped by an exception says nothing more.
  ~ConsoleDialogs() override;
  ConsoleDialogs(const ConsoleDialogs&) = delete;
  ConsoleDialogs& operator=(const ConsoleDialogs&) = delete;

  // The answer to give to a question; questions without one are answered `defaultAnswer`.
  void SetAnswer(const std::string& question, bool answer) { answers_[question] = answer; }
  // A question settled on the command line is not printed as one nobody answered: `note` says
  // what was done instead.
  void SetAnswer(const std::string& question, bool answer, const std::string& note) {
    answers_[question] = answer;
    notes_[question] = note;
  }
  bool defaultAnswer = true;

  // With --quiet a message waits until the run is known to have failed (a run that succeeds
  // quietly prints nothing); the word that the run is done waits in any case until every file
  // is written, so that a run stopped after its report says only that it stopped.
  void ShowMessage(const std::string& text) override;
  // Prints what waits: everything when the run failed (its reasons), else the word that it is
  // done, unless quiet.
  void Release(bool succeeded);
  // Every message shown, in order, so the command can add a plain word to a terse one.
  const std::vector<std::string>& Shown() const { return shown_; }
  // The question and the answer given are both written (or the note set for it), so the log
  // shows what was decided.
  bool AskYesNo(const std::string& question) override;
  void ShowProgress() override {}
  void AddProgress(const std::string& line) override;
  void HideProgress() override {}
  void Pause(int) override {}

 private:
  std::ostream& err_;
  bool quiet_;
  std::map<std::string, bool> answers_;
  std::map<std::string, std::string> notes_;
  std::vector<std::string> shown_;
  std::vector<std::string> waiting_;
};

}  // namespace vornax::batch
