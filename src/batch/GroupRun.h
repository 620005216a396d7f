// Many data sets in one command: the groups of a long table (vornax-batch --by). Each group is
// analysed exactly as a run on a table of that group alone would analyse it (the same
// "Save-Calculate", the same options, the same break test), the groups run side by side on every
// core, and their results are collected in group order into one table. Without --reports a
// group's run fills its numbers without putting a report's text together, keeps its variance
// file in memory and drops it with the group.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "data/RunResult.h"
#include "run/MemoryRun.h"
#include "run/SaveCalculate.h"
#include "run/TableImport.h"

namespace vornax::batch {

// What every group's run is given: the command's options as a single run would take them (the
// run's own ReportText and FilesOnDisk are set for each group).
struct GroupRunSetup : MemoryRunSetup {
  std::string TableName;  // the table's file name, for the titles
  // With reports, NAME-GROUP.out and .var go into this folder (as FileStem-GROUP); empty: the
  // reports stay in memory and go with the group.
  std::filesystem::path ReportFolder;
  std::string FileStem;
  std::vector<std::string> FileNames;  // of each group (SafeGroupFileNames)
};

// What one group gave: the row of the results table and the line of the JSON Lines file.
struct GroupOutcome {
  // The value as the table has it: an empty one stays empty, so that it is not taken for a
  // group whose value is the text "(empty)".
  std::string Group;
  std::string FileName;  // the group's safe name part: NAME-<FileName>.out
  size_t RowsUsed = 0, RowsLeftOut = 0;
  bool Analysed = false;
  RunResult Result;  // when analysed
  RunOptions Options;  // the run's options afterwards (for the JSON's options)
  std::string ReportPath;  // with reports
  std::string Reason;  // why a group could not be analysed
};

// Runs one group of a table imported as numbers (ImportChoices::AsValues): `rows` are its data
// rows (indexes into table.Values) in table order. Never throws: whatever stops the run becomes
// the outcome's reason.
GroupOutcome RunGroup(const GroupRunSetup& setup, const ImportedTable& table, uint32_t group,
                      const std::vector<size_t>& rows, size_t rowsLeftOut);

// The name shown for a group's value in a report's title: the value, or "(empty)".
std::string GroupDisplayName(const std::string& value);

// A group's value as part of a file name: letters, digits, '-', '_' and '.' stay (and the
// letters of other scripts in UTF-8), everything else becomes '_'; no leading dot, at most 100
// bytes. Values that come out alike get "-2", "-3", ... in the order of the groups, compared
// without regard to case, so that no two groups share a report on any file system.
std::vector<std::string> SafeGroupFileNames(const std::vector<std::string>& values);

// A group's results as the files take them: its row of the results table and its JSON line.
struct FinishedGroup {
  std::string Row, JsonLine;
  bool Analysed = false;
};

// Runs `count` jobs on `threads` threads (at least one) and hands their results to `take` in job
// order, one at a time (on the thread that finished the job that was next in order), holding no
// more than the finished ones that wait for an earlier job. `take` returning false stops the
// work: no further job starts, and false is returned. `progress` is called on the calling
// thread about every `interval` seconds with the jobs taken so far and the seconds since the
// start.
bool RunInOrder(size_t count, int threads, const std::function<FinishedGroup(size_t)>& job,
                const std::function<bool(FinishedGroup&&)>& take,
                const std::function<void(size_t done, double seconds)>& progress,
                double interval = 1.0);

// The whole --by command: reads the table in one pass, runs the groups, writes the results table
// (--results), the JSON Lines file (--json-lines) and the reports (--reports), and says on
// standard error how many groups could be analysed. Exit status as for a single run: 0 done
// (also when some groups could not be analysed: their rows say why), 2 bad usage, unreadable
// input or a file that could not be written.
struct GroupCommand {
  std::filesystem::path Input;
  std::filesystem::path Folder;  // for the reports
  std::string Results, JsonLines;
  bool Reports = false;
  ImportChoices Columns;  // with By
  int ConfidencePercent = 90;
  bool TransformAnswer = true;
  int Permutations = 999;
  int StopAfter = 0;
  uint64_t Seed = 1;
  bool Quiet = false;
  bool Overwrite = false;  // reports may replace files this program did not write
  int Threads = 0;  // 0: one per core
  // The command's choices put into the options for data with this many independent columns; an
  // error text for a combination that cannot be run.
  std::function<std::string(int nrOfVarInData, RunOptions&, VarChoice&)> ApplyChoices;
  AnalysisTable Analyses = DefaultAnalysisTable();
};
int RunGroupsCommand(const GroupCommand& command, std::ostream& out, std::ostream& err);

}  // namespace vornax::batch
