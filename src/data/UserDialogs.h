// The one road from an analysis to the person using the program.
//
// Engines never open windows. Every message box, yes/no question and progress line of a run goes
// through a UserDialogs: the desktop window shows boxes, vornax-batch writes to standard error and
// answers questions from its command line, and the tests record every text in order.
#pragma once

#include <string>

namespace vornax {

class UserDialogs {
 public:
  virtual ~UserDialogs() = default;

  // A modal box with an OK button: stops, warnings and information.
  virtual void ShowMessage(const std::string& text) = 0;
  // A confirmation box; true for Yes.
  virtual bool AskYesNo(const std::string& question) = 0;

  // The progress panel of a run ("wait panel"): shown and cleared, lines added, hidden again.
  virtual void ShowProgress() = 0;
  virtual void AddProgress(const std::string& line) = 0;
  virtual void HideProgress() = 0;

  // The fixed waits that pace the progress panel; only the window really waits.
  virtual void Pause(int milliseconds) = 0;
};

// "A program error occurred." directly followed by the detail, as one message. The program goes
// on running: the caller has already kept its data as they were.
inline void ShowProgramError(UserDialogs& dialogs, const std::string& detail) {
  dialogs.ShowMessage("A program error occurred." + detail);
}

}  // namespace vornax
