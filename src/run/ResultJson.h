// The results of a run as a JSON file, for scripts that need the numbers without reading the
// report. The layout is described in README.md ("Results as JSON"); "format" is raised whenever a
// key changes meaning or goes away.
#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "data/RunOptions.h"
#include "data/RunResult.h"

namespace vornax {

// Where a run's data came from.
struct SourceColumn {
  std::string Role;  // "Y", "X", "Z" or "weight"
  std::string Name;  // the header name, or "column 2" in a table without a header row
};
struct LeftOutRow {
  size_t Line = 0;  // the line of the source file
  std::string Reason;
};

struct ResultFiles {
  std::string Input, Output, Anova;
  // The file as the user named it (a table, or the input file itself), the columns taken from
  // it, the rows left out, and the command's arguments.
  std::string Source;
  bool SourceIsTable = false;
  std::vector<SourceColumn> Columns;
  std::vector<LeftOutRow> LeftOut;
  std::vector<std::string> Arguments;
};

// The JSON text of a run.
std::string ResultJsonText(const RunResult& result, const RunOptions& options,
                           const ResultFiles& files);
// The same text handed to `write` piece by piece (the data table a row at a time), so that a
// run of millions of rows never holds it whole.
void WriteResultJsonText(const RunResult& result, const RunOptions& options,
                         const ResultFiles& files,
                         const std::function<void(std::string_view)>& write);

// One line of a file of many runs (JSON Lines): the layout above on one line (`result` null for
// a run that could not be made), headed by what a single run's file does not need: the group's
// value, the rows used and left out, and for a run not made its reason.
struct GroupHead {
  std::string Group;
  size_t RowsUsed = 0, RowsLeftOut = 0;
  std::string Reason;
};
std::string ResultJsonLine(const RunResult* result, const RunOptions& options,
                           const ResultFiles& files, const GroupHead& head);

// Writes the JSON text through a temporary file, as it is made, and a rename; false with the
// reason in `error`.
bool WriteResultJson(const std::filesystem::path& target, const RunResult& result,
                     const RunOptions& options, const ResultFiles& files, std::string& error);

}  // namespace vornax
