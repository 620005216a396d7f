#pragma once

#include <QObject>

namespace vornax::app::test {

// The breakpoint choices of the Input tab: the broken line with two or three breakpoints from
// the choice to the report, the summary and the graph; the fields of a fixed breakpoint and a
// search range read into the run, or refused by the window or by the run with a message.
class BreakpointChoicesTest : public QObject {
  Q_OBJECT
 private slots:
  void BrokenLineRunShowsReportSummaryAndGraph();
  void BreakpointFieldsReachTheRun();
  void RefusalsAreTheWindowsMessages();
  void OtherDataStartFromTheStandardChoices();
};

}  // namespace vornax::app::test
