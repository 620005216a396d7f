// The window's side of UserDialogs: modal boxes for messages and questions, the wait panel of a
// run, and the file dialogs. Tests derive from it to answer instead of a person.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include <QString>

#include "app/ColumnRolesDialog.h"
#include "data/UserDialogs.h"
#include "run/TableImport.h"

class QPlainTextEdit;
class QPrinter;
class QWidget;

namespace vornax::app {

class WindowDialogs : public UserDialogs {
 public:
  // `waitMemo` is the wait panel; `parent` owns the boxes.
  WindowDialogs(QWidget* parent, QPlainTextEdit* waitMemo);

  void ShowMessage(const std::string& text) override;
  bool AskYesNo(const std::string& question) override { return Ask(question, true); }
  // A question whose Yes loses data (typed cells, a file): No is the default button, so that a
  // hurried Enter keeps them.
  bool AskToDiscard(const std::string& question) { return Ask(question, false); }

  // A question whose buttons say what they do: the index of the button chosen. Escape, or
  // closing the box, chooses `safest`, the answer that loses nothing.
  virtual int AskChoice(const std::string& question, const std::vector<std::string>& buttons,
                        int safest);
  // Where each pasted column goes, or nothing when the user cancels the paste.
  virtual std::optional<std::vector<ColumnRole>> AskColumnRoles(const ColumnQuestion& question);

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

  // The column dialog of a table being opened: the first rows and a choice of the columns for
  // Y, X, Z and the weight, starting from `choices`. False when cancelled.
  virtual bool ChooseTableColumns(const QString& fileName, const TablePreview& preview,
                                  ImportChoices& choices);
  // The print dialog: false when cancelled.
  virtual bool SetUpPrinter(QPrinter& printer);

  // Lets the window paint and the wait panel show what was added; used between analysis steps.
  static void KeepPainting();

 protected:
  virtual bool Ask(const std::string& question, bool yesIsDefault);

  QWidget* parent_;
  QPlainTextEdit* waitMemo_;
};

}  // namespace vornax::app
