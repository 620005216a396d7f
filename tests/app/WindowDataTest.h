#pragma once

#include <QObject>

namespace vornax::app::test {

// Every action keeps the user's data and says what it did: opening a table is one step that
// undoes whole, undo acts where it is seen, the exported table keeps the run's digits, cleared
// data are untitled and leave the report, refusals come before a file is named or written, and
// files of others beside the input are replaced only when the user agrees.
class WindowDataTest : public QObject {
  Q_OBJECT
 private slots:
  void OpeningATableIsOneStepThatUndoesWhole();
  void UndoFromAnotherTabShowsTheInputTab();
  void ExportedTableKeepsTheRunsDigits();
  void DataCarryTheirOwnNameThroughClearAndUndo();
  void SavedDataKeepTheirNameThroughUndoAndRedo();
  void RefusalsComeBeforeTheFileName();
  void ClearDataLeavesTheReport();
  void OthersFilesAreAskedForAndKept();
};

}  // namespace vornax::app::test
