// The window's side of UserDialogs: modal boxes for messages and questions, the wait panel of a
// run, and the file dialogs. Tests derive from it to answer instead of a person.
#pragma once

#include <QString>

#include "data/UserDialogs.h"

class QPlainTextEdit;
class QPrinter;
class QWidget;

namespace vornax::app {

class WindowDialogs : public UserDialogs {
 public:
  // `waitMemo` is the wait panel; `parent` owns the boxes.
  WindowDialogs(QWidget* parent, QPlainTextEdit* waitMemo);

  void ShowMessage(const std::string& text) override;
  bool AskYesNo(const std::string& question) override;

  // The wait panel: shown and cleared, lines added and painted at once, hidden.
  void ShowProgress() override;
  void AddProgress(const std::string& line) override;
  void HideProgress() override;
  // Waits while the window keeps painting; keyboard and mouse wait until the run is over.
  void Pause(int milliseconds) override;

  // The file dialogs: the chosen path, or empty when cancelled. `defaultSuffix` is added to a
  // name typed without an extension; with several filters, the chosen filter's extension. The save dialog does not ask about overwriting: the run
  // asks that itself, in its own words.
  virtual QString GetOpenFileName(const QString& caption, const QString& folder,
                                  const QString& filter);
  virtual QString GetSaveFileName(const QString& caption, const QString& folder,
                                  const QString& filter, const QString& defaultSuffix);

  // The print dialog: false when cancelled.
  virtual bool SetUpPrinter(QPrinter& printer);

  // Lets the window paint and the wait panel show what was added; used between analysis steps.
  static void KeepPainting();

 protected:
  QWidget* parent_;
  QPlainTextEdit* waitMemo_;
};

}  // namespace vornax::app
