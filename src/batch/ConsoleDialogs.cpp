// Console dialogs for vornax-batch.
#include "batch/ConsoleDialogs.h"

namespace vornax::batch {

void ConsoleDialogs::ShowMessage(const std::string& text) {
  shown_.push_back(text);
  err_ << text << '\n' << std::flush;
}

bool ConsoleDialogs::AskYesNo(const std::string& question) {
  auto it = answers_.find(question);
  const bool answer = it != answers_.end() ? it->second : defaultAnswer;
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
