// Reading an analysis's report (".out") or ANOVA table (".var") back for display, and the short
// kind code by which the graph side tells which analysis wrote an output file.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "data/DataSet.h"
#include "data/TextFile.h"
#include "data/UserDialogs.h"

namespace vornax {

// Reads every line of `path` into data.OutputLines. `expectedExtension` (".out" or ".var")
// chooses the message for a file that cannot be opened. A file of fewer than two lines is no
// report: the reason is shown and false returned. Reading never deletes or changes a file, and on
// failure data.OutputLines keeps what it held. Returns true on success.
bool ReadTextFile(TDMVornax& data, const std::filesystem::path& path,
                  const std::string& expectedExtension, UserDialogs& dialogs);

// The same checks as ReadTextFile for a report (it opens, it holds two lines) without keeping its
// lines: for a caller that does not show the report, which may be long. With `memory` the report
// is looked up there, and one that wants no report text (MemoryFiles::ReportText) may hold none.
bool CheckReportFile(const std::filesystem::path& path, UserDialogs& dialogs,
                     const MemoryFiles* memory = nullptr);

// The trace a run without adequate data leaves (an output of fewer than two lines) is removed
// with its ".var" companion by the run that wrote it; data.FileName takes the ".var" path.
bool RemoveInvalidRunOutput(TDMVornax& data, const std::filesystem::path& outputPath);

// Reads the kind code of the output file data.FileName into data.OutputKind: the first four
// characters of line 2 when they name a curve output, else those of line 3.
bool ReadOutputKind(TDMVornax& data, UserDialogs& dialogs);

// The kind code of an output's lines: the first four characters of line 2 when they name a curve
// output, else those of line 3.
std::string OutputKindOf(const std::vector<std::string>& lines);

// Why the lines read from `path` are no report of an analysis of this program ("" when they are
// one): an ANOVA table, an input file, or any other text. A report begins with " Results of
// program" and carries a kind code on its second or third line.
std::string NotAReportReason(const std::vector<std::string>& lines, const std::string& path);

// The message for an output file that cannot be opened.
std::string OutputFileOpenMessage(const std::string& path);

// The lines under a report's explanation that every report writes alike: a blank line, the names
// of the output and input files, a blank line, the two titles and the minimum confidence.
void WriteReportNames(TextFileWriter& out, const std::string& outputPath,
                      const std::string& inputPath, const std::string& title1,
                      const std::string& title2, int confidencePercent);

}  // namespace vornax
