#pragma once

#include <QObject>

namespace vornax::app::test {

// An afternoon's work in the window: tables dropped or opened through the column dialog, the
// recent files and the title, choices that stay, the break test in the background, a layout
// that stays put, the dialogs, and the report's table for spreadsheets.
class WindowWorkTest : public QObject {
  Q_OBJECT
 private slots:
  void DroppedTableGoesThroughTheColumnDialog();
  void ColumnDialogRefusesAColumnTwiceAndCancelsSilently();
  void RecentFilesTitleAndSaveName();
  void ChoicesStayWhenTheInputTabIsShownAgain();
  void BreakTestFinishesInTheBackgroundAndIsSaved();
  void BreakTestCancelled();
  void TheWindowDoesNotWiden();
  void DialogsAskOnlyWhatTheyMust();
  void ReportTableExportedAsCsv();
};

}  // namespace vornax::app::test
