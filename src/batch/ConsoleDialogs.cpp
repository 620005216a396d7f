// Console dialogs for vornax-batch.
#include "batch/ConsoleDialogs.h"

#include <exception>

namespace vornax::batch {

namespace {

bool SaysTheRunIsDone(const std::string& text) {
  return text.rfind("The input is saved in ", 0) == 0;
}

}  // namespace

void ConsoleDialogs::ShowMessage(const std::string& text) {
  shown_.push_back(text);
  if (quiet_ || SaysTheRunIsDone(text)) {
    waiting_.push_back(text);
    return;
  }
  err_ << text << '\n' << std::flush;
}

ConsoleDialogs::~ConsoleDialogs() {
  if (std::uncaught_exceptions() > 0) return;
  for (const std::string& text : waiting_) {
    if (!SaysTheRunIsDone(text)) err_ << text << '\n';
  }
  err_ << std::flush;
}

void ConsoleDialogs::Release(bool succeeded) {
  for (const std::string& text : waiting_) {
    if (!succeeded || (!quiet_ && SaysTheRunIsDone(text))) err_ << text << '\n';
  }
  err_ << std::flush;
  waiting_.clear();
}

bool ConsoleDialogs::AskYesNo(const std::string& question) {
  auto it = answers_.find(question);
  const bool answer = it != answers_.end() ? it->second : defaultAnswer;
  if (quiet_) return answer;  // the answer is the user's own choice, or the default they know
  auto note = notes_.find(question);
  if (note != notes_.end()) {
    err_ << note->second << '\n' << std::flush;
    return answer;
  }
  err_ << question << ' ' << (answer ? "Yes" : "No") << '\n' << std::flush;
  return answer;
}

void ConsoleDialogs::AddProgress(const std::string& line) {
  if (!quiet_) err_ << line << '\n' << std::flush;
}

}  // namespace vornax::batch
